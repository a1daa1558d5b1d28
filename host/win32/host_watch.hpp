// The preview's host window, watched: when the Settings dialog's process dies, its windows go
// but the preview (a window of this process) may be told nothing. The wait loop sleeps on the
// host's process too, and asks on every wake (at least once a frame) whether the host is gone.
#pragma once

#include <windows.h>

namespace host::win32 {

class HostWatch {
 public:
  HostWatch() = default;
  ~HostWatch();
  HostWatch(const HostWatch&) = delete;
  HostWatch& operator=(const HostWatch&) = delete;

  // True once, when the window's host has gone or its process has ended. The host is the
  // parent the window has when first asked as a child window (embedding precedes the first
  // wait).
  bool Orphaned(HWND window);
  // The host's process, to wait on; nullptr while no host is watched.
  HANDLE Process() const { return reported_ ? nullptr : process_; }

 private:
  HWND host_ = nullptr;
  HANDLE process_ = nullptr;
  bool reported_ = false;
};

}  // namespace host::win32

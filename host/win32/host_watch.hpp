// The preview's host window, watched: when the Settings dialog's process dies, its windows go
// but the preview (a window of this process) may be told nothing, and Windows tells no child
// window that its parent changed size. The wait loop sleeps on the host's process too, and asks
// on every wake (at least once a frame) whether the host is gone or has another size.
#pragma once

#include <windows.h>

#include <optional>

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
  // The host's client size when the window's differs from it, for the window to follow; nothing
  // while they agree, and for a host of no size (the last picture stays, as on X11).
  std::optional<SIZE> SizeToFollow(HWND window) const;
  // The host's process, to wait on; nullptr while no host is watched.
  HANDLE Process() const { return reported_ ? nullptr : process_; }

 private:
  HWND host_ = nullptr;
  HANDLE process_ = nullptr;
  bool reported_ = false;
};

}  // namespace host::win32

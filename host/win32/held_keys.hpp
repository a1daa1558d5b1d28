// The keys of the full-screen saver's last moments: the key that ends the saver goes to it, and
// the keys still held then (Alt before F4, Ctrl before Q) must not act on the window behind it.
// A low-level keyboard hook follows which keys are down while the saver's window lives; once it
// is gone, the hook swallows every key press and repeat until the held keys are up, and lets
// every release pass: a release the hook ate would never reach the system's key state, and a
// Ctrl, Shift or Alt would stay down for the next program.
#pragma once

#include <windows.h>

#include <bitset>
#include <chrono>

namespace host::win32 {

class HeldKeys {
 public:
  HeldKeys() = default;
  ~HeldKeys();
  HeldKeys(const HeldKeys&) = delete;
  HeldKeys& operator=(const HeldKeys&) = delete;

  // From the full-screen window's showing: key events pass on, and the keys down are noted.
  void Watch(HWND window);
  // After the window is gone: pumps this thread's messages, swallowing key presses and repeats
  // (never releases), until no key noted down is still down or `limit` has passed (a key held
  // for long ends it anyway).
  void SwallowUntilReleased(std::chrono::milliseconds limit);

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM message, LPARAM event);
  bool Swallowing() const { return window_ != nullptr && IsWindow(window_) == 0; }

  static HeldKeys* watching_;  // the hook has no context of its own: one watcher per process
  HHOOK hook_ = nullptr;
  HWND window_ = nullptr;
  std::bitset<256> down_;
};

}  // namespace host::win32

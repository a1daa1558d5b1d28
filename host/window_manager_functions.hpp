// The window manager's functions as the program calls them. A platform whose system has them
// (Windows) hands its own over; everywhere else the runtime's emulation implements them on top
// of the platform's window operations (emulated_window_manager.hpp).
#pragma once

#include "host/basic_types.hpp"

namespace host {

class WindowManagerFunctions {
 public:
  virtual ~WindowManagerFunctions() = default;
  virtual Hwnd FindWindowA(const char* className, const char* windowName) = 0;
  virtual Bool GetClientRect(Hwnd window, Rect* rect) = 0;
  virtual Long GetWindowLongA(Hwnd window, int index) = 0;
  virtual Long SetWindowLongA(Hwnd window, int index, Long value) = 0;
  virtual Hwnd SetParent(Hwnd child, Hwnd newParent) = 0;
  virtual Bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                            UInt flags) = 0;
  // Returns the display count after the call; the pointer is hidden while it is negative.
  virtual int ShowCursor(Bool show) = 0;
};

}  // namespace host

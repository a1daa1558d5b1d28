// The window manager's functions as the program calls them: each call is traced and passed to
// the platform's own functions where the system has them, or to the runtime's emulation on top
// of the platform's window operations. Hides of the pointer are counted so that every way out
// can show it again.
#pragma once

#include "host/basic_types.hpp"
#include "host/emulated_window_manager.hpp"

namespace host {

class Runtime;

class WindowManager {
 public:
  explicit WindowManager(Runtime& runtime);

  Hwnd FindWindowA(const char* className, const char* windowName);
  Bool GetClientRect(Hwnd window, Rect* rect);
  Long GetWindowLongA(Hwnd window, int index);
  Long SetWindowLongA(Hwnd window, int index, Long value);
  Hwnd SetParent(Hwnd child, Hwnd newParent);
  Bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, UInt flags);
  int ShowCursor(Bool show);

  // Undoes every hide this program made and has not undone itself.
  void RestorePointer();
  int HiddenByProgram() const { return hiddenByProgram_; }

  // The emulation, which also follows the form's window; unused where the platform's own
  // functions are called.
  EmulatedWindowManager& Emulation() { return emulation_; }
  const EmulatedWindowManager& Emulation() const { return emulation_; }
  bool Native() const { return functions_ != &emulation_; }

 private:
  Runtime& runtime_;
  EmulatedWindowManager emulation_;
  WindowManagerFunctions* functions_;
  int hiddenByProgram_ = 0;
};

}  // namespace host

// What each platform supplies: native windows, drawing, input, waiting, the process facts and
// the window-manager functions. Everything else (controls, timers, events, errors) is the
// portable runtime's, written once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/basic_types.hpp"

namespace host {

class Form;

enum class InputKind : std::uint8_t {
  kKeyDown,
  kKeyPress,
  kClick,
  kDblClick,
  kMouseDown,
  kMouseMove
};

struct InputEvent {
  InputKind kind = InputKind::kKeyDown;
  bool hasPoint = false;  // mouse events carry a position in the form's client area
  float x = 0;            // twips
  float y = 0;
  std::int16_t keyCode = 0;  // KeyDown: key code; KeyPress: character code
  std::int16_t button = 0;   // 1 left, 2 right, 4 middle
  std::int16_t shift = 0;    // 1 shift, 2 control, 4 alt
};

// The runtime's side of the platform's event loop.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void OnInput(const InputEvent& event) = 0;
  // The cover window is going away by a road other than the program's own unload: its host
  // window was destroyed, the user or the session asked it to close, or a signal arrived.
  virtual void OnCloseRequest() = 0;
};

enum class WaitResult {
  kReady,  // the deadline passed or events were delivered: look at the clock again
  kStop,   // the platform wants the run to stop now (e.g. a simulation's time ran out)
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Process facts.
  virtual std::string CommandLine() = 0;  // the arguments after the program's name, one text
  virtual bool PrevInstance() = 0;        // another copy of the same executable runs
  virtual void ReportError(std::string_view line) = 0;

  // Time: a monotonic clock in nanoseconds, and a wait that delivers input until a deadline.
  virtual std::int64_t NowNs() = 0;
  virtual WaitResult Wait(std::int64_t deadlineNs, EventSink& sink) = 0;

  // The form's native window. The platform draws the scene from the form's current state.
  virtual Hwnd CreateFormWindow(const Form& form) = 0;  // created hidden
  virtual void SetFormCaption(std::string_view caption) = 0;
  virtual void ShowFormWindow() = 0;  // as the design says: maximized, borderless
  virtual void DestroyFormWindow() = 0;
  virtual void InvalidateTwips(const TwipRect& area) = 0;  // this part of the scene changed

  // The window manager's functions.
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

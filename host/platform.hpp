// What each platform supplies: native windows, drawing, input, waiting, the process facts and
// the window-manager functions. Everything else (controls, timers, events, errors) is the
// portable runtime's, written once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/basic_types.hpp"
#include "host/drawing/canvas.hpp"
#include "host/drawing/colours.hpp"
#include "host/drawing/pixel_geometry.hpp"
#include "host/drawing/text_measurer.hpp"

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
  // The platform lost this part of the window's contents (the back buffer still has it).
  virtual void OnExposed(const drawing::PixelRect& area) = 0;
};

// When the runtime wants to be woken.
struct WaitDeadlines {
  std::int64_t tickNs = 0;   // the next tick of the timer service falls due
  std::int64_t frameNs = 0;  // the next tick on the frame grid: the picture cannot change sooner
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
  // A platform may sleep until deadlines.frameNs: nothing on the screen changes sooner, and the
  // runtime delivers the ticks it slept through one by one. It wakes at deadlines.tickNs only if
  // it wants every timer event on time (a simulation does).
  virtual std::int64_t NowNs() = 0;
  virtual WaitResult Wait(const WaitDeadlines& deadlines, EventSink& sink) = 0;

  // The form's native window.
  virtual Hwnd CreateFormWindow(const Form& form) = 0;  // created hidden
  virtual void SetFormCaption(std::string_view caption) = 0;
  virtual void ShowFormWindow() = 0;  // as the design says: maximized, borderless
  virtual void DestroyFormWindow() = 0;

  // Drawing the form's window: its back buffer and the text API that measures for it, from
  // CreateFormWindow until DestroyFormWindow. The runtime's scene painter decides what is drawn.
  virtual drawing::Canvas& FormCanvas() = 0;
  virtual drawing::TextMeasurer& Measurer() = 0;
  // The user's system colours; the standard scheme where the platform has none.
  virtual const drawing::ColourScheme& Colours() { return standardColours_; }
  // Pixels to the inch: the scene's twips are scaled by Dpi() / 96.
  virtual int Dpi() { return drawing::kStandardDpi; }

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

 private:
  drawing::ColourScheme standardColours_;
};

}  // namespace host

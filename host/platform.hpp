// What each platform supplies: native windows shown as one or more views, drawing primitives,
// input, waiting, and the process facts. Everything else (controls, timers, events, errors, the
// window-manager functions, what is drawn and when) is the portable runtime's, written once.
//
// Contracts every platform keeps:
// - Key codes: InputEvent::keyCode of a key-down is the key's virtual-key code as the program's
//   handlers know it (letters 'A'..'Z', digits '0'..'9', VK_ESCAPE 0x1B, ...); a platform
//   translates its own key symbols. A key-press carries the character's code.
// - Positions: pointer positions are twips of the view the pointer is over, converted with that
//   view's dpi (drawing::PixelsToTwips), so hit testing is the same in every view.
// - Canvas and measurer: every view's canvas draws text with faces opened by this platform's
//   Measurer(); canvases never see another platform's faces.
// - Monitors: while the form is shown full-screen there is one view per monitor, each covering
//   it. When monitors come, go, change size or scale, the platform updates Views() before its
//   next Wait returns; the runtime repaints changed views at once.
// - Keys held at the end: the keys still down when the saver ends reach no other program (a
//   chord's second key included: Ctrl held a while, then Q), until every key is up or
//   kHeldKeysLimitNs has passed: nobody holds a key that long to wake a screen, and a key that
//   is truly stuck (a broken switch, a book on the keyboard) must not keep the saver's window on
//   the screen for ever.
// - Being seen: a view nobody can see (its output off, its surface hidden, the display asleep)
//   says so (View::seen). While the form has views and none is seen, the runtime draws nothing
//   and asks for no tick: it waits with kNoDeadline, and the platform's Wait sleeps until a view
//   is seen again or input arrives (input still ends the saver at once), waking on its own at
//   most once a second where the system sends no event for it. The timers stand still
//   meanwhile; a view seen again is repainted whole.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "host/basic_types.hpp"
#include "host/drawing/canvas.hpp"
#include "host/drawing/colours.hpp"
#include "host/drawing/pixel_geometry.hpp"
#include "host/drawing/text_measurer.hpp"
#include "host/window_manager_functions.hpp"
#include "host/window_operations.hpp"

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
  bool hasPoint = false;  // mouse events carry a position in the view's client area
  float x = 0;            // twips of the view the event happened in
  float y = 0;
  std::int16_t keyCode = 0;  // KeyDown: virtual-key code; KeyPress: character code
  std::int16_t button = 0;   // 1 left, 2 right, 4 middle
  std::int16_t shift = 0;    // 1 shift, 2 control, 4 alt
};

// One place the form is shown: a monitor's cover, or the host window it is embedded in.
struct View {
  int id = 0;                         // stable while the view lasts; never reused for another
  drawing::Canvas* canvas = nullptr;  // its back buffer and window, drawn at `dpi`
  int dpi = drawing::kStandardDpi;    // pixels to the inch: the scene is scaled by dpi / 96
  bool seen = true;                   // false while nobody can see it: nothing is drawn there
  bool operator==(const View&) const = default;
};

// Mints the ids of a platform's views: positive, and never given twice while the platform lasts.
class ViewIdSource {
 public:
  int Next() { return ++last_; }

 private:
  int last_ = 0;
};

// The runtime's side of the platform's event loop.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void OnInput(const InputEvent& event) = 0;
  // The cover window is going away by a road other than the program's own unload: its host
  // window was destroyed, the user or the session asked it to close, or a signal arrived.
  virtual void OnCloseRequest() = 0;
  // The platform lost this part of a view's contents (its back buffer still has it).
  virtual void OnExposed(int viewId, const drawing::PixelRect& area) = 0;
};

inline constexpr std::int64_t kHeldKeysLimitNs = 10'000'000'000;

// A deadline that never falls due: the runtime waits only for events.
inline constexpr std::int64_t kNoDeadline = INT64_MAX;

// When the runtime wants to be woken (both kNoDeadline while no view is seen).
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

  // The form's window. Its handle is what the program sees (with several views: the one on the
  // primary monitor). Created hidden, at the design's normal placement.
  virtual Hwnd CreateFormWindow(const Form& form) = 0;
  // The caption other instances find with FindTopLevelWindow (a platform without a global list
  // of windows keeps a marker per session instead).
  virtual void SetFormCaption(std::string_view caption) = 0;
  // As the design says: maximized and borderless, one view covering each monitor, topmost.
  virtual void ShowFullScreen() = 0;
  virtual void DestroyFormWindow() = 0;

  // The window-manager functions where the system has them itself (Windows): the program's
  // calls go straight there. Elsewhere null, and the runtime emulates them
  // (emulated_window_manager.cpp) on the platform's WindowOps().
  virtual WindowManagerFunctions* NativeWindowManager() { return nullptr; }
  virtual WindowOperations* WindowOps() { return nullptr; }

  // Drawing: the views the form is shown in now (none while it is hidden), and the text API
  // their canvases draw with.
  virtual std::span<const View> Views() = 0;
  virtual drawing::TextMeasurer& Measurer() = 0;
  // The user's system colours; the standard scheme where the platform has none.
  virtual const drawing::ColourScheme& Colours() { return standardColours_; }

 private:
  drawing::ColourScheme standardColours_;
};

}  // namespace host

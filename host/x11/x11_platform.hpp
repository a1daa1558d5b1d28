// The platform on a real X display: the form's window (full-screen over everything, or embedded
// in a preview host), its drawing, input, the event loop and the window-manager functions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "host/platform.hpp"
#include "host/x11/keyboard_claim.hpp"
#include "host/x11/scene_painter.hpp"
#include "host/x11/signal_fd.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

class X11Platform : public Platform {
 public:
  // Takes the display (closed on destruction) and the command line the program is to see.
  X11Platform(Display* display, std::string commandLine);
  ~X11Platform() override;
  X11Platform(const X11Platform&) = delete;
  X11Platform& operator=(const X11Platform&) = delete;

  std::string CommandLine() override { return commandLine_; }
  bool PrevInstance() override;
  void ReportError(std::string_view line) override;

  std::int64_t NowNs() override;
  WaitResult Wait(std::int64_t deadlineNs, EventSink& sink) override;

  Hwnd CreateFormWindow(const Form& form) override;
  void SetFormCaption(std::string_view caption) override;
  void ShowFormWindow() override;
  void DestroyFormWindow() override;
  void InvalidateTwips(const TwipRect& area) override;

  Hwnd FindWindowA(const char* className, const char* windowName) override;
  Bool GetClientRect(Hwnd window, Rect* rect) override;
  Long GetWindowLongA(Hwnd window, int index) override;
  Long SetWindowLongA(Hwnd window, int index, Long value) override;
  Hwnd SetParent(Hwnd child, Hwnd newParent) override;
  Bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                    UInt flags) override;
  int ShowCursor(Bool show) override;

 private:
  bool IsOwnWindow(Hwnd window) const { return window_ != 0 && window == Hwnd(window_); }
  // Delivers queued X events; true when any reached the sink.
  bool DispatchQueued(EventSink& sink);
  void Handle(XEvent& event, EventSink& sink, bool& delivered);
  std::int64_t FrameDeadline(std::int64_t tickDeadlineNs);
  void ApplyCursor();

  Display* display_;
  int screen_;
  Window root_;
  std::string commandLine_;
  SignalFd signals_;
  Window window_ = 0;
  bool windowAlive_ = false;  // false once the server destroyed it with its host
  std::unique_ptr<ScenePainter> painter_;
  Cursor invisibleCursor_ = 0;
  int cursorCount_ = 0;
  Long style_ = 0;  // the window's emulated style and owner records
  Long owner_ = 0;
  KeyboardKeeper keyboard_{display_};
  bool fullScreen_ = false;        // shown full-screen: unmapped by anyone else, the form closes
  std::int64_t frameGridNs_ = -1;  // where the grid of frame deadlines starts
  std::thread fontconfigInit_;     // joined before the first text is drawn
};

}  // namespace host::x11

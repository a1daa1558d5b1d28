// The platform on a real X display: the form's window (full-screen over everything, or embedded
// in a preview host), its drawing, input, the event loop and the window-manager functions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/platform.hpp"
#include "host/posix/signal_fd.hpp"
#include "host/window_records.hpp"
#include "host/x11/keyboard_claim.hpp"
#include "host/x11/x11_canvas.hpp"
#include "host/x11/xft_measurer.hpp"
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
  // SIGTERM or SIGINT when one of them closed the form; 0 otherwise.
  int ReceivedSignal() const { return signals_.Received(); }
  bool PrevInstance() override;
  void ReportError(std::string_view line) override;

  std::int64_t NowNs() override;
  WaitResult Wait(const WaitDeadlines& deadlines, EventSink& sink) override;

  Hwnd CreateFormWindow(const Form& form) override;
  void SetFormCaption(std::string_view caption) override;
  void ShowFormWindow() override;
  void DestroyFormWindow() override;
  drawing::Canvas& FormCanvas() override { return *canvas_; }
  drawing::TextMeasurer& Measurer() override { return *measurer_; }

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
  void ApplyCursor();
  void DestroyWindow();
  void SizeChanged(int width, int height);
  void Cover();
  void FollowHost(int width, int height);
  void FitToHost();

  Display* display_;
  int screen_;
  Window root_;
  std::string commandLine_;
  posix::SignalFd signals_;
  std::unique_ptr<XftMeasurer> measurer_;  // its faces close before the display does
  Window window_ = 0;
  bool windowAlive_ = false;  // false once the server destroyed it with its host
  std::unique_ptr<X11Canvas> canvas_;
  Cursor invisibleCursor_ = 0;
  PointerDisplayCount pointer_;
  WindowRecords records_;  // the window's style and owner link, which X does not keep
  KeyboardKeeper keyboard_{display_};
  bool fullScreen_ = false;    // shown full-screen: unmapped by anyone else, the form closes
  bool coverPending_ = false;  // to be mapped full-screen once the keyboard grab is held
  Window host_ = 0;            // the window it is embedded in (the root window on its own)
};

}  // namespace host::x11

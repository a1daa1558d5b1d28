// The platform on a real X display: the form's window (full-screen over everything, or embedded
// in a preview host), its drawing, input, the event loop and the window-manager functions.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/platform.hpp"
#include "host/posix/linux_signal_fd.hpp"
#include "host/posix/session_platform.hpp"
#include "host/x11/connection_reads.hpp"
#include "host/x11/display_power.hpp"
#include "host/x11/keyboard_claim.hpp"
#include "host/x11/monitor_views.hpp"
#include "host/x11/monitors.hpp"
#include "host/x11/x11_canvas.hpp"
#include "host/x11/xft_measurer.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

class X11Platform : public posix::SessionPlatform, public WindowOperations {
 public:
  // Takes the display (closed on destruction) and the command line the program is to see.
  X11Platform(Display* display, std::string commandLine);
  ~X11Platform() override;
  X11Platform(const X11Platform&) = delete;
  X11Platform& operator=(const X11Platform&) = delete;

  std::string CommandLine() override { return commandLine_; }
  // SIGTERM or SIGINT when one of them closed the form; 0 otherwise.
  int ReceivedSignal() const override { return signals_.Received(); }
  bool PrevInstance() override;
  void ReportError(std::string_view line) override;

  std::int64_t NowNs() override;
  WaitResult Wait(const WaitDeadlines& deadlines, EventSink& sink) override;

  Hwnd CreateFormWindow(const Form& form) override;
  void SetFormCaption(std::string_view caption) override;
  void ShowFullScreen() override;
  void DestroyFormWindow() override;

  // A title no top-level window has yet is claimed for this process at once (atomically, see
  // ClaimTitle): a copy that finds none goes on to take the title, and of copies asking at the
  // same moment only one may.
  WindowOperations* WindowOps() override { return this; }
  Hwnd FindTopLevelWindow(const char* title) override;
  std::optional<drawing::PixelSize> HostClientSize(Hwnd host) override;
  bool EmbedForm(Hwnd host) override;
  void PlaceForm(const drawing::PixelRect& area, std::optional<bool> show) override;
  void SetPointerHidden(bool hidden) override;

  std::span<const View> Views() override { return views_; }
  drawing::TextMeasurer& Measurer() override { return *measurer_; }

 private:
  // The view the event's window shows, or nullptr when the event is for no view of the form.
  const View* ViewOfWindow(Window window) const;
  bool IsMonitorChange(const XEvent& event) const;
  // Full screen: the form's window over the primary monitor, a window of its own over each of
  // the others, each at its monitor's resolution.
  void CoverMonitors();
  void SetFormDpi(int dpi);
  int HostMonitorDpi(Window host);
  // The window of whoever claimed the title first (0 when it is this process's now).
  Window ClaimTitle(const std::string& title);
  void RebuildViews();
  // Nobody sees a window while the monitors are powered down or another window covers it whole.
  bool Seen(Window window) const;
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
  std::vector<View> views_;  // the form's window (once it exists), then the other monitors'
  View formView_;            // the form's own window's
  ViewIdSource newViewIds_;
  MonitorViews otherMonitors_{display_, screen_, *measurer_};
  int randrEventBase_ = -1;  // RandR's first event code, once monitor changes are watched
  Cursor invisibleCursor_ = 0;
  bool pointerHidden_ = false;
  KeyboardKeeper keyboard_{display_};
  bool fullScreen_ = false;    // shown full-screen: unmapped by anyone else, the form closes
  bool coverPending_ = false;  // to be mapped full-screen once the keyboard grab is held
  Window host_ = 0;            // the window it is embedded in (the root window on its own)
  Window claimWindow_ = 0;     // owns the selections of the titles this process claimed
  ConnectionReads reads_{display_};
  DisplayPower power_{display_};
  std::set<Window> obscured_;  // the view windows other windows cover whole
};

}  // namespace host::x11

// The platform on a Wayland compositor: the form full-screen as one overlay surface on every
// output where the compositor offers layer-shell, or else as one fullscreen toplevel on each
// output, followed as outputs come, go or change scale; input from the seat; the event loop on
// the compositor's connection (and a desktop's session bus, where one is watched). There is no
// preview here: no other client's surface can hold the form.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/posix/linux_signal_fd.hpp"
#include "host/posix/session_platform.hpp"
#include "host/software/freetype_measurer.hpp"
#include "host/wayland/output_surface.hpp"
#include "host/wayland/seat_input.hpp"
#include "host/wayland/session_marker.hpp"
#include "host/wayland/session_watch.hpp"

namespace host::wayland {

// How long a compositor may take to answer: far longer than any busy one takes.
inline constexpr std::int64_t kFirstAnswerLimitNs = 5'000'000'000;
// How long fullscreen toplevels may wait for the user's focus: a compositor gives it to a new
// fullscreen window at once, and a saver without it would only hide the screen.
inline constexpr std::int64_t kFocusLimitNs = 5'000'000'000;
// How soon after a toplevel asks to hold back the compositor's keys a dialog asking the user
// would have taken them.
inline constexpr std::int64_t kDialogGraceNs = 1'500'000'000;

struct SessionFacts {
  std::string runtimeDir;  // XDG_RUNTIME_DIR
  std::string display;     // WAYLAND_DISPLAY, or a name for an inherited socket
  // Started by a locker with an inherited connection and no seat: draw on every output, take
  // no input, and end quietly when the locker closes the connection.
  bool lockerChild = false;
  // A locker that runs one child per output names it (SWAYLOCK_PLUGIN_OUTPUT_NAME): each child
  // is its own session as far as other instances go.
  std::string outputName;
};

class WaylandPlatform : public posix::SessionPlatform, public WindowOperations {
 public:
  // Takes the connection (closed on destruction) and learns the compositor's globals.
  WaylandPlatform(wl_display* display, std::string commandLine, const SessionFacts& session);
  ~WaylandPlatform() override;
  WaylandPlatform(const WaylandPlatform&) = delete;
  WaylandPlatform& operator=(const WaylandPlatform&) = delete;

  // Whether the compositor lets a client cover its outputs at all (layer-shell), with the
  // surfaces, subsurfaces and shared memory the views are made of.
  bool HasLayerShell() const { return globals_.layerShell != nullptr && HasSurfaces(); }
  // Whether it offers fullscreen toplevels (xdg-shell) instead: each view is then a window the
  // compositor may take the focus from, and the saver ends when it does.
  bool HasToplevels() const { return globals_.wmBase != nullptr && HasSurfaces(); }
  // Watches the desktop's own word as well (the session locked, say): the saver ends on it.
  void WatchSession(std::unique_ptr<SessionWatch> watch) { watch_ = std::move(watch); }
  // Whether the compositor answered the first questions in time (kFirstAnswerLimitNs).
  bool Answered() const { return answered_; }
  // Whether the run ended because the compositor went away.
  bool ConnectionLost() const { return connectionLost_; }
  int ReceivedSignal() const override { return signals_.Received(); }
  // The descriptor a signal that ends the program shows on, for a wait before the run; and the
  // end it then takes, as the program would before it began.
  int SignalFd() const { return signals_.fd(); }
  [[noreturn]] void EndBySignal();
  // A locker ends its saver by closing the connection; anyone else's going away is a failure.
  std::string Failure() const override {
    if (!failure_.empty()) return failure_;
    return connectionLost_ && !session_.lockerChild ? "the Wayland compositor closed the connection"
                                                    : "";
  }

  std::string CommandLine() override { return commandLine_; }
  bool PrevInstance() override;
  void ReportError(std::string_view line) override;

  std::int64_t NowNs() override;
  WaitResult Wait(const WaitDeadlines& deadlines, EventSink& sink) override;

  Hwnd CreateFormWindow(const Form& form) override;
  void SetFormCaption(std::string_view caption) override;
  void ShowFullScreen() override;
  void DestroyFormWindow() override;

  // Other instances are found by the captions they marked on this session; no other client's
  // window is known here, nor can it hold the form.
  WindowOperations* WindowOps() override { return this; }
  Hwnd FindTopLevelWindow(const char* title) override;
  std::optional<drawing::PixelSize> HostClientSize(Hwnd) override { return std::nullopt; }
  bool EmbedForm(Hwnd) override { return false; }
  void PlaceForm(const drawing::PixelRect&, std::optional<bool>) override {}
  void SetPointerHidden(bool hidden) override;

  std::span<const View> Views() override { return views_; }
  drawing::TextMeasurer& Measurer() override { return measurer_; }

 private:
  static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version);
  static void GlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
  void AddOutput(wl_output* output, std::uint32_t name);
  bool HasSurfaces() const {
    return globals_.compositor != nullptr && globals_.subcompositor != nullptr &&
           globals_.shm != nullptr;
  }
  void OutputChanged(OutputSurface& output);
  // After toplevel views gained or lost the focus: once none has it, the saver ends.
  void SettleFocus();
  // Whether the saver must end for the session's sake (focus lost or never given, the session
  // locked); the reason it gives, if any, in failure_.
  bool SessionEnds();
  // One view for each output whose surface the compositor configured.
  void UpdateViews();
  void Deliver(InputEvent event, wl_surface* surface);
  // Reads and dispatches what the compositor sent, waiting at most until deadlineNs; false when
  // the connection is gone.
  // Without `display`, only a signal ends the sleep: the compositor's events wait to be read.
  bool Pump(std::int64_t deadlineNs, bool* signalled, bool display = true);
  // After a frame is due: waits for the seen views' frames, marking unseen a view whose frame
  // is late; returns early when the views change or input comes.
  void AwaitFrames(EventSink& sink);
  void DeliverPending(EventSink& sink);
  enum class Answer { kAnswered, kSilent, kLost, kSignalled };
  // Waits until the compositor has answered every request sent so far, at most until deadlineNs
  // or a signal.
  Answer Roundtrip(std::int64_t deadlineNs);
  // Keeps the keyboard until the keys pressed over the saver are released (kHeldKeysLimitNs at
  // most), so their releases, and nothing else, reach the client that gets it next.
  void LetKeysGo();

  wl_display* display_;
  wl_registry* registry_ = nullptr;
  std::string commandLine_;
  SessionFacts session_;
  OutputSurface::Globals globals_;
  std::unique_ptr<SeatInput> seat_;
  std::vector<std::unique_ptr<OutputSurface>> outputs_;
  posix::SignalFd signals_;
  software::FreeTypeMeasurer measurer_;
  SessionMarker marker_;
  bool windowCreated_ = false;
  bool fullScreen_ = false;
  bool connectionLost_ = false;
  bool answered_ = true;
  bool pointerHidden_ = false;
  bool viewsChanged_ = false;  // since the last Wait returned
  std::vector<View> views_;
  // By output and its canvas's generation, for as long as it is covered.
  std::map<std::pair<const OutputSurface*, int>, int> viewIds_;
  ViewIdSource newViewIds_;
  std::vector<InputEvent> input_;  // collected while dispatching, delivered after
  std::unique_ptr<SessionWatch> watch_;
  bool sessionEnded_ = false;  // the watch said the saver must end
  // Toplevels: whether one had the focus since they were shown, whether none has it now, and
  // until when the first focus is awaited.
  bool focused_ = false;
  bool focusChanged_ = false;  // since it was last settled
  bool focusLost_ = false;
  // The output whose request to hold back the compositor's keys is not answered yet, or 0.
  std::uint32_t asking_ = 0;
  std::int64_t askedNs_ = 0;
  bool lostWhileAsking_ = false;
  std::int64_t focusDeadlineNs_ = kNoDeadline;
  std::string failure_;
};

}  // namespace host::wayland

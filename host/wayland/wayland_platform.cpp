#include "host/wayland/wayland_platform.hpp"

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/form.hpp"
#include "host/posix/fd_wait.hpp"
#include "host/posix/linux_prev_instance.hpp"

namespace host::wayland {
namespace {

// The form's one window: Wayland has no handle for it that other clients could use.
constexpr Hwnd kFormWindow = 1;
// What FindTopLevelWindow gives for a caption another instance marked.
constexpr Hwnd kMarkedWindow = 2;

std::int64_t MonotonicNs() {
  return posix::MonotonicNowNs();
}

}  // namespace

WaylandPlatform::WaylandPlatform(wl_display* display, std::string commandLine,
                                 const SessionFacts& session)
    : display_(display),
      commandLine_(std::move(commandLine)),
      session_(session),
      marker_(session.runtimeDir, session.display + "\n" + session.outputName) {
  globals_.display = display_;
  globals_.releases = wl_display_create_queue(display_);
  registry_ = wl_display_get_registry(display_);
  static const wl_registry_listener listener{&Global, &GlobalRemove};
  wl_registry_add_listener(registry_, &listener, this);
  // The globals, then what each output and the seat say about themselves; a compositor that
  // stays silent (or a socket that is no compositor) is given up after a while, and a signal
  // meanwhile ends the program as it would have before it began.
  const std::int64_t deadline = MonotonicNs() + kFirstAnswerLimitNs;
  for (int i = 0; i < 2 && answered_; ++i) {
    const Answer answer = Roundtrip(deadline);
    if (answer == Answer::kSignalled) EndBySignal();
    answered_ = answer == Answer::kAnswered;
  }
}

void WaylandPlatform::EndBySignal() {
  signals_.Drain();
  posix::EndBySignal(signals_.Received());
}

WaylandPlatform::Answer WaylandPlatform::Roundtrip(std::int64_t deadlineNs) {
  if (connectionLost_) return Answer::kLost;
  bool done = false;
  wl_callback* callback = wl_display_sync(display_);
  static const wl_callback_listener listener{
      [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
  wl_callback_add_listener(callback, &listener, &done);
  Answer answer = Answer::kAnswered;
  while (!done) {
    bool signalled = false;
    if (!Pump(deadlineNs, &signalled)) {
      connectionLost_ = true;
      answer = Answer::kLost;
      break;
    }
    if (signalled) {
      answer = Answer::kSignalled;  // left to be read where the program ends
      break;
    }
    if (!done && MonotonicNs() >= deadlineNs) {
      answer = Answer::kSilent;
      break;
    }
  }
  wl_callback_destroy(callback);
  return answer;
}

WaylandPlatform::~WaylandPlatform() {
  views_.clear();
  outputs_.clear();
  seat_.reset();
  if (globals_.viewporter != nullptr) wp_viewporter_destroy(globals_.viewporter);
  if (globals_.fractionalScale != nullptr) {
    wp_fractional_scale_manager_v1_destroy(globals_.fractionalScale);
  }
  if (globals_.shortcutsInhibit != nullptr) {
    zwp_keyboard_shortcuts_inhibit_manager_v1_destroy(globals_.shortcutsInhibit);
  }
  if (globals_.layerShell != nullptr) zwlr_layer_shell_v1_destroy(globals_.layerShell);
  if (globals_.wmBase != nullptr) xdg_wm_base_destroy(globals_.wmBase);
  if (globals_.shm != nullptr) wl_shm_destroy(globals_.shm);
  if (globals_.subcompositor != nullptr) wl_subcompositor_destroy(globals_.subcompositor);
  if (globals_.compositor != nullptr) wl_compositor_destroy(globals_.compositor);
  if (registry_ != nullptr) wl_registry_destroy(registry_);
  wl_event_queue_destroy(globals_.releases);
  wl_display_disconnect(display_);
}

void WaylandPlatform::Global(void* data, wl_registry* registry, std::uint32_t name,
                             const char* interface, std::uint32_t version) {
  auto* self = static_cast<WaylandPlatform*>(data);
  auto bind = [&](const wl_interface* type, std::uint32_t highest) {
    return wl_registry_bind(registry, name, type, std::min(version, highest));
  };
  auto is = [interface](const wl_interface& type) {
    return std::strcmp(interface, type.name) == 0;
  };
  OutputSurface::Globals& g = self->globals_;
  if (is(wl_compositor_interface)) {
    // Version 4 damages buffers in their own pixels, as the views draw them.
    if (version >= 4) g.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (is(wl_subcompositor_interface)) {
    g.subcompositor = static_cast<wl_subcompositor*>(bind(&wl_subcompositor_interface, 1));
  } else if (is(wl_shm_interface)) {
    g.shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  } else if (is(zwlr_layer_shell_v1_interface)) {
    g.layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 4));
  } else if (is(xdg_wm_base_interface)) {
    // Version 3 at most: later ones add toplevel events this platform has no use for.
    g.wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 3));
    static const xdg_wm_base_listener listener{
        [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};
    xdg_wm_base_add_listener(g.wmBase, &listener, nullptr);
  } else if (is(wp_viewporter_interface)) {
    g.viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
  } else if (is(wp_fractional_scale_manager_v1_interface)) {
    g.fractionalScale = static_cast<wp_fractional_scale_manager_v1*>(
        bind(&wp_fractional_scale_manager_v1_interface, 1));
  } else if (is(zwp_keyboard_shortcuts_inhibit_manager_v1_interface)) {
    g.shortcutsInhibit = static_cast<zwp_keyboard_shortcuts_inhibit_manager_v1*>(
        bind(&zwp_keyboard_shortcuts_inhibit_manager_v1_interface, 1));
  } else if (is(wl_seat_interface)) {
    // The first seat only; a locker's child is given none and takes no input anyway.
    if (self->seat_ == nullptr && !self->session_.lockerChild) {
      g.seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
      self->seat_ = std::make_unique<SeatInput>(
          g.seat,
          [self](const InputEvent& event, wl_surface* surface) { self->Deliver(event, surface); });
      self->seat_->OnKeyboardFocus([self] { self->focusChanged_ = true; });
    }
  } else if (is(wl_output_interface)) {
    self->AddOutput(static_cast<wl_output*>(bind(&wl_output_interface, 3)), name);
  }
}

void WaylandPlatform::GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
  auto* self = static_cast<WaylandPlatform*>(data);
  std::erase_if(self->outputs_, [name](const auto& o) { return o->name() == name; });
  self->UpdateViews();
}

void WaylandPlatform::AddOutput(wl_output* output, std::uint32_t name) {
  outputs_.push_back(std::make_unique<OutputSurface>(
      output, name, [this](OutputSurface& changed) { OutputChanged(changed); },
      [this](OutputSurface&) { focusChanged_ = true; }));
  if (fullScreen_) outputs_.back()->Cover(globals_, !session_.lockerChild, measurer_);
}

// A view configured, resized or rescaled is drawn whole at the next frame (a new scale makes it
// a new view); one the compositor closed is given up until its output comes back.
void WaylandPlatform::OutputChanged(OutputSurface& output) {
  if (output.closed()) output.Uncover();
  UpdateViews();
}

// Toplevels hold the focus while one of them is activated and has the keys: a window raised
// over them takes the first, the shell's overview or a dialog of its own the second. The one
// that holds it asks for the compositor's key bindings to be held back. The compositor may ask
// its user first, in a dialog that takes the keys (the window stays activated): until it has
// answered, or given the keys back (a refusal is not always said), the keys going away does not
// end the saver (the dialog would go with it, and the question come again at every start); the
// activation going away always does. The compositor moves the focus from one toplevel to
// another in two steps (and gives a new one the focus while the next is mapped): the focus
// counts as it stands once the events at hand are dispatched.
void WaylandPlatform::SettleFocus() {
  const bool keys = !seat_ || seat_->HasKeyboardFocus();
  bool activated = false;
  for (const auto& output : outputs_) {
    if (!output->activated()) continue;
    activated = true;
    // One question at a time: each request may be a dialog of its own.
    if (!keys || output->InhibitorAsked() || asking_ != 0) continue;
    output->InhibitShortcuts();
    if (output->InhibitorAsked()) {
      asking_ = output->name();
      askedNs_ = MonotonicNs();
      lostWhileAsking_ = false;
    }
  }
  const bool held = activated && keys;
  if (held) {
    focused_ = true;
    focusDeadlineNs_ = kNoDeadline;
  }
  if (asking_ != 0) {
    const auto asked = std::find_if(outputs_.begin(), outputs_.end(), [this](const auto& output) {
      return output->name() == asking_;
    });
    // A dialog takes the keys at once: keys kept that long after the request were asked of
    // nobody (an answer the compositor remembered, and does not say, was a refusal).
    const bool noDialog = !lostWhileAsking_ && MonotonicNs() - askedNs_ >= kDialogGraceNs;
    if (asked == outputs_.end() || (*asked)->InhibitorAnswered() || (held && lostWhileAsking_)) {
      asking_ = 0;
      if (!held) return;  // answered: the keys come back as the dialog closes
    } else if (noDialog) {
      asking_ = 0;
    } else if (!keys) {
      lostWhileAsking_ = true;
    }
  }
  // Closing one of them (from the overview, say) ends the saver as any input does.
  const bool closing = std::any_of(outputs_.begin(), outputs_.end(),
                                   [](const auto& output) { return output->closeAsked(); });
  focusLost_ = closing || (focused_ && (!activated || (!keys && asking_ == 0)));
}

bool WaylandPlatform::SessionEnds() {
  if (!fullScreen_) return false;
  if (focusChanged_) {
    focusChanged_ = false;
    SettleFocus();
  }
  if (focusLost_) {
    focusLost_ = false;
    return true;
  }
  if (focusDeadlineNs_ != kNoDeadline && MonotonicNs() >= focusDeadlineNs_) {
    focusDeadlineNs_ = kNoDeadline;
    failure_ = "the Wayland compositor did not give the saver's windows the keyboard within " +
               std::to_string(kFocusLimitNs / 1'000'000'000) + " seconds";
    return true;
  }
  return sessionEnded_;
}

void WaylandPlatform::UpdateViews() {
  views_.clear();
  std::map<std::pair<const OutputSurface*, int>, int> ids;
  for (const auto& output : outputs_) {
    if (!output->configured()) continue;
    const auto key = std::make_pair(output.get(), output->generation());
    const auto known = viewIds_.find(key);
    const int id = known != viewIds_.end() ? known->second : newViewIds_.Next();
    ids.emplace(key, id);
    views_.push_back(View{id, output->canvas(), output->Dpi(), output->seen()});
  }
  viewIds_ = std::move(ids);
  viewsChanged_ = true;
}

// Pointer positions become twips of the view under the pointer.
void WaylandPlatform::Deliver(InputEvent event, wl_surface* surface) {
  if (event.hasPoint) {
    int scale120 = 120;
    for (const auto& output : outputs_) {
      if (output->surface() == surface && surface != nullptr) scale120 = output->Scale120();
    }
    const float pixels = static_cast<float>(scale120) / 120.0f;
    const int dpi = drawing::kStandardDpi * scale120 / 120;
    event.x = drawing::PixelsToTwips(static_cast<int>(event.x * pixels), dpi);
    event.y = drawing::PixelsToTwips(static_cast<int>(event.y * pixels), dpi);
  }
  input_.push_back(event);
}

bool WaylandPlatform::PrevInstance() {
  return posix::AnotherInstanceRuns();
}

void WaylandPlatform::ReportError(std::string_view line) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  std::fflush(stderr);
}

std::int64_t WaylandPlatform::NowNs() {
  return MonotonicNs();
}

bool WaylandPlatform::Pump(std::int64_t deadlineNs, bool* signalled, bool display) {
  while (wl_display_prepare_read(display_) != 0) {
    if (wl_display_dispatch_pending(display_) < 0) return false;
  }
  if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display_);
    return false;
  }
  // The session's bus is read whenever the wait sleeps; the compositor only when asked.
  pollfd fds[3] = {{signals_.fd(), POLLIN, 0},
                   {watch_ ? watch_->Fd() : -1, watch_ ? watch_->Events() : short{0}, 0},
                   {wl_display_get_fd(display_), POLLIN, 0}};
  const nfds_t count = display ? 3 : 2;
  // A deadline already passed still reads what has arrived.
  const bool woken = deadlineNs <= MonotonicNs()
                         ? ::poll(fds, count, 0) > 0
                         : posix::WaitForDescriptors(fds, count, deadlineNs);
  if (woken && display && fds[2].revents != 0) {
    if (wl_display_read_events(display_) < 0) return false;
  } else {
    wl_display_cancel_read(display_);
  }
  if (signalled != nullptr) *signalled = fds[0].revents != 0;
  if (watch_ && fds[1].revents != 0) sessionEnded_ = watch_->Process() || sessionEnded_;
  return wl_display_dispatch_pending(display_) >= 0;
}

// Input is collected while the compositor's events are dispatched and handed to the form
// afterwards, when no surface is in the middle of a callback.
void WaylandPlatform::DeliverPending(EventSink& sink) {
  std::vector<InputEvent> input;
  input.swap(input_);
  for (const InputEvent& event : input) {
    if (!windowCreated_) break;  // the input closed the form
    sink.OnInput(event);
  }
}

// While a view is seen, the wait sleeps on the clock alone until the next frame is due and then
// reads what the compositor sent meanwhile (its frames, the buffers it let go, input) in one
// go: one wake-up a frame. While none is seen, it sleeps on the connection alone: a frame the
// compositor sends, input or a signal wakes it.
WaitResult WaylandPlatform::Wait(const WaitDeadlines& deadlines, EventSink& sink) {
  viewsChanged_ = false;
  for (;;) {
    const bool had = !input_.empty();
    DeliverPending(sink);
    if (had || connectionLost_ || viewsChanged_) return WaitResult::kReady;
    if (SessionEnds()) {
      sink.OnCloseRequest();
      return WaitResult::kReady;
    }
    const bool unseen = deadlines.frameNs == kNoDeadline;
    const bool due = MonotonicNs() >= deadlines.frameNs;
    // Unseen, the compositor is reminded of the views once a second.
    const std::int64_t until =
        std::min(unseen ? MonotonicNs() + kUnseenAfterNs : deadlines.frameNs, focusDeadlineNs_);
    bool signalled = false;
    if (!Pump(until, &signalled, unseen || due)) {
      connectionLost_ = true;
      sink.OnCloseRequest();
      return WaitResult::kReady;
    }
    if (signalled && signals_.Drain()) {
      sink.OnCloseRequest();
      return WaitResult::kReady;
    }
    if (!input_.empty() || viewsChanged_) continue;
    if (unseen) {
      if (MonotonicNs() >= until) {
        for (const auto& output : outputs_) output->Probe();
      }
      continue;
    }
    if (MonotonicNs() < deadlines.frameNs) continue;
    if (!due) continue;  // the frame fell due in the sleep: read what came meanwhile first
    AwaitFrames(sink);
    return WaitResult::kReady;
  }
}

void WaylandPlatform::AwaitFrames(EventSink& sink) {
  for (;;) {
    std::int64_t late = kNoDeadline;
    for (const auto& output : outputs_) late = std::min(late, output->FrameLateAtNs());
    if (late == kNoDeadline || !input_.empty() || viewsChanged_ || focusChanged_ || sessionEnded_) {
      return;
    }
    if (MonotonicNs() >= late) {
      for (const auto& output : outputs_) {
        if (output->FrameLateAtNs() <= MonotonicNs()) output->MarkUnseen();
      }
      UpdateViews();
      return;
    }
    bool signalled = false;
    if (!Pump(late, &signalled)) {
      connectionLost_ = true;
      sink.OnCloseRequest();
      return;
    }
    if (signalled && signals_.Drain()) {
      sink.OnCloseRequest();
      return;
    }
  }
}

// Nothing shows until the form is shown full-screen: then each output gets its view.
Hwnd WaylandPlatform::CreateFormWindow(const Form& form) {
  DestroyFormWindow();
  windowCreated_ = true;
  SetFormCaption(form.Caption());
  return kFormWindow;
}

void WaylandPlatform::SetFormCaption(std::string_view caption) {
  if (windowCreated_) marker_.Set(caption);
}

void WaylandPlatform::ShowFullScreen() {
  if (!windowCreated_) return;
  fullScreen_ = true;
  focused_ = false;
  focusChanged_ = false;
  focusLost_ = false;
  asking_ = 0;
  lostWhileAsking_ = false;
  // Toplevels must be given the focus; layer surfaces take the keyboard themselves.
  if (globals_.layerShell == nullptr) focusDeadlineNs_ = MonotonicNs() + kFocusLimitNs;
  for (const auto& output : outputs_) output->Cover(globals_, !session_.lockerChild, measurer_);
  if (seat_) seat_->SetPointerHidden(pointerHidden_);
  // The views' sizes, before the first frame is painted.
  Roundtrip(MonotonicNs() + kFirstAnswerLimitNs);
}

// A signal ends the wait at once: the program is on its way out anyway.
void WaylandPlatform::LetKeysGo() {
  const std::int64_t deadline = MonotonicNs() + kHeldKeysLimitNs;
  bool signalled = false;
  while (seat_ && seat_->KeysHeld() && !connectionLost_ && !signalled && MonotonicNs() < deadline) {
    if (!Pump(deadline, &signalled)) connectionLost_ = true;
  }
  input_.clear();
}

void WaylandPlatform::DestroyFormWindow() {
  if (!windowCreated_) return;
  if (fullScreen_) LetKeysGo();
  windowCreated_ = false;
  fullScreen_ = false;
  focusDeadlineNs_ = kNoDeadline;
  views_.clear();
  viewIds_.clear();
  for (const auto& output : outputs_) output->Uncover();
  marker_.Set({});
  // The surfaces are gone before the program goes on.
  Roundtrip(MonotonicNs() + kFirstAnswerLimitNs);
}

Hwnd WaylandPlatform::FindTopLevelWindow(const char* title) {
  return title != nullptr && marker_.Exists(title) ? kMarkedWindow : 0;
}

void WaylandPlatform::SetPointerHidden(bool hidden) {
  pointerHidden_ = hidden;
  if (seat_) seat_->SetPointerHidden(hidden);
}

}  // namespace host::wayland

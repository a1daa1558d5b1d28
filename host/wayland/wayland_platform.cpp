#include "host/wayland/wayland_platform.hpp"

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/form.hpp"
#include "host/window_styles.hpp"
#include "host/x11/prev_instance.hpp"

namespace host::wayland {
namespace {

using namespace host::wm;

// The form's one window: Wayland has no handle for it that other clients could use.
constexpr Hwnd kFormWindow = 1;
// What FindWindowA gives for a caption another instance marked.
constexpr Hwnd kMarkedWindow = 2;

std::int64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

WaylandPlatform::WaylandPlatform(wl_display* display, std::string commandLine,
                                 const SessionFacts& session)
    : display_(display),
      commandLine_(std::move(commandLine)),
      session_(session),
      marker_(session.runtimeDir, session.display) {
  registry_ = wl_display_get_registry(display_);
  static const wl_registry_listener listener{&Global, &GlobalRemove};
  wl_registry_add_listener(registry_, &listener, this);
  // The globals, then what each output and the seat say about themselves.
  wl_display_roundtrip(display_);
  wl_display_roundtrip(display_);
}

WaylandPlatform::~WaylandPlatform() {
  canvas_.reset();
  outputs_.clear();
  seat_.reset();
  if (globals_.layerShell != nullptr) zwlr_layer_shell_v1_destroy(globals_.layerShell);
  if (globals_.shm != nullptr) wl_shm_destroy(globals_.shm);
  if (globals_.compositor != nullptr) wl_compositor_destroy(globals_.compositor);
  if (registry_ != nullptr) wl_registry_destroy(registry_);
  wl_display_disconnect(display_);
}

void WaylandPlatform::Global(void* data, wl_registry* registry, std::uint32_t name,
                             const char* interface, std::uint32_t version) {
  auto* self = static_cast<WaylandPlatform*>(data);
  auto bind = [&](const wl_interface* type, std::uint32_t highest) {
    return wl_registry_bind(registry, name, type, std::min(version, highest));
  };
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    self->globals_.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    self->globals_.shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
    self->globals_.layerShell =
        static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 4));
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0) {
    // The first seat only; a locker's child is given none and takes no input anyway.
    if (self->seat_ == nullptr && !self->session_.lockerChild) {
      self->seat_ = std::make_unique<SeatInput>(
          static_cast<wl_seat*>(bind(&wl_seat_interface, 5)),
          [self](const InputEvent& event) { self->input_.push_back(event); });
    }
  } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
    self->AddOutput(static_cast<wl_output*>(bind(&wl_output_interface, 3)), name);
  }
}

void WaylandPlatform::GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
  auto* self = static_cast<WaylandPlatform*>(data);
  std::erase_if(self->outputs_, [name](const auto& o) { return o->name() == name; });
  self->UpdateClientSize();
}

void WaylandPlatform::AddOutput(wl_output* output, std::uint32_t name) {
  outputs_.push_back(std::make_unique<OutputSurface>(
      output, name, [this](OutputSurface& changed) { OutputChanged(changed); }));
  if (fullScreen_) outputs_.back()->Cover(globals_, !session_.lockerChild);
}

// A surface configured, resized or rescaled is shown whole at the next frame; one the
// compositor closed is given up until its output comes back.
void WaylandPlatform::OutputChanged(OutputSurface& output) {
  if (output.closed()) output.Uncover();
  UpdateClientSize();
  if (output.size().width != 0)
    exposed_.push_back({0, 0, output.size().width, output.size().height});
}

// The form's client area holds the largest output; each output shows its own part of it.
void WaylandPlatform::UpdateClientSize() {
  if (!canvas_) return;
  drawing::PixelSize size;
  for (const auto& output : outputs_) {
    size.width = std::max(size.width, output->size().width);
    size.height = std::max(size.height, output->size().height);
  }
  if (size.width > 0 && size != canvas_->ClientSize()) canvas_->SetClientSize(size);
}

bool WaylandPlatform::PrevInstance() {
  return x11::AnotherInstanceRuns();
}

void WaylandPlatform::ReportError(std::string_view line) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  std::fflush(stderr);
}

std::int64_t WaylandPlatform::NowNs() {
  return MonotonicNs();
}

bool WaylandPlatform::Pump(std::int64_t deadlineNs, bool* signalled) {
  while (wl_display_prepare_read(display_) != 0) {
    if (wl_display_dispatch_pending(display_) < 0) return false;
  }
  if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display_);
    return false;
  }
  const std::int64_t remaining = std::max<std::int64_t>(deadlineNs - MonotonicNs(), 0);
  pollfd fds[2] = {{wl_display_get_fd(display_), POLLIN, 0}, {signals_.fd(), POLLIN, 0}};
  const timespec timeout{static_cast<time_t>(remaining / 1'000'000'000),
                         static_cast<long>(remaining % 1'000'000'000)};
  if (ppoll(fds, 2, &timeout, nullptr) > 0 && fds[0].revents != 0) {
    if (wl_display_read_events(display_) < 0) return false;
  } else {
    wl_display_cancel_read(display_);
  }
  if (signalled != nullptr) *signalled = fds[1].revents != 0;
  return wl_display_dispatch_pending(display_) >= 0;
}

// Input and lost contents are collected while the compositor's events are dispatched and handed
// to the form afterwards, when no surface is in the middle of a callback.
void WaylandPlatform::DeliverPending(EventSink& sink) {
  for (const drawing::PixelRect& area : exposed_) sink.OnExposed(area);
  exposed_.clear();
  std::vector<InputEvent> input;
  input.swap(input_);
  for (const InputEvent& event : input) {
    if (!windowCreated_) break;  // the input closed the form
    sink.OnInput(event);
  }
}

WaitResult WaylandPlatform::Wait(const WaitDeadlines& deadlines, EventSink& sink) {
  for (;;) {
    const bool had = !exposed_.empty() || !input_.empty();
    DeliverPending(sink);
    if (had) return WaitResult::kReady;
    if (connectionLost_) return WaitResult::kReady;
    bool signalled = false;
    if (!Pump(deadlines.frameNs, &signalled)) {
      connectionLost_ = true;
      sink.OnCloseRequest();
      return WaitResult::kReady;
    }
    if (signalled && signals_.Drain()) {
      sink.OnCloseRequest();
      return WaitResult::kReady;
    }
    if (exposed_.empty() && input_.empty() && MonotonicNs() >= deadlines.frameNs) {
      return WaitResult::kReady;
    }
  }
}

Hwnd WaylandPlatform::CreateFormWindow(const Form& form) {
  DestroyFormWindow();
  canvas_ = std::make_unique<PixmanCanvas>(
      measurer_, [this](pixman_image_t* buffer, std::span<const drawing::PixelRect> boxes) {
        Present(buffer, boxes);
      });
  const drawing::PixelRect normal = drawing::ToPixels(form.design().normalPlacement, Dpi());
  canvas_->SetClientSize({normal.width, normal.height});
  records_ = WindowRecords{.style = kPopupStyle};
  windowCreated_ = true;
  SetFormCaption(form.Caption());
  return kFormWindow;
}

void WaylandPlatform::SetFormCaption(std::string_view caption) {
  if (windowCreated_) marker_.Set(caption);
}

void WaylandPlatform::ShowFormWindow() {
  if (!windowCreated_) return;
  fullScreen_ = true;
  records_.style |= kWsVisible | kWsMaximize;
  for (const auto& output : outputs_) output->Cover(globals_, !session_.lockerChild);
  if (seat_) seat_->SetPointerHidden(pointer_.Hidden());
  // The surfaces' sizes, before the first frame is painted at a size no output has.
  if (wl_display_roundtrip(display_) < 0) connectionLost_ = true;
}

void WaylandPlatform::Present(pixman_image_t* buffer, std::span<const drawing::PixelRect> boxes) {
  for (const auto& output : outputs_) output->Show(buffer, boxes);
  wl_display_flush(display_);
}

void WaylandPlatform::LetKeysGo() {
  const std::int64_t deadline = MonotonicNs() + 1'000'000'000;
  while (seat_ && seat_->KeysHeld() && !connectionLost_ && MonotonicNs() < deadline) {
    if (!Pump(deadline, nullptr)) connectionLost_ = true;
  }
  input_.clear();
}

void WaylandPlatform::DestroyFormWindow() {
  if (!windowCreated_) return;
  if (fullScreen_) LetKeysGo();
  windowCreated_ = false;
  fullScreen_ = false;
  for (const auto& output : outputs_) output->Uncover();
  canvas_.reset();
  marker_.Set({});
  exposed_.clear();
  if (!connectionLost_)
    wl_display_roundtrip(display_);  // the surfaces are gone before the program goes on
}

Hwnd WaylandPlatform::FindWindowA(const char* className, const char* windowName) {
  if (className != nullptr || windowName == nullptr) return 0;
  return marker_.Exists(windowName) ? kMarkedWindow : 0;
}

Bool WaylandPlatform::GetClientRect(Hwnd window, Rect* rect) {
  if (window != kFormWindow || !windowCreated_ || rect == nullptr) return 0;
  const drawing::PixelSize size = canvas_->ClientSize();
  *rect = Rect{0, 0, size.width, size.height};
  return 1;
}

Long WaylandPlatform::GetWindowLongA(Hwnd window, int index) {
  return window == kFormWindow && windowCreated_ ? records_.Get(index) : 0;
}

Long WaylandPlatform::SetWindowLongA(Hwnd window, int index, Long value) {
  return window == kFormWindow && windowCreated_ ? records_.Set(index, value) : 0;
}

Hwnd WaylandPlatform::SetParent(Hwnd, Hwnd) {
  return 0;  // no other client's surface can hold the form
}

Bool WaylandPlatform::SetWindowPos(Hwnd window, Hwnd, int, int, int, int, UInt flags) {
  if (window != kFormWindow || !windowCreated_) return 0;
  records_.ApplyPlacementFlags(flags);
  return 1;
}

int WaylandPlatform::ShowCursor(Bool show) {
  const int count = pointer_.Show(show);
  if (seat_) seat_->SetPointerHidden(pointer_.Hidden());
  return count;
}

}  // namespace host::wayland

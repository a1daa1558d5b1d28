#include "host/runtime.hpp"

#include <algorithm>
#include <string>

#include "host/drawing/frame_grid.hpp"

namespace host {

Runtime::Runtime(Platform& platform, TraceSink* trace)
    : platform_(platform), trace_(trace), user32_(*this) {
  startNs_ = platform_.NowNs();
  pacer_.Start(startNs_);
}

double Runtime::ElapsedMs() const {
  return static_cast<double>(platform_.NowNs() - startNs_) / 1e6;
}

void Runtime::WriteTrace(TraceOp op, std::initializer_list<TraceField> fields) {
  trace_->Write(ElapsedMs(), op, fields);
}

Boolean Runtime::PrevInstance() {
  const Boolean value = ToBoolean(platform_.PrevInstance());
  Trace(TraceOp::kPrevInstance, {{"value", std::int64_t{value}}});
  return value;
}

std::string Runtime::Command() {
  return platform_.CommandLine();
}

void Runtime::End() {
  throw ProgramEnd{};
}

void Runtime::NoteRunMode(std::int16_t mode) {
  Trace(TraceOp::kRunMode, {{"value", std::int64_t{mode}}});
}

void Runtime::Attach(Form& form) {
  form_ = &form;
}

void Runtime::Detach(Form& form) {
  if (form_ == &form) form_ = nullptr;
}

template <typename Code>
void Runtime::Dispatch(Code&& code) {
  if (ending_) return;
  try {
    code();
  } catch (const ProgramEnd&) {
    ending_ = true;
  } catch (const RunTimeError& error) {
    Fail(error);
  }
}

void Runtime::Fail(const RunTimeError& error) {
  ending_ = true;
  status_ = 1;
  Trace(TraceOp::kError, {{"error", std::int64_t{static_cast<int>(error.code())}},
                          {"message", std::string_view(error.what())}});
  platform_.ReportError("vorthane: run-time error " +
                        std::to_string(static_cast<int>(error.code())) + ": " + error.what());
}

int Runtime::Run(const std::function<void()>& main) {
  Dispatch(main);
  // The tick clock runs from here, when events start to flow: the time Main spent loading and
  // showing the window is not owed to the timers as a burst of ticks the moment it is shown.
  pacer_.Start(platform_.NowNs());
  bool stopped = false;
  while (!ending_ && form_ != nullptr && form_->Loaded()) {
    // A platform failure while drawing or waiting (a lost display, say) ends the program as
    // any run-time error does.
    Dispatch([this] { PresentFrameIfDue(); });
    // Nobody sees the scene: wait for input or a view seen again, with the timers standing
    // still, so the cycle goes on from where it was.
    const bool unseen = NobodySees();
    const WaitDeadlines deadlines =
        unseen
            ? WaitDeadlines{kNoDeadline, kNoDeadline}
            : WaitDeadlines{pacer_.NextDeadlineNs(),
                            pacer_.DeadlineOfTickNs(drawing::NextFrameTick(pacer_.TicksTaken()))};
    Dispatch([&] { stopped = platform_.Wait(deadlines, *this) == WaitResult::kStop; });
    if (stopped) break;
    if (unseen) pacer_.StoodStill(platform_.NowNs());
    for (std::int64_t due = pacer_.TakeDue(platform_.NowNs()); due > 0; --due) {
      if (ending_ || !form_->Loaded()) break;
      ++tick_;
      Dispatch([this] { form_->DeliverTick(tick_); });
    }
  }
  // A stopped run leaves everything as it is, for the caller to inspect.
  if (!stopped) Finish(status_);
  return status_;
}

bool Runtime::NobodySees() {
  const std::span<const View> views = platform_.Views();
  return !views.empty() &&
         std::none_of(views.begin(), views.end(), [](const View& view) { return view.seen; });
}

bool Runtime::FollowViews() {
  const std::span<const View> views = platform_.Views();
  bool same = views.size() == painters_.size();
  for (std::size_t i = 0; same && i < views.size(); ++i) same = painters_[i].view == views[i];
  if (same) return false;
  std::vector<ViewPainter> next;
  next.reserve(views.size());
  for (const View& view : views) {
    auto kept = std::find_if(painters_.begin(), painters_.end(),
                             [&](const ViewPainter& p) { return p.view == view && p.painter; });
    if (kept != painters_.end()) {
      next.push_back(std::move(*kept));
    } else {
      view.canvas->ForgetDrawings();
      next.push_back(
          {view, std::make_unique<drawing::ScenePainter>(*form_, *view.canvas, platform_.Measurer(),
                                                         platform_.Colours(), view.dpi)});
    }
  }
  painters_ = std::move(next);
  return true;
}

void Runtime::PresentFrameIfDue() {
  if (ending_ || form_ == nullptr || !form_->Loaded()) return;
  const bool viewsChanged = FollowViews();
  const std::int64_t frame = drawing::FrameOfTick(tick_);
  const bool onGrid = frame != lastFrame_;
  lastFrame_ = frame;
  for (ViewPainter& view : painters_) {
    if (!view.view.seen) continue;
    if (!onGrid && !viewsChanged && !view.painter->Pending()) continue;
    const std::span<const drawing::PixelRect> damage = view.painter->PaintFrame();
    if (!damage.empty() && Tracing(TraceOp::kFrame)) TraceFrame(view.view, *view.painter, damage);
  }
}

void Runtime::TraceFrame(const View& view, const drawing::ScenePainter& painter,
                         std::span<const drawing::PixelRect> damage) {
  const std::vector<drawing::VisibleControl> visible = painter.VisibleControls();
  Trace(TraceOp::kFrame, {{"view", std::int64_t{view.id}},
                          {"dpi", std::int64_t{view.dpi}},
                          {"damage", TraceBoxes{damage}},
                          {"visible", TraceControls{visible}}});
}

void Runtime::OnExposed(int viewId, const drawing::PixelRect& area) {
  for (ViewPainter& view : painters_) {
    if (view.view.id == viewId) view.painter->Exposed(area);
  }
}

void Runtime::Finish(int status) {
  if (form_ != nullptr && form_->Loaded()) form_->DestroyWithoutEvents();
  user32_.RestorePointer();
  ended_ = true;
  Trace(TraceOp::kEnd, {{"status", std::int64_t{status}}});
}

void Runtime::OnInput(const InputEvent& event) {
  if (ending_ || form_ == nullptr || !form_->Loaded()) return;
  Dispatch([&] { DeliverInput(event); });
}

void Runtime::DeliverInput(const InputEvent& event) {
  static constexpr std::string_view kKindNames[] = {"key",      "keypress", "click",
                                                    "dblclick", "down",     "move"};
  // Mouse events over a control are that control's; keys always go to the form.
  const std::string_view target =
      event.hasPoint ? form_->HitTest(event.x, event.y) : form_->design().name;
  if (Tracing(TraceOp::kInput)) {
    const auto kind = kKindNames[static_cast<int>(event.kind)];
    if (event.hasPoint) {
      Trace(TraceOp::kInput, {{"kind", kind}, {"x", event.x}, {"y", event.y}, {"target", target}});
    } else {
      Trace(TraceOp::kInput, {{"kind", kind}, {"x", nullptr}, {"y", nullptr}, {"target", target}});
    }
  }
  if (target != form_->design().name) return;
  FormEvents& events = form_->events();
  std::int16_t code = event.keyCode;
  std::int16_t button = event.button;
  std::int16_t shift = event.shift;
  float x = event.x;
  float y = event.y;
  switch (event.kind) {
    case InputKind::kKeyDown:
      events.Form_KeyDown(code, shift);
      break;
    case InputKind::kKeyPress:
      events.Form_KeyPress(code);
      break;
    case InputKind::kClick:
      events.Form_Click();
      break;
    case InputKind::kDblClick:
      events.Form_DblClick();
      break;
    case InputKind::kMouseDown:
      events.Form_MouseDown(button, shift, x, y);
      break;
    case InputKind::kMouseMove:
      events.Form_MouseMove(button, shift, x, y);
      break;
  }
}

void Runtime::OnCloseRequest() {
  if (ending_ || form_ == nullptr || !form_->Loaded()) return;
  // Every road out of the window passes through its Unload event.
  Dispatch([this] { form_->Unload(); });
}

}  // namespace host

#include "host/form.hpp"

#include <algorithm>
#include <cmath>

#include "host/run_time_error.hpp"
#include "host/runtime.hpp"

namespace host {

Form::Form(Runtime& runtime, const FormDesign& design, FormEvents& events)
    : runtime_(runtime), design_(design), events_(events), state_(design.controls.size()) {
  for (std::size_t i = 0; i < design_.controls.size(); ++i) {
    if (std::holds_alternative<TimerDesign>(design_.controls[i])) {
      timerOrder_.push_back(static_cast<std::uint8_t>(i));
    }
  }
  std::sort(timerOrder_.begin(), timerOrder_.end(), [this](std::uint8_t a, std::uint8_t b) {
    return std::get<TimerDesign>(design_.controls[a]).number <
           std::get<TimerDesign>(design_.controls[b]).number;
  });
  rankOf_.assign(design_.controls.size(), 0);
  for (std::size_t rank = 0; rank < timerOrder_.size(); ++rank) {
    rankOf_[timerOrder_[rank]] = static_cast<std::uint8_t>(rank);
  }
  running_.reserve(timerOrder_.size());
  due_.reserve(timerOrder_.size());
  runtime_.Attach(*this);
}

Form::~Form() {
  runtime_.Detach(*this);
}

void Form::Load() {
  if (loaded_) return;
  runtime_.Trace(TraceOp::kLoad, {});
  caption_ = std::string(design_.caption);
  running_.clear();
  for (std::size_t i = 0; i < design_.controls.size(); ++i) {
    ControlState& s = state_[i];
    s = ControlState{};
    std::visit(
        [&](const auto& c) {
          using T = std::decay_t<decltype(c)>;
          if constexpr (std::is_same_v<T, LabelDesign>) {
            s.top = c.box.top;
            s.visible = ToBoolean(c.visible);
          } else if constexpr (std::is_same_v<T, ImageDesign>) {
            s.visible = ToBoolean(c.visible);
          } else {
            s.periodTicks = TimerPeriodTicks(c.interval);
            if (c.enabled) StartTimer(i);
          }
        },
        design_.controls[i]);
  }
  loaded_ = true;
  shown_ = false;
  hwnd_ = runtime_.platform().CreateFormWindow(*this);
  runtime_.User32().Emulation().FormCreated(
      hwnd_, drawing::ToPixels(design_.normalPlacement, drawing::kStandardDpi));
}

void Form::EnsureLoaded() {
  if (!loaded_) Load();
}

void Form::Show() {
  EnsureLoaded();
  runtime_.Trace(TraceOp::kShow, {});
  runtime_.platform().ShowFullScreen();
  runtime_.User32().Emulation().FormShownFullScreen();
  shown_ = true;
}

void Form::Unload() {
  if (!loaded_ || unloading_) return;
  runtime_.Trace(TraceOp::kUnload, {});
  unloading_ = true;
  std::int16_t cancel = 0;
  try {
    events_.Form_Unload(cancel);
  } catch (...) {
    unloading_ = false;
    throw;
  }
  unloading_ = false;
  if (cancel != 0) return;
  DestroyWithoutEvents();
}

void Form::DestroyWithoutEvents() {
  if (!loaded_) return;
  loaded_ = false;
  shown_ = false;
  hwnd_ = 0;
  for (ControlState& s : state_) s.enabled = False;
  running_.clear();
  runtime_.FormWindowDestroyed();
  runtime_.platform().DestroyFormWindow();
  runtime_.User32().Emulation().FormDestroyed();
}

void Form::SetCaption(std::string_view caption) {
  EnsureLoaded();
  runtime_.Trace(TraceOp::kCaption, {{"value", caption}});
  caption_ = std::string(caption);
  runtime_.platform().SetFormCaption(caption_);
}

Hwnd Form::hWnd() {
  EnsureLoaded();
  runtime_.Trace(TraceOp::kHWnd, {{"result", std::int64_t{hwnd_}}});
  return hwnd_;
}

Form::LabelRef Form::Label(LabelId id) {
  EnsureLoaded();
  return LabelRef(*this, id);
}

Form::TimerRef Form::Timer(TimerId id) {
  EnsureLoaded();
  return TimerRef(*this, id);
}

const LabelDesign& Form::LabelDesignOf(std::size_t index) const {
  return std::get<LabelDesign>(design_.controls[index]);
}

bool Form::IsLabel(std::size_t index) const {
  return std::holds_alternative<LabelDesign>(design_.controls[index]);
}

TwipRect Form::LabelBox(std::size_t index) const {
  TwipRect box = LabelDesignOf(index).box;
  box.top = state_[index].top;
  return box;
}

void Form::LabelRef::SetVisible(Boolean value) const {
  const std::string_view name = form_.LabelDesignOf(id_.index).name;
  form_.runtime_.Trace(TraceOp::kVisible, {{"control", name}, {"value", std::int64_t{value}}});
  ControlState& s = form_.state_[id_.index];
  // What the change repaints is the painter's business: it compares frames, not writes.
  s.visible = ToBoolean(value != 0);
}

float Form::LabelRef::Top() const {
  return form_.state_[id_.index].top;
}

void Form::LabelRef::SetTop(float value) const {
  const std::string_view name = form_.LabelDesignOf(id_.index).name;
  if (!std::isfinite(value)) {
    Raise(ErrorCode::kInvalidPropertyValue, "Top of " + std::string(name) + " must be finite");
  }
  form_.runtime_.Trace(TraceOp::kTop, {{"control", name}, {"value", value}});
  form_.state_[id_.index].top = value;
}

void Form::TimerRef::SetEnabled(Boolean value) const {
  const TimerDesign& design = std::get<TimerDesign>(form_.design_.controls[id_.index]);
  form_.runtime_.Trace(TraceOp::kEnabled,
                       {{"control", design.name}, {"value", std::int64_t{value}}});
  const ControlState& s = form_.state_[id_.index];
  if (value == 0) {
    form_.StopTimer(id_.index);
  } else if (s.enabled == False) {
    form_.StartTimer(id_.index);  // an enabled timer keeps its rhythm
  }
}

void Form::StartTimer(std::size_t index) {
  ControlState& timer = state_[index];
  if (timer.periodTicks == 0) return;
  timer.enabled = True;
  timer.nextDueTick = runtime_.CurrentTick() + timer.periodTicks;
  const std::uint8_t rank = rankOf_[index];
  running_.insert(std::lower_bound(running_.begin(), running_.end(), rank), rank);
}

void Form::StopTimer(std::size_t index) {
  ControlState& timer = state_[index];
  if (timer.enabled == False) return;
  timer.enabled = False;
  running_.erase(std::find(running_.begin(), running_.end(), rankOf_[index]));
}

// Only the running timers are looked at: a tick costs what its due timers cost.
void Form::DeliverTick(std::int64_t tick) {
  due_.clear();
  for (const std::uint8_t rank : running_) {
    if (state_[timerOrder_[rank]].nextDueTick == tick) due_.push_back(timerOrder_[rank]);
  }
  for (const std::uint8_t index : due_) {
    if (!loaded_) return;
    ControlState& s = state_[index];
    // A timer disabled by an earlier handler of this tick is skipped.
    if (s.enabled != True || s.nextDueTick != tick) continue;
    s.nextDueTick += s.periodTicks;
    const TimerDesign& design = std::get<TimerDesign>(design_.controls[index]);
    runtime_.Trace(TraceOp::kTimer, {{"control", design.name}});
    events_.Timer_Timer(design.number);
  }
}

std::string_view Form::HitTest(float x, float y) const {
  for (std::size_t i = 0; i < design_.controls.size(); ++i) {
    const ControlDesign& c = design_.controls[i];
    if (const auto* label = std::get_if<LabelDesign>(&c)) {
      if (state_[i].visible == True && LabelBox(i).Contains(x, y)) return label->name;
    } else if (const auto* image = std::get_if<ImageDesign>(&c)) {
      if (state_[i].visible == True && image->box.Contains(x, y)) return image->name;
    }
  }
  return design_.name;
}

}  // namespace host

#include "host/headless/headless_platform.hpp"

#include <algorithm>
#include <ostream>

#include "host/form.hpp"

namespace host::headless {

HeadlessPlatform::HeadlessPlatform(DesktopConfig config, std::ostream* errors)
    : config_(std::move(config)),
      errorStream_(errors),
      measurer_(config_.fonts),
      noCanvas_(measurer_, false) {
  std::stable_sort(
      config_.actions.begin(), config_.actions.end(),
      [](const ScriptedAction& a, const ScriptedAction& b) { return a.atNs < b.atNs; });
  for (const HostWindowSpec& host : config_.hosts) {
    windows_[host.handle] = Window{.handle = host.handle,
                                   .caption = "",
                                   .parent = 0,
                                   .visible = true,
                                   .isForm = false,
                                   .placement = {0, 0, host.width, host.height}};
  }
  for (const std::string& title : config_.foreignTitles) {
    const Hwnd handle = NewHandle();
    windows_[handle] = Window{.handle = handle,
                              .caption = title,
                              .parent = 0,
                              .visible = true,
                              .isForm = false,
                              .placement = {0, 0, 640, 480}};
  }
  if (config_.monitors.empty()) {
    config_.monitors.push_back({{0, 0, config_.screenWidth, config_.screenHeight}});
  }
}

void HeadlessPlatform::ReportError(std::string_view line) {
  errors_.emplace_back(line);
  if (errorStream_ != nullptr) *errorStream_ << line << '\n';
}

Hwnd HeadlessPlatform::NewHandle() {
  while (windows_.count(nextHandle_) != 0) nextHandle_ += 2;
  const Hwnd handle = nextHandle_;
  nextHandle_ += 2;
  return handle;
}

Window* HeadlessPlatform::Find(Hwnd handle) {
  const auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : &it->second;
}

const Window* HeadlessPlatform::FindByHandle(Hwnd handle) const {
  const auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : &it->second;
}

bool HeadlessPlatform::Visible(const Window& window) const {
  for (const Window* w = &window; w != nullptr; w = FindByHandle(w->parent)) {
    if (!w->visible) return false;
    if (w->parent == 0) break;
  }
  return true;
}

const MemoryCanvas& HeadlessPlatform::Canvas() const {
  if (!views_.empty()) return CanvasOf(views_.front().id);
  // After the run: the canvas the form was last shown in.
  return canvases_.empty() ? noCanvas_ : *canvases_.rbegin()->second;
}

const MemoryCanvas& HeadlessPlatform::CanvasOf(int viewId) const {
  const auto it = canvases_.find(viewId);
  return it == canvases_.end() ? noCanvas_ : *it->second;
}

MemoryCanvas& HeadlessPlatform::CanvasFor(int viewId) {
  std::unique_ptr<MemoryCanvas>& canvas = canvases_[viewId];
  if (!canvas) canvas = std::make_unique<MemoryCanvas>(measurer_, config_.raster);
  return *canvas;
}

// Virtual time costs nothing: wake at every tick, so each timer event carries its own time.
WaitResult HeadlessPlatform::Wait(const WaitDeadlines& deadlines, EventSink& sink) {
  const std::int64_t deadlineNs = deadlines.tickNs;
  const std::int64_t limit = std::min(deadlineNs, config_.runNs);
  if (nextAction_ < config_.actions.size() && config_.actions[nextAction_].atNs <= limit) {
    const ScriptedAction& action = config_.actions[nextAction_++];
    nowNs_ = std::max(nowNs_, action.atNs);
    Perform(action, sink);
    return WaitResult::kReady;
  }
  if (deadlineNs > config_.runNs) {
    nowNs_ = std::max(nowNs_, config_.runNs);
    return WaitResult::kStop;
  }
  nowNs_ = std::max(nowNs_, deadlineNs);
  return WaitResult::kReady;
}

void HeadlessPlatform::Perform(const ScriptedAction& action, EventSink& sink) {
  switch (action.kind) {
    case ScriptedAction::Kind::kDestroyHosts: {
      const Hwnd form = formWindow_;
      for (const HostWindowSpec& host : config_.hosts) DestroyWindowTree(host.handle);
      UpdateViews();
      // The form's window went with its host: the form closes as any window does.
      if (form != 0 && Find(form) == nullptr) sink.OnCloseRequest();
      return;
    }
    case ScriptedAction::Kind::kSetMonitors:
      config_.monitors = action.monitors;
      UpdateViews();
      return;
    case ScriptedAction::Kind::kDisplayPower: {
      const std::size_t count = std::max(config_.monitors.size(), monitorOff_.size());
      monitorOff_.resize(std::max<std::size_t>(count, action.monitor + 1));
      for (std::size_t i = 0; i < monitorOff_.size(); ++i) {
        if (action.monitor == ScriptedAction::kEveryMonitor || i == std::size_t(action.monitor)) {
          monitorOff_[i] = !action.displayOn;
        }
      }
      UpdateViews();
      return;
    }
    case ScriptedAction::Kind::kInput: {
      // Input reaches the form's window only while it exists and can be seen.
      const Window* window = Find(formWindow_);
      if (window != nullptr && Visible(*window)) sink.OnInput(action.input);
      return;
    }
  }
}

void HeadlessPlatform::DestroyWindowTree(Hwnd handle) {
  std::vector<Hwnd> children;
  for (const auto& [h, w] : windows_) {
    if (w.parent == handle) children.push_back(h);
  }
  for (const Hwnd child : children) DestroyWindowTree(child);
  windows_.erase(handle);
  if (handle == formWindow_) formWindow_ = 0;
}

bool HeadlessPlatform::MonitorOn(std::size_t index) const {
  return index >= monitorOff_.size() || !monitorOff_[index];
}

// Full-screen, the i-th view covers the i-th monitor: it keeps its identity while that monitor
// keeps its resolution, and takes the monitor's new size, and is seen while that monitor is on.
// Otherwise the form's window is one view at its own size, on the primary monitor.
void HeadlessPlatform::UpdateViews() {
  const Window* form = Find(formWindow_);
  std::vector<MonitorSpec> covers;
  if (form != nullptr && Visible(*form)) {
    if (fullScreen_) {
      covers = config_.monitors;
    } else {
      covers.push_back({{0, 0, form->placement.width, form->placement.height}});
    }
  }
  std::vector<View> next;
  for (std::size_t i = 0; i < covers.size(); ++i) {
    View view;
    const bool keep = i < views_.size() && views_[i].dpi == covers[i].dpi;
    view.id = keep ? views_[i].id : newViewIds_.Next();
    view.dpi = covers[i].dpi;
    MemoryCanvas& canvas = CanvasFor(view.id);
    const drawing::PixelSize size{covers[i].area.width, covers[i].area.height};
    if (!keep || canvas.ClientSize() != size) canvas.SetClientSize(size);
    view.canvas = &canvas;
    view.seen = MonitorOn(fullScreen_ ? i : 0);
    next.push_back(view);
  }
  views_ = std::move(next);
}

Hwnd HeadlessPlatform::CreateFormWindow(const Form& form) {
  const Hwnd handle = NewHandle();
  windows_[handle] = Window{.handle = handle,
                            .caption = form.Caption(),
                            .parent = 0,
                            .visible = false,
                            .isForm = true,
                            .placement = drawing::ToPixels(form.design().normalPlacement)};
  formWindow_ = handle;
  fullScreen_ = false;
  UpdateViews();
  return handle;
}

void HeadlessPlatform::SetFormCaption(std::string_view caption) {
  if (Window* w = Find(formWindow_)) w->caption = std::string(caption);
}

void HeadlessPlatform::ShowFullScreen() {
  Window* w = Find(formWindow_);
  if (w == nullptr) return;
  w->visible = true;
  w->placement = config_.monitors.front().area;
  fullScreen_ = true;
  UpdateViews();
}

void HeadlessPlatform::DestroyFormWindow() {
  if (formWindow_ != 0 && Find(formWindow_) != nullptr) DestroyWindowTree(formWindow_);
  formWindow_ = 0;
  fullScreen_ = false;
  UpdateViews();
}

Hwnd HeadlessPlatform::FindTopLevelWindow(const char* title) {
  for (const auto& [handle, w] : windows_) {
    if (w.parent == 0 && (title == nullptr || w.caption == title)) return handle;
  }
  return 0;
}

std::optional<drawing::PixelSize> HeadlessPlatform::HostClientSize(Hwnd host) {
  const Window* w = Find(host);
  if (w == nullptr) return std::nullopt;
  return drawing::PixelSize{w->placement.width, w->placement.height};
}

bool HeadlessPlatform::EmbedForm(Hwnd host) {
  Window* form = Find(formWindow_);
  if (form == nullptr || (host != 0 && Find(host) == nullptr)) return false;
  form->parent = host;
  fullScreen_ = false;
  UpdateViews();
  return true;
}

void HeadlessPlatform::PlaceForm(const drawing::PixelRect& area, std::optional<bool> show) {
  Window* form = Find(formWindow_);
  if (form == nullptr) return;
  form->placement = area;
  if (show) form->visible = *show;
  fullScreen_ = false;
  UpdateViews();
}

}  // namespace host::headless

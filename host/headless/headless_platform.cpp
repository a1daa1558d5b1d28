#include "host/headless/headless_platform.hpp"

#include <algorithm>
#include <ostream>

#include "host/form.hpp"
#include "host/window_styles.hpp"

namespace host::headless {
using namespace host::wm;

HeadlessPlatform::HeadlessPlatform(DesktopConfig config, std::ostream* errors)
    : config_(std::move(config)),
      errorStream_(errors),
      measurer_(config_.fonts),
      canvas_(measurer_, config_.raster) {
  std::stable_sort(
      config_.actions.begin(), config_.actions.end(),
      [](const ScriptedAction& a, const ScriptedAction& b) { return a.atNs < b.atNs; });
  for (const HostWindowSpec& host : config_.hosts) {
    windows_[host.handle] = Window{.handle = host.handle,
                                   .caption = "",
                                   .records = {.style = kWsOverlappedWindow | kWsVisible},
                                   .width = host.width,
                                   .height = host.height};
  }
  for (const std::string& title : config_.foreignTitles) {
    const Hwnd handle = NewHandle();
    windows_[handle] = Window{.handle = handle,
                              .caption = title,
                              .records = {.style = kWsOverlappedWindow | kWsVisible},
                              .width = 640,
                              .height = 480};
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
    if (!w->records.Visible()) return false;
    if (w->parent == 0) break;
  }
  return true;
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
  if (action.kind == ScriptedAction::Kind::kDestroyHosts) {
    const Hwnd form = formWindow_;
    for (const HostWindowSpec& host : config_.hosts) DestroyWindowTree(host.handle);
    // The form's window went with its host: the form closes as any window does.
    if (form != 0 && Find(form) == nullptr) sink.OnCloseRequest();
    return;
  }
  // Input reaches the form's window only while it exists and can be seen.
  const Window* window = Find(formWindow_);
  if (window == nullptr || !Visible(*window)) return;
  sink.OnInput(action.input);
}

void HeadlessPlatform::DestroyWindowTree(Hwnd handle) {
  std::vector<Hwnd> children;
  for (const auto& [h, w] : windows_) {
    if (w.parent == handle) children.push_back(h);
  }
  for (const Hwnd child : children) DestroyWindowTree(child);
  windows_.erase(handle);
}

void HeadlessPlatform::SizeChanged(const Window& window) {
  if (window.handle == formWindow_) canvas_.SetClientSize({window.width, window.height});
}

Hwnd HeadlessPlatform::CreateFormWindow(const Form& form) {
  const Hwnd handle = NewHandle();
  const drawing::PixelRect normal = drawing::ToPixels(form.design().normalPlacement, Dpi());
  windows_[handle] = Window{.handle = handle,
                            .caption = form.Caption(),
                            .records = {.style = kPopupStyle},
                            .x = normal.x,
                            .y = normal.y,
                            .width = normal.width,
                            .height = normal.height,
                            .isForm = true};
  formWindow_ = handle;
  SizeChanged(windows_[handle]);
  return handle;
}

void HeadlessPlatform::SetFormCaption(std::string_view caption) {
  if (Window* w = Find(formWindow_)) w->caption = std::string(caption);
}

void HeadlessPlatform::ShowFormWindow() {
  Window* w = Find(formWindow_);
  if (w == nullptr) return;
  w->records.style |= kWsVisible | kWsMaximize;
  w->x = 0;
  w->y = 0;
  w->width = config_.screenWidth;
  w->height = config_.screenHeight;
  SizeChanged(*w);
}

void HeadlessPlatform::DestroyFormWindow() {
  if (formWindow_ != 0 && Find(formWindow_) != nullptr) DestroyWindowTree(formWindow_);
  formWindow_ = 0;
  canvas_.SetClientSize({});
}

Hwnd HeadlessPlatform::FindWindowA(const char* className, const char* windowName) {
  if (className != nullptr) return 0;  // no window here has a registered class name
  for (const auto& [handle, w] : windows_) {
    const bool topLevel = w.parent == 0 && (w.records.style & kWsChild) == 0;
    if (topLevel && (windowName == nullptr || w.caption == windowName)) return handle;
  }
  return 0;
}

Bool HeadlessPlatform::GetClientRect(Hwnd window, Rect* rect) {
  const Window* w = Find(window);
  if (w == nullptr || rect == nullptr) return 0;
  *rect = Rect{0, 0, w->width, w->height};
  return 1;
}

Long HeadlessPlatform::GetWindowLongA(Hwnd window, int index) {
  const Window* w = Find(window);
  return w == nullptr ? 0 : w->records.Get(index);
}

Long HeadlessPlatform::SetWindowLongA(Hwnd window, int index, Long value) {
  Window* w = Find(window);
  return w == nullptr ? 0 : w->records.Set(index, value);
}

Hwnd HeadlessPlatform::SetParent(Hwnd child, Hwnd newParent) {
  Window* w = Find(child);
  if (w == nullptr || (newParent != 0 && Find(newParent) == nullptr)) return 0;
  const Hwnd previous = w->parent;
  w->parent = newParent;
  return previous;
}

Bool HeadlessPlatform::SetWindowPos(Hwnd window, Hwnd, int x, int y, int cx, int cy, UInt flags) {
  Window* w = Find(window);
  if (w == nullptr) return 0;
  if ((flags & kSwpNoMove) == 0) {
    w->x = x;
    w->y = y;
  }
  if ((flags & kSwpNoSize) == 0) {
    w->width = cx;
    w->height = cy;
  }
  w->records.ApplyPlacementFlags(flags);
  SizeChanged(*w);
  return 1;
}

int HeadlessPlatform::ShowCursor(Bool show) {
  return pointer_.Show(show);
}

}  // namespace host::headless

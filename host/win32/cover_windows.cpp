// Full screen on every monitor: the form's window covers the primary monitor, and a cover window
// of the same class (no title, never in the task bar, never activated) covers each other one.
// They are laid out again whenever Windows says the monitors changed, or a look at them finds
// that they did.
#include <algorithm>

#include "host/win32/win32_platform.hpp"

namespace host::win32 {
namespace {

// Shown topmost over the area; only the form's window is activated (it takes the keyboard).
void PlaceOver(HWND window, const drawing::PixelRect& area, bool activate) {
  ::SetWindowPos(window, HWND_TOPMOST, area.x, area.y, area.width, area.height,
                 activate ? SWP_SHOWWINDOW : SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

}  // namespace

void Win32Platform::CoverMonitors() {
  monitorsChanged_ = false;
  if (window_ == nullptr || !fullScreen_) return;
  const std::vector<Monitor> monitors = AttachedMonitors();
  covered_ = monitors;
  std::vector<std::wstring> devices;
  for (const Cover& cover : covers_) devices.push_back(cover.device);
  const CoverPlan plan = PlanCovers(devices, monitors);

  PlaceOver(window_, monitors.front().area, true);
  dpi_ = monitors.front().dpi;
  std::vector<Cover> kept;
  for (std::size_t i = 0; i < covers_.size(); ++i) {
    Cover& cover = covers_[i];
    const int monitor = plan.monitorOfCover[i];
    if (monitor < 0) {
      destroying_ = true;
      DestroyWindow(cover.window);
      destroying_ = false;
      continue;
    }
    cover.device = monitors[monitor].device;
    cover.dpi = monitors[monitor].dpi;
    PlaceOver(cover.window, monitors[monitor].area, false);
    kept.push_back(std::move(cover));
  }
  for (const int monitor : plan.newCovers) {
    const drawing::PixelRect& area = monitors[monitor].area;
    // Owned by the form's window: it stays above it and goes with it.
    const HWND window =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                        MAKEINTATOM(windowClass_), L"", WS_POPUP | WS_CLIPSIBLINGS, area.x, area.y,
                        area.width, area.height, window_, nullptr, instance_, this);
    if (window == nullptr) continue;
    Cover cover{window, std::make_unique<GdiCanvas>(window, *measurer_), newViewIds_.Next(),
                monitors[monitor].dpi, monitors[monitor].device};
    kept.push_back(std::move(cover));
    PlaceOver(window, area, false);
  }
  covers_ = std::move(kept);
}

bool Win32Platform::MonitorsDueForCheck() {
  constexpr std::int64_t kCheckIntervalNs = 500'000'000;
  if (!fullScreen_ || NowNs() < nextMonitorCheckNs_) return false;
  nextMonitorCheckNs_ = NowNs() + kCheckIntervalNs;
  return AttachedMonitors() != covered_;
}

void Win32Platform::DestroyCovers() {
  destroying_ = true;
  for (Cover& cover : covers_) DestroyWindow(cover.window);
  destroying_ = false;
  covers_.clear();
  covered_.clear();
}

int Win32Platform::DpiOf(HWND window) const {
  const auto cover = std::find_if(covers_.begin(), covers_.end(),
                                  [&](const Cover& c) { return c.window == window; });
  return cover != covers_.end() ? cover->dpi : dpi_;
}

int Win32Platform::ViewIdOf(HWND window) const {
  if (window == window_) return viewId_;
  const auto cover = std::find_if(covers_.begin(), covers_.end(),
                                  [&](const Cover& c) { return c.window == window; });
  return cover != covers_.end() ? cover->viewId : 0;
}

GdiCanvas* Win32Platform::CanvasOf(HWND window) const {
  if (window == window_) return canvas_.get();
  const auto cover = std::find_if(covers_.begin(), covers_.end(),
                                  [&](const Cover& c) { return c.window == window; });
  return cover != covers_.end() ? cover->canvas.get() : nullptr;
}

}  // namespace host::win32

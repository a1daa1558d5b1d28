#include "host/win32/monitors.hpp"

#include <algorithm>

namespace host::win32 {
namespace {

// shcore's GetDpiForMonitor (Windows 8.1 and later), looked up once at run time so the program
// still starts where it is missing.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the scale the user chose for the monitor

GetDpiForMonitorFn DpiForMonitorFunction() {
  static const GetDpiForMonitorFn function = [] {
    const HMODULE shcore = LoadLibraryW(L"shcore.dll");
    if (shcore == nullptr) return GetDpiForMonitorFn{nullptr};
    return reinterpret_cast<GetDpiForMonitorFn>(
        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
  }();
  return function;
}

int SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int MonitorDpi(HMONITOR monitor) {
  UINT x = 0;
  UINT y = 0;
  if (const GetDpiForMonitorFn function = DpiForMonitorFunction();
      function != nullptr && function(monitor, kEffectiveDpi, &x, &y) == S_OK && y > 0) {
    return static_cast<int>(y);
  }
  return SystemDpi();
}

BOOL CALLBACK AddMonitor(HMONITOR handle, HDC, LPRECT, LPARAM list) {
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(handle, &info) == 0) return TRUE;
  const RECT& r = info.rcMonitor;
  reinterpret_cast<std::vector<Monitor>*>(list)->push_back(
      Monitor{info.szDevice,
              {r.left, r.top, r.right - r.left, r.bottom - r.top},
              MonitorDpi(handle),
              (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  return TRUE;
}

}  // namespace

std::vector<Monitor> AttachedMonitors() {
  std::vector<Monitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  std::erase_if(monitors, [](const Monitor& m) { return m.area.Empty(); });
  if (monitors.empty()) {
    monitors.push_back(Monitor{L"",
                               {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                               SystemDpi(),
                               true});
  }
  // The primary monitor first (the one at the origin when none says so), the rest as listed.
  auto primary =
      std::find_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
  if (primary == monitors.end()) {
    primary = std::find_if(monitors.begin(), monitors.end(),
                           [](const Monitor& m) { return m.area.x == 0 && m.area.y == 0; });
  }
  if (primary != monitors.end()) std::rotate(monitors.begin(), primary, primary + 1);
  return monitors;
}

CoverPlan PlanCovers(std::span<const std::wstring> coverDevices,
                     std::span<const Monitor> monitors) {
  CoverPlan plan;
  plan.monitorOfCover.assign(coverDevices.size(), -1);
  std::vector<bool> taken(monitors.size(), false);
  if (!monitors.empty()) taken[0] = true;  // the form's own window
  for (std::size_t cover = 0; cover < coverDevices.size(); ++cover) {
    for (std::size_t m = 1; m < monitors.size(); ++m) {
      if (!taken[m] && monitors[m].device == coverDevices[cover]) {
        plan.monitorOfCover[cover] = static_cast<int>(m);
        taken[m] = true;
        break;
      }
    }
  }
  std::size_t next = 1;
  for (int& monitor : plan.monitorOfCover) {
    if (monitor >= 0) continue;
    while (next < monitors.size() && taken[next]) ++next;
    if (next == monitors.size()) break;
    monitor = static_cast<int>(next);
    taken[next] = true;
  }
  for (std::size_t m = 1; m < monitors.size(); ++m) {
    if (!taken[m]) plan.newCovers.push_back(static_cast<int>(m));
  }
  return plan;
}

}  // namespace host::win32

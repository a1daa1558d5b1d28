#include "host/x11/monitors.hpp"

#include <cmath>
#include <cstdlib>
#include <string>

namespace host::x11 {

std::optional<int> XftDpi(Display* display) {
  // The resources as they are now, not as they were when the connection was opened.
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const Window root = RootWindow(display, DefaultScreen(display));
  if (XGetWindowProperty(display, root, XA_RESOURCE_MANAGER, 0, 1 << 16, kXFalse, XA_STRING, &type,
                         &format, &count, &after, &data) != Success ||
      data == nullptr) {
    return std::nullopt;
  }
  const std::string resources(reinterpret_cast<const char*>(data), count);
  XFree(data);
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources.c_str());
  if (database == nullptr) return std::nullopt;
  std::optional<int> dpi;
  char* kind = nullptr;
  XrmValue value{};
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &kind, &value) == kXTrue &&
      value.addr != nullptr) {
    char* end = nullptr;
    const double parsed = std::strtod(value.addr, &end);
    if (end != value.addr && parsed >= 24 && parsed <= 960)
      dpi = static_cast<int>(std::lround(parsed));
  }
  XrmDestroyDatabase(database);
  return dpi;
}

std::optional<int> DpiOfLength(int pixels, int millimetres) {
  if (pixels <= 0 || millimetres <= 0) return std::nullopt;
  const double dpi = pixels * 25.4 / millimetres;
  // Servers that do not know the size make one up; a value no monitor has means just that.
  if (dpi < 24 || dpi > 960) return std::nullopt;
  return static_cast<int>(std::lround(dpi));
}

std::vector<Monitor> QueryMonitors(Display* display, int screen) {
  const Window root = RootWindow(display, screen);
  const std::optional<int> xft = XftDpi(display);
  const std::optional<int> screenDpi =
      DpiOfLength(DisplayHeight(display, screen), DisplayHeightMM(display, screen));
  auto dpiFor = [&](int pixels, int millimetres) {
    if (xft) return *xft;
    return DpiOfLength(pixels, millimetres).value_or(screenDpi.value_or(drawing::kStandardDpi));
  };
  std::vector<Monitor> monitors;
  int event = 0, error = 0;
  if (XRRQueryExtension(display, &event, &error)) {
    int count = 0;
    XRRMonitorInfo* info = XRRGetMonitors(display, root, kXTrue, &count);
    for (int i = 0; info != nullptr && i < count; ++i) {
      const XRRMonitorInfo& m = info[i];
      if (m.width <= 0 || m.height <= 0) continue;
      const Monitor monitor{{m.x, m.y, m.width, m.height}, dpiFor(m.height, m.mheight)};
      // The primary first: its view is the form's own window.
      if (m.primary) {
        monitors.insert(monitors.begin(), monitor);
      } else {
        monitors.push_back(monitor);
      }
    }
    if (info != nullptr) XRRFreeMonitors(info);
  }
  if (monitors.empty()) {
    monitors.push_back({{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)},
                        xft.value_or(screenDpi.value_or(drawing::kStandardDpi))});
  }
  return monitors;
}

bool WatchMonitors(Display* display, int screen, int* eventBase) {
  int error = 0;
  if (!XRRQueryExtension(display, eventBase, &error)) return false;
  XRRSelectInput(display, RootWindow(display, screen),
                 RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
  return true;
}

}  // namespace host::x11

#include "tests/x11/screen_probe.hpp"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <thread>

#include "host/x11/window_search.hpp"

namespace x11test {
namespace {

Shot Grab(Display* display, Window window, int width, int height) {
  Shot shot{width, height, {}};
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return Shot{};
  shot.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      shot.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)] =
          static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF);
    }
  }
  XDestroyImage(image);
  return shot;
}

}  // namespace

Shot Capture(Display* display) {
  const int screen = DefaultScreen(display);
  return Grab(display, RootWindow(display, screen), DisplayWidth(display, screen),
              DisplayHeight(display, screen));
}

Shot CaptureWindow(Display* display, Window window) {
  const XWindowAttributes a = Attributes(display, window);
  return Grab(display, window, a.width, a.height);
}

std::pair<int, unsigned long> ServerPixmaps(Display* display, Window window) {
  int count = 0;
  XResClient* clients = nullptr;
  XResQueryClients(display, &count, &clients);
  XID base = 0;
  for (int i = 0; i < count; ++i) {
    if ((window & ~clients[i].resource_mask) == clients[i].resource_base) {
      base = clients[i].resource_base;
    }
  }
  XFree(clients);
  int types = 0;
  XResType* resources = nullptr;
  XResQueryClientResources(display, base, &types, &resources);
  const Atom pixmap = XInternAtom(display, "PIXMAP", 0);
  int pixmaps = 0;
  for (int i = 0; i < types; ++i) {
    if (resources[i].resource_type == pixmap) pixmaps = static_cast<int>(resources[i].count);
  }
  XFree(resources);
  unsigned long bytes = 0;
  XResQueryClientPixmapBytes(display, base, &bytes);
  return {pixmaps, bytes};
}

bool PointerInvisible(Display* display) {
  int eventBase = 0;
  int errorBase = 0;
  // A server without XFIXES cannot be asked: the request would break the connection.
  if (XFixesQueryExtension(display, &eventBase, &errorBase) == 0) return false;
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (image == nullptr) return false;
  bool invisible = image->width == 1 && image->height == 1 && (image->pixels[0] >> 24) == 0;
  XFree(image);
  return invisible;
}

std::vector<Window> MappedChildren(Display* display, Window parent) {
  std::vector<Window> mapped;
  for (const Window w : host::x11::Children(display, parent)) {
    if (Attributes(display, w).map_state == IsViewable) mapped.push_back(w);
  }
  return mapped;
}

std::string WmName(Display* display, Window window) {
  char* name = nullptr;
  std::string result;
  if (XFetchName(display, window, &name) != 0 && name != nullptr) result = name;
  if (name != nullptr) XFree(name);
  return result;
}

std::string NetWmName(Display* display, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::string result;
  if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", host::x11::kXFalse),
                         0, 256, host::x11::kXFalse,
                         XInternAtom(display, "UTF8_STRING", host::x11::kXFalse), &type, &format,
                         &items, &after, &data) == Success &&
      data != nullptr) {
    result.assign(reinterpret_cast<const char*>(data), items);
  }
  if (data != nullptr) XFree(data);
  return result;
}

XWindowAttributes Attributes(Display* display, Window window) {
  XWindowAttributes a{};
  if (XGetWindowAttributes(display, window, &a) == 0) a = XWindowAttributes{};
  return a;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace x11test

#include "host/x11/window_search.hpp"

#include <vector>

namespace host::x11 {
namespace {

bool HasWmState(Display* display, Window window) {
  const Atom wmState = XInternAtom(display, "WM_STATE", kXFalse);
  Atom type = None;
  int format = 0;
  unsigned long items = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, window, wmState, 0, 0, kXFalse, AnyPropertyType,
                                        &type, &format, &items, &after, &data);
  if (data != nullptr) XFree(data);
  return status == Success && type != None;
}

// The client inside a window manager's frame: the nearest descendant with WM_STATE.
Window ClientOf(Display* display, Window frame, int depth) {
  if (depth == 0) return 0;
  const std::vector<Window> children = Children(display, frame);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (HasWmState(display, *it)) return *it;
  }
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (const Window client = ClientOf(display, *it, depth - 1)) return client;
  }
  return 0;
}

}  // namespace

std::vector<Window> Children(Display* display, Window window) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  std::vector<Window> result;
  if (XQueryTree(display, window, &root, &parent, &children, &count) != 0 && children != nullptr) {
    result.assign(children, children + count);
  }
  if (children != nullptr) XFree(children);
  return result;
}

std::string WindowTitle(Display* display, Window window) {
  const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", kXFalse);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", kXFalse);
  Atom type = None;
  int format = 0;
  unsigned long items = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, netWmName, 0, 1024, kXFalse, utf8, &type, &format, &items,
                         &after, &data) == Success &&
      type == utf8 && format == 8 && data != nullptr) {
    title.assign(reinterpret_cast<const char*>(data), items);
    XFree(data);
    return title;
  }
  if (data != nullptr) XFree(data);
  char* name = nullptr;
  if (XFetchName(display, window, &name) != 0 && name != nullptr) {
    title = name;
    XFree(name);
  }
  return title;
}

Window FindTopLevelByTitle(Display* display, Window root, std::string_view title) {
  const std::vector<Window> topLevel = Children(display, root);  // bottom to top
  for (auto it = topLevel.rbegin(); it != topLevel.rend(); ++it) {
    if (WindowTitle(display, *it) == title) return *it;
    if (HasWmState(display, *it)) continue;  // a client itself, not a frame
    if (const Window client = ClientOf(display, *it, 3)) {
      if (WindowTitle(display, client) == title) return client;
    }
  }
  return 0;
}

}  // namespace host::x11

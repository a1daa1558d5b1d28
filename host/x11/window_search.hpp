// Finding a top-level window by its title, as a window manager's client sees them: a window
// manager wraps each client in a frame, so a frame without a title is searched for its client.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/x11/xlib.hpp"

namespace host::x11 {

// The window's children, bottom-most first; empty when it has none or does not exist.
std::vector<Window> Children(Display* display, Window window);

// The window's title: _NET_WM_NAME when set, else WM_NAME; empty when it has neither.
std::string WindowTitle(Display* display, Window window);

// The top-most top-level client window titled exactly `title`, or 0.
Window FindTopLevelByTitle(Display* display, Window root, std::string_view title);

}  // namespace host::x11

// What the tests look at on the private display: the screen's pixels, the pointer's image,
// the window tree, window titles; and waiting for any of them with a time limit.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/screen_shot.hpp"

namespace x11test {

using testing_support::Box;
using testing_support::InkBox;
using testing_support::Shot;
using testing_support::StrayPixels;

// A picture of the whole screen (or of one window's area, as the screen shows it).
Shot Capture(Display* display);
Shot CaptureWindow(Display* display, Window window);
// The pointer's image is the invisible one: 1x1 and fully transparent (false on a server
// without XFIXES, which cannot tell).
bool PointerInvisible(Display* display);

// The pixmaps the X server holds for the client that made this window, and their bytes.
std::pair<int, unsigned long> ServerPixmaps(Display* display, Window window);

// Mapped children of `parent`, bottom to top.
std::vector<Window> MappedChildren(Display* display, Window parent);
std::string WmName(Display* display, Window window);
std::string NetWmName(Display* display, Window window);
XWindowAttributes Attributes(Display* display, Window window);

// Polls `condition` every few milliseconds until it holds or `limit` passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit);

}  // namespace x11test

// What the tests look at on the private display: the screen's pixels, the pointer's image,
// the window tree, window titles; and waiting for any of them with a time limit.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace x11test {

struct Shot {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

struct Box {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool Contains(int px, int py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
};

// A picture of the whole screen (or of one window's area, as the screen shows it).
Shot Capture(Display* display);
Shot CaptureWindow(Display* display, Window window);
// The smallest box holding every non-black pixel of `area` (width 0 if there is none).
Box InkBox(const Shot& shot, const Box& area);
// Non-black pixels in `area` that are not inside `except`.
int StrayPixels(const Shot& shot, const Box& area, const std::vector<Box>& except);

// The pointer's image is the invisible one: 1x1 and fully transparent.
bool PointerInvisible(Display* display);

// Mapped children of `parent`, bottom to top.
std::vector<Window> MappedChildren(Display* display, Window parent);
std::string WmName(Display* display, Window window);
std::string NetWmName(Display* display, Window window);
XWindowAttributes Attributes(Display* display, Window window);

// Polls `condition` every few milliseconds until it holds or `limit` passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit);

}  // namespace x11test

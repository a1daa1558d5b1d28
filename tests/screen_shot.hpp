// A picture of the screen and the questions the screen tests ask of it, the same on every
// platform; each platform's tests only read the pixels in.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace testing_support {

struct Box {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool Contains(int px, int py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
};

struct Shot {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// The part of the shot inside `area` (which lies inside the shot), as a shot of its own.
inline Shot Crop(const Shot& shot, const Box& area) {
  Shot part{area.width, area.height, {}};
  part.pixels.reserve(static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height));
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) part.pixels.push_back(shot.At(x, y));
  }
  return part;
}

// The smallest box holding every pixel of `area` that is not black (width 0 when none is).
inline Box InkBox(const Shot& shot, const Box& area) {
  int left = area.x + area.width;
  int top = area.y + area.height;
  int right = area.x - 1;
  int bottom = area.y - 1;
  for (int y = std::max(area.y, 0); y < std::min(area.y + area.height, shot.height); ++y) {
    for (int x = std::max(area.x, 0); x < std::min(area.x + area.width, shot.width); ++x) {
      if (shot.At(x, y) == 0) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < left) return Box{};
  return Box{left, top, right - left + 1, bottom - top + 1};
}

// Pixels of `area` that are not black and lie in none of the `allowed` boxes.
inline int StrayPixels(const Shot& shot, const Box& area, const std::vector<Box>& allowed) {
  int count = 0;
  for (int y = std::max(area.y, 0); y < std::min(area.y + area.height, shot.height); ++y) {
    for (int x = std::max(area.x, 0); x < std::min(area.x + area.width, shot.width); ++x) {
      if (shot.At(x, y) == 0) continue;
      const bool inside = std::any_of(allowed.begin(), allowed.end(),
                                      [&](const Box& b) { return b.Contains(x, y); });
      if (!inside) ++count;
    }
  }
  return count;
}

}  // namespace testing_support

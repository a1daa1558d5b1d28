// The screen as the user sees it, read back through GDI, and the questions the tests ask of it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "host/drawing/bmp_image.hpp"

namespace win32test {

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

// The whole virtual screen, or only the part from its top-left corner to (width, height), which
// wine reads back much faster.
Shot CaptureScreen(int width = 0, int height = 0);
// The smallest box holding every pixel in `area` that is not black (width 0 when none is).
Box InkBox(const Shot& shot, Box area);
// Pixels in `area` that are not black and lie in none of the `allowed` boxes.
int StrayPixels(const Shot& shot, Box area, std::initializer_list<Box> allowed);
// Whether the picture appears at (x, y) pixel for pixel.
bool PictureAt(const Shot& shot, const host::drawing::RgbImage& picture, int x, int y);
// Writes the shot as a 24-bit BMP file.
bool SaveBmp(const Shot& shot, const std::wstring& path);

}  // namespace win32test

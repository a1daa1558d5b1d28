// 0x00RRGGBB pixels in the form of any visual, converted in one pass from tables made once: a
// true-colour visual of any depth (8, 15, 16, 24, 30 bits) from its channel masks, any other
// (pseudo colour, grey) through a small colour cube allocated in the colormap.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "host/drawing/bmp_image.hpp"
#include "host/drawing/colours.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

class PixelConversion {
 public:
  // allocate: the visual's pixel for a colour (asked only for visuals without channel masks).
  PixelConversion(const Visual& visual, const std::function<std::uint32_t(drawing::Rgb)>& allocate);

  std::uint32_t PixelOf(std::uint32_t rgb) const {
    return red_[(rgb >> 16) & 0xFF] + green_[(rgb >> 8) & 0xFF] + blue_[rgb & 0xFF];
  }
  // Writes the picture into the image's data (sized for it, of the same width and height).
  void Convert(const drawing::RgbImage& picture, XImage& image) const;

 private:
  // Each table holds its channel's part: bits under the mask (disjoint, so the sum is the
  // pixel), or with a cube the index's part, and the cube maps the sum to a pixel.
  std::array<std::uint32_t, 256> red_{};
  std::array<std::uint32_t, 256> green_{};
  std::array<std::uint32_t, 256> blue_{};
  std::vector<std::uint32_t> cube_;  // empty for true colour
};

}  // namespace host::x11

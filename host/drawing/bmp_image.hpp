// The banner arrives as a BMP file's bytes; this decodes the uncompressed 24-bit form into
// 0x00RRGGBB pixels, top row first.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace host::drawing {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row after row from the top
};

// Bottom-up and top-down rows are both read. Any other form, or a truncated file, yields an
// empty image.
RgbImage DecodeBmp24(std::span<const std::uint8_t> file);

}  // namespace host::drawing

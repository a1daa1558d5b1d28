#include "host/drawing/bmp_image.hpp"

#include <cstdlib>

namespace host::drawing {
namespace {

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}
std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

}  // namespace

RgbImage DecodeBmp24(std::span<const std::uint8_t> file) {
  constexpr std::size_t kHeaders = 14 + 40;
  if (file.size() < kHeaders || file[0] != 'B' || file[1] != 'M') return {};
  const std::uint32_t dataOffset = U32(file, 10);
  const std::uint32_t infoSize = U32(file, 14);
  const auto width = static_cast<std::int32_t>(U32(file, 18));
  const auto height = static_cast<std::int32_t>(U32(file, 22));
  if (infoSize < 40 || U16(file, 26) != 1 || U16(file, 28) != 24 || U32(file, 30) != 0) return {};
  if (width <= 0 || height == 0 || width > 16384 || std::abs(height) > 16384) return {};
  const bool bottomUp = height > 0;
  const std::size_t rows = static_cast<std::size_t>(std::abs(height));
  const std::size_t cols = static_cast<std::size_t>(width);
  const std::size_t stride = (cols * 3 + 3) & ~std::size_t{3};
  if (dataOffset > file.size() || file.size() - dataOffset < stride * rows) return {};

  RgbImage image{static_cast<int>(cols), static_cast<int>(rows), {}};
  image.pixels.resize(cols * rows);
  for (std::size_t y = 0; y < rows; ++y) {
    const std::size_t fileRow = bottomUp ? rows - 1 - y : y;
    const std::uint8_t* src = file.data() + dataOffset + fileRow * stride;
    std::uint32_t* dst = image.pixels.data() + y * cols;
    for (std::size_t x = 0; x < cols; ++x, src += 3) {
      dst[x] = std::uint32_t{src[2]} << 16 | std::uint32_t{src[1]} << 8 | src[0];
    }
  }
  return image;
}

}  // namespace host::drawing

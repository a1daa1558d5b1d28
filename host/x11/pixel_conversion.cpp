#include "host/x11/pixel_conversion.hpp"

#include <bit>

namespace host::x11 {
namespace {

// Levels per channel of the cube for visuals without masks: 6 x 6 x 6 = 216 colours leave a
// 256-entry colormap a few cells for other clients.
constexpr std::uint32_t kLevels = 6;

void FillChannel(std::array<std::uint32_t, 256>& table, unsigned long mask) {
  const int shift = std::countr_zero(mask);
  const unsigned long top = mask >> shift;  // all ones, as many as the channel has bits
  for (std::uint32_t c = 0; c < 256; ++c) {
    table[c] = static_cast<std::uint32_t>(((c * top + 127) / 255) << shift);
  }
}

void FillLevels(std::array<std::uint32_t, 256>& table, std::uint32_t stride) {
  for (std::uint32_t c = 0; c < 256; ++c) table[c] = (c * (kLevels - 1) + 127) / 255 * stride;
}

void Store(XImage& image, int x, int y, std::uint32_t pixel) {
  auto* row = reinterpret_cast<unsigned char*>(image.data) +
              static_cast<std::size_t>(y) * static_cast<std::size_t>(image.bytes_per_line);
  const int bytes = image.bits_per_pixel / 8;
  unsigned char* at = row + static_cast<std::size_t>(x) * static_cast<std::size_t>(bytes);
  for (int i = 0; i < bytes; ++i) {
    const int byte = image.byte_order == LSBFirst ? i : bytes - 1 - i;
    at[byte] = static_cast<unsigned char>(pixel >> (8 * i));
  }
}

}  // namespace

PixelConversion::PixelConversion(const Visual& visual,
                                 const std::function<std::uint32_t(drawing::Rgb)>& allocate) {
  if (visual.red_mask != 0 && visual.green_mask != 0 && visual.blue_mask != 0) {
    FillChannel(red_, visual.red_mask);
    FillChannel(green_, visual.green_mask);
    FillChannel(blue_, visual.blue_mask);
    return;
  }
  FillLevels(red_, kLevels * kLevels);
  FillLevels(green_, kLevels);
  FillLevels(blue_, 1);
  cube_.resize(kLevels * kLevels * kLevels);
  for (std::uint32_t i = 0; i < cube_.size(); ++i) {
    const auto level = [](std::uint32_t l) { return static_cast<std::uint8_t>(l * 255 / 5); };
    cube_[i] = allocate(
        {level(i / (kLevels * kLevels)), level(i / kLevels % kLevels), level(i % kLevels)});
  }
}

void PixelConversion::Convert(const drawing::RgbImage& picture, XImage& image) const {
  const bool whole = image.bits_per_pixel % 8 == 0 && image.bits_per_pixel <= 32;
  for (int y = 0; y < picture.height; ++y) {
    const std::uint32_t* source =
        picture.pixels.data() +
        static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t index = PixelOf(source[x]);
      const std::uint32_t pixel = cube_.empty() ? index : cube_[index];
      if (whole) {
        Store(image, x, y, pixel);
      } else {
        XPutPixel(&image, x, y, pixel);  // 1 or 4 bits per pixel: rare enough to go slowly
      }
    }
  }
}

}  // namespace host::x11

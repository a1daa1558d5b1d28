// BMP files made in memory for the tests: a 54-byte header and the rows as given.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace testing_support {

inline std::vector<std::uint8_t> BmpFile(int width, int height,
                                         const std::vector<std::uint8_t>& rows, int bits = 24,
                                         int compression = 0) {
  std::vector<std::uint8_t> file(54 + rows.size(), 0);
  std::copy(rows.begin(), rows.end(), file.begin() + 54);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(54 + rows.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = static_cast<std::uint8_t>(bits);
  put32(30, static_cast<std::uint32_t>(compression));
  return file;
}

// A picture of one colour (0x00RRGGBB), bottom-up rows padded to four bytes.
inline std::vector<std::uint8_t> SolidBmp(int width, int height, std::uint32_t rgb) {
  const int stride = (width * 3 + 3) & ~3;
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride * height), 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto at = static_cast<std::size_t>(y * stride + x * 3);
      rows[at] = static_cast<std::uint8_t>(rgb);
      rows[at + 1] = static_cast<std::uint8_t>(rgb >> 8);
      rows[at + 2] = static_cast<std::uint8_t>(rgb >> 16);
    }
  }
  return BmpFile(width, height, rows);
}

}  // namespace testing_support

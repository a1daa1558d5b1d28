// The banner's decoder: the uncompressed 24-bit form, either row order; nothing else.
#include "host/drawing/bmp_image.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/bmp_bytes.hpp"

namespace {

using host::drawing::DecodeBmp24;
using testing_support::BmpFile;

// 2x2: bottom row blue, green; top row red, white. Rows padded to 8 bytes.
const std::vector<std::uint8_t> kRows = {0xFF, 0, 0,    0,    0xFF, 0,    0, 0,
                                         0,    0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};

TEST(DecodeBmp24, BottomUpRowsComeOutTopFirst) {
  const auto image = DecodeBmp24(BmpFile(2, 2, kRows));
  ASSERT_EQ(image.width, 2);
  ASSERT_EQ(image.height, 2);
  EXPECT_EQ(image.pixels, (std::vector<std::uint32_t>{0xFF0000, 0xFFFFFF, 0x0000FF, 0x00FF00}));
}

TEST(DecodeBmp24, TopDownRowsStayInOrder) {
  const auto image = DecodeBmp24(BmpFile(2, -2, kRows));
  EXPECT_EQ(image.pixels, (std::vector<std::uint32_t>{0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF}));
}

TEST(DecodeBmp24, OtherFormsAndTruncatedFilesAreRefused) {
  EXPECT_TRUE(DecodeBmp24(BmpFile(2, 2, kRows, 32)).pixels.empty());
  EXPECT_TRUE(DecodeBmp24(BmpFile(2, 2, kRows, 24, 1)).pixels.empty());
  auto truncated = BmpFile(2, 2, kRows);
  truncated.pop_back();
  EXPECT_TRUE(DecodeBmp24(truncated).pixels.empty());
  auto notBmp = BmpFile(2, 2, kRows);
  notBmp[0] = 'X';
  EXPECT_TRUE(DecodeBmp24(notBmp).pixels.empty());
}

}  // namespace

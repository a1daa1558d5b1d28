// The X11 program's pure parts: the daemon command lines and the BMP decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "host/drawing/bmp_image.hpp"
#include "host/x11/command_line.hpp"

namespace {

using host::x11::DaemonCommandLine;
using host::drawing::DecodeBmp24;
using host::x11::ParseWindowId;

constexpr unsigned long kRoot = 0x2ee;

TEST(DaemonCommandLine, PlainArgumentsAreJoinedBySingleSpaces) {
  EXPECT_EQ(DaemonCommandLine({}, nullptr, kRoot), "");
  EXPECT_EQ(DaemonCommandLine({"/s"}, nullptr, kRoot), "/s");
  EXPECT_EQ(DaemonCommandLine({"/p", "123"}, nullptr, kRoot), "/p 123");
  EXPECT_EQ(DaemonCommandLine({"/c"}, "0x400001", kRoot), "/c")
      << "arguments win over the variable";
}

TEST(DaemonCommandLine, TheDaemonWindowVariableCountsWithNoArguments) {
  EXPECT_EQ(DaemonCommandLine({}, "0x400001", kRoot), "/P 4194305");
  EXPECT_EQ(DaemonCommandLine({}, "4194305", kRoot), "/P 4194305");
  EXPECT_EQ(DaemonCommandLine({}, "", kRoot), "");
  EXPECT_EQ(DaemonCommandLine({}, "window", kRoot), "") << "names no window: full screen";
}

TEST(DaemonCommandLine, WindowIdOptions) {
  EXPECT_EQ(DaemonCommandLine({"-window-id", "0x1a00003"}, nullptr, kRoot), "/P 27262979");
  EXPECT_EQ(DaemonCommandLine({"--window-id", "27262979"}, nullptr, kRoot), "/P 27262979");
  EXPECT_EQ(DaemonCommandLine({"-window-id", "junk"}, nullptr, kRoot), "/P 0");
  EXPECT_EQ(DaemonCommandLine({"-window-id"}, nullptr, kRoot), "-window-id");
}

TEST(DaemonCommandLine, RootMeansTheDaemonsWindowOrTheRoot) {
  EXPECT_EQ(DaemonCommandLine({"-root"}, nullptr, kRoot), "/P 750");
  EXPECT_EQ(DaemonCommandLine({"-root"}, "0x400001", kRoot), "/P 4194305");
}

TEST(ParseWindowId, AcceptsHexAndDecimalOnly) {
  EXPECT_EQ(ParseWindowId("0x10"), 16u);
  EXPECT_EQ(ParseWindowId("0XfF"), 255u);
  EXPECT_EQ(ParseWindowId("010"), 10u) << "a leading zero is not octal";
  EXPECT_EQ(ParseWindowId("2147483647"), 2147483647u);
  EXPECT_FALSE(ParseWindowId("2147483648"));
  EXPECT_FALSE(ParseWindowId("0"));
  EXPECT_FALSE(ParseWindowId("0x"));
  EXPECT_FALSE(ParseWindowId("12a"));
  EXPECT_FALSE(ParseWindowId("-5"));
  EXPECT_FALSE(ParseWindowId(" 5"));
}

// A BMP file with a 40-byte info header and 24-bit rows, as given (already padded).
std::vector<std::uint8_t> Bmp(int width, int height, const std::vector<std::uint8_t>& rows,
                              int bits = 24, int compression = 0) {
  std::vector<std::uint8_t> file(54 + rows.size(), 0);
  std::copy(rows.begin(), rows.end(), file.begin() + 54);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
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

// 2x2: bottom row blue, green; top row red, white. Rows padded to 8 bytes.
const std::vector<std::uint8_t> kRows = {0xFF, 0, 0,    0,    0xFF, 0,    0, 0,
                                         0,    0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};

TEST(DecodeBmp24, BottomUpRowsComeOutTopFirst) {
  const auto image = DecodeBmp24(Bmp(2, 2, kRows));
  ASSERT_EQ(image.width, 2);
  ASSERT_EQ(image.height, 2);
  EXPECT_EQ(image.pixels, (std::vector<std::uint32_t>{0xFF0000, 0xFFFFFF, 0x0000FF, 0x00FF00}));
}

TEST(DecodeBmp24, TopDownRowsStayInOrder) {
  const auto image = DecodeBmp24(Bmp(2, -2, kRows));
  EXPECT_EQ(image.pixels, (std::vector<std::uint32_t>{0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF}));
}

TEST(DecodeBmp24, OtherFormsAndTruncatedFilesAreRefused) {
  EXPECT_TRUE(DecodeBmp24(Bmp(2, 2, kRows, 32)).pixels.empty());
  EXPECT_TRUE(DecodeBmp24(Bmp(2, 2, kRows, 24, 1)).pixels.empty());
  auto truncated = Bmp(2, 2, kRows);
  truncated.pop_back();
  EXPECT_TRUE(DecodeBmp24(truncated).pixels.empty());
  auto notBmp = Bmp(2, 2, kRows);
  notBmp[0] = 'X';
  EXPECT_TRUE(DecodeBmp24(notBmp).pixels.empty());
}

}  // namespace

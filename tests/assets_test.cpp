// Checks the committed artwork files: the banner bitmap and the icon.

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef VORTHANE_ASSETS_DIR
#error "VORTHANE_ASSETS_DIR must name the assets directory"
#endif

namespace {

constexpr int kBannerWidth = 804;
constexpr int kBannerHeight = 204;
constexpr int kBannerRowBytes = kBannerWidth * 3;  // already a multiple of 4
constexpr std::size_t kBannerFileSize = 14 + 40 + kBannerRowBytes * kBannerHeight;
constexpr int kArtFirstColumn = 86;
constexpr int kArtLastColumn = 717;

constexpr std::size_t kIconFileSize = 766;
constexpr std::size_t kIconImageSize = 744;

std::vector<std::uint8_t> ReadFile(const std::string& name) {
  const std::string path = std::string(VORTHANE_ASSETS_DIR) + "/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "cannot open " << path;
    return {};
  }
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint16_t U16(const std::vector<std::uint8_t>& d, std::size_t at) {
  return static_cast<std::uint16_t>(d.at(at) | (d.at(at + 1) << 8));
}

std::uint32_t U32(const std::vector<std::uint8_t>& d, std::size_t at) {
  return static_cast<std::uint32_t>(d.at(at)) | (static_cast<std::uint32_t>(d.at(at + 1)) << 8) |
         (static_cast<std::uint32_t>(d.at(at + 2)) << 16) |
         (static_cast<std::uint32_t>(d.at(at + 3)) << 24);
}

std::int32_t I32(const std::vector<std::uint8_t>& d, std::size_t at) {
  return static_cast<std::int32_t>(U32(d, at));
}

struct Rgb {
  int r;
  int g;
  int b;
  bool IsBlack() const { return r == 0 && g == 0 && b == 0; }
};

// Pixel access in top-down picture coordinates (the file stores rows bottom-up).
class Banner : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = ReadFile("banner.bmp");
    ASSERT_EQ(data_.size(), kBannerFileSize);
  }

  Rgb At(int x, int y) const {
    const std::size_t row = static_cast<std::size_t>(kBannerHeight - 1 - y);
    const std::size_t at = 54 + row * kBannerRowBytes + static_cast<std::size_t>(x) * 3;
    return {data_[at + 2], data_[at + 1], data_[at]};
  }

  std::vector<std::uint8_t> data_;
};

TEST(BannerFile, HasExactSize) {
  EXPECT_EQ(ReadFile("banner.bmp").size(), 492102u);
}

TEST_F(Banner, HeaderFields) {
  EXPECT_EQ(data_[0], 'B');
  EXPECT_EQ(data_[1], 'M');
  EXPECT_EQ(U32(data_, 2), kBannerFileSize);
  EXPECT_EQ(U32(data_, 10), 54u);  // pixel data offset
  EXPECT_EQ(U32(data_, 14), 40u);  // BITMAPINFOHEADER
  EXPECT_EQ(I32(data_, 18), kBannerWidth);
  EXPECT_EQ(I32(data_, 22), kBannerHeight);  // positive: bottom-up rows
  EXPECT_EQ(U16(data_, 26), 1u);             // planes
  EXPECT_EQ(U16(data_, 28), 24u);            // bits per pixel
  EXPECT_EQ(U32(data_, 30), 0u);             // BI_RGB
  EXPECT_EQ(U32(data_, 46), 0u);             // no palette
}

TEST_F(Banner, CornersAreBlack) {
  for (const auto& [x, y] :
       std::array<std::array<int, 2>, 4>{{{0, 0},
                                          {kBannerWidth - 1, 0},
                                          {0, kBannerHeight - 1},
                                          {kBannerWidth - 1, kBannerHeight - 1}}}) {
    EXPECT_TRUE(At(x, y).IsBlack()) << "corner " << x << "," << y;
  }
}

TEST_F(Banner, OutsideColumnsArePureBlack) {
  int stray = 0;
  for (int y = 0; y < kBannerHeight; ++y) {
    for (int x = 0; x < kBannerWidth; ++x) {
      if ((x < kArtFirstColumn || x > kArtLastColumn) && !At(x, y).IsBlack()) ++stray;
    }
  }
  EXPECT_EQ(stray, 0) << "non-black pixels outside columns " << kArtFirstColumn << ".."
                      << kArtLastColumn;
}

TEST_F(Banner, ArtworkSpansFullHeightAndMostOfTheWidth) {
  int first_col = kBannerWidth;
  int last_col = -1;
  int top_row_lit = 0;
  int bottom_row_lit = 0;
  for (int y = 0; y < kBannerHeight; ++y) {
    for (int x = 0; x < kBannerWidth; ++x) {
      if (At(x, y).IsBlack()) continue;
      if (x < first_col) first_col = x;
      if (x > last_col) last_col = x;
      if (y == 0) ++top_row_lit;
      if (y == kBannerHeight - 1) ++bottom_row_lit;
    }
  }
  EXPECT_GT(top_row_lit, 0) << "nothing drawn in the top row";
  EXPECT_GT(bottom_row_lit, 0) << "nothing drawn in the bottom row";
  EXPECT_GE(first_col, kArtFirstColumn);
  EXPECT_LE(last_col, kArtLastColumn);
  // The picture should use the space it is given, not sit in a small spot.
  EXPECT_LE(first_col, kArtFirstColumn + 20);
  EXPECT_GE(last_col, kArtLastColumn - 20);
}

TEST_F(Banner, HasBlueGalaxyAndRedHilt) {
  int blue = 0;
  int red = 0;
  int lit = 0;
  for (int y = 0; y < kBannerHeight; ++y) {
    for (int x = 0; x < kBannerWidth; ++x) {
      const Rgb p = At(x, y);
      if (p.IsBlack()) continue;
      ++lit;
      if (p.b >= 40 && p.b > p.r + 20 && p.b >= p.g) ++blue;
      if (p.r >= 60 && p.r > p.g + 30 && p.r > p.b + 30) ++red;
    }
  }
  const int area = kBannerWidth * kBannerHeight;
  // The galaxy and lettering cover a good part of the picture in blue.
  EXPECT_GT(blue, area / 5) << "blue pixels: " << blue;
  // The hilt is a small dark-red part, not a red picture.
  EXPECT_GT(red, 300) << "red pixels: " << red;
  EXPECT_LT(red, area / 20) << "red pixels: " << red;
  EXPECT_GT(lit, area / 3);
}

// The standard 16-colour palette, in index order.
constexpr std::array<Rgb, 16> kPalette16{{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};
constexpr int kBlue = 12;
constexpr int kWhite = 15;

class Icon : public ::testing::Test {
 protected:
  static constexpr std::size_t kImage = 22;  // ICONDIR + one ICONDIRENTRY
  static constexpr std::size_t kPalette = kImage + 40;
  static constexpr std::size_t kXor = kPalette + 16 * 4;
  static constexpr std::size_t kAnd = kXor + 32 * 16;

  void SetUp() override {
    data_ = ReadFile("icon.ico");
    ASSERT_EQ(data_.size(), kIconFileSize);
  }

  // Colour index at (x, y), top-down.
  int Index(int x, int y) const {
    const std::size_t row = static_cast<std::size_t>(31 - y);
    const std::uint8_t byte = data_[kXor + row * 16 + static_cast<std::size_t>(x / 2)];
    return x % 2 == 0 ? byte >> 4 : byte & 0x0F;
  }

  bool Transparent(int x, int y) const {
    const std::size_t row = static_cast<std::size_t>(31 - y);
    const std::uint8_t byte = data_[kAnd + row * 4 + static_cast<std::size_t>(x / 8)];
    return (byte & (0x80 >> (x % 8))) != 0;
  }

  std::vector<std::uint8_t> data_;
};

TEST_F(Icon, DirectoryAndEntry) {
  EXPECT_EQ(U16(data_, 0), 0u);   // reserved
  EXPECT_EQ(U16(data_, 2), 1u);   // icon
  EXPECT_EQ(U16(data_, 4), 1u);   // one image
  EXPECT_EQ(data_[6], 32);        // width
  EXPECT_EQ(data_[7], 32);        // height
  EXPECT_EQ(data_[8], 16);        // colour count
  EXPECT_EQ(data_[9], 0);         // reserved
  EXPECT_EQ(U16(data_, 10), 1u);  // planes
  EXPECT_EQ(U16(data_, 12), 4u);  // bits per pixel
  EXPECT_EQ(U32(data_, 14), kIconImageSize);
  EXPECT_EQ(U32(data_, 18), kImage);
  EXPECT_EQ(U32(data_, 18) + U32(data_, 14), data_.size());
}

TEST_F(Icon, BitmapInfoHeader) {
  EXPECT_EQ(U32(data_, kImage), 40u);
  EXPECT_EQ(I32(data_, kImage + 4), 32);
  EXPECT_EQ(I32(data_, kImage + 8), 64);  // XOR bitmap and AND mask together
  EXPECT_EQ(U16(data_, kImage + 12), 1u);
  EXPECT_EQ(U16(data_, kImage + 14), 4u);
  EXPECT_EQ(U32(data_, kImage + 16), 0u);  // BI_RGB
}

TEST_F(Icon, PaletteIsTheStandardSixteenColours) {
  for (std::size_t i = 0; i < kPalette16.size(); ++i) {
    const std::size_t at = kPalette + i * 4;
    EXPECT_EQ(data_[at + 2], kPalette16[i].r) << "index " << i;
    EXPECT_EQ(data_[at + 1], kPalette16[i].g) << "index " << i;
    EXPECT_EQ(data_[at], kPalette16[i].b) << "index " << i;
    EXPECT_EQ(data_[at + 3], 0) << "index " << i;
  }
}

TEST_F(Icon, TransparentGroundWithBlueAndWhiteShapes) {
  int transparent = 0;
  int opaque = 0;
  int blue = 0;
  int white = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      if (Transparent(x, y)) {
        ++transparent;
        EXPECT_EQ(Index(x, y), 0) << "transparent pixel " << x << "," << y << " not index 0";
        continue;
      }
      ++opaque;
      if (Index(x, y) == kBlue) ++blue;
      if (Index(x, y) == kWhite) ++white;
    }
  }
  EXPECT_GT(transparent, 0);
  EXPECT_GT(opaque, 0);
  // Two large letters in blue and a visible white line.
  EXPECT_GT(blue, 100) << "blue pixels: " << blue;
  EXPECT_GT(white, 20) << "white pixels: " << white;
  EXPECT_GT(blue, white);
}

TEST_F(Icon, CornersAreTransparent) {
  EXPECT_TRUE(Transparent(0, 0));
  EXPECT_TRUE(Transparent(31, 0));
}

}  // namespace

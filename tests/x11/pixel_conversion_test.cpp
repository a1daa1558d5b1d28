// The banner's colours in the pixels of other visuals: channel masks of every depth, and the
// colour cube of a visual without masks.
#include <gtest/gtest.h>

// After gtest, whose names the X headers' macros (None) would break.
#include "host/x11/pixel_conversion.hpp"

namespace {

using host::x11::PixelConversion;

struct MaskCase {
  const char* name;
  unsigned long red, green, blue;
  std::uint32_t rgb;
  std::uint32_t pixel;
};

TEST(PixelConversion, ChannelMasksOfEveryDepth) {
  const MaskCase kCases[] = {
      {"Depth24", 0xFF0000, 0xFF00, 0xFF, 0x123456, 0x123456},
      {"Depth16White", 0xF800, 0x7E0, 0x1F, 0xFFFFFF, 0xFFFF},
      {"Depth16", 0xF800, 0x7E0, 0x1F, 0x804020, (16u << 11) | (16u << 5) | 4u},
      {"Depth15", 0x7C00, 0x3E0, 0x1F, 0xFF0000, 0x7C00},
      {"Depth30", 0x3FF00000, 0xFFC00, 0x3FF, 0xFF00FF, 0x3FF003FF},
      {"Depth30Grey", 0x3FF00000, 0xFFC00, 0x3FF, 0x808080, 0x20280A02},
  };
  for (const MaskCase& c : kCases) {
    Visual visual{};
    visual.red_mask = c.red;
    visual.green_mask = c.green;
    visual.blue_mask = c.blue;
    const PixelConversion conversion(visual, [](host::drawing::Rgb) -> std::uint32_t {
      ADD_FAILURE() << "a visual with masks allocates nothing";
      return 0;
    });
    EXPECT_EQ(conversion.PixelOf(c.rgb), c.pixel) << c.name;
  }
}

// Without masks every colour goes to the nearest of 6 x 6 x 6 allocated colours.
TEST(PixelConversion, ColourCubeWithoutMasks) {
  Visual visual{};
  std::vector<host::drawing::Rgb> allocated;
  const PixelConversion conversion(visual, [&](host::drawing::Rgb colour) {
    allocated.push_back(colour);
    return static_cast<std::uint32_t>(1000 + allocated.size() - 1);
  });
  ASSERT_EQ(allocated.size(), 216u);
  const struct {
    std::uint32_t rgb;
    host::drawing::Rgb nearest;
  } kCases[] = {{0x000000, {0, 0, 0}},
                {0xFFFFFF, {255, 255, 255}},
                {0x0C1C50, {0, 51, 102}},  // each channel rounds on its own
                {0x1A0000, {51, 0, 0}},
                {0xE6CC80, {255, 204, 153}}};
  for (const auto& c : kCases) {
    const std::uint32_t index = conversion.PixelOf(c.rgb);
    ASSERT_LT(index, allocated.size()) << std::hex << c.rgb;
    EXPECT_EQ(allocated[index], c.nearest) << std::hex << c.rgb;
  }
}

}  // namespace

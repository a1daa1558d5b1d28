// Twips to pixels and the merging of damaged boxes.
#include "host/drawing/pixel_geometry.hpp"

#include <gtest/gtest.h>

namespace {

using host::drawing::DamageList;
using host::drawing::PixelRect;
using host::drawing::ToPixels;

TEST(TwipsToPixels, EdgesRoundDownSoAThirdOfAPixelChangesNothing) {
  EXPECT_EQ(ToPixels({120, 120, 2535, 255}), (PixelRect{8, 8, 169, 17}));
  EXPECT_EQ(ToPixels({120, 125, 2535, 255}), (PixelRect{8, 8, 169, 17}));
  EXPECT_EQ(ToPixels({120, 130, 2535, 255}), (PixelRect{8, 8, 169, 17}));
  EXPECT_EQ(ToPixels({120, 135, 2535, 255}), (PixelRect{8, 9, 169, 17}));
  EXPECT_EQ(ToPixels({1560, 4320, 12060, 3060}), (PixelRect{104, 288, 804, 204}));
  // Above the top the edge still rounds down, not towards zero.
  EXPECT_EQ(ToPixels({0, -5, 15, 15}), (PixelRect{0, -1, 1, 1}));
}

TEST(TwipsToPixels, ScaleWithTheResolution) {
  EXPECT_EQ(ToPixels({1560, 4320, 12060, 3060}, 144), (PixelRect{156, 432, 1206, 306}));
  EXPECT_EQ(host::drawing::PixelsToTwips(8), 120.0f);
  EXPECT_EQ(host::drawing::PixelsToTwips(12, 144), 120.0f);
}

TEST(Damage, OverlappingBoxesMergeIntoTheirBounds) {
  DamageList damage;
  damage.Add({8, 8, 169, 17});
  damage.Add({8, 9, 169, 17});
  ASSERT_EQ(damage.Boxes().size(), 1u);
  EXPECT_EQ(damage.Boxes()[0], (PixelRect{8, 8, 169, 18}));
}

TEST(Damage, SeparateBoxesStaySeparateUntilABoxJoinsThem) {
  DamageList damage;
  damage.Add({0, 0, 10, 10});
  damage.Add({20, 0, 10, 10});
  damage.Add({10, 0, 10, 10});  // touching edges do not overlap
  EXPECT_EQ(damage.Boxes().size(), 3u);
  damage.Add({5, 5, 20, 2});  // overlaps all three: one box
  ASSERT_EQ(damage.Boxes().size(), 1u);
  EXPECT_EQ(damage.Boxes()[0], (PixelRect{0, 0, 30, 10}));
}

TEST(Damage, AMergedBoxThatNowOverlapsAnotherTakesItIn) {
  DamageList damage;
  damage.Add({0, 0, 10, 10});
  damage.Add({0, 30, 10, 10});
  damage.Add({0, 5, 10, 10});   // merges with the first, to 0..15
  damage.Add({0, 12, 10, 20});  // overlaps the merged box and the second
  ASSERT_EQ(damage.Boxes().size(), 1u);
  EXPECT_EQ(damage.Boxes()[0], (PixelRect{0, 0, 10, 40}));
}

TEST(Damage, EmptyBoxesAreIgnoredAndClippingDropsBoxesOutside) {
  DamageList damage;
  damage.Add({5, 5, 0, 10});
  EXPECT_TRUE(damage.Empty());
  damage.Add({100, 100, 50, 50});
  damage.Add({-5, -5, 10, 10});
  damage.ClipTo({0, 0, 120, 120});
  ASSERT_EQ(damage.Boxes().size(), 2u);
  EXPECT_EQ(damage.Boxes()[0], (PixelRect{100, 100, 20, 20}));
  EXPECT_EQ(damage.Boxes()[1], (PixelRect{0, 0, 5, 5}));
  damage.ClipTo({200, 200, 10, 10});
  EXPECT_TRUE(damage.Empty());
}

}  // namespace

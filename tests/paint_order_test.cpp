// The paint order and clipping on a small scene of its own: ground, the picture clipped to its
// box, labels over it, transparent, their text cut at their boxes, in the user's colours.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "host/form.hpp"
#include "host/headless/headless_platform.hpp"
#include "host/runtime.hpp"
#include "tests/bmp_bytes.hpp"

namespace {

const std::vector<std::uint8_t> kRedPicture = testing_support::SolidBmp(20, 10, 0xFF0000);

// Twips, 15 to the pixel: the picture at (10, 10) px in a box 20 x 5 px, smaller than the
// picture; a one-line label over it whose caption wraps to a second line; a label that is hidden.
const std::array<host::ControlDesign, 3> kControls = {
    host::LabelDesign{.name = "LabelHidden",
                      .caption = "ZZZ",
                      .box = {0, 0, 900, 240},
                      .visible = false,
                      .foreColour = 0x00FFFFFF,
                      .font = {.face = "Face", .points = 12}},
    host::LabelDesign{.name = "LabelOver",
                      .caption = "AB CD",
                      .box = {150, 150, 450, 240},  // 30 x 16 px: "AB" fits, "CD" wraps
                      .visible = true,
                      .foreColour = 0x8000000E,  // highlight text
                      .font = {.face = "Face", .points = 12}},
    host::ImageDesign{.name = "ImageRed",
                      .box = {150, 150, 300, 75},
                      .picture = kRedPicture,
                      .pictureWidth = 20,
                      .pictureHeight = 10},
};
const host::FormDesign kDesign{.name = "frmPaint", .backColour = 0x00FF0000, .controls = kControls};

struct Form : host::FormEvents, host::Form {
  explicit Form(host::Runtime& runtime) : host::Form(runtime, kDesign, *this) {}
};

// A user whose highlight text is green.
struct GreenHighlight : host::drawing::ColourScheme {
  std::optional<host::Colour> SystemColour(int index) const override {
    if (index == 14) return 0x0000FF00;
    return std::nullopt;
  }
};

struct Platform : host::headless::HeadlessPlatform {
  using HeadlessPlatform::HeadlessPlatform;
  const host::drawing::ColourScheme& Colours() override { return scheme; }
  GreenHighlight scheme;
};

constexpr std::uint32_t kBlue = 0x0000FF;  // the ground: 0x00BBGGRR 0x00FF0000 is blue
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;

TEST(PaintOrder, GroundPictureThenTransparentLabelsEachCutAtItsBox) {
  host::headless::DesktopConfig config;
  config.screenWidth = 64;
  config.screenHeight = 48;
  config.runNs = 1'000'000;
  config.raster = true;
  config.fonts = {{"Face", U""}};
  Platform platform(config);
  host::Runtime runtime(platform);
  Form form(runtime);
  runtime.Run([&] { form.Show(); });
  const auto& canvas = platform.Canvas();
  ASSERT_EQ(canvas.FramesPresented(), 1u);

  EXPECT_EQ(canvas.ScreenPixel(0, 0), kBlue) << "the ground in the form's back colour";
  EXPECT_EQ(canvas.ScreenPixel(60, 40), kBlue);
  EXPECT_EQ(canvas.ScreenPixel(0, 9), kBlue) << "the hidden label draws nothing";
  // The picture starts at its box's corner and stops at the box, 5 of its 10 rows shown.
  EXPECT_EQ(canvas.ScreenPixel(29, 14), kRed);
  EXPECT_EQ(canvas.ScreenPixel(29, 15), kBlue) << "the picture is cut at its box";
  EXPECT_EQ(canvas.ScreenPixel(30, 12), kBlue);
  // "A" covers x 10..18 from y 10 (baseline 22, ascent 12), over the picture and below it.
  EXPECT_EQ(canvas.ScreenPixel(10, 10), kGreen) << "the label is drawn over the picture";
  EXPECT_EQ(canvas.ScreenPixel(18, 21), kGreen) << "and over the ground";
  EXPECT_EQ(canvas.ScreenPixel(19, 12), kRed) << "the picture shows between the characters";
  EXPECT_EQ(canvas.ScreenPixel(20, 12), kGreen) << "B";
  EXPECT_EQ(canvas.ScreenPixel(18, 22), kBlue) << "nothing below the baseline";
  // "CD" would stand on a second line from y 26; the box ends at y 26.
  for (int x = 10; x < 40; ++x) EXPECT_EQ(canvas.ScreenPixel(x, 28), kBlue) << x;
}

}  // namespace

// Caption layout: face choice, small capitals, fallback faces, line breaking.
#include "host/drawing/caption_layout.hpp"

#include <gtest/gtest.h>

#include <string>

#include "host/headless/fixed_measurer.hpp"

namespace {

using host::drawing::CaptionLayout;
using host::drawing::CaptionTypesetter;
using host::drawing::kNoFace;
using host::headless::FixedMeasurer;
using host::headless::FontSpec;

constexpr host::FontDesign kFont{.face = "Algerian", .points = 12};
constexpr int kWide = 1000;

// The text of each line, runs joined, as UTF-8 for readable failures.
std::vector<std::string> Lines(const CaptionLayout& layout) {
  std::vector<std::string> lines;
  for (const auto& line : layout.lines) {
    std::string text;
    for (const auto& run : line.runs) {
      for (const char32_t c : run.text) text += static_cast<char>(c < 0x80 ? c : '?');
    }
    lines.push_back(text);
  }
  return lines;
}

struct Typesetting {
  explicit Typesetting(std::vector<FontSpec> fonts)
      : measurer(std::move(fonts)), typesetter(measurer, 96) {}
  FixedMeasurer measurer;
  CaptionTypesetter typesetter;
};

TEST(CaptionFaces, TheDesignFaceWhereInstalledDrawsTheCaptionAsWritten) {
  Typesetting s({{"Algerian", U""}, {"Linux Libertine Display O", U""}});
  const CaptionLayout layout = s.typesetter.Layout(kFont, "Vorthane Software", kWide);
  ASSERT_EQ(Lines(layout), std::vector<std::string>{"Vorthane Software"});
  ASSERT_EQ(layout.lines[0].runs.size(), 1u);
  EXPECT_EQ(s.measurer.FamilyOf(layout.lines[0].runs[0].face), "Algerian");
  EXPECT_EQ(s.measurer.PixelSizeOf(layout.lines[0].runs[0].face), 16) << "12 points at 96 dpi";
  EXPECT_EQ(layout.ascent, 12);
  EXPECT_EQ(layout.lineHeight, 16);
}

TEST(CaptionFaces, TheStandInDrawsLowerCaseLettersAsSmallCapitals) {
  Typesetting s(host::headless::StandardFonts());
  const CaptionLayout layout = s.typesetter.Layout(kFont, "Vo ab", kWide);
  ASSERT_EQ(layout.lines.size(), 1u);
  const auto& runs = layout.lines[0].runs;
  ASSERT_EQ(runs.size(), 4u);  // V, O, blank, AB
  EXPECT_EQ(runs[0].text, U"V");
  EXPECT_EQ(runs[1].text, U"O");
  EXPECT_EQ(runs[3].text, U"AB");
  EXPECT_EQ(s.measurer.FamilyOf(runs[1].face), "Linux Libertine Display O");
  EXPECT_EQ(s.measurer.PixelSizeOf(runs[0].face), 16);
  EXPECT_EQ(s.measurer.PixelSizeOf(runs[1].face), 12) << "three quarters of the size";
  EXPECT_EQ(runs[2].face, runs[0].face) << "a blank is no lower-case letter";
  // Runs follow each other: each starts where the one before ends.
  EXPECT_EQ(runs[1].x, runs[0].advance);
  EXPECT_EQ(runs[3].x, runs[2].x + runs[2].advance);
  EXPECT_EQ(layout.lines[0].width, 10 + 7 + 10 + 14);
}

TEST(CaptionFaces, ACharacterTheFaceLacksComesFromAFallbackFace) {
  Typesetting s(host::headless::StandardFonts());  // the stand-in has no ':'
  const CaptionLayout layout = s.typesetter.Layout(kFont, "BY:", kWide);
  const auto& runs = layout.lines.at(0).runs;
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].text, U":");
  EXPECT_EQ(s.measurer.FamilyOf(runs[1].face), "Linux Libertine O") << "the preferred fallback";
  EXPECT_EQ(s.measurer.PixelSizeOf(runs[1].face), 16);
}

TEST(CaptionFaces, WithNoFaceForACharacterThePrimaryFaceKeepsIt) {
  Typesetting s({{"Linux Libertine Display O", U"#"}});
  const CaptionLayout layout = s.typesetter.Layout(kFont, "A#", kWide);
  const auto& runs = layout.lines.at(0).runs;
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, U"A#");
}

TEST(CaptionFaces, WithoutDesignFaceOrStandInTheSystemSubstituteDraws) {
  Typesetting s({{"DejaVu Sans", U""}});
  EXPECT_EQ(s.typesetter.ChoiceFor(kFont), CaptionTypesetter::FaceChoice::kSubstitute);
  const CaptionLayout layout = s.typesetter.Layout(kFont, "Ab", kWide);
  const auto& runs = layout.lines.at(0).runs;
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, U"Ab") << "no small capitals without the stand-in";
}

TEST(CaptionFaces, WithNoFaceAtAllNothingIsLaidOut) {
  Typesetting s({});
  EXPECT_TRUE(s.typesetter.Layout(kFont, "Anything", kWide).lines.empty());
}

struct BreakCase {
  const char* name;
  const char* caption;
  int maxWidth;  // every character is 10 px wide (capitals of the design face at 16 px)
  std::vector<std::string> lines;
};

class LineBreaks : public ::testing::TestWithParam<BreakCase> {};

TEST_P(LineBreaks, AreAtBlanksAndInsideOverWideWords) {
  Typesetting s({{"Algerian", U""}});
  EXPECT_EQ(Lines(s.typesetter.Layout(kFont, GetParam().caption, GetParam().maxWidth)),
            GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LineBreaks,
    ::testing::Values(
        BreakCase{"FitsOnOneLine", "CREATED BY:", 110, {"CREATED BY:"}},
        BreakCase{"WrapsAtTheBlank", "CREATED BY:", 105, {"CREATED", "BY:"}},
        BreakCase{"ExactWidthFits", "AB CD", 50, {"AB CD"}},
        BreakCase{"EveryBlankCanBreak", "AB CD EF", 50, {"AB CD", "EF"}},
        BreakCase{"BlanksAtABreakDoNotStartTheNextLine", "AB   CD", 40, {"AB  ", "CD"}},
        BreakCase{"ALeadingBlankStays", " AND", 40, {" AND"}},
        BreakCase{"AnOverWideWordBreaksWhereItMust", "ABCDEFGH", 35, {"ABC", "DEF", "GH"}},
        BreakCase{"AnOverWideWordAfterAShortOne", "AB CDEFGH", 40, {"AB", "CDEF", "GH"}},
        BreakCase{"ABoxNarrowerThanOneCharacterStillTakesOne", "AB", 5, {"A", "B"}},
        BreakCase{"AnEmptyCaptionHasNoLines", "", 100, {}}),
    [](const ::testing::TestParamInfo<BreakCase>& info) { return info.param.name; });

TEST(CaptionText, Utf8IsDecodedAndStopsAtTheFirstMalformedSequence) {
  EXPECT_EQ(host::drawing::DecodeUtf8("A\xC3\xA9\xE2\x82\xAC"), U"A\u00E9\u20AC");
  EXPECT_EQ(host::drawing::DecodeUtf8("AB\xC3"), U"AB") << "cut short";
  EXPECT_EQ(host::drawing::DecodeUtf8("A\xC3(B"), U"A") << "a bad continuation byte";
}

TEST(CaptionText, FontSizesScaleWithTheResolution) {
  EXPECT_EQ(host::drawing::FontPixelSize(12, 96), 16);
  EXPECT_EQ(host::drawing::FontPixelSize(12, 144), 24);
  EXPECT_EQ(host::drawing::FontPixelSize(12, 120), 20);
}

}  // namespace

// Lays a label's caption out in its fixed box: lines broken at blanks, a word wider than the box
// broken where it must, each line split into runs of one face. The face rules are decided here
// once for every platform: the design's face where installed; otherwise a display-capitals
// stand-in that draws lower-case letters as small capitals; and for any character a face lacks,
// a fallback face that has it, so no missing-glyph box is ever drawn.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/drawing/text_measurer.hpp"
#include "host/form_design.hpp"

namespace host::drawing {

// The stand-in for a design face that is not installed, and the face preferred for characters
// the stand-in lacks (the text face of the same family).
inline constexpr std::string_view kStandInFamily = "Linux Libertine Display O";
inline constexpr std::string_view kFallbackFamily = "Linux Libertine O";
// Small capitals are the stand-in's capitals at three quarters of its size.
inline constexpr int kSmallCapitalsPercent = 75;

struct TextRun {
  FaceId face = kNoFace;
  std::u32string text;
  int x = 0;        // from the line's left edge, pixels
  int advance = 0;  // pixels
};

struct TextLine {
  std::vector<TextRun> runs;
  int width = 0;
};

struct CaptionLayout {
  std::vector<TextLine> lines;
  int ascent = 0;      // baseline of the first line below the box's top
  int lineHeight = 0;  // from one baseline to the next
};

// A font's size in pixels at this resolution, rounded to the nearest pixel.
int FontPixelSize(int points, int dpi);
std::u32string DecodeUtf8(std::string_view utf8);

class CaptionTypesetter {
 public:
  CaptionTypesetter(TextMeasurer& measurer, int dpi) : measurer_(measurer), dpi_(dpi) {}

  // The caption broken into lines no wider than maxWidth pixels where blanks allow.
  CaptionLayout Layout(const FontDesign& font, std::string_view caption, int maxWidth);
  // The family a design font is drawn in: its own, the stand-in, or the system's substitute.
  enum class FaceChoice { kDesign, kStandIn, kSubstitute, kNone };
  FaceChoice ChoiceFor(const FontDesign& font) { return FacesFor(font).choice; }

 private:
  struct Faces {
    FaceId primary = kNoFace;
    FaceId smallCapitals = kNoFace;  // set when lower-case letters are drawn as small capitals
    int pixelSize = 0;
    FaceChoice choice = FaceChoice::kNone;
  };
  const Faces& FacesFor(const FontDesign& font);
  FaceId FaceForChar(const Faces& faces, char32_t c);
  std::vector<TextRun> Runs(const Faces& faces, std::u32string_view text);
  int Width(const Faces& faces, std::u32string_view text);

  TextMeasurer& measurer_;
  int dpi_;
  std::map<std::pair<std::string, int>, Faces> faces_;
  std::map<std::pair<int, char32_t>, FaceId> fallbacks_;  // by pixel size and character
};

}  // namespace host::drawing

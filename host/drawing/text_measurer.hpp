// What the caption layout needs from a platform's text API: faces by family and pixel size,
// which characters a face has, and how wide a run of text is. Each platform implements it with
// its own text API, so every platform breaks lines identically.
#pragma once

#include <string_view>

namespace host::drawing {

// A face the measurer opened and keeps open for its own lifetime; the layout only passes it back
// to the measurer and to the canvas that draws with it.
using FaceId = int;
inline constexpr FaceId kNoFace = -1;

struct FaceMetrics {
  int ascent = 0;  // pixels from the top of a line to its baseline
  int descent = 0;
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // The face of exactly this family at this pixel size, or kNoFace when it is not installed.
  virtual FaceId OpenFace(std::string_view family, int pixelSize) = 0;
  // Whatever face the system would use for a family it does not have (kNoFace if none at all).
  virtual FaceId OpenSubstitute(std::string_view family, int pixelSize) = 0;
  // A face that has the character, the preferred family first; kNoFace when no face has it.
  virtual FaceId OpenFallback(char32_t c, std::string_view preferredFamily, int pixelSize) = 0;
  virtual bool HasGlyph(FaceId face, char32_t c) = 0;
  // The advance of the text drawn in one face, in pixels.
  virtual int Advance(FaceId face, std::u32string_view text) = 0;
  virtual FaceMetrics Metrics(FaceId face) = 0;
};

}  // namespace host::drawing

// A deterministic text API for the headless platform: a configurable set of installed faces,
// each character of a face a fixed fraction of the pixel size wide. Layout, face choice and
// fallback run through the same portable code as on a real display.
#pragma once

#include <string>
#include <vector>

#include "host/drawing/text_measurer.hpp"

namespace host::headless {

struct FontSpec {
  std::string family;
  std::u32string lacks;  // characters the face has no glyph for
};

// The faces a fresh Debian desktop with the stand-in's package would offer: the design face is
// missing, the stand-in display face lacks ':', its text face has everything.
std::vector<FontSpec> StandardFonts();

class FixedMeasurer : public drawing::TextMeasurer {
 public:
  explicit FixedMeasurer(std::vector<FontSpec> installed) : installed_(std::move(installed)) {}

  // Each character is 5/8 of the pixel size wide; the ascent is 3/4 of it, the descent 1/4.
  static int CharWidth(int pixelSize) { return pixelSize * 5 / 8; }

  drawing::FaceId OpenFace(std::string_view family, int pixelSize) override;
  drawing::FaceId OpenSubstitute(std::string_view family, int pixelSize) override;
  drawing::FaceId OpenFallback(char32_t c, std::string_view preferredFamily,
                               int pixelSize) override;
  bool HasGlyph(drawing::FaceId face, char32_t c) override;
  int Advance(drawing::FaceId face, std::u32string_view text) override;
  drawing::FaceMetrics Metrics(drawing::FaceId face) override;

  // The family and pixel size of an opened face (for tests).
  const std::string& FamilyOf(drawing::FaceId face) const;
  int PixelSizeOf(drawing::FaceId face) const;

 private:
  struct Opened {
    std::size_t font;  // index into installed_
    int pixelSize;
  };
  drawing::FaceId Open(std::size_t font, int pixelSize);
  bool Lacks(std::size_t font, char32_t c) const;

  std::vector<FontSpec> installed_;
  std::vector<Opened> opened_;
};

}  // namespace host::headless

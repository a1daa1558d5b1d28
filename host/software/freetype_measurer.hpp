// The text API without a display server: faces found through fontconfig and opened with
// FreeType, with the same rules as on X11 (an exact family, the system's substitute, a fallback
// face per character). It also renders a face's glyphs as coverage masks for the canvas.
// fontconfig reads its configuration on a thread of its own, started with the measurer, while
// the program connects to the compositor; the first question about a face waits for it.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <fontconfig/fontconfig.h>

#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "host/fontconfig/fontconfig_measurer.hpp"

namespace host::software {

// One glyph's coverage, 8 bits a pixel, and where it lies from the pen on the baseline.
struct GlyphMask {
  int left = 0;  // from the pen position to the mask's left edge
  int top = 0;   // from the baseline up to the mask's top edge
  int width = 0;
  int height = 0;
  int pitch = 0;
  const std::uint8_t* coverage = nullptr;  // valid until the next glyph is rendered
  int advance = 0;
};

class FreeTypeMeasurer : public fontconfig::FontconfigMeasurer {
 public:
  FreeTypeMeasurer();
  ~FreeTypeMeasurer() override;
  FreeTypeMeasurer(const FreeTypeMeasurer&) = delete;
  FreeTypeMeasurer& operator=(const FreeTypeMeasurer&) = delete;

  bool HasGlyph(drawing::FaceId face, char32_t c) override;
  int Advance(drawing::FaceId face, std::u32string_view text) override;
  drawing::FaceMetrics Metrics(drawing::FaceId face) override;

  // Renders one character of a face, anti-aliased, as drawn at whole-pixel pen positions.
  bool Render(drawing::FaceId face, char32_t c, GlyphMask& mask);
  std::string FamilyOf(drawing::FaceId face) const;

 private:
  // fontconfig's configuration and defaults applied as every client applies them.
  FcPattern* Match(FcPattern* pattern) override;
  drawing::FaceId OpenMatch(FcPattern* match, int pixelSize) override;
  FT_Face Face(drawing::FaceId face) const { return faces_.at(static_cast<std::size_t>(face)); }

  FT_Library library_ = nullptr;
  std::vector<FT_Face> faces_;  // by face id; closed with the measurer
};

}  // namespace host::software

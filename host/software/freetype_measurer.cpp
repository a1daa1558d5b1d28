#include "host/software/freetype_measurer.hpp"

namespace host::software {
namespace {

int Ceil26_6(FT_Pos v) {
  return static_cast<int>((v + 63) >> 6);
}

}  // namespace

FreeTypeMeasurer::FreeTypeMeasurer() {
  FT_Init_FreeType(&library_);
}

FreeTypeMeasurer::~FreeTypeMeasurer() {
  for (FT_Face face : faces_) FT_Done_Face(face);
  if (library_ != nullptr) FT_Done_FreeType(library_);
}

FcPattern* FreeTypeMeasurer::Match(FcPattern* pattern) {
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  return FcFontMatch(nullptr, pattern, &result);
}

drawing::FaceId FreeTypeMeasurer::OpenMatch(FcPattern* match, int pixelSize) {
  FcChar8* file = nullptr;
  int index = 0;
  FT_Face face = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    if (FT_New_Face(library_, reinterpret_cast<const char*>(file), index, &face) != 0) {
      face = nullptr;
    } else {
      FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    }
  }
  FcPatternDestroy(match);
  if (face == nullptr) return drawing::kNoFace;
  faces_.push_back(face);
  return static_cast<drawing::FaceId>(faces_.size() - 1);
}

bool FreeTypeMeasurer::HasGlyph(drawing::FaceId face, char32_t c) {
  return FT_Get_Char_Index(Face(face), c) != 0;
}

// Each glyph's hinted advance rounded to whole pixels, as the pen moves when drawing.
int FreeTypeMeasurer::Advance(drawing::FaceId face, std::u32string_view text) {
  FT_Face ft = Face(face);
  int advance = 0;
  for (char32_t c : text) {
    if (FT_Load_Char(ft, c, FT_LOAD_DEFAULT) == 0) {
      advance += static_cast<int>((ft->glyph->advance.x + 32) >> 6);
    }
  }
  return advance;
}

drawing::FaceMetrics FreeTypeMeasurer::Metrics(drawing::FaceId face) {
  const FT_Size_Metrics& m = Face(face)->size->metrics;
  return drawing::FaceMetrics{Ceil26_6(m.ascender), Ceil26_6(-m.descender)};
}

bool FreeTypeMeasurer::Render(drawing::FaceId face, char32_t c, GlyphMask& mask) {
  FT_Face ft = Face(face);
  if (FT_Load_Char(ft, c, FT_LOAD_RENDER) != 0) return false;
  const FT_GlyphSlot slot = ft->glyph;
  if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return false;
  mask.left = slot->bitmap_left;
  mask.top = slot->bitmap_top;
  mask.width = static_cast<int>(slot->bitmap.width);
  mask.height = static_cast<int>(slot->bitmap.rows);
  mask.pitch = slot->bitmap.pitch;
  mask.coverage = slot->bitmap.buffer;
  mask.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  return true;
}

std::string FreeTypeMeasurer::FamilyOf(drawing::FaceId face) const {
  const char* family = Face(face)->family_name;
  return family != nullptr ? family : "";
}

}  // namespace host::software

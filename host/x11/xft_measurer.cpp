#include "host/x11/xft_measurer.hpp"

#include <algorithm>

namespace host::x11 {
namespace {

std::string FamilyName(XftFont* font) {
  FcChar8* family = nullptr;
  if (font != nullptr &&
      FcPatternGetString(font->pattern, FC_FAMILY, 0, &family) == FcResultMatch) {
    return reinterpret_cast<const char*>(family);
  }
  return {};
}

}  // namespace

XftMeasurer::XftMeasurer(Display* display, int screen, std::function<void(std::string_view)> notice)
    : FontconfigMeasurer(std::move(notice)), display_(display), screen_(screen) {}

XftMeasurer::~XftMeasurer() {
  for (XftFont* font : fonts_) XftFontClose(display_, font);
}

FcPattern* XftMeasurer::Match(FcPattern* pattern) {
  FcResult result = FcResultNoMatch;
  return XftFontMatch(display_, screen_, pattern, &result);
}

drawing::FaceId XftMeasurer::OpenMatch(FcPattern* match, int /*pixelSize: in the match*/) {
  XftFont* font = XftFontOpenPattern(display_, match);  // takes the match
  if (font == nullptr) {
    FcPatternDestroy(match);
    return drawing::kNoFace;
  }
  return Keep(font);
}

// Xft hands out the font it has open already for a pattern that matches the same file at the
// same size, with one more reference: such a face keeps its first id (and the reference is
// given back), so a face id names one face however often it is asked for, and what is drawn
// with it can be found by it.
drawing::FaceId XftMeasurer::Keep(XftFont* font) {
  if (const auto it = std::find(fonts_.begin(), fonts_.end(), font); it != fonts_.end()) {
    XftFontClose(display_, font);
    return static_cast<drawing::FaceId>(it - fonts_.begin());
  }
  fonts_.push_back(font);
  return static_cast<drawing::FaceId>(fonts_.size() - 1);
}

bool XftMeasurer::HasGlyph(drawing::FaceId face, char32_t c) {
  return XftCharExists(display_, Font(face), c) != 0;
}

int XftMeasurer::Advance(drawing::FaceId face, std::u32string_view text) {
  XGlyphInfo extents{};
  XftTextExtents32(display_, Font(face), reinterpret_cast<const FcChar32*>(text.data()),
                   static_cast<int>(text.size()), &extents);
  return extents.xOff;
}

drawing::FaceMetrics XftMeasurer::Metrics(drawing::FaceId face) {
  XftFont* font = Font(face);
  return drawing::FaceMetrics{font->ascent, font->descent};
}

std::string XftMeasurer::FamilyOf(drawing::FaceId face) const {
  return FamilyName(Font(face));
}

}  // namespace host::x11

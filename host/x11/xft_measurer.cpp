#include "host/x11/xft_measurer.hpp"

#include <fontconfig/fontconfig.h>
#include <strings.h>

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

XftFont* OpenFamily(Display* display, int screen, const std::string& family, int pixelSize) {
  return XftFontOpen(display, screen, XFT_FAMILY, XftTypeString, family.c_str(), XFT_PIXEL_SIZE,
                     XftTypeDouble, static_cast<double>(pixelSize), nullptr);
}

}  // namespace

XftMeasurer::XftMeasurer(Display* display, int screen, std::function<void(std::string_view)> notice)
    : display_(display),
      screen_(screen),
      fontconfigInit_([] { FcInit(); }),
      notice_(std::move(notice)) {}

XftMeasurer::~XftMeasurer() {
  EnsureFontconfig();
  for (XftFont* font : fonts_) XftFontClose(display_, font);
}

void XftMeasurer::EnsureFontconfig() {
  if (!fontconfigInit_.joinable()) return;
  fontconfigInit_.join();
  const FcFontSet* fonts = FcConfigGetFonts(nullptr, FcSetSystem);
  if ((fonts == nullptr || fonts->nfont == 0) && notice_) {
    notice_("vorthane: no fonts: the font configuration cannot be read, so no caption is drawn");
  }
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

// fontconfig answers every request with some face; only an exact family match counts here.
// The match is looked at before anything is opened, so a face that does not count costs no
// font file.
drawing::FaceId XftMeasurer::OpenFace(std::string_view family, int pixelSize) {
  EnsureFontconfig();
  const auto key = std::make_pair(std::string(family), pixelSize);
  if (const auto it = byFamily_.find(key); it != byFamily_.end()) return it->second;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(key.first.c_str()));
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
  FcResult result = FcResultNoMatch;
  FcPattern* match = XftFontMatch(display_, screen_, pattern, &result);
  FcPatternDestroy(pattern);
  drawing::FaceId face = drawing::kNoFace;
  FcChar8* matched = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &matched) == FcResultMatch &&
      strcasecmp(reinterpret_cast<const char*>(matched), key.first.c_str()) == 0) {
    if (XftFont* font = XftFontOpenPattern(display_, match)) {  // takes the match
      face = Keep(font);
      match = nullptr;
    }
  }
  if (match != nullptr) FcPatternDestroy(match);
  byFamily_.emplace(key, face);
  return face;
}

drawing::FaceId XftMeasurer::OpenSubstitute(std::string_view family, int pixelSize) {
  EnsureFontconfig();
  XftFont* font = OpenFamily(display_, screen_, std::string(family), pixelSize);
  return font != nullptr ? Keep(font) : drawing::kNoFace;
}

drawing::FaceId XftMeasurer::OpenFallback(char32_t c, std::string_view preferredFamily,
                                          int pixelSize) {
  EnsureFontconfig();
  const std::string family(preferredFamily);
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
  FcCharSet* charset = FcCharSetCreate();
  FcCharSetAddChar(charset, c);
  FcPatternAddCharSet(pattern, FC_CHARSET, charset);
  FcCharSetDestroy(charset);
  XftFont* font = nullptr;
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = XftFontMatch(display_, screen_, pattern, &result)) {
    font = XftFontOpenPattern(display_, match);  // takes the match
    if (font == nullptr) FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  if (font != nullptr && !XftCharExists(display_, font, c)) {
    XftFontClose(display_, font);
    font = nullptr;
  }
  return font != nullptr ? Keep(font) : drawing::kNoFace;
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

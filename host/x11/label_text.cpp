#include "host/x11/label_text.hpp"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <algorithm>
#include <cstring>

namespace host::x11 {
namespace {

// Stands in for the design's face when it is not installed: a display face drawn in capitals,
// small capitals for the lower-case letters. Its capitals are narrow enough that every caption
// fits the box the design gives it.
constexpr const char* kStandIn = "Linux Libertine Display O";
// Small capitals are the face's capitals at three quarters of its size.
constexpr int kSmallCapitalsPercent = 75;
// Preferred for characters the stand-in lacks: the text face of the same family.
constexpr const char* kFallbackFamily = "Linux Libertine O";

// Twips are fixed at 15 to the pixel, i.e. 96 dots per inch, whatever the screen says.
int PixelSize(int points) {
  return (points * 96 + 36) / 72;
}

std::string FamilyName(XftFont* font) {
  FcChar8* family = nullptr;
  if (font != nullptr &&
      FcPatternGetString(font->pattern, FC_FAMILY, 0, &family) == FcResultMatch) {
    return reinterpret_cast<const char*>(family);
  }
  return {};
}

std::u32string Decode(std::string_view utf8) {
  std::u32string out;
  const auto* p = reinterpret_cast<const FcChar8*>(utf8.data());
  int left = static_cast<int>(utf8.size());
  while (left > 0) {
    FcChar32 c = 0;
    const int used = FcUtf8ToUcs4(p, &c, left);
    if (used <= 0) break;
    out.push_back(static_cast<char32_t>(c));
    p += used;
    left -= used;
  }
  return out;
}

// Lower-case ASCII and Latin-1 letters, which a capitals face draws as small capitals.
bool IsLowerCase(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7);
}

char32_t UpperCase(char32_t c) {
  return c - 0x20;
}

XftFont* OpenFamily(Display* display, int screen, const char* family, int pixelSize) {
  return XftFontOpen(display, screen, XFT_FAMILY, XftTypeString, family, XFT_PIXEL_SIZE,
                     XftTypeDouble, static_cast<double>(pixelSize), nullptr);
}

}  // namespace

LabelFonts::LabelFonts(Display* display, int screen) : display_(display), screen_(screen) {}

LabelFonts::~LabelFonts() {
  for (auto& [key, face] : faces_) {
    XftFontClose(display_, face.primary);
    if (face.smallCapitals != nullptr) XftFontClose(display_, face.smallCapitals);
  }
  for (auto& [key, font] : fallbacks_) {
    if (font != nullptr) XftFontClose(display_, font);
  }
}

LabelFonts::Face& LabelFonts::FaceFor(const FontDesign& font) {
  const auto key = std::make_pair(std::string(font.face), font.points);
  if (const auto it = faces_.find(key); it != faces_.end()) return it->second;
  Face face;
  face.pixelSize = PixelSize(font.points);
  // fontconfig answers every request with some face; only an exact family is the design's.
  face.primary = OpenFamily(display_, screen_, key.first.c_str(), face.pixelSize);
  if (strcasecmp(FamilyName(face.primary).c_str(), key.first.c_str()) != 0) {
    XftFont* standIn = OpenFamily(display_, screen_, kStandIn, face.pixelSize);
    if (strcasecmp(FamilyName(standIn).c_str(), kStandIn) == 0) {
      XftFontClose(display_, face.primary);
      face.primary = standIn;
      face.smallCapitals = OpenFamily(display_, screen_, kStandIn,
                                      (face.pixelSize * kSmallCapitalsPercent + 50) / 100);
    } else if (standIn != nullptr) {
      XftFontClose(display_, standIn);
    }
  }
  return faces_.emplace(key, face).first->second;
}

XftFont* LabelFonts::FontForChar(Face& face, char32_t c) {
  if (face.primary == nullptr || XftCharExists(display_, face.primary, c)) return face.primary;
  const auto key = std::make_pair(face.pixelSize, c);
  if (const auto it = fallbacks_.find(key); it != fallbacks_.end()) {
    return it->second != nullptr ? it->second : face.primary;
  }
  // Ask fontconfig for a face that has the character, the stand-in's text face first.
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kFallbackFamily));
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, face.pixelSize);
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
  fallbacks_[key] = font;
  return font != nullptr ? font : face.primary;
}

std::vector<TextRun> LabelFonts::Runs(Face& face, std::u32string_view text) {
  std::vector<TextRun> runs;
  for (char32_t c : text) {
    XftFont* font = nullptr;
    if (face.smallCapitals != nullptr && IsLowerCase(c) &&
        XftCharExists(display_, face.smallCapitals, UpperCase(c))) {
      font = face.smallCapitals;
      c = UpperCase(c);
    } else {
      font = FontForChar(face, c);
    }
    if (runs.empty() || runs.back().font != font) runs.push_back(TextRun{font, {}, 0});
    runs.back().text.push_back(c);
  }
  for (TextRun& run : runs) {
    if (run.font == nullptr) continue;
    XGlyphInfo extents{};
    XftTextExtents32(display_, run.font, reinterpret_cast<const FcChar32*>(run.text.data()),
                     static_cast<int>(run.text.size()), &extents);
    run.advance = extents.xOff;
  }
  return runs;
}

int LabelFonts::Width(Face& face, std::u32string_view text) {
  int width = 0;
  for (const TextRun& run : Runs(face, text)) width += run.advance;
  return width;
}

std::vector<TextLine> LabelFonts::Layout(const FontDesign& font, std::string_view caption,
                                         int maxWidth) {
  Face& face = FaceFor(font);
  const std::u32string text = Decode(caption);
  std::vector<TextLine> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    // The longest stretch that fits and ends at a blank (or the end of the text).
    std::size_t end = start;
    for (std::size_t b = start + 1; b <= text.size(); ++b) {
      if (b < text.size() && text[b] != U' ') continue;
      if (Width(face, std::u32string_view(text).substr(start, b - start)) > maxWidth) break;
      end = b;
    }
    if (end == start) {
      // One word wider than the box: as many characters as fit, at least one.
      end = start + 1;
      while (end < text.size() &&
             Width(face, std::u32string_view(text).substr(start, end + 1 - start)) <= maxWidth) {
        ++end;
      }
    }
    lines.push_back(TextLine{Runs(face, std::u32string_view(text).substr(start, end - start))});
    const bool brokeAtBlank = end < text.size() && text[end] == U' ';
    start = end;
    if (brokeAtBlank) {
      while (start < text.size() && text[start] == U' ') ++start;
    }
  }
  return lines;
}

int LabelFonts::LineHeight(const FontDesign& font) {
  const Face& face = FaceFor(font);
  return face.primary != nullptr ? face.primary->ascent + face.primary->descent : 0;
}

int LabelFonts::Ascent(const FontDesign& font) {
  const Face& face = FaceFor(font);
  return face.primary != nullptr ? face.primary->ascent : 0;
}

std::string LabelFonts::FamilyOf(const FontDesign& font) {
  return FamilyName(FaceFor(font).primary);
}

}  // namespace host::x11

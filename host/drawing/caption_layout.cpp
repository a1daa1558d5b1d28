#include "host/drawing/caption_layout.hpp"

namespace host::drawing {
namespace {

// Lower-case ASCII and Latin-1 letters, which a capitals face draws as small capitals.
bool IsLowerCase(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7);
}

char32_t UpperCase(char32_t c) {
  return c - 0x20;
}

}  // namespace

int FontPixelSize(int points, int dpi) {
  return (points * dpi + 36) / 72;
}

std::u32string DecodeUtf8(std::string_view utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80           ? 1
                       : (lead >> 5) == 0x6  ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 0;
    if (length == 0 || i + static_cast<std::size_t>(length) > utf8.size()) break;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    bool valid = true;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      valid = valid && (next & 0xC0) == 0x80;
      c = c << 6 | (next & 0x3F);
    }
    if (!valid) break;  // the text ends where it stops being UTF-8
    out.push_back(c);
    i += static_cast<std::size_t>(length);
  }
  return out;
}

const CaptionTypesetter::Faces& CaptionTypesetter::FacesFor(const FontDesign& font) {
  const auto key = std::make_pair(std::string(font.face), font.points);
  if (const auto it = faces_.find(key); it != faces_.end()) return it->second;
  Faces faces;
  faces.pixelSize = FontPixelSize(font.points, dpi_);
  faces.primary = measurer_.OpenFace(font.face, faces.pixelSize);
  faces.choice = FaceChoice::kDesign;
  if (faces.primary == kNoFace) {
    faces.primary = measurer_.OpenFace(kStandInFamily, faces.pixelSize);
    faces.choice = FaceChoice::kStandIn;
    if (faces.primary != kNoFace) {
      faces.smallCapitals =
          measurer_.OpenFace(kStandInFamily, (faces.pixelSize * kSmallCapitalsPercent + 50) / 100);
    } else {
      faces.primary = measurer_.OpenSubstitute(font.face, faces.pixelSize);
      faces.choice = faces.primary != kNoFace ? FaceChoice::kSubstitute : FaceChoice::kNone;
    }
  }
  return faces_.emplace(key, faces).first->second;
}

FaceId CaptionTypesetter::FaceForChar(const Faces& faces, char32_t c) {
  if (faces.primary == kNoFace || measurer_.HasGlyph(faces.primary, c)) return faces.primary;
  const auto key = std::make_pair(faces.pixelSize, c);
  auto it = fallbacks_.find(key);
  if (it == fallbacks_.end()) {
    FaceId fallback = measurer_.OpenFallback(c, kFallbackFamily, faces.pixelSize);
    if (fallback != kNoFace && !measurer_.HasGlyph(fallback, c)) fallback = kNoFace;
    it = fallbacks_.emplace(key, fallback).first;
  }
  // With no face for it anywhere, the primary face draws what it draws.
  return it->second != kNoFace ? it->second : faces.primary;
}

std::vector<TextRun> CaptionTypesetter::Runs(const Faces& faces, std::u32string_view text) {
  std::vector<TextRun> runs;
  for (char32_t c : text) {
    FaceId face = kNoFace;
    if (faces.smallCapitals != kNoFace && IsLowerCase(c) &&
        measurer_.HasGlyph(faces.smallCapitals, UpperCase(c))) {
      face = faces.smallCapitals;
      c = UpperCase(c);
    } else {
      face = FaceForChar(faces, c);
    }
    if (runs.empty() || runs.back().face != face) runs.push_back(TextRun{face, {}, 0, 0});
    runs.back().text.push_back(c);
  }
  int x = 0;
  for (TextRun& run : runs) {
    run.x = x;
    run.advance = run.face != kNoFace ? measurer_.Advance(run.face, run.text) : 0;
    x += run.advance;
  }
  return runs;
}

int CaptionTypesetter::Width(const Faces& faces, std::u32string_view text) {
  int width = 0;
  for (const TextRun& run : Runs(faces, text)) width += run.advance;
  return width;
}

CaptionLayout CaptionTypesetter::Layout(const FontDesign& font, std::string_view caption,
                                        int maxWidth) {
  const Faces& faces = FacesFor(font);
  CaptionLayout layout;
  if (faces.primary == kNoFace) return layout;
  const FaceMetrics metrics = measurer_.Metrics(faces.primary);
  layout.ascent = metrics.ascent;
  layout.lineHeight = metrics.ascent + metrics.descent;
  const std::u32string text = DecodeUtf8(caption);
  const std::u32string_view all(text);
  std::size_t start = 0;
  while (start < text.size()) {
    // The longest stretch that fits and ends at a blank (or the end of the text).
    std::size_t end = start;
    for (std::size_t b = start + 1; b <= text.size(); ++b) {
      if (b < text.size() && text[b] != U' ') continue;
      if (Width(faces, all.substr(start, b - start)) > maxWidth) break;
      end = b;
    }
    if (end == start) {
      // One word wider than the box: as many characters as fit, at least one.
      end = start + 1;
      while (end < text.size() && Width(faces, all.substr(start, end + 1 - start)) <= maxWidth) {
        ++end;
      }
    }
    TextLine line{Runs(faces, all.substr(start, end - start)), 0};
    for (const TextRun& run : line.runs) line.width += run.advance;
    layout.lines.push_back(std::move(line));
    const bool brokeAtBlank = end < text.size() && text[end] == U' ';
    start = end;
    if (brokeAtBlank) {
      while (start < text.size() && text[start] == U' ') ++start;
    }
  }
  return layout;
}

}  // namespace host::drawing

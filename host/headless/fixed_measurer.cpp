#include "host/headless/fixed_measurer.hpp"

namespace host::headless {

std::vector<FontSpec> StandardFonts() {
  return {{"Linux Libertine Display O", U":"}, {"Linux Libertine O", U""}, {"DejaVu Sans", U""}};
}

drawing::FaceId FixedMeasurer::Open(std::size_t font, int pixelSize) {
  for (std::size_t i = 0; i < opened_.size(); ++i) {
    if (opened_[i].font == font && opened_[i].pixelSize == pixelSize) {
      return static_cast<drawing::FaceId>(i);
    }
  }
  opened_.push_back(Opened{font, pixelSize});
  return static_cast<drawing::FaceId>(opened_.size() - 1);
}

bool FixedMeasurer::Lacks(std::size_t font, char32_t c) const {
  return installed_[font].lacks.find(c) != std::u32string::npos;
}

drawing::FaceId FixedMeasurer::OpenFace(std::string_view family, int pixelSize) {
  for (std::size_t i = 0; i < installed_.size(); ++i) {
    if (installed_[i].family == family) return Open(i, pixelSize);
  }
  return drawing::kNoFace;
}

drawing::FaceId FixedMeasurer::OpenSubstitute(std::string_view family, int pixelSize) {
  const drawing::FaceId exact = OpenFace(family, pixelSize);
  if (exact != drawing::kNoFace || installed_.empty()) return exact;
  return Open(installed_.size() - 1, pixelSize);  // the last face is the system's default
}

drawing::FaceId FixedMeasurer::OpenFallback(char32_t c, std::string_view preferredFamily,
                                            int pixelSize) {
  for (std::size_t i = 0; i < installed_.size(); ++i) {
    if (installed_[i].family == preferredFamily && !Lacks(i, c)) return Open(i, pixelSize);
  }
  for (std::size_t i = 0; i < installed_.size(); ++i) {
    if (!Lacks(i, c)) return Open(i, pixelSize);
  }
  return drawing::kNoFace;
}

bool FixedMeasurer::HasGlyph(drawing::FaceId face, char32_t c) {
  return !Lacks(opened_.at(static_cast<std::size_t>(face)).font, c);
}

int FixedMeasurer::Advance(drawing::FaceId face, std::u32string_view text) {
  return CharWidth(PixelSizeOf(face)) * static_cast<int>(text.size());
}

drawing::FaceMetrics FixedMeasurer::Metrics(drawing::FaceId face) {
  const int size = PixelSizeOf(face);
  return drawing::FaceMetrics{size * 3 / 4, size / 4};
}

const std::string& FixedMeasurer::FamilyOf(drawing::FaceId face) const {
  return installed_[opened_.at(static_cast<std::size_t>(face)).font].family;
}

int FixedMeasurer::PixelSizeOf(drawing::FaceId face) const {
  return opened_.at(static_cast<std::size_t>(face)).pixelSize;
}

}  // namespace host::headless

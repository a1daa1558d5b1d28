#include "host/fontconfig/fontconfig_measurer.hpp"

#include <strings.h>

namespace host::fontconfig {
namespace {

FcPattern* FamilyPattern(const std::string& family, int pixelSize) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
  return pattern;
}

bool IsFamily(FcPattern* match, const std::string& family) {
  FcChar8* matched = nullptr;
  return FcPatternGetString(match, FC_FAMILY, 0, &matched) == FcResultMatch &&
         strcasecmp(reinterpret_cast<const char*>(matched), family.c_str()) == 0;
}

}  // namespace

FontconfigMeasurer::FontconfigMeasurer(std::function<void(std::string_view)> notice)
    : configuration_([] { FcInit(); }), notice_(std::move(notice)) {}

FontconfigMeasurer::~FontconfigMeasurer() {
  if (configuration_.joinable()) configuration_.join();
}

void FontconfigMeasurer::WaitForConfiguration() {
  if (!configuration_.joinable()) return;
  configuration_.join();
  const FcFontSet* fonts = FcConfigGetFonts(nullptr, FcSetSystem);
  if ((fonts == nullptr || fonts->nfont == 0) && notice_) {
    notice_("vorthane: no fonts: the font configuration cannot be read, so no caption is drawn");
  }
}

drawing::FaceId FontconfigMeasurer::OpenPattern(FcPattern* pattern, int pixelSize,
                                                const std::string* exactFamily) {
  FcPattern* match = Match(pattern);
  FcPatternDestroy(pattern);
  if (match == nullptr) return drawing::kNoFace;
  if (exactFamily != nullptr && !IsFamily(match, *exactFamily)) {
    FcPatternDestroy(match);
    return drawing::kNoFace;
  }
  return OpenMatch(match, pixelSize);
}

drawing::FaceId FontconfigMeasurer::OpenFace(std::string_view family, int pixelSize) {
  WaitForConfiguration();
  const auto key = std::make_pair(std::string(family), pixelSize);
  if (const auto it = byFamily_.find(key); it != byFamily_.end()) return it->second;
  const drawing::FaceId face =
      OpenPattern(FamilyPattern(key.first, pixelSize), pixelSize, &key.first);
  byFamily_.emplace(key, face);
  return face;
}

drawing::FaceId FontconfigMeasurer::OpenSubstitute(std::string_view family, int pixelSize) {
  WaitForConfiguration();
  return OpenPattern(FamilyPattern(std::string(family), pixelSize), pixelSize, nullptr);
}

drawing::FaceId FontconfigMeasurer::OpenFallback(char32_t c, std::string_view preferredFamily,
                                                 int pixelSize) {
  WaitForConfiguration();
  FcPattern* pattern = FamilyPattern(std::string(preferredFamily), pixelSize);
  FcCharSet* charset = FcCharSetCreate();
  FcCharSetAddChar(charset, c);
  FcPatternAddCharSet(pattern, FC_CHARSET, charset);
  FcCharSetDestroy(charset);
  const drawing::FaceId face = OpenPattern(pattern, pixelSize, nullptr);
  return face != drawing::kNoFace && HasGlyph(face, c) ? face : drawing::kNoFace;
}

}  // namespace host::fontconfig

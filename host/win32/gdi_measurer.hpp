// The text API on Windows: GDI fonts. The stand-in face travels inside the program file and is
// made available to this process only, so the captions look the same on every Windows machine.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "host/drawing/text_measurer.hpp"

namespace host::win32 {

class GdiMeasurer : public drawing::TextMeasurer {
 public:
  // Registers the face carried in the program's resources (RCDATA `faceResource`) for this
  // process, when there is one.
  GdiMeasurer(HINSTANCE instance, int faceResource);
  ~GdiMeasurer() override;
  GdiMeasurer(const GdiMeasurer&) = delete;
  GdiMeasurer& operator=(const GdiMeasurer&) = delete;

  drawing::FaceId OpenFace(std::string_view family, int pixelSize) override;
  drawing::FaceId OpenSubstitute(std::string_view family, int pixelSize) override;
  drawing::FaceId OpenFallback(char32_t c, std::string_view preferredFamily,
                               int pixelSize) override;
  bool HasGlyph(drawing::FaceId face, char32_t c) override;
  int Advance(drawing::FaceId face, std::u32string_view text) override;
  drawing::FaceMetrics Metrics(drawing::FaceId face) override;

  HFONT Font(drawing::FaceId face) const { return fonts_.at(static_cast<std::size_t>(face)); }
  std::wstring FamilyOf(drawing::FaceId face);
  bool CarriedFaceLoaded() const { return carriedFace_ != nullptr; }

 private:
  HFONT Create(const std::wstring& family, int pixelSize) const;
  drawing::FaceId Keep(HFONT font);
  void Select(drawing::FaceId face);
  const std::vector<std::wstring>& InstalledFamilies();

  HDC dc_;
  HANDLE carriedFace_ = nullptr;
  std::vector<HFONT> fonts_;  // by face id; deleted with the measurer
  std::map<std::pair<std::wstring, int>, drawing::FaceId> byFamily_;
  std::vector<std::wstring> installed_;  // listed when a fallback is first needed
  drawing::FaceId selected_ = drawing::kNoFace;
};

// UTF-32 to UTF-16, characters beyond the basic plane as surrogate pairs.
std::wstring Utf16FromUtf32(std::u32string_view text);

}  // namespace host::win32

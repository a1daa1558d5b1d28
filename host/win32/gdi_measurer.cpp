#include "host/win32/gdi_measurer.hpp"

#include <algorithm>

#include "host/win32/command_line.hpp"

namespace host::win32 {
namespace {

bool SameFamily(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Faces that cover much of Unicode on most Windows machines, asked before all the others.
constexpr const wchar_t* kLikelyFallbacks[] = {L"Segoe UI", L"Arial", L"Segoe UI Symbol", L"Tahoma",
                                               L"Microsoft Sans Serif"};

}  // namespace

std::wstring Utf16FromUtf32(std::u32string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<wchar_t>(c);
    }
  }
  return out;
}

GdiMeasurer::GdiMeasurer(HINSTANCE instance, int faceResource) : dc_(CreateCompatibleDC(nullptr)) {
  if (const HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(faceResource), RT_RCDATA)) {
    if (void* data = LockResource(LoadResource(instance, resource))) {
      DWORD added = 0;
      // Private to this process; GDI then finds it by family name, with DEFAULT_CHARSET.
      carriedFace_ =
          AddFontMemResourceEx(data, SizeofResource(instance, resource), nullptr, &added);
    }
  }
}

GdiMeasurer::~GdiMeasurer() {
  DeleteDC(dc_);
  for (const HFONT font : fonts_) DeleteObject(font);
  if (carriedFace_ != nullptr) RemoveFontMemResourceEx(carriedFace_);
}

HFONT GdiMeasurer::Create(const std::wstring& family, int pixelSize) const {
  LOGFONTW font{};
  font.lfHeight = -pixelSize;  // negative: the em size, as the layout means it
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;  // with a particular character set GDI may substitute
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfQuality = ANTIALIASED_QUALITY;
  wcsncpy(font.lfFaceName, family.c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectW(&font);
}

drawing::FaceId GdiMeasurer::Keep(HFONT font) {
  fonts_.push_back(font);
  return static_cast<drawing::FaceId>(fonts_.size() - 1);
}

void GdiMeasurer::Select(drawing::FaceId face) {
  if (face == selected_) return;
  SelectObject(dc_, Font(face));
  selected_ = face;
}

std::wstring GdiMeasurer::FamilyOf(drawing::FaceId face) {
  Select(face);
  wchar_t name[LF_FACESIZE] = {};
  GetTextFaceW(dc_, LF_FACESIZE, name);
  return name;
}

// GDI answers every request with some face; only the family asked for counts here.
drawing::FaceId GdiMeasurer::OpenFace(std::string_view family, int pixelSize) {
  const auto key = std::make_pair(WideFromUtf8(family), pixelSize);
  if (const auto it = byFamily_.find(key); it != byFamily_.end()) return it->second;
  drawing::FaceId face = drawing::kNoFace;
  if (const HFONT font = Create(key.first, pixelSize)) {
    face = Keep(font);
    if (!SameFamily(FamilyOf(face), key.first)) {
      fonts_.pop_back();
      selected_ = drawing::kNoFace;
      SelectObject(dc_, GetStockObject(SYSTEM_FONT));
      DeleteObject(font);
      face = drawing::kNoFace;
    }
  }
  byFamily_.emplace(key, face);
  return face;
}

drawing::FaceId GdiMeasurer::OpenSubstitute(std::string_view family, int pixelSize) {
  const HFONT font = Create(WideFromUtf8(family), pixelSize);
  return font != nullptr ? Keep(font) : drawing::kNoFace;
}

const std::vector<std::wstring>& GdiMeasurer::InstalledFamilies() {
  if (!installed_.empty()) return installed_;
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(
      dc_, &query,
      [](const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM param) -> int {
        auto* names = reinterpret_cast<std::vector<std::wstring>*>(param);
        // Scalable faces only, and not the vertical ("@") variants.
        if ((type & TRUETYPE_FONTTYPE) != 0 && font->lfFaceName[0] != L'@' &&
            std::find(names->begin(), names->end(), font->lfFaceName) == names->end()) {
          names->push_back(font->lfFaceName);
        }
        return 1;
      },
      reinterpret_cast<LPARAM>(&installed_), 0);
  return installed_;
}

drawing::FaceId GdiMeasurer::OpenFallback(char32_t c, std::string_view preferredFamily,
                                          int pixelSize) {
  auto tryFamily = [&](const std::wstring& family) {
    const drawing::FaceId face = OpenFace(Utf8FromWide(family), pixelSize);
    return face != drawing::kNoFace && HasGlyph(face, c) ? face : drawing::kNoFace;
  };
  if (const drawing::FaceId face = tryFamily(WideFromUtf8(preferredFamily));
      face != drawing::kNoFace) {
    return face;
  }
  for (const wchar_t* family : kLikelyFallbacks) {
    if (const drawing::FaceId face = tryFamily(family); face != drawing::kNoFace) return face;
  }
  for (const std::wstring& family : InstalledFamilies()) {
    if (const drawing::FaceId face = tryFamily(family); face != drawing::kNoFace) return face;
  }
  return drawing::kNoFace;
}

bool GdiMeasurer::HasGlyph(drawing::FaceId face, char32_t c) {
  Select(face);
  if (c < 0x10000) {
    const wchar_t text = static_cast<wchar_t>(c);
    WORD glyph = 0;
    return GetGlyphIndicesW(dc_, &text, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 &&
           glyph != 0xFFFF;
  }
  // Beyond the basic plane GDI's glyph lookup has no answer; ask for the shaped glyph instead.
  const std::wstring pair = Utf16FromUtf32(std::u32string(1, c));
  GCP_RESULTSW results{};
  wchar_t glyphs[2] = {};
  results.lStructSize = sizeof results;
  results.lpGlyphs = reinterpret_cast<LPWSTR>(glyphs);
  results.nGlyphs = 2;
  if (GetCharacterPlacementW(dc_, pair.c_str(), static_cast<int>(pair.size()), 0, &results,
                             GCP_GLYPHSHAPE) == 0) {
    return false;
  }
  return results.nGlyphs >= 1 && glyphs[0] != 0;
}

int GdiMeasurer::Advance(drawing::FaceId face, std::u32string_view text) {
  Select(face);
  const std::wstring utf16 = Utf16FromUtf32(text);
  SIZE size{};
  GetTextExtentPoint32W(dc_, utf16.c_str(), static_cast<int>(utf16.size()), &size);
  return size.cx;
}

drawing::FaceMetrics GdiMeasurer::Metrics(drawing::FaceId face) {
  Select(face);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc_, &metrics);
  return drawing::FaceMetrics{metrics.tmAscent, metrics.tmDescent};
}

}  // namespace host::win32

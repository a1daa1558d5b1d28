// The text API on an X display: Xft faces, found by the fontconfig face rules.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/fontconfig/fontconfig_measurer.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

class XftMeasurer : public fontconfig::FontconfigMeasurer {
 public:
  // notice: told once, with a line for the user, when fontconfig finds no font at all (its
  // configuration could not be read: no files left to open, say), so no caption can be drawn.
  XftMeasurer(Display* display, int screen, std::function<void(std::string_view)> notice = nullptr);
  ~XftMeasurer() override;
  XftMeasurer(const XftMeasurer&) = delete;
  XftMeasurer& operator=(const XftMeasurer&) = delete;

  bool HasGlyph(drawing::FaceId face, char32_t c) override;
  int Advance(drawing::FaceId face, std::u32string_view text) override;
  drawing::FaceMetrics Metrics(drawing::FaceId face) override;

  XftFont* Font(drawing::FaceId face) const { return fonts_.at(static_cast<std::size_t>(face)); }
  std::string FamilyOf(drawing::FaceId face) const;

 private:
  // Xft's substitutions (the display's resources) applied as Xft applies them.
  FcPattern* Match(FcPattern* pattern) override;
  drawing::FaceId OpenMatch(FcPattern* match, int pixelSize) override;
  drawing::FaceId Keep(XftFont* font);

  Display* display_;
  int screen_;
  std::vector<XftFont*> fonts_;  // by face id, each font once; closed with the measurer
};

}  // namespace host::x11

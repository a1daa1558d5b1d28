// The text API on an X display: Xft faces found through fontconfig. fontconfig reads its
// configuration (about 9 ms) on a thread of its own, started with the platform; the first
// question about a face waits for it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "host/drawing/text_measurer.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

class XftMeasurer : public drawing::TextMeasurer {
 public:
  // notice: told once, with a line for the user, when fontconfig finds no font at all (its
  // configuration could not be read: no files left to open, say), so no caption can be drawn.
  XftMeasurer(Display* display, int screen, std::function<void(std::string_view)> notice = nullptr);
  ~XftMeasurer() override;
  XftMeasurer(const XftMeasurer&) = delete;
  XftMeasurer& operator=(const XftMeasurer&) = delete;

  drawing::FaceId OpenFace(std::string_view family, int pixelSize) override;
  drawing::FaceId OpenSubstitute(std::string_view family, int pixelSize) override;
  drawing::FaceId OpenFallback(char32_t c, std::string_view preferredFamily,
                               int pixelSize) override;
  bool HasGlyph(drawing::FaceId face, char32_t c) override;
  int Advance(drawing::FaceId face, std::u32string_view text) override;
  drawing::FaceMetrics Metrics(drawing::FaceId face) override;

  XftFont* Font(drawing::FaceId face) const { return fonts_.at(static_cast<std::size_t>(face)); }
  std::string FamilyOf(drawing::FaceId face) const;

 private:
  void EnsureFontconfig();
  drawing::FaceId Keep(XftFont* font);

  Display* display_;
  int screen_;
  std::thread fontconfigInit_;
  std::function<void(std::string_view)> notice_;
  std::vector<XftFont*> fonts_;  // by face id, each font once; closed with the measurer
  std::map<std::pair<std::string, int>, drawing::FaceId> byFamily_;
};

}  // namespace host::x11

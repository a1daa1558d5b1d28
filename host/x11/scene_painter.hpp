// Draws the form's scene (ground, banner, labels) into a back-buffer pixmap and copies only the
// changed parts to the window, so nothing flickers and no stray pixels stay behind.
#pragma once

#include <map>
#include <vector>

#include "host/basic_types.hpp"
#include "host/form.hpp"
#include "host/x11/label_text.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
  bool operator==(const PixelRect&) const = default;
};

// Twips to pixels at 15 twips to the pixel: edges round down, so a box and its damage agree.
PixelRect ToPixels(const TwipRect& twips);

class ScenePainter {
 public:
  ScenePainter(Display* display, int screen, Window window, const Form& form);
  ~ScenePainter();
  ScenePainter(const ScenePainter&) = delete;
  ScenePainter& operator=(const ScenePainter&) = delete;

  // The window's size: a new back buffer, all of it to be drawn.
  void Resize(int width, int height);
  // A part of the scene changed.
  void Invalidate(const TwipRect& area);
  // The server lost part of the window's contents; the back buffer still has them.
  void Exposed(const PixelRect& area);
  // Brings the back buffer up to date and copies what changed to the window.
  void Paint();

  int width() const { return width_; }
  int height() const { return height_; }

 private:
  struct LabelState {
    bool visible = false;
    PixelRect box;
    bool operator==(const LabelState&) const = default;
  };
  std::vector<LabelState> LabelStates() const;
  void Draw(const PixelRect& area);
  void DrawLabel(std::size_t index, const PixelRect& area);
  void LoadBanner();
  unsigned long PixelOf(Colour colour);

  Display* display_;
  int screen_;
  Window window_;
  const Form& form_;
  LabelFonts fonts_;
  GC gc_;
  unsigned long background_ = 0;
  Pixmap buffer_ = 0;
  XftDraw* bufferDraw_ = nullptr;
  Pixmap banner_ = 0;
  int bannerWidth_ = 0;
  int bannerHeight_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool redrawAll_ = false;
  std::vector<PixelRect> redraw_;  // back buffer parts to draw again
  std::vector<PixelRect> copy_;    // window parts to refresh from the back buffer
  std::vector<LabelState> drawn_;  // the labels as the back buffer shows them
  // Captions, fonts and box widths never change: each label is laid out once.
  struct LabelText {
    std::vector<TextLine> lines;
    XftColor colour{};
  };
  std::map<std::size_t, LabelText> labelTexts_;
};

}  // namespace host::x11

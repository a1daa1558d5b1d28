// The drawing primitives in memory, with pixman: a back buffer of 0x00RRGGBB pixels over the
// part of the view the scene needs, pictures composited (scaled smoothly once per size), text
// composited through coverage masks made once per label. Showing it, and the plain ground around
// it, is the screen's business.
#pragma once

#include <pixman.h>

#include <cstdint>
#include <map>
#include <utility>

#include "host/drawing/canvas.hpp"
#include "host/wayland/freetype_measurer.hpp"

namespace host::wayland {

// Where a canvas's pictures go: a window of some kind, in view pixels.
class CanvasScreen {
 public:
  virtual ~CanvasScreen() = default;
  virtual drawing::PixelSize Size() = 0;
  // This part of the view, outside the back buffer, is plain ground of this colour.
  virtual void Ground(const drawing::PixelRect& area, drawing::Rgb colour) = 0;
  // Shows these boxes of the back buffer, which holds `area` of the view, and the ground.
  virtual void Show(pixman_image_t* buffer, const drawing::PixelRect& area,
                    std::span<const drawing::PixelRect> boxes) = 0;
};

class PixmanCanvas : public drawing::Canvas {
 public:
  PixmanCanvas(FreeTypeMeasurer& measurer, CanvasScreen& screen);
  ~PixmanCanvas() override;
  PixmanCanvas(const PixmanCanvas&) = delete;
  PixmanCanvas& operator=(const PixmanCanvas&) = delete;

  drawing::PixelSize ClientSize() override { return screen_.Size(); }
  void SetBufferArea(const drawing::PixelRect& area) override;
  void FillWindow(const drawing::PixelRect& area, drawing::Rgb colour) override {
    screen_.Ground(area, colour);
  }
  void Fill(const drawing::PixelRect& area, drawing::Rgb colour) override;
  void DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                   const drawing::PixelRect& clip) override;
  void DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                const drawing::PixelRect& clip) override;
  void Present(std::span<const drawing::PixelRect> boxes) override;
  void Decoded(std::span<const std::uint8_t> file) override;

 private:
  struct TextMask {
    pixman_image_t* image = nullptr;
    drawing::PixelRect box;  // relative to (first run's x, its baseline)
  };
  pixman_image_t* PictureAt(const drawing::RgbImage& picture, drawing::PixelSize size);
  const TextMask& MaskFor(std::span<const drawing::PlacedRun> runs);

  FreeTypeMeasurer& measurer_;
  CanvasScreen& screen_;
  drawing::PixelRect area_;  // the part of the view the back buffer holds
  pixman_image_t* buffer_ = nullptr;
  // Each picture wrapped once at its own size, and scaled once for every other size it is placed.
  std::map<std::pair<const drawing::RgbImage*, std::pair<int, int>>, pixman_image_t*> pictures_;
  std::map<const drawing::TextRun*, TextMask> masks_;  // by the label's first run
};

}  // namespace host::wayland

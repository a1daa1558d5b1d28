// The drawing primitives in memory, with pixman: pictures composited (scaled smoothly once per
// size) and text composited through coverage masks made once per label, into 0x00RRGGBB pixels
// over the part of the view the scene needs. The pixels are the screen's: a Wayland surface's
// buffer that the compositor shows, so there is no copy of the scene besides them.
#pragma once

#include <pixman.h>

#include <cstdint>
#include <map>
#include <utility>

#include "host/drawing/canvas.hpp"
#include "host/software/freetype_measurer.hpp"

namespace host::software {

// Pixels to draw a frame into: view pixel (x, y) is the image's (x - originX, y - originY).
struct DrawTarget {
  pixman_image_t* image = nullptr;
  int originX = 0;
  int originY = 0;
};

// Where a canvas draws: a window of some kind, in view pixels.
class CanvasScreen {
 public:
  virtual ~CanvasScreen() = default;
  virtual drawing::PixelSize Size() = 0;
  // The scene's part of the view is now `area`; what the screen held for the old one is gone.
  virtual void SetSceneArea(const drawing::PixelRect& area) = 0;
  // This part of the view, outside the scene's, is plain ground of this colour.
  virtual void Ground(const drawing::PixelRect& area, drawing::Rgb colour) = 0;
  // Pixels for the next frame, holding what the screen shows now (null when there are none).
  virtual DrawTarget Target() = 0;
  // Shows the frame drawn into the target, in which these boxes changed, and the ground.
  virtual void Show(std::span<const drawing::PixelRect> boxes) = 0;
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
  // The scene's part of the view.
  const drawing::PixelRect& area() const { return area_; }
  void Fill(const drawing::PixelRect& area, drawing::Rgb colour) override;
  void DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                   const drawing::PixelRect& clip) override;
  void DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                const drawing::PixelRect& clip) override;
  void Present(std::span<const drawing::PixelRect> boxes) override;
  void Decoded(std::span<const std::uint8_t> file) override;
  void ForgetDrawings() override;

 private:
  struct TextMask {
    pixman_image_t* image = nullptr;
    drawing::PixelRect box;  // relative to (first run's x, its baseline)
  };
  pixman_image_t* PictureAt(const drawing::RgbImage& picture, drawing::PixelSize size);
  const TextMask& MaskFor(std::span<const drawing::PlacedRun> runs);
  // The frame's pixels, asked for once per frame.
  const DrawTarget& Target();

  FreeTypeMeasurer& measurer_;
  CanvasScreen& screen_;
  drawing::PixelRect area_;  // the scene's part of the view
  DrawTarget target_;        // from the first drawing of a frame until Present
  // Each picture wrapped once at its own size, and scaled once for every other size it is placed.
  std::map<std::pair<const drawing::RgbImage*, std::pair<int, int>>, pixman_image_t*> pictures_;
  std::map<const drawing::TextRun*, TextMask> masks_;  // by the label's first run
};

}  // namespace host::software

// The drawing primitives in memory, with pixman: a back buffer of 0x00RRGGBB pixels, pictures
// composited (scaled smoothly once per size), text composited through coverage masks made once
// per label. Present hands the boxes to whatever shows the buffer.
#pragma once

#include <pixman.h>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "host/drawing/canvas.hpp"
#include "host/wayland/freetype_measurer.hpp"

namespace host::wayland {

class PixmanCanvas : public drawing::Canvas {
 public:
  // Called by Present with the back buffer and the boxes to show from it.
  using Presenter = std::function<void(pixman_image_t*, std::span<const drawing::PixelRect>)>;

  PixmanCanvas(FreeTypeMeasurer& measurer, Presenter presenter);
  ~PixmanCanvas() override;
  PixmanCanvas(const PixmanCanvas&) = delete;
  PixmanCanvas& operator=(const PixmanCanvas&) = delete;

  void SetClientSize(drawing::PixelSize size) { clientSize_ = size; }
  pixman_image_t* Buffer() const { return buffer_; }

  drawing::PixelSize ClientSize() override { return clientSize_; }
  void ResizeBuffer(drawing::PixelSize size) override;
  void Fill(const drawing::PixelRect& area, drawing::Rgb colour) override;
  void DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                   const drawing::PixelRect& clip) override;
  void DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                const drawing::PixelRect& clip) override;
  void Present(std::span<const drawing::PixelRect> boxes) override;

 private:
  struct TextMask {
    pixman_image_t* image = nullptr;
    drawing::PixelRect box;  // relative to (first run's x, its baseline)
  };
  pixman_image_t* PictureAt(const drawing::RgbImage& picture, drawing::PixelSize size);
  const TextMask& MaskFor(std::span<const drawing::PlacedRun> runs);

  FreeTypeMeasurer& measurer_;
  Presenter presenter_;
  drawing::PixelSize clientSize_;
  pixman_image_t* buffer_ = nullptr;
  // Each picture wrapped once at its own size, and scaled once for every other size it is placed.
  std::map<std::pair<const drawing::RgbImage*, std::pair<int, int>>, pixman_image_t*> pictures_;
  std::map<const drawing::TextRun*, TextMask> masks_;  // by the label's first run
};

}  // namespace host::wayland

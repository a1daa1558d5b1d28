// A canvas in memory for one view: it records every frame presented and, when asked to, keeps
// the back buffer (only the part of the view it covers) and the window's contents as pixels, so
// that tests can check what each frame shows. Text is drawn as one solid block per character (its
// advance less a pixel wide, its ascent high): enough to see where text lies, what covers what, and
// where it is cut off.
#pragma once

#include <cstdint>
#include <vector>

#include "host/drawing/canvas.hpp"
#include "host/drawing/text_measurer.hpp"

namespace host::headless {

class MemoryCanvas : public drawing::Canvas {
 public:
  // With raster off, only the presented boxes are recorded (cheap, for long simulations).
  MemoryCanvas(drawing::TextMeasurer& measurer, bool raster)
      : measurer_(measurer), raster_(raster) {}

  // The window's contents are lost with a new size.
  void SetClientSize(drawing::PixelSize size);

  drawing::PixelSize ClientSize() override { return clientSize_; }
  drawing::PixelSize Size() const { return clientSize_; }
  void SetBufferArea(const drawing::PixelRect& area) override;
  void FillWindow(const drawing::PixelRect& area, drawing::Rgb colour) override;
  void Fill(const drawing::PixelRect& area, drawing::Rgb colour) override;
  void DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                   const drawing::PixelRect& clip) override;
  void DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                const drawing::PixelRect& clip) override;
  void Present(std::span<const drawing::PixelRect> boxes) override;

  // Inspection, in view pixels. Pixels are 0x00RRGGBB, row after row.
  std::size_t FramesPresented() const { return frames_; }
  const std::vector<drawing::PixelRect>& LastPresented() const { return lastPresented_; }
  const drawing::PixelRect& BufferArea() const { return bufferArea_; }
  std::uint32_t ScreenPixel(int x, int y) const;
  std::uint32_t BufferPixel(int x, int y) const;
  // Whether text was drawn over this pixel in the back buffer (since its last fill).
  bool TextAt(int x, int y) const;
  // Where the runs of text drawn so far lie (each run's advance by its line height, cut at the
  // clip): a real face's glyphs may fill any part of these.
  const std::vector<drawing::PixelRect>& TextAreas() const { return textAreas_; }
  const std::vector<std::uint32_t>& Screen() const { return screen_; }
  const std::vector<std::uint32_t>& Buffer() const { return buffer_; }

 private:
  std::size_t BufferIndex(int x, int y) const;
  std::size_t ScreenIndex(int x, int y) const;
  void FillBuffer(const drawing::PixelRect& area, std::uint32_t pixel, bool text);

  drawing::TextMeasurer& measurer_;
  bool raster_;
  drawing::PixelSize clientSize_;
  drawing::PixelRect bufferArea_;
  std::vector<std::uint32_t> buffer_;
  std::vector<std::uint8_t> text_;  // 1 where text covers the back buffer
  std::vector<std::uint32_t> screen_;
  std::vector<drawing::PixelRect> lastPresented_;
  std::vector<drawing::PixelRect> textAreas_;
  std::size_t frames_ = 0;
};

}  // namespace host::headless

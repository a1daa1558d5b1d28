// The X11 drawing primitives: a back-buffer pixmap the size of the window, drawn with core X
// requests and Xft, and copied to the window box by box, so nothing flickers.
#pragma once

#include <map>

#include "host/drawing/canvas.hpp"
#include "host/x11/xft_measurer.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

class X11Canvas : public drawing::Canvas {
 public:
  X11Canvas(Display* display, int screen, Window window, XftMeasurer& measurer);
  ~X11Canvas() override;
  X11Canvas(const X11Canvas&) = delete;
  X11Canvas& operator=(const X11Canvas&) = delete;

  // The window's size as this client last set it or the server reported it.
  void SetClientSize(drawing::PixelSize size) { clientSize_ = size; }

  drawing::PixelSize ClientSize() override { return clientSize_; }
  void ResizeBuffer(drawing::PixelSize size) override;
  void Fill(const drawing::PixelRect& area, drawing::Rgb colour) override;
  void DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                   const drawing::PixelRect& clip) override;
  void DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                const drawing::PixelRect& clip) override;
  void Present(std::span<const drawing::PixelRect> boxes) override;
  bool KeepsPictures() const override { return true; }

 private:
  unsigned long PixelOf(drawing::Rgb colour);
  Pixmap Upload(const drawing::RgbImage& picture);
  XftColor* TextColour(drawing::Rgb colour);

  Display* display_;
  int screen_;
  Window window_;
  XftMeasurer& measurer_;
  GC gc_;
  drawing::PixelSize clientSize_;
  Pixmap buffer_ = 0;
  XftDraw* bufferDraw_ = nullptr;
  // Each picture goes to the server once, as a pixmap; painting then only copies from it.
  std::map<const drawing::RgbImage*, Pixmap> pictures_;
  std::map<std::uint32_t, unsigned long> pixels_;
  std::map<std::uint32_t, XftColor> textColours_;
};

}  // namespace host::x11

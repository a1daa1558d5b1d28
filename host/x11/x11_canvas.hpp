// The X11 drawing primitives: a back-buffer pixmap the size of the scene (the rest of the window
// is filled straight on it), copied to the window box by box so nothing flickers. What is drawn
// every frame goes out through XCB on Xlib's own connection (a fill, a copy, a composite, one
// flush), without Xlib's extra reads; each label's text is rendered once into an alpha mask, and a
// frame composites its colour through it. What the canvas keeps on the server is found by what
// it shows (the runs' faces, texts and places; the picture's pixels and size), never by where
// the caller keeps its objects: a view's painter is replaced when its resolution changes, and
// its successor's objects may lie where the old ones lay.
#pragma once

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/drawing/canvas.hpp"
#include "host/x11/pixel_conversion.hpp"
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
  void SetBufferArea(const drawing::PixelRect& area) override;
  void FillWindow(const drawing::PixelRect& area, drawing::Rgb colour) override;
  void Fill(const drawing::PixelRect& area, drawing::Rgb colour) override;
  void DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                   const drawing::PixelRect& clip) override;
  void DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                const drawing::PixelRect& clip) override;
  void Present(std::span<const drawing::PixelRect> boxes) override;
  bool KeepsPictures() const override { return true; }
  void Decoded(std::span<const std::uint8_t> file) override;
  // Frees every mask and picture kept on the server: the window shows another view now (a new
  // resolution), whose painter brings its own, so the old ones would only take the server's
  // memory.
  void ForgetDrawings() override;

 private:
  // A label's text as an 8-bit alpha pixmap, placed relative to its first run's origin.
  struct TextMask {
    Pixmap pixmap = 0;
    xcb_render_picture_t picture = 0;
    drawing::PixelRect box;  // relative to (first run's x, its baseline)
  };
  // A run as a mask shows it: its face (one per family and pixel size), its text, and its place
  // relative to the first run.
  struct RunKey {
    drawing::FaceId face = drawing::kNoFace;
    std::u32string text;
    int x = 0;
    int baseline = 0;
    auto operator<=>(const RunKey&) const = default;
  };
  struct PictureKey {
    int width = 0;
    int height = 0;
    std::uint64_t pixels = 0;  // a hash of the pixels
    auto operator<=>(const PictureKey&) const = default;
  };
  // The picture's content key: from its pixels when it has them, else (emptied once the canvas
  // kept it) as it was when they were last seen at this address.
  std::optional<PictureKey> KeyOf(const drawing::RgbImage& picture);
  std::uint32_t PixelOf(drawing::Rgb colour);
  unsigned long NearestAllocated(Colormap colormap, const XColor& wanted);
  Pixmap Upload(const drawing::RgbImage& picture, const PictureKey& key);
  // The picture at another size, smoothed, made once from its upload and kept.
  Pixmap Scaled(const drawing::RgbImage& picture, const PictureKey& key, drawing::PixelSize size);
  const TextMask& MaskFor(std::span<const drawing::PlacedRun> runs);
  void FreeMask(const TextMask& mask);
  xcb_render_picture_t SolidFill(drawing::Rgb colour);
  void FreeBuffer();
  void SetForeground(drawing::Rgb colour);
  // View pixels to back-buffer pixels.
  std::int16_t BufferX(int x) const { return static_cast<std::int16_t>(x - bufferArea_.x); }
  std::int16_t BufferY(int y) const { return static_cast<std::int16_t>(y - bufferArea_.y); }

  Display* display_;
  xcb_connection_t* connection_;
  int screen_;
  Window window_;
  XftMeasurer& measurer_;
  xcb_gcontext_t gc_;  // XCB's own: Xlib caches its GCs' values on the client side
  std::uint32_t foreground_ = 0;
  drawing::PixelSize clientSize_;
  drawing::PixelRect bufferArea_;
  Pixmap buffer_ = 0;
  xcb_render_picture_t bufferPicture_ = 0;
  // Each picture goes to the server once, as a pixmap; painting then only copies from it.
  std::map<PictureKey, Pixmap> pictures_;
  std::map<std::pair<PictureKey, std::pair<int, int>>, Pixmap> scaled_;
  std::map<const drawing::RgbImage*, PictureKey> seen_;  // refreshed whenever pixels come along
  std::map<std::uint32_t, std::uint32_t> pixels_;
  std::vector<XColor> colormapCells_;            // read once, when the colormap is first found full
  std::unique_ptr<PixelConversion> conversion_;  // made for the first picture off the usual visual
  std::map<std::uint32_t, xcb_render_picture_t> fills_;
  std::map<std::vector<RunKey>, TextMask> masks_;
  std::vector<RunKey> runKey_;  // the key being looked up, its storage reused frame after frame
};

}  // namespace host::x11

// A platform's drawing primitives for one view of the form: a back buffer that holds only the
// part of the view where controls can be drawn (the rest is plain ground, filled straight on the
// window, so memory does not grow with the screen), three ways to draw into the buffer, and
// presenting parts of it on the screen. What is drawn,
// where, in which order and when is decided by the scene painter, the same on every platform.
#pragma once

#include <cstdint>
#include <span>

#include "host/drawing/bmp_image.hpp"
#include "host/drawing/caption_layout.hpp"
#include "host/drawing/colours.hpp"
#include "host/drawing/pixel_geometry.hpp"

namespace host::drawing {

// A run of text placed in the back buffer.
struct PlacedRun {
  const TextRun* run = nullptr;
  int x = 0;         // left end of the run
  int baseline = 0;  // y of the baseline
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  // The window's client area now, in pixels.
  virtual PixelSize ClientSize() = 0;
  // A new back buffer for this part of the view (in view pixels); its contents are undefined
  // until drawn. Fill, DrawPicture and DrawText take view pixels and always lie inside it.
  virtual void SetBufferArea(const PixelRect& area) = 0;
  // Fills a part of the view outside the back buffer with a plain colour, straight on the
  // window; on the screen by the next Present at the latest.
  virtual void FillWindow(const PixelRect& area, Rgb colour) = 0;
  virtual void Fill(const PixelRect& area, Rgb colour) = 0;
  // The picture placed with its top-left corner and size at `placed` (scaled smoothly when the
  // size differs from the picture's own, once per size and kept: never per frame), only the
  // part inside `clip` drawn. The same picture object comes back every time it is drawn again.
  virtual void DrawPicture(const RgbImage& picture, const PixelRect& placed,
                           const PixelRect& clip) = 0;
  // Whether the canvas keeps its own copy of a picture once drawn (on the display server, say),
  // so that the caller may free the picture's pixels and pass the emptied picture from then on.
  virtual bool KeepsPictures() const { return false; }
  // A picture's file, built into the program, has been decoded and will not be read again: a
  // canvas may give its pages back to the system (they come back from the program file if
  // anything ever reads them).
  virtual void Decoded(std::span<const std::uint8_t> /*file*/) {}
  // The canvas is handed to a new painter (its view was made anew): whatever it kept for the old
  // painter's pictures and texts is let go, since it may know them by their addresses, which the
  // new painter's own are free to take.
  virtual void ForgetDrawings() {}
  // Runs of text in one colour, only what lies inside `clip` drawn; the background shows
  // between the characters.
  virtual void DrawText(std::span<const PlacedRun> runs, Rgb colour, const PixelRect& clip) = 0;
  // Copies these parts of the back buffer (all inside its area) to the window and sends them,
  // and whatever FillWindow drew, on their way.
  virtual void Present(std::span<const PixelRect> boxes) = 0;
};

}  // namespace host::drawing

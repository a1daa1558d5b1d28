// A platform's drawing primitives for the form's window: a back buffer the size of the client
// area, three ways to draw into it, and presenting parts of it on the screen. What is drawn,
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
  // A new back buffer of this size; its contents are undefined until drawn.
  virtual void ResizeBuffer(PixelSize size) = 0;
  virtual void Fill(const PixelRect& area, Rgb colour) = 0;
  // The picture placed with its top-left corner and size at `placed` (scaled smoothly when the
  // size differs from the picture's own), only the part inside `clip` drawn. The same picture
  // object comes back every time it is drawn again.
  virtual void DrawPicture(const RgbImage& picture, const PixelRect& placed,
                           const PixelRect& clip) = 0;
  // Whether the canvas keeps its own copy of a picture once drawn (on the display server, say),
  // so that the caller may free the picture's pixels and pass the emptied picture from then on.
  virtual bool KeepsPictures() const { return false; }
  // A picture's file, built into the program, has been decoded and will not be read again: a
  // canvas may give its pages back to the system (they come back from the program file if
  // anything ever reads them).
  virtual void Decoded(std::span<const std::uint8_t> /*file*/) {}
  // Runs of text in one colour, only what lies inside `clip` drawn; the background shows
  // between the characters.
  virtual void DrawText(std::span<const PlacedRun> runs, Rgb colour, const PixelRect& clip) = 0;
  // Copies these parts of the back buffer to the window and sends them on their way.
  virtual void Present(std::span<const PixelRect> boxes) = 0;
};

}  // namespace host::drawing

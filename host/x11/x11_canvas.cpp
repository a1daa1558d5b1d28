#include "host/x11/x11_canvas.hpp"

#include <algorithm>
#include <cstdlib>

namespace host::x11 {
namespace {

std::uint32_t Key(drawing::Rgb c) {
  return std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue;
}

XRectangle ToX(const drawing::PixelRect& r) {
  return XRectangle{static_cast<short>(r.x), static_cast<short>(r.y),
                    static_cast<unsigned short>(r.width), static_cast<unsigned short>(r.height)};
}

}  // namespace

X11Canvas::X11Canvas(Display* display, int screen, Window window, XftMeasurer& measurer)
    : display_(display), screen_(screen), window_(window), measurer_(measurer) {
  XGCValues values{};
  values.graphics_exposures = kXFalse;  // or every copy queues a NoExpose event
  gc_ = XCreateGC(display_, window_, GCGraphicsExposures, &values);
}

X11Canvas::~X11Canvas() {
  for (auto& [key, colour] : textColours_) {
    XftColorFree(display_, DefaultVisual(display_, screen_), DefaultColormap(display_, screen_),
                 &colour);
  }
  if (bufferDraw_ != nullptr) XftDrawDestroy(bufferDraw_);
  if (buffer_ != 0) XFreePixmap(display_, buffer_);
  for (auto& [picture, pixmap] : pictures_) XFreePixmap(display_, pixmap);
  XFreeGC(display_, gc_);
}

unsigned long X11Canvas::PixelOf(drawing::Rgb colour) {
  const auto [it, added] = pixels_.emplace(Key(colour), 0);
  if (added) {
    XColor xc{};
    xc.red = static_cast<unsigned short>(colour.red * 257);
    xc.green = static_cast<unsigned short>(colour.green * 257);
    xc.blue = static_cast<unsigned short>(colour.blue * 257);
    XAllocColor(display_, DefaultColormap(display_, screen_), &xc);
    it->second = xc.pixel;
  }
  return it->second;
}

void X11Canvas::ResizeBuffer(drawing::PixelSize size) {
  if (bufferDraw_ != nullptr) XftDrawDestroy(bufferDraw_);
  if (buffer_ != 0) XFreePixmap(display_, buffer_);
  buffer_ = XCreatePixmap(display_, window_, static_cast<unsigned>(std::max(size.width, 1)),
                          static_cast<unsigned>(std::max(size.height, 1)),
                          static_cast<unsigned>(DefaultDepth(display_, screen_)));
  bufferDraw_ = XftDrawCreate(display_, buffer_, DefaultVisual(display_, screen_),
                              DefaultColormap(display_, screen_));
}

void X11Canvas::Fill(const drawing::PixelRect& area, drawing::Rgb colour) {
  XSetForeground(display_, gc_, PixelOf(colour));
  XFillRectangle(display_, buffer_, gc_, area.x, area.y, static_cast<unsigned>(area.width),
                 static_cast<unsigned>(area.height));
}

Pixmap X11Canvas::Upload(const drawing::RgbImage& picture) {
  if (const auto it = pictures_.find(&picture); it != pictures_.end()) return it->second;
  if (picture.pixels.size() !=
      static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
    return 0;  // its pixels are gone: an upload failed before they were freed
  }
  Visual* visual = DefaultVisual(display_, screen_);
  const int depth = DefaultDepth(display_, screen_);
  XImage* image = XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                               static_cast<unsigned>(picture.width),
                               static_cast<unsigned>(picture.height), 32, 0);
  if (image == nullptr) return 0;
  image->data = static_cast<char*>(
      std::malloc(static_cast<std::size_t>(image->bytes_per_line) * picture.height));
  // The usual true-colour visual takes 0x00RRGGBB words as they are.
  const bool direct = image->bits_per_pixel == 32 && visual->red_mask == 0xFF0000 &&
                      visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF &&
                      image->byte_order == LSBFirst;
  for (int y = 0; y < picture.height; ++y) {
    const std::uint32_t* row = picture.pixels.data() + static_cast<std::size_t>(y) *
                                                           static_cast<std::size_t>(picture.width);
    if (direct) {
      std::copy(row, row + picture.width,
                reinterpret_cast<std::uint32_t*>(image->data + y * image->bytes_per_line));
      continue;
    }
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t p = row[x];
      XPutPixel(
          image, x, y,
          PixelOf(drawing::Rgb{static_cast<std::uint8_t>(p >> 16),
                               static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p)}));
    }
  }
  const Pixmap pixmap =
      XCreatePixmap(display_, window_, static_cast<unsigned>(picture.width),
                    static_cast<unsigned>(picture.height), static_cast<unsigned>(depth));
  XPutImage(display_, pixmap, gc_, image, 0, 0, 0, 0, static_cast<unsigned>(picture.width),
            static_cast<unsigned>(picture.height));
  XDestroyImage(image);  // frees the pixel data too
  pictures_.emplace(&picture, pixmap);
  return pixmap;
}

// This display draws at the standard resolution only, where a picture keeps its own size.
void X11Canvas::DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                            const drawing::PixelRect& clip) {
  const Pixmap pixmap = Upload(picture);
  const drawing::PixelRect part = drawing::Intersect(
      drawing::Intersect(placed, clip), {placed.x, placed.y, picture.width, picture.height});
  if (pixmap == 0 || part.Empty()) return;
  XCopyArea(display_, pixmap, buffer_, gc_, part.x - placed.x, part.y - placed.y,
            static_cast<unsigned>(part.width), static_cast<unsigned>(part.height), part.x, part.y);
}

XftColor* X11Canvas::TextColour(drawing::Rgb colour) {
  const auto [it, added] = textColours_.emplace(Key(colour), XftColor{});
  if (added) {
    const XRenderColor render{static_cast<unsigned short>(colour.red * 257),
                              static_cast<unsigned short>(colour.green * 257),
                              static_cast<unsigned short>(colour.blue * 257), 0xFFFF};
    XftColorAllocValue(display_, DefaultVisual(display_, screen_),
                       DefaultColormap(display_, screen_), &render, &it->second);
  }
  return &it->second;
}

void X11Canvas::DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                         const drawing::PixelRect& clip) {
  XRectangle rect = ToX(clip);
  XftDrawSetClipRectangles(bufferDraw_, 0, 0, &rect, 1);
  XftColor* xftColour = TextColour(colour);
  for (const drawing::PlacedRun& placed : runs) {
    XftDrawString32(bufferDraw_, xftColour, measurer_.Font(placed.run->face), placed.x,
                    placed.baseline, reinterpret_cast<const FcChar32*>(placed.run->text.data()),
                    static_cast<int>(placed.run->text.size()));
  }
  XftDrawSetClip(bufferDraw_, nullptr);
}

void X11Canvas::Present(std::span<const drawing::PixelRect> boxes) {
  for (const drawing::PixelRect& box : boxes) {
    XCopyArea(display_, buffer_, window_, gc_, box.x, box.y, static_cast<unsigned>(box.width),
              static_cast<unsigned>(box.height), box.x, box.y);
  }
  XFlush(display_);
}

}  // namespace host::x11

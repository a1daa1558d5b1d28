#include "host/x11/x11_canvas.hpp"

#include <X11/Xlib-xcb.h>
#include <X11/extensions/Xrender.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "host/posix/read_once.hpp"

namespace host::x11 {
namespace {

std::uint32_t Key(drawing::Rgb c) {
  return std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue;
}

std::int16_t I16(int v) {
  return static_cast<std::int16_t>(v);
}
std::uint16_t U16(int v) {
  return static_cast<std::uint16_t>(v);
}

}  // namespace

X11Canvas::X11Canvas(Display* display, int screen, Window window, XftMeasurer& measurer)
    : display_(display),
      connection_(XGetXCBConnection(display)),
      screen_(screen),
      window_(window),
      measurer_(measurer),
      gc_(xcb_generate_id(connection_)) {
  const std::uint32_t values[] = {0, 0};  // foreground black, no graphics exposures
  xcb_create_gc(connection_, gc_, static_cast<xcb_drawable_t>(window_),
                XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, values);
}

X11Canvas::~X11Canvas() {
  ForgetDrawings();
  for (auto& [key, fill] : fills_) xcb_render_free_picture(connection_, fill);
  FreeBuffer();
  xcb_free_gc(connection_, gc_);
  xcb_flush(connection_);
}

void X11Canvas::FreeMask(const TextMask& mask) {
  xcb_render_free_picture(connection_, mask.picture);
  XFreePixmap(display_, mask.pixmap);
}

void X11Canvas::ForgetDrawings() {
  for (auto& [key, mask] : masks_) FreeMask(mask);
  masks_.clear();
  for (auto& [key, pixmap] : pictures_) XFreePixmap(display_, pixmap);
  pictures_.clear();
  for (auto& [key, pixmap] : scaled_) XFreePixmap(display_, pixmap);
  scaled_.clear();
  seen_.clear();
}

void X11Canvas::FreeBuffer() {
  if (bufferPicture_ != 0) xcb_render_free_picture(connection_, bufferPicture_);
  if (buffer_ != 0) XFreePixmap(display_, buffer_);
  bufferPicture_ = 0;
  buffer_ = 0;
}

std::uint32_t X11Canvas::PixelOf(drawing::Rgb colour) {
  const auto [it, added] = pixels_.emplace(Key(colour), 0);
  if (added) {
    XColor xc{};
    xc.red = static_cast<unsigned short>(colour.red * 257);
    xc.green = static_cast<unsigned short>(colour.green * 257);
    xc.blue = static_cast<unsigned short>(colour.blue * 257);
    const Colormap colormap = DefaultColormap(display_, screen_);
    if (XAllocColor(display_, colormap, &xc) == 0) xc.pixel = NearestAllocated(colormap, xc);
    it->second = static_cast<std::uint32_t>(xc.pixel);
  }
  return it->second;
}

// A full colormap (on a display of 256 colours or fewer) has no cell left for the colour: the
// closest of the cells it has will do.
unsigned long X11Canvas::NearestAllocated(Colormap colormap, const XColor& wanted) {
  if (colormapCells_.empty()) {
    colormapCells_.resize(static_cast<std::size_t>(DefaultVisual(display_, screen_)->map_entries));
    for (std::size_t i = 0; i < colormapCells_.size(); ++i) colormapCells_[i].pixel = i;
    XQueryColors(display_, colormap, colormapCells_.data(),
                 static_cast<int>(colormapCells_.size()));
  }
  unsigned long best = 0;
  long bestDistance = LONG_MAX;
  for (const XColor& cell : colormapCells_) {
    const long dr = (long{cell.red} - wanted.red) >> 8;
    const long dg = (long{cell.green} - wanted.green) >> 8;
    const long db = (long{cell.blue} - wanted.blue) >> 8;
    const long distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = cell.pixel;
    }
  }
  return best;
}

void X11Canvas::SetBufferArea(const drawing::PixelRect& area) {
  FreeBuffer();
  bufferArea_ = area;
  buffer_ = XCreatePixmap(display_, window_, static_cast<unsigned>(std::max(area.width, 1)),
                          static_cast<unsigned>(std::max(area.height, 1)),
                          static_cast<unsigned>(DefaultDepth(display_, screen_)));
  const XRenderPictFormat* format =
      XRenderFindVisualFormat(display_, DefaultVisual(display_, screen_));
  bufferPicture_ = xcb_generate_id(connection_);
  xcb_render_create_picture(connection_, bufferPicture_, static_cast<xcb_drawable_t>(buffer_),
                            static_cast<xcb_render_pictformat_t>(format->id), 0, nullptr);
}

void X11Canvas::SetForeground(drawing::Rgb colour) {
  const std::uint32_t pixel = PixelOf(colour);
  if (pixel != foreground_) {
    xcb_change_gc(connection_, gc_, XCB_GC_FOREGROUND, &pixel);
    foreground_ = pixel;
  }
}

void X11Canvas::Fill(const drawing::PixelRect& area, drawing::Rgb colour) {
  SetForeground(colour);
  const xcb_rectangle_t rect{BufferX(area.x), BufferY(area.y), U16(area.width), U16(area.height)};
  xcb_poly_fill_rectangle(connection_, static_cast<xcb_drawable_t>(buffer_), gc_, 1, &rect);
}

void X11Canvas::FillWindow(const drawing::PixelRect& area, drawing::Rgb colour) {
  SetForeground(colour);
  const xcb_rectangle_t rect{I16(area.x), I16(area.y), U16(area.width), U16(area.height)};
  xcb_poly_fill_rectangle(connection_, static_cast<xcb_drawable_t>(window_), gc_, 1, &rect);
}

std::optional<X11Canvas::PictureKey> X11Canvas::KeyOf(const drawing::RgbImage& picture) {
  if (picture.pixels.size() !=
      static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
    const auto it = seen_.find(&picture);
    if (it == seen_.end() || it->second.width != picture.width ||
        it->second.height != picture.height) {
      return std::nullopt;
    }
    return it->second;
  }
  // FNV-1a over the pixel words: once per picture a painter brings, never per frame.
  std::uint64_t hash = 14695981039346656037u;
  for (const std::uint32_t pixel : picture.pixels) hash = (hash ^ pixel) * 1099511628211u;
  const PictureKey key{picture.width, picture.height, hash};
  seen_[&picture] = key;
  return key;
}

Pixmap X11Canvas::Upload(const drawing::RgbImage& picture, const PictureKey& key) {
  if (const auto it = pictures_.find(key); it != pictures_.end()) return it->second;
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
  // The usual true-colour visual takes the 0x00RRGGBB words as they are: the image then points
  // at the picture's own pixels, which XPutImage only reads. Any other visual gets a copy.
  const bool direct = image->bits_per_pixel == 32 && visual->red_mask == 0xFF0000 &&
                      visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF &&
                      image->byte_order == LSBFirst && image->bytes_per_line == picture.width * 4;
  if (direct) {
    image->data = reinterpret_cast<char*>(const_cast<std::uint32_t*>(picture.pixels.data()));
  } else {
    image->data = static_cast<char*>(
        std::malloc(static_cast<std::size_t>(image->bytes_per_line) * picture.height));
    if (image->data == nullptr) {
      XDestroyImage(image);
      return 0;
    }
    if (!conversion_) {
      conversion_ = std::make_unique<PixelConversion>(
          *visual, [this](drawing::Rgb colour) { return PixelOf(colour); });
    }
    conversion_->Convert(picture, *image);
  }
  const Pixmap pixmap =
      XCreatePixmap(display_, window_, static_cast<unsigned>(picture.width),
                    static_cast<unsigned>(picture.height), static_cast<unsigned>(depth));
  GC gc = XCreateGC(display_, pixmap, 0, nullptr);
  XPutImage(display_, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(picture.width),
            static_cast<unsigned>(picture.height));
  XFreeGC(display_, gc);
  if (direct) image->data = nullptr;  // the picture's pixels are not the image's to free
  XDestroyImage(image);
  pictures_.emplace(key, pixmap);
  return pixmap;
}

// The banner's file is half a megabyte of the program's own pages, read once to decode it.
void X11Canvas::Decoded(std::span<const std::uint8_t> file) {
  posix::ReleaseReadOnce(file);
}

Pixmap X11Canvas::Scaled(const drawing::RgbImage& picture, const PictureKey& pictureKey,
                         drawing::PixelSize size) {
  const auto key = std::make_pair(pictureKey, std::make_pair(size.width, size.height));
  if (const auto it = scaled_.find(key); it != scaled_.end()) return it->second;
  const Pixmap source = Upload(picture, pictureKey);
  if (source == 0 || size.width <= 0 || size.height <= 0) return 0;
  const int depth = DefaultDepth(display_, screen_);
  const Pixmap pixmap =
      XCreatePixmap(display_, window_, static_cast<unsigned>(size.width),
                    static_cast<unsigned>(size.height), static_cast<unsigned>(depth));
  const XRenderPictFormat* format =
      XRenderFindVisualFormat(display_, DefaultVisual(display_, screen_));
  XRenderPictureAttributes attributes{};
  const Picture from = XRenderCreatePicture(display_, source, format, 0, &attributes);
  const Picture to = XRenderCreatePicture(display_, pixmap, format, 0, &attributes);
  // The transform maps destination pixels to source pixels; bilinear filtering averages them.
  XTransform transform{};
  transform.matrix[0][0] = XDoubleToFixed(static_cast<double>(picture.width) / size.width);
  transform.matrix[1][1] = XDoubleToFixed(static_cast<double>(picture.height) / size.height);
  transform.matrix[2][2] = XDoubleToFixed(1);
  XRenderSetPictureTransform(display_, from, &transform);
  XRenderSetPictureFilter(display_, from, FilterBilinear, nullptr, 0);
  XRenderComposite(display_, PictOpSrc, from, 0, to, 0, 0, 0, 0, 0, 0,
                   static_cast<unsigned>(size.width), static_cast<unsigned>(size.height));
  XRenderFreePicture(display_, from);
  XRenderFreePicture(display_, to);
  scaled_.emplace(key, pixmap);
  return pixmap;
}

// At its own size the picture is copied from its upload; at another size (a higher
// resolution), from its smoothed copy of that size.
void X11Canvas::DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                            const drawing::PixelRect& clip) {
  const std::optional<PictureKey> key = KeyOf(picture);
  if (!key) return;  // its pixels are gone, and were never seen here
  const bool ownSize = placed.width == picture.width && placed.height == picture.height;
  const Pixmap pixmap =
      ownSize ? Upload(picture, *key) : Scaled(picture, *key, {placed.width, placed.height});
  const drawing::PixelRect part = drawing::Intersect(placed, clip);
  if (pixmap == 0 || part.Empty()) return;
  xcb_copy_area(connection_, static_cast<xcb_drawable_t>(pixmap),
                static_cast<xcb_drawable_t>(buffer_), gc_, I16(part.x - placed.x),
                I16(part.y - placed.y), BufferX(part.x), BufferY(part.y), U16(part.width),
                U16(part.height));
}

// The runs drawn once, white on nothing, into an alpha pixmap as large as their ink.
const X11Canvas::TextMask& X11Canvas::MaskFor(std::span<const drawing::PlacedRun> runs) {
  const drawing::PlacedRun& first = runs.front();
  runKey_.resize(runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    RunKey& key = runKey_[i];
    key.face = runs[i].run->face;
    key.text.assign(runs[i].run->text);
    key.x = runs[i].x - first.x;
    key.baseline = runs[i].baseline - first.baseline;
  }
  if (const auto it = masks_.find(runKey_); it != masks_.end()) return it->second;
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  for (const drawing::PlacedRun& placed : runs) {
    XGlyphInfo ink{};
    XftTextExtents32(display_, measurer_.Font(placed.run->face),
                     reinterpret_cast<const FcChar32*>(placed.run->text.data()),
                     static_cast<int>(placed.run->text.size()), &ink);
    const int x = placed.x - first.x - ink.x;
    const int y = placed.baseline - first.baseline - ink.y;
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x + ink.width);
    bottom = std::max(bottom, y + ink.height);
  }
  TextMask mask;
  mask.box = {left, top, std::max(right - left, 1), std::max(bottom - top, 1)};
  mask.pixmap = XCreatePixmap(display_, window_, static_cast<unsigned>(mask.box.width),
                              static_cast<unsigned>(mask.box.height), 8);
  XftDraw* draw = XftDrawCreateAlpha(display_, mask.pixmap, 8);
  const XRenderColor clear{0, 0, 0, 0};
  XRenderFillRectangle(display_, PictOpSrc, XftDrawPicture(draw), &clear, 0, 0,
                       static_cast<unsigned>(mask.box.width),
                       static_cast<unsigned>(mask.box.height));
  XftColor opaque{};
  opaque.color = XRenderColor{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  for (const drawing::PlacedRun& placed : runs) {
    XftDrawString32(draw, &opaque, measurer_.Font(placed.run->face), placed.x - first.x - left,
                    placed.baseline - first.baseline - top,
                    reinterpret_cast<const FcChar32*>(placed.run->text.data()),
                    static_cast<int>(placed.run->text.size()));
  }
  XftDrawDestroy(draw);
  mask.picture = xcb_generate_id(connection_);
  xcb_render_create_picture(
      connection_, mask.picture, static_cast<xcb_drawable_t>(mask.pixmap),
      static_cast<xcb_render_pictformat_t>(XRenderFindStandardFormat(display_, PictStandardA8)->id),
      0, nullptr);
  return masks_.emplace(runKey_, mask).first->second;
}

xcb_render_picture_t X11Canvas::SolidFill(drawing::Rgb colour) {
  const auto [it, added] = fills_.emplace(Key(colour), 0);
  if (added) {
    it->second = xcb_generate_id(connection_);
    xcb_render_create_solid_fill(connection_, it->second,
                                 xcb_render_color_t{U16(colour.red * 257), U16(colour.green * 257),
                                                    U16(colour.blue * 257), 0xFFFF});
  }
  return it->second;
}

void X11Canvas::DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                         const drawing::PixelRect& clip) {
  if (runs.empty()) return;
  const TextMask& mask = MaskFor(runs);
  const drawing::PixelRect placed{runs.front().x + mask.box.x, runs.front().baseline + mask.box.y,
                                  mask.box.width, mask.box.height};
  const drawing::PixelRect part = drawing::Intersect(placed, clip);
  if (part.Empty()) return;
  xcb_render_composite(connection_, XCB_RENDER_PICT_OP_OVER, SolidFill(colour), mask.picture,
                       bufferPicture_, 0, 0, I16(part.x - placed.x), I16(part.y - placed.y),
                       BufferX(part.x), BufferY(part.y), U16(part.width), U16(part.height));
}

void X11Canvas::Present(std::span<const drawing::PixelRect> boxes) {
  for (const drawing::PixelRect& box : boxes) {
    xcb_copy_area(connection_, static_cast<xcb_drawable_t>(buffer_),
                  static_cast<xcb_drawable_t>(window_), gc_, BufferX(box.x), BufferY(box.y),
                  I16(box.x), I16(box.y), U16(box.width), U16(box.height));
  }
  xcb_flush(connection_);
}

}  // namespace host::x11

#include "host/x11/scene_painter.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <variant>

#include "host/x11/bmp_image.hpp"
#include "host/x11/system_colours.hpp"

namespace host::x11 {
namespace {

int PixelEdge(float twips) {
  return static_cast<int>(std::floor(twips / kTwipsPerPixel));
}

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  const int left = std::max(a.x, b.x);
  const int top = std::max(a.y, b.y);
  const int right = std::min(a.x + a.width, b.x + b.width);
  const int bottom = std::min(a.y + a.height, b.y + b.height);
  return PixelRect{left, top, right - left, bottom - top};
}

bool Overlaps(const PixelRect& a, const PixelRect& b) {
  return !Intersect(a, b).Empty();
}

PixelRect Union(const PixelRect& a, const PixelRect& b) {
  const int left = std::min(a.x, b.x);
  const int top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.width, b.x + b.width);
  const int bottom = std::max(a.y + a.height, b.y + b.height);
  return PixelRect{left, top, right - left, bottom - top};
}

// Adds a rectangle, merging it with those it overlaps: a moving label's old and new boxes
// become one copy.
void AddMerged(std::vector<PixelRect>& rects, PixelRect rect) {
  if (rect.Empty()) return;
  for (bool merged = true; merged;) {
    merged = false;
    for (auto it = rects.begin(); it != rects.end(); ++it) {
      if (Overlaps(*it, rect)) {
        rect = Union(*it, rect);
        rects.erase(it);
        merged = true;
        break;
      }
    }
  }
  rects.push_back(rect);
}

XRectangle ToX(const PixelRect& r) {
  return XRectangle{static_cast<short>(r.x), static_cast<short>(r.y),
                    static_cast<unsigned short>(r.width), static_cast<unsigned short>(r.height)};
}

}  // namespace

PixelRect ToPixels(const TwipRect& twips) {
  const int left = PixelEdge(twips.left);
  const int top = PixelEdge(twips.top);
  return PixelRect{left, top, PixelEdge(twips.left + twips.width) - left,
                   PixelEdge(twips.top + twips.height) - top};
}

ScenePainter::ScenePainter(Display* display, int screen, Window window, const Form& form)
    : display_(display), screen_(screen), window_(window), form_(form), fonts_(display, screen) {
  XGCValues values{};
  values.graphics_exposures = kXFalse;  // or every copy queues a NoExpose event
  gc_ = XCreateGC(display_, window_, GCGraphicsExposures, &values);
  background_ = PixelOf(form_.design().backColour);
  LoadBanner();
}

ScenePainter::~ScenePainter() {
  for (auto& [index, text] : labelTexts_) {
    XftColorFree(display_, DefaultVisual(display_, screen_), DefaultColormap(display_, screen_),
                 &text.colour);
  }
  if (bufferDraw_ != nullptr) XftDrawDestroy(bufferDraw_);
  if (buffer_ != 0) XFreePixmap(display_, buffer_);
  if (banner_ != 0) XFreePixmap(display_, banner_);
  XFreeGC(display_, gc_);
}

unsigned long ScenePainter::PixelOf(Colour colour) {
  const Rgb rgb = ResolveColour(colour);
  XColor xc{};
  xc.red = static_cast<unsigned short>(rgb.red * 257);
  xc.green = static_cast<unsigned short>(rgb.green * 257);
  xc.blue = static_cast<unsigned short>(rgb.blue * 257);
  XAllocColor(display_, DefaultColormap(display_, screen_), &xc);
  return xc.pixel;
}

// The banner goes to the server once, as a pixmap; painting then only copies from it.
void ScenePainter::LoadBanner() {
  for (const ControlDesign& control : form_.design().controls) {
    const auto* image = std::get_if<ImageDesign>(&control);
    if (image == nullptr) continue;
    const RgbImage rgb = DecodeBmp24(image->picture);
    if (rgb.pixels.empty()) return;
    Visual* visual = DefaultVisual(display_, screen_);
    const int depth = DefaultDepth(display_, screen_);
    XImage* ximage =
        XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                     static_cast<unsigned>(rgb.width), static_cast<unsigned>(rgb.height), 32, 0);
    if (ximage == nullptr) return;
    ximage->data = static_cast<char*>(
        std::malloc(static_cast<std::size_t>(ximage->bytes_per_line) * rgb.height));
    const bool direct = ximage->bits_per_pixel == 32 && visual->red_mask == 0xFF0000 &&
                        visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF &&
                        ximage->byte_order == LSBFirst;
    for (int y = 0; y < rgb.height; ++y) {
      const std::uint32_t* row = rgb.pixels.data() + static_cast<std::size_t>(y) * rgb.width;
      if (direct) {
        std::copy(row, row + rgb.width,
                  reinterpret_cast<std::uint32_t*>(ximage->data + y * ximage->bytes_per_line));
        continue;
      }
      for (int x = 0; x < rgb.width; ++x) {
        const std::uint32_t p = row[x];
        const Colour bgr = (p >> 16 & 0xFF) | (p & 0xFF00) | (p & 0xFF) << 16;
        XPutPixel(ximage, x, y, PixelOf(bgr));
      }
    }
    banner_ = XCreatePixmap(display_, window_, static_cast<unsigned>(rgb.width),
                            static_cast<unsigned>(rgb.height), static_cast<unsigned>(depth));
    XPutImage(display_, banner_, gc_, ximage, 0, 0, 0, 0, static_cast<unsigned>(rgb.width),
              static_cast<unsigned>(rgb.height));
    XDestroyImage(ximage);  // frees the pixel data too
    bannerWidth_ = rgb.width;
    bannerHeight_ = rgb.height;
    return;
  }
}

void ScenePainter::Resize(int width, int height) {
  if (width == width_ && height == height_ && buffer_ != 0) return;
  if (bufferDraw_ != nullptr) XftDrawDestroy(bufferDraw_);
  if (buffer_ != 0) XFreePixmap(display_, buffer_);
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
  buffer_ = XCreatePixmap(display_, window_, static_cast<unsigned>(width_),
                          static_cast<unsigned>(height_),
                          static_cast<unsigned>(DefaultDepth(display_, screen_)));
  bufferDraw_ = XftDrawCreate(display_, buffer_, DefaultVisual(display_, screen_),
                              DefaultColormap(display_, screen_));
  redrawAll_ = true;
}

void ScenePainter::Invalidate(const TwipRect& area) {
  AddMerged(redraw_, ToPixels(area));
}

void ScenePainter::Exposed(const PixelRect& area) {
  AddMerged(copy_, area);
}

std::vector<ScenePainter::LabelState> ScenePainter::LabelStates() const {
  std::vector<LabelState> states;
  for (std::size_t i = 0; i < form_.design().controls.size(); ++i) {
    if (!form_.IsLabel(i)) continue;
    states.push_back(LabelState{form_.LabelVisible(i) == True, ToPixels(form_.LabelBox(i))});
  }
  return states;
}

void ScenePainter::Paint() {
  if (buffer_ == 0 || (!redrawAll_ && redraw_.empty() && copy_.empty())) return;
  const PixelRect whole{0, 0, width_, height_};
  std::vector<LabelState> labels = LabelStates();
  if (redrawAll_) {
    redraw_.assign(1, whole);
  } else if (labels == drawn_) {
    // Labels move by thirds of a pixel; when none moved a whole pixel the picture is the same.
    redraw_.clear();
  }
  for (const PixelRect& area : redraw_) {
    const PixelRect clipped = Intersect(area, whole);
    if (clipped.Empty()) continue;
    Draw(clipped);
    AddMerged(copy_, clipped);
  }
  for (const PixelRect& area : copy_) {
    const PixelRect clipped = Intersect(area, whole);
    if (clipped.Empty()) continue;
    XCopyArea(display_, buffer_, window_, gc_, clipped.x, clipped.y,
              static_cast<unsigned>(clipped.width), static_cast<unsigned>(clipped.height),
              clipped.x, clipped.y);
  }
  drawn_ = std::move(labels);
  redrawAll_ = false;
  redraw_.clear();
  copy_.clear();
}

void ScenePainter::Draw(const PixelRect& area) {
  XSetForeground(display_, gc_, background_);
  XFillRectangle(display_, buffer_, gc_, area.x, area.y, static_cast<unsigned>(area.width),
                 static_cast<unsigned>(area.height));
  // Back-most control first: the design lists them front-most first.
  const auto& controls = form_.design().controls;
  for (std::size_t i = controls.size(); i-- > 0;) {
    if (const auto* image = std::get_if<ImageDesign>(&controls[i])) {
      if (banner_ == 0 || !image->visible) continue;
      PixelRect box = ToPixels(image->box);
      box.width = std::min(box.width, bannerWidth_);  // drawn at its own size, clipped to the box
      box.height = std::min(box.height, bannerHeight_);
      const PixelRect part = Intersect(box, area);
      if (part.Empty()) continue;
      XCopyArea(display_, banner_, buffer_, gc_, part.x - box.x, part.y - box.y,
                static_cast<unsigned>(part.width), static_cast<unsigned>(part.height), part.x,
                part.y);
    } else if (form_.IsLabel(i) && form_.LabelVisible(i) == True) {
      DrawLabel(i, area);
    }
  }
}

void ScenePainter::DrawLabel(std::size_t index, const PixelRect& area) {
  const LabelDesign& design = form_.LabelDesignOf(index);
  const PixelRect box = ToPixels(form_.LabelBox(index));
  const PixelRect clip = Intersect(box, area);
  if (clip.Empty()) return;
  // Labels here are transparent: only the text is drawn, clipped to the box.
  XRectangle rect = ToX(clip);
  XftDrawSetClipRectangles(bufferDraw_, 0, 0, &rect, 1);
  auto cached = labelTexts_.find(index);
  if (cached == labelTexts_.end()) {
    LabelText text;
    text.lines = fonts_.Layout(design.font, design.caption, box.width);
    const Rgb rgb = ResolveColour(design.foreColour);
    const XRenderColor render{static_cast<unsigned short>(rgb.red * 257),
                              static_cast<unsigned short>(rgb.green * 257),
                              static_cast<unsigned short>(rgb.blue * 257), 0xFFFF};
    XftColorAllocValue(display_, DefaultVisual(display_, screen_),
                       DefaultColormap(display_, screen_), &render, &text.colour);
    cached = labelTexts_.emplace(index, std::move(text)).first;
  }
  const int lineHeight = fonts_.LineHeight(design.font);
  int baseline = box.y + fonts_.Ascent(design.font);
  for (const TextLine& line : cached->second.lines) {
    if (baseline - lineHeight >= box.y + box.height) break;  // below the box
    int x = box.x;
    for (const TextRun& run : line.runs) {
      if (run.font != nullptr) {
        XftDrawString32(bufferDraw_, &cached->second.colour, run.font, x, baseline,
                        reinterpret_cast<const FcChar32*>(run.text.data()),
                        static_cast<int>(run.text.size()));
      }
      x += run.advance;
    }
    baseline += lineHeight;
  }
  XftDrawSetClip(bufferDraw_, nullptr);
}

}  // namespace host::x11

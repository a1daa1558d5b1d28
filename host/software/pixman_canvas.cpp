#include "host/software/pixman_canvas.hpp"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "host/posix/read_once.hpp"

namespace host::software {
namespace {

pixman_color_t Colour(drawing::Rgb c) {
  return pixman_color_t{static_cast<std::uint16_t>(c.red * 257),
                        static_cast<std::uint16_t>(c.green * 257),
                        static_cast<std::uint16_t>(c.blue * 257), 0xFFFF};
}

}  // namespace

PixmanCanvas::PixmanCanvas(FreeTypeMeasurer& measurer, CanvasScreen& screen)
    : measurer_(measurer), screen_(screen) {}

PixmanCanvas::~PixmanCanvas() {
  ForgetDrawings();
}

void PixmanCanvas::ForgetDrawings() {
  for (auto& [run, mask] : masks_) pixman_image_unref(mask.image);
  masks_.clear();
  for (auto& [key, image] : pictures_) pixman_image_unref(image);
  pictures_.clear();
}

void PixmanCanvas::SetBufferArea(const drawing::PixelRect& area) {
  area_ = area;
  target_ = {};
  screen_.SetSceneArea(area);
}

const DrawTarget& PixmanCanvas::Target() {
  if (target_.image == nullptr) target_ = screen_.Target();
  return target_;
}

void PixmanCanvas::Fill(const drawing::PixelRect& area, drawing::Rgb colour) {
  const DrawTarget& t = Target();
  if (t.image == nullptr) return;
  const pixman_color_t c = Colour(colour);
  const pixman_box32_t box{area.x - t.originX, area.y - t.originY, area.Right() - t.originX,
                           area.Bottom() - t.originY};
  pixman_image_fill_boxes(PIXMAN_OP_SRC, t.image, &c, 1, &box);
}

// The picture's own pixels are 0x00RRGGBB words, which pixman reads in place; another size is
// scaled once, bilinearly, into an image of its own.
pixman_image_t* PixmanCanvas::PictureAt(const drawing::RgbImage& picture, drawing::PixelSize size) {
  const auto key = std::make_pair(&picture, std::make_pair(size.width, size.height));
  if (const auto it = pictures_.find(key); it != pictures_.end()) return it->second;
  const auto own = std::make_pair(&picture, std::make_pair(picture.width, picture.height));
  pixman_image_t* original = nullptr;
  if (const auto it = pictures_.find(own); it != pictures_.end()) {
    original = it->second;
  } else {
    original = pixman_image_create_bits(PIXMAN_x8r8g8b8, picture.width, picture.height,
                                        const_cast<std::uint32_t*>(picture.pixels.data()),
                                        picture.width * 4);
    pictures_.emplace(own, original);
  }
  if (size.width == picture.width && size.height == picture.height) return original;
  pixman_image_t* scaled =
      pixman_image_create_bits(PIXMAN_x8r8g8b8, size.width, size.height, nullptr, 0);
  pixman_transform_t transform;
  pixman_transform_init_scale(&transform,
                              pixman_double_to_fixed(double(picture.width) / size.width),
                              pixman_double_to_fixed(double(picture.height) / size.height));
  pixman_image_set_transform(original, &transform);
  pixman_image_set_filter(original, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(original, PIXMAN_REPEAT_PAD);
  pixman_image_composite32(PIXMAN_OP_SRC, original, nullptr, scaled, 0, 0, 0, 0, 0, 0, size.width,
                           size.height);
  pixman_image_set_transform(original, nullptr);
  pixman_image_set_repeat(original, PIXMAN_REPEAT_NONE);
  pictures_.emplace(key, scaled);
  return scaled;
}

void PixmanCanvas::DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                               const drawing::PixelRect& clip) {
  const drawing::PixelRect part = drawing::Intersect(placed, clip);
  const DrawTarget& t = Target();
  if (part.Empty() || picture.pixels.empty() || t.image == nullptr) return;
  pixman_image_t* source = PictureAt(picture, {placed.width, placed.height});
  pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, t.image, part.x - placed.x,
                           part.y - placed.y, 0, 0, part.x - t.originX, part.y - t.originY,
                           part.width, part.height);
}

// The runs rendered once into one coverage mask as large as their ink.
const PixmanCanvas::TextMask& PixmanCanvas::MaskFor(std::span<const drawing::PlacedRun> runs) {
  const drawing::PlacedRun& first = runs.front();
  if (const auto it = masks_.find(first.run); it != masks_.end()) return it->second;
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  auto eachGlyph = [&](auto&& use) {
    for (const drawing::PlacedRun& placed : runs) {
      int pen = placed.x - first.x;
      for (char32_t c : placed.run->text) {
        GlyphMask glyph;
        if (!measurer_.Render(placed.run->face, c, glyph)) continue;
        use(glyph, pen + glyph.left, placed.baseline - first.baseline - glyph.top);
        pen += glyph.advance;
      }
    }
  };
  eachGlyph([&](const GlyphMask& g, int x, int y) {
    if (g.width == 0 || g.height == 0) return;
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x + g.width);
    bottom = std::max(bottom, y + g.height);
  });
  TextMask mask;
  if (right <= left) {
    left = top = 0;
    right = bottom = 1;
  }
  mask.box = {left, top, right - left, bottom - top};
  mask.image = pixman_image_create_bits(PIXMAN_a8, mask.box.width, mask.box.height, nullptr, 0);
  auto* bits = reinterpret_cast<std::uint8_t*>(pixman_image_get_data(mask.image));
  const int stride = pixman_image_get_stride(mask.image);
  eachGlyph([&](const GlyphMask& g, int x, int y) {
    for (int row = 0; row < g.height; ++row) {
      std::uint8_t* out = bits + (y - top + row) * stride + (x - left);
      const std::uint8_t* in = g.coverage + row * g.pitch;
      for (int col = 0; col < g.width; ++col) out[col] = std::max(out[col], in[col]);
    }
  });
  return masks_.emplace(first.run, mask).first->second;
}

void PixmanCanvas::DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                            const drawing::PixelRect& clip) {
  if (runs.empty()) return;
  const TextMask& mask = MaskFor(runs);
  const drawing::PixelRect placed{runs.front().x + mask.box.x, runs.front().baseline + mask.box.y,
                                  mask.box.width, mask.box.height};
  const drawing::PixelRect part = drawing::Intersect(placed, clip);
  const DrawTarget& t = Target();
  if (part.Empty() || t.image == nullptr) return;
  const pixman_color_t c = Colour(colour);
  pixman_image_t* solid = pixman_image_create_solid_fill(&c);
  pixman_image_composite32(PIXMAN_OP_OVER, solid, mask.image, t.image, 0, 0, part.x - placed.x,
                           part.y - placed.y, part.x - t.originX, part.y - t.originY, part.width,
                           part.height);
  pixman_image_unref(solid);
}

void PixmanCanvas::Present(std::span<const drawing::PixelRect> boxes) {
  target_ = {};
  screen_.Show(boxes);
}

}  // namespace host::software

namespace host::software {

// The banner's file is half a megabyte of the program's own pages, read once to decode it.
void PixmanCanvas::Decoded(std::span<const std::uint8_t> file) {
  posix::ReleaseReadOnce(file);
}

}  // namespace host::software

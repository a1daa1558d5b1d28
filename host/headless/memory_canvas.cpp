#include "host/headless/memory_canvas.hpp"

#include <algorithm>

namespace host::headless {
namespace {

std::uint32_t Pixel(drawing::Rgb c) {
  return std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue;
}

}  // namespace

std::size_t MemoryCanvas::BufferIndex(int x, int y) const {
  return static_cast<std::size_t>(y - bufferArea_.y) * static_cast<std::size_t>(bufferArea_.width) +
         static_cast<std::size_t>(x - bufferArea_.x);
}

std::size_t MemoryCanvas::ScreenIndex(int x, int y) const {
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(clientSize_.width) +
         static_cast<std::size_t>(x);
}

std::uint32_t MemoryCanvas::ScreenPixel(int x, int y) const {
  return screen_.at(ScreenIndex(x, y));
}

std::uint32_t MemoryCanvas::BufferPixel(int x, int y) const {
  return buffer_.at(BufferIndex(x, y));
}

bool MemoryCanvas::TextAt(int x, int y) const {
  return text_.at(BufferIndex(x, y)) != 0;
}

// Pixels never painted show in a colour no scene uses.
constexpr std::uint32_t kUnpainted = 0xFF00FF;

void MemoryCanvas::SetClientSize(drawing::PixelSize size) {
  clientSize_ = size;
  if (!raster_) return;
  screen_.assign(static_cast<std::size_t>(std::max(size.width, 0)) *
                     static_cast<std::size_t>(std::max(size.height, 0)),
                 kUnpainted);
}

void MemoryCanvas::SetBufferArea(const drawing::PixelRect& area) {
  bufferArea_ = area;
  if (!raster_) return;
  const auto count = static_cast<std::size_t>(std::max(area.width, 0)) *
                     static_cast<std::size_t>(std::max(area.height, 0));
  buffer_.assign(count, kUnpainted);
  text_.assign(count, 0);
}

void MemoryCanvas::FillWindow(const drawing::PixelRect& area, drawing::Rgb colour) {
  if (!raster_) return;
  const drawing::PixelRect part =
      drawing::Intersect(area, {0, 0, clientSize_.width, clientSize_.height});
  for (int y = part.y; y < part.Bottom(); ++y) {
    std::fill_n(screen_.begin() + static_cast<std::ptrdiff_t>(ScreenIndex(part.x, y)), part.width,
                Pixel(colour));
  }
}

void MemoryCanvas::FillBuffer(const drawing::PixelRect& area, std::uint32_t pixel, bool text) {
  const drawing::PixelRect part = drawing::Intersect(area, bufferArea_);
  for (int y = part.y; y < part.Bottom(); ++y) {
    for (int x = part.x; x < part.Right(); ++x) {
      buffer_[BufferIndex(x, y)] = pixel;
      text_[BufferIndex(x, y)] = text ? 1 : 0;
    }
  }
}

void MemoryCanvas::Fill(const drawing::PixelRect& area, drawing::Rgb colour) {
  if (raster_) FillBuffer(area, Pixel(colour), false);
}

void MemoryCanvas::DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                               const drawing::PixelRect& clip) {
  if (!raster_ || placed.Empty()) return;
  const drawing::PixelRect part = drawing::Intersect(drawing::Intersect(placed, clip), bufferArea_);
  for (int y = part.y; y < part.Bottom(); ++y) {
    // The nearest picture pixel: at its own size, exactly the picture.
    const int sy = (y - placed.y) * picture.height / placed.height;
    for (int x = part.x; x < part.Right(); ++x) {
      const int sx = (x - placed.x) * picture.width / placed.width;
      buffer_[BufferIndex(x, y)] =
          picture.pixels[static_cast<std::size_t>(sy) * static_cast<std::size_t>(picture.width) +
                         static_cast<std::size_t>(sx)];
      text_[BufferIndex(x, y)] = 0;
    }
  }
}

void MemoryCanvas::DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                            const drawing::PixelRect& clip) {
  if (!raster_) return;
  for (const drawing::PlacedRun& placed : runs) {
    const drawing::FaceMetrics metrics = measurer_.Metrics(placed.run->face);
    const int ascent = metrics.ascent;
    textAreas_.push_back(drawing::Intersect(
        {placed.x, placed.baseline - ascent, placed.run->advance, ascent + metrics.descent}, clip));
    int x = placed.x;
    for (const char32_t c : placed.run->text) {
      const int advance = measurer_.Advance(placed.run->face, std::u32string_view(&c, 1));
      if (c != U' ') {
        FillBuffer(drawing::Intersect({x, placed.baseline - ascent, advance - 1, ascent}, clip),
                   Pixel(colour), true);
      }
      x += advance;
    }
  }
}

void MemoryCanvas::Present(std::span<const drawing::PixelRect> boxes) {
  ++frames_;
  lastPresented_.assign(boxes.begin(), boxes.end());
  if (!raster_) return;
  for (const drawing::PixelRect& box : boxes) {
    const drawing::PixelRect part = drawing::Intersect(
        drawing::Intersect(box, bufferArea_), {0, 0, clientSize_.width, clientSize_.height});
    for (int y = part.y; y < part.Bottom(); ++y) {
      std::copy_n(buffer_.begin() + static_cast<std::ptrdiff_t>(BufferIndex(part.x, y)), part.width,
                  screen_.begin() + static_cast<std::ptrdiff_t>(ScreenIndex(part.x, y)));
    }
  }
}

}  // namespace host::headless

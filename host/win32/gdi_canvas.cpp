#include "host/win32/gdi_canvas.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

namespace host::win32 {
namespace {

COLORREF ToColorref(drawing::Rgb c) {
  return RGB(c.red, c.green, c.blue);
}

RECT ToRect(const drawing::PixelRect& r) {
  return RECT{r.x, r.y, r.Right(), r.Bottom()};
}

}  // namespace

GdiCanvas::GdiCanvas(HWND window, GdiMeasurer& measurer)
    : window_(window),
      measurer_(measurer),
      bufferDc_(CreateCompatibleDC(nullptr)),
      pictureDc_(CreateCompatibleDC(nullptr)) {
  SetBkMode(bufferDc_, TRANSPARENT);  // only the characters are painted
  SetTextAlign(bufferDc_, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
}

GdiCanvas::~GdiCanvas() {
  if (initialBitmap_ != nullptr) SelectObject(bufferDc_, initialBitmap_);
  if (initialPicture_ != nullptr) SelectObject(pictureDc_, initialPicture_);
  if (initialFont_ != nullptr) SelectObject(bufferDc_, initialFont_);
  DeleteDC(bufferDc_);
  DeleteDC(pictureDc_);
  if (buffer_ != nullptr) DeleteObject(buffer_);
  for (auto& [picture, bitmap] : pictures_) DeleteObject(bitmap);
}

void GdiCanvas::ForgetDrawings() {
  // A bitmap still selected into a DC cannot be deleted.
  if (initialPicture_ != nullptr) SelectObject(pictureDc_, initialPicture_);
  for (auto& [picture, bitmap] : pictures_) DeleteObject(bitmap);
  pictures_.clear();
}

drawing::PixelSize GdiCanvas::ClientSize() {
  RECT client{};
  if (!IsWindow(window_) || ::GetClientRect(window_, &client) == 0) return {};
  return {client.right, client.bottom};
}

// A 32-bit DIB section: filled, drawn on and copied to the window by GDI in the process itself
// (a screen-compatible bitmap would be the display's, and under wine every text drawn on it
// goes through the X server).
void GdiCanvas::SetBufferArea(const drawing::PixelRect& area) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = std::max(area.width, 1);
  info.bmiHeader.biHeight = -std::max(area.height, 1);  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = SelectObject(bufferDc_, bitmap);
  if (initialBitmap_ == nullptr) initialBitmap_ = previous;
  if (buffer_ != nullptr) DeleteObject(buffer_);
  buffer_ = bitmap;
  bufferArea_ = area;
  // Everything drawn into the buffer, and copied out of it, keeps the view's coordinates.
  SetViewportOrgEx(bufferDc_, -area.x, -area.y, nullptr);
}

void GdiCanvas::FillWindow(const drawing::PixelRect& area, drawing::Rgb colour) {
  const HDC target = GetDC(window_);
  if (target == nullptr) return;
  ground_ = ToColorref(colour);
  SetDCBrushColor(target, ground_);
  const RECT rect = ToRect(area);
  FillRect(target, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  ReleaseDC(window_, target);
}

void GdiCanvas::Fill(const drawing::PixelRect& area, drawing::Rgb colour) {
  SetDCBrushColor(bufferDc_, ToColorref(colour));
  const RECT rect = ToRect(area);
  FillRect(bufferDc_, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

HBITMAP GdiCanvas::Upload(const drawing::RgbImage& picture) {
  if (const auto it = pictures_.find(&picture); it != pictures_.end()) return it->second;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top row first, as the image keeps them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const std::size_t count =
      static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
  if (bitmap != nullptr && picture.pixels.size() >= count) {
    // 0x00RRGGBB words are the 32-bit DIB's blue, green, red, unused bytes as they are.
    std::memcpy(bits, picture.pixels.data(), count * sizeof(std::uint32_t));
    GdiFlush();
  }
  pictures_.emplace(&picture, bitmap);
  return bitmap;
}

void GdiCanvas::DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                            const drawing::PixelRect& clip) {
  const HBITMAP bitmap = Upload(picture);
  const drawing::PixelRect part = drawing::Intersect(placed, clip);
  if (bitmap == nullptr || part.Empty() || picture.width <= 0 || picture.height <= 0) return;
  const HGDIOBJ previous = SelectObject(pictureDc_, bitmap);
  if (initialPicture_ == nullptr) initialPicture_ = previous;
  if (placed.width == picture.width && placed.height == picture.height) {
    BitBlt(bufferDc_, part.x, part.y, part.width, part.height, pictureDc_, part.x - placed.x,
           part.y - placed.y, SRCCOPY);
    return;
  }
  // Enlarged for a higher resolution: averaged, not blocky; only the clip is touched.
  SaveDC(bufferDc_);
  IntersectClipRect(bufferDc_, part.x, part.y, part.Right(), part.Bottom());
  SetStretchBltMode(bufferDc_, HALFTONE);
  SetBrushOrgEx(bufferDc_, 0, 0, nullptr);
  StretchBlt(bufferDc_, placed.x, placed.y, placed.width, placed.height, pictureDc_, 0, 0,
             picture.width, picture.height, SRCCOPY);
  RestoreDC(bufferDc_, -1);
}

void GdiCanvas::DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                         const drawing::PixelRect& clip) {
  SetTextColor(bufferDc_, ToColorref(colour));
  const RECT rect = ToRect(clip);
  for (const drawing::PlacedRun& placed : runs) {
    const HFONT font = measurer_.Font(placed.run->face);
    if (font != selectedFont_) {
      const HGDIOBJ previous = SelectObject(bufferDc_, font);
      if (initialFont_ == nullptr) initialFont_ = previous;
      selectedFont_ = font;
    }
    const std::wstring text = Utf16FromUtf32(placed.run->text);
    ExtTextOutW(bufferDc_, placed.x, placed.baseline, ETO_CLIPPED, &rect, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
  }
}

void GdiCanvas::Present(std::span<const drawing::PixelRect> boxes) {
  const HDC target = GetDC(window_);
  if (target == nullptr) return;
  for (const drawing::PixelRect& box : boxes) {
    BitBlt(target, box.x, box.y, box.width, box.height, bufferDc_, box.x, box.y, SRCCOPY);
  }
  ReleaseDC(window_, target);
  GdiFlush();
}

bool GdiCanvas::Repaint(HDC target, const RECT& area) {
  if (buffer_ == nullptr) return false;
  const drawing::PixelRect box{area.left, area.top, area.right - area.left, area.bottom - area.top};
  const drawing::PixelRect inside = drawing::Intersect(box, bufferArea_);
  if (!inside.Empty()) {
    BitBlt(target, inside.x, inside.y, inside.width, inside.height, bufferDc_, inside.x, inside.y,
           SRCCOPY);
  }
  SetDCBrushColor(target, ground_);
  for (const drawing::PixelRect& part : drawing::Subtract(box, bufferArea_)) {
    const RECT rect = ToRect(part);
    FillRect(target, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  }
  return true;
}

}  // namespace host::win32

// The drawing primitives on Windows: a back-buffer bitmap the size of the scene (the rest of the
// client area is filled straight on the window), drawn with GDI and copied to the window box by
// box, so nothing flickers.
#pragma once

#include <windows.h>

#include <map>

#include "host/drawing/canvas.hpp"
#include "host/win32/gdi_measurer.hpp"

namespace host::win32 {

class GdiCanvas : public drawing::Canvas {
 public:
  GdiCanvas(HWND window, GdiMeasurer& measurer);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  drawing::PixelSize ClientSize() override;
  void SetBufferArea(const drawing::PixelRect& area) override;
  void FillWindow(const drawing::PixelRect& area, drawing::Rgb colour) override;
  void Fill(const drawing::PixelRect& area, drawing::Rgb colour) override;
  void DrawPicture(const drawing::RgbImage& picture, const drawing::PixelRect& placed,
                   const drawing::PixelRect& clip) override;
  bool KeepsPictures() const override { return true; }  // as a bitmap of its own
  void ForgetDrawings() override;
  void DrawText(std::span<const drawing::PlacedRun> runs, drawing::Rgb colour,
                const drawing::PixelRect& clip) override;
  void Present(std::span<const drawing::PixelRect> boxes) override;

  // Repairs part of the window from the back buffer (WM_PAINT); false when there is none yet.
  bool Repaint(HDC target, const RECT& area);

 private:
  HBITMAP Upload(const drawing::RgbImage& picture);

  HWND window_;
  GdiMeasurer& measurer_;
  HDC bufferDc_;
  HDC pictureDc_;
  HBITMAP buffer_ = nullptr;
  HGDIOBJ initialBitmap_ = nullptr;
  HGDIOBJ initialPicture_ = nullptr;
  HGDIOBJ initialFont_ = nullptr;
  // The face left selected between frames: selecting one is not free (under wine it asks the
  // X server's resources each time).
  HFONT selectedFont_ = nullptr;
  drawing::PixelRect bufferArea_;
  COLORREF ground_ = RGB(0, 0, 0);  // what FillWindow last filled with
  // Each picture becomes a bitmap once; painting then only copies from it.
  std::map<const drawing::RgbImage*, HBITMAP> pictures_;
};

}  // namespace host::win32

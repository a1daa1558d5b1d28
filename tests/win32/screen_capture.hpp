// The screen as the user sees it, read back through GDI, and the questions the tests ask of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/drawing/bmp_image.hpp"
#include "tests/screen_shot.hpp"

namespace win32test {

using testing_support::Box;
using testing_support::InkBox;
using testing_support::Shot;
using testing_support::StrayPixels;

// The whole virtual screen, or only the part from its top-left corner to (width, height), which
// wine reads back much faster.
Shot CaptureScreen(int width = 0, int height = 0);
// Whether the picture appears at (x, y) pixel for pixel.
bool PictureAt(const Shot& shot, const host::drawing::RgbImage& picture, int x, int y);
// Writes the shot as a 24-bit BMP file.
bool SaveBmp(const Shot& shot, const std::wstring& path);

}  // namespace win32test

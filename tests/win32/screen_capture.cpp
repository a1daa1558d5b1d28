#include "tests/win32/screen_capture.hpp"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace win32test {
namespace {

// The tests read the screen in real pixels, whatever the resolution: without this Windows would
// show them a scaled-down screen.
[[maybe_unused]] const bool kDpiAware = [] {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  return setContext != nullptr && setContext(reinterpret_cast<HANDLE>(LONG_PTR{-4})) != 0;
}();

}  // namespace

Shot CaptureScreen(int width, int height) {
  Shot shot;
  shot.width = width > 0 ? width : GetSystemMetrics(SM_CXVIRTUALSCREEN);
  shot.height = height > 0 ? height : GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, shot.width, shot.height, screen, left, top, SRCCOPY);
  GdiFlush();
  shot.pixels.resize(static_cast<std::size_t>(shot.width) * static_cast<std::size_t>(shot.height));
  std::memcpy(shot.pixels.data(), bits, shot.pixels.size() * sizeof(std::uint32_t));
  for (std::uint32_t& p : shot.pixels) p &= 0x00FFFFFFu;
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

bool PictureAt(const Shot& shot, const host::drawing::RgbImage& picture, int x, int y) {
  if (x < 0 || y < 0 || x + picture.width > shot.width || y + picture.height > shot.height) {
    return false;
  }
  for (int row = 0; row < picture.height; ++row) {
    for (int column = 0; column < picture.width; ++column) {
      if (shot.At(x + column, y + row) !=
          picture.pixels[static_cast<std::size_t>(row) * picture.width + column]) {
        return false;
      }
    }
  }
  return true;
}

bool SaveBmp(const Shot& shot, const std::wstring& path) {
  const int stride = (shot.width * 3 + 3) / 4 * 4;
  const DWORD imageSize = static_cast<DWORD>(stride) * static_cast<DWORD>(shot.height);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + imageSize;
  header.biSize = sizeof header;
  header.biWidth = shot.width;
  header.biHeight = shot.height;  // bottom row first
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = imageSize;
  std::vector<std::uint8_t> rows(imageSize);
  for (int y = 0; y < shot.height; ++y) {
    std::uint8_t* out = rows.data() + static_cast<std::size_t>(shot.height - 1 - y) * stride;
    for (int x = 0; x < shot.width; ++x) {
      const std::uint32_t p = shot.At(x, y);
      out[x * 3] = static_cast<std::uint8_t>(p);
      out[x * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
      out[x * 3 + 2] = static_cast<std::uint8_t>(p >> 16);
    }
  }
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(handle, &file, sizeof file, &written, nullptr) != 0;
  ok = ok && WriteFile(handle, &header, sizeof header, &written, nullptr) != 0;
  ok = ok && WriteFile(handle, rows.data(), imageSize, &written, nullptr) != 0;
  CloseHandle(handle);
  return ok;
}

}  // namespace win32test

// A window in memory for the Wayland platform's canvas: what it shows and the ground it fills,
// as a compositor would show them one to one.
#pragma once

#include <pixman.h>

#include <cstdint>
#include <span>
#include <vector>

#include "host/drawing/pixel_geometry.hpp"
#include "host/software/pixman_canvas.hpp"

namespace testing_support {

using host::drawing::PixelRect;
using host::drawing::PixelSize;

struct MemoryScreen : host::software::CanvasScreen {
  explicit MemoryScreen(PixelSize s)
      : size(s), pixels(static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height)) {}
  ~MemoryScreen() override {
    if (scene != nullptr) pixman_image_unref(scene);
  }
  PixelSize Size() override { return size; }
  void SetSceneArea(const PixelRect& a) override {
    if (scene != nullptr) pixman_image_unref(scene);
    area = a;
    scene = pixman_image_create_bits(PIXMAN_x8r8g8b8, a.width, a.height, nullptr, 0);
  }
  void Ground(const PixelRect& part, host::drawing::Rgb c) override {
    const std::uint32_t p = std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue;
    for (int y = part.y; y < part.Bottom(); ++y) {
      for (int x = part.x; x < part.Right(); ++x) At(x, y) = p;
    }
  }
  host::software::DrawTarget Target() override { return {scene, area.x, area.y}; }
  void Show(std::span<const PixelRect> boxes) override {
    const auto* bits = pixman_image_get_data(scene);
    const int stride = pixman_image_get_stride(scene) / 4;
    for (const PixelRect& box : boxes) {
      for (int y = box.y; y < box.Bottom(); ++y) {
        for (int x = box.x; x < box.Right(); ++x) {
          At(x, y) = bits[(y - area.y) * stride + (x - area.x)] & 0xFFFFFF;
        }
      }
    }
  }
  std::uint32_t& At(int x, int y) {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size.width) +
                  static_cast<std::size_t>(x)];
  }
  PixelSize size;
  std::vector<std::uint32_t> pixels;
  PixelRect area;
  pixman_image_t* scene = nullptr;
};

}  // namespace testing_support

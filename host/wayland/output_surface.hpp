// One output of the compositor and, while the form is shown full-screen, the overlay layer
// surface that covers it: anchored to all four edges, over every panel (exclusive zone -1),
// taking the keyboard for itself. It shows the canvas's back buffer through two shared-memory
// buffers at the output's scale, copying in only what changed since each was last shown.
#pragma once

#include <pixman.h>
#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "host/drawing/pixel_geometry.hpp"
#include "host/wayland/layer_shell.hpp"
#include "host/wayland/shm_buffer.hpp"

namespace host::wayland {

class OutputSurface {
 public:
  struct Globals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
  };
  // Called when the surface's area (in the output's logical pixels) is first known or changes,
  // and when the compositor took the surface away.
  using Changed = std::function<void(OutputSurface&)>;

  OutputSurface(wl_output* output, std::uint32_t name, Changed changed);
  ~OutputSurface();
  OutputSurface(const OutputSurface&) = delete;
  OutputSurface& operator=(const OutputSurface&) = delete;

  std::uint32_t name() const { return name_; }  // the registry's name of the output
  wl_surface* surface() const { return surface_; }
  int scale() const { return scale_; }
  // The surface's size in logical pixels; empty until the compositor configured it.
  drawing::PixelSize size() const { return size_; }
  bool closed() const { return closed_; }

  // Covers the output with an overlay layer surface (keyboard: exclusive, or none).
  void Cover(const Globals& globals, bool takeKeyboard);
  void Uncover();
  // Copies these boxes of the back buffer (logical pixels) and everything this surface has not
  // shown yet, and commits them.
  void Show(pixman_image_t* backBuffer, std::span<const drawing::PixelRect> boxes);

 private:
  static void OutputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t,
                             std::int32_t, std::int32_t, const char*, const char*, std::int32_t) {}
  static void OutputMode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t,
                         std::int32_t) {}
  static void OutputDone(void* data, wl_output*);
  static void OutputScale(void* data, wl_output*, std::int32_t factor);
  static void Configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                        std::uint32_t width, std::uint32_t height);
  static void Closed(void* data, zwlr_layer_surface_v1* layer);
  ShmBuffer* FreeBuffer();

  wl_output* output_;
  std::uint32_t name_;
  Changed changed_;
  wl_shm* shm_ = nullptr;
  int scale_ = 1;
  int pendingScale_ = 1;
  wl_surface* surface_ = nullptr;
  zwlr_layer_surface_v1* layer_ = nullptr;
  drawing::PixelSize size_;
  bool closed_ = false;
  std::array<std::unique_ptr<ShmBuffer>, 2> buffers_;
};

}  // namespace host::wayland

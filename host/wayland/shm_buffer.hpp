// One shared-memory buffer a surface shows: pixels the compositor reads in place, a pixman
// image over them for copying in, and whether the compositor still holds it.
#pragma once

#include <pixman.h>
#include <wayland-client.h>

#include <memory>

#include "host/drawing/pixel_geometry.hpp"

namespace host::wayland {

class ShmBuffer {
 public:
  // nullptr when the memory cannot be had. Its release comes on `releases` when given.
  static std::unique_ptr<ShmBuffer> Create(wl_shm* shm, drawing::PixelSize size,
                                           wl_event_queue* releases = nullptr);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  wl_buffer* buffer() const { return buffer_; }
  pixman_image_t* image() const { return image_; }
  drawing::PixelSize size() const { return size_; }
  bool busy() const { return busy_; }
  void MarkBusy() { busy_ = true; }
  // What changed on the screen since this buffer was last shown, to be copied in before it is
  // shown again.
  pixman_region32_t& stale() { return stale_; }

 private:
  ShmBuffer() = default;
  static void Released(void* data, wl_buffer* buffer);

  wl_buffer* buffer_ = nullptr;
  pixman_image_t* image_ = nullptr;
  void* memory_ = nullptr;
  std::size_t bytes_ = 0;
  drawing::PixelSize size_;
  bool busy_ = false;
  pixman_region32_t stale_;
};

}  // namespace host::wayland

#include "host/wayland/shm_buffer.hpp"

#include <sys/mman.h>
#include <unistd.h>

namespace host::wayland {

std::unique_ptr<ShmBuffer> ShmBuffer::Create(wl_shm* shm, drawing::PixelSize size,
                                             wl_event_queue* releases) {
  const int stride = size.width * 4;
  const std::size_t bytes =
      static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.height);
  const int fd = memfd_create("vorthane-buffer", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  if (ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
    close(fd);
    return nullptr;
  }
  void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  std::unique_ptr<ShmBuffer> b(new ShmBuffer());
  b->memory_ = memory;
  b->bytes_ = bytes;
  b->size_ = size;
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
  b->buffer_ =
      wl_shm_pool_create_buffer(pool, 0, size.width, size.height, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  static const wl_buffer_listener listener{&ShmBuffer::Released};
  wl_buffer_add_listener(b->buffer_, &listener, b.get());
  if (releases != nullptr) wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(b->buffer_), releases);
  b->image_ = pixman_image_create_bits(PIXMAN_x8r8g8b8, size.width, size.height,
                                       static_cast<std::uint32_t*>(memory), stride);
  // Nothing of the picture is in it yet.
  pixman_region32_init_rect(&b->stale_, 0, 0, static_cast<unsigned>(size.width),
                            static_cast<unsigned>(size.height));
  return b;
}

ShmBuffer::~ShmBuffer() {
  pixman_region32_fini(&stale_);
  if (image_ != nullptr) pixman_image_unref(image_);
  if (buffer_ != nullptr) wl_buffer_destroy(buffer_);
  if (memory_ != nullptr) munmap(memory_, bytes_);
}

void ShmBuffer::Released(void* data, wl_buffer*) {
  static_cast<ShmBuffer*>(data)->busy_ = false;
}

}  // namespace host::wayland

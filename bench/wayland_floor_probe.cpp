// The floor under the saver's CPU on a Wayland compositor: exactly the frames a saver needs and
// nothing else. An overlay layer surface on the first output, and 21.33 times a second, on
// absolute deadlines, one 169 x 17 box written into a shared-memory buffer, attached, damaged
// and committed. Runs until the given seconds have passed or a signal ends it.
//   vorthane_wayland_floor_probe SECONDS
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

namespace {

constexpr std::int64_t kFrameNs = 46'875'000;  // three ticks of 15.625 ms
constexpr int kLabelWidth = 169;
constexpr int kLabelHeight = 17;

wl_compositor* compositor = nullptr;
wl_shm* shm = nullptr;
zwlr_layer_shell_v1* layerShell = nullptr;
wl_output* output = nullptr;
std::uint32_t width = 0;
std::uint32_t height = 0;

struct Buffer {
  wl_buffer* buffer = nullptr;
  std::uint32_t* pixels = nullptr;
  bool busy = false;
};

std::int64_t NowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

void Global(void*, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t) {
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    compositor =
        static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
    layerShell = static_cast<zwlr_layer_shell_v1*>(
        wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 1));
  } else if (std::strcmp(interface, wl_output_interface.name) == 0 && output == nullptr) {
    output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
  }
}
void GlobalRemove(void*, wl_registry*, std::uint32_t) {}

void Configure(void*, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t w,
               std::uint32_t h) {
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  width = w;
  height = h;
}
void Closed(void*, zwlr_layer_surface_v1*) {}

void Released(void* data, wl_buffer*) {
  static_cast<Buffer*>(data)->busy = false;
}

bool MakeBuffer(Buffer& b) {
  const std::size_t bytes = std::size_t{width} * height * 4;
  const int fd = memfd_create("probe", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) return false;
  void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) return false;
  b.pixels = static_cast<std::uint32_t*>(memory);
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
  b.buffer = wl_shm_pool_create_buffer(
      pool, 0, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
      static_cast<std::int32_t>(width * 4), WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  static const wl_buffer_listener listener{&Released};
  wl_buffer_add_listener(b.buffer, &listener, &b);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: vorthane_wayland_floor_probe SECONDS\n", stderr);
    return 2;
  }
  const std::int64_t runNs = std::int64_t{std::atoi(argv[1])} * 1'000'000'000;
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return 1;
  wl_registry* registry = wl_display_get_registry(display);
  static const wl_registry_listener registryListener{&Global, &GlobalRemove};
  wl_registry_add_listener(registry, &registryListener, nullptr);
  wl_display_roundtrip(display);
  if (compositor == nullptr || shm == nullptr || layerShell == nullptr || output == nullptr)
    return 1;
  wl_surface* surface = wl_compositor_create_surface(compositor);
  zwlr_layer_surface_v1* layer = zwlr_layer_shell_v1_get_layer_surface(
      layerShell, surface, output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "probe");
  static const zwlr_layer_surface_v1_listener layerListener{&Configure, &Closed};
  zwlr_layer_surface_v1_add_listener(layer, &layerListener, nullptr);
  zwlr_layer_surface_v1_set_anchor(layer, 15);
  zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
  zwlr_layer_surface_v1_set_size(layer, 0, 0);
  wl_surface_commit(surface);
  wl_display_roundtrip(display);
  Buffer buffers[2];
  if (width == 0 || !MakeBuffer(buffers[0]) || !MakeBuffer(buffers[1])) return 1;
  // The whole black surface once, as the saver's first frame.
  wl_surface_attach(surface, buffers[0].buffer, 0, 0);
  wl_surface_damage_buffer(surface, 0, 0, static_cast<std::int32_t>(width),
                           static_cast<std::int32_t>(height));
  wl_surface_commit(surface);
  buffers[0].busy = true;
  wl_display_flush(display);

  const std::int64_t start = NowNs();
  for (std::int64_t frame = 1;; ++frame) {
    const std::int64_t deadline = start + frame * kFrameNs;
    if (deadline - start > runNs) break;
    const timespec at{static_cast<time_t>(deadline / 1'000'000'000),
                      static_cast<long>(deadline % 1'000'000'000)};
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
    // The buffers' releases wait on the socket: read them without blocking.
    while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
    if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) break;
    Buffer& b = buffers[0].busy ? buffers[1] : buffers[0];
    // A line one pixel lower each frame, as the falling caption moves.
    const int y = 8 + static_cast<int>(frame % 180);
    for (int row = 0; row < kLabelHeight; ++row) {
      std::uint32_t* line = b.pixels + std::size_t(y + row) * width + 8;
      for (int x = 0; x < kLabelWidth; ++x) line[x] = 0xFFFFFF;
    }
    wl_surface_attach(surface, b.buffer, 0, 0);
    wl_surface_damage_buffer(surface, 8, y, kLabelWidth, kLabelHeight);
    wl_surface_commit(surface);
    b.busy = true;
    if (wl_display_flush(display) < 0) break;
  }
  wl_display_disconnect(display);
  return 0;
}

// A pointer device for a headless compositor, which has none of its own: creates one virtual
// pointer on the seat and keeps it until stdin closes, so that the compositor's own pointer
// commands (swaymsg seat ... cursor) reach the clients.
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

zwlr_virtual_pointer_manager_v1* manager = nullptr;

void Global(void*, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t) {
  if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}
void GlobalRemove(void*, wl_registry*, std::uint32_t) {}

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return 1;
  wl_registry* registry = wl_display_get_registry(display);
  static const wl_registry_listener listener{&Global, &GlobalRemove};
  wl_registry_add_listener(registry, &listener, nullptr);
  wl_display_roundtrip(display);
  if (manager == nullptr) {
    std::fprintf(stderr, "no virtual pointer manager\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, nullptr);
  wl_display_roundtrip(display);
  std::puts("ready");
  std::fflush(stdout);
  pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {wl_display_get_fd(display), POLLIN, 0}};
  char buffer[64];
  while (poll(fds, 2, -1) > 0) {
    if (fds[0].revents != 0 && read(STDIN_FILENO, buffer, sizeof buffer) <= 0) break;
    if (fds[1].revents != 0 && wl_display_dispatch(display) < 0) break;
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_disconnect(display);
  return 0;
}

// vorthane-wayland: the screen saver on a Wayland compositor that offers layer-shell, full
// screen on every output. Started by a locker with an inherited connection (WAYLAND_SOCKET), it
// only draws. The environment it reads: WAYLAND_DISPLAY / WAYLAND_SOCKET (through
// libwayland-client) and XDG_RUNTIME_DIR, which name the session for the single-instance guard.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/runtime.hpp"
#include "host/wayland/wayland_platform.hpp"
#include "startup/program.hpp"

namespace {

int Refuse(const std::string& line) {
  std::fprintf(stderr, "vorthane: %s\n", line.c_str());
  return 1;
}

std::string Environment(const char* name, const char* otherwise) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : otherwise;
}

}  // namespace

int main(int argc, char** argv) {
  mallopt(M_ARENA_MAX, 1);
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  host::wayland::SessionFacts session;
  // libwayland-client takes the inherited socket out of the environment when it connects.
  session.lockerChild = std::getenv("WAYLAND_SOCKET") != nullptr;
  session.runtimeDir = Environment("XDG_RUNTIME_DIR", "");
  session.display =
      session.lockerChild ? "inherited socket" : Environment("WAYLAND_DISPLAY", "wayland-0");

  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    return Refuse("cannot connect to the Wayland compositor \"" + session.display + "\"");
  }
  host::wayland::WaylandPlatform platform(display, std::move(commandLine), session);
  if (!platform.HasLayerShell()) {
    return Refuse(
        "the Wayland compositor offers no layer-shell (zwlr_layer_shell_v1), so nothing can "
        "cover its screens; run the X11 program through XWayland instead");
  }
  host::Runtime runtime(platform);
  startup::Program program(runtime);
  const int status = program.Run();
  if (platform.ConnectionLost() && !session.lockerChild) {
    return Refuse("the Wayland compositor closed the connection");
  }
  return platform.ConnectionLost() ? 0 : status;
}

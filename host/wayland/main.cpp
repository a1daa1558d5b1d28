// vorthane-wayland: the screen saver on a Wayland compositor that offers layer-shell, full
// screen on every output. Started by a locker with an inherited connection (WAYLAND_SOCKET), it
// only draws. The environment it reads: WAYLAND_DISPLAY / WAYLAND_SOCKET (through
// libwayland-client) and XDG_RUNTIME_DIR, which name the session for the single-instance guard.
#include <malloc.h>

#include <string>
#include <vector>

#include "host/wayland/wayland_main.hpp"

int main(int argc, char** argv) {
  mallopt(M_ARENA_MAX, 1);
  std::vector<std::string> args(argv + 1, argv + argc);
  host::wayland::TakeServerChoice(args);
  std::string commandLine;
  for (const std::string& arg : args) commandLine += (commandLine.empty() ? "" : " ") + arg;
  std::string whyNot;
  return host::wayland::RunOnWayland(commandLine, true, whyNot).value_or(1);
}

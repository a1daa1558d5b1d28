// vorthane: the screen saver on an X display. The command line, translated from the ways
// screen-saver daemons start their programs, goes to the program unchanged otherwise.

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/runtime.hpp"
#include "host/x11/command_line.hpp"
#include "host/x11/x11_platform.hpp"
#include "host/x11/xlib.hpp"
#include "startup/program.hpp"

int main(int argc, char** argv) {
  // One malloc arena: the font configuration is read on a thread at start-up, and an arena of
  // its own would stay resident for the whole run.
  mallopt(M_ARENA_MAX, 1);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    const char* name = XDisplayName(nullptr);
    std::fprintf(stderr, "vorthane: cannot open the X display \"%s\"\n", name ? name : "");
    return 1;
  }
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string commandLine = host::x11::DaemonCommandLine(
      args, std::getenv("XSCREENSAVER_WINDOW"), RootWindow(display, DefaultScreen(display)));
  host::x11::X11Platform platform(display, std::move(commandLine));
  host::Runtime runtime(platform);
  startup::Program program(runtime);
  return program.Run();
}

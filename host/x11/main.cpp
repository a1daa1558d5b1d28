// vorthane: the screen saver on an X display. The command line, translated from the ways
// screen-saver daemons start their programs, goes to the program unchanged otherwise.

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/quoted_value.hpp"
#include "host/runtime.hpp"
#include "host/x11/command_line.hpp"
#include "host/x11/host_window.hpp"
#include "host/x11/x11_platform.hpp"
#include "host/x11/x_errors.hpp"
#include "host/x11/xlib.hpp"
#include "startup/program.hpp"

namespace {

int Refuse(const std::string& line) {
  std::fprintf(stderr, "vorthane: %s\n", line.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  // One malloc arena: the font configuration is read on a thread at start-up, and an arena of
  // its own would stay resident for the whole run.
  mallopt(M_ARENA_MAX, 1);
  const std::vector<std::string> args(argv + 1, argv + argc);
  // A daemon's unusable window id ends the program before it touches the display.
  const host::x11::LaunchRequest request =
      host::x11::ReadDaemonArguments(args, std::getenv("XSCREENSAVER_WINDOW"));
  if (request.error) return Refuse(*request.error);

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    const char* name = XDisplayName(nullptr);
    return Refuse("cannot open the X display " + host::QuotedValue(name ? name : ""));
  }
  std::string commandLine;
  if (request.window) {
    const Window root = RootWindow(display, DefaultScreen(display));
    const Window window = request.window->id.value_or(root);
    host::x11::InstallErrorHandlers();
    const std::string problem = host::x11::UnusableHostError(
        host::x11::InspectHostWindow(display, window), *request.window);
    if (!problem.empty()) {
      XCloseDisplay(display);
      return Refuse(problem);
    }
    commandLine = host::x11::PreviewCommandLine(window);
  } else {
    commandLine = request.commandLine.value_or(std::string());
  }
  host::x11::X11Platform platform(display, std::move(commandLine));
  host::Runtime runtime(platform);
  startup::Program program(runtime);
  return program.Run();
}

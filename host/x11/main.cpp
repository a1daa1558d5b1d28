// vorthane: the screen saver on an X display. The command line, translated from the ways
// screen-saver daemons start their programs, goes to the program unchanged otherwise.

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "host/posix/memory_failure.hpp"
#include "host/posix/signal_fd.hpp"
#include "host/posix/standard_streams.hpp"
#include "host/posix/usage.hpp"
#include "host/quoted_value.hpp"
#include "host/runtime.hpp"
#include "host/wayland/wayland_main.hpp"
#include "host/x11/command_line.hpp"
#include "host/x11/display_check.hpp"
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
  host::posix::OpenClosedStandardStreams();
  host::posix::EndWithOneLineOnMemoryFailure();
  // One malloc arena: the font configuration is read on a thread at start-up, and an arena of
  // its own would stay resident for the whole run.
  mallopt(M_ARENA_MAX, 1);
  std::vector<std::string> args(argv + 1, argv + argc);
  const host::wayland::ServerChoice server = host::wayland::TakeServerChoice(args);
  switch (host::posix::ReadInfoRequest(args)) {
    case host::posix::InfoRequest::kHelp:
      std::fputs(host::posix::UsageText().c_str(), stdout);
      return 0;
    case host::posix::InfoRequest::kVersion:
      std::printf("%.*s\n", static_cast<int>(host::posix::kVersionLine.size()),
                  host::posix::kVersionLine.data());
      return 0;
    case host::posix::InfoRequest::kNone:
      break;
  }
  // A daemon's unusable window id ends the program before it touches the display.
  const host::x11::LaunchRequest request =
      host::x11::ReadDaemonArguments(args, std::getenv("XSCREENSAVER_WINDOW"));
  if (request.error) return Refuse(*request.error);
  // The program's own preview: a window id it would misread ends it here, before the display.
  const std::optional<host::x11::LaunchRequest> preview =
      request.commandLine ? host::x11::ReadPreviewArgument(*request.commandLine) : std::nullopt;
  if (preview && preview->error) return Refuse(*preview->error);
  // Full-screen on Wayland where the compositor lets a saver cover its outputs; previews and
  // daemons' windows are X windows.
  std::string noWayland;
  if (server != host::wayland::ServerChoice::kX11 && !request.window &&
      !host::wayland::IsPreview(request.commandLine.value_or(std::string()))) {
    if (const auto status = host::wayland::RunOnWayland(
            request.commandLine.value_or(std::string()),
            server == host::wayland::ServerChoice::kWayland, noWayland)) {
      return *status;
    }
  }

  const char* displayName = request.display ? request.display->c_str() : nullptr;
  Display* display = XOpenDisplay(displayName);
  if (display == nullptr) {
    const char* name = XDisplayName(displayName);
    return Refuse("cannot open the X display " + host::QuotedValue(name ? name : "") +
                  (noWayland.empty() ? "" : ", and " + noWayland));
  }
  host::x11::InstallErrorHandlers();
  if (const std::string problem = host::x11::UnusableDisplayError(display); !problem.empty()) {
    XCloseDisplay(display);
    return Refuse(problem);
  }
  std::string commandLine;
  if (request.window) {
    const Window root = RootWindow(display, DefaultScreen(display));
    const Window window = request.window->id.value_or(root);
    const std::string problem = host::x11::UnusableHostError(
        host::x11::InspectHostWindow(display, window), *request.window);
    if (!problem.empty()) {
      XCloseDisplay(display);
      return Refuse(problem);
    }
    commandLine = host::x11::PreviewCommandLine(window);
  } else {
    commandLine = request.commandLine.value_or(std::string());
    // A window the preview cannot be drawn in is named for what it is; one that does not exist
    // is the program's own to report.
    if (preview && preview->window) {
      const host::x11::HostWindowState state =
          host::x11::InspectHostWindow(display, *preview->window->id);
      if (state == host::x11::HostWindowState::kInputOnly ||
          state == host::x11::HostWindowState::kOtherScreen) {
        XCloseDisplay(display);
        return Refuse(host::x11::UnusableHostError(state, *preview->window));
      }
    }
  }
  int signal = 0;
  int status = 0;
  try {
    host::x11::X11Platform platform(display, std::move(commandLine));
    host::Runtime runtime(platform);
    startup::Program program(runtime);
    status = program.Run();
    signal = platform.ReceivedSignal();
  } catch (const std::exception&) {
    // A thread or memory the system would not give: the platform has let go of the display
    // (the pointer was never hidden without a window that the server drops with it).
    return Refuse(host::posix::OutOfResourcesLine());
  }
  // A daemon ends its programs with a signal and expects them to die of it, as hacks do; the
  // clean-up above has run.
  if (request.window && signal != 0) host::posix::EndBySignal(signal);
  return status;
}

#include "host/x11/connect.hpp"

#include "host/quoted_value.hpp"
#include "host/x11/display_check.hpp"
#include "host/x11/host_window.hpp"
#include "host/x11/x11_platform.hpp"
#include "host/x11/x_errors.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {
namespace {

posix::Connection Unusable(Display* display, std::string problem) {
  XCloseDisplay(display);
  return {nullptr, std::move(problem), true};
}

}  // namespace

posix::Connection Connect(const LaunchRequest& request,
                          const std::optional<LaunchRequest>& preview) {
  const char* displayName = request.display ? request.display->c_str() : nullptr;
  Display* display = XOpenDisplay(displayName);
  if (display == nullptr) {
    const char* name = XDisplayName(displayName);
    return {nullptr, "cannot open the X display " + QuotedValue(name ? name : ""), false};
  }
  InstallErrorHandlers();
  if (std::string problem = UnusableDisplayError(display); !problem.empty()) {
    return Unusable(display, std::move(problem));
  }
  std::string commandLine;
  if (request.window) {
    const Window root = RootWindow(display, DefaultScreen(display));
    const Window window = request.window->id.value_or(root);
    std::string problem = UnusableHostError(InspectHostWindow(display, window), *request.window);
    if (!problem.empty()) return Unusable(display, std::move(problem));
    commandLine = PreviewCommandLine(window);
  } else {
    commandLine = request.commandLine.value_or(std::string());
    // A window the preview cannot be drawn in is named for what it is; one that does not exist
    // is the program's own to report.
    if (preview && preview->window) {
      const HostWindowState state = InspectHostWindow(display, *preview->window->id);
      if (state == HostWindowState::kInputOnly || state == HostWindowState::kOtherScreen) {
        return Unusable(display, UnusableHostError(state, *preview->window));
      }
    }
  }
  return {std::make_unique<X11Platform>(display, std::move(commandLine)), {}, false};
}

}  // namespace host::x11

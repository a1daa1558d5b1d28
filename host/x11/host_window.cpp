#include "host/x11/host_window.hpp"

#include "host/quoted_value.hpp"
#include "host/x11/x_errors.hpp"

namespace host::x11 {

HostWindowState InspectHostWindow(Display* display, Window window) {
  if (window == 0) return HostWindowState::kMissing;
  ErrorTrap trap(display);
  XWindowAttributes attributes{};
  const int status = XGetWindowAttributes(display, window, &attributes);
  if (trap.Check() != 0 || status == 0) return HostWindowState::kMissing;
  if (attributes.c_class == InputOnly) return HostWindowState::kInputOnly;
  if (attributes.root != DefaultRootWindow(display)) return HostWindowState::kOtherScreen;
  return HostWindowState::kDrawable;
}

std::string UnusableHostError(HostWindowState state, const DaemonWindow& window) {
  const std::string named = "the window " + QuotedValue(window.idText) + " from " + window.source;
  switch (state) {
    case HostWindowState::kDrawable:
      return {};
    case HostWindowState::kMissing:
      return named + " does not exist";
    case HostWindowState::kInputOnly:
      return named + " is an input-only window, which cannot show a picture";
    case HostWindowState::kOtherScreen:
      return named + " is on another screen of the display, where the saver does not draw";
  }
  return {};
}

}  // namespace host::x11

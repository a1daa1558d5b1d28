// Whether a window another program names can hold the saver's drawing: it must exist and be
// an input-output window (an input-only window has no pixels, and the X server refuses to put
// a drawable window inside one).
#pragma once

#include <string>

#include "host/x11/command_line.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

enum class HostWindowState { kDrawable, kMissing, kInputOnly, kOtherScreen };

// Asks the server; needs the error handlers installed (InstallErrorHandlers). The saver draws
// on the display's default screen only: a window of another screen cannot hold it.
HostWindowState InspectHostWindow(Display* display, Window window);

// The error line for a daemon's window that cannot hold the saver, or "" when it can.
std::string UnusableHostError(HostWindowState state, const DaemonWindow& window);

}  // namespace host::x11

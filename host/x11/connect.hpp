// Connecting the X11 platform: the display, and the window a daemon or a preview names on it.
#pragma once

#include <optional>

#include "host/posix/session_platform.hpp"
#include "host/x11/command_line.hpp"

namespace host::x11 {

// The platform on the display the request names (or DISPLAY's). A display that cannot be opened
// is a reason another platform may still be tried; a display, a daemon's window or a preview
// window that exists but cannot be used is a final one.
// request: the daemon arguments, read without error; preview: the program's own "/p" read
// from its command line, if it is one.
posix::Connection Connect(const LaunchRequest& request,
                          const std::optional<LaunchRequest>& preview);

}  // namespace host::x11

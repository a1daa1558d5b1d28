// Connecting the Wayland platform: the session's compositor (named by WAYLAND_DISPLAY, or handed
// over as WAYLAND_SOCKET by a locker), if it can show a saver.
#pragma once

#include <string>

#include "host/posix/session_platform.hpp"

namespace host::wayland {

// The platform on the session's compositor. Without one (no Wayland session: no reason; a
// compositor that cannot be reached or cannot cover its outputs: the reason), nothing -- and
// when Wayland was forced, a final reason.
posix::Connection Connect(const std::string& commandLine, bool forced);

}  // namespace host::wayland

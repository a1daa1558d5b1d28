// Connecting the Wayland platform: the session's compositor (named by WAYLAND_DISPLAY, or handed
// over as WAYLAND_SOCKET by a locker), if it can show a saver.
#pragma once

#include <string>

#include "host/posix/session_platform.hpp"

namespace host::wayland {

// How the views cover the outputs: overlay layer surfaces (wlroots desktops, KDE), or, where the
// compositor has no layer-shell, fullscreen windows (GNOME), which end when they lose the focus.
enum class Views { kOverlay, kToplevels };

// The platform on the session's compositor, with views of that kind. Without one (no Wayland
// session: no reason; a compositor that cannot be reached or cannot show such views: the
// reason, which the fullscreen-window row leaves to the overlay row where both would give it),
// nothing -- and when Wayland was forced and nothing else can serve, a final reason.
posix::Connection Connect(const std::string& commandLine, bool forced, Views views);

}  // namespace host::wayland

// The monitors of an X screen and the resolution the scene is drawn at on each: the user's
// Xft.dpi where it is set (desktops write it from their scaling setting), else the monitor's own
// pixels per millimetre, else the screen's, else 96.
#pragma once

#include <optional>
#include <vector>

#include "host/drawing/pixel_geometry.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

struct Monitor {
  drawing::PixelRect area;  // on the root window
  int dpi = drawing::kStandardDpi;
  bool operator==(const Monitor&) const = default;
};

// Xft.dpi from the root window's resources as the server holds them now.
std::optional<int> XftDpi(Display* display);

// The resolution for a run of pixels that is this many millimetres long; nothing when the
// length is unknown or absurd.
std::optional<int> DpiOfLength(int pixels, int millimetres);

// The screen's monitors (RandR 1.5), the primary first; the whole screen as one monitor when the
// server lists none.
std::vector<Monitor> QueryMonitors(Display* display, int screen);

// Asks the server to report changes of the screen's monitors (RRScreenChangeNotify and
// RRNotify on the root window); false when it has no RandR. The first event code is stored.
bool WatchMonitors(Display* display, int screen, int* eventBase);

}  // namespace host::x11

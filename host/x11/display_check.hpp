// What the X server must offer before the saver shows anything: the drawing goes through the
// RENDER extension (text masks, the back buffer's picture).
#pragma once

#include <string>

#include "host/x11/xlib.hpp"

namespace host::x11 {

// The error line for a display the saver cannot draw on, or "" when it can.
std::string UnusableDisplayError(Display* display);

// Whether the saver may give its window a cursor of its own (the invisible one). The X server
// keeps cursor records for XFIXES; a server built without it was seen to abort, taking every
// client with it, when such a cursor was freed. Without XFIXES the pointer stays as it is.
bool CursorsAreSafe(Display* display);

}  // namespace host::x11

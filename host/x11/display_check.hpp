// What the X server must offer before the saver shows anything: the drawing goes through the
// RENDER extension (text masks, the back buffer's picture).
#pragma once

#include <string>

#include "host/x11/xlib.hpp"

namespace host::x11 {

// The error line for a display the saver cannot draw on, or "" when it can.
std::string UnusableDisplayError(Display* display);

}  // namespace host::x11

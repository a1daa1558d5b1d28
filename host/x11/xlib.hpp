// Xlib, Xft and friends, without their Bool, True, False and Status macros, which would clash
// with the runtime's names of the same spelling. Include this instead of the X headers.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/dpms.h>

#undef Bool
#undef True
#undef False
#undef Status

namespace host::x11 {

inline constexpr int kXTrue = 1;
inline constexpr int kXFalse = 0;

}  // namespace host::x11

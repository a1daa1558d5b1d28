#include "host/x11/display_check.hpp"

#include <X11/extensions/Xrender.h>

namespace host::x11 {

std::string UnusableDisplayError(Display* display) {
  int eventBase = 0;
  int errorBase = 0;
  if (XRenderQueryExtension(display, &eventBase, &errorBase) == 0) {
    return "the X server has no RENDER extension, which the saver needs to draw";
  }
  if (XRenderFindVisualFormat(display, DefaultVisual(display, DefaultScreen(display))) == nullptr) {
    return "the X server's RENDER extension cannot draw on the default visual";
  }
  return {};
}

}  // namespace host::x11

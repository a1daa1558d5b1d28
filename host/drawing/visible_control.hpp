// A control a view shows, with its box in the view's pixels: what a frame record lists.
#pragma once

#include <string_view>

#include "host/drawing/pixel_geometry.hpp"

namespace host::drawing {

struct VisibleControl {
  std::string_view control;
  PixelRect box;
};

}  // namespace host::drawing

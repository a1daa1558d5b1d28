// The scene's colours as red, green and blue: plain colours as they are, system colours from
// the standard scheme (highlight text is white, menu and button text black).
#pragma once

#include <cstdint>

#include "host/basic_types.hpp"

namespace host::x11 {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

Rgb ResolveColour(Colour colour);

}  // namespace host::x11

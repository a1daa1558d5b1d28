#include "host/drawing/colours.hpp"

#include <array>

namespace host::drawing {
namespace {

// The standard scheme's system colours 0..24, as 0x00BBGGRR.
constexpr std::array<Colour, 25> kStandardScheme = {
    0x00C8D0D4,  //  0 scroll bar
    0x00A56E3A,  //  1 desktop
    0x006A240A,  //  2 active caption
    0x00808080,  //  3 inactive caption
    0x00C8D0D4,  //  4 menu
    0x00FFFFFF,  //  5 window
    0x00000000,  //  6 window frame
    0x00000000,  //  7 menu text
    0x00000000,  //  8 window text
    0x00FFFFFF,  //  9 caption text
    0x00C8D0D4,  // 10 active border
    0x00C8D0D4,  // 11 inactive border
    0x00808080,  // 12 application workspace
    0x006A240A,  // 13 highlight
    0x00FFFFFF,  // 14 highlight text
    0x00C8D0D4,  // 15 button face
    0x00808080,  // 16 button shadow
    0x00808080,  // 17 grey text
    0x00000000,  // 18 button text
    0x00C8D0D4,  // 19 inactive caption text
    0x00FFFFFF,  // 20 button highlight
    0x00404040,  // 21 3-D dark shadow
    0x00C8D0D4,  // 22 3-D light
    0x00000000,  // 23 tooltip text
    0x00E1FFFF,  // 24 tooltip background
};

}  // namespace

Colour StandardSystemColour(int index) {
  return index >= 0 && static_cast<std::size_t>(index) < kStandardScheme.size()
             ? kStandardScheme[static_cast<std::size_t>(index)]
             : 0;
}

Rgb ResolveColour(Colour colour, const ColourScheme& scheme) {
  if (!IsSystemColour(colour)) return ToRgb(colour);
  const int index = SystemColourIndex(colour);
  return ToRgb(scheme.SystemColour(index).value_or(StandardSystemColour(index)) & 0x00FFFFFFu);
}

}  // namespace host::drawing

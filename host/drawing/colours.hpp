// The scene's colours as red, green and blue. A plain colour (0x00BBGGRR) stands as it is; a
// system colour (0x800000nn) is looked up in the platform's scheme each time it is painted,
// with the standard scheme for platforms that have none of their own.
#pragma once

#include <cstdint>
#include <optional>

#include "host/basic_types.hpp"

namespace host::drawing {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb ToRgb(Colour plain) {
  return Rgb{static_cast<std::uint8_t>(plain & 0xFF), static_cast<std::uint8_t>(plain >> 8 & 0xFF),
             static_cast<std::uint8_t>(plain >> 16 & 0xFF)};
}

// The system colours of the standard scheme (menu and button text black, highlight text
// white); indexes it does not know are black.
Colour StandardSystemColour(int index);

class ColourScheme {
 public:
  virtual ~ColourScheme() = default;
  // The user's colour for this system colour index, or nothing to use the standard scheme's.
  virtual std::optional<Colour> SystemColour(int /*index*/) const { return std::nullopt; }
};

Rgb ResolveColour(Colour colour, const ColourScheme& scheme);

}  // namespace host::drawing

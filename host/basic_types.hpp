// Value types shared by the runtime, the platforms and the program.
#pragma once

#include <cstdint>

namespace host {

// The runtime's 16-bit truth value: True has all bits set.
using Boolean = std::int16_t;
inline constexpr Boolean True = -1;
inline constexpr Boolean False = 0;

inline constexpr Boolean ToBoolean(bool value) {
  return value ? True : False;
}

// Window-manager value types, sized as the window manager declares them.
using Hwnd = std::int32_t;  // 0 means "no window"
using Long = std::int32_t;
using Bool = std::int32_t;  // the window manager's own truth value: non-zero is true
using UInt = std::uint32_t;

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// A rectangle of the form's client area in twips (1440 to the inch; drawing/pixel_geometry.hpp
// turns them into pixels).
struct TwipRect {
  float left = 0;
  float top = 0;
  float width = 0;
  float height = 0;

  bool Contains(float x, float y) const {
    return x >= left && x < left + width && y >= top && y < top + height;
  }
};

// Colours are 0x00BBGGRR, or 0x800000nn for system colour nn.
using Colour = std::uint32_t;
inline constexpr bool IsSystemColour(Colour c) {
  return (c & 0x80000000u) != 0;
}
inline constexpr int SystemColourIndex(Colour c) {
  return static_cast<int>(c & 0xFFu);
}

}  // namespace host

// The runtime's text and number conversions, each fixed by its effect.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace host {

// Removes leading and trailing spaces (U+0020 only; tabs stay).
std::string Trim(std::string_view text);
// Upper-cases the ASCII letters; every other byte stays as it is.
std::string UCase(std::string_view text);
// Length in characters, range-checked into the runtime's 16-bit integer (overflow error).
std::int16_t Len16(std::string_view text);
// Substring from the 1-based position start, at most length characters (or to the end when
// length is negative). A start past the end yields the empty text.
std::string Mid(std::string_view text, std::int32_t start, std::int32_t length = -1);
// Text to a signed 32-bit integer: optional sign and decimal digits. Empty or other text raises
// the type-mismatch error, a value beyond the 32-bit range the overflow error.
std::int32_t CLng(std::string_view text);
// Unsigned decimal digits (no sign) to the signed 32-bit integer with the same bits, as Windows
// writes a window handle: 0 to 4294967295, the upper half becoming negative. Empty or other text
// raises the type-mismatch error, a value beyond 4294967295 the overflow error.
std::int32_t CLngFromUnsigned(std::string_view digits);
// Single to a signed 32-bit integer, rounding halves to the even neighbour; a value outside the
// 32-bit range (or not a number) raises the overflow error.
std::int32_t CLng(float value);
// 32-bit integer to the 16-bit one, with the overflow error beyond its range.
std::int16_t CInt(std::int32_t value);

}  // namespace host

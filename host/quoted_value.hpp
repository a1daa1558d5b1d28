// A value the user gave, quoted for an error line. Command lines and environment variables can
// be any length; an error line must stay one readable line whatever they hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

// The longest value quoted whole; a longer one keeps its first characters.
inline constexpr std::size_t kQuotedValueLimit = 40;

// "value" in double quotes. A value longer than the limit (in characters of UTF-8, a byte that
// is none counting as one) becomes its first characters, "...", and its length:
// "12345678...123456" (30000 characters). Control characters are escaped (\x0A for a newline,
// \u009B for a C1 control, \u202E for a bidirectional control, \xFF for a byte that is no
// UTF-8, \\ for a backslash), so the error stays on one line, in its own order, and cannot move
// the terminal's cursor.
std::string QuotedValue(std::string_view value);

}  // namespace host

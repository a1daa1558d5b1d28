// A value the user gave, quoted for an error line. Command lines and environment variables can
// be any length; an error line must stay one readable line whatever they hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

// The longest value quoted whole; a longer one keeps its first characters.
inline constexpr std::size_t kQuotedValueLimit = 40;

// "value" in double quotes. A value longer than the limit becomes its first characters, "...",
// and its length: "12345678...123456" (30000 characters). Control characters (a newline, say)
// are shown as '?', so the error stays on one line.
std::string QuotedValue(std::string_view value);

}  // namespace host

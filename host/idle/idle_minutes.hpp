// The MINUTES of `vorthane --idle-watch MINUTES`: how long the session must be idle before the
// saver starts. Fractions are allowed (0.5 is thirty seconds), so a short wait can be tried
// without waiting whole minutes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace host::idle {

inline constexpr std::string_view kMinutesRange =
    "a number of minutes from 0.01 to 1440, such as 5 or 0.5";

// The idle time in milliseconds, or the error line that says why the text gives none. Only
// plain decimal digits with at most one point are read: no sign, exponent, spaces or hex.
std::variant<std::uint32_t, std::string> ReadIdleMinutes(std::string_view text);

}  // namespace host::idle

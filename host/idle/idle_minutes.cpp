#include "host/idle/idle_minutes.hpp"

#include <charconv>
#include <cmath>

#include "host/quoted_value.hpp"

namespace host::idle {

std::variant<std::uint32_t, std::string> ReadIdleMinutes(std::string_view text) {
  const std::string error =
      QuotedValue(text) + " after --idle-watch is not " + std::string(kMinutesRange);
  const std::size_t point = text.find('.');
  const bool digitsOnly = text.find_first_not_of("0123456789.") == std::string_view::npos;
  const bool onePoint = point == std::string_view::npos || text.find('.', point + 1) == text.npos;
  const bool hasDigit = text.find_first_of("0123456789") != std::string_view::npos;
  if (!digitsOnly || !onePoint || !hasDigit || text.size() > 16) return error;
  double minutes = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), minutes);
  if (failure != std::errc() || end != text.data() + text.size()) return error;
  if (minutes < 0.01 || minutes > 1440) return error;
  return static_cast<std::uint32_t>(std::lround(minutes * 60'000));
}

}  // namespace host::idle

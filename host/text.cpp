#include "host/text.hpp"

#include <cmath>
#include <limits>

#include "host/quoted_value.hpp"
#include "host/run_time_error.hpp"

namespace host {

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string UCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::int16_t Len16(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
    Raise(ErrorCode::kOverflow, "a text of " + std::to_string(text.size()) +
                                    " characters is too long for a 16-bit position");
  }
  return static_cast<std::int16_t>(text.size());
}

std::string Mid(std::string_view text, std::int32_t start, std::int32_t length) {
  if (start < 1) Raise(ErrorCode::kInvalidProcedureCall, "a substring must start at 1 or later");
  const auto from = static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return {};
  if (length < 0) return std::string(text.substr(from));
  return std::string(text.substr(from, static_cast<std::size_t>(length)));
}

namespace {

// The value of optional sign and decimal digits, saturated just past `limit` so that long digit
// runs cannot overflow the accumulator; anything else is a type mismatch.
std::int64_t ParseDecimal(std::string_view text, bool allowSign, std::int64_t limit) {
  std::size_t i = 0;
  bool negative = false;
  if (allowSign && i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i++] == '-';
  }
  if (i == text.size()) {
    Raise(ErrorCode::kTypeMismatch, QuotedValue(text) + " is not a number");
  }
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') {
      Raise(ErrorCode::kTypeMismatch, QuotedValue(text) + " is not a number");
    }
    if (value <= limit) value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

}  // namespace

std::int32_t CLng(std::string_view text) {
  const std::int64_t value =
      ParseDecimal(text, true, std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1);
  if (value > std::numeric_limits<std::int32_t>::max() ||
      value < std::numeric_limits<std::int32_t>::min()) {
    Raise(ErrorCode::kOverflow, QuotedValue(text) + " does not fit in 32 bits");
  }
  return static_cast<std::int32_t>(value);
}

std::int32_t CLngFromUnsigned(std::string_view digits) {
  constexpr std::int64_t kMax = std::numeric_limits<std::uint32_t>::max();
  const std::int64_t value = ParseDecimal(digits, false, kMax + 1);
  if (value > kMax) {
    Raise(ErrorCode::kOverflow, QuotedValue(digits) + " does not fit in 32 unsigned bits");
  }
  // Two's complement: the same 32 bits read as signed.
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::int32_t CLng(float value) {
  // The default rounding mode rounds halves to the even neighbour.
  const double rounded = std::nearbyint(static_cast<double>(value));
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
        rounded <= std::numeric_limits<std::int32_t>::max())) {
    Raise(ErrorCode::kOverflow, "the value does not fit in 32 bits");
  }
  return static_cast<std::int32_t>(rounded);
}

std::int16_t CInt(std::int32_t value) {
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    Raise(ErrorCode::kOverflow, std::to_string(value) + " does not fit in 16 bits");
  }
  return static_cast<std::int16_t>(value);
}

}  // namespace host

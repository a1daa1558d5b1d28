#include "host/quoted_value.hpp"

namespace host {
namespace {

// The part of a long value that is kept; with the quotes, "..." and the length the line still
// fits a terminal beside the rest of the message.
constexpr std::size_t kKeptCharacters = 32;

void AppendPrintable(std::string& out, std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    out += (byte < 0x20 || byte == 0x7F) ? '?' : c;
  }
}

}  // namespace

std::string QuotedValue(std::string_view value) {
  std::string out = "\"";
  if (value.size() <= kQuotedValueLimit) {
    AppendPrintable(out, value);
    out += '"';
    return out;
  }
  AppendPrintable(out, value.substr(0, kKeptCharacters));
  out += "...\" (" + std::to_string(value.size()) + " characters)";
  return out;
}

}  // namespace host

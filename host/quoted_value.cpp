#include "host/quoted_value.hpp"

#include <cstdio>
#include <vector>

namespace host {
namespace {

// The part of a long value that is kept; with the quotes, "..." and the length the line still
// fits a terminal beside the rest of the message.
constexpr std::size_t kKeptCharacters = 32;

// One character of the value: a well-formed UTF-8 sequence, or a single byte that is none.
struct Character {
  std::string_view bytes;
  char32_t code = 0;
  bool wellFormed = false;
};

Character NextCharacter(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  char32_t code = 0;
  if (lead < 0x80) return {text.substr(0, 1), lead, true};
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  }
  if (length == 0 || text.size() < length) return {text.substr(0, 1), lead, false};
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return {text.substr(0, 1), lead, false};
    code = code << 6 | (next & 0x3F);
  }
  // Over-long forms, surrogates and values past U+10FFFF are no characters.
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
    return {text.substr(0, 1), lead, false};
  }
  return {text.substr(0, length), code, true};
}

std::vector<Character> Characters(std::string_view text) {
  std::vector<Character> out;
  while (!text.empty()) {
    out.push_back(NextCharacter(text));
    text.remove_prefix(out.back().bytes.size());
  }
  return out;
}

// The bidirectional controls (marks, embeddings, overrides, isolates): a terminal would show
// the rest of the line, the program's own words included, reordered.
bool IsBidiControl(char32_t code) {
  return code == 0x061C || code == 0x200E || code == 0x200F || (code >= 0x202A && code <= 0x202E) ||
         (code >= 0x2066 && code <= 0x2069);
}

// Control characters (C0, DEL, C1, the line and paragraph separators, the bidirectional
// controls) and bytes that are no UTF-8 are written as escapes, so nothing in a value can move
// the cursor, break the line or reorder it.
void Append(std::string& out, const Character& c) {
  char escape[12];
  if (!c.wellFormed) {
    std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c.code));
  } else if (c.code < 0x20 || c.code == 0x7F) {
    std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c.code));
  } else if ((c.code >= 0x80 && c.code <= 0x9F) || c.code == 0x2028 || c.code == 0x2029 ||
             IsBidiControl(c.code)) {
    std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c.code));
  } else if (c.code == '\\') {
    out += "\\\\";
    return;
  } else {
    out += c.bytes;
    return;
  }
  out += escape;
}

}  // namespace

std::string QuotedValue(std::string_view value) {
  const std::vector<Character> characters = Characters(value);
  const bool whole = characters.size() <= kQuotedValueLimit;
  const std::size_t kept = whole ? characters.size() : kKeptCharacters;
  std::string out = "\"";
  for (std::size_t i = 0; i < kept; ++i) Append(out, characters[i]);
  if (whole) return out + '"';
  return out + "...\" (" + std::to_string(characters.size()) + " characters)";
}

}  // namespace host

#include "host/x11/command_line.hpp"

#include <cstdint>
#include <limits>

namespace host::x11 {
namespace {

std::string Preview(unsigned long window) {
  return "/P " + std::to_string(window);
}

}  // namespace

std::optional<unsigned long> ParseWindowId(std::string_view text) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  constexpr unsigned long kMax = std::numeric_limits<std::int32_t>::max();
  unsigned long value = 0;
  for (const char c : text) {
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value * base + digit;
    if (value > kMax) return std::nullopt;
  }
  if (value == 0) return std::nullopt;
  return value;
}

std::string DaemonCommandLine(const std::vector<std::string>& args, const char* xscreensaverWindow,
                              unsigned long rootWindow) {
  // 0 when the variable is unset or names no window.
  const unsigned long daemonWindow =
      xscreensaverWindow != nullptr ? ParseWindowId(xscreensaverWindow).value_or(0) : 0;
  if (args.empty()) return daemonWindow != 0 ? Preview(daemonWindow) : std::string();
  if (args.size() == 2 && (args[0] == "-window-id" || args[0] == "--window-id")) {
    return Preview(ParseWindowId(args[1]).value_or(0));
  }
  if (args.size() == 1 && args[0] == "-root")
    return Preview(daemonWindow != 0 ? daemonWindow : rootWindow);
  std::string joined;
  for (const std::string& arg : args) {
    if (!joined.empty()) joined += ' ';
    joined += arg;
  }
  return joined;
}

}  // namespace host::x11

#include "host/x11/command_line.hpp"

#include <cstdint>
#include <limits>
#include <utility>

#include "host/quoted_value.hpp"

namespace host::x11 {
namespace {

constexpr const char* kVariable = "XSCREENSAVER_WINDOW";

bool IsRootOption(std::string_view arg) {
  return arg == "-root" || arg == "--root";
}

bool IsWindowIdOption(std::string_view arg) {
  return arg == "-window-id" || arg == "--window-id";
}

std::string Joined(const std::vector<std::string>& args) {
  std::string joined;
  for (const std::string& arg : args) {
    if (!joined.empty()) joined += ' ';
    joined += arg;
  }
  return joined;
}

LaunchRequest Error(std::string line) {
  LaunchRequest request;
  request.error = std::move(line);
  return request;
}

// The window `text` names, or the error line that says why it names none.
LaunchRequest WindowFrom(std::string_view text, std::string source) {
  if (!ParseWindowId(text)) {
    return Error(QuotedValue(text) + " from " + source +
                 " is not a window id (0x and hex digits, or decimal digits, not 0)");
  }
  LaunchRequest request;
  request.window = DaemonWindow{ParseWindowId(text), std::string(text), std::move(source)};
  return request;
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

LaunchRequest ReadDaemonArguments(const std::vector<std::string>& args,
                                  const char* xscreensaverWindow) {
  const bool variableSet = xscreensaverWindow != nullptr && *xscreensaverWindow != '\0';
  // First only see whether every argument belongs to a daemon convention, so that an argument
  // list the program reads itself goes to it unchanged, whatever it holds.
  bool root = false;
  std::vector<std::pair<const std::string*, const std::string*>> windowIds;  // option, value
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (IsRootOption(args[i])) {
      root = true;
    } else if (IsWindowIdOption(args[i])) {
      if (i + 1 == args.size()) return Error(args[i] + " needs a window id after it");
      windowIds.emplace_back(&args[i], &args[i + 1]);
      ++i;
    } else {
      LaunchRequest request;
      request.commandLine = Joined(args);
      return request;
    }
  }
  // Every id given must be one; the last one names the window.
  for (std::size_t i = 0; i < windowIds.size(); ++i) {
    LaunchRequest request = WindowFrom(*windowIds[i].second, *windowIds[i].first);
    if (request.error || i + 1 == windowIds.size()) return request;
  }
  if (variableSet) return WindowFrom(xscreensaverWindow, kVariable);
  LaunchRequest request;
  if (root) {
    request.window = DaemonWindow{};  // the root window itself
  } else {
    request.commandLine = std::string();  // no arguments, no daemon: the full-screen saver
  }
  return request;
}

std::string PreviewCommandLine(unsigned long window) {
  return "/P " + std::to_string(window);
}

}  // namespace host::x11

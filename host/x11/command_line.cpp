#include "host/x11/command_line.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>

#include "host/quoted_value.hpp"

namespace host::x11 {
namespace {

constexpr const char* kVariable = "XSCREENSAVER_WINDOW";

// The options every hack takes besides -root and -window-id (its own and the toolkit's), in
// their one-dash form. Only -display is acted on; the rest change nothing here.
constexpr std::string_view kStandardFlags[] = {
    "-window", "-mono",        "-install", "-noinstall", "-fps",     "-no-fps", "-pair",
    "-sync",   "-synchronous", "-iconic",  "-rv",        "-reverse", "-norv"};
constexpr std::string_view kStandardValueOptions[] = {
    "-display",    "-visual", "-geometry",    "-bg", "-background",  "-fg",
    "-foreground", "-bd",     "-bordercolor", "-bw", "-borderwidth", "-fn",
    "-font",       "-name",   "-title",       "-xrm"};

// Two dashes mean what one does.
std::string_view OneDash(std::string_view arg) {
  if (arg.size() > 2 && arg.substr(0, 2) == "--") arg.remove_prefix(1);
  return arg;
}

bool IsRootOption(std::string_view arg) {
  return OneDash(arg) == "-root";
}

bool IsWindowIdOption(std::string_view arg) {
  return OneDash(arg) == "-window-id";
}

bool IsIn(std::string_view arg, std::span<const std::string_view> table) {
  return std::find(table.begin(), table.end(), OneDash(arg)) != table.end();
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
  std::optional<std::string> display;
  const std::string* lacksValue = nullptr;  // a standard option given last, without its value
  LaunchRequest own;
  own.commandLine = Joined(args);
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (IsRootOption(args[i])) {
      root = true;
    } else if (IsWindowIdOption(args[i])) {
      if (i + 1 == args.size()) return Error(args[i] + " needs a window id after it");
      windowIds.emplace_back(&args[i], &args[i + 1]);
      ++i;
    } else if (IsIn(args[i], kStandardValueOptions)) {
      if (i + 1 == args.size()) {
        lacksValue = &args[i];
        break;
      }
      if (OneDash(args[i]) == "-display") display = args[i + 1];
      ++i;
    } else if (!IsIn(args[i], kStandardFlags)) {
      return own;
    }
  }
  // The standard options alone are no daemon's: the program reads them as it reads any text.
  if (!root && windowIds.empty() && !variableSet) return own;
  if (lacksValue != nullptr) return Error(*lacksValue + " needs a value after it");
  // Every id given must be one; the last one names the window.
  LaunchRequest request;
  for (std::size_t i = 0; i < windowIds.size(); ++i) {
    request = WindowFrom(*windowIds[i].second, *windowIds[i].first);
    if (request.error) return request;
  }
  if (windowIds.empty() && variableSet) request = WindowFrom(xscreensaverWindow, kVariable);
  if (request.error) return request;
  if (!request.window) request.window = DaemonWindow{};  // the root window itself
  request.display = std::move(display);
  return request;
}

std::optional<LaunchRequest> ReadPreviewArgument(std::string_view commandLine) {
  constexpr std::string_view kBlanks = " \t";
  const auto trim = [&](std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(kBlanks), text.size()));
    text.remove_suffix(text.size() - std::min(text.find_last_not_of(kBlanks) + 1, text.size()));
    return text;
  };
  std::string_view text = trim(commandLine);
  if (text.size() < 2 || text[0] != '/' || (text[1] != 'p' && text[1] != 'P')) return std::nullopt;
  text = trim(text.substr(2));
  if (!text.empty() && text[0] == ':') text = trim(text.substr(1));
  if (text.empty()) return std::nullopt;
  if (text.find_first_not_of("0123456789") != std::string_view::npos) {
    return Error(QuotedValue(text) + " after /p is not a window id (decimal digits)");
  }
  // Digits the program cannot hold as a window are its own to report.
  const std::optional<unsigned long> id = ParseWindowId(text);
  if (!id) return std::nullopt;
  LaunchRequest request;
  request.window = DaemonWindow{id, std::string(text), "/p"};
  return request;
}

std::string PreviewCommandLine(unsigned long window) {
  return "/P " + std::to_string(window);
}

}  // namespace host::x11

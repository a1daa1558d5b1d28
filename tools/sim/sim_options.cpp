#include "tools/sim/sim_options.hpp"

#include <charconv>
#include <cmath>
#include <list>
#include <stdexcept>
#include <string_view>

namespace sim {
namespace {

using host::headless::ScriptedAction;

const char* const kUsageTail = " (see vorthane-sim --help)";

[[noreturn]] void Usage(const std::string& message) {
  throw std::invalid_argument(message + kUsageTail);
}

double ParseNumber(std::string_view text, const std::string& what) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    Usage("invalid " + what + " '" + std::string(text) + "'");
  }
  return value;
}

std::int64_t ParseMs(std::string_view text, const std::string& what) {
  const double ms = ParseNumber(text, what);
  if (ms < 0 || ms > 1e12) Usage(what + " out of range: '" + std::string(text) + "'");
  return std::llround(ms * 1e6);
}

int ParseInt(std::string_view text, const std::string& what, long long low, long long high) {
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    Usage("invalid " + what + " '" + std::string(text) + "'");
  }
  return static_cast<int>(value);
}

// "WxH" in pixels.
std::pair<int, int> ParseSize(std::string_view text, const std::string& what) {
  const auto x = text.find('x');
  if (x == std::string_view::npos) Usage(what + " must be WxH, got '" + std::string(text) + "'");
  return {ParseInt(text.substr(0, x), what + " width", 1, 100000),
          ParseInt(text.substr(x + 1), what + " height", 1, 100000)};
}

// "WxH+X+Y[@DPI]": a monitor's size and place in pixels, and its resolution (96 when left out).
host::headless::MonitorSpec ParseMonitor(std::string_view text) {
  host::headless::MonitorSpec monitor;
  if (const auto at = text.find('@'); at != std::string_view::npos) {
    monitor.dpi = ParseInt(text.substr(at + 1), "monitor dpi", 24, 960);
    text = text.substr(0, at);
  }
  const auto plus = text.find_first_of("+-");
  if (plus == std::string_view::npos) {
    Usage("--monitor must be WxH+X+Y[@DPI], got '" + std::string(text) + "'");
  }
  const auto [w, h] = ParseSize(text.substr(0, plus), "--monitor size");
  const std::string_view place = text.substr(plus);
  const auto second = place.find_first_of("+-", 1);
  if (second == std::string_view::npos) {
    Usage("--monitor must be WxH+X+Y[@DPI], got '" + std::string(text) + "'");
  }
  auto offset = [](std::string_view part) {
    const bool negative = part.front() == '-';
    const int value = ParseInt(part.substr(1), "monitor position", 0, 100000);
    return negative ? -value : value;
  };
  monitor.area = {offset(place.substr(0, second)), offset(place.substr(second)), w, h};
  return monitor;
}

struct EventKind {
  std::string_view name;
  host::InputKind kind;
  bool mouse;
};
constexpr EventKind kEventKinds[] = {
    {"key", host::InputKind::kKeyDown, false},   {"keypress", host::InputKind::kKeyPress, false},
    {"click", host::InputKind::kClick, true},    {"dblclick", host::InputKind::kDblClick, true},
    {"down", host::InputKind::kMouseDown, true}, {"move", host::InputKind::kMouseMove, true},
};

// "MS:KIND[:X,Y]", X and Y in twips.
ScriptedAction ParseEvent(std::string_view text) {
  const auto first = text.find(':');
  if (first == std::string_view::npos)
    Usage("--event must be MS:KIND[:X,Y], got '" + std::string(text) + "'");
  ScriptedAction action;
  action.atNs = ParseMs(text.substr(0, first), "event time");
  std::string_view rest = text.substr(first + 1);
  std::string_view point;
  if (const auto second = rest.find(':'); second != std::string_view::npos) {
    point = rest.substr(second + 1);
    rest = rest.substr(0, second);
  }
  const EventKind* kind = nullptr;
  for (const EventKind& k : kEventKinds) {
    if (k.name == rest) kind = &k;
  }
  if (kind == nullptr) Usage("unknown event kind '" + std::string(rest) + "'");
  action.input.kind = kind->kind;
  action.input.keyCode = 32;
  action.input.button = kind->mouse ? 1 : 0;
  if (!point.empty()) {
    const auto comma = point.find(',');
    if (comma == std::string_view::npos)
      Usage("event position must be X,Y, got '" + std::string(point) + "'");
    const float x = static_cast<float>(ParseNumber(point.substr(0, comma), "event X"));
    const float y = static_cast<float>(ParseNumber(point.substr(comma + 1), "event Y"));
    // Keys carry no position: they always reach the window itself.
    if (kind->mouse) {
      action.input.hasPoint = true;
      action.input.x = x;
      action.input.y = y;
    }
  } else if (kind->kind == host::InputKind::kMouseMove) {
    Usage("a move event needs X,Y");
  }
  return action;
}

// "MS[:N]": when the displays, or monitor N (1 the primary), change their power.
ScriptedAction ParseDisplayPower(std::string_view text, bool on) {
  ScriptedAction action;
  action.kind = ScriptedAction::Kind::kDisplayPower;
  action.displayOn = on;
  const auto colon = text.find(':');
  if (colon != std::string_view::npos) {
    action.monitor = ParseInt(text.substr(colon + 1), "display's monitor", 1, 64) - 1;
  }
  action.atNs = ParseMs(text.substr(0, colon), "display power time");
  return action;
}

}  // namespace

const char* const kSimUsage =
    "usage: vorthane-sim [options]\n"
    "Runs the saver on a simulated desktop in virtual time and prints a trace (JSON Lines).\n"
    "  --cmdline TEXT          the program's command line (default empty)\n"
    "  --prev-instance         another copy of the program runs\n"
    "  --window TITLE          a foreign top-level window with this caption (repeatable)\n"
    "  --host HANDLE:WxH       a preview host window with a WxH-pixel client area\n"
    "  --screen WxH            screen size in pixels (default 1920x1080)\n"
    "  --monitor WxH+X+Y[@DPI] a monitor (repeatable; the first is the primary); DPI 96 when\n"
    "                          left out; replaces --screen\n"
    "  --monitors-at MS        the monitors given after this option replace the others at MS\n"
    "  --event MS:KIND[:X,Y]   input at virtual time MS; KIND key, keypress, click, dblclick,\n"
    "                          down or move; X,Y in twips (required for move) (repeatable)\n"
    "  --destroy-host MS       the host destroys its preview window at MS\n"
    "  --display-off-at MS[:N] the displays (or monitor N, 1 the primary) power off at MS\n"
    "  --display-on-at MS[:N]  the displays (or monitor N) power on again at MS (both\n"
    "                          repeatable)\n"
    "  --run MS                stop after MS of virtual time (default 60000)\n"
    "  --only OP[,OP...]       print only these trace operations (State always comes last)\n"
    "  --summary               print a short readable summary instead of the trace\n";

SimOptions ParseSimOptions(const std::vector<std::string>& args) {
  SimOptions options;
  std::list<ScriptedAction> changes;  // monitor changes, filled by the --monitor options after
  ScriptedAction* change = nullptr;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) Usage(arg + " needs a value");
      return args[++i];
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--cmdline") {
      options.desktop.commandLine = value();
    } else if (arg == "--prev-instance") {
      options.desktop.prevInstance = true;
    } else if (arg == "--window") {
      options.desktop.foreignTitles.push_back(value());
    } else if (arg == "--host") {
      const std::string& hostArg = value();
      const auto colon = hostArg.find(':');
      if (colon == std::string::npos) Usage("--host must be HANDLE:WxH, got '" + hostArg + "'");
      const auto [w, h] = ParseSize(std::string_view(hostArg).substr(colon + 1), "--host size");
      const int handle =
          ParseInt(std::string_view(hostArg).substr(0, colon), "host handle", 1, 0x7FFFFFFF);
      options.desktop.hosts.push_back({handle, w, h});
    } else if (arg == "--screen") {
      const auto [w, h] = ParseSize(value(), "--screen");
      options.desktop.screenWidth = w;
      options.desktop.screenHeight = h;
    } else if (arg == "--monitor") {
      const host::headless::MonitorSpec monitor = ParseMonitor(value());
      if (change != nullptr) {
        change->monitors.push_back(monitor);
      } else {
        options.desktop.monitors.push_back(monitor);
      }
    } else if (arg == "--monitors-at") {
      ScriptedAction action;
      action.kind = ScriptedAction::Kind::kSetMonitors;
      action.atNs = ParseMs(value(), "--monitors-at time");
      changes.push_back(action);
      change = &changes.back();
    } else if (arg == "--event") {
      options.desktop.actions.push_back(ParseEvent(value()));
    } else if (arg == "--destroy-host") {
      ScriptedAction action;
      action.kind = ScriptedAction::Kind::kDestroyHosts;
      action.atNs = ParseMs(value(), "--destroy-host time");
      options.desktop.actions.push_back(action);
    } else if (arg == "--display-off-at" || arg == "--display-on-at") {
      options.desktop.actions.push_back(ParseDisplayPower(value(), arg == "--display-on-at"));
    } else if (arg == "--run") {
      options.desktop.runNs = ParseMs(value(), "--run time");
    } else if (arg == "--only") {
      std::vector<host::TraceOp> ops;
      std::string_view list = value();
      while (!list.empty()) {
        const auto comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        host::TraceOp op;
        if (!host::ParseTraceOp(name, op))
          Usage("unknown trace operation '" + std::string(name) + "'");
        ops.push_back(op);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
      }
      options.only = ops;
    } else if (arg == "--summary") {
      options.summary = true;
    } else {
      Usage("unknown option '" + arg + "'");
    }
  }
  for (ScriptedAction& action : changes) {
    if (action.monitors.empty()) Usage("--monitors-at needs --monitor options after it");
    options.desktop.actions.push_back(std::move(action));
  }
  return options;
}

}  // namespace sim

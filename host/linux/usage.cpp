#include "host/linux/usage.hpp"

namespace host::linux_program {
namespace {

struct OptionLine {
  std::string_view option;
  std::string_view meaning;
};

constexpr OptionLine kModes[] = {
    {"(nothing), /s", "the saver, full-screen; a key, a click or a move ends it"},
    {"/p ID", "a live preview inside window ID (decimal)"},
    {"/c", "settings: there are none, the program ends at once"},
};

constexpr OptionLine kDaemonOptions[] = {
    {"-root, --root", "draw in XSCREENSAVER_WINDOW, or on the root window below all others"},
    {"-window-id ID", "draw inside window ID (0x and hex digits, or decimal digits)"},
    {"-fps, -no-fps, -install, -noinstall, -mono, -sync, -pair, -window", "accepted and ignored"},
    {"-visual V, -geometry G, -bg C, -fg C, -name N, -title T, -xrm R, ...",
     "accepted and ignored"},
};

// The platform's own choices (which display system to draw on) are listed here as they come.
constexpr OptionLine kDisplayOptions[] = {
    {"-display NAME", "with the options above: the X display to draw on"},
    {"--wayland",
     "full-screen on the Wayland compositor (over everything with layer-shell, else as\n"
     "      fullscreen windows, as on GNOME)"},
    {"--x11", "on X11 (XWayland under Wayland), even where Wayland would do"},
};

constexpr OptionLine kInfoOptions[] = {
    {"--idle-watch MINUTES",
     "stay running and start the saver full-screen each time the session has\n"
     "      been idle MINUTES (0.01 to 1440, fractions allowed), one copy at a time;\n"
     "      for GNOME, KDE Plasma and other Wayland desktops with idle notifications"},
    {"-h, --help", "this text"},
    {"--version", "the version"},
};

constexpr OptionLine kStatuses[] = {
    {"0", "the saver ended normally (a key, a click, its window closed, /c)"},
    {"1", "it could not start or go on: no display, an unusable window, an error"},
    {"killed by the signal",
     "SIGTERM or SIGINT in the daemon modes and --idle-watch, after cleaning up"},
};

void Section(std::string& out, std::string_view title, const auto& lines) {
  out += title;
  out += '\n';
  for (const OptionLine& line : lines) {
    out += "  ";
    out += line.option;
    out += "\n      ";
    out += line.meaning;
    out += '\n';
  }
}

}  // namespace

std::string UsageText() {
  std::string out =
      "Usage: vorthane [/s | /p ID | /c]\n"
      "       vorthane -root | -window-id ID [standard options]   (as daemons start it)\n"
      "       vorthane --idle-watch MINUTES\n"
      "A screen saver: a banner and five caption lines sliding down on black.\n"
      "Full-screen it runs on Wayland (over everything where the compositor offers\n"
      "layer-shell, as fullscreen windows where it offers only xdg-shell), on X11\n"
      "otherwise; previews and daemons' windows are always X11's.\n\n";
  Section(out, "Modes:", kModes);
  out += '\n';
  Section(out, "Daemon options (with -root, -window-id or XSCREENSAVER_WINDOW; one or two dashes):",
          kDaemonOptions);
  out += '\n';
  Section(out, "Display:", kDisplayOptions);
  out += '\n';
  Section(out, "Other:", kInfoOptions);
  out += '\n';
  Section(out, "Exit status:", kStatuses);
  return out;
}

InfoRequest ReadInfoRequest(const std::vector<std::string>& args) {
  if (args.empty()) return InfoRequest::kNone;
  const std::string& first = args.front();
  if (first == "--help" || first == "-help" || first == "-h") return InfoRequest::kHelp;
  if (first == "--version" || first == "-version") return InfoRequest::kVersion;
  return InfoRequest::kNone;
}

}  // namespace host::linux_program

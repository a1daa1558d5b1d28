// Screen-saver daemons start their programs in their own ways; this reads those ways and says
// what the program is to do: run with a command line of its own ("/P <id>" draws inside a
// given window), or end at once with one error line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::x11 {

// A window id as daemons write it: "0x" and hex digits, or decimal digits. Nothing else, no
// zero, and nothing beyond the 31 bits a window handle holds.
std::optional<unsigned long> ParseWindowId(std::string_view text);

// Where the program is to draw when a daemon started it.
struct DaemonWindow {
  // The window named by the daemon; nothing for the screen's root window.
  std::optional<unsigned long> id;
  std::string idText;  // the id as written, for error lines
  std::string source;  // where it came from: "--window-id", "XSCREENSAVER_WINDOW", ...
};

struct LaunchRequest {
  // Set when the arguments follow no daemon convention: the program's own command line.
  std::optional<std::string> commandLine;
  // Set when a daemon named the window to draw in (a window that may not exist yet: the
  // caller checks it on the display).
  std::optional<DaemonWindow> window;
  // With a daemon's window: the display named by -display, if any.
  std::optional<std::string> display;
  // Set when the arguments or the variable are unusable: the error line, without the
  // program's name.
  std::optional<std::string> error;
};

// args: the arguments after the program's name. xscreensaverWindow: the XSCREENSAVER_WINDOW
// variable (null when unset; an empty value counts as unset).
// - only "-root" and "-window-id ID" and the standard options of every hack ("-fps",
//   "-display NAME", ...), with one or two dashes, in any order and number, with -root,
//   -window-id or XSCREENSAVER_WINDOW among them: draw in the last window id given; with none,
//   in XSCREENSAVER_WINDOW (a daemon's virtual root), else in the root window; "-display NAME"
//   names the display, the other standard options are ignored;
// - no arguments and no XSCREENSAVER_WINDOW: the full-screen saver ("");
// - anything else: the arguments joined by single spaces, for the program to read.
// A malformed id, or a window-id option (or, in a daemon's list, another option that takes a
// value) without a value, is an error.
LaunchRequest ReadDaemonArguments(const std::vector<std::string>& args,
                                  const char* xscreensaverWindow);

// The program's own "/p <window>" (any case, a colon allowed after the p), read before the
// program reads it: the program takes the digits at the end of the text as the window, so
// "/p 0x200006" would name window 200006 and "/p -5" window 5, none of them the user's. Nothing
// when the command line is no preview or names no window at all (the program says so itself);
// else the window, or the error line when the text is no decimal window id.
std::optional<LaunchRequest> ReadPreviewArgument(std::string_view commandLine);

// The program's command line for drawing inside `window`.
std::string PreviewCommandLine(unsigned long window);

}  // namespace host::x11

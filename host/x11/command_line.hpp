// Screen-saver daemons start their programs in their own ways; this turns those ways into the
// command line the program understands, where "/P <id>" draws inside a given window.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::x11 {

// A window id as daemons write it: "0x" and hex digits, or decimal digits. Nothing else, no
// zero, and nothing beyond the 31 bits a window handle holds.
std::optional<unsigned long> ParseWindowId(std::string_view text);

// args: the arguments after the program's name. xscreensaverWindow: the XSCREENSAVER_WINDOW
// variable (null when unset). rootWindow: the screen's root window.
// - no arguments and XSCREENSAVER_WINDOW names a window: "/P <that window>";
// - "-window-id ID" or "--window-id ID": "/P <ID>" ("/P 0" for an ID that is no number, so the
//   program reports it as a window that does not exist);
// - "-root": "/P <XSCREENSAVER_WINDOW>" when set (a daemon's virtual root), else "/P <root>";
// - anything else: the arguments joined by single spaces.
std::string DaemonCommandLine(const std::vector<std::string>& args, const char* xscreensaverWindow,
                              unsigned long rootWindow);

}  // namespace host::x11

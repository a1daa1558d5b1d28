// `vorthane --idle-watch MINUTES`: one small process, meant for the user's autostart, that starts
// the full-screen saver each time the session has been idle that long.
#pragma once

#include <string>
#include <vector>

namespace host::idle {

inline constexpr std::string_view kIdleWatchOption = "--idle-watch";

// Runs the watch for the arguments after the program's name (the option first); `program` is
// the file to start as the saver. Returns the exit status (1, with one line on stderr, when the
// arguments are wrong or no idle source serves the session, or when the session goes away);
// SIGTERM and SIGINT end the saver it started, then the process by that signal.
int RunIdleWatch(const std::vector<std::string>& args, std::string program);

// The program file the watch starts: the one this process runs (so an upgraded package's new
// file), or failing that argv[0] as given.
std::string OwnProgramFile(const char* argv0);

}  // namespace host::idle

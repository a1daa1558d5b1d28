// Starting the saver on a Wayland compositor, and the choice between Wayland and X11 that one
// program makes at run time: Wayland when the session has a compositor that offers layer-shell,
// X11 otherwise, or whichever the command line forces.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace host::wayland {

enum class ServerChoice { kAny, kWayland, kX11 };

// Takes --wayland and --x11 out of the arguments; the last one given wins.
ServerChoice TakeServerChoice(std::vector<std::string>& args);

// Whether the command line asks for a preview in a host window ("/p ..."), which only X11 has.
bool IsPreview(const std::string& commandLine);

// Runs the saver on the session's Wayland compositor (named by WAYLAND_DISPLAY, or handed over
// as WAYLAND_SOCKET by a locker) and returns its exit status. Without such a compositor, or
// with one that cannot show a saver, it returns nothing, and `whyNot` says why (empty when the
// session has no Wayland compositor at all) -- unless Wayland was forced: then it says so in
// one line and returns 1.
std::optional<int> RunOnWayland(const std::string& commandLine, bool forced, std::string& whyNot);

}  // namespace host::wayland

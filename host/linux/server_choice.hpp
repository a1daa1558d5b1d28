// Which display system the command line asks for, and which launches only X11 can serve.
#pragma once

#include <string>
#include <vector>

namespace host::linux_program {

enum class ServerChoice { kAny, kWayland, kX11 };

// Takes --wayland and --x11 out of the arguments; the last one given wins.
ServerChoice TakeServerChoice(std::vector<std::string>& args);

// Whether the command line asks for a preview in a host window ("/p ..."), which only X11 has.
bool IsPreview(const std::string& commandLine);

}  // namespace host::linux_program

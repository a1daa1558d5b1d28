#include "host/linux/server_choice.hpp"

#include "host/text.hpp"

namespace host::linux_program {

ServerChoice TakeServerChoice(std::vector<std::string>& args) {
  ServerChoice choice = ServerChoice::kAny;
  std::erase_if(args, [&choice](const std::string& arg) {
    if (arg == "--wayland") choice = ServerChoice::kWayland;
    if (arg == "--x11") choice = ServerChoice::kX11;
    return arg == "--wayland" || arg == "--x11";
  });
  return choice;
}

bool IsPreview(const std::string& commandLine) {
  const std::string mode = UCase(Mid(Trim(commandLine), 1, 2));
  return mode == "/P";
}

}  // namespace host::linux_program

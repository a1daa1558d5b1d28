#include "host/wayland/wayland_main.hpp"

#include <cstdio>
#include <cstdlib>

#include "host/runtime.hpp"
#include "host/text.hpp"
#include "host/wayland/wayland_platform.hpp"
#include "startup/program.hpp"

namespace host::wayland {
namespace {

int Refuse(const std::string& line) {
  std::fprintf(stderr, "vorthane: %s\n", line.c_str());
  return 1;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

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

std::optional<int> RunOnWayland(const std::string& commandLine, bool forced, std::string& whyNot) {
  SessionFacts session;
  // libwayland-client takes the inherited socket out of the environment when it connects.
  session.lockerChild = !Environment("WAYLAND_SOCKET").empty();
  session.runtimeDir = Environment("XDG_RUNTIME_DIR");
  session.display = session.lockerChild ? "inherited socket" : Environment("WAYLAND_DISPLAY");
  if (session.lockerChild) session.outputName = Environment("SWAYLOCK_PLUGIN_OUTPUT_NAME");
  whyNot.clear();
  if (!forced && session.display.empty()) return std::nullopt;  // not a Wayland session
  if (session.display.empty()) session.display = "wayland-0";

  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    whyNot = "cannot connect to the Wayland compositor \"" + session.display + "\"";
    return forced ? std::optional<int>(Refuse(whyNot)) : std::nullopt;
  }
  WaylandPlatform platform(display, commandLine, session);
  if (!platform.Answered()) {
    whyNot = "the Wayland compositor \"" + session.display + "\" " +
             (platform.ConnectionLost()
                  ? "closed the connection"
                  : "did not answer within " + std::to_string(kFirstAnswerLimitNs / 1'000'000'000) +
                        " seconds");
    return forced ? std::optional<int>(Refuse(whyNot)) : std::nullopt;
  }
  if (!platform.HasLayerShell()) {
    whyNot =
        "the Wayland compositor offers no layer-shell (zwlr_layer_shell_v1), so nothing can "
        "cover its screens";
    if (!forced) return std::nullopt;
    return Refuse(whyNot + "; run the X11 program through XWayland instead");
  }
  Runtime runtime(platform);
  startup::Program program(runtime);
  const int status = program.Run();
  if (!platform.ConnectionLost()) return status;
  // A locker ends its saver by closing the connection; anyone else's going away is a failure.
  if (session.lockerChild) return 0;
  return Refuse("the Wayland compositor closed the connection");
}

}  // namespace host::wayland

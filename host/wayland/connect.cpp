#include "host/wayland/connect.hpp"

#include <cstdlib>

#include "host/wayland/wayland_platform.hpp"

namespace host::wayland {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

posix::Connection Connect(const std::string& commandLine, bool forced) {
  SessionFacts session;
  // libwayland-client takes the inherited socket out of the environment when it connects.
  session.lockerChild = !Environment("WAYLAND_SOCKET").empty();
  session.runtimeDir = Environment("XDG_RUNTIME_DIR");
  session.display = session.lockerChild ? "inherited socket" : Environment("WAYLAND_DISPLAY");
  if (session.lockerChild) session.outputName = Environment("SWAYLOCK_PLUGIN_OUTPUT_NAME");
  if (!forced && session.display.empty()) return {};  // not a Wayland session
  if (session.display.empty()) session.display = "wayland-0";

  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    return {nullptr, "cannot connect to the Wayland compositor \"" + session.display + "\"",
            forced};
  }
  auto platform = std::make_unique<WaylandPlatform>(display, commandLine, session);
  if (!platform->Answered()) {
    return {nullptr,
            "the Wayland compositor \"" + session.display + "\" " +
                (platform->ConnectionLost()
                     ? "closed the connection"
                     : "did not answer within " +
                           std::to_string(kFirstAnswerLimitNs / 1'000'000'000) + " seconds"),
            forced};
  }
  if (!platform->HasLayerShell()) {
    const std::string whyNot =
        "the Wayland compositor offers no layer-shell (zwlr_layer_shell_v1), so nothing can "
        "cover its screens";
    if (!forced) return {nullptr, whyNot, false};
    return {nullptr, whyNot + "; run the X11 program through XWayland instead", true};
  }
  return {std::move(platform), {}, false};
}

}  // namespace host::wayland

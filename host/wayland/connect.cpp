#include "host/wayland/connect.hpp"

#include <cstdlib>

#include "host/posix/fd_wait.hpp"
#include "host/wayland/gnome_session.hpp"
#include "host/wayland/wayland_platform.hpp"

namespace host::wayland {
namespace {

// How long the saver waits for the GNOME overview to close before it gives up.
constexpr std::int64_t kOverviewWaitNs = 3'000'000'000;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

posix::Connection Connect(const std::string& commandLine, bool forced, Views views) {
  SessionFacts session;
  // libwayland-client takes the inherited socket out of the environment when it connects.
  session.lockerChild = !Environment("WAYLAND_SOCKET").empty();
  session.runtimeDir = Environment("XDG_RUNTIME_DIR");
  session.display = session.lockerChild ? "inherited socket" : Environment("WAYLAND_DISPLAY");
  if (session.lockerChild) session.outputName = Environment("SWAYLOCK_PLUGIN_OUTPUT_NAME");
  if (!forced && session.display.empty()) return {};  // not a Wayland session
  if (session.display.empty()) session.display = "wayland-0";
  // A locker's inherited connection serves once: its child draws layer surfaces or nothing.
  if (views == Views::kToplevels && session.lockerChild) return {};

  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    // The layer-shell row has said so already; only a forced run ends here.
    if (views == Views::kToplevels) return {};
    return {nullptr, "cannot connect to the Wayland compositor \"" + session.display + "\"",
            forced};
  }
  auto platform = std::make_unique<WaylandPlatform>(display, commandLine, session);
  if (!platform->Answered()) {
    if (views == Views::kToplevels) return {};
    return {nullptr,
            "the Wayland compositor \"" + session.display + "\" " +
                (platform->ConnectionLost()
                     ? "closed the connection"
                     : "did not answer within " +
                           std::to_string(kFirstAnswerLimitNs / 1'000'000'000) + " seconds"),
            forced};
  }
  if (views == Views::kOverlay) {
    if (platform->HasLayerShell()) return {std::move(platform), {}, false};
    // Not final even when forced: fullscreen windows are tried next.
    return {nullptr,
            "the Wayland compositor offers no layer-shell (zwlr_layer_shell_v1) for an overlay",
            false};
  }
  if (platform->HasLayerShell()) return {};  // the overlay row serves it
  if (!platform->HasToplevels()) {
    const std::string whyNot =
        "the Wayland compositor offers no xdg-shell (xdg_wm_base) for fullscreen windows either, "
        "so nothing can cover its screens";
    if (!forced) return {nullptr, whyNot, false};
    return {nullptr, whyNot + "; run the X11 program through XWayland instead", true};
  }
  // Fullscreen windows (GNOME, say): not while the shell's overview is open, where they would
  // stay thumbnails that never get the keyboard; and the session's lock ends them.
  if (std::unique_ptr<GnomeSession> gnome = GnomeSession::Open()) {
    switch (gnome->AwaitOverviewClosed(posix::MonotonicNowNs() + kOverviewWaitNs,
                                       platform->SignalFd())) {
      case GnomeSession::Overview::kClosed:
        break;
      case GnomeSession::Overview::kOpen:
        return {nullptr,
                "the GNOME overview stayed open for " +
                    std::to_string(kOverviewWaitNs / 1'000'000'000) +
                    " seconds, and a window shown under it would not get the keyboard",
                true};
      case GnomeSession::Overview::kSignalled:
        platform->EndBySignal();
    }
    platform->WatchSession(std::move(gnome));
  }
  return {std::move(platform), {}, false};
}

}  // namespace host::wayland

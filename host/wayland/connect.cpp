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

// The two rows connect once: the overlay row reaches the compositor and, where it has no
// layer-shell, leaves the connection to the fullscreen-window row, which would otherwise only
// meet the same compositor (or silence) again.
struct Reached {
  bool tried = false;
  std::unique_ptr<WaylandPlatform> platform;  // answered, without layer-shell
};
Reached& LeftByOverlayRow() {
  static Reached reached;
  return reached;
}

// Fullscreen windows on a compositor without layer-shell.
posix::Connection CoverWithToplevels(std::unique_ptr<WaylandPlatform> platform, bool forced) {
  if (!platform->HasToplevels()) {
    const std::string whyNot =
        "the Wayland compositor offers neither layer-shell (zwlr_layer_shell_v1) nor xdg-shell "
        "(xdg_wm_base), so nothing can cover its screens";
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
  Reached& reached = LeftByOverlayRow();
  if (views == Views::kToplevels) {
    // The overlay row has said why it could not reach the compositor, or has served; a
    // locker's child draws layer surfaces or nothing.
    if (reached.tried && !reached.platform) return {};
    if (reached.platform) return CoverWithToplevels(std::move(reached.platform), forced);
  }
  reached.tried = true;

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
  if (views == Views::kOverlay) {
    if (platform->HasLayerShell()) return {std::move(platform), {}, false};
    // Without layer-shell, the fullscreen-window row decides (and says why, if it cannot); a
    // locker's child has no windows of its own.
    if (!session.lockerChild) {
      reached.platform = std::move(platform);
      return {};
    }
    return {nullptr,
            "the Wayland compositor offers no layer-shell (zwlr_layer_shell_v1), so nothing can "
            "cover its screens",
            forced};
  }
  return CoverWithToplevels(std::move(platform), forced);
}

}  // namespace host::wayland

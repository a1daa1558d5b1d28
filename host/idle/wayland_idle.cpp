// The compositor's idle notifications, for compositors without GNOME's idle monitor (KDE Plasma,
// sway, and the others built on wlroots). ext_idle_notifier_v1 where offered, KDE's older
// org_kde_kwin_idle otherwise; both send "idle" once the seat has had no input for the time
// asked, and "resumed" at the next input. Compositors hold back "idle" while an application
// inhibits idleness (zwp_idle_inhibitor_v1, or their own rules), so no inhibitor is asked here.

#include <wayland-client.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "ext-idle-notify-v1-client-protocol.h"
#include "host/idle/idle_source.hpp"
#include "idle-client-protocol.h"

namespace host::idle {
namespace {

class WaylandIdle : public IdleSource {
 public:
  explicit WaylandIdle(wl_display* display) : display_(display) {}
  ~WaylandIdle() override {
    if (extNotification_ != nullptr) ext_idle_notification_v1_destroy(extNotification_);
    if (extNotifier_ != nullptr) ext_idle_notifier_v1_destroy(extNotifier_);
    if (kdeTimeout_ != nullptr) org_kde_kwin_idle_timeout_release(kdeTimeout_);
    if (kdeIdle_ != nullptr) org_kde_kwin_idle_destroy(kdeIdle_);
    if (seat_ != nullptr) wl_seat_destroy(seat_);
    if (registry_ != nullptr) wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
  }

  // The globals, then the notification; the reason when the compositor offers neither protocol.
  std::string Start(std::uint32_t idleMs) {
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    if (wl_display_roundtrip(display_) < 0) return "the Wayland compositor closed the connection";
    if (seat_ == nullptr) return "the Wayland compositor has no seat";
    if (extNotifier_ != nullptr) {
      extNotification_ = ext_idle_notifier_v1_get_idle_notification(extNotifier_, idleMs, seat_);
      ext_idle_notification_v1_add_listener(extNotification_, &kExtListener, this);
    } else if (kdeIdle_ != nullptr) {
      kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat_, idleMs);
      org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kKdeListener, this);
    } else {
      return "the Wayland compositor offers no idle notifications (ext_idle_notifier_v1 or "
             "org_kde_kwin_idle)";
    }
    if (wl_display_roundtrip(display_) < 0) return "the Wayland compositor closed the connection";
    return {};
  }

  pollfd Prepare() override {
    while (wl_display_prepare_read(display_) != 0) wl_display_dispatch_pending(display_);
    // A full socket is flushed on a later round: the requests here are few and made at start.
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) Fail();
    return {wl_display_get_fd(display_), POLLIN, 0};
  }

  bool Handle(short revents) override {
    if ((revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
      if (wl_display_read_events(display_) < 0) Fail();
    } else {
      wl_display_cancel_read(display_);
    }
    if (wl_display_dispatch_pending(display_) < 0) Fail();
    const bool idled = idled_;
    idled_ = false;
    return idled && lost_.empty();
  }

  std::string Lost() const override { return lost_; }

 private:
  void Fail() {
    if (!lost_.empty()) return;
    const int error = wl_display_get_error(display_);
    lost_ = "the Wayland compositor closed the connection";
    if (error != 0 && error != EPIPE && error != ECONNRESET)
      lost_ += std::string(": ") + std::strerror(error);
  }

  static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t) {
    auto* self = static_cast<WaylandIdle*>(data);
    const std::string_view which = interface;
    if (which == wl_seat_interface.name && self->seat_ == nullptr) {
      self->seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (which == ext_idle_notifier_v1_interface.name) {
      self->extNotifier_ = static_cast<ext_idle_notifier_v1*>(
          wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    } else if (which == org_kde_kwin_idle_interface.name) {
      self->kdeIdle_ = static_cast<org_kde_kwin_idle*>(
          wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    }
  }
  static void GlobalRemove(void*, wl_registry*, std::uint32_t) {}
  static void Idled(void* data, auto*) { static_cast<WaylandIdle*>(data)->idled_ = true; }
  static void Resumed(void*, auto*) {}

  static constexpr wl_registry_listener kRegistryListener{Global, GlobalRemove};
  static constexpr ext_idle_notification_v1_listener kExtListener{Idled, Resumed};
  static constexpr org_kde_kwin_idle_timeout_listener kKdeListener{Idled, Resumed};

  wl_display* display_;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  ext_idle_notifier_v1* extNotifier_ = nullptr;
  ext_idle_notification_v1* extNotification_ = nullptr;
  org_kde_kwin_idle* kdeIdle_ = nullptr;
  org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
  bool idled_ = false;
  std::string lost_;
};

}  // namespace

OpenedSource OpenWaylandIdle(std::uint32_t idleMs) {
  const char* named = std::getenv("WAYLAND_DISPLAY");
  const char* handed = std::getenv("WAYLAND_SOCKET");
  if ((named == nullptr || *named == '\0') && (handed == nullptr || *handed == '\0')) {
    return {nullptr, "not a Wayland session (no WAYLAND_DISPLAY)"};
  }
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return {nullptr, "no Wayland compositor could be reached"};
  auto source = std::make_unique<WaylandIdle>(display);
  std::string whyNot = source->Start(idleMs);
  if (!whyNot.empty()) return {nullptr, std::move(whyNot)};
  return {std::move(source), {}};
}

}  // namespace host::idle

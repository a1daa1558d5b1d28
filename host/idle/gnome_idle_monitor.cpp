// GNOME's idle monitor (mutter's org.gnome.Mutter.IdleMonitor on the session bus): one idle
// watch of the time asked, which fires each time the session has been idle that long (it is
// armed again by the next input). WatchFired is sent only to the connection that made the
// watch, so this connection is kept for the whole run. gnome-session's inhibitors
// (org.gnome.SessionManager, IsInhibited with the idle flag, as video players set it) are
// asked when the watch fires; a session without that service has none.

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstring>

#include "host/idle/idle_source.hpp"

namespace host::idle {
namespace {

constexpr const char* kMonitorName = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kMonitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kSessionName = "org.gnome.SessionManager";
constexpr const char* kSessionPath = "/org/gnome/SessionManager";
constexpr std::uint32_t kInhibitIdle = 8;

class GnomeIdleMonitor : public IdleSource {
 public:
  ~GnomeIdleMonitor() override {
    sd_bus_slot_unref(fired_);
    sd_bus_slot_unref(ownerChanged_);
    sd_bus_flush_close_unref(bus_);
  }

  // The watch; the reason when there is no session bus or no idle monitor on it.
  std::string Start(std::uint32_t idleMs) {
    int result = sd_bus_open_user(&bus_);
    if (result < 0) return "no session bus could be reached";
    // Matched before the watch exists, so that no signal of it can come unseen.
    sd_bus_match_signal(bus_, &fired_, nullptr, kMonitorPath, kMonitorName, "WatchFired",
                        WatchFired, this);
    sd_bus_match_signal(bus_, &ownerChanged_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                        "org.freedesktop.DBus", "NameOwnerChanged", OwnerChanged, this);
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    result = sd_bus_call_method(bus_, kMonitorName, kMonitorPath, kMonitorName, "AddIdleWatch",
                                &error, &reply, "t", std::uint64_t{idleMs});
    std::string whyNot;
    if (result < 0) {
      whyNot =
          sd_bus_error_has_name(&error, SD_BUS_ERROR_SERVICE_UNKNOWN)
              ? "the session has no GNOME idle monitor (" + std::string(kMonitorName) + ")"
              : "GNOME's idle monitor refused a watch (" +
                    std::string(error.message != nullptr ? error.message : std::strerror(-result)) +
                    ")";
    } else if (sd_bus_message_read(reply, "u", &watch_) < 0) {
      whyNot = "GNOME's idle monitor gave no watch";
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return whyNot;
  }

  pollfd Prepare() override {
    // Messages already read from the socket are handled before sleeping.
    while (lost_.empty()) {
      const int result = sd_bus_process(bus_, nullptr);
      if (result < 0) Fail(result);
      if (result <= 0) break;
    }
    pollfd fd{sd_bus_get_fd(bus_), 0, 0};
    const int events = sd_bus_get_events(bus_);
    fd.events = static_cast<short>(events > 0 ? events : POLLIN);
    return fd;
  }

  bool Handle(short revents) override {
    if (revents != 0) {
      while (lost_.empty()) {
        const int result = sd_bus_process(bus_, nullptr);
        if (result < 0) Fail(result);
        if (result <= 0) break;
      }
    }
    const bool fired = fired_now_;
    fired_now_ = false;
    return fired && lost_.empty();
  }

  std::string Lost() const override { return lost_; }

  bool Inhibited() override {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int inhibited = 0;
    if (sd_bus_call_method(bus_, kSessionName, kSessionPath, kSessionName, "IsInhibited", &error,
                           &reply, "u", kInhibitIdle) >= 0) {
      sd_bus_message_read(reply, "b", &inhibited);
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return inhibited != 0;
  }

 private:
  void Fail(int result) {
    if (lost_.empty()) {
      lost_ = "the session bus closed the connection (" + std::string(std::strerror(-result)) + ")";
    }
  }

  static int WatchFired(sd_bus_message* message, void* data, sd_bus_error*) {
    auto* self = static_cast<GnomeIdleMonitor*>(data);
    std::uint32_t id = 0;
    if (sd_bus_message_read(message, "u", &id) >= 0 && id == self->watch_) self->fired_now_ = true;
    return 0;
  }

  static int OwnerChanged(sd_bus_message* message, void* data, sd_bus_error*) {
    auto* self = static_cast<GnomeIdleMonitor*>(data);
    const char* name = nullptr;
    const char* before = nullptr;
    const char* after = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &before, &after) < 0) return 0;
    // The shell that held the watch is gone (it ended, or the session did).
    if (std::strcmp(name, kMonitorName) == 0 && *before != '\0' && self->lost_.empty()) {
      self->lost_ = "GNOME's idle monitor went away";
    }
    return 0;
  }

  sd_bus* bus_ = nullptr;
  sd_bus_slot* fired_ = nullptr;
  sd_bus_slot* ownerChanged_ = nullptr;
  std::uint32_t watch_ = 0;
  bool fired_now_ = false;
  std::string lost_;
};

}  // namespace

OpenedSource OpenGnomeIdleMonitor(std::uint32_t idleMs) {
  auto source = std::make_unique<GnomeIdleMonitor>();
  std::string whyNot = source->Start(idleMs);
  if (!whyNot.empty()) return {nullptr, std::move(whyNot)};
  return {std::move(source), {}};
}

}  // namespace host::idle

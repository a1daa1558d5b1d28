// GNOME's idle monitor (mutter's org.gnome.Mutter.IdleMonitor on the session bus): one idle
// watch of the time asked, which fires each time the session has been idle that long (the next
// input arms it again). WatchFired is sent only to the connection that made the watch, so this
// connection is kept for the whole run.
//
// Applications inhibit idleness through gnome-session (org.gnome.SessionManager; a video player
// sets the idle flag, 8), which the idle monitor does not know of: the session manager is asked
// when the watch fires. An idle period held back that way is not lost: when the last inhibitor
// goes (InhibitorRemoved) while nobody has touched anything since (a user-active watch), the
// saver starts then. A session without gnome-session has no inhibitors.

#include <systemd/sd-bus.h>

#include <cstring>

#include "host/idle/idle_source.hpp"

namespace host::idle {
namespace {

constexpr const char* kMonitorName = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kMonitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kSessionName = "org.gnome.SessionManager";
constexpr const char* kSessionPath = "/org/gnome/SessionManager";
constexpr std::uint32_t kInhibitIdle = 8;

// A method call's reply, and the error that came instead.
class Call {
 public:
  Call(sd_bus* bus, const char* service, const char* path, const char* method, const char* types,
       auto... args) {
    result_ =
        sd_bus_call_method(bus, service, path, service, method, &error_, &reply_, types, args...);
  }
  ~Call() {
    sd_bus_message_unref(reply_);
    sd_bus_error_free(&error_);
  }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  // The one value of the reply; false when the call failed or the reply holds no such value.
  bool Read(const char* type, void* value) {
    return result_ >= 0 && sd_bus_message_read_basic(reply_, type[0], value) > 0;
  }
  bool ServiceUnknown() const {
    return sd_bus_error_has_name(&error_, SD_BUS_ERROR_SERVICE_UNKNOWN);
  }
  std::string Error() const {
    return error_.message != nullptr ? error_.message : std::strerror(-result_);
  }

 private:
  sd_bus_error error_ = SD_BUS_ERROR_NULL;
  sd_bus_message* reply_ = nullptr;
  int result_ = 0;
};

class GnomeIdleMonitor : public IdleSource {
 public:
  ~GnomeIdleMonitor() override {
    for (sd_bus_slot* slot : slots_) sd_bus_slot_unref(slot);
    sd_bus_flush_close_unref(bus_);
  }

  // The watch; the reason when there is no session bus or no idle monitor on it.
  std::string Start(std::uint32_t idleMs) {
    if (sd_bus_open_user(&bus_) < 0) return "no session bus could be reached";
    // Matched before the watch exists, so that no signal of it can come unseen.
    sd_bus_match_signal(bus_, &slots_[0], nullptr, kMonitorPath, kMonitorName, "WatchFired",
                        WatchFired, this);
    // Only the idle monitor's owner: other names coming and going wake nothing.
    sd_bus_add_match(bus_, &slots_[1],
                     "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
                     "interface='org.freedesktop.DBus',member='NameOwnerChanged',"
                     "arg0='org.gnome.Mutter.IdleMonitor'",
                     OwnerChanged, this);
    sd_bus_match_signal(bus_, &slots_[2], nullptr, kSessionPath, kSessionName, "InhibitorRemoved",
                        InhibitorRemoved, this);
    Call call(bus_, kMonitorName, kMonitorPath, "AddIdleWatch", "t", std::uint64_t{idleMs});
    if (call.ServiceUnknown()) {
      return "the session has no GNOME idle monitor (" + std::string(kMonitorName) + ")";
    }
    if (!call.Read("u", &idleWatch_)) {
      return "GNOME's idle monitor gave no watch (" + call.Error() + ")";
    }
    return {};
  }

  pollfd Prepare() override {
    // Messages already read from the socket are handled before sleeping.
    Process();
    const int events = sd_bus_get_events(bus_);
    return {sd_bus_get_fd(bus_), static_cast<short>(events > 0 ? events : POLLIN), 0};
  }

  bool Handle(short revents) override {
    if (revents != 0) Process();
    const bool start = start_;
    start_ = false;
    return start && lost_.empty();
  }

  std::string Lost() const override { return lost_; }

 private:
  void Process() {
    while (lost_.empty()) {
      const int result = sd_bus_process(bus_, nullptr);
      if (result < 0) lost_ = "the session bus closed the connection";
      if (result <= 0) break;
    }
  }

  bool Inhibited() {
    int inhibited = 0;
    Call call(bus_, kSessionName, kSessionPath, "IsInhibited", "u", kInhibitIdle);
    return call.Read("b", &inhibited) && inhibited != 0;
  }

  void Fired(std::uint32_t watch) {
    if (watch == activeWatch_) {
      heldBack_ = false;  // someone is back: the next idle period counts anew
      activeWatch_ = 0;
    } else if (watch == idleWatch_) {
      if (!Inhibited()) {
        start_ = true;
        return;
      }
      heldBack_ = true;
      if (activeWatch_ == 0) {
        Call call(bus_, kMonitorName, kMonitorPath, "AddUserActiveWatch", "");
        call.Read("u", &activeWatch_);
      }
    }
  }

  static int WatchFired(sd_bus_message* message, void* data, sd_bus_error*) {
    std::uint32_t watch = 0;
    if (sd_bus_message_read(message, "u", &watch) > 0 && watch != 0) {
      static_cast<GnomeIdleMonitor*>(data)->Fired(watch);
    }
    return 0;
  }

  static int InhibitorRemoved(sd_bus_message*, void* data, sd_bus_error*) {
    auto* self = static_cast<GnomeIdleMonitor*>(data);
    if (self->heldBack_ && !self->Inhibited()) {
      self->heldBack_ = false;
      self->start_ = true;
    }
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
  sd_bus_slot* slots_[3] = {};
  std::uint32_t idleWatch_ = 0;
  std::uint32_t activeWatch_ = 0;  // while an idle period is held back by an inhibitor
  bool heldBack_ = false;
  bool start_ = false;
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

// What a GNOME session says to a full-screen saver over the session bus (sd-bus): whether the
// shell's overview is open (a window mapped then stays a thumbnail and never gets the keyboard;
// opened over the saver, it hides it), and when the session locks (org.gnome.ScreenSaver's
// ActiveChanged(true)).
#pragma once

#include <cstdint>
#include <memory>

#include "host/wayland/session_watch.hpp"

struct sd_bus;
struct sd_bus_slot;

namespace host::wayland {

class GnomeSession : public SessionWatch {
 public:
  // The session bus (DBUS_SESSION_BUS_ADDRESS), listening for the lock; null without one.
  static std::unique_ptr<GnomeSession> Open();
  ~GnomeSession() override;
  GnomeSession(const GnomeSession&) = delete;
  GnomeSession& operator=(const GnomeSession&) = delete;

  enum class Overview { kClosed, kOpen, kSignalled };
  // Waits until the shell's overview is closed, at most until deadlineNs; a session without the
  // shell (or whose bus does not answer in time) has none. A signal on signalFd ends the wait.
  Overview AwaitOverviewClosed(std::int64_t deadlineNs, int signalFd);

  int Fd() const override;
  short Events() const override;
  bool Process() override;

 private:
  explicit GnomeSession(sd_bus* bus);

 public:
  // What the bus has said so far (its handlers write it).
  struct Heard {
    bool locked = false;
    bool overviewKnown = false;
    bool overviewOpen = false;
  };

 private:
  sd_bus* bus_;
  sd_bus_slot* lockMatch_ = nullptr;
  sd_bus_slot* overviewMatch_ = nullptr;
  sd_bus_slot* overviewCall_ = nullptr;
  Heard heard_;
  bool broken_ = false;  // the bus went away
};

}  // namespace host::wayland

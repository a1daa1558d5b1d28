// Where the idle watch learns that the session is idle: the desktop's own idle monitor over the
// session bus, or the compositor's idle protocol. Each source waits on one descriptor, which the
// watch polls together with its signals and its child.
#pragma once

#include <poll.h>

#include <cstdint>
#include <memory>
#include <string>

namespace host::idle {

class IdleSource {
 public:
  virtual ~IdleSource() = default;

  // The descriptor to wait on and the events wanted, ready for one poll. Every call is followed
  // by one call of Handle, whatever the poll gave.
  virtual pollfd Prepare() = 0;
  // Takes in what the poll found (revents may be 0); true when the saver should start: the
  // session has been idle for the watched time (once per idle period) and no application asks
  // that it not count as idle (a video playing).
  virtual bool Handle(short revents) = 0;
  // Why the source can go on no longer (the session or compositor went away), in one line;
  // empty while it can.
  virtual std::string Lost() const = 0;
};

// What opening a source gave: the source, or why it cannot serve here (one phrase).
struct OpenedSource {
  std::unique_ptr<IdleSource> source;
  std::string whyNot;
};

// GNOME's idle monitor (org.gnome.Mutter.IdleMonitor) on the session bus.
OpenedSource OpenGnomeIdleMonitor(std::uint32_t idleMs);
// The Wayland compositor's idle notifications: ext_idle_notifier_v1, or org_kde_kwin_idle.
OpenedSource OpenWaylandIdle(std::uint32_t idleMs);

}  // namespace host::idle

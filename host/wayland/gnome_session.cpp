#include "host/wayland/gnome_session.hpp"

#include <poll.h>
#include <systemd/sd-bus.h>

#include <cstring>

#include "host/posix/fd_wait.hpp"

namespace host::wayland {
namespace {

int OnLock(sd_bus_message* message, void* data, sd_bus_error*) {
  int active = 0;
  if (sd_bus_message_read(message, "b", &active) >= 0 && active != 0) {
    static_cast<GnomeSession::Heard*>(data)->locked = true;
  }
  return 0;
}

// A variant holding OverviewActive's boolean.
void ReadOverview(sd_bus_message* message, GnomeSession::Heard& heard) {
  int open = 0;
  if (sd_bus_message_read(message, "v", "b", &open) >= 0) heard.overviewOpen = open != 0;
}

int OnOverviewAnswer(sd_bus_message* message, void* data, sd_bus_error*) {
  auto& heard = *static_cast<GnomeSession::Heard*>(data);
  heard.overviewKnown = true;
  if (!sd_bus_message_is_method_error(message, nullptr)) ReadOverview(message, heard);
  return 0;
}

// PropertiesChanged: the interface, then a dictionary of the changed values.
int OnOverview(sd_bus_message* message, void* data, sd_bus_error*) {
  auto& heard = *static_cast<GnomeSession::Heard*>(data);
  const char* interface = nullptr;
  if (sd_bus_message_read(message, "s", &interface) < 0 ||
      std::strcmp(interface, "org.gnome.Shell") != 0 ||
      sd_bus_message_enter_container(message, 'a', "{sv}") < 0) {
    return 0;
  }
  while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
    const char* name = nullptr;
    if (sd_bus_message_read(message, "s", &name) < 0) break;
    if (std::strcmp(name, "OverviewActive") == 0) {
      ReadOverview(message, heard);
    } else if (sd_bus_message_skip(message, "v") < 0) {
      break;
    }
    sd_bus_message_exit_container(message);
  }
  return 0;
}

}  // namespace

std::unique_ptr<GnomeSession> GnomeSession::Open() {
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) return nullptr;
  return std::unique_ptr<GnomeSession>(new GnomeSession(bus));
}

// Nothing here waits for the bus: the matches and the question are sent, and their answers
// handled as they come.
GnomeSession::GnomeSession(sd_bus* bus) : bus_(bus) {
  sd_bus_match_signal_async(bus_, &lockMatch_, "org.gnome.ScreenSaver", "/org/gnome/ScreenSaver",
                            "org.gnome.ScreenSaver", "ActiveChanged", &OnLock, nullptr, &heard_);
  sd_bus_match_signal_async(bus_, &overviewMatch_, "org.gnome.Shell", "/org/gnome/Shell",
                            "org.freedesktop.DBus.Properties", "PropertiesChanged", &OnOverview,
                            nullptr, &heard_);
  sd_bus_message* call = nullptr;
  // The shell is never started for this question: without it there is no overview.
  if (sd_bus_message_new_method_call(bus_, &call, "org.gnome.Shell", "/org/gnome/Shell",
                                     "org.freedesktop.DBus.Properties", "Get") >= 0 &&
      sd_bus_message_set_auto_start(call, 0) >= 0 &&
      sd_bus_message_append(call, "ss", "org.gnome.Shell", "OverviewActive") >= 0) {
    sd_bus_call_async(bus_, &overviewCall_, call, &OnOverviewAnswer, &heard_, 0);
  } else {
    heard_.overviewKnown = true;
  }
  sd_bus_message_unref(call);
}

GnomeSession::~GnomeSession() {
  sd_bus_slot_unref(overviewCall_);
  sd_bus_slot_unref(overviewMatch_);
  sd_bus_slot_unref(lockMatch_);
  sd_bus_flush_close_unref(bus_);
}

GnomeSession::Overview GnomeSession::AwaitOverviewClosed(std::int64_t deadlineNs, int signalFd) {
  for (;;) {
    Process();
    if (broken_ || (heard_.overviewKnown && !heard_.overviewOpen)) return Overview::kClosed;
    // A bus that does not answer in time says nothing of an overview.
    if (posix::MonotonicNowNs() >= deadlineNs) {
      return heard_.overviewKnown ? Overview::kOpen : Overview::kClosed;
    }
    pollfd fds[2] = {{signalFd, POLLIN, 0}, {Fd(), Events(), 0}};
    posix::WaitForDescriptors(fds, 2, deadlineNs);
    if (fds[0].revents != 0) return Overview::kSignalled;
  }
}

int GnomeSession::Fd() const {
  return broken_ ? -1 : sd_bus_get_fd(bus_);
}

short GnomeSession::Events() const {
  const int events = broken_ ? 0 : sd_bus_get_events(bus_);
  return static_cast<short>(events > 0 ? events : POLLIN);
}

bool GnomeSession::Process() {
  // A bus that went away can no longer say anything; the saver goes on.
  int processed = 0;
  while ((processed = sd_bus_process(bus_, nullptr)) > 0) {
  }
  broken_ = broken_ || processed < 0;
  // The overview opened over the saver (Super, where the shell still takes it).
  return heard_.locked || (heard_.overviewKnown && heard_.overviewOpen);
}

}  // namespace host::wayland

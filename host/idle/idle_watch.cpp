#include "host/idle/idle_watch.hpp"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <variant>

#include "host/idle/idle_minutes.hpp"
#include "host/idle/idle_source.hpp"
#include "host/idle/saver_child.hpp"
#include "host/posix/linux_signal_fd.hpp"

namespace host::idle {
namespace {

int Refuse(const std::string& line) {
  std::fprintf(stderr, "vorthane: %s\n", line.c_str());
  return 1;
}

// GNOME first: its compositor offers no idle protocol, and where both exist the desktop's own
// monitor is the one its settings speak of.
constexpr OpenedSource (*kSources[])(std::uint32_t) = {OpenGnomeIdleMonitor, OpenWaylandIdle};

}  // namespace

std::string OwnProgramFile(const char* argv0) {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length > 0) return std::string(path, static_cast<std::size_t>(length));
  return argv0 != nullptr ? argv0 : "vorthane";
}

int RunIdleWatch(const std::vector<std::string>& args, std::string program) {
  if (args.size() < 2) {
    return Refuse(std::string(kIdleWatchOption) +
                  " needs MINUTES after it: " + std::string(kMinutesRange));
  }
  const auto minutes = ReadIdleMinutes(args[1]);
  if (const auto* error = std::get_if<std::string>(&minutes)) return Refuse(*error);
  if (args.size() > 2) {
    return Refuse(std::string(kIdleWatchOption) + " MINUTES takes nothing after it");
  }
  const std::uint32_t idleMs = std::get<std::uint32_t>(minutes);

  posix::SignalFd signals;
  std::unique_ptr<IdleSource> source;
  std::string reasons;
  for (const auto open : kSources) {
    OpenedSource opened = open(idleMs);
    if (opened.source) {
      source = std::move(opened.source);
      break;
    }
    reasons += (reasons.empty() ? "" : ", and ") + opened.whyNot;
  }
  if (!source) return Refuse("cannot watch the session's idle time: " + reasons);

  SaverChild saver(std::move(program));
  while (true) {
    pollfd fds[3] = {source->Prepare(), {signals.fd(), POLLIN, 0}, {saver.fd(), POLLIN, 0}};
    if (poll(fds, 3, -1) < 0) {
      if (const int error = errno; error != EINTR) {
        source->Handle(0);
        saver.End();
        return Refuse("cannot wait for the session: " + std::string(std::strerror(error)));
      }
      fds[0].revents = fds[1].revents = fds[2].revents = 0;
    }
    const bool idled = source->Handle(fds[0].revents);
    if (fds[2].revents != 0) saver.Reap();
    if (signals.Drain()) {
      saver.End();
      posix::EndBySignal(signals.Received());
    }
    if (const std::string lost = source->Lost(); !lost.empty()) {
      saver.End();
      return Refuse(lost + "; the idle watch ends");
    }
    // Never a second copy: a saver still running has the screen already.
    if (idled && !saver.Running()) saver.Start();
  }
}

}  // namespace host::idle

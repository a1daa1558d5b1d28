#include "host/posix/signal_fd.hpp"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace host::posix {

SignalFd::SignalFd() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigprocmask(SIG_BLOCK, &set, nullptr);
  fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

SignalFd::~SignalFd() {
  if (fd_ >= 0) close(fd_);
}

bool SignalFd::Drain() {
  bool any = false;
  signalfd_siginfo info;
  while (fd_ >= 0 && read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) any = true;
  return any;
}

}  // namespace host::posix

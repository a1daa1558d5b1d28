#include "host/posix/linux_signal_fd.hpp"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdlib>

namespace host::posix {
namespace {

sigset_t EndingSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  return set;
}

}  // namespace

SignalFd::SignalFd() {
  const sigset_t set = EndingSignals();
  sigprocmask(SIG_BLOCK, &set, nullptr);
  fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  // Blocked with nothing to read them, they would keep the program alive until SIGKILL.
  if (fd_ < 0) sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

SignalFd::~SignalFd() {
  if (fd_ >= 0) close(fd_);
}

bool SignalFd::Drain() {
  bool any = false;
  signalfd_siginfo info;
  while (fd_ >= 0 && read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    received_ = static_cast<int>(info.ssi_signo);
    any = true;
  }
  return any;
}

void EndBySignal(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal);
  std::_Exit(128 + signal);  // not reached: the default action of SIGTERM and SIGINT ends
}

}  // namespace host::posix

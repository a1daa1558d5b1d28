#include "host/idle/saver_child.hpp"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace host::idle {
namespace {

constexpr int kEndWaitMs = 5000;

int OpenProcessFd(pid_t pid) {
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

}  // namespace

SaverChild::~SaverChild() {
  End();
}

bool SaverChild::Start() {
  if (Running()) return true;
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &ending);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::string mode = "/s";
  char* argv[] = {program_.data(), mode.data(), nullptr};
  pid_t pid = -1;
  const int error = posix_spawn(&pid, program_.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) {
    std::fprintf(stderr, "vorthane: cannot start the saver (%s): %s\n", program_.c_str(),
                 std::strerror(error));
    return false;
  }
  pid_ = pid;
  pidfd_ = OpenProcessFd(pid);
  if (pidfd_ < 0) {
    // Without a descriptor the child cannot be waited for among the others: it is not left to
    // run unwatched.
    std::fprintf(stderr, "vorthane: cannot watch the saver: %s\n", std::strerror(errno));
    End();
    return false;
  }
  return true;
}

void SaverChild::Reap() {
  if (!Running()) return;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) Collect();
}

void SaverChild::End() {
  if (!Running()) return;
  kill(pid_, SIGTERM);
  if (pidfd_ >= 0) {
    pollfd ended{pidfd_, POLLIN, 0};
    while (poll(&ended, 1, kEndWaitMs) < 0 && errno == EINTR) {
    }
  }
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  Collect();
}

void SaverChild::Collect() {
  if (pidfd_ >= 0) close(pidfd_);
  pidfd_ = -1;
  pid_ = -1;
}

}  // namespace host::idle

#include "tests/x11/child_process.hpp"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace x11test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& env, int keepFd) {
  char pathTemplate[] = "/tmp/vorthane-test-stderr-XXXXXX";
  const int errFd = mkstemp(pathTemplate);
  if (errFd < 0) throw std::runtime_error("mkstemp failed");
  stderrPath_ = pathTemplate;

  std::vector<std::string> envStrings;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (env.count(name) == 0) envStrings.push_back(entry);
  }
  for (const auto& [name, value] : env) {
    if (!value.empty()) envStrings.push_back(name + "=" + value);
  }
  std::vector<char*> envp;
  for (std::string& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (std::string& s : args) argp.push_back(s.data());
  argp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, errFd, 2);
  if (keepFd >= 0) posix_spawn_file_actions_adddup2(&actions, keepFd, 3);
  // The child starts with no blocked or ignored signals, whatever the test runner had.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const int rc = posix_spawnp(&pid_, argp[0], &actions, &attr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(errFd);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
  // Readable the moment the child exits, so waits end without polling delays.
  pidFd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
}

ChildProcess::~ChildProcess() {
  if (!status_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    WaitExit(std::chrono::seconds(5));
  }
  if (!stderrPath_.empty()) unlink(stderrPath_.c_str());
  if (pidFd_ >= 0) close(pidFd_);
}

bool ChildProcess::Running() {
  return !WaitExit(std::chrono::milliseconds(0)).has_value();
}

std::optional<int> ChildProcess::WaitExit(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!status_) {
    int raw = 0;
    rusage usage{};
    const pid_t done = wait4(pid_, &raw, WNOHANG, &usage);
    if (done == pid_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
      cpuSeconds_ = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
      peakRssKb_ = usage.ru_maxrss;
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    if (pidFd_ >= 0) {
      pollfd pfd{pidFd_, POLLIN, 0};
      poll(&pfd, 1, static_cast<int>(std::min<long>(left.count(), 100)));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  return status_;
}

void ChildProcess::Signal(int signal) {
  if (!status_) kill(pid_, signal);
}

std::string ChildProcess::Stderr() const {
  std::ifstream in(stderrPath_);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::optional<int> RunToEnd(const std::vector<std::string>& argv,
                            const std::map<std::string, std::string>& env,
                            std::chrono::milliseconds limit) {
  ChildProcess child(argv, env);
  return child.WaitExit(limit);
}

}  // namespace x11test

// Programs the X11 tests start: the saver, Xvfb, xdotool. Each gets its own environment, its
// stderr goes to a file the test can read, and waits have time limits.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace x11test {

class ChildProcess {
 public:
  // env: variables to set (an empty value removes the variable). keepFd: a descriptor the child
  // keeps open as descriptor 3 (-1 for none).
  ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               int keepFd = -1);
  ~ChildProcess();  // kills a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool Running();
  // The exit status, or nothing if the child still runs after `limit` (or died of a signal:
  // then -signal).
  std::optional<int> WaitExit(std::chrono::milliseconds limit);
  void Signal(int signal);
  std::string Stderr() const;
  // CPU seconds and peak resident set (kB) of the child, valid after it has exited.
  double CpuSeconds() const { return cpuSeconds_; }
  long PeakRssKb() const { return peakRssKb_; }

 private:
  pid_t pid_ = -1;
  int pidFd_ = -1;
  std::optional<int> status_;
  std::string stderrPath_;
  double cpuSeconds_ = 0;
  long peakRssKb_ = 0;
};

// Runs a program to its end (at most `limit`); its exit status, or nothing on timeout.
std::optional<int> RunToEnd(const std::vector<std::string>& argv,
                            const std::map<std::string, std::string>& env,
                            std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace x11test

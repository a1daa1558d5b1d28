// The full-screen saver the idle watch starts: one child process at a time, waited for through
// a process descriptor so that the watch sleeps on descriptors alone.
#pragma once

#include <sys/types.h>

#include <string>

namespace host::idle {

class SaverChild {
 public:
  explicit SaverChild(std::string program) : program_(std::move(program)) {}
  ~SaverChild();
  SaverChild(const SaverChild&) = delete;
  SaverChild& operator=(const SaverChild&) = delete;

  bool Running() const { return pid_ > 0; }
  // Starts `program /s` unless a child still runs; the child gets the signals' default actions
  // and an empty signal mask, as from a shell. False (with the reason written to stderr) when it
  // could not be started.
  bool Start();
  // The descriptor that becomes readable when the child ends; -1 while none runs.
  int fd() const { return pidfd_; }
  // Collects a child that has ended (after its descriptor became readable).
  void Reap();
  // Asks a running child to end (SIGTERM, which the saver ends on after cleaning up), waits a
  // few seconds for it, then kills it.
  void End();

 private:
  void Collect();

  std::string program_;
  pid_t pid_ = -1;
  int pidfd_ = -1;
};

}  // namespace host::idle

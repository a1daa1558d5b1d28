// SIGTERM and SIGINT as a readable descriptor, so the event loop can wait for them together
// with the X connection and close the window through its normal way out.
#pragma once

namespace host::posix {

class SignalFd {
 public:
  // Blocks the signals for the process (threads created later inherit that) and opens the fd.
  SignalFd();
  ~SignalFd();
  SignalFd(const SignalFd&) = delete;
  SignalFd& operator=(const SignalFd&) = delete;

  int fd() const { return fd_; }
  // Reads every pending signal; true if there was at least one.
  bool Drain();

 private:
  int fd_ = -1;
};

}  // namespace host::posix

// SIGTERM and SIGINT as a readable descriptor, so the event loop can wait for them together
// with the display connection and close the window through its normal way out.
#pragma once

namespace host::posix {

class SignalFd {
 public:
  // Blocks the signals for the process (threads created later inherit that) and opens the fd.
  // When no descriptor can be made the signals are left unblocked, so that they still end the
  // program (by their default action, without the clean way out).
  SignalFd();
  ~SignalFd();
  SignalFd(const SignalFd&) = delete;
  SignalFd& operator=(const SignalFd&) = delete;

  int fd() const { return fd_; }
  // Reads every pending signal; true if there was at least one.
  bool Drain();
  // The last signal read, 0 before any.
  int Received() const { return received_; }

 private:
  int fd_ = -1;
  int received_ = 0;
};

// Ends the process by `signal` with its default action, as if it had never been caught: the
// parent sees the signal, not an exit status.
[[noreturn]] void EndBySignal(int signal);

}  // namespace host::posix

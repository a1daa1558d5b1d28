#include "host/posix/fd_wait.hpp"

#include <time.h>

namespace host::posix {

std::int64_t MonotonicNowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

bool WaitForDescriptors(pollfd* fds, std::size_t count, std::int64_t deadlineNs) {
  const std::int64_t remaining = deadlineNs - MonotonicNowNs();
  if (remaining <= 0) return false;
  const timespec timeout{static_cast<time_t>(remaining / 1'000'000'000),
                         static_cast<long>(remaining % 1'000'000'000)};
  // Interrupted, it counts as woken: the caller looks at the revents and waits again.
  return ppoll(fds, static_cast<nfds_t>(count), &timeout, nullptr) != 0;
}

}  // namespace host::posix

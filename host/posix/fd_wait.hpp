// The monotonic clock and a sleep on a set of descriptors until an absolute time on it, shared
// by the platforms whose event loop is a poll on their connection and the signal descriptor.
#pragma once

#include <poll.h>

#include <cstddef>
#include <cstdint>

namespace host::posix {

std::int64_t MonotonicNowNs();

// Sleeps in one ppoll on the descriptors until one of them has something or the CLOCK_MONOTONIC
// time deadlineNs comes; false when it came (or had passed) with nothing to read. The revents
// are ppoll's.
bool WaitForDescriptors(pollfd* fds, std::size_t count, std::int64_t deadlineNs);

}  // namespace host::posix

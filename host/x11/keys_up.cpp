#include "host/x11/keys_up.hpp"

#include <algorithm>
#include <iterator>

#include "host/posix/fd_wait.hpp"

namespace host::x11 {
namespace {

constexpr std::int64_t kPollNs = 10'000'000;

bool AnyKeyDown(Display* display) {
  char keys[32];
  XQueryKeymap(display, keys);
  return std::any_of(std::begin(keys), std::end(keys), [](char k) { return k != 0; });
}

}  // namespace

void WaitForKeysUp(Display* display, std::int64_t limitNs) {
  const std::int64_t endNs = posix::MonotonicNowNs() + limitNs;
  while (AnyKeyDown(display)) {
    const std::int64_t nowNs = posix::MonotonicNowNs();
    if (nowNs >= endNs) return;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    posix::WaitForDescriptors(&fd, 1, std::min(nowNs + kPollNs, endNs));
    // Releases, repeats and the rest: the window they are for is about to go.
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
    }
  }
}

}  // namespace host::x11

#include "host/x11/keys_up.hpp"

#include <algorithm>
#include <iterator>

#include "host/posix/fd_wait.hpp"

namespace host::x11 {
namespace {

constexpr std::int64_t kPollNs = 10'000'000;

bool AnyDown(Display* display) {
  char keys[32];
  XQueryKeymap(display, keys);
  if (std::any_of(std::begin(keys), std::end(keys), [](char k) { return k != 0; })) return true;
  Window root = 0;
  Window child = 0;
  int x = 0;
  int y = 0;
  unsigned int mask = 0;
  XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &x, &y, &mask);
  return (mask & (Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask)) != 0;
}

}  // namespace

void WaitForKeysUp(Display* display, std::int64_t limitNs) {
  const std::int64_t endNs = posix::MonotonicNowNs() + limitNs;
  while (AnyDown(display)) {
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

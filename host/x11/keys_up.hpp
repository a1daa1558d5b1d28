// The key that ends the saver is seldom pressed alone: the rest of a chord (Alt
// then F4, Ctrl then Q) and every release would go to the window behind once the saver lets
// go. So the saver keeps its grab until every key is up, for a bounded time.
#pragma once

#include <cstdint>

#include "host/x11/xlib.hpp"

namespace host::x11 {

// Longer than any chord takes; a key held for seconds (a stuck key, a cat) must not keep the
// saver's window on the screen.
inline constexpr std::int64_t kKeysUpLimitNs = 1'500'000'000;

// Waits, reading and dropping the events that arrive meanwhile, until no key is down or limitNs
// has passed.
void WaitForKeysUp(Display* display, std::int64_t limitNs = kKeysUpLimitNs);

}  // namespace host::x11

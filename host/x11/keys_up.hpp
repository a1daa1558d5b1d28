// The key that ends the saver is seldom pressed alone: the rest of a chord (Alt
// then F4, Ctrl then Q) and every release would go to the window behind once the saver lets
// go; so would the repeats of a key held to wake the screen (Enter, Backspace, Delete). So the
// saver keeps its grab, and swallows whatever arrives, until every key is up.
#pragma once

#include <cstdint>

#include "host/platform.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

// Waits, reading and dropping the events that arrive meanwhile, until no key is down or limitNs
// has passed (only a key that is truly stuck is let go of).
void WaitForKeysUp(Display* display, std::int64_t limitNs = kHeldKeysLimitNs);

}  // namespace host::x11

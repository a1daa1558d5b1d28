// The key that ends the saver is seldom pressed alone: the rest of a chord (Alt
// then F4, Ctrl then Q) and every release would go to the window behind once the saver lets
// go; so would the repeats of a key held to wake the screen (Enter, Backspace, Delete). So the
// saver keeps its grab, and swallows whatever arrives, until every key is up.
#pragma once

#include <cstdint>

#include "host/x11/xlib.hpp"

namespace host::x11 {

// Only a key that is truly stuck (a broken switch, a book on the keyboard) is let go of: nobody
// holds a key for ten seconds to wake a screen, and a stuck key must not leave the saver's
// window on the screen for ever. The Wayland platform keeps the same limit.
inline constexpr std::int64_t kStuckKeyNs = 10'000'000'000;

// Waits, reading and dropping the events that arrive meanwhile, until no key is down or limitNs
// has passed.
void WaitForKeysUp(Display* display, std::int64_t limitNs = kStuckKeyNs);

}  // namespace host::x11

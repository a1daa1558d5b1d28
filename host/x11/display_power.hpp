// Whether the monitors are powered, as the server's DPMS extension reports it. The server sends
// no event when they power down, so the state is asked for: every 30 s while they are on (the
// frames go on meanwhile), every second while they are off (nothing else wakes the saver then
// but input). A server without DPMS, or with it disabled, counts as always on.
#pragma once

#include <cstdint>

#include "host/x11/xlib.hpp"

namespace host::x11 {

class DisplayPower {
 public:
  explicit DisplayPower(Display* display);

  bool On() const { return on_; }
  // Asks the server when the answer is due (NextQueryNs); true when the state changed.
  bool Refresh(std::int64_t nowNs);
  // When the state is to be asked for next; kNoDeadline where it never changes.
  std::int64_t NextQueryNs() const;

 private:
  bool Query();

  Display* display_;
  bool capable_ = false;
  bool on_ = true;
  std::int64_t askedNs_ = 0;
};

}  // namespace host::x11

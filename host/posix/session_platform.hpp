// A platform of a display session (an X display, a Wayland compositor) as the Linux program
// connects it: each platform's connect function gives one back, or says why it cannot serve,
// and the program asks it the two things it needs once the run is over.
#pragma once

#include <memory>
#include <string>

#include "host/platform.hpp"

namespace host::posix {

class SessionPlatform : public Platform {
 public:
  // The signal that ended the run (a daemon's SIGTERM, say); 0 when none did.
  virtual int ReceivedSignal() const = 0;
  // Why the display session ended the run against the program's will (its server went away),
  // in one line; empty when the run ended as the program decided.
  virtual std::string Failure() const { return {}; }
};

// What connecting a platform gave.
struct Connection {
  std::unique_ptr<SessionPlatform> platform;  // ready to run; null when it cannot serve
  // Without a platform: why, in one line; empty when the session has no such server at all.
  std::string whyNot;
  // Without a platform: the program ends with whyNot and tries no other platform (one the
  // command line forced, or a display or window that exists but cannot be used).
  bool final = false;
};

}  // namespace host::posix

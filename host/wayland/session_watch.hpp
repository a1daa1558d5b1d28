// A desktop's own word to a full-screen saver, beside the compositor's: a connection the
// platform's wait sleeps on with the compositor's, which says when the saver must end (the
// session locked, say).
#pragma once

#include <cstdint>

namespace host::wayland {

class SessionWatch {
 public:
  virtual ~SessionWatch() = default;
  // The descriptor to sleep on and the poll events it waits for.
  virtual int Fd() const = 0;
  virtual short Events() const = 0;
  // Reads and handles what arrived; true once the saver must end.
  virtual bool Process() = 0;
};

}  // namespace host::wayland

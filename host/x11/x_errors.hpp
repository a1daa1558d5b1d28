// X errors are expected here (a preview host may vanish at any moment, a handle may name no
// window), so none of them may end the process: a handler records them and callers that care
// ask a trap whether their requests failed.
#pragma once

#include "host/x11/xlib.hpp"

namespace host::x11 {

// Replaces Xlib's default handlers: protocol errors are counted and otherwise ignored; losing
// the connection ends the process with one line on stderr.
void InstallErrorHandlers();

// Reports the first X error raised by requests made since it was created.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display);
  // Waits for the server to answer everything sent so far; returns the error code, 0 if none.
  int Check();

 private:
  Display* display_;
  unsigned long countAtStart_;
};

}  // namespace host::x11

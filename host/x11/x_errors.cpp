#include "host/x11/x_errors.hpp"

#include <cstdio>
#include <cstdlib>

namespace host::x11 {
namespace {

unsigned long errorCount = 0;
int firstCode = 0;  // of the errors since the last reset by a trap

int OnError(Display*, XErrorEvent* event) {
  if (errorCount++ == 0 || firstCode == 0) firstCode = event->error_code;
  return 0;
}

int OnIoError(Display*) {
  std::fputs("vorthane: lost the connection to the X server\n", stderr);
  std::_Exit(1);
}

}  // namespace

void InstallErrorHandlers() {
  XSetErrorHandler(OnError);
  XSetIOErrorHandler(OnIoError);
}

ErrorTrap::ErrorTrap(Display* display) : display_(display) {
  XSync(display_, kXFalse);  // earlier requests' errors are not ours
  countAtStart_ = errorCount;
  firstCode = 0;
}

int ErrorTrap::Check() {
  XSync(display_, kXFalse);
  return errorCount != countAtStart_ ? (firstCode != 0 ? firstCode : -1) : 0;
}

}  // namespace host::x11

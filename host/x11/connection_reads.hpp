// Events can wait in the connection's queues with nothing left on its socket for ppoll to see:
// read there by a request that waited for its reply, or by a flush that found the socket
// readable. Looking into the queues for them costs system calls when they are empty, but xcb
// counts the bytes it has read without one: the queues need a look only when that count moved.
#pragma once

#include <X11/Xlib-xcb.h>

#include <cstdint>

namespace host::x11 {

class ConnectionReads {
 public:
  explicit ConnectionReads(Display* display)
      : connection_(XGetXCBConnection(display)), seen_(xcb_total_read(connection_)) {}

  // Something was read from the socket since the last Seen().
  bool Moved() const { return xcb_total_read(connection_) != seen_; }
  void Seen() { seen_ = xcb_total_read(connection_); }

 private:
  xcb_connection_t* connection_;
  std::uint64_t seen_;
};

}  // namespace host::x11

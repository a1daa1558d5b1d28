// Events that a request read off the socket while waiting for its reply are found, though the
// socket holds nothing more for the saver's ppoll.
#include <gtest/gtest.h>
#include <poll.h>

#include <cstdlib>

#include "tests/x11/x_server.hpp"
// X after gtest, whose names the None macro would break.
#include "host/x11/connection_reads.hpp"

namespace x11test {
namespace {

TEST(ConnectionReadsTest, AnEventReadWithAReplyIsNoticedWithNothingOnTheSocket) {
  XServer server(320, 240);
  Display* mine = XOpenDisplay(server.name().c_str());
  ASSERT_NE(mine, nullptr);
  const Window window = XCreateSimpleWindow(mine, DefaultRootWindow(mine), 0, 0, 10, 10, 0, 0, 0);
  XSelectInput(mine, window, StructureNotifyMask);
  XSync(mine, False);
  host::x11::ConnectionReads reads(mine);
  EXPECT_FALSE(reads.Moved());

  XResizeWindow(server.display(), window, 20, 20);  // another client: a ConfigureNotify
  XSync(server.display(), False);
  xcb_connection_t* connection = XGetXCBConnection(mine);
  std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

  pollfd socket{ConnectionNumber(mine), POLLIN, 0};
  EXPECT_EQ(poll(&socket, 1, 0), 0) << "the event is off the socket";
  EXPECT_EQ(XQLength(mine), 0) << "and not yet in Xlib's queue";
  EXPECT_TRUE(reads.Moved()) << "so only the count of bytes read tells a look is needed";
  EXPECT_EQ(XPending(mine), 1);
  reads.Seen();
  EXPECT_FALSE(reads.Moved());
  XCloseDisplay(mine);
}

}  // namespace
}  // namespace x11test

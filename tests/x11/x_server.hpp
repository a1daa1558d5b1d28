// A private Xvfb for one test: the display number is the server's own choice (-displayfd), so
// tests never collide with each other or with a real display.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/x11/child_process.hpp"

namespace x11test {

class XServer {
 public:
  // Starts the server and waits until it accepts connections; throws when it does not.
  XServer(int width, int height, int depth = 24, const std::vector<std::string>& extraArgs = {});
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  const std::string& name() const { return name_; }  // ":N"
  Display* display() const { return display_; }      // the test's own connection
  pid_t pid() const { return server_->pid(); }

 private:
  std::unique_ptr<ChildProcess> server_;
  std::string name_;
  Display* display_ = nullptr;
};

}  // namespace x11test

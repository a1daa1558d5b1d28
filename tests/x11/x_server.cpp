#include "tests/x11/x_server.hpp"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <stdexcept>

namespace x11test {

XServer::XServer(int width, int height, int depth, const std::vector<std::string>& extraArgs) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  const std::string screen =
      std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
  // -noreset: the server stays as it is when its last client leaves; -dpi 96: 12 points are 16
  // pixels, as the scene expects.
  std::vector<std::string> argv{"Xvfb",      "-displayfd", "3",        "-screen", "0", screen,
                                "-nolisten", "tcp",        "-noreset", "-dpi",    "96"};
  argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
  server_ = std::make_unique<ChildProcess>(argv, std::map<std::string, std::string>{}, fds[1]);
  close(fds[1]);
  std::string number;
  pollfd pfd{fds[0], POLLIN, 0};
  while (number.find('\n') == std::string::npos && poll(&pfd, 1, 20000) > 0) {
    char buffer[16];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    number.append(buffer, static_cast<std::size_t>(n));
  }
  close(fds[0]);
  if (number.find('\n') == std::string::npos) throw std::runtime_error("Xvfb did not start");
  name_ = ":" + number.substr(0, number.find('\n'));
  display_ = XOpenDisplay(name_.c_str());
  if (display_ == nullptr) throw std::runtime_error("cannot connect to Xvfb " + name_);
}

XServer::~XServer() {
  if (display_ != nullptr) XCloseDisplay(display_);
  server_->Signal(SIGTERM);
  server_->WaitExit(std::chrono::seconds(5));
}

}  // namespace x11test

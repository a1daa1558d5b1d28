#include "host/wayland/session_marker.hpp"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace host::wayland {
namespace {

// An abstract address: a leading NUL, then the name (cut to what the address holds).
socklen_t Address(const std::string& name, sockaddr_un& address) {
  address = sockaddr_un{};
  address.sun_family = AF_UNIX;
  const std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
  std::memcpy(address.sun_path + 1, name.data(), length);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

}  // namespace

SessionMarker::SessionMarker(std::string runtimeDir, std::string display)
    : session_(std::move(runtimeDir) + "/" + std::move(display)) {}

SessionMarker::~SessionMarker() {
  if (fd_ >= 0) close(fd_);
}

std::string SessionMarker::AddressOf(std::string_view caption) const {
  return "vorthane-caption:" + session_ + ":" + std::string(caption);
}

void SessionMarker::Set(std::string_view caption) {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (caption.empty()) return;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  sockaddr_un address;
  const socklen_t length = Address(AddressOf(caption), address);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || listen(fd, 1) != 0) {
    close(fd);  // another process holds it: the caption is marked all the same
    return;
  }
  fd_ = fd;
}

bool SessionMarker::Exists(std::string_view caption) const {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address;
  const socklen_t length = Address(AddressOf(caption), address);
  const bool found = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
  close(fd);
  return found;
}

}  // namespace host::wayland

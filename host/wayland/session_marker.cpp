#include "host/wayland/session_marker.hpp"

#include <errno.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace host::wayland {
namespace {

// The socket file at `path`, if it is one this user owns.
bool OwnSocket(const std::string& path, struct stat& info) {
  return lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_uid == geteuid();
}

bool Address(const std::string& path, sockaddr_un& address) {
  address = sockaddr_un{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

// 64-bit FNV-1a: a caption of any length gives a short file name.
std::uint64_t Hash(std::string_view text) {
  std::uint64_t hash = 14695981039346656037u;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211u;
  }
  return hash;
}

}  // namespace

SessionMarker::SessionMarker(std::string runtimeDir, std::string session)
    : runtimeDir_(std::move(runtimeDir)), session_(std::move(session)) {}

SessionMarker::~SessionMarker() {
  Release();
}

std::string SessionMarker::PathOf(std::string_view caption) const {
  if (runtimeDir_.empty()) return {};
  std::string key = session_;
  key.push_back('\0');
  key.append(caption);
  char name[40];
  std::snprintf(name, sizeof name, "/vorthane-%016llx", static_cast<unsigned long long>(Hash(key)));
  return runtimeDir_ + name;
}

// The socket file goes too, unless another instance has replaced it meanwhile.
void SessionMarker::Release() {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
  struct stat info;
  if (OwnSocket(path_, info) && info.st_ino == inode_) unlink(path_.c_str());
  path_.clear();
}

void SessionMarker::Set(std::string_view caption) {
  Release();
  if (caption.empty() || Exists(caption)) return;  // another process's mark marks it all the same
  const std::string path = PathOf(caption);
  sockaddr_un address;
  if (!Address(path, address)) return;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  unlink(path.c_str());  // a marker nobody answers for
  struct stat info;
  // Nobody accepts: a full queue of connections answers "busy", which counts as present.
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 4) != 0 || !OwnSocket(path, info)) {
    close(fd);
    return;
  }
  fd_ = fd;
  path_ = path;
  inode_ = info.st_ino;
}

bool SessionMarker::Exists(std::string_view caption) const {
  const std::string path = PathOf(caption);
  sockaddr_un address;
  struct stat info;
  if (!Address(path, address) || !OwnSocket(path, info)) return false;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool found = false;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    // Only a process of this user counts.
    ucred peer{};
    socklen_t size = sizeof peer;
    found = getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
  } else {
    found = errno == EAGAIN;  // listening, with its queue full
  }
  close(fd);
  return found;
}

}  // namespace host::wayland

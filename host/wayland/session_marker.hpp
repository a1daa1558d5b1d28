// Wayland has no list of other clients' windows to search by title. Instances of the saver on
// one Wayland session find each other's captions through markers instead: a listening Unix
// socket per caption in the user's runtime folder (XDG_RUNTIME_DIR, which only that user may
// enter), named from the session and the caption. A marker whose process ended is a socket
// nobody listens on: it counts for nothing, and the next instance that marks the caption
// replaces it. Asking never blocks: a marker too busy to answer is there all the same.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace host::wayland {

class SessionMarker {
 public:
  // The session is named by the display's name (and, for a locker's child, its output); without
  // a runtime folder there are no markers.
  SessionMarker(std::string runtimeDir, std::string session);
  ~SessionMarker();
  SessionMarker(const SessionMarker&) = delete;
  SessionMarker& operator=(const SessionMarker&) = delete;

  // Marks this caption as set by this process (an empty caption marks nothing).
  void Set(std::string_view caption);
  // Whether some live process of this user and session holds a marker for this caption.
  bool Exists(std::string_view caption) const;

 private:
  // The marker's socket file, or empty when it cannot be named.
  std::string PathOf(std::string_view caption) const;
  void Release();

  std::string runtimeDir_;
  std::string session_;
  int fd_ = -1;
  std::string path_;  // the socket this process bound, and its inode
  ino_t inode_ = 0;
};

}  // namespace host::wayland

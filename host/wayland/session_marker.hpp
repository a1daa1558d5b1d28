// Wayland has no list of other clients' windows to search by title. Instances of the saver on
// one Wayland session find each other's captions through markers instead: a listening socket in
// the abstract namespace per caption, named from XDG_RUNTIME_DIR and WAYLAND_DISPLAY (the only
// environment this platform reads for it). The kernel removes a marker when its process ends.
#pragma once

#include <string>
#include <string_view>

namespace host::wayland {

class SessionMarker {
 public:
  // The session is named by the runtime folder and the display's name.
  SessionMarker(std::string runtimeDir, std::string display);
  ~SessionMarker();
  SessionMarker(const SessionMarker&) = delete;
  SessionMarker& operator=(const SessionMarker&) = delete;

  // Marks this caption as set by this process (an empty caption marks nothing).
  void Set(std::string_view caption);
  // Whether some process of this session holds a marker for this caption.
  bool Exists(std::string_view caption) const;

 private:
  std::string AddressOf(std::string_view caption) const;

  std::string session_;
  int fd_ = -1;
};

}  // namespace host::wayland

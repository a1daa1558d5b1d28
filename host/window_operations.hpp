// The window operations the runtime's emulation of the window-manager functions is built on,
// for a platform whose system does not have those functions itself.
#pragma once

#include <optional>

#include "host/basic_types.hpp"
#include "host/drawing/pixel_geometry.hpp"

namespace host {

class WindowOperations {
 public:
  virtual ~WindowOperations() = default;
  // A top-level window with this title, or for a null title the top-most top-level window (a
  // platform with no global list of windows has none to give); 0 when there is none. A platform
  // with no global list of windows keeps a marker per session for each title instead.
  virtual Hwnd FindTopLevelWindow(const char* title) = 0;
  // A host window's client size; nothing when it does not exist or cannot hold a child.
  virtual std::optional<drawing::PixelSize> HostClientSize(Hwnd host) = 0;
  // Makes the form's view a child of the host window (0: top-level again), as it is shown or
  // hidden. False when it cannot be done.
  virtual bool EmbedForm(Hwnd host) = 0;
  // Places the form's window (in its parent's client pixels) and shows or hides it, without
  // activating it; a missing `show` leaves the visibility alone.
  virtual void PlaceForm(const drawing::PixelRect& area, std::optional<bool> show) = 0;
  virtual void SetPointerHidden(bool hidden) = 0;
};

}  // namespace host

// What makes a surface the view of one output: an overlay layer surface where the compositor
// offers layer-shell, a fullscreen toplevel on that output where it offers only xdg-shell. The
// view itself (its buffers, frames, scale) is the same either way (OutputSurface).
#pragma once

#include <wayland-client.h>

#include <functional>
#include <memory>

#include "host/drawing/pixel_geometry.hpp"
#include "host/wayland/layer_shell.hpp"
#include "xdg-shell-client-protocol.h"

namespace host::wayland {

// What the compositor says about the surface in its role.
struct RoleEvents {
  // The surface's size in logical pixels (empty: the role leaves it to the client), after the
  // configuration has been acknowledged; the next commit applies it.
  std::function<void(drawing::PixelSize)> configured;
  // The compositor will not show the surface any more (its output went away).
  std::function<void()> closed;
  // A toplevel that has (true) or has lost (false) the user's focus; a layer surface never says.
  std::function<void(bool)> activated;
  // A toplevel the user or the compositor asked to close (from the overview, say).
  std::function<void()> closeAsked;
};

class SurfaceRole {
 public:
  virtual ~SurfaceRole() = default;
};

// An overlay layer surface on the output, anchored to all four edges, over every panel; with
// takeKeyboard it takes the keyboard for itself, otherwise no input at all.
std::unique_ptr<SurfaceRole> MakeOverlayLayer(zwlr_layer_shell_v1* shell, wl_surface* surface,
                                              wl_output* output, bool takeKeyboard,
                                              RoleEvents events);

// A toplevel shown fullscreen on the output, with no decoration of the compositor's; appId names
// the program to the desktop (which remembers what the user allowed it by that name).
std::unique_ptr<SurfaceRole> MakeFullscreenToplevel(xdg_wm_base* shell, wl_surface* surface,
                                                    wl_output* output, const char* appId,
                                                    RoleEvents events);

}  // namespace host::wayland

#include <algorithm>
#include <span>

#include "host/wayland/surface_role.hpp"

namespace host::wayland {
namespace {

class FullscreenToplevel : public SurfaceRole {
 public:
  FullscreenToplevel(xdg_wm_base* shell, wl_surface* surface, wl_output* output, const char* appId,
                     RoleEvents events)
      : events_(std::move(events)) {
    xdgSurface_ = xdg_wm_base_get_xdg_surface(shell, surface);
    static const xdg_surface_listener surfaceListener{&SurfaceConfigure};
    xdg_surface_add_listener(xdgSurface_, &surfaceListener, this);
    toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
    static const xdg_toplevel_listener toplevelListener{&ToplevelConfigure, &Close, nullptr,
                                                        nullptr};
    xdg_toplevel_add_listener(toplevel_, &toplevelListener, this);
    xdg_toplevel_set_app_id(toplevel_, appId);
    xdg_toplevel_set_title(toplevel_, appId);
    // Before the first commit, so that the first configuration is already the output's size.
    xdg_toplevel_set_fullscreen(toplevel_, output);
  }
  ~FullscreenToplevel() override {
    xdg_toplevel_destroy(toplevel_);
    xdg_surface_destroy(xdgSurface_);
  }
  FullscreenToplevel(const FullscreenToplevel&) = delete;
  FullscreenToplevel& operator=(const FullscreenToplevel&) = delete;

 private:
  // The toplevel's part of a configuration comes first; the surface's serial completes it.
  static void ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                                wl_array* states) {
    auto* self = static_cast<FullscreenToplevel*>(data);
    self->pendingSize_ = {std::max(width, 0), std::max(height, 0)};
    const std::span<const std::uint32_t> all(static_cast<const std::uint32_t*>(states->data),
                                             states->size / sizeof(std::uint32_t));
    self->pendingActivated_ =
        std::find(all.begin(), all.end(), XDG_TOPLEVEL_STATE_ACTIVATED) != all.end();
  }
  static void SurfaceConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
    auto* self = static_cast<FullscreenToplevel*>(data);
    xdg_surface_ack_configure(surface, serial);
    self->events_.configured(self->pendingSize_);
    if (self->pendingActivated_ != self->activated_) {
      self->activated_ = self->pendingActivated_;
      self->events_.activated(self->activated_);
    }
  }
  static void Close(void* data, xdg_toplevel*) {
    static_cast<FullscreenToplevel*>(data)->events_.closeAsked();
  }

  RoleEvents events_;
  xdg_surface* xdgSurface_ = nullptr;
  xdg_toplevel* toplevel_ = nullptr;
  drawing::PixelSize pendingSize_;
  bool pendingActivated_ = false;
  bool activated_ = false;
};

}  // namespace

std::unique_ptr<SurfaceRole> MakeFullscreenToplevel(xdg_wm_base* shell, wl_surface* surface,
                                                    wl_output* output, const char* appId,
                                                    RoleEvents events) {
  return std::make_unique<FullscreenToplevel>(shell, surface, output, appId, std::move(events));
}

}  // namespace host::wayland

#include "host/wayland/surface_role.hpp"

namespace host::wayland {
namespace {

constexpr std::uint32_t kAllEdges =
    ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

class OverlayLayer : public SurfaceRole {
 public:
  OverlayLayer(zwlr_layer_shell_v1* shell, wl_surface* surface, wl_output* output,
               bool takeKeyboard, RoleEvents events)
      : events_(std::move(events)) {
    layer_ = zwlr_layer_shell_v1_get_layer_surface(shell, surface, output,
                                                   ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "vorthane");
    static const zwlr_layer_surface_v1_listener listener{&Configure, &Closed};
    zwlr_layer_surface_v1_add_listener(layer_, &listener, this);
    zwlr_layer_surface_v1_set_anchor(layer_, kAllEdges);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    zwlr_layer_surface_v1_set_size(layer_, 0, 0);
    // Version 1..3 take a boolean; from 4 on, 1 is still "exclusive".
    zwlr_layer_surface_v1_set_keyboard_interactivity(layer_, takeKeyboard ? 1 : 0);
  }
  ~OverlayLayer() override { zwlr_layer_surface_v1_destroy(layer_); }
  OverlayLayer(const OverlayLayer&) = delete;
  OverlayLayer& operator=(const OverlayLayer&) = delete;

 private:
  static void Configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                        std::uint32_t width, std::uint32_t height) {
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    static_cast<OverlayLayer*>(data)->events_.configured(
        {static_cast<int>(width), static_cast<int>(height)});
  }
  static void Closed(void* data, zwlr_layer_surface_v1*) {
    static_cast<OverlayLayer*>(data)->events_.closed();
  }

  RoleEvents events_;
  zwlr_layer_surface_v1* layer_ = nullptr;
};

}  // namespace

std::unique_ptr<SurfaceRole> MakeOverlayLayer(zwlr_layer_shell_v1* shell, wl_surface* surface,
                                              wl_output* output, bool takeKeyboard,
                                              RoleEvents events) {
  return std::make_unique<OverlayLayer>(shell, surface, output, takeKeyboard, std::move(events));
}

}  // namespace host::wayland

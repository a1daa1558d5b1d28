#include "host/wayland/output_surface.hpp"

namespace host::wayland {
namespace {

constexpr std::uint32_t kAllEdges =
    ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

}  // namespace

OutputSurface::OutputSurface(wl_output* output, std::uint32_t name, Changed changed)
    : output_(output), name_(name), changed_(std::move(changed)) {
  // Bound at version 3: the name and description of version 4 never come.
  static const wl_output_listener listener{&OutputGeometry, &OutputMode, &OutputDone,
                                           &OutputScale,    nullptr,     nullptr};
  wl_output_add_listener(output_, &listener, this);
}

OutputSurface::~OutputSurface() {
  Uncover();
  if (wl_output_get_version(output_) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
    wl_output_release(output_);
  } else {
    wl_output_destroy(output_);
  }
}

void OutputSurface::OutputScale(void* data, wl_output*, std::int32_t factor) {
  static_cast<OutputSurface*>(data)->pendingScale_ = factor > 0 ? factor : 1;
}

// A new scale takes effect with the output's other changes; the surface is shown anew at it.
void OutputSurface::OutputDone(void* data, wl_output*) {
  auto* self = static_cast<OutputSurface*>(data);
  if (self->pendingScale_ == self->scale_) return;
  self->scale_ = self->pendingScale_;
  if (self->surface_ != nullptr && self->size_.width != 0) {
    for (auto& buffer : self->buffers_) buffer.reset();
    self->changed_(*self);
  }
}

void OutputSurface::Cover(const Globals& globals, bool takeKeyboard) {
  if (surface_ != nullptr || globals.layerShell == nullptr) return;
  shm_ = globals.shm;
  closed_ = false;
  surface_ = wl_compositor_create_surface(globals.compositor);
  layer_ = zwlr_layer_shell_v1_get_layer_surface(globals.layerShell, surface_, output_,
                                                 ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "vorthane");
  static const zwlr_layer_surface_v1_listener listener{&Configure, &Closed};
  zwlr_layer_surface_v1_add_listener(layer_, &listener, this);
  zwlr_layer_surface_v1_set_anchor(layer_, kAllEdges);
  zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
  zwlr_layer_surface_v1_set_size(layer_, 0, 0);
  // Version 1..3 take a boolean; from 4 on, 1 is still "exclusive".
  zwlr_layer_surface_v1_set_keyboard_interactivity(layer_, takeKeyboard ? 1 : 0);
  if (!takeKeyboard) {
    // Input passes through to whatever handles it (a locker, say): an empty input region.
    wl_region* none = wl_compositor_create_region(globals.compositor);
    wl_surface_set_input_region(surface_, none);
    wl_region_destroy(none);
  }
  wl_surface_commit(surface_);
}

void OutputSurface::Uncover() {
  for (auto& buffer : buffers_) buffer.reset();
  if (layer_ != nullptr) zwlr_layer_surface_v1_destroy(layer_);
  if (surface_ != nullptr) wl_surface_destroy(surface_);
  layer_ = nullptr;
  surface_ = nullptr;
  size_ = {};
}

void OutputSurface::Configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                              std::uint32_t width, std::uint32_t height) {
  auto* self = static_cast<OutputSurface*>(data);
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  const drawing::PixelSize size{static_cast<int>(width), static_cast<int>(height)};
  if (size == self->size_) return;
  self->size_ = size;
  for (auto& buffer : self->buffers_) buffer.reset();
  self->changed_(*self);
}

// The output went away or the compositor will not show the surface any more.
void OutputSurface::Closed(void* data, zwlr_layer_surface_v1*) {
  auto* self = static_cast<OutputSurface*>(data);
  self->closed_ = true;
  self->changed_(*self);
}

ShmBuffer* OutputSurface::FreeBuffer() {
  const drawing::PixelSize wanted{size_.width * scale_, size_.height * scale_};
  for (auto& buffer : buffers_) {
    if (buffer && buffer->busy()) continue;
    if (!buffer || buffer->size() != wanted) buffer = ShmBuffer::Create(shm_, wanted);
    return buffer.get();
  }
  return nullptr;
}

void OutputSurface::Show(pixman_image_t* backBuffer, std::span<const drawing::PixelRect> boxes) {
  if (surface_ == nullptr || size_.width == 0 || backBuffer == nullptr) return;
  // What is new on the screen, in buffer pixels: every buffer has to catch up with it.
  pixman_region32_t fresh;
  pixman_region32_init(&fresh);
  for (const drawing::PixelRect& box : boxes) {
    const drawing::PixelRect part = drawing::Intersect(box, {0, 0, size_.width, size_.height});
    if (part.Empty()) continue;
    pixman_region32_union_rect(&fresh, &fresh, part.x * scale_, part.y * scale_,
                               static_cast<unsigned>(part.width * scale_),
                               static_cast<unsigned>(part.height * scale_));
  }
  for (auto& buffer : buffers_) {
    if (buffer) pixman_region32_union(&buffer->stale(), &buffer->stale(), &fresh);
  }
  ShmBuffer* target = FreeBuffer();  // a new one starts all stale
  if (target == nullptr || !pixman_region32_not_empty(&target->stale())) {
    pixman_region32_fini(&fresh);
    return;  // both still with the compositor: the next frame catches up
  }
  // Each logical pixel becomes scale x scale buffer pixels.
  pixman_transform_t transform;
  pixman_transform_init_scale(&transform, pixman_int_to_fixed(1) / scale_,
                              pixman_int_to_fixed(1) / scale_);
  if (scale_ != 1) pixman_image_set_transform(backBuffer, &transform);
  pixman_image_set_clip_region32(target->image(), &target->stale());
  pixman_image_composite32(PIXMAN_OP_SRC, backBuffer, nullptr, target->image(), 0, 0, 0, 0, 0, 0,
                           target->size().width, target->size().height);
  pixman_image_set_clip_region32(target->image(), nullptr);
  if (scale_ != 1) pixman_image_set_transform(backBuffer, nullptr);
  int count = 0;
  const pixman_box32_t* rects = pixman_region32_rectangles(&target->stale(), &count);
  wl_surface_set_buffer_scale(surface_, scale_);
  wl_surface_attach(surface_, target->buffer(), 0, 0);
  for (int i = 0; i < count; ++i) {
    wl_surface_damage_buffer(surface_, rects[i].x1, rects[i].y1, rects[i].x2 - rects[i].x1,
                             rects[i].y2 - rects[i].y1);
  }
  wl_surface_commit(surface_);
  target->MarkBusy();
  pixman_region32_clear(&target->stale());
  pixman_region32_fini(&fresh);
}

}  // namespace host::wayland

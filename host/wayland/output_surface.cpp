#include "host/wayland/output_surface.hpp"

#include <algorithm>

namespace host::wayland {
namespace {

constexpr std::uint32_t kAllEdges =
    ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

pixman_color_t Colour(drawing::Rgb c) {
  return pixman_color_t{static_cast<std::uint16_t>(c.red * 257),
                        static_cast<std::uint16_t>(c.green * 257),
                        static_cast<std::uint16_t>(c.blue * 257), 0xFFFF};
}

// The area grown to whole logical pixels, so that the subsurface can sit exactly on it.
drawing::PixelRect OnLogicalPixels(const drawing::PixelRect& area, int scale) {
  const int left = area.x / scale * scale;
  const int top = area.y / scale * scale;
  const int right = (area.Right() + scale - 1) / scale * scale;
  const int bottom = (area.Bottom() + scale - 1) / scale * scale;
  return {left, top, right - left, bottom - top};
}

wl_region* EmptyRegion(wl_compositor* compositor) {
  return wl_compositor_create_region(compositor);
}

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

// A new scale takes effect with the output's other changes: the view is drawn anew at it.
void OutputSurface::OutputDone(void* data, wl_output*) {
  auto* self = static_cast<OutputSurface*>(data);
  if (self->pendingScale_ == self->scale_) return;
  self->scale_ = self->pendingScale_;
  if (self->surface_ == nullptr) return;
  for (auto& buffer : self->buffers_) buffer.reset();
  self->groundBuffer_.reset();
  self->groundShown_ = false;
  self->sceneArea_ = {};
  self->canvas_ =
      std::make_unique<PixmanCanvas>(*self->measurer_, static_cast<CanvasScreen&>(*self));
  ++self->generation_;
  if (self->configured()) self->changed_(*self);
}

void OutputSurface::Cover(const Globals& globals, bool takeKeyboard, FreeTypeMeasurer& measurer) {
  if (surface_ != nullptr || globals.layerShell == nullptr) return;
  globals_ = globals;
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
    // Input passes through to whatever handles it (a locker, say).
    wl_region* none = EmptyRegion(globals.compositor);
    wl_surface_set_input_region(surface_, none);
    wl_region_destroy(none);
  }
  if (globals.viewporter != nullptr)
    viewport_ = wp_viewporter_get_viewport(globals.viewporter, surface_);
  // The scene's subsurface shows its buffers as soon as they are committed, and leaves the
  // pointer to the layer surface, whose coordinates cover the whole view.
  scene_ = wl_compositor_create_surface(globals.compositor);
  subsurface_ = wl_subcompositor_get_subsurface(globals.subcompositor, scene_, surface_);
  wl_subsurface_set_desync(subsurface_);
  wl_region* none = EmptyRegion(globals.compositor);
  wl_surface_set_input_region(scene_, none);
  wl_region_destroy(none);
  measurer_ = &measurer;
  canvas_ = std::make_unique<PixmanCanvas>(measurer, static_cast<CanvasScreen&>(*this));
  ++generation_;
  wl_surface_commit(surface_);
}

void OutputSurface::Uncover() {
  canvas_.reset();
  for (auto& buffer : buffers_) buffer.reset();
  groundBuffer_.reset();
  groundShown_ = false;
  sceneArea_ = {};
  if (subsurface_ != nullptr) wl_subsurface_destroy(subsurface_);
  if (scene_ != nullptr) wl_surface_destroy(scene_);
  if (viewport_ != nullptr) wp_viewport_destroy(viewport_);
  if (layer_ != nullptr) zwlr_layer_surface_v1_destroy(layer_);
  if (surface_ != nullptr) wl_surface_destroy(surface_);
  subsurface_ = nullptr;
  scene_ = nullptr;
  viewport_ = nullptr;
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
  self->groundBuffer_.reset();
  self->groundShown_ = false;
  self->changed_(*self);
}

// The output went away or the compositor will not show the surface any more.
void OutputSurface::Closed(void* data, zwlr_layer_surface_v1*) {
  auto* self = static_cast<OutputSurface*>(data);
  self->closed_ = true;
  self->changed_(*self);
}

drawing::PixelSize OutputSurface::Size() {
  return {size_.width * scale_, size_.height * scale_};
}

void OutputSurface::Ground(const drawing::PixelRect&, drawing::Rgb colour) {
  if (colour == ground_ && groundBuffer_) return;
  ground_ = colour;
  groundBuffer_.reset();
  groundShown_ = false;
}

// The ground is one colour: one pixel stretched over the output, or a buffer as large as it.
void OutputSurface::ShowGround() {
  if (groundShown_ || !configured()) return;
  const bool stretched = viewport_ != nullptr;
  const drawing::PixelSize size = stretched ? drawing::PixelSize{1, 1} : Size();
  groundBuffer_ = ShmBuffer::Create(globals_.shm, size);
  if (!groundBuffer_) return;
  const pixman_color_t c = Colour(ground_);
  const pixman_box32_t all{0, 0, size.width, size.height};
  pixman_image_fill_boxes(PIXMAN_OP_SRC, groundBuffer_->image(), &c, 1, &all);
  if (stretched) {
    wp_viewport_set_destination(viewport_, size_.width, size_.height);
    wl_surface_set_buffer_scale(surface_, 1);
  } else {
    wl_surface_set_buffer_scale(surface_, scale_);
  }
  wl_surface_attach(surface_, groundBuffer_->buffer(), 0, 0);
  wl_surface_damage_buffer(surface_, 0, 0, size.width, size.height);
  groundShown_ = true;
}

ShmBuffer* OutputSurface::FreeBuffer(drawing::PixelSize size) {
  for (auto& buffer : buffers_) {
    if (buffer && buffer->busy()) continue;
    if (!buffer || buffer->size() != size) buffer = ShmBuffer::Create(globals_.shm, size);
    return buffer.get();
  }
  return nullptr;
}

void OutputSurface::Show(pixman_image_t* backBuffer, const drawing::PixelRect& area,
                         std::span<const drawing::PixelRect> boxes) {
  if (!configured()) return;
  bool commitGround = !groundShown_;
  ShowGround();
  // A new scene area: the subsurface moves there and its buffers start afresh.
  const drawing::PixelRect sceneArea = OnLogicalPixels(area, scale_);
  if (sceneArea != sceneArea_) {
    sceneArea_ = sceneArea;
    for (auto& buffer : buffers_) buffer.reset();
    wl_subsurface_set_position(subsurface_, sceneArea.x / scale_, sceneArea.y / scale_);
    commitGround = true;
  }
  // What is new, in the buffers' pixels: every buffer has to catch up with it.
  pixman_region32_t fresh;
  pixman_region32_init(&fresh);
  for (const drawing::PixelRect& box : boxes) {
    const drawing::PixelRect part = drawing::Intersect(box, area);
    if (part.Empty()) continue;
    pixman_region32_union_rect(&fresh, &fresh, part.x - sceneArea.x, part.y - sceneArea.y,
                               static_cast<unsigned>(part.width),
                               static_cast<unsigned>(part.height));
  }
  for (auto& buffer : buffers_) {
    if (buffer) pixman_region32_union(&buffer->stale(), &buffer->stale(), &fresh);
  }
  pixman_region32_fini(&fresh);
  ShmBuffer* target = FreeBuffer({sceneArea.width, sceneArea.height});
  if (target != nullptr && pixman_region32_not_empty(&target->stale())) {
    // The ground under everything stale, then the back buffer's pixels over their part of it.
    int count = 0;
    const pixman_box32_t* stale = pixman_region32_rectangles(&target->stale(), &count);
    const pixman_color_t ground = Colour(ground_);
    pixman_image_fill_boxes(PIXMAN_OP_SRC, target->image(), &ground, count, stale);
    pixman_image_set_clip_region32(target->image(), &target->stale());
    pixman_image_composite32(PIXMAN_OP_SRC, backBuffer, nullptr, target->image(), 0, 0, 0, 0,
                             area.x - sceneArea.x, area.y - sceneArea.y, area.width, area.height);
    pixman_image_set_clip_region32(target->image(), nullptr);
    wl_surface_set_buffer_scale(scene_, scale_);
    wl_surface_attach(scene_, target->buffer(), 0, 0);
    for (int i = 0; i < count; ++i) {
      wl_surface_damage_buffer(scene_, stale[i].x1, stale[i].y1, stale[i].x2 - stale[i].x1,
                               stale[i].y2 - stale[i].y1);
    }
    wl_surface_commit(scene_);
    target->MarkBusy();
    pixman_region32_clear(&target->stale());
  }
  // Both buffers still with the compositor: the next frame catches up.
  if (commitGround) wl_surface_commit(surface_);
}

}  // namespace host::wayland

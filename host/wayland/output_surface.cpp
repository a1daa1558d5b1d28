#include "host/wayland/output_surface.hpp"

#include <poll.h>

#include <algorithm>
#include <bit>
#include <numeric>

#include "host/posix/fd_wait.hpp"

namespace host::wayland {
namespace {

// How long a frame waits for the compositor to let go of a buffer.
constexpr std::int64_t kBufferWaitNs = 200'000'000;

pixman_color_t Colour(drawing::Rgb c) {
  return pixman_color_t{static_cast<std::uint16_t>(c.red * 257),
                        static_cast<std::uint16_t>(c.green * 257),
                        static_cast<std::uint16_t>(c.blue * 257), 0xFFFF};
}

// A scale of n/120 as the smallest fraction pixels / logical pixels.
struct Ratio {
  int pixels;
  int logical;
};
Ratio RatioOf(int scale120) {
  const int divisor = std::gcd(scale120, 120);
  return {scale120 / divisor, 120 / divisor};
}

// The area grown to whole logical pixels, so that the subsurface can sit exactly on it.
drawing::PixelRect OnLogicalPixels(const drawing::PixelRect& area, int scale120) {
  const int step = RatioOf(scale120).pixels;
  const int left = area.x / step * step;
  const int top = area.y / step * step;
  const int right = (area.Right() + step - 1) / step * step;
  const int bottom = (area.Bottom() + step - 1) / step * step;
  return {left, top, right - left, bottom - top};
}

// n without its factors of two.
int OddPart(int n) {
  return n > 0 ? n >> std::countr_zero(static_cast<unsigned>(n)) : 1;
}

wl_region* EmptyRegion(wl_compositor* compositor) {
  return wl_compositor_create_region(compositor);
}

}  // namespace

OutputSurface::OutputSurface(wl_output* output, std::uint32_t name, Changed changed,
                             FocusChanged focusChanged)
    : output_(output),
      name_(name),
      changed_(std::move(changed)),
      focusChanged_(std::move(focusChanged)) {
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

void OutputSurface::OutputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                               std::int32_t height, std::int32_t) {
  if ((flags & WL_OUTPUT_MODE_CURRENT) != 0)
    static_cast<OutputSurface*>(data)->mode_ = {width, height};
}

void OutputSurface::OutputScale(void* data, wl_output*, std::int32_t factor) {
  static_cast<OutputSurface*>(data)->pendingScale_ = factor > 0 ? factor : 1;
}

// A new scale takes effect with the output's other changes: the view is drawn anew at it.
void OutputSurface::OutputDone(void* data, wl_output*) {
  auto* self = static_cast<OutputSurface*>(data);
  const int before = self->Scale120();
  self->scale_ = self->pendingScale_;
  if (self->Scale120() != before) self->Rescale();
}

void OutputSurface::PreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale120) {
  auto* self = static_cast<OutputSurface*>(data);
  const int before = self->Scale120();
  self->scale120_ = static_cast<int>(scale120);
  if (self->Scale120() != before) self->Rescale();
}

void OutputSurface::Rescale() {
  if (surface_ == nullptr) return;
  ForgetScene();
  groundBuffer_.reset();
  groundShown_ = false;
  canvas_ = std::make_unique<software::PixmanCanvas>(*measurer_,
                                                     static_cast<software::CanvasScreen&>(*this));
  ++generation_;
  if (configured()) changed_(*this);
}

int OutputSurface::ToLogical(int pixels) const {
  const Ratio ratio = RatioOf(Scale120());
  return pixels / ratio.pixels * ratio.logical;
}

void OutputSurface::Cover(const Globals& globals, bool takeKeyboard,
                          software::FreeTypeMeasurer& measurer) {
  if (surface_ != nullptr || (globals.layerShell == nullptr && globals.wmBase == nullptr)) return;
  globals_ = globals;
  closed_ = false;
  activated_ = false;
  closeAsked_ = false;
  surface_ = wl_compositor_create_surface(globals.compositor);
  RoleEvents events{[this](drawing::PixelSize size) { Configured(size); }, [this] { Closed(); },
                    [this](bool activated) {
                      activated_ = activated;
                      if (focusChanged_) focusChanged_(*this);
                    },
                    [this] {
                      closeAsked_ = true;
                      if (focusChanged_) focusChanged_(*this);
                    }};
  role_ = globals.layerShell != nullptr ? MakeOverlayLayer(globals.layerShell, surface_, output_,
                                                           takeKeyboard, std::move(events))
                                        : MakeFullscreenToplevel(globals.wmBase, surface_, output_,
                                                                 "vorthane", std::move(events));
  // A toplevel asks once it has the focus (InhibitShortcuts).
  if (takeKeyboard && globals.layerShell != nullptr) InhibitShortcuts();
  if (!takeKeyboard) {
    // Input passes through to whatever handles it (a locker, say).
    wl_region* none = EmptyRegion(globals.compositor);
    wl_surface_set_input_region(surface_, none);
    wl_region_destroy(none);
  }
  if (globals.viewporter != nullptr)
    viewport_ = wp_viewporter_get_viewport(globals.viewporter, surface_);
  if (globals.viewporter != nullptr && globals.fractionalScale != nullptr) {
    // The view is drawn at the exact pixel size the compositor shows it at, not at the next
    // whole scale and shrunk.
    static const wp_fractional_scale_v1_listener fractionalListener{&PreferredScale};
    fractional_ =
        wp_fractional_scale_manager_v1_get_fractional_scale(globals.fractionalScale, surface_);
    wp_fractional_scale_v1_add_listener(fractional_, &fractionalListener, this);
  }
  // The scene's subsurface shows its buffers as soon as they are committed; the role's
  // surface is committed after each frame too, since sway 1.7 repaints a desynchronized
  // subsurface's damage only then. It leaves the pointer to the role's surface, whose
  // coordinates cover the whole view.
  scene_ = wl_compositor_create_surface(globals.compositor);
  subsurface_ = wl_subcompositor_get_subsurface(globals.subcompositor, scene_, surface_);
  wl_subsurface_set_desync(subsurface_);
  if (fractional_ != nullptr)
    sceneViewport_ = wp_viewporter_get_viewport(globals.viewporter, scene_);
  wl_region* none = EmptyRegion(globals.compositor);
  wl_surface_set_input_region(scene_, none);
  wl_region_destroy(none);
  measurer_ = &measurer;
  canvas_ = std::make_unique<software::PixmanCanvas>(measurer,
                                                     static_cast<software::CanvasScreen&>(*this));
  ++generation_;
  wl_surface_commit(surface_);
}

// The compositor's key bindings (closing the window behind, starting programs, its overview) do
// not run while the saver has the keyboard; only those its user marked to run regardless do. A
// compositor may first ask its user (GNOME shows a dialog over the saver) and says when it has
// decided.
void OutputSurface::InhibitShortcuts() {
  if (inhibitor_ != nullptr || surface_ == nullptr || globals_.shortcutsInhibit == nullptr ||
      globals_.seat == nullptr) {
    return;
  }
  inhibitor_ = zwp_keyboard_shortcuts_inhibit_manager_v1_inhibit_shortcuts(
      globals_.shortcutsInhibit, surface_, globals_.seat);
  static const zwp_keyboard_shortcuts_inhibitor_v1_listener listener{&InhibitorAnswer,
                                                                     &InhibitorAnswer};
  zwp_keyboard_shortcuts_inhibitor_v1_add_listener(inhibitor_, &listener, this);
}

void OutputSurface::InhibitorAnswer(void* data, zwp_keyboard_shortcuts_inhibitor_v1*) {
  auto* self = static_cast<OutputSurface*>(data);
  self->inhibitorAnswered_ = true;
  if (self->focusChanged_) self->focusChanged_(*self);
}

void OutputSurface::ForgetScene() {
  for (auto& buffer : buffers_) buffer.reset();
  shown_ = -1;
  drawing_ = -1;
  sceneArea_ = {};
}

std::int64_t OutputSurface::FrameLateAtNs() const {
  return frame_ != nullptr && seen_ ? frameAskedNs_ + kUnseenAfterNs : kNoDeadline;
}

void OutputSurface::AskFrame() {
  if (frame_ != nullptr) return;
  static const wl_callback_listener listener{&FrameDone};
  frame_ = wl_surface_frame(surface_);
  wl_callback_add_listener(frame_, &listener, this);
  frameAskedNs_ = posix::MonotonicNowNs();
}

void OutputSurface::Probe() {
  if (seen_ || surface_ == nullptr || !groundShown_ || !groundBuffer_) return;
  wl_surface_attach(surface_, groundBuffer_->buffer(), 0, 0);
  wl_surface_damage_buffer(surface_, 0, 0, 1, 1);
  AskFrame();
  wl_surface_commit(surface_);
}

// The compositor shows the view again: a view it had hidden is drawn whole.
void OutputSurface::FrameDone(void* data, wl_callback* callback, std::uint32_t) {
  auto* self = static_cast<OutputSurface*>(data);
  wl_callback_destroy(callback);
  self->frame_ = nullptr;
  if (self->seen_) return;
  self->seen_ = true;
  self->changed_(*self);
}

void OutputSurface::Uncover() {
  if (frame_ != nullptr) wl_callback_destroy(frame_);
  frame_ = nullptr;
  seen_ = true;
  canvas_.reset();
  ForgetScene();
  groundBuffer_.reset();
  groundShown_ = false;
  if (sceneViewport_ != nullptr) wp_viewport_destroy(sceneViewport_);
  if (fractional_ != nullptr) wp_fractional_scale_v1_destroy(fractional_);
  if (subsurface_ != nullptr) wl_subsurface_destroy(subsurface_);
  if (scene_ != nullptr) wl_surface_destroy(scene_);
  if (viewport_ != nullptr) wp_viewport_destroy(viewport_);
  if (inhibitor_ != nullptr) zwp_keyboard_shortcuts_inhibitor_v1_destroy(inhibitor_);
  role_.reset();
  if (surface_ != nullptr) wl_surface_destroy(surface_);
  sceneViewport_ = nullptr;
  fractional_ = nullptr;
  scale120_ = 0;
  subsurface_ = nullptr;
  scene_ = nullptr;
  viewport_ = nullptr;
  inhibitor_ = nullptr;
  inhibitorAnswered_ = false;
  surface_ = nullptr;
  activated_ = false;
  closeAsked_ = false;
  size_ = {};
}

// A role that leaves the size to the client (a toplevel configured before it is fullscreen) is
// given the output's: its mode in logical pixels.
void OutputSurface::Configured(drawing::PixelSize size) {
  if (size.width <= 0 || size.height <= 0) size = {mode_.width / scale_, mode_.height / scale_};
  if (size == size_) return;
  size_ = size;
  groundBuffer_.reset();
  groundShown_ = false;
  // The ground it showed is gone: it is drawn at once at the new size, even where the view was
  // hidden (a surface without content gets no frames, so it would never count as seen again).
  seen_ = true;
  changed_(*this);
}

// The output went away or the compositor will not show the surface any more.
void OutputSurface::Closed() {
  closed_ = true;
  changed_(*this);
}

// Rounded as compositors round a surface's size at a fractional scale.
drawing::PixelSize OutputSurface::Size() {
  const int scale120 = Scale120();
  return {(size_.width * scale120 + 60) / 120, (size_.height * scale120 + 60) / 120};
}

void OutputSurface::Ground(const drawing::PixelRect&, drawing::Rgb colour) {
  if (colour == ground_ && groundBuffer_) return;
  ground_ = colour;
  groundBuffer_.reset();
  groundShown_ = false;
}

// The ground is one colour: a small buffer stretched over the output, or a buffer as large as
// it. Each side of the small one is the output's pixels divided by the largest power of two
// that divides them (1920x1080 gives 15x135), so the stretch is exact in any arithmetic: a
// single pixel stretched over 1080 rows is rounded by some compositors (wlroots' pixman
// renderer) so that the last rows sample outside it and stay uncovered.
void OutputSurface::ShowGround() {
  if (groundShown_ || !configured()) return;
  const bool stretched = viewport_ != nullptr;
  const drawing::PixelSize size =
      stretched ? drawing::PixelSize{OddPart(Size().width), OddPart(Size().height)} : Size();
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

int OutputSurface::IdleBuffer() {
  if (shown_ >= 0 && !buffers_[shown_]->busy()) return shown_;  // already up to date
  for (std::size_t i = 0; i < buffers_.size(); ++i) {
    if (buffers_[i] && !buffers_[i]->busy()) return static_cast<int>(i);
  }
  for (std::size_t i = 0; i < buffers_.size(); ++i) {
    if (buffers_[i]) continue;
    buffers_[i] =
        ShmBuffer::Create(globals_.shm, {sceneArea_.width, sceneArea_.height}, globals_.releases);
    return buffers_[i] ? static_cast<int>(i) : -1;
  }
  return -1;
}

// A slow compositor (a large output on a software renderer) can hold every buffer for a while.
// A frame it skipped would leave the parts it erased on the screen, so the frame waits for a
// buffer, reading only their releases, for a moment; only then is it dropped.
int OutputSurface::FreeBuffer() {
  wl_display* display = globals_.display;
  wl_event_queue* releases = globals_.releases;
  if (display == nullptr || releases == nullptr) return IdleBuffer();
  const std::int64_t deadline = posix::MonotonicNowNs() + kBufferWaitNs;
  for (;;) {
    // Releases already read from the connection (by the event loop, say) first.
    if (wl_display_dispatch_queue_pending(display, releases) < 0) return -1;
    const int free = IdleBuffer();
    if (free >= 0 || posix::MonotonicNowNs() >= deadline) return free;
    if (wl_display_prepare_read_queue(display, releases) != 0) continue;
    wl_display_flush(display);
    pollfd fd{wl_display_get_fd(display), POLLIN, 0};
    if (posix::WaitForDescriptors(&fd, 1, deadline) && fd.revents != 0) {
      if (wl_display_read_events(display) < 0) return -1;
    } else {
      wl_display_cancel_read(display);
    }
  }
}

void OutputSurface::SetSceneArea(const drawing::PixelRect& area) {
  const drawing::PixelRect sceneArea = OnLogicalPixels(area, Scale120());
  if (sceneArea == sceneArea_) return;
  ForgetScene();
  sceneArea_ = sceneArea;
  sceneMoved_ = true;
}

software::DrawTarget OutputSurface::Target() {
  if (!configured() || sceneArea_.Empty()) return {};
  if (drawing_ < 0) {
    drawing_ = FreeBuffer();
    if (drawing_ < 0) return {};
    ShmBuffer& target = *buffers_[drawing_];
    if (drawing_ != shown_ && pixman_region32_not_empty(&target.stale())) {
      // The ground where nothing was shown yet, the shown buffer's pixels where it differs.
      if (shown_ < 0) {
        int count = 0;
        const pixman_box32_t* stale = pixman_region32_rectangles(&target.stale(), &count);
        const pixman_color_t ground = Colour(ground_);
        pixman_image_fill_boxes(PIXMAN_OP_SRC, target.image(), &ground, count, stale);
      } else {
        pixman_image_set_clip_region32(target.image(), &target.stale());
        pixman_image_composite32(PIXMAN_OP_SRC, buffers_[shown_]->image(), nullptr, target.image(),
                                 0, 0, 0, 0, 0, 0, sceneArea_.width, sceneArea_.height);
        pixman_image_set_clip_region32(target.image(), nullptr);
      }
    }
    pixman_region32_clear(&target.stale());
  }
  return software::DrawTarget{buffers_[drawing_]->image(), sceneArea_.x, sceneArea_.y};
}

void OutputSurface::Show(std::span<const drawing::PixelRect> boxes) {
  if (!configured()) return;
  bool commitGround = !groundShown_;
  ShowGround();
  if (sceneMoved_) {
    wl_subsurface_set_position(subsurface_, ToLogical(sceneArea_.x), ToLogical(sceneArea_.y));
    if (sceneViewport_ != nullptr) {
      wp_viewport_set_destination(sceneViewport_, ToLogical(sceneArea_.width),
                                  ToLogical(sceneArea_.height));
    }
    sceneMoved_ = false;
    commitGround = true;
  }
  if (drawing_ >= 0) {
    // What changed, in the buffers' pixels: the other buffers are behind by that much.
    pixman_region32_t changed;
    pixman_region32_init(&changed);
    for (const drawing::PixelRect& box : boxes) {
      pixman_region32_union_rect(&changed, &changed, box.x - sceneArea_.x, box.y - sceneArea_.y,
                                 static_cast<unsigned>(box.width),
                                 static_cast<unsigned>(box.height));
    }
    for (std::size_t i = 0; i < buffers_.size(); ++i) {
      if (buffers_[i] && static_cast<int>(i) != drawing_) {
        pixman_region32_union(&buffers_[i]->stale(), &buffers_[i]->stale(), &changed);
      }
    }
    ShmBuffer& target = *buffers_[drawing_];
    wl_surface_set_buffer_scale(scene_, sceneViewport_ != nullptr ? 1 : scale_);
    wl_surface_attach(scene_, target.buffer(), 0, 0);
    if (shown_ < 0) {
      wl_surface_damage_buffer(scene_, 0, 0, sceneArea_.width, sceneArea_.height);
    } else {
      int count = 0;
      const pixman_box32_t* rects = pixman_region32_rectangles(&changed, &count);
      for (int i = 0; i < count; ++i) {
        wl_surface_damage_buffer(scene_, rects[i].x1, rects[i].y1, rects[i].x2 - rects[i].x1,
                                 rects[i].y2 - rects[i].y1);
      }
    }
    pixman_region32_fini(&changed);
    wl_surface_commit(scene_);
    target.MarkBusy();
    shown_ = drawing_;
    drawing_ = -1;
    commitGround = true;
  }
  if (commitGround) {
    AskFrame();
    wl_surface_commit(surface_);
  }
}

}  // namespace host::wayland

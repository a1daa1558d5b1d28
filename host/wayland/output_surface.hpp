// One output of the compositor and, while the form is shown full-screen, the view that covers
// it: a surface in the role the compositor offers (an overlay layer surface over every panel, or
// a fullscreen toplevel on the output; surface_role.hpp), taking the keyboard for itself (and the
// compositor's key bindings where it can). That surface shows the plain ground (a few pixels
// stretched exactly over the output where the compositor can scale them); a subsurface over the
// scene's part of the view shows shared-memory buffers the canvas draws into, and each frame
// commits both surfaces. A frame is drawn into a buffer the compositor does not hold, first brought
// up to date with the one shown (only where they differ), so two buffers are all the scene's
// pixels. The view's pixels are the output's own: scale 2 draws the scene at 192 dots per inch.
#pragma once

#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "fractional-scale-v1-client-protocol.h"
#include "host/drawing/pixel_geometry.hpp"
#include "host/platform.hpp"
#include "host/software/freetype_measurer.hpp"
#include "host/software/pixman_canvas.hpp"
#include "host/wayland/shm_buffer.hpp"
#include "host/wayland/surface_role.hpp"
#include "keyboard-shortcuts-inhibit-unstable-v1-client-protocol.h"
#include "viewporter-client-protocol.h"

namespace host::wayland {

// How long a compositor may leave a frame unanswered before the view counts as hidden: far
// longer than any output's refresh.
inline constexpr std::int64_t kUnseenAfterNs = 1'000'000'000;

class OutputSurface : private software::CanvasScreen {
 public:
  struct Globals {
    wl_compositor* compositor = nullptr;
    wl_subcompositor* subcompositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    // Where there is no layer-shell: each view a fullscreen toplevel.
    xdg_wm_base* wmBase = nullptr;
    wp_viewporter* viewporter = nullptr;  // may be missing: the ground is then a whole buffer
    // May be missing: the compositor's own key bindings then still run over the saver.
    zwp_keyboard_shortcuts_inhibit_manager_v1* shortcutsInhibit = nullptr;
    // May be missing: a fractional scale is then drawn at the next whole one and shrunk.
    wp_fractional_scale_manager_v1* fractionalScale = nullptr;
    wl_seat* seat = nullptr;  // none for a locker's child
    // The scene's buffers' releases come on their own queue, so that a frame can wait for one
    // without dispatching anything else in the middle of drawing.
    wl_display* display = nullptr;
    wl_event_queue* releases = nullptr;
  };
  // Called when the view's size or scale is first known or changes, and when the compositor
  // took the surface away.
  using Changed = std::function<void(OutputSurface&)>;
  // Called when a toplevel view gains or loses the user's focus (activated()), when its
  // request to hold back the compositor's keys is answered, and when it is asked to close.
  using FocusChanged = std::function<void(OutputSurface&)>;

  OutputSurface(wl_output* output, std::uint32_t name, Changed changed,
                FocusChanged focusChanged = {});
  ~OutputSurface() override;
  OutputSurface(const OutputSurface&) = delete;
  OutputSurface& operator=(const OutputSurface&) = delete;

  std::uint32_t name() const { return name_; }  // the registry's name of the output
  wl_surface* surface() const { return surface_; }
  // The view's pixels for each logical pixel, in 120ths: the compositor's preferred fractional
  // scale once it has said it, the output's whole scale before (or without the protocol).
  int Scale120() const { return scale120_ > 0 ? scale120_ : scale_ * 120; }
  int Dpi() const { return drawing::kStandardDpi * Scale120() / 120; }
  // The view's canvas, from Cover until Uncover; its size is empty until configured. A new
  // scale gives the view a new canvas (a painter's pictures and text are drawn for one scale),
  // and the canvas a new generation.
  drawing::Canvas* canvas() { return canvas_.get(); }
  int generation() const { return generation_; }
  bool configured() const { return surface_ != nullptr && size_.width > 0; }
  bool closed() const { return closed_; }
  // Whether the compositor gave this view (a toplevel) the user's focus.
  bool activated() const { return activated_; }
  // Whether the user or the compositor asked to close this view (a toplevel).
  bool closeAsked() const { return closeAsked_; }
  // Each commit asks the compositor for a frame; until it answers, the view is not ready for
  // another. A view whose answer is kUnseenAfterNs late is taken as hidden (the compositor sends
  // none to a surface nobody sees) until the answer comes.
  bool seen() const { return seen_; }
  bool FrameAsked() const { return frame_ != nullptr; }
  // When a seen view's answer is late, or kNoDeadline when none is awaited.
  std::int64_t FrameLateAtNs() const;
  void MarkUnseen() { seen_ = false; }
  // Reminds the compositor of a hidden view (a pixel of its ground damaged, a frame asked for),
  // so that it draws the view and answers as soon as it shows it again.
  void Probe();

  // Asks that the compositor's key bindings not run while the view has the keyboard; whether
  // the compositor has answered (it may ask its user first).
  void InhibitShortcuts();
  bool InhibitorAsked() const { return inhibitor_ != nullptr; }
  bool InhibitorAnswered() const { return inhibitorAnswered_; }

  // Covers the output with an overlay layer surface (keyboard: exclusive, or none) where the
  // compositor offers layer-shell, with a fullscreen toplevel otherwise.
  void Cover(const Globals& globals, bool takeKeyboard, software::FreeTypeMeasurer& measurer);
  void Uncover();

 private:
  drawing::PixelSize Size() override;
  void SetSceneArea(const drawing::PixelRect& area) override;
  void Ground(const drawing::PixelRect& area, drawing::Rgb colour) override;
  software::DrawTarget Target() override;
  void Show(std::span<const drawing::PixelRect> boxes) override;

  static void OutputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t,
                             std::int32_t, std::int32_t, const char*, const char*, std::int32_t) {}
  static void OutputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                         std::int32_t height, std::int32_t);
  static void OutputDone(void* data, wl_output*);
  static void OutputScale(void* data, wl_output*, std::int32_t factor);
  void Configured(drawing::PixelSize size);
  static void InhibitorAnswer(void* data, zwp_keyboard_shortcuts_inhibitor_v1*);
  void Closed();
  static void FrameDone(void* data, wl_callback* callback, std::uint32_t time);
  void AskFrame();
  static void PreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale120);
  // Draws the view anew at a new scale.
  void Rescale();
  // View pixels to logical ones (exact on the scene's area, whose sides are kept to whole
  // logical pixels).
  int ToLogical(int pixels) const;
  // The index of a buffer the compositor does not hold (a new one if need be, or one it lets go
  // of within a moment), or -1.
  int FreeBuffer();
  int IdleBuffer();
  void ShowGround();
  void ForgetScene();

  wl_output* output_;
  std::uint32_t name_;
  Changed changed_;
  FocusChanged focusChanged_;
  Globals globals_;
  drawing::PixelSize mode_;  // the output's current mode, in its pixels
  int scale_ = 1;
  int pendingScale_ = 1;
  int scale120_ = 0;               // the preferred fractional scale, 0 until the compositor says it
  wl_surface* surface_ = nullptr;  // the role's surface: the ground
  std::unique_ptr<SurfaceRole> role_;
  wp_viewport* viewport_ = nullptr;
  zwp_keyboard_shortcuts_inhibitor_v1* inhibitor_ = nullptr;
  bool inhibitorAnswered_ = false;
  wl_surface* scene_ = nullptr;  // the subsurface: the back buffer
  wl_subsurface* subsurface_ = nullptr;
  wp_viewport* sceneViewport_ = nullptr;  // maps its buffers at a fractional scale
  wp_fractional_scale_v1* fractional_ = nullptr;
  drawing::PixelSize size_;  // logical pixels, as configured
  bool closed_ = false;
  bool activated_ = false;
  bool closeAsked_ = false;
  software::FreeTypeMeasurer* measurer_ = nullptr;
  std::unique_ptr<software::PixmanCanvas> canvas_;
  int generation_ = 0;
  drawing::Rgb ground_{0, 0, 0};
  std::unique_ptr<ShmBuffer> groundBuffer_;
  bool groundShown_ = false;
  drawing::PixelRect sceneArea_;  // view pixels, on whole logical pixels
  bool sceneMoved_ = false;       // the subsurface's position is to be committed
  std::array<std::unique_ptr<ShmBuffer>, 3> buffers_;  // a third only while two are held
  int shown_ = -1;                                     // the buffer last committed
  int drawing_ = -1;                                   // the buffer the frame is drawn into
  wl_callback* frame_ = nullptr;  // the frame asked for with the last commit, until it comes
  std::int64_t frameAskedNs_ = 0;
  bool seen_ = true;
};

}  // namespace host::wayland

// Draws a form's scene through a platform's canvas, the same on every platform: the ground in
// the form's back colour, then the controls back to front (the image clipped to its box, then
// the labels, transparent, their text clipped to their boxes). The back buffer holds only the
// part of the view the controls can reach; the rest is ground, filled on the window itself.
// Each frame repaints only what
// changed: a label's old and new box when it moved by a whole pixel or was shown or hidden, the
// whole client area after a resize; parts the platform lost are presented again from the back
// buffer. When no visible pixel can have changed, a frame presents nothing.
#pragma once

#include <map>
#include <string_view>
#include <vector>

#include "host/drawing/bmp_image.hpp"
#include "host/drawing/canvas.hpp"
#include "host/drawing/caption_layout.hpp"
#include "host/drawing/colours.hpp"
#include "host/drawing/pixel_geometry.hpp"
#include "host/drawing/text_measurer.hpp"
#include "host/drawing/visible_control.hpp"

namespace host {
class Form;
}

namespace host::drawing {

class ScenePainter {
 public:
  ScenePainter(const Form& form, Canvas& canvas, TextMeasurer& measurer,
               const ColourScheme& colours, int dpi);

  // The platform lost this part of the window's contents; the back buffer still has it.
  void Exposed(const PixelRect& area);
  // Whether a frame is owed regardless of the scene: an exposure, or a new client size.
  bool Pending();
  // Brings the back buffer up to date and presents what changed. Returns the boxes of the view
  // that were repainted or shown again, empty when nothing was presented.
  std::span<const PixelRect> PaintFrame();
  // The controls this view shows now, in paint order, with their boxes in client pixels.
  std::vector<VisibleControl> VisibleControls() const;

  int dpi() const { return dpi_; }
  // The part of the view the back buffer holds.
  const PixelRect& BufferArea() const { return bufferArea_; }

 private:
  struct LabelState {
    bool visible = false;
    PixelRect box;  // empty while hidden: a hidden label moving changes nothing
    bool operator==(const LabelState&) const = default;
  };
  LabelState CurrentState(std::size_t control) const;
  PixelRect PicturePlacement(std::size_t control) const;
  PixelRect SceneBounds() const;
  void Draw(const PixelRect& area);
  void DrawLabel(std::size_t control, const PixelRect& area);

  const Form& form_;
  Canvas& canvas_;
  const ColourScheme& colours_;
  int dpi_;
  CaptionTypesetter typesetter_;
  PixelSize viewSize_;
  PixelRect bufferArea_;
  std::vector<std::size_t> paintOrder_;           // image and label controls, back-most first
  std::map<std::size_t, RgbImage> pictures_;      // decoded once, by control
  std::map<std::size_t, CaptionLayout> layouts_;  // laid out at first paint, by control
  std::map<std::size_t, LabelState> drawn_;       // the labels as the back buffer shows them
  DamageList repaint_;
  DamageList exposed_;
  DamageList present_;
  DamageList damage_;
  std::vector<PixelRect> presented_;
  std::vector<PlacedRun> runs_;
};

}  // namespace host::drawing

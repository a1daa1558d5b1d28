#include "host/drawing/scene_painter.hpp"

#include <algorithm>
#include <variant>

#include "host/form.hpp"

namespace host::drawing {

ScenePainter::ScenePainter(const Form& form, Canvas& canvas, TextMeasurer& measurer,
                           const ColourScheme& colours, int dpi)
    : form_(form), canvas_(canvas), colours_(colours), dpi_(dpi), typesetter_(measurer, dpi) {
  // The design lists controls front-most first; timers are never drawn.
  const auto& controls = form_.design().controls;
  for (std::size_t i = controls.size(); i-- > 0;) {
    if (const auto* image = std::get_if<ImageDesign>(&controls[i])) {
      paintOrder_.push_back(i);
      pictures_.emplace(i, DecodeBmp24(image->picture));
      canvas_.Decoded(image->picture);
    } else if (std::holds_alternative<LabelDesign>(controls[i])) {
      paintOrder_.push_back(i);
      drawn_.emplace(i, LabelState{});
    }
  }
}

void ScenePainter::Exposed(const PixelRect& area) {
  exposed_.Add(area);
}

bool ScenePainter::Pending() {
  return !exposed_.Empty() || canvas_.ClientSize() != viewSize_;
}

// Where a control can be drawn: every image's box and every label's box, where the design put
// it and where it is now.
PixelRect ScenePainter::SceneBounds() const {
  PixelRect bounds;
  auto add = [&bounds](const PixelRect& box) {
    if (!box.Empty()) bounds = bounds.Empty() ? box : Union(bounds, box);
  };
  const auto& controls = form_.design().controls;
  for (const std::size_t control : paintOrder_) {
    if (const auto* image = std::get_if<ImageDesign>(&controls[control])) {
      add(ToPixels(image->box, dpi_));
    } else {
      add(ToPixels(form_.LabelDesignOf(control).box, dpi_));
      add(ToPixels(form_.LabelBox(control), dpi_));
    }
  }
  return bounds;
}

ScenePainter::LabelState ScenePainter::CurrentState(std::size_t control) const {
  if (form_.LabelVisible(control) != True) return LabelState{};
  return LabelState{true, ToPixels(form_.LabelBox(control), dpi_)};
}

// Drawn at its own size (scaled with the resolution) from its box's corner and clipped to the
// box, or stretched over the box.
PixelRect ScenePainter::PicturePlacement(std::size_t control) const {
  const auto& design = std::get<ImageDesign>(form_.design().controls[control]);
  const PixelRect box = ToPixels(design.box, dpi_);
  if (design.stretch) return box;
  const RgbImage& picture = pictures_.at(control);
  return PixelRect{box.x, box.y, picture.width * dpi_ / kStandardDpi,
                   picture.height * dpi_ / kStandardDpi};
}

std::span<const PixelRect> ScenePainter::PaintFrame() {
  const PixelSize size = canvas_.ClientSize();
  const PixelRect whole{0, 0, size.width, size.height};
  if (size != viewSize_) {
    viewSize_ = size;
    bufferArea_ = PixelRect{};
    repaint_.Add(whole);
  }
  // The back buffer covers the scene, not the view; it grows only if a label leaves it.
  const PixelRect needed = Intersect(SceneBounds(), whole);
  if (!Contains(bufferArea_, needed)) {
    bufferArea_ = bufferArea_.Empty() ? needed : Intersect(Union(bufferArea_, needed), whole);
    canvas_.SetBufferArea(bufferArea_);
    repaint_.Add(bufferArea_);
  }
  for (auto& [control, drawn] : drawn_) {
    const LabelState now = CurrentState(control);
    if (now == drawn) continue;
    repaint_.Add(drawn.box);
    repaint_.Add(now.box);
    drawn = now;
  }
  repaint_.ClipTo(whole);
  exposed_.ClipTo(whole);
  damage_.Clear();
  const Rgb ground = ResolveColour(form_.design().backColour, colours_);
  bool filledWindow = false;
  auto showOutsideBuffer = [&](const PixelRect& box) {
    for (const PixelRect& part : Subtract(box, bufferArea_)) {
      canvas_.FillWindow(part, ground);
      filledWindow = true;
    }
  };
  // Lost parts come back from the back buffer, or as plain ground outside it.
  for (const PixelRect& box : exposed_.Boxes()) {
    present_.Add(Intersect(box, bufferArea_));
    showOutsideBuffer(box);
    damage_.Add(box);
  }
  for (const PixelRect& box : repaint_.Boxes()) {
    const PixelRect inside = Intersect(box, bufferArea_);
    if (!inside.Empty()) {
      Draw(inside);
      present_.Add(inside);
    }
    showOutsideBuffer(box);
    damage_.Add(box);
  }
  repaint_.Clear();
  exposed_.Clear();
  present_.ClipTo(bufferArea_);
  presented_.assign(present_.Boxes().begin(), present_.Boxes().end());
  present_.Clear();
  if (!presented_.empty() || filledWindow) canvas_.Present(presented_);
  return damage_.Boxes();
}

void ScenePainter::Draw(const PixelRect& area) {
  canvas_.Fill(area, ResolveColour(form_.design().backColour, colours_));
  const auto& controls = form_.design().controls;
  for (const std::size_t control : paintOrder_) {
    if (std::holds_alternative<ImageDesign>(controls[control])) {
      RgbImage& picture = pictures_.at(control);
      if (picture.width == 0 || form_.ImageVisible(control) != True) continue;
      const auto& design = std::get<ImageDesign>(controls[control]);
      const PixelRect clip = Intersect(ToPixels(design.box, dpi_), area);
      if (clip.Empty()) continue;
      canvas_.DrawPicture(picture, PicturePlacement(control), clip);
      // A canvas with its own copy needs only the picture's size from now on.
      if (canvas_.KeepsPictures()) std::vector<std::uint32_t>().swap(picture.pixels);
    } else if (form_.LabelVisible(control) == True) {
      DrawLabel(control, area);
    }
  }
}

void ScenePainter::DrawLabel(std::size_t control, const PixelRect& area) {
  const LabelDesign& design = form_.LabelDesignOf(control);
  const PixelRect box = ToPixels(form_.LabelBox(control), dpi_);
  const PixelRect clip = Intersect(box, area);
  if (clip.Empty()) return;
  // Caption, font and box width never change: each label is laid out once.
  auto layout = layouts_.find(control);
  if (layout == layouts_.end()) {
    layout =
        layouts_.emplace(control, typesetter_.Layout(design.font, design.caption, box.width)).first;
  }
  runs_.clear();
  int baseline = box.y + layout->second.ascent;
  for (const TextLine& line : layout->second.lines) {
    if (baseline - layout->second.lineHeight >= box.Bottom()) break;  // below the box
    for (const TextRun& run : line.runs) {
      if (run.face != kNoFace) runs_.push_back(PlacedRun{&run, box.x + run.x, baseline});
    }
    baseline += layout->second.lineHeight;
  }
  // Labels here are transparent: only the text is drawn, over whatever lies behind.
  if (!runs_.empty()) canvas_.DrawText(runs_, ResolveColour(design.foreColour, colours_), clip);
}

std::vector<VisibleControl> ScenePainter::VisibleControls() const {
  std::vector<VisibleControl> visible;
  const auto& controls = form_.design().controls;
  // A control wholly outside the view (a small preview window) shows nothing there.
  const PixelSize size = canvas_.ClientSize();
  const PixelRect client{0, 0, size.width, size.height};
  const auto add = [&](std::string_view name, const PixelRect& box) {
    if (Overlaps(box, client)) visible.push_back({name, box});
  };
  for (const std::size_t control : paintOrder_) {
    if (const auto* image = std::get_if<ImageDesign>(&controls[control])) {
      if (form_.ImageVisible(control) == True) {
        add(image->name, Intersect(ToPixels(image->box, dpi_), PicturePlacement(control)));
      }
    } else if (form_.LabelVisible(control) == True) {
      add(form_.LabelDesignOf(control).name, ToPixels(form_.LabelBox(control), dpi_));
    }
  }
  return visible;
}

}  // namespace host::drawing

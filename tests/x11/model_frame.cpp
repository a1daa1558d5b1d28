// The runtime's headers before any X header, whose macros (None, True, False) they would meet.
#include "cover/frm_cover.hpp"
#include "cover/scene.hpp"
#include "host/drawing/scene_painter.hpp"
#include "host/headless/headless_platform.hpp"
#include "host/headless/memory_canvas.hpp"
#include "host/runtime.hpp"
#include "startup/run_mode.hpp"
// X after.
#include "host/x11/xft_measurer.hpp"
#include "tests/x11/model_frame.hpp"

namespace x11test {

struct ModelFrame::Scene {
  explicit Scene(Display* display)
      : runtime(platform), form(runtime, mode), measurer(display, DefaultScreen(display)) {
    form.Load();
  }
  std::int16_t mode = startup::RunModeSaver;
  host::headless::HeadlessPlatform platform{host::headless::DesktopConfig{}};
  host::Runtime runtime;
  cover::FrmCover form;
  host::x11::XftMeasurer measurer;
};

ModelFrame::ModelFrame(Display* display, int dpi)
    : scene_(std::make_unique<Scene>(display)), dpi_(dpi) {}
ModelFrame::~ModelFrame() = default;

ModelMatch ModelFrame::Compare(const Shot& shot, int row) {
  return Compare(shot, row, shot.width, shot.height);
}

// Compares only the shot's top-left width x height pixels.
ModelMatch ModelFrame::Compare(const Shot& shot, int row, int width, int height) {
  // The top edge in twips that falls on this pixel row at the model's resolution.
  scene_->form.Label(cover::Label1).SetTop(static_cast<float>(row * 1440 / dpi_));
  host::headless::MemoryCanvas canvas(scene_->measurer, true);
  canvas.SetClientSize({width, height});
  host::drawing::ColourScheme standard;
  host::drawing::ScenePainter painter(scene_->form, canvas, scene_->measurer, standard, dpi_);
  painter.PaintFrame();
  host::drawing::PixelRect banner;
  for (const auto& control : painter.VisibleControls()) {
    if (control.control == "Image1" && dpi_ != 96) banner = control.box;
  }
  auto inText = [&](int x, int y) {
    for (const auto& area : canvas.TextAreas()) {
      if (x >= area.x && x < area.Right() && y >= area.y && y < area.Bottom()) return true;
    }
    return false;
  };
  ModelMatch m{0, 0, 0, row};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // Label1 stands on the black ground: anything else there is its ink.
      const bool ink = shot.At(x, y) != 0;
      if (x >= banner.x && x < banner.Right() && y >= banner.y && y < banner.Bottom()) {
        continue;  // smoothed on the screen: its ink is checked by the caller
      } else if (inText(x, y)) {
        m.textPixels += ink ? 1 : 0;
        m.brightest = std::max(m.brightest, shot.At(x, y));
      } else if (shot.At(x, y) != canvas.ScreenPixel(x, y)) {
        ++m.mismatches;
      }
    }
  }
  return m;
}

ModelMatch ModelFrame::BestMatch(const Shot& shot) {
  const Box ink = InkBox(shot, Box{0, 0, shot.width, 288 * dpi_ / 96});
  ModelMatch best;
  const int top = 8 * dpi_ / 96;
  // The row is found on the label's corner of the screen alone, then the whole screen compared.
  const int cornerWidth = std::min(shot.width, 300 * dpi_ / 96);
  const int cornerHeight = std::min(shot.height, ink.y + 40 * dpi_ / 96);
  for (int row = std::max(top, ink.y - 12 * dpi_ / 96); row <= ink.y + 1; ++row) {
    const ModelMatch m = Compare(shot, row, cornerWidth, cornerHeight);
    if (best.mismatches < 0 || m.mismatches < best.mismatches) best = m;
    if (m.mismatches == 0) break;
  }
  return Compare(shot, best.row);
}

}  // namespace x11test

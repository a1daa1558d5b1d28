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

ModelFrame::ModelFrame(Display* display) : scene_(std::make_unique<Scene>(display)) {}
ModelFrame::~ModelFrame() = default;

ModelMatch ModelFrame::Compare(const Shot& shot, int row) {
  scene_->form.Label(cover::Label1).SetTop(static_cast<float>(row * 15));
  host::headless::MemoryCanvas canvas(scene_->measurer, true);
  canvas.SetClientSize({shot.width, shot.height});
  host::drawing::ColourScheme standard;
  host::drawing::ScenePainter painter(scene_->form, canvas, scene_->measurer, standard, 96);
  painter.PaintFrame();
  auto inText = [&](int x, int y) {
    for (const auto& area : canvas.TextAreas()) {
      if (x >= area.x && x < area.Right() && y >= area.y && y < area.Bottom()) return true;
    }
    return false;
  };
  ModelMatch m{0, 0, 0, row};
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      // Label1 stands on the black ground: anything else there is its ink.
      const bool ink = shot.At(x, y) != 0;
      if (inText(x, y)) {
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
  const Box ink = InkBox(shot, Box{0, 0, shot.width, 288});
  ModelMatch best;
  for (int row = std::max(8, ink.y - 12); row <= ink.y + 1; ++row) {
    const ModelMatch m = Compare(shot, row);
    if (best.mismatches < 0 || m.mismatches < best.mismatches) best = m;
    if (m.mismatches == 0) break;
  }
  return best;
}

}  // namespace x11test

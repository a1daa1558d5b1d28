// Checks a screenshot of one output (a binary PPM from grim) against the drawing model:
//   screen_check model SHOT DPI ENLARGE  the model's frame drawn at DPI, each pixel ENLARGE
//                                        times larger: the same pixels outside the text (and
//                                        the picture, when scaled: nearly the same there), ink
//                                        in the text, white
//   screen_check exact SHOT DPI          the picture exactly as the Wayland canvas draws it at
//                                        DPI (a view shown one to one, not scaled again by the
//                                        compositor)
//   screen_check banner SHOT ENLARGE     the banner is on the screen (exit 0) or not (exit 1)
//   screen_check black SHOT X Y W H      nothing but black in this box
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "cover/frm_cover.hpp"
#include "cover/scene.hpp"
#include "host/drawing/scene_painter.hpp"
#include "host/headless/headless_platform.hpp"
#include "host/headless/memory_canvas.hpp"
#include "host/runtime.hpp"
#include "host/software/freetype_measurer.hpp"
#include "host/software/pixman_canvas.hpp"
#include "startup/run_mode.hpp"
#include "tests/screen_shot.hpp"
#include "tests/wayland/memory_screen.hpp"

namespace {

using testing_support::Box;
using testing_support::Shot;

bool ReadPpm(const std::string& path, Shot& shot) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  in >> magic >> shot.width >> shot.height >> maxValue;
  in.get();
  if (!in || magic != "P6" || maxValue != 255) return false;
  shot.pixels.resize(static_cast<std::size_t>(shot.width) * static_cast<std::size_t>(shot.height));
  for (std::uint32_t& p : shot.pixels) {
    unsigned char rgb[3];
    in.read(reinterpret_cast<char*>(rgb), 3);
    p = std::uint32_t{rgb[0]} << 16 | std::uint32_t{rgb[1]} << 8 | rgb[2];
  }
  return static_cast<bool>(in);
}

// The shot with every ENLARGE x ENLARGE block as one pixel; blocks that are not of one colour
// are counted.
Shot Reduce(const Shot& shot, int enlarge, int& mixedBlocks) {
  Shot out;
  out.width = shot.width / enlarge;
  out.height = shot.height / enlarge;
  out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
  mixedBlocks = 0;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const std::uint32_t p = shot.At(x * enlarge, y * enlarge);
      bool mixed = false;
      for (int dy = 0; dy < enlarge; ++dy) {
        for (int dx = 0; dx < enlarge; ++dx)
          mixed |= shot.At(x * enlarge + dx, y * enlarge + dy) != p;
      }
      mixedBlocks += mixed ? 1 : 0;
      out.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width) +
                 static_cast<std::size_t>(x)] = p;
    }
  }
  return out;
}

struct Match {
  int mismatches = -1;  // outside the text and the picture
  int textPixels = 0;
  std::uint32_t brightest = 0;
  int row = 0;
  double pictureDifference = 0;  // mean difference of a channel inside the picture's box
};

int Channel(std::uint32_t pixel, int shift) {
  return static_cast<int>((pixel >> shift) & 0xFF);
}

class Model {
 public:
  explicit Model(int dpi) : dpi_(dpi), runtime_(platform_), form_(runtime_, mode_) { form_.Load(); }

  // The shot against the model's frame with Label1's box at this pixel row.
  Match Compare(const Shot& shot, int row) {
    form_.Label(cover::Label1).SetTop(static_cast<float>(row) * 1440.0f / static_cast<float>(dpi_));
    host::headless::MemoryCanvas canvas(measurer_, true);
    canvas.SetClientSize({shot.width, shot.height});
    host::drawing::ColourScheme standard;
    host::drawing::ScenePainter painter(form_, canvas, measurer_, standard, dpi_);
    painter.PaintFrame();
    // The model scales a picture to the nearest pixel, the screen smoothly: above 96 dots per
    // inch the picture's box is compared by its mean difference.
    host::drawing::PixelRect picture;
    for (const auto& control : painter.VisibleControls()) {
      if (control.control == "Image1") picture = control.box;
    }
    if (dpi_ == host::drawing::kStandardDpi) picture = {};
    auto inside = [](const host::drawing::PixelRect& a, int x, int y) {
      return x >= a.x && x < a.Right() && y >= a.y && y < a.Bottom();
    };
    Match m{0, 0, 0, row, 0};
    long long difference = 0;
    long long picturePixels = 0;
    for (int y = 0; y < shot.height; ++y) {
      for (int x = 0; x < shot.width; ++x) {
        const bool inText = std::any_of(canvas.TextAreas().begin(), canvas.TextAreas().end(),
                                        [&](const auto& a) { return inside(a, x, y); });
        const std::uint32_t seen = shot.At(x, y);
        const std::uint32_t model = canvas.ScreenPixel(x, y);
        if (inText) {
          m.textPixels += seen != 0 ? 1 : 0;
          m.brightest = std::max(m.brightest, seen);
        } else if (inside(picture, x, y)) {
          for (int shift : {0, 8, 16})
            difference += std::abs(Channel(seen, shift) - Channel(model, shift));
          picturePixels += 3;
        } else if (seen != model) {
          ++m.mismatches;
        }
      }
    }
    if (picturePixels > 0) m.pictureDifference = static_cast<double>(difference) / picturePixels;
    return m;
  }

  // The pixels of the picture's box in the shot unlike the Wayland canvas's own (a picture
  // scaled smoothly to this resolution, not scaled again by the compositor).
  int PictureUnlike(const Shot& shot) {
    testing_support::MemoryScreen screen({shot.width, shot.height});
    host::software::PixmanCanvas canvas(measurer_, screen);
    host::drawing::ColourScheme standard;
    host::drawing::ScenePainter painter(form_, canvas, measurer_, standard, dpi_);
    painter.PaintFrame();
    host::drawing::PixelRect picture;
    for (const auto& control : painter.VisibleControls()) {
      if (control.control == "Image1") picture = control.box;
    }
    int unlike = picture.Empty() ? -1 : 0;
    for (int y = picture.y; y < std::min(picture.Bottom(), shot.height); ++y) {
      for (int x = picture.x; x < std::min(picture.Right(), shot.width); ++x) {
        unlike += screen.At(x, y) != shot.At(x, y) ? 1 : 0;
      }
    }
    return unlike;
  }

  // The row near Label1's ink that matches best.
  Match Best(const Shot& shot) {
    const Box ink = testing_support::InkBox(shot, Box{0, 0, shot.width, shot.height / 3});
    Match best;
    // The box's top lies a few pixels above the ink's: from there upwards.
    for (int row = ink.y + 1; row >= std::max(0, ink.y - 16 * dpi_ / 96); --row) {
      const Match m = Compare(shot, row);
      if (best.mismatches < 0 || m.mismatches < best.mismatches) best = m;
      if (m.mismatches == 0) break;
    }
    return best;
  }

 private:
  int dpi_;
  std::int16_t mode_ = startup::RunModeSaver;
  host::headless::HeadlessPlatform platform_{host::headless::DesktopConfig{}};
  host::Runtime runtime_;
  cover::FrmCover form_;
  host::software::FreeTypeMeasurer measurer_;
};

int Usage() {
  std::fprintf(
      stderr,
      "usage: screen_check model SHOT DPI ENLARGE | exact SHOT DPI | banner SHOT ENLARGE | black "
      "SHOT X Y W H\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage();
  const std::string command = argv[1];
  Shot shot;
  if (!ReadPpm(argv[2], shot)) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  if (command == "black" && argc == 7) {
    const Box box{std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6])};
    return testing_support::InkBox(shot, box).width == 0 ? 0 : 1;
  }
  if (command == "banner") {
    int mixed = 0;
    const Shot logical = Reduce(shot, std::atoi(argv[3]), mixed);
    // The middle of the banner, (1560 + 6030, 4320 + 1530) twips, has ink; the black ground to
    // its right has none (the compositor's own ground may be any colour).
    const Box ink = testing_support::InkBox(logical, Box{400, 330, 200, 60});
    const Box ground = testing_support::InkBox(logical, Box{920, 330, 80, 60});
    return ink.width > 100 && ground.width == 0 ? 0 : 1;
  }
  if (command == "exact" && argc == 4) {
    Model model(std::atoi(argv[3]));
    const int unlike = model.PictureUnlike(shot);
    std::printf("picture's pixels unlike the canvas's own: %d\n", unlike);
    return unlike == 0 ? 0 : 1;
  }
  if (command == "model" && argc == 5) {
    int mixed = 0;
    const Shot logical = Reduce(shot, std::atoi(argv[4]), mixed);
    Model model(std::atoi(argv[3]));
    const Match m = model.Best(logical);
    std::printf(
        "mismatches %d, text pixels %d, brightest %06x, Label1 row %d, mixed blocks %d, "
        "scaled picture's mean difference %.2f\n",
        m.mismatches, m.textPixels, m.brightest, m.row, mixed, m.pictureDifference);
    // Ink in the text as a caption line of this size has it (about 600 pixels at 96 dpi).
    const int dpi = std::atoi(argv[3]);
    const int ink = 300 * dpi * dpi / (96 * 96);
    return m.mismatches == 0 && m.textPixels > ink && m.brightest == 0xFFFFFF && mixed == 0 &&
                   m.pictureDifference < 4
               ? 0
               : 1;
  }
  return Usage();
}

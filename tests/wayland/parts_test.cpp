// The Wayland platform's parts that need no compositor: the software canvas draws the scene as
// the drawing model does, key symbols become the form's key codes, and instances on one session
// find each other's captions.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "cover/frm_cover.hpp"
#include "cover/scene.hpp"
#include "host/drawing/scene_painter.hpp"
#include "host/headless/headless_platform.hpp"
#include "host/headless/memory_canvas.hpp"
#include "host/keysyms/key_codes.hpp"
#include "host/runtime.hpp"
#include "host/software/pixman_canvas.hpp"
#include "host/wayland/session_marker.hpp"
#include "startup/run_mode.hpp"
#include "tests/wayland/memory_screen.hpp"

namespace {

using host::drawing::PixelRect;
using host::drawing::PixelSize;
using testing_support::MemoryScreen;

int Channel(std::uint32_t p, int shift) {
  return static_cast<int>((p >> shift) & 0xFF);
}

class SceneTest : public testing::TestWithParam<int> {
 protected:
  SceneTest() : runtime_(platform_), form_(runtime_, mode_) { form_.Load(); }
  std::int16_t mode_ = startup::RunModeSaver;
  host::headless::HeadlessPlatform platform_{host::headless::DesktopConfig{}};
  host::Runtime runtime_;
  cover::FrmCover form_;
  host::software::FreeTypeMeasurer measurer_;
};

// The model scales a picture to the nearest pixel and the canvas smoothly, so a scaled picture is
// compared by its mean difference; everything outside the text is otherwise the same pixel.
TEST_P(SceneTest, TheCanvasDrawsTheModelsFrame) {
  const int dpi = GetParam();
  const PixelSize size{1000 * dpi / 96, 600 * dpi / 96};
  host::drawing::ColourScheme standard;
  MemoryScreen screen(size);
  host::software::PixmanCanvas canvas(measurer_, screen);
  host::drawing::ScenePainter painter(form_, canvas, measurer_, standard, dpi);
  painter.PaintFrame();
  host::headless::MemoryCanvas model(measurer_, true);
  model.SetClientSize(size);
  host::drawing::ScenePainter modelPainter(form_, model, measurer_, standard, dpi);
  modelPainter.PaintFrame();

  PixelRect picture;
  for (const auto& control : modelPainter.VisibleControls()) {
    if (control.control == "Image1" && dpi != 96) picture = control.box;
  }
  auto inside = [](const PixelRect& a, int x, int y) {
    return x >= a.x && x < a.Right() && y >= a.y && y < a.Bottom();
  };
  int mismatches = 0, ink = 0;
  std::uint32_t brightest = 0;
  long long difference = 0, channels = 0;
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      const std::uint32_t seen = screen.At(x, y);
      if (std::any_of(model.TextAreas().begin(), model.TextAreas().end(),
                      [&](const PixelRect& a) { return inside(a, x, y); })) {
        ink += seen != 0 ? 1 : 0;
        brightest = std::max(brightest, seen);
      } else if (inside(picture, x, y)) {
        for (int shift : {0, 8, 16}) {
          difference += std::abs(Channel(seen, shift) - Channel(model.ScreenPixel(x, y), shift));
        }
        channels += 3;
      } else {
        mismatches += seen != model.ScreenPixel(x, y) ? 1 : 0;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(ink, 300 * dpi * dpi / (96 * 96)) << "ink where the model lays out Label1";
  EXPECT_EQ(brightest, 0xFFFFFFu) << "in white";
  if (channels > 0) {
    EXPECT_LT(static_cast<double>(difference) / static_cast<double>(channels), 4.0);
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, SceneTest, testing::Values(96, 192),
                         [](const testing::TestParamInfo<int>& info) {
                           return "Dpi" + std::to_string(info.param);
                         });

// A view made anew hands its canvas to a new painter, whose pictures may take the addresses of
// the old one's: once told so, the canvas draws what the picture holds now, not what it kept.
TEST(PixmanCanvasTest, ForgetsWhatItKeptForTheOldPainter) {
  host::software::FreeTypeMeasurer measurer;
  MemoryScreen screen({8, 8});
  host::software::PixmanCanvas canvas(measurer, screen);
  const PixelRect all{0, 0, 8, 8};
  canvas.SetBufferArea(all);
  host::drawing::RgbImage picture{2, 2, std::vector<std::uint32_t>(4, 0xFF0000)};
  std::uint32_t shown[2] = {};
  for (std::uint32_t& colour : shown) {
    canvas.DrawPicture(picture, all, all);  // enlarged: a copy of its own is kept
    canvas.Present(std::span(&all, 1));
    colour = screen.At(4, 4);
    picture.pixels.assign(4, 0x0000FF);
    canvas.ForgetDrawings();
  }
  EXPECT_EQ(shown[0], 0xFF0000u);
  EXPECT_EQ(shown[1], 0x0000FFu);
}

struct KeyCase {
  const char* name;
  std::uint32_t keysym;
  std::int16_t code;
};

class KeyCodeTest : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyCodeTest, KeySymbolsBecomeTheFormsKeyCodes) {
  EXPECT_EQ(host::keysyms::KeyCodeOf(GetParam().keysym), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyCodeTest,
    testing::Values(KeyCase{"LowerCaseLetter", XKB_KEY_q, 'Q'}, KeyCase{"Capital", XKB_KEY_Q, 'Q'},
                    KeyCase{"Digit", XKB_KEY_7, '7'}, KeyCase{"Escape", XKB_KEY_Escape, 27},
                    KeyCase{"Return", XKB_KEY_Return, 13},
                    KeyCase{"KeypadEnter", XKB_KEY_KP_Enter, 13}, KeyCase{"F1", XKB_KEY_F1, 112},
                    KeyCase{"F24", XKB_KEY_F24, 135}, KeyCase{"LeftArrow", XKB_KEY_Left, 37},
                    KeyCase{"Space", XKB_KEY_space, 32}, KeyCase{"RightAlt", XKB_KEY_Alt_R, 18},
                    KeyCase{"OtherByItsLowByte", XKB_KEY_odiaeresis, 0xF6}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST(SessionMarkerTest, InstancesOfOneSessionFindTheCaptionsMarkedThere) {
  char folder[] = "/tmp/vorthane-markers.XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string session = "wayland-1";
  host::wayland::SessionMarker first(folder, session);
  host::wayland::SessionMarker other(folder, session);
  host::wayland::SessionMarker elsewhere(folder, session + "-other");
  EXPECT_FALSE(other.Exists("Caption"));
  first.Set("Caption");
  EXPECT_TRUE(other.Exists("Caption"));
  EXPECT_FALSE(other.Exists("Another caption"));
  EXPECT_FALSE(elsewhere.Exists("Caption")) << "another session";
  // Long captions are told apart by all of their text.
  const std::string longCaption(200, 'x');
  first.Set(longCaption + "1");
  EXPECT_TRUE(other.Exists(longCaption + "1"));
  EXPECT_FALSE(other.Exists(longCaption + "2"));
  // Asked more often than the marker's queue holds, it never blocks and is still there.
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(other.Exists(longCaption + "1")) << i;
  first.Set("");
  EXPECT_FALSE(other.Exists(longCaption + "1")) << "the mark goes with the caption";
  rmdir(folder);
  EXPECT_FALSE(other.Exists("Caption")) << "the folder is gone";
}

// A marker left by a process that ended without removing it counts for nothing, and the next
// instance replaces it.
TEST(SessionMarkerTest, AMarkerNobodyAnswersIsReplaced) {
  char folder[] = "/tmp/vorthane-markers.XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  {
    host::wayland::SessionMarker ended(folder, "wayland-1");
    ended.Set("Caption");
    DIR* dir = opendir(folder);
    ASSERT_NE(dir, nullptr);
    std::string left;
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') left = std::string(folder) + "/" + entry->d_name;
    }
    closedir(dir);
    ASSERT_FALSE(left.empty());
    // What a killed process leaves: the socket file, and nobody listening on it.
    ASSERT_EQ(link(left.c_str(), (left + ".kept").c_str()), 0);
    ended.Set("");
    ASSERT_EQ(rename((left + ".kept").c_str(), left.c_str()), 0);
  }
  host::wayland::SessionMarker next(folder, "wayland-1");
  EXPECT_FALSE(next.Exists("Caption"));
  next.Set("Caption");
  host::wayland::SessionMarker other(folder, "wayland-1");
  EXPECT_TRUE(other.Exists("Caption"));
  next.Set("");
  EXPECT_EQ(rmdir(folder), 0) << "every marker removed";
}

}  // namespace

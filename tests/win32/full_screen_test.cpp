// What the full-screen saver shows, read back from the screen: the first frame, a frame a few
// seconds in, the scene at a higher resolution, and the scene on every monitor of several.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "host/drawing/bmp_image.hpp"
#include "tests/win32/saver_process.hpp"
#include "tests/win32/screen_capture.hpp"
#include "vorthane/assets.hpp"

namespace win32test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Where the scene puts things at 96 dpi, in pixels (twips / 15).
constexpr Box kBannerBox{104, 288, 804, 204};
constexpr Box kLabel1Box{8, 8, 169, 17};
constexpr Box kOtherLabelBoxes[] = {
    {264, 8, 105, 33}, {432, 8, 105, 33}, {616, 8, 41, 17}, {768, 8, 113, 17}};
constexpr Box kCaptionStrip{0, 0, 908, 288};

const host::drawing::RgbImage& Banner() {
  static const host::drawing::RgbImage banner = host::drawing::DecodeBmp24(assets::kBannerBmp);
  return banner;
}

// Saves the shot where VORTHANE_SCREENSHOT_DIR says, for people to look at.
void KeepShot(const Shot& shot, const char* name) {
  const char* dir = std::getenv("VORTHANE_SCREENSHOT_DIR");
  if (dir == nullptr || *dir == 0) return;
  SaveBmp(shot, WindowsPath(std::string(dir) + "/" + name));
}

class FullScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(1270, 1014);  // away from the scene; its first move only records this
  }
  // Starts the saver and waits until the banner shows, pixel for pixel, where it belongs; `scene`
  // is then the screen's top-left part that holds the whole scene, as first seen.
  std::unique_ptr<SaverProcess> StartAndWaitForBanner(Shot* scene = nullptr,
                                                      double* launchToFrameMs = nullptr) {
    const auto launched = std::chrono::steady_clock::now();
    auto saver = std::make_unique<SaverProcess>(L"/s");
    Shot shot;
    const bool shown = PumpUntil(
        [&] {
          shot = CaptureScreen(kBannerBox.x + kBannerBox.width, kBannerBox.y + kBannerBox.height);
          return PictureAt(shot, Banner(), kBannerBox.x, kBannerBox.y);
        },
        seconds(10));
    if (scene != nullptr) *scene = shot;
    if (launchToFrameMs != nullptr) {
      *launchToFrameMs =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - launched)
              .count();
    }
    if (!shown) ADD_FAILURE() << "no banner on the screen; stderr: " << saver->Stderr();
    return saver;
  }
  static void EndWithKey(SaverProcess& saver) {
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = VK_SPACE;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    EXPECT_EQ(saver.WaitExit(seconds(5)), std::optional<DWORD>(0));
  }
};

TEST_F(FullScreen, FirstFrameShowsGroundBannerAndFirstLabelOnly) {
  double launchToFrameMs = 0;
  Shot shot;
  auto saver = StartAndWaitForBanner(&shot, &launchToFrameMs);
  std::printf("launch to first frame: %.0f ms (polling the screen)\n", launchToFrameMs);
  ASSERT_TRUE(PictureAt(shot, Banner(), kBannerBox.x, kBannerBox.y));

  // Label1's text sits in its box at (8, 8). wine shows a window's pixels on the screen a
  // little after the program drew them, so by the time the test sees the frame the label may
  // have fallen a few pixels: a third of a pixel a tick since the launch at the most.
  const int maxFall = static_cast<int>(launchToFrameMs / 15.625 / 3) + 1;
  const Box label = InkBox(shot, kCaptionStrip);
  ASSERT_GT(label.width, 60) << "no caption drawn";
  EXPECT_GT(label.width, 115) << "the caption wrapped and lost its second word";
  EXPECT_GE(label.x, kLabel1Box.x);
  EXPECT_LE(label.x, kLabel1Box.x + 3);
  EXPECT_GE(label.y, kLabel1Box.y);
  EXPECT_LE(label.x + label.width, kLabel1Box.x + kLabel1Box.width);
  EXPECT_LE(label.y + label.height, kLabel1Box.y + kLabel1Box.height + maxFall);
  EXPECT_GE(label.height, 8);
  std::uint32_t brightest = 0;
  for (int y = label.y; y < label.y + label.height; ++y) {
    for (int x = label.x; x < label.x + label.width; ++x) {
      brightest = std::max(brightest, shot.At(x, y));
    }
  }
  EXPECT_EQ(brightest, 0xFFFFFFu) << "Label1 is white";

  // Nothing else anywhere: black ground, the other labels hidden. The whole screen is read a
  // moment later, when the label may have moved down a little further.
  EXPECT_EQ(StrayPixels(shot, {0, 0, shot.width, shot.height}, {kBannerBox, label}), 0);
  for (const Box& other : kOtherLabelBoxes) EXPECT_EQ(InkBox(shot, other).width, 0);
  const Shot screen = CaptureScreen();
  KeepShot(screen, "first-frame.bmp");
  const Box fallen{label.x, label.y, label.width, label.height + 40};
  EXPECT_EQ(StrayPixels(screen, {0, 0, screen.width, screen.height}, {kBannerBox, fallen}), 0);
  EndWithKey(*saver);
}

// The pointer is invisible over the full-screen window and visible again once the saver has
// ended. wine cannot say (its cursor state always reads "showing"), so the X server is asked,
// through the X11 program's probe: wine starts Linux programs as it starts Windows ones.
TEST_F(FullScreen, PointerIsInvisibleOverItAndShownAfterwards) {
  const char* probe = std::getenv("VORTHANE_X11_PROBE");
  if (probe == nullptr ||
      GetFileAttributesW(WindowsPath(probe).c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "needs the X11 probe of the default build (VORTHANE_X11_PROBE)";
  }
  auto saver = StartAndWaitForBanner();
  EXPECT_EQ(RunForOutputLine(WindowsPath(probe), L"pointer-hidden 3000", seconds(10)),
            "pointer hidden");
  EndWithKey(*saver);
  EXPECT_EQ(RunForOutputLine(WindowsPath(probe), L"pointer-shown 3000", seconds(10)),
            "pointer shown");
}

TEST_F(FullScreen, FirstLabelFallsByTheTickCountWithoutATrail) {
  auto saver = StartAndWaitForBanner();
  const auto t0 = std::chrono::steady_clock::now();
  const Box before = InkBox(CaptureScreen(908, 288), kCaptionStrip);
  PumpFor(seconds(3));
  const auto t1 = std::chrono::steady_clock::now();
  const Shot later = CaptureScreen(908, 492);
  KeepShot(later, "three-seconds-in.bmp");
  const Box after = InkBox(later, kCaptionStrip);
  ASSERT_GT(after.width, 60);
  // 64 ticks a second, 5 twips (a third of a pixel) each.
  const double elapsed = std::chrono::duration<double>(t1 - t0).count();
  EXPECT_NEAR(after.y - before.y, elapsed * 64.0 * 5.0 / 15.0, 4.0) << "over " << elapsed << " s";
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(after.height, before.height) << "the text keeps its shape";
  EXPECT_EQ(StrayPixels(later, kCaptionStrip, {after}), 0) << "a trail above the label";
  EXPECT_TRUE(PictureAt(later, Banner(), kBannerBox.x, kBannerBox.y));
  EndWithKey(*saver);
}

}  // namespace
}  // namespace win32test

namespace win32test {
namespace {

// At 144 dots per inch (run with the prefix's LogPixels at 144) the scene is the 96-dpi design
// enlarged 1.5 times: positions, sizes and text, the text drawn at its real size.
TEST(HighDpi, SceneIsTheDesignEnlargedOneAndAHalfTimes) {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(dpi, 144) << "run with LOGPIXELS=144";
  SetCursorPos(1270, 1014);
  // The banner's box at 144 dpi: (1560, 4320) twips is (156, 432); the picture 1206 x 306.
  constexpr Box kBanner{156, 432, 1206, 306};
  constexpr Box kLabel1{12, 12, 253, 25};
  const auto launched = std::chrono::steady_clock::now();
  SaverProcess saver(L"/s");
  Shot shot;
  ASSERT_TRUE(PumpUntil(
      [&] {
        shot = CaptureScreen();
        return InkBox(shot, {0, 0, shot.width, 12}).width == 0 && InkBox(shot, kBanner).width > 900;
      },
      seconds(10)))
      << saver.Stderr();
  KeepShot(shot, "144dpi.bmp");
  // Label1 falls half a pixel a tick here; it cannot have fallen further than this.
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - launched).count();
  const int maxFall = static_cast<int>(elapsed * 64 * 0.5) + 2;

  // The banner's ink lands 1.5 times as far from the box's corner as in the picture.
  const host::drawing::RgbImage& banner = Banner();
  Shot picture{banner.width, banner.height, banner.pixels};
  const Box source = InkBox(picture, {0, 0, banner.width, banner.height});
  const Box ink = InkBox(shot, kBanner);
  EXPECT_NEAR(ink.x, kBanner.x + source.x * 3 / 2, 3);
  EXPECT_NEAR(ink.x + ink.width, kBanner.x + (source.x + source.width) * 3 / 2, 3);
  EXPECT_NEAR(ink.y, kBanner.y + source.y * 3 / 2, 2);
  EXPECT_NEAR(ink.y + ink.height, kBanner.y + (source.y + source.height) * 3 / 2, 2);
  // Every picture pixel shows, enlarged, where it belongs: compare each with the screen at the
  // middle of its enlarged square.
  double difference = 0;
  int samples = 0;
  for (int y = 0; y < banner.height; y += 3) {
    for (int x = 0; x < banner.width && kBanner.x + x * 3 / 2 + 1 < shot.width; x += 3) {
      const std::uint32_t source = banner.pixels[static_cast<std::size_t>(y) * banner.width + x];
      const std::uint32_t shown = shot.At(kBanner.x + x * 3 / 2 + 1, kBanner.y + y * 3 / 2 + 1);
      for (int shift = 0; shift < 24; shift += 8) {
        difference += std::abs(static_cast<int>(source >> shift & 0xFF) -
                               static_cast<int>(shown >> shift & 0xFF));
      }
      ++samples;
    }
  }
  EXPECT_LT(difference / samples / 3, 24.0) << "mean difference per channel";

  // Label1's text at its real size: 24 pixels to the em instead of 16.
  const Box label = InkBox(shot, {0, 0, shot.width, kBanner.y});
  EXPECT_GE(label.x, kLabel1.x);
  EXPECT_LE(label.x, kLabel1.x + 4);
  EXPECT_GE(label.y, kLabel1.y);
  EXPECT_LE(label.y + label.height, kLabel1.y + kLabel1.height + maxFall);
  EXPECT_GT(label.width, 170) << "both words, 1.5 times as wide";
  EXPECT_GE(label.height, 15);
  EXPECT_EQ(StrayPixels(shot, {0, 0, shot.width, shot.height}, {kBanner, label}), 0);

  INPUT input[2] = {};
  input[0].type = INPUT_KEYBOARD;
  input[0].ki.wVk = VK_SPACE;
  input[1] = input[0];
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
  EXPECT_EQ(saver.WaitExit(seconds(5)), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace win32test

namespace win32test {
namespace {

// Two monitors and more: run by tools/wine/two_monitors.sh, under the XWayland of a headless
// sway whose primary output lies right of the other, so wine's virtual screen starts left of
// the origin. VORTHANE_SWAYMSG changes the outputs while the saver runs.
class Monitors : public ::testing::Test {
 protected:
  void SetUp() override {
    swaymsg_ = std::getenv("VORTHANE_SWAYMSG");
    grim_ = std::getenv("VORTHANE_GRIM");
    if (swaymsg_ == nullptr || grim_ == nullptr) {
      GTEST_SKIP() << "run by tools/wine/two_monitors.sh";
    }
  }
  // The monitors as wine lists them now, the primary one first.
  static std::vector<RECT> Listed() {
    std::vector<RECT> found;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM list) -> BOOL {
          MONITORINFO info{};
          info.cbSize = sizeof info;
          GetMonitorInfoW(monitor, &info);
          auto* rects = reinterpret_cast<std::vector<RECT>*>(list);
          const bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
          rects->insert(primary ? rects->begin() : rects->end(), info.rcMonitor);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }
  void Change(const wchar_t* command) {
    EXPECT_NE(RunForOutputLine(WindowsPath(swaymsg_), command, seconds(10)), "") << command;
  }
  // Waits until every monitor in a list of `count` is covered by exactly one of the saver's
  // windows (the form's own, without an owner, on the primary), each showing the whole scene
  // from its own corner on plain black ground; names the first thing still wrong.
  // With `firstStage`, the caption line must be Label1, at its box's left end.
  std::string WaitForScenes(SaverProcess& saver, std::size_t count, const char* shotName,
                            bool firstStage = false) {
    std::string wrong;
    PumpUntil([&] { return (wrong = ScenesWrong(saver, count, shotName, firstStage)).empty(); },
              seconds(10));
    return wrong;
  }

 private:
  static std::string ScenesWrong(SaverProcess& saver, std::size_t count, const char* shotName,
                                 bool firstStage) {
    const std::vector<RECT> monitors = Listed();
    if (monitors.size() != count) return "monitors listed: " + std::to_string(monitors.size());
    const std::vector<HWND> windows = saver.TopLevelWindows();
    if (windows.size() != monitors.size()) return "windows: " + std::to_string(windows.size());
    for (std::size_t m = 0; m < monitors.size(); ++m) {
      const RECT& area = monitors[m];
      const auto covering = std::count_if(windows.begin(), windows.end(), [&](HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        const bool form = GetWindow(window, GW_OWNER) == nullptr;
        return EqualRect(&r, &area) != 0 && form == (m == 0);
      });
      if (covering != 1) return "monitor " + std::to_string(m) + " not covered as it should be";
    }
    // The same frame everywhere: the banner in place, and the caption line that falls now at
    // the same place in each view (give or take the step it may take between two views).
    const Shot screen = CaptureOutputs();
    if (screen.pixels.empty()) return "no picture of the outputs";
    Box first;
    for (std::size_t m = 0; m < monitors.size(); ++m) {
      const int x = monitors[m].left - GetSystemMetrics(SM_XVIRTUALSCREEN);
      const int y = monitors[m].top - GetSystemMetrics(SM_YVIRTUALSCREEN);
      const std::string which = "monitor " + std::to_string(m) + ": ";
      if (!PictureAt(screen, Banner(), x + kBannerBox.x, y + kBannerBox.y)) {
        return which + "no banner at its corner";
      }
      const Box strip{x, y, kCaptionStrip.width, kCaptionStrip.height};
      Box line = InkBox(screen, strip);
      line.x -= x;
      line.y -= y;
      if (m == 0) first = line;
      if (firstStage && (line.width < 115 || line.x < kLabel1Box.x || line.x > kLabel1Box.x + 3)) {
        return which + "Label1 not at its place";
      }
      if (line.width < 30 || line.x != first.x || line.width != first.width ||
          std::abs(line.y - first.y) > 2) {
        return which + "no caption line, or not where the primary view has it";
      }
      const Box banner{x + kBannerBox.x, y + kBannerBox.y, kBannerBox.width, kBannerBox.height};
      const Box area{x, y, monitors[m].right - monitors[m].left,
                     monitors[m].bottom - monitors[m].top};
      if (StrayPixels(screen, area, {banner, strip}) != 0) return which + "not plain black ground";
    }
    KeepShot(screen, shotName);
    return {};
  }
  // The outputs as sway composes them, the whole layout, which starts where wine's virtual
  // screen does (wine reads XWayland's root window, which is black); empty when grim fails.
  static Shot CaptureOutputs() {
    const std::string file =
        "/tmp/vorthane-outputs-" + std::to_string(GetCurrentProcessId()) + ".ppm";
    const std::string command = "-c \"" + std::string(grim_) + " -t ppm " + file + " && echo ok\"";
    if (RunForOutputLine(L"Z:\\bin\\sh", std::wstring(command.begin(), command.end()),
                         seconds(10)) != "ok") {
      return {};
    }
    Shot shot;
    FILE* in = _wfopen(WindowsPath(file).c_str(), L"rb");
    if (in == nullptr) return {};
    int maximum = 0;
    if (std::fscanf(in, "P6 %d %d %d", &shot.width, &shot.height, &maximum) == 3 &&
        std::fgetc(in) != EOF) {
      std::vector<unsigned char> rgb(static_cast<std::size_t>(shot.width) * shot.height * 3);
      if (std::fread(rgb.data(), 1, rgb.size(), in) == rgb.size()) {
        for (std::size_t i = 0; i < rgb.size(); i += 3) {
          shot.pixels.push_back(std::uint32_t{rgb[i]} << 16 | std::uint32_t{rgb[i + 1]} << 8 |
                                rgb[i + 2]);
        }
      }
    }
    std::fclose(in);
    DeleteFileW(WindowsPath(file).c_str());
    if (shot.pixels.empty()) shot = {};
    return shot;
  }
  const char* swaymsg_ = nullptr;
  static inline const char* grim_ = nullptr;
};

TEST_F(Monitors, SceneOnEachFromItsCornerAndFollowsDisplayChanges) {
  const std::vector<RECT> monitors = Listed();
  ASSERT_EQ(monitors.size(), 2u);
  ASSERT_EQ(monitors[0].left, 0) << "the primary monitor is at the origin";
  ASSERT_LT(monitors[1].left, 0) << "and right of the other";
  SetCursorPos(monitors[0].right - 10, monitors[0].bottom - 10);
  SaverProcess saver(L"/s");
  EXPECT_EQ(WaitForScenes(saver, 2, "two-monitors.bmp", true), "") << saver.Stderr();

  // The left output smaller (still larger than the scene), then a third one.
  Change(L"output HEADLESS-2 resolution 960x720");
  ASSERT_TRUE(
      PumpUntil([] { return Listed().back().right - Listed().back().left == 960; }, seconds(10)))
      << "wine did not see the change";
  EXPECT_EQ(WaitForScenes(saver, 2, "two-monitors-resized.bmp"), "");
  Change(L"create_output");
  EXPECT_EQ(WaitForScenes(saver, 3, "three-monitors.bmp"), "");
  EXPECT_TRUE(saver.Running()) << "a display change is not input";

  // Input on a cover reaches the form: the pointer moved onto another monitor, and a click there.
  const RECT other = Listed()[1];
  SetCursorPos(other.right - 10, other.bottom - 10);
  INPUT click[2] = {};
  click[0].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[1] = click[0];
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, click, sizeof(INPUT));
  EXPECT_EQ(saver.WaitExit(seconds(5)), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace win32test

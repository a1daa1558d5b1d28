// The full-screen saver on a display with two monitors of different density: each shows the
// whole scene from its own corner at its own resolution, and a change of the monitors is
// followed at once.
#include <signal.h>

#include <thread>

// gtest (in the fixture) before the X headers, whose None macro it would meet.
#include "tests/x11/saver_fixture.hpp"
// X after.
#include "tests/x11/model_frame.hpp"
// XRes after Xlib.
#include <X11/Xutil.h>

namespace x11test {
namespace {

struct MonitorSetup {
  const char* name;
  const char* xftDpi;  // the user's Xft.dpi, or nullptr
  int leftDpi;         // the 1920x1080 monitor, 254 mm wide: 192 dpi by its size
  int rightDpi;        // the 1280x1024 monitor, 338 mm wide: 96 dpi by its size
};

class Monitors : public SaverTest, public ::testing::WithParamInterface<MonitorSetup> {
 protected:
  // A 3200x1200 screen split into two monitors, the left one primary.
  void SetUpMonitors() {
    server_ = std::make_unique<XServer>(3200, 1200);
    display_ = server_->display();
    root_ = DefaultRootWindow(display_);
    Xrandr({"--setmonitor", "L", "1920/254x1080/143+0+0", "screen"});
    Xrandr({"--setmonitor", "R", "1280/338x1024/271+1920+0", "none"});
  }
  void Xrdb(const std::string& input) {
    ASSERT_EQ(RunToEnd({"sh", "-c", input}, {{"DISPLAY", server_->name()}}), 0);
  }
  // The saver's top-level windows, as left edge and width, left to right.
  std::vector<std::pair<int, int>> SaverWindows() {
    std::vector<std::pair<int, int>> found;
    for (const Window w : MappedChildren(display_, root_)) {
      const XWindowAttributes a = Attributes(display_, w);
      found.emplace_back(a.x, a.width);
    }
    std::sort(found.begin(), found.end());
    return found;
  }
  void Xrandr(std::vector<std::string> args) {
    args.insert(args.begin(), "xrandr");
    ASSERT_EQ(RunToEnd(args, {{"DISPLAY", server_->name()}}), 0);
  }
  // The scene on one monitor, compared with the model at that monitor's resolution.
  void ExpectScene(const Shot& shot, const Box& monitor, int dpi) {
    SCOPED_TRACE("monitor at " + std::to_string(monitor.x) + " with " + std::to_string(dpi) +
                 " dpi");
    const Shot part = Crop(shot, monitor);
    ModelFrame model(display_, dpi);
    const ModelMatch match = model.BestMatch(part);
    EXPECT_EQ(match.mismatches, 0) << "Label1 at row " << match.row;
    EXPECT_GT(match.textPixels, 300 * dpi / 96 * dpi / 96 / 2) << "text drawn at its real size";
    // The banner's ink (columns 86..717 of the picture) enlarged with the resolution, cut at
    // the monitor's edges.
    const Box banner = InkBox(part, Box{0, 288 * dpi / 96, part.width, 204 * dpi / 96});
    const int left = (104 + 86) * dpi / 96;
    const int top = 288 * dpi / 96;
    EXPECT_NEAR(banner.x, left, 2 * dpi / 96);
    EXPECT_NEAR(banner.width, std::min(632 * dpi / 96, part.width - left), 4 * dpi / 96);
    EXPECT_NEAR(banner.height, std::min(204 * dpi / 96, part.height - top), 2 * dpi / 96);
  }
};

TEST_P(Monitors, EachShowsTheWholeSceneFromItsCornerAtItsResolutionAndFollowsChanges) {
  const MonitorSetup& c = GetParam();
  SetUpMonitors();
  std::map<std::string, std::string> env;
  if (c.xftDpi != nullptr) {
    ASSERT_EQ(
        RunToEnd({"sh", "-c", std::string("echo 'Xft.dpi: ") + c.xftDpi + "' | xrdb -nocpp -merge"},
                 {{"DISPLAY", server_->name()}}),
        0);
  }
  auto saver = Start({"/s"});
  const Box left{0, 0, 1920, 1080};
  const Box right{1920, 0, 1280, 1024};
  ASSERT_TRUE(WaitFor(
      [&] {
        return InkBox(Capture(display_), Box{1920, 0, 1280, 1024}).width > 600;
      },
      std::chrono::seconds(10)))
      << saver->Stderr();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const Shot shot = Capture(display_);
  ExpectScene(shot, left, c.leftDpi);
  ExpectScene(shot, right, c.rightDpi);
  EXPECT_TRUE(PointerInvisible(display_));

  // The right monitor moves down and shrinks. Xvfb announces monitors only with its outputs'
  // changes, so one follows, as it does whenever a real monitor is plugged in.
  Xrandr({"--delmonitor", "R"});
  Xrandr({"--setmonitor", "R", "800/211x600/158+2400+600", "none"});
  Xrandr({"--output", "screen", "--primary"});
  const Box moved{2400, 600, 800, 600};
  ASSERT_TRUE(WaitFor(
      [&] {
        const Shot now = Capture(display_);
        return InkBox(now, moved).width > 600 && InkBox(now, Box{1920, 0, 480, 1200}).width == 0;
      },
      std::chrono::seconds(5)))
      << "the scene moved with the monitor, and where it stood is bare ground";
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ExpectScene(Capture(display_), moved, c.xftDpi != nullptr ? c.rightDpi : 96);
  EXPECT_TRUE(saver->Running());
}

// The windows outlive changes of their resolution (the user's Xft.dpi set and removed, the
// primary monitor gone and back): each is drawn afresh at the new one, as the model draws it,
// and what the saver keeps on the X server does not grow with the changes.
TEST_F(Monitors, ChangedResolutionsRedrawTheSceneAndKeepTheServerFlat) {
  SetUpMonitors();
  auto saver = Start({"/s"});
  const Box left{0, 0, 1920, 1080};
  const Box right{1920, 0, 1280, 1024};
  // The banner's ink across rows that its place crosses at every resolution used here.
  const auto bannerWidth = [&](int x, int y) {
    const int width = x == 0 ? 1920 : 1280;
    XImage* image =
        XGetImage(display_, root_, x, y, static_cast<unsigned>(width), 40, AllPlanes, ZPixmap);
    if (image == nullptr) return 0;
    Shot strip{width, 40, {}};
    for (int row = 0; row < 40; ++row) {
      for (int column = 0; column < width; ++column) {
        strip.pixels.push_back(
            static_cast<std::uint32_t>(XGetPixel(image, column, row) & 0xFFFFFF));
      }
    }
    XDestroyImage(image);
    return InkBox(strip, Box{0, 0, width, 40}).width;
  };
  const auto atXftDpi = [&] {
    Xrdb("echo 'Xft.dpi: 144' | xrdb -nocpp -merge");
    // Xvfb announces a change only when an output changes.
    Xrandr({"--output", "screen", "--noprimary"});
    Xrandr({"--output", "screen", "--primary"});
    ASSERT_TRUE(WaitFor([&] { return bannerWidth(1920, 600) > 900 && bannerWidth(0, 600) < 1000; },
                        std::chrono::seconds(10)))
        << "both windows at 144 dpi";
  };
  const auto atOwnDensities = [&] {
    Xrdb("xrdb -nocpp -remove");
    Xrandr({"--delmonitor", "L"});
    Xrandr({"--setmonitor", "L", "1920/254x1080/143+0+0", "screen"});
    Xrandr({"--output", "screen", "--noprimary"});
    Xrandr({"--output", "screen", "--primary"});
    ASSERT_TRUE(WaitFor(
        [&] {
          return SaverWindows() == std::vector<std::pair<int, int>>{{0, 1920}, {1920, 1280}} &&
                 bannerWidth(1920, 450) < 700 && bannerWidth(0, 600) > 1200;
        },
        std::chrono::seconds(10)))
        << "the primary back at 192 dpi, the other at 96";
  };
  ASSERT_TRUE(WaitFor([&] { return bannerWidth(1920, 450) > 600; }, std::chrono::seconds(10)))
      << saver->Stderr();
  atXftDpi();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  Shot shot = Capture(display_);
  ExpectScene(shot, left, 144);
  ExpectScene(shot, right, 144);
  atOwnDensities();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  shot = Capture(display_);
  ExpectScene(shot, left, 192);
  ExpectScene(shot, right, 96);

  const std::vector<Window> windows = MappedChildren(display_, root_);
  ASSERT_FALSE(windows.empty());
  const auto [before, beforeBytes] = ServerPixmaps(display_, windows.front());
  for (int i = 0; i < 20; ++i) {
    atXftDpi();
    atOwnDensities();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto [after, afterBytes] = ServerPixmaps(display_, windows.front());
  std::printf("saver's pixmaps on the server: %d (%lu bytes), after 20 changes %d (%lu bytes)\n",
              before, beforeBytes, after, afterBytes);
  EXPECT_GT(before, 0) << "the count is read";
  // Captions shown meanwhile may add a mask or two; kept drawings of past views would add dozens.
  EXPECT_LE(after, before + 8);
  EXPECT_TRUE(saver->Running());
}

// A daemon's window on the monitor that is not the primary one is drawn at that monitor's
// resolution.
TEST_F(Monitors, ADaemonsWindowTakesTheResolutionOfItsMonitor) {
  SetUpMonitors();
  const Window daemon = XCreateSimpleWindow(display_, root_, 1920, 0, 1280, 1024, 0, 0, 0);
  XMapWindow(display_, daemon);
  XSync(display_, False);
  auto saver = Start({"--root"}, {{"XSCREENSAVER_WINDOW", Hex(daemon)}});
  const Box right{1920, 0, 1280, 1024};
  ASSERT_TRUE(WaitFor([&] { return InkBox(Capture(display_), right).width > 600; },
                      std::chrono::seconds(10)))
      << saver->Stderr();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ExpectScene(Capture(display_), right, 96);
  saver->Signal(SIGTERM);
  EXPECT_EQ(saver->WaitExit(std::chrono::seconds(5)), -SIGTERM);
}

INSTANTIATE_TEST_SUITE_P(Table, Monitors,
                         ::testing::Values(MonitorSetup{"EachByItsOwnSize", nullptr, 192, 96},
                                           MonitorSetup{"XftDpiForAll", "144", 144, 144}),
                         [](const ::testing::TestParamInfo<MonitorSetup>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace x11test

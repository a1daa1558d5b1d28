// The saver inside another program's window: the preview, a dead handle, and the ways
// screen-saver daemons hand it their window.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <ostream>
#include <thread>
#include <utility>
#include <vector>

#include "tests/x11/saver_fixture.hpp"

namespace x11test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// The saver's window inside `host`, once it is there and mapped.
Window WaitForEmbedded(Display* display, Window host) {
  Window child = 0;
  WaitFor(
      [&] {
        const std::vector<Window> children = MappedChildren(display, host);
        child = children.empty() ? 0 : children.front();
        return child != 0;
      },
      seconds(10));
  return child;
}

TEST_F(SaverTest, PreviewDrawsInsideTheHostAndEndsWithIt) {
  const Window host = CreateHostWindow(320, 240, ButtonPressMask | KeyPressMask);
  auto saver = Start({"/p", std::to_string(host)});
  const Window cover = WaitForEmbedded(display_, host);
  ASSERT_NE(cover, 0u) << saver->Stderr();

  const XWindowAttributes a = Attributes(display_, cover);
  EXPECT_EQ(a.x, 0);
  EXPECT_EQ(a.y, 0);
  EXPECT_EQ(a.width, 320);
  EXPECT_EQ(a.height, 240);
  EXPECT_EQ(WmName(display_, cover), "Preview");
  EXPECT_EQ(NetWmName(display_, cover), "Preview");
  // Its own scene: black, Label1's text at the top left (the banner lies below this window).
  ASSERT_TRUE(WaitFor(
      [&] {
        return InkBox(CaptureWindow(display_, cover), {0, 0, 320, 240}).width > 60;
      },
      seconds(5)));
  const Box ink = InkBox(CaptureWindow(display_, cover), {0, 0, 320, 240});
  EXPECT_GE(ink.x, kLabel1Box.x);
  EXPECT_LE(ink.x, kLabel1Box.x + 3);

  // Input there is the host's: the saver ignores it and the host still receives it.
  Xdotool({"mousemove", "100", "100"});
  Xdotool({"mousemove", "200", "150"});
  Xdotool({"click", "1"});
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_TRUE(saver->Running());
  XEvent event;
  EXPECT_TRUE(XCheckWindowEvent(display_, host, ButtonPressMask, &event));

  XDestroyWindow(display_, host);
  XSync(display_, False);
  const std::optional<int> status = saver->WaitExit(seconds(5));
  ASSERT_TRUE(status.has_value()) << "still running after its host went away";
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(saver->Stderr(), "") << "no X error is printed";
}

// The host's size changes while the saver runs (a settings dialog laid out after the saver
// started, the user resizing it): the embedded window follows each change and shows the scene.
struct HostResize {
  const char* name;
  bool daemon;  // started as a daemon starts it (XSCREENSAVER_WINDOW), else /p
  int startWidth;
  int startHeight;
  std::vector<std::pair<int, int>> steps;
};

void PrintTo(const HostResize& resize, std::ostream* out) {
  *out << resize.name;
}

class HostResizeTest : public SaverTest, public ::testing::WithParamInterface<HostResize> {};

TEST_P(HostResizeTest, TheEmbeddedWindowFollowsItsHost) {
  const HostResize& param = GetParam();
  const Window host = CreateHostWindow(param.startWidth, param.startHeight);
  auto saver = param.daemon ? Start({"-root"}, {{"XSCREENSAVER_WINDOW", Hex(host)}})
                            : Start({"/p", std::to_string(host)});
  const Window cover = WaitForEmbedded(display_, host);
  ASSERT_NE(cover, 0u) << saver->Stderr();
  for (const auto& [width, height] : param.steps) {
    XResizeWindow(display_, host, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display_, False);
    EXPECT_TRUE(WaitFor(
        [&] {
          const XWindowAttributes a = Attributes(display_, cover);
          return a.width == width && a.height == height;
        },
        seconds(3)))
        << width << "x" << height;
    // Large enough, the whole banner shows where the scene puts it.
    if (width >= kBannerBox.x + kBannerBox.width && height >= kBannerBox.y + kBannerBox.height) {
      EXPECT_TRUE(WaitFor([&] { return BannerShown(CaptureWindow(display_, cover)); }, seconds(3)))
          << width << "x" << height;
    }
  }
  EXPECT_TRUE(saver->Running());
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, HostResizeTest,
    ::testing::Values(
        HostResize{"PreviewGrownAndShrunk", false, 160, 120, {{1000, 700}, {200, 150}}},
        HostResize{"DaemonTinyAtFirst", true, 1, 1, {{480, 300}, {1000, 700}}},
        HostResize{"DaemonOneRowHigh", true, 469, 1, {{1000, 700}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaverTest, DeadHandleEndsWithOneClearError) {
  const Window gone = XCreateSimpleWindow(display_, root_, 0, 0, 10, 10, 0, 0, 0);
  XDestroyWindow(display_, gone);
  XSync(display_, False);
  auto saver = Start({"/p", std::to_string(gone)});
  const std::optional<int> status = saver->WaitExit(seconds(5));
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(*status, 1);
  const std::string error = saver->Stderr();
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
  EXPECT_NE(error.find(std::to_string(gone) + " does not exist"), std::string::npos) << error;
  EXPECT_TRUE(MappedChildren(display_, root_).empty());
}

// How a daemon names its window: the environment or the arguments.
struct DaemonStart {
  const char* name;
  bool inEnvironment;  // the id is in XSCREENSAVER_WINDOW
  bool hex;
  const char* option;  // null, or the option (followed by the id unless it is in the environment)
};

void PrintTo(const DaemonStart& start, std::ostream* out) {
  *out << start.name;
}

class DaemonConventionTest : public SaverTest, public ::testing::WithParamInterface<DaemonStart> {};

TEST_P(DaemonConventionTest, DrawsInTheGivenWindowAndDiesOfSigterm) {
  const DaemonStart& start = GetParam();
  const Window host = CreateHostWindow(400, 300);
  const std::string id = start.hex ? Hex(host) : std::to_string(host);
  std::map<std::string, std::string> env;
  if (start.inEnvironment) env["XSCREENSAVER_WINDOW"] = id;
  std::vector<std::string> args;
  if (start.option != nullptr) args.push_back(start.option);
  if (start.option != nullptr && !start.inEnvironment) args.push_back(id);
  auto saver = Start(args, env);
  const Window cover = WaitForEmbedded(display_, host);
  ASSERT_NE(cover, 0u) << saver->Stderr();
  EXPECT_EQ(Attributes(display_, cover).width, 400);
  EXPECT_EQ(Attributes(display_, cover).height, 300);
  EXPECT_FALSE(PointerInvisible(display_)) << "the pointer is the daemon's business";
  saver->Signal(SIGTERM);
  EXPECT_EQ(saver->WaitExit(seconds(3)), -SIGTERM) << "as hacks end, by the signal";
  EXPECT_EQ(saver->Stderr(), "");
  EXPECT_TRUE(MappedChildren(display_, host).empty()) << "cleaned up first";
}

INSTANTIATE_TEST_SUITE_P(
    Conventions, DaemonConventionTest,
    ::testing::Values(DaemonStart{"EnvironmentHex", true, true, nullptr},
                      DaemonStart{"EnvironmentDecimal", true, false, nullptr},
                      DaemonStart{"WindowIdDecimal", false, false, "-window-id"},
                      DaemonStart{"DoubleDashWindowIdHex", false, true, "--window-id"},
                      DaemonStart{"RootWithDaemonWindow", true, true, "-root"}),
    [](const auto& info) { return std::string(info.param.name); });

// Run by hand on the bare root window, it draws where programs draw on the root: below every
// other window, which stay usable (a window mapped before it keeps its keys), never a cover.
TEST_F(SaverTest, RootDrawsOnTheWholeScreenBelowOtherWindows) {
  const Window editor = CreateHostWindow(200, 100, KeyPressMask);
  XSetInputFocus(display_, editor, RevertToPointerRoot, CurrentTime);
  auto saver = Start({"-root"});
  std::vector<Window> covers;
  ASSERT_TRUE(
      WaitFor([&] { return (covers = TopLevelTitled("Preview")).size() == 1; }, seconds(10)))
      << saver->Stderr();
  EXPECT_EQ(Attributes(display_, covers.front()).width, 1280);
  EXPECT_EQ(Attributes(display_, covers.front()).height, 1024);
  EXPECT_EQ(MappedChildren(display_, root_).front(), covers.front()) << "not the bottom window";
  ASSERT_TRUE(WaitForBanner()) << "the banner lies beside the other window";
  Xdotool({"mousemove", "600", "700"});
  Xdotool({"mousemove", "640", "740"});
  Xdotool({"key", "q"});
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_TRUE(saver->Running()) << "input is not the saver's";
  XEvent event;
  EXPECT_TRUE(XCheckTypedWindowEvent(display_, editor, KeyPress, &event)) << "the key was eaten";
  saver->Signal(SIGTERM);
  EXPECT_EQ(saver->WaitExit(seconds(3)), -SIGTERM);
}

}  // namespace
}  // namespace x11test

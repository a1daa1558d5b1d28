// The saver full-screen on a private display: what it draws, what ends it, and how it ends.
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/x11/saver_fixture.hpp"
// After gtest, whose names the X headers' macros (None) would break.
#include "host/x11/window_search.hpp"

namespace x11test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// The scene's top strip, where the caption lines live.
constexpr Box kCaptionStrip{0, 0, 1280, 288};

TEST_F(SaverTest, FirstFrameShowsGroundBannerAndFirstLabelOnly) {
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  const Shot shot = Capture(display_);
  EXPECT_TRUE(BannerShown(shot));

  // Label1's text sits in its box at (8, 8). The line falls 21 px a second, and on a busy
  // machine a grab of the whole screen may come well after the first frame: allow a second.
  // (The model test checks the first frame's pixels exactly, wherever the line stands.)
  const Box label = InkBox(shot, kCaptionStrip);
  ASSERT_GT(label.width, 60) << "no caption drawn";
  // Both words on the one line the box holds: the first word alone is under 100 px wide.
  EXPECT_GT(label.width, 115) << "the caption wrapped and lost its second word";
  EXPECT_GE(label.x, kLabel1Box.x);
  EXPECT_LE(label.x, kLabel1Box.x + 3);
  EXPECT_GE(label.y, kLabel1Box.y);
  EXPECT_LE(label.x + label.width, kLabel1Box.x + kLabel1Box.width);
  EXPECT_LE(label.y + label.height, kLabel1Box.y + kLabel1Box.height + 21);
  EXPECT_GE(label.height, 8);
  std::uint32_t brightest = 0;
  for (int y = label.y; y < label.y + label.height; ++y) {
    for (int x = label.x; x < label.x + label.width; ++x)
      brightest = std::max(brightest, shot.At(x, y));
  }
  EXPECT_EQ(brightest, 0xFFFFFFu) << "Label1 is white";

  // Nothing else anywhere: black ground, the other labels hidden.
  const Box screen{0, 0, shot.width, shot.height};
  EXPECT_EQ(StrayPixels(shot, screen, {kBannerBox, label}), 0);
  for (const Box& other : kOtherLabelBoxes) EXPECT_EQ(InkBox(shot, other).width, 0);

  // Full screen, over everything, captioned, the pointer invisible over it.
  const std::vector<Window> top = MappedChildren(display_, root_);
  ASSERT_FALSE(top.empty());
  const XWindowAttributes a = Attributes(display_, top.back());
  EXPECT_EQ(a.x, 0);
  EXPECT_EQ(a.y, 0);
  EXPECT_EQ(a.width, 1280);
  EXPECT_EQ(a.height, 1024);
  EXPECT_TRUE(a.override_redirect);
  EXPECT_EQ(WmName(display_, top.back()), NetWmName(display_, top.back()));
  EXPECT_TRUE(PointerInvisible(display_));
}

TEST_F(SaverTest, FirstLabelFallsByTheTickCountWithoutATrail) {
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  const auto t0 = std::chrono::steady_clock::now();
  const Box before = InkBox(Capture(display_), kCaptionStrip);
  std::this_thread::sleep_for(seconds(3));
  const auto t1 = std::chrono::steady_clock::now();
  const Shot later = Capture(display_);
  const Box after = InkBox(later, kCaptionStrip);
  ASSERT_GT(after.width, 60);

  // 64 ticks a second, 5 twips (a third of a pixel) each.
  const double seconds = std::chrono::duration<double>(t1 - t0).count();
  const double expected = seconds * 64.0 * 5.0 / 15.0;
  EXPECT_NEAR(after.y - before.y, expected, 4.0) << "over " << seconds << " s";
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(after.height, before.height) << "the text keeps its shape";
  // The ink box of the whole strip is the moved label alone: no trail above it.
  EXPECT_EQ(StrayPixels(later, kCaptionStrip, {after}), 0);
  EXPECT_TRUE(BannerShown(later));
}

// Ends the saver by `action` and checks it leaves cleanly, the pointer shown again.
void ExpectEndsCleanly(ChildProcess& saver, Display* display) {
  const std::optional<int> status = saver.WaitExit(seconds(5));
  ASSERT_TRUE(status.has_value()) << "still running";
  EXPECT_EQ(*status, 0) << saver.Stderr();
  EXPECT_EQ(saver.Stderr(), "");
  EXPECT_TRUE(MappedChildren(display, DefaultRootWindow(display)).empty());
  EXPECT_FALSE(PointerInvisible(display));
}

TEST_F(SaverTest, KeyEndsIt) {
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  ASSERT_TRUE(PointerInvisible(display_));
  Xdotool({"key", "space"});
  ExpectEndsCleanly(*saver, display_);
}

TEST_F(SaverTest, ClickEndsIt) {
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  Xdotool({"mousemove", "1000", "800"});  // the first move only records the position
  std::this_thread::sleep_for(milliseconds(200));
  ASSERT_TRUE(saver->Running());
  Xdotool({"click", "1"});
  ExpectEndsCleanly(*saver, display_);
}

TEST_F(SaverTest, TwoPointerMovesEndIt) {
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  Xdotool({"mousemove", "600", "700"});
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_TRUE(saver->Running()) << "one move only records the position";
  Xdotool({"mousemove", "640", "740"});
  ExpectEndsCleanly(*saver, display_);
}

TEST_F(SaverTest, MovesOverTheBannerDoNotEndIt) {
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  for (const auto& [x, y] : {std::pair{300, 350}, {500, 400}, {700, 450}, {200, 300}}) {
    Xdotool({"mousemove", std::to_string(x), std::to_string(y)});
  }
  std::this_thread::sleep_for(milliseconds(500));
  EXPECT_TRUE(saver->Running());
  EXPECT_TRUE(PointerInvisible(display_));
  Xdotool({"key", "Escape"});
  ExpectEndsCleanly(*saver, display_);
}

class SignalTest : public SaverTest, public ::testing::WithParamInterface<int> {};

TEST_P(SignalTest, SignalEndsItCleanly) {
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  ASSERT_TRUE(PointerInvisible(display_));
  saver->Signal(GetParam());
  ExpectEndsCleanly(*saver, display_);
}

INSTANTIATE_TEST_SUITE_P(TermAndInt, SignalTest, ::testing::Values(SIGTERM, SIGINT),
                         [](const auto& info) {
                           return std::string(info.param == SIGTERM ? "Sigterm" : "Sigint");
                         });

TEST_F(SaverTest, ThirdFullScreenStartEndsAtOnce) {
  auto first = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << first->Stderr();
  // The second sees the first running but unmarked: it runs and marks its window, which waits
  // for the keyboard the first one holds before it covers the screen.
  auto second = Start({"/s"});
  ASSERT_TRUE(WaitFor(
      [&] { return host::x11::FindTopLevelByTitle(display_, root_, "VorthaneSoftware") != 0; },
      seconds(10)))
      << second->Stderr();
  auto third = Start({"/s"});
  const std::optional<int> status = third->WaitExit(seconds(5));
  ASSERT_TRUE(status.has_value()) << "the third start keeps running";
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(third->Stderr(), "");
  EXPECT_TRUE(first->Running());
  EXPECT_TRUE(second->Running());
  EXPECT_EQ(MappedChildren(display_, root_).size(), 1u);
  first->Signal(SIGTERM);
  EXPECT_EQ(first->WaitExit(seconds(5)), 0);
  EXPECT_TRUE(WaitFor([&] { return TopLevelTitled("VorthaneSoftware").size() == 1; }, seconds(5)))
      << "the second covers the screen once the keyboard is free";
  second->Signal(SIGTERM);
  EXPECT_EQ(second->WaitExit(seconds(5)), 0);
}

// Ten copies started at once (a daemon and a user racing): whatever order they see each other
// in, at most one besides the first stays, the one that marked its window; the rest end.
TEST_F(SaverTest, TenSimultaneousStartsLeaveAtMostTwo) {
  // The ten wait at a gate (a lock the test holds) and all start when it opens.
  char gate[] = "/tmp/vorthane-gate-XXXXXX";
  const int gateFd = mkstemp(gate);
  ASSERT_GE(gateFd, 0);
  ASSERT_EQ(flock(gateFd, LOCK_EX), 0);
  std::vector<std::unique_ptr<ChildProcess>> savers;
  for (int i = 0; i < 10; ++i) {
    savers.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{"sh", "-c", "flock -s \"$0\" true && exec \"$1\" /s", gate,
                                 VORTHANE_EXE},
        std::map<std::string, std::string>{{"DISPLAY", server_->name()},
                                           {"XSCREENSAVER_WINDOW", ""}}));
  }
  std::this_thread::sleep_for(milliseconds(300));
  flock(gateFd, LOCK_UN);
  close(gateFd);
  unlink(gate);
  const auto running = [&] {
    return std::count_if(savers.begin(), savers.end(), [](auto& s) { return s->Running(); });
  };
  EXPECT_TRUE(WaitFor([&] { return running() <= 2; }, seconds(10))) << running() << " running";
  ASSERT_TRUE(WaitForBanner()) << "one of them covers the screen";
  std::printf("%d of the ten still running\n", static_cast<int>(running()));
  EXPECT_GE(running(), 1);
  EXPECT_LE(running(), 2);
  for (auto& saver : savers) {
    if (saver->Running()) {
      saver->Signal(SIGTERM);
    }
    EXPECT_EQ(saver->WaitExit(seconds(5)), 0) << saver->Stderr();
    EXPECT_EQ(saver->Stderr(), "");
  }
}

}  // namespace
}  // namespace x11test

// Frames only while someone can see them: the monitors powered down (a preloaded stand-in for
// the server's DPMS, which Xvfb lacks) or the saver's window covered by another window.
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "tests/x11/saver_fixture.hpp"
// X after gtest (in the fixture), whose names the None macro would break.
#include "tests/x11/model_frame.hpp"

namespace x11test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Times the process's threads went to sleep or were put aside: its wake-ups.
long WakeUps(pid_t pid) {
  long total = 0;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  DIR* dir = opendir(tasks.c_str());
  if (dir == nullptr) return -1;
  while (const dirent* task = readdir(dir)) {
    if (task->d_name[0] == '.') continue;
    std::ifstream status(tasks + "/" + task->d_name + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.find("ctxt_switches:") != std::string::npos) {
        total += std::atol(line.substr(line.find(':') + 1).c_str());
      }
    }
  }
  closedir(dir);
  return total;
}

long WakeUpsOver(pid_t pid, milliseconds span) {
  const long before = WakeUps(pid);
  std::this_thread::sleep_for(span);
  return WakeUps(pid) - before;
}

// The picture changes within `limit`.
bool Changes(const std::function<Shot()>& capture, milliseconds limit) {
  const Shot first = capture();
  return WaitFor([&] { return capture().pixels != first.pixels; }, limit);
}

class PowerTest : public SaverTest {
 protected:
  void SetUp() override {
    SaverTest::SetUp();
    char pattern[] = "/tmp/vorthane-dpms-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    stateFile_ = folder_ + "/state";
  }
  void TearDown() override {
    std::remove(stateFile_.c_str());
    rmdir(folder_.c_str());
    SaverTest::TearDown();
  }
  void SetPower(const char* state) { std::ofstream(stateFile_) << state << "\n"; }
  std::unique_ptr<ChildProcess> StartPowered(const char* state,
                                             const std::vector<std::string>& args = {"/s"},
                                             std::map<std::string, std::string> env = {}) {
    SetPower(state);
    env["LD_PRELOAD"] = VORTHANE_FAKE_DPMS;
    env["FAKE_DPMS_FILE"] = stateFile_;
#ifdef VORTHANE_SANITIZED
    env["ASAN_OPTIONS"] = "verify_asan_link_order=0";  // the preloaded library comes first
#endif
    return Start(args, env);
  }
  Shot Screen() {
    return Capture(display_);
  }

  std::string folder_;
  std::string stateFile_;
};

// Nothing is drawn while the monitors are off; switched on, the first frame is the scene as it
// stood at the start, because its timers stood still meanwhile.
TEST_F(PowerTest, StartedWhileOffDrawsNothingUntilOnThenTheModelsFirstFrame) {
  auto saver = StartPowered("off");
  ASSERT_TRUE(WaitFor([&] { return !MappedChildren(display_, root_).empty(); }, seconds(10)))
      << saver->Stderr();
  std::this_thread::sleep_for(milliseconds(500));  // past start-up
  EXPECT_LE(WakeUpsOver(saver->pid(), seconds(3)), 6) << "one wake-up a second at most";
  const Shot dark = Screen();
  EXPECT_EQ(InkBox(dark, {0, 0, dark.width, dark.height}).width, 0) << "something was drawn";

  SetPower("on");
  ASSERT_TRUE(WaitForBanner(seconds(5))) << "not drawn again within a few seconds";
  ModelFrame model(display_);
  const ModelMatch first = model.BestMatch(Screen());
  EXPECT_EQ(first.mismatches, 0) << "Label1 at row " << first.row;
  EXPECT_GT(first.textPixels, 300);
  // 3.5 s off would have moved it 70 px further had the timers run.
  EXPECT_LE(first.row, 8 + 30) << "the cycle went on while nobody could see it";
  EXPECT_TRUE(Changes([&] { return Screen(); }, seconds(3))) << "frames go on";
}

// Drawing, then the monitors power down: the frames stop at the next look at the power state
// (at most half a minute later), and a key ends the saver at once all the same.
TEST_F(PowerTest, PoweredDownWhileDrawingStopsTheFramesAndAKeyStillEndsIt) {
  auto saver = StartPowered("on");
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  ASSERT_TRUE(Changes([&] { return Screen(); }, seconds(3)));
  SetPower("off");
  ASSERT_TRUE(WaitFor([&] { return !Changes([&] { return Screen(); }, seconds(2)); }, seconds(45)))
      << "still drawing with the monitors off";
  EXPECT_LE(WakeUpsOver(saver->pid(), seconds(3)), 6) << "one wake-up a second at most";
  EXPECT_TRUE(BannerShown(Screen())) << "the last frame stays";

  Xdotool({"key", "space"});
  const std::optional<int> status = saver->WaitExit(seconds(3));
  ASSERT_TRUE(status.has_value()) << "a key while the monitors are off did not end it";
  EXPECT_EQ(*status, 0) << saver->Stderr();
  EXPECT_TRUE(MappedChildren(display_, root_).empty());
}

// In a daemon's window while the monitors are off: nothing is drawn there, and the daemon's
// SIGTERM still ends it at once.
TEST_F(PowerTest, InADaemonsWindowWhileOffNothingIsDrawnAndSigtermEndsIt) {
  const Window host = CreateHostWindow(480, 360);
  auto saver = StartPowered("off", {"-root"}, {{"XSCREENSAVER_WINDOW", Hex(host)}});
  Window cover = 0;
  ASSERT_TRUE(WaitFor(
      [&] {
        const std::vector<Window> children = MappedChildren(display_, host);
        cover = children.empty() ? 0 : children.front();
        return cover != 0;
      },
      seconds(10)))
      << saver->Stderr();
  std::this_thread::sleep_for(milliseconds(1500));
  EXPECT_EQ(InkBox(CaptureWindow(display_, cover), {0, 0, 480, 360}).width, 0) << "drawn";
  saver->Signal(SIGTERM);
  EXPECT_EQ(saver->WaitExit(seconds(3)), -SIGTERM);
  EXPECT_EQ(saver->Stderr(), "");
}

// The preview's host under another window: nothing drawn there until it is uncovered.
TEST_F(SaverTest, APreviewCoveredWholeStopsDrawingAndDrawsAgainUncovered) {
  const Window host = CreateHostWindow(320, 240);
  auto saver = Start({"/p", std::to_string(host)});
  Window cover = 0;
  ASSERT_TRUE(WaitFor(
      [&] {
        const std::vector<Window> children = MappedChildren(display_, host);
        cover = children.empty() ? 0 : children.front();
        return cover != 0 && InkBox(CaptureWindow(display_, cover), {0, 0, 320, 240}).width > 60;
      },
      seconds(10)))
      << saver->Stderr();
  const auto preview = [&] { return CaptureWindow(display_, cover); };
  ASSERT_TRUE(Changes(preview, seconds(3)));
  EXPECT_GT(WakeUpsOver(saver->pid(), seconds(1)), 10) << "drawing: a wake-up per frame";

  const Window over = XCreateSimpleWindow(display_, root_, 0, 0, 640, 480, 0, 0, 0xff00ff);
  XMapRaised(display_, over);
  XSync(display_, False);
  std::this_thread::sleep_for(milliseconds(500));
  EXPECT_LE(WakeUpsOver(saver->pid(), seconds(3)), 3) << "still drawing while covered";

  XUnmapWindow(display_, over);
  XSync(display_, False);
  EXPECT_TRUE(Changes(preview, seconds(3))) << "not drawn again when uncovered";
  EXPECT_GT(InkBox(preview(), {0, 0, 320, 240}).width, 60);
  EXPECT_TRUE(saver->Running());
}

}  // namespace
}  // namespace x11test

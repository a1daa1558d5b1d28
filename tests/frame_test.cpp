// Frames on the headless platform: when they are presented, what they repaint, and that
// repainting only the damage shows the same pixels as drawing everything anew.
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "host/drawing/scene_painter.hpp"
#include "host/headless/headless_platform.hpp"
#include "host/runtime.hpp"
#include "tests/sim_harness.hpp"
#include "vorthane/assets.hpp"

namespace {

using host::TraceOp;
using host::drawing::PixelRect;
using testing_support::Desktop;
using testing_support::Record;
using testing_support::SimRun;

constexpr double kTickMs = 15.625;
const std::string kWholeScreen = "[[0,0,1920,1080]]";
const std::string kBanner = R"({"control":"Image1","x":104,"y":288,"w":804,"h":204})";

std::string Label1At(int y) {
  return R"({"control":"Label1","x":8,"y":)" + std::to_string(y) + R"(,"w":169,"h":17})";
}

TEST(Frames, TheFirstFrameRepaintsTheWholeClientAreaWithBannerAndFirstLine) {
  SimRun run(Desktop("/s", 40));
  run.Run();
  const auto frames = run.trace.Of(TraceOp::kFrame);
  ASSERT_EQ(frames.size(), 1u) << "no frame before the third tick";
  EXPECT_EQ(frames[0].t, 0);
  EXPECT_EQ(frames[0]["damage"], kWholeScreen);
  EXPECT_EQ(frames[0]["visible"], "[" + kBanner + "," + Label1At(8) + "]");
}

TEST(Frames, OneFramePerWholePixelStepOfTheFallingLineRepaintingOnlyItsOldAndNewBox) {
  SimRun run(Desktop("/s", 8300));
  run.Run();
  const auto frames = run.trace.Of(TraceOp::kFrame);
  // Stage 1: a line moves 5 twips a tick, so a pixel every third tick, and nothing else moves.
  ASSERT_EQ(frames.size(), 1u + static_cast<std::size_t>(8300 / (3 * kTickMs)));
  for (std::size_t i = 1; i < frames.size(); ++i) {
    const int y = 8 + static_cast<int>(i);
    SCOPED_TRACE("frame " + std::to_string(i));
    EXPECT_DOUBLE_EQ(frames[i].t, 3 * kTickMs * static_cast<double>(i));
    EXPECT_EQ(frames[i]["damage"], "[[8," + std::to_string(y - 1) + ",169,18]]");
    EXPECT_EQ(frames[i]["visible"], "[" + kBanner + "," + Label1At(y) + "]");
  }
}

TEST(Frames, AStageEndRepaintsTheHiddenLineAndTheNewOneAndNeverTheReturningLine) {
  SimRun run(Desktop("/s", 17000));
  run.Run();
  std::vector<Record> stage2;
  for (const Record& frame : run.trace.Of(TraceOp::kFrame)) {
    if (frame.t > 8400 && frame.t < 16800) stage2.push_back(frame);
  }
  ASSERT_FALSE(stage2.empty());
  // Timer2 ends stage 1 in tick 538; the next frame, at tick 540, shows Label2 after its first
  // two ticks, still in its top pixel row, and repaints where Label1 last stood.
  EXPECT_DOUBLE_EQ(stage2[0].t, 540 * kTickMs);
  EXPECT_EQ(stage2[0]["damage"], "[[264,8,105,33],[8,187,169,17]]");
  EXPECT_EQ(stage2[0]["visible"],
            "[" + kBanner + R"(,{"control":"Label2","x":264,"y":8,"w":105,"h":33}])");
  // Label1 rises, hidden, all through stage 2: no frame repaints anything of it.
  for (std::size_t i = 1; i < stage2.size(); ++i) {
    EXPECT_EQ(stage2[i]["damage"].rfind("[[264,", 0), 0u) << stage2[i]["damage"];
  }
}

TEST(Frames, APreviewPaintsOnlyTheHostsClientArea) {
  auto config = Desktop("/p 1234", 100);
  config.hosts.push_back({1234, 152, 112});
  SimRun run(std::move(config));
  run.Run();
  const auto frames = run.trace.Of(TraceOp::kFrame);
  ASSERT_GE(frames.size(), 2u);
  EXPECT_EQ(frames[0]["damage"], "[[0,0,152,112]]");
  EXPECT_EQ(frames[1]["damage"], "[[8,8,144,18]]") << "the line's boxes cut at the right edge";
  // The banner lies wholly below and right of a 152x112 view: the view shows the line alone.
  EXPECT_EQ(frames[1]["visible"], "[" + Label1At(9) + "]");
}

// A platform that sleeps until each frame is due, as a real display does, and loses part of
// the window once.
class FrameSleeper : public host::headless::HeadlessPlatform {
 public:
  using HeadlessPlatform::HeadlessPlatform;
  std::vector<double> wakeMs;
  host::WaitResult Wait(const host::WaitDeadlines& deadlines, host::EventSink& sink) override {
    host::WaitDeadlines sleep = deadlines;
    sleep.tickNs = deadlines.frameNs;
    const host::WaitResult result = HeadlessPlatform::Wait(sleep, sink);
    wakeMs.push_back(static_cast<double>(NowNs()) / 1e6);
    if (NowNs() == 1'500'000'000) sink.OnExposed(Views().front().id, {300, 600, 50, 40});
    return result;
  }
};

TEST(Frames, APlatformThatSleepsToTheFrameGridGetsEveryTickAndTheSameFrames) {
  testing_support::RecordingTrace trace;
  FrameSleeper platform(Desktop("/s", 2000));
  host::Runtime runtime(platform, &trace);
  startup::Program program(runtime);
  program.Run();
  // Every tick up to the last frame before the time ran out, each delivered on its own.
  EXPECT_EQ(runtime.CurrentTick(), 126);
  EXPECT_EQ(trace.Of(TraceOp::kTop).size(), 126u);
  for (const double ms : platform.wakeMs) {
    if (ms < 2000) {
      EXPECT_EQ(static_cast<long long>(ms * 1000) % 46875, 0) << ms;
    }
  }
  const auto frames = trace.Of(TraceOp::kFrame);
  ASSERT_GE(frames.size(), 43u);
  EXPECT_DOUBLE_EQ(frames[1].t, 3 * kTickMs);
  EXPECT_EQ(frames[1]["damage"], "[[8,8,169,18]]");
  // The lost part is presented again at once, with the line's step if one is due.
  bool exposed = false;
  for (const Record& frame : frames) {
    if (frame.t == 1500) {
      exposed = true;
      EXPECT_EQ(frame["damage"], "[[300,600,50,40],[8,39,169,18]]");
    }
  }
  EXPECT_TRUE(exposed);
}

// The full-screen saver on a 1024 x 600 screen whose frames keep their pixels.
host::headless::DesktopConfig RasterSaver(double runMs) {
  auto config = Desktop("/s", runMs);
  config.screenWidth = 1024;
  config.screenHeight = 600;
  config.raster = true;
  return config;
}

class RepaintingOnlyTheDamage : public ::testing::TestWithParam<double> {};

TEST_P(RepaintingOnlyTheDamage, ShowsWhatDrawingEverythingShows) {
  SimRun run(RasterSaver(GetParam()));
  run.Run();
  const auto& canvas = run.platform.Canvas();
  ASSERT_GT(canvas.FramesPresented(), 1u);
  const auto full = testing_support::FullRepaint(run.program.frmCover, {1024, 600});
  std::size_t wrong = 0;
  for (std::size_t i = 0; i < full.size(); ++i) {
    if (canvas.Screen()[i] != full[i] && wrong++ < 5) {
      ADD_FAILURE() << "stale at " << i % 1024 << "," << i / 1024 << ": " << canvas.Screen()[i]
                    << " instead of " << full[i];
    }
  }
  EXPECT_EQ(wrong, 0u) << "pixels the frames left stale";
}

// Moments on the frame grid (between frames the screen shows the last frame, not the scene as it
// stands): mid-fall, just after a stage end, mid-return, in the second cycle.
INSTANTIATE_TEST_SUITE_P(Moments, RepaintingOnlyTheDamage,
                         ::testing::Values(3000.0, 8437.5, 19968.75, 46968.75),
                         [](const ::testing::TestParamInfo<double>& info) {
                           return "At" + std::to_string(static_cast<int>(info.param)) + "ms";
                         });

TEST(Frames, TheFirstFramePaintsGroundBannerAndTheFirstLineInPaintOrder) {
  SimRun run(RasterSaver(10));
  run.Run();
  const auto& canvas = run.platform.Canvas();
  const auto banner = host::drawing::DecodeBmp24(assets::kBannerBmp);
  std::size_t bannerWrong = 0;
  for (int y = 0; y < 204; ++y) {
    for (int x = 0; x < 804; ++x) {
      bannerWrong += canvas.ScreenPixel(104 + x, 288 + y) !=
                     banner.pixels[static_cast<std::size_t>(y * 804 + x)];
    }
  }
  EXPECT_EQ(bannerWrong, 0u) << "the banner at its own size, exactly as the picture";
  EXPECT_EQ(canvas.ScreenPixel(1000, 590), 0u) << "black ground";
  EXPECT_EQ(canvas.ScreenPixel(103, 300), 0u);
  // Label1: white text from its box's corner (the first capital spans 9 px, then a gap).
  EXPECT_EQ(canvas.ScreenPixel(8, 8), 0xFFFFFFu);
  EXPECT_EQ(canvas.ScreenPixel(17, 8), 0u) << "the ground shows between the characters";
  EXPECT_EQ(canvas.ScreenPixel(8, 19), 0xFFFFFFu);
  EXPECT_EQ(canvas.ScreenPixel(8, 20), 0u) << "below the baseline";
  EXPECT_EQ(canvas.ScreenPixel(264, 8), 0u) << "Label2 is hidden";
}

}  // namespace

namespace {

// A platform whose window takes a tenth of a second to come up, as a slow machine's does.
class SlowStart : public host::headless::HeadlessPlatform {
 public:
  using HeadlessPlatform::HeadlessPlatform;
  host::Hwnd CreateFormWindow(const host::Form& form) override {
    Spend(100'000'000);
    return HeadlessPlatform::CreateFormWindow(form);
  }
};

TEST(Frames, TimeSpentStartingIsNotMadeUpWithABurstOfTicksAfterTheFirstFrame) {
  testing_support::RecordingTrace trace;
  SlowStart platform(Desktop("/s", 200));
  host::Runtime runtime(platform, &trace);
  startup::Program program(runtime);
  program.Run();
  const auto frames = trace.Of(TraceOp::kFrame);
  const auto ticks = trace.Of(TraceOp::kTimer);
  ASSERT_GE(frames.size(), 2u);
  ASSERT_FALSE(ticks.empty());
  EXPECT_EQ(frames[0].t, 100) << "the first frame as soon as the window is up";
  EXPECT_DOUBLE_EQ(ticks[0].t, 100 + kTickMs) << "the first tick a tick later, not at once";
  EXPECT_DOUBLE_EQ(frames[1].t, 100 + 3 * kTickMs);
  EXPECT_EQ(frames[1]["damage"], "[[8,8,169,18]]") << "one pixel's step, not several";
}

}  // namespace

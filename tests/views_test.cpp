// The form on several monitors: a view per monitor, each showing the whole scene from its own
// corner at its own scale, following monitors that come, go or change; back buffers that hold
// only the scene.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sim_harness.hpp"

namespace {

using host::TraceOp;
using host::headless::MonitorSpec;
using testing_support::Desktop;
using testing_support::ExpectEveryViewShowsTheScene;
using testing_support::Record;
using testing_support::SimRun;

constexpr double kFrameMs = 46.875;

std::vector<Record> FramesOfView(const SimRun& run, int view) {
  std::vector<Record> frames;
  for (const Record& r : run.trace.Of(TraceOp::kFrame)) {
    if (r.Int("view") == view) frames.push_back(r);
  }
  return frames;
}

TEST(Views, EveryMonitorShowsTheWholeSceneFromItsOwnCornerAtItsOwnScale) {
  auto config = Desktop("/s", 3000);
  config.monitors = {{{0, 0, 1920, 1080}}, {{-1280, 0, 1280, 1024}, 144}};
  config.raster = true;
  SimRun run(std::move(config));
  run.Run();
  ASSERT_EQ(run.platform.Views().size(), 2u);
  ExpectEveryViewShowsTheScene(run);
  const auto first = FramesOfView(run, run.platform.Views()[0].id);
  const auto second = FramesOfView(run, run.platform.Views()[1].id);
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(first[0]["damage"], "[[0,0,1920,1080]]");
  EXPECT_EQ(second[0]["damage"], "[[0,0,1280,1024]]");
  EXPECT_EQ(second[0]["visible"], R"([{"control":"Image1","x":156,"y":432,"w":1206,"h":306},)"
                                  R"({"control":"Label1","x":12,"y":12,"w":253,"h":25}])")
      << "the design enlarged 1.5 times";
  // Each view repaints only its own line's boxes, at its own scale.
  EXPECT_EQ(first[1]["damage"], "[[8,8,169,18]]");
  EXPECT_EQ(second[1]["damage"], "[[12,12,253,27]]");
}

TEST(Views, InputInAnyViewReachesTheFormAndEndsTheSaver) {
  auto config = Desktop("/s", 3000);
  config.monitors = {{{0, 0, 800, 600}}, {{800, 0, 800, 600}, 192}};
  config.actions = {testing_support::Input(500, host::InputKind::kKeyDown)};
  SimRun run(std::move(config));
  EXPECT_EQ(run.Run(), 0);
  EXPECT_EQ(run.trace.Of(TraceOp::kUnload).size(), 1u);
  EXPECT_TRUE(run.platform.Views().empty());
  EXPECT_FALSE(run.platform.PointerHidden());
}

struct MonitorChange {
  const char* name;
  std::vector<MonitorSpec> before;
  std::vector<MonitorSpec> after;
  std::vector<bool> repaintedWhole;  // after the change, per monitor: painted anew
};

class MonitorsThatChange : public ::testing::TestWithParam<MonitorChange> {};

TEST_P(MonitorsThatChange, AreFollowedWithinAFrameAndLeaveNoMonitorUncovered) {
  const MonitorChange& c = GetParam();
  constexpr double kChangeMs = 1000;
  auto config = Desktop("/s", 3000);
  config.monitors = c.before;
  config.raster = true;
  host::headless::ScriptedAction change;
  change.kind = host::headless::ScriptedAction::Kind::kSetMonitors;
  change.atNs = static_cast<std::int64_t>(kChangeMs * 1e6);
  change.monitors = c.after;
  config.actions = {change};
  SimRun run(std::move(config));
  run.Run();
  const auto views = run.platform.Views();
  ASSERT_EQ(views.size(), c.after.size());
  ExpectEveryViewShowsTheScene(run);
  for (std::size_t i = 0; i < views.size(); ++i) {
    SCOPED_TRACE("monitor " + std::to_string(i));
    const auto& area = c.after[i].area;
    const std::string whole =
        "[[0,0," + std::to_string(area.width) + "," + std::to_string(area.height) + "]]";
    bool anew = false;
    for (const Record& frame : FramesOfView(run, views[i].id)) {
      if (frame.t < kChangeMs || frame.t > kChangeMs + kFrameMs) continue;
      anew = anew || frame["damage"] == whole;
    }
    EXPECT_EQ(anew, c.repaintedWhole[i]);
  }
}

const MonitorSpec kLeft{{0, 0, 1024, 768}};
const MonitorSpec kRight{{1024, 0, 800, 600}};

INSTANTIATE_TEST_SUITE_P(
    Table, MonitorsThatChange,
    ::testing::Values(
        MonitorChange{"Added", {kLeft}, {kLeft, kRight}, {false, true}},
        MonitorChange{"Removed", {kLeft, kRight}, {kLeft}, {false}},
        MonitorChange{"Resized", {kLeft, kRight}, {kLeft, {{1024, 0, 1280, 1024}}}, {false, true}},
        MonitorChange{
            "Rescaled", {kLeft, kRight}, {{{0, 0, 1024, 768}, 192}, kRight}, {true, false}},
        MonitorChange{"PrimaryGone", {kLeft, kRight}, {kRight}, {true}}),
    [](const ::testing::TestParamInfo<MonitorChange>& info) { return info.param.name; });

TEST(Views, TheBackBufferHoldsOnlyTheSceneHoweverLargeTheMonitor) {
  for (const MonitorSpec& monitor :
       {MonitorSpec{{0, 0, 1280, 1024}}, MonitorSpec{{0, 0, 3840, 2160}},
        MonitorSpec{{0, 0, 3840, 2160}, 192}}) {
    auto config = Desktop("/s", 100);
    config.monitors = {monitor};
    config.raster = true;
    SimRun run(std::move(config));
    run.Run();
    const auto& canvas = run.platform.Canvas();
    const int scale = monitor.dpi / 96;
    // From Label1's corner to the banner's far corner, where every control can be drawn.
    EXPECT_EQ(canvas.BufferArea(),
              (host::drawing::PixelRect{8 * scale, 8 * scale, 900 * scale, 484 * scale}));
    EXPECT_EQ(canvas.ScreenPixel(monitor.area.width - 1, monitor.area.height - 1), 0u)
        << "the ground beyond the buffer is filled on the window";
  }
}

}  // namespace

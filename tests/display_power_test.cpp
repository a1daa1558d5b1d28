// Displays that sleep: no frame and no timer while nobody can see the scene, the cycle going on
// from where it stood, a whole repaint when a display wakes, and input that still ends the saver.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cover/scene.hpp"
#include "tests/sim_harness.hpp"

namespace {

using host::TraceOp;
using host::headless::DesktopConfig;
using host::headless::MonitorSpec;
using host::headless::ScriptedAction;
using testing_support::Desktop;
using testing_support::Record;
using testing_support::SimRun;

ScriptedAction Power(double ms, bool on, int monitor = ScriptedAction::kEveryMonitor) {
  ScriptedAction action;
  action.kind = ScriptedAction::Kind::kDisplayPower;
  action.atNs = std::llround(ms * 1e6);
  action.displayOn = on;
  action.monitor = monitor;
  return action;
}

std::vector<Record> Between(const SimRun& run, TraceOp op, double fromMs, double toMs) {
  std::vector<Record> out;
  for (const Record& r : run.trace.Of(op)) {
    if (r.t > fromMs && r.t < toMs) out.push_back(r);
  }
  return out;
}

std::vector<float> LabelTops(const SimRun& run) {
  std::vector<float> tops;
  for (const host::LabelId id : cover::kCaptionLines) {
    tops.push_back(run.program.frmCover.LabelTop(id.index));
  }
  return tops;
}

struct PowerCase {
  const char* name;
  std::string commandLine;
  std::vector<MonitorSpec> monitors;
  std::vector<ScriptedAction> actions;  // the display goes off at 1000 ms in every case
  bool framesWhileOff;                  // some view is still seen
};

class DisplayPower : public testing::TestWithParam<PowerCase> {};

// While nothing is seen, neither frames nor timers; while one monitor of two is seen, it alone
// is drawn and the cycle goes on.
TEST_P(DisplayPower, NothingIsDrawnWhereNobodySeesIt) {
  const PowerCase& c = GetParam();
  DesktopConfig config = Desktop(c.commandLine, 5000);
  config.monitors = c.monitors;
  config.hosts.push_back({1234, 152, 112});
  config.raster = true;
  config.actions = c.actions;
  SimRun run(std::move(config));
  run.Run();
  const auto framesOff = Between(run, TraceOp::kFrame, 1000, 3000);
  const auto timersOff = Between(run, TraceOp::kTimer, 1000, 3000);
  if (c.framesWhileOff) {
    ASSERT_FALSE(framesOff.empty());
    for (const Record& frame : framesOff) EXPECT_EQ(frame.Int("view"), 1) << "the sleeping one";
    EXPECT_GT(timersOff.size(), 100u);
  } else {
    EXPECT_TRUE(framesOff.empty()) << framesOff.size() << " frames while off";
    EXPECT_TRUE(timersOff.empty()) << timersOff.size() << " timer events while off";
  }
  // Awake again: every view that slept repaints whole at once; all show the scene's state.
  std::size_t woke = 0;
  for (const Record& frame : Between(run, TraceOp::kFrame, 2999, 3001)) {
    if (c.framesWhileOff && frame.Int("view") == 1) continue;  // it never slept
    ++woke;
    const auto& canvas = run.platform.CanvasOf(static_cast<int>(frame.Int("view")));
    EXPECT_EQ(frame["damage"], "[[0,0," + std::to_string(canvas.Size().width) + "," +
                                   std::to_string(canvas.Size().height) + "]]");
  }
  EXPECT_EQ(woke, c.monitors.empty() ? 1u : c.framesWhileOff ? 1u : 2u);
  testing_support::ExpectEveryViewShowsTheScene(run);
}

const std::vector<MonitorSpec> kTwoMonitors = {{{0, 0, 1280, 1024}}, {{1280, 0, 1024, 768}}};

INSTANTIATE_TEST_SUITE_P(
    Cases, DisplayPower,
    testing::Values(
        PowerCase{"FullScreen", "/s", {}, {Power(1000, false), Power(3000, true)}, false},
        PowerCase{"Preview", "/p 1234", {}, {Power(1000, false), Power(3000, true)}, false},
        PowerCase{"BothMonitors",
                  "/s",
                  kTwoMonitors,
                  {Power(1000, false, 0), Power(1000, false, 1), Power(3000, true)},
                  false},
        PowerCase{"OneMonitorOfTwo",
                  "/s",
                  kTwoMonitors,
                  {Power(1000, false, 1), Power(3000, true, 1)},
                  true}),
    [](const testing::TestParamInfo<PowerCase>& info) { return std::string(info.param.name); });

// The cycle stands still while off: two seconds asleep change nothing in where the lines are.
TEST(DisplayPowerCycle, GoesOnFromWhereItStood) {
  DesktopConfig asleep = Desktop("/s", 3500);
  asleep.actions = {Power(1000, false), Power(3000, true)};
  SimRun slept(std::move(asleep));
  slept.Run();
  SimRun awake(Desktop("/s", 1500));
  awake.Run();
  EXPECT_EQ(LabelTops(slept), LabelTops(awake));
  EXPECT_EQ(slept.trace.Of(TraceOp::kTimer).size(), awake.trace.Of(TraceOp::kTimer).size());
}

// A key wakes the monitor, and must still end the saver at once.
TEST(DisplayPowerCycle, InputWhileOffEndsTheSaver) {
  DesktopConfig config = Desktop("/s", 5000);
  config.actions = {Power(500, false), testing_support::Input(2000, host::InputKind::kKeyDown)};
  SimRun run(std::move(config));
  EXPECT_EQ(run.Run(), 0);
  const auto ends = run.trace.Of(TraceOp::kEnd);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_DOUBLE_EQ(ends[0].t, 2000);
}

}  // namespace

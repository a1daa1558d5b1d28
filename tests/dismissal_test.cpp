// What input closes the full-screen saver, and what it leaves alone.
#include <gtest/gtest.h>

#include "tests/sim_harness.hpp"

namespace {

using host::InputKind;
using host::TraceOp;
using host::headless::ScriptedAction;
using testing_support::Desktop;
using testing_support::Input;
using testing_support::MouseAt;
using testing_support::SimRun;

constexpr auto kMove = InputKind::kMouseMove;

struct DismissCase {
  const char* name;
  std::vector<ScriptedAction> actions;
  double closesAtMs;  // < 0: stays open
  int lastX;          // the record at the end
  int lastY;
};

class Dismissal : public ::testing::TestWithParam<DismissCase> {};

TEST_P(Dismissal, FollowsTheRules) {
  const DismissCase& c = GetParam();
  auto config = Desktop("/s", 3000);
  config.actions = c.actions;
  SimRun run(config);
  EXPECT_EQ(run.Run(), 0);
  const auto unload = run.trace.Of(TraceOp::kUnload);
  if (c.closesAtMs < 0) {
    EXPECT_TRUE(unload.empty());
    EXPECT_TRUE(run.program.frmCover.Loaded());
    EXPECT_EQ(run.CursorCount(), -1);
  } else {
    ASSERT_EQ(unload.size(), 1u);
    EXPECT_EQ(unload[0].t, c.closesAtMs);
    EXPECT_FALSE(run.program.frmCover.Loaded());
    // Unload, then the pointer comes back inside it, then the program ends.
    const auto& last = run.trace.records;
    ASSERT_GE(last.size(), 3u);
    EXPECT_EQ(last[last.size() - 3].op, TraceOp::kUnload);
    EXPECT_EQ(last[last.size() - 2].op, TraceOp::kShowCursor);
    EXPECT_EQ(last[last.size() - 2].Int("value"), -1);
    EXPECT_EQ(last.back().op, TraceOp::kEnd);
    EXPECT_EQ(last.back().Int("status"), 0);
    EXPECT_EQ(run.CursorCount(), 0);
    EXPECT_EQ(run.platform.FormWindow(), 0);
  }
  EXPECT_EQ(run.program.frmCover.LastMouseX, c.lastX);
  EXPECT_EQ(run.program.frmCover.LastMouseY, c.lastY);
}

// Label1 covers (120..2655, top..top+255) and moves down; the banner covers
// (1560..13620, 4320..7380). Points at x 9000, y 3000 are bare background throughout.
INSTANTIATE_TEST_SUITE_P(
    Table, Dismissal,
    ::testing::Values(
        DismissCase{"AnyKey", {Input(100, InputKind::kKeyDown)}, 100, 0, 0},
        DismissCase{"AnyCharacter", {Input(100, InputKind::kKeyPress)}, 100, 0, 0},
        DismissCase{"Click", {Input(100, InputKind::kClick)}, 100, 0, 0},
        DismissCase{"DoubleClick", {Input(100, InputKind::kDblClick)}, 100, 0, 0},
        DismissCase{"ButtonPress", {MouseAt(100, InputKind::kMouseDown, 9000, 3000)}, 100, 0, 0},
        DismissCase{"FirstMoveOnlyRecords", {MouseAt(100, kMove, 20000, 9000)}, -1, 20000, 9000},
        DismissCase{"StepOfFiveCloses",
                    {MouseAt(100, kMove, 9000, 3000), MouseAt(200, kMove, 9005, 3000)},
                    200,
                    9000,
                    3000},
        DismissCase{"StepOfFiveOnYCloses",
                    {MouseAt(100, kMove, 9000, 3000), MouseAt(200, kMove, 9000, 2995)},
                    200,
                    9000,
                    3000},
        DismissCase{"StepJustBelowFiveRecords",
                    {MouseAt(100, kMove, 9000, 3000), MouseAt(200, kMove, 9004.99f, 3004.99f)},
                    -1,
                    9005,
                    3005},
        DismissCase{"StepsOfFourNeverClose",
                    {MouseAt(100, kMove, 9000, 3000), MouseAt(200, kMove, 9004, 3004),
                     MouseAt(300, kMove, 9008, 3008), MouseAt(400, kMove, 9012, 3012),
                     MouseAt(500, kMove, 9016, 3016)},
                    -1,
                    9016,
                    3016},
        DismissCase{"RecordAtOriginCountsAsEmpty",
                    {MouseAt(100, kMove, 0, 0), MouseAt(200, kMove, 9000, 3000)},
                    -1,
                    9000,
                    3000},
        DismissCase{"OneZeroCoordinateIsARealRecord",
                    {MouseAt(100, kMove, 0, 3000), MouseAt(200, kMove, 9000, 3000)},
                    200,
                    0,
                    3000},
        DismissCase{"HalvesRoundToEven", {MouseAt(100, kMove, 9002.5f, 3003.5f)}, -1, 9002, 3004},
        DismissCase{
            "MovesOverTheBannerAreIgnored",
            {MouseAt(100, kMove, 9000, 3000), MouseAt(200, kMove, 5000, 5000),
             MouseAt(300, InputKind::kMouseDown, 6000, 6000), MouseAt(400, kMove, 9000, 3000)},
            -1,
            9000,
            3000},
        DismissCase{"AfterTheBannerTheStepCountsFromTheOldRecord",
                    {MouseAt(100, kMove, 9000, 3000), MouseAt(200, kMove, 5000, 5000),
                     MouseAt(300, kMove, 9100, 3000)},
                    300,
                    9000,
                    3000},
        DismissCase{"MovesOverTheVisibleLabelAreIgnored",
                    {MouseAt(10, kMove, 9000, 3000), MouseAt(20, kMove, 200, 130)},
                    -1,
                    9000,
                    3000},
        DismissCase{"AHiddenLabelIsBackground",
                    {MouseAt(10, kMove, 9000, 3000), MouseAt(20, kMove, 4000, 200)},
                    20,
                    9000,
                    3000},
        // A 4K display in twips: beyond the 16-bit range, still recorded exactly.
        DismissCase{"WideDisplaysFit",
                    {MouseAt(100, kMove, 57000, 31000), MouseAt(200, kMove, 57003, 31003)},
                    -1,
                    57003,
                    31003}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

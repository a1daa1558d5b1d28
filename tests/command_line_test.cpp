// How command lines choose the run mode, and what each mode does first.
#include <gtest/gtest.h>

#include "host/window_styles.hpp"
#include "tests/sim_harness.hpp"

namespace {

using host::TraceOp;
using testing_support::Desktop;
using testing_support::SimRun;

struct ModeCase {
  const char* commandLine;
  int mode;
};

class CommandLineMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(CommandLineMode, SelectsTheRunMode) {
  auto config = Desktop(GetParam().commandLine, 100);
  config.hosts.push_back({1234, 152, 112});
  SimRun run(config);
  run.Run();
  EXPECT_EQ(run.program.subMain.CurrentRunMode, GetParam().mode);
  const auto modes = run.trace.Of(TraceOp::kRunMode);
  ASSERT_EQ(modes.size(), 1u);  // written once
  EXPECT_EQ(modes[0].Int("value"), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineMode,
    ::testing::Values(ModeCase{"", 2}, ModeCase{"/s", 2}, ModeCase{"/S 123", 2},
                      ModeCase{"   /s   ", 2}, ModeCase{"/c", 1}, ModeCase{"/c:456", 1},
                      ModeCase{"/Configure", 1}, ModeCase{"/p 1234", 3}, ModeCase{"/P:1234", 3},
                      ModeCase{"/x", 2}, ModeCase{"-s", 2}, ModeCase{"/", 2}, ModeCase{"S", 2},
                      ModeCase{"\t/c", 2}, ModeCase{"  /C", 1}),
    [](const auto& info) { return testing_support::NameOfText(info.param.commandLine); });

TEST(CommandLine, ConfigureEndsAtOnceWithNoWindowAndNoOutput) {
  SimRun run(Desktop("/c:456"));
  EXPECT_EQ(run.Run(), 0);
  EXPECT_EQ(run.trace.Ops(), "RunMode,End");
  EXPECT_EQ(run.platform.FormWindow(), 0);
  EXPECT_EQ(run.CursorCount(), 0);
  EXPECT_TRUE(run.errors.str().empty());
  EXPECT_EQ(run.trace.records.back().t, 0);
}

TEST(CommandLine, SaverShowsTheWindowMaximizedAndThenHidesThePointer) {
  SimRun run(Desktop("/s", 50));
  run.Run();
  EXPECT_EQ(run.trace.Ops().substr(0, 44), "RunMode,PrevInstance,Load,Show,ShowCursor,Ti");
  const auto w = run.FormState();
  ASSERT_TRUE(w.has_value());
  EXPECT_EQ(w->width, 1920);
  EXPECT_EQ(w->height, 1080);
  EXPECT_NE(w->style & host::wm::kWsVisible, 0);
  EXPECT_EQ(w->caption, "");
  EXPECT_EQ(run.CursorCount(), -1);
  EXPECT_EQ(run.trace.Of(TraceOp::kShowCursor)[0].Int("value"), 0);
}

TEST(CommandLine, PreviewSwitchWithoutDigitsIsATypeMismatch) {
  for (const char* line : {"/p", "/Pxyz", "/P 12A"}) {
    SimRun run(Desktop(line));
    EXPECT_EQ(run.Run(), 1) << line;
    EXPECT_EQ(run.trace.Ops(), "RunMode,Error,End") << line;
    EXPECT_EQ(run.trace.Of(TraceOp::kError)[0].Int("error"), 13) << line;
    EXPECT_NE(run.errors.str().find("Type mismatch"), std::string::npos) << line;
  }
}

}  // namespace

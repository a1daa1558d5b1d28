// The single-instance guard of the full-screen saver.
#include <gtest/gtest.h>

#include "tests/sim_harness.hpp"

namespace {

using host::TraceOp;
using testing_support::Desktop;
using testing_support::SimRun;

struct GuardCase {
  const char* name;
  bool prevInstance;
  std::vector<std::string> windows;
  const char* ops;  // the trace up to the first timer tick
  bool runs;
  const char* caption;
};

class Guard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(Guard, DecidesWhetherThisInstanceRuns) {
  const GuardCase& c = GetParam();
  auto config = Desktop("/s", 20);
  config.prevInstance = c.prevInstance;
  config.foreignTitles = c.windows;
  SimRun run(config);
  EXPECT_EQ(run.Run(), 0);
  std::string ops = run.trace.Ops();
  ops = ops.substr(0, ops.find(",Timer"));
  EXPECT_EQ(ops, c.ops);
  EXPECT_EQ(run.program.frmCover.Loaded(), c.runs);
  EXPECT_EQ(run.CursorCount(), c.runs ? -1 : 0);
  if (c.runs) {
    EXPECT_EQ(run.program.frmCover.Caption(), c.caption);
  } else {
    EXPECT_EQ(run.platform.FormWindow(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Guard,
    ::testing::Values(
        GuardCase{"Alone", false, {}, "RunMode,PrevInstance,Load,Show,ShowCursor", true, ""},
        GuardCase{"AloneIgnoresAMarkerItNeverSearches",
                  false,
                  {"VorthaneSoftware"},
                  "RunMode,PrevInstance,Load,Show,ShowCursor",
                  true,
                  ""},
        GuardCase{"BesideAnUnmarkedInstance",
                  true,
                  {"Some editor"},
                  "RunMode,PrevInstance,FindWindowA,Load,Caption,Show,ShowCursor",
                  true,
                  "VorthaneSoftware"},
        GuardCase{"BesideAMarkedInstance",
                  true,
                  {"Some editor", "VorthaneSoftware"},
                  "RunMode,PrevInstance,FindWindowA,End",
                  false,
                  ""},
        GuardCase{"MarkerMustMatchExactly",
                  true,
                  {"vorthanesoftware", "VorthaneSoftware "},
                  "RunMode,PrevInstance,FindWindowA,Load,Caption,Show,ShowCursor",
                  true,
                  "VorthaneSoftware"}),
    [](const auto& info) { return std::string(info.param.name); });

// Three full-screen starts on one desktop: the first runs alone, the second beside it marks its
// window, the third finds the mark and ends at once.
TEST(Guard, ThreeFullScreenStarts) {
  std::vector<std::string> desktop;
  bool othersRun = false;
  std::vector<bool> ran;
  for (int start = 0; start < 3; ++start) {
    auto config = Desktop("/s", 20);
    config.prevInstance = othersRun;
    config.foreignTitles = desktop;
    SimRun run(config);
    run.Run();
    ran.push_back(run.program.frmCover.Loaded());
    if (run.program.frmCover.Loaded()) desktop.push_back(run.program.frmCover.Caption());
    othersRun = true;
  }
  EXPECT_EQ(ran, (std::vector<bool>{true, true, false}));
  EXPECT_EQ(desktop, (std::vector<std::string>{"", "VorthaneSoftware"}));
}

}  // namespace

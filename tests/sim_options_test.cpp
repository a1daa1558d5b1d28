// The command line of vorthane-sim and its JSON output.
#include "tools/sim/sim_options.hpp"

#include <gtest/gtest.h>

#include "tools/sim/json_trace.hpp"

namespace {

using sim::ParseSimOptions;

TEST(SimOptions, ReadsADesktop) {
  const auto o = ParseSimOptions({"--cmdline",
                                  "/p 77",
                                  "--prev-instance",
                                  "--window",
                                  "A b",
                                  "--window",
                                  "VorthaneSoftware",
                                  "--host",
                                  "77:152x112",
                                  "--screen",
                                  "2560x1440",
                                  "--event",
                                  "1500:move:30.5,40",
                                  "--event",
                                  "2000:key",
                                  "--destroy-host",
                                  "15.625",
                                  "--display-off-at",
                                  "3000:2",
                                  "--display-on-at",
                                  "4000",
                                  "--run",
                                  "9000",
                                  "--only",
                                  "Load,State"});
  EXPECT_EQ(o.desktop.commandLine, "/p 77");
  EXPECT_TRUE(o.desktop.prevInstance);
  EXPECT_EQ(o.desktop.foreignTitles, (std::vector<std::string>{"A b", "VorthaneSoftware"}));
  ASSERT_EQ(o.desktop.hosts.size(), 1u);
  EXPECT_EQ(o.desktop.hosts[0].handle, 77);
  EXPECT_EQ(o.desktop.hosts[0].width, 152);
  EXPECT_EQ(o.desktop.hosts[0].height, 112);
  EXPECT_EQ(o.desktop.screenWidth, 2560);
  EXPECT_EQ(o.desktop.screenHeight, 1440);
  ASSERT_EQ(o.desktop.actions.size(), 5u);
  EXPECT_EQ(o.desktop.actions[0].atNs, 1'500'000'000);
  EXPECT_EQ(o.desktop.actions[0].input.kind, host::InputKind::kMouseMove);
  EXPECT_TRUE(o.desktop.actions[0].input.hasPoint);
  EXPECT_EQ(o.desktop.actions[0].input.x, 30.5f);
  EXPECT_FALSE(o.desktop.actions[1].input.hasPoint);
  EXPECT_EQ(o.desktop.actions[2].atNs, 15'625'000);
  EXPECT_FALSE(o.desktop.actions[3].displayOn);
  EXPECT_EQ(o.desktop.actions[3].monitor, 1) << "the second monitor, counted from 0";
  EXPECT_TRUE(o.desktop.actions[4].displayOn);
  EXPECT_EQ(o.desktop.actions[4].monitor, host::headless::ScriptedAction::kEveryMonitor);
  EXPECT_EQ(o.desktop.runNs, 9'000'000'000);
  ASSERT_TRUE(o.only.has_value());
  EXPECT_EQ(*o.only, (std::vector<host::TraceOp>{host::TraceOp::kLoad, host::TraceOp::kState}));
}

TEST(SimOptions, RejectsUsageErrorsWithOneLine) {
  const std::vector<std::vector<std::string>> bad = {
      {"--bogus"},
      {"--cmdline"},
      {"--host", "77"},
      {"--host", "x:10x10"},
      {"--host", "0:10x10"},
      {"--screen", "100"},
      {"--event", "100:wiggle"},
      {"--event", "100:move"},
      {"--event", "abc:key"},
      {"--event", "-5:key"},
      {"--event", "100:click:5"},
      {"--run", "soon"},
      {"--only", "Load,Nope"},
      {"--display-off-at", "100:0"},
  };
  for (const auto& args : bad) {
    try {
      ParseSimOptions(args);
      ADD_FAILURE() << "accepted " << args[0] << (args.size() > 1 ? " " + args[1] : "");
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
    }
  }
}

TEST(JsonTrace, EscapesTextAndWritesNumbersExactly) {
  std::string out;
  sim::AppendJsonString(out, "a\"b\\c\n\x01");
  EXPECT_EQ(out, R"("a\"b\\c\n\u0001")");
  out.clear();
  sim::AppendJson(out, 15.625);
  out += ' ';
  sim::AppendJson(out, 2810.0f);
  out += ' ';
  sim::AppendJson(out, std::int64_t{-1073741824});
  out += ' ';
  sim::AppendJson(out, nullptr);
  EXPECT_EQ(out, "15.625 2810 -1073741824 null");
}

}  // namespace

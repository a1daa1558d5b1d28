// The credits: five caption lines fall one after another in an endless 42-second cycle.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>

#include "cover/scene.hpp"
#include "host/tick_pacer.hpp"
#include "tests/sim_harness.hpp"

namespace {

using host::TraceOp;
using testing_support::Desktop;
using testing_support::SimRun;

constexpr int kStageTicks = 538;  // ceil(8400 ms / 15.625 ms)
constexpr double kStageMs = kStageTicks * 15.625;

// Watches a long run as it goes and keeps what the tests ask about.
class CreditsWatch : public host::TraceSink {
 public:
  CreditsWatch() {
    None();
    Only(TraceOp::kTimer);
    Only(TraceOp::kVisible);
    Only(TraceOp::kTop);
    Only(TraceOp::kEnabled);
  }

  void Write(double t, TraceOp op, std::initializer_list<host::TraceField> fields) override {
    const auto field = [&](std::string_view key) -> const host::TraceValue& {
      for (const auto& f : fields) {
        if (f.key == key) return f.value;
      }
      throw std::logic_error("missing field");
    };
    const auto control = std::get<std::string_view>(field("control"));
    if (t != lastTime_) {
      EndOfTick();
      lastTime_ = t;
    }
    if (op == TraceOp::kTimer) {
      ++ticks_[std::string(control)];
      if (control == "Timer2" || control == "Timer4" || control == "Timer10" ||
          control == "Timer14" || control == "Timer18") {
        stageEnds.push_back(t);
        stageEndInThisTick_ = true;
      }
      if ((control == "Timer19" || control == "Timer20") && stageEnds.size() < 5) {
        ++earlyReturnsOfLabel5;
      }
      return;
    }
    const int line = control[control.size() - 1] - '0';
    if (op == TraceOp::kEnabled) {
      enabled_[std::string(control)] = std::get<std::int64_t>(field("value")) != 0;
      return;
    }
    auto& s = lines_[static_cast<std::size_t>(line - 1)];
    if (op == TraceOp::kVisible) {
      const bool visible = std::get<std::int64_t>(field("value")) != 0;
      if (visible && !s.visible) {
        s.awaitingFirstStep = true;
        if (enabled_[kReturnTimer[line - 1]]) ++shownWhileReturning;
      }
      if (!visible && s.visible) vanishTops.push_back(s.top);
      s.visible = visible;
    } else {
      s.top = std::get<float>(field("value"));
      if (s.awaitingFirstStep) {
        firstFallTops.push_back(s.top);
        s.awaitingFirstStep = false;
      }
    }
  }

  // At the end of each tick at most one line is visible, and exactly one unless a stage just
  // ended in that tick.
  void EndOfTick() {
    int visible = 0;
    for (const auto& s : lines_) visible += s.visible ? 1 : 0;
    if (visible > 1 || (visible == 0 && !stageEndInThisTick_)) ++badVisibleCounts;
    stageEndInThisTick_ = false;
  }

  int Ticks(const std::string& timer) const {
    const auto it = ticks_.find(timer);
    return it == ticks_.end() ? 0 : it->second;
  }

  std::vector<double> stageEnds;
  std::vector<float> firstFallTops;
  std::vector<float> vanishTops;
  int earlyReturnsOfLabel5 = 0;
  int shownWhileReturning = 0;
  int badVisibleCounts = 0;

 private:
  static constexpr const char* kReturnTimer[5] = {"Timer5", "Timer7", "Timer11", "Timer15",
                                                  "Timer19"};
  struct Line {
    bool visible = false;
    bool awaitingFirstStep = false;
    float top = 120;
  };
  std::array<Line, 5> lines_{Line{true, false, 120}, Line{}, Line{}, Line{}, Line{}};
  std::map<std::string, int> ticks_;
  std::map<std::string, bool> enabled_;
  double lastTime_ = 0;
  bool stageEndInThisTick_ = false;
};

struct WatchedRun {
  explicit WatchedRun(double ms)
      : platform(Desktop("/s", ms)), runtime(platform, &watch), program(runtime) {
    program.Run();
  }
  host::headless::HeadlessPlatform platform;
  CreditsWatch watch;
  host::Runtime runtime;
  startup::Program program;
};

TEST(Credits, OnlyTheFirstStageRunsAtLoad) {
  SimRun run(Desktop("/s", 0));
  run.Run();
  const auto& form = run.program.frmCover;
  for (int n = 1; n <= 20; ++n) {
    EXPECT_EQ(form.TimerEnabled(cover::kTimers[n - 1].index), n <= 2 ? host::True : host::False)
        << "Timer" << n;
  }
  for (int line = 0; line < 5; ++line) {
    EXPECT_EQ(form.LabelTop(cover::kCaptionLines[line].index), 120);
    EXPECT_EQ(form.LabelVisible(cover::kCaptionLines[line].index),
              line == 0 ? host::True : host::False);
  }
}

TEST(Credits, EachStageEndStartsTheNextTimersInOrder) {
  SimRun run(Desktop("/s", 5 * kStageMs + 1));
  run.Run();
  std::vector<std::string> writes;  // the Enabled and Visible writes of each stage end
  std::string current;
  bool inStageEnd = false;
  for (const auto& r : run.trace.records) {
    if (r.op == TraceOp::kTimer) {
      const auto& c = r["control"];
      inStageEnd =
          c == "Timer2" || c == "Timer4" || c == "Timer10" || c == "Timer14" || c == "Timer18";
      if (inStageEnd) writes.push_back(c + ":");
    } else if (inStageEnd && (r.op == TraceOp::kEnabled || r.op == TraceOp::kVisible)) {
      writes.back() += " " + r["control"] + "=" + r["value"];
    }
  }
  EXPECT_EQ(
      writes,
      (std::vector<std::string>{
          "Timer2: Timer1=0 Label1=0 Timer4=-1 Timer3=-1 Timer5=-1 Timer6=-1 Timer2=0",
          "Timer4: Timer3=0 Label2=0 Timer7=-1 Timer8=-1 Timer9=-1 Timer10=-1 Timer4=0",
          "Timer10: Timer9=0 Label3=0 Timer11=-1 Timer12=-1 Timer13=-1 Timer14=-1 Timer10=0",
          "Timer14: Timer13=0 Label4=0 Timer15=-1 Timer16=-1 Timer17=-1 Timer18=-1 Timer14=0",
          "Timer18: Timer17=0 Label5=0 Timer1=-1 Timer2=-1 Timer19=-1 Timer20=-1 Timer18=0"}));
}

TEST(Credits, HandOversDeliverDueTimersInAscendingNumber) {
  SimRun run(Desktop("/s", 2 * kStageMs));
  run.Run();
  std::vector<std::string> atHandOver;
  for (const auto& r : run.trace.Of(TraceOp::kTimer)) {
    if (r.t == 2 * kStageMs) atHandOver.push_back(r["control"]);
  }
  // The falling line's last step, the stage end, the return's last step, its stopper.
  EXPECT_EQ(atHandOver, (std::vector<std::string>{"Timer3", "Timer4", "Timer5", "Timer6"}));
}

TEST(Credits, FirstCycleStagesFallAndReturnTheSameNumberOfTicks) {
  WatchedRun run(5 * kStageMs);
  const CreditsWatch& w = run.watch;
  for (const char* timer : {"Timer1", "Timer3", "Timer9", "Timer13", "Timer17", "Timer5", "Timer7",
                            "Timer11", "Timer15"}) {
    EXPECT_EQ(w.Ticks(timer), kStageTicks) << timer;
  }
  EXPECT_EQ(w.stageEnds, (std::vector<double>{kStageMs, 2 * kStageMs, 3 * kStageMs, 4 * kStageMs,
                                              5 * kStageMs}));
  // Stage 1 of the first cycle runs without a return beside it.
  EXPECT_EQ(w.earlyReturnsOfLabel5, 0);
  EXPECT_EQ(w.vanishTops, (std::vector<float>(5, 120 + 5 * kStageTicks)));
}

TEST(Credits, OverAnHourEveryFallStartsFiveTwipsBelowTheDesignTop) {
  WatchedRun run(3'600'000);
  const CreditsWatch& w = run.watch;
  const auto stages = static_cast<std::size_t>(3'600'000 / kStageMs);
  ASSERT_EQ(w.stageEnds.size(), stages);
  // Stage ends keep their exact rhythm: no drift, however long the saver runs.
  for (std::size_t i = 0; i < stages; ++i) EXPECT_EQ(w.stageEnds[i], (i + 1) * kStageMs);
  // Label1's first fall starts from load; every other fall is first seen after its first step.
  EXPECT_EQ(w.firstFallTops.size(), stages);
  for (const float top : w.firstFallTops) ASSERT_EQ(top, 125.0f);
  for (const float top : w.vanishTops) ASSERT_EQ(top, 2810.0f);
  EXPECT_EQ(w.shownWhileReturning, 0);
  EXPECT_EQ(w.badVisibleCounts, 0);
  // At the end every hidden line that is not returning stands at its design Top.
  const auto& form = run.program.frmCover;
  int visible = 0;
  for (const host::LabelId id : cover::kCaptionLines)
    visible += form.LabelVisible(id.index) ? 1 : 0;
  EXPECT_LE(visible, 1);
}

}  // namespace

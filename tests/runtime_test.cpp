// The forms runtime on its own: timers, unload, errors, the tick clock.
#include "host/runtime.hpp"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "host/form.hpp"
#include "host/headless/headless_platform.hpp"
#include "host/tick_pacer.hpp"
#include "tests/sim_harness.hpp"

namespace {

using host::TraceOp;
using testing_support::Desktop;
using testing_support::Input;
using testing_support::RecordingTrace;

constexpr std::array<host::ControlDesign, 4> kControls = {
    host::TimerDesign{"TimerB", 2, 100, true},
    host::TimerDesign{"TimerA", 1, 1, true},
    host::TimerDesign{"TimerC", 3, 0, false},
    host::LabelDesign{.name = "LabelA", .box = {0, 0, 100, 100}, .visible = true},
};
constexpr host::FormDesign kDesign{.name = "frmTest", .controls = kControls};
constexpr host::TimerId TimerB = host::FindTimer(kControls, "TimerB");
constexpr host::TimerId TimerA = host::FindTimer(kControls, "TimerA");
constexpr host::TimerId TimerC = host::FindTimer(kControls, "TimerC");

// A form whose handlers are set by each test.
struct TestForm : host::FormEvents, host::Form {
  explicit TestForm(host::Runtime& runtime) : host::Form(runtime, kDesign, *this) {}
  void Timer_Timer(int number) override {
    if (onTimer) onTimer(number);
  }
  void Form_KeyDown(std::int16_t&, std::int16_t&) override {
    if (onKey) onKey();
  }
  void Form_Unload(std::int16_t& cancel) override {
    events.push_back("Unload event");
    if (cancelUnload) cancel = -1;
    if (onUnload) onUnload();
  }
  std::function<void(int)> onTimer;
  std::function<void()> onKey;
  std::function<void()> onUnload;
  std::vector<std::string> events;
  bool cancelUnload = false;
};

struct Harness {
  explicit Harness(host::headless::DesktopConfig config)
      : platform(std::move(config), &errors), runtime(platform, &trace), form(runtime) {}
  int Run() {
    return runtime.Run([this] {
      form.Load();
      form.Show();
    });
  }
  std::ostringstream errors;
  host::headless::HeadlessPlatform platform;
  RecordingTrace trace;
  host::Runtime runtime;
  TestForm form;
};

TEST(TimerService, PeriodsRoundUpToWholeTicks) {
  EXPECT_EQ(host::TimerPeriodTicks(1), 1);
  EXPECT_EQ(host::TimerPeriodTicks(15), 1);
  EXPECT_EQ(host::TimerPeriodTicks(16), 2);
  EXPECT_EQ(host::TimerPeriodTicks(100), 7);
  EXPECT_EQ(host::TimerPeriodTicks(1000), 64);
  EXPECT_EQ(host::TimerPeriodTicks(8400), 538);
  EXPECT_EQ(host::TimerPeriodTicks(0), 0);
}

TEST(TimerService, DueTimersFireInAscendingNumberAndASelfDisabledTimerStops) {
  Harness h(Desktop("", 250));
  int timerATicks = 0;
  h.form.onTimer = [&](int number) {
    if (number == 1 && ++timerATicks == 3) h.form.Timer(TimerA).SetEnabled(host::False);
  };
  h.Run();
  EXPECT_EQ(timerATicks, 3);
  std::vector<std::string> order;
  for (const auto& r : h.trace.Of(TraceOp::kTimer)) order.push_back(r["control"]);
  // TimerA every tick until it stops itself; TimerB every 7 ticks (109.375 ms).
  EXPECT_EQ(order, (std::vector<std::string>{"TimerA", "TimerA", "TimerA", "TimerB", "TimerB"}));
  EXPECT_EQ(h.trace.Of(TraceOp::kTimer)[3].t, 109.375);
}

TEST(TimerService, ATimerEnabledDuringATickFirstFiresInALaterTick) {
  Harness h(Desktop("", 40));
  std::vector<std::pair<int, double>> fired;
  h.form.onTimer = [&](int number) {
    fired.emplace_back(number, h.runtime.ElapsedMs());
    if (number == 1) {
      h.form.Timer(TimerA).SetEnabled(host::False);
      h.form.Timer(TimerB).SetEnabled(host::False);
      h.form.Timer(TimerA).SetEnabled(host::True);  // restarts counting from this tick
    }
  };
  h.Run();
  EXPECT_EQ(fired, (std::vector<std::pair<int, double>>{{1, 15.625}, {1, 31.25}}));
}

TEST(TimerService, ADisabledTimerIsSkippedInTheTickThatDisabledIt) {
  Harness h(Desktop("", 110));
  std::vector<int> fired;
  h.form.onTimer = [&](int number) {
    fired.push_back(number);
    // At 109.375 ms both are due; TimerA runs first and stops TimerB.
    if (number == 1 && h.runtime.CurrentTick() == 7) h.form.Timer(TimerB).SetEnabled(host::False);
  };
  h.Run();
  EXPECT_EQ(std::count(fired.begin(), fired.end(), 2), 0);
  EXPECT_EQ(std::count(fired.begin(), fired.end(), 1), 7);
}

TEST(TimerService, AnIntervalOfZeroNeverFires) {
  Harness h(Desktop("", 100));
  h.form.onTimer = [&](int number) {
    if (number == 1) h.form.Timer(TimerC).SetEnabled(host::True);
    EXPECT_NE(number, 3);
  };
  h.Run();
}

TEST(Unload, TheUnloadEventRunsInsideTheUnload) {
  auto config = Desktop("", 1000);
  config.actions = {Input(50, host::InputKind::kKeyDown)};
  Harness run(config);
  run.form.onKey = [&] {
    run.form.events.push_back("before");
    run.form.Unload();
    run.form.events.push_back(run.form.Loaded() ? "after, loaded" : "after, unloaded");
  };
  EXPECT_EQ(run.Run(), 0);
  EXPECT_EQ(run.form.events,
            (std::vector<std::string>{"before", "Unload event", "after, unloaded"}));
  // No timer runs after the unload, and the program ends there.
  EXPECT_EQ(run.trace.records.back().op, TraceOp::kEnd);
  EXPECT_EQ(run.trace.records.back().t, 50);
  for (const auto& r : run.trace.Of(TraceOp::kTimer)) EXPECT_LT(r.t, 50);
}

TEST(Unload, ACancelledUnloadKeepsTheFormRunning) {
  auto config = Desktop("", 200);
  config.actions = {Input(50, host::InputKind::kKeyDown)};
  Harness run(config);
  run.form.cancelUnload = true;
  run.form.onKey = [&] { run.form.Unload(); };
  run.Run();
  EXPECT_TRUE(run.form.Loaded());
  EXPECT_GT(run.trace.Of(TraceOp::kTimer).back().t, 50);
}

TEST(RunTimeErrors, EndTheProgramWithStatusOneAndShowThePointerAgain) {
  Harness run(Desktop("", 1000));
  run.form.onTimer = [&](int number) {
    if (number == 1 && run.runtime.CurrentTick() == 1) run.runtime.User32().ShowCursor(0);
    if (number == 1 && run.runtime.CurrentTick() == 3) {
      host::Raise(host::ErrorCode::kOverflow, "a test overflow");
    }
  };
  EXPECT_EQ(run.Run(), 1);
  EXPECT_EQ(run.runtime.User32().Emulation().PointerCount(), 0);
  EXPECT_FALSE(run.form.Loaded());
  EXPECT_EQ(run.platform.FormWindow(), 0);
  EXPECT_TRUE(run.form.events.empty()) << "no Unload event on an error";
  EXPECT_EQ(run.errors.str(), "vorthane: run-time error 6: Overflow: a test overflow\n");
  const auto ops = run.trace.Ops();
  EXPECT_TRUE(ops.ends_with(",Error,ShowCursor,End")) << ops;
}

TEST(RunTimeErrors, AnErrorInsideTheUnloadEventStillEndsCleanly) {
  auto config = Desktop("", 1000);
  config.actions = {Input(50, host::InputKind::kKeyDown)};
  Harness run(config);
  run.form.onKey = [&] { run.form.Unload(); };
  run.form.onUnload = [&] { host::Raise(host::ErrorCode::kInvalidPropertyValue, "in unload"); };
  EXPECT_EQ(run.Run(), 1);
  EXPECT_FALSE(run.form.Loaded());
  EXPECT_EQ(run.trace.records.back().t, 50);
}

TEST(TickPacer, CatchesUpAtMostOneSecondThenFallsBehind) {
  host::TickPacer pacer;
  pacer.Start(1'000);
  EXPECT_EQ(pacer.NextDeadlineNs(), 1'000 + host::kTickNs);
  EXPECT_EQ(pacer.TakeDue(1'000 + host::kTickNs - 1), 0);
  EXPECT_EQ(pacer.TakeDue(1'000 + host::kTickNs), 1);
  EXPECT_EQ(pacer.TakeDue(1'000 + 3 * host::kTickNs + 5), 2);  // two missed ticks, one by one
  // Asleep for ten seconds: one second's worth is delivered, the rest is dropped.
  const std::int64_t late = 1'000 + 643 * host::kTickNs;
  EXPECT_EQ(pacer.TakeDue(late), 64);
  EXPECT_EQ(pacer.NextDeadlineNs(), late + host::kTickNs);
  EXPECT_EQ(pacer.TakeDue(late + host::kTickNs), 1);
  EXPECT_EQ(pacer.TicksTaken(), 68);
}

}  // namespace

namespace {

// A display that goes away half a second in.
class FailingPlatform : public host::headless::HeadlessPlatform {
 public:
  using HeadlessPlatform::HeadlessPlatform;
  host::WaitResult Wait(const host::WaitDeadlines& deadlines, host::EventSink& sink) override {
    if (NowNs() >= 500'000'000) host::Raise(host::ErrorCode::kInvalidProcedureCall, "lost display");
    return HeadlessPlatform::Wait(deadlines, sink);
  }
};

TEST(RunTimeErrors, APlatformFailureWhileWaitingEndsTheProgramAndShowsThePointer) {
  std::ostringstream errors;
  FailingPlatform platform(Desktop("/s", 5000), &errors);
  RecordingTrace trace;
  host::Runtime runtime(platform, &trace);
  startup::Program program(runtime);
  EXPECT_EQ(program.Run(), 1);
  EXPECT_EQ(runtime.User32().Emulation().PointerCount(), 0);
  EXPECT_FALSE(platform.PointerHidden());
  EXPECT_FALSE(program.frmCover.Loaded());
  EXPECT_NE(errors.str().find("lost display"), std::string::npos);
  EXPECT_TRUE(trace.Ops().ends_with(",Error,ShowCursor,End")) << trace.Ops();
}

}  // namespace

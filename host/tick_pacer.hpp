// The one tick clock of the timer service: 64 ticks a second (15.625 ms), paced on absolute
// deadlines. A late wake delivers every missed tick, up to one second's worth; beyond that the
// clock falls behind instead of jumping, so motion keeps its speed and never drifts.
#pragma once

#include <cstdint>

namespace host {

inline constexpr std::int64_t kTickNs = 15'625'000;
inline constexpr std::int64_t kTicksPerSecond = 64;
inline constexpr std::int64_t kMaxCatchUpTicks = kTicksPerSecond;

// Ticks between a timer's events: max(1, ceil(interval / 15.625 ms)); 0 for a timer that
// never fires (an interval of 0).
constexpr std::int64_t TimerPeriodTicks(std::int32_t intervalMs) {
  if (intervalMs <= 0) return 0;
  const std::int64_t ticks = (std::int64_t{intervalMs} * kTicksPerSecond + 999) / 1000;
  return ticks < 1 ? 1 : ticks;
}

class TickPacer {
 public:
  void Start(std::int64_t nowNs) {
    epochNs_ = nowNs;
    taken_ = 0;
  }
  // When the next tick falls due.
  std::int64_t NextDeadlineNs() const { return DeadlineOfTickNs(taken_ + 1); }
  // When tick number n (counted from the start, the first being 1) falls due.
  std::int64_t DeadlineOfTickNs(std::int64_t n) const { return epochNs_ + n * kTickNs; }
  // How many ticks are due at nowNs and not yet taken; marks them taken.
  std::int64_t TakeDue(std::int64_t nowNs) {
    if (nowNs < epochNs_) return 0;
    std::int64_t due = (nowNs - epochNs_) / kTickNs - taken_;
    if (due <= 0) return 0;
    if (due > kMaxCatchUpTicks) {
      epochNs_ += (due - kMaxCatchUpTicks) * kTickNs;  // let the clock fall behind
      due = kMaxCatchUpTicks;
    }
    taken_ += due;
    return due;
  }
  std::int64_t TicksTaken() const { return taken_; }
  // The clock stood still until nowNs: no tick is owed for the time before it.
  void StoodStill(std::int64_t nowNs) {
    const std::int64_t since = nowNs - (taken_ * kTickNs + epochNs_);
    if (since > 0) epochNs_ += since;
  }

 private:
  std::int64_t epochNs_ = 0;
  std::int64_t taken_ = 0;
};

}  // namespace host

// The credits: twenty timers in five stages, one caption line per stage. Each stage's line
// falls (shown, 5 twips down per tick) for one stage, then returns (hidden, 5 twips up per
// tick) during the next. Every row is one timer; its handler does exactly what the row says.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace credits {

enum class TimerRole {
  kFall,       // shows its line and moves it down one step
  kStageEnd,   // stops the fall, hides the line, starts the next timers, stops itself
  kReturn,     // moves its hidden line up one step
  kReturnEnd,  // stops the return, stops itself
};

struct TimerRow {
  std::string_view name;
  int number;
  std::int32_t interval;  // milliseconds
  bool enabledAtLoad;
  TimerRole role;
  int line;   // 1..5: the caption line (Label1 .. Label5) it shows, moves or hides; 0 for none
  int stops;  // stage end: its fall timer; return end: its return timer
  std::array<int, 4> starts;  // stage end: the timers it starts, in this order
};

inline constexpr float kStepTwips = 5.0f;
inline constexpr std::int32_t kTickInterval = 1;
inline constexpr std::int32_t kStageInterval = 8400;

using enum TimerRole;
inline constexpr std::array<TimerRow, 20> kTimerTable = {{
    {"Timer1", 1, kTickInterval, true, kFall, 1, 0, {}},
    {"Timer2", 2, kStageInterval, true, kStageEnd, 1, 1, {4, 3, 5, 6}},
    {"Timer3", 3, kTickInterval, false, kFall, 2, 0, {}},
    {"Timer4", 4, kStageInterval, false, kStageEnd, 2, 3, {7, 8, 9, 10}},
    {"Timer5", 5, kTickInterval, false, kReturn, 1, 0, {}},
    {"Timer6", 6, kStageInterval, false, kReturnEnd, 0, 5, {}},
    {"Timer7", 7, kTickInterval, false, kReturn, 2, 0, {}},
    {"Timer8", 8, kStageInterval, false, kReturnEnd, 0, 7, {}},
    {"Timer9", 9, kTickInterval, false, kFall, 3, 0, {}},
    {"Timer10", 10, kStageInterval, false, kStageEnd, 3, 9, {11, 12, 13, 14}},
    {"Timer11", 11, kTickInterval, false, kReturn, 3, 0, {}},
    {"Timer12", 12, kStageInterval, false, kReturnEnd, 0, 11, {}},
    {"Timer13", 13, kTickInterval, false, kFall, 4, 0, {}},
    {"Timer14", 14, kStageInterval, false, kStageEnd, 4, 13, {15, 16, 17, 18}},
    {"Timer15", 15, kTickInterval, false, kReturn, 4, 0, {}},
    {"Timer16", 16, kStageInterval, false, kReturnEnd, 0, 15, {}},
    {"Timer17", 17, kTickInterval, false, kFall, 5, 0, {}},
    {"Timer18", 18, kStageInterval, false, kStageEnd, 5, 17, {1, 2, 19, 20}},
    {"Timer19", 19, kTickInterval, false, kReturn, 5, 0, {}},
    {"Timer20", 20, kStageInterval, false, kReturnEnd, 0, 19, {}},
}};

}  // namespace credits

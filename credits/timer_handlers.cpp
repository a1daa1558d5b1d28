#include "credits/timer_handlers.hpp"

#include <cmath>
#include <string>

#include "cover/scene.hpp"
#include "credits/timer_table.hpp"
#include "host/run_time_error.hpp"

namespace credits {
namespace {

using host::False;
using host::True;

host::LabelId LineLabel(int line) {
  return cover::kCaptionLines[static_cast<std::size_t>(line - 1)];
}
host::TimerId TimerNumber(int number) {
  return cover::kTimers[static_cast<std::size_t>(number - 1)];
}

// Reads Top, adds the step in single precision and writes it back; a result that is not a
// finite number raises the floating-point error and leaves Top as it was.
void MoveLine(host::Form& frmCover, host::LabelId label, float step) {
  const float top = frmCover.Label(label).Top();
  const float moved = top + step;
  if (!std::isfinite(moved)) {
    host::Raise(host::ErrorCode::kOverflow, "a caption line moved beyond the float range");
  }
  frmCover.Label(label).SetTop(moved);
}

void RunRow(host::Form& frmCover, const TimerRow& row) {
  switch (row.role) {
    case kFall:
      frmCover.Label(LineLabel(row.line)).SetVisible(True);
      MoveLine(frmCover, LineLabel(row.line), kStepTwips);
      break;
    case kReturn:
      MoveLine(frmCover, LineLabel(row.line), -kStepTwips);
      break;
    case kStageEnd:
      frmCover.Timer(TimerNumber(row.stops)).SetEnabled(False);
      frmCover.Label(LineLabel(row.line)).SetVisible(False);
      for (const int started : row.starts) frmCover.Timer(TimerNumber(started)).SetEnabled(True);
      frmCover.Timer(TimerNumber(row.number)).SetEnabled(False);
      break;
    case kReturnEnd:
      frmCover.Timer(TimerNumber(row.stops)).SetEnabled(False);
      frmCover.Timer(TimerNumber(row.number)).SetEnabled(False);
      break;
  }
}

}  // namespace

// Each handler does what its timer's row says.
#define VORTHANE_TIMER_HANDLER(n)               \
  void Timer##n##_Timer(host::Form& frmCover) { \
    RunRow(frmCover, kTimerTable[(n)-1]);       \
  }
VORTHANE_TIMER_HANDLER(1)
VORTHANE_TIMER_HANDLER(2)
VORTHANE_TIMER_HANDLER(3)
VORTHANE_TIMER_HANDLER(4)
VORTHANE_TIMER_HANDLER(5)
VORTHANE_TIMER_HANDLER(6)
VORTHANE_TIMER_HANDLER(7)
VORTHANE_TIMER_HANDLER(8)
VORTHANE_TIMER_HANDLER(9)
VORTHANE_TIMER_HANDLER(10)
VORTHANE_TIMER_HANDLER(11)
VORTHANE_TIMER_HANDLER(12)
VORTHANE_TIMER_HANDLER(13)
VORTHANE_TIMER_HANDLER(14)
VORTHANE_TIMER_HANDLER(15)
VORTHANE_TIMER_HANDLER(16)
VORTHANE_TIMER_HANDLER(17)
VORTHANE_TIMER_HANDLER(18)
VORTHANE_TIMER_HANDLER(19)
VORTHANE_TIMER_HANDLER(20)
#undef VORTHANE_TIMER_HANDLER

void OnTimer(host::Form& frmCover, int timerNumber) {
  using Handler = void (*)(host::Form&);
  static constexpr Handler kHandlers[20] = {
      Timer1_Timer,  Timer2_Timer,  Timer3_Timer,  Timer4_Timer,  Timer5_Timer,
      Timer6_Timer,  Timer7_Timer,  Timer8_Timer,  Timer9_Timer,  Timer10_Timer,
      Timer11_Timer, Timer12_Timer, Timer13_Timer, Timer14_Timer, Timer15_Timer,
      Timer16_Timer, Timer17_Timer, Timer18_Timer, Timer19_Timer, Timer20_Timer};
  if (timerNumber >= 1 && timerNumber <= 20) kHandlers[timerNumber - 1](frmCover);
}

}  // namespace credits

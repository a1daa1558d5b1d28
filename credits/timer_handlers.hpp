// The Timer event handlers of the twenty credit timers.
#pragma once

#include "host/form.hpp"

namespace credits {

void Timer1_Timer(host::Form& frmCover);
void Timer2_Timer(host::Form& frmCover);
void Timer3_Timer(host::Form& frmCover);
void Timer4_Timer(host::Form& frmCover);
void Timer5_Timer(host::Form& frmCover);
void Timer6_Timer(host::Form& frmCover);
void Timer7_Timer(host::Form& frmCover);
void Timer8_Timer(host::Form& frmCover);
void Timer9_Timer(host::Form& frmCover);
void Timer10_Timer(host::Form& frmCover);
void Timer11_Timer(host::Form& frmCover);
void Timer12_Timer(host::Form& frmCover);
void Timer13_Timer(host::Form& frmCover);
void Timer14_Timer(host::Form& frmCover);
void Timer15_Timer(host::Form& frmCover);
void Timer16_Timer(host::Form& frmCover);
void Timer17_Timer(host::Form& frmCover);
void Timer18_Timer(host::Form& frmCover);
void Timer19_Timer(host::Form& frmCover);
void Timer20_Timer(host::Form& frmCover);

// Calls the handler of the timer with this number (1 .. 20).
void OnTimer(host::Form& frmCover, int timerNumber);

}  // namespace credits

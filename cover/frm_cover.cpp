#include "cover/frm_cover.hpp"

#include <cmath>

#include "cover/scene.hpp"
#include "credits/timer_handlers.hpp"
#include "host/text.hpp"
#include "startup/run_mode.hpp"

namespace cover {
namespace {

// A step of this many twips or more on either axis is a real movement of the pointer.
constexpr float kMoveThresholdTwips = 5.0f;

}  // namespace

FrmCover::FrmCover(host::Runtime& app, const std::int16_t& currentRunMode)
    : host::Form(app, kFrmCoverDesign, *this), App(app), currentRunMode_(currentRunMode) {}

bool FrmCover::InSaverMode() const {
  return currentRunMode_ == startup::RunModeSaver;
}

// Any key, click or button press closes the window in saver mode.
void FrmCover::Form_Click() {
  if (InSaverMode()) Unload();
}

void FrmCover::Form_DblClick() {
  if (InSaverMode()) Unload();
}

void FrmCover::Form_KeyDown(std::int16_t&, std::int16_t&) {
  if (InSaverMode()) Unload();
}

void FrmCover::Form_KeyPress(std::int16_t&) {
  if (InSaverMode()) Unload();
}

void FrmCover::Form_MouseDown(std::int16_t&, std::int16_t&, float&, float&) {
  if (InSaverMode()) Unload();
}

// The first movement only records the position; a later step of 5 twips or more closes the
// window. A record of exactly (0, 0) counts as empty.
void FrmCover::Form_MouseMove(std::int16_t&, std::int16_t&, float& x, float& y) {
  if (!InSaverMode()) return;
  const float dX = std::fabs(static_cast<float>(LastMouseX) - x);
  const float dY = std::fabs(static_cast<float>(LastMouseY) - y);
  const bool moved = dX >= kMoveThresholdTwips || dY >= kMoveThresholdTwips;
  if (moved && (LastMouseX != 0 || LastMouseY != 0)) {
    Unload();
    return;
  }
  LastMouseX = host::CLng(x);
  LastMouseY = host::CLng(y);
}

void FrmCover::Form_Unload(std::int16_t&) {
  if (InSaverMode()) App.User32().ShowCursor(-1);
}

void FrmCover::Timer_Timer(int timerNumber) {
  credits::OnTimer(*this, timerNumber);
}

}  // namespace cover

#include "host/x11/keyboard_claim.hpp"

namespace host::x11 {

void KeyboardClaim::Answered(std::int64_t nowNs, int grabStatus) {
  if (state_ != State::kWanted) return;
  lastAskNs_ = nowNs;
  if (grabStatus == GrabSuccess) state_ = State::kHeld;
}

void KeyboardKeeper::Claim(Window window) {
  window_ = window;
  if (!focusTaken_) {
    XGetInputFocus(display_, &previousFocus_, &previousRevert_);
    focusTaken_ = true;
  }
  // Focus errors (the window unmapped meanwhile) are recorded by the error handler, no more.
  XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
  claim_.Start();
}

void KeyboardKeeper::Poll(std::int64_t nowNs) {
  if (!claim_.Due(nowNs)) return;
  const int status =
      XGrabKeyboard(display_, window_, kXTrue, GrabModeAsync, GrabModeAsync, CurrentTime);
  claim_.Answered(nowNs, status);
  // Another client may have moved the focus while it held the keyboard.
  if (!claim_.Held()) {
    XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
    XFlush(display_);  // the wait that follows sends nothing itself
  }
}

void KeyboardKeeper::Release() {
  if (claim_.Held()) XUngrabKeyboard(display_, CurrentTime);
  claim_.Stop();
  if (focusTaken_) {
    // PointerRoot and None are no windows; a window that went away meanwhile only raises an
    // error the handler records.
    XSetInputFocus(display_, previousFocus_, previousRevert_, CurrentTime);
    focusTaken_ = false;
  }
  window_ = 0;
}

}  // namespace host::x11

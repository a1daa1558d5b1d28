#include "host/x11/keyboard_claim.hpp"

#include "host/x11/keys_up.hpp"

namespace host::x11 {

void KeyboardClaim::Answered(std::int64_t nowNs, int grabStatus) {
  if (state_ != State::kWanted) return;
  lastAskNs_ = nowNs;
  if (grabStatus == GrabSuccess) state_ = State::kHeld;
}

void KeyboardKeeper::Claim(Window window) {
  window_ = window;
  claim_.Start();
}

bool KeyboardKeeper::Poll(std::int64_t nowNs) {
  if (!claim_.Due(nowNs)) return false;
  // The root window is always viewable, as a grab window must be.
  const int status = XGrabKeyboard(display_, DefaultRootWindow(display_), kXTrue, GrabModeAsync,
                                   GrabModeAsync, CurrentTime);
  claim_.Answered(nowNs, status);
  return claim_.Held();
}

void KeyboardKeeper::Covered() {
  if (!focusTaken_) {
    XGetInputFocus(display_, &previousFocus_, &previousRevert_);
    focusTaken_ = true;
  }
  // Focus errors (the window unmapped meanwhile) are recorded by the error handler, no more.
  XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
  // Held already, so this only moves the grab: keys no client of the window would get are
  // reported on it.
  XGrabKeyboard(display_, window_, kXTrue, GrabModeAsync, GrabModeAsync, CurrentTime);
}

void KeyboardKeeper::Release(bool waitForKeysUp) {
  if (claim_.Held() && waitForKeysUp) WaitForKeysUp(display_);
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

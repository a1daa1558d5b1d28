// The full-screen saver's hold on the keyboard. Keys reach its override-redirect window only
// through a keyboard grab, and another program (a menu, a locker, a game) may hold the keyboard
// when the saver starts. Until the grab is held the saver keeps asking, for as long as it
// runs, and does not cover the screen: a key typed meanwhile goes where the user sees it go,
// never to a menu or window hidden behind the saver.
#pragma once

#include <cstdint>
#include <limits>

#include "host/x11/xlib.hpp"

namespace host::x11 {

// When to ask for the keyboard: pure bookkeeping, no display needed.
class KeyboardClaim {
 public:
  // Four times a second: a round trip each, for as long as another program holds the keyboard
  // (a locker may hold it for hours); the screen is covered at most a quarter of a second after
  // the keyboard is free.
  static constexpr std::int64_t kRetryNs = 250'000'000;

  void Start() {
    state_ = State::kWanted;
    lastAskNs_ = kNever;
  }
  void Stop() { state_ = State::kIdle; }
  // True when the server is to be asked now.
  bool Due(std::int64_t nowNs) const {
    return state_ == State::kWanted && (lastAskNs_ == kNever || nowNs - lastAskNs_ >= kRetryNs);
  }
  // The server's answer (GrabSuccess, AlreadyGrabbed, GrabNotViewable, ...) to a request at
  // nowNs. Any refusal is asked again later: none of them is final while the window lives.
  void Answered(std::int64_t nowNs, int grabStatus);
  bool Wanted() const { return state_ == State::kWanted; }
  bool Held() const { return state_ == State::kHeld; }

 private:
  enum class State { kIdle, kWanted, kHeld };
  static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min();
  State state_ = State::kIdle;
  std::int64_t lastAskNs_ = kNever;
};

// The claim carried out on a display for one window: the grab, first on the root window (the
// saver's own is not mapped until the grab is held), then the grab and the focus on the
// window once it covers the screen, and giving both back.
class KeyboardKeeper {
 public:
  explicit KeyboardKeeper(Display* display) : display_(display) {}
  // The window is to cover the screen once the grab is held (Poll).
  void Claim(Window window);
  // Asks for the grab when due; true when it was taken by this call.
  bool Poll(std::int64_t nowNs);
  // The window is mapped: the grab and the focus move to it.
  void Covered();
  // Lets go of the grab, once every key is up when waitForKeysUp (the window still stands), and
  // gives the focus back to where it was, if it still exists.
  void Release(bool waitForKeysUp);
  bool Held() const { return claim_.Held(); }

 private:
  Display* display_;
  Window window_ = 0;
  KeyboardClaim claim_;
  bool focusTaken_ = false;
  Window previousFocus_ = 0;
  int previousRevert_ = 0;
};

}  // namespace host::x11

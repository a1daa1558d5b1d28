// When the full-screen saver asks for the keyboard: for as long as it is refused, never after
// it is held.
#include <gtest/gtest.h>

#include "host/x11/keyboard_claim.hpp"

namespace {

using host::x11::KeyboardClaim;

constexpr std::int64_t kSecond = 1'000'000'000;
constexpr std::int64_t kRetry = KeyboardClaim::kRetryNs;

TEST(KeyboardClaim, NothingIsAskedBeforeTheStart) {
  KeyboardClaim claim;
  EXPECT_FALSE(claim.Due(0));
  EXPECT_FALSE(claim.Wanted());
}

TEST(KeyboardClaim, AskedAtOnceThenAgainWhileRefusedForAnyTime) {
  KeyboardClaim claim;
  claim.Start();
  std::int64_t now = 5 * kSecond;
  EXPECT_TRUE(claim.Due(now));
  // Another program holds the keyboard for an hour: the saver keeps asking throughout.
  for (const int refusal : {AlreadyGrabbed, GrabFrozen, GrabNotViewable, GrabInvalidTime}) {
    for (int i = 0; i < 10; ++i) {
      claim.Answered(now, refusal);
      EXPECT_FALSE(claim.Due(now + kRetry - 1)) << "no faster than the retry interval";
      now += 3600 * kSecond / 40;
      EXPECT_TRUE(claim.Due(now)) << "refusal " << refusal << " at " << now / kSecond << " s";
    }
  }
  EXPECT_TRUE(claim.Wanted());
  claim.Answered(now, GrabSuccess);
  EXPECT_TRUE(claim.Held());
  EXPECT_FALSE(claim.Due(now + 100 * kSecond)) << "held: nothing more to ask";
}

TEST(KeyboardClaim, StoppingEndsTheAskingAndAStartBeginsAfresh) {
  KeyboardClaim claim;
  claim.Start();
  claim.Answered(0, AlreadyGrabbed);
  claim.Stop();
  EXPECT_FALSE(claim.Due(10 * kSecond));
  claim.Answered(10 * kSecond, GrabSuccess);
  EXPECT_FALSE(claim.Held()) << "a late answer after the stop changes nothing";
  claim.Start();
  EXPECT_TRUE(claim.Due(10 * kSecond)) << "a new window is asked for at once";
}

}  // namespace

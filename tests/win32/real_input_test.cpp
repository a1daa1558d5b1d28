// Real input ends the full-screen saver: a key, a click, two moves of the pointer. Moves over
// the banner belong to the picture and end nothing. The input is made as a user's would be,
// through the system's input queue.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/win32/saver_process.hpp"

namespace win32test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

void Key(WORD key) {
  INPUT input[2] = {};
  input[0].type = INPUT_KEYBOARD;
  input[0].ki.wVk = key;
  input[1] = input[0];
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

void Click() {
  INPUT input[2] = {};
  input[0].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].type = INPUT_MOUSE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

void MoveTo(int x, int y) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  // Absolute positions are in 0..65535 across the primary screen.
  input.mi.dx =
      (x * 65535 + GetSystemMetrics(SM_CXSCREEN) / 2) / (GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy =
      (y * 65535 + GetSystemMetrics(SM_CYSCREEN) / 2) / (GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof(INPUT));
}

enum class Action { kKey, kClick, kTwoMoves, kMovesOverBanner };

struct InputCase {
  const char* name;
  POINT start;  // where the pointer rests when the saver starts
  Action action;
  bool ends;
};

class RealInput : public ::testing::TestWithParam<InputCase> {};

TEST_P(RealInput, EndsTheSaverAsTheRulesSay) {
  const InputCase& c = GetParam();
  SetCursorPos(c.start.x, c.start.y);
  SaverProcess saver(L"/s");
  ASSERT_NE(saver.WaitForWindow(), nullptr) << saver.Stderr();
  // The window's first move arrives unasked, at the resting place, and only records it.
  PumpFor(milliseconds(400));
  ASSERT_TRUE(saver.Running());
  switch (c.action) {
    case Action::kKey:
      Key(VK_SPACE);
      break;
    case Action::kClick:
      Click();
      break;
    case Action::kTwoMoves:
      MoveTo(c.start.x + 40, c.start.y);
      PumpFor(milliseconds(50));
      MoveTo(c.start.x + 80, c.start.y + 10);
      break;
    case Action::kMovesOverBanner:
      // The banner covers pixels (104, 288) to (908, 492) at 96 dpi.
      MoveTo(c.start.x + 40, c.start.y + 10);
      PumpFor(milliseconds(50));
      MoveTo(c.start.x + 120, c.start.y + 20);
      break;
  }
  const std::optional<DWORD> status = saver.WaitExit(c.ends ? seconds(5) : milliseconds(500));
  if (c.ends) {
    ASSERT_TRUE(status.has_value()) << "still running";
    EXPECT_EQ(*status, 0u);
    EXPECT_EQ(saver.Stderr(), "");
  } else {
    EXPECT_FALSE(status.has_value()) << "ended with " << *status;
    Key(VK_ESCAPE);
    EXPECT_EQ(saver.WaitExit(seconds(5)), std::optional<DWORD>(0));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RealInput,
    ::testing::Values(InputCase{"Key", {600, 700}, Action::kKey, true},
                      InputCase{"Click", {600, 700}, Action::kClick, true},
                      InputCase{"TwoMoves", {600, 700}, Action::kTwoMoves, true},
                      InputCase{"MovesOverTheBanner", {300, 350}, Action::kMovesOverBanner, false}),
    [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace win32test

// The full-screen saver and the programs behind it: another program taking the foreground ends
// the saver, and the keys that end it, with those still held, never reach the window behind.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/win32/saver_process.hpp"

namespace win32test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Another program's window under the saver: it notes every key and every request to close,
// and never closes.
class WindowBehind {
 public:
  WindowBehind() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &WindowBehind::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VorthaneTestBehind";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"Behind", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                              100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen_));
    SetForegroundWindow(window_);
    PumpFor(milliseconds(100));
  }
  ~WindowBehind() { DestroyWindow(window_); }
  HWND window() const { return window_; }
  const std::string& seen() const { return seen_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* seen = reinterpret_cast<std::string*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (seen != nullptr) {
      switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
          // With the modifiers this window's thread sees held: a "z" typed after Ctrl was let
          // go must not arrive as Ctrl+Z.
          *seen += std::string(message == WM_SYSKEYDOWN ? "sysdown:" : "down:") +
                   std::to_string(wParam) + (GetKeyState(VK_CONTROL) < 0 ? "+ctrl" : "") +
                   (GetKeyState(VK_SHIFT) < 0 ? "+shift" : "") +
                   (GetKeyState(VK_MENU) < 0 ? "+alt" : "") + " ";
          break;
        case WM_CHAR:
        case WM_SYSCHAR:
          *seen += std::string(message == WM_SYSCHAR ? "syschar:" : "char:") +
                   std::to_string(wParam) + " ";
          break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
          *seen += "up:" + std::to_string(wParam) + " ";
          break;
        case WM_SYSCOMMAND:
          *seen += "syscommand ";
          return 0;
        case WM_CLOSE:
          *seen += "close ";
          return 0;
        default:
          break;
      }
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
  std::string seen_;
};

void SendKey(WORD key, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
}

TEST(Foreground, AnotherProgramTakingItEndsTheSaverWithThePointerShown) {
  WindowBehind behind;
  SetCursorPos(1270, 1014);
  SaverProcess saver(L"/s");
  ASSERT_NE(saver.WaitForWindow(), nullptr) << saver.Stderr();
  PumpFor(milliseconds(400));
  ASSERT_TRUE(saver.Running());
  SetForegroundWindow(behind.window());
  const std::optional<DWORD> status = saver.WaitExit(seconds(5));
  ASSERT_TRUE(status.has_value()) << "still running with another program in front";
  EXPECT_EQ(*status, 0u);
  EXPECT_EQ(saver.Stderr(), "");
  const char* probe = std::getenv("VORTHANE_X11_PROBE");
  if (probe != nullptr &&
      GetFileAttributesW(WindowsPath(probe).c_str()) != INVALID_FILE_ATTRIBUTES) {
    EXPECT_EQ(RunForOutputLine(WindowsPath(probe), L"pointer-shown 3000", seconds(10)),
              "pointer shown");
  }
}

// wine gives the desktop the foreground for a moment when a monitor changes: no program took
// it, and the saver goes on.
TEST(Foreground, TheDesktopTakingItLeavesTheSaverRunning) {
  SetCursorPos(1270, 1014);
  SaverProcess saver(L"/s");
  ASSERT_NE(saver.WaitForWindow(), nullptr) << saver.Stderr();
  PumpFor(milliseconds(400));
  ASSERT_TRUE(saver.Running());
  ASSERT_TRUE(SetForegroundWindow(GetDesktopWindow()));
  ASSERT_TRUE(PumpUntil([] { return GetForegroundWindow() == GetDesktopWindow(); }, seconds(5)));
  EXPECT_FALSE(saver.WaitExit(seconds(2)).has_value()) << "the saver ended";
}

// Only key releases: what the window behind may see of the keys that ended the saver, so that
// the system's key state ends as the keyboard is.
bool OnlyReleases(const std::string& seen) {
  for (std::size_t at = 0; at < seen.size(); at = seen.find(' ', at) + 1) {
    if (seen.compare(at, 3, "up:") != 0) return false;
  }
  return true;
}

struct ChordCase {
  const char* name;
  WORD held;  // pressed first: this key ends the saver, and is let go after the window is gone
  WORD then;  // if any, pressed and released while the first is held, after the window is gone
};

class KeysAtTheEnd : public ::testing::TestWithParam<ChordCase> {};

TEST_P(KeysAtTheEnd, NeverReachTheWindowBehindAndLeaveNoModifierHeld) {
  const ChordCase& c = GetParam();
  WindowBehind behind;
  SetCursorPos(1270, 1014);
  SaverProcess saver(L"/s");
  ASSERT_NE(saver.WaitForWindow(), nullptr) << saver.Stderr();
  PumpFor(milliseconds(400));
  SendKey(c.held, true);
  // The key ends the saver while it is still held: the rest comes after its window has gone.
  ASSERT_TRUE(PumpUntil([&] { return saver.TopLevelWindows().empty(); }, seconds(5)));
  PumpFor(milliseconds(100));
  if (c.then != 0) {
    SendKey(c.then, true);
    SendKey(c.then, false);
    PumpFor(milliseconds(100));
  }
  SendKey(c.held, false);
  EXPECT_EQ(saver.WaitExit(seconds(5)), std::optional<DWORD>(0));
  PumpFor(milliseconds(200));
  EXPECT_TRUE(IsWindow(behind.window())) << "closed";
  EXPECT_TRUE(OnlyReleases(behind.seen())) << behind.seen();
  EXPECT_GE(GetAsyncKeyState(c.held), 0) << "still down for the system";
  // Keys typed now are the window's, and nothing else is held: a plain "z".
  const std::size_t before = behind.seen().size();
  SendKey('Z', true);
  SendKey('Z', false);
  PumpUntil([&] { return behind.seen().find("up:90", before) != std::string::npos; }, seconds(2));
  EXPECT_EQ(behind.seen().substr(before), "down:90 char:122 up:90 ");
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeysAtTheEnd,
    ::testing::Values(ChordCase{"Ctrl", VK_CONTROL, 0}, ChordCase{"Shift", VK_SHIFT, 0},
                      ChordCase{"Alt", VK_MENU, 0}, ChordCase{"AltF4", VK_MENU, VK_F4},
                      ChordCase{"CtrlQ", VK_CONTROL, 'Q'}),
    [](const ::testing::TestParamInfo<ChordCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace win32test

// vorthane.scr started as the Screen Saver Settings dialog and the screen-saver service start
// it: the preview in the dialog's area, the run modes, the single-instance guard and a preview
// handle that names no window.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "tests/win32/saver_process.hpp"

namespace win32test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// The Settings dialog's stand-in: a top-level window with a 152 x 112 preview area.
class SettingsDialog {
 public:
  SettingsDialog() {
    dialog_ = CreateWindowExW(0, L"STATIC", L"Screen Saver Settings",
                              WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40, 400, 300, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    area_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 120, 60, 152, 112, dialog_,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~SettingsDialog() {
    if (IsWindow(dialog_)) DestroyWindow(dialog_);
  }
  HWND area() const { return area_; }
  // The handle as the dialog writes it on the command line: decimal.
  std::wstring AreaNumber() const {
    return std::to_wstring(static_cast<long long>(reinterpret_cast<LONG_PTR>(area_)));
  }

 private:
  HWND dialog_ = nullptr;
  HWND area_ = nullptr;
};

TEST(SettingsDialog, PreviewFillsTheAreaAndEndsWithIt) {
  SettingsDialog dialog;
  ASSERT_NE(dialog.area(), nullptr);
  SaverProcess saver(L"/p " + dialog.AreaNumber());
  HWND preview = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] {
        preview = FindWindowExW(dialog.area(), nullptr, nullptr, L"Preview");
        return preview != nullptr && IsWindowVisible(preview);
      },
      seconds(10)))
      << saver.Stderr();

  DWORD owner = 0;
  GetWindowThreadProcessId(preview, &owner);
  EXPECT_EQ(owner, saver.pid());
  EXPECT_EQ(GetAncestor(preview, GA_PARENT), dialog.area());
  EXPECT_NE(GetWindowLongW(preview, GWL_STYLE) & WS_CHILD, 0);
  RECT area{};
  RECT window{};
  GetWindowRect(dialog.area(), &area);
  GetWindowRect(preview, &window);
  EXPECT_EQ(window.left, area.left);
  EXPECT_EQ(window.top, area.top);
  RECT client{};
  GetClientRect(preview, &client);
  EXPECT_EQ(client.right, 152);
  EXPECT_EQ(client.bottom, 112);
  // It runs on: the preview has nothing that ends it but its host.
  PumpFor(milliseconds(300));
  EXPECT_TRUE(saver.Running());

  const auto destroyed = std::chrono::steady_clock::now();
  DestroyWindow(dialog.area());
  const std::optional<DWORD> status = saver.WaitExit(seconds(5));
  ASSERT_TRUE(status.has_value()) << "still running after the preview area went away";
  EXPECT_EQ(*status, 0u);
  EXPECT_EQ(saver.Stderr(), "");
  const auto ms =
      std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - destroyed);
  std::printf("preview ended %lld ms after its area was destroyed\n",
              static_cast<long long>(ms.count()));
}

// The dialog lays its area out anew (or the user resizes it): the preview follows each size;
// an area of no size leaves the preview as it was.
TEST(SettingsDialog, PreviewFollowsItsAreasSize) {
  SettingsDialog dialog;
  SaverProcess saver(L"/p " + dialog.AreaNumber());
  HWND preview = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] {
        preview = FindWindowExW(dialog.area(), nullptr, nullptr, L"Preview");
        return preview != nullptr && IsWindowVisible(preview);
      },
      seconds(10)))
      << saver.Stderr();
  const struct {
    SIZE area;
    SIZE preview;
  } steps[] = {
      {{640, 480}, {640, 480}}, {{80, 60}, {80, 60}}, {{0, 0}, {80, 60}}, {{152, 112}, {152, 112}}};
  for (const auto& step : steps) {
    SetWindowPos(dialog.area(), nullptr, 0, 0, step.area.cx, step.area.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    const bool followed = PumpUntil(
        [&] {
          GetClientRect(preview, &client);
          return client.right == step.preview.cx && client.bottom == step.preview.cy;
        },
        seconds(3));
    if (step.area.cx == step.preview.cx) PumpFor(milliseconds(200));  // and stays so
    GetClientRect(preview, &client);
    EXPECT_TRUE(followed) << step.area.cx << "x" << step.area.cy;
    EXPECT_EQ(client.right, step.preview.cx) << step.area.cx << "x" << step.area.cy;
    EXPECT_EQ(client.bottom, step.preview.cy) << step.area.cx << "x" << step.area.cy;
  }
  EXPECT_TRUE(saver.Running());
}

struct RunModeCase {
  const wchar_t* name;
  const wchar_t* arguments;
  bool fullScreen;
};

class SettingsRunMode : public ::testing::TestWithParam<RunModeCase> {};

// Settings ("/c", "/c:<dialog>") end at once without a window: there is nothing to configure.
// The service's "/s" and an empty command line run full-screen until the window is closed.
TEST_P(SettingsRunMode, StartsAsTheRunModeSays) {
  const RunModeCase& c = GetParam();
  SaverProcess saver(c.arguments);
  if (!c.fullScreen) {
    bool sawWindow = false;
    PumpUntil(
        [&] {
          sawWindow = sawWindow || !saver.TopLevelWindows().empty();
          return !saver.Running();
        },
        seconds(10));
    const std::optional<DWORD> status = saver.WaitExit(milliseconds(0));
    ASSERT_TRUE(status.has_value()) << "still running";
    EXPECT_EQ(*status, 0u);
    EXPECT_FALSE(sawWindow);
    EXPECT_EQ(saver.Stderr(), "");
    return;
  }
  const HWND window = saver.WaitForWindow();
  ASSERT_NE(window, nullptr) << saver.Stderr();
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
  EXPECT_EQ(rect.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
  EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_NE(style & WS_POPUP, 0);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0) << "borderless";
  EXPECT_NE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(WindowText(window), L"") << "a copy that runs alone leaves its caption alone";

  // Closing by another road passes through the form's Unload and ends the program.
  PostMessageW(window, WM_CLOSE, 0, 0);
  const std::optional<DWORD> status = saver.WaitExit(seconds(5));
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(*status, 0u);
  EXPECT_EQ(saver.Stderr(), "");
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsRunMode,
                         ::testing::Values(RunModeCase{L"Configure", L"/c", false},
                                           RunModeCase{L"ConfigureWithDialogHandle", L"/c:1234",
                                                       false},
                                           RunModeCase{L"NoArguments", L"", true},
                                           RunModeCase{L"ScreenSaverService", L"/s", true}),
                         [](const ::testing::TestParamInfo<RunModeCase>& info) {
                           std::string name;
                           for (const wchar_t* p = info.param.name; *p != 0; ++p)
                             name += static_cast<char>(*p);
                           return name;
                         });

struct CloseCase {
  const char* name;
  UINT message;
  WPARAM wParam;
};

class OtherRoadOut : public ::testing::TestWithParam<CloseCase> {};

// The user or the session closing the window passes through the form's Unload event and ends
// the program as any other unload does.
TEST_P(OtherRoadOut, EndsTheFullScreenSaverCleanly) {
  SaverProcess saver(L"/s");
  const HWND window = saver.WaitForWindow();
  ASSERT_NE(window, nullptr) << saver.Stderr();
  DWORD_PTR answer = 0;
  if (GetParam().message == WM_ENDSESSION) {
    // The session asks first; a saver never objects.
    SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    EXPECT_EQ(answer, TRUE);
  }
  SendMessageTimeoutW(window, GetParam().message, GetParam().wParam, 0, SMTO_ABORTIFHUNG, 2000,
                      &answer);
  const std::optional<DWORD> status = saver.WaitExit(seconds(5));
  ASSERT_TRUE(status.has_value()) << "still running";
  EXPECT_EQ(*status, 0u);
  EXPECT_EQ(saver.Stderr(), "");
}

INSTANTIATE_TEST_SUITE_P(Table, OtherRoadOut,
                         ::testing::Values(CloseCase{"Close", WM_CLOSE, 0},
                                           CloseCase{"SessionEnds", WM_ENDSESSION, TRUE},
                                           CloseCase{"SystemMenuClose", WM_SYSCOMMAND, SC_CLOSE}),
                         [](const ::testing::TestParamInfo<CloseCase>& info) {
                           return std::string(info.param.name);
                         });

// A copy started alone runs; a second runs and marks its window; a third finds the mark and
// ends at once without a window.
TEST(ScreenSaverService, ThirdFullScreenStartFindsTheMarkAndEnds) {
  SaverProcess first(L"/s");
  const HWND firstWindow = first.WaitForWindow();
  ASSERT_NE(firstWindow, nullptr) << first.Stderr();
  SaverProcess second(L"/s");
  const HWND secondWindow = second.WaitForWindow();
  ASSERT_NE(secondWindow, nullptr) << second.Stderr();
  EXPECT_EQ(WindowText(firstWindow), L"");
  EXPECT_EQ(WindowText(secondWindow), L"VorthaneSoftware");

  SaverProcess third(L"/s");
  bool sawWindow = false;
  PumpUntil(
      [&] {
        sawWindow = sawWindow || !third.TopLevelWindows().empty();
        return !third.Running();
      },
      seconds(10));
  const std::optional<DWORD> status = third.WaitExit(milliseconds(0));
  ASSERT_TRUE(status.has_value()) << "the third copy still runs";
  EXPECT_EQ(*status, 0u);
  EXPECT_FALSE(sawWindow);

  for (SaverProcess* saver : {&first, &second}) {
    for (const HWND window : saver->TopLevelWindows()) PostMessageW(window, WM_CLOSE, 0, 0);
    const std::optional<DWORD> end = saver->WaitExit(seconds(5));
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(*end, 0u);
  }
}

// A preview running is another copy, but its window is a child captioned "Preview": a
// full-screen start runs and marks its own window.
TEST(ScreenSaverService, FullScreenBesideAPreviewMarksItsWindow) {
  SettingsDialog dialog;
  SaverProcess preview(L"/p " + dialog.AreaNumber());
  ASSERT_TRUE(PumpUntil(
      [&] { return FindWindowExW(dialog.area(), nullptr, nullptr, L"Preview") != nullptr; },
      seconds(10)));
  SaverProcess saver(L"/s");
  const HWND window = saver.WaitForWindow();
  ASSERT_NE(window, nullptr) << saver.Stderr();
  EXPECT_EQ(WindowText(window), L"VorthaneSoftware");
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(saver.WaitExit(seconds(5)), std::optional<DWORD>(0));
  DestroyWindow(dialog.area());
  EXPECT_EQ(preview.WaitExit(seconds(5)), std::optional<DWORD>(0));
}

// The Settings dialog's process dies (killed, crashed): its windows go, and the preview, told
// nothing, wakes on that process's end. It then ends within a frame; the bound here also holds
// wine's own teardown of the saver's process, which takes up to a tenth of a second more on a
// busy machine.
TEST(SettingsDialog, KilledDialogsPreviewEndsPromptly) {
  SaverProcess dialog(WindowsPath(VORTHANE_STAND_IN_DIALOG), L"");
  std::string area;
  ASSERT_TRUE(PumpUntil(
      [&] {
        area = dialog.Stderr();
        return area.find('\n') != std::string::npos;
      },
      seconds(10)));
  area = area.substr(0, area.find_first_of("\r\n"));
  const HWND host = reinterpret_cast<HWND>(static_cast<LONG_PTR>(std::stoll(area)));
  SaverProcess saver(L"/p " + std::wstring(area.begin(), area.end()));
  ASSERT_TRUE(PumpUntil(
      [&] { return FindWindowExW(host, nullptr, nullptr, L"Preview") != nullptr; }, seconds(10)))
      << saver.Stderr();
  dialog.Kill();
  const auto killed = std::chrono::steady_clock::now();
  const std::optional<DWORD> status = saver.WaitExit(seconds(5));
  const auto ms =
      std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - killed).count();
  ASSERT_TRUE(status.has_value()) << "the orphaned preview still runs";
  EXPECT_EQ(*status, 0u);
  EXPECT_EQ(saver.Stderr(), "");
  EXPECT_LE(ms, 500);
  std::printf("orphaned preview ended %lld ms after its dialog was killed\n",
              static_cast<long long>(ms));
}

struct HandleCase {
  const char* name;
  const wchar_t* arguments;  // the area's number is appended to an empty text
  const char* error;         // the error line, or nothing when it embeds
};

class PreviewHandleAsWritten : public ::testing::TestWithParam<HandleCase> {};

// Windows writes the handle unsigned. A handle's upper 16 bits are a reuse count that all ones
// leave open, so the area's own number with those bits set names the same window, above 2^31.
TEST_P(PreviewHandleAsWritten, EmbedsOrEndsWithTheConversionsError) {
  const HandleCase& c = GetParam();
  SettingsDialog dialog;
  std::wstring arguments = c.arguments;
  if (arguments.empty()) {
    const auto low = static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(dialog.area()));
    arguments = L"/p " + std::to_wstring(0xFFFF0000ull | (low & 0xFFFFull));
  }
  SaverProcess saver(arguments);
  if (c.error == nullptr) {
    ASSERT_TRUE(PumpUntil(
        [&] { return FindWindowExW(dialog.area(), nullptr, nullptr, L"Preview") != nullptr; },
        seconds(10)))
        << saver.Stderr();
    DestroyWindow(dialog.area());
    EXPECT_EQ(saver.WaitExit(seconds(5)), std::optional<DWORD>(0));
    return;
  }
  EXPECT_EQ(saver.WaitExit(seconds(10)), std::optional<DWORD>(1));
  EXPECT_EQ(saver.Stderr().rfind(c.error, 0), 0u) << saver.Stderr();
  EXPECT_TRUE(saver.TopLevelWindows().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, PreviewHandleAsWritten,
    ::testing::Values(HandleCase{"AboveTwoToThe31", L"", nullptr},
                      HandleCase{"PastThirtyTwoBits", L"/p 4294967296",
                                 "vorthane: run-time error 6: Overflow"},
                      HandleCase{"MinusFiveIsFive", L"/p -5",
                                 "vorthane: run-time error 1400: Invalid window handle: the "
                                 "preview window 5 does not exist"}),
    [](const ::testing::TestParamInfo<HandleCase>& info) { return std::string(info.param.name); });

// A handle that names no window would leave an instance nothing can see or close.
TEST(SettingsDialog, DeadPreviewHandleEndsWithOneClearError) {
  const HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
  const auto number = static_cast<long long>(reinterpret_cast<LONG_PTR>(gone));
  DestroyWindow(gone);
  SaverProcess saver(L"/p " + std::to_wstring(number));
  const std::optional<DWORD> status = saver.WaitExit(seconds(10));
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(*status, 1u);
  EXPECT_EQ(saver.Stderr(),
            "vorthane: run-time error 1400: Invalid window handle: the preview "
            "window " +
                std::to_string(number) + " does not exist\r\n");
  EXPECT_TRUE(saver.TopLevelWindows().empty());
}

}  // namespace
}  // namespace win32test

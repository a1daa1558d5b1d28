// The Windows platform's own translations: the command line after the program's name, window
// messages as the form's input events, handles between 32 and 64 bits, and which cover window
// goes to which monitor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/win32/command_line.hpp"
#include "host/win32/display_power.hpp"
#include "host/win32/handles.hpp"
#include "host/win32/input_messages.hpp"
#include "host/win32/monitors.hpp"

namespace host::win32 {
namespace {

struct CommandLineCase {
  const char* name;
  const wchar_t* full;
  const wchar_t* arguments;
};

class ArgumentsAfterName : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(ArgumentsAfterName, KeepsWhatFollowsTheNameAndItsBlanks) {
  EXPECT_EQ(ArgumentsAfterProgramName(GetParam().full), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArgumentsAfterName,
    ::testing::Values(CommandLineCase{"QuotedWithSpaces", L"\"C:\\Program Files\\v.scr\" /p 1234",
                                      L"/p 1234"},
                      CommandLineCase{"Plain", L"C:\\WINDOWS\\v.scr /s", L"/s"},
                      CommandLineCase{"NothingAfter", L"v.scr", L""},
                      CommandLineCase{"QuotedNothingAfter", L"\"v.scr\"", L""},
                      CommandLineCase{"QuotedNoBlank", L"\"v.scr\"/c:99", L"/c:99"},
                      CommandLineCase{"SeveralBlanks", L"v.scr  \t /S ", L"/S "},
                      CommandLineCase{"UnclosedQuote", L"\"v.scr /s", L""},
                      CommandLineCase{"InnerBlanksKept", L"v.scr /p  12 34", L"/p  12 34"}),
    [](const ::testing::TestParamInfo<CommandLineCase>& info) {
      return std::string(info.param.name);
    });

TEST(Utf8, RoundTripsAndStaysEmpty) {
  EXPECT_EQ(Utf8FromWide(L"/p 12"), "/p 12");
  EXPECT_EQ(Utf8FromWide(L"\u00e9\u20ac"), "\xc3\xa9\xe2\x82\xac");
  EXPECT_EQ(WideFromUtf8("\xc3\xa9\xe2\x82\xac"), L"\u00e9\u20ac");
  EXPECT_EQ(Utf8FromWide(L""), "");
  EXPECT_EQ(WideFromUtf8(""), L"");
}

TEST(Handles, WidenWithSignExtensionAndNarrowBack) {
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(Widen(-2)), LONG_PTR{-2});  // as HWND_NOTOPMOST
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(Widen(0x7FFFFFFF)), LONG_PTR{0x7FFFFFFF});
  EXPECT_EQ(Widen(0), nullptr);
  EXPECT_EQ(Narrow(Widen(-123456)), -123456);
  // A real window survives the round trip.
  const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Widen(Narrow(window)), window);
  DestroyWindow(window);
}

struct MessageCase {
  const char* name;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  Modifiers held;
  InputKind kind;
  bool hasPoint;
  float x, y;
  std::int16_t keyCode, button, shift;
};

class InputMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(InputMessages, BecomeTheFormsEvents) {
  const MessageCase& c = GetParam();
  // 1440 twips to the inch at 144 dpi: 10 twips to the pixel.
  const std::optional<InputEvent> e = InputFromMessage(c.message, c.wParam, c.lParam, c.held, 144);
  ASSERT_TRUE(e.has_value());
  EXPECT_EQ(e->kind, c.kind);
  EXPECT_EQ(e->hasPoint, c.hasPoint);
  EXPECT_EQ(e->x, c.x);
  EXPECT_EQ(e->y, c.y);
  EXPECT_EQ(e->keyCode, c.keyCode);
  EXPECT_EQ(e->button, c.button);
  EXPECT_EQ(e->shift, c.shift);
}

constexpr LPARAM Point(int x, int y) {
  return static_cast<LPARAM>(static_cast<std::uint32_t>((y & 0xFFFF) << 16 | (x & 0xFFFF)));
}

INSTANTIATE_TEST_SUITE_P(
    Table, InputMessages,
    ::testing::Values(
        MessageCase{"KeyDown",
                    WM_KEYDOWN,
                    'A',
                    0,
                    {true, false, false},
                    InputKind::kKeyDown,
                    false,
                    0,
                    0,
                    'A',
                    0,
                    1},
        MessageCase{"SysKeyDownF10",
                    WM_SYSKEYDOWN,
                    VK_F10,
                    0,
                    {false, true, true},
                    InputKind::kKeyDown,
                    false,
                    0,
                    0,
                    VK_F10,
                    0,
                    6},
        MessageCase{"Char", WM_CHAR, 'a', 0, {}, InputKind::kKeyPress, false, 0, 0, 'a', 0, 0},
        MessageCase{"LeftDown",
                    WM_LBUTTONDOWN,
                    MK_LBUTTON,
                    Point(3, 4),
                    {},
                    InputKind::kMouseDown,
                    true,
                    30,
                    40,
                    0,
                    1,
                    0},
        MessageCase{"RightDown",
                    WM_RBUTTONDOWN,
                    MK_RBUTTON,
                    Point(1, 2),
                    {false, true, false},
                    InputKind::kMouseDown,
                    true,
                    10,
                    20,
                    0,
                    2,
                    2},
        MessageCase{"MiddleDown",
                    WM_MBUTTONDOWN,
                    MK_MBUTTON,
                    Point(0, 0),
                    {},
                    InputKind::kMouseDown,
                    true,
                    0,
                    0,
                    0,
                    4,
                    0},
        MessageCase{"LeftUpIsClick",
                    WM_LBUTTONUP,
                    0,
                    Point(5, 6),
                    {},
                    InputKind::kClick,
                    true,
                    50,
                    60,
                    0,
                    1,
                    0},
        MessageCase{"RightDoubleClick",
                    WM_RBUTTONDBLCLK,
                    MK_RBUTTON,
                    Point(7, 8),
                    {},
                    InputKind::kDblClick,
                    true,
                    70,
                    80,
                    0,
                    2,
                    0},
        MessageCase{"Move",
                    WM_MOUSEMOVE,
                    0,
                    Point(908, 492),
                    {},
                    InputKind::kMouseMove,
                    true,
                    9080,
                    4920,
                    0,
                    0,
                    0},
        MessageCase{"MoveWithButtonsHeld",
                    WM_MOUSEMOVE,
                    MK_LBUTTON | MK_MBUTTON,
                    Point(1, 1),
                    {},
                    InputKind::kMouseMove,
                    true,
                    10,
                    10,
                    0,
                    5,
                    0},
        MessageCase{"MoveLeftOfTheWindow",
                    WM_MOUSEMOVE,
                    0,
                    Point(-3, -1),
                    {},
                    InputKind::kMouseMove,
                    true,
                    -30,
                    -10,
                    0,
                    0,
                    0}),
    [](const ::testing::TestParamInfo<MessageCase>& info) { return std::string(info.param.name); });

TEST(InputMessages, OtherMessagesAreNoInput) {
  for (const UINT message : {WM_KEYUP, WM_SYSKEYUP, WM_PAINT, WM_MOUSEWHEEL, WM_SETFOCUS}) {
    EXPECT_FALSE(InputFromMessage(message, 0, 0, {}, 96).has_value()) << message;
  }
}

}  // namespace
}  // namespace host::win32

namespace host::win32 {
namespace {

// Which cover window goes to which monitor when the monitors change: a window keeps its monitor
// while it is attached, takes a monitor left over otherwise, goes when none is left; the form's
// window always has the first (primary) monitor, and no monitor is left uncovered.
struct CoverCase {
  const char* name;
  std::vector<std::wstring> covers;    // the monitor each other window covered
  std::vector<std::wstring> monitors;  // the monitors now, the primary first
  std::vector<int> monitorOfCover;
  std::vector<int> newCovers;
};

class CoverPlanning : public ::testing::TestWithParam<CoverCase> {};

TEST_P(CoverPlanning, KeepsMonitorsAndCoversEveryOne) {
  std::vector<Monitor> monitors;
  for (const std::wstring& device : GetParam().monitors) {
    monitors.emplace_back().device = device;
  }
  const CoverPlan plan = PlanCovers(GetParam().covers, monitors);
  EXPECT_EQ(plan.monitorOfCover, GetParam().monitorOfCover);
  EXPECT_EQ(plan.newCovers, GetParam().newCovers);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CoverPlanning,
    ::testing::Values(CoverCase{"FirstShow", {}, {L"A", L"B", L"C"}, {}, {1, 2}},
                      CoverCase{"OneMonitor", {}, {L"A"}, {}, {}},
                      CoverCase{"Unchanged", {L"B", L"C"}, {L"A", L"B", L"C"}, {1, 2}, {}},
                      CoverCase{
                          "ListedInAnotherOrder", {L"C", L"B"}, {L"A", L"B", L"C"}, {2, 1}, {}},
                      CoverCase{"MonitorAdded", {L"B"}, {L"A", L"B", L"C"}, {1}, {2}},
                      CoverCase{"MonitorRemoved", {L"B", L"C"}, {L"A", L"C"}, {-1, 1}, {}},
                      CoverCase{"PrimaryMoved", {L"B"}, {L"B", L"A"}, {1}, {}},
                      CoverCase{"AllReplaced", {L"B", L"C"}, {L"A", L"D"}, {1, -1}, {}}),
    [](const ::testing::TestParamInfo<CoverCase>& info) { return std::string(info.param.name); });

// The display-state broadcasts as Windows sends them: off, on, dimmed (still seen), from the
// session's setting or the console's; anything else is not about the display.
struct PowerCase {
  const char* name;
  WPARAM event;
  GUID setting;
  DWORD length;
  DWORD state;
  std::optional<bool> on;
};

class DisplayPowerBroadcast : public ::testing::TestWithParam<PowerCase> {};

TEST_P(DisplayPowerBroadcast, SaysWhetherTheDisplayIsOn) {
  const PowerCase& c = GetParam();
  struct {
    POWERBROADCAST_SETTING header;
    BYTE rest[sizeof(DWORD)];
  } message{};
  message.header.PowerSetting = c.setting;
  message.header.DataLength = c.length;
  CopyMemory(message.header.Data, &c.state, sizeof c.state);
  EXPECT_EQ(DisplayOnFromBroadcast(c.event, reinterpret_cast<LPARAM>(&message)), c.on);
}

constexpr GUID kSession = {
    0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
constexpr GUID kConsole = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kOther = {
    0x245d8541, 0x3943, 0x4422, {0xb0, 0x25, 0x13, 0xa7, 0x84, 0xf6, 0x79, 0xb7}};

INSTANTIATE_TEST_SUITE_P(
    Table, DisplayPowerBroadcast,
    ::testing::Values(PowerCase{"SessionOff", PBT_POWERSETTINGCHANGE, kSession, 4, 0, false},
                      PowerCase{"SessionOn", PBT_POWERSETTINGCHANGE, kSession, 4, 1, true},
                      PowerCase{"SessionDimmed", PBT_POWERSETTINGCHANGE, kSession, 4, 2, true},
                      PowerCase{"ConsoleOff", PBT_POWERSETTINGCHANGE, kConsole, 4, 0, false},
                      PowerCase{"AnotherSetting", PBT_POWERSETTINGCHANGE, kOther, 4, 0, {}},
                      PowerCase{"TooShort", PBT_POWERSETTINGCHANGE, kSession, 1, 0, {}},
                      PowerCase{"Suspending", PBT_APMSUSPEND, kSession, 4, 0, {}}),
    [](const ::testing::TestParamInfo<PowerCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace host::win32

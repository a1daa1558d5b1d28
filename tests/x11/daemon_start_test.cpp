// How the saver meets the daemons and the programs around it on a real display: ids it must
// refuse without touching the screen, the settings dialog's preview, a keyboard held by another
// program, and its window taken away by another client.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <thread>
#include <utility>

#include "tests/x11/saver_fixture.hpp"

namespace x11test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

struct MalformedStart {
  const char* name;
  std::vector<std::string> args;
  const char* variable;  // XSCREENSAVER_WINDOW, or null
  const char* fragment;
};

void PrintTo(const MalformedStart& start, std::ostream* out) {
  *out << start.name;
}

class MalformedIdTest : public SaverTest, public ::testing::WithParamInterface<MalformedStart> {};

TEST_P(MalformedIdTest, EndsWithOneLineAndShowsNothing) {
  const MalformedStart& start = GetParam();
  ScreenWatch watch(display_);
  std::map<std::string, std::string> env;
  if (start.variable != nullptr) env["XSCREENSAVER_WINDOW"] = start.variable;
  auto saver = Start(start.args, env);
  ExpectRefused(*saver, watch, start.fragment);
}

const std::string kHugeId(30000, '4');

INSTANTIATE_TEST_SUITE_P(
    Ids, MalformedIdTest,
    ::testing::Values(
        MalformedStart{"VariableLetters", {}, "zz", "\"zz\" from XSCREENSAVER_WINDOW"},
        MalformedStart{"VariableBarePrefix", {}, "0x", "\"0x\" from XSCREENSAVER_WINDOW"},
        MalformedStart{"VariableZero", {}, "0", "\"0\" from XSCREENSAVER_WINDOW"},
        MalformedStart{"RootWithMalformedVariable", {"-root"}, "zz", "from XSCREENSAVER_WINDOW"},
        MalformedStart{"WindowIdWithoutValue", {"-window-id"}, nullptr, "needs a window id"},
        MalformedStart{"WindowIdLetters", {"-window-id", "zz"}, nullptr, "\"zz\" from -window-id"},
        MalformedStart{
            "PreviewWithBarePrefix", {"--root", "--window-id", "0x"}, "0x", "from --window-id"},
        MalformedStart{"HugeWindowId", {"--window-id", kHugeId}, nullptr, "30000 characters"},
        MalformedStart{"PreviewHex", {"/p", "0x200006"}, nullptr, "\"0x200006\" after /p is not"},
        MalformedStart{"PreviewNegative", {"/p", "-5"}, nullptr, "\"-5\" after /p is not"},
        MalformedStart{"PreviewBidiControl",
                       {"/p",
                        "\xe2\x80\xae"
                        "5"},
                       nullptr,
                       "\"\\u202E5\""}),
    [](const auto& info) { return std::string(info.param.name); });

// Windows a daemon may name that cannot hold the saver: gone, or input-only.
struct UnusableHost {
  const char* name;
  bool inputOnly;
  const char* how;  // "variable", "option" or "preview" (the program's own /p)
  const char* fragment;
};

void PrintTo(const UnusableHost& host, std::ostream* out) {
  *out << host.name;
}

class UnusableHostTest : public SaverTest, public ::testing::WithParamInterface<UnusableHost> {};

TEST_P(UnusableHostTest, EndsWithOneLineAndShowsNothing) {
  const UnusableHost& param = GetParam();
  Window host = 0;
  if (param.inputOnly) {
    XSetWindowAttributes attributes{};
    host = XCreateWindow(display_, root_, 0, 0, 300, 200, 0, 0, InputOnly, CopyFromParent, 0,
                         &attributes);
    XMapWindow(display_, host);
  } else {
    host = XCreateSimpleWindow(display_, root_, 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display_, host);
  }
  XSync(display_, False);
  ScreenWatch watch(display_);
  std::unique_ptr<ChildProcess> saver;
  const std::string how = param.how;
  if (how == "variable") saver = Start({}, {{"XSCREENSAVER_WINDOW", Hex(host)}});
  if (how == "option") saver = Start({"--root", "--window-id", std::to_string(host)});
  if (how == "preview") saver = Start({"/p", std::to_string(host)});
  ExpectRefused(*saver, watch, param.fragment);
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, UnusableHostTest,
    ::testing::Values(
        UnusableHost{"GoneFromVariable", false, "variable", "from XSCREENSAVER_WINDOW does not"},
        UnusableHost{"GoneFromOption", false, "option", "from --window-id does not exist"},
        UnusableHost{"InputOnlyFromVariable", true, "variable", "input-only"},
        UnusableHost{"InputOnlyFromOption", true, "option", "input-only"},
        UnusableHost{"InputOnlyPreview", true, "preview", "from /p is an input-only window"},
        UnusableHost{"GonePreview", false, "preview", "does not exist"}),
    [](const auto& info) { return std::string(info.param.name); });

// A display name is quoted in the error as any value is: cut, on one line.
TEST(UnreachableDisplay, EndsWithOneShortLine) {
  ChildProcess saver({VORTHANE_EXE, "/s"}, {{"DISPLAY", ":" + std::string(30000, '9')}});
  ASSERT_EQ(saver.WaitExit(seconds(5)), 1);
  const std::string error = saver.Stderr();
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
  EXPECT_LT(error.size(), 200u);
  EXPECT_NE(error.find("cannot open the X display \":999"), std::string::npos) << error;
}

// The settings dialog's preview: the programs-list entry with "--window-id 0xID" appended.
TEST_F(SaverTest, SettingsDialogPreviewEmbedsInItsWindow) {
  const Window host = CreateHostWindow(360, 270);
  auto saver = Start({"--root", "--window-id", Hex(host)}, {{"XSCREENSAVER_WINDOW", Hex(host)}});
  std::vector<Window> children;
  ASSERT_TRUE(
      WaitFor([&] { return !(children = MappedChildren(display_, host)).empty(); }, seconds(10)))
      << saver->Stderr();
  EXPECT_EQ(Attributes(display_, children.front()).width, 360);
  EXPECT_EQ(TopLevelTitled("Preview").size(), 0u) << "nothing of its own over the dialog";
  EXPECT_FALSE(PointerInvisible(display_));
  saver->Signal(SIGTERM);
  EXPECT_EQ(saver->WaitExit(seconds(3)), -SIGTERM);
  EXPECT_EQ(saver->Stderr(), "");
}

// Another program holds the keyboard (and, as an open menu does, the pointer) while the saver
// starts, for longer than any short retry would cover. Until the hold ends the saver does not
// cover the screen, so nothing typed meanwhile acts on a window hidden behind it; then it
// covers the screen and a key ends it, reaching no other window.
class HeldKeyboardTest : public SaverTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HeldKeyboardTest, CoversOnlyOnceTheKeyboardIsFree) {
  const Window terminal = CreateHostWindow(200, 100, KeyPressMask | KeyReleaseMask);
  const Window menu = CreateHostWindow(100, 200, KeyPressMask);
  XSetInputFocus(display_, terminal, RevertToPointerRoot, CurrentTime);
  ASSERT_EQ(XGrabKeyboard(display_, menu, False, GrabModeAsync, GrabModeAsync, CurrentTime),
            GrabSuccess);
  if (GetParam()) {
    ASSERT_EQ(XGrabPointer(display_, menu, False, ButtonPressMask, GrabModeAsync, GrabModeAsync,
                           None, None, CurrentTime),
              GrabSuccess);
  }
  XSync(display_, False);
  auto saver = Start({"/s"});
  std::this_thread::sleep_for(seconds(2));
  ASSERT_TRUE(saver->Running()) << saver->Stderr();
  EXPECT_FALSE(BannerShown(Capture(display_))) << "the screen was covered while held";
  EXPECT_EQ(MappedChildren(display_, root_).size(), 2u) << "the saver's window is mapped";
  // Its windows are drawn only once they are on the screen: nothing kept on the server yet.
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  XQueryTree(display_, root_, &root, &parent, &children, &count);
  for (unsigned i = 0; i < count; ++i) {
    if (children[i] != terminal && children[i] != menu) {
      EXPECT_EQ(ServerPixmaps(display_, children[i]).first, 0) << "drawn while hidden";
      break;
    }
  }
  XFree(children);
  Xdotool({"key", "Down", "Return"});  // the menu's, seen on the screen
  XEvent event;
  XSync(display_, False);
  EXPECT_TRUE(XCheckTypedWindowEvent(display_, menu, KeyPress, &event));
  EXPECT_TRUE(saver->Running());
  XUngrabKeyboard(display_, CurrentTime);
  XUngrabPointer(display_, CurrentTime);
  XSync(display_, False);
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  Xdotool({"key", "a"});
  const std::optional<int> status = saver->WaitExit(seconds(5));
  ASSERT_TRUE(status.has_value()) << "the key did not end the saver";
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(saver->Stderr(), "");
  XSync(display_, False);
  EXPECT_FALSE(XCheckTypedWindowEvent(display_, terminal, KeyPress, &event))
      << "the key reached the window behind the saver";
  EXPECT_FALSE(XCheckTypedWindowEvent(display_, terminal, KeyRelease, &event));
}

INSTANTIATE_TEST_SUITE_P(HeldBy, HeldKeyboardTest, ::testing::Values(false, true),
                         [](const auto& info) {
                           return std::string(info.param ? "OpenMenu" : "KeyboardGrab");
                         });

// Another client takes the full-screen window away: the saver ends through its Unload event,
// the pointer shown again.
class TakenWindowTest : public SaverTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TakenWindowTest, TheSaverEnds) {
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  const std::vector<Window> top = MappedChildren(display_, root_);
  ASSERT_EQ(top.size(), 1u);
  ASSERT_TRUE(PointerInvisible(display_));
  if (GetParam()) {
    XDestroyWindow(display_, top.front());
  } else {
    XUnmapWindow(display_, top.front());
  }
  XSync(display_, False);
  const std::optional<int> status = saver->WaitExit(seconds(5));
  ASSERT_TRUE(status.has_value()) << "lingers with nothing that can reach it";
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(saver->Stderr(), "");
  EXPECT_FALSE(PointerInvisible(display_));
  EXPECT_TRUE(MappedChildren(display_, root_).empty());
}

INSTANTIATE_TEST_SUITE_P(ByAnotherClient, TakenWindowTest, ::testing::Values(false, true),
                         [](const auto& info) {
                           return std::string(info.param ? "Destroyed" : "Unmapped");
                         });

}  // namespace
}  // namespace x11test

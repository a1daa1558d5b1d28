// The program as a Linux command and on displays and limits that are not the usual ones: help
// without a display, closed standard streams, key chords, odd servers, another screen, tight
// resource limits.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <ostream>
#include <thread>

#include "tests/x11/saver_fixture.hpp"
// After gtest, whose names the X headers' macros (None) would break.
#include <X11/Xutil.h>

namespace x11test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Runs the saver through sh, which first applies `prelude` (limits, closed descriptors).
std::vector<std::string> Through(const std::string& prelude, const std::vector<std::string>& args) {
  std::vector<std::string> argv{"sh", "-c", prelude + "; exec \"$0\" \"$@\"", VORTHANE_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

struct InfoCase {
  const char* name;
  const char* option;
  const char* expected;  // the whole output, or its start when it ends in "..."
};

void PrintTo(const InfoCase& c, std::ostream* out) {
  *out << c.name;
}

class InfoTest : public ::testing::TestWithParam<InfoCase> {};

// No display: the text goes to standard output (here joined to the error file) with status 0.
TEST_P(InfoTest, AnswersWithoutADisplay) {
  const InfoCase& c = GetParam();
  ChildProcess saver({"sh", "-c", "exec \"$0\" \"$1\" >&2", VORTHANE_EXE, c.option},
                     {{"DISPLAY", ""}, {"XSCREENSAVER_WINDOW", "0x1"}});
  ASSERT_EQ(saver.WaitExit(seconds(5)), 0);
  const std::string expected = c.expected;
  const std::string output = saver.Stderr();
  if (expected.ends_with("...")) {
    EXPECT_TRUE(output.starts_with(expected.substr(0, expected.size() - 3))) << output;
    EXPECT_NE(output.find("Exit status:"), std::string::npos);
    EXPECT_NE(output.find("-window-id"), std::string::npos);
  } else {
    EXPECT_EQ(output, expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Options, InfoTest,
                         ::testing::Values(InfoCase{"Help", "--help", "Usage: vorthane..."},
                                           InfoCase{"ShortHelp", "-h", "Usage: vorthane..."},
                                           InfoCase{"Version", "--version", "vorthane 1.00\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Standard error closed at start, in a locale the font configuration warns about: the warning
// must not land in the X connection.
TEST_F(SaverTest, ClosedStandardStreamsStillDraw) {
  auto saver = std::make_unique<ChildProcess>(
      Through("exec 2>&-", {"/s"}),
      std::map<std::string, std::string>{{"DISPLAY", server_->name()},
                                         {"LANG", "x.y"},
                                         {"LC_ALL", ""},
                                         {"XSCREENSAVER_WINDOW", ""}});
  ASSERT_TRUE(WaitForBanner());
  Xdotool({"key", "a"});
  EXPECT_EQ(saver->WaitExit(seconds(5)), 0);
}

// A daemon's programs-list entry with the standard options every hack takes: the saver draws
// in the daemon's window on the display -display names (DISPLAY names none that exists).
TEST_F(SaverTest, StandardOptionsBesideRootAndDisplayOption) {
  const Window host = CreateHostWindow(400, 300);
  ChildProcess saver(
      {VORTHANE_EXE, "--root", "-fps", "--no-fps", "-install", "-visual", "default", "--geometry",
       "640x480+0+0", "-sync", "-mono", "-pair", "-display", server_->name()},
      {{"DISPLAY", ":31999"}, {"XSCREENSAVER_WINDOW", Hex(host)}});
  std::vector<Window> children;
  ASSERT_TRUE(
      WaitFor([&] { return !(children = MappedChildren(display_, host)).empty(); }, seconds(10)))
      << saver.Stderr();
  EXPECT_EQ(Attributes(display_, children.front()).width, 400);
  EXPECT_EQ(MappedChildren(display_, root_).size(), 1u) << "a window of its own over the screen";
  saver.Signal(SIGTERM);
  EXPECT_EQ(saver.WaitExit(seconds(3)), -SIGTERM);
  EXPECT_EQ(saver.Stderr(), "");
}

// The key that ends the saver is the first of a chord: the rest and every release go nowhere,
// not to the focused application behind.
struct Chord {
  const char* name;
  const char* modifier;
  const char* key;
};

void PrintTo(const Chord& chord, std::ostream* out) {
  *out << chord.name;
}

class ChordTest : public SaverTest, public ::testing::WithParamInterface<Chord> {};

TEST_P(ChordTest, NoKeyReachesTheApplicationBehind) {
  const Chord& chord = GetParam();
  const Window application = CreateHostWindow(300, 200, KeyPressMask | KeyReleaseMask);
  XSetInputFocus(display_, application, RevertToPointerRoot, CurrentTime);
  XSync(display_, False);
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  Xdotool({"keydown", chord.modifier});
  std::this_thread::sleep_for(milliseconds(150));
  Xdotool({"keydown", chord.key});
  Xdotool({"keyup", chord.key});
  std::this_thread::sleep_for(milliseconds(100));
  Xdotool({"keyup", chord.modifier});
  EXPECT_EQ(saver->WaitExit(seconds(5)), 0);
  XSync(display_, False);
  XEvent event;
  int reached = 0;
  while (XCheckWindowEvent(display_, application, KeyPressMask | KeyReleaseMask, &event)) {
    ++reached;
  }
  EXPECT_EQ(reached, 0) << "key events reached the application behind the saver";
}

INSTANTIATE_TEST_SUITE_P(Chords, ChordTest,
                         ::testing::Values(Chord{"AltF4", "Alt_L", "F4"},
                                           Chord{"CtrlQ", "Control_L", "q"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A key held for seconds to wake the screen, auto-repeating: neither the key, its repeats nor its
// release reach the application behind; the saver ends once it is up.
TEST_F(SaverTest, AKeyHeldToWakeTheScreenReachesNothingBehind) {
  ASSERT_EQ(RunToEnd({"xset", "r", "rate", "300", "25"}, {{"DISPLAY", server_->name()}}), 0);
  const Window application = CreateHostWindow(300, 200, KeyPressMask | KeyReleaseMask);
  XSetInputFocus(display_, application, RevertToPointerRoot, CurrentTime);
  XSync(display_, False);
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  Xdotool({"keydown", "Return"});
  std::this_thread::sleep_for(seconds(3));
  const bool heldOn = saver->Running();
  Xdotool({"keyup", "Return"});
  EXPECT_EQ(saver->WaitExit(seconds(5)), 0);
  EXPECT_TRUE(heldOn) << "the saver let go of the keyboard while the key was down";
  std::this_thread::sleep_for(milliseconds(200));
  XSync(display_, False);
  XEvent event;
  int reached = 0;
  while (XCheckWindowEvent(display_, application, KeyPressMask | KeyReleaseMask, &event)) {
    ++reached;
  }
  EXPECT_EQ(reached, 0) << "key events reached the application behind the saver";
}

// A stuck key does not keep the saver's window on the screen for ever.
TEST_F(SaverTest, AStuckKeyDoesNotKeepTheSaverAlive) {
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  Xdotool({"keydown", "Shift_L"});
  const std::optional<int> status = saver->WaitExit(seconds(14));
  Xdotool({"keyup", "Shift_L"});
  EXPECT_EQ(status, 0);
}

// The banner region as colours, whatever the visual: channel masks or the colormap.
Shot BannerColours(Display* display) {
  const int screen = DefaultScreen(display);
  XImage* image = XGetImage(display, RootWindow(display, screen), kBannerBox.x, kBannerBox.y,
                            kBannerBox.width, kBannerBox.height, AllPlanes, ZPixmap);
  Shot shot{kBannerBox.width, kBannerBox.height, {}};
  if (image == nullptr) return shot;
  const Visual* visual = DefaultVisual(display, screen);
  std::map<unsigned long, std::uint32_t> colormap;
  const auto channel = [](unsigned long pixel, unsigned long mask) {
    const int shift = __builtin_ctzl(mask);
    return static_cast<std::uint32_t>(((pixel & mask) >> shift) * 255 / (mask >> shift));
  };
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      std::uint32_t rgb = 0;
      if (visual->red_mask != 0) {
        rgb = channel(pixel, visual->red_mask) << 16 | channel(pixel, visual->green_mask) << 8 |
              channel(pixel, visual->blue_mask);
      } else if (const auto it = colormap.find(pixel); it != colormap.end()) {
        rgb = it->second;
      } else {
        XColor colour{};
        colour.pixel = pixel;
        XQueryColor(display, DefaultColormap(display, screen), &colour);
        rgb = colormap[pixel] = static_cast<std::uint32_t>(
            (colour.red >> 8) << 16 | (colour.green >> 8) << 8 | (colour.blue >> 8));
      }
      shot.pixels.push_back(rgb);
    }
  }
  XDestroyImage(image);
  return shot;
}

// Pixels of the banner whose colour is further than `tolerance` off on some channel.
int BannerMisses(const Shot& shot, const host::drawing::RgbImage& banner, int tolerance) {
  if (shot.pixels.size() != banner.pixels.size()) return static_cast<int>(banner.pixels.size());
  int misses = 0;
  for (std::size_t i = 0; i < banner.pixels.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      const int want = static_cast<int>(banner.pixels[i] >> shift & 0xFF);
      const int got = static_cast<int>(shot.pixels[i] >> shift & 0xFF);
      if (std::abs(want - got) > tolerance) {
        ++misses;
        break;
      }
    }
  }
  return misses;
}

struct OddDisplay {
  const char* name;
  int depth;
  std::vector<std::string> serverArgs;
  int tolerance;        // per channel, for the banner's colours at this depth
  const char* refusal;  // the error line's fragment when the saver cannot draw here
};

void PrintTo(const OddDisplay& display, std::ostream* out) {
  *out << display.name;
}

class OddDisplayTest : public SaverTest, public ::testing::WithParamInterface<OddDisplay> {
 protected:
  OddDisplayTest() {
    depth_ = GetParam().depth;
    serverArgs_ = GetParam().serverArgs;
  }
};

// Drawn, in the display's own colours, or refused with one line and nothing shown; the time
// to the first frame is printed for the record, not judged.
TEST_P(OddDisplayTest, DrawsOrRefusesCleanly) {
  const OddDisplay& param = GetParam();
  if (param.refusal != nullptr) {
    ScreenWatch watch(display_);
    auto saver = Start({"/s"});
    ExpectRefused(*saver, watch, param.refusal);
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  auto saver = Start({"/s"});
  const int allowed = static_cast<int>(banner_.pixels.size() / 100);
  int misses = 0;
  ASSERT_TRUE(WaitFor(
      [&] {
        misses = BannerMisses(BannerColours(display_), banner_, param.tolerance);
        return misses <= allowed;
      },
      seconds(10)))
      << misses << " pixels off " << saver->Stderr();
  const auto shown = std::chrono::steady_clock::now() - start;
  saver->Signal(SIGTERM);
  EXPECT_EQ(saver->WaitExit(seconds(5)), 0);
  EXPECT_EQ(saver->Stderr(), "");
  std::printf("[ figures  ] %s: banner on the screen %.0f ms after the start, %.3f s of CPU\n",
              param.name, std::chrono::duration<double, std::milli>(shown).count(),
              saver->CpuSeconds());
}

INSTANTIATE_TEST_SUITE_P(
    Servers, OddDisplayTest,
    ::testing::Values(
        OddDisplay{"NoRender", 24, {"-extension", "RENDER"}, 0, "no RENDER extension"},
        OddDisplay{"Depth24", 24, {}, 0, nullptr}, OddDisplay{"Depth8", 8, {}, 40, nullptr},
        OddDisplay{"Depth15", 15, {}, 8, nullptr}, OddDisplay{"Depth16", 16, {}, 8, nullptr},
        OddDisplay{"Depth30", 30, {}, 1, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// A window of the display's second screen, named by each road a window id comes in.
class OtherScreenTest : public SaverTest, public ::testing::WithParamInterface<const char*> {
 protected:
  OtherScreenTest() { serverArgs_ = {"-screen", "1", "640x480x24"}; }
};

TEST_P(OtherScreenTest, IsRefusedAsAWindowOfAnotherScreen) {
  ASSERT_EQ(ScreenCount(display_), 2);
  const Window other =
      XCreateSimpleWindow(display_, RootWindow(display_, 1), 0, 0, 320, 240, 0, 0, 0);
  XMapWindow(display_, other);
  XSync(display_, False);
  ScreenWatch watch(display_);
  const std::string how = GetParam();
  std::unique_ptr<ChildProcess> saver;
  if (how == "Variable") saver = Start({}, {{"XSCREENSAVER_WINDOW", Hex(other)}});
  if (how == "WindowId") saver = Start({"-root", "-window-id", Hex(other)});
  if (how == "Preview") saver = Start({"/p", std::to_string(other)});
  ExpectRefused(*saver, watch, "another screen");
  EXPECT_TRUE(MappedChildren(display_, RootWindow(display_, 1)).size() == 1u);
}

INSTANTIATE_TEST_SUITE_P(Roads, OtherScreenTest,
                         ::testing::Values("Variable", "WindowId", "Preview"),
                         [](const auto& info) { return std::string(info.param); });

// Limits a user or a launcher may set: the program ends with one line and status 1 where it
// cannot go on, and a daemon's signal still ends it when no signal descriptor can be made.
struct Limit {
  const char* name;
  const char* prelude;
  std::vector<std::string> args;
  const char* line;  // the start of the one error line; null: it runs and dies of SIGTERM
  const char* notice = nullptr;  // while it runs: its one line on stderr (null: none)
};

void PrintTo(const Limit& limit, std::ostream* out) {
  *out << limit.name;
}

class LimitTest : public SaverTest, public ::testing::WithParamInterface<Limit> {};

TEST_P(LimitTest, EndsCleanly) {
#if defined(VORTHANE_SANITIZED)
  GTEST_SKIP() << "the sanitizers' own memory needs no limits";
#endif
  const Limit& limit = GetParam();
  // Only the standard streams are left open, so the limit on descriptors counts from them.
  const std::string closeOthers = "for fd in 3 4 5 6 7 8 9; do eval \"exec $fd>&-\"; done; ";
  ChildProcess saver(Through(closeOthers + limit.prelude, limit.args),
                     {{"DISPLAY", server_->name()}, {"XSCREENSAVER_WINDOW", ""}});
  if (limit.line != nullptr) {
    ASSERT_EQ(saver.WaitExit(seconds(5)), 1);
    const std::string error = saver.Stderr();
    EXPECT_TRUE(error.starts_with(limit.line)) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
  } else {
    std::this_thread::sleep_for(seconds(1));
    ASSERT_TRUE(saver.Running()) << saver.Stderr();
    saver.Signal(SIGTERM);
    EXPECT_EQ(saver.WaitExit(seconds(3)), -SIGTERM) << "SIGTERM was kept blocked";
    if (limit.notice != nullptr) {
      EXPECT_NE(saver.Stderr().find(limit.notice), std::string::npos) << saver.Stderr();
    }
  }
  EXPECT_FALSE(PointerInvisible(display_)) << "the pointer was left hidden";
  EXPECT_TRUE(MappedChildren(display_, root_).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Limits, LimitTest,
    ::testing::Values(
        Limit{"AddressSpace20MB", "ulimit -v 20000", {"/s"}, "vorthane: out of memory"},
        Limit{"Stack16kB", "ulimit -s 16", {"/s"}, "vorthane: out of memory"},
        Limit{"NoSignalDescriptor",
              "ulimit -n 4",
              {"-root"},
              nullptr,
              "vorthane: no fonts: the font configuration cannot be read"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace x11test

// How the daemons' ways of starting the saver are read: every convention, every malformed id.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "host/x11/command_line.hpp"
#include "host/x11/host_window.hpp"

namespace {

using host::x11::LaunchRequest;
using host::x11::ParseWindowId;
using host::x11::ReadDaemonArguments;

struct Case {
  const char* name;
  std::vector<std::string> args;
  const char* variable;  // XSCREENSAVER_WINDOW, null when unset
  // Exactly one of the three outcomes is expected.
  const char* commandLine;    // the program's own command line
  long window;                // > 0: this window; 0: the root window; -1: no window
  const char* source;         // where the window id came from
  const char* errorFragment;  // a part of the error line
};

constexpr long kNone = -1;
constexpr long kRoot = 0;

const Case kCases[] = {
    // Argument lists the program reads itself go to it unchanged.
    {"NoArgumentsNoVariable", {}, nullptr, "", kNone, nullptr, nullptr},
    {"EmptyVariableCountsAsUnset", {}, "", "", kNone, nullptr, nullptr},
    {"SaverSwitch", {"/s"}, nullptr, "/s", kNone, nullptr, nullptr},
    {"PreviewSwitch", {"/p", "123"}, nullptr, "/p 123", kNone, nullptr, nullptr},
    {"ArgumentsWinOverTheVariable", {"/c"}, "0x400001", "/c", kNone, nullptr, nullptr},
    {"UnknownArgumentBesideRoot",
     {"--root", "-speed", "3"},
     "0x400001",
     "--root -speed 3",
     kNone,
     nullptr,
     nullptr},
    {"UnknownArgumentBeforeWindowId",
     {"-x", "-window-id"},
     nullptr,
     "-x -window-id",
     kNone,
     nullptr,
     nullptr},
    {"StandardOptionsAloneAreNoDaemons",
     {"-fps", "-mono"},
     nullptr,
     "-fps -mono",
     kNone,
     nullptr,
     nullptr},
    // The standard options of every hack, beside a daemon's window, change nothing.
    {"StandardOptionsWithVariable",
     {"--fps"},
     "0x20",
     nullptr,
     0x20,
     "XSCREENSAVER_WINDOW",
     nullptr},
    {"StandardOptionsWithWindowId",
     {"-geometry", "640x480+0+0", "--window-id", "0x10", "-install"},
     nullptr,
     nullptr,
     0x10,
     "--window-id",
     nullptr},
    {"StandardOptionWithoutItsValue",
     {"--root", "--visual"},
     nullptr,
     nullptr,
     kNone,
     nullptr,
     "--visual needs a value after it"},
    // The daemon's window in the environment.
    {"VariableHex", {}, "0x400001", nullptr, 0x400001, "XSCREENSAVER_WINDOW", nullptr},
    {"VariableDecimal", {}, "4194305", nullptr, 4194305, "XSCREENSAVER_WINDOW", nullptr},
    {"RootWithVariable", {"-root"}, "0x400001", nullptr, 0x400001, "XSCREENSAVER_WINDOW", nullptr},
    {"DoubleDashRootWithVariable", {"--root"}, "123", nullptr, 123, "XSCREENSAVER_WINDOW", nullptr},
    {"RootAlone", {"-root"}, nullptr, nullptr, kRoot, nullptr, nullptr},
    {"DoubleDashRootAlone", {"--root"}, nullptr, nullptr, kRoot, nullptr, nullptr},
    // Window ids on the command line, in any order; the last one counts, over the variable.
    {"WindowIdHex",
     {"-window-id", "0x1a00003"},
     nullptr,
     nullptr,
     0x1a00003,
     "-window-id",
     nullptr},
    {"DoubleDashWindowIdDecimal",
     {"--window-id", "27262979"},
     nullptr,
     nullptr,
     27262979,
     "--window-id",
     nullptr},
    {"SettingsPreview",
     {"--root", "--window-id", "0x2c00007"},
     "0x2c00007",
     nullptr,
     0x2c00007,
     "--window-id",
     nullptr},
    {"WindowIdBeforeRoot",
     {"-window-id", "77", "-root"},
     nullptr,
     nullptr,
     77,
     "-window-id",
     nullptr},
    {"WindowIdWinsOverVariable",
     {"--window-id", "0x10"},
     "0x20",
     nullptr,
     0x10,
     "--window-id",
     nullptr},
    {"LastWindowIdCounts",
     {"-window-id", "0x10", "--window-id", "0x30"},
     nullptr,
     nullptr,
     0x30,
     "--window-id",
     nullptr},
    {"WindowIdIgnoresMalformedVariable",
     {"-window-id", "0x10"},
     "zz",
     nullptr,
     0x10,
     "-window-id",
     nullptr},
    // Malformed ids end the program with the value and where it came from.
    {"VariableLetters",
     {},
     "zz",
     nullptr,
     kNone,
     nullptr,
     "\"zz\" from XSCREENSAVER_WINDOW is not a window id"},
    {"VariableBarePrefix",
     {},
     "0x",
     nullptr,
     kNone,
     nullptr,
     "\"0x\" from XSCREENSAVER_WINDOW is not a window id"},
    {"VariableZero",
     {},
     "0",
     nullptr,
     kNone,
     nullptr,
     "\"0\" from XSCREENSAVER_WINDOW is not a window id"},
    {"RootWithMalformedVariable",
     {"--root"},
     "0x12g",
     nullptr,
     kNone,
     nullptr,
     "\"0x12g\" from XSCREENSAVER_WINDOW"},
    {"WindowIdLetters",
     {"-window-id", "zz"},
     nullptr,
     nullptr,
     kNone,
     nullptr,
     "\"zz\" from -window-id is not a window id"},
    {"WindowIdNegative",
     {"--window-id", "-5"},
     nullptr,
     nullptr,
     kNone,
     nullptr,
     "\"-5\" from --window-id"},
    {"WindowIdTooLarge",
     {"--window-id", "0x80000000"},
     nullptr,
     nullptr,
     kNone,
     nullptr,
     "\"0x80000000\" from --window-id"},
    {"WindowIdWithoutValue",
     {"-window-id"},
     nullptr,
     nullptr,
     kNone,
     nullptr,
     "-window-id needs a window id"},
    {"WindowIdWithoutValueAfterRoot",
     {"--root", "--window-id"},
     "0x10",
     nullptr,
     kNone,
     nullptr,
     "--window-id needs a window id"},
    {"EarlierMalformedWindowId",
     {"-window-id", "x", "-window-id", "5"},
     nullptr,
     nullptr,
     kNone,
     nullptr,
     "\"x\" from -window-id"},
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class DaemonArguments : public ::testing::TestWithParam<Case> {};

TEST_P(DaemonArguments, ReadAsTheDaemonMeantThem) {
  const Case& c = GetParam();
  const LaunchRequest request = ReadDaemonArguments(c.args, c.variable);
  EXPECT_EQ(request.commandLine.has_value(), c.commandLine != nullptr);
  if (c.commandLine != nullptr && request.commandLine) {
    EXPECT_EQ(*request.commandLine, c.commandLine);
  }
  EXPECT_EQ(request.window.has_value(), c.window != kNone);
  if (c.window != kNone && request.window) {
    if (c.window == kRoot) {
      EXPECT_FALSE(request.window->id.has_value());
    } else {
      EXPECT_EQ(request.window->id, static_cast<unsigned long>(c.window));
      EXPECT_EQ(request.window->source, c.source);
    }
  }
  EXPECT_EQ(request.error.has_value(), c.errorFragment != nullptr);
  if (c.errorFragment != nullptr && request.error) {
    EXPECT_NE(request.error->find(c.errorFragment), std::string::npos) << *request.error;
    EXPECT_EQ(request.error->find('\n'), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Conventions, DaemonArguments, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every standard option of a hack, with one dash and with two, beside --root: the root window
// (or the display named), never the program's own command line.
TEST(DaemonArguments, EveryStandardOptionBesideRootIsAccepted) {
  const std::vector<std::string> kFlags = {"-window",      "-mono",   "-install", "-noinstall",
                                           "-fps",         "-no-fps", "-pair",    "-sync",
                                           "-synchronous", "-iconic", "-rv",      "-reverse"};
  const std::vector<std::string> kWithValue = {"-visual", "-geometry",    "-bg", "-background",
                                               "-fg",     "-foreground",  "-bd", "-bordercolor",
                                               "-bw",     "-borderwidth", "-fn", "-font",
                                               "-name",   "-title",       "-xrm"};
  for (const std::string dashes : {"", "-"}) {
    for (const std::string& flag : kFlags) {
      const LaunchRequest request = ReadDaemonArguments({"--root", dashes + flag}, nullptr);
      EXPECT_TRUE(request.window && !request.window->id) << dashes + flag;
    }
    for (const std::string& option : kWithValue) {
      const LaunchRequest request = ReadDaemonArguments({dashes + option, "x", "-root"}, nullptr);
      EXPECT_TRUE(request.window && !request.window->id) << dashes + option;
      EXPECT_FALSE(request.display) << dashes + option;
    }
    const LaunchRequest display = ReadDaemonArguments({"-root", dashes + "-display", ":7"}, "0x30");
    ASSERT_TRUE(display.window && display.display) << dashes;
    EXPECT_EQ(*display.display, ":7");
    EXPECT_EQ(display.window->id, 0x30u);
  }
  EXPECT_FALSE(ReadDaemonArguments({"-display", ":7", "/s"}, nullptr).display)
      << "a list that is the program's own names no display";
}

TEST(DaemonArguments, HugeValuesAreCutInTheErrorLine) {
  const std::string huge(30000, '7');
  const LaunchRequest fromOption = ReadDaemonArguments({"--window-id", huge}, nullptr);
  ASSERT_TRUE(fromOption.error);
  EXPECT_LT(fromOption.error->size(), 160u) << *fromOption.error;
  EXPECT_NE(fromOption.error->find("30000 characters"), std::string::npos) << *fromOption.error;
  const LaunchRequest fromVariable = ReadDaemonArguments({}, huge.c_str());
  ASSERT_TRUE(fromVariable.error);
  EXPECT_LT(fromVariable.error->size(), 160u) << *fromVariable.error;
}

TEST(DaemonArguments, UnusableWindowsAreNamedWithTheirSource) {
  const host::x11::DaemonWindow window{0x2c00007, "0x2c00007", "--window-id"};
  using host::x11::HostWindowState;
  EXPECT_EQ(UnusableHostError(HostWindowState::kDrawable, window), "");
  EXPECT_EQ(UnusableHostError(HostWindowState::kMissing, window),
            "the window \"0x2c00007\" from --window-id does not exist");
  EXPECT_NE(UnusableHostError(HostWindowState::kInputOnly, window).find("input-only"),
            std::string::npos);
  EXPECT_NE(UnusableHostError(HostWindowState::kOtherScreen, window).find("another screen"),
            std::string::npos);
}

// The program's own preview: what it would misread is refused with the value as given.
TEST(PreviewArgument, IsADecimalWindowIdOrSaysWhatIsWrong) {
  const struct {
    const char* commandLine;
    const char* error;     // null: no error line
    unsigned long window;  // 0: none read here
  } kCases[] = {
      {"/p 12345", nullptr, 12345},
      {"  /P:  77 ", nullptr, 77},
      {"/p 0x200006", "\"0x200006\" after /p is not a window id (decimal digits)", 0},
      {"/p -5", "\"-5\" after /p is not a window id (decimal digits)", 0},
      {"/p", nullptr, 0},              // the program reports a missing window itself
      {"/p 99999999999", nullptr, 0},  // as it does a number it cannot hold
      {"/s 0x5", nullptr, 0},          // no preview
      {"/c", nullptr, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.commandLine);
    const std::optional<LaunchRequest> read = host::x11::ReadPreviewArgument(c.commandLine);
    EXPECT_EQ(read && read->error ? *read->error : std::string(),
              c.error != nullptr ? c.error : "");
    EXPECT_EQ(read && read->window ? read->window->id.value_or(0) : 0ul, c.window);
  }
}

TEST(ParseWindowId, AcceptsHexAndDecimalOnly) {
  EXPECT_EQ(ParseWindowId("0x10"), 16u);
  EXPECT_EQ(ParseWindowId("0XfF"), 255u);
  EXPECT_EQ(ParseWindowId("010"), 10u) << "a leading zero is not octal";
  EXPECT_EQ(ParseWindowId("2147483647"), 2147483647u);
  EXPECT_EQ(ParseWindowId("0x7fffffff"), 2147483647u);
  EXPECT_FALSE(ParseWindowId("2147483648"));
  EXPECT_FALSE(ParseWindowId(std::string(400, '9')));
  EXPECT_FALSE(ParseWindowId("0"));
  EXPECT_FALSE(ParseWindowId("0x0"));
  EXPECT_FALSE(ParseWindowId("0x"));
  EXPECT_FALSE(ParseWindowId(""));
  EXPECT_FALSE(ParseWindowId("12a"));
  EXPECT_FALSE(ParseWindowId("-5"));
  EXPECT_FALSE(ParseWindowId(" 5"));
  EXPECT_FALSE(ParseWindowId("5 "));
}

}  // namespace

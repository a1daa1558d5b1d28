// The X11 program's pure parts: the daemon command lines.
#include <gtest/gtest.h>

#include "host/x11/command_line.hpp"

namespace {

using host::x11::DaemonCommandLine;
using host::x11::ParseWindowId;

constexpr unsigned long kRoot = 0x2ee;

TEST(DaemonCommandLine, PlainArgumentsAreJoinedBySingleSpaces) {
  EXPECT_EQ(DaemonCommandLine({}, nullptr, kRoot), "");
  EXPECT_EQ(DaemonCommandLine({"/s"}, nullptr, kRoot), "/s");
  EXPECT_EQ(DaemonCommandLine({"/p", "123"}, nullptr, kRoot), "/p 123");
  EXPECT_EQ(DaemonCommandLine({"/c"}, "0x400001", kRoot), "/c")
      << "arguments win over the variable";
}

TEST(DaemonCommandLine, TheDaemonWindowVariableCountsWithNoArguments) {
  EXPECT_EQ(DaemonCommandLine({}, "0x400001", kRoot), "/P 4194305");
  EXPECT_EQ(DaemonCommandLine({}, "4194305", kRoot), "/P 4194305");
  EXPECT_EQ(DaemonCommandLine({}, "", kRoot), "");
  EXPECT_EQ(DaemonCommandLine({}, "window", kRoot), "") << "names no window: full screen";
}

TEST(DaemonCommandLine, WindowIdOptions) {
  EXPECT_EQ(DaemonCommandLine({"-window-id", "0x1a00003"}, nullptr, kRoot), "/P 27262979");
  EXPECT_EQ(DaemonCommandLine({"--window-id", "27262979"}, nullptr, kRoot), "/P 27262979");
  EXPECT_EQ(DaemonCommandLine({"-window-id", "junk"}, nullptr, kRoot), "/P 0");
  EXPECT_EQ(DaemonCommandLine({"-window-id"}, nullptr, kRoot), "-window-id");
}

TEST(DaemonCommandLine, RootMeansTheDaemonsWindowOrTheRoot) {
  EXPECT_EQ(DaemonCommandLine({"-root"}, nullptr, kRoot), "/P 750");
  EXPECT_EQ(DaemonCommandLine({"-root"}, "0x400001", kRoot), "/P 4194305");
}

TEST(ParseWindowId, AcceptsHexAndDecimalOnly) {
  EXPECT_EQ(ParseWindowId("0x10"), 16u);
  EXPECT_EQ(ParseWindowId("0XfF"), 255u);
  EXPECT_EQ(ParseWindowId("010"), 10u) << "a leading zero is not octal";
  EXPECT_EQ(ParseWindowId("2147483647"), 2147483647u);
  EXPECT_FALSE(ParseWindowId("2147483648"));
  EXPECT_FALSE(ParseWindowId("0"));
  EXPECT_FALSE(ParseWindowId("0x"));
  EXPECT_FALSE(ParseWindowId("12a"));
  EXPECT_FALSE(ParseWindowId("-5"));
  EXPECT_FALSE(ParseWindowId(" 5"));
}

}  // namespace

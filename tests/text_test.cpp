#include "host/text.hpp"

#include <gtest/gtest.h>

#include <string>

#include "host/run_time_error.hpp"

namespace {

using host::ErrorCode;

ErrorCode ErrorOf(auto&& call) {
  try {
    call();
  } catch (const host::RunTimeError& e) {
    return e.code();
  }
  ADD_FAILURE() << "no run-time error";
  return ErrorCode::kInvalidProcedureCall;
}

TEST(Text, TrimRemovesSpacesOnlyAndUCaseTouchesAsciiLetters) {
  EXPECT_EQ(host::Trim("  /s  "), "/s");
  EXPECT_EQ(host::Trim("\t/c "), "\t/c");
  EXPECT_EQ(host::Trim("    "), "");
  EXPECT_EQ(host::UCase("/p:12ab\xe9"), "/P:12AB\xe9");
}

TEST(Text, MidIsOneBasedAndShortensPastTheEnd) {
  EXPECT_EQ(host::Mid("/S 123", 1, 2), "/S");
  EXPECT_EQ(host::Mid("/", 1, 2), "/");
  EXPECT_EQ(host::Mid("", 1, 2), "");
  EXPECT_EQ(host::Mid("/P 1234", 4), "1234");
  EXPECT_EQ(host::Mid("/P", 3), "");
  EXPECT_EQ(ErrorOf([] { host::Mid("x", 0); }), ErrorCode::kInvalidProcedureCall);
}

TEST(Text, TextToLongConvertsOrRaisesTheRightError) {
  EXPECT_EQ(host::CLng("1234"), 1234);
  EXPECT_EQ(host::CLng("0001"), 1);
  EXPECT_EQ(host::CLng("2147483647"), 2147483647);
  EXPECT_EQ(host::CLng("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ErrorOf([] { host::CLng(""); }), ErrorCode::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { host::CLng("12A"); }), ErrorCode::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { host::CLng("2147483648"); }), ErrorCode::kOverflow);
  EXPECT_EQ(ErrorOf([] { host::CLng(std::string(400, '9')); }), ErrorCode::kOverflow);
  // A non-digit after a long digit run is still a type mismatch, not an overflow.
  EXPECT_EQ(ErrorOf([] { host::CLng(std::string(40, '9') + "x"); }), ErrorCode::kTypeMismatch);
}

TEST(Text, UnsignedTextToLongKeepsTheBits) {
  EXPECT_EQ(host::CLngFromUnsigned("2147483734"), -2147483562);
  EXPECT_EQ(host::CLngFromUnsigned(std::string(30, '0') + "7"), 7);
  EXPECT_EQ(ErrorOf([] { host::CLngFromUnsigned("4294967296"); }), ErrorCode::kOverflow);
  EXPECT_EQ(ErrorOf([] { host::CLngFromUnsigned("-5"); }), ErrorCode::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { host::CLngFromUnsigned(""); }), ErrorCode::kTypeMismatch);
}

TEST(Text, SingleToLongRoundsHalvesToEven) {
  struct Case {
    float in;
    int out;
  };
  for (const Case c : {Case{2.5f, 2},
                       {3.5f, 4},
                       {-2.5f, -2},
                       {0.5f, 0},
                       {1.5f, 2},
                       {2.4f, 2},
                       {2.6f, 3},
                       {40000.5f, 40000},
                       {-7.5f, -8}}) {
    EXPECT_EQ(host::CLng(c.in), c.out) << c.in;
  }
  EXPECT_EQ(ErrorOf([] { host::CLng(3e9f); }), ErrorCode::kOverflow);
  EXPECT_EQ(ErrorOf([] { host::CLng(std::numeric_limits<float>::quiet_NaN()); }),
            ErrorCode::kOverflow);
}

TEST(Text, SixteenBitConversionsCheckTheirRange) {
  EXPECT_EQ(host::CInt(32767), 32767);
  EXPECT_EQ(ErrorOf([] { host::CInt(32768); }), ErrorCode::kOverflow);
  EXPECT_EQ(host::Len16(std::string(32767, 'x')), 32767);
  EXPECT_EQ(ErrorOf([] { host::Len16(std::string(32768, 'x')); }), ErrorCode::kOverflow);
}

}  // namespace

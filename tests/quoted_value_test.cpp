// Values quoted in error lines: whole when short, cut when long, always on one line.
#include "host/quoted_value.hpp"

#include <gtest/gtest.h>

#include <string>

#include "host/run_time_error.hpp"
#include "host/text.hpp"

namespace {

using host::QuotedValue;

TEST(QuotedValue, ShortValuesAreQuotedWhole) {
  EXPECT_EQ(QuotedValue(""), "\"\"");
  EXPECT_EQ(QuotedValue("zz"), "\"zz\"");
  const std::string atLimit(host::kQuotedValueLimit, 'a');
  EXPECT_EQ(QuotedValue(atLimit), "\"" + atLimit + "\"");
}

TEST(QuotedValue, LongValuesKeepTheirStartAndLength) {
  const std::string overLimit(host::kQuotedValueLimit + 1, 'b');
  EXPECT_EQ(QuotedValue(overLimit), "\"" + std::string(32, 'b') + "...\" (41 characters)");
  const std::string huge = "/P " + std::string(30000, '9');
  const std::string quoted = QuotedValue(huge);
  EXPECT_EQ(quoted.rfind("\"/P 999", 0), 0u) << quoted;
  EXPECT_NE(quoted.find("(30003 characters)"), std::string::npos) << quoted;
  EXPECT_LT(quoted.size(), 64u);
}

TEST(QuotedValue, ControlCharactersAreEscaped) {
  const struct {
    const char* value;
    const char* quoted;
  } kCases[] = {
      {"a\nb\rc\x1b\x7f", R"("a\x0Ab\x0Dc\x1B\x7F")"},
      {"caf\xc3\xa9", "\"caf\xc3\xa9\""},  // UTF-8 stays as it is
      {"\xc2\x9b"
       "2J|\xc2\x85",
       R"("\u009B2J|\u0085")"},                       // C1 controls
      {"x\xe2\x80\xa8y", R"("x\u2028y")"},            // line separator
      {"\xe2\x80\xaegpj.exe", R"("\u202Egpj.exe")"},  // right-to-left override
      {"\xe2\x81\xa7"
       "a\xe2\x80\x8f\xd8\x9c",
       R"("\u2067a\u200F\u061C")"},                           // an isolate, marks
      {"\x9b\xff\xc3", R"("\x9B\xFF\xC3")"},                  // bytes that are no UTF-8
      {"\xc0\xaf\xed\xa0\x80", R"("\xC0\xAF\xED\xA0\x80")"},  // over-long, surrogate
      {"a\\x0A", R"("a\\x0A")"},                              // an escape cannot be faked
  };
  for (const auto& c : kCases) EXPECT_EQ(QuotedValue(c.value), c.quoted) << c.quoted;
}

TEST(QuotedValue, LengthsAreCharactersNotBytes) {
  std::string accents;
  for (int i = 0; i < 41; ++i) accents += "\xc3\xa9";  // 41 characters, 82 bytes
  std::string kept;
  for (int i = 0; i < 32; ++i) kept += "\xc3\xa9";
  EXPECT_EQ(QuotedValue(accents), "\"" + kept + "...\" (41 characters)");
  EXPECT_EQ(QuotedValue(accents.substr(0, 80)), "\"" + accents.substr(0, 80) + "\"");
}

// The conversion errors quote the text they could not read; a 30,000-digit preview handle must
// not become a 30,000-character error line.
TEST(QuotedValue, ConversionErrorsQuoteLongTextCut) {
  for (const std::string& text : {std::string(30000, '9'), std::string(30000, '9') + "x"}) {
    try {
      host::CLng(text);
      ADD_FAILURE() << "no error";
    } catch (const host::RunTimeError& error) {
      EXPECT_LT(std::string(error.what()).size(), 120u) << error.what();
      EXPECT_NE(std::string(error.what()).find(std::to_string(text.size()) + " characters"),
                std::string::npos);
    }
  }
}

}  // namespace

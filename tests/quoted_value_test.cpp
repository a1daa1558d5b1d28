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

TEST(QuotedValue, ControlCharactersCannotBreakTheLine) {
  EXPECT_EQ(QuotedValue("a\nb\rc\x1b"), "\"a?b?c?\"");
  EXPECT_EQ(QuotedValue("caf\xc3\xa9"), "\"caf\xc3\xa9\"") << "UTF-8 stays as it is";
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

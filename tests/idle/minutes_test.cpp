// The MINUTES of --idle-watch: what is read as how many milliseconds, and what is refused.
#include <gtest/gtest.h>

#include <variant>

#include "host/idle/idle_minutes.hpp"

namespace {

struct Case {
  const char* name;
  const char* text;
  std::uint32_t ms;  // 0: refused
};

const Case kCases[] = {
    {"Whole", "5", 300'000},
    {"Fraction", "0.5", 30'000},
    {"Shortest", "0.01", 600},
    {"ThreeSeconds", "0.05", 3'000},
    {"LeadingPoint", ".5", 30'000},
    {"TrailingPoint", "2.", 120'000},
    {"Longest", "1440", 86'400'000},
    {"RoundedToMs", "0.123456", 7'407},
    {"Zero", "0", 0},
    {"BelowShortest", "0.009", 0},
    {"AboveLongest", "1440.01", 0},
    {"Empty", "", 0},
    {"PointAlone", ".", 0},
    {"TwoPoints", "1.2.3", 0},
    {"Negative", "-5", 0},
    {"Plus", "+5", 0},
    {"Exponent", "1e2", 0},
    {"Hex", "0x10", 0},
    {"Infinity", "inf", 0},
    {"Space", " 5", 0},
    {"Unit", "5m", 0},
    {"Comma", "0,5", 0},
    {"Huge", "99999999999999999999", 0},
};

class IdleMinutes : public testing::TestWithParam<Case> {};

TEST_P(IdleMinutes, ReadsOrRefuses) {
  const Case& c = GetParam();
  const auto read = host::idle::ReadIdleMinutes(c.text);
  if (c.ms == 0) {
    ASSERT_TRUE(std::holds_alternative<std::string>(read));
    const std::string& line = std::get<std::string>(read);
    EXPECT_NE(line.find("after --idle-watch is not a number of minutes"), std::string::npos)
        << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
  } else {
    ASSERT_TRUE(std::holds_alternative<std::uint32_t>(read)) << std::get<std::string>(read);
    EXPECT_EQ(std::get<std::uint32_t>(read), c.ms);
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, IdleMinutes, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

#include <gtest/gtest.h>
#include "host/text.hpp"
TEST(Text, Trim) { EXPECT_EQ(host::Trim("  /s  "), "/s"); }

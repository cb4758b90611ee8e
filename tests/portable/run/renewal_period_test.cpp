#include "run/renewal_period.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvan {
namespace {

struct PeriodCase {
  const char* name;
  std::int32_t hours;
  std::int32_t milliseconds;
};

// Worked out by hand: hours x 3,600,000, and past 596 hours the low 32 bits as a signed number.
const PeriodCase kPeriodCases[] = {
    {"Zero", 0, 0},
    {"OneHour", 1, 3'600'000},
    {"RenewDefault", 10, 36'000'000},
    {"RestartDefault", 24, 86'400'000},
    {"LargestExact", 596, 2'145'600'000},
    // 2,149,200,000 ms is past 2^31 - 1: less 2^32.
    {"FirstWrapping", 597, -2'145'767'296},
    {"WrapsPastFullTurn", 1193, -167'296},
    {"BackAbovePositive", 1194, 3'432'704},
    {"NegativeHour", -1, -3'600'000},
    {"LargestExactNegative", -596, -2'145'600'000},
    {"FirstWrappingNegative", -597, 2'145'767'296},
    {"Int32Max", std::numeric_limits<std::int32_t>::max(), -3'600'000},
    {"Int32Min", std::numeric_limits<std::int32_t>::min(), 0},
};

class HoursToMillisecondsTest : public testing::TestWithParam<PeriodCase> {};

TEST_P(HoursToMillisecondsTest, KeepsLow32BitsOfProduct) {
  const auto& c = GetParam();
  EXPECT_EQ(HoursToMilliseconds(c.hours), c.milliseconds);
}

INSTANTIATE_TEST_SUITE_P(Cases, HoursToMillisecondsTest, testing::ValuesIn(kPeriodCases), [](const auto& info) {
  return std::string(info.param.name);
});

}  // namespace
}  // namespace korvan

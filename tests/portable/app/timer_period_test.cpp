#include "app/controls/timer_period.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvan {
namespace {

struct PeriodCase {
  const char* name;
  std::int32_t hours;
  std::int32_t milliseconds;
};

const PeriodCase kPeriodCases[] = {
    {"Zero", 0, 0},
    {"OneHour", 1, 3'600'000},
    {"RenewDefault", 10, 36'000'000},
    {"RestartDefault", 24, 86'400'000},
    {"LargestExact", 596, 2'145'600'000},
    // 597 h = 2,149,200,000 ms, past INT32_MAX: the low 32 bits wrap negative.
    {"FirstWrapping", 597, 2'149'200'000LL - 4'294'967'296LL},
    {"WrapsPastFullTurn", 1193, static_cast<std::int32_t>(1193LL * 3'600'000LL - 4'294'967'296LL)},
    {"NegativeHour", -1, -3'600'000},
    {"Int32Max", std::numeric_limits<std::int32_t>::max(),
     static_cast<std::int32_t>(static_cast<std::uint32_t>(2147483647LL * 3600000LL))},
    {"Int32Min", std::numeric_limits<std::int32_t>::min(),
     static_cast<std::int32_t>(static_cast<std::uint32_t>(-2147483648LL * 3600000LL))},
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

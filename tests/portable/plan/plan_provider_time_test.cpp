#include "plan/provider_time.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace korvan {
namespace {

// 2024-05-06 12:00:00 and 00:00:00 in UTC+8, worked out by hand from the Unix epoch.
constexpr std::int64_t kNoon = 1714968000;
constexpr std::int64_t kMidnight = 1714924800;

const Text kYear = "\xC4\xEA", kMonth = "\xD4\xC2", kDay = "\xC8\xD5", kHour = "\xCA\xB1";  // 年 月 日 时

// A reader on the local time zone, or one that stops at a separator it does not know, fails here.
TEST(ReadProviderTime, ReadsTheIntegersInOrderAsUtc8) {
  const Text fullWidthNoon =
      "\xA3\xB2\xA3\xB0\xA3\xB2\xA3\xB4-5-6 \xA3\xB1\xA3\xB2\xA3\xBA\x30\x30";  // ２０２４-5-6 １２：00
  const std::pair<Text, std::int64_t> readable[] = {{"2024-05-06 12:00:00", kNoon},
                                                    {"2024/5/6 12:00", kNoon},
                                                    {"2024" + kYear + "5" + kMonth + "6" + kDay + " 12:00:00", kNoon},
                                                    {"2024" + kYear + "5" + kMonth + "6" + kDay + "12" + kHour, kNoon},
                                                    {fullWidthNoon, kNoon},
                                                    {" 2024-05-06 ", kMidnight},
                                                    {"2024-02-29 23:59:59", 1709222399}};
  for (const auto& [text, seconds] : readable)
    EXPECT_EQ(ReadProviderTime(text), seconds) << text;
  for (const char* text : {"", "N/A", "2024-05", "24-05-06", "20240-05-06", "2024-005-06", "2024-13-06", "2024-00-06",
                           "2024-05-00", "2024-02-30", "2023-02-29", "2024-05-06 25:00", "2024-05-06 12:60",
                           "2024-05-06 12:00:60", "2024-05-06 12:00:00.500", "3 2024-05-06"})
    EXPECT_EQ(ReadProviderTime(text), std::nullopt) << text;
  EXPECT_EQ(ReadProviderTime("2024-05-06" + Text(100, ' ')), std::nullopt);
}

}  // namespace
}  // namespace korvan

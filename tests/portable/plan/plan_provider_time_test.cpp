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
const Text kMorning = "\xC9\xCF\xCE\xE7", kAfternoon = "\xCF\xC2\xCE\xE7";                  // 上午 下午
// 凌晨 中午 晚上
const Text kSmallHours = "\xC1\xE8\xB3\xBF", kMidday = "\xD6\xD0\xCE\xE7", kEvening = "\xCD\xED\xC9\xCF";
constexpr std::int64_t kHours = 3600;

// A reader on the local time zone, or one that stops at a separator it does not know, fails here.
TEST(ReadProviderTime, ReadsTheIntegersInOrderAsUtc8) {
  const Text fullWidthNoon =
      "\xA3\xB2\xA3\xB0\xA3\xB2\xA3\xB4-5-6 \xA3\xB1\xA3\xB2\xA3\xBA\x30\x30";  // ２０２４-5-6 １２：00
  const std::pair<Text, std::int64_t> readable[] = {
      {"2024-05-06 12:00:00", kNoon},
      {"2024/5/6 12:00", kNoon},
      {"2024" + kYear + "5" + kMonth + "6" + kDay + " 12:00:00", kNoon},
      {"2024" + kYear + "5" + kMonth + "6" + kDay + "12" + kHour, kNoon},
      {fullWidthNoon, kNoon},
      {" 2024-05-06 ", kMidnight},
      {"2024-02-29 23:59:59", 1709222399},
      {"2024-05-06T12:00:00", kNoon},
      // The 12-hour clock's words, before or after the time.
      {"2024/5/6 " + kAfternoon + " 3:00:00", kNoon + 3 * kHours},
      {"2024/5/6 " + kAfternoon + " 12:00:00", kNoon},
      {"2024/5/6 " + kMorning + " 12:00:00", kMidnight},
      {"2024/5/6 " + kMorning + " 11:30", kNoon - kHours / 2},
      {"2024-05-06 3:00:00 PM", kNoon + 3 * kHours},
      {"2024-05-06 12:00 am", kMidnight},
      {"2024-05-06 1:00 p.m.", kNoon + kHours},
      {"2024" + kYear + "5" + kMonth + "6" + kDay + kAfternoon + "3" + kHour, kNoon + 3 * kHours}};
  for (const auto& [text, seconds] : readable)
    EXPECT_EQ(ReadProviderTime(text), seconds) << text;
  for (const char* text : {"", "N/A", "2024-05", "24-05-06", "20240-05-06", "2024-005-06", "2024-13-06", "2024-00-06",
                           "2024-05-00", "2024-02-30", "2023-02-29", "2024-05-06 25:00", "2024-05-06 12:60",
                           "2024-05-06 12:00:60", "2024-05-06 12:00:00.500", "3 2024-05-06"})
    EXPECT_EQ(ReadProviderTime(text), std::nullopt) << text;
  // A day-part word that a 12-hour reading cannot take is refused, never read 12 hours off.
  for (const Text& text :
       {"2024/5/6 " + kAfternoon + " 13:00:00", "2024/5/6 " + kMorning + " 0:30", Text("2024-05-06 15:00 PM"),
        "2024/5/6 " + kSmallHours + " 3:00:00", "2024/5/6 " + kMidday + " 12:00", "2024/5/6 " + kEvening + " 8:00",
        "2024/5/6 8:00 " + kEvening, "2024/5/6 " + kAfternoon, "2024/5/6 " + kAfternoon + " 3:00 PM",
        "2024/5/6 3 " + kAfternoon + " :00", Text("2024-05-06 3:00 noon")})
    EXPECT_EQ(ReadProviderTime(text), std::nullopt) << text;
  EXPECT_EQ(ReadProviderTime("2024-05-06" + Text(100, ' ')), std::nullopt);
}

}  // namespace
}  // namespace korvan

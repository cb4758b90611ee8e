// OLE Automation date-times: days since 1899-12-30 00:00:00, the time of day as the fraction.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// UTC+8, the provider's and the log's zone, whatever the computer's.
inline constexpr std::int64_t kUtc8OffsetSeconds = 8 * 3600;

// The seconds since midnight in UTC+8 at a Unix time (0..86399, before 1970 too).
constexpr std::int64_t Utc8SecondsOfDay(std::int64_t unixSeconds) {
  constexpr std::int64_t kDay = 24 * 3600;
  return ((unixSeconds + kUtc8OffsetSeconds) % kDay + kDay) % kDay;
}

struct DateTime {
  double days = 0.0;
  friend bool operator==(DateTime, DateTime) = default;
};

// 100-01-01 00:00:00, the value of every failed conversion, and 9999-12-31 00:00:00.
inline constexpr DateTime kEarliestDateTime{-657434.0};
inline constexpr DateTime kLatestDate{2958465.0};

struct DateTimeFields {
  int year = 100;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const DateTimeFields&, const DateTimeFields&) = default;
};

enum class DatePart : int { Year = 1, Quarter, Month, Week, Day, Hour, Minute, Second };

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Broken into fields at the nearest whole second (the value clamped to the handled range first).
DateTimeFields SplitDateTime(DateTime value);
// The fields must be valid; see ToDateTime for checked reading.
DateTime MakeDateTime(const DateTimeFields& fields);

// "%d年%d月%d日" then the shortest of "%d时%d分%d秒", "%d时%d分", "%d时" or nothing.
Text DateTimeToText(DateTime value);
// kEarliestDateTime when the text is not a valid date-time.
DateTime ToDateTime(std::string_view text);
inline DateTime ToDateTime(DateTime value) { return value; }
// part outside 1..8 is clamped; the amount is 64-bit so second counts past 2038 fit.
DateTime AddToDateTime(DateTime value, int part, std::int64_t amount);

}  // namespace korvan

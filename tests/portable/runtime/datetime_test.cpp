// Date-times: the calendar, the Chinese text form, reading from text and adding spans.
#include "runtime/datetime/datetime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

// Code page 936 field marks, as separate literals so a following digit never joins the escape.
#define YEAR "\xC4\xEA"    // 年
#define MONTH "\xD4\xC2"   // 月
#define DAY "\xC8\xD5"     // 日
#define HOUR "\xCA\xB1"    // 时
#define MINUTE "\xB7\xD6"  // 分
#define SECOND "\xC3\xEB"  // 秒

namespace korvan {

std::ostream& operator<<(std::ostream& out, const DateTimeFields& f) {
  return out << f.year << '-' << f.month << '-' << f.day << ' ' << f.hour << ':' << f.minute << ':' << f.second;
}

namespace {

constexpr double kOneSecond = 1.0 / 86400.0;
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();

DateTimeFields Fields(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return DateTimeFields{year, month, day, hour, minute, second};
}

DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return MakeDateTime(Fields(year, month, day, hour, minute, second));
}

TEST(DateTimeCalendar, LeapYearsFollowTheGregorianRules) {
  const struct {
    int year;
    bool leap;
  } cases[] = {{1900, false}, {2000, true}, {2016, true}, {2015, false}, {2100, false},
               {2400, true},  {100, false}, {104, true},  {9996, true},  {9999, false}};
  for (const auto& c : cases)
    EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
}

TEST(DateTimeCalendar, DaysInMonth) {
  const struct {
    int year, month, days;
  } cases[] = {{2015, 2, 28}, {2016, 2, 29},  {1900, 2, 28}, {2000, 2, 29}, {2015, 1, 31},
               {2015, 4, 30}, {2015, 12, 31}, {2015, 0, 0},  {2015, 13, 0}, {2015, -1, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(DaysInMonth(c.year, c.month), c.days) << c.year << '-' << c.month;
  }
}

TEST(DateTimeCalendar, MakesTheOleAutomationDayNumbers) {
  const struct {
    DateTimeFields fields;
    double days;
  } cases[] = {
      {Fields(1899, 12, 30), 0.0},
      {Fields(1899, 12, 31), 1.0},
      {Fields(1970, 1, 1), 25569.0},
      {Fields(2015, 5, 4), 42128.0},
      {Fields(2015, 5, 4, 12), 42128.5},
      {Fields(2016, 2, 29), 42429.0},
      {Fields(100, 1, 1), -657434.0},
      {Fields(9999, 12, 31), 2958465.0},
      // Before 1899-12-30 the time of day is a positive fraction beside a negative day.
      {Fields(1899, 12, 29, 6), -1.25},
      {Fields(1899, 12, 29, 18), -1.75},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(MakeDateTime(c.fields).days, c.days) << c.fields;
    EXPECT_EQ(SplitDateTime(DateTime{c.days}), c.fields) << c.days;
  }
  EXPECT_EQ(kEarliestDateTime, At(100, 1, 1));
  EXPECT_EQ(kLatestDate, At(9999, 12, 31));
}

TEST(DateTimeCalendar, EveryDayOfTheRangeRoundTrips) {
  // Walks the whole range day by day with its own month stepping, so an off-by-one in the
  // civil-date arithmetic shows at the first day it touches.
  DateTimeFields noon = Fields(100, 1, 1, 12);
  double dayNumber = -657434.0;
  int mismatches = 0;
  while (noon.year <= 9999 && mismatches < 5) {
    const DateTime made = MakeDateTime(noon);
    if (made.days != (dayNumber < 0 ? dayNumber - 0.5 : dayNumber + 0.5) || !(SplitDateTime(made) == noon)) {
      ADD_FAILURE() << "day " << dayNumber << " fields " << noon << " made " << made.days;
      ++mismatches;
    }
    dayNumber += 1.0;
    if (++noon.day > DaysInMonth(noon.year, noon.month)) {
      noon.day = 1;
      if (++noon.month > 12) {
        noon.month = 1;
        ++noon.year;
      }
    }
  }
  EXPECT_EQ(dayNumber, 2958466.0);
}

TEST(DateTimeCalendar, SplitsAtTheNearestSecondAndClampsToTheRange) {
  const struct {
    double days;
    DateTimeFields fields;
  } cases[] = {
      {At(2015, 12, 31, 23, 59, 59).days + 0.6 * kOneSecond, Fields(2016, 1, 1)},
      {At(2015, 12, 31, 23, 59, 59).days + 0.4 * kOneSecond, Fields(2015, 12, 31, 23, 59, 59)},
      {At(2015, 5, 4, 12, 58, 6).days - 0.4 * kOneSecond, Fields(2015, 5, 4, 12, 58, 6)},
      {-1.0 - 0.9999999999, Fields(1899, 12, 30)},
      {-1e9, Fields(100, 1, 1)},
      {-657434.0 - 0.5, Fields(100, 1, 1, 12)},  // still 100-01-01, at noon
      {-657435.0, Fields(100, 1, 1)},
      {1e9, Fields(9999, 12, 31, 23, 59, 59)},
      {2958465.5, Fields(9999, 12, 31, 12)},
      {2958465.0 + 86399.6 * kOneSecond, Fields(9999, 12, 31, 23, 59, 59)},
      {std::numeric_limits<double>::infinity(), Fields(9999, 12, 31, 23, 59, 59)},
      {-std::numeric_limits<double>::infinity(), Fields(100, 1, 1)},
      {std::numeric_limits<double>::quiet_NaN(), Fields(100, 1, 1)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitDateTime(DateTime{c.days}), c.fields) << c.days;
}

TEST(DateTimeCalendar, MakeClampsFieldsOutOfRange) {
  EXPECT_EQ(SplitDateTime(MakeDateTime(Fields(2015, 2, 31, 25, 61, 99))), Fields(2015, 2, 28, 23, 59, 59));
  EXPECT_EQ(SplitDateTime(MakeDateTime(Fields(-5, 0, 0, -1, -1, -1))), Fields(100, 1, 1));
  EXPECT_EQ(SplitDateTime(MakeDateTime(Fields(123456, 13, 40))), Fields(9999, 12, 31));
}

TEST(DateTimeToText, WritesTheShortestFormOfTheTimeOfDay) {
  const struct {
    DateTime value;
    std::string text;
  } cases[] = {
      {At(2015, 5, 4, 12, 58, 6), "2015" YEAR "5" MONTH "4" DAY "12" HOUR "58" MINUTE "6" SECOND},
      {At(2015, 5, 4, 12, 58), "2015" YEAR "5" MONTH "4" DAY "12" HOUR "58" MINUTE},
      {At(2015, 5, 4, 12), "2015" YEAR "5" MONTH "4" DAY "12" HOUR},
      {At(2015, 5, 4), "2015" YEAR "5" MONTH "4" DAY},
      {At(2015, 5, 4, 0, 0, 5), "2015" YEAR "5" MONTH "4" DAY "0" HOUR "0" MINUTE "5" SECOND},
      {At(2015, 5, 4, 0, 5), "2015" YEAR "5" MONTH "4" DAY "0" HOUR "5" MINUTE},
      {At(2015, 5, 4, 12, 0, 5), "2015" YEAR "5" MONTH "4" DAY "12" HOUR "0" MINUTE "5" SECOND},
      {At(2015, 12, 31, 23, 59, 59), "2015" YEAR "12" MONTH "31" DAY "23" HOUR "59" MINUTE "59" SECOND},
      {DateTime{At(2015, 12, 31, 23, 59, 59).days + 0.6 * kOneSecond}, "2016" YEAR "1" MONTH "1" DAY},
      {DateTime{-1.25}, "1899" YEAR "12" MONTH "29" DAY "6" HOUR},
      {DateTime{-1e300}, "100" YEAR "1" MONTH "1" DAY},
      {DateTime{std::numeric_limits<double>::quiet_NaN()}, "100" YEAR "1" MONTH "1" DAY},
      {DateTime{1e300}, "9999" YEAR "12" MONTH "31" DAY "23" HOUR "59" MINUTE "59" SECOND},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DateTimeToText(c.value), c.text) << c.value.days;
}

TEST(ToDateTime, ReadsEveryFieldLayout) {
  const struct {
    std::string text;
    DateTimeFields fields;
  } cases[] = {
      {"1970" YEAR "1" MONTH "1" DAY "8" HOUR, Fields(1970, 1, 1, 8)},
      {"2015-5-4 12:58:06", Fields(2015, 5, 4, 12, 58, 6)},
      {"2015/05/04", Fields(2015, 5, 4)},
      {"20150504", Fields(2015, 5, 4)},
      {"201505041258", Fields(2015, 5, 4, 12, 58)},
      {"20150504125806", Fields(2015, 5, 4, 12, 58, 6)},
      {"2015" YEAR "5" MONTH "4" DAY "12" HOUR "58" MINUTE "6" SECOND, Fields(2015, 5, 4, 12, 58, 6)},
      {"2015" YEAR "5" MONTH "4" DAY "12" HOUR "58" MINUTE "6" SECOND "PM and more", Fields(2015, 5, 4, 12, 58, 6)},
      {"2015.5.4", Fields(2015, 5, 4)},
      {"2015:5:4:1:2:3", Fields(2015, 5, 4, 1, 2, 3)},
      {"2015-5-4 ", Fields(2015, 5, 4)},
      {"2016-02-29", Fields(2016, 2, 29)},
      {"2000-2-29", Fields(2000, 2, 29)},
      {"9999-12-31 23:59:59", Fields(9999, 12, 31, 23, 59, 59)},
      {"100-1-1 0:0:1", Fields(100, 1, 1, 0, 0, 1)},
      {"1899-12-29 6:00", Fields(1899, 12, 29, 6)},
      // Full-width digits and separators fold to ASCII; so does the full-width space.
      {"\xA3\xB2\xA3\xB0\xA3\xB1\xA3\xB5\xA3\xAD\xA3\xB5\xA3\xAD\xA3\xB4", Fields(2015, 5, 4)},
      {"2015-5-4\xA1\xA1"
       "12\xA3\xBA"
       "58",
       Fields(2015, 5, 4, 12, 58)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitDateTime(ToDateTime(c.text)), c.fields) << c.text;
}

TEST(ToDateTime, FailsToTheYear100) {
  const std::string cases[] = {
      "",
      "15-5-4",
      "2015-02-30",
      "2015-02-29",
      "1900-2-29",
      "2015-5-4 12:58:06 PM",
      " 2015-5-4",
      "2015-13-1",
      "2015-0-1",
      "2015-5-0",
      "2015-5-32",
      "2015-5-4 24:00",
      "2015-5-4 12:60",
      "2015-5-4 12:58:60",
      "2015-5-4x",
      "2015--5-4",
      "2015-5-4 12:58:061",
      "10000-1-1",
      "2015" YEAR YEAR "5" MONTH "4" DAY,
      "2015" MONTH "5" MONTH "4" DAY,  // the month mark cannot stand after the year
      "\xD6\xD0",
      "\xA3",
      "abc",
  };
  for (const auto& text : cases)
    EXPECT_EQ(ToDateTime(text), kEarliestDateTime) << text;
}

TEST(ToDateTime, TakesAnyBytes) {
  EXPECT_EQ(ToDateTime(std::string(1'000'000, '1')), kEarliestDateTime);
  EXPECT_EQ(ToDateTime(std::string(1'000'000, '\xA3')), kEarliestDateTime);
  EXPECT_EQ(SplitDateTime(ToDateTime("2015-5-4 12:58:06" SECOND + std::string(1'000'000, '\xFF'))),
            Fields(2015, 5, 4, 12, 58, 6));
  std::string everyByte;
  for (int b = 1; b < 256; ++b)
    everyByte.push_back(static_cast<char>(b));
  EXPECT_EQ(ToDateTime(everyByte), kEarliestDateTime);
  EXPECT_EQ(ToDateTime(At(2015, 5, 4)), At(2015, 5, 4));
}

TEST(AddToDateTime, MovesByMonthsClampingTheDay) {
  const struct {
    DateTime value;
    int part;
    std::int64_t amount;
    DateTimeFields fields;
  } cases[] = {
      {At(2016, 1, 31), 3, 1, Fields(2016, 2, 29)},
      {At(2016, 1, 31), 3, -2, Fields(2015, 11, 30)},
      {At(2015, 1, 31), 3, 1, Fields(2015, 2, 28)},
      {At(2016, 1, 31, 12, 34, 56), 3, 1, Fields(2016, 2, 29, 12, 34, 56)},
      {At(2015, 11, 15), 3, 3, Fields(2016, 2, 15)},
      {At(2015, 3, 15), 3, -15, Fields(2013, 12, 15)},
      {At(2015, 5, 4), 3, -12, Fields(2014, 5, 4)},
      {At(2015, 1, 1), 3, -1, Fields(2014, 12, 1)},
      {At(2015, 11, 30), 2, 1, Fields(2016, 2, 29)},
      {At(2015, 5, 4), 2, -2, Fields(2014, 11, 4)},
      {At(2016, 2, 29), 1, 1, Fields(2017, 2, 28)},
      {At(2000, 2, 29), 1, -1, Fields(1999, 2, 28)},
      {At(2000, 2, 29), 1, 4, Fields(2004, 2, 29)},
      // The year clamps to 100..9999; the month stays.
      {At(9999, 6, 15), 1, 1, Fields(9999, 6, 15)},
      {At(100, 3, 1), 1, -1, Fields(100, 3, 1)},
      {At(1970, 1, 1, 8), 1, kInt64Max, Fields(9999, 1, 1, 8)},
      {At(1970, 1, 1, 8), 2, kInt64Min, Fields(100, 1, 1, 8)},
      {At(1970, 1, 1, 8), 3, kInt64Max, Fields(9999, 8, 1, 8)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitDateTime(AddToDateTime(c.value, c.part, c.amount)), c.fields)
        << c.value.days << " part " << c.part << " amount " << c.amount;
  }
}

TEST(AddToDateTime, MovesBySpans) {
  const struct {
    DateTime value;
    int part;
    std::int64_t amount;
    DateTimeFields fields;
  } cases[] = {
      {At(1970, 1, 1, 8), 8, 60, Fields(1970, 1, 1, 8, 1)},
      {At(2016, 1, 1), 8, -1, Fields(2015, 12, 31, 23, 59, 59)},
      {At(2015, 12, 28), 4, 1, Fields(2016, 1, 4)},
      {At(2016, 3, 1), 5, -1, Fields(2016, 2, 29)},
      {At(2015, 5, 4, 12), 6, 25, Fields(2015, 5, 5, 13)},
      {At(2015, 5, 4, 12), 7, -61, Fields(2015, 5, 4, 10, 59)},
      // Across 1899-12-30 the day and the time of day run in opposite directions in the number;
      // adding to the raw double would give 1899-12-29 06:00 here.
      {DateTime{-1.75}, 6, 12, Fields(1899, 12, 30, 6)},
      {At(1899, 12, 30), 6, -1, Fields(1899, 12, 29, 23)},
      {At(1899, 12, 30, 1), 7, -90, Fields(1899, 12, 29, 23, 30)},
      // Amounts far past the range clamp instead of overflowing.
      {At(1970, 1, 1, 8), 8, kInt64Max, Fields(9999, 12, 31, 23, 59, 59)},
      {At(1970, 1, 1, 8), 8, kInt64Min, Fields(100, 1, 1)},
      {At(1970, 1, 1, 8), 4, kInt64Max, Fields(9999, 12, 31, 23, 59, 59)},
      {At(1970, 1, 1, 8), 4, kInt64Min / 2, Fields(100, 1, 1)},
      {At(2015, 5, 4), 5, 10'000'000, Fields(9999, 12, 31, 23, 59, 59)},
      {At(9999, 12, 31, 23, 59, 59), 8, 1, Fields(9999, 12, 31, 23, 59, 59)},
      {At(100, 1, 1), 8, -1, Fields(100, 1, 1)},
      // part out of 1..8 clamps: 0 and below are years, 9 and above seconds.
      {At(2015, 5, 4), 0, 1, Fields(2016, 5, 4)},
      {At(2015, 5, 4), -7, 1, Fields(2016, 5, 4)},
      {At(2015, 5, 4), 99, 61, Fields(2015, 5, 4, 0, 1, 1)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitDateTime(AddToDateTime(c.value, c.part, c.amount)), c.fields)
        << c.value.days << " part " << c.part << " amount " << c.amount;
  }
}

TEST(AddToDateTime, ZeroAmountReturnsTheValueUnchanged) {
  const DateTime withFraction{42128.123456789};
  EXPECT_EQ(AddToDateTime(withFraction, 8, 0), withFraction);
  EXPECT_EQ(AddToDateTime(DateTime{1e300}, 3, 0).days, 1e300);
}

TEST(AddToDateTime, NetworkTimeSecondsFromTheUtc8Epoch) {
  // The log stamp: the time page's seconds added to 1970-01-01 08:00 (UTC+8).
  const DateTime epoch = ToDateTime("1970" YEAR "1" MONTH "1" DAY "8" HOUR);
  const struct {
    std::int64_t seconds;
    std::string text;
  } cases[] = {
      {0, "1970" YEAR "1" MONTH "1" DAY "8" HOUR},
      {1700000000, "2023" YEAR "11" MONTH "15" DAY "6" HOUR "13" MINUTE "20" SECOND},
      {2147483647, "2038" YEAR "1" MONTH "19" DAY "11" HOUR "14" MINUTE "7" SECOND},
      {2147483648, "2038" YEAR "1" MONTH "19" DAY "11" HOUR "14" MINUTE "8" SECOND},
      {4294967296, "2106" YEAR "2" MONTH "7" DAY "14" HOUR "28" MINUTE "16" SECOND},
      {4102444800, "2100" YEAR "1" MONTH "1" DAY "8" HOUR},
      {-28800, "1970" YEAR "1" MONTH "1" DAY},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateTimeToText(AddToDateTime(epoch, 8, c.seconds)), c.text) << c.seconds;
  }
}

}  // namespace
}  // namespace korvan

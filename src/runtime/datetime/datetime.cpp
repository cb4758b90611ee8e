#include "runtime/datetime/datetime.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

// Code page 936 bytes of the field markers.
constexpr std::string_view kYearMark = "\xC4\xEA";    // 年
constexpr std::string_view kMonthMark = "\xD4\xC2";   // 月
constexpr std::string_view kDayMark = "\xC8\xD5";     // 日
constexpr std::string_view kHourMark = "\xCA\xB1";    // 时
constexpr std::string_view kMinuteMark = "\xB7\xD6";  // 分
constexpr std::string_view kSecondMark = "\xC3\xEB";  // 秒

constexpr std::int64_t kSecondsPerDay = 86400;
// 1970-01-01 is day 25569 of the OLE count.
constexpr std::int64_t kOleDayOfUnixEpoch = 25569;
constexpr std::int64_t kFirstSecond = -657434 * kSecondsPerDay;                      // 100-01-01
constexpr std::int64_t kLastSecond = 2958465 * kSecondsPerDay + kSecondsPerDay - 1;  // 9999-12-31

std::int64_t FloorDivide(std::int64_t a, std::int64_t b) {
  const std::int64_t quotient = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? quotient - 1 : quotient;
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's civil calendar algorithm).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = FloorDivide(year, 400);
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, DateTimeFields& fields) {
  days += 719468;
  const std::int64_t era = FloorDivide(days, 146097);
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  fields.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  fields.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  fields.year = static_cast<int>(yearOfEra + era * 400 + (fields.month <= 2 ? 1 : 0));
}

// The value as a count of whole seconds since 1899-12-30 00:00:00 on a straight line, rounded
// to the nearest second and clamped to the handled range. Before 1899-12-30 the OLE date keeps
// the time of day as a positive fraction beside a negative day (-1.25 is 1899-12-29 06:00), so
// the day and the time are taken apart first.
std::int64_t ToSeconds(DateTime value) {
  if (std::isnan(value.days)) return kFirstSecond;
  const double days = std::clamp(value.days, -657435.0, 2958466.0);
  const double wholeDays = std::trunc(days);
  const double timeOfDay = std::fabs(days - wholeDays);
  const std::int64_t seconds = static_cast<std::int64_t>(wholeDays) * kSecondsPerDay +
                               std::llround(timeOfDay * static_cast<double>(kSecondsPerDay));
  return std::clamp(seconds, kFirstSecond, kLastSecond);
}

DateTime FromSeconds(std::int64_t seconds) {
  seconds = std::clamp(seconds, kFirstSecond, kLastSecond);
  const std::int64_t days = FloorDivide(seconds, kSecondsPerDay);
  const double timeOfDay = static_cast<double>(seconds - days * kSecondsPerDay) / static_cast<double>(kSecondsPerDay);
  const double wholeDays = static_cast<double>(days);
  return DateTime{days >= 0 ? wholeDays + timeOfDay : wholeDays - timeOfDay};
}

void AppendNumber(Text& text, int number) {
  char digits[12];
  const auto result = std::to_chars(digits, digits + sizeof digits, number);
  text.append(digits, result.ptr);
}

// Reads up to maxDigits ASCII digits (none reads as 0).
int ReadField(std::string_view text, std::size_t& at, int maxDigits) {
  int value = 0;
  for (int taken = 0; taken < maxDigits && at < text.size() && text[at] >= '0' && text[at] <= '9'; ++taken, ++at) {
    value = value * 10 + (text[at] - '0');
  }
  return value;
}

// Skips one separator when one of the ASCII ones or the two-byte mark stands at the position.
void SkipSeparator(std::string_view text, std::size_t& at, std::string_view asciiSeparators, std::string_view mark) {
  if (at >= text.size()) return;
  if (asciiSeparators.find(text[at]) != std::string_view::npos) {
    ++at;
  } else if (text.substr(at, mark.size()) == mark) {
    at += mark.size();
  }
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

DateTimeFields SplitDateTime(DateTime value) {
  const std::int64_t seconds = ToSeconds(value);
  const std::int64_t days = FloorDivide(seconds, kSecondsPerDay);
  const auto secondOfDay = static_cast<int>(seconds - days * kSecondsPerDay);
  DateTimeFields fields;
  CivilFromDays(days - kOleDayOfUnixEpoch, fields);
  fields.hour = secondOfDay / 3600;
  fields.minute = secondOfDay / 60 % 60;
  fields.second = secondOfDay % 60;
  return fields;
}

DateTime MakeDateTime(const DateTimeFields& fields) {
  // Fields out of range are clamped rather than trusted, so no input reaches past the calendar.
  const int year = std::clamp(fields.year, 100, 9999);
  const int month = std::clamp(fields.month, 1, 12);
  const int day = std::clamp(fields.day, 1, DaysInMonth(year, month));
  const std::int64_t days = DaysFromCivil(year, month, day) + kOleDayOfUnixEpoch;
  const std::int64_t secondOfDay =
      std::clamp(fields.hour, 0, 23) * 3600 + std::clamp(fields.minute, 0, 59) * 60 + std::clamp(fields.second, 0, 59);
  return FromSeconds(days * kSecondsPerDay + secondOfDay);
}

Text DateTimeToText(DateTime value) {
  const DateTimeFields fields = SplitDateTime(value);
  Text text;
  text.reserve(32);
  AppendNumber(text, fields.year);
  text.append(kYearMark);
  AppendNumber(text, fields.month);
  text.append(kMonthMark);
  AppendNumber(text, fields.day);
  text.append(kDayMark);
  if (fields.hour == 0 && fields.minute == 0 && fields.second == 0) return text;
  AppendNumber(text, fields.hour);
  text.append(kHourMark);
  if (fields.minute == 0 && fields.second == 0) return text;
  AppendNumber(text, fields.minute);
  text.append(kMinuteMark);
  if (fields.second == 0) return text;
  AppendNumber(text, fields.second);
  text.append(kSecondMark);
  return text;
}

DateTime ToDateTime(std::string_view text) {
  const Text folded = FoldToHalfWidth(text);
  if (folded.empty()) return kEarliestDateTime;
  const std::string_view view = folded;
  constexpr std::string_view kSeparators = "/-:.";
  constexpr std::string_view kDaySeparators = "/-:. ";

  std::size_t at = 0;
  DateTimeFields fields;
  fields.year = ReadField(view, at, 4);
  SkipSeparator(view, at, kSeparators, kYearMark);
  fields.month = ReadField(view, at, 2);
  SkipSeparator(view, at, kSeparators, kMonthMark);
  fields.day = ReadField(view, at, 2);
  SkipSeparator(view, at, kDaySeparators, kDayMark);
  fields.hour = ReadField(view, at, 2);
  SkipSeparator(view, at, kSeparators, kHourMark);
  fields.minute = ReadField(view, at, 2);
  SkipSeparator(view, at, kSeparators, kMinuteMark);
  fields.second = ReadField(view, at, 2);
  if (at != view.size() && view.substr(at, kSecondMark.size()) != kSecondMark) {
    return kEarliestDateTime;
  }

  const bool valid = fields.year >= 100 && fields.year <= 9999 && fields.month >= 1 && fields.month <= 12 &&
                     fields.day >= 1 && fields.day <= DaysInMonth(fields.year, fields.month) && fields.hour <= 23 &&
                     fields.minute <= 59 && fields.second <= 59;
  return valid ? MakeDateTime(fields) : kEarliestDateTime;
}

DateTime AddToDateTime(DateTime value, int part, std::int64_t amount) {
  if (amount == 0) return value;
  const auto datePart = static_cast<DatePart>(std::clamp(part, 1, 8));

  if (datePart == DatePart::Year || datePart == DatePart::Quarter || datePart == DatePart::Month) {
    // Whole years and the months left over are taken apart before anything is added, so any
    // 64-bit amount lands on the exact month it names without overflowing; the year clamps.
    std::int64_t years = 0;
    std::int64_t months = 0;
    if (datePart == DatePart::Year) {
      years = amount;
    } else if (datePart == DatePart::Quarter) {
      years = amount / 4;
      months = amount % 4 * 3;
    } else {
      years = amount / 12;
      months = amount % 12;
    }
    DateTimeFields fields = SplitDateTime(value);
    const std::int64_t monthIndex = fields.month - 1 + months;  // -11..22
    const std::int64_t carry = FloorDivide(monthIndex, 12);
    fields.month = static_cast<int>(monthIndex - carry * 12) + 1;
    // The handled range is under 10,000 years wide; a larger step only clamps.
    constexpr std::int64_t kYearLimit = 100'000;
    const std::int64_t year = fields.year + std::clamp(years, -kYearLimit, kYearLimit) + carry;
    fields.year = static_cast<int>(std::clamp<std::int64_t>(year, 100, 9999));
    fields.day = std::min(fields.day, DaysInMonth(fields.year, fields.month));
    return MakeDateTime(fields);
  }

  std::int64_t unit = 1;
  switch (datePart) {
    case DatePart::Week: unit = 7 * kSecondsPerDay; break;
    case DatePart::Day: unit = kSecondsPerDay; break;
    case DatePart::Hour: unit = 3600; break;
    case DatePart::Minute: unit = 60; break;
    default: unit = 1; break;
  }
  // The handled range is about 3.2e11 seconds long; beyond that an amount only clamps, and
  // cutting it first keeps amount × unit inside 64 bits.
  constexpr std::int64_t kSecondsLimit = 1'000'000'000'000;
  const std::int64_t span = std::clamp(amount, -kSecondsLimit, kSecondsLimit) * unit;
  return FromSeconds(ToSeconds(value) + span);
}

}  // namespace korvan

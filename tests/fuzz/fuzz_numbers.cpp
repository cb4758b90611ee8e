// Numbers and date-times from arbitrary bits and texts: no undefined behaviour (NaN, infinities,
// 64-bit amounts, wrapping integers), and the round trips the log and the scheduler rely on: a
// date-time written as text reads back as itself, an integer written as text (half- or full-width)
// reads back as itself.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_input.h"
#include "runtime/datetime/datetime.h"
#include "runtime/datetime/numbers.h"
#include "runtime/text/text.h"

namespace korvan::fuzz {
namespace {

bool IsValid(const DateTimeFields& fields) {
  return fields.year >= 100 && fields.year <= 9999 && fields.month >= 1 && fields.month <= 12 && fields.day >= 1 &&
         fields.day <= DaysInMonth(fields.year, fields.month) && fields.hour >= 0 && fields.hour <= 23 &&
         fields.minute >= 0 && fields.minute <= 59 && fields.second >= 0 && fields.second <= 59;
}

// ASCII digits and "-" as their full-width forms (A3 B0..A3 B9, A3 AD).
Text FullWidth(std::string_view ascii) {
  Text wide;
  for (const char byte : ascii) {
    wide += '\xA3';
    wide += static_cast<char>(static_cast<unsigned char>(byte) + 0x80);
  }
  return wide;
}

void CheckDateTimeText(DateTime value) {
  const Text text = DateTimeToText(value);
  const DateTimeFields fields = SplitDateTime(value);
  FUZZ_CHECK(IsValid(fields));
  const DateTime back = ToDateTime(text);
  FUZZ_CHECK(SplitDateTime(back) == fields);
  FUZZ_CHECK(DateTimeToText(back) == text);
}

void CheckReadDateTime(std::string_view text) {
  const DateTime value = ToDateTime(text);
  if (value == kEarliestDateTime) return;
  FUZZ_CHECK(IsValid(SplitDateTime(value)));
  FUZZ_CHECK(ToDateTime(DateTimeToText(value)) == value);
}

// Fields written in both layouts read back exactly when they form a valid date-time.
void CheckFieldsLayout(const DateTimeFields& fields) {
  char dashed[64];
  std::snprintf(dashed, sizeof dashed, "%d-%d-%d %d:%d:%d", fields.year, fields.month, fields.day, fields.hour,
                fields.minute, fields.second);
  // 年 月 日 时 分 秒
  char marked[96];
  std::snprintf(marked, sizeof marked, "%d\xC4\xEA%d\xD4\xC2%d\xC8\xD5%d\xCA\xB1%d\xB7\xD6%d\xC3\xEB", fields.year,
                fields.month, fields.day, fields.hour, fields.minute, fields.second);
  const DateTime expected = IsValid(fields) ? MakeDateTime(fields) : kEarliestDateTime;
  FUZZ_CHECK(ToDateTime(dashed) == expected);
  FUZZ_CHECK(ToDateTime(marked) == expected);
  if (IsValid(fields)) FUZZ_CHECK(SplitDateTime(expected) == fields);
}

void CheckAddSeconds(DateTime value, std::int64_t amount, int part) {
  const DateTime moved = AddToDateTime(value, part, amount);
  FUZZ_CHECK(IsValid(SplitDateTime(moved)));
  CheckDateTimeText(moved);
  // Well inside the handled range, a step of seconds or days and the same step back return to
  // the value, taken to the whole second.
  const bool inside = value.days > -650000.0 && value.days < 2950000.0;
  const std::int64_t small = amount % 1000000;
  if (inside && (part == 8 || part == 5) && small != 0) {
    const std::int64_t step = part == 5 ? small % 1000 : small;
    if (step == 0) return;
    const DateTime back = AddToDateTime(AddToDateTime(value, part, step), part, -step);
    FUZZ_CHECK(SplitDateTime(back) == SplitDateTime(value));
  }
}

void CheckIntegers(std::int32_t number, std::int64_t wide, std::string_view text) {
  const Text written = ToText(number);
  FUZZ_CHECK(ToInteger(written) == number);
  FUZZ_CHECK(ToInteger(" \t" + written + "x1") == number);
  FUZZ_CHECK(ToInteger(FullWidth(written)) == number);
  FUZZ_CHECK(ToNumber(written) == static_cast<double>(number));

  // Below 2^53 every integer is an exact double.
  const std::int64_t exact = wide % (std::int64_t{1} << 53);
  FUZZ_CHECK(ToNumber(ToText(exact)) == static_cast<double>(exact));
  FUZZ_CHECK(TruncateToInteger(static_cast<double>(exact)) == exact);

  // Arbitrary texts: only the absence of faults, and what is read stays a number.
  (void)ToInteger(text);
  const double read = ToNumber(text);
  FUZZ_CHECK(!std::isnan(read));
}

void CheckDouble(double number) {
  const std::int64_t truncated = TruncateToInteger(number);
  if (std::isnan(number)) {
    FUZZ_CHECK(truncated == 0);
    return;
  }
  if (std::fabs(number) < 9.0e18) {
    FUZZ_CHECK(std::fabs(number - static_cast<double>(truncated)) < 1.0);
    FUZZ_CHECK(std::fabs(static_cast<double>(truncated)) <= std::fabs(number));
  }
  (void)ToInteger(number);
}

}  // namespace
}  // namespace korvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvan::fuzz;
  FuzzInput input(data, size);
  const double days = input.Raw<double>();
  const std::int64_t amount = input.Raw<std::int64_t>();
  const int part = input.Integer();
  korvan::DateTimeFields fields;
  fields.year = input.Raw<std::uint16_t>() % 10000;
  fields.month = input.Raw<std::uint8_t>() % 100;
  fields.day = input.Raw<std::uint8_t>() % 100;
  fields.hour = input.Raw<std::uint8_t>() % 100;
  fields.minute = input.Raw<std::uint8_t>() % 100;
  fields.second = input.Raw<std::uint8_t>() % 100;
  const std::int32_t number = input.Raw<std::int32_t>();
  const std::int64_t wide = input.Raw<std::int64_t>();
  const korvan::Text text = input.Piece();

  CheckDateTimeText(korvan::DateTime{days});
  CheckAddSeconds(korvan::DateTime{days}, amount, part);
  CheckFieldsLayout(fields);
  CheckReadDateTime(text);
  CheckIntegers(number, wide, text);
  CheckDouble(days);
  return 0;
}

#include "plan/provider_time.h"

#include "runtime/datetime/datetime.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

constexpr std::size_t kLongestTimeText = 64;
constexpr int kMostFields = 6;
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kUtc8Offset = 8 * 3600;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's civil calendar algorithm).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::int64_t> ReadProviderTime(std::string_view text) {
  if (text.size() > kLongestTimeText) return std::nullopt;
  // Trail bytes of code page 936 are 0x40 and above, so an ASCII digit is always a character of its own.
  const Text folded = FoldToHalfWidth(text);
  int fields[kMostFields] = {};
  int count = 0;
  for (std::size_t at = 0; at < folded.size();) {
    if (!IsDigit(folded[at])) {
      ++at;
      continue;
    }
    const std::size_t start = at;
    while (at < folded.size() && IsDigit(folded[at]))
      ++at;
    const std::size_t digits = at - start;
    if (count == kMostFields || (count == 0 ? digits != 4 : digits > 2)) return std::nullopt;
    for (std::size_t i = start; i < at; ++i)
      fields[count] = fields[count] * 10 + (folded[i] - '0');
    ++count;
  }
  const auto [year, month, day, hour, minute, second] = fields;
  if (count < 3 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 ||
      second > 59) {
    return std::nullopt;
  }
  return DaysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second - kUtc8Offset;
}

Text ProviderTimeText(std::int64_t unixSeconds) {
  const DateTime epochInUtc8 = MakeDateTime({1970, 1, 1, 8, 0, 0});
  return DateTimeToText(AddToDateTime(epochInUtc8, static_cast<int>(DatePart::Second), unixSeconds));
}

}  // namespace korvan

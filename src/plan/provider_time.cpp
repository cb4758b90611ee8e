#include "plan/provider_time.h"

#include <algorithm>
#include <span>

#include "runtime/datetime/datetime.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

constexpr std::size_t kLongestTimeText = 64;
constexpr int kMostFields = 6;
constexpr std::int64_t kSecondsPerDay = 86400;

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
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The units that only name the field before them: 日 时 分 秒.
constexpr std::string_view kUnitWords[] = {"\xC8\xD5", "\xCA\xB1", "\xB7\xD6", "\xC3\xEB"};
constexpr std::string_view kMorningWords[] = {"AM", "\xC9\xCF\xCE\xE7"};    // 上午
constexpr std::string_view kAfternoonWords[] = {"PM", "\xCF\xC2\xCE\xE7"};  // 下午

enum class DayPart { None, Morning, Afternoon };

bool IsOneOf(std::string_view word, std::span<const std::string_view> words) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

// The word in what stands between two fields or after the last: its letters, in upper case, and
// its characters beyond ASCII but the units. Blanks and punctuation are no word.
Text GapWord(std::string_view gap) {
  Text word;
  for (std::size_t at = 0; at < gap.size();) {
    // A lone lead byte at the end is a character of its own here: it is no blank.
    const std::size_t length = std::max<std::size_t>(CharacterLength(gap, at), 1);
    const std::string_view character = gap.substr(at, length);
    at += length;
    if (IsLetter(character[0])) {
      word += static_cast<char>(character[0] & ~0x20);
    } else if (static_cast<unsigned char>(character[0]) >= 0x80 && !IsOneOf(character, kUnitWords)) {
      word += character;
    }
  }
  return word;
}

}  // namespace

std::optional<std::int64_t> ReadProviderTime(std::string_view text) {
  if (text.size() > kLongestTimeText) return std::nullopt;
  // Trail bytes of code page 936 are 0x40 and above, so an ASCII digit is always a character of its own.
  const Text folded = FoldToHalfWidth(text);
  int fields[kMostFields] = {};
  Text gaps[kMostFields];  // what follows each field
  int count = 0;
  for (std::size_t at = 0; at < folded.size();) {
    if (!IsDigit(folded[at])) {
      if (count > 0) gaps[count - 1] += folded[at];
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
  // After the day only the 12-hour clock's word may stand, once, before the time or after it; any
  // other word (凌晨, 中午, 晚上 …) says more than the digits do, and a time 12 hours off is worse than none.
  DayPart dayPart = DayPart::None;
  for (int field = 2; field < count; ++field) {
    const bool beforeTime = field == 2 && count > 3;
    const bool afterTime = field == count - 1 && count > 3;
    const Text word = GapWord(gaps[field]);
    if (word.empty() || (beforeTime && word == "T")) continue;
    if (dayPart != DayPart::None || !(beforeTime || afterTime)) return std::nullopt;
    if (IsOneOf(word, kMorningWords)) {
      dayPart = DayPart::Morning;
    } else if (IsOneOf(word, kAfternoonWords)) {
      dayPart = DayPart::Afternoon;
    } else {
      return std::nullopt;
    }
  }
  auto [year, month, day, hour, minute, second] = fields;
  if (dayPart != DayPart::None) {
    if (hour < 1 || hour > 12) return std::nullopt;
    hour = hour % 12 + (dayPart == DayPart::Afternoon ? 12 : 0);
  }
  if (count < 3 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 ||
      second > 59) {
    return std::nullopt;
  }
  return DaysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second - kUtc8OffsetSeconds;
}

Text ProviderTimeText(std::int64_t unixSeconds) {
  const DateTime epochInUtc8 = MakeDateTime({1970, 1, 1, 8, 0, 0});
  return DateTimeToText(AddToDateTime(epochInUtc8, static_cast<int>(DatePart::Second), unixSeconds));
}

}  // namespace korvan

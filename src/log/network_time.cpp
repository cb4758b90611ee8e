#include "log/network_time.h"

#include <cmath>

#include "korvan/hosts.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

// 1970年1月1日8时
constexpr std::string_view kUtc8Epoch =
    "1970\xC4\xEA"
    "1\xD4\xC2"
    "1\xC8\xD5"
    "8\xCA\xB1";
// 9999-12-31 23:59:59 UTC, the last second a DateTime holds.
constexpr std::int64_t kLastUsableSecond = 253402300799;

}  // namespace

DateTime Utc8FromUnixSeconds(std::int64_t seconds) {
  return AddToDateTime(ToDateTime(kUtc8Epoch), static_cast<int>(DatePart::Second), seconds);
}

std::int64_t UnixMillisecondsFromUtc8(DateTime time) {
  constexpr double kSecondsPerDay = 86400.0;
  const double seconds = (time.days - ToDateTime(kUtc8Epoch).days) * kSecondsPerDay;
  return static_cast<std::int64_t>(std::llround(seconds)) * 1000;
}

Text TimePageUrl() { return JoinTexts("http://", hosts::kTime, kTimePagePath); }

std::optional<std::int64_t> NetworkSecondsFromAnswer(const ByteSet& answer) {
  const Text text = BytesToText(answer);
  const int markerAt = FindText(text, kTimePageMarker);
  // Without the marker the count would be cut from wherever the next ")" happens to stand.
  if (markerAt == -1) return std::nullopt;
  const int closingAt = FindText(text, ")", markerAt);
  const int countStart = markerAt + TextLength(kTimePageMarker);
  const double milliseconds = ToNumber(TextMid(text, countStart, closingAt - countStart));
  if (!std::isfinite(milliseconds)) return std::nullopt;
  const std::int64_t seconds = TruncateToInteger(milliseconds / 1000);
  if (seconds <= 0 || seconds > kLastUsableSecond) return std::nullopt;
  return seconds;
}

DateTime NetworkTimeFromAnswer(const ByteSet& answer, std::optional<DateTime> fallback) {
  if (const std::optional<std::int64_t> seconds = NetworkSecondsFromAnswer(answer))
    return Utc8FromUnixSeconds(*seconds);
  return fallback.value_or(Utc8FromUnixSeconds(0));
}

}  // namespace korvan

// The service's limit against the longest a tick can take: a time-out raised in the code, or a
// limit lowered in the unit, fails here before systemd stops a slow run in its middle.
#include "cli/run_bound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

namespace korvan {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A systemd time span in seconds as far as our units write one: numbers, each with s, sec, m, min,
// h or hr or none (seconds), blanks between. Nothing for anything else, "infinity" too.
std::optional<long> TimeSpanSeconds(std::string_view span) {
  constexpr std::pair<std::string_view, long> kUnits[] = {{"", 1},     {"s", 1},    {"sec", 1},  {"m", 60},
                                                          {"min", 60}, {"h", 3600}, {"hr", 3600}};
  std::optional<long> total;
  for (std::size_t at = 0; at < span.size();) {
    if (span[at] == ' ') {
      ++at;
      continue;
    }
    long number = 0;
    const std::size_t digits = at;
    for (; at < span.size() && IsDigit(span[at]); ++at)
      number = number * 10 + (span[at] - '0');
    const std::size_t letters = at;
    while (at < span.size() && IsLetter(span[at]))
      ++at;
    const std::string_view unit = span.substr(letters, at - letters);
    const auto* found =
        std::find_if(std::begin(kUnits), std::end(kUnits), [&](const auto& u) { return u.first == unit; });
    if (letters == digits || found == std::end(kUnits)) return std::nullopt;
    total = total.value_or(0) + number * found->second;
  }
  return total;
}

// The value of the unit file's last line setting key, as systemd takes the last.
std::optional<std::string> UnitSetting(const char* path, std::string_view key) {
  std::ifstream unit(path);
  std::optional<std::string> value;
  for (std::string line; std::getline(unit, line);) {
    if (line.starts_with(key) && line.size() > key.size() && line[key.size()] == '=')
      value = line.substr(key.size() + 1);
  }
  return value;
}

TEST(RunBound, TheServiceLimitLiesAboveTheLongestTick) {
  const std::optional<std::string> limit = UnitSetting(KORVAN_SERVICE_UNIT, "TimeoutStartSec");
  ASSERT_TRUE(limit) << KORVAN_SERVICE_UNIT << " sets no TimeoutStartSec";
  const std::optional<long> seconds = TimeSpanSeconds(*limit);
  ASSERT_TRUE(seconds) << "TimeoutStartSec=" << *limit << " is no time span of seconds, minutes or hours";
  EXPECT_GT(*seconds, kLongestTickSeconds)
      << "TimeoutStartSec=" << *limit << " stops a tick that may take " << kLongestTickSeconds << " seconds";
}

}  // namespace
}  // namespace korvan

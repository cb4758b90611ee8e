#include "run/run_record.h"

#include <algorithm>
#include <utility>

#include "renewal/run_messages.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

Text OnOneLine(std::string_view text) {
  Text line(text);
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return line;
}

}  // namespace

FailureStreak StreakOfRecord(const RunRecord& record) {
  return FailureStreak{!record.lastRun.empty() || !record.lastResult.empty(), record.failures};
}

RunRecord UpdatedRunRecord(const RunRecord& before, const RunReport& run) {
  if (run.entries.empty()) return before;
  RunRecord after = before;
  after.lastRun = run.entries.back().stamp;
  after.lastResult = RunResultMessage(run);
  for (const RunEntry& entry : run.entries) {
    if (entry.outcome == RunOutcome::Renewed) after.lastRenewed = entry.stamp;
  }
  if (!run.newExpiry.empty()) {
    after.expiry = CutText(run.newExpiry, kKeptExpiryBytes);
  } else if (!run.expiry.empty()) {
    after.expiry = CutText(run.expiry, kKeptExpiryBytes);
  }
  after.failures = std::min(StreakAfterRun(StreakOfRecord(before), run.outcome).failedRunsInARow, kMaxFailuresInRow);
  return after;
}

int FailuresFromText(std::string_view text) {
  const Text trimmed = TrimBlanks(text);
  if (trimmed.empty()) return 0;
  long long value = 0;
  for (const char c : trimmed) {
    if (c < '0' || c > '9') return 0;
    value = std::min<long long>(value * 10 + (c - '0'), kMaxFailuresInRow);
  }
  return static_cast<int>(value);
}

RunRecord LoadRunRecord(IniStore& store) {
  RunRecord record;
  record.lastRun = store.Read(kStatusSection, kLastRunKey);
  record.lastResult = store.Read(kStatusSection, kLastResultKey);
  record.lastRenewed = store.Read(kStatusSection, kLastRenewedKey);
  record.expiry = store.Read(kStatusSection, kExpiryKey);
  record.failures = FailuresFromText(store.Read(kStatusSection, kFailuresKey));
  return record;
}

bool SaveRunRecord(IniStore& store, const RunRecord& record) {
  const std::pair<std::string_view, Text> items[] = {
      {kLastRunKey, OnOneLine(record.lastRun)},
      {kLastResultKey, OnOneLine(record.lastResult)},
      {kLastRenewedKey, OnOneLine(record.lastRenewed)},
      {kExpiryKey, OnOneLine(record.expiry)},
      {kFailuresKey, ToText(static_cast<std::int64_t>(std::clamp(record.failures, 0, kMaxFailuresInRow)))},
  };
  bool saved = true;
  // Every key is tried even after a failure: the others may still go through.
  for (const auto& [key, value] : items)
    saved = store.Write(kStatusSection, key, value) && saved;
  return saved;
}

}  // namespace korvan

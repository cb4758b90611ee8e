#include "log/network_clock.h"

namespace korvan {
namespace {

constexpr std::int64_t kFreshFor = 3600;
constexpr std::int64_t kAskAgainAfter = 5 * 60;

bool SameBoot(const ComputerTime& then, const ComputerTime& now) {
  return !then.boot.empty() && then.boot == now.boot && now.monotonic >= then.monotonic;
}

}  // namespace

std::int64_t NetworkNow(const TimeReading& reading, const ComputerTime& now) {
  if (reading.network <= 0) return now.wall;
  if (SameBoot(reading.computer, now)) return reading.network + (now.monotonic - reading.computer.monotonic);
  return now.wall - ClockOffset(reading);
}

std::int64_t ComputerWallAt(const TimeReading& reading, const ComputerTime& now, std::int64_t networkSeconds) {
  return now.wall + (networkSeconds - NetworkNow(reading, now));
}

std::int64_t ClockOffset(const TimeReading& reading) {
  return reading.network <= 0 ? 0 : reading.computer.wall - reading.network;
}

bool ReadingStale(const TimeReading& reading, const ComputerTime& now) {
  return reading.network <= 0 || !SameBoot(reading.computer, now) ||
         now.monotonic - reading.computer.monotonic > kFreshFor;
}

bool ReadBeforeDeciding(const TimeReading& reading, const ComputerTime& now, std::int64_t plannedAt) {
  if (!ReadingStale(reading, now)) return false;
  return !SameBoot(reading.computer, now) || plannedAt - NetworkNow(reading, now) <= kFreshFor;
}

void NetworkClock::Answered(std::int64_t networkSeconds) {
  if (networkSeconds <= 0) return;
  const ComputerTime now = computer_();
  const std::lock_guard lock(mutex_);
  reading_ = {networkSeconds, now};
}

std::int64_t NetworkClock::Now() {
  const ComputerTime now = computer_();
  const std::lock_guard lock(mutex_);
  return NetworkNow(reading_, now);
}

bool NetworkClock::Stale() {
  const ComputerTime now = computer_();
  const std::lock_guard lock(mutex_);
  return ReadingStale(reading_, now);
}

TimeReading NetworkClock::Reading() {
  const std::lock_guard lock(mutex_);
  return reading_;
}

void NetworkClock::Restore(const TimeReading& reading) {
  const ComputerTime now = computer_();
  const std::lock_guard lock(mutex_);
  if (reading.network <= 0) return;
  // This process's own read of this boot beats a kept one.
  if (reading_.network > 0 && !ReadingStale(reading_, now)) return;
  reading_ = reading;
}

bool NetworkClock::AskRead(std::int64_t plannedAt) {
  const ComputerTime now = computer_();
  const std::lock_guard lock(mutex_);
  if (!ReadBeforeDeciding(reading_, now, plannedAt)) return false;
  if (askedAt_ && SameBoot(*askedAt_, now) && now.monotonic - askedAt_->monotonic < kAskAgainAfter) return false;
  askedAt_ = now;
  return true;
}

}  // namespace korvan

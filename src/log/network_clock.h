// The network time between two reads of the time page. The plan's times are network time, so the
// question "is a planned run due?" must not be answered by a computer clock that is off (a wrong
// time zone, a dead CMOS battery) or that was stepped since the last read (a resync, a reboot).
// Between reads the time goes on by the monotonic clock of the same boot; across a boot by the
// offset the last read found. Portable; each platform gives the computer's clocks.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace korvan {

struct ComputerTime {
  std::int64_t wall = 0;       // the computer's clock, Unix seconds
  std::int64_t monotonic = 0;  // seconds since the boot, sleep included
  std::string boot;            // names the boot of `monotonic`; empty: unknown, comparable with nothing
  friend bool operator==(const ComputerTime&, const ComputerTime&) = default;
};

// The latest read of the time page that really answered.
struct TimeReading {
  std::int64_t network = 0;  // Unix seconds by the time page; 0: no read yet
  ComputerTime computer;     // the computer's clocks at that read
  friend bool operator==(const TimeReading&, const TimeReading&) = default;
};

// The network time now: the read's time plus the monotonic seconds since it in the same boot, else
// the computer's clock corrected by the read's offset; the computer's clock without a read.
std::int64_t NetworkNow(const TimeReading& reading, const ComputerTime& now);

// The computer's clock when the network time is `networkSeconds`, for a timer armed on that clock.
std::int64_t ComputerWallAt(const TimeReading& reading, const ComputerTime& now, std::int64_t networkSeconds);

// How far the computer's clock was off at the read (computer minus network), in seconds.
std::int64_t ClockOffset(const TimeReading& reading);

// To be read again before deciding: no read yet, one from another boot or an unknown one, or one
// over an hour old.
bool ReadingStale(const TimeReading& reading, const ComputerTime& now);

// Whether to read the time page before deciding on a planned run at plannedAt (network time): the
// reading is stale and either not of this boot (a clock stepped across a reboot cannot be told by
// the offset) or the run may be due within the hour by the estimate. A reading of this boot, only
// older than an hour, is still good enough to know that a run a day away is not due.
bool ReadBeforeDeciding(const TimeReading& reading, const ComputerTime& now, std::int64_t plannedAt);

// The process's reading, shared by the threads that read the time page and those that decide.
class NetworkClock {
 public:
  explicit NetworkClock(std::function<ComputerTime()> computer) : computer_(std::move(computer)) {}

  // A read that answered with this time, now.
  void Answered(std::int64_t networkSeconds);
  std::int64_t Now();
  bool Stale();
  TimeReading Reading();
  // Takes a kept reading, unless this process has a newer one.
  void Restore(const TimeReading& reading);
  ComputerTime Computer() const { return computer_(); }

  // ReadBeforeDeciding, unless a read was asked for in the last few minutes (a page that is down is
  // not asked at every check). Marks the ask.
  bool AskRead(std::int64_t plannedAt);

 private:
  std::function<ComputerTime()> computer_;
  std::mutex mutex_;
  TimeReading reading_;
  std::optional<ComputerTime> askedAt_;
};

// The program's own, on the computer's clocks; each platform's time page reader feeds it every read
// that answered.
NetworkClock& ProgramNetworkClock();

}  // namespace korvan

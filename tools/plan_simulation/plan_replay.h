// Renewal windows replayed against a simulated panel, the plan (src/plan) against the plain N-hour
// schedule. The panel takes the renewal only inside the window's 24 hours and is down for random
// spells: outages of 2 minutes to 8 hours about every 10 hours; in one window of ten a maintenance
// of 2 to 30 hours near the opening; in one of seven a few hours in which it flaps up and down every
// few minutes. Runs take no time; a renewal run costs 4 requests, a check 3, a run against a panel
// that is down 1 (its login). Deterministic for a seed.
//
// The same windows are replayed once more with faults, through each program's own cadence and its
// real due decision (PlannedRunWatch::StartIfDue every 30 seconds for the window, DecideTick with
// the network clock and korvan-tick.ini kept between ticks for korvan tick). In every window one
// run from an hour before the opening reads an empty expiry, the computer's clock is wrong in one of
// the ways of ClockFault, and in one window of three the renewal that took effect loses its answer
// (no verdict): that replay goes on to the next window, which must be renewed on time too.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvan::plan_replay {

// The computer's clock in a replay with faults; the monotonic clock is always right.
enum class ClockFault {
  None,
  Behind8Hours,
  Ahead40Minutes,
  Ahead3Years,
  SteppedAhead3Years,  // right until a moment inside the window, then 3 years ahead
  SteppedBack3Years,   // right until a moment inside the window, then 3 years behind
};
inline constexpr int kClockFaults = 6;
std::string_view ClockFaultName(ClockFault fault);

// How a program comes to its runs.
enum class Cadence {
  // korvan.exe: the N-hour timer every N hours of the monotonic clock; the 30-second watch compares
  // the planned time with the network time.
  Window,
  // The same, the watch comparing with the computer's clock (what src/app/worker/planned_runs.cpp gives
  // it now).
  WindowByComputerClock,
  // korvan tick from the systemd timer every 5 minutes plus up to 30 s; a new process each time.
  LinuxTick,
};
inline constexpr int kCadences = 3;
std::string_view CadenceName(Cadence cadence);

struct ScheduleFigures {
  int renewed = 0;                       // windows renewed before their expiry
  std::vector<double> minutesToRenewal;  // from the opening, one per renewed window, ascending
  std::int64_t requests = 0;             // over every replay: from a day before the opening to the expiry
  int answeringRenewed = 0;              // of ReplayFigures::answering
  int answeringAnHourRenewed = 0;        // of ReplayFigures::answeringAnHour
  int plannedRunsTooClose = 0;           // planned runs less than 2 minutes after the one before
  // With faults:
  int mostRequestsInAWindow = 0;
  std::int64_t timePageReads = 0;  // the tick's own reads before it decides (the entries' stamps not counted)
  int periodRunsEarly = 0;         // N-hour runs less than a period (true time) after the one before
  int mostPeriodRunsEarlyInAWindow = 0;
  int emptyReads = 0;         // windows in which a run read an empty expiry
  int cutAnswers = 0;         // windows whose renewal lost its answer
  int nextWindowsOnTime = 0;  // of those, the next window renewed within 6 minutes of its opening
  int falseLateWarnings = 0;  // "即将到期，尚未续期" pushed for a window the provider had renewed
  double MedianMinutes() const;
  double Percentile95Minutes() const;
};

struct ReplayFigures {
  int windows = 0;
  int tickHours = 0;
  ScheduleFigures plain;  // a renewal run every tickHours, nothing else
  ScheduleFigures plan;   // the same runs, and the plan's
  // Not built: the plan with its retries going on to 20, 40, then every 60 minutes, for comparison.
  ScheduleFigures planHourSteps;
  // Windows in which the panel answered for 10 (60) minutes in a row between 5 minutes after the
  // opening and 10 minutes before the expiry.
  int answering = 0;
  int answeringAnHour = 0;

  // The replay with faults, by cadence, and for each cadence by the clock's fault.
  std::array<ScheduleFigures, kCadences> faults;
  std::array<std::array<ScheduleFigures, kClockFaults>, kCadences> faultsByClock;
  std::array<int, kClockFaults> windowsByClock{};
  std::array<int, kClockFaults> answeringByClock{};

  const ScheduleFigures& WithFaults(Cadence cadence) const { return faults[static_cast<int>(cadence)]; }
};

ReplayFigures Replay(int windows, std::uint64_t seed, int tickHours = 10, bool withFaults = true);

// The figures as a Markdown table with the plan's goals below it.
std::string MarkdownTable(const ReplayFigures& figures);

}  // namespace korvan::plan_replay

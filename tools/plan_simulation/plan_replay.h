// Renewal windows replayed against a simulated panel, the plan (src/plan) against the plain N-hour
// schedule. The panel takes the renewal only inside the window's 24 hours and is down for random
// spells: outages of 2 minutes to 8 hours about every 10 hours; in one window of ten a maintenance
// of 2 to 30 hours near the opening; in one of seven a few hours in which it flaps up and down every
// few minutes. Runs take no time; a renewal run costs 4 requests, a check 3, a run against a panel
// that is down 1 (its login). Deterministic for a seed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvan::plan_replay {

struct ScheduleFigures {
  int renewed = 0;                       // windows renewed before their expiry
  std::vector<double> minutesToRenewal;  // from the opening, one per renewed window, ascending
  std::int64_t requests = 0;             // over every replay: from a day before the opening to the expiry
  int answeringRenewed = 0;              // of ReplayFigures::answering
  int answeringAnHourRenewed = 0;        // of ReplayFigures::answeringAnHour
  int plannedRunsTooClose = 0;           // planned runs less than 2 minutes after the one before
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
};

ReplayFigures Replay(int windows, std::uint64_t seed, int tickHours = 10);

// The figures as a Markdown table with the plan's goals below it.
std::string MarkdownTable(const ReplayFigures& figures);

}  // namespace korvan::plan_replay

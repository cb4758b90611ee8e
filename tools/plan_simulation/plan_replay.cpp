#include "plan_simulation/plan_replay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "run/planned_run_watch.h"
#include "run/tick_decision.h"
#include "log/network_clock.h"
#include "plan/renewal_plan.h"
#include "renewal/run_messages.h"
#include "run/plan_store.h"

namespace korvan::plan_replay {
namespace {

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 24 * kHour;
constexpr std::int64_t kFirstExpiry = 1767225600;  // 2026-01-01 08:00 UTC+8
constexpr std::int64_t kRenewalAdds = 30 * kDay;
constexpr int kMostRunsPerWindow = 5000;
constexpr std::int64_t kWatchEvery = 30;          // the window's planned-run timer
constexpr std::int64_t kTickEvery = 5 * kMinute;  // OnCalendar=*:0/5
constexpr double kTickDelayUpTo = 30.0;           // RandomizedDelaySec=30
// 1096 days, with a leap day: like every offset here a whole number of 5 minutes, so the timer's
// boundaries by the wrong clock fall where the right clock has them.
constexpr std::int64_t kThreeYears = 1096 * kDay;
const Text kLoggedIn = "user \xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6\xA3\xA1";  // user 登录成功！

// mt19937_64's sequence is fixed by the standard; the library's distributions are not, so the
// figures would differ between standard libraries with them.
class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}
  double Uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
  double Between(double low, double high) { return low + (high - low) * Uniform(); }
  double Exponential(double mean) { return -mean * std::log1p(-Uniform()); }
  double LogUniform(double low, double high) { return std::exp(Between(std::log(low), std::log(high))); }

 private:
  std::mt19937_64 engine_;
};

struct Window {
  std::int64_t expiry = 0;
  std::int64_t opens = 0;
  std::int64_t replayStart = 0;
  std::vector<std::pair<std::int64_t, std::int64_t>> outages;  // [start, end), by start

  bool Up(std::int64_t t) const {
    return std::none_of(outages.begin(), outages.end(), [t](const auto& o) { return t >= o.first && t < o.second; });
  }
};

Window MakeWindow(int index, Random& random) {
  Window window;
  window.expiry = kFirstExpiry + index % 1096 * kDay + static_cast<std::int64_t>(random.Between(0, kDay));
  window.opens = window.expiry - kDay;
  window.replayStart = window.opens - kDay;
  double t = static_cast<double>(window.replayStart - 12 * kHour);
  while (window.outages.size() < 100) {
    t += random.Exponential(10.0 * kHour);
    if (t >= static_cast<double>(window.expiry)) break;
    const double length = random.LogUniform(2.0 * kMinute, 8.0 * kHour);
    window.outages.emplace_back(static_cast<std::int64_t>(t), static_cast<std::int64_t>(t + length));
  }
  if (random.Uniform() < 0.1) {
    const double start =
        random.Between(static_cast<double>(window.opens - 6 * kHour), static_cast<double>(window.opens + 12 * kHour));
    const double length = random.LogUniform(2.0 * kHour, 30.0 * kHour);
    window.outages.emplace_back(static_cast<std::int64_t>(start), static_cast<std::int64_t>(start + length));
  }
  if (random.Uniform() < 0.15) {
    double at =
        random.Between(static_cast<double>(window.opens - 2 * kHour), static_cast<double>(window.expiry - 2 * kHour));
    const double end = at + random.Between(1.0 * kHour, 8.0 * kHour);
    while (at < end) {
      const double down = random.Between(3.0 * kMinute, 30.0 * kMinute);
      window.outages.emplace_back(static_cast<std::int64_t>(at), static_cast<std::int64_t>(at + down));
      at += down + random.Between(3.0 * kMinute, 30.0 * kMinute);
    }
  }
  std::sort(window.outages.begin(), window.outages.end());
  return window;
}

// Up for this long in a row somewhere between 5 minutes after the opening and 10 minutes before the expiry.
bool Answers(const Window& window, std::int64_t stretch) {
  const std::int64_t from = window.opens + 5 * kMinute;
  const std::int64_t to = window.expiry - 10 * kMinute;
  std::int64_t upSince = from;
  for (const auto& [start, end] : window.outages) {
    if (std::min(start, to) - upSince >= stretch) return true;
    upSince = std::max(upSince, end);
  }
  return to - upSince >= stretch;
}

// "2026-01-08 13:04:05" in UTC+8, as the panel writes it.
Text PanelTimeText(std::int64_t unixSeconds) {
  const std::int64_t local = unixSeconds + 8 * kHour;
  std::int64_t days = local / kDay;
  const std::int64_t second = local % kDay;
  days += 719468;  // H. Hinnant's civil-from-days, for days after 1970
  const std::int64_t era = days / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, static_cast<int>(second / 3600),
                static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
  return text;
}

// The panel of one replay, with what it has been asked.
struct Panel {
  const Window& window;
  std::int64_t expiry;
  std::optional<std::int64_t> renewedAt;
  std::optional<std::int64_t> nextRenewedAt;  // the window after, when the replay goes on to it
  std::int64_t requests = 0;
  // Faults: the how-manieth run from an hour before the opening that reaches the renewal page reads
  // an empty expiry (the renewing run at the latest; 0: none), and the renewal's answer is cut.
  int emptyReadTry = 0;
  bool cutAnswer = false;
  int triesNearWindow = 0;
  bool emptyRead = false;
  bool cut = false;

  explicit Panel(const Window& w) : window(w), expiry(w.expiry) {}

  RunReport Visit(std::int64_t t, RenewalMode mode) {
    RunReport report;
    if (!window.Up(t)) {
      requests += 1;
      return Said(report, JoinTexts("user", kLoginFailedEnding), RunOutcome::LoginFailed);
    }
    Said(report, kLoggedIn, RunOutcome::None);
    report.vpsId = "7";
    const bool renews = mode == RenewalMode::Renew && t >= expiry - kDay && t < expiry;
    bool empty = false;
    if (emptyReadTry > 0 && !emptyRead && !renewedAt && t >= window.opens - kHour) {
      empty = ++triesNearWindow == emptyReadTry || renews;
      emptyRead = empty;
    }
    report.expiry = empty ? Text() : PanelTimeText(expiry);
    Said(report, JoinTexts(kExpiryLabel, report.expiry), RunOutcome::None);
    if (mode == RenewalMode::CheckOnly) {
      requests += 3;
      return Said(report, kCheckDoneMessage, RunOutcome::CheckDone);
    }
    requests += 4;
    if (!renews) return Said(report, kOnlyWithinOneDayMessage, RunOutcome::TooEarly);
    (renewedAt ? nextRenewedAt : renewedAt) = t;
    expiry += kRenewalAdds;
    if (cutAnswer && !cut) {
      // The provider took the form; its answer never came, so the job logs no verdict.
      cut = true;
      report.outcome = RunOutcome::UnknownVerdict;
      return report;
    }
    return Said(report, kRenewedMessage, RunOutcome::Renewed);
  }

  // One entry of the run as the job logs it, with what it says of the run: the plan takes a renewal
  // only from the entry that says so.
  static RunReport& Said(RunReport& report, std::string_view message, RunOutcome outcome) {
    RecordRunEntry(report, "", message, outcome);
    return report;
  }
};

void Count(ScheduleFigures& figures, const Panel& panel, std::int64_t requests) {
  figures.requests += requests;
  figures.mostRequestsInAWindow = std::max(figures.mostRequestsInAWindow, static_cast<int>(requests));
  if (!panel.renewedAt) return;
  ++figures.renewed;
  figures.minutesToRenewal.push_back(static_cast<double>(*panel.renewedAt - panel.window.opens) / kMinute);
  figures.answeringRenewed += Answers(panel.window, 10 * kMinute) ? 1 : 0;
  figures.answeringAnHourRenewed += Answers(panel.window, kHour) ? 1 : 0;
}

// With hourSteps, a retry inside the window comes after 2, 5, 10, 20, 40, then every 60 minutes,
// capped by a quarter of the time left: the ladder the plan does not use.
std::int64_t HourStepsRetry(std::int64_t expiry, int attempts, std::int64_t t) {
  constexpr std::int64_t kSteps[] = {2 * kMinute, 5 * kMinute, 10 * kMinute, 20 * kMinute, 40 * kMinute, kHour};
  const std::int64_t step = kSteps[std::clamp(attempts - 1, 0, static_cast<int>(std::size(kSteps)) - 1)];
  const std::int64_t at = t + std::max(std::min(step, (expiry - t) / 4), 2 * kMinute);
  return at < expiry ? at : 0;
}

// The plan knows the expiry from a run of the cycle before.
RenewalPlan PlanFromTheCycleBefore(const Window& window) {
  RunReport before;
  before.vpsId = "7";
  before.expiry = PanelTimeText(window.expiry);
  Panel::Said(before, JoinTexts(kExpiryLabel, before.expiry), RunOutcome::None);
  return PlanAfterRun({}, before, false, window.replayStart - kHour).plan;
}

// The N-hour runs and the plan's, one at a time through one gate.
Panel ReplayPlan(const Window& window,
                 std::int64_t firstTick,
                 std::int64_t tick,
                 bool hourSteps,
                 ScheduleFigures& figures) {
  Panel panel(window);
  RenewalPlan plan = PlanFromTheCycleBefore(window);
  std::int64_t nextTick = firstTick;
  std::int64_t lastPlanned = std::numeric_limits<std::int64_t>::min() / 2;
  for (int run = 0; run < kMostRunsPerWindow; ++run) {
    const std::optional<PlannedRun> next = NextPlannedRun(plan);
    const bool isPlanned = next && next->at < nextTick;  // on a tie the tick holds the gate first
    const std::int64_t t = isPlanned ? next->at : nextTick;
    if (t >= window.expiry) break;
    if (isPlanned) {
      if (t - lastPlanned < 2 * kMinute) ++figures.plannedRunsTooClose;
      lastPlanned = t;
    } else {
      nextTick += tick;
    }
    plan = PlanAfterRun(plan, panel.Visit(t, isPlanned ? next->mode : RenewalMode::Renew), false, t).plan;
    const bool retrying = plan.windowOpens == window.opens && t >= window.opens;
    if (hourSteps && retrying && plan.nextRun != 0 && plan.attempts > 0)
      plan.nextRun = HourStepsRetry(window.expiry, plan.attempts, t);
  }
  return panel;
}

// --- The replay with faults -------------------------------------------------------------------

struct Faults {
  ClockFault clock = ClockFault::None;
  std::int64_t stepAt = 0;  // when a stepped clock steps, true time; 0: never
  int emptyReadTry = 0;
  bool cutAnswer = false;
  std::int64_t watchPhase = 0;  // the window's first check after the replay's start
};

Faults DrawFaults(int index, const Window& window, Random& random) {
  Faults faults;
  faults.clock = static_cast<ClockFault>(index % kClockFaults);
  const auto stepAt =
      static_cast<std::int64_t>(random.Between(static_cast<double>(window.opens), static_cast<double>(window.expiry)));
  if (faults.clock == ClockFault::SteppedAhead3Years || faults.clock == ClockFault::SteppedBack3Years)
    faults.stepAt = stepAt;
  faults.emptyReadTry = random.Uniform() < 0.5 ? 1 : 2;
  faults.cutAnswer = random.Uniform() < 1.0 / 3.0;
  faults.watchPhase = static_cast<std::int64_t>(random.Between(0, kWatchEvery));
  return faults;
}

// The computer's clocks at a true time: the wall clock with its fault, the monotonic one of a boot
// long before the replay.
struct Computer {
  ClockFault fault = ClockFault::None;
  std::int64_t stepAt = 0;
  std::int64_t bootedAt = 0;

  std::int64_t Offset(std::int64_t t) const {
    switch (fault) {
      case ClockFault::None: return 0;
      case ClockFault::Behind8Hours: return -8 * kHour;
      case ClockFault::Ahead40Minutes: return 40 * kMinute;
      case ClockFault::Ahead3Years: return kThreeYears;
      case ClockFault::SteppedAhead3Years: return t < stepAt ? 0 : kThreeYears;
      case ClockFault::SteppedBack3Years: return t < stepAt ? 0 : -kThreeYears;
    }
    return 0;
  }
  ComputerTime At(std::int64_t t) const { return {t + Offset(t), t - bootedAt, "boot"}; }
};

// One program's replay of a window with faults: the plan, the latest read of the time page and what
// the runs cost up to the window's expiry.
struct ProgramReplay {
  const Window& window;
  Computer computer;
  std::int64_t period;
  Panel panel;
  RenewalPlan plan;
  TimeReading reading;
  std::int64_t requests = 0;
  std::int64_t timePageReads = 0;
  int plannedRunsTooClose = 0;
  int periodRunsEarly = 0;
  int falseLateWarnings = 0;
  int runs = 0;
  std::int64_t lastPlanned = std::numeric_limits<std::int64_t>::min() / 2;
  std::int64_t lastPeriodRun;

  ProgramReplay(const Window& w, const Faults& faults, std::int64_t firstTick, std::int64_t tick)
      : window(w),
        computer{faults.clock, faults.stepAt, w.replayStart - 3 * kDay},
        period(tick),
        panel(w),
        plan(PlanFromTheCycleBefore(w)),
        reading{w.replayStart - kHour, computer.At(w.replayStart - kHour)},
        lastPeriodRun(firstTick - tick) {
    panel.emptyReadTry = faults.emptyReadTry;
    panel.cutAnswer = faults.cutAnswer;
  }

  // At the expiry; after a cut answer, once the next window is renewed or has expired.
  bool Over(std::int64_t t) const {
    if (runs >= kMostRunsPerWindow) return true;
    if (!panel.cut) return t >= window.expiry;
    return panel.nextRenewedAt.has_value() || t >= window.expiry + kRenewalAdds;
  }

  void Run(std::int64_t t, RenewalMode mode, bool planned) {
    std::int64_t& last = planned ? lastPlanned : lastPeriodRun;
    if (planned && t - last < 2 * kMinute) ++plannedRunsTooClose;
    if (!planned && t - last < period) ++periodRunsEarly;
    last = t;
    const std::int64_t before = panel.requests;
    const RunReport report = panel.Visit(t, mode);
    if (t < window.expiry) requests += panel.requests - before;
    // The time page answers: it stamps the entries and gives the plan its now.
    plan = PlanAfterRun(plan, report, false, t).plan;
    // RunOnce pushes "即将到期，尚未续期" then; after a renewal the provider took, it is a false alarm.
    if (LateWarningDue(plan, t)) {
      plan.lateWarned = true;
      if (panel.renewedAt && plan.windowOpens == window.opens) ++falseLateWarnings;
    }
    reading = {t, computer.At(t)};
    ++runs;
  }

  void ReadTimePage(std::int64_t t) {
    reading = {t, computer.At(t)};
    if (t < window.expiry) ++timePageReads;
  }
};

// korvan.exe: the N-hour timer and the planned-run watch's checks. One run at a time through the
// gate; runs take no time, so the watch never finds the gate held.
void ReplayWindowProgram(ProgramReplay& r, std::int64_t firstTick, std::int64_t watchPhase, bool byComputerClock) {
  PlannedRunWatch watch;
  std::int64_t periodRun = firstTick;
  std::int64_t check = r.window.replayStart + watchPhase;
  const auto firstCheckFrom = [&check](std::int64_t t) {
    return t <= check ? check : check + (t - check + kWatchEvery - 1) / kWatchEvery * kWatchEvery;
  };
  constexpr int kMostSteps = 4 * kMostRunsPerWindow;
  for (int step = 0; step < kMostSteps; ++step) {
    // On a tie the timer's run holds the gate first.
    if (periodRun <= check) {
      if (r.Over(periodRun)) return;
      r.Run(periodRun, RenewalMode::Renew, false);
      periodRun += r.period;
      continue;
    }
    if (r.Over(check)) return;
    const std::optional<PlannedRun> next = NextPlannedRun(r.plan);
    const ComputerTime computer = r.computer.At(check);
    const std::int64_t now = byComputerClock ? computer.wall : NetworkNow(r.reading, computer);
    if (next && next->at > now) {
      // No check finds it due before the clock has gone on by the difference, or stepped.
      std::int64_t due = check + (next->at - now);
      if (r.computer.stepAt > check) due = std::min(due, r.computer.stepAt);
      check = firstCheckFrom(std::min(due, periodRun));
      continue;
    }
    const bool started = watch.StartIfDue(next, now, [&](RenewalMode mode) {
      r.Run(check, mode, true);
      return true;
    });
    // Nothing new is due before a run changes the plan, and only the timer's can.
    check = started ? check + kWatchEvery : firstCheckFrom(periodRun);
  }
}

// The state directory between two ticks: korvan-tick.ini holds the tick state and, without the run
// record, the plan. Each tick is a new process that reads both back; reading them is deterministic,
// so each is read back once, when written.
class TickDirectory final : public IniStore {
 public:
  Text Read(std::string_view section, std::string_view key) override {
    for (const auto& [itemSection, itemKey, value] : items_)
      if (itemSection == section && itemKey == key) return value;
    return Text();
  }
  bool Write(std::string_view section, std::string_view key, std::string_view value) override {
    for (auto& [itemSection, itemKey, itemValue] : items_) {
      if (itemSection == section && itemKey == key) {
        itemValue = Text(value);
        return true;
      }
    }
    items_.emplace_back(Text(section), Text(key), Text(value));
    return true;
  }
  // As the tick keeps its state, and as the run keeps the plan (PlanBook without the run record).
  void KeepState(const TickState& state) {
    WriteTickState(*this, state);
    state_ = ReadTickState(*this);
  }
  void KeepPlan(const RenewalPlan& plan) {
    SaveRenewalPlan(*this, plan);
    plan_ = LoadRenewalPlan(*this);
  }
  const TickState& State() const { return state_; }
  const RenewalPlan& Plan() const { return plan_; }

 private:
  std::vector<std::tuple<Text, Text, Text>> items_;
  TickState state_;
  RenewalPlan plan_;
};

// korvan tick as src/cli/commands.cpp runs it: the plan and the reading from the state directory,
// the time page read first when a planned run waits and the reading is stale, then DecideTick; a
// tick waiting for its planned run holds the lock, so the ticks in the meantime end at once.
void ReplayLinuxProgram(ProgramReplay& r, std::int64_t firstTick, Random& jitter) {
  TickDirectory directory;
  TickState first;
  first.lastRunStarted = r.computer.At(firstTick - r.period).wall;
  first.lastRunEnded = first.lastRunStarted;
  first.clock = r.reading;
  directory.KeepState(first);
  directory.KeepPlan(r.plan);
  const std::optional<std::int64_t> period = r.period * 1000;
  std::int64_t boundary = (r.window.replayStart + kTickEvery - 1) / kTickEvery * kTickEvery;
  std::int64_t lockedUntil = std::numeric_limits<std::int64_t>::min();
  constexpr int kMostTicks = static_cast<int>((kRenewalAdds + 4 * kDay) / kTickEvery);
  for (int tick = 0; tick < kMostTicks; ++tick, boundary += kTickEvery) {
    const std::int64_t t = boundary + static_cast<std::int64_t>(jitter.Between(0, kTickDelayUpTo));
    if (r.Over(t)) return;
    if (t < lockedUntil) continue;
    const ComputerTime now = r.computer.At(t);
    const std::optional<PlannedRun> planned = NextPlannedRun(directory.Plan());
    if (planned && ReadBeforeDeciding(directory.State().clock, now, planned->at)) {
      r.ReadTimePage(t);
      TickState read = directory.State();
      read.clock = r.reading;
      directory.KeepState(read);
    }
    const TickDecision decision =
        DecideTick(directory.State(), period, now.wall, planned, NetworkNow(directory.State().clock, now));
    if (!decision.due) continue;
    TickState state = directory.State();
    if (decision.mode == RenewalMode::Renew) state.lastRunStarted = now.wall;
    directory.KeepState(state);
    const std::int64_t at = t + decision.waitSeconds;
    r.plan = directory.Plan();
    r.Run(at, decision.mode, decision.reason == TickReason::PlannedRun);
    directory.KeepPlan(r.plan);
    if (decision.mode == RenewalMode::Renew) state.lastRunEnded = r.computer.At(at).wall;
    state.clock = r.reading;
    directory.KeepState(state);
    lockedUntil = at;
  }
}

void CountFaults(ScheduleFigures& figures, const ProgramReplay& r) {
  Count(figures, r.panel, r.requests);
  figures.timePageReads += r.timePageReads;
  figures.plannedRunsTooClose += r.plannedRunsTooClose;
  figures.periodRunsEarly += r.periodRunsEarly;
  figures.mostPeriodRunsEarlyInAWindow = std::max(figures.mostPeriodRunsEarlyInAWindow, r.periodRunsEarly);
  figures.emptyReads += r.panel.emptyRead ? 1 : 0;
  figures.falseLateWarnings += r.falseLateWarnings;
  if (!r.panel.cut) return;
  ++figures.cutAnswers;
  const std::int64_t nextOpens = r.window.expiry + kRenewalAdds - kDay;
  if (r.panel.nextRenewedAt && *r.panel.nextRenewedAt - nextOpens <= 6 * kMinute) ++figures.nextWindowsOnTime;
}

double NearestRank(const std::vector<double>& sorted, double share) {
  if (sorted.empty()) return std::numeric_limits<double>::quiet_NaN();
  const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
  return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

std::string Share(int part, int whole) {
  char text[64];
  std::snprintf(text, sizeof text, "%d of %d (%.1f %%)", part, whole, whole ? 100.0 * part / whole : 0.0);
  return text;
}

const char* Met(bool goal) { return goal ? "met" : "NOT met"; }

bool NoBurst(const ScheduleFigures& faults, const ScheduleFigures& plan) {
  return faults.plannedRunsTooClose == 0 && faults.mostPeriodRunsEarlyInAWindow <= 1 &&
         faults.mostRequestsInAWindow <= 2 * plan.mostRequestsInAWindow;
}

// The replay with faults: a row per cadence, then one per clock fault and cadence, then the goals.
std::string FaultsMarkdown(const ReplayFigures& f, double plainRequests) {
  std::string text =
      "\nWith faults, the same windows through each program's cadence: in every window one run from an hour before "
      "the opening reads an empty expiry, the computer's clock is wrong (in turn: right, 8 hours behind, 40 minutes "
      "ahead, 3 years ahead, stepped 3 years ahead or back at a moment inside the window; the monotonic clock "
      "right), and in one window of three the renewal that took effect loses its answer (no verdict; the window "
      "counts as renewed, and the replay goes on to the next window). Time-page reads are the tick's own before "
      "it decides, one request each; the panel's requests are counted as above.\n\n"
      "| program | windows renewed | of those answering 10 min | median, minutes | 95th percentile | panel requests "
      "per window | against the plain schedule | most in one window | time-page reads per window | planned runs "
      "less than 2 min apart | N-hour runs early, most in one window | windows with an empty read | after a cut "
      "answer, the next window renewed within 6 min of its opening | late-warning pushes for a window the "
      "provider had renewed |\n"
      "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n";
  char row[1024];
  for (int cadence = 0; cadence < kCadences; ++cadence) {
    const ScheduleFigures& s = f.faults[cadence];
    const double requests = static_cast<double>(s.requests) / f.windows;
    std::snprintf(
        row, sizeof row, "| %s | %s | %s | %.1f | %.1f | %.1f | %.2fx | %d | %.1f | %d | %d | %d | %s | %d |\n",
        std::string(CadenceName(static_cast<Cadence>(cadence))).c_str(), Share(s.renewed, f.windows).c_str(),
        Share(s.answeringRenewed, f.answering).c_str(), s.MedianMinutes(), s.Percentile95Minutes(), requests,
        plainRequests > 0 ? requests / plainRequests : 0.0, s.mostRequestsInAWindow,
        static_cast<double>(s.timePageReads) / f.windows, s.plannedRunsTooClose, s.mostPeriodRunsEarlyInAWindow,
        s.emptyReads, Share(s.nextWindowsOnTime, s.cutAnswers).c_str(), s.falseLateWarnings);
    text += row;
  }

  text +=
      "\nBy the fault of the computer's clock:\n\n"
      "| clock | program | of the windows answering 10 min, renewed | median, minutes | 95th percentile | panel "
      "requests per window | most in one window | planned runs less than 2 min apart | N-hour runs early, most in "
      "one window |\n"
      "|---|---|---|---|---|---|---|---|---|\n";
  for (int clock = 0; clock < kClockFaults; ++clock) {
    for (int cadence = 0; cadence < kCadences; ++cadence) {
      const ScheduleFigures& s = f.faultsByClock[cadence][clock];
      const int windows = f.windowsByClock[clock];
      std::snprintf(row, sizeof row, "| %s | %s | %s | %.1f | %.1f | %.1f | %d | %d | %d |\n",
                    std::string(ClockFaultName(static_cast<ClockFault>(clock))).c_str(),
                    std::string(CadenceName(static_cast<Cadence>(cadence))).c_str(),
                    Share(s.answeringRenewed, f.answeringByClock[clock]).c_str(), s.MedianMinutes(),
                    s.Percentile95Minutes(), windows ? static_cast<double>(s.requests) / windows : 0.0,
                    s.mostRequestsInAWindow, s.plannedRunsTooClose, s.mostPeriodRunsEarlyInAWindow);
      text += row;
    }
  }

  for (int cadence = 0; cadence < kCadences; ++cadence) {
    const ScheduleFigures& s = f.faults[cadence];
    const double ratio = plainRequests > 0 ? static_cast<double>(s.requests) / f.windows / plainRequests : 0.0;
    text += "\nGoals with faults, " + std::string(CadenceName(static_cast<Cadence>(cadence))) + ":\n\n";
    std::snprintf(row, sizeof row, "- renewed in every window answering 10 minutes in a row: %s, %s\n",
                  Share(s.answeringRenewed, f.answering).c_str(), Met(s.answeringRenewed == f.answering));
    text += row;
    std::snprintf(row, sizeof row, "- median at most 6 minutes: %.1f, %s\n", s.MedianMinutes(),
                  Met(s.MedianMinutes() <= 6.0));
    text += row;
    std::snprintf(row, sizeof row, "- at most 5x the plain schedule's panel requests: %.2fx, %s\n", ratio,
                  Met(ratio <= 5.0));
    text += row;
    std::snprintf(row, sizeof row,
                  "- no burst: planned runs less than 2 minutes apart %d; N-hour runs early at most one in a window "
                  "(%d); the most requests in one window at most twice the plan's without faults (%d against %d): "
                  "%s\n",
                  s.plannedRunsTooClose, s.mostPeriodRunsEarlyInAWindow, s.mostRequestsInAWindow,
                  f.plan.mostRequestsInAWindow, Met(NoBurst(s, f.plan)));
    text += row;
    std::snprintf(row, sizeof row, "- after a cut answer the next window renewed on time: %s, %s\n",
                  Share(s.nextWindowsOnTime, s.cutAnswers).c_str(), Met(s.nextWindowsOnTime == s.cutAnswers));
    text += row;
  }
  return text;
}

}  // namespace

double ScheduleFigures::MedianMinutes() const { return NearestRank(minutesToRenewal, 0.5); }
double ScheduleFigures::Percentile95Minutes() const { return NearestRank(minutesToRenewal, 0.95); }

std::string_view ClockFaultName(ClockFault fault) {
  switch (fault) {
    case ClockFault::None: return "right";
    case ClockFault::Behind8Hours: return "8 hours behind";
    case ClockFault::Ahead40Minutes: return "40 minutes ahead";
    case ClockFault::Ahead3Years: return "3 years ahead";
    case ClockFault::SteppedAhead3Years: return "stepped 3 years ahead inside the window";
    case ClockFault::SteppedBack3Years: return "stepped 3 years back inside the window";
  }
  return "";
}

std::string_view CadenceName(Cadence cadence) {
  switch (cadence) {
    case Cadence::Window: return "korvan.exe: the N-hour timer, the 30-second watch by the network time";
    case Cadence::WindowByComputerClock:
      return "korvan.exe, its watch by the computer's clock (as before this round, for comparison)";
    case Cadence::LinuxTick: return "korvan tick every 5 minutes, up to 30 s late";
  }
  return "";
}

ReplayFigures Replay(int windows, std::uint64_t seed, int tickHours, bool withFaults) {
  ReplayFigures figures;
  figures.windows = windows;
  figures.tickHours = tickHours;
  Random random(seed);
  // Streams of their own, so that the faults leave the replay without them as it was.
  Random faultRandom(seed ^ 0x6661756C74730000);
  Random jitter(seed ^ 0x7469636B73000000);
  const std::int64_t tick = tickHours * kHour;
  for (int index = 0; index < windows; ++index) {
    const Window window = MakeWindow(index, random);
    const auto firstTick = window.replayStart + static_cast<std::int64_t>(random.Between(0, static_cast<double>(tick)));
    figures.answering += Answers(window, 10 * kMinute) ? 1 : 0;
    figures.answeringAnHour += Answers(window, kHour) ? 1 : 0;

    Panel plain(window);
    for (std::int64_t t = firstTick; t < window.expiry; t += tick)
      plain.Visit(t, RenewalMode::Renew);
    Count(figures.plain, plain, plain.requests);
    const Panel plan = ReplayPlan(window, firstTick, tick, false, figures.plan);
    Count(figures.plan, plan, plan.requests);
    const Panel planHourSteps = ReplayPlan(window, firstTick, tick, true, figures.planHourSteps);
    Count(figures.planHourSteps, planHourSteps, planHourSteps.requests);
    if (!withFaults) continue;

    const Faults faults = DrawFaults(index, window, faultRandom);
    const auto clock = static_cast<int>(faults.clock);
    ++figures.windowsByClock[clock];
    figures.answeringByClock[clock] += Answers(window, 10 * kMinute) ? 1 : 0;
    for (const Cadence cadence : {Cadence::Window, Cadence::WindowByComputerClock, Cadence::LinuxTick}) {
      ProgramReplay replay(window, faults, firstTick, tick);
      if (cadence == Cadence::LinuxTick) {
        ReplayLinuxProgram(replay, firstTick, jitter);
      } else {
        ReplayWindowProgram(replay, firstTick, faults.watchPhase, cadence == Cadence::WindowByComputerClock);
      }
      CountFaults(figures.faults[static_cast<int>(cadence)], replay);
      CountFaults(figures.faultsByClock[static_cast<int>(cadence)][clock], replay);
    }
  }
  for (ScheduleFigures* schedule : {&figures.plain, &figures.plan, &figures.planHourSteps})
    std::sort(schedule->minutesToRenewal.begin(), schedule->minutesToRenewal.end());
  for (int cadence = 0; cadence < kCadences; ++cadence) {
    std::sort(figures.faults[cadence].minutesToRenewal.begin(), figures.faults[cadence].minutesToRenewal.end());
    for (ScheduleFigures& byClock : figures.faultsByClock[cadence])
      std::sort(byClock.minutesToRenewal.begin(), byClock.minutesToRenewal.end());
  }
  return figures;
}

std::string MarkdownTable(const ReplayFigures& f) {
  const double plainRequests = static_cast<double>(f.plain.requests) / f.windows;
  std::string text =
      "| schedule | windows renewed | of those answering 10 min | of those answering 60 min | minutes from the "
      "opening to the renewal, median | 95th percentile | requests per window | against the plain schedule |\n"
      "|---|---|---|---|---|---|---|---|\n";
  char row[512];
  const auto addRow = [&](const std::string& name, const ScheduleFigures& s) {
    const double requests = static_cast<double>(s.requests) / f.windows;
    std::snprintf(row, sizeof row, "| %s | %s | %s | %s | %.1f | %.1f | %.1f | %.2fx |\n", name.c_str(),
                  Share(s.renewed, f.windows).c_str(), Share(s.answeringRenewed, f.answering).c_str(),
                  Share(s.answeringAnHourRenewed, f.answeringAnHour).c_str(), s.MedianMinutes(),
                  s.Percentile95Minutes(), requests, plainRequests > 0 ? requests / plainRequests : 0.0);
    text += row;
  };
  addRow("plain: a renewal run every " + std::to_string(f.tickHours) + " hours", f.plain);
  addRow(
      "plan (built): the same runs, a check 30 min before the opening, a renewal run 5 min after it, retries "
      "after 2, 5, then every 10 min",
      f.plan);
  addRow("not built, for comparison: the plan with its retries after 2, 5, 10, 20, 40, then every 60 min",
         f.planHourSteps);

  const double ratio = plainRequests > 0 ? static_cast<double>(f.plan.requests) / f.windows / plainRequests : 0.0;
  const auto met = [](bool goal) { return goal ? "met" : "NOT met"; };
  text += "\nGoals of the plan (built):\n\n";
  std::snprintf(row, sizeof row,
                "- renewed in every window in which the panel answered for 10 minutes in a row between 5 minutes "
                "after the opening and 10 minutes before the expiry: %s, %s\n",
                Share(f.plan.answeringRenewed, f.answering).c_str(), met(f.plan.answeringRenewed == f.answering));
  text += row;
  std::snprintf(row, sizeof row, "- median at most 6 minutes: %.1f, %s\n", f.plan.MedianMinutes(),
                met(f.plan.MedianMinutes() <= 6.0));
  text += row;
  std::snprintf(row, sizeof row, "- at most 5x the plain schedule's requests: %.2fx, %s\n", ratio, met(ratio <= 5.0));
  text += row;
  std::snprintf(row, sizeof row, "- planned runs less than 2 minutes apart: %d, %s\n", f.plan.plannedRunsTooClose,
                met(f.plan.plannedRunsTooClose == 0));
  text += row;
  if (f.faults[0].minutesToRenewal.empty() && f.faults[0].requests == 0) return text;
  return text + FaultsMarkdown(f, plainRequests);
}

}  // namespace korvan::plan_replay

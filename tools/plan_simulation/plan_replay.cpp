#include "plan_simulation/plan_replay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <utility>

#include "plan/renewal_plan.h"
#include "renewal/run_messages.h"

namespace korvan::plan_replay {
namespace {

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 24 * kHour;
constexpr std::int64_t kFirstExpiry = 1767225600;  // 2026-01-01 08:00 UTC+8
constexpr std::int64_t kRenewalAdds = 30 * kDay;
constexpr int kMostRunsPerWindow = 5000;
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
  std::int64_t requests = 0;

  explicit Panel(const Window& w) : window(w), expiry(w.expiry) {}

  RunReport Visit(std::int64_t t, RenewalMode mode) {
    RunReport report;
    if (!window.Up(t)) {
      requests += 1;
      return Said(report, JoinTexts("user", kLoginFailedEnding), RunOutcome::LoginFailed);
    }
    Said(report, kLoggedIn, RunOutcome::None);
    report.vpsId = "7";
    report.expiry = PanelTimeText(expiry);
    Said(report, JoinTexts(kExpiryLabel, report.expiry), RunOutcome::None);
    if (mode == RenewalMode::CheckOnly) {
      requests += 3;
      return Said(report, kCheckDoneMessage, RunOutcome::CheckDone);
    }
    requests += 4;
    if (t < expiry - kDay || t >= expiry) return Said(report, kOnlyWithinOneDayMessage, RunOutcome::TooEarly);
    renewedAt = t;
    expiry += kRenewalAdds;
    return Said(report, kRenewedMessage, RunOutcome::Renewed);
  }

  // One entry of the run as the job logs it, with what it says of the run: the plan takes a renewal
  // only from the entry that says so.
  static RunReport& Said(RunReport& report, std::string_view message, RunOutcome outcome) {
    RecordRunEntry(report, "", message, outcome);
    return report;
  }
};

void Count(ScheduleFigures& figures, const Panel& panel) {
  figures.requests += panel.requests;
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

// The N-hour runs and the plan's, one at a time through one gate.
Panel ReplayPlan(const Window& window,
                 std::int64_t firstTick,
                 std::int64_t tick,
                 bool hourSteps,
                 ScheduleFigures& figures) {
  Panel panel(window);
  // The plan knows the expiry from a run of the cycle before.
  RunReport before;
  before.vpsId = "7";
  before.expiry = PanelTimeText(window.expiry);
  Panel::Said(before, JoinTexts(kExpiryLabel, before.expiry), RunOutcome::None);
  RenewalPlan plan = PlanAfterRun({}, before, false, window.replayStart - kHour).plan;
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

}  // namespace

double ScheduleFigures::MedianMinutes() const { return NearestRank(minutesToRenewal, 0.5); }
double ScheduleFigures::Percentile95Minutes() const { return NearestRank(minutesToRenewal, 0.95); }

ReplayFigures Replay(int windows, std::uint64_t seed, int tickHours) {
  ReplayFigures figures;
  figures.windows = windows;
  figures.tickHours = tickHours;
  Random random(seed);
  const std::int64_t tick = tickHours * kHour;
  for (int index = 0; index < windows; ++index) {
    const Window window = MakeWindow(index, random);
    const auto firstTick = window.replayStart + static_cast<std::int64_t>(random.Between(0, static_cast<double>(tick)));
    figures.answering += Answers(window, 10 * kMinute) ? 1 : 0;
    figures.answeringAnHour += Answers(window, kHour) ? 1 : 0;

    Panel plain(window);
    for (std::int64_t t = firstTick; t < window.expiry; t += tick)
      plain.Visit(t, RenewalMode::Renew);
    Count(figures.plain, plain);
    Count(figures.plan, ReplayPlan(window, firstTick, tick, false, figures.plan));
    Count(figures.planHourSteps, ReplayPlan(window, firstTick, tick, true, figures.planHourSteps));
  }
  for (ScheduleFigures* schedule : {&figures.plain, &figures.plan, &figures.planHourSteps})
    std::sort(schedule->minutesToRenewal.begin(), schedule->minutesToRenewal.end());
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
  return text;
}

}  // namespace korvan::plan_replay

#include "run/run_once.h"

#include <optional>

#include "run/next_run.h"

namespace korvan {

RunReport RunOnce(const RunPorts& ports, const RunSnapshot& snapshot, RenewalMode mode) {
  const bool history = snapshot.advanced.history;
  const auto appendLog = [&](std::string_view message, RunOutcome outcome = RunOutcome::None) {
    return ports.appendLog(message, history, outcome);
  };
  PingRunStarting(snapshot.alerts, ports.send);

  RenewalPorts renewal;
  renewal.request = RequestWithCookies(*ports.cookies, ports.exchange);
  renewal.userName = [&snapshot] { return snapshot.userName; };
  renewal.password = [&snapshot] { return snapshot.password; };
  renewal.appendLog = appendLog;
  renewal.setLoginOk = ports.setLoginOk;
  renewal.settings = [advanced = snapshot.advanced] { return RunSettings{advanced.verify, advanced.deadline}; };
  renewal.mode = mode;
  const std::uint64_t resumesBefore = ports.plan ? ports.plan->Resumes() : 0;
  RunReport report;
  {
    const PanelCookies::RunScope underWay(*ports.cookies);
    report = RenewFreeVps(renewal);
  }

  // Without deadline the network time is not asked for here: the run stays what it always was.
  std::optional<PlanStep> planned;
  // Read when a push is made, so a retry this run planned is the next run it names.
  const auto nextCheck = [&] {
    const std::int64_t now = ports.networkNow();
    const std::optional<RenewalPlan> plan = planned ? std::optional(planned->plan) : std::nullopt;
    return NextRunText(ChooseNextRun(PeriodicRunAt(ports.millisecondsToPeriodicRun(), now), plan), now);
  };
  const AlertPorts alerts{.send = ports.send,
                          .appendLog = [&](std::string_view message) { appendLog(message); },
                          .unixMilliseconds = ports.unixMilliseconds,
                          .nextCheck = nextCheck};
  if (snapshot.advanced.deadline && ports.plan) {
    const std::int64_t now = ports.unixMilliseconds() / 1000;
    const RenewalPlan current = ports.plan->Current(history);
    // A password saved while this run tried the old one: that refusal is no reason to wait for another.
    const bool savedDuringRun = ports.plan->Resumes() != resumesBefore;
    planned = report.outcome == RunOutcome::WrongPassword && savedDuringRun
                  ? PlanStep{current, {}}
                  : PlanAfterRun(current, report, snapshot.advanced.verify, now);
    for (const Text& entry : planned->entries)
      appendLog(entry);
    if (LateWarningDue(planned->plan, now)) {
      PushExpiringSoon(snapshot.alerts, report, alerts);
      planned->plan.lateWarned = true;
    }
    ports.plan->Keep(planned->plan, history);
  }

  // The pushes come first: their streak is the record as it stood before this run.
  PushRunFinished(snapshot.alerts, report, StreakOfRecord(ports.record->Current(history)), alerts);
  ports.record->Record(report, history);
  return report;
}

}  // namespace korvan

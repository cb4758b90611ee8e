#include "run/run_once.h"

namespace korvan {

RunReport RunOnce(const RunPorts& ports, const RunSnapshot& snapshot, RenewalMode mode) {
  const bool history = snapshot.advanced.history;
  const auto appendLog = [&](std::string_view message) { return ports.appendLog(message, history); };
  PingRunStarting(snapshot.alerts, ports.send);

  RenewalPorts renewal;
  renewal.request = RequestWithCookies(*ports.cookies, ports.exchange);
  renewal.userName = ports.userName;
  renewal.password = ports.password;
  renewal.appendLog = appendLog;
  renewal.setLoginOk = ports.setLoginOk;
  renewal.settings = [verify = snapshot.advanced.verify] { return RunSettings{verify}; };
  renewal.mode = mode;
  RunReport report;
  {
    const PanelCookies::RunScope underWay(*ports.cookies);
    report = RenewFreeVps(renewal);
  }

  // The pushes come first: their streak is the record as it stood before this run.
  const AlertPorts alerts{.send = ports.send,
                          .appendLog = [&](std::string_view message) { appendLog(message); },
                          .unixMilliseconds = ports.unixMilliseconds,
                          .nextCheck = ports.nextCheck};
  PushRunFinished(snapshot.alerts, report, StreakOfRecord(ports.record->Current(history)), alerts);
  ports.record->Record(report, history);
  return report;
}

}  // namespace korvan

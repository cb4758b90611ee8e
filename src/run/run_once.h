// One whole run of the program: the heartbeat's start ping, RenewFreeVps with its entries, with
// deadline on the plan's entries and its late warning, the run's pushes and end ping, and the
// record's update, all on the settings read at its start. The pushes name the next run (next_run.h)
// as the plan stands after this run. The platform gives the ports; the run's logic is all here, so
// every front end runs the same.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "renewal/panel_state.h"
#include "renewal/renew_free_vps.h"
#include "renewal/run_report.h"
#include "run/plan_book.h"
#include "run/run_alerts.h"
#include "run/run_record_book.h"
#include "run/run_snapshot.h"

namespace korvan {

struct RunPorts {
  PanelCookies* cookies = nullptr;  // the run's cookie text; the site view may import into it
  CookieExchange exchange;          // one HTTP exchange with the panel
  // Writes one entry (to korvan.log too when history is on) and gives its stamp; outcome: what the
  // entry says of the run (None for the plan's and the pushes' entries).
  std::function<Text(std::string_view message, bool history, RunOutcome outcome)> appendLog;
  std::function<void(bool)> setLoginOk;
  PushPort send;                                   // one push or ping
  std::function<std::int64_t()> unixMilliseconds;  // the network time, to sign DingTalk pushes
  // For the pushes' 下次检查, asked after the run's outcome updated the plan: the network time by
  // the latest read (Unix seconds, no request) and the milliseconds the N-hour run's timer has left
  // (0 when it is stopped).
  std::function<std::int64_t()> networkNow;
  std::function<std::int64_t()> millisecondsToPeriodicRun;
  RunRecordBook* record = nullptr;
  PlanBook* plan = nullptr;  // with deadline on: the plan of runs around the renewal window
};

RunReport RunOnce(const RunPorts& ports, const RunSnapshot& snapshot, RenewalMode mode);

}  // namespace korvan

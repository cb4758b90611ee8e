// The alerts of the program's runs, on the settings of korvan.ini: the heartbeat's start ping, the
// pushes and end ping of a finished run, and the test button's messages. Everything goes through
// ports, so the sequence is tested natively; with no channel and no heartbeat set, nothing is sent,
// logged or asked for.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "alerts/alert_fields.h"
#include "alerts/alert_policy.h"
#include "alerts/push_sender.h"
#include "run/run_record.h"
#include "renewal/run_report.h"

namespace korvan {

struct AlertPorts {
  PushPort send;
  std::function<void(std::string_view message)> appendLog;
  std::function<std::int64_t()> unixMilliseconds;  // the network time, asked only to sign DingTalk pushes
  std::function<Text()> nextCheck;                 // when the next run is due, asked only for a push
};

// The push channels that are set, in the order of the settings; the heartbeat is not among them.
std::vector<PushTarget> PushTargets(const AlertSettings& settings);

// GET heartbeat + "/start"; nothing for an Uptime Kuma monitor. Its failure is not logged: the run's
// own entries come first, and the end ping reports a monitor that cannot be reached.
void PingRunStarting(const AlertSettings& settings, const PushPort& send);

// The run's push to every channel when the notify choice and the streak call for one, then the end
// ping. Each channel that fails logs one "推送失败" entry; a delivered one logs nothing.
void PushRunFinished(const AlertSettings& settings,
                     const RunReport& run,
                     FailureStreak before,
                     const AlertPorts& ports);

// "Korvan：即将到期，尚未续期" to every channel, whatever the notify choice; a channel that fails
// logs one "推送失败" entry.
void PushExpiringSoon(const AlertSettings& settings, const RunReport& run, const AlertPorts& ports);

// "Korvan：测试消息" to every channel now, and a success ping with that text to the heartbeat: one
// result per channel in the order of the settings, the heartbeat last; none when nothing is set.
std::vector<PushTestResult> SendTestMessages(const AlertSettings& settings,
                                             std::string_view userName,
                                             std::string_view stamp,
                                             const AlertPorts& ports);

}  // namespace korvan

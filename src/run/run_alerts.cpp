#include "run/run_alerts.h"

#include "alerts/alert_message.h"
#include "alerts/push_answers.h"

namespace korvan {

namespace {

// The network time is read only when a DingTalk push is to be signed.
DingTalkSigning SigningFor(const AlertSettings& settings, const AlertPorts& ports) {
  if (settings.dingtalk.empty() || settings.dingtalkSecret.empty()) return {};
  return DingTalkSigning{settings.dingtalkSecret, ports.unixMilliseconds()};
}

void LogFailures(const std::vector<PushTarget>& targets,
                 const std::vector<PushDelivery>& deliveries,
                 const AlertPorts& ports) {
  for (std::size_t i = 0; i < targets.size() && i < deliveries.size(); ++i) {
    if (!deliveries[i].delivered) ports.appendLog(PushFailureEntry(targets[i].channel, deliveries[i].reason));
  }
}

}  // namespace

std::vector<PushTarget> PushTargets(const AlertSettings& settings) {
  std::vector<PushTarget> targets;
  for (const AlertField& field : kAlertFields) {
    const Text& url = settings.*field.value;
    if (field.channel && *field.channel != PushChannel::Heartbeat && !url.empty())
      targets.push_back(PushTarget{*field.channel, url});
  }
  return targets;
}

void PingRunStarting(const AlertSettings& settings, const PushPort& send) {
  if (settings.heartbeat.empty()) return;
  if (const std::optional<PushRequest> start = HeartbeatStartRequest(settings.heartbeat)) send(*start);
}

void PushRunFinished(const AlertSettings& settings,
                     const RunReport& run,
                     FailureStreak before,
                     const AlertPorts& ports) {
  if (!AnyAlertConfigured(settings)) return;
  const std::vector<PushTarget> targets = PushTargets(settings);
  const std::optional<AlertEvent> event = AlertEventOfRun(NotifyModeFromSetting(settings.notify), run, before);
  if (event && !targets.empty()) {
    const AlertMessage message = MakeRunAlert(*event, run, run.entries.back().stamp, ports.nextCheck());
    LogFailures(targets, SendPushes(targets, message, SigningFor(settings, ports), ports.send), ports);
  }
  if (!settings.heartbeat.empty()) {
    const PushDelivery ping = SendHeartbeatEnd(settings.heartbeat, run, ports.send);
    if (!ping.delivered) ports.appendLog(PushFailureEntry(PushChannel::Heartbeat, ping.reason));
  }
}

void PushExpiringSoon(const AlertSettings& settings, const RunReport& run, const AlertPorts& ports) {
  const std::vector<PushTarget> targets = PushTargets(settings);
  if (targets.empty() || run.entries.empty()) return;
  const AlertMessage message = MakeRunAlert(AlertEvent::ExpiringSoon, run, run.entries.back().stamp, ports.nextCheck());
  LogFailures(targets, SendPushes(targets, message, SigningFor(settings, ports), ports.send), ports);
}

std::vector<PushTestResult> SendTestMessages(const AlertSettings& settings,
                                             std::string_view userName,
                                             std::string_view stamp,
                                             const AlertPorts& ports) {
  if (!AnyAlertConfigured(settings)) return {};
  const AlertMessage message = MakeTestAlert(userName, stamp);
  const std::vector<PushTarget> targets = PushTargets(settings);
  const std::vector<PushDelivery> deliveries = SendPushes(targets, message, SigningFor(settings, ports), ports.send);
  std::vector<PushTestResult> results;
  for (std::size_t i = 0; i < targets.size(); ++i)
    results.push_back(PushTestResultOf(targets[i].channel, deliveries[i]));
  if (!settings.heartbeat.empty()) {
    RunReport test;
    RecordRunEntry(test, stamp, AlertTitle(AlertEvent::Test, test), RunOutcome::None);
    results.push_back(PushTestResultOf(PushChannel::Heartbeat, SendHeartbeatEnd(settings.heartbeat, test, ports.send)));
  }
  return results;
}

}  // namespace korvan

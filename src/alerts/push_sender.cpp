#include "alerts/push_sender.h"

namespace korvan {

PushDelivery SendPush(const PushTarget& target,
                      const AlertMessage& message,
                      const DingTalkSigning& signing,
                      const PushPort& send) {
  const std::optional<PushRequest> request = PushChannelRequest(target.channel, target.url, message, signing);
  if (!request) return UnusableUrlDelivery(target.url);
  const PushAnswer answer = send(*request);
  return ReadPushAnswer(target.channel, answer.statusCode, answer.body);
}

std::vector<PushDelivery> SendPushes(const std::vector<PushTarget>& targets,
                                     const AlertMessage& message,
                                     const DingTalkSigning& signing,
                                     const PushPort& send) {
  std::vector<PushDelivery> deliveries;
  deliveries.reserve(targets.size());
  for (const PushTarget& target : targets)
    deliveries.push_back(SendPush(target, message, signing, send));
  return deliveries;
}

PushDelivery SendHeartbeatEnd(std::string_view url, const RunReport& run, const PushPort& send) {
  const std::optional<PushRequest> ping = HeartbeatEndRequest(url, run);
  if (!ping) return UnusableUrlDelivery(url);
  const PushAnswer answer = send(*ping);
  return ReadPushAnswer(PushChannel::Heartbeat, answer.statusCode, answer.body);
}

}  // namespace korvan

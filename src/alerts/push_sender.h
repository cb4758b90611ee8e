// Sending one message to every configured channel through a port that does the HTTP exchange, so
// the order, the reading of each answer and the failures are checked natively.
#pragma once

#include <functional>
#include <vector>

#include "alerts/alert_message.h"
#include "alerts/push_answers.h"
#include "alerts/push_channels.h"
#include "runtime/text/text.h"

namespace korvan {

struct PushAnswer {
  int statusCode = 0;  // 0: no answer at all
  ByteSet body;
};

// One exchange; it never throws and ends in bounded time.
using PushPort = std::function<PushAnswer(const PushRequest&)>;

// The time-out each program gives a push or ping, the request object's or libcurl's.
inline constexpr int kPushTimeoutSeconds = 10;

// A channel and the URL the user pasted for it.
struct PushTarget {
  PushChannel channel = PushChannel::Webhook;
  Text url;
};

// The push of message to one target: UnusableUrlDelivery without any request when its URL is not usable.
PushDelivery SendPush(const PushTarget& target,
                      const AlertMessage& message,
                      const DingTalkSigning& signing,
                      const PushPort& send);

// SendPush to every target in order, each tried whatever the ones before gave; one delivery per target.
std::vector<PushDelivery> SendPushes(const std::vector<PushTarget>& targets,
                                     const AlertMessage& message,
                                     const DingTalkSigning& signing,
                                     const PushPort& send);

// The heartbeat's end ping of run (HeartbeatEndRequest), read as delivered on any 2xx;
// UnusableUrlDelivery without any request when the URL is not usable.
PushDelivery SendHeartbeatEnd(std::string_view url, const RunReport& run, const PushPort& send);

}  // namespace korvan

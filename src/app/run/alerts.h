// The alerts' platform side: pushes and pings over HttpRequest, the network time that signs a
// DingTalk push, how long the renewal timer has left, and the test button's messages.
#pragma once

#include <cstdint>
#include <vector>

#include "alerts/push_sender.h"
#include "runtime/text/text.h"

namespace korvan {

struct AlertSettings;

// One push or ping, at most 10 seconds; never redirected, certificates checked.
PushAnswer PushOverHttp(const PushRequest& request);

// The time page's time as Unix milliseconds.
std::int64_t NetworkUnixMilliseconds();

// How long the renewal timer (the N-hour run) has left, 0 when it is not armed; read on the window's thread.
std::int64_t MillisecondsToPeriodicRun();

// "Korvan：测试消息" to every channel of settings now, and one result per channel (SendTestMessages);
// none when nothing is set. Blocks for up to 10 seconds a channel; not to be called on the window's
// thread.
std::vector<PushTestResult> SendTestAlerts(const AlertSettings& settings);

}  // namespace korvan

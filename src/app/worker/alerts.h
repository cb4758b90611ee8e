// The alerts' side of the window: how long the renewal timer has left, and the test button's messages.
#pragma once

#include <cstdint>

#include "alerts/push_sender.h"
#include "runtime/text/text.h"

namespace korvan {

struct AlertSettings;

// How long the renewal timer (the N-hour run) has left, 0 when it is not armed; read on the window's thread.
std::int64_t MillisecondsToPeriodicRun();

// "Korvan：测试消息" to every channel of settings now, and one result line per channel (CR LF between
// them), or "未填写任何推送地址". Blocks for up to 10 seconds a channel; not to be called on the
// window's thread.
Text SendTestAlerts(const AlertSettings& settings);

}  // namespace korvan

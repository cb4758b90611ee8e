// The test button's messages.
#pragma once

#include <cstdint>
#include <vector>

#include "alerts/push_sender.h"
#include "runtime/text/text.h"

namespace korvan {

struct AlertSettings;

// "Korvan：测试消息" to every channel of settings now, and one result per channel (SendTestMessages);
// none when nothing is set. Blocks for up to 10 seconds a channel; not to be called on the window's
// thread.
std::vector<PushTestResult> SendTestAlerts(const AlertSettings& settings);

}  // namespace korvan

// The test button's messages.
#pragma once

#include <cstdint>

#include "alerts/push_sender.h"
#include "runtime/text/text.h"

namespace korvan {

struct AlertSettings;

// "Korvan：测试消息" to every channel of settings now, and one result line per channel (CR LF between
// them), or "未填写任何推送地址". Blocks for up to 10 seconds a channel; not to be called on the
// window's thread.
Text SendTestAlerts(const AlertSettings& settings);

}  // namespace korvan

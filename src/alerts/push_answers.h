// Whether a push arrived, read from the service's answer, and the log entry of one that did not.
#pragma once

#include <string_view>

#include "alerts/push_channels.h"
#include "runtime/text/text.h"

namespace korvan {

// 无法连接: no answer at all (status 0).
inline constexpr std::string_view kNoAnswerReason = "\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3";
// 地址无效: the pasted URL is not one to request.
inline constexpr std::string_view kInvalidUrlReason = "\xB5\xD8\xD6\xB7\xCE\xDE\xD0\xA7";

struct PushDelivery {
  bool delivered = false;
  Text reason;  // code page 936, empty when delivered
  friend bool operator==(const PushDelivery&, const PushDelivery&) = default;
};

// Delivered on HTTP 2xx and, for a service that answers with a JSON code, that code saying success
// (Server酱 code 0, PushPlus code 200, WeCom and DingTalk errcode 0, Feishu code 0, Telegram ok true,
// Bark code 200). The reason of a failure: "无法连接" for status 0, else the status, followed for a
// 2xx answer by the service's code ("200，errcode=310000") or "答复无法识别" when the answer holds
// none. Any answer, garbage or megabytes, is read without throwing.
PushDelivery ReadPushAnswer(PushChannel channel, int statusCode, const ByteSet& answer);

// "推送失败：" + the service's name + "（" + reason + "）".
Text PushFailureEntry(PushChannel channel, std::string_view reason);

// The test button's line for one channel: the service's name, then "：成功" or "：失败（" reason "）".
Text PushTestResultText(PushChannel channel, const PushDelivery& delivery);

}  // namespace korvan

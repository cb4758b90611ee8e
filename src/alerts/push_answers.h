// Whether a push arrived, read from the service's answer, and the log entry of one that did not.
#pragma once

#include <string_view>
#include <vector>

#include "alerts/push_channels.h"
#include "runtime/text/text.h"

namespace korvan {

// 无法连接: no answer at all (status 0).
inline constexpr std::string_view kNoAnswerReason = "\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3";
// 地址无效: the pasted URL is not one to request.
inline constexpr std::string_view kInvalidUrlReason = "\xB5\xD8\xD6\xB7\xCE\xDE\xD0\xA7";
// 地址须以 http:// 或 https:// 开头: the test's word for a pasted URL without either scheme.
inline constexpr std::string_view kNoHttpSchemeReason =
    "\xB5\xD8\xD6\xB7\xD0\xEB\xD2\xD4 http:// \xBB\xF2 https:// \xBF\xAA\xCD\xB7";

// How a channel's answer is read (its row holds it): the field of its JSON object that holds the
// service's code and the code that means delivered (no field: any 2xx is delivered), and the text
// field in which the service explains a refusal (none: it says nothing worth showing).
struct PushAnswerReading {
  std::string_view codeField{};
  int successCode = 0;
  bool successIsTrue = false;  // the code is JSON true rather than a number
  std::string_view messageField{};
};

struct PushDelivery {
  bool delivered = false;
  Text reason;  // code page 936, empty when delivered
  // What the test results show instead of the reason when they can say more: the service's own
  // message after it, or what the URL lacks. Empty when the reason says all. The log keeps the
  // short reason, so its entries read as they always have.
  Text detailedReason{};
  friend bool operator==(const PushDelivery&, const PushDelivery&) = default;
};

// Delivered on HTTP 2xx and, for a service that answers with a JSON code, that code saying success
// (Server酱 code 0, PushPlus code 200, WeCom and DingTalk errcode 0, Feishu code 0, Telegram ok true,
// Bark code 200). The reason of a failure: "无法连接" for status 0, else the status, followed for a
// 2xx answer by the service's code ("200，errcode=310000") or "答复无法识别" when the answer holds
// none. The detailed reason adds the service's message, whatever the status ("200，errcode=310000，
// sign not match"): a text field of its JSON answer (Server酱 and Bark message, PushPlus, Feishu and
// Uptime Kuma msg, WeCom and DingTalk errmsg, Telegram description), in code page 936 on one line,
// cut to 120 bytes; then, for a refusal the service is known to give, what to do ("…，sign not match，
// 请检查钉钉加签密钥"). Any answer, garbage or megabytes, is read without throwing.
PushDelivery ReadPushAnswer(PushChannel channel, int statusCode, const ByteSet& answer);

// A push to the pasted URL that PushUrl refused, never sent: "地址无效", detailed as
// "地址须以 http:// 或 https:// 开头" when it lacks that beginning.
PushDelivery UnusableUrlDelivery(std::string_view pasted);

// "推送失败：" + the service's name + "（" + reason + "）".
Text PushFailureEntry(PushChannel channel, std::string_view reason);

// What a test of one channel gave, for the test button's lines and `korvan test-push`'s exit status.
struct PushTestResult {
  PushChannel channel = PushChannel::Webhook;
  bool delivered = false;
  Text message;  // code page 936: the detailed reason, else the reason; empty when delivered
  friend bool operator==(const PushTestResult&, const PushTestResult&) = default;
};

PushTestResult PushTestResultOf(PushChannel channel, const PushDelivery& delivery);

// The test's line for one channel: the service's name, then "：成功" or "：失败（" message "）".
Text PushTestResultText(const PushTestResult& result);

// 未填写任何推送地址: the test's answer when no channel and no heartbeat is set.
inline constexpr std::string_view kNothingToTestText =
    "\xCE\xB4\xCC\xEE\xD0\xB4\xC8\xCE\xBA\xCE\xCD\xC6\xCB\xCD\xB5\xD8\xD6\xB7";

// One line per result (PushTestResultText), CR LF between them; kNothingToTestText for none.
Text PushTestResultsText(const std::vector<PushTestResult>& results);

}  // namespace korvan

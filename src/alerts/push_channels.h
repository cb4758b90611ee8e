// The request each push service expects, built from the URL the user pasted and the message. Nothing
// here sends: the caller hands the request to the HTTP layer, so every byte is checked natively.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "alerts/alert_message.h"
#include "http/http_method.h"
#include "renewal/run_report.h"
#include "runtime/text/text.h"

namespace korvan {

// Where an alert goes: the push services, and the heartbeat's monitor. Heartbeat stays last: the
// check that each channel has one row counts up to it.
enum class PushChannel {
  ServerChan,
  PushPlus,
  WeCom,
  DingTalk,
  Feishu,
  Bark,
  Telegram,
  Webhook,
  Heartbeat,
};

// The service's name in the log and the test results (code page 936), e.g. "Server酱", "钉钉".
std::string_view PushServiceName(PushChannel channel);

inline constexpr std::string_view kJsonContentType = "application/json; charset=utf-8";
inline constexpr std::string_view kFormContentType = "application/x-www-form-urlencoded";
inline constexpr std::string_view kPlainTextContentType = "text/plain; charset=utf-8";

struct PushRequest {
  HttpMethod method = HttpMethod::Post;
  Text url;
  std::string_view contentType;  // empty for a request without a body
  ByteSet body;                  // UTF-8
  friend bool operator==(const PushRequest&, const PushRequest&) = default;
};

// With a secret, DingTalk requests are signed with the network time when it was read.
struct DingTalkSigning {
  Text secret;
  std::int64_t unixMilliseconds = 0;
};

// Each channel's push of message to url, a usable one (PushUrl's); named by the channel's row.
using PushRequestBuilder = PushRequest (*)(Text url, const AlertMessage& message, const DingTalkSigning& signing);

// Server酱 reads desp as Markdown, where a single line break joins the lines into one paragraph.
PushRequest ServerChanRequest(Text url, const AlertMessage& message, const DingTalkSigning& signing);
PushRequest PushPlusRequest(Text url, const AlertMessage& message, const DingTalkSigning& signing);
PushRequest WeComRequest(Text url, const AlertMessage& message, const DingTalkSigning& signing);
// Signed when signing has a secret.
PushRequest DingTalkRequest(Text url, const AlertMessage& message, const DingTalkSigning& signing);
PushRequest FeishuRequest(Text url, const AlertMessage& message, const DingTalkSigning& signing);
PushRequest BarkRequest(Text url, const AlertMessage& message, const DingTalkSigning& signing);
PushRequest TelegramRequest(Text url, const AlertMessage& message, const DingTalkSigning& signing);
// Every field of the message, for a receiver of the user's own.
PushRequest WebhookRequest(Text url, const AlertMessage& message, const DingTalkSigning& signing);

// The push of message to channel (not Heartbeat) at the pasted url by its row's request; none when
// the url is not a usable address (see PushUrl), and then nothing is to be sent.
std::optional<PushRequest> PushChannelRequest(PushChannel channel,
                                              std::string_view url,
                                              const AlertMessage& message,
                                              const DingTalkSigning& signing = {});

// The heartbeat monitor's pings: GET url + "/start" when a run begins; when it ends, POST url after a
// run that did not fail, POST url + "/fail" after a failed one, the run's log messages one a line as
// the UTF-8 body. None when the url is not usable.
// An Uptime Kuma push URL (its path ending in "/api/push/" + token) has no start ping; its end ping
// is GET url with status=up or status=down and msg=the run's result (UTF-8, form-encoded) set in
// its query, any other parameter (ping=) left as the user pasted it.
std::optional<PushRequest> HeartbeatStartRequest(std::string_view url);
std::optional<PushRequest> HeartbeatEndRequest(std::string_view url, const RunReport& run);

}  // namespace korvan

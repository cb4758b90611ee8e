#include "alerts/push_channels.h"

#include <nlohmann/json.hpp>

#include "alerts/alert_fields.h"
#include "alerts/dingtalk_sign.h"
#include "alerts/push_url.h"
#include "http/form_url_encode.h"
#include "runtime/text/encoding.h"

namespace korvan {

namespace {

// The fields in the order the services document them.
using Json = nlohmann::ordered_json;

ByteSet Bytes(std::string_view text) { return ByteSet(text.begin(), text.end()); }

// The texts are UTF-8 already; the replacing handler keeps a stray byte from ever throwing.
PushRequest JsonPost(Text url, const Json& body) {
  return PushRequest{HttpMethod::Post, std::move(url), kJsonContentType,
                     Bytes(body.dump(-1, ' ', false, Json::error_handler_t::replace))};
}

Json TextMessage(const AlertMessage& message) {
  return Json{{"msgtype", "text"}, {"text", {{"content", AlertContent(message)}}}};
}

// Uptime Kuma's push address ends its path in "api/push/" and the monitor's token; a proxy may put
// a prefix before it and Kuma's router takes a trailing "/" too.
bool IsUptimeKumaPushUrl(std::string_view url) {
  const std::size_t authorityStart = url.find("://") + 3;
  std::string_view path = url.substr(0, url.find_first_of("?#"));
  const std::size_t pathStart = path.find('/', authorityStart);
  if (pathStart == std::string_view::npos) return false;
  path.remove_prefix(pathStart);
  if (path.ends_with('/')) path.remove_suffix(1);
  const std::size_t tokenStart = path.rfind('/') + 1;
  return tokenStart < path.size() && path.substr(0, tokenStart).ends_with("/api/push/");
}

// Kuma has no start or fail paths: one GET whose status and msg say how the run ended.
PushRequest UptimeKumaPing(std::string_view url, const RunReport& run) {
  const Text message = FormUrlEncode(AnsiToUtf8(RunResultMessage(run)));
  const std::string_view status = IsFailedRun(run.outcome) ? "down" : "up";
  return PushRequest{HttpMethod::Get, SetUrlQuery(url, {{"status", status}, {"msg", message}}), {}, {}};
}

}  // namespace

// (Byte by byte: the text operations step by code page 936 characters, and this text is UTF-8.)
PushRequest ServerChanRequest(Text url, const AlertMessage& message, const DingTalkSigning&) {
  Text desp;
  for (const char character : message.text) {
    if (character == '\n') desp += '\n';
    desp += character;
  }
  const Text form = JoinTexts("title=", FormUrlEncode(message.title), "&desp=", FormUrlEncode(desp));
  return PushRequest{HttpMethod::Post, std::move(url), kFormContentType, Bytes(form)};
}

PushRequest PushPlusRequest(Text url, const AlertMessage& message, const DingTalkSigning&) {
  return JsonPost(std::move(url), Json{{"title", message.title}, {"content", message.text}, {"template", "txt"}});
}

PushRequest WeComRequest(Text url, const AlertMessage& message, const DingTalkSigning&) {
  return JsonPost(std::move(url), TextMessage(message));
}

PushRequest DingTalkRequest(Text url, const AlertMessage& message, const DingTalkSigning& signing) {
  Text signedUrl =
      signing.secret.empty() ? std::move(url) : DingTalkSignedUrl(url, signing.secret, signing.unixMilliseconds);
  return JsonPost(std::move(signedUrl), TextMessage(message));
}

PushRequest FeishuRequest(Text url, const AlertMessage& message, const DingTalkSigning&) {
  return JsonPost(std::move(url), Json{{"msg_type", "text"}, {"content", {{"text", AlertContent(message)}}}});
}

PushRequest BarkRequest(Text url, const AlertMessage& message, const DingTalkSigning&) {
  return JsonPost(std::move(url), Json{{"title", message.title}, {"body", message.text}, {"group", "Korvan"}});
}

PushRequest TelegramRequest(Text url, const AlertMessage& message, const DingTalkSigning&) {
  return JsonPost(std::move(url), Json{{"text", AlertContent(message)}});
}

PushRequest WebhookRequest(Text url, const AlertMessage& message, const DingTalkSigning&) {
  return JsonPost(std::move(url), Json{{"source", "korvan"},
                                       {"event", message.event},
                                       {"title", message.title},
                                       {"text", message.text},
                                       {"user", message.user},
                                       {"vps", message.vps},
                                       {"expiry", message.expiry},
                                       {"time", message.time}});
}

std::string_view PushServiceName(PushChannel channel) {
  const AlertField& field = AlertFieldOfChannel(channel);
  return field.serviceName.empty() ? field.caption : field.serviceName;
}

std::optional<PushRequest> PushChannelRequest(PushChannel channel,
                                              std::string_view url,
                                              const AlertMessage& message,
                                              const DingTalkSigning& signing) {
  const PushRequestBuilder request = AlertFieldOfChannel(channel).request;
  std::optional<Text> target = PushUrl(url);
  if (!request || !target) return std::nullopt;
  return request(std::move(*target), message, signing);
}

std::optional<PushRequest> HeartbeatStartRequest(std::string_view url) {
  const std::optional<Text> target = PushUrl(url);
  if (!target || IsUptimeKumaPushUrl(*target)) return std::nullopt;
  return PushRequest{HttpMethod::Get, AppendUrlPath(*target, "/start"), {}, {}};
}

std::optional<PushRequest> HeartbeatEndRequest(std::string_view url, const RunReport& run) {
  std::optional<Text> target = PushUrl(url);
  if (!target) return std::nullopt;
  if (IsUptimeKumaPushUrl(*target)) return UptimeKumaPing(*target, run);
  Text messages;
  for (std::size_t i = 0; i < run.entries.size(); ++i) {
    if (i > 0) messages += '\n';
    messages += run.entries[i].message;
  }
  // An outcome the run did not log (an unknown verdict without the verification) still says why.
  if (const std::string_view result = RunResultMessage(run);
      !run.entries.empty() && result != run.entries.back().message)
    messages += JoinTexts("\n", result);
  Text endUrl = IsFailedRun(run.outcome) ? AppendUrlPath(*target, "/fail") : std::move(*target);
  return PushRequest{HttpMethod::Post, std::move(endUrl), kPlainTextContentType, Bytes(AnsiToUtf8(messages))};
}

}  // namespace korvan

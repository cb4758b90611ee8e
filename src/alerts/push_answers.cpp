#include "alerts/push_answers.h"

#include <nlohmann/json.hpp>

#include <string>

#include "alerts/alert_fields.h"
#include "alerts/push_url.h"
#include "runtime/text/encoding.h"

namespace korvan {

namespace {

using Json = nlohmann::json;

// 推送失败：
constexpr std::string_view kPushFailedPrefix = "\xCD\xC6\xCB\xCD\xCA\xA7\xB0\xDC\xA3\xBA";
// （ and ）
constexpr std::string_view kOpenBracket = "\xA3\xA8";
constexpr std::string_view kCloseBracket = "\xA3\xA9";
// ，
constexpr std::string_view kComma = "\xA3\xAC";
// ：
constexpr std::string_view kColon = "\xA3\xBA";
// 答复无法识别
constexpr std::string_view kUnreadableAnswer = "\xB4\xF0\xB8\xB4\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0";
// 成功, 失败
constexpr std::string_view kSucceeded = "\xB3\xC9\xB9\xA6";
constexpr std::string_view kFailed = "\xCA\xA7\xB0\xDC";

// The services answer a few hundred bytes; anything far larger is not one of their answers and is
// not worth parsing.
constexpr std::size_t kLargestAnswer = 64 * 1024;
// A service's code shown in the log, cut so that a garbage value cannot flood the log.
constexpr std::size_t kLongestCodeText = 40;
// A service's message, cut so that a huge one cannot flood the test results.
constexpr std::size_t kLongestServiceMessage = 120;

// The code that means delivered, as its JSON value.
Json SuccessCode(const PushAnswerReading& reading) {
  return reading.successIsTrue ? Json(true) : Json(reading.successCode);
}

// A code counts only with the type the service uses: "0" as a text or 0.5 is not 0.
bool SameCode(const Json& found, const Json& expected) {
  if (expected.is_boolean()) return found.is_boolean() && found == expected;
  return found.is_number_integer() && found == expected;
}

// A line break or other control character in a text from the service would split the entry's one
// line; JSON's escapes leave DEL in place.
void KeepOnOneLine(Text& text) {
  for (char& character : text) {
    if (static_cast<unsigned char>(character) < 0x20 || character == 0x7F) character = ' ';
  }
}

Text CodeText(const Json& value) {
  std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  if (text.size() > kLongestCodeText) text.resize(kLongestCodeText);
  Text code = Utf8ToAnsi(text);
  KeepOnOneLine(code);
  return code;
}

// The answer as JSON; discarded when it is too large or no JSON.
Json ParseAnswer(const ByteSet& answer) {
  if (answer.size() > kLargestAnswer) return Json(Json::value_t::discarded);
  // Only the top level matters; deeper values are dropped while parsing, so a deeply nested garbage
  // answer never builds a deep tree (whose printing would recurse on the worker's small stack).
  const auto shallow = [](int depth, Json::parse_event_t, Json&) { return depth <= 2; };
  return Json::parse(answer.begin(), answer.end(), shallow, false);
}

// The service's message on one line of the program's text: a line break in it would split the
// test results' one line per channel too.
Text ServiceMessage(const PushAnswerReading& reading, const Json& answer) {
  const std::string_view field = reading.messageField;
  if (field.empty() || !answer.is_object()) return {};
  const auto found = answer.find(field);
  if (found == answer.end() || !found->is_string()) return {};
  Text message = Utf8ToAnsi(found->get_ref<const std::string&>());
  KeepOnOneLine(message);
  std::size_t kept = 0;
  while (kept < message.size()) {
    const std::size_t step = CharacterLength(message, kept);
    if (step == 0 || kept + step > kLongestServiceMessage) break;
    kept += step;
  }
  message.resize(kept);
  return TrimBlanks(message);
}

// What to do about a refusal a service is known to give, matched by the HTTP status (0: any), the
// service's code as the reason writes it (empty: any) and a part of its message (empty: any; letter
// case ignored). The first row that matches gives the hint.
struct AnswerHint {
  PushChannel channel;
  int status;
  std::string_view code;
  std::string_view message;
  std::string_view hint;  // code page 936
};

// clang-format off
constexpr AnswerHint kAnswerHints[] = {
    // 请检查钉钉加签密钥
    {PushChannel::DingTalk, 0, "310000", "sign not match", "\xC7\xEB\xBC\xEC\xB2\xE9\xB6\xA4\xB6\xA4\xBC\xD3\xC7\xA9\xC3\xDC\xD4\xBF"},
    // 请在钉钉安全设置中添加关键词 Korvan
    {PushChannel::DingTalk, 0, "310000", "keywords not in content",
     "\xC7\xEB\xD4\xDA\xB6\xA4\xB6\xA4\xB0\xB2\xC8\xAB\xC9\xE8\xD6\xC3\xD6\xD0\xCC\xED\xBC\xD3\xB9\xD8\xBC\xFC\xB4\xCA Korvan"},
    // 请检查钉钉 Webhook 地址中的 access_token ("token is not exist")
    {PushChannel::DingTalk, 0, "300001", {}, "\xC7\xEB\xBC\xEC\xB2\xE9\xB6\xA4\xB6\xA4 Webhook \xB5\xD8\xD6\xB7\xD6\xD0\xB5\xC4 access_token"},
    // 请检查 Server酱 的 SendKey
    {PushChannel::ServerChan, 0, "40001", {}, "\xC7\xEB\xBC\xEC\xB2\xE9 Server\xBD\xB4 \xB5\xC4 SendKey"},
    // 请检查 PushPlus 的 token ("无效的用户token")
    {PushChannel::PushPlus, 0, "903", {}, "\xC7\xEB\xBC\xEC\xB2\xE9 PushPlus \xB5\xC4 token"},
    // 请重新复制企业微信群机器人的 Webhook 地址 ("invalid webhook url": the key is wrong)
    {PushChannel::WeCom, 0, "93000", {},
     "\xC7\xEB\xD6\xD8\xD0\xC2\xB8\xB4\xD6\xC6\xC6\xF3\xD2\xB5\xCE\xA2\xD0\xC5\xC8\xBA\xBB\xFA\xC6\xF7\xC8\xCB\xB5\xC4 Webhook \xB5\xD8\xD6\xB7"},
    // 请检查 Telegram 机器人的 token: 401 for a wrong token, 404 for a malformed one
    {PushChannel::Telegram, 401, {}, {}, "\xC7\xEB\xBC\xEC\xB2\xE9 Telegram \xBB\xFA\xC6\xF7\xC8\xCB\xB5\xC4 token"},
    {PushChannel::Telegram, 404, {}, {}, "\xC7\xEB\xBC\xEC\xB2\xE9 Telegram \xBB\xFA\xC6\xF7\xC8\xCB\xB5\xC4 token"},
    // 请检查 chat_id，并先向机器人发一条消息
    {PushChannel::Telegram, 400, {}, "chat not found",
     "\xC7\xEB\xBC\xEC\xB2\xE9 chat_id\xA3\xAC\xB2\xA2\xCF\xC8\xCF\xF2\xBB\xFA\xC6\xF7\xC8\xCB\xB7\xA2\xD2\xBB\xCC\xF5\xCF\xFB\xCF\xA2"},
    // 请先在 Telegram 中向机器人发送 /start
    {PushChannel::Telegram, 403, {}, "can't initiate conversation",
     "\xC7\xEB\xCF\xC8\xD4\xDA Telegram \xD6\xD0\xCF\xF2\xBB\xFA\xC6\xF7\xC8\xCB\xB7\xA2\xCB\xCD /start"},
};
// clang-format on

std::string_view HintFor(PushChannel channel, int statusCode, std::string_view code, std::string_view message) {
  for (const AnswerHint& row : kAnswerHints) {
    if (row.channel != channel || (row.status != 0 && row.status != statusCode)) continue;
    if (!row.code.empty() && row.code != code) continue;
    if (!row.message.empty() && FindText(message, row.message, 1, true) == -1) continue;
    return row.hint;
  }
  return {};
}

// The service's code as the reason writes it, whatever the status; empty without one.
Text CodeOf(const PushAnswerReading& reading, const Json& answer) {
  if (reading.codeField.empty() || !answer.is_object()) return {};
  const auto found = answer.find(reading.codeField);
  return found == answer.end() ? Text() : CodeText(*found);
}

// The detailed reason holds the service's message and the hint, whichever there are.
PushDelivery Failure(Text reason, std::string_view serviceMessage, std::string_view hint) {
  Text detailed;
  if (!serviceMessage.empty() || !hint.empty()) {
    detailed = reason;
    for (const std::string_view part : {serviceMessage, hint}) {
      if (!part.empty()) detailed = JoinTexts(detailed, kComma, part);
    }
  }
  return PushDelivery{false, std::move(reason), std::move(detailed)};
}

}  // namespace

PushDelivery ReadPushAnswer(PushChannel channel, int statusCode, const ByteSet& answer) {
  if (statusCode == 0) return PushDelivery{false, Text(kNoAnswerReason)};
  const Text status = std::to_string(statusCode);
  const PushAnswerReading& reading = AlertFieldOfChannel(channel).answer;
  const bool success = statusCode >= 200 && statusCode <= 299;
  if (success && reading.codeField.empty()) return PushDelivery{true, {}};

  const Json parsed = ParseAnswer(answer);
  const Text message = ServiceMessage(reading, parsed);
  const std::string_view hint = HintFor(channel, statusCode, CodeOf(reading, parsed), message);
  if (!success) return Failure(status, message, hint);
  if (parsed.is_object()) {
    const auto found = parsed.find(reading.codeField);
    if (found != parsed.end()) {
      if (SameCode(*found, SuccessCode(reading))) return PushDelivery{true, {}};
      return Failure(JoinTexts(status, kComma, reading.codeField, "=", CodeText(*found)), message, hint);
    }
  }
  return Failure(JoinTexts(status, kComma, kUnreadableAnswer), message, hint);
}

PushDelivery UnusableUrlDelivery(std::string_view pasted) {
  return PushDelivery{false, Text(kInvalidUrlReason), HasHttpScheme(pasted) ? Text() : Text(kNoHttpSchemeReason)};
}

Text PushFailureEntry(PushChannel channel, std::string_view reason) {
  return JoinTexts(kPushFailedPrefix, PushServiceName(channel), kOpenBracket, reason, kCloseBracket);
}

PushTestResult PushTestResultOf(PushChannel channel, const PushDelivery& delivery) {
  if (delivery.delivered) return PushTestResult{channel, true, {}};
  return PushTestResult{channel, false, delivery.detailedReason.empty() ? delivery.reason : delivery.detailedReason};
}

Text PushTestResultText(const PushTestResult& result) {
  const std::string_view name = PushServiceName(result.channel);
  if (result.delivered) return JoinTexts(name, kColon, kSucceeded);
  return JoinTexts(name, kColon, kFailed, kOpenBracket, result.message, kCloseBracket);
}

Text PushTestResultsText(const std::vector<PushTestResult>& results) {
  if (results.empty()) return Text(kNothingToTestText);
  Text text;
  for (const PushTestResult& result : results) {
    if (!text.empty()) text += "\r\n";
    text += PushTestResultText(result);
  }
  return text;
}

}  // namespace korvan

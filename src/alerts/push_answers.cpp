#include "alerts/push_answers.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

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

struct ExpectedCode {
  std::string_view field;
  Json value;
};

std::optional<ExpectedCode> ExpectedCodeOf(PushChannel channel) {
  switch (channel) {
    case PushChannel::ServerChan: return ExpectedCode{"code", 0};
    case PushChannel::PushPlus: return ExpectedCode{"code", 200};
    case PushChannel::WeCom:
    case PushChannel::DingTalk: return ExpectedCode{"errcode", 0};
    case PushChannel::Feishu: return ExpectedCode{"code", 0};
    case PushChannel::Bark: return ExpectedCode{"code", 200};
    case PushChannel::Telegram: return ExpectedCode{"ok", true};
    case PushChannel::Webhook:
    case PushChannel::Heartbeat: break;
  }
  return std::nullopt;
}

// A code counts only with the type the service uses: "0" as a text or 0.5 is not 0.
bool SameCode(const Json& found, const Json& expected) {
  if (expected.is_boolean()) return found.is_boolean() && found == expected;
  return found.is_number_integer() && found == expected;
}

Text CodeText(const Json& value) {
  std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  if (text.size() > kLongestCodeText) text.resize(kLongestCodeText);
  return Utf8ToAnsi(text);
}

}  // namespace

PushDelivery ReadPushAnswer(PushChannel channel, int statusCode, const ByteSet& answer) {
  if (statusCode == 0) return PushDelivery{false, Text(kNoAnswerReason)};
  const Text status = std::to_string(statusCode);
  if (statusCode < 200 || statusCode > 299) return PushDelivery{false, status};

  const std::optional<ExpectedCode> expected = ExpectedCodeOf(channel);
  if (!expected) return PushDelivery{true, {}};
  if (answer.size() <= kLargestAnswer) {
    // Only the top level matters; deeper values are dropped while parsing, so a deeply nested garbage
    // answer never builds a deep tree (whose printing would recurse on the worker's small stack).
    const auto shallow = [](int depth, Json::parse_event_t, Json&) { return depth <= 2; };
    const Json parsed = Json::parse(answer.begin(), answer.end(), shallow, false);
    if (parsed.is_object()) {
      const auto found = parsed.find(expected->field);
      if (found != parsed.end()) {
        if (SameCode(*found, expected->value)) return PushDelivery{true, {}};
        return PushDelivery{false, JoinTexts(status, kComma, expected->field, "=", CodeText(*found))};
      }
    }
  }
  return PushDelivery{false, JoinTexts(status, kComma, kUnreadableAnswer)};
}

Text PushFailureEntry(PushChannel channel, std::string_view reason) {
  return JoinTexts(kPushFailedPrefix, PushServiceName(channel), kOpenBracket, reason, kCloseBracket);
}

Text PushTestResultText(PushChannel channel, const PushDelivery& delivery) {
  if (delivery.delivered) return JoinTexts(PushServiceName(channel), kColon, kSucceeded);
  return JoinTexts(PushServiceName(channel), kColon, kFailed, kOpenBracket, delivery.reason, kCloseBracket);
}

}  // namespace korvan

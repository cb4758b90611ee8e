#include "alerts/push_answers.h"

#include <gtest/gtest.h>

#include <string>

namespace korvan {
namespace {

ByteSet Bytes(std::string_view text) { return ByteSet(text.begin(), text.end()); }

// ，答复无法识别
const Text kUnreadable = "\xA3\xAC\xB4\xF0\xB8\xB4\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0";
// ，
const Text kComma = "\xA3\xAC";
// The hints: 请检查钉钉加签密钥, 请在钉钉安全设置中添加关键词 Korvan,
// 请检查 Server酱 的 SendKey, 请检查 PushPlus 的 token,
// 请重新复制企业微信群机器人的 Webhook 地址, 请检查 Telegram 机器人的 token,
// 请检查 chat_id，并先向机器人发一条消息, 请先在 Telegram 中向机器人发送 /start
const Text kSignHint = "\xC7\xEB\xBC\xEC\xB2\xE9\xB6\xA4\xB6\xA4\xBC\xD3\xC7\xA9\xC3\xDC\xD4\xBF";
const Text kKeywordHint =
    "\xC7\xEB\xD4\xDA\xB6\xA4\xB6\xA4\xB0\xB2\xC8\xAB\xC9\xE8\xD6\xC3\xD6\xD0\xCC\xED\xBC\xD3\xB9\xD8\xBC\xFC\xB4\xCA "
    "Korvan";
const Text kSendKeyHint = "\xC7\xEB\xBC\xEC\xB2\xE9 Server\xBD\xB4 \xB5\xC4 SendKey";
const Text kPushPlusHint = "\xC7\xEB\xBC\xEC\xB2\xE9 PushPlus \xB5\xC4 token";
const Text kWeComHint =
    "\xC7\xEB\xD6\xD8\xD0\xC2\xB8\xB4\xD6\xC6\xC6\xF3\xD2\xB5\xCE\xA2\xD0\xC5\xC8\xBA\xBB\xFA\xC6\xF7\xC8\xCB\xB5\xC4 "
    "Webhook \xB5\xD8\xD6\xB7";
const Text kBotTokenHint = "\xC7\xEB\xBC\xEC\xB2\xE9 Telegram \xBB\xFA\xC6\xF7\xC8\xCB\xB5\xC4 token";
const Text kChatHint =
    "\xC7\xEB\xBC\xEC\xB2\xE9 "
    "chat_id\xA3\xAC\xB2\xA2\xCF\xC8\xCF\xF2\xBB\xFA\xC6\xF7\xC8\xCB\xB7\xA2\xD2\xBB\xCC\xF5\xCF\xFB\xCF\xA2";
const Text kStartHint =
    "\xC7\xEB\xCF\xC8\xD4\xDA Telegram \xD6\xD0\xCF\xF2\xBB\xFA\xC6\xF7\xC8\xCB\xB7\xA2\xCB\xCD /start";

struct AnswerCase {
  const char* name;
  PushChannel channel;
  int status;
  std::string_view answer;
  bool delivered;
  Text reason;
  Text detailed{};  // the test results' reason, when the service gave its message
};

// 121 bytes in code page 936: the last character would end past the 120 kept.
const std::string kLongMessageAnswer = R"({"errcode":1,"errmsg":")" + std::string(119, 'a') + "中文\"}";

const AnswerCase kAnswerCases[] = {
    // Each service's own success.
    {"ServerChanCodeZero", PushChannel::ServerChan, 200, R"({"code":0,"message":"","data":{}})", true, ""},
    {"PushPlusCode200", PushChannel::PushPlus, 200, R"({"code":200,"msg":"ok","data":"x"})", true, ""},
    {"WeComErrcodeZero", PushChannel::WeCom, 200, R"({"errcode":0,"errmsg":"ok"})", true, ""},
    {"DingTalkErrcodeZero", PushChannel::DingTalk, 200, R"({"errcode":0,"errmsg":"ok"})", true, ""},
    {"FeishuCodeZero", PushChannel::Feishu, 200, R"({"code":0,"data":{},"msg":"success"})", true, ""},
    {"BarkCode200", PushChannel::Bark, 200, R"({"code":200,"message":"success","timestamp":1})", true, ""},
    {"TelegramOkTrue", PushChannel::Telegram, 200, R"({"ok":true,"result":{"message_id":1}})", true, ""},
    {"WebhookAny2xx", PushChannel::Webhook, 204, "", true, ""},
    {"WebhookIgnoresItsBody", PushChannel::Webhook, 200, R"({"code":500})", true, ""},
    {"HeartbeatOk", PushChannel::Heartbeat, 200, "OK", true, ""},
    // A 2xx with the service's refusal.
    {"ServerChanRefused", PushChannel::ServerChan, 200, R"({"code":40001,"message":"bad key"})", false,
     "200" + kComma + "code=40001", "200" + kComma + "code=40001" + kComma + "bad key" + kComma + kSendKeyHint},
    {"PushPlusCodeZeroIsNotItsSuccess", PushChannel::PushPlus, 200, R"({"code":0})", false, "200" + kComma + "code=0"},
    {"WeComInvalidKey", PushChannel::WeCom, 200, R"({"errcode":93000,"errmsg":"invalid webhook url"})", false,
     "200" + kComma + "errcode=93000",
     "200" + kComma + "errcode=93000" + kComma + "invalid webhook url" + kComma + kWeComHint},
    {"DingTalkSignMismatch", PushChannel::DingTalk, 200, R"({"errcode":310000,"errmsg":"sign not match"})", false,
     "200" + kComma + "errcode=310000",
     "200" + kComma + "errcode=310000" + kComma + "sign not match" + kComma + kSignHint},
    {"FeishuSignFail", PushChannel::Feishu, 200, R"({"code":19021,"msg":"sign match fail"})", false,
     "200" + kComma + "code=19021", "200" + kComma + "code=19021" + kComma + "sign match fail"},
    {"TelegramOkFalse", PushChannel::Telegram, 200, R"({"ok":false})", false, "200" + kComma + "ok=false"},
    {"BarkOtherCode", PushChannel::Bark, 200, R"({"code":400})", false, "200" + kComma + "code=400"},
    // A code of the wrong type is no success.
    {"CodeAsText", PushChannel::ServerChan, 200, R"({"code":"0"})", false, "200" + kComma + "code=\"0\""},
    {"CodeAsFraction", PushChannel::Feishu, 200, R"({"code":0.5})", false, "200" + kComma + "code=0.5"},
    {"OkAsNumber", PushChannel::Telegram, 200, R"({"ok":1})", false, "200" + kComma + "ok=1"},
    // JSON leaves DEL unescaped: the reason is one line of the log all the same.
    {"CodeTextWithDel", PushChannel::Bark, 200,
     "{\"code\":\"2\x7F"
     "0\"}",
     false, "200" + kComma + "code=\"2 0\""},
    {"LongCodeCut", PushChannel::WeCom, 200,
     R"({"errcode":"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"})", false,
     "200" + kComma + "errcode=\"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"},
    // 2xx without a readable code.
    {"CodeMissing", PushChannel::WeCom, 200, R"({"errmsg":"ok"})", false, "200" + kUnreadable,
     "200" + kUnreadable + kComma + "ok"},
    {"CodeOnlyDeeperDown", PushChannel::ServerChan, 200, R"({"data":{"code":0}})", false, "200" + kUnreadable},
    {"NotJson", PushChannel::PushPlus, 200, "<html>Bad Gateway</html>", false, "200" + kUnreadable},
    {"EmptyAnswer", PushChannel::Bark, 200, "", false, "200" + kUnreadable},
    {"JsonArray", PushChannel::Telegram, 200, R"([{"ok":true}])", false, "200" + kUnreadable},
    {"TruncatedJson", PushChannel::DingTalk, 200, R"({"errcode":0,"errm)", false, "200" + kUnreadable},
    {"InvalidUtf8InJson", PushChannel::Feishu, 200, "{\"code\":0,\"msg\":\"\xFF\"}", false, "200" + kUnreadable},
    // No 2xx: the status, whatever the body says.
    {"NotFound", PushChannel::ServerChan, 404, R"({"code":0})", false, "404"},
    {"Redirect", PushChannel::Webhook, 302, "", false, "302"},
    {"ServerError", PushChannel::Heartbeat, 500, "", false, "500"},
    {"TelegramBadRequest", PushChannel::Telegram, 400, R"({"ok":false,"error_code":400})", false, "400"},
    {"NoAnswer", PushChannel::WeCom, 0, "", false, "\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3"},  // 无法连接
    {"NoAnswerWebhook", PushChannel::Webhook, 0, "", false, "\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3"},
    // The service's message beside the reason: in code page 936, on one line, cut on a character.
    {"TelegramDescriptionBesideItsStatus", PushChannel::Telegram, 400,
     R"({"ok":false,"error_code":400,"description":"Bad Request: chat not found"})", false, "400",
     "400" + kComma + "Bad Request: chat not found" + kComma + kChatHint},
    {"MessageInCodePage936", PushChannel::PushPlus, 200, R"({"code":903,"msg":"无效的用户token"})", false,
     "200" + kComma + "code=903",
     "200" + kComma + "code=903" + kComma + "\xCE\xDE\xD0\xA7\xB5\xC4\xD3\xC3\xBB\xA7token" + kComma + kPushPlusHint},
    {"LineBreaksInMessageBecomeSpaces", PushChannel::DingTalk, 200, R"({"errcode":1,"errmsg":"a\r\nb\tc"})", false,
     "200" + kComma + "errcode=1", "200" + kComma + "errcode=1" + kComma + "a  b c"},
    {"LongMessageCutBeforeACharacterPastTheLimit", PushChannel::WeCom, 200, kLongMessageAnswer, false,
     "200" + kComma + "errcode=1", "200" + kComma + "errcode=1" + kComma + std::string(119, 'a')},
    // What to do, where the service's refusal is a known one: by its code, its message or its status.
    {"DingTalkKeywordMissing", PushChannel::DingTalk, 200,
     R"({"errcode":310000,"errmsg":"Keywords not in content, more: [...]"})", false, "200" + kComma + "errcode=310000",
     "200" + kComma + "errcode=310000" + kComma + "Keywords not in content, more: [...]" + kComma + kKeywordHint},
    {"DingTalkOtherSecurityRefusalHasNoHint", PushChannel::DingTalk, 200,
     R"({"errcode":310000,"errmsg":"ip 1.2.3.4 not in whitelist"})", false, "200" + kComma + "errcode=310000",
     "200" + kComma + "errcode=310000" + kComma + "ip 1.2.3.4 not in whitelist"},
    {"ServerChanBadKeyOnAnErrorStatus", PushChannel::ServerChan, 400, R"({"code":40001})", false, "400",
     "400" + kComma + kSendKeyHint},
    {"TelegramWrongToken", PushChannel::Telegram, 401, R"({"ok":false,"error_code":401,"description":"Unauthorized"})",
     false, "401", "401" + kComma + "Unauthorized" + kComma + kBotTokenHint},
    {"TelegramChatNeverStarted", PushChannel::Telegram, 403,
     R"({"ok":false,"description":"Forbidden: bot can't initiate conversation with a user"})", false, "403",
     "403" + kComma + "Forbidden: bot can't initiate conversation with a user" + kComma + kStartHint},
    // A code of another service's is no hint of this one's.
    {"WebhookNotFoundHasNoHint", PushChannel::Webhook, 404, R"({"ok":false})", false, "404"},
    {"InformationalStatus", PushChannel::Webhook, 100, "", false, "100"},
    {"NegativeStatus", PushChannel::Bark, -1, "", false, "-1"},
};

TEST(PushAnswerTest, ReadsTheServiceAnswer) {
  for (const AnswerCase& c : kAnswerCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadPushAnswer(c.channel, c.status, Bytes(c.answer)), (PushDelivery{c.delivered, c.reason, c.detailed}));
  }
}

struct HugeAnswerCase {
  const char* name;
  std::string answer;
};

// A megabyte of success is still not an answer of the service; deep nesting must not recurse.
const HugeAnswerCase kHugeAnswerCases[] = {
    {"MegabyteOfSpacesAfterSuccess", R"({"errcode":0})" + std::string(1 << 20, ' ')},
    {"MegabyteOfGarbage", std::string(1 << 20, '\xFE')},
    {"DeepNestingWithinTheLimit", std::string(30000, '[') + std::string(30000, ']')},
    {"DeepNestingUnderTheCode", R"({"errcode":)" + std::string(30000, '[') + std::string(30000, ']') + "}"},
};

TEST(HugePushAnswerTest, IsAFailureWithoutThrowing) {
  for (const HugeAnswerCase& c : kHugeAnswerCases) {
    SCOPED_TRACE(c.name);
    PushDelivery delivery;
    ASSERT_NO_THROW(delivery = ReadPushAnswer(PushChannel::WeCom, 200, Bytes(c.answer)));
    EXPECT_FALSE(delivery.delivered);
    EXPECT_TRUE(delivery.reason.starts_with("200" + kComma)) << delivery.reason;
  }
}

// What the test results say of a URL that is never requested: only a missing scheme is named.
TEST(PushAnswerTest, UnusableUrlSaysWhetherTheSchemeIsMissing) {
  EXPECT_EQ(UnusableUrlDelivery("push.example/send"),
            (PushDelivery{false, Text(kInvalidUrlReason), Text(kNoHttpSchemeReason)}));
  EXPECT_EQ(UnusableUrlDelivery(" HTTPS:///path"), (PushDelivery{false, Text(kInvalidUrlReason), ""}));
}

TEST(PushAnswerTest, FailureEntryAndTestResultNameTheServiceAndTheReason) {
  // 推送失败：钉钉（无法连接）
  EXPECT_EQ(PushFailureEntry(PushChannel::DingTalk, kNoAnswerReason),
            "\xCD\xC6\xCB\xCD\xCA\xA7\xB0\xDC\xA3\xBA\xB6\xA4\xB6\xA4\xA3\xA8\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3\xA3\xA9");
  // 推送失败：Server酱（404）
  EXPECT_EQ(PushFailureEntry(PushChannel::ServerChan, "404"),
            "\xCD\xC6\xCB\xCD\xCA\xA7\xB0\xDC\xA3\xBAServer\xBD\xB4\xA3\xA8"
            "404\xA3\xA9");
  // Bark：成功
  EXPECT_EQ(PushTestResultText(PushTestResultOf(PushChannel::Bark, PushDelivery{true, ""})),
            "Bark\xA3\xBA\xB3\xC9\xB9\xA6");
  // Webhook：失败（502）
  EXPECT_EQ(PushTestResultText(PushTestResultOf(PushChannel::Webhook, PushDelivery{false, "502"})),
            "Webhook\xA3\xBA\xCA\xA7\xB0\xDC\xA3\xA8"
            "502\xA3\xA9");
  // The detailed reason, when there is one, stands in the test result instead: Bark：失败（x）
  EXPECT_EQ(PushTestResultText(PushTestResultOf(PushChannel::Bark, PushDelivery{false, "502", "x"})),
            "Bark\xA3\xBA\xCA\xA7\xB0\xDC\xA3\xA8x\xA3\xA9");
}

}  // namespace
}  // namespace korvan

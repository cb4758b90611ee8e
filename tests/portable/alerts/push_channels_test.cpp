#include "alerts/push_channels.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "alerts/dingtalk_sign.h"

namespace korvan {
namespace {

std::string BodyText(const PushRequest& request) { return std::string(request.body.begin(), request.body.end()); }

AlertMessage WrongPasswordMessage() {
  return AlertMessage{
      .event = "wrong_password",
      .title = "Korvan：密码不正确",
      .text = "账号：用户\n本次结果：用户 密码不正确！",
      .user = "用户",
      .vps = "12345",
      .expiry = "2026-12-10",
      .time = "2026年12月9日",
  };
}

constexpr std::string_view kUrl = "http://127.0.0.1:19530/hook?key=k";

struct ChannelCase {
  const char* name;
  PushChannel channel;
  std::string_view contentType;
  std::string_view body;
};

const ChannelCase kChannelCases[] = {
    {"ServerChanFormWithMarkdownLineBreaks", PushChannel::ServerChan, kFormContentType,
     "title=Korvan%EF%BC%9A%E5%AF%86%E7%A0%81%E4%B8%8D%E6%AD%A3%E7%A1%AE&desp=%E8%B4%A6%E5%8F%B7%EF%BC%9A%E7%94%A8%E6%"
     "88%B7"
     "%0A%0A%E6%9C%AC%E6%AC%A1%E7%BB%93%E6%9E%9C%EF%BC%9A%E7%94%A8%E6%88%B7+%E5%AF%86%E7%A0%81%E4%B8%8D%E6%AD%A3%E7%A1%"
     "AE"
     "%EF%BC%81"},
    {"PushPlus", PushChannel::PushPlus, kJsonContentType,
     R"({"title":"Korvan：密码不正确","content":"账号：用户\n本次结果：用户 密码不正确！","template":"txt"})"},
    {"WeCom", PushChannel::WeCom, kJsonContentType,
     R"({"msgtype":"text","text":{"content":"Korvan：密码不正确\n账号：用户\n本次结果：用户 密码不正确！"}})"},
    {"DingTalkWithoutSecret", PushChannel::DingTalk, kJsonContentType,
     R"({"msgtype":"text","text":{"content":"Korvan：密码不正确\n账号：用户\n本次结果：用户 密码不正确！"}})"},
    {"Feishu", PushChannel::Feishu, kJsonContentType,
     R"({"msg_type":"text","content":{"text":"Korvan：密码不正确\n账号：用户\n本次结果：用户 密码不正确！"}})"},
    {"Bark", PushChannel::Bark, kJsonContentType,
     R"({"title":"Korvan：密码不正确","body":"账号：用户\n本次结果：用户 密码不正确！","group":"Korvan"})"},
    {"Telegram", PushChannel::Telegram, kJsonContentType,
     R"({"text":"Korvan：密码不正确\n账号：用户\n本次结果：用户 密码不正确！"})"},
    {"Webhook", PushChannel::Webhook, kJsonContentType,
     R"({"source":"korvan","event":"wrong_password","title":"Korvan：密码不正确","text":"账号：用户\n本次结果：用户 密码不正确！","user":"用户","vps":"12345","expiry":"2026-12-10","time":"2026年12月9日"})"},
};

// Each channel posts its service's body, requests nothing for an unusable URL, and keeps stray bytes
// from breaking the body.
TEST(PushChannelTest, PostsTheServiceBody) {
  for (const ChannelCase& c : kChannelCases) {
    SCOPED_TRACE(c.name);
    const std::optional<PushRequest> request = PushChannelRequest(c.channel, kUrl, WrongPasswordMessage());
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->method, HttpMethod::Post);
    EXPECT_EQ(request->url, kUrl);
    EXPECT_EQ(request->contentType, c.contentType);
    EXPECT_EQ(BodyText(*request), c.body);
    for (const std::string_view url : {"", "ftp://127.0.0.1/x", "127.0.0.1:19530/hook", "http://", "http://a b/"})
      EXPECT_EQ(PushChannelRequest(c.channel, url, WrongPasswordMessage()), std::nullopt) << url;

    AlertMessage stray = WrongPasswordMessage();
    stray.user = "\xFF\xC0";
    stray.text = "a\xE6\x88";
    stray.title = std::string("t\0t", 3);
    std::optional<PushRequest> strayRequest;
    ASSERT_NO_THROW(strayRequest = PushChannelRequest(c.channel, kUrl, stray));
    ASSERT_TRUE(strayRequest.has_value());
    if (c.contentType == kJsonContentType) {
      // Whatever was replaced, the body is JSON a service can read.
      EXPECT_FALSE(nlohmann::json::parse(BodyText(*strayRequest), nullptr, false).is_discarded())
          << BodyText(*strayRequest);
    }
  }
  EXPECT_EQ(PushChannelRequest(PushChannel::Heartbeat, kUrl, WrongPasswordMessage()), std::nullopt);
}

// Signatures computed apart from this code (Python's hmac and base64 modules).
struct SignatureCase {
  const char* name;
  std::string_view secret;
  std::int64_t milliseconds;
  std::string_view signature;
};

const SignatureCase kSignatureCases[] = {
    {"PlusAndEqualsEscaped", "SEC0123456789abcdef", 1700000000123,
     "V9VP5gL2WDsEZvZQHnbd9k4n%2Bp56ibcLMh%2BWKMZRQas%3D"},
    {"TimeOfADay", "SECb6a8f0d1e2c3", 1765238400000, "JzaNUUIbqXDbj4P8o30le1FoLEwUvdfYEI4sRstFsSk%3D"},
};

TEST(DingTalkSignTest, SignsTheTimeUnderTheSecret) {
  for (const SignatureCase& c : kSignatureCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DingTalkSignature(c.secret, c.milliseconds), c.signature);
  }
}

TEST(DingTalkSignTest, SignedUrlCarriesTimeAndSignatureButNeverTheSecret) {
  const std::optional<PushRequest> request =
      PushChannelRequest(PushChannel::DingTalk, "http://127.0.0.1:19530/robot/send?access_token=t",
                         WrongPasswordMessage(), DingTalkSigning{"SEC0123456789abcdef", 1700000000123});
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->url,
            "http://127.0.0.1:19530/robot/send?access_token=t&timestamp=1700000000123"
            "&sign=V9VP5gL2WDsEZvZQHnbd9k4n%2Bp56ibcLMh%2BWKMZRQas%3D");
  EXPECT_EQ(BodyText(*request).find("SEC0123456789abcdef"), std::string::npos);
  // A URL without a query gets a question mark.
  EXPECT_EQ(
      DingTalkSignedUrl("http://127.0.0.1:19530/robot/send", "SECb6a8f0d1e2c3", 1765238400000),
      "http://127.0.0.1:19530/robot/send?timestamp=1765238400000&sign=JzaNUUIbqXDbj4P8o30le1FoLEwUvdfYEI4sRstFsSk%3D");
}

RunReport HeartbeatRun(RunOutcome outcome) {
  RunReport run;
  run.entries.push_back({"s1", "\xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6"});  // 登录成功
  run.entries.push_back({"s2", ""});
  run.entries.push_back({"s3", "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6\xA3\xA1"});  // 续费成功！
  run.outcome = outcome;
  return run;
}

struct HeartbeatCase {
  const char* name;
  std::string_view url;
  RunOutcome outcome;
  std::string_view endUrl;
};

const HeartbeatCase kHeartbeatCases[] = {
    {"GoodRunPingsTheUrl", "http://127.0.0.1:19531/ping/uuid", RunOutcome::Renewed, "http://127.0.0.1:19531/ping/uuid"},
    {"FailedRunPingsFail", "http://127.0.0.1:19531/ping/uuid", RunOutcome::WrongPassword,
     "http://127.0.0.1:19531/ping/uuid/fail"},
    {"RunThatDecidesNothingIsNoFailure", "http://127.0.0.1:19531/ping/uuid", RunOutcome::CheckDone,
     "http://127.0.0.1:19531/ping/uuid"},
    {"TrailingSlashNotDoubled", "http://127.0.0.1:19531/ping/uuid/", RunOutcome::NoVps,
     "http://127.0.0.1:19531/ping/uuid/fail"},
    // Uptime Kuma's form with more after the token keeps the healthchecks pings.
    {"SegmentAfterTheToken", "http://127.0.0.1:19531/api/push/tok/x", RunOutcome::Renewed,
     "http://127.0.0.1:19531/api/push/tok/x"},
};

TEST(HeartbeatTest, PingsStartThenTheEnd) {
  for (const HeartbeatCase& c : kHeartbeatCases) {
    SCOPED_TRACE(c.name);
    const std::optional<PushRequest> start = HeartbeatStartRequest(c.url);
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(start->method, HttpMethod::Get);
    EXPECT_EQ(start->url, JoinTexts(c.url.ends_with('/') ? c.url.substr(0, c.url.size() - 1) : c.url, "/start"));
    EXPECT_TRUE(start->body.empty());

    const std::optional<PushRequest> end = HeartbeatEndRequest(c.url, HeartbeatRun(c.outcome));
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->method, HttpMethod::Post);
    EXPECT_EQ(end->url, c.endUrl);
    EXPECT_EQ(end->contentType, kPlainTextContentType);
    // The messages one a line in UTF-8, the empty one kept; no stamps.
    EXPECT_EQ(BodyText(*end), "登录成功\n\n续费成功！");
  }
}

// 续费成功！, UTF-8 and form-encoded.
constexpr std::string_view kRenewedMsg = "%E7%BB%AD%E8%B4%B9%E6%88%90%E5%8A%9F%EF%BC%81";

const HeartbeatCase kUptimeKumaCases[] = {
    {"UpReplacesTheUsersStatusAndMsg", "http://127.0.0.1:19532/api/push/tok?status=up&msg=OK&ping=",
     RunOutcome::Renewed, "http://127.0.0.1:19532/api/push/tok?status=up&msg={}&ping="},
    {"FailedRunWithoutQueryIsDown", "http://127.0.0.1:19532/api/push/tok", RunOutcome::WrongPassword,
     "http://127.0.0.1:19532/api/push/tok?status=down&msg={}"},
    {"PingKeptRepeatsDropped", "http://127.0.0.1:19532/api/push/tok?ping=12&status=x&&status=y", RunOutcome::CheckDone,
     "http://127.0.0.1:19532/api/push/tok?ping=12&status=up&msg={}"},
    {"PrefixTrailingSlashAndFragment", "https://127.0.0.1:19532/kuma/api/push/tok/?msg=a#top", RunOutcome::Renewed,
     "https://127.0.0.1:19532/kuma/api/push/tok/?msg={}&status=up#top"},
};

TEST(HeartbeatTest, UptimeKumaGetsOnePingWithStatusAndMessage) {
  for (const HeartbeatCase& c : kUptimeKumaCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HeartbeatStartRequest(c.url), std::nullopt);
    const std::optional<PushRequest> end = HeartbeatEndRequest(c.url, HeartbeatRun(c.outcome));
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->method, HttpMethod::Get);
    EXPECT_EQ(end->url, ReplaceText(c.endUrl, "{}", kRenewedMsg));
  }
}

TEST(HeartbeatTest, UnusableUrlPingsNothing) {
  EXPECT_EQ(HeartbeatStartRequest("hc.example/ping/uuid"), std::nullopt);
  EXPECT_EQ(HeartbeatEndRequest("gopher://127.0.0.1/x", HeartbeatRun(RunOutcome::Renewed)), std::nullopt);
}

}  // namespace
}  // namespace korvan

#include "run/run_alerts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alerts/push_answers.h"
#include "log/network_time.h"
#include "run_message_bytes.h"

namespace korvan {
namespace {

ByteSet Bytes(std::string_view text) { return ByteSet(text.begin(), text.end()); }
std::string AsText(const ByteSet& bytes) { return std::string(bytes.begin(), bytes.end()); }

constexpr std::string_view kStamp =
    "2023\xC4\xEA"
    "11\xD4\xC2"
    "15\xC8\xD5"
    "6\xCA\xB1"
    "13\xB7\xD6"
    "20\xC3\xEB";
constexpr std::int64_t kMilliseconds = 1700000000000;

// An entry with what it says of the run.
using Said = std::pair<Text, RunOutcome>;
Said WrongPassword() { return {"demo" + message_bytes::kWrongPassword, RunOutcome::WrongPassword}; }
Said Renewed() { return {message_bytes::kRenewed, RunOutcome::Renewed}; }

// A port that answers by URL prefix and keeps every request, and the log and the time it was asked.
struct Recorder {
  std::vector<std::pair<std::string, PushAnswer>> answers;  // first matching prefix answers
  std::vector<PushRequest> requests;
  std::vector<Text> entries;
  int timeAsked = 0;

  AlertPorts Ports() {
    return AlertPorts{
        .send =
            [this](const PushRequest& request) {
              requests.push_back(request);
              for (const auto& [prefix, answer] : answers) {
                if (request.url.starts_with(prefix)) return answer;
              }
              // Each service's success; PushPlus and Bark say 200 where the others say 0.
              const bool code200 = request.url.ends_with("/pp") || request.url.ends_with("/bk");
              return PushAnswer{200, Bytes(code200 ? R"({"code":200})" : R"({"code":0,"errcode":0,"ok":true})")};
            },
        .appendLog = [this](std::string_view message) { entries.emplace_back(message); },
        .unixMilliseconds =
            [this] {
              ++timeAsked;
              return kMilliseconds;
            },
        .nextCheck = [] { return Text("10h"); }};
  }
  std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    for (const PushRequest& request : requests)
      urls.push_back((request.method == HttpMethod::Get ? "GET " : "POST ") + request.url);
    return urls;
  }
};

RunReport ReportOf(std::vector<Said> messages) {
  RunReport run;
  run.userName = "demo";
  run.vpsId = "80123";
  for (const auto& [message, outcome] : messages)
    RecordRunEntry(run, kStamp, message, outcome);
  return run;
}

AlertSettings AllChannels() {
  AlertSettings settings;
  settings.serverchan = "http://127.0.0.1:1/sc.send";
  settings.pushplus = "http://127.0.0.1:1/pp";
  settings.wecom = "http://127.0.0.1:1/wc";
  settings.dingtalk = "http://127.0.0.1:1/dt?access_token=t";
  settings.feishu = "http://127.0.0.1:1/fs";
  settings.bark = "http://127.0.0.1:1/bk";
  settings.telegram = "http://127.0.0.1:1/tg";
  settings.webhook = "http://127.0.0.1:1/wh";
  return settings;
}

const std::vector<std::string> kAllPushes = {
    "POST http://127.0.0.1:1/sc.send", "POST http://127.0.0.1:1/pp",
    "POST http://127.0.0.1:1/wc",      "POST http://127.0.0.1:1/dt?access_token=t",
    "POST http://127.0.0.1:1/fs",      "POST http://127.0.0.1:1/bk",
    "POST http://127.0.0.1:1/tg",      "POST http://127.0.0.1:1/wh"};

std::vector<std::string> AllPushesThen(const std::string& ping) {
  std::vector<std::string> urls = kAllPushes;
  urls.push_back(ping);
  return urls;
}

struct RunCase {
  const char* name;
  std::string_view notify;
  std::vector<Said> messages;
  FailureStreak before;
  std::vector<std::string> urls;  // requests, in order
  std::string title;              // UTF-8 title in the webhook's body, empty when none is pushed
};

const RunCase kRunCases[] = {
    {"WrongPasswordFirstRunPushesEverywhereThenFails",
     "",
     {WrongPassword()},
     {false, 0},
     AllPushesThen("POST http://127.0.0.1:1/hb/fail"),
     "Korvan\xEF\xBC\x9A\xE5\xAF\x86\xE7\xA0\x81\xE4\xB8\x8D\xE6\xAD\xA3\xE7\xA1\xAE"},  // Korvan：密码不正确
    {"SecondFailureOnlyPingsTheMonitor", "fail", {WrongPassword()}, {true, 1}, {"POST http://127.0.0.1:1/hb/fail"}, ""},
    {"GoodAfterFailuresRecovers",
     "fail",
     {Renewed()},
     {true, 2},
     AllPushesThen("POST http://127.0.0.1:1/hb"),
     "Korvan\xEF\xBC\x9A\xE5\xB7\xB2\xE6\x81\xA2\xE5\xA4\x8D\xE6\xAD\xA3\xE5\xB8\xB8"},  // Korvan：已恢复正常
    {"GoodFirstRunWithFailPushesNothing", "fail", {Renewed()}, {false, 0}, {"POST http://127.0.0.1:1/hb"}, ""},
    {"RenewModePushesARenewal",
     " Renew ",
     {Renewed()},
     {true, 0},
     AllPushesThen("POST http://127.0.0.1:1/hb"),
     "Korvan\xEF\xBC\x9A\xE7\xBB\xAD\xE8\xB4\xB9\xE6\x88\x90\xE5\x8A\x9F"},  // Korvan：续费成功
};

class PushRunFinishedCase : public ::testing::TestWithParam<RunCase> {};

TEST_P(PushRunFinishedCase, PushesWhatTheNotifyChoiceAsksThenPingsTheEnd) {
  const RunCase& c = GetParam();
  AlertSettings settings = AllChannels();
  settings.heartbeat = "http://127.0.0.1:1/hb";
  settings.notify = Text(c.notify);
  Recorder recorder;
  PushRunFinished(settings, ReportOf(c.messages), c.before, recorder.Ports());
  EXPECT_EQ(recorder.Urls(), c.urls);
  EXPECT_TRUE(recorder.entries.empty());
  if (!c.title.empty()) {
    const std::string webhookBody = AsText(recorder.requests[7].body);
    EXPECT_NE(webhookBody.find("\"title\":\"" + c.title + "\""), std::string::npos) << webhookBody;
    EXPECT_NE(webhookBody.find("10h"), std::string::npos) << webhookBody;
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, PushRunFinishedCase, ::testing::ValuesIn(kRunCases), [](const auto& info) {
  return std::string(info.param.name);
});

TEST(PushRunFinished, EveryChannelIsTriedAndEachFailureLogsOneEntry) {
  AlertSettings settings = AllChannels();
  settings.wecom = "ftp://127.0.0.1:1/wc";
  settings.heartbeat = "http://127.0.0.1:1/hb";
  Recorder recorder;
  recorder.answers = {{"http://127.0.0.1:1/sc.send", PushAnswer{0, {}}},
                      {"http://127.0.0.1:1/fs", PushAnswer{500, Bytes(R"({"msg":"oops"})")}},
                      {"http://127.0.0.1:1/tg", PushAnswer{302, {}}},
                      {"http://127.0.0.1:1/hb", PushAnswer{0, {}}}};
  PushRunFinished(settings, ReportOf({WrongPassword()}), {}, recorder.Ports());
  // The malformed one is never requested; the others all are, whatever came before.
  EXPECT_EQ(recorder.requests.size(), 8u);
  const std::vector<Text> expected = {
      PushFailureEntry(PushChannel::ServerChan, kNoAnswerReason),
      PushFailureEntry(PushChannel::WeCom, kInvalidUrlReason),
      PushFailureEntry(PushChannel::Feishu, "500"),
      PushFailureEntry(PushChannel::Telegram, "302"),
      PushFailureEntry(PushChannel::Heartbeat, kNoAnswerReason),
  };
  EXPECT_EQ(recorder.entries, expected);
}

TEST(PushRunFinished, NothingSetAsksForNothing) {
  AlertSettings settings;
  settings.notify = "all";
  settings.dingtalkSecret = "s";
  AlertPorts ports;  // empty functions: any call would throw
  EXPECT_NO_THROW(PushRunFinished(settings, ReportOf({WrongPassword()}), {}, ports));
  EXPECT_NO_THROW(PingRunStarting(settings, ports.send));
  const std::vector<PushTestResult> results = SendTestMessages(settings, "demo", kStamp, ports);
  EXPECT_TRUE(results.empty());
  EXPECT_EQ(PushTestResultsText(results), kNothingToTestText);
}

TEST(PushRunFinished, SignsDingTalkWithTheNetworkTimeOnlyWhenItHasASecret) {
  struct Case {
    Text secret;
    int timeAsked;
    bool signedUrl;
  };
  for (const Case& c : {Case{"", 0, false}, Case{"SEC1", 1, true}}) {
    AlertSettings settings;
    settings.dingtalk = "http://127.0.0.1:1/dt?access_token=t";
    settings.dingtalkSecret = c.secret;
    Recorder recorder;
    PushRunFinished(settings, ReportOf({WrongPassword()}), {}, recorder.Ports());
    ASSERT_EQ(recorder.requests.size(), 1u);
    EXPECT_EQ(recorder.timeAsked, c.timeAsked);
    EXPECT_EQ(recorder.requests[0].url.find("&timestamp=1700000000000&sign=") != std::string::npos, c.signedUrl)
        << recorder.requests[0].url;
  }
}

TEST(PingRunStarting, GetsStartOfTheHeartbeatOnly) {
  AlertSettings settings = AllChannels();
  settings.heartbeat = "http://127.0.0.1:1/hb?k=1";
  Recorder recorder;
  PingRunStarting(settings, recorder.Ports().send);
  EXPECT_EQ(recorder.Urls(), std::vector<std::string>{"GET http://127.0.0.1:1/hb/start?k=1"});
}

TEST(SendTestMessages, OneLinePerChannelWithItsResult) {
  AlertSettings settings;
  settings.serverchan = "http://127.0.0.1:1/sc.send";
  settings.bark = "http://127.0.0.1:1/bk";
  settings.webhook = "not a url";
  settings.heartbeat = "http://127.0.0.1:1/hb";
  Recorder recorder;
  recorder.answers = {{"http://127.0.0.1:1/bk", PushAnswer{200, Bytes(R"({"code":400})")}}};
  const std::vector<PushTestResult> results = SendTestMessages(settings, "demo", kStamp, recorder.Ports());
  const std::vector<PushTestResult> expected = {
      {PushChannel::ServerChan, true, ""},
      {PushChannel::Bark, false,
       "200\xA3\xAC"
       "code=400"},
      {PushChannel::Webhook, false, Text(kNoHttpSchemeReason)},
      {PushChannel::Heartbeat, true, ""},
  };
  EXPECT_EQ(results, expected);
  // Server酱：成功, Bark：失败（200，code=400）, Webhook：失败（地址须以 http:// 或 https:// 开头）, 心跳：成功
  EXPECT_EQ(PushTestResultsText(results), JoinTexts("Server\xBD\xB4\xA3\xBA\xB3\xC9\xB9\xA6\r\n"
                                                    "Bark\xA3\xBA\xCA\xA7\xB0\xDC\xA3\xA8"
                                                    "200\xA3\xAC"
                                                    "code=400\xA3\xA9\r\n"
                                                    "Webhook\xA3\xBA\xCA\xA7\xB0\xDC\xA3\xA8",
                                                    kNoHttpSchemeReason,
                                                    "\xA3\xA9\r\n"
                                                    "\xD0\xC4\xCC\xF8\xA3\xBA\xB3\xC9\xB9\xA6"));
  ASSERT_EQ(recorder.requests.size(), 3u);
  // Korvan：测试消息, as the title and as the monitor's body.
  const std::string title = "Korvan\xEF\xBC\x9A\xE6\xB5\x8B\xE8\xAF\x95\xE6\xB6\x88\xE6\x81\xAF";
  EXPECT_NE(AsText(recorder.requests[0].body).find("title=Korvan"), std::string::npos);
  EXPECT_EQ(AsText(recorder.requests[2].body), title);
  EXPECT_TRUE(recorder.entries.empty());
}

TEST(UnixMillisecondsFromUtc8, IsTheInverseOfUtc8FromUnixSeconds) {
  for (const std::int64_t seconds : {std::int64_t{0}, std::int64_t{1700000000}, std::int64_t{4102444800}}) {
    EXPECT_EQ(UnixMillisecondsFromUtc8(Utc8FromUnixSeconds(seconds)), seconds * 1000) << seconds;
  }
}

}  // namespace
}  // namespace korvan

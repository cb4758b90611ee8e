// SendTestAlerts, the test button's sending, over HttpRequest against tools/fake_receiver.py on
// 127.0.0.1 (its port in KORVAN_RECEIVER_PORT, a port nothing listens on in KORVAN_CLOSED_PORT).
// No main window: the user name reads as empty and the stamp falls back to the computer's clock.
#include "app/worker/alerts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "config/alert_settings.h"
#include "http/http_request.h"
#include "http/request_decisions.h"
#include "alerts/push_answers.h"

namespace korvan {
namespace {

Text Port(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? Text(value) : Text();
}

Text Receiver(std::string_view path) { return JoinTexts("http://127.0.0.1:", Port("KORVAN_RECEIVER_PORT"), path); }

// The receiver answers a path by the mode set for its prefix.
void SetMode(std::string_view prefix, std::string_view mode) {
  int status = 0;
  HttpRequest(Receiver(JoinTexts("/_fake/mode?path=", prefix, "&mode=", mode)), {.method = 1, .statusCode = &status});
  ASSERT_EQ(status, 200) << prefix;
}

Text Line(PushChannel channel, bool delivered, std::string_view reason = {}) {
  return PushTestResultText(PushTestResultOf(channel, PushDelivery{delivered, Text(reason)}));
}

// ，答复无法识别
const Text kUnreadable = "\xA3\xAC\xB4\xF0\xB8\xB4\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0";

class SendTestAlertsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Port("KORVAN_RECEIVER_PORT").empty()) << "run through tools/fake_receiver.py";
    HttpRequest(Receiver("/_fake/reset"), {.method = 1});
  }
};

TEST_F(SendTestAlertsTest, EveryChannelIsTriedAndReportsItsOwnResult) {
  SetMode("/pushplus", "error");
  SetMode("/wecom", "http500");
  SetMode("/feishu", "redirect");
  SetMode("/bark", "garbage");
  SetMode("/webhook", "hang");
  AlertSettings settings;
  settings.serverchan = Receiver("/serverchan/SCT1.send");
  settings.pushplus = Receiver("/pushplus/send/token1");
  settings.wecom = Receiver("/wecom/cgi-bin/webhook/send?key=k1");
  settings.dingtalk = Receiver("/dingtalk/robot/send?access_token=t1");
  settings.dingtalkSecret = "SEC1";
  settings.feishu = Receiver("/feishu/open-apis/bot/v2/hook/h1");
  settings.bark = Receiver("/bark/devicekey1");
  settings.telegram = JoinTexts("http://127.0.0.1:", Port("KORVAN_CLOSED_PORT"), "/telegram/bot1/sendMessage");
  settings.webhook = Receiver("/webhook/in");
  settings.heartbeat = "heartbeat without a scheme";

  const auto started = std::chrono::steady_clock::now();
  const Text lines = PushTestResultsText(SendTestAlerts(settings));
  const auto took = std::chrono::steady_clock::now() - started;

  // PushPlus's refusal carries its message after the code: 200，code=903，无效的用户token, and the hint: 请检查
  // PushPlus 的 token.
  const Text expected = JoinTexts(Line(PushChannel::ServerChan, true), "\r\n",  //
                                  Line(PushChannel::PushPlus, false,
                                       "200\xA3\xAC"
                                       "code=903\xA3\xAC\xCE\xDE\xD0\xA7\xB5\xC4\xD3\xC3\xBB\xA7token"
                                       "\xA3\xAC\xC7\xEB\xBC\xEC\xB2\xE9 PushPlus \xB5\xC4 token"),
                                  "\r\n",                                                       //
                                  Line(PushChannel::WeCom, false, "500"), "\r\n",               //
                                  Line(PushChannel::DingTalk, true), "\r\n",                    //
                                  Line(PushChannel::Feishu, false, "302"), "\r\n",              //
                                  Line(PushChannel::Bark, false, "200" + kUnreadable), "\r\n",  //
                                  Line(PushChannel::Telegram, false, kNoAnswerReason), "\r\n",  //
                                  Line(PushChannel::Webhook, false, kNoAnswerReason), "\r\n",   //
                                  Line(PushChannel::Heartbeat, false, kNoHttpSchemeReason));
  EXPECT_EQ(lines, expected);
  // The hanging channel is given up within the wait its 10 seconds allow, not the default 15's.
  EXPECT_LT(took, std::chrono::seconds(ExchangeWaitSeconds(10) + 4));
  EXPECT_GT(took, std::chrono::seconds(9));
}

TEST_F(SendTestAlertsTest, RedirectIsNotFollowed) {
  SetMode("/webhook", "redirect");
  AlertSettings settings;
  settings.webhook = Receiver("/webhook/in");
  EXPECT_EQ(PushTestResultsText(SendTestAlerts(settings)), Line(PushChannel::Webhook, false, "302"));
  // Nothing arrived at the redirect's target.
  const ByteSet recorded = HttpRequest(Receiver("/_fake/requests"));
  const Text requests(recorded.begin(), recorded.end());
  EXPECT_NE(requests.find("/webhook/in"), Text::npos) << requests;
  EXPECT_EQ(requests.find("/elsewhere"), Text::npos) << requests;
}

}  // namespace
}  // namespace korvan

// The alert settings of korvan.ini's section "高级设置", one row each: what the settings file, the
// dialog and the pushes need of it. A push channel's row holds all there is to say about the channel
// but its request's body, so a new channel is its row, its request and its test.
#pragma once

#include <optional>
#include <string_view>

#include "alerts/push_answers.h"
#include "alerts/push_channels.h"
#include "config/alert_settings.h"
#include "config/ini_store.h"
#include "runtime/text/text.h"

namespace korvan {

// One alert setting: its key under "高级设置", where the value is kept, its caption in the dialog
// (code page 936), the channel its URL is for (none for the DingTalk secret and the notify choice),
// the shape of the value, shown greyed in the empty box (a display text, never requested), and for a
// channel: its name in the log and the test results when it is not the caption, its request (none
// for the heartbeat, whose pings are built apart) and how its answer is read.
struct AlertField {
  std::string_view key;
  Text AlertSettings::*value;
  std::string_view caption;
  std::optional<PushChannel> channel;
  std::string_view cue;
  std::string_view serviceName{};
  PushRequestBuilder request = nullptr;
  PushAnswerReading answer{};
};

// In the order they are read, written and shown.
inline constexpr AlertField kAlertFields[] = {
    {.key = kServerChanKey,
     .value = &AlertSettings::serverchan,
     .caption = "Server\xBD\xB4",  // Server酱
     .channel = PushChannel::ServerChan,
     .cue = "https://sctapi.ftqq.com/<SendKey>.send",
     .request = ServerChanRequest,
     .answer = {.codeField = "code", .successCode = 0, .messageField = "message"}},
    {.key = kPushPlusKey,
     .value = &AlertSettings::pushplus,
     .caption = "PushPlus",
     .channel = PushChannel::PushPlus,
     .cue = "http://www.pushplus.plus/send/<token>",
     .request = PushPlusRequest,
     .answer = {.codeField = "code", .successCode = 200, .messageField = "msg"}},
    {.key = kWeComKey,
     .value = &AlertSettings::wecom,
     .caption = "\xC6\xF3\xD2\xB5\xCE\xA2\xD0\xC5",  // 企业微信
     .channel = PushChannel::WeCom,
     .cue = "https://qyapi.weixin.qq.com/cgi-bin/webhook/send?key=<key>",
     .request = WeComRequest,
     .answer = {.codeField = "errcode", .successCode = 0, .messageField = "errmsg"}},
    {.key = kDingTalkKey,
     .value = &AlertSettings::dingtalk,
     .caption = "\xB6\xA4\xB6\xA4",  // 钉钉
     .channel = PushChannel::DingTalk,
     .cue = "https://oapi.dingtalk.com/robot/send?access_token=<token>",
     .request = DingTalkRequest,
     .answer = {.codeField = "errcode", .successCode = 0, .messageField = "errmsg"}},
    {.key = kDingTalkSecretKey,
     .value = &AlertSettings::dingtalkSecret,
     .caption = "\xB6\xA4\xB6\xA4\xBC\xD3\xC7\xA9\xC3\xDC\xD4\xBF",  // 钉钉加签密钥
     .channel = std::nullopt,
     // SEC<密钥>（安全设置为“加签”时填写）
     .cue = "SEC<\xC3\xDC\xD4\xBF>\xA3\xA8\xB0\xB2\xC8\xAB\xC9\xE8\xD6\xC3\xCE\xAA\xA1\xB0\xBC\xD3\xC7\xA9\xA1\xB1\xCA"
            "\xB1\xCC\xEE\xD0\xB4\xA3\xA9"},
    {.key = kFeishuKey,
     .value = &AlertSettings::feishu,
     .caption = "\xB7\xC9\xCA\xE9",  // 飞书
     .channel = PushChannel::Feishu,
     .cue = "https://open.feishu.cn/open-apis/bot/v2/hook/<id>",
     .request = FeishuRequest,
     .answer = {.codeField = "code", .successCode = 0, .messageField = "msg"}},
    {.key = kBarkKey,
     .value = &AlertSettings::bark,
     .caption = "Bark",
     .channel = PushChannel::Bark,
     .cue = "https://api.day.app/<key>",
     .request = BarkRequest,
     .answer = {.codeField = "code", .successCode = 200, .messageField = "message"}},
    {.key = kTelegramKey,
     .value = &AlertSettings::telegram,
     .caption = "Telegram",
     .channel = PushChannel::Telegram,
     .cue = "https://api.telegram.org/bot<token>/sendMessage?chat_id=<id>",
     .request = TelegramRequest,
     .answer = {.codeField = "ok", .successIsTrue = true, .messageField = "description"}},
    // Any 2xx is delivered, and nothing is known of the receiver's answer.
    {.key = kWebhookKey,
     .value = &AlertSettings::webhook,
     .caption = "Webhook",
     .channel = PushChannel::Webhook,
     // https://<host>/<path>（接收 JSON POST）
     .cue = "https://<host>/<path>\xA3\xA8\xBD\xD3\xCA\xD5 JSON POST\xA3\xA9",
     .request = WebhookRequest},
    // Uptime Kuma explains in msg; healthchecks answers plain text.
    {.key = kHeartbeatKey,
     .value = &AlertSettings::heartbeat,
     .caption = "\xD0\xC4\xCC\xF8\xBC\xE0\xBF\xD8",  // 心跳监控
     .channel = PushChannel::Heartbeat,
     // https://hc-ping.com/<uuid> 或 http://<kuma>/…
     .cue = "https://hc-ping.com/<uuid> \xBB\xF2 http://<kuma>/api/push/<token>?status=up&msg=OK&ping=",
     .serviceName = "\xD0\xC4\xCC\xF8",  // 心跳
     .answer = {.messageField = "msg"}},
    {.key = kNotifyKey,
     .value = &AlertSettings::notify,
     .caption = "\xCD\xC6\xCB\xCD\xCA\xB1\xBB\xFA",  // 推送时机
     .channel = std::nullopt,
     .cue = {}},
};

// A second row with a key already taken would never be read, and a channel without a row, or with
// two, would have no one name, request and answer reading.
constexpr bool EachKeyAndChannelHasOneRow() {
  for (const AlertField& field : kAlertFields) {
    int sameKey = 0;
    for (const AlertField& other : kAlertFields)
      sameKey += other.key == field.key ? 1 : 0;
    if (sameKey != 1) return false;
  }
  for (int channel = 0; channel <= static_cast<int>(PushChannel::Heartbeat); ++channel) {
    int rows = 0;
    for (const AlertField& field : kAlertFields)
      rows += field.channel && static_cast<int>(*field.channel) == channel ? 1 : 0;
    if (rows != 1) return false;
  }
  return true;
}
static_assert(EachKeyAndChannelHasOneRow());

// The field of a key; null for a key that is not an alert setting.
const AlertField* AlertFieldOfKey(std::string_view key);

// The row of a channel; every channel has one.
const AlertField& AlertFieldOfChannel(PushChannel channel);

// True when a push channel or the heartbeat is set: the only case in which any alert is sent.
bool AnyAlertConfigured(const AlertSettings& settings);

AlertSettings ReadAlertSettings(IniStore& store);

// Writes the settings, then reads them back: true when every one comes back as written. A key that is
// empty and not stored yet is not written, so a file without alerts stays as it was.
bool WriteAlertSettings(IniStore& store, const AlertSettings& settings);

}  // namespace korvan

// The alert settings in korvan.ini's section "高级设置": one URL per push channel as the user pasted
// it, the DingTalk secret, the heartbeat URL and when to push. All absent means no alert at all.
#pragma once

#include <optional>
#include <string_view>

#include "config/advanced_settings.h"
#include "config/config_file.h"
#include "runtime/text/text.h"

namespace korvan {

inline constexpr std::string_view kServerChanKey = "serverchan";
inline constexpr std::string_view kPushPlusKey = "pushplus";
inline constexpr std::string_view kWeComKey = "wecom";
inline constexpr std::string_view kDingTalkKey = "dingtalk";
inline constexpr std::string_view kDingTalkSecretKey = "dingtalkSecret";
inline constexpr std::string_view kFeishuKey = "feishu";
inline constexpr std::string_view kBarkKey = "bark";
inline constexpr std::string_view kTelegramKey = "telegram";
inline constexpr std::string_view kWebhookKey = "webhook";
inline constexpr std::string_view kHeartbeatKey = "heartbeat";
inline constexpr std::string_view kNotifyKey = "notify";

// Each value as stored, without surrounding blanks; the channel URLs are secrets like the password.
struct AlertSettings {
  Text serverchan;
  Text pushplus;
  Text wecom;
  Text dingtalk;
  Text dingtalkSecret;
  Text feishu;
  Text bark;
  Text telegram;
  Text webhook;
  Text heartbeat;
  Text notify;  // "fail", "renew" or "all"; the alerts read anything else as "fail"
  friend bool operator==(const AlertSettings&, const AlertSettings&) = default;
};

// Where an alert goes: the push services, and the heartbeat's monitor.
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

// One alert setting, described once for the settings file, the dialog and the alerts: its key
// under "高级设置", where the value is kept, its caption in the dialog (code page 936), the
// channel its URL is for (none for the DingTalk secret and the notify choice), and the shape of
// the value, shown greyed in the empty box: a display text, never requested.
struct AlertField {
  std::string_view key;
  Text AlertSettings::*value;
  std::string_view caption;
  std::optional<PushChannel> channel;
  std::string_view cue;
};

// In the order they are read, written and shown.
inline constexpr AlertField kAlertFields[] = {
    {kServerChanKey, &AlertSettings::serverchan, "Server\xBD\xB4", PushChannel::ServerChan,  // Server酱
     "https://sctapi.ftqq.com/<SendKey>.send"},
    {kPushPlusKey, &AlertSettings::pushplus, "PushPlus", PushChannel::PushPlus,
     "http://www.pushplus.plus/send/<token>"},
    {kWeComKey, &AlertSettings::wecom, "\xC6\xF3\xD2\xB5\xCE\xA2\xD0\xC5", PushChannel::WeCom,  // 企业微信
     "https://qyapi.weixin.qq.com/cgi-bin/webhook/send?key=<key>"},
    {kDingTalkKey, &AlertSettings::dingtalk, "\xB6\xA4\xB6\xA4", PushChannel::DingTalk,  // 钉钉
     "https://oapi.dingtalk.com/robot/send?access_token=<token>"},
    {kDingTalkSecretKey, &AlertSettings::dingtalkSecret,
     "\xB6\xA4\xB6\xA4\xBC\xD3\xC7\xA9\xC3\xDC\xD4\xBF",  // 钉钉加签密钥
     std::nullopt,
     "SEC<\xC3\xDC\xD4\xBF>\xA3\xA8\xB0\xB2\xC8\xAB\xC9\xE8\xD6\xC3\xCE\xAA\xA1\xB0\xBC\xD3\xC7\xA9\xA1\xB1\xCA\xB1"
     "\xCC\xEE\xD0\xB4\xA3\xA9"},  // SEC<密钥>（安全设置为“加签”时填写）
    {kFeishuKey, &AlertSettings::feishu, "\xB7\xC9\xCA\xE9", PushChannel::Feishu,  // 飞书
     "https://open.feishu.cn/open-apis/bot/v2/hook/<id>"},
    {kBarkKey, &AlertSettings::bark, "Bark", PushChannel::Bark, "https://api.day.app/<key>"},
    {kTelegramKey, &AlertSettings::telegram, "Telegram", PushChannel::Telegram,
     "https://api.telegram.org/bot<token>/sendMessage?chat_id=<id>"},
    {kWebhookKey, &AlertSettings::webhook, "Webhook", PushChannel::Webhook,
     "https://<host>/<path>\xA3\xA8\xBD\xD3\xCA\xD5 JSON POST\xA3\xA9"},  // https://<host>/<path>（接收 JSON POST）
    {kHeartbeatKey, &AlertSettings::heartbeat, "\xD0\xC4\xCC\xF8\xBC\xE0\xBF\xD8",  // 心跳监控
     PushChannel::Heartbeat,
     "https://hc-ping.com/<uuid> \xBB\xF2 http://<kuma>/api/push/<token>?status=up&msg=OK&ping="},  // 或
    {kNotifyKey, &AlertSettings::notify, "\xCD\xC6\xCB\xCD\xCA\xB1\xBB\xFA", std::nullopt, {}},     // 推送时机
};

// The field of a key; null for a key that is not an alert setting.
const AlertField* AlertFieldOfKey(std::string_view key);

// True when a push channel or the heartbeat is set: the only case in which any alert is sent.
bool AnyAlertConfigured(const AlertSettings& settings);

AlertSettings ReadAlertSettings(IniStore& store);

// Writes the settings, then reads them back: true when every one comes back as written. A key that is
// empty and not stored yet is not written, so a file without alerts stays as it was.
bool WriteAlertSettings(IniStore& store, const AlertSettings& settings);

}  // namespace korvan

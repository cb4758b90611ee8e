// The alert settings in korvan.ini's section "高级设置": one URL per push channel as the user pasted
// it, the DingTalk secret, the heartbeat URL and when to push. All absent means no alert at all.
// Their rows (caption, channel, request) and their reading and writing: alerts/alert_fields.h, since
// a channel's row holds its request and its answer reading.
#pragma once

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

}  // namespace korvan

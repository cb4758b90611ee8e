#include "config/alert_settings.h"

namespace korvan {

namespace {

struct AlertItem {
  std::string_view key;
  Text AlertSettings::*value;
};

// The order in which they are read and written.
constexpr AlertItem kAlertItems[] = {
    {kServerChanKey, &AlertSettings::serverchan},
    {kPushPlusKey, &AlertSettings::pushplus},
    {kWeComKey, &AlertSettings::wecom},
    {kDingTalkKey, &AlertSettings::dingtalk},
    {kDingTalkSecretKey, &AlertSettings::dingtalkSecret},
    {kFeishuKey, &AlertSettings::feishu},
    {kBarkKey, &AlertSettings::bark},
    {kTelegramKey, &AlertSettings::telegram},
    {kWebhookKey, &AlertSettings::webhook},
    {kHeartbeatKey, &AlertSettings::heartbeat},
    {kNotifyKey, &AlertSettings::notify},
};

}  // namespace

bool AnyAlertConfigured(const AlertSettings& settings) {
  for (const Text* url :
       {&settings.serverchan, &settings.pushplus, &settings.wecom, &settings.dingtalk, &settings.feishu, &settings.bark,
        &settings.telegram, &settings.webhook, &settings.heartbeat}) {
    if (!url->empty()) return true;
  }
  return false;
}

AlertSettings ReadAlertSettings(IniStore& store) {
  AlertSettings settings;
  for (const AlertItem& item : kAlertItems)
    settings.*item.value = TrimBlanks(store.Read(kAdvancedSection, item.key));
  return settings;
}

bool WriteAlertSettings(IniStore& store, const AlertSettings& settings) {
  AlertSettings trimmed;
  bool allWritten = true;
  for (const AlertItem& item : kAlertItems) {
    const Text& value = trimmed.*item.value = TrimBlanks(settings.*item.value);
    if (value.empty() && store.Read(kAdvancedSection, item.key).empty()) continue;
    allWritten = store.Write(kAdvancedSection, item.key, value) && allWritten;
  }
  return allWritten && ReadAlertSettings(store) == trimmed;
}

}  // namespace korvan

#include "config/alert_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace korvan {
namespace {

// An INI file in memory; a refusing store keeps what it held.
class FakeStore final : public ConfigStore {
 public:
  using Item = std::pair<Text, Text>;

  Text Read(std::string_view section, std::string_view key) override {
    const auto found = items.find(Item(section, key));
    return found == items.end() ? Text() : found->second;
  }
  bool Write(std::string_view section, std::string_view key, std::string_view value) override {
    writtenKeys.emplace_back(key);
    if (refuseWrites) return false;
    items[Item(section, key)] = Text(value);
    return true;
  }

  std::map<Item, Text> items;
  bool refuseWrites = false;
  std::vector<Text> writtenKeys;
};

const Text kSection(kAdvancedSection);

AlertSettings EverySetting() {
  return AlertSettings{
      .serverchan = "http://127.0.0.1:19530/SCT1.send",
      .pushplus = "http://127.0.0.1:19530/send/t",
      .wecom = "http://127.0.0.1:19530/cgi-bin/webhook/send?key=k",
      .dingtalk = "http://127.0.0.1:19530/robot/send?access_token=t",
      .dingtalkSecret = "SECabc",
      .feishu = "http://127.0.0.1:19530/open-apis/bot/v2/hook/h",
      .bark = "http://127.0.0.1:19530/key",
      .telegram = "http://127.0.0.1:19530/bot1:x/sendMessage?chat_id=2",
      .webhook = "http://127.0.0.1:19530/any",
      .heartbeat = "http://127.0.0.1:19531/ping/uuid",
      .notify = "renew",
  };
}

TEST(AlertSettingsTest, ReadsEachKeyOfTheSection) {
  FakeStore store;
  const std::pair<const char*, Text AlertSettings::*> keys[] = {
      {"serverchan", &AlertSettings::serverchan},
      {"pushplus", &AlertSettings::pushplus},
      {"wecom", &AlertSettings::wecom},
      {"dingtalk", &AlertSettings::dingtalk},
      {"dingtalkSecret", &AlertSettings::dingtalkSecret},
      {"feishu", &AlertSettings::feishu},
      {"bark", &AlertSettings::bark},
      {"telegram", &AlertSettings::telegram},
      {"webhook", &AlertSettings::webhook},
      {"heartbeat", &AlertSettings::heartbeat},
      {"notify", &AlertSettings::notify},
  };
  for (const auto& [key, field] : keys)
    store.items[{kSection, key}] = Text(" value of ") + key + " ";
  // The same key in another section is not an alert setting.
  store.items[{"\xB5\xC7\xC2\xBC\xC5\xE4\xD6\xC3", "webhook"}] = "http://127.0.0.1:19530/elsewhere";
  const AlertSettings settings = ReadAlertSettings(store);
  for (const auto& [key, field] : keys)
    EXPECT_EQ(settings.*field, Text("value of ") + key) << key;
}

TEST(AlertSettingsTest, NothingStoredIsNothingConfigured) {
  FakeStore store;
  const AlertSettings settings = ReadAlertSettings(store);
  EXPECT_EQ(settings, AlertSettings{});
  EXPECT_FALSE(AnyAlertConfigured(settings));
}

struct ConfiguredCase {
  const char* name;
  Text AlertSettings::*field;
  bool configured;
};

const ConfiguredCase kConfiguredCases[] = {
    {"ServerChan", &AlertSettings::serverchan, true},
    {"PushPlus", &AlertSettings::pushplus, true},
    {"WeCom", &AlertSettings::wecom, true},
    {"DingTalk", &AlertSettings::dingtalk, true},
    {"Feishu", &AlertSettings::feishu, true},
    {"Bark", &AlertSettings::bark, true},
    {"Telegram", &AlertSettings::telegram, true},
    {"Webhook", &AlertSettings::webhook, true},
    {"Heartbeat", &AlertSettings::heartbeat, true},
    // A secret or a mode alone sends nothing anywhere.
    {"DingTalkSecretAlone", &AlertSettings::dingtalkSecret, false},
    {"NotifyAlone", &AlertSettings::notify, false},
};

class AlertConfiguredTest : public testing::TestWithParam<ConfiguredCase> {};

TEST_P(AlertConfiguredTest, OnlyAChannelOrTheHeartbeatTurnsAlertsOn) {
  const ConfiguredCase& c = GetParam();
  AlertSettings settings;
  settings.*c.field = "x";
  EXPECT_EQ(AnyAlertConfigured(settings), c.configured);
}

INSTANTIATE_TEST_SUITE_P(Cases, AlertConfiguredTest, testing::ValuesIn(kConfiguredCases), [](const auto& info) {
  return std::string(info.param.name);
});

TEST(AlertSettingsTest, WrittenSettingsReadBackTheSame) {
  FakeStore store;
  AlertSettings written = EverySetting();
  written.bark = "  " + written.bark + "  ";
  EXPECT_TRUE(WriteAlertSettings(store, written));
  EXPECT_EQ(store.Read(kSection, "bark"), "http://127.0.0.1:19530/key");
  EXPECT_EQ(store.Read(kSection, "dingtalkSecret"), "SECabc");
  EXPECT_EQ(ReadAlertSettings(store), EverySetting());
}

TEST(AlertSettingsTest, EmptyKeysNotStoredAreNotWritten) {
  FakeStore store;
  AlertSettings settings;
  settings.wecom = "http://127.0.0.1:19530/cgi-bin/webhook/send?key=k";
  EXPECT_TRUE(WriteAlertSettings(store, settings));
  EXPECT_EQ(store.writtenKeys, std::vector<Text>{"wecom"});
}

TEST(AlertSettingsTest, ClearingAStoredKeyWritesItEmpty) {
  FakeStore store;
  ASSERT_TRUE(WriteAlertSettings(store, EverySetting()));
  AlertSettings cleared = EverySetting();
  cleared.telegram.clear();
  EXPECT_TRUE(WriteAlertSettings(store, cleared));
  EXPECT_EQ(store.items.count({kSection, "telegram"}), 1u);
  EXPECT_EQ(store.Read(kSection, "telegram"), "");
  EXPECT_EQ(ReadAlertSettings(store).telegram, "");
}

TEST(AlertSettingsTest, RefusedWriteIsReported) {
  FakeStore store;
  store.refuseWrites = true;
  EXPECT_FALSE(WriteAlertSettings(store, EverySetting()));
}

TEST(AlertSettingsTest, ChangedReadBackIsReported) {
  // A store that takes the writes but gives back something else, as a read-only file would.
  class StaleStore final : public ConfigStore {
   public:
    Text Read(std::string_view, std::string_view key) override { return key == "bark" ? "old" : ""; }
    bool Write(std::string_view, std::string_view, std::string_view) override { return true; }
  } store;
  EXPECT_FALSE(WriteAlertSettings(store, EverySetting()));
}

}  // namespace
}  // namespace korvan

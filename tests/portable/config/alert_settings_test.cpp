#include "alerts/alert_fields.h"

#include <gtest/gtest.h>

#include "fake_ini_store.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace korvan {
namespace {

using FakeStore = FakeIniStore;

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

const std::pair<const char*, Text AlertSettings::*> kKeys[] = {
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

TEST(AlertSettingsTest, ReadsEachKeyOfTheSectionAndOnlyAChannelTurnsAlertsOn) {
  FakeStore store;
  EXPECT_EQ(ReadAlertSettings(store), AlertSettings{});
  EXPECT_FALSE(AnyAlertConfigured(ReadAlertSettings(store)));
  for (const auto& [key, field] : kKeys)
    store.items[{kSection, key}] = Text(" value of ") + key + " ";
  // The same key in another section is not an alert setting.
  store.items[{"\xB5\xC7\xC2\xBC\xC5\xE4\xD6\xC3", "webhook"}] = "http://127.0.0.1:19530/elsewhere";
  const AlertSettings settings = ReadAlertSettings(store);
  for (const auto& [key, field] : kKeys) {
    EXPECT_EQ(settings.*field, Text("value of ") + key) << key;
    AlertSettings one;
    one.*field = "x";
    // A secret or a mode alone sends nothing anywhere.
    EXPECT_EQ(AnyAlertConfigured(one), Text(key) != "dingtalkSecret" && Text(key) != "notify") << key;
  }
}

TEST(AlertSettingsTest, WritesWhatReadsBackTheSameAndOnlyKeysInUse) {
  FakeStore store;
  AlertSettings wecomOnly;
  wecomOnly.wecom = "http://127.0.0.1:19530/cgi-bin/webhook/send?key=k";
  EXPECT_TRUE(WriteAlertSettings(store, wecomOnly));
  EXPECT_EQ(store.WrittenKeys(), std::vector<Text>{"wecom"});  // empty keys not stored are not written

  AlertSettings written = EverySetting();
  written.bark = "  " + written.bark + "  ";
  EXPECT_TRUE(WriteAlertSettings(store, written));
  EXPECT_EQ(store.Read(kSection, "bark"), "http://127.0.0.1:19530/key");
  EXPECT_EQ(ReadAlertSettings(store), EverySetting());

  AlertSettings cleared = EverySetting();
  cleared.telegram.clear();  // a stored key cleared is written empty
  EXPECT_TRUE(WriteAlertSettings(store, cleared));
  EXPECT_EQ(store.items.count({kSection, "telegram"}), 1u);
  EXPECT_EQ(ReadAlertSettings(store), cleared);
}

TEST(AlertSettingsTest, RefusedWriteOrChangedReadBackIsReported) {
  FakeStore refusing;
  refusing.refuseAll = true;
  EXPECT_FALSE(WriteAlertSettings(refusing, EverySetting()));
  // A store that takes the writes but gives back something else, as a read-only file would.
  class StaleStore final : public IniStore {
   public:
    Text Read(std::string_view, std::string_view key) override { return key == "bark" ? "old" : ""; }
    bool Write(std::string_view, std::string_view, std::string_view) override { return true; }
  } stale;
  EXPECT_FALSE(WriteAlertSettings(stale, EverySetting()));
}

}  // namespace
}  // namespace korvan

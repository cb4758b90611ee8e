#include "app/settings_dialog/advanced_settings_form.h"

#include <gtest/gtest.h>

#include "advanced_settings_texts.h"
#include "fake_ini_store.h"

#include <map>
#include <set>
#include <utility>
#include <vector>

namespace korvan {
namespace {

using FakeStore = FakeIniStore;

using namespace testing_texts;

TEST(AdvancedSettingsFormTest, TableIsInFieldOrderAndInsideTheDialog) {
  std::set<std::string_view> keys;
  for (int index = 0; index < kAdvancedFieldCount; ++index) {
    const AdvancedFieldSpec& spec = kAdvancedFields[index];
    EXPECT_EQ(static_cast<int>(spec.field), index);
    EXPECT_LE(spec.left + spec.width, kAdvancedDialogWidth - 12) << index;
    EXPECT_LE(spec.top + spec.height, kAdvancedDialogHeight - 8) << index;
    if (!spec.key.empty()) {
      EXPECT_TRUE(keys.insert(spec.key).second) << spec.key;
    }
    // A caption to the left must fit before its box.
    if (spec.kind == AdvancedFieldKind::TextBox || spec.kind == AdvancedFieldKind::Choice ||
        spec.kind == AdvancedFieldKind::ResultBox) {
      EXPECT_GE(spec.left, kAdvancedCaptionLeft + kAdvancedCaptionWidth) << index;
    }
    // Rows stack: no control starts above the end of a previous row's control in the same column.
    for (int earlier = 0; earlier < index; ++earlier) {
      const AdvancedFieldSpec& other = kAdvancedFields[earlier];
      const bool columnsMeet = spec.left < other.left + other.width && other.left < spec.left + spec.width;
      if (columnsMeet) {
        EXPECT_GE(spec.top, other.top + other.height) << index << " overlaps " << earlier;
      }
    }
  }
}

// The keys as README and korvan.ini spell them: a field saved under another field's key, or under a
// misspelt one, would be read back by nobody.
TEST(AdvancedSettingsFormTest, EachFieldHasTheKeyKorvanIniUses) {
  const std::map<AdvancedField, std::string_view> keys = {
      {AdvancedField::Verify, "verify"},       {AdvancedField::History, "history"},
      {AdvancedField::Deadline, "deadline"},   {AdvancedField::Wake, "wake"},
      {AdvancedField::Notify, "notify"},       {AdvancedField::ServerChan, "serverchan"},
      {AdvancedField::PushPlus, "pushplus"},   {AdvancedField::WeCom, "wecom"},
      {AdvancedField::DingTalk, "dingtalk"},   {AdvancedField::DingTalkSecret, "dingtalkSecret"},
      {AdvancedField::Feishu, "feishu"},       {AdvancedField::Bark, "bark"},
      {AdvancedField::Telegram, "telegram"},   {AdvancedField::Webhook, "webhook"},
      {AdvancedField::Heartbeat, "heartbeat"},
  };
  for (const AdvancedFieldSpec& spec : kAdvancedFields) {
    const auto named = keys.find(spec.field);
    EXPECT_EQ(spec.key, named == keys.end() ? "" : named->second) << static_cast<int>(spec.field);
  }
}

// Every keyed field reaches korvan.ini under its own key, and reads back into the same field.
TEST(AdvancedSettingsFormTest, EachFieldIsSavedUnderItsKeyAndReadBack) {
  for (const AdvancedFieldSpec& spec : kAdvancedFields) {
    if (spec.kind != AdvancedFieldKind::CheckBox && spec.kind != AdvancedFieldKind::TextBox) continue;
    FakeStore store;
    AdvancedDialogValues values;
    const Text text = "https://127.0.0.1/" + Text(spec.key);
    if (spec.kind == AdvancedFieldKind::CheckBox) {
      SetFieldChecked(values, spec.field, true);
    } else {
      SetFieldText(values, spec.field, text);
    }
    std::vector<Text> log;
    SaveAdvancedDialogValues(store, values, [&log](std::string_view message) { log.emplace_back(message); });
    EXPECT_EQ(log, std::vector<Text>{kSaved}) << spec.key;
    EXPECT_EQ(store.Read(kSection, spec.key), spec.kind == AdvancedFieldKind::CheckBox ? "1" : text) << spec.key;

    const AdvancedDialogValues back = ReadAdvancedDialogValues(store);
    EXPECT_EQ(back, values) << spec.key;
    for (const AdvancedFieldSpec& other : kAdvancedFields) {
      if (other.field == spec.field) continue;
      EXPECT_FALSE(FieldChecked(back, other.field)) << spec.key << " leaked into " << other.key;
      EXPECT_EQ(FieldText(back, other.field), "") << spec.key << " leaked into " << other.key;
    }
  }
}

TEST(AdvancedSettingsFormTest, OneFailedWriteOfEitherHalfLogsOneFailure) {
  for (const Text refused : {"history", "wecom", "notify"}) {
    FakeStore store;
    store.refusedKeys.insert(refused);
    AdvancedDialogValues values;
    values.advanced.history = true;
    values.alerts.wecom = "https://127.0.0.1/wecom";
    values.alerts.notify = "all";
    std::vector<Text> log;
    SaveAdvancedDialogValues(store, values, [&log](std::string_view message) { log.emplace_back(message); });
    EXPECT_EQ(log, std::vector<Text>{kSaveFailed}) << refused;
    // The other half is still written.
    EXPECT_EQ(store.Read(kSection, "verify"), "0") << refused;
  }
}

struct NotifyCase {
  const char* stored;
  int index;
  int chosen;
  const char* written;
};

TEST(AdvancedSettingsFormTest, NotifyChoiceKeepsWhatAlreadyMeansIt) {
  const NotifyCase cases[] = {
      {"", 0, 0, ""},
      {"fail", 0, 0, "fail"},
      {"renew", 1, 1, "renew"},
      {"all", 2, 2, "all"},
      {" all ", 2, 2, " all "},
      {"often", 0, 0, "often"},
      {"", 0, 2, "all"},
      {"all", 2, 0, "fail"},
      {"fail", 0, 1, "renew"},
      {"renew", 1, 7, "fail"},
      // Read as the alerts read it, so the dialog shows what the pushes do.
      {"RENEW", 1, 1, "RENEW"},
      {" All ", 2, 2, " All "},
      {"RENEW", 1, 0, "fail"},
  };
  for (const NotifyCase& c : cases) {
    EXPECT_EQ(NotifyChoiceIndex(c.stored), c.index) << c.stored;
    EXPECT_EQ(NotifyValueForChoice(c.chosen, c.stored), c.written) << c.stored << " chosen " << c.chosen;
  }
}

TEST(AdvancedSettingsFormTest, TestResultLinesEndAsTheEditBoxWantsThem) {
  const std::pair<Text, Text> cases[] = {
      {"", ""}, {"a", "a"}, {"a\nb\n", "a\r\nb\r\n"}, {"a\r\nb", "a\r\nb"}, {"a\rb", "a\r\nb"},
  };
  for (const auto& [result, box] : cases)
    EXPECT_EQ(TestResultBoxText(result), box) << result;
}

}  // namespace
}  // namespace korvan

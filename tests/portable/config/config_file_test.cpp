#include "config/config_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace korvan {
namespace {

// An INI file in memory. A refusing store keeps what it held; a mangling store changes values as a
// profile reader might (here: drops surrounding quotes), to show that only the read-back counts.
class FakeStore final : public IniStore {
 public:
  using Item = std::pair<Text, Text>;

  Text Read(std::string_view section, std::string_view key) override {
    ++reads;
    const auto found = items.find(Item(section, key));
    return found == items.end() ? Text() : found->second;
  }
  bool Write(std::string_view section, std::string_view key, std::string_view value) override {
    writes.emplace_back(Text(section), Text(key), Text(value));
    if (refuseWrites) return false;
    items[Item(section, key)] = mangle ? mangle(value) : Text(value);
    return true;
  }

  std::map<Item, Text> items;
  bool refuseWrites = false;
  std::function<Text(std::string_view)> mangle;
  int reads = 0;
  std::vector<std::tuple<Text, Text, Text>> writes;
};

class FakeBoxes final : public SettingBoxes {
 public:
  Text Read(Setting box) override { return contents[box]; }
  void Set(Setting box, std::string_view text) override {
    contents[box] = Text(text);
    changes.emplace_back(box, Text(text));
  }

  std::map<Setting, Text> contents{{Setting::RenewHours, "10"}, {Setting::RestartHours, "24"}};
  std::vector<std::pair<Setting, Text>> changes;
};

// 用户 in code page 936: a user name with two-byte characters.
const Text kChineseUser = "\xD3\xC3\xBB\xA7";

TEST(LoadConfigurationTest, FirstStartWithoutUserNameTouchesNoBox) {
  // No "user" key at all, and a "user" key saved empty.
  for (const std::optional<Text>& storedUser : {std::optional<Text>(), std::optional<Text>("")}) {
    FakeStore store;
    if (storedUser) store.items[{Text(kLoginSection), "user"}] = *storedUser;
    store.items[{Text(kLoginSection), "pass"}] = "secret";
    store.items[{Text(kRenewHoursSection), "time"}] = "5";
    FakeBoxes boxes;
    EXPECT_FALSE(LoadConfiguration(store, boxes));
    EXPECT_TRUE(boxes.changes.empty());
    EXPECT_EQ(boxes.contents[Setting::RenewHours], "10");
  }
}

TEST(LoadConfigurationTest, FillsTheFourBoxesInOrderFromTheirSections) {
  FakeStore store;
  store.items[{Text(kLoginSection), "user"}] = kChineseUser;
  store.items[{Text(kLoginSection), "pass"}] = "p@ss word";
  store.items[{Text(kRenewHoursSection), "time"}] = "6";
  store.items[{Text(kRestartHoursSection), "time"}] = "-3";
  // Keys the program does not know are not read into any box.
  store.items[{Text(kLoginSection), "time"}] = "99";
  FakeBoxes boxes;
  ASSERT_TRUE(LoadConfiguration(store, boxes));
  const std::vector<std::pair<Setting, Text>> expected = {
      {Setting::UserName, kChineseUser},
      {Setting::Password, "p@ss word"},
      {Setting::RenewHours, "6"},
      {Setting::RestartHours, "-3"},
  };
  EXPECT_EQ(boxes.changes, expected);
}

TEST(LoadConfigurationTest, UserNameAloneStillFillsEveryBoxWithEmptyTexts) {
  FakeStore store;
  store.items[{Text(kLoginSection), "user"}] = "alice";
  FakeBoxes boxes;
  ASSERT_TRUE(LoadConfiguration(store, boxes));
  // Each empty period still raises its box's handler, which repairs it to "1".
  const std::vector<std::pair<Setting, Text>> expected = {
      {Setting::UserName, "alice"}, {Setting::Password, ""}, {Setting::RenewHours, ""}, {Setting::RestartHours, ""}};
  EXPECT_EQ(boxes.changes, expected);
}

TEST(SaveConfigurationTest, WritesTheFourBoxesUnderTheirSectionsAndKeys) {
  FakeStore store;
  FakeBoxes boxes;
  boxes.contents = {{Setting::UserName, kChineseUser},
                    {Setting::Password, "plain pass"},
                    {Setting::RenewHours, "7"},
                    {Setting::RestartHours, "48"}};
  std::vector<Text> log;
  SaveConfiguration(store, boxes, [&log](std::string_view message) { log.emplace_back(message); });

  const std::vector<std::tuple<Text, Text, Text>> expectedWrites = {
      {Text(kLoginSection), "user", kChineseUser},
      {Text(kLoginSection), "pass", "plain pass"},
      {Text(kRenewHoursSection), "time", "7"},
      {Text(kRestartHoursSection), "time", "48"},
  };
  EXPECT_EQ(store.writes, expectedWrites);
  EXPECT_EQ(log, std::vector<Text>{Text(kConfigSavedMessage)});
  EXPECT_TRUE(boxes.changes.empty()) << "saving must not raise the boxes' handlers";
}

struct SaveCase {
  const char* name;
  Text storedUserBefore;  // empty: none stored
  Text boxUser;
  bool refuseWrites;
  bool mangle;
  std::string_view expectedMessage;
};

class SaveOutcomeTest : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveOutcomeTest, ReadBackOfTheUserNameDecidesTheMessage) {
  const SaveCase& c = GetParam();
  FakeStore store;
  if (!c.storedUserBefore.empty()) store.items[{Text(kLoginSection), "user"}] = c.storedUserBefore;
  store.refuseWrites = c.refuseWrites;
  if (c.mangle) {
    store.mangle = [](std::string_view value) {
      return value.size() >= 2 && value.front() == '"' && value.back() == '"' ? Text(value.substr(1, value.size() - 2))
                                                                              : Text(value);
    };
  }
  FakeBoxes boxes;
  boxes.contents[Setting::UserName] = c.boxUser;
  std::vector<Text> log;
  SaveConfiguration(store, boxes, [&log](std::string_view message) { log.emplace_back(message); });
  EXPECT_EQ(log, std::vector<Text>{Text(c.expectedMessage)});
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    SaveOutcomeTest,
    ::testing::Values(SaveCase{"Written", "", "alice", false, false, kConfigSavedMessage},
                      SaveCase{"ChineseUserName", "", kChineseUser, false, false, kConfigSavedMessage},
                      SaveCase{"EmptyUserNameReadsBackEqual", "bob", "", false, false, kConfigSavedMessage},
                      SaveCase{"NotWritable", "", "alice", true, false, kConfigSaveFailedMessage},
                      SaveCase{"NotWritableOldNameDiffers", "bob", "alice", true, false, kConfigSaveFailedMessage},
                      SaveCase{"NotWritableButAlreadyStored", "alice", "alice", true, false, kConfigSavedMessage},
                      SaveCase{"ComparisonIsCaseSensitive", "ALICE", "alice", true, false, kConfigSaveFailedMessage},
                      SaveCase{"ChangedByTheReader", "", "\"alice\"", false, true, kConfigSaveFailedMessage}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveConfigurationTest, SavingTwiceKeepsTheSameItemsAndSucceedsBothTimes) {
  FakeStore store;
  FakeBoxes boxes;
  boxes.contents[Setting::UserName] = "alice";
  std::vector<Text> log;
  const LogWriter appendLog = [&log](std::string_view message) { log.emplace_back(message); };
  SaveConfiguration(store, boxes, appendLog);
  const auto itemsAfterFirst = store.items;
  SaveConfiguration(store, boxes, appendLog);
  EXPECT_EQ(store.items, itemsAfterFirst);
  EXPECT_EQ(log, (std::vector<Text>{Text(kConfigSavedMessage), Text(kConfigSavedMessage)}));
}

}  // namespace
}  // namespace korvan

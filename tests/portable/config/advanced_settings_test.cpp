#include "config/advanced_settings.h"

#include <gtest/gtest.h>

#include "advanced_settings_texts.h"
#include "fake_ini_store.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace korvan {
namespace {

using FakeStore = FakeIniStore;

using namespace testing_texts;

struct ReadCase {
  const char* name;
  std::optional<Text> stored;  // absent: no key
  bool on;
};

TEST(AdvancedSettingReadTest, OnlyOneIsOn) {
  const ReadCase cases[] = {
      {"One", Text("1"), true},           {"Missing", std::nullopt, false}, {"Empty", Text(""), false},
      {"Zero", Text("0"), false},         {"Eleven", Text("11"), false},    {"Two", Text("2"), false},
      {"True", Text("true"), false},      {"Yes", Text("yes"), false},      {"FullWidthOne", Text("\xA3\xB1"), false},
      {"OneAndBlank", Text("1 "), false},
  };
  for (const ReadCase& c : cases) {
    for (const Text key : {"verify", "history"}) {
      FakeStore store;
      if (c.stored) store.items[{kSection, key}] = *c.stored;
      const AdvancedSettings settings = ReadAdvancedSettings(store);
      EXPECT_EQ(settings.verify, key == "verify" && c.on) << c.name << " " << key;
      EXPECT_EQ(settings.history, key == "history" && c.on) << c.name << " " << key;
    }
  }
}

TEST(AdvancedSettingReadTest, OtherSectionsDoNotCount) {
  FakeStore store;
  store.items[{"settings", "verify"}] = "1";
  store.items[{Text("\xB5\xC7\xC2\xBC\xC5\xE4\xD6\xC3"), "history"}] = "1";  // 登录配置
  EXPECT_EQ(ReadAdvancedSettings(store), AdvancedSettings{});
}

struct WriteCase {
  const char* name;
  AdvancedSettings settings;
  Text verify;
  Text history;
};

TEST(AdvancedSettingWriteTest, WritesBothKeysAndReadsThemBack) {
  const WriteCase cases[] = {{"BothOff", {false, false}, "0", "0"},
                             {"VerifyOnly", {true, false}, "1", "0"},
                             {"HistoryOnly", {false, true}, "0", "1"},
                             {"BothOn", {true, true}, "1", "1"}};
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeStore store;
    EXPECT_TRUE(WriteAdvancedSettings(store, c.settings));
    const std::vector<std::tuple<Text, Text, Text>> writes = {{kSection, "verify", c.verify},
                                                              {kSection, "history", c.history}};
    EXPECT_EQ(store.writes, writes);
    EXPECT_EQ(ReadAdvancedSettings(store), c.settings);
  }
}

TEST(AdvancedSettingSaveTest, AWriteThatDoesNotStickIsReportedAsFailed) {
  for (const Text refusedKey : {"verify", "history"}) {
    FakeStore store;
    store.refusedKeys.insert(refusedKey);
    EXPECT_FALSE(WriteAdvancedSettings(store, {true, true})) << refusedKey;
    EXPECT_EQ(store.writes.size(), 2u) << "the other key is written all the same";
  }
  // Refused, but the file already holds what was asked: saved. Turning off over a missing key that
  // cannot be written is not: the key must come back as "0".
  FakeStore store;
  store.items[{kSection, "verify"}] = "1";
  store.items[{kSection, "history"}] = "0";
  store.refusedKeys = {"verify", "history"};
  EXPECT_TRUE(WriteAdvancedSettings(store, {true, false}));
  FakeStore empty;
  empty.refusedKeys = {"verify", "history"};
  EXPECT_FALSE(WriteAdvancedSettings(empty, {false, false}));
}

}  // namespace
}  // namespace korvan

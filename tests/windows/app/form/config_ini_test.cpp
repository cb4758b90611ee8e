#include "platform/win32/ini_file_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/form/append_log.h"
#include "config/config_file.h"
#include "korvan/hosts.h"
#include "local_http_server.h"
#include "platform/win32/program_location.h"
#include "scratch_directory.h"

namespace korvan {

// The log box of this test program: entries are collected instead of shown, in place of the
// window's own AppendToLogBox.
std::vector<Text>& LoggedEntries() {
  static std::vector<Text> entries;
  return entries;
}
void AppendToLogBox(std::string_view text) { LoggedEntries().emplace_back(text); }

namespace {

using korvan::testing::LocalHttpServer;
using korvan::testing::ReadWholeFile;

class FakeBoxes final : public SettingBoxes {
 public:
  Text Read(Setting box) override { return contents[box]; }
  void Set(Setting box, std::string_view text) override { contents[box] = Text(text); }
  std::map<Setting, Text> contents;
};

// 用户
const Text kChineseUser = "\xD3\xC3\xBB\xA7";

class ConfigIniTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::remove(FileBesideProgram(kConfigFileName)); }
  void TearDown() override { std::filesystem::remove(FileBesideProgram(kConfigFileName)); }
};

TEST_F(ConfigIniTest, FileLivesBesideTheProgram) {
  EXPECT_EQ(FileBesideProgram(kConfigFileName), RunDirectory() + "\\korvan.ini");
}

TEST_F(ConfigIniTest, MissingFileIsAFirstStartAndCreatesNothing) {
  FakeBoxes boxes;
  IniFileStore store(FileBesideProgram(kConfigFileName));
  EXPECT_FALSE(LoadConfiguration(store, boxes));
  EXPECT_TRUE(boxes.contents.empty());
  EXPECT_FALSE(std::filesystem::exists(FileBesideProgram(kConfigFileName)));
}

TEST_F(ConfigIniTest, SavedFileHoldsTheSectionsInOrderAndLoadsBack) {
  FakeBoxes saved;
  saved.contents = {{Setting::UserName, kChineseUser},
                    {Setting::Password, "pa ss"},
                    {Setting::RenewHours, "10"},
                    {Setting::RestartHours, "24"}};
  IniFileStore store(FileBesideProgram(kConfigFileName));
  std::vector<Text> log;
  SaveConfiguration(store, saved, [&log](std::string_view message) { log.emplace_back(message); });
  EXPECT_EQ(log, std::vector<Text>{Text(kConfigSavedMessage)});

  const std::string file = ReadWholeFile(FileBesideProgram(kConfigFileName));
  const std::vector<std::string> inOrder = {"[" + Text(kLoginSection) + "]",
                                            "user=" + kChineseUser,
                                            "pass=pa ss",
                                            "[" + Text(kRenewHoursSection) + "]",
                                            "time=10",
                                            "[" + Text(kRestartHoursSection) + "]",
                                            "time=24"};
  std::size_t from = 0;
  for (const std::string& line : inOrder) {
    const std::size_t at = file.find(line, from);
    ASSERT_NE(at, std::string::npos) << line << " missing or out of order in:\n" << file;
    from = at + line.size();
  }

  FakeBoxes loaded;
  ASSERT_TRUE(LoadConfiguration(store, loaded));
  EXPECT_EQ(loaded.contents, saved.contents);
}

TEST_F(ConfigIniTest, UserNameLongerThanTheReadLimitIsReportedAsNotSaved) {
  FakeBoxes boxes;
  boxes.contents[Setting::UserName] = Text(10240, 'u');
  IniFileStore store(FileBesideProgram(kConfigFileName));
  std::vector<Text> log;
  SaveConfiguration(store, boxes, [&log](std::string_view message) { log.emplace_back(message); });
  EXPECT_EQ(log, std::vector<Text>{Text(kConfigSaveFailedMessage)});
}

// A korvan.ini the program cannot write (here a folder of that name: the tests run as root, which
// a read-only attribute does not stop) is reported as not saved.
TEST_F(ConfigIniTest, UnwritableFileIsReportedAsNotSaved) {
  std::filesystem::create_directory(FileBesideProgram(kConfigFileName));
  FakeBoxes boxes;
  boxes.contents[Setting::UserName] = "alice";
  IniFileStore store(FileBesideProgram(kConfigFileName));
  std::vector<Text> log;
  SaveConfiguration(store, boxes, [&log](std::string_view message) { log.emplace_back(message); });
  std::filesystem::remove(FileBesideProgram(kConfigFileName));
  EXPECT_EQ(log, std::vector<Text>{Text(kConfigSaveFailedMessage)});
}

// The time page is only reachable in a build whose time host is on this machine.
TEST_F(ConfigIniTest, SaveClickLogsTheOutcomeStampedWithTheNetworkTime) {
  const std::string_view timeHost = hosts::kTime;
  if (!timeHost.starts_with("127.0.0.1:")) GTEST_SKIP() << "time host " << timeHost << " is not local";
  const auto port = static_cast<std::uint16_t>(std::stoi(std::string(timeHost.substr(10))));
  LocalHttpServer timePage("HTTP/1.0 200 OK\r\n\r\nwindow.baidu_time(1700000040000);", false, port);
  ASSERT_TRUE(timePage.Listening());

  FakeBoxes boxes;
  boxes.contents[Setting::UserName] = "alice";
  LoggedEntries().clear();
  IniFileStore store(FileBesideProgram(kConfigFileName));
  SaveConfiguration(store, boxes, AppendLog);
  // 2023年11月15日6时14分
  const Text stamp =
      "2023\xC4\xEA"
      "11\xD4\xC2"
      "15\xC8\xD5"
      "6\xCA\xB1"
      "14\xB7\xD6";
  EXPECT_EQ(LoggedEntries(), std::vector<Text>{stamp + "\r\n" + Text(kConfigSavedMessage) + "\r\n"});
  ASSERT_EQ(timePage.Requests().size(), 1u);
  const std::string head = timePage.Requests().front();
  EXPECT_EQ(head.substr(0, head.find("\r\n")), "GET /special/time HTTP/1.0");
}

}  // namespace
}  // namespace korvan

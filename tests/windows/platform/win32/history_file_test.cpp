#include "platform/win32/history_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/ini_file_store.h"
#include "run/run_record.h"
#include "platform/win32/files.h"
#include "platform/win32/program_location.h"
#include "scratch_directory.h"

namespace korvan {
namespace {

using korvan::testing::ReadWholeFile;
using korvan::testing::ScratchDirectory;

const Text kBom = "\xEF\xBB\xBF";
// 续费成功！ in code page 936 and in UTF-8
const Text kEntry936 = "t\r\n\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6\xA3\xA1\r\n";
const Text kEntryUtf8 = "t\r\n\xE7\xBB\xAD\xE8\xB4\xB9\xE6\x88\x90\xE5\x8A\x9F\xEF\xBC\x81\r\n";

class HistoryFileTest : public ::testing::Test {
 protected:
  ScratchDirectory directory_;
  const Text log_ = directory_ / "korvan.log";
  const Text backup_ = directory_ / "korvan.log.1";
  SystemHistoryFiles files_;
  LogHistory history_{files_, log_};
};

TEST_F(HistoryFileTest, EntriesGoBehindOneMarkInUtf8) {
  history_.Append(kEntry936);
  history_.Append(kEntry936);
  EXPECT_EQ(ReadWholeFile(log_), kBom + kEntryUtf8 + kEntryUtf8);
  EXPECT_FALSE(std::filesystem::exists(backup_));
}

TEST_F(HistoryFileTest, AFullFileBecomesTheBackup) {
  const Text full = kBom + Text(kHistoryFileLimit - 3 - 5, 'o');
  ASSERT_TRUE(WriteFileBytes(log_, TextToBytes(full)));
  ASSERT_TRUE(WriteFileBytes(backup_, TextToBytes("older")));
  history_.Append("12345");  // exactly the limit: stays
  EXPECT_EQ(FileSize(log_), kHistoryFileLimit);
  history_.Append("6");
  EXPECT_EQ(ReadWholeFile(backup_), full + "12345");
  EXPECT_EQ(ReadWholeFile(log_), kBom + "6");
}

TEST(HistoryFileUnwritableTest, AFolderThatIsNotThereChangesNothing) {
  ScratchDirectory directory;
  SystemHistoryFiles files;
  LogHistory history(files, directory / "gone\\korvan.log");
  history.Append("x");
  EXPECT_FALSE(std::filesystem::exists(directory / "gone"));
}

TEST(HistoryFilePathTest, LiesInTheRunDirectory) {
  EXPECT_EQ(HistoryFilePath(), RunDirectory() + "\\korvan.log");
  EXPECT_EQ(FileBesideProgram(kStatusFileName), RunDirectory() + "\\korvan-status.ini");
}

const Text kSection = "\xD4\xCB\xD0\xD0\xD7\xB4\xCC\xAC";  // 运行状态

TEST(IniStatusStoreTest, TheRecordSurvivesInItsSection) {
  ScratchDirectory directory;
  const Text path = directory / "korvan-status.ini";
  IniFileStore store(path);
  const RunRecord record{"2023\xC4\xEA", "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6\xA3\xA1", "2023\xC4\xEA",
                         "2024-05-06 12:00:00", 3};
  ASSERT_TRUE(SaveRunRecord(store, record));
  EXPECT_EQ(LoadRunRecord(store), record);
  const std::string content = ReadWholeFile(path);
  EXPECT_NE(content.find("[" + kSection + "]"), std::string::npos) << content;
  EXPECT_NE(content.find("failures=3"), std::string::npos) << content;
  EXPECT_NE(content.find("expiry=2024-05-06 12:00:00"), std::string::npos) << content;
}

TEST(IniStatusStoreTest, AHandWrittenOrBrokenFileLoadsWithoutHarm) {
  ScratchDirectory directory;
  const Text path = directory / "korvan-status.ini";
  const Text garbage = "[" + kSection + "]\r\nfailures=-7\r\nlastRun=\xFF\xFE\x01\r\n" + Text(70000, 'z') +
                       "\r\nexpiry=" + Text(20000, 'e') + "\r\n";
  ASSERT_TRUE(WriteFileBytes(path, TextToBytes(garbage)));
  IniFileStore store(path);
  const RunRecord loaded = LoadRunRecord(store);
  EXPECT_EQ(loaded.failures, 0);
  EXPECT_EQ(loaded.expiry, Text(10239, 'e')) << "values are cut at the read limit";
  ASSERT_TRUE(WriteFileBytes(path, TextToBytes("[" + kSection + "]\r\nfailures=99999999999999999999\r\n")));
  EXPECT_EQ(LoadRunRecord(store).failures, kMaxFailuresInRow);

  // A folder where the file should be: nothing to read, nothing written.
  const Text folder = directory / "folder.ini";
  std::filesystem::create_directory(folder);
  IniFileStore blocked(folder);
  EXPECT_EQ(LoadRunRecord(blocked), RunRecord{});
  EXPECT_FALSE(SaveRunRecord(blocked, {"t", "m", "r", "e", 1}));
}

}  // namespace
}  // namespace korvan

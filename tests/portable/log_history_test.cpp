#include "renewal/log_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace korvan {
namespace {

const Text kBom = "\xEF\xBB\xBF";
constexpr std::size_t kLimit = 1048576;
const Text kLog = "C:\\run\\korvan.log";
const Text kBackup = "C:\\run\\korvan.log.1";

// An entry as the log box gets it (code page 936) and as the file must hold it (UTF-8).
const Text kEntry936 =
    "2023\xC4\xEA"
    "11\xD4\xC2"
    "15\xC8\xD5"
    "6\xCA\xB1"
    "13\xB7\xD6"
    "20\xC3\xEB\r\n"
    "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6\xA3\xA1\r\n";
const Text kEntryUtf8 =
    "2023\xE5\xB9\xB4"
    "11\xE6\x9C\x88"
    "15\xE6\x97\xA5"
    "6\xE6\x97\xB6"
    "13\xE5\x88\x86"
    "20\xE7\xA7\x92\r\n\xE7\xBB\xAD\xE8\xB4\xB9\xE6\x88\x90\xE5\x8A\x9F\xEF\xBC\x81\r\n";

// Files in memory. An append goes in pieces, one lock each, so two unguarded appends would mix.
class FakeFiles final : public HistoryFiles {
 public:
  std::int64_t FileSize(std::string_view path) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (throwing) throw std::runtime_error("size");
    const auto found = files.find(Text(path));
    return found == files.end() ? -1 : static_cast<std::int64_t>(found->second.size());
  }
  bool AppendBytes(std::string_view path, std::span<const std::uint8_t> bytes) override {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      ++appends;
      if (failAppend) return false;
    }
    for (std::size_t start = 0; start < bytes.size(); start += piece) {
      const std::size_t count = std::min(piece, bytes.size() - start);
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        files[Text(path)].append(reinterpret_cast<const char*>(bytes.data()) + start, count);
      }
      std::this_thread::yield();
    }
    return true;
  }
  bool MoveReplacing(std::string_view from, std::string_view to) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++moves;
    const auto found = files.find(Text(from));
    if (failMove || found == files.end()) return false;
    Text content = std::move(found->second);
    files.erase(found);
    files[Text(to)] = std::move(content);
    return true;
  }

  std::map<Text, Text> files;
  bool failAppend = false;
  bool failMove = false;
  bool throwing = false;
  std::size_t piece = 1 << 20;
  int appends = 0;
  int moves = 0;

 private:
  std::mutex mutex_;
};

int CountOf(const Text& text, const Text& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != Text::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

TEST(LogHistoryTest, ANewFileBeginsWithTheMarkAndLaterEntriesFollowWithout) {
  FakeFiles files;
  LogHistory history(files, kLog);
  history.Append(kEntry936);
  EXPECT_EQ(files.files[kLog], kBom + kEntryUtf8);
  history.Append("second\r\n");
  EXPECT_EQ(files.files[kLog], kBom + kEntryUtf8 + "second\r\n");
  EXPECT_EQ(files.moves, 0);
}

TEST(LogHistoryTest, AnEmptyExistingFileGetsTheMark) {
  FakeFiles files;
  files.files[kLog] = "";
  LogHistory history(files, kLog);
  history.Append("a\r\n");
  EXPECT_EQ(files.files[kLog], kBom + "a\r\n");
}

TEST(LogHistoryTest, AHandWrittenFileWithoutTheMarkGetsNoneInItsMiddle) {
  FakeFiles files;
  files.files[kLog] = "written by hand\r\n";
  LogHistory history(files, kLog);
  history.Append("a\r\n");
  EXPECT_EQ(files.files[kLog], "written by hand\r\na\r\n");
}

TEST(LogHistoryTest, AnEmptyEntryWritesNothing) {
  FakeFiles files;
  LogHistory history(files, kLog);
  history.Append("");
  EXPECT_EQ(files.appends, 0);
  EXPECT_FALSE(files.files.count(kLog));
}

struct RotationCase {
  const char* name;
  std::size_t existing;  // bytes in the file before, its mark included
  std::size_t entry;     // bytes of the entry
  bool rotates;
};

class LogRotationTest : public ::testing::TestWithParam<RotationCase> {};

TEST_P(LogRotationTest, RotatesOnlyWhenTheAppendWouldPassTheLimit) {
  const RotationCase& c = GetParam();
  FakeFiles files;
  const Text old = kBom + Text(c.existing - kBom.size(), 'o');
  files.files[kLog] = old;
  files.files[kBackup] = "an older backup";
  const Text entry = Text(c.entry - 2, 'e') + "\r\n";
  LogHistory history(files, kLog);
  history.Append(entry);
  if (c.rotates) {
    EXPECT_EQ(files.files[kBackup], old);
    EXPECT_EQ(files.files[kLog], kBom + entry);
  } else {
    EXPECT_EQ(files.files[kBackup], "an older backup");
    EXPECT_EQ(files.files[kLog], old + entry);
    EXPECT_LE(files.files[kLog].size(), kLimit);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         LogRotationTest,
                         ::testing::Values(RotationCase{"OneByteUnderTheLimit", kLimit - 41, 40, false},
                                           RotationCase{"ExactlyTheLimit", kLimit - 40, 40, false},
                                           RotationCase{"OneByteOverTheLimit", kLimit - 39, 40, true},
                                           RotationCase{"FileOfExactlyTheLimit", kLimit, 3, true},
                                           RotationCase{"FileAlreadyOverTheLimit", kLimit + 500, 3, true},
                                           RotationCase{"SmallFile", 3, 100, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LogHistoryTest, AnEntryLargerThanTheLimitGoesWholeIntoAFileOfItsOwn) {
  FakeFiles files;
  LogHistory history(files, kLog);
  history.Append("first\r\n");
  const Text huge = Text(kLimit + 10, 'h');
  history.Append(huge);
  EXPECT_EQ(files.files[kBackup], kBom + "first\r\n");
  EXPECT_EQ(files.files[kLog], kBom + huge);
  history.Append("next\r\n");
  EXPECT_EQ(files.files[kBackup], kBom + huge);
  EXPECT_EQ(files.files[kLog], kBom + "next\r\n");
}

TEST(LogHistoryTest, AFailedRenameKeepsTheEntryOnTheFullFile) {
  FakeFiles files;
  const Text old = kBom + Text(kLimit - 3, 'o');
  files.files[kLog] = old;
  files.failMove = true;
  LogHistory history(files, kLog);
  history.Append("kept\r\n");
  EXPECT_EQ(files.moves, 1);
  EXPECT_EQ(files.files[kLog], old + "kept\r\n");
  EXPECT_FALSE(files.files.count(kBackup));
}

TEST(LogHistoryTest, FailingFilesNeitherThrowNorStopLaterEntries) {
  FakeFiles files;
  LogHistory history(files, kLog);
  files.failAppend = true;
  EXPECT_NO_THROW(history.Append("lost\r\n"));
  files.failAppend = false;
  files.throwing = true;
  EXPECT_NO_THROW(history.Append("lost too\r\n"));
  files.throwing = false;
  // The lock was given back after the exception, or this would hang.
  history.Append("after\r\n");
  EXPECT_EQ(files.files[kLog], kBom + "after\r\n");
}

// Checks that a file is the mark followed by whole lines of the given shape: "T" thread "-" index ":"
// payload CR LF; gives the lines.
std::vector<Text> WholeLines(const Text& content, std::size_t payload) {
  EXPECT_EQ(content.substr(0, 3), kBom);
  EXPECT_EQ(CountOf(content, kBom), 1);
  std::vector<Text> lines;
  std::size_t at = 3;
  while (at < content.size()) {
    const std::size_t end = content.find("\r\n", at);
    if (end == Text::npos) {
      ADD_FAILURE() << "a cut line at " << at;
      break;
    }
    const Text line = content.substr(at, end - at);
    const std::size_t colon = line.find(':');
    EXPECT_TRUE(line.starts_with("T") && colon != Text::npos && line.size() - colon - 1 == payload &&
                line.find_first_not_of('p', colon + 1) == Text::npos)
        << "a mixed line: " << line.substr(0, 40);
    lines.push_back(line.substr(0, colon));
    at = end + 2;
  }
  return lines;
}

TEST(LogHistoryConcurrencyTest, EntriesFromManyThreadsNeverMix) {
  FakeFiles files;
  files.piece = 7;
  LogHistory history(files, kLog);
  constexpr int kThreads = 4;
  constexpr int kEntries = 100;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&history, t] {
      for (int i = 0; i < kEntries; ++i) {
        history.Append("T" + std::to_string(t) + "-" + std::to_string(i) + ":" + Text(30, 'p') + "\r\n");
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  const std::vector<Text> lines = WholeLines(files.files[kLog], 30);
  EXPECT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kEntries));
  EXPECT_EQ(std::set<Text>(lines.begin(), lines.end()).size(), lines.size());
}

TEST(LogHistoryConcurrencyTest, RotationUnderManyThreadsKeepsBothFilesWhole) {
  FakeFiles files;
  files.piece = 512;
  LogHistory history(files, kLog);
  constexpr int kThreads = 4;
  constexpr int kEntries = 60;
  constexpr std::size_t kPayload = 6000;  // 1.4 MB in all: at least one rotation
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&history, t] {
      for (int i = 0; i < kEntries; ++i) {
        history.Append("T" + std::to_string(t) + "-" + std::to_string(i) + ":" + Text(kPayload, 'p') + "\r\n");
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_GE(files.moves, 1);
  for (const Text& path : {kLog, kBackup}) {
    SCOPED_TRACE(path);
    EXPECT_LE(files.files[path].size(), kLimit);
    EXPECT_FALSE(WholeLines(files.files[path], kPayload).empty());
  }
}

}  // namespace
}  // namespace korvan

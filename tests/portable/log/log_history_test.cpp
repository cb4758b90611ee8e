#include "log/log_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
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

// The mark goes only at the start of a new or empty file; an empty entry writes nothing.
struct MarkCase {
  const char* name;
  std::optional<Text> before;  // the file as found, none for no file
  std::vector<Text> entries;
  std::optional<Text> after;
};

const MarkCase kMarkCases[] = {
    {"NewFileGetsTheMarkLaterEntriesNone", std::nullopt, {kEntry936, "second\r\n"}, kBom + kEntryUtf8 + "second\r\n"},
    {"EmptyFileGetsTheMark", "", {"a\r\n"}, kBom + "a\r\n"},
    {"HandWrittenFileGetsNoMarkInItsMiddle", "by hand\r\n", {"a\r\n"}, "by hand\r\na\r\n"},
    {"EmptyEntryWritesNothing", std::nullopt, {""}, std::nullopt},
};

TEST(LogHistoryTest, WritesTheMarkOnlyAtTheStart) {
  for (const MarkCase& c : kMarkCases) {
    SCOPED_TRACE(c.name);
    FakeFiles files;
    if (c.before) files.files[kLog] = *c.before;
    LogHistory history(files, kLog);
    for (const Text& entry : c.entries)
      history.Append(entry);
    EXPECT_EQ(files.files.count(kLog) ? std::optional<Text>(files.files[kLog]) : std::nullopt, c.after);
    if (!c.after) {
      EXPECT_EQ(files.appends, 0);
    }
    EXPECT_EQ(files.moves, 0);
  }
}

struct RotationCase {
  const char* name;
  std::size_t existing;  // bytes in the file before, its mark included
  std::size_t entry;     // bytes of the entry
  bool rotates;
};

const RotationCase kRotationCases[] = {
    {"OneByteUnderTheLimit", kLimit - 41, 40, false},   {"ExactlyTheLimit", kLimit - 40, 40, false},
    {"OneByteOverTheLimit", kLimit - 39, 40, true},     {"FileOfExactlyTheLimit", kLimit, 3, true},
    {"FileAlreadyOverTheLimit", kLimit + 500, 3, true}, {"SmallFile", 3, 100, false},
};

TEST(LogHistoryTest, RotatesOnlyWhenTheAppendWouldPassTheLimit) {
  for (const RotationCase& c : kRotationCases) {
    SCOPED_TRACE(c.name);
    FakeFiles files;
    const Text old = kBom + Text(c.existing - kBom.size(), 'o');
    files.files[kLog] = old;
    files.files[kBackup] = "an older backup";
    const Text entry = Text(c.entry - 2, 'e') + "\r\n";
    LogHistory history(files, kLog);
    history.Append(entry);
    EXPECT_EQ(files.files[kBackup], c.rotates ? old : "an older backup");
    EXPECT_EQ(files.files[kLog], c.rotates ? kBom + entry : old + entry);
  }
}

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

TEST(LogHistoryTest, FailingFilesLoseNoLaterEntry) {
  FakeFiles files;
  const Text old = kBom + Text(kLimit - 3, 'o');
  files.files[kLog] = old;
  files.failMove = true;  // a failed rename keeps the entry on the full file
  LogHistory history(files, kLog);
  history.Append("kept\r\n");
  EXPECT_EQ(files.moves, 1);
  EXPECT_EQ(files.files[kLog], old + "kept\r\n");
  EXPECT_FALSE(files.files.count(kBackup));
  files.failMove = false;
  files.files[kLog] = "";
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

// Four threads append lines "T" thread "-" index ":" payload CR LF; each file must be the mark and
// whole lines of that shape.
std::vector<Text> WholeLines(const Text& content, std::size_t payload) {
  EXPECT_EQ(content.substr(0, 3), kBom);
  EXPECT_EQ(CountOf(content, kBom), 1);
  std::vector<Text> lines;
  for (std::size_t at = 3, end; at < content.size(); at = end + 2) {
    end = content.find("\r\n", at);
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
  }
  return lines;
}

TEST(LogHistoryConcurrencyTest, EntriesFromManyThreadsNeverMixNorCutOverARotation) {
  struct {
    std::size_t piece, entries, payload;
    bool rotates;
  } const cases[] = {{7, 100, 30, false}, {512, 60, 6000, true}};  // 1.4 MB in all: a rotation
  for (const auto& c : cases) {
    FakeFiles files;
    files.piece = c.piece;
    LogHistory history(files, kLog);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&history, &c, t] {
        for (std::size_t i = 0; i < c.entries; ++i)
          history.Append("T" + std::to_string(t) + "-" + std::to_string(i) + ":" + Text(c.payload, 'p') + "\r\n");
      });
    }
    for (std::thread& thread : threads)
      thread.join();
    if (!c.rotates) {
      const std::vector<Text> lines = WholeLines(files.files[kLog], c.payload);
      EXPECT_EQ(lines.size(), 4 * c.entries);
      EXPECT_EQ(std::set<Text>(lines.begin(), lines.end()).size(), lines.size());
      continue;
    }
    EXPECT_GE(files.moves, 1);
    for (const Text& path : {kLog, kBackup}) {
      EXPECT_LE(files.files[path].size(), kLimit) << path;
      EXPECT_FALSE(WholeLines(files.files[path], c.payload).empty()) << path;
    }
  }
}

}  // namespace
}  // namespace korvan

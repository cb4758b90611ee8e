// The state directory's files: replaced whole or not at all, all the writes of one opening together,
// and one holder of the lock. Built for both platforms' side of the port.
#include "platform/state_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace korvan {
namespace {

class StateFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto unique = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("korvan-state-" + std::to_string(unique));
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    directory_ = folder.string();
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  std::string Path(std::string_view name) const { return JoinPath(directory_, name); }
  static std::string Content(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
  }

  std::string directory_;
};

TEST_F(StateFiles, AReplacementThatFailsLeavesTheOldFile) {
  const std::string path = Path("korvan-status.ini");
  ASSERT_EQ(ReplaceFileAtomically(path, "old"), "");
  // The temporary file's place is taken by a folder: nothing can be written there.
  std::filesystem::create_directory(path + ".tmp");
  EXPECT_NE(ReplaceFileAtomically(path, "new"), "");
  EXPECT_EQ(Content(path), "old");
}

TEST_F(StateFiles, TheWritesOfOneOpeningLandTogetherWhenItCloses) {
  const std::string path = Path("korvan-status.ini");
  ASSERT_EQ(ReplaceFileAtomically(path, "[s]\r\na=1\r\n"), "");
  {
    StateIniFile file(path);
    file.Write("s", "a", "2");
    file.Write("s", "b", "3");
    EXPECT_EQ(Content(path), "[s]\r\na=1\r\n") << "a write went out before the others";
  }
  EXPECT_EQ(Content(path), "[s]\r\na=2\r\nb=3\r\n");
  { StateIniFile reader(Path("korvan-tick.ini")); }
  EXPECT_FALSE(std::filesystem::exists(Path("korvan-tick.ini"))) << "a file only read was written";
}

TEST_F(StateFiles, TheLockHasOneHolderAndIsFreeAgainWhenItGoes) {
  {
    const StateLock first(directory_, "korvan.lock");
    ASSERT_EQ(first.state(), StateLock::State::Taken) << first.error();
    // From another thread, as a second run would be: a lock held is a lock held for every thread.
    StateLock::State second = StateLock::State::Failed;
    std::thread([&] { second = StateLock(directory_, "korvan.lock").state(); }).join();
    EXPECT_EQ(second, StateLock::State::Busy);
  }
  const StateLock again(directory_, "korvan.lock");
  EXPECT_EQ(again.state(), StateLock::State::Taken) << again.error();
}

#ifdef _WIN32
// The state files go beside korvan.ini and take its name: a code page 936 folder whose characters end
// in the byte of a backslash (淺 is 9C 5C) must not be split inside a character.
TEST(StatePathsTest, FolderAndStemOfCodePage936Paths) {
  const struct {
    const char* path;
    const char* folder;
    const char* stem;
  } rows[] = {
      {"C:\\\xD5\xCB\xBB\xA7\\korvan.ini", "C:\\\xD5\xCB\xBB\xA7", "korvan"},  // C:\账户\korvan.ini
      {"C:\\\x9C\x5C\\korvan.ini", "C:\\\x9C\x5C", "korvan"},                  // C:\淺\korvan.ini
      {"D:\\vps\\\x9C\x5C.ini", "D:\\vps", "\x9C\x5C"},                        // D:\vps\淺.ini
      {"korvan.ini", ".", "korvan"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(FolderOf(row.path), row.folder) << row.path;
    EXPECT_EQ(StemOf(row.path), row.stem) << row.path;
  }
}
#endif

}  // namespace
}  // namespace korvan

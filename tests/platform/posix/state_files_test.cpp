// The state directory's files: replaced whole or not at all, and all the writes of one opening together.
#include "platform/posix/state_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace korvan {
namespace {

class StateFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvan-state-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
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

}  // namespace
}  // namespace korvan

#include "platform/win32/program_location.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace korvan {
namespace {

TEST(ProgramLocationTest, SplitsTheExecutablePathAndMakesItsFolderCurrent) {
  char path[MAX_PATH + 1] = {};
  ASSERT_GT(::GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  EXPECT_EQ(ExecutableName(), "korvan_system_tests.exe");
  EXPECT_EQ(RunDirectory() + "\\" + ExecutableName(), path);
  EXPECT_NE(RunDirectory().back(), '\\');

  char before[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryA(MAX_PATH, before);
  ASSERT_TRUE(::SetCurrentDirectoryA("C:\\"));
  FixRunDirectory();
  char current[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(std::string(current), RunDirectory());
  ::SetCurrentDirectoryA(before);
}

struct SplitCase {
  const char* name;
  Text path;
  Text directory;
  Text fileName;
};

class SplitAtLastBackslashTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitAtLastBackslashTest, SplitsAtTheLastSeparatorCharacter) {
  const SplitCase& c = GetParam();
  const SplitPath split = SplitAtLastBackslash(c.path);
  EXPECT_EQ(split.directory, c.directory);
  EXPECT_EQ(split.name, c.fileName);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         SplitAtLastBackslashTest,
                         ::testing::Values(SplitCase{"Plain", "C:\\tools\\korvan.exe", "C:\\tools", "korvan.exe"},
                                           SplitCase{"DriveRoot", "C:\\korvan.exe", "C:", "korvan.exe"},
                                           SplitCase{"NoSeparator", "korvan.exe", "", "korvan.exe"},
                                           // 乗 is 81 5C in code page 936: its second byte is no separator.
                                           SplitCase{"TrailByteLooksLikeBackslash",
                                                     "C:\\a\\\x81\x5C"
                                                     "b.exe",
                                                     "C:\\a",
                                                     "\x81\x5C"
                                                     "b.exe"},
                                           SplitCase{"ChineseFolder", "C:\\\xB2\xE2\xCA\xD4\\k.exe",
                                                     "C:\\\xB2\xE2\xCA\xD4", "k.exe"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvan

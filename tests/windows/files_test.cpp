#include "runtime/system/files.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "runtime/system/handles.h"
#include "scratch_directory.h"

namespace korvan {
namespace {

using korvan::testing::ReadWholeFile;
using korvan::testing::ScratchDirectory;

TEST(WriteFileBytesTest, WritesEveryByteSetInOrderAndReplacesOldContent) {
  ScratchDirectory directory;
  const Text path = directory / "out.bin";
  ASSERT_TRUE(WriteFileBytes(path, TextToBytes("an old and much longer content")));
  const ByteSet first = TextToBytes("ab");
  const ByteSet empty;
  const ByteSet withZero = {0x00, 0xFF, 0x80};
  const std::array<std::uint8_t, 2> fixedImage = {'y', 'z'};
  ASSERT_TRUE(WriteFileBytes(path, first, empty, withZero, fixedImage));
  EXPECT_EQ(ReadWholeFile(path), std::string("ab\0\xFF\x80yz", 7));
}

TEST(WriteFileBytesTest, InitializerListAndNoByteSets) {
  ScratchDirectory directory;
  const Text path = directory / "list.bin";
  const ByteSet a = TextToBytes("1"), b = TextToBytes("23");
  ASSERT_TRUE(WriteFileBytes(path, {a, b, a}));
  EXPECT_EQ(ReadWholeFile(path), "1231");
  ASSERT_TRUE(WriteFileBytes(path));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(WriteFileBytesTest, FailsForEmptyPathMissingFolderAndFileInUse) {
  ScratchDirectory directory;
  const ByteSet bytes = TextToBytes("x");
  EXPECT_FALSE(WriteFileBytes("", bytes));
  EXPECT_FALSE(WriteFileBytes(directory / "missing\\out.bin", bytes));
  EXPECT_FALSE(WriteFileBytes(directory.Path(), bytes)) << "a directory is no file";

  const Text path = directory / "busy.bin";
  ASSERT_TRUE(WriteFileBytes(path, TextToBytes("kept")));
  {
    const UniqueFileHandle holder(
        ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_FALSE(WriteFileBytes(path, bytes));
  }
  EXPECT_EQ(ReadWholeFile(path), "kept");
}

TEST(FileExistsTest, FindsFilesDirectoriesAndPatterns) {
  ScratchDirectory directory;
  ASSERT_TRUE(WriteFileBytes(directory / "a.txt", TextToBytes("x")));
  std::filesystem::create_directory(directory / "sub");
  EXPECT_TRUE(FileExists(directory / "a.txt"));
  EXPECT_TRUE(FileExists(directory / "A.TXT")) << "names are case-insensitive";
  EXPECT_TRUE(FileExists(directory / "sub"));
  EXPECT_TRUE(FileExists(directory.Path()));
  EXPECT_TRUE(FileExists(directory / "*.txt"));
  EXPECT_TRUE(FileExists(directory / "?.txt"));
  EXPECT_FALSE(FileExists(directory / "*.dll"));
  EXPECT_FALSE(FileExists(directory / "b.txt"));
  EXPECT_FALSE(FileExists(directory / "missing\\a.txt"));
  EXPECT_FALSE(FileExists(""));
}

// Wine reports the archive bit on every file and cannot clear it, so the checks look at read-only,
// hidden and system only.
constexpr DWORD kCheckedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

struct AttributeCase {
  const char* name;
  int requested;
  DWORD expected;
};

class ChangeFileAttributesTest : public ::testing::TestWithParam<AttributeCase> {};

TEST_P(ChangeFileAttributesTest, SetsExactlyTheMaskedBits) {
  const AttributeCase& c = GetParam();
  ScratchDirectory directory;
  const Text path = directory / "skin.dll";
  ASSERT_TRUE(WriteFileBytes(path, TextToBytes("x")));
  // Every bit starts set, so a bit the request leaves out must be cleared.
  ASSERT_TRUE(::SetFileAttributesA(path.c_str(), kCheckedAttributes));
  ASSERT_TRUE(ChangeFileAttributes(path, c.requested));
  EXPECT_EQ(::GetFileAttributesA(path.c_str()) & kCheckedAttributes, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangeFileAttributesTest,
    ::testing::Values(AttributeCase{"Hidden", 0x02, FILE_ATTRIBUTE_HIDDEN},
                      AttributeCase{"ReadOnlyAndArchive", 0x21, FILE_ATTRIBUTE_READONLY},
                      AttributeCase{"AllSettableBits", 0x27, kCheckedAttributes},
                      // Directory 0x10, normal 0x80 and temporary 0x100 are dropped by the mask.
                      AttributeCase{"OtherBitsDropped", 0x192, FILE_ATTRIBUTE_HIDDEN},
                      AttributeCase{"EveryBit", -1, kCheckedAttributes},
                      AttributeCase{"NoneClearsAll", 0x00, 0},
                      AttributeCase{"UnmaskedOnly", 0x118, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChangeFileAttributesFailureTest, MissingFileGivesFalse) {
  ScratchDirectory directory;
  EXPECT_FALSE(ChangeFileAttributes(directory / "missing.dll", 0x02));
}

}  // namespace
}  // namespace korvan

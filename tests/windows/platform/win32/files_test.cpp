#include "platform/win32/files.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "platform/win32/handles.h"
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

// A handle that holds a file open with the given sharing until the end of the scope.
UniqueFileHandle HoldOpen(const Text& path, DWORD access, DWORD sharing) {
  return UniqueFileHandle(
      ::CreateFileA(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::span<const std::uint8_t> Span(const ByteSet& bytes) { return bytes; }

// The whole file read through the ANSI call, as the program names its files (code page 936).
std::string ReadWithAnsiPath(const Text& path) {
  const UniqueFileHandle file = HoldOpen(path, GENERIC_READ, FILE_SHARE_READ);
  if (!file) return "<cannot open>";
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
    content.append(buffer, read);
  return content;
}

TEST(AppendFileBytesTest, CreatesTheFileAndAppendsAtItsEnd) {
  ScratchDirectory directory;
  // 运行记录.log: a Chinese name in code page 936
  const Text path = directory / "\xD4\xCB\xD0\xD0\xBC\xC7\xC2\xBC.log";
  ASSERT_TRUE(AppendFileBytes(path, Span(TextToBytes("ab"))));
  ASSERT_TRUE(AppendFileBytes(path, Span(ByteSet{0x00, 0xFF})));
  ASSERT_TRUE(AppendFileBytes(path, {}));
  ASSERT_TRUE(AppendFileBytes(path, Span(TextToBytes("cd"))));
  EXPECT_EQ(ReadWithAnsiPath(path), std::string("ab\0\xFF"
                                                "cd",
                                                6));

  const Text empty = directory / "empty.log";
  ASSERT_TRUE(AppendFileBytes(empty, {}));
  EXPECT_TRUE(std::filesystem::exists(empty));
  EXPECT_EQ(std::filesystem::file_size(empty), 0u);
}

TEST(AppendFileBytesTest, AReaderThatSharesWritingDoesNotStopIt) {
  ScratchDirectory directory;
  const Text path = directory / "korvan.log";
  ASSERT_TRUE(WriteFileBytes(path, TextToBytes("old")));
  {
    const UniqueFileHandle reader = HoldOpen(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(AppendFileBytes(path, Span(TextToBytes("+new"))));
  }
  EXPECT_EQ(ReadWholeFile(path), "old+new");
}

TEST(AppendFileBytesTest, FailsForEmptyPathMissingFolderDirectoryAndLockedFile) {
  ScratchDirectory directory;
  const ByteSet bytes = TextToBytes("x");
  EXPECT_FALSE(AppendFileBytes("", Span(bytes)));
  EXPECT_FALSE(AppendFileBytes(directory / "missing\\korvan.log", Span(bytes)));
  EXPECT_FALSE(std::filesystem::exists(directory / "missing"));
  EXPECT_FALSE(AppendFileBytes(directory.Path(), Span(bytes))) << "a directory is no file";

  const Text path = directory / "korvan.log";
  ASSERT_TRUE(WriteFileBytes(path, TextToBytes("kept")));
  for (const DWORD sharing : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    const UniqueFileHandle holder = HoldOpen(path, GENERIC_READ, sharing);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(AppendFileBytes(path, Span(bytes))) << "sharing " << sharing;
  }
  // A read-only attribute or folder is not tried: the tests run as root, which Wine lets write anyway.
  EXPECT_EQ(ReadWholeFile(path), "kept");
}

TEST(FileSizeTest, CountsBytesAndGivesMinusOneForNoFile) {
  ScratchDirectory directory;
  const Text path = directory / "sized.bin";
  EXPECT_EQ(FileSize(path), -1);
  ASSERT_TRUE(WriteFileBytes(path));
  EXPECT_EQ(FileSize(path), 0);
  ASSERT_TRUE(WriteFileBytes(path, TextToBytes("12345")));
  EXPECT_EQ(FileSize(path), 5);
  EXPECT_EQ(FileSize(directory.Path()), -1) << "a directory is no file";
  EXPECT_EQ(FileSize(directory / "missing\\sized.bin"), -1);
  EXPECT_EQ(FileSize(""), -1);
  {
    const UniqueFileHandle holder = HoldOpen(path, GENERIC_READ, 0);
    ASSERT_TRUE(holder);
    EXPECT_EQ(FileSize(path), 5) << "a file held without sharing still has its size";
  }
}

TEST(FileSizeTest, SizesBeyondThirtyTwoBits) {
  ScratchDirectory directory;
  const Text path = directory / "large.bin";
  {
    // A sparse end: no disk space is used for the 5 GiB.
    const UniqueFileHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER end{};
    end.QuadPart = (std::int64_t{5} << 30) + 3;
    ASSERT_TRUE(::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file.Get()));
  }
  EXPECT_EQ(FileSize(path), (std::int64_t{5} << 30) + 3);
}

TEST(MoveFileReplacingTest, RenamesAndReplacesAnOlderTarget) {
  ScratchDirectory directory;
  const Text from = directory / "korvan.log";
  const Text to = directory / "korvan.log.1";
  ASSERT_TRUE(WriteFileBytes(from, TextToBytes("first")));
  ASSERT_TRUE(MoveFileReplacing(from, to));
  EXPECT_FALSE(std::filesystem::exists(from));
  EXPECT_EQ(ReadWholeFile(to), "first");

  ASSERT_TRUE(WriteFileBytes(from, TextToBytes("second")));
  ASSERT_TRUE(MoveFileReplacing(from, to));
  EXPECT_FALSE(std::filesystem::exists(from));
  EXPECT_EQ(ReadWholeFile(to), "second");

  // 运行记录 in code page 936 on both sides.
  const Text chinese = directory / "\xD4\xCB\xD0\xD0\xBC\xC7\xC2\xBC";
  ASSERT_TRUE(MoveFileReplacing(to, chinese));
  EXPECT_EQ(ReadWithAnsiPath(chinese), "second");
  EXPECT_FALSE(FileExists(to));
}

TEST(MoveFileReplacingTest, FailsAndTouchesNothingWhenItCannotMove) {
  ScratchDirectory directory;
  const Text from = directory / "korvan.log";
  const Text to = directory / "korvan.log.1";
  EXPECT_FALSE(MoveFileReplacing(from, to)) << "no source";
  EXPECT_FALSE(std::filesystem::exists(to));
  EXPECT_FALSE(MoveFileReplacing("", to));

  ASSERT_TRUE(WriteFileBytes(from, TextToBytes("new")));
  ASSERT_TRUE(WriteFileBytes(to, TextToBytes("old")));
  {
    const UniqueFileHandle holder = HoldOpen(to, GENERIC_READ, 0);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(MoveFileReplacing(from, to)) << "target in use";
  }
  {
    const UniqueFileHandle holder = HoldOpen(from, GENERIC_READ, 0);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(MoveFileReplacing(from, to)) << "source in use";
  }
  EXPECT_EQ(ReadWholeFile(from), "new");
  EXPECT_EQ(ReadWholeFile(to), "old");

  std::filesystem::create_directory(directory / "folder");
  EXPECT_FALSE(MoveFileReplacing(from, directory / "folder")) << "a directory is not replaced";
  EXPECT_FALSE(MoveFileReplacing(from, directory / "missing\\korvan.log.1"));
  EXPECT_EQ(ReadWholeFile(from), "new");
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

INSTANTIATE_TEST_SUITE_P(Cases,
                         ChangeFileAttributesTest,
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

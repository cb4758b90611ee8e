// korvan.exe's own resources read back from the built file: the version resource carries the
// project's version and names, the icon holds the three sizes, the manifest asks for Common
// Controls 6 and DPI awareness. The path of korvan.exe is the first argument.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace korvan {
namespace {

std::wstring g_program;

std::wstring Widen(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                       static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(size > 0 ? size : 0));
  return wide;
}

std::vector<unsigned char> VersionBlock() {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(g_program.c_str(), &ignored);
  std::vector<unsigned char> block(size);
  if (size == 0 || !GetFileVersionInfoW(g_program.c_str(), 0, size, block.data())) block.clear();
  return block;
}

std::wstring StringValue(std::vector<unsigned char>& block, const wchar_t* name) {
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation)) {
    return L"<no translation>";
  }
  wchar_t path[128];
  swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language, translations[0].codePage, name);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&value), &length) || !value) return L"<missing>";
  return value;
}

class ProgramResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(g_program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cannot open korvan.exe";
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  std::string Resource(const wchar_t* type, int id) {
    HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module_, found);
    const auto* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes ? std::string(bytes, SizeofResource(module_, found)) : std::string{};
  }
  HMODULE module_ = nullptr;
};

TEST_F(ProgramResourcesTest, VersionResourceCarriesTheProjectVersionAndNames) {
  std::vector<unsigned char> block = VersionBlock();
  ASSERT_FALSE(block.empty()) << "korvan.exe has no version resource";

  struct Case {
    const wchar_t* name;
    std::wstring expected;
  };
  const std::wstring version = Widen(KORVAN_VERSION);
  for (const Case& c : {Case{L"ProductName", L"Korvan"}, Case{L"ProductVersion", version},
                        Case{L"FileVersion", version}, Case{L"OriginalFilename", L"korvan.exe"},
                        Case{L"FileDescription", L"Korvan \u514D\u8D39VPS\u81EA\u52A8\u7EED\u671F\u5DE5\u5177"}}) {
    EXPECT_EQ(StringValue(block, c.name), c.expected) << std::string(c.name, c.name + wcslen(c.name));
  }
  EXPECT_NE(StringValue(block, L"LegalCopyright").find(L"Copyright"), std::wstring::npos);

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  const std::string numeric = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(HIWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(numeric, KORVAN_VERSION);
  EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
  EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
}

TEST_F(ProgramResourcesTest, IconGroupHoldsSixteenThirtyTwoAndFortyEightPixels) {
  const std::string group = Resource(MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, kProgramIcon);
  ASSERT_GE(group.size(), 6u) << "no icon group " << kProgramIcon;
  const auto count = static_cast<unsigned char>(group[4]);
  ASSERT_EQ(group.size(), 6u + 14u * count);
  std::vector<int> sizes;
  for (unsigned index = 0; index < count; ++index) {
    const int width = static_cast<unsigned char>(group[6 + 14 * index]);
    const int height = static_cast<unsigned char>(group[6 + 14 * index + 1]);
    EXPECT_EQ(width, height);
    sizes.push_back(width);
    // Each entry's image is there and is a 32-bit bitmap of that size.
    const int imageId = static_cast<unsigned char>(group[6 + 14 * index + 12]) |
                        static_cast<unsigned char>(group[6 + 14 * index + 13]) << 8;
    const std::string image = Resource(MAKEINTRESOURCEW(3) /* RT_ICON */, imageId);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(header.biWidth, width);
    EXPECT_EQ(header.biBitCount, 32);
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));

  HICON icon = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON, 32, 32, 0));
  EXPECT_NE(icon, nullptr);
  if (icon) DestroyIcon(icon);
}

TEST_F(ProgramResourcesTest, ManifestAsksForCommonControlsSixAndDpiAwareness) {
  const std::string manifest = Resource(MAKEINTRESOURCEW(24) /* RT_MANIFEST */, 1);
  ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST 1";
  for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
                           "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
                           "level=\"asInvoker\""}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

}  // namespace
}  // namespace korvan

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    fprintf(stderr, "usage: korvan_program_resources_tests KORVAN.EXE\n");
    return 2;
  }
  korvan::g_program = korvan::Widen(argv[1]);
  return RUN_ALL_TESTS();
}

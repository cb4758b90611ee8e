#include "platform/win32/com_owners.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/window_thread/window_thread.h"
#include "platform/win32/handles.h"

namespace korvan {
namespace {

TEST(BstrOwner, CarriesCodePage936TextsAsWideText) {
  struct Case {
    std::string text;
    std::wstring wide;
  };
  const Case cases[] = {{"", L""}, {"plain", L"plain"}, {"\xD3\xC3\xBB\xA7", L"\x7528\x6237"}};  // 用户
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const UniqueBstr bstr = TextToBstr(c.text);
    ASSERT_TRUE(bstr);
    EXPECT_EQ(std::wstring(bstr.Get(), SysStringLen(bstr.Get())), c.wide);
  }
}

TEST(VariantOwner, MadeValuesHaveTheirKindAndAMovedOneIsEmpty) {
  struct Case {
    const char* name;
    OwnedVariant value;
    VARTYPE kind;
  };
  Case cases[] = {
      {"integer", OwnedVariant::FromInteger(7), VT_I4},
      {"logical", OwnedVariant::FromLogical(true), VT_BOOL},
      {"text", OwnedVariant::FromText("abc"), VT_BSTR},
      {"bytes", OwnedVariant::FromBytes(ByteSet{1, 2, 3}), static_cast<VARTYPE>(VT_ARRAY | VT_UI1)},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(V_VT(c.value.Get()), c.kind);
    OwnedVariant moved = std::move(c.value);
    EXPECT_EQ(V_VT(moved.Get()), c.kind);
    EXPECT_EQ(V_VT(c.value.Get()), VT_EMPTY);
  }
}

TEST(SafeArrayAccess, GivesTheBytesOfAByteArray) {
  OwnedVariant bytes = OwnedVariant::FromBytes(ByteSet{9, 8, 7});
  SafeArrayAccess access(V_ARRAY(bytes.Get()));
  ASSERT_NE(access.Data(), nullptr);
  const auto* data = static_cast<const unsigned char*>(access.Data());
  EXPECT_EQ(ByteSet(data, data + 3), (ByteSet{9, 8, 7}));
}

TEST(GdiOwners, AFontIsDeletedOnceWithItsOwnerAndTheScreenDcIsHeld) {
  LOGFONTW logFont{};
  logFont.lfHeight = 12;
  HFONT font = CreateFontIndirectW(&logFont);
  ASSERT_NE(font, nullptr);
  {
    UniqueFont owner(font);
    UniqueFont moved = std::move(owner);
    EXPECT_FALSE(owner);
    EXPECT_EQ(GetObjectType(moved.Get()), static_cast<DWORD>(OBJ_FONT));
  }
  EXPECT_EQ(GetObjectType(font), 0u);

  const UniqueScreenDc screen(GetDC(nullptr));
  ASSERT_TRUE(screen);
  EXPECT_GT(GetDeviceCaps(screen.Get(), LOGPIXELSY), 0);
}

// Without a main window nothing runs, and the caller is told so.
TEST(RunOnWindowThread, WithoutTheMainWindowRunsNothing) {
  bool ran = false;
  EXPECT_FALSE(RunOnWindowThread([&] { ran = true; }));
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace korvan

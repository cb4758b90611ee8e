#include "platform/win32/message_box.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/win32/wide_text.h"

namespace korvan {
namespace {

struct SeenBox {
  std::wstring caption;
  std::wstring message;
  LONG_PTR exStyle = 0;
  bool found = false;
};

BOOL CALLBACK FindStaticText(HWND child, LPARAM context) {
  wchar_t className[16] = {};
  ::GetClassNameW(child, className, 16);
  wchar_t text[256] = {};
  ::GetWindowTextW(child, text, 256);
  if (std::wstring(className) == L"Static" && text[0] != L'\0') {
    *reinterpret_cast<std::wstring*>(context) = text;
    return FALSE;
  }
  return TRUE;
}

// Waits (bounded) for the message box of the given thread, notes what it shows and presses a button.
void PressWhenShown(DWORD threadId, int button, SeenBox& seen) {
  for (int attempt = 0; attempt < 200 && !seen.found; ++attempt) {
    ::Sleep(50);
    ::EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM context) -> BOOL {
          wchar_t className[16] = {};
          ::GetClassNameW(window, className, 16);
          if (std::wstring(className) != L"#32770") return TRUE;
          auto& box = *reinterpret_cast<SeenBox*>(context);
          wchar_t caption[256] = {};
          ::GetWindowTextW(window, caption, 256);
          box.caption = caption;
          box.exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
          ::EnumChildWindows(window, FindStaticText, reinterpret_cast<LPARAM>(&box.message));
          box.found = true;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&seen));
    if (seen.found) {
      ::Sleep(100);
      ::EnumThreadWindows(
          threadId,
          [](HWND window, LPARAM button) -> BOOL {
            wchar_t className[16] = {};
            ::GetClassNameW(window, className, 16);
            if (std::wstring(className) == L"#32770") ::PostMessageW(window, WM_COMMAND, button, 0);
            return TRUE;
          },
          button);
    }
  }
}

struct ButtonCase {
  const char* name;
  int style;
  int button;
  int expected;
};

class ShowMessageButtonTest : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(ShowMessageButtonTest, MapsThePressedButton) {
  const ButtonCase& c = GetParam();
  SeenBox seen;
  std::thread presser(PressWhenShown, ::GetCurrentThreadId(), c.button, std::ref(seen));
  // 测试
  const int result = ShowMessage("\xB2\xE2\xCA\xD4", c.style);
  presser.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(result, c.expected);
  EXPECT_EQ(seen.caption, L"\x4FE1\x606F\xFF1A") << "default caption 信息：";
  EXPECT_EQ(seen.message, L"\x6D4B\x8BD5") << "message 测试";
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         ShowMessageButtonTest,
                         ::testing::Values(ButtonCase{"Ok", MB_OK, IDOK, 0},
                                           ButtonCase{"Cancel", MB_OKCANCEL, IDCANCEL, 1},
                                           ButtonCase{"Abort", MB_ABORTRETRYIGNORE, IDABORT, 2},
                                           ButtonCase{"Retry", MB_ABORTRETRYIGNORE, IDRETRY, 3},
                                           ButtonCase{"Ignore", MB_ABORTRETRYIGNORE, IDIGNORE, 4},
                                           ButtonCase{"Yes", MB_YESNO, IDYES, 5},
                                           ButtonCase{"No", MB_YESNO | MB_SYSTEMMODAL, IDNO, 6}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShowMessageTest, GivenCaptionIsShownInChinese) {
  SeenBox seen;
  std::thread presser(PressWhenShown, ::GetCurrentThreadId(), IDOK, std::ref(seen));
  // 第一次使用 / 提示
  const int result = ShowMessage("\xB5\xDA\xD2\xBB\xB4\xCE\xCA\xB9\xD3\xC3", MB_OK, "\xCC\xE1\xCA\xBE");
  presser.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(seen.caption, L"\x63D0\x793A");
  EXPECT_EQ(seen.message, L"\x7B2C\x4E00\x6B21\x4F7F\x7528");
}

}  // namespace
}  // namespace korvan

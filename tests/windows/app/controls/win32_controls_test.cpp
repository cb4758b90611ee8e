// The control layer on real Win32 controls: the rules the handlers rely on must hold whatever the
// platform's own controls do (a single-line EDIT reports every WM_SETTEXT, a multi-line one none).
#include "app/controls/win32_controls.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/controls/controls.h"

namespace korvan {
namespace {

constexpr int kEditId = 100;
constexpr UINT_PTR kTimerId = 7;
constexpr char kChinese[] = "\xBC\xE0\xBF\xD8\xD4\xCB\xD0\xD0\xD6\xD0 \xA1\xF1";  // 监控运行中 ●

// A hidden top-level window that forwards EN_CHANGE and WM_TIMER to the control layer, as the main
// window does.
class Host {
 public:
  explicit Host(DWORD editStyle) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KorvanControlsTestHost";
    RegisterClassW(&windowClass);
    window = CreateWindowExW(0, L"KorvanControlsTestHost", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | editStyle, 0, 0, 200, 60, window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), GetModuleHandleW(nullptr), nullptr);
    box = std::make_unique<EditBox>(std::make_unique<Win32EditBoxPlatform>(edit));
    timer = std::make_unique<Timer>(std::make_unique<Win32TimerPlatform>(window, kTimerId));
  }
  ~Host() { DestroyWindow(window); }

  // Dispatches messages for the given time.
  static void Pump(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    while (static_cast<LONG>(GetTickCount() - end) < 0) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    }
  }

  HWND window = nullptr;
  HWND edit = nullptr;
  std::unique_ptr<EditBox> box;
  std::unique_ptr<Timer> timer;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Host*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_COMMAND && LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE) {
      self->box->ControlChanged();
      return 0;
    }
    if (self && message == WM_TIMER && wParam == kTimerId) {
      self->timer->ControlTicked();
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
};

class EditBoxOnWin32 : public ::testing::TestWithParam<DWORD> {};

INSTANTIATE_TEST_SUITE_P(SingleAndMultiLine,
                         EditBoxOnWin32,
                         ::testing::Values(static_cast<DWORD>(ES_AUTOHSCROLL),
                                           static_cast<DWORD>(ES_MULTILINE | ES_AUTOVSCROLL)));

TEST_P(EditBoxOnWin32, ProgramWriteRaisesChangedExactlyOnceWithTheTextInPlace) {
  Host host(GetParam());
  std::vector<Text> seen;
  host.box->SetChangedHandler([&] { seen.push_back(host.box->Content()); });

  host.box->SetContent("10");
  host.box->SetContent("10");
  host.box->SetContent(kChinese);
  host.box->SetContent("");

  EXPECT_EQ(seen, (std::vector<Text>{"10", "10", kChinese, ""}));
}

TEST_P(EditBoxOnWin32, TypingRaisesChangedForEveryCharacter) {
  Host host(GetParam());
  int changes = 0;
  host.box->SetChangedHandler([&] { ++changes; });
  for (wchar_t c : std::wstring(L"ab"))
    SendMessageW(host.edit, WM_CHAR, c, 1);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(host.box->Content(), "ab");
}

TEST(IntegerEntry, LetsOnlyMinusDigitsAndControlCharactersIn) {
  Host host(ES_AUTOHSCROLL);
  MakeIntegerEntry(host.edit);
  for (wchar_t c : std::wstring(L"a1-b2.3\x4E00"
                                L"4\b"))
    SendMessageW(host.edit, WM_CHAR, c, 1);
  EXPECT_EQ(host.box->Content(), "1-23");  // the Backspace took the 4 back out
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool placed = false;
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
    if (auto* target = static_cast<wchar_t*>(GlobalLock(memory))) {
      std::copy(text.c_str(), text.c_str() + text.size() + 1, target);
      GlobalUnlock(memory);
      placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    // The clipboard owns the memory once SetClipboardData took it.
    if (!placed) GlobalFree(memory);
  }
  CloseClipboard();
  return placed;
}

TEST(IntegerEntry, PastedTextKeepsOnlyMinusAndDigitsAndChangesOnce) {
  struct Case {
    const char* what;
    const char* before;
    int selectFrom;
    int selectTo;
    std::wstring clipboard;
    bool controlV;  // Ctrl+V typed rather than WM_PASTE sent (as the context menu does)
    const char* after;
    int changes;
  };
  const Case cases[] = {
      {"letters dropped", "", 0, 0, L"12abc", false, "12", 1},
      {"over the whole text", "10", 0, -1, L"2x4", false, "24", 1},
      {"into the middle", "16", 1, 1, L"-5", false, "1-56", 1},
      {"spaces, line end, full-width and Chinese", "", 0, 0, L" 4\t5\r\n\xFF16\x4E00", false, "45", 1},
      {"nothing allowed leaves the box alone", "10", 0, -1, L"abc", false, "10", 0},
      {"empty clipboard text", "7", 0, -1, L"", false, "7", 0},
      {"Ctrl+V goes the same way", "", 0, 0, L"3h", true, "3", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Host host(ES_AUTOHSCROLL);
    MakeIntegerEntry(host.edit);
    host.box->SetContent(c.before);
    int changes = 0;
    host.box->SetChangedHandler([&] { ++changes; });
    SendMessageW(host.edit, EM_SETSEL, c.selectFrom, c.selectTo);
    ASSERT_TRUE(PutOnClipboard(host.window, c.clipboard));
    if (c.controlV) {
      SendMessageW(host.edit, WM_CHAR, 0x16, 1);
    } else {
      SendMessageW(host.edit, WM_PASTE, 0, 0);
    }
    EXPECT_EQ(host.box->Content(), c.after);
    EXPECT_EQ(changes, c.changes);
  }
}

TEST(IntegerEntry, PasteIntoAPlainBoxKeepsEverything) {
  // The filter belongs to integer entry only: the user and password boxes take any pasted text.
  Host host(ES_AUTOHSCROLL);
  ASSERT_TRUE(PutOnClipboard(host.window, L"u1-x"));
  SendMessageW(host.edit, WM_PASTE, 0, 0);
  EXPECT_EQ(host.box->Content(), "u1-x");
}

TEST(TimerOnWin32, TicksWhileArmedAndStopsAtZero) {
  Host host(ES_AUTOHSCROLL);
  int ticks = 0;
  host.timer->SetTickHandler([&] { ++ticks; });

  host.timer->SetInterval(20);
  Host::Pump(300);
  EXPECT_GE(ticks, 3);

  host.timer->SetInterval(-5);
  EXPECT_EQ(host.timer->Interval(), 0);
  const int stoppedAt = ticks;
  Host::Pump(150);
  EXPECT_EQ(ticks, stoppedAt);
}

TEST(TimerOnWin32, CountsDownOnTheSystemClock) {
  Host host(ES_AUTOHSCROLL);
  host.timer->SetInterval(60000);
  Sleep(120);
  const std::int64_t left = host.timer->MillisecondsToNextTick();
  EXPECT_LE(left, 60000 - 100);
  EXPECT_GT(left, 60000 - 5000);
}

TEST(LabelOnWin32, TransparentLabelShowsTheCaptionUnchanged) {
  Host host(ES_AUTOHSCROLL);
  HWND label = CreateWindowExW(WS_EX_TRANSPARENT, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 100, 150, 24, host.window,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  Label status(std::make_unique<Win32LabelPlatform>(label, true));
  status.SetCaption(kChinese);
  EXPECT_EQ(status.Caption(), kChinese);
}

}  // namespace
}  // namespace korvan

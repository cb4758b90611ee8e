// The browser views must never hold the program up: without a browser engine (Wine without Gecko)
// creating, navigating and closing a view comes back at once.
#include "app/controls/browser_view.h"

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

namespace korvan {
namespace {

TEST(BrowserView, CreatesNavigatesAndClosesWithoutHoldingTheThread) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  const DWORD start = GetTickCount();
  {
    BrowserViewSettings settings;
    settings.rect = {0, 0, 200, 200};
    settings.offline = true;
    BrowserView view(parent, std::move(settings));
    // An address written before activation is kept for it; the control exists only after it.
    view.Navigate("http://127.0.0.1:9/");
    EXPECT_FALSE(view.Created());
    const bool activated = view.Activate();
    EXPECT_EQ(activated, view.Created());
    view.Navigate("http://127.0.0.1:9/");
    view.Navigate("http://127.0.0.1:9/");  // the same address again navigates again
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
    view.Close();
  }
  EXPECT_LT(GetTickCount() - start, 5000u);
  DestroyWindow(parent);
  OleUninitialize();
}

}  // namespace
}  // namespace korvan

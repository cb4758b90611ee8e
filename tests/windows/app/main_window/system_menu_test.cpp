#include "app/main_window/system_menu.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <ostream>
#include <string>
#include <vector>

namespace korvan {
namespace {

struct MenuItem {
  UINT id;
  std::wstring text;
  friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

void PrintTo(const MenuItem& item, std::ostream* out) { *out << item.id << " (" << item.text.size() << " chars)"; }

std::vector<MenuItem> ItemsFrom(HMENU menu, int first) {
  std::vector<MenuItem> items;
  for (int position = first; position < GetMenuItemCount(menu); ++position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
    const UINT state = GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
    items.push_back({(state & MF_SEPARATOR) ? 0u : GetMenuItemID(menu, position), text});
  }
  return items;
}

TEST(SystemMenu, GainsTheFourCommandsBelowASeparator) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  HMENU menu = GetSystemMenu(window, FALSE);
  ASSERT_NE(menu, nullptr);
  const int before = GetMenuItemCount(menu);

  AddSystemMenuCommands(window, MainWindowSystemMenu());

  const std::vector<MenuItem> expected = {
      {0, L""},
      {0x0110, L"\u8FD0\u884C\u72B6\u51B5(&T)\u2026"},                          // 运行状况(&T)…
      {0x0120, L"\u7ACB\u5373\u68C0\u67E5\uFF08\u4E0D\u7EED\u671F\uFF09(&K)"},  // 立即检查（不续期）(&K)
      {0x0130, L"\u6253\u5F00\u8FD0\u884C\u8BB0\u5F55(&L)"},                    // 打开运行记录(&L)
      {0x0140, L"\u9AD8\u7EA7\u8BBE\u7F6E(&O)\u2026"},                          // 高级设置(&O)…
  };
  EXPECT_EQ(ItemsFrom(menu, before), expected);
  // A key that a system command already has would only cycle between the two.
  std::wstring keys;
  for (const MenuItem& item : ItemsFrom(menu, 0)) {
    const std::size_t amp = item.text.find(L'&');
    if (amp == std::wstring::npos || amp + 1 == item.text.size()) continue;
    const wchar_t key = towupper(item.text[amp + 1]);
    EXPECT_EQ(keys.find(key), std::wstring::npos) << static_cast<int>(key);
    keys += key;
  }
  DestroyWindow(window);
}

std::vector<int>& Calls() {
  static std::vector<int> calls;
  return calls;
}

TEST(SystemMenu, DispatchesByTheCommandWithoutTheSystemsLowBits) {
  static constexpr SystemMenuCommand kCommands[] = {
      {0x0110, "a", [] { Calls().push_back(1); }},
      {0x0120, "b", [] { Calls().push_back(2); }},
  };
  struct Case {
    WPARAM command;
    bool handled;
    std::vector<int> calls;
  };
  const Case cases[] = {
      {0x0110, true, {1}}, {0x0123, true, {2}}, {0x0130, false, {}}, {SC_CLOSE, false, {}}, {0, false, {}},
  };
  for (const Case& c : cases) {
    Calls().clear();
    EXPECT_EQ(RunSystemMenuCommand(kCommands, c.command), c.handled) << c.command;
    EXPECT_EQ(Calls(), c.calls) << c.command;
  }
}

}  // namespace
}  // namespace korvan

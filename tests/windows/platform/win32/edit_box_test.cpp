#include "platform/win32/edit_box.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

#include "platform/win32/handles.h"
#include "runtime/text/text.h"

namespace korvan {
namespace {

struct WindowDestroyer {
  void operator()(HWND window) const { ::DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

class AppendToEditBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // An ANSI control on purpose: the wide messages must still carry the Chinese over.
    box_.reset(::CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 300, 100, nullptr,
                                 nullptr, ::GetModuleHandleA(nullptr), nullptr));
    ASSERT_NE(box_.get(), nullptr);
  }
  UniqueWindow box_;
};

TEST_F(AppendToEditBoxTest, AppendsEveryTextAtTheEndInOrder) {
  ::SetWindowTextW(box_.get(), L"\x3010old\x3011\r\n");
  // Caret and selection at the start must not matter.
  ::SendMessageW(box_.get(), EM_SETSEL, 0, 2);
  // 登录成功
  AppendToEditBox(box_.get(), "2023\xC4\xEA\r\n", Text("\xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6\r\n"), std::string_view());
  EXPECT_EQ(WindowText(box_.get()), L"\x3010old\x3011\r\n2023\x5E74\r\n\x767B\x5F55\x6210\x529F\r\n");
  AppendToEditBox(box_.get(), {"a", "b"});
  EXPECT_EQ(WindowText(box_.get()), L"\x3010old\x3011\r\n2023\x5E74\r\n\x767B\x5F55\x6210\x529F\r\nab");
}

TEST_F(AppendToEditBoxTest, AppendIsNotUndoable) {
  AppendToEditBox(box_.get(), "kept");
  ::SendMessageW(box_.get(), EM_UNDO, 0, 0);
  EXPECT_EQ(WindowText(box_.get()), L"kept");
}

}  // namespace
}  // namespace korvan

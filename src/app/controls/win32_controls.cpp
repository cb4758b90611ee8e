#include "app/controls/win32_controls.h"

#include <commctrl.h>

#include <cwchar>
#include <string>

#include "platform/win32/edit_box.h"
#include "platform/win32/wide_text.h"

namespace korvan {

Text ReadWindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, wide.data(), length + 1);
  wide.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return WideToAnsi(wide);
}

Text Win32EditBoxPlatform::ReadText() const { return ReadWindowText(edit_); }

void Win32EditBoxPlatform::WriteText(std::string_view text) { SetWindowTextW(edit_, AnsiToWide(text).c_str()); }

void Win32EditBoxPlatform::AppendText(std::string_view text) { AppendToEditBox(edit_, text); }

void Win32TimerPlatform::Start(std::uint32_t milliseconds) { SetTimer(owner_, id_, milliseconds, nullptr); }

void Win32TimerPlatform::Stop() { KillTimer(owner_, id_); }

std::int64_t Win32TimerPlatform::Now() const { return static_cast<std::int64_t>(GetTickCount64()); }

Text Win32LabelPlatform::ReadCaption() const { return ReadWindowText(label_); }

void Win32LabelPlatform::WriteCaption(std::string_view caption) {
  if (transparent_) {
    HWND parent = GetParent(label_);
    RECT rect;
    GetWindowRect(label_, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    InvalidateRect(parent, &rect, TRUE);
  }
  SetWindowTextW(label_, AnsiToWide(caption).c_str());
  if (transparent_) InvalidateRect(label_, nullptr, TRUE);
}

namespace {

constexpr UINT_PTR kIntegerEntrySubclassId = 1;

bool IntegerEntryCharacter(wchar_t character) { return character == L'-' || (character >= L'0' && character <= L'9'); }

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* locked = static_cast<const wchar_t*>(GlobalLock(data))) {
      text.assign(locked, wcsnlen(locked, GlobalSize(data) / sizeof(wchar_t)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// Ctrl+V, Shift+Insert and the context menu's paste all arrive as WM_PASTE: the clipboard text goes
// in through the same rule as typing, as one replacement of the selection (one content change).
void PasteIntegerEntry(HWND edit) {
  std::wstring kept;
  for (const wchar_t character : ClipboardText(edit)) {
    if (IntegerEntryCharacter(character)) kept += character;
  }
  // Nothing left is like a keystroke that was refused: the box stays as it was.
  if (kept.empty()) return;
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kept.c_str()));
}

LRESULT CALLBACK IntegerEntryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_CHAR) {
    const auto character = static_cast<wchar_t>(wParam);
    if (character >= 0x20 && !IntegerEntryCharacter(character)) return 0;
  } else if (message == WM_PASTE) {
    if (!(GetWindowLongW(window, GWL_STYLE) & ES_READONLY)) PasteIntegerEntry(window);
    return 0;
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, IntegerEntryProc, kIntegerEntrySubclassId);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void MakeIntegerEntry(HWND edit) { SetWindowSubclass(edit, IntegerEntryProc, kIntegerEntrySubclassId, 0); }

}  // namespace korvan

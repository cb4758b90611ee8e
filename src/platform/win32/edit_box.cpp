#include "platform/win32/edit_box.h"

#include <string>

#include "platform/win32/wide_text.h"

namespace korvan {

void AppendToEditBox(HWND editBox, std::initializer_list<std::string_view> texts) {
  for (const std::string_view text : texts) {
    // Wide messages with an explicit code page 936 conversion, so the text is right on any system
    // code page; lengths and offsets are then UTF-16 units throughout.
    const std::wstring wide = AnsiToWide(text);
    const LRESULT end = ::SendMessageW(editBox, WM_GETTEXTLENGTH, 0, 0);
    ::SendMessageW(editBox, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(editBox, EM_SCROLLCARET, 0, 0);
    ::SendMessageW(editBox, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
  }
}

}  // namespace korvan

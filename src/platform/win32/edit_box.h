// Appending texts at the end of an edit control.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string_view>

namespace korvan {

// For each code page 936 text in order: put the caret after the last character, scroll it into view
// and insert the text there without an undo step.
void AppendToEditBox(HWND editBox, std::initializer_list<std::string_view> texts);

template <typename... Texts>
void AppendToEditBox(HWND editBox, const Texts&... texts) {
  AppendToEditBox(editBox, {std::string_view(texts)...});
}

}  // namespace korvan

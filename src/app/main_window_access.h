// What code off the window's thread may do with the main window. Each call is carried over to the
// window's thread by a synchronous window message, so it is safe from any thread; before the window
// exists or after it is gone, reads give the empty text and appends do nothing.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

enum class FormBox { User, Password, RenewHours, RestartHours, Log };

// The content of 编辑框_user / 编辑框_pass / 编辑框_jk / 编辑框_cq / 编辑框_jl as code page 936 text.
Text ReadFormBox(FormBox box);

// Appends the text at the end of the log box 编辑框_jl and scrolls it into view.
void AppendToLogBox(std::string_view text);

}  // namespace korvan

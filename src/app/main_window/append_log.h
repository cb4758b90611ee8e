// AppendLog, the one writer of the log box 编辑框_jl.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// Stamps the message with the network time and appends the entry at the end of the log box. Safe
// from any thread; blocks for one time-page request. Gives the entry's stamp text.
Text AppendLog(std::string_view message);

// Appends the text at the end of the log box and scrolls it into view, on the window's thread;
// nothing when the window is gone.
void AppendToLogBox(std::string_view text);

}  // namespace korvan

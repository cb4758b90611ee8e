// The one writer of the log box 编辑框_jl.
#pragma once

#include <string_view>

namespace korvan {

// Stamps the message with the network time and appends the entry at the end of the log box. Safe
// from any thread; blocks for one time-page request.
void AppendLog(std::string_view message);

}  // namespace korvan

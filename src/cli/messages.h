// The command line's own lines, "korvan: " first: what it did on standard output, what went wrong
// on standard error.
#pragma once

#include <string_view>

#include "platform/standard_streams.h"
#include "runtime/text/text.h"

namespace korvan {

inline void Say(std::string_view message) { WriteStandardOutput(JoinTexts("korvan: ", message, "\n")); }
inline void Complain(std::string_view message) { WriteStandardError(JoinTexts("korvan: ", message, "\n")); }

}  // namespace korvan

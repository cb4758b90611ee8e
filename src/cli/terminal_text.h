// The Linux program's texts as its terminal shows them.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// A code page 936 text as standard output shows it: UTF-8, LF line ends.
Text TerminalText(std::string_view text);

}  // namespace korvan

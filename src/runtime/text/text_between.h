#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// The text between the first `left` (searched from startPos; below 1 means the beginning) and the
// first `right` after it; empty when either is missing. "#引号" in a marker stands for a double quote.
Text TextBetween(std::string_view text,
                 std::string_view left,
                 std::string_view right,
                 int startPos = 0,
                 bool ignoreCase = false);

}  // namespace korvan

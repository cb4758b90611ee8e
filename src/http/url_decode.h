#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// Replaces each "%XX" by its byte (malformed digits decoded by the fixed digit rule, a zero byte
// dropped); with utf8 the result is then converted from UTF-8 to code page 936.
Text UrlDecodeText(std::string_view text, bool utf8 = false);

}  // namespace korvan

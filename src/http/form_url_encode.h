#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// application/x-www-form-urlencoded, byte by byte: ASCII letters, digits and "*-._" stay, a space
// becomes "+", every other byte (each byte of a code page 936 character included) becomes "%XX"
// in upper case.
Text FormUrlEncode(std::string_view text);

}  // namespace korvan

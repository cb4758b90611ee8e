// Base64 as RFC 4648 writes it: the standard alphabet, "=" padding, no line breaks.
#pragma once

#include "runtime/text/text.h"

namespace korvan {

Text Base64Encode(const ByteSet& bytes);

}  // namespace korvan

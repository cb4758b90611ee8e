// HMAC-SHA256 from the platform's own cryptography: BCrypt on Windows, OpenSSL's libcrypto natively.
// The portable code calls this one function; each build links the one implementation it has.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

inline constexpr int kHmacSha256Size = 32;

// The 32-byte code of message under key (keys of any length, the empty one included); empty only
// when the platform's cryptography refuses, which callers treat as "cannot sign".
ByteSet HmacSha256(std::string_view key, std::string_view message);

}  // namespace korvan

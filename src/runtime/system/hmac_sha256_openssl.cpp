#include <openssl/evp.h>
#include <openssl/hmac.h>

#include "runtime/system/hmac_sha256.h"

namespace korvan {

ByteSet HmacSha256(std::string_view key, std::string_view message) {
  ByteSet code(kHmacSha256Size);
  unsigned int length = 0;
  // To OpenSSL a null key means "the key set before", not the empty key; an empty view may carry a
  // null pointer, so the empty key is handed over as a real one.
  static constexpr unsigned char kNoKey = 0;
  const void* keyBytes = key.empty() ? &kNoKey : static_cast<const void*>(key.data());
  const auto* messageBytes = reinterpret_cast<const unsigned char*>(message.empty() ? "" : message.data());
  if (HMAC(EVP_sha256(), keyBytes, static_cast<int>(key.size()), messageBytes, message.size(), code.data(), &length) ==
          nullptr ||
      length != code.size()) {
    return {};
  }
  return code;
}

}  // namespace korvan

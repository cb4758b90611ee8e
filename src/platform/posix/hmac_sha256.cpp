#include <dlfcn.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/opensslv.h>

#include <optional>

#include "runtime/crypto/hmac_sha256.h"

namespace korvan {
namespace {

// libcrypto is opened at the first signature, as the Windows program delay-loads bcrypt: loading it
// at start was half the time of a Linux `korvan tick` that has nothing to do.
#define KORVAN_TEXT_OF(number) #number
#define KORVAN_SONAME_OF(number) "libcrypto.so." KORVAN_TEXT_OF(number)
constexpr char kCryptoLibrary[] = KORVAN_SONAME_OF(OPENSSL_SHLIB_VERSION);

struct Crypto {
  decltype(&HMAC) hmac = nullptr;
  decltype(&EVP_sha256) sha256 = nullptr;
};

const Crypto* OpenCrypto() {
  static const std::optional<Crypto> opened = []() -> std::optional<Crypto> {
    void* library = ::dlopen(kCryptoLibrary, RTLD_LAZY | RTLD_LOCAL);
    if (library == nullptr) return std::nullopt;
    Crypto crypto{reinterpret_cast<decltype(&HMAC)>(::dlsym(library, "HMAC")),
                  reinterpret_cast<decltype(&EVP_sha256)>(::dlsym(library, "EVP_sha256"))};
    if (crypto.hmac == nullptr || crypto.sha256 == nullptr) return std::nullopt;
    return crypto;
  }();
  return opened ? &*opened : nullptr;
}

}  // namespace

ByteSet HmacSha256(std::string_view key, std::string_view message) {
  const Crypto* crypto = OpenCrypto();
  if (crypto == nullptr) return {};
  ByteSet code(kHmacSha256Size);
  unsigned int length = 0;
  // To OpenSSL a null key means "the key set before", not the empty key; an empty view may carry a
  // null pointer, so the empty key is handed over as a real one.
  static constexpr unsigned char kNoKey = 0;
  const void* keyBytes = key.empty() ? &kNoKey : static_cast<const void*>(key.data());
  const auto* messageBytes = reinterpret_cast<const unsigned char*>(message.empty() ? "" : message.data());
  if (crypto->hmac(crypto->sha256(), keyBytes, static_cast<int>(key.size()), messageBytes, message.size(), code.data(),
                   &length) == nullptr ||
      length != code.size()) {
    return {};
  }
  return code;
}

}  // namespace korvan

#include "runtime/crypto/hmac_sha256.h"

#include "platform/win32/handles.h"

namespace korvan {

namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

// BCrypt takes non-const byte pointers for input it only reads.
PUCHAR InputBytes(std::string_view bytes) {
  static UCHAR noBytes = 0;
  return bytes.empty() ? &noBytes : reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
}

}  // namespace

ByteSet HmacSha256(std::string_view key, std::string_view message) {
  BCRYPT_ALG_HANDLE openedAlgorithm = nullptr;
  if (!Succeeded(BCryptOpenAlgorithmProvider(&openedAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                             BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
    return {};
  }
  const UniqueCryptoAlgorithm algorithm(openedAlgorithm);

  // A null hash object buffer lets BCrypt allocate it (Windows 7 and later).
  BCRYPT_HASH_HANDLE createdHash = nullptr;
  if (!Succeeded(BCryptCreateHash(algorithm.Get(), &createdHash, nullptr, 0, InputBytes(key),
                                  static_cast<ULONG>(key.size()), 0))) {
    return {};
  }
  const UniqueCryptoHash hash(createdHash);

  ByteSet code(kHmacSha256Size);
  if (!Succeeded(BCryptHashData(hash.Get(), InputBytes(message), static_cast<ULONG>(message.size()), 0)) ||
      !Succeeded(BCryptFinishHash(hash.Get(), code.data(), static_cast<ULONG>(code.size()), 0))) {
    return {};
  }
  return code;
}

}  // namespace korvan

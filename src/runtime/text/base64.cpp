#include "runtime/text/base64.h"

namespace korvan {

Text Base64Encode(const ByteSet& bytes) {
  constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  Text encoded;
  encoded.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
    encoded += kAlphabet[group >> 18 & 0x3F];
    encoded += kAlphabet[group >> 12 & 0x3F];
    encoded += kAlphabet[group >> 6 & 0x3F];
    encoded += kAlphabet[group & 0x3F];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    const std::uint32_t group = bytes[i] << 16 | (rest == 2 ? bytes[i + 1] << 8 : 0);
    encoded += kAlphabet[group >> 18 & 0x3F];
    encoded += kAlphabet[group >> 12 & 0x3F];
    encoded += rest == 2 ? kAlphabet[group >> 6 & 0x3F] : '=';
    encoded += '=';
  }
  return encoded;
}

}  // namespace korvan

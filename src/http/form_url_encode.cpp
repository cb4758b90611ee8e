#include "http/form_url_encode.h"

namespace korvan {

namespace {

bool KeptAsIs(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '*' ||
         byte == '-' || byte == '.' || byte == '_';
}

}  // namespace

Text FormUrlEncode(std::string_view text) {
  constexpr std::string_view kHexDigits = "0123456789ABCDEF";
  Text encoded;
  encoded.reserve(text.size() * 3);
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    if (KeptAsIs(byte)) {
      encoded += character;
    } else if (byte == ' ') {
      encoded += '+';
    } else {
      encoded += '%';
      encoded += kHexDigits[byte >> 4];
      encoded += kHexDigits[byte & 0x0F];
    }
  }
  return encoded;
}

}  // namespace korvan

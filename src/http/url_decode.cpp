#include "http/url_decode.h"

#include "runtime/text/encoding.h"

namespace korvan {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// The digit rule of the escapes: a missing (or zero) byte counts 0, a byte outside the digit table
// counts -2, so malformed escapes still decode to a fixed byte instead of being rejected.
int DigitValue(std::string_view text, std::size_t offset) {
  if (offset >= text.size() || text[offset] == '\0') return 0;
  char digit = text[offset];
  if (digit >= 'a' && digit <= 'z') digit = static_cast<char>(digit - 'a' + 'A');
  const auto index = kHexDigits.find(digit);
  return index == std::string_view::npos ? -2 : static_cast<int>(index);
}

}  // namespace

Text UrlDecodeText(std::string_view text, bool utf8) {
  Text decoded;
  decoded.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '%') {
      decoded += text[i];
      ++i;
      continue;
    }
    const int value = 16 * DigitValue(text, i + 1) + DigitValue(text, i + 2);
    const auto byte = static_cast<unsigned char>(value & 0xFF);
    if (byte != 0) decoded += static_cast<char>(byte);
    i += 3;
  }
  return utf8 ? Utf8ToAnsi(decoded) : decoded;
}

}  // namespace korvan

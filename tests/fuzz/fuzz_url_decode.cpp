// UrlDecodeText on arbitrary answers, malformed escapes included, with and without the UTF-8
// conversion; and the round trip the renewal job relies on: a code page 936 text, sent as
// percent-escaped UTF-8, decodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "http/url_decode.h"
#include "runtime/text/encoding.h"
#include "runtime/text/text.h"

namespace korvan::fuzz {
namespace {

// Each byte either as itself or as "%XX" in upper or lower case hexadecimal, as `styles` says.
Text PercentEncode(std::string_view bytes, std::string_view styles) {
  Text encoded;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto style = styles.empty() ? 0u : static_cast<unsigned char>(styles[i % styles.size()]);
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if ((style & 1) != 0 && byte != '%') {
      encoded += static_cast<char>(byte);
      continue;
    }
    const char* digits = (style & 2) != 0 ? "0123456789abcdef" : "0123456789ABCDEF";
    encoded += '%';
    encoded += digits[byte >> 4];
    encoded += digits[byte & 0x0F];
  }
  return encoded;
}

bool IsAscii(std::string_view text) {
  for (const char byte : text) {
    if (static_cast<unsigned char>(byte) >= 0x80) return false;
  }
  return true;
}

void CheckArbitraryAnswer(std::string_view answer) {
  const Text plain = UrlDecodeText(answer, false);
  FUZZ_CHECK(plain.size() <= answer.size());
  FUZZ_CHECK(plain.find('\0') == Text::npos);
  if (answer.find('%') == std::string_view::npos) FUZZ_CHECK(plain == answer);

  const Text converted = UrlDecodeText(answer, true);
  FUZZ_CHECK(converted.find('\0') == Text::npos);
  FUZZ_CHECK(converted == Utf8ToAnsi(plain));
  if (IsAscii(plain)) FUZZ_CHECK(converted == plain);
}

void CheckRoundTrips(std::string_view bytes, std::string_view styles) {
  // Any bytes, escaped in any mix of styles, decode back to themselves.
  FUZZ_CHECK(UrlDecodeText(PercentEncode(bytes, styles), false) == bytes);

  // A code page 936 text the conversions carry both ways comes back from its escaped UTF-8 form.
  const Text text = WellFormed(bytes);
  const ByteSet wide = TextToWide(text, kCodePage936);
  if (WideToText(wide, kCodePage936) != text) return;
  const Text utf8 = WideToText(wide, kCodePageUtf8);
  FUZZ_CHECK(UrlDecodeText(PercentEncode(utf8, styles), true) == text);
}

}  // namespace
}  // namespace korvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvan::fuzz;
  FuzzInput input(data, size);
  const korvan::Text answer = input.Piece();
  const korvan::Text styles = input.Piece();
  CheckArbitraryAnswer(answer);
  CheckRoundTrips(answer, styles);
  return 0;
}

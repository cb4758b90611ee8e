#include "runtime/datetime/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace korvan {
namespace {

bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Past white space and an optional sign; tells whether the sign was "-".
bool SkipSpaceAndSign(std::string_view text, std::size_t& at) {
  while (at < text.size() && IsWhiteSpace(text[at]))
    ++at;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) return text[at++] == '-';
  return false;
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
  while (at < text.size() && IsDigit(text[at]))
    ++at;
  return at;
}

// Far beyond any double's decimal range, yet small enough that adding a digit count to it
// cannot overflow.
constexpr std::int64_t kExponentLimit = 100'000'000;

}  // namespace

Text FoldToHalfWidth(std::string_view text) {
  Text folded;
  folded.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t length = CharacterLength(text, at);
    if (length == 0) break;  // a lone lead byte at the end
    if (length == 2) {
      const auto lead = static_cast<unsigned char>(text[at]);
      const auto trail = static_cast<unsigned char>(text[at + 1]);
      if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        folded.push_back(static_cast<char>(trail - 0x80));
      } else if (lead == 0xA1 && trail == 0xA1) {
        folded.push_back(' ');
      } else if (lead == 0xA1 && trail == 0xAB) {
        folded.push_back('~');
      } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
        folded.push_back('*');
      } else {
        folded.append(text.substr(at, 2));
      }
    } else {
      folded.push_back(text[at]);
    }
    at += length;
  }
  return folded;
}

std::int32_t ToInteger(std::string_view text) {
  const Text folded = FoldToHalfWidth(text);
  std::size_t at = 0;
  const bool negative = SkipSpaceAndSign(folded, at);
  // Unsigned arithmetic: the contract wraps at 32 bits, which signed overflow may not do.
  std::uint32_t value = 0;
  for (; at < folded.size() && IsDigit(folded[at]); ++at) {
    value = value * 10u + static_cast<std::uint32_t>(folded[at] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

std::int32_t ToInteger(double number) {
  // Out of the 32-bit range a cast is undefined; saturate instead.
  if (std::isnan(number)) return 0;
  if (number >= 2147483648.0) return std::numeric_limits<std::int32_t>::max();
  if (number <= -2147483649.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(number);
}

double ToNumber(std::string_view text) {
  const Text folded = FoldToHalfWidth(text);
  std::size_t at = 0;
  const bool negative = SkipSpaceAndSign(folded, at);

  const std::size_t integerStart = at;
  const std::size_t integerEnd = SkipDigits(folded, integerStart);
  std::size_t fractionStart = integerEnd;
  std::size_t fractionEnd = integerEnd;
  if (integerEnd < folded.size() && folded[integerEnd] == '.') {
    fractionStart = integerEnd + 1;
    fractionEnd = SkipDigits(folded, fractionStart);
  }
  const std::string_view integerDigits(folded.data() + integerStart, integerEnd - integerStart);
  const std::string_view fractionDigits(folded.data() + fractionStart, fractionEnd - fractionStart);
  if (integerDigits.empty() && fractionDigits.empty()) return 0.0;

  // The exponent counts only when digits follow its letter (and sign).
  std::int64_t exponent = 0;
  at = fractionEnd;
  if (at < folded.size() && (folded[at] == 'e' || folded[at] == 'E' || folded[at] == 'd' || folded[at] == 'D')) {
    std::size_t exponentAt = at + 1;
    bool exponentNegative = false;
    if (exponentAt < folded.size() && (folded[exponentAt] == '+' || folded[exponentAt] == '-')) {
      exponentNegative = folded[exponentAt++] == '-';
    }
    if (exponentAt < folded.size() && IsDigit(folded[exponentAt])) {
      for (; exponentAt < folded.size() && IsDigit(folded[exponentAt]); ++exponentAt) {
        if (exponent < kExponentLimit) exponent = exponent * 10 + (folded[exponentAt] - '0');
      }
      if (exponentNegative) exponent = -exponent;
    }
  }

  // Our own digits in a fixed layout, so the C locale's decimal point never matters.
  std::string plain;
  plain.reserve(integerDigits.size() + fractionDigits.size() + 16);
  plain.append(integerDigits.empty() ? std::string_view("0") : integerDigits);
  if (!fractionDigits.empty()) {
    plain.push_back('.');
    plain.append(fractionDigits);
  }
  plain.push_back('e');
  plain.append(std::to_string(exponent));

  double value = 0.0;
  const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Out of range: overflow gives infinity, underflow zero, as strtod does. The decimal
    // magnitude tells which.
    const std::size_t integerZeros = integerDigits.find_first_not_of('0');
    std::int64_t magnitude = exponent;
    if (integerZeros != std::string_view::npos) {
      magnitude += static_cast<std::int64_t>(integerDigits.size() - integerZeros);
    } else {
      const std::size_t fractionZeros = fractionDigits.find_first_not_of('0');
      magnitude -=
          static_cast<std::int64_t>(fractionZeros == std::string_view::npos ? fractionDigits.size() : fractionZeros);
    }
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

std::int64_t TruncateToInteger(double number) {
  if (std::isnan(number)) return 0;
  // 2^63 is exact as a double; anything at or beyond it does not fit.
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (number >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
  if (number < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(number);
}

Text ToText(std::int64_t number) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, number);
  return Text(digits, result.ptr);
}

Text ToText(bool logical) { return logical ? Text("\xD5\xE6") /* 真 */ : Text("\xBC\xD9") /* 假 */; }

Text ToText(const ByteSet& bytes) { return BytesToText(bytes); }

Text ToText(DateTime dateTime) { return DateTimeToText(dateTime); }

}  // namespace korvan

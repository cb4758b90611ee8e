// Reading numbers from texts and writing values as text.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/datetime/datetime.h"
#include "runtime/text/text.h"

namespace korvan {

// Full-width forms (A3 A1..A3 FE), the full-width space and three look-alikes become their ASCII
// bytes; every other character is copied; a final lone lead byte is dropped.
Text FoldToHalfWidth(std::string_view text);

// Leading white space, an optional sign, decimal digits; accumulated in 32 bits and wrapping.
std::int32_t ToInteger(std::string_view text);
// Truncation toward zero; beyond the 32-bit range it saturates, NaN gives 0.
std::int32_t ToInteger(double number);
inline std::int32_t ToInteger(std::int32_t number) { return number; }
inline std::int32_t ToInteger(bool logical) { return logical ? 1 : 0; }

// Leading white space, an optional sign, digits with an optional point and fraction, an optional
// exponent (e, E, d or D); the rest is ignored and no number gives 0. Never reads hexadecimal,
// "inf" or "nan", and does not depend on the C locale.
double ToNumber(std::string_view text);
inline double ToNumber(double number) { return number; }

// Truncation toward zero; values beyond the 64-bit range saturate, NaN gives 0.
std::int64_t TruncateToInteger(double number);

Text ToText(std::int64_t number);
inline Text ToText(std::int32_t number) { return ToText(static_cast<std::int64_t>(number)); }
inline Text ToText(std::uint8_t byte) { return ToText(static_cast<std::int64_t>(byte)); }
Text ToText(bool logical);
Text ToText(const ByteSet& bytes);
Text ToText(DateTime dateTime);

}  // namespace korvan

// Text and byte operations with the exact contracts every other part relies on.
//
// Text is a byte string in code page 936; an absent text and the empty text are the same value.
// Positions are 1-based byte positions, -1 means "not found". Operations that step by character
// take a byte >= 0x80 followed by a non-zero byte as one two-byte character; a lead byte at the
// very end ends the scan. Blanks are only the ASCII space and the full-width space A1 A1.
// Nothing here keeps state or throws.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvan {

using Text = std::string;
using ByteSet = std::vector<std::uint8_t>;
using TextList = std::vector<Text>;

int TextLength(std::string_view text);
Text TextLeft(std::string_view text, int count);
Text TextRight(std::string_view text, int count);
Text TextMid(std::string_view text, int start, int count);

// start omitted means 1; a start below 1 also searches from the beginning.
int FindText(std::string_view text,
             std::string_view target,
             std::optional<int> start = std::nullopt,
             bool ignoreCase = false);

// replacement omitted deletes; start omitted means 1; count omitted (or negative) replaces every
// match, 0 replaces nothing; the comparison folds ASCII letters unless caseSensitive.
Text ReplaceText(std::string_view text,
                 std::string_view target,
                 std::optional<std::string_view> replacement = std::nullopt,
                 std::optional<int> start = std::nullopt,
                 std::optional<int> count = std::nullopt,
                 bool caseSensitive = false);

// separator omitted means ","; maxParts omitted means no limit (a negative one counts as 0).
TextList SplitText(std::string_view text,
                   std::optional<std::string_view> separator = std::nullopt,
                   std::optional<int> maxParts = std::nullopt);

Text TrimBlanks(std::string_view text);
Text RemoveBlanks(std::string_view text);
Text ToUpperCase(std::string_view text);
Text CharText(std::uint8_t code);

// The text whole when it has at most `bytes` bytes; otherwise its longest start of at most `bytes`
// bytes that ends on a character boundary, followed by the ellipsis A1 AD (…).
Text CutText(std::string_view text, std::size_t bytes);

template <typename... Texts>
Text JoinTexts(const Texts&... texts) {
  Text joined;
  joined.reserve((std::string_view(texts).size() + ... + 0));
  (joined.append(std::string_view(texts)), ...);
  return joined;
}

int CompareTexts(std::string_view a, std::string_view b);
Text BlankText(int count);

ByteSet ZeroBytes(int count);
int ByteCount(const ByteSet& bytes);
ByteSet TextToBytes(std::string_view text);
// The bytes up to, not including, the first zero byte.
Text BytesToText(const ByteSet& bytes);
bool CompareBytes(const ByteSet& a, const ByteSet& b);

// Length in bytes of the character that starts at offset (1 or 2); 0 when a lone lead byte ends
// the text there. Shared by every operation that steps by character.
inline std::size_t CharacterLength(std::string_view text, std::size_t offset) {
  const auto byte = static_cast<unsigned char>(text[offset]);
  if (byte < 0x80) return 1;
  if (offset + 1 >= text.size()) return 0;
  return text[offset + 1] != '\0' ? 2 : 1;
}

}  // namespace korvan

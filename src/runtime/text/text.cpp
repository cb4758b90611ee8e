#include "runtime/text/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace korvan {
namespace {

constexpr unsigned char kFullWidthSpaceByte = 0xA1;

bool IsHighByte(char byte) { return static_cast<unsigned char>(byte) >= 0x80; }

char FoldAsciiLetter(char byte) { return (byte >= 'a' && byte <= 'z') ? static_cast<char>(byte - 'a' + 'A') : byte; }

bool EqualAt(std::string_view text, std::size_t offset, std::string_view target, bool ignoreCase) {
  if (!ignoreCase) return std::memcmp(text.data() + offset, target.data(), target.size()) == 0;
  for (std::size_t i = 0; i < target.size(); ++i) {
    if (FoldAsciiLetter(text[offset + i]) != FoldAsciiLetter(target[i])) return false;
  }
  return true;
}

// A blank character at offset: its length (1 for a space, 2 for A1 A1), else 0.
std::size_t BlankLengthAt(std::string_view text, std::size_t offset) {
  if (text[offset] == ' ') return 1;
  if (static_cast<unsigned char>(text[offset]) == kFullWidthSpaceByte && offset + 1 < text.size() &&
      static_cast<unsigned char>(text[offset + 1]) == kFullWidthSpaceByte) {
    return 2;
  }
  return 0;
}

// The next offset at or after `from` where the target's first byte could match.
std::size_t NextCandidate(std::string_view text, std::size_t from, char first, bool ignoreCase) {
  const char folded = FoldAsciiLetter(first);
  if (!ignoreCase || folded < 'A' || folded > 'Z') {
    const void* hit = std::memchr(text.data() + from, first, text.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
  }
  for (std::size_t i = from; i < text.size(); ++i) {
    if (FoldAsciiLetter(text[i]) == folded) return i;
  }
  return text.size();
}

// Whether `offset` starts a character when the text is read by characters from `known`, a known
// character start at or before it. Every byte below 0x80 ends a character, so only the run of high
// bytes right before `offset` decides: in it, characters pair up from the run's start.
bool StartsCharacter(std::string_view text, std::size_t known, std::size_t offset) {
  std::size_t runStart = offset;
  // Eight high bytes at a time: an even count never changes the pairing.
  while (runStart >= known + 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + runStart - 8, 8);
    if ((word & 0x8080808080808080ull) != 0x8080808080808080ull) break;
    runStart -= 8;
  }
  while (runStart > known && IsHighByte(text[runStart - 1]))
    --runStart;
  if ((offset - runStart) % 2 == 0) return true;
  // The run's last byte is a lead; it pairs with the byte at offset unless that byte is zero.
  return text[offset] == '\0';
}

}  // namespace

int TextLength(std::string_view text) { return static_cast<int>(text.size()); }

Text TextLeft(std::string_view text, int count) {
  if (count <= 0) return {};
  return Text(text.substr(0, static_cast<std::size_t>(count)));
}

Text TextRight(std::string_view text, int count) {
  if (count <= 0) return {};
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(count));
  return Text(text.substr(text.size() - n));
}

Text TextMid(std::string_view text, int start, int count) {
  if (start < 1 || count <= 0 || static_cast<std::size_t>(start) > text.size()) return {};
  return Text(text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count)));
}

int FindText(std::string_view text, std::string_view target, std::optional<int> start, bool ignoreCase) {
  const std::size_t length = text.size();
  const std::size_t begin = start && *start > 1 ? static_cast<std::size_t>(*start) - 1 : 0;
  if (begin >= length) return -1;
  if (target.empty()) return 1;
  if (target.size() > length - begin) return -1;

  // Candidates come from memchr; each is then checked to lie on a character boundary. `known`
  // only moves forward, so the boundary checks cost O(length) over the whole search.
  const std::size_t last = length - target.size();
  std::size_t known = begin;
  std::size_t from = begin;
  while (from <= last) {
    const std::size_t candidate = NextCandidate(text, from, target[0], ignoreCase);
    if (candidate > last) return -1;
    // Compare first: most candidates fail there, and only a match needs to know whether it
    // starts a character.
    if (!EqualAt(text, candidate, target, ignoreCase)) {
      from = candidate + 1;
      continue;
    }
    if (StartsCharacter(text, known, candidate)) return static_cast<int>(candidate) + 1;
    known = from = candidate + 1;  // the byte after a trail byte starts a character
  }
  return -1;
}

Text ReplaceText(std::string_view text,
                 std::string_view target,
                 std::optional<std::string_view> replacement,
                 std::optional<int> start,
                 std::optional<int> count,
                 bool caseSensitive) {
  const std::size_t begin = start && *start > 1 ? static_cast<std::size_t>(*start) - 1 : 0;
  int remaining = count.value_or(-1);
  if (text.empty() || target.empty() || begin >= text.size() || remaining == 0) return Text(text);
  const bool everyMatch = remaining < 0;
  const std::string_view with = replacement.value_or(std::string_view{});

  Text result(text.substr(0, begin));
  result.reserve(text.size());
  std::size_t offset = begin;
  while (text.size() - offset >= target.size()) {
    if (EqualAt(text, offset, target, !caseSensitive)) {
      result.append(with);
      offset += target.size();
      if (!everyMatch && --remaining == 0) break;
      continue;
    }
    const std::size_t step = std::max<std::size_t>(CharacterLength(text, offset), 1);
    result.append(text.substr(offset, step));
    offset += step;
  }
  result.append(text.substr(std::min(offset, text.size())));
  return result;
}

TextList SplitText(std::string_view text, std::optional<std::string_view> separator, std::optional<int> maxParts) {
  const std::string_view sep = separator.value_or(",");
  const bool limited = maxParts.has_value();
  const std::size_t limit = limited ? static_cast<std::size_t>(std::max(*maxParts, 0)) : 0;
  TextList pieces;
  if (text.empty() || (limited && limit == 0)) return pieces;
  if (sep.empty()) return {Text(text)};

  std::size_t pieceStart = 0;
  std::size_t offset = 0;
  while (text.size() - offset >= sep.size()) {
    if (std::memcmp(text.data() + offset, sep.data(), sep.size()) == 0) {
      pieces.emplace_back(text.substr(pieceStart, offset - pieceStart));
      if (limited && pieces.size() >= limit) return pieces;
      offset += sep.size();
      pieceStart = offset;
      continue;
    }
    const std::size_t step = CharacterLength(text, offset);
    if (step == 0) break;
    offset += step;
  }
  if (pieceStart < text.size() && (!limited || pieces.size() < limit)) pieces.emplace_back(text.substr(pieceStart));
  return pieces;
}

Text TrimBlanks(std::string_view text) {
  std::size_t first = 0;
  while (first < text.size()) {
    const std::size_t blank = BlankLengthAt(text, first);
    if (blank == 0) break;
    first += blank;
  }
  std::size_t end = text.size();  // where the trailing run of blanks begins, if the text ends in one
  bool inBlankRun = false;
  std::size_t offset = first;
  while (offset < text.size()) {
    const std::size_t blank = BlankLengthAt(text, offset);
    if (blank > 0) {
      if (!inBlankRun) end = offset;
      inBlankRun = true;
      offset += blank;
      continue;
    }
    inBlankRun = false;
    const std::size_t step = CharacterLength(text, offset);
    if (step == 0) break;  // a lone lead byte at the end is kept
    offset += step;
  }
  if (!inBlankRun) end = text.size();
  return Text(text.substr(first, end - first));
}

Text RemoveBlanks(std::string_view text) {
  Text result;
  result.reserve(text.size());
  std::size_t offset = 0;
  while (offset < text.size()) {
    const std::size_t blank = BlankLengthAt(text, offset);
    if (blank > 0) {
      offset += blank;
      continue;
    }
    const std::size_t step = std::max<std::size_t>(CharacterLength(text, offset), 1);
    result.append(text.substr(offset, step));
    offset += step;
  }
  return result;
}

Text ToUpperCase(std::string_view text) {
  Text result(text);
  std::size_t offset = 0;
  while (offset < result.size()) {
    const std::size_t step = std::max<std::size_t>(CharacterLength(result, offset), 1);
    if (step == 1) result[offset] = FoldAsciiLetter(result[offset]);
    offset += step;
  }
  return result;
}

Text CharText(std::uint8_t code) {
  if (code == 0) return {};
  return Text(1, static_cast<char>(code));
}

Text CutText(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return Text(text);
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t length = CharacterLength(text, end);
    if (length == 0 || end + length > bytes) break;
    end += length;
  }
  return JoinTexts(text.substr(0, end), "\xA1\xAD");  // …
}

int CompareTexts(std::string_view a, std::string_view b) {
  const int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

Text BlankText(int count) { return count < 1 ? Text{} : Text(static_cast<std::size_t>(count), ' '); }

ByteSet ZeroBytes(int count) { return count <= 0 ? ByteSet{} : ByteSet(static_cast<std::size_t>(count), 0); }

int ByteCount(const ByteSet& bytes) { return static_cast<int>(bytes.size()); }

ByteSet TextToBytes(std::string_view text) { return ByteSet(text.begin(), text.end()); }

Text BytesToText(const ByteSet& bytes) {
  const auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return Text(bytes.begin(), zero);
}

bool CompareBytes(const ByteSet& a, const ByteSet& b) { return a == b; }

}  // namespace korvan

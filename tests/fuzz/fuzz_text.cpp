// FindText is the one search every text operation builds on: it is checked against a plain walk by
// characters, and ReplaceText and SplitText must cut exactly where it finds, one match at a time.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz_input.h"
#include "runtime/text/text.h"

namespace korvan::fuzz {
namespace {

std::size_t SearchOffset(std::optional<int> start) {
  return start && *start > 1 ? static_cast<std::size_t>(*start) - 1 : 0;
}

char FoldLetter(char byte) { return (byte >= 'a' && byte <= 'z') ? static_cast<char>(byte - 'a' + 'A') : byte; }

bool MatchesAt(std::string_view text, std::size_t offset, std::string_view target, bool ignoreCase) {
  if (text.size() - offset < target.size()) return false;
  for (std::size_t i = 0; i < target.size(); ++i) {
    const char a = text[offset + i];
    const char b = target[i];
    if (ignoreCase ? FoldLetter(a) != FoldLetter(b) : a != b) return false;
  }
  return true;
}

void CheckFindText(std::string_view text, std::string_view target, std::optional<int> start, bool ignoreCase) {
  const int found = FindText(text, target, start, ignoreCase);
  const std::size_t from = SearchOffset(start);
  if (from >= text.size()) {
    FUZZ_CHECK(found == -1);
    return;
  }
  if (target.empty()) {
    FUZZ_CHECK(found == 1);
    return;
  }
  int expected = -1;
  for (const std::size_t offset : CharacterStarts(text, from)) {
    if (MatchesAt(text, offset, target, ignoreCase)) {
      expected = static_cast<int>(offset) + 1;
      break;
    }
  }
  FUZZ_CHECK(found == expected);
}

void CheckReplaceText(std::string_view text,
                      std::string_view target,
                      std::optional<std::string_view> replacement,
                      std::optional<int> start,
                      std::optional<int> count,
                      bool caseSensitive) {
  const Text result = ReplaceText(text, target, replacement, start, count, caseSensitive);
  const std::size_t from = SearchOffset(start);
  if (text.empty() || target.empty() || from >= text.size() || count == 0) {
    FUZZ_CHECK(result == text);
    return;
  }
  const std::string_view with = replacement.value_or(std::string_view{});
  // Peel the result apart match by match: each replaced stretch begins where FindText finds the
  // next match, and the search resumes right after the matched bytes.
  std::string_view rest = text;
  std::string_view out = result;
  std::optional<int> searchStart = static_cast<int>(from) + 1;
  int remaining = count.value_or(-1);
  for (;;) {
    const int found = FindText(rest, target, searchStart, !caseSensitive);
    if (found == -1) break;
    const std::size_t at = static_cast<std::size_t>(found) - 1;
    FUZZ_CHECK(out.substr(0, at) == rest.substr(0, at));
    out.remove_prefix(at);
    FUZZ_CHECK(out.substr(0, with.size()) == with);
    out.remove_prefix(with.size());
    rest.remove_prefix(at + target.size());
    searchStart = std::nullopt;
    if (remaining > 0 && --remaining == 0) break;
  }
  FUZZ_CHECK(out == rest);

  // Replacing a target by itself, letter case kept, changes nothing.
  FUZZ_CHECK(ReplaceText(text, target, target, start, count, true) == text);
}

void CheckSplitText(std::string_view text, std::optional<std::string_view> separator, std::optional<int> maxParts) {
  const TextList pieces = SplitText(text, separator, maxParts);
  const std::string_view sep = separator.value_or(",");
  const bool limited = maxParts.has_value();
  const std::size_t limit = limited && *maxParts > 0 ? static_cast<std::size_t>(*maxParts) : 0;
  if (text.empty() || (limited && limit == 0)) {
    FUZZ_CHECK(pieces.empty());
    return;
  }
  if (sep.empty()) {
    FUZZ_CHECK(pieces.size() == 1 && pieces[0] == text);
    return;
  }
  // Each piece ends where FindText finds the next separator; the rest after the last one counts
  // only when it is not empty.
  std::string_view rest = text;
  std::size_t index = 0;
  while (!rest.empty() && (!limited || index < limit)) {
    FUZZ_CHECK(index < pieces.size());
    const int found = FindText(rest, sep);
    if (found == -1) {
      FUZZ_CHECK(pieces[index] == rest);
      ++index;
      break;
    }
    const std::size_t at = static_cast<std::size_t>(found) - 1;
    FUZZ_CHECK(pieces[index] == rest.substr(0, at));
    rest.remove_prefix(at + sep.size());
    ++index;
  }
  FUZZ_CHECK(pieces.size() == index);

  // Rejoined, the pieces never exceed the text: they are a prefix of it.
  const Text joined = JoinPieces(pieces, sep);
  FUZZ_CHECK(text.substr(0, joined.size()) == joined);
}

std::size_t BlankLength(std::string_view text, std::size_t offset) {
  if (text[offset] == ' ') return 1;
  if (text.substr(offset, 2) == "\xA1\xA1") return 2;
  return 0;
}

void CheckTrimBlanks(std::string_view text) {
  const Text trimmed = TrimBlanks(text);
  std::size_t first = 0;
  while (first < text.size() && BlankLength(text, first) > 0)
    first += BlankLength(text, first);
  FUZZ_CHECK(text.substr(first, trimmed.size()) == trimmed);

  // What was cut at the end is whole blank characters, cut at a character start.
  const std::size_t end = first + trimmed.size();
  if (end < text.size()) {
    const auto starts = CharacterStarts(text, first);
    FUZZ_CHECK(std::find(starts.begin(), starts.end(), end) != starts.end());
    for (std::size_t offset = end; offset < text.size();) {
      const std::size_t blank = BlankLength(text, offset);
      FUZZ_CHECK(blank > 0);
      offset += blank;
    }
  }
  // Neither end of the result is a blank character.
  if (!trimmed.empty()) {
    FUZZ_CHECK(BlankLength(trimmed, 0) == 0);
    const std::size_t last = CharacterStarts(trimmed, 0).back();
    FUZZ_CHECK(BlankLength(trimmed, last) == 0);
  }
  FUZZ_CHECK(TrimBlanks(trimmed) == trimmed);
}

void CheckRemoveBlanks(std::string_view text) {
  const Text removed = RemoveBlanks(text);
  FUZZ_CHECK(removed.size() <= text.size());
  for (const std::size_t offset : CharacterStarts(removed, 0))
    FUZZ_CHECK(BlankLength(removed, offset) == 0);
  FUZZ_CHECK(RemoveBlanks(removed) == removed);
  FUZZ_CHECK(TrimBlanks(removed) == removed);
}

}  // namespace
}  // namespace korvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvan::fuzz;
  FuzzInput input(data, size);
  const std::optional<int> start = input.OptionalInteger();
  const std::optional<int> count = input.OptionalInteger();
  const std::optional<int> maxParts = input.OptionalInteger();
  const bool ignoreCase = input.Flag();
  const bool replacementOmitted = input.Flag();
  const bool separatorOmitted = input.Flag();
  const korvan::Text text = input.Piece();
  const korvan::Text target = input.Piece();
  const korvan::Text replacement = input.Piece();

  CheckFindText(text, target, start, ignoreCase);
  CheckReplaceText(text, target, replacementOmitted ? std::nullopt : std::optional<std::string_view>(replacement),
                   start, count, !ignoreCase);
  CheckSplitText(text, separatorOmitted ? std::nullopt : std::optional<std::string_view>(target), maxParts);
  CheckTrimBlanks(text);
  CheckRemoveBlanks(text);
  return 0;
}

#include "http/cookies.h"

#include <algorithm>

#include "runtime/text/text_between.h"

namespace korvan {

namespace {

constexpr std::string_view kEntrySeparator = "; ";

bool EndsInDeleted(std::string_view entry) {
  constexpr std::string_view kDeleted = "=deleted";
  return entry.size() >= kDeleted.size() && entry.substr(entry.size() - kDeleted.size()) == kDeleted;
}

// True when a match at 1-based position pos starts an entry: the text's start, or nothing but
// blanks between the previous ";" and it.
bool StartsEntry(std::string_view cookies, int pos) {
  const Text before = TrimBlanks(TextLeft(cookies, pos - 1));
  return before.empty() || before.back() == ';';
}

// The 1-based position of the character after the one at pos.
int NextCharacter(std::string_view text, int pos) {
  const auto length = CharacterLength(text, static_cast<std::size_t>(pos - 1));
  return pos + static_cast<int>(length == 0 ? 1 : length);
}

}  // namespace

Text CookieName(std::string_view entry) {
  const int equals = FindText(entry, "=");
  return TrimBlanks(equals > 0 ? TextLeft(entry, equals - 1) : Text(entry));
}

Text RemoveDuplicateEntries(std::string_view text, std::string_view separator) {
  TextList taken;
  Text output;
  for (const Text& piece : SplitText(text, separator)) {
    if (std::find(taken.begin(), taken.end(), piece) != taken.end()) continue;
    taken.push_back(piece);
    output += piece;
    output += separator;
  }
  return TextLeft(output, TextLength(output) - TextLength(separator));
}

Text MergeCookies(Text& cookies, Text& newCookies) {
  cookies = RemoveBlanks(cookies);
  newCookies = RemoveBlanks(newCookies);

  TextList merged = SplitText(newCookies, ";");
  TextList mergedNames;
  for (const Text& entry : merged)
    mergedNames.push_back(CookieName(entry));
  for (const Text& entry : SplitText(cookies, ";")) {
    Text name = CookieName(entry);
    if (std::find(mergedNames.begin(), mergedNames.end(), name) != mergedNames.end()) continue;
    merged.push_back(entry);
    mergedNames.push_back(std::move(name));
  }

  Text result;
  for (const Text& entry : merged) {
    if (EndsInDeleted(entry)) continue;
    result += entry;
    result += kEntrySeparator;
  }
  result = TextLeft(result, TextLength(result) - TextLength(kEntrySeparator));
  cookies = RemoveDuplicateEntries(result, kEntrySeparator);
  return cookies;
}

Text PickCookie(Text& cookies, std::string_view name, bool valueOnly) {
  cookies = TrimBlanks(cookies);
  if (cookies.empty() || cookies.back() != ';') cookies += ';';

  // The name must start an entry: a plain search for "id=" would also hit the end of "sid=".
  const Text left = JoinTexts(name, "=");
  Text value;
  for (int pos = FindText(cookies, left); pos > 0; pos = FindText(cookies, left, NextCharacter(cookies, pos))) {
    if (!StartsEntry(cookies, pos)) continue;
    value = TextBetween(cookies, left, ";", pos);
    break;
  }
  if (valueOnly) return value;
  return value.empty() ? Text() : JoinTexts(left, value);
}

Text MergeCookieReadings(std::string_view plainReading, std::string_view fullReading, std::string_view cookieName) {
  // The store writes a zero-terminated text into its buffer; what follows the zero is not cookies.
  Text merged(plainReading.substr(0, plainReading.find('\0')));
  Text newer(fullReading.substr(0, fullReading.find('\0')));
  MergeCookies(merged, newer);
  if (!cookieName.empty()) merged = PickCookie(merged, cookieName);
  return merged;
}

}  // namespace korvan

#include "runtime/text/text_between.h"

namespace korvan {

namespace {

// "#引号" in code page 936: callers write it where a marker needs a double quote.
constexpr std::string_view kQuotePlaceholder = "#\xD2\xFD\xBA\xC5";

}  // namespace

Text TextBetween(std::string_view text, std::string_view left, std::string_view right, int startPos, bool ignoreCase) {
  const Text leftMarker = ReplaceText(left, kQuotePlaceholder, "\"", std::nullopt, std::nullopt, true);
  const Text rightMarker = ReplaceText(right, kQuotePlaceholder, "\"", std::nullopt, std::nullopt, true);

  const int leftPos = FindText(text, leftMarker, startPos < 1 ? 1 : startPos, ignoreCase);
  if (leftPos < 0) return {};
  const int contentStart = leftPos + TextLength(leftMarker);
  const int rightPos = FindText(text, rightMarker, contentStart, ignoreCase);
  // An empty right marker is found at position 1, before the content; no text lies between.
  if (rightPos < contentStart) return {};
  return TextMid(text, contentStart, rightPos - contentStart);
}

}  // namespace korvan

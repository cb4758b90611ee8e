// The text side of an HTTP exchange on arbitrary header texts: TextBetween, HeaderName and
// HeaderValue cut where FindText finds their markers; a completed header block holds every default
// "Name:" test and completes into itself; the collected Set-Cookie entries are the ones the lines
// carry.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz_input.h"
#include "http/header_lines.h"
#include "runtime/text/text_between.h"
#include "runtime/text/text.h"

namespace korvan::fuzz {
namespace {

constexpr std::string_view kQuotePlaceholder = "#\xD2\xFD\xBA\xC5";  // #引号

constexpr std::array<std::string_view, 5> kDefaultTests = {
    "Accept:", "Referer:", "Accept-Language:", "User-Agent:", "Content-Type:"};

void CheckTextBetween(std::string_view text,
                      std::string_view left,
                      std::string_view right,
                      int startPos,
                      bool ignoreCase) {
  const Text between = TextBetween(text, left, right, startPos, ignoreCase);
  const Text leftMarker = ReplaceText(left, kQuotePlaceholder, "\"", std::nullopt, std::nullopt, true);
  const Text rightMarker = ReplaceText(right, kQuotePlaceholder, "\"", std::nullopt, std::nullopt, true);
  const int leftAt = FindText(text, leftMarker, startPos < 1 ? 1 : startPos, ignoreCase);
  if (leftAt < 0) {
    FUZZ_CHECK(between.empty());
    return;
  }
  const int contentAt = leftAt + static_cast<int>(leftMarker.size());
  const int rightAt = FindText(text, rightMarker, contentAt, ignoreCase);
  if (rightAt < contentAt) {
    FUZZ_CHECK(between.empty());
    return;
  }
  FUZZ_CHECK(between ==
             text.substr(static_cast<std::size_t>(contentAt) - 1, static_cast<std::size_t>(rightAt - contentAt)));
  // A left marker without the placeholder is taken literally.
  if (left.find('#') == std::string_view::npos) FUZZ_CHECK(leftMarker == left);
}

void CheckHeaderLine(std::string_view line) {
  const Text name = HeaderName(line);
  const Text value = HeaderValue(line);
  const int colon = FindText(line, ":");
  if (colon < 0) {
    FUZZ_CHECK(name.empty() && value.empty());
    return;
  }
  const auto at = static_cast<std::size_t>(colon) - 1;
  FUZZ_CHECK(name == TrimBlanks(line.substr(0, at)));
  FUZZ_CHECK(value == TrimBlanks(line.substr(at + 1)));
  FUZZ_CHECK(TrimBlanks(name) == name && TrimBlanks(value) == value);
  FUZZ_CHECK(FindText(name, ":") < 0);
}

void CheckCompleteHeaderBlock(std::string_view headers, std::string_view url) {
  const Text block = CompleteHeaderBlock(headers, url);
  for (const std::string_view test : kDefaultTests)
    FUZZ_CHECK(FindText(block, test) > 0);
  FUZZ_CHECK(block.substr(0, headers.size()) == headers);
  if (headers.empty()) FUZZ_CHECK(block.substr(0, 11) == "Accept: */*");
  FUZZ_CHECK(CompleteHeaderBlock(block, url) == block);

  // Only missing lines are added, each after "\r\n" (unless the block was empty), in order.
  bool complete = true;
  for (const std::string_view test : kDefaultTests)
    complete = complete && FindText(headers, test) > 0;
  if (complete) FUZZ_CHECK(block == headers);
  const std::string_view added = std::string_view(block).substr(headers.size());
  if (!headers.empty() && !added.empty()) FUZZ_CHECK(added.substr(0, 2) == "\r\n");

  // What is sent for the block: one field per non-empty line, each split like HeaderName/Value.
  const auto fields = HeaderFieldsToSend(block);
  const TextList lines = SplitText(block, "\r\n");
  std::size_t next = 0;
  for (const Text& line : lines) {
    if (line.empty()) continue;
    FUZZ_CHECK(next < fields.size());
    FUZZ_CHECK(fields[next].name == HeaderName(line) && fields[next].value == HeaderValue(line));
    ++next;
  }
  if (FindText(block, "\r\n") > 0) FUZZ_CHECK(next == fields.size());
}

void CheckSetCookies(std::string_view responseHeaders, bool wellFormed) {
  const Text unified = UnifySetCookieNames(responseHeaders);
  FUZZ_CHECK(unified.size() == responseHeaders.size());
  FUZZ_CHECK(ToUpperCase(unified) == ToUpperCase(responseHeaders));
  FUZZ_CHECK(UnifySetCookieNames(unified) == unified);
  FUZZ_CHECK(FindText(unified, "set-cookie", std::nullopt, true) == FindText(unified, "Set-Cookie"));

  // The entries are the lines' cookies, one per Set-Cookie line in header order, joined by "; ".
  // Byte-level cuts at ";" are sound only in well-formed texts.
  const Text collected = CollectSetCookies(unified);
  if (!wellFormed) return;
  TextList lines;
  for (const Text& line : SplitText(unified, "\r\n")) {
    if (FindText(line, "Set-Cookie") > 0) lines.push_back(line);
  }
  TextList entries;
  for (std::size_t begin = 0; !lines.empty();) {
    const std::size_t end = collected.find("; ", begin);
    entries.push_back(collected.substr(begin, end == Text::npos ? end : end - begin));
    if (end == Text::npos) break;
    begin = end + 2;
  }
  FUZZ_CHECK(entries.size() == lines.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Text& entry = entries[i];
    const Text& line = lines[i];
    FUZZ_CHECK(TrimBlanks(entry) == entry);
    FUZZ_CHECK(entry.find(';') == Text::npos);
    if (line.rfind("Set-Cookie:", 0) == 0 && line.find(';') != Text::npos) {
      FUZZ_CHECK(entry == TrimBlanks(std::string_view(line).substr(11, line.find(';') - 11)));
    } else if (line.find(';') == Text::npos && line.find("Set-Cookie:") == Text::npos) {
      FUZZ_CHECK(entry == TrimBlanks(line));  // nothing to remove but the blanks
    }
  }
}

}  // namespace
}  // namespace korvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvan::fuzz;
  FuzzInput input(data, size);
  const int startPos = input.Integer();
  const bool ignoreCase = input.Flag();
  const bool wellFormed = input.Flag();
  korvan::Text text = input.Piece();
  korvan::Text left = input.Piece();
  korvan::Text right = input.Piece();
  korvan::Text url = input.Piece();
  if (wellFormed) {
    text = WellFormed(text);
    left = WellFormed(left);
    right = WellFormed(right);
    url = WellFormed(url);
  }

  CheckTextBetween(text, left, right, startPos, ignoreCase);
  CheckHeaderLine(text);
  CheckCompleteHeaderBlock(text, url);
  CheckSetCookies(text, wellFormed);
  return 0;
}

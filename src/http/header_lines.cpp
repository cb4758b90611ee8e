#include "http/header_lines.h"

#include <array>

#include "runtime/text/text_between.h"

namespace korvan {

namespace {

struct DefaultHeaderLine {
  std::string_view testText;
  std::string_view line;  // appended after "\r\n"; the Referer line is followed by the url
};

constexpr std::array<DefaultHeaderLine, 5> kDefaultHeaderLines{{
    {"Accept:", "Accept: */*"},
    {"Referer:", "Referer: "},
    {"Accept-Language:", "Accept-Language: zh-cn"},
    {"User-Agent:", "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded"},
}};

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kSetCookie = "Set-Cookie";

}  // namespace

Text HeaderName(std::string_view line) {
  const int colon = FindText(line, ":");
  if (colon < 0) return {};
  return TrimBlanks(TextLeft(line, colon - 1));
}

Text HeaderValue(std::string_view line) {
  const int colon = FindText(line, ":");
  if (colon < 0) return {};
  return TrimBlanks(TextMid(line, colon + 1, TextLength(line)));
}

Text CompleteHeaderBlock(std::string_view headers, std::string_view url) {
  Text block(headers);
  for (const auto& header : kDefaultHeaderLines) {
    if (FindText(block, header.testText) > 0) continue;
    if (!block.empty()) block += kLineBreak;
    block += header.line;
    if (header.testText == "Referer:") block += url;
  }
  return block;
}

std::vector<HeaderField> HeaderFieldsToSend(std::string_view headers) {
  std::vector<HeaderField> fields;
  if (FindText(headers, kLineBreak) < 0) {
    fields.push_back({HeaderName(headers), HeaderValue(headers)});
    return fields;
  }
  for (const Text& line : SplitText(headers, kLineBreak)) {
    if (line.empty()) continue;
    fields.push_back({HeaderName(line), HeaderValue(line)});
  }
  return fields;
}

Text UnifySetCookieNames(std::string_view responseHeaders) {
  return ReplaceText(responseHeaders, kSetCookie, kSetCookie);
}

Text CollectSetCookies(std::string_view responseHeaders) {
  Text collected;
  for (const Text& line : SplitText(responseHeaders, kLineBreak)) {
    if (FindText(line, kSetCookie) < 0) continue;
    const Text entry =
        FindText(line, ";") > 0 ? TextBetween(line, "Set-Cookie:", ";") : ReplaceText(line, "Set-Cookie:");
    collected += TrimBlanks(entry);
    collected += "; ";
  }
  return TextLeft(collected, TextLength(collected) - 2);
}

}  // namespace korvan

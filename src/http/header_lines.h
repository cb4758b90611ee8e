// The pure text side of an HTTP exchange: header lines, the default request header block and the
// cookies a response sets.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// Bytes before / after the first ":" of a header line, trimmed; empty when there is no ":".
Text HeaderName(std::string_view line);
Text HeaderValue(std::string_view line);

// Appends, in order, the default Accept, Referer (url), Accept-Language, User-Agent and
// Content-Type lines the block lacks; a line counts as present when its "Name:" occurs anywhere.
Text CompleteHeaderBlock(std::string_view headers, std::string_view url);

// The (name, value) pairs sent for a completed block: the whole block as one line when it holds no
// CR LF, else each non-empty line.
struct HeaderField {
  Text name;
  Text value;
  friend bool operator==(const HeaderField&, const HeaderField&) = default;
};
std::vector<HeaderField> HeaderFieldsToSend(std::string_view headers);

// Every "Set-Cookie" in any ASCII letter case becomes "Set-Cookie" exactly.
Text UnifySetCookieNames(std::string_view responseHeaders);

// The name=value entries the response sets, trimmed, joined by "; " (not yet merged).
Text CollectSetCookies(std::string_view responseHeaders);

}  // namespace korvan

// The channel URLs as the user pastes them: only a well-formed http:// or https:// address is ever
// requested, so a typo never becomes a request to somewhere else.
#pragma once

#include <initializer_list>
#include <optional>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// The pasted text without its surrounding blanks when it is "http://" or "https://" (any letter
// case), a host (a name, an IPv4 address or a bracketed IPv6 one), an optional port of 1 to 65535,
// then nothing or "/", "?" or "#" and the rest; no blank or control character anywhere. Otherwise
// none.
std::optional<Text> PushUrl(std::string_view pasted);

// Whether the pasted text, without its surrounding blanks, begins with "http://" or "https://" (any
// letter case): what a URL PushUrl refuses may lack, or not.
bool HasHttpScheme(std::string_view pasted);

// url with path appended to its path, before any query: "https://h/p?x" + "/fail" gives
// "https://h/p/fail?x". A "/" ending the path is not doubled.
Text AppendUrlPath(std::string_view url, std::string_view path);

// url with the query parameters appended after "?" or "&" as the url needs.
Text AppendUrlQuery(std::string_view url, std::string_view parameters);

// A query parameter whose value is encoded already.
struct QueryParameter {
  std::string_view name;
  std::string_view value;
};

// url with each parameter set: the first of that name in its query takes the value, later ones of
// that name are dropped, one it lacks is appended; the other parameters and a fragment stay.
Text SetUrlQuery(std::string_view url, std::initializer_list<QueryParameter> parameters);

}  // namespace korvan

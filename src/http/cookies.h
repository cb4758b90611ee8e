// Cookie texts: name=value entries read by splitting at ";" and written with "; " between them.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// Folds newCookies (newer) into cookies (older). Both are overwritten: cookies receives the merged
// text (also returned), newCookies itself without blanks.
Text MergeCookies(Text& cookies, Text& newCookies);

Text CookieName(std::string_view entry);
Text RemoveDuplicateEntries(std::string_view text, std::string_view separator);

// The named cookie's value (valueOnly) or name=value; empty when absent. cookies is trimmed and
// given a final ";" in place.
Text PickCookie(Text& cookies, std::string_view name, bool valueOnly = false);

// The merge step of the browser cookie import: the two store readings (each a buffer of 3,000
// bytes, read up to its zero) merged with the full reading as the newer text, then narrowed to
// cookieName when one is given.
Text MergeCookieReadings(std::string_view plainReading, std::string_view fullReading, std::string_view cookieName = {});

}  // namespace korvan

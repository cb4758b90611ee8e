// The platform-free decisions of HttpRequest, kept apart from the COM calls so they are tested
// natively.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "http/header_lines.h"
#include "runtime/text/text.h"

namespace korvan {

// "GET", "POST" or "HEAD"; a method outside 0..2 counts as 0.
Text RequestMethodName(int method);

// The time-out of a request that names none (0, or any value below 1 but -1).
inline constexpr int kDefaultTimeoutSeconds = 15;
inline constexpr int kDefaultTimeoutMilliseconds = kDefaultTimeoutSeconds * 1000;

// The value passed four times to SetTimeouts; nullopt (for -1) leaves the object's time-outs alone.
constexpr std::optional<int> RequestTimeoutMilliseconds(int timeoutSeconds) {
  if (timeoutSeconds == -1) return std::nullopt;
  if (timeoutSeconds < 1) return kDefaultTimeoutMilliseconds;
  // More than 2147483 seconds does not fit the object's 32-bit milliseconds: take the longest.
  const std::int64_t milliseconds = std::int64_t{timeoutSeconds} * 1000;
  if (milliseconds > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(milliseconds);
}

// How long the whole exchange may take before it is given up, in whole seconds. The object allows
// its time-out (rounded up) to each of its four phases, resolving the name, connecting, sending and
// receiving, so the wait is four of them and a margin for the object's own give-up to come first.
// -1 keeps the object's defaults: 60 seconds to connect, 30 each to send and to receive, and a name
// resolution with no end of its own, bounded here by the connect's 60. At most 2147483 seconds.
constexpr int ExchangeWaitSeconds(int timeoutSeconds) {
  constexpr int kExchangePhases = 4;  // name resolution, connection, sending, receiving
  // The object's defaults for the four phases; the resolver, unbounded by the object, gets the connect's.
  constexpr int kObjectDefaultPhasesSeconds = 60 + 60 + 30 + 30;
  constexpr int kGiveUpMarginSeconds = 2;
  // The wait is handed on in milliseconds as a signed 32-bit number, margin included.
  constexpr int kLongestWaitSeconds = std::numeric_limits<int>::max() / 1000;
  const std::optional<int> milliseconds = RequestTimeoutMilliseconds(timeoutSeconds);
  const std::int64_t seconds =
      milliseconds ? kExchangePhases * ((std::int64_t{*milliseconds} + 999) / 1000) : kObjectDefaultPhasesSeconds;
  return static_cast<int>(std::min<std::int64_t>(seconds + kGiveUpMarginSeconds, kLongestWaitSeconds));
}

// One Option write on the request object.
struct ObjectOption {
  int option = 0;
  int value = 0;
  friend bool operator==(const ObjectOption&, const ObjectOption&) = default;
};
inline constexpr int kOptionSslErrorIgnoreFlags = 4;  // WinHttpRequestOption_SslErrorIgnoreFlags
inline constexpr int kOptionEnableRedirects = 6;      // WinHttpRequestOption_EnableRedirects
// Unknown CA, wrong usage, invalid common name, invalid date.
inline constexpr int kIgnoredCertificateErrors = 0x3300;

// The Option writes after Open, in order: redirects off when asked, then the ignored certificate
// errors unless the certificates are to be checked.
std::vector<ObjectOption> ObjectOptionsToWrite(bool noRedirect, bool checkCertificates);

// Every SetRequestHeader call in order: "Cookie" first when there are cookies, then the lines of
// the completed block.
std::vector<HeaderField> RequestHeaderFields(std::string_view cookies, std::string_view completedHeaders);

// What the end of an exchange leaves in the caller's variables.
struct ResponseCookieResult {
  Text responseHeaders;  // with every Set-Cookie name unified
  Text cookies;          // the merge of the old cookies with the new ones
  Text newCookies;       // the new entries, without blanks
};
ResponseCookieResult TakeResponseCookies(std::string_view rawResponseHeaders, std::string_view cookies);

}  // namespace korvan

#include "http/request_decisions.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "http/cookies.h"

namespace korvan {

namespace {
constexpr int kDefaultTimeoutMilliseconds = 15000;
constexpr int kExchangePhases = 4;  // name resolution, connection, sending, receiving
// The object's defaults for the four phases; the resolver, unbounded by the object, gets the connect's.
constexpr int kObjectDefaultPhasesSeconds = 60 + 60 + 30 + 30;
constexpr int kGiveUpMarginSeconds = 2;
// The wait is handed on in milliseconds as a signed 32-bit number, margin included.
constexpr int kLongestWaitSeconds = std::numeric_limits<int>::max() / 1000;
}  // namespace

Text RequestMethodName(int method) {
  switch (method) {
    case 1: return "POST";
    case 2: return "HEAD";
    default: return "GET";
  }
}

std::optional<int> RequestTimeoutMilliseconds(int timeoutSeconds) {
  if (timeoutSeconds == -1) return std::nullopt;
  if (timeoutSeconds < 1) return kDefaultTimeoutMilliseconds;
  // More than 2147483 seconds does not fit the object's 32-bit milliseconds: take the longest.
  const std::int64_t milliseconds = std::int64_t{timeoutSeconds} * 1000;
  if (milliseconds > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(milliseconds);
}

int ExchangeWaitSeconds(int timeoutSeconds) {
  const std::optional<int> milliseconds = RequestTimeoutMilliseconds(timeoutSeconds);
  const std::int64_t seconds =
      milliseconds ? kExchangePhases * ((std::int64_t{*milliseconds} + 999) / 1000) : kObjectDefaultPhasesSeconds;
  return static_cast<int>(std::min<std::int64_t>(seconds + kGiveUpMarginSeconds, kLongestWaitSeconds));
}

std::vector<ObjectOption> ObjectOptionsToWrite(bool noRedirect, bool checkCertificates) {
  std::vector<ObjectOption> options;
  if (noRedirect) options.push_back({kOptionEnableRedirects, 0});
  if (!checkCertificates) options.push_back({kOptionSslErrorIgnoreFlags, kIgnoredCertificateErrors});
  return options;
}

std::vector<HeaderField> RequestHeaderFields(std::string_view cookies, std::string_view completedHeaders) {
  std::vector<HeaderField> fields;
  if (!cookies.empty()) fields.push_back({"Cookie", Text(cookies)});
  for (HeaderField& field : HeaderFieldsToSend(completedHeaders))
    fields.push_back(std::move(field));
  return fields;
}

ResponseCookieResult TakeResponseCookies(std::string_view rawResponseHeaders, std::string_view cookies) {
  ResponseCookieResult result;
  result.responseHeaders = UnifySetCookieNames(rawResponseHeaders);
  result.newCookies = CollectSetCookies(result.responseHeaders);
  result.cookies = Text(cookies);
  MergeCookies(result.cookies, result.newCookies);
  return result;
}

}  // namespace korvan

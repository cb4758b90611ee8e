#include "http/request_decisions.h"

#include <cstdint>
#include <limits>

#include "http/cookies.h"

namespace korvan {

namespace {
constexpr int kDefaultTimeoutMilliseconds = 15000;
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

std::vector<HeaderField> RequestHeaderFields(std::string_view cookies, std::string_view completedHeaders) {
  std::vector<HeaderField> fields;
  if (!cookies.empty()) fields.push_back({"Cookie", Text(cookies)});
  for (HeaderField& field : HeaderFieldsToSend(completedHeaders)) fields.push_back(std::move(field));
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

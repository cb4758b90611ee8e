#include "http/request_decisions.h"

#include "http/cookies.h"

namespace korvan {

Text RequestMethodName(int method) {
  switch (method) {
    case 1: return "POST";
    case 2: return "HEAD";
    default: return "GET";
  }
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

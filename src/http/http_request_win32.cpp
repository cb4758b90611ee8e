#include "http/http_request.h"

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "http/automation_win32.h"
#include "http/header_lines.h"
#include "http/request_decisions.h"
#include "runtime/datetime/numbers.h"

namespace korvan {

namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kProgId[] = L"WinHttp.WinHttpRequest.5.1";
constexpr LONG kProxySettingNamed = 2;            // HTTPREQUEST_PROXYSETTING_PROXY
constexpr LONG kOptionEnableRedirects = 6;        // WinHttpRequestOption_EnableRedirects
constexpr LONG kOptionSslErrorIgnoreFlags = 4;    // WinHttpRequestOption_SslErrorIgnoreFlags
// Unknown CA, wrong usage, invalid common name, invalid date.
constexpr LONG kIgnoredCertificateErrors = 0x3300;
constexpr int kDefaultProxyFlags = 1;             // HTTPREQUEST_SETCREDENTIALS_FOR_PROXY

ComPtr<IDispatch> CreateRequestObject() {
  ComPtr<IDispatch> object;
  CLSID classId{};
  if (FAILED(::CLSIDFromProgID(kProgId, &classId))) return object;
  ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&object));
  return object;
}

std::vector<OwnedVariant> Arguments() { return {}; }

template <typename... Rest>
std::vector<OwnedVariant> Arguments(OwnedVariant first, Rest... rest) {
  std::vector<OwnedVariant> arguments;
  arguments.push_back(std::move(first));
  (arguments.push_back(std::move(rest)), ...);
  return arguments;
}

void SetTimeouts(IDispatch* object, int milliseconds) {
  CallByName(object, L"SetTimeouts", DISPATCH_METHOD,
             Arguments(OwnedVariant::FromInteger(milliseconds), OwnedVariant::FromInteger(milliseconds),
                       OwnedVariant::FromInteger(milliseconds), OwnedVariant::FromInteger(milliseconds)));
}

void WriteOption(IDispatch* object, LONG option, LONG value) {
  CallByName(object, L"Option", DISPATCH_PROPERTYPUT,
             Arguments(OwnedVariant::FromInteger(option), OwnedVariant::FromInteger(value)));
}

}  // namespace

ByteSet HttpRequest(std::string_view url, const HttpRequestOptions& options) {
  ComInitialization com;

  const Text methodName = RequestMethodName(options.method);

  ComPtr<IDispatch> object;
  if (options.requestObject.has_value()) {
    object = *options.requestObject;
  } else {
    object = CreateRequestObject();
  }
  if (!object) return {};

  // Every call below may fail (unreachable host, refused header, a member the object lacks); the
  // failure is ignored and the exchange goes on, ending with empty results.
  const std::optional<int> timeout = RequestTimeoutMilliseconds(options.timeoutSeconds);
  if (timeout) SetTimeouts(object.Get(), *timeout);

  if (!options.proxy.empty()) {
    CallByName(object.Get(), L"SetProxy", DISPATCH_METHOD,
               Arguments(OwnedVariant::FromInteger(kProxySettingNamed), OwnedVariant::FromText(options.proxy)));
    if (!options.proxyUser.empty()) {
      CallByName(object.Get(), L"SetCredentials", DISPATCH_METHOD,
                 Arguments(OwnedVariant::FromText(options.proxyUser), OwnedVariant::FromText(options.proxyPassword),
                           OwnedVariant::FromInteger(options.proxyFlags.value_or(kDefaultProxyFlags))));
    }
  }

  CallByName(object.Get(), L"Open", DISPATCH_METHOD,
             Arguments(OwnedVariant::FromText(methodName), OwnedVariant::FromText(url),
                       OwnedVariant::FromLogical(false)));
  // Wine's Open puts the time-outs back to its defaults; setting them again is harmless elsewhere.
  if (timeout) SetTimeouts(object.Get(), *timeout);

  if (options.noRedirect) WriteOption(object.Get(), kOptionEnableRedirects, 0);
  WriteOption(object.Get(), kOptionSslErrorIgnoreFlags, kIgnoredCertificateErrors);

  Text headers = CompleteHeaderBlock(options.headers != nullptr ? *options.headers : Text(), url);
  if (options.headers != nullptr) *options.headers = headers;

  const Text cookies = options.cookies != nullptr ? *options.cookies : Text();
  for (const HeaderField& field : RequestHeaderFields(cookies, headers)) {
    CallByName(object.Get(), L"SetRequestHeader", DISPATCH_METHOD,
               Arguments(OwnedVariant::FromText(field.name), OwnedVariant::FromText(field.value)));
  }

  OwnedVariant body = options.postBytes.empty() ? OwnedVariant::FromText(options.postData)
                                                : OwnedVariant::FromBytes(options.postBytes);
  CallByName(object.Get(), L"Send", DISPATCH_METHOD, Arguments(std::move(body)));

  OwnedVariant responseBody;
  CallByName(object.Get(), L"ResponseBody", DISPATCH_PROPERTYGET, Arguments(), responseBody.Get());
  ByteSet result = VariantBytes(*responseBody.Get());

  OwnedVariant allHeaders;
  CallByName(object.Get(), L"GetAllResponseHeaders", DISPATCH_METHOD, Arguments(), allHeaders.Get());

  OwnedVariant status;
  CallByName(object.Get(), L"Status", DISPATCH_PROPERTYGET, Arguments(), status.Get());
  const std::optional<double> statusNumber = VariantNumber(*status.Get());
  if (options.statusCode != nullptr) {
    *options.statusCode = statusNumber ? static_cast<int>(TruncateToInteger(*statusNumber)) : 0;
  }

  ResponseCookieResult taken = TakeResponseCookies(VariantText(*allHeaders.Get()), cookies);
  if (options.responseHeaders != nullptr) *options.responseHeaders = std::move(taken.responseHeaders);
  if (options.newCookies != nullptr) *options.newCookies = std::move(taken.newCookies);
  if (options.cookies != nullptr) *options.cookies = std::move(taken.cookies);

  // The object is released before COM is uninitialised: `object` is declared after `com`.
  return result;
}

}  // namespace korvan

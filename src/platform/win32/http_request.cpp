#include "http/http_request.h"

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <deque>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/win32/automation.h"
#include "http/header_lines.h"
#include "http/request_decisions.h"
#include "runtime/datetime/numbers.h"
#include "platform/win32/wine.h"

namespace korvan {

namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kProgId[] = L"WinHttp.WinHttpRequest.5.1";
// mingw-w64 has no httprequest.h: HTTPREQUEST_PROXYSETTING_PROXY and
// HTTPREQUEST_SETCREDENTIALS_FOR_PROXY.
constexpr LONG kProxySettingNamed = 2;
constexpr int kDefaultProxyFlags = 1;

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

enum class Outcome { Answered, Failed, GivenUp };

// Waits for the answer of a sent exchange, at most `seconds`.
Outcome WaitForAnswer(IDispatch* object, int seconds) {
  const ULONGLONG started = ::GetTickCount64();
  OwnedVariant succeeded;
  const HRESULT hr = CallByName(object, L"WaitForResponse", DISPATCH_METHOD,
                                Arguments(OwnedVariant::FromInteger(seconds)), succeeded.Get());
  // An object without the member was done when Send returned.
  if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND) return Outcome::Answered;
  if (FAILED(hr)) return Outcome::Failed;
  if (V_VT(succeeded.Get()) == VT_BOOL && V_BOOL(succeeded.Get()) != VARIANT_FALSE) return Outcome::Answered;
  // Wine's WaitForResponse returns at once, its result unset, when the answer is already in; a wait
  // that really ran out took its time.
  const ULONGLONG waited = ::GetTickCount64() - started;
  return waited + 500 < static_cast<ULONGLONG>(seconds) * 1000 ? Outcome::Answered : Outcome::GivenUp;
}

// Under Wine an object is released only some exchanges after its own: Wine's WinHTTP task still
// holds the request for a moment after it signals the end, and a Release in that moment closes the
// request and its connection under it, now and then corrupting the heap. The last few objects wait
// here, from any thread; each exchange that hands one in releases the oldest.
class LateReleases {
 public:
  LateReleases() = default;
  LateReleases(const LateReleases&) = delete;
  LateReleases& operator=(const LateReleases&) = delete;
  // At the process's end the objects left are not released: its threads and COM may be gone.
  ~LateReleases() {
    for (ComPtr<IDispatch>& held : held_)
      static_cast<void>(held.Detach());
  }

  void Hand(ComPtr<IDispatch> object) {
    ComPtr<IDispatch> oldest;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      held_.push_back(std::move(object));
      if (held_.size() <= kHeld) return;
      oldest = std::move(held_.front());
      held_.pop_front();
    }
    // `oldest` is released here, outside the lock, on a thread with COM initialised.
  }

 private:
  static constexpr std::size_t kHeld = 4;
  std::mutex mutex_;
  std::deque<ComPtr<IDispatch>> held_;
};

LateReleases& WineLateReleases() {
  static LateReleases releases;
  return releases;
}

}  // namespace

ByteSet HttpRequest(std::string_view url, const HttpRequestOptions& options) {
  // Under Wine a thread's COM stays up from its first exchange to its end: tearing the apartment
  // down after each exchange, while Wine's WinHTTP task may still run, is where its heap broke.
  std::optional<ComInitialization> com;
  if (RunsUnderWine()) {
    static thread_local ComInitialization forThisThread;
  } else {
    com.emplace();
  }

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

  // Opened asynchronously so that the wait is ours to bound: Wine's object bounds neither the wait
  // for the response headers nor the one after a header block cut off by a reset.
  CallByName(
      object.Get(), L"Open", DISPATCH_METHOD,
      Arguments(OwnedVariant::FromText(methodName), OwnedVariant::FromText(url), OwnedVariant::FromLogical(true)));
  // Wine's Open puts the time-outs back to its defaults; setting them again is harmless elsewhere.
  if (timeout) SetTimeouts(object.Get(), *timeout);

  for (const ObjectOption& option : ObjectOptionsToWrite(options.noRedirect, options.checkCertificates)) {
    WriteOption(object.Get(), option.option, option.value);
  }

  Text headers = CompleteHeaderBlock(options.headers != nullptr ? *options.headers : Text(), url);
  if (options.headers != nullptr) *options.headers = headers;

  const Text cookies = options.cookies != nullptr ? *options.cookies : Text();
  for (const HeaderField& field : RequestHeaderFields(cookies, headers)) {
    CallByName(object.Get(), L"SetRequestHeader", DISPATCH_METHOD,
               Arguments(OwnedVariant::FromText(field.name), OwnedVariant::FromText(field.value)));
  }

  OwnedVariant body =
      options.postBytes.empty() ? OwnedVariant::FromText(options.postData) : OwnedVariant::FromBytes(options.postBytes);
  const Outcome outcome = SUCCEEDED(CallByName(object.Get(), L"Send", DISPATCH_METHOD, Arguments(std::move(body))))
                              ? WaitForAnswer(object.Get(), ExchangeWaitSeconds(options.timeoutSeconds))
                              : Outcome::Failed;

  // After a failed or abandoned Send nothing more is read: the object has no answer to give, and
  // Wine's ResponseBody copies from a freed buffer after a body cut off by a reset. The exchange
  // then gives what a failed Send gives on Windows: no body, headers, status or new cookies.
  ByteSet result;
  OwnedVariant allHeaders;
  OwnedVariant status;
  if (outcome == Outcome::Answered) {
    OwnedVariant responseBody;
    CallByName(object.Get(), L"ResponseBody", DISPATCH_PROPERTYGET, Arguments(), responseBody.Get());
    result = VariantBytes(*responseBody.Get());
    CallByName(object.Get(), L"GetAllResponseHeaders", DISPATCH_METHOD, Arguments(), allHeaders.Get());
    CallByName(object.Get(), L"Status", DISPATCH_PROPERTYGET, Arguments(), status.Get());
  } else if (outcome == Outcome::GivenUp) {
    if (RunsUnderWine()) {
      // Under Wine an abandoned exchange is left to itself for good, neither aborted nor released:
      // Wine's object waits inside Abort and Release for its exchange to end, which after a header
      // block cut off by a reset it never does (it loops on a count of -1 bytes), and a silent
      // connection that the server drops at last still reports to the object, which must then still
      // be there.
      static_cast<void>(object.Detach());
    } else {
      // Windows' object goes on with an exchange that its wait gave up on; Abort ends it, and the
      // object is then released on this thread, which made it, like any other.
      CallByName(object.Get(), L"Abort", DISPATCH_METHOD, Arguments());
    }
  }
  if (RunsUnderWine() && object && !options.requestObject.has_value()) WineLateReleases().Hand(std::move(object));
  const std::optional<double> statusNumber = VariantNumber(*status.Get());
  if (options.statusCode != nullptr) {
    *options.statusCode = statusNumber ? static_cast<int>(TruncateToInteger(*statusNumber)) : 0;
  }

  ResponseCookieResult taken = TakeResponseCookies(VariantText(*allHeaders.Get()), cookies);
  if (options.responseHeaders != nullptr) *options.responseHeaders = std::move(taken.responseHeaders);
  if (options.newCookies != nullptr) *options.newCookies = std::move(taken.newCookies);
  if (options.cookies != nullptr) *options.cookies = std::move(taken.cookies);

  // The object is released before COM is uninitialised: `object` is declared after `com` (under
  // Wine, with the one that made it or another thread's, see LateReleases).
  return result;
}

}  // namespace korvan

#include "platform/posix/curl_http.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdio>
#include <memory>
#include <optional>

#include "http/header_lines.h"
#include "http/request_decisions.h"

namespace korvan {
namespace {

// An answer beyond this is no page of the panel's and no push service's: the exchange fails rather
// than fill the memory of a small VPS.
constexpr std::size_t kLargestAnswer = 64 * 1024 * 1024;
constexpr long kMostRedirects = 10;
constexpr char kReadUrlUserAgent[] = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// libcurl is opened at the first exchange, not when the program starts: with the thirty-odd
// libraries it brings, loading it took a tick with nothing to do from 3 ms to 25 ms.
constexpr char kCurlLibrary[] = "libcurl.so.4";

struct CurlFunctions {
  decltype(&curl_global_init) globalInit = nullptr;
  decltype(&curl_easy_init) easyInit = nullptr;
  decltype(&curl_easy_setopt) easySetopt = nullptr;
  decltype(&curl_easy_perform) easyPerform = nullptr;
  decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
  decltype(&curl_easy_cleanup) easyCleanup = nullptr;
  decltype(&curl_slist_append) slistAppend = nullptr;
  decltype(&curl_slist_free_all) slistFreeAll = nullptr;
};

template <typename Function>
bool Find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  return function != nullptr;
}

// Null, after one message on standard error, when libcurl cannot be had: every exchange then fails.
const CurlFunctions* Curl() {
  static const std::optional<CurlFunctions> loaded = []() -> std::optional<CurlFunctions> {
    void* library = ::dlopen(kCurlLibrary, RTLD_LAZY | RTLD_LOCAL);
    CurlFunctions curl;
    if (library == nullptr || !Find(library, "curl_global_init", curl.globalInit) ||
        !Find(library, "curl_easy_init", curl.easyInit) || !Find(library, "curl_easy_setopt", curl.easySetopt) ||
        !Find(library, "curl_easy_perform", curl.easyPerform) ||
        !Find(library, "curl_easy_getinfo", curl.easyGetinfo) ||
        !Find(library, "curl_easy_cleanup", curl.easyCleanup) ||
        !Find(library, "curl_slist_append", curl.slistAppend) ||
        !Find(library, "curl_slist_free_all", curl.slistFreeAll)) {
      std::fprintf(stderr, "korvan: cannot load %s: %s\n", kCurlLibrary, ::dlerror());
      return std::nullopt;
    }
    if (curl.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
      std::fprintf(stderr, "korvan: %s did not start\n", kCurlLibrary);
      return std::nullopt;
    }
    return curl;
  }();
  return loaded ? &*loaded : nullptr;
}

struct EasyDeleter {
  void operator()(CURL* handle) const { Curl()->easyCleanup(handle); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { Curl()->slistFreeAll(list); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

struct Transfer {
  long status = 0;
  ByteSet body;
  Text headerLines;  // of the last response only, each line ended by CR LF as the request object gives them
};

size_t TakeBody(char* data, size_t size, size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (transfer.body.size() + bytes > kLargestAnswer) return 0;
  transfer.body.insert(transfer.body.end(), data, data + bytes);
  return bytes;
}

size_t TakeHeaderLine(char* data, size_t size, size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  std::string_view line(data, bytes);
  // A status line starts another response (after a redirect or a 100): the earlier one's lines go.
  if (line.starts_with("HTTP/")) {
    transfer.headerLines.clear();
    transfer.body.clear();
    return bytes;
  }
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
    line.remove_suffix(1);
  if (!line.empty()) transfer.headerLines += JoinTexts(line, "\r\n");
  return bytes;
}

struct Exchange {
  Text url;
  HttpMethod method = HttpMethod::Get;
  ByteSet body;
  std::vector<Text> headerLines;
  bool followRedirects = true;
  bool checkCertificates = true;
  bool http10 = false;
  int timeoutMilliseconds = kDefaultTimeoutMilliseconds;
  int wholeSeconds = ExchangeWaitSeconds(kDefaultTimeoutSeconds);
};

// One exchange on a fresh handle, like a fresh request object; nullopt when it failed, with what
// arrived of the body in `partial`.
std::optional<Transfer> Perform(const Exchange& exchange, ByteSet* partial = nullptr) {
  const CurlFunctions* curl = Curl();
  if (curl == nullptr) return std::nullopt;
  const Easy easy(curl->easyInit());
  if (!easy) return std::nullopt;
  CURL* handle = easy.get();
  const auto set = [&](CURLoption option, auto value) { curl->easySetopt(handle, option, value); };
  Transfer transfer;
  curl_slist* lines = nullptr;
  for (const Text& line : exchange.headerLines) {
    curl_slist* longer = curl->slistAppend(lines, line.c_str());
    if (longer == nullptr) {
      curl->slistFreeAll(lines);
      return std::nullopt;
    }
    lines = longer;
  }
  const HeaderList headers(lines);

  set(CURLOPT_URL, exchange.url.c_str());
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  // Neither Windows program asks a proxy; libcurl would take one from the environment.
  set(CURLOPT_PROXY, "");
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_HTTP_VERSION, static_cast<long>(exchange.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1));
  set(CURLOPT_HTTPHEADER, headers.get());
  set(CURLOPT_FOLLOWLOCATION, exchange.followRedirects ? 1L : 0L);
  set(CURLOPT_MAXREDIRS, kMostRedirects);
  set(CURLOPT_SSL_VERIFYPEER, exchange.checkCertificates ? 1L : 0L);
  set(CURLOPT_SSL_VERIFYHOST, exchange.checkCertificates ? 2L : 0L);
  // The request object's time-outs: connecting, and every wait for data; the whole exchange is
  // bounded as the Windows program bounds its wait for the answer.
  set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(exchange.timeoutMilliseconds));
  set(CURLOPT_LOW_SPEED_LIMIT, 1L);
  set(CURLOPT_LOW_SPEED_TIME, static_cast<long>((exchange.timeoutMilliseconds + 999) / 1000));
  set(CURLOPT_TIMEOUT_MS, static_cast<long>(exchange.wholeSeconds) * 1000L);
  set(CURLOPT_WRITEFUNCTION, TakeBody);
  set(CURLOPT_WRITEDATA, &transfer);
  set(CURLOPT_HEADERFUNCTION, TakeHeaderLine);
  set(CURLOPT_HEADERDATA, &transfer);
  switch (exchange.method) {
    case HttpMethod::Post:
      set(CURLOPT_POST, 1L);
      set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(exchange.body.size()));
      set(CURLOPT_POSTFIELDS, exchange.body.empty() ? "" : reinterpret_cast<const char*>(exchange.body.data()));
      break;
    case HttpMethod::Head: set(CURLOPT_NOBODY, 1L); break;
    case HttpMethod::Get: set(CURLOPT_HTTPGET, 1L); break;
  }

  if (curl->easyPerform(handle) != CURLE_OK) {
    if (partial != nullptr) *partial = std::move(transfer.body);
    return std::nullopt;
  }
  curl->easyGetinfo(handle, CURLINFO_RESPONSE_CODE, &transfer.status);
  return transfer;
}

// "Name: value", or "Name;" for an empty value: libcurl drops a header written "Name:".
Text HeaderLineOf(const HeaderField& field) {
  return field.value.empty() ? JoinTexts(field.name, ";") : JoinTexts(field.name, ": ", field.value);
}

}  // namespace

ByteSet HttpRequestOverCurl(std::string_view url, const CurlRequestOptions& options) {
  const Text cookies = options.cookies != nullptr ? *options.cookies : Text();
  Exchange exchange;
  exchange.url = Text(url);
  exchange.method = options.method;
  exchange.body = options.body;
  for (const HeaderField& field : RequestHeaderFields(cookies, CompleteHeaderBlock(options.headers, url))) {
    // The request object refuses a header without a name; the exchange goes on without it.
    if (!field.name.empty()) exchange.headerLines.push_back(HeaderLineOf(field));
  }
  // libcurl would ask for a 100 Continue before a larger body; the request object never does.
  exchange.headerLines.push_back("Expect:");
  exchange.followRedirects = !options.noRedirect;
  exchange.checkCertificates = options.checkCertificates;
  exchange.timeoutMilliseconds =
      RequestTimeoutMilliseconds(options.timeoutSeconds).value_or(kDefaultTimeoutMilliseconds);
  exchange.wholeSeconds = ExchangeWaitSeconds(options.timeoutSeconds);

  // A failed exchange gives what a failed Send gives on Windows: no body, status or new cookies.
  std::optional<Transfer> answer = Perform(exchange);
  if (options.statusCode != nullptr) *options.statusCode = answer ? static_cast<int>(answer->status) : 0;
  ResponseCookieResult taken = TakeResponseCookies(answer ? answer->headerLines : Text(), cookies);
  if (options.newCookies != nullptr) *options.newCookies = std::move(taken.newCookies);
  if (options.cookies != nullptr) *options.cookies = std::move(taken.cookies);
  return answer ? std::move(answer->body) : ByteSet();
}

ByteSet ReadUrlOverCurl(std::string_view url) {
  Exchange exchange;
  exchange.url = Text(url.substr(0, url.find('#')));
  if (exchange.url.empty()) return {};
  exchange.headerLines = {kReadUrlUserAgent, "Accept: */*"};
  exchange.http10 = true;
  exchange.timeoutMilliseconds = static_cast<int>(kReadUrlTimeoutMilliseconds);
  exchange.wholeSeconds = kReadUrlWaitSeconds;
  ByteSet partial;
  std::optional<Transfer> answer = Perform(exchange, &partial);
  return answer ? std::move(answer->body) : partial;
}

}  // namespace korvan

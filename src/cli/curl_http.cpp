#include "cli/curl_http.h"

#include <curl/curl.h>

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
constexpr int kReadUrlTimeoutSeconds = 15;
constexpr char kReadUrlUserAgent[] = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

struct EasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

void InitialiseOnce() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  static_cast<void>(initialised);
}

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
  int method = 0;
  ByteSet body;
  std::vector<Text> headerLines;
  bool followRedirects = true;
  bool checkCertificates = true;
  bool http10 = false;
  int timeoutMilliseconds = 15000;
  int wholeSeconds = 17;
};

// One exchange on a fresh handle, like a fresh request object; nullopt when it failed, with what
// arrived of the body in `partial`.
std::optional<Transfer> Perform(const Exchange& exchange, ByteSet* partial = nullptr) {
  InitialiseOnce();
  const Easy easy(curl_easy_init());
  if (!easy) return std::nullopt;
  CURL* handle = easy.get();
  Transfer transfer;
  curl_slist* lines = nullptr;
  for (const Text& line : exchange.headerLines) {
    curl_slist* longer = curl_slist_append(lines, line.c_str());
    if (longer == nullptr) {
      curl_slist_free_all(lines);
      return std::nullopt;
    }
    lines = longer;
  }
  const HeaderList headers(lines);

  curl_easy_setopt(handle, CURLOPT_URL, exchange.url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  // Neither Windows program asks a proxy; libcurl would take one from the environment.
  curl_easy_setopt(handle, CURLOPT_PROXY, "");
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, exchange.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, exchange.followRedirects ? 1L : 0L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, kMostRedirects);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, exchange.checkCertificates ? 1L : 0L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, exchange.checkCertificates ? 2L : 0L);
  // The request object's time-outs: connecting, and every wait for data; the whole exchange is
  // bounded as the Windows program bounds its wait for the answer.
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(exchange.timeoutMilliseconds));
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>((exchange.timeoutMilliseconds + 999) / 1000));
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(exchange.wholeSeconds) * 1000L);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, TakeBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, TakeHeaderLine);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
  switch (exchange.method) {
    case 1:
      curl_easy_setopt(handle, CURLOPT_POST, 1L);
      curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(exchange.body.size()));
      curl_easy_setopt(handle, CURLOPT_POSTFIELDS,
                       exchange.body.empty() ? "" : reinterpret_cast<const char*>(exchange.body.data()));
      break;
    case 2: curl_easy_setopt(handle, CURLOPT_NOBODY, 1L); break;
    default: curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L); break;
  }

  if (curl_easy_perform(handle) != CURLE_OK) {
    if (partial != nullptr) *partial = std::move(transfer.body);
    return std::nullopt;
  }
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &transfer.status);
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
  exchange.method = options.method == 1 || options.method == 2 ? options.method : 0;
  exchange.body = options.body;
  for (const HeaderField& field : RequestHeaderFields(cookies, CompleteHeaderBlock(options.headers, url))) {
    // The request object refuses a header without a name; the exchange goes on without it.
    if (!field.name.empty()) exchange.headerLines.push_back(HeaderLineOf(field));
  }
  // libcurl would ask for a 100 Continue before a larger body; the request object never does.
  exchange.headerLines.push_back("Expect:");
  exchange.followRedirects = !options.noRedirect;
  exchange.checkCertificates = options.checkCertificates;
  exchange.timeoutMilliseconds = RequestTimeoutMilliseconds(options.timeoutSeconds).value_or(15000);
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
  exchange.timeoutMilliseconds = kReadUrlTimeoutSeconds * 1000;
  exchange.wholeSeconds = ExchangeWaitSeconds(kReadUrlTimeoutSeconds);
  ByteSet partial;
  std::optional<Transfer> answer = Perform(exchange, &partial);
  return answer ? std::move(answer->body) : partial;
}

}  // namespace korvan

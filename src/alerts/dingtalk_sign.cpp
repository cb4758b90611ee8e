#include "alerts/dingtalk_sign.h"

#include <string>

#include "alerts/push_url.h"
#include "http/form_url_encode.h"
#include "runtime/crypto/hmac_sha256.h"
#include "runtime/text/base64.h"
#include "runtime/text/encoding.h"

namespace korvan {

Text DingTalkSignature(std::string_view secret, std::int64_t unixMilliseconds) {
  const Text key = AnsiToUtf8(secret);
  const ByteSet code = HmacSha256(key, JoinTexts(std::to_string(unixMilliseconds), "\n", key));
  if (code.empty()) return {};
  // The form encoding keeps only letters, digits and "*-._", so Base64's "+", "/" and "=" are escaped.
  return FormUrlEncode(Base64Encode(code));
}

Text DingTalkSignedUrl(std::string_view url, std::string_view secret, std::int64_t unixMilliseconds) {
  return AppendUrlQuery(url, JoinTexts("timestamp=", std::to_string(unixMilliseconds),
                                       "&sign=", DingTalkSignature(secret, unixMilliseconds)));
}

}  // namespace korvan

// DingTalk's signature for a group bot whose security setting is a secret ("加签"): the bot accepts
// a request only with the time in milliseconds and the signature of that time under the secret.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// The URL-encoded Base64 of HMAC-SHA256(secret, milliseconds + "\n" + secret); secret is code page
// 936 text and is signed as UTF-8. Empty when the platform cannot compute the HMAC.
Text DingTalkSignature(std::string_view secret, std::int64_t unixMilliseconds);

// url + "timestamp=<ms>&sign=<signature>" after "?" or "&" as the url needs.
Text DingTalkSignedUrl(std::string_view url, std::string_view secret, std::int64_t unixMilliseconds);

}  // namespace korvan

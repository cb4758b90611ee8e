// The request methods the program sends, numbered as HttpRequest's method parameter counts them.
#pragma once

namespace korvan {

enum class HttpMethod { Get = 0, Post = 1, Head = 2 };

// HttpRequest's method parameter for it.
constexpr int HttpMethodNumber(HttpMethod method) { return static_cast<int>(method); }

}  // namespace korvan

// Inputs of the size the program meets at its worst: a 1 MiB provider page in code page 936, the
// cookie texts of a busy session, a 1 MiB percent-escaped answer. Built the same on every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvan::bench {

inline constexpr std::size_t kPageBytes = 1 << 20;

// A small fixed-seed generator, so every run measures the same bytes.
class Shuffle {
 public:
  explicit Shuffle(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next(std::uint32_t bound) {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_ % bound;
  }

 private:
  std::uint32_t state_;
};

// Table rows of a VPS list: ASCII markup with code page 936 words between the tags.
inline std::string CodePage936Page(std::size_t bytes, std::string_view tail) {
  static constexpr std::string_view kWords[] = {
      "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4",  // 到期时间
      "\xC3\xE2\xB7\xD1",                  // 免费
      "\xD0\xF8\xB7\xD1",                  // 续费
      "\xB7\xFE\xCE\xF1\xC6\xF7",          // 服务器
      "\xD3\xC3\xBB\xA7",                  // 用户
      "\xC3\xE6\xB0\xE5",                  // 面板
      "\xB5\xC7\xC2\xBC",                  // 登录
      "VPS-2048",
      "2015-05-04 12:58:06",
  };
  Shuffle shuffle(936);
  std::string page = "<html><head><title>VPS</title></head><body><table class=\"list\">\r\n";
  page.reserve(bytes + tail.size());
  while (page.size() + tail.size() < bytes) {
    page += "<tr><td class=\"c";
    page += std::to_string(shuffle.Next(100));
    page += "\">";
    for (std::uint32_t words = 1 + shuffle.Next(4); words > 0; --words)
      page += kWords[shuffle.Next(9)];
    page += "</td><td><a href=\"/vps.asp?id=";
    page += std::to_string(shuffle.Next(100000));
    page += "\">";
    page += kWords[shuffle.Next(9)];
    page += "</a></td></tr>\r\n";
  }
  page.resize(bytes - tail.size(), ' ');
  page += tail;
  return page;
}

// Running Chinese prose without a single ASCII byte: every high byte could start a match, and only
// the pairing of the whole run tells a lead byte from a trail byte.
inline std::string DenseCodePage936Text(std::size_t bytes, std::string_view tail) {
  static constexpr std::string_view kWords[] = {
      "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4",  // 到期时间
      "\xC3\xE2\xB7\xD1",                  // 免费
      "\xD0\xF8\xB7\xD1",                  // 续费
      "\xB7\xFE\xCE\xF1\xC6\xF7",          // 服务器
      "\xA3\xAC",                          // ，
  };
  Shuffle shuffle(20);
  std::string text;
  text.reserve(bytes + tail.size());
  while (text.size() + tail.size() + 8 < bytes)
    text += kWords[shuffle.Next(5)];
  text += tail;
  return text;
}

// "name=value" entries joined by "; ", about `bytes` long; every seventh one deleted.
inline std::string CookieText(std::size_t bytes, std::uint32_t seed, std::uint32_t names) {
  Shuffle shuffle(seed);
  std::string cookies;
  while (cookies.size() < bytes) {
    if (!cookies.empty()) cookies += "; ";
    cookies += "cookie";
    cookies += std::to_string(shuffle.Next(names));
    cookies += '=';
    if (shuffle.Next(7) == 0) {
      cookies += "deleted";
      continue;
    }
    for (std::uint32_t i = 8 + shuffle.Next(24); i > 0; --i)
      cookies += static_cast<char>('a' + shuffle.Next(26));
  }
  return cookies;
}

// The renewal answer as the provider sends it: a script whose Chinese words are percent-escaped
// UTF-8 and whose spaces are "%20".
inline std::string PercentEscapedAnswer(std::size_t bytes) {
  static constexpr std::string_view kEscapedWords[] = {
      "%E7%BB%AD%E8%B4%B9%E6%88%90%E5%8A%9F",  // 续费成功
      "%E5%88%B0%E6%9C%9F%E6%97%B6%E9%97%B4",  // 到期时间
      "%E5%85%8D%E8%B4%B9",                    // 免费
      "%E6%9C%8D%E5%8A%A1%E5%99%A8",           // 服务器
      "%20",
      "2015-05-04%2012:58:06",
      "VPS",
      "%ef%bc%8c",  // ，(lower-case digits)
  };
  Shuffle shuffle(65001);
  std::string answer = "<script>alert('";
  answer.reserve(bytes);
  while (answer.size() < bytes - 32)
    answer += kEscapedWords[shuffle.Next(8)];
  answer += "');history.go(-1);</script>";
  return answer;
}

}  // namespace korvan::bench

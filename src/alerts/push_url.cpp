#include "alerts/push_url.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace korvan {

namespace {

bool IsDigit(char character) { return character >= '0' && character <= '9'; }

bool IsHostCharacter(char character) {
  const auto byte = static_cast<unsigned char>(character);
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || IsDigit(character) || byte == '-' ||
         byte == '.' || byte == '_' || byte == '%' || byte >= 0x80;
}

bool IsPort(std::string_view port) {
  if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), IsDigit)) return false;
  const int number = std::stoi(std::string(port));
  return number >= 1 && number <= 65535;
}

// host[:port], with user information before an "@" allowed as browsers allow it.
bool IsAuthority(std::string_view authority) {
  const std::size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);
  std::string_view host = authority;
  std::string_view port;
  bool hasPort = false;
  if (authority.starts_with('[')) {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos || close < 2) return false;
    const std::string_view address = authority.substr(1, close - 1);
    const bool addressOk = std::all_of(address.begin(), address.end(), [](char character) {
      return IsDigit(character) || (character >= 'a' && character <= 'f') || (character >= 'A' && character <= 'F') ||
             character == ':' || character == '.';
    });
    if (!addressOk) return false;
    const std::string_view after = authority.substr(close + 1);
    if (after.empty()) return true;
    if (after.front() != ':') return false;
    return IsPort(after.substr(1));
  }
  const std::size_t colon = authority.find(':');
  if (colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
    hasPort = true;
  }
  if (host.empty() || host.front() == '.' || host.front() == '-') return false;
  if (!std::all_of(host.begin(), host.end(), IsHostCharacter)) return false;
  return !hasPort || IsPort(port);
}

bool HasBlankOrControl(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char character) {
    const auto byte = static_cast<unsigned char>(character);
    return byte <= 0x20 || byte == 0x7F;
  });
}

// The length of the "http://" or "https://" (any letter case) that begins url, else 0.
std::size_t HttpSchemeLength(std::string_view url) {
  if (FindText(url, "https://", 1, true) == 1) return 8;
  if (FindText(url, "http://", 1, true) == 1) return 7;
  return 0;
}

// url cut before its "#" fragment, and the fragment with its "#" (empty without one).
std::pair<std::string_view, std::string_view> SplitAtFragment(std::string_view url) {
  const std::size_t fragmentStart = url.find('#');
  if (fragmentStart == std::string_view::npos) return {url, {}};
  return {url.substr(0, fragmentStart), url.substr(fragmentStart)};
}

}  // namespace

bool HasHttpScheme(std::string_view pasted) { return HttpSchemeLength(TrimBlanks(pasted)) != 0; }

std::optional<Text> PushUrl(std::string_view pasted) {
  const Text url = TrimBlanks(pasted);
  if (HasBlankOrControl(url)) return std::nullopt;
  // Code page 936's full-width space is two bytes >= 0x80; inside a URL it is a typo, not a host.
  if (FindText(url, "\xA1\xA1") != -1) return std::nullopt;
  const std::size_t schemeLength = HttpSchemeLength(url);
  if (schemeLength == 0) return std::nullopt;
  const std::string_view rest = std::string_view(url).substr(schemeLength);
  const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
  if (!IsAuthority(authority)) return std::nullopt;
  return url;
}

Text AppendUrlPath(std::string_view url, std::string_view path) {
  const std::size_t queryStart = std::min(url.find('?'), url.find('#'));
  std::string_view base = url.substr(0, queryStart);
  const std::string_view query = queryStart == std::string_view::npos ? std::string_view() : url.substr(queryStart);
  if (base.ends_with('/') && path.starts_with('/')) base.remove_suffix(1);
  return JoinTexts(base, path, query);
}

Text AppendUrlQuery(std::string_view url, std::string_view parameters) {
  const auto [base, fragment] = SplitAtFragment(url);
  std::string_view separator = "&";
  if (base.find('?') == std::string_view::npos) {
    separator = "?";
  } else if (base.ends_with('?') || base.ends_with('&')) {
    separator = "";
  }
  return JoinTexts(base, separator, parameters, fragment);
}

Text SetUrlQuery(std::string_view url, std::initializer_list<QueryParameter> parameters) {
  const auto [beforeFragment, fragment] = SplitAtFragment(url);
  const std::size_t queryStart = beforeFragment.find('?');
  const std::string_view query =
      queryStart == std::string_view::npos ? std::string_view() : beforeFragment.substr(queryStart + 1);

  Text result(beforeFragment.substr(0, queryStart));
  const auto add = [&result](std::string_view piece) {
    result += result.find('?') == Text::npos ? '?' : '&';
    result += piece;
  };
  std::vector<bool> set(parameters.size(), false);
  for (const Text& piece : SplitText(query, "&")) {
    if (piece.empty()) continue;
    const std::string_view name = std::string_view(piece).substr(0, piece.find('='));
    const auto match = std::find_if(parameters.begin(), parameters.end(),
                                    [name](const QueryParameter& parameter) { return parameter.name == name; });
    if (match == parameters.end()) {
      add(piece);
    } else if (const auto index = static_cast<std::size_t>(match - parameters.begin()); !set[index]) {
      add(JoinTexts(match->name, "=", match->value));
      set[index] = true;
    }
  }
  std::size_t index = 0;
  for (const QueryParameter& parameter : parameters) {
    if (!set[index++]) add(JoinTexts(parameter.name, "=", parameter.value));
  }
  return JoinTexts(result, fragment);
}

}  // namespace korvan

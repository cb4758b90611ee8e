#include "alerts/push_url.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace korvan {
namespace {

struct PushUrlCase {
  const char* name;
  std::string_view pasted;
  std::optional<std::string_view> url;
};

const PushUrlCase kPushUrlCases[] = {
    {"Https", "https://push.example/send/abc", "https://push.example/send/abc"},
    {"HttpWithPortAndQuery", "http://127.0.0.1:19530/bot1:x/sendMessage?chat_id=-100",
     "http://127.0.0.1:19530/bot1:x/sendMessage?chat_id=-100"},
    {"SchemeInCapitals", "HTTPS://push.example/x", "HTTPS://push.example/x"},
    {"HostAlone", "https://push.example", "https://push.example"},
    {"QueryRightAfterHost", "https://push.example?key=1", "https://push.example?key=1"},
    {"SurroundingBlanksTrimmed", " \xA1\xA1https://push.example/x  ", "https://push.example/x"},
    {"TabAroundIsNoBlank", "https://push.example/x\t", std::nullopt},
    {"BracketedIpv6", "http://[::1]:8080/hook", "http://[::1]:8080/hook"},
    {"UserInformation", "https://user:pw@push.example/x", "https://user:pw@push.example/x"},
    {"Empty", "", std::nullopt},
    {"NoScheme", "push.example/send/abc", std::nullopt},
    {"UnknownScheme", "ftp://push.example/x", std::nullopt},
    {"FileScheme", "file:///C:/korvan.ini", std::nullopt},
    {"SchemeWithoutSlashes", "https:push.example", std::nullopt},
    {"NoHost", "https:///path", std::nullopt},
    {"PortWithoutHost", "https://:443/x", std::nullopt},
    {"PortNotANumber", "https://push.example:44a/x", std::nullopt},
    {"PortZero", "https://push.example:0/x", std::nullopt},
    {"PortTooLarge", "https://push.example:65536/x", std::nullopt},
    {"EmptyPort", "https://push.example:/x", std::nullopt},
    {"SpaceInside", "https://push.example/a b", std::nullopt},
    {"FullWidthSpaceInside",
     "https://push.example/a\xA1\xA1"
     "b",
     std::nullopt},
    {"LineBreakInside", "https://push.example/a\r\nHost: other", std::nullopt},
    {"HostWithSlashInName", "https://push\\example/x", std::nullopt},
    {"UnclosedIpv6", "http://[::1/x", std::nullopt},
    {"JavaScript", "javascript:alert(1)", std::nullopt},
};

TEST(PushUrlTest, AcceptsOnlyWellFormedHttpAddresses) {
  for (const PushUrlCase& c : kPushUrlCases) {
    SCOPED_TRACE(c.name);
    const std::optional<Text> url = PushUrl(c.pasted);
    EXPECT_EQ(url, c.url ? std::optional<Text>(*c.url) : std::nullopt) << c.pasted;
  }
}

struct AppendCase {
  std::string_view url;
  std::string_view appended;
  std::string_view result;
};

TEST(AppendUrlTest, PathGoesBeforeTheQueryAndQueryBeforeTheFragment) {
  const AppendCase cases[] = {
      {"https://hc.example/ping/uuid", "/start", "https://hc.example/ping/uuid/start"},
      {"https://hc.example/ping/uuid/", "/fail", "https://hc.example/ping/uuid/fail"},
      {"https://hc.example/ping/uuid?rid=7", "/fail", "https://hc.example/ping/uuid/fail?rid=7"},
      {"https://hc.example/ping/uuid#top", "/start", "https://hc.example/ping/uuid/start#top"},
  };
  for (const AppendCase& c : cases)
    EXPECT_EQ(AppendUrlPath(c.url, c.appended), c.result);
  // A query goes after the right separator, before a fragment.
  const AppendCase queries[] = {
      {"https://bot.example/robot/send?access_token=t", "a=1", "https://bot.example/robot/send?access_token=t&a=1"},
      {"https://bot.example/robot/send", "a=1", "https://bot.example/robot/send?a=1"},
      {"https://bot.example/robot/send?", "a=1", "https://bot.example/robot/send?a=1"},
      {"https://bot.example/robot/send?t=1&", "a=1", "https://bot.example/robot/send?t=1&a=1"},
      {"https://bot.example/send#x?y", "a=1", "https://bot.example/send?a=1#x?y"},
  };
  for (const AppendCase& c : queries)
    EXPECT_EQ(AppendUrlQuery(c.url, c.appended), c.result);
}

}  // namespace
}  // namespace korvan

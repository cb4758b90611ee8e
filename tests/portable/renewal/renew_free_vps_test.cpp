#include "renewal/renew_free_vps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "run_message_bytes.h"

namespace korvan {
namespace {

// Code page 936 bytes of the markers and messages.
const Text kLoggedIn = " \xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6\xA3\xA1";               // " 登录成功！"
const Text kWrongPassword = " \xC3\xDC\xC2\xEB\xB2\xBB\xD5\xFD\xC8\xB7\xA3\xA1";  // " 密码不正确！"
const Text kLoginFailed = " \xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC\xA3\xA1";            // " 登录失败！"
const Text kNoFreeVps = "\xCE\xB4\xD5\xD2\xB5\xBD\xC3\xE2\xB7\xD1VPS";            // 未找到免费VPS
const Text kExpiry = "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xA3\xBA";                  // 到期时间：
const Text kRenewed = "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6\xA3\xA1";                 // 续费成功！
const Text kWrongPasswordMarker = "\xC3\xDC\xC2\xEB\xB2\xBB\xD5\xFD\xC8\xB7";     // 密码不正确 (cp936)
const Text kWrongPasswordUtf8 = "\xE5\xAF\x86\xE7\xA0\x81\xE4\xB8\x8D\xE6\xAD\xA3\xE7\xA1\xAE";  // 密码不正确 (UTF-8)
const Text kSucceededCp936 = "\xB3\xC9\xB9\xA6";                                                 // 成功 (cp936)
// 请在该产品到期前1日内进行积分免费续期
const Text kOneDay =
    "\xC7\xEB\xD4\xDA\xB8\xC3\xB2\xFA\xC6\xB7\xB5\xBD\xC6\xDA\xC7\xB0"
    "1\xC8\xD5\xC4\xDA\xBD\xF8\xD0\xD0\xBB\xFD\xB7\xD6\xC3\xE2\xB7\xD1\xD0\xF8\xC6\xDA";
// The same one-day text as percent-escaped UTF-8, the way the panel's script carries it.
const Text kOneDayEscapedUtf8 =
    "%E8%AF%B7%E5%9C%A8%E8%AF%A5%E4%BA%A7%E5%93%81%E5%88%B0%E6%9C%9F%E5%89%8D1%E6%97%A5%E5%86%85"
    "%E8%BF%9B%E8%A1%8C%E7%A7%AF%E5%88%86%E5%85%8D%E8%B4%B9%E7%BB%AD%E6%9C%9F";
const Text kSucceededEscapedUtf8 = "%E6%88%90%E5%8A%9F";  // 成功
const Text kLoginOkPage = "<script>top.location='/default.asp'</script>";

ByteSet Bytes(std::string_view text) { return ByteSet(text.begin(), text.end()); }

// The panel's root as the build was configured (KORVAN_SITE_HOST), plain http, no trailing slash.
const Text kRoot = "http://" KORVAN_TEST_SITE_HOST;

// A panel that answers each path (without query) with a fixed answer and records what was asked.
struct FakePanel {
  std::map<Text, ByteSet> answers;
  std::map<Text, ByteSet> answersAfterRenewal;  // take over once the renewal form was sent
  std::vector<PanelRequest> requests;
  std::vector<Text> log;
  std::vector<bool> loginOkWrites;
  Text user = "alice";
  Text password = "secret";

  RenewalPorts Ports() {
    RenewalPorts ports;
    ports.request = [this](const PanelRequest& request) {
      requests.push_back(request);
      Text path = request.url.substr(kRoot.size());
      path = path.substr(0, path.find('?'));
      const bool renewed = std::any_of(requests.begin(), requests.end() - 1, [](const PanelRequest& r) {
        return r.url.ends_with("/vpsadm/selfvpsmodifyendtime.asp");
      });
      if (const auto later = answersAfterRenewal.find(path); renewed && later != answersAfterRenewal.end()) {
        return later->second;
      }
      const auto answer = answers.find(path);
      return answer == answers.end() ? ByteSet{} : answer->second;
    };
    ports.userName = [this] { return user; };
    ports.password = [this] { return password; };
    ports.appendLog = [this](std::string_view message, RunOutcome) {
      log.emplace_back(message);
      return "stamp " + std::to_string(log.size());
    };
    ports.setLoginOk = [this](bool ok) { loginOkWrites.push_back(ok); };
    return ports;
  }

  void AnswerAll(std::string_view login, std::string_view list, std::string_view page, std::string_view verdict) {
    answers["/user/usertop_login.asp"] = Bytes(login);
    answers["/user/vpsadm.asp"] = Bytes(list);
    answers["/vpsadm/selfvpsmodifyrepay.asp"] = Bytes(page);
    answers["/vpsadm/selfvpsmodifyendtime.asp"] = Bytes(verdict);
  }
};

const Text kListOneVps = "<a href=\"vpsadm2.asp?id=4711&go=c\">manage</a>";
const Text kRenewalPage = "<TD>" + kExpiry + "2024-05-06 12:00:00</TD>";

TEST(RenewFreeVps, SuccessfulRunSendsTheFourRequestsOfThePanel) {
  FakePanel panel;
  panel.AnswerAll(kLoginOkPage, kListOneVps, kRenewalPage,
                  "<script>alert(unescape('" + kSucceededEscapedUtf8 + "'))</script>");
  RenewFreeVps(panel.Ports());

  const std::vector<PanelRequest> expected{
      {kRoot + "/user/usertop_login.asp", HttpMethod::Post, "username=alice&password=secret&Submit.x=40&Submit.y=5",
       "Referer: " + kRoot + "/idc/top_login.asp"},
      {kRoot + "/user/vpsadm.asp", HttpMethod::Get, "", "Referer: " + kRoot + "/user/logininfo.asp"},
      {kRoot + "/vpsadm/selfvpsmodifyrepay.asp?id=4711", HttpMethod::Get, "", "Referer: " + kRoot + "/user/vpsadm.asp"},
      {kRoot + "/vpsadm/selfvpsmodifyendtime.asp", HttpMethod::Post,
       "year=9001&moneynow=0&id=4711&Submit=%C2%ED%C9%CF%D0%F8%C6%DA", "Referer: " + kRoot + "/user/vpsadm.asp"},
  };
  EXPECT_EQ(panel.requests, expected);
  EXPECT_EQ(panel.log, (std::vector<Text>{"alice" + kLoggedIn, kExpiry + "2024-05-06 12:00:00", kRenewed}));
  EXPECT_EQ(panel.loginOkWrites, std::vector<bool>{true});
}

// With the plan on, a login page that came back without either marker says what is likely wrong;
// an answer that never came, or the plan off, leaves the one entry it always was.
TEST(RenewFreeVps, AnUnknownLoginPageIsNamedOnlyWithThePlanOn) {
  // 登录页面无法识别（面板可能已改版或要求验证码）
  const Text unknownPage =
      "\xB5\xC7\xC2\xBC\xD2\xB3\xC3\xE6\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0\xA3\xA8\xC3\xE6\xB0\xE5\xBF\xC9\xC4\xDC\xD2\xD1"
      "\xB8\xC4\xB0\xE6\xBB\xF2\xD2\xAA\xC7\xF3\xD1\xE9\xD6\xA4\xC2\xEB\xA3\xA9";
  const struct {
    bool deadline;
    Text answer;
    std::vector<Text> log;
    RunOutcome outcome;
  } cases[] = {
      {true, "<form>captcha</form>", {"alice" + kLoginFailed, unknownPage}, RunOutcome::LoginPageUnknown},
      {true, "", {"alice" + kLoginFailed}, RunOutcome::LoginFailed},
      {false, "<form>captcha</form>", {"alice" + kLoginFailed}, RunOutcome::LoginFailed},
  };
  for (const auto& c : cases) {
    FakePanel panel;
    panel.AnswerAll(c.answer, kListOneVps, kRenewalPage, kSucceededEscapedUtf8);
    RenewalPorts ports = panel.Ports();
    ports.settings = [deadline = c.deadline] { return RunSettings{false, deadline}; };
    EXPECT_EQ(RenewFreeVps(ports).outcome, c.outcome) << c.answer;
    EXPECT_EQ(panel.log, c.log) << c.answer;
    EXPECT_EQ(panel.requests.size(), 1u);
  }
}

struct LoginCase {
  const char* name;
  Text answer;
  Text entrySuffix;
  std::vector<bool> loginOkWrites;
  std::size_t requests;
};

class LoginAnswer : public ::testing::TestWithParam<LoginCase> {};

TEST_P(LoginAnswer, DecidesEntryFlagAndWhetherTheRunGoesOn) {
  const LoginCase& c = GetParam();
  FakePanel panel;
  panel.AnswerAll(c.answer, kListOneVps, kRenewalPage, kSucceededEscapedUtf8);
  RenewFreeVps(panel.Ports());
  ASSERT_FALSE(panel.log.empty());
  EXPECT_EQ(panel.log.front(), "alice" + c.entrySuffix);
  EXPECT_EQ(panel.loginOkWrites, c.loginOkWrites);
  EXPECT_EQ(panel.requests.size(), c.requests);
}

INSTANTIATE_TEST_SUITE_P(
    Markers,
    LoginAnswer,
    ::testing::Values(
        LoginCase{"Success", kLoginOkPage, kLoggedIn, {true}, 4},
        LoginCase{"BothMarkersCountAsSuccess", kWrongPasswordMarker + kLoginOkPage, kLoggedIn, {true}, 4},
        LoginCase{"WrongPassword", "<p>" + kWrongPasswordMarker + "</p>", kWrongPassword, {false}, 1},
        LoginCase{"WrongPasswordInUtf8IsNoMatch", "<p>" + kWrongPasswordUtf8 + "</p>", kLoginFailed, {}, 1},
        LoginCase{"EmptyAnswer", "", kLoginFailed, {}, 1},
        LoginCase{"OtherPage", "<html>500 Internal Server Error</html>", kLoginFailed, {}, 1},
        LoginCase{"MarkerAfterZeroByteIsNotSeen", Text("x\0", 2) + kLoginOkPage, kLoginFailed, {}, 1},
        LoginCase{"MarkerInOtherCaseIsNoMatch", "TOP.LOCATION='/default.asp'", kLoginFailed, {}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct VpsListCase {
  const char* name;
  Text page;
  Text expectedId;  // empty: no VPS found
};

class VpsList : public ::testing::TestWithParam<VpsListCase> {};

TEST_P(VpsList, TakesTheIdOfTheFirstLinkOrReportsNone) {
  const VpsListCase& c = GetParam();
  FakePanel panel;
  panel.AnswerAll(kLoginOkPage, c.page, kRenewalPage, "");
  RenewFreeVps(panel.Ports());
  if (c.expectedId.empty()) {
    EXPECT_EQ(panel.requests.size(), 2u);
    EXPECT_EQ(panel.log.back(), kNoFreeVps);
    return;
  }
  ASSERT_EQ(panel.requests.size(), 4u);
  EXPECT_EQ(panel.requests[2].url, kRoot + "/vpsadm/selfvpsmodifyrepay.asp?id=" + c.expectedId);
  EXPECT_EQ(panel.requests[3].postData, "year=9001&moneynow=0&id=" + c.expectedId + "&Submit=%C2%ED%C9%CF%D0%F8%C6%DA");
}

INSTANTIATE_TEST_SUITE_P(
    Links,
    VpsList,
    ::testing::Values(
        VpsListCase{"One", kListOneVps, "4711"},
        VpsListCase{"FirstOfSeveral", "vpsadm2.asp?id=11&go=c vpsadm2.asp?id=22&go=c vpsadm2.asp?id=33&go=c", "11"},
        VpsListCase{"EndMarkerBeforeFirstIdIsNotUsed", "a.asp?x=1&go=c <a href=vpsadm2.asp?id=77&go=c>", "77"},
        VpsListCase{"IdWithoutEndMarker", "<a href=vpsadm2.asp?id=5>", ""},
        VpsListCase{"NoLink", "<html>no servers</html>", ""},
        VpsListCase{"EmptyAnswer", "", ""},
        VpsListCase{"EmptyId", "vpsadm2.asp?id=&go=c", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct ExpiryCase {
  const char* name;
  Text page;
  Text entry;
};

class ExpiryText : public ::testing::TestWithParam<ExpiryCase> {};

TEST_P(ExpiryText, IsLoggedAndTheRenewalIsSentEitherWay) {
  const ExpiryCase& c = GetParam();
  FakePanel panel;
  panel.AnswerAll(kLoginOkPage, kListOneVps, c.page, "");
  RenewFreeVps(panel.Ports());
  ASSERT_EQ(panel.log.size(), 2u);
  EXPECT_EQ(panel.log[1], c.entry);
  EXPECT_EQ(panel.requests.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(Pages,
                         ExpiryText,
                         ::testing::Values(ExpiryCase{"Plain", kRenewalPage, kExpiry + "2024-05-06 12:00:00"},
                                           ExpiryCase{"CellMarkupKept",
                                                      "<TD>" + kExpiry + " <b>2024-05-06</b> </TD><TD>x</TD>",
                                                      kExpiry + " <b>2024-05-06</b> "},
                                           ExpiryCase{"NoLabel", "<TD>nothing</TD>", kExpiry},
                                           ExpiryCase{"NoCellEnd", kExpiry + "2024-05-06", kExpiry},
                                           ExpiryCase{"EmptyPage", "", kExpiry}),
                         [](const auto& info) { return std::string(info.param.name); });

struct VerdictCase {
  const char* name;
  Text answer;
  std::vector<Text> entries;  // after the login and expiry entries
};

class RenewalVerdict : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(RenewalVerdict, RelaysTheProvidersAnswer) {
  const VerdictCase& c = GetParam();
  FakePanel panel;
  panel.AnswerAll(kLoginOkPage, kListOneVps, kRenewalPage, c.answer);
  RenewFreeVps(panel.Ports());
  ASSERT_GE(panel.log.size(), 2u);
  EXPECT_EQ(std::vector<Text>(panel.log.begin() + 2, panel.log.end()), c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Answers,
    RenewalVerdict,
    ::testing::Values(
        VerdictCase{"EscapedUtf8Success", "<script>alert('" + kSucceededEscapedUtf8 + "');</script>", {kRenewed}},
        VerdictCase{"PlainUtf8Success", "\xE7\xBB\xAD\xE8\xB4\xB9\xE6\x88\x90\xE5\x8A\x9F", {kRenewed}},
        VerdictCase{"OneDayText", "alert('" + kOneDayEscapedUtf8 + "')", {kOneDay}},
        VerdictCase{"BothGiveSuccessOnly", kOneDayEscapedUtf8 + kSucceededEscapedUtf8, {kRenewed}},
        VerdictCase{"SuccessInCp936BytesIsLost", "<p>" + kSucceededCp936 + "</p>", {}},
        VerdictCase{"ZeroByteHidesWhatFollows", Text("ok\0", 3) + kSucceededEscapedUtf8, {}},
        VerdictCase{"EscapedZeroIsDroppedNotAnEnd", "%00" + kSucceededEscapedUtf8, {kRenewed}},
        VerdictCase{"Empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

namespace m = message_bytes;

// How the run mode and the verification shape a run that got as far as the renewal page.
struct ModeCase {
  const char* name;
  RenewalMode mode;
  bool verify;
  Text verdict;               // the renewal form's answer
  Text pageAfter;             // the renewal page once renewed
  std::vector<Text> entries;  // after the login and expiry entries
  Text newExpiry;             // in the report
  RunOutcome outcome;
};

class RunMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(RunMode, SendsTheRequestsAndLogsTheEntriesOfTheMode) {
  const ModeCase& c = GetParam();
  FakePanel panel;
  panel.AnswerAll(kLoginOkPage, kListOneVps, kRenewalPage, c.verdict);
  panel.answersAfterRenewal["/vpsadm/selfvpsmodifyrepay.asp"] = Bytes(c.pageAfter);
  RenewalPorts ports = panel.Ports();
  ports.mode = c.mode;
  ports.settings = [&c] { return RunSettings{c.verify}; };
  const RunReport report = RenewFreeVps(ports);

  std::vector<PanelRequest> expected{
      {kRoot + "/user/usertop_login.asp", HttpMethod::Post, "username=alice&password=secret&Submit.x=40&Submit.y=5",
       "Referer: " + kRoot + "/idc/top_login.asp"},
      {kRoot + "/user/vpsadm.asp", HttpMethod::Get, "", "Referer: " + kRoot + "/user/logininfo.asp"},
      {kRoot + "/vpsadm/selfvpsmodifyrepay.asp?id=4711", HttpMethod::Get, "", "Referer: " + kRoot + "/user/vpsadm.asp"},
  };
  if (c.mode == RenewalMode::Renew) {
    expected.push_back({kRoot + "/vpsadm/selfvpsmodifyendtime.asp", HttpMethod::Post,
                        "year=9001&moneynow=0&id=4711&Submit=%C2%ED%C9%CF%D0%F8%C6%DA",
                        "Referer: " + kRoot + "/user/vpsadm.asp"});
  }
  // The verification reads the renewal page again exactly as the third request did.
  if (c.verify && c.mode == RenewalMode::Renew) expected.push_back(expected[2]);
  EXPECT_EQ(panel.requests, expected);

  std::vector<Text> entries{"alice" + m::kLoggedIn, m::kExpiry + "2024-05-06 12:00:00"};
  entries.insert(entries.end(), c.entries.begin(), c.entries.end());
  EXPECT_EQ(panel.log, entries);
  ASSERT_EQ(report.entries.size(), entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(report.entries[i].message, entries[i]);
    EXPECT_EQ(report.entries[i].stamp, "stamp " + std::to_string(i + 1));
  }
  EXPECT_EQ(report.userName, "alice");
  EXPECT_EQ(report.vpsId, "4711");
  EXPECT_EQ(report.expiry, "2024-05-06 12:00:00");
  EXPECT_EQ(report.newExpiry, c.newExpiry);
  EXPECT_EQ(report.outcome, c.outcome);
}

const Text kMovedPage = "<TD>" + kExpiry + "2024-05-07 12:00:00</TD>";
const Text kSuccessAnswer = "alert('" + kSucceededEscapedUtf8 + "')";
const Text kMoved = message_bytes::kMovedLabel + "2024-05-06 12:00:00" + message_bytes::kArrow + "2024-05-07 12:00:00";

// The verdict against the page read again is the proof's own table; here each mode once, and the
// unknown verdict's entry before the fifth request.
const ModeCase kModeCases[] = {
    {"RenewWithoutVerify", RenewalMode::Renew, false, kSuccessAnswer, kMovedPage, {kRenewed}, "", RunOutcome::Renewed},
    {"VerifyExpiryMoved",
     RenewalMode::Renew,
     true,
     kSuccessAnswer,
     kMovedPage,
     {kRenewed, kMoved},
     "2024-05-07 12:00:00",
     RunOutcome::ExpiryMoved},
    {"VerifyExpiryKept",
     RenewalMode::Renew,
     true,
     kSuccessAnswer,
     kRenewalPage,
     {kRenewed, m::kUnchangedWarning},
     "2024-05-06 12:00:00",
     RunOutcome::ExpiryUnchanged},
    {"VerifyUnknownVerdictMoved",
     RenewalMode::Renew,
     true,
     "",
     kMovedPage,
     {m::kUnknownVerdict, kMoved},
     "2024-05-07 12:00:00",
     RunOutcome::ExpiryMoved},
    {"CheckOnly",
     RenewalMode::CheckOnly,
     false,
     kSuccessAnswer,
     kMovedPage,
     {m::kCheckDone},
     "",
     RunOutcome::CheckDone},
    {"CheckOnlyNeverVerifies",
     RenewalMode::CheckOnly,
     true,
     kSuccessAnswer,
     kMovedPage,
     {m::kCheckDone},
     "",
     RunOutcome::CheckDone},
};

INSTANTIATE_TEST_SUITE_P(Modes, RunMode, ::testing::ValuesIn(kModeCases), [](const auto& info) {
  return std::string(info.param.name);
});

// A renewal page that showed no expiry before the renewal proves nothing when one shows after it:
// the run is what the provider said, an unknown verdict a failure, never "到期时间已更新".
TEST(RunMode, AnExpiryNotReadBeforeTheRenewalProvesNothing) {
  const struct {
    Text verdict;
    Text entry;
    RunOutcome outcome;
  } cases[] = {{"", m::kUnknownVerdict, RunOutcome::UnknownVerdict}, {kSuccessAnswer, kRenewed, RunOutcome::Renewed}};
  for (const auto& c : cases) {
    FakePanel panel;
    panel.AnswerAll(kLoginOkPage, kListOneVps, "<TD>maintenance</TD>", c.verdict);
    panel.answersAfterRenewal["/vpsadm/selfvpsmodifyrepay.asp"] = Bytes(kMovedPage);
    RenewalPorts ports = panel.Ports();
    ports.settings = [] { return RunSettings{true}; };
    const RunReport report = RenewFreeVps(ports);
    EXPECT_EQ(panel.log, (std::vector<Text>{"alice" + m::kLoggedIn, m::kExpiry, c.entry, m::kNotCompared}));
    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_EQ(RunResultMessage(report), c.entry);
  }
}

TEST(RunMode, RunStoppedBeforeTheRenewalSendsNoFifthRequest) {
  for (const Text& list : {Text("<html>no servers</html>"), kListOneVps}) {
    FakePanel panel;
    panel.AnswerAll(list == kListOneVps ? "" : kLoginOkPage, list, kRenewalPage, kSuccessAnswer);
    RenewalPorts ports = panel.Ports();
    ports.settings = [] { return RunSettings{true}; };
    const RunReport report = RenewFreeVps(ports);
    EXPECT_LE(panel.requests.size(), 2u) << list;
    EXPECT_TRUE(IsFailedRun(report.outcome)) << list;
  }
}

struct FormCase {
  const char* name;
  Text user;
  Text password;
  Text body;
};

class LoginForm : public ::testing::TestWithParam<FormCase> {};

// Mended: the credentials are form-encoded, so a "&" or "=" in them cannot split the form.
TEST_P(LoginForm, EncodesCredentialsAndLogsTheNameAsTyped) {
  const FormCase& c = GetParam();
  FakePanel panel;
  panel.user = c.user;
  panel.password = c.password;
  panel.answers["/user/usertop_login.asp"] = Bytes(kWrongPasswordMarker);
  RenewFreeVps(panel.Ports());
  ASSERT_EQ(panel.requests.size(), 1u);
  EXPECT_EQ(panel.requests[0].postData, c.body);
  EXPECT_EQ(panel.log, std::vector<Text>{c.user + kWrongPassword});
}

INSTANTIATE_TEST_SUITE_P(
    Credentials,
    LoginForm,
    ::testing::Values(FormCase{"Plain", "alice", "secret", "username=alice&password=secret&Submit.x=40&Submit.y=5"},
                      FormCase{"Empty", "", "", "username=&password=&Submit.x=40&Submit.y=5"},
                      FormCase{"FormCharacters", "a&b=c", "p%q+r s",
                               "username=a%26b%3Dc&password=p%25q%2Br+s&Submit.x=40&Submit.y=5"},
                      FormCase{"KeptPunctuation", "x*y-z.w_v", "~!'()",
                               "username=x*y-z.w_v&password=%7E%21%27%28%29&Submit.x=40&Submit.y=5"},
                      // 张三 in code page 936 is D5 C5 C8 FD.
                      FormCase{"Chinese", "\xD5\xC5\xC8\xFD", "\xD5\xC5",
                               "username=%D5%C5%C8%FD&password=%D5%C5&Submit.x=40&Submit.y=5"},
                      FormCase{"ControlBytes", "a\tb", "\r\n",
                               "username=a%09b&password=%0D%0A&Submit.x=40&Submit.y=5"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RenewFreeVps, LoginEntryShowsTheNameTheBoxHoldsWhenItIsWritten) {
  FakePanel panel;
  panel.answers["/user/usertop_login.asp"] = Bytes(kLoginOkPage);
  RenewalPorts ports = panel.Ports();
  int userReads = 0;
  ports.userName = [&] { return Text(++userReads == 1 ? "before" : "after"); };
  ports.password = [] { return Text("pw"); };
  RenewFreeVps(ports);
  EXPECT_EQ(panel.requests.at(0).postData, "username=before&password=pw&Submit.x=40&Submit.y=5");
  EXPECT_EQ(panel.log.at(0), "after" + kLoggedIn);
}

// Every request above starts with kRoot; this one names the fault when the root alone is wrong.
TEST(SiteRoot, IsHttpAndTheConfiguredSiteHostWithoutTrailingSlash) { EXPECT_EQ(SiteRoot(), kRoot); }

}  // namespace
}  // namespace korvan

// Whole runs in process, login to heartbeat, against a fake panel, a fake push receiver and
// in-memory settings and status files.
#include "run/run_once.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fake_ini_store.h"
#include "korvan/hosts.h"
#include "run/plan_store.h"
#include "runtime/text/encoding.h"
#include "run_message_bytes.h"

namespace korvan {
namespace {

namespace mb = message_bytes;

ByteSet Bytes(std::string_view text) { return ByteSet(text.begin(), text.end()); }

const Text kLoginOkPage = "<script>top.location='/default.asp'</script>";
const Text kListPage = "<a href=vpsadm2.asp?id=9&go=c>";
const Text kRenewalPage = mb::kExpiry + "2024-05-06</TD>";
const Text kSucceededEscapedUtf8 = "%E6%88%90%E5%8A%9F";  // 成功
// 请在该产品到期前1日内进行积分免费续期, as the panel's script carries it
const Text kOneDayEscapedUtf8 =
    "%E8%AF%B7%E5%9C%A8%E8%AF%A5%E4%BA%A7%E5%93%81%E5%88%B0%E6%9C%9F%E5%89%8D1%E6%97%A5%E5%86%85"
    "%E8%BF%9B%E8%A1%8C%E7%A7%AF%E5%88%86%E5%85%8D%E8%B4%B9%E7%BB%AD%E6%9C%9F";

struct Program {
  FakeIniStore config;
  FakeIniStore statusFile;
  RunRecordBook record{[this] { return std::make_unique<FakeIniStoreView>(statusFile); }};
  PanelCookies cookies;
  Text verdict;
  Text loginPage = kLoginOkPage;
  std::function<void()> duringLogin = [] {};
  std::function<void()> duringRenewal = [] {};
  std::vector<std::pair<Text, bool>> entries;  // message, written to korvan.log too
  std::vector<std::string> pushes;             // method and URL
  std::vector<std::string> bodies;             // of the same pushes
  PlanBook plan{[this] { return std::make_unique<FakeIniStoreView>(statusFile); }};
  std::int64_t now = 1700000000;
  std::int64_t periodicMilliseconds = 36000000;  // the N-hour timer: 10 hours left
  int timeAsked = 0;

  RunPorts Ports() {
    RunPorts ports;
    ports.cookies = &cookies;
    ports.exchange = [this](const PanelRequest& request, Text&, Text&) {
      if (request.url.ends_with("/user/usertop_login.asp")) {
        duringLogin();
        return Bytes(loginPage);
      }
      if (request.url.ends_with("/user/vpsadm.asp")) return Bytes(kListPage);
      if (request.url.find("/vpsadm/selfvpsmodifyrepay.asp") != Text::npos) return Bytes(kRenewalPage);
      duringRenewal();
      return Bytes(verdict);
    };
    ports.appendLog = [this](std::string_view message, bool history, RunOutcome) {
      entries.emplace_back(Text(message), history);
      return Text("stamp");
    };
    ports.setLoginOk = [](bool) {};
    ports.send = [this](const PushRequest& request) {
      pushes.push_back((request.method == HttpMethod::Get ? "GET " : "POST ") + request.url);
      bodies.emplace_back(request.body.begin(), request.body.end());
      return PushAnswer{200, Bytes(R"({"ok":true})")};
    };
    ports.unixMilliseconds = [this] {
      ++timeAsked;
      return now * 1000;
    };
    ports.networkNow = [this] { return now; };
    ports.millisecondsToPeriodicRun = [this] { return periodicMilliseconds; };
    ports.record = &record;
    ports.plan = &plan;
    return ports;
  }
  // korvan.ini's settings with the account the window's boxes give.
  RunSnapshot Snapshot() {
    RunSnapshot snapshot = ReadRunSnapshot(config);
    snapshot.userName = "alice";
    snapshot.password = "secret";
    return snapshot;
  }
  void Set(std::string_view key, std::string_view value) { config.items[{Text(kAdvancedSection), Text(key)}] = value; }
};

// A renewal form sent without a verdict that can be read is no success, whatever verify says;
// without verify its entries stay as they were.
TEST(RunOnceTest, AnUnreadableVerdictIsAFailedRunForTheRecordAndTheAlerts) {
  struct Case {
    const char* name;
    const char* verify;
    Text verdict;
    std::vector<Text> messages;
    std::vector<std::string> pushes;
    Text lastResult;
    int failures;
  };
  const Text loggedIn = "alice" + mb::kLoggedIn;
  const Text expiry = kRenewalPage.substr(0, kRenewalPage.size() - 5);
  const Case cases[] = {
      {"empty answer, verify off",
       "0",
       "",
       {loggedIn, expiry},
       {"GET http://127.0.0.1:1/hb/start", "POST http://127.0.0.1:1/wh", "POST http://127.0.0.1:1/hb/fail"},
       mb::kUnknownVerdict,
       1},
      {"unknown text, verify off",
       "",
       "<html>busy</html>",
       {loggedIn, expiry},
       {"GET http://127.0.0.1:1/hb/start", "POST http://127.0.0.1:1/wh", "POST http://127.0.0.1:1/hb/fail"},
       mb::kUnknownVerdict,
       1},
      {"empty answer, verify on",
       "1",
       "",
       {loggedIn, expiry, mb::kUnknownVerdict},
       {"GET http://127.0.0.1:1/hb/start", "POST http://127.0.0.1:1/wh", "POST http://127.0.0.1:1/hb/fail"},
       mb::kUnknownVerdict,
       1},
      {"renewed, verify off",
       "0",
       kSucceededEscapedUtf8,
       {loggedIn, expiry, mb::kRenewed},
       {"GET http://127.0.0.1:1/hb/start", "POST http://127.0.0.1:1/hb"},
       mb::kRenewed,
       0},
  };
  for (const Case& c : cases) {
    Program program;
    program.Set(kVerifyKey, c.verify);
    program.Set(kHistoryKey, "1");
    program.Set(kWebhookKey, "http://127.0.0.1:1/wh");
    program.Set(kHeartbeatKey, "http://127.0.0.1:1/hb");
    program.verdict = c.verdict;
    RunOnce(program.Ports(), program.Snapshot(), RenewalMode::Renew);

    std::vector<Text> messages;
    for (const auto& entry : program.entries)
      messages.push_back(entry.first);
    EXPECT_EQ(messages, c.messages) << c.name;
    EXPECT_EQ(program.pushes, c.pushes) << c.name;
    const RunRecord record = program.record.Current(true);
    EXPECT_EQ(record.lastResult, c.lastResult) << c.name;
    EXPECT_EQ(record.failures, c.failures) << c.name;
  }
}

// Settings changed while a run is under way apply from the next run: korvan.log, the record, the
// pushes and the heartbeat all go by what was read at the start.
TEST(RunOnceTest, EveryPartOfARunGoesByTheSettingsReadAtItsStart) {
  for (const bool historyAtStart : {true, false}) {
    Program program;
    program.Set(kHistoryKey, historyAtStart ? "1" : "0");
    program.Set(kHeartbeatKey, "http://127.0.0.1:1/hb");
    program.verdict = kSucceededEscapedUtf8;
    program.duringRenewal = [&] {
      program.Set(kHistoryKey, historyAtStart ? "0" : "1");
      program.Set(kHeartbeatKey, "http://127.0.0.1:1/other");
    };
    const RunSnapshot snapshot = program.Snapshot();
    RunOnce(program.Ports(), snapshot, RenewalMode::Renew);

    for (const auto& [message, history] : program.entries)
      EXPECT_EQ(history, historyAtStart) << message;
    EXPECT_EQ(program.statusFile.writes.empty(), !historyAtStart);
    EXPECT_EQ(program.record.Current(false).lastResult, mb::kRenewed);
    EXPECT_EQ(program.pushes,
              (std::vector<std::string>{"GET http://127.0.0.1:1/hb/start", "POST http://127.0.0.1:1/hb"}));
  }
}

// The record switched on after failed runs: 运行状况 shows them rather than nothing, and the file
// takes up their count instead of starting the failures in a row again from 0.
TEST(RunOnceTest, TheRecordSwitchedOnGoesOnFromThisProcesssRuns) {
  Program program;
  program.verdict = "<html>busy</html>";
  RunOnce(program.Ports(), program.Snapshot(), RenewalMode::Renew);
  program.Set(kHistoryKey, "1");
  RecordSource source = RecordSource::StatusFile;
  EXPECT_EQ(program.record.Current(true, &source).failures, 1);
  EXPECT_EQ(source, RecordSource::ThisProcessUntilSaved);

  RunOnce(program.Ports(), program.Snapshot(), RenewalMode::Renew);
  EXPECT_EQ(program.statusFile.Read(kStatusSection, kFailuresKey), "2");
  EXPECT_EQ(program.record.Current(true, &source).failures, 2);
  EXPECT_EQ(source, RecordSource::StatusFile);
}

// The plan with deadline on: three hours before the expiry a run that was told "too early" makes a
// plan with a retry two minutes on, and the late warning goes out once; with deadline off the run is what it always
// was, without even a reading of the time for the plan.
TEST(RunOnceTest, WithDeadlineOnTheRunPlansRetriesAndWarnsOnce) {
  // 续期未成功，2024年5月5日21时2分 重试: the run that made the plan inside the window failed a try
  const Text window =
      "\xD0\xF8\xC6\xDA\xCE\xB4\xB3\xC9\xB9\xA6\xA3\xAC"
      "2024\xC4\xEA"
      "5\xD4\xC2"
      "5\xC8\xD5"
      "21\xCA\xB1"
      "2\xB7\xD6 \xD6\xD8\xCA\xD4";
  const Text loggedIn = "alice" + mb::kLoggedIn;
  const Text expiry = kRenewalPage.substr(0, kRenewalPage.size() - 5);
  const struct {
    const char* deadline;
    std::vector<Text> messages;
    std::vector<std::string> pushes;
    bool planKept;
  } cases[] = {
      {"", {loggedIn, expiry, mb::kOneDay}, {"GET http://127.0.0.1:1/hb/start", "POST http://127.0.0.1:1/hb"}, false},
      {"1",
       {loggedIn, expiry, mb::kOneDay, window},
       {"GET http://127.0.0.1:1/hb/start", "POST http://127.0.0.1:1/wh", "POST http://127.0.0.1:1/hb"},
       true},
  };
  for (const auto& c : cases) {
    Program program;
    program.Set(kDeadlineKey, c.deadline);
    program.Set(kHistoryKey, "1");
    program.Set(kWebhookKey, "http://127.0.0.1:1/wh");
    program.Set(kHeartbeatKey, "http://127.0.0.1:1/hb");
    program.verdict = kOneDayEscapedUtf8;
    program.now = 1714924800 - 3 * 3600;  // 2024-05-06 0:00 in UTC+8, less three hours
    for (int run = 0; run < 2; ++run)
      RunOnce(program.Ports(), program.Snapshot(), RenewalMode::Renew);

    std::vector<Text> messages;
    for (std::size_t i = 0; i < c.messages.size(); ++i)
      messages.push_back(program.entries[i].first);
    EXPECT_EQ(messages, c.messages) << c.deadline;
    // The second run pushes no second warning.
    std::vector<std::string> secondRun = c.pushes;
    secondRun.erase(std::remove(secondRun.begin(), secondRun.end(), "POST http://127.0.0.1:1/wh"), secondRun.end());
    std::vector<std::string> expected = c.pushes;
    expected.insert(expected.end(), secondRun.begin(), secondRun.end());
    EXPECT_EQ(program.pushes, expected) << c.deadline;
    EXPECT_EQ(program.timeAsked > 0, c.planKept);
    EXPECT_EQ(program.statusFile.Read(kStatusSection, kNextRunKey).empty(), !c.planKept);
  }
}

// The plan waits after " 密码不正确！" until the settings are saved again; a save made while the run
// still tried the old password must not be undone by that run's refusal.
TEST(RunOnceTest, ARefusedPasswordWaitsUnlessANewOneWasSavedDuringTheRun) {
  for (const bool savedDuringRun : {false, true}) {
    Program program;
    program.Set(kDeadlineKey, "1");
    program.Set(kHistoryKey, "1");
    program.verdict = kOneDayEscapedUtf8;
    program.now = 1714924800 - 3 * 3600;  // inside the window of the expiry 2024-05-06
    RunOnce(program.Ports(), program.Snapshot(), RenewalMode::Renew);
    ASSERT_GT(program.plan.Current(true).nextRun, 0);

    program.loginPage = "<script>alert('" + mb::kWrongPassword.substr(1, 10) + "')</script>";
    if (savedDuringRun) program.duringLogin = [&] { program.plan.Resume(program.now, true); };
    RunOnce(program.Ports(), program.Snapshot(), RenewalMode::Renew);
    const RenewalPlan plan = program.plan.Current(true);
    EXPECT_EQ(plan.waitingForUser, !savedDuringRun) << savedDuringRun;
    EXPECT_EQ(plan.nextRun > 0, savedDuringRun) << savedDuringRun;
  }
}

// The failure push's 下次检查 is the next run as the plan stands after the run: with deadline on, the
// retry the failed try just planned two minutes on, not the N-hour run ten hours away.
TEST(RunOnceTest, TheFailurePushNamesTheNextRunAfterThePlanUpdate) {
  const Text label = "\xCF\xC2\xB4\xCE\xBC\xEC\xB2\xE9\xA3\xBA";          // 下次检查：
  const Text minutesFromNow = "\xB7\xD6\xD6\xD3\xBA\xF3";                 // 分钟后
  const Text periodic = "\xB6\xA8\xCA\xB1\xD0\xF8\xC6\xDA";               // 定时续期
  const Text retry = "\xB0\xB4\xCA\xB1\xD0\xF8\xC6\xDA\xD6\xD8\xCA\xD4";  // 按时续期重试
  const struct {
    const char* name;
    const char* deadline;
    std::int64_t periodicMilliseconds;
    Text next;  // after 下次检查：
  } cases[] = {
      // 22时0分（10小时0分钟后，定时续期）
      {"deadline off: the N-hour run", "", 36000000,
       "22\xCA\xB1"
       "0\xB7\xD6\xA3\xA8"
       "10\xD0\xA1\xCA\xB1"
       "0" +
           minutesFromNow + "\xA3\xAC" + periodic + "\xA3\xA9"},
      // 12时2分（2分钟后，按时续期重试）
      {"deadline on: the retry", "1", 36000000,
       "12\xCA\xB1"
       "2\xB7\xD6\xA3\xA8"
       "2" +
           minutesFromNow + "\xA3\xAC" + retry + "\xA3\xA9"},
      // 12时1分（1分钟后，定时续期）: the N-hour run comes before the retry
      {"deadline on: the N-hour run sooner", "1", 60000,
       "12\xCA\xB1"
       "1\xB7\xD6\xA3\xA8"
       "1" +
           minutesFromNow + "\xA3\xAC" + periodic + "\xA3\xA9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Program program;
    program.Set(kDeadlineKey, c.deadline);
    program.Set(kWebhookKey, "http://127.0.0.1:1/wh");
    program.verdict = "<html>busy</html>";
    program.now = 1714924800 - 12 * 3600;  // 2024-05-05 12:00 in UTC+8, inside the window, not yet late
    program.periodicMilliseconds = c.periodicMilliseconds;
    RunOnce(program.Ports(), program.Snapshot(), RenewalMode::Renew);

    ASSERT_EQ(program.pushes, std::vector<std::string>{"POST http://127.0.0.1:1/wh"});
    EXPECT_NE(program.bodies[0].find(AnsiToUtf8(label + c.next)), std::string::npos) << program.bodies[0];
  }
}

}  // namespace
}  // namespace korvan

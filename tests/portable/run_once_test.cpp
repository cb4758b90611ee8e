// Whole runs in process, login to heartbeat, against a fake panel, a fake push receiver and
// in-memory settings and status files.
#include "run/run_once.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_ini_store.h"
#include "korvan/hosts.h"
#include "run_message_bytes.h"

namespace korvan {
namespace {

namespace mb = message_bytes;

ByteSet Bytes(std::string_view text) { return ByteSet(text.begin(), text.end()); }

const Text kLoginOkPage = "<script>top.location='/default.asp'</script>";
const Text kListPage = "<a href=vpsadm2.asp?id=9&go=c>";
const Text kRenewalPage = mb::kExpiry + "2024-05-06</TD>";
const Text kSucceededEscapedUtf8 = "%E6%88%90%E5%8A%9F";  // 成功

// korvan-status.ini kept across the book's openings.
class StatusFileView final : public StatusStore {
 public:
  explicit StatusFileView(FakeIniStore<StatusStore>& file) : file_(file) {}
  Text Read(std::string_view section, std::string_view key) override { return file_.Read(section, key); }
  bool Write(std::string_view section, std::string_view key, std::string_view value) override {
    return file_.Write(section, key, value);
  }

 private:
  FakeIniStore<StatusStore>& file_;
};

struct Program {
  FakeIniStore<ConfigStore> config;
  FakeIniStore<StatusStore> statusFile;
  RunRecordBook record{[this] { return std::make_unique<StatusFileView>(statusFile); }};
  PanelCookies cookies;
  Text verdict;
  std::function<void()> duringRenewal = [] {};
  std::vector<std::pair<Text, bool>> entries;  // message, written to korvan.log too
  std::vector<std::string> pushes;             // method and URL

  RunPorts Ports() {
    RunPorts ports;
    ports.cookies = &cookies;
    ports.exchange = [this](const PanelRequest& request, Text&, Text&) {
      if (request.url.ends_with("/user/usertop_login.asp")) return Bytes(kLoginOkPage);
      if (request.url.ends_with("/user/vpsadm.asp")) return Bytes(kListPage);
      if (request.url.find("/vpsadm/selfvpsmodifyrepay.asp") != Text::npos) return Bytes(kRenewalPage);
      duringRenewal();
      return Bytes(verdict);
    };
    ports.userName = [] { return Text("alice"); };
    ports.password = [] { return Text("secret"); };
    ports.appendLog = [this](std::string_view message, bool history) {
      entries.emplace_back(Text(message), history);
      return Text("stamp");
    };
    ports.setLoginOk = [](bool) {};
    ports.send = [this](const PushRequest& request) {
      pushes.push_back((request.method == PushMethod::Get ? "GET " : "POST ") + request.url);
      return PushAnswer{200, Bytes(R"({"ok":true})")};
    };
    ports.unixMilliseconds = [] { return std::int64_t{1700000000000}; };
    ports.nextCheck = [] { return Text("10h"); };
    ports.record = &record;
    return ports;
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
    RunOnce(program.Ports(), ReadRunSnapshot(program.config), RenewalMode::Renew);

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
    const RunSnapshot snapshot = ReadRunSnapshot(program.config);
    RunOnce(program.Ports(), snapshot, RenewalMode::Renew);

    for (const auto& [message, history] : program.entries)
      EXPECT_EQ(history, historyAtStart) << message;
    EXPECT_EQ(program.statusFile.writes.empty(), !historyAtStart);
    EXPECT_EQ(program.record.Current(false).lastResult, mb::kRenewed);
    EXPECT_EQ(program.pushes,
              (std::vector<std::string>{"GET http://127.0.0.1:1/hb/start", "POST http://127.0.0.1:1/hb"}));
  }
}

}  // namespace
}  // namespace korvan

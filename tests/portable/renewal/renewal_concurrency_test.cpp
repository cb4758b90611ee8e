// Runs of the renewal job against the site view's replacement of panelCookies and against each
// other. Meant to be run under ThreadSanitizer too (preset native-tsan).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "run/run_gate.h"
#include "http/cookies.h"
#include "renewal/panel_state.h"
#include "renewal/renew_free_vps.h"

namespace korvan {
namespace {

ByteSet Bytes(std::string_view text) { return ByteSet(text.begin(), text.end()); }

TEST(RenewalConcurrency, RunsSeeWholeCookieTextsWhileTheSiteViewReplacesThem) {
  PanelCookies cookies;
  cookies.Replace("site=0");
  std::mutex seenMutex;
  std::vector<Text> seen;
  std::atomic<bool> flag{false};

  RenewalPorts ports;
  // Stands in for HttpRequest: reads the cookie text, then merges a cookie of the answer into it.
  ports.request = RequestWithCookies(cookies, [&](const PanelRequest&, Text& cookieText, Text& newCookies) {
    {
      std::lock_guard lock(seenMutex);
      seen.push_back(cookieText);
    }
    newCookies = "run=1";
    MergeCookies(cookieText, newCookies);
    return Bytes("top.location='/default.asp' vpsadm2.asp?id=9&go=c");
  });
  ports.userName = [] { return Text("user"); };
  ports.password = [] { return Text("user"); };
  ports.appendLog = [](std::string_view, RunOutcome) { return Text{}; };
  ports.setLoginOk = [&](bool ok) { flag.store(ok); };

  std::atomic<bool> stop{false};
  std::thread siteView([&] {
    for (int i = 1; i <= 2000 && !stop.load(); ++i)
      cookies.Replace("site=" + std::to_string(i));
  });
  std::vector<std::thread> runs;
  for (int r = 0; r < 4; ++r) {
    runs.emplace_back([&] {
      for (int i = 0; i < 50; ++i)
        RenewFreeVps(ports);
    });
  }
  for (auto& run : runs)
    run.join();
  stop.store(true);
  siteView.join();

  ASSERT_EQ(seen.size(), 4u * 50u * 4u);
  // Every text a request saw is a whole replacement, possibly with the run's cookie merged in front.
  const std::regex whole(R"(((run=1; )?site=\d+)|(run=1))");
  for (const Text& text : seen)
    EXPECT_TRUE(std::regex_match(text, whole)) << text;
  EXPECT_TRUE(flag.load());
}

TEST(RenewalConcurrency, AReplacementDuringARequestNeitherWaitsNorGetsLost) {
  PanelCookies cookies;
  cookies.Replace("site=old");
  bool replacementWaited = false;
  const auto request = RequestWithCookies(cookies, [&](const PanelRequest&, Text& cookieText, Text& newCookies) {
    // The site view replaces the text while the request is out; that must not block on the request.
    auto replacement = std::async(std::launch::async, [&] { cookies.Replace("site=new"); });
    replacementWaited = replacement.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
    newCookies = "run=1";
    MergeCookies(cookieText, newCookies);
    return Bytes("answer");
  });
  EXPECT_EQ(request(PanelRequest{}), Bytes("answer"));
  EXPECT_FALSE(replacementWaited);
  EXPECT_EQ(cookies.Copy(), "run=1; site=new");
}

TEST(RenewalConcurrency, AnUndisturbedRequestWritesTheMergedTextBack) {
  PanelCookies cookies;
  cookies.Replace("a=1; b=2");
  const auto request = RequestWithCookies(cookies, [&](const PanelRequest&, Text& cookieText, Text& newCookies) {
    newCookies = "b=3";
    MergeCookies(cookieText, newCookies);
    return ByteSet{};
  });
  request(PanelRequest{});
  EXPECT_EQ(cookies.Copy(), "b=3; a=1");
}

// The site view finishes a page between the login and the VPS list: during a run its import must
// not take away the session the login has just set; between runs it replaces the text.
TEST(RenewalConcurrency, AnImportDuringARunKeepsTheRunsSession) {
  struct Case {
    const char* name;
    bool duringRun;
    const char* afterImport;
  };
  const Case cases[] = {
      {"during a run", true, "session=abc; theme=run; site=1"},
      {"between runs", false, "site=1; theme=site"},
  };
  for (const Case& c : cases) {
    PanelCookies cookies;
    std::vector<Text> sent;
    RenewalPorts ports;
    ports.request = RequestWithCookies(cookies, [&](const PanelRequest&, Text& cookieText, Text& newCookies) {
      sent.push_back(cookieText);
      if (sent.size() == 1) {
        newCookies = "session=abc; theme=run";
        MergeCookies(cookieText, newCookies);
      }
      return Bytes(sent.size() == 1 ? "top.location='/default.asp'" : "");
    });
    ports.userName = [] { return Text("user"); };
    ports.password = [] { return Text("pass"); };
    // The login's entry is written between the first and the second request.
    ports.appendLog = [&](std::string_view, RunOutcome) {
      if (sent.size() == 1) cookies.Import("site=1; theme=site");
      return Text{};
    };
    ports.setLoginOk = [](bool) {};
    {
      std::optional<PanelCookies::RunScope> run;
      if (c.duringRun) run.emplace(cookies);
      RenewFreeVps(ports);
    }
    if (c.duringRun) {
      ASSERT_EQ(sent.size(), 2u) << c.name;
      EXPECT_EQ(sent[1], c.afterImport) << c.name;
    } else {
      EXPECT_EQ(cookies.Copy(), c.afterImport) << c.name;
    }
  }
}

TEST(RunGate, LetsOneRunThroughAtATime) {
  RunGate gate;
  std::atomic<int> running{0};
  std::atomic<int> mostAtOnce{0};
  std::atomic<int> finished{0};
  std::vector<std::thread> threads;
  std::mutex threadsMutex;
  auto startThread = [&](std::function<void()> routine) {
    std::lock_guard lock(threadsMutex);
    threads.emplace_back(std::move(routine));
    return true;
  };
  auto run = [&] {
    const int now = ++running;
    int most = mostAtOnce.load();
    while (now > most && !mostAtOnce.compare_exchange_weak(most, now)) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    --running;
    ++finished;
  };

  EXPECT_TRUE(StartGuardedRun(gate, startThread, run));
  // Starts while the first run sleeps are refused.
  int refused = 0;
  for (int i = 0; i < 5; ++i)
    refused += StartGuardedRun(gate, startThread, run) ? 0 : 1;
  EXPECT_EQ(refused, 5);

  for (int i = 0; i < 200 && gate.Busy(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(gate.Busy());
  // Once the run is over, the next start goes through.
  EXPECT_TRUE(StartGuardedRun(gate, startThread, run));

  for (int i = 0; i < 200 && gate.Busy(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  {
    std::lock_guard lock(threadsMutex);
    for (auto& thread : threads)
      thread.join();
  }
  EXPECT_EQ(finished.load(), 2);
  EXPECT_EQ(mostAtOnce.load(), 1);
}

// Ticks that come while a check holds the gate: one renewal is kept and runs when the check ends;
// never two runs at once, never more than one kept.
TEST(RunGate, KeepsOneRenewalAskedForWhileTheGateIsTaken) {
  RunGate gate;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::vector<std::string> ran;
  std::mutex ranMutex;
  std::thread worker;
  const auto startThread = [&](std::function<void()> routine) {
    worker = std::thread(std::move(routine));
    return true;
  };
  const auto note = [&](std::string name) {
    const std::lock_guard lock(ranMutex);
    ran.push_back(std::move(name));
  };

  ASSERT_TRUE(StartGuardedRun(gate, startThread, [&] {
    note("check");
    released.wait();
  }));
  for (int tick = 0; tick < 3; ++tick)
    EXPECT_FALSE(StartGuardedRun(
        gate, startThread, [&, tick] { note("renewal " + std::to_string(tick)); }, WhenBusy::KeepPending));
  EXPECT_FALSE(StartGuardedRun(gate, startThread, [&] { note("second check"); }));
  release.set_value();
  worker.join();

  EXPECT_EQ(ran, (std::vector<std::string>{"check", "renewal 0"}));
  EXPECT_FALSE(gate.Busy());
  // Nothing is left kept: the next run is the one asked for.
  ASSERT_TRUE(StartGuardedRun(
      gate, startThread, [&] { note("next"); }, WhenBusy::KeepPending));
  worker.join();
  EXPECT_EQ(ran.back(), "next");
  EXPECT_EQ(ran.size(), 3u);
}

TEST(RunGate, OpensAgainWhenTheThreadCannotBeStarted) {
  RunGate gate;
  bool ran = false;
  EXPECT_FALSE(StartGuardedRun(
      gate, [](std::function<void()>) { return false; }, [&] { ran = true; }));
  EXPECT_FALSE(gate.Busy());
  EXPECT_FALSE(ran);
  EXPECT_TRUE(StartGuardedRun(
      gate,
      [](std::function<void()> routine) {
        routine();
        return true;
      },
      [&] { ran = true; }));
  EXPECT_TRUE(ran);
  EXPECT_FALSE(gate.Busy());
}

}  // namespace
}  // namespace korvan

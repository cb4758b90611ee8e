#include "alerts/alert_message.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace korvan {
namespace {

// Code page 936 inputs as a run reports them.
const Text kUser = "\xD3\xC3\xBB\xA7";  // 用户
const Text kExpiry = "2026-12-10";
const Text kStamp =
    "2026\xC4\xEA"
    "12\xD4\xC2"
    "9\xC8\xD5";                                                                          // 2026年12月9日
const Text kNext = "10\xCA\xB1";                                                          // 10时
const Text kWrongPassword = kUser + " \xC3\xDC\xC2\xEB\xB2\xBB\xD5\xFD\xC8\xB7\xA3\xA1";  // 用户 密码不正确！

RunReport RunEndingWith(RunOutcome outcome, Text lastMessage) {
  RunReport run;
  run.entries.push_back({kStamp, "\xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6"});  // 登录成功
  run.entries.push_back({kStamp, std::move(lastMessage)});
  run.userName = kUser;
  run.outcome = outcome;
  return run;
}

struct TitleCase {
  AlertEvent event;
  std::string_view title;  // UTF-8
};

const TitleCase kTitleCases[] = {
    {AlertEvent::Renewed, "Korvan：续费成功"},
    {AlertEvent::TooEarly, "Korvan：尚未到续期时间"},
    {AlertEvent::LoginFailed, "Korvan：登录失败"},
    {AlertEvent::WrongPassword, "Korvan：密码不正确"},
    {AlertEvent::NoVps, "Korvan：未找到免费VPS"},
    {AlertEvent::UnknownVerdict, "Korvan：续费结果未知"},
    {AlertEvent::ExpiryUnchanged, "Korvan：到期时间未变化"},
    {AlertEvent::Recovered, "Korvan：已恢复正常"},
    // A run that decides nothing is titled by what it last said.
    {AlertEvent::RunEnded, "Korvan：检查完成：未提交续期"},
};

TEST(AlertMessageTest, EachEventHasItsTitleInUtf8) {
  // 检查完成：未提交续期
  const RunReport run = RunEndingWith(RunOutcome::CheckDone,
                                      "\xBC\xEC\xB2\xE9\xCD\xEA\xB3\xC9\xA3\xBA\xCE\xB4\xCC\xE1\xBD\xBB"
                                      "\xD0\xF8\xC6\xDA");
  for (const TitleCase& c : kTitleCases) {
    EXPECT_EQ(MakeRunAlert(c.event, run, kStamp, kNext).title, c.title) << AlertEventName(c.event);
  }
}

struct LinesCase {
  const char* name;
  Text vpsId;
  Text expiry;
  Text newExpiry;
  Text stamp;
  Text nextCheck;
  std::string_view text;  // UTF-8
  std::string_view expiryField;
};

const LinesCase kLinesCases[] = {
    {"AllLines", "12345", kExpiry, "", kStamp, kNext,
     "账号：用户\nVPS：12345\n到期时间：2026-12-10\n本次结果：用户 密码不正确！\n时间：2026年12月9日\n下次检查：10时",
     "2026-12-10"},
    {"MovedExpiryShowsOldAndNew", "12345", kExpiry, "2027-01-10", kStamp, kNext,
     "账号：用户\nVPS：12345\n到期时间：2026-12-10 → 2027-01-10\n本次结果：用户 密码不正确！\n时间：2026年12月9日\n"
     "下次检查：10时",
     "2026-12-10 → 2027-01-10"},
    {"SameExpiryReadAgainIsNotAMove", "12345", kExpiry, kExpiry, kStamp, kNext,
     "账号：用户\nVPS：12345\n到期时间：2026-12-10\n本次结果：用户 密码不正确！\n时间：2026年12月9日\n下次检查：10时",
     "2026-12-10"},
    {"RunStoppedAtLoginLeavesOutVpsAndExpiry", "", "", "", kStamp, "",
     "账号：用户\n本次结果：用户 密码不正确！\n时间：2026年12月9日", ""},
};

TEST(AlertLinesTest, ListsTheRun) {
  for (const LinesCase& c : kLinesCases) {
    SCOPED_TRACE(c.name);
    RunReport run = RunEndingWith(RunOutcome::WrongPassword, kWrongPassword);
    run.vpsId = c.vpsId;
    run.expiry = c.expiry;
    run.newExpiry = c.newExpiry;
    const AlertMessage message = MakeRunAlert(AlertEvent::WrongPassword, run, c.stamp, c.nextCheck);
    EXPECT_EQ(message.text, c.text);
    EXPECT_EQ(message.expiry, c.expiryField);
    EXPECT_EQ(message.event, "wrong_password");
    EXPECT_EQ(message.user, "用户");
    EXPECT_EQ(message.vps, c.vpsId);
    EXPECT_EQ(message.time, "2026年12月9日");
  }
}

// Two long expiries that differ only past the cut are still a move, and neither goes out whole.
TEST(AlertLinesTest, CutsEachLongExpiryButComparesThemWhole) {
  RunReport run = RunEndingWith(RunOutcome::ExpiryMoved, "moved");
  run.expiry = std::string(300, '7') + "1";
  run.newExpiry = std::string(300, '7') + "2";
  const std::string cut = std::string(200, '7') + "…";
  EXPECT_EQ(MakeRunAlert(AlertEvent::RunEnded, run, kStamp, kNext).expiry, cut + " → " + cut);
}

TEST(AlertMessageTest, BrokenCodePage936UserNameBecomesValidUtf8) {
  // A lone lead byte at the end and a lead byte before a byte that cannot trail.
  RunReport run = RunEndingWith(RunOutcome::LoginFailed, "x");
  run.userName =
      "ab\x81\x20"
      "c\xB3";
  const AlertMessage message = MakeRunAlert(AlertEvent::LoginFailed, run, kStamp, kNext);
  // The substitutes are the platform's; what matters is that the JSON reader takes it as UTF-8.
  for (const std::string& text : {message.user, message.text}) {
    // The lines' "\n" must be escaped to stand in a JSON string.
    std::string quoted = "\"";
    for (const char character : text)
      quoted += character == '\n' ? std::string("\\n") : std::string(1, character);
    EXPECT_FALSE(nlohmann::json::parse(quoted + "\"", nullptr, false).is_discarded()) << text;
  }
  EXPECT_TRUE(message.user.starts_with("ab")) << message.user;
  EXPECT_TRUE(message.text.starts_with("账号：ab")) << message.text;
}

TEST(AlertMessageTest, EmptyUserNameLeavesOutItsLine) {
  RunReport run = RunEndingWith(RunOutcome::LoginFailed, " \xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC\xA3\xA1");  // " 登录失败！"
  run.userName.clear();
  const AlertMessage message = MakeRunAlert(AlertEvent::LoginFailed, run, kStamp, kNext);
  EXPECT_EQ(message.text, "本次结果： 登录失败！\n时间：2026年12月9日\n下次检查：10时");
  EXPECT_EQ(message.user, "");
}

TEST(AlertMessageTest, TestMessageCarriesUserAndTime) {
  const AlertMessage message = MakeTestAlert(kUser, kStamp);
  EXPECT_EQ(message.title, "Korvan：测试消息");
  EXPECT_EQ(message.text, "账号：用户\n时间：2026年12月9日");
  EXPECT_EQ(message.event, "test");
  EXPECT_EQ(AlertContent(message), "Korvan：测试消息\n账号：用户\n时间：2026年12月9日");
  EXPECT_EQ(AlertContent(MakeTestAlert("", "")), "Korvan：测试消息");  // no lines: the title alone
}

}  // namespace
}  // namespace korvan

#include "alerts/alert_message.h"

#include "renewal/run_messages.h"
#include "runtime/text/encoding.h"

namespace korvan {

namespace {

// Korvan：
constexpr std::string_view kTitlePrefix = "Korvan\xA3\xBA";
// 续费成功
constexpr std::string_view kRenewedTitle = "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6";
// 尚未到续期时间
constexpr std::string_view kTooEarlyTitle = "\xC9\xD0\xCE\xB4\xB5\xBD\xD0\xF8\xC6\xDA\xCA\xB1\xBC\xE4";
// 登录失败
constexpr std::string_view kLoginFailedTitle = "\xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC";
// 密码不正确
constexpr std::string_view kWrongPasswordTitle = "\xC3\xDC\xC2\xEB\xB2\xBB\xD5\xFD\xC8\xB7";
// 未找到免费VPS
constexpr std::string_view kNoVpsTitle = "\xCE\xB4\xD5\xD2\xB5\xBD\xC3\xE2\xB7\xD1VPS";
// 续费结果未知
constexpr std::string_view kUnknownVerdictTitle = "\xD0\xF8\xB7\xD1\xBD\xE1\xB9\xFB\xCE\xB4\xD6\xAA";
// 到期时间未变化
constexpr std::string_view kExpiryUnchangedTitle = "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xCE\xB4\xB1\xE4\xBB\xAF";
// 即将到期，尚未续期
constexpr std::string_view kExpiringSoonTitle =
    "\xBC\xB4\xBD\xAB\xB5\xBD\xC6\xDA\xA3\xAC\xC9\xD0\xCE\xB4\xD0\xF8\xC6\xDA";
// 已恢复正常
constexpr std::string_view kRecoveredTitle = "\xD2\xD1\xBB\xD6\xB8\xB4\xD5\xFD\xB3\xA3";
// 测试消息
constexpr std::string_view kTestTitle = "\xB2\xE2\xCA\xD4\xCF\xFB\xCF\xA2";

// 账号：
constexpr std::string_view kUserLabel = "\xD5\xCB\xBA\xC5\xA3\xBA";
// VPS：
constexpr std::string_view kVpsLabel = "VPS\xA3\xBA";
// 本次结果：
constexpr std::string_view kResultLabel = "\xB1\xBE\xB4\xCE\xBD\xE1\xB9\xFB\xA3\xBA";
// 时间：
constexpr std::string_view kTimeLabel = "\xCA\xB1\xBC\xE4\xA3\xBA";
// 下次检查：
constexpr std::string_view kNextCheckLabel = "\xCF\xC2\xB4\xCE\xBC\xEC\xB2\xE9\xA3\xBA";

std::string_view EventTitle(AlertEvent event) {
  switch (event) {
    case AlertEvent::Renewed: return kRenewedTitle;
    case AlertEvent::TooEarly: return kTooEarlyTitle;
    case AlertEvent::LoginFailed: return kLoginFailedTitle;
    case AlertEvent::LoginPageUnknown: return kLoginPageUnknownMessage;
    case AlertEvent::WrongPassword: return kWrongPasswordTitle;
    case AlertEvent::NoVps: return kNoVpsTitle;
    case AlertEvent::UnknownVerdict: return kUnknownVerdictTitle;
    case AlertEvent::ExpiryUnchanged: return kExpiryUnchangedTitle;
    case AlertEvent::Recovered: return kRecoveredTitle;
    case AlertEvent::Test: return kTestTitle;
    case AlertEvent::ExpiringSoon: return kExpiringSoonTitle;
    case AlertEvent::RunEnded: break;
  }
  return {};
}

// Compared whole, as the verification compares them; each cut as the record keeps it.
Text ExpiryOf(const RunReport& run) {
  const Text expiry = CutText(run.expiry, kKeptExpiryBytes);
  if (run.newExpiry.empty() || run.newExpiry == run.expiry) return expiry;
  return JoinTexts(expiry, kExpiryArrow, CutText(run.newExpiry, kKeptExpiryBytes));
}

void AddLine(Text& lines, std::string_view label, std::string_view value) {
  if (value.empty()) return;
  if (!lines.empty()) lines += '\n';
  lines += label;
  lines += value;
}

}  // namespace

Text AlertTitle(AlertEvent event, const RunReport& run) {
  return JoinTexts(kTitlePrefix, event == AlertEvent::RunEnded ? RunResultMessage(run) : EventTitle(event));
}

AlertMessage MakeRunAlert(AlertEvent event, const RunReport& run, std::string_view stamp, std::string_view nextCheck) {
  const Text expiry = ExpiryOf(run);
  Text lines;
  AddLine(lines, kUserLabel, run.userName);
  AddLine(lines, kVpsLabel, run.vpsId);
  AddLine(lines, kExpiryLabel, expiry);
  AddLine(lines, kResultLabel, RunResultMessage(run));
  AddLine(lines, kTimeLabel, stamp);
  AddLine(lines, kNextCheckLabel, nextCheck);
  return AlertMessage{
      .event = std::string(AlertEventName(event)),
      .title = AnsiToUtf8(AlertTitle(event, run)),
      .text = AnsiToUtf8(lines),
      .user = AnsiToUtf8(run.userName),
      .vps = AnsiToUtf8(run.vpsId),
      .expiry = AnsiToUtf8(expiry),
      .time = AnsiToUtf8(stamp),
  };
}

AlertMessage MakeTestAlert(std::string_view userName, std::string_view stamp) {
  Text lines;
  AddLine(lines, kUserLabel, userName);
  AddLine(lines, kTimeLabel, stamp);
  AlertMessage message;
  message.event = AlertEventName(AlertEvent::Test);
  message.title = AnsiToUtf8(JoinTexts(kTitlePrefix, kTestTitle));
  message.text = AnsiToUtf8(lines);
  message.user = AnsiToUtf8(userName);
  message.time = AnsiToUtf8(stamp);
  return message;
}

std::string AlertContent(const AlertMessage& message) {
  return message.text.empty() ? message.title : message.title + "\n" + message.text;
}

}  // namespace korvan

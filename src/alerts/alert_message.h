// What one push says. The inputs are code page 936 like the log; the message is UTF-8, as every push
// service reads it. The password is not among the inputs, so it cannot reach a push.
#pragma once

#include <string>
#include <string_view>

#include "alerts/alert_policy.h"
#include "renewal/run_report.h"

namespace korvan {

// Each field UTF-8.
struct AlertMessage {
  std::string event;  // AlertEventName
  std::string title;  // "Korvan：" + the event's title
  std::string text;   // the lines 账号, VPS, 到期时间, 本次结果, 时间, 下次检查, separated by "\n"
  std::string user;
  std::string vps;
  std::string expiry;  // old " → " new when the verification saw it move; each cut after kKeptExpiryBytes
  std::string time;    // the network-time stamp
};

// "Korvan：" + the title of the event (code page 936); a RunEnded run is titled by its last message.
Text AlertTitle(AlertEvent event, const RunReport& run);

// The message of a run. stamp is the network-time stamp of its end, nextCheck when the next run is
// due, both as the log writes times; a line whose value is empty is left out.
AlertMessage MakeRunAlert(AlertEvent event, const RunReport& run, std::string_view stamp, std::string_view nextCheck);

// "Korvan：测试消息" with the user name and the stamp, for the settings dialog's test button.
AlertMessage MakeTestAlert(std::string_view userName, std::string_view stamp);

// The title and the text as one text, for the services that take a single content field.
std::string AlertContent(const AlertMessage& message);

}  // namespace korvan

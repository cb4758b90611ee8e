// What one run of the renewal job did: its log entries and what they say, for the run record and the
// alerts. Every text is code page 936, like the log.
#pragma once

#include <string_view>
#include <vector>

#include "runtime/text/text.h"

namespace korvan {

// How a run ended: what its last log entry says.
enum class RunOutcome {
  None,              // nothing that decides: no entry, or an entry such as the login's or the expiry's
  Renewed,           // "续费成功！"
  TooEarly,          // "请在该产品到期前1日内进行积分免费续期"
  ExpiryMoved,       // "到期时间已更新：" old " → " new
  LoginFailed,       // user name + " 登录失败！"
  LoginPageUnknown,  // "登录页面无法识别（…）" after it: an answer without either marker (the plan on)
  WrongPassword,     // user name + " 密码不正确！"
  NoVps,             // "未找到免费VPS"
  UnknownVerdict,    // "续费结果未知：无法识别服务商的答复"
  ExpiryUnchanged,   // "警告：续费后到期时间未变化，请登录面板核实"
  CheckDone,         // "检查完成：未提交续期" (a check without renewal)
};

struct RunEntry {
  Text stamp;                             // the entry's time stamp as the log shows it
  Text message;                           // the entry's message as kept and sent (KeptMessage)
  RunOutcome outcome = RunOutcome::None;  // what the entry says of the run, given by the job as it logs it
};

struct RunReport {
  std::vector<RunEntry> entries;  // in the order they were logged
  Text userName;                  // as the run read it from the window
  Text vpsId;                     // empty when none was found
  Text expiry;                    // the expiry text logged by the run (empty when none was read)
  Text newExpiry;                 // the expiry read again by the verification, when it ran
  RunOutcome outcome = RunOutcome::None;
};

// A failed run counts towards the failures in a row; a good one ends them; the others do neither.
bool IsFailedRun(RunOutcome outcome);
bool IsGoodRun(RunOutcome outcome);

// The message that stands for the run's outcome: the last entry that says it (else the last
// entry's), or the unknown verdict's text for an unknown verdict that the run did not log (the
// verification off).
std::string_view RunResultMessage(const RunReport& run);

// The message as korvan.log, standard output, the run record and the pushes carry it: cut by
// CutText after kKeptMessageBytes, so no text from the panel makes them unbounded.
Text KeptMessage(std::string_view message);

// Adds an entry, its message kept, with what it means; the report's outcome is that of its last
// entry that says one.
void RecordRunEntry(RunReport& report, std::string_view stamp, std::string_view message, RunOutcome outcome);

}  // namespace korvan

// The proof of a renewal: what the provider's answer says, and whether the expiry read again from
// the renewal page bears it out. Texts are code page 936.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "renewal/run_report.h"
#include "runtime/text/text.h"

namespace korvan {

// An entry of the run with what it says of the run.
struct VerdictEntry {
  Text message;
  RunOutcome outcome = RunOutcome::None;
  friend bool operator==(const VerdictEntry&, const VerdictEntry&) = default;
};

// The entry the run logs for the decoded renewal answer: "续费成功！" when it holds "成功", else the
// one-day text when it holds that; nothing for an answer that holds neither (an unknown verdict).
std::optional<VerdictEntry> VerdictOfAnswer(std::string_view decodedAnswer);

// "未能核对到期时间：读取失败" when either expiry is empty (blank): it says nothing of the run, whose
// outcome stays the verdict's; else "到期时间已更新：" old " → " new when they differ; else the
// warning when the answer said "成功"; otherwise nothing.
std::optional<VerdictEntry> ExpiryCheck(std::string_view decodedAnswer,
                                        std::string_view oldExpiry,
                                        std::string_view newExpiry);

// The verification as a run does it after the renewal request: logs the unknown-verdict entry when
// it applies, then reads the expiry again (the fifth request) and logs the expiry check's entry.
// Gives the expiry read again.
Text VerifyRenewal(std::string_view decodedAnswer,
                   std::string_view oldExpiry,
                   const std::function<Text()>& readExpiryAgain,
                   const std::function<void(const VerdictEntry&)>& appendLog);

}  // namespace korvan

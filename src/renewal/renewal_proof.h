// The proof of a renewal: what the provider's answer says, and whether the expiry read again from
// the renewal page bears it out. Texts are code page 936.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "runtime/text/text.h"

namespace korvan {

// The entry the run logs for the decoded renewal answer: "续费成功！" when it holds "成功", else the
// one-day text when it holds that, else the empty text (nothing is logged).
Text VerdictMessage(std::string_view decodedAnswer);

// The answer holds neither "成功" nor the one-day text.
bool IsUnknownVerdict(std::string_view decodedAnswer);

// "到期时间已更新：" old " → " new when the new expiry is not empty and differs from the old one;
// otherwise the warning when the answer said "成功"; otherwise the empty text.
Text ExpiryCheckMessage(std::string_view decodedAnswer, std::string_view oldExpiry, std::string_view newExpiry);

// Every entry of the verification in order: the unknown-verdict entry first when it applies, then
// the expiry check's entry when there is one.
std::vector<Text> VerificationMessages(std::string_view decodedAnswer,
                                       std::string_view oldExpiry,
                                       std::string_view newExpiry);

// The verification as a run does it after the renewal request: logs the unknown-verdict entry when
// it applies, then reads the expiry again (the fifth request) and logs the expiry check's entry.
// Gives the expiry read again.
Text VerifyRenewal(std::string_view decodedAnswer,
                   std::string_view oldExpiry,
                   const std::function<Text()>& readExpiryAgain,
                   const std::function<void(std::string_view)>& appendLog);

}  // namespace korvan

#include "renewal/renewal_proof.h"

#include "renewal/run_messages.h"

namespace korvan {
namespace {

bool Holds(std::string_view text, std::string_view marker) { return FindText(text, marker) != -1; }

}  // namespace

Text VerdictMessage(std::string_view decodedAnswer) {
  if (Holds(decodedAnswer, kSucceededMarker)) return Text(kRenewedMessage);
  if (Holds(decodedAnswer, kOnlyWithinOneDayMessage)) return Text(kOnlyWithinOneDayMessage);
  return {};
}

bool IsUnknownVerdict(std::string_view decodedAnswer) { return VerdictMessage(decodedAnswer).empty(); }

Text ExpiryCheckMessage(std::string_view decodedAnswer, std::string_view oldExpiry, std::string_view newExpiry) {
  if (!newExpiry.empty() && newExpiry != oldExpiry) {
    return JoinTexts(kExpiryMovedLabel, oldExpiry, kExpiryArrow, newExpiry);
  }
  if (VerdictMessage(decodedAnswer) == kRenewedMessage) return Text(kExpiryUnchangedMessage);
  return {};
}

std::vector<Text> VerificationMessages(std::string_view decodedAnswer,
                                       std::string_view oldExpiry,
                                       std::string_view newExpiry) {
  std::vector<Text> messages;
  if (IsUnknownVerdict(decodedAnswer)) messages.emplace_back(kUnknownVerdictMessage);
  Text check = ExpiryCheckMessage(decodedAnswer, oldExpiry, newExpiry);
  if (!check.empty()) messages.push_back(std::move(check));
  return messages;
}

Text VerifyRenewal(std::string_view decodedAnswer,
                   std::string_view oldExpiry,
                   const std::function<Text()>& readExpiryAgain,
                   const std::function<void(std::string_view)>& appendLog) {
  if (IsUnknownVerdict(decodedAnswer)) appendLog(kUnknownVerdictMessage);
  Text newExpiry = readExpiryAgain();
  const Text check = ExpiryCheckMessage(decodedAnswer, oldExpiry, newExpiry);
  if (!check.empty()) appendLog(check);
  return newExpiry;
}

}  // namespace korvan

#include "renewal/renewal_proof.h"

#include "renewal/run_messages.h"

namespace korvan {
namespace {

bool Holds(std::string_view text, std::string_view marker) { return FindText(text, marker) != -1; }

}  // namespace

std::optional<VerdictEntry> VerdictOfAnswer(std::string_view decodedAnswer) {
  if (Holds(decodedAnswer, kSucceededMarker)) return VerdictEntry{Text(kRenewedMessage), RunOutcome::Renewed};
  if (Holds(decodedAnswer, kOnlyWithinOneDayMessage)) {
    return VerdictEntry{Text(kOnlyWithinOneDayMessage), RunOutcome::TooEarly};
  }
  return std::nullopt;
}

std::optional<VerdictEntry> ExpiryCheck(std::string_view decodedAnswer,
                                        std::string_view oldExpiry,
                                        std::string_view newExpiry) {
  const std::optional<VerdictEntry> verdict = VerdictOfAnswer(decodedAnswer);
  // An expiry that was not read proves nothing either way: the provider's verdict alone stands.
  if (TrimBlanks(oldExpiry).empty() || TrimBlanks(newExpiry).empty()) {
    return VerdictEntry{Text(kExpiryNotComparedMessage), RunOutcome::None};
  }
  if (newExpiry != oldExpiry) {
    return VerdictEntry{JoinTexts(kExpiryMovedLabel, oldExpiry, kExpiryArrow, newExpiry), RunOutcome::ExpiryMoved};
  }
  if (verdict && verdict->outcome == RunOutcome::Renewed) {
    return VerdictEntry{Text(kExpiryUnchangedMessage), RunOutcome::ExpiryUnchanged};
  }
  return std::nullopt;
}

Text VerifyRenewal(std::string_view decodedAnswer,
                   std::string_view oldExpiry,
                   const std::function<Text()>& readExpiryAgain,
                   const std::function<void(const VerdictEntry&)>& appendLog) {
  if (!VerdictOfAnswer(decodedAnswer)) appendLog({Text(kUnknownVerdictMessage), RunOutcome::UnknownVerdict});
  Text newExpiry = readExpiryAgain();
  if (const std::optional<VerdictEntry> check = ExpiryCheck(decodedAnswer, oldExpiry, newExpiry)) appendLog(*check);
  return newExpiry;
}

}  // namespace korvan

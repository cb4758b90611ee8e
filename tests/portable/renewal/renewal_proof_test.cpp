#include "renewal/renewal_proof.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_message_bytes.h"
#include "runtime/text/encoding.h"

namespace korvan {
namespace {

using namespace message_bytes;

// Decoded answers as the run holds them (code page 936 after the conversion).
const Text kSuccessAnswer = "<script>alert('" + kRenewed + "');location.href='/user/vpsadm.asp';</script>";
const Text kOneDayAnswer = "<script>alert('" + kOneDay + "');history.back();</script>";
const Text kBusyAnswer = "<script>alert('\xCF\xB5\xCD\xB3\xC3\xA6');</script>";  // 系统忙
// "成功" alone is enough, as the run's own test for the verdict has it.
const Text kBareSuccessAnswer = "\xB3\xC9\xB9\xA6";
const Text kBothAnswer = kOneDay + kRenewed;

const Text kOld = "2024-05-06 12:00:00";
const Text kNew = "2024-06-06 12:00:00";
const Text kMoved = kMovedLabel + kOld + kArrow + kNew;

TEST(ExpiryArrowTest, IsTheRightwardsArrowInCodePage936) {
  EXPECT_EQ(TextToWide(kArrow, kCodePage936), (ByteSet{0x20, 0x00, 0x92, 0x21, 0x20, 0x00, 0x00, 0x00}));
}

struct VerdictCase {
  const char* name;
  Text answer;
  Text verdict;  // the entry the run logs
  bool unknown;
};

const VerdictCase kVerdictCases[] = {{"Success", kSuccessAnswer, kRenewed, false},
                                     {"BareSuccess", kBareSuccessAnswer, kRenewed, false},
                                     {"OneDay", kOneDayAnswer, kOneDay, false},
                                     {"SuccessWinsOverOneDay", kBothAnswer, kRenewed, false},
                                     {"Busy", kBusyAnswer, "", true},
                                     {"Empty", "", "", true},
                                     // The success marker in UTF-8 bytes was not converted.
                                     {"Utf8Success", "\xE6\x88\x90\xE5\x8A\x9F", "", true}};

TEST(VerdictMessageTest, NamesTheLoggedVerdict) {
  for (const VerdictCase& c : kVerdictCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(VerdictMessage(c.answer), c.verdict);
    EXPECT_EQ(IsUnknownVerdict(c.answer), c.unknown);
  }
}

struct ProofCase {
  const char* name;
  Text answer;
  Text oldExpiry;
  Text newExpiry;
  std::vector<Text> messages;
};

// Every verdict against an expiry that moved, stayed, or could not be read again.
const ProofCase kProofCases[] = {
    {"SuccessMoved", kSuccessAnswer, kOld, kNew, {kMoved}},
    {"SuccessUnchanged", kSuccessAnswer, kOld, kOld, {kUnchangedWarning}},
    {"SuccessEmpty", kSuccessAnswer, kOld, "", {kUnchangedWarning}},
    {"SuccessBothEmpty", kSuccessAnswer, "", "", {kUnchangedWarning}},
    {"SuccessFromEmpty", kSuccessAnswer, "", kNew, {kMovedLabel + kArrow + kNew}},
    {"OneDayMoved", kOneDayAnswer, kOld, kNew, {kMoved}},
    {"OneDayUnchanged", kOneDayAnswer, kOld, kOld, {}},
    {"OneDayEmpty", kOneDayAnswer, kOld, "", {}},
    {"UnknownMoved", kBusyAnswer, kOld, kNew, {kUnknownVerdict, kMoved}},
    {"UnknownUnchanged", kBusyAnswer, kOld, kOld, {kUnknownVerdict}},
    {"UnknownEmpty", kBusyAnswer, kOld, "", {kUnknownVerdict}},
    {"EmptyAnswerUnchanged", "", kOld, kOld, {kUnknownVerdict}},
    // The comparison is byte for byte: a changed blank is a change.
    {"SuccessBlankDiffers", kSuccessAnswer, kOld, kOld + " ", {kMovedLabel + kOld + kArrow + kOld + " "}}};

TEST(VerificationMessagesTest, LogsTheEntriesAroundReadingTheExpiryAgain) {
  for (const ProofCase& c : kProofCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(VerificationMessages(c.answer, c.oldExpiry, c.newExpiry), c.messages);
    std::vector<Text> events;
    const Text read = VerifyRenewal(
        c.answer, c.oldExpiry,
        [&] {
          events.emplace_back("read");
          return c.newExpiry;
        },
        [&](std::string_view message) { events.emplace_back(message); });
    EXPECT_EQ(read, c.newExpiry);
    std::vector<Text> expected = c.messages;
    // The unknown-verdict entry comes before the fifth request, the expiry check's entry after it.
    const auto readAt =
        !expected.empty() && expected.front() == kUnknownVerdict ? expected.begin() + 1 : expected.begin();
    expected.insert(readAt, "read");
    EXPECT_EQ(events, expected);
  }
}
}  // namespace
}  // namespace korvan

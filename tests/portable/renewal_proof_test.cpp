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

class VerdictMessageTest : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(VerdictMessageTest, NamesTheLoggedVerdict) {
  const VerdictCase& c = GetParam();
  EXPECT_EQ(VerdictMessage(c.answer), c.verdict);
  EXPECT_EQ(IsUnknownVerdict(c.answer), c.unknown);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         VerdictMessageTest,
                         ::testing::Values(VerdictCase{"Success", kSuccessAnswer, kRenewed, false},
                                           VerdictCase{"BareSuccess", kBareSuccessAnswer, kRenewed, false},
                                           VerdictCase{"OneDay", kOneDayAnswer, kOneDay, false},
                                           VerdictCase{"SuccessWinsOverOneDay", kBothAnswer, kRenewed, false},
                                           VerdictCase{"Busy", kBusyAnswer, "", true},
                                           VerdictCase{"Empty", "", "", true},
                                           // The success marker in UTF-8 bytes was not converted.
                                           VerdictCase{"Utf8Success", "\xE6\x88\x90\xE5\x8A\x9F", "", true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ProofCase {
  const char* name;
  Text answer;
  Text oldExpiry;
  Text newExpiry;
  std::vector<Text> messages;
};

class VerificationMessagesTest : public ::testing::TestWithParam<ProofCase> {};

TEST_P(VerificationMessagesTest, LogsTheVerificationEntries) {
  const ProofCase& c = GetParam();
  EXPECT_EQ(VerificationMessages(c.answer, c.oldExpiry, c.newExpiry), c.messages);
}

TEST_P(VerificationMessagesTest, ReadsTheExpiryAgainBetweenTheEntries) {
  const ProofCase& c = GetParam();
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

// Every verdict against an expiry that moved, stayed, or could not be read again.
INSTANTIATE_TEST_SUITE_P(
    Cases,
    VerificationMessagesTest,
    ::testing::Values(
        ProofCase{"SuccessMoved", kSuccessAnswer, kOld, kNew, {kMoved}},
        ProofCase{"SuccessUnchanged", kSuccessAnswer, kOld, kOld, {kUnchangedWarning}},
        ProofCase{"SuccessEmpty", kSuccessAnswer, kOld, "", {kUnchangedWarning}},
        ProofCase{"SuccessBothEmpty", kSuccessAnswer, "", "", {kUnchangedWarning}},
        ProofCase{"SuccessFromEmpty", kSuccessAnswer, "", kNew, {kMovedLabel + kArrow + kNew}},
        ProofCase{"OneDayMoved", kOneDayAnswer, kOld, kNew, {kMoved}},
        ProofCase{"OneDayUnchanged", kOneDayAnswer, kOld, kOld, {}},
        ProofCase{"OneDayEmpty", kOneDayAnswer, kOld, "", {}},
        ProofCase{"UnknownMoved", kBusyAnswer, kOld, kNew, {kUnknownVerdict, kMoved}},
        ProofCase{"UnknownUnchanged", kBusyAnswer, kOld, kOld, {kUnknownVerdict}},
        ProofCase{"UnknownEmpty", kBusyAnswer, kOld, "", {kUnknownVerdict}},
        ProofCase{"EmptyAnswerUnchanged", "", kOld, kOld, {kUnknownVerdict}},
        // The comparison is byte for byte: a changed blank is a change.
        ProofCase{"SuccessBlankDiffers", kSuccessAnswer, kOld, kOld + " ", {kMovedLabel + kOld + kArrow + kOld + " "}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvan

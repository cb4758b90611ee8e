#include "renewal/renewal_proof.h"

#include <gtest/gtest.h>

#include <optional>
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
  Text verdict;  // the entry the run logs, empty for none
  RunOutcome outcome;
};

const VerdictCase kVerdictCases[] = {{"Success", kSuccessAnswer, kRenewed, RunOutcome::Renewed},
                                     {"BareSuccess", kBareSuccessAnswer, kRenewed, RunOutcome::Renewed},
                                     {"OneDay", kOneDayAnswer, kOneDay, RunOutcome::TooEarly},
                                     {"SuccessWinsOverOneDay", kBothAnswer, kRenewed, RunOutcome::Renewed},
                                     {"Busy", kBusyAnswer, "", RunOutcome::None},
                                     {"Empty", "", "", RunOutcome::None},
                                     // The success marker in UTF-8 bytes was not converted.
                                     {"Utf8Success", "\xE6\x88\x90\xE5\x8A\x9F", "", RunOutcome::None}};

TEST(VerdictOfAnswerTest, NamesTheLoggedVerdictAndWhatItMeans) {
  for (const VerdictCase& c : kVerdictCases) {
    SCOPED_TRACE(c.name);
    const std::optional<VerdictEntry> verdict = VerdictOfAnswer(c.answer);
    if (c.verdict.empty()) {
      EXPECT_FALSE(verdict.has_value());
    } else {
      EXPECT_EQ(verdict, (VerdictEntry{c.verdict, c.outcome}));
    }
  }
}

struct ProofCase {
  const char* name;
  Text answer;
  Text oldExpiry;
  Text newExpiry;
  std::vector<Text> messages;
  RunOutcome last;  // what the last entry says of the run
};

// Every verdict against an expiry that moved, stayed, or could not be read again.
const ProofCase kProofCases[] = {
    {"SuccessMoved", kSuccessAnswer, kOld, kNew, {kMoved}, RunOutcome::ExpiryMoved},
    {"SuccessUnchanged", kSuccessAnswer, kOld, kOld, {kUnchangedWarning}, RunOutcome::ExpiryUnchanged},
    // An expiry not read proves nothing either way: a note that leaves the verdict to decide.
    {"SuccessEmpty", kSuccessAnswer, kOld, "", {kNotCompared}, RunOutcome::None},
    {"SuccessBlank", kSuccessAnswer, kOld, "  ", {kNotCompared}, RunOutcome::None},
    {"SuccessBothEmpty", kSuccessAnswer, "", "", {kNotCompared}, RunOutcome::None},
    {"SuccessFromEmpty", kSuccessAnswer, "", kNew, {kNotCompared}, RunOutcome::None},
    {"OneDayMoved", kOneDayAnswer, kOld, kNew, {kMoved}, RunOutcome::ExpiryMoved},
    {"OneDayUnchanged", kOneDayAnswer, kOld, kOld, {}, RunOutcome::None},
    {"OneDayEmpty", kOneDayAnswer, kOld, "", {kNotCompared}, RunOutcome::None},
    {"UnknownMoved", kBusyAnswer, kOld, kNew, {kUnknownVerdict, kMoved}, RunOutcome::ExpiryMoved},
    {"UnknownUnchanged", kBusyAnswer, kOld, kOld, {kUnknownVerdict}, RunOutcome::UnknownVerdict},
    {"UnknownEmpty", kBusyAnswer, kOld, "", {kUnknownVerdict, kNotCompared}, RunOutcome::None},
    {"UnknownFromEmpty", kBusyAnswer, "", kNew, {kUnknownVerdict, kNotCompared}, RunOutcome::None},
    {"EmptyAnswerUnchanged", "", kOld, kOld, {kUnknownVerdict}, RunOutcome::UnknownVerdict},
    // The comparison is byte for byte: a changed blank is a change.
    {"SuccessBlankDiffers",
     kSuccessAnswer,
     kOld,
     kOld + " ",
     {kMovedLabel + kOld + kArrow + kOld + " "},
     RunOutcome::ExpiryMoved}};

TEST(VerifyRenewalTest, LogsTheEntriesAroundReadingTheExpiryAgain) {
  for (const ProofCase& c : kProofCases) {
    SCOPED_TRACE(c.name);
    std::vector<Text> events;
    RunOutcome last = RunOutcome::None;
    const Text read = VerifyRenewal(
        c.answer, c.oldExpiry,
        [&] {
          events.emplace_back("read");
          return c.newExpiry;
        },
        [&](const VerdictEntry& entry) {
          events.push_back(entry.message);
          last = entry.outcome;
        });
    EXPECT_EQ(read, c.newExpiry);
    EXPECT_EQ(last, c.last);
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

#include "renewal/renewal_proof.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/text/encoding.h"

namespace korvan {
namespace {

const Text kRenewed = "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6\xA3\xA1";  // 续费成功！
// 请在该产品到期前1日内进行积分免费续期
const Text kOneDay =
    "\xC7\xEB\xD4\xDA\xB8\xC3\xB2\xFA\xC6\xB7\xB5\xBD\xC6\xDA\xC7\xB0"
    "1\xC8\xD5\xC4\xDA\xBD\xF8\xD0\xD0\xBB\xFD\xB7\xD6\xC3\xE2\xB7\xD1\xD0\xF8\xC6\xDA";
// 续费结果未知：无法识别服务商的答复
const Text kUnknown =
    "\xD0\xF8\xB7\xD1\xBD\xE1\xB9\xFB\xCE\xB4\xD6\xAA\xA3\xBA\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0\xB7\xFE\xCE\xF1\xC9\xCC"
    "\xB5\xC4\xB4\xF0\xB8\xB4";
// 警告：续费后到期时间未变化，请登录面板核实
const Text kWarning =
    "\xBE\xAF\xB8\xE6\xA3\xBA\xD0\xF8\xB7\xD1\xBA\xF3\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xCE\xB4\xB1\xE4\xBB\xAF\xA3\xAC"
    "\xC7\xEB\xB5\xC7\xC2\xBC\xC3\xE6\xB0\xE5\xBA\xCB\xCA\xB5";
const Text kMovedLabel = "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xD2\xD1\xB8\xFC\xD0\xC2\xA3\xBA";  // 到期时间已更新：
const Text kArrow = " \xA1\xFA ";                                                             // " → "

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
  const auto readAt = !expected.empty() && expected.front() == kUnknown ? expected.begin() + 1 : expected.begin();
  expected.insert(readAt, "read");
  EXPECT_EQ(events, expected);
}

// Every verdict against an expiry that moved, stayed, or could not be read again.
INSTANTIATE_TEST_SUITE_P(
    Cases,
    VerificationMessagesTest,
    ::testing::Values(
        ProofCase{"SuccessMoved", kSuccessAnswer, kOld, kNew, {kMoved}},
        ProofCase{"SuccessUnchanged", kSuccessAnswer, kOld, kOld, {kWarning}},
        ProofCase{"SuccessEmpty", kSuccessAnswer, kOld, "", {kWarning}},
        ProofCase{"SuccessBothEmpty", kSuccessAnswer, "", "", {kWarning}},
        ProofCase{"SuccessFromEmpty", kSuccessAnswer, "", kNew, {kMovedLabel + kArrow + kNew}},
        ProofCase{"OneDayMoved", kOneDayAnswer, kOld, kNew, {kMoved}},
        ProofCase{"OneDayUnchanged", kOneDayAnswer, kOld, kOld, {}},
        ProofCase{"OneDayEmpty", kOneDayAnswer, kOld, "", {}},
        ProofCase{"UnknownMoved", kBusyAnswer, kOld, kNew, {kUnknown, kMoved}},
        ProofCase{"UnknownUnchanged", kBusyAnswer, kOld, kOld, {kUnknown}},
        ProofCase{"UnknownEmpty", kBusyAnswer, kOld, "", {kUnknown}},
        ProofCase{"EmptyAnswerUnchanged", "", kOld, kOld, {kUnknown}},
        // The comparison is byte for byte: a changed blank is a change.
        ProofCase{"SuccessBlankDiffers", kSuccessAnswer, kOld, kOld + " ", {kMovedLabel + kOld + kArrow + kOld + " "}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvan

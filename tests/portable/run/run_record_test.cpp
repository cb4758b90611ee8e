#include "run/run_record.h"

#include <gtest/gtest.h>

#include "fake_ini_store.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "run_message_bytes.h"

namespace korvan {
namespace {

using FakeStatusStore = FakeIniStore;

using namespace message_bytes;

const Text kSection = "\xD4\xCB\xD0\xD0\xD7\xB4\xCC\xAC";  // 运行状态
const Text kExpiryEntry = kExpiry + "2024-05-06";
const Text kMoved = kMovedLabel + "2024-05-06" + kArrow + "2024-06-06";

const RunRecord kBefore{"t0", "m0", "r0", "e0", 2};

RunReport Run(std::vector<RunEntry> entries, Text expiry = "", Text newExpiry = "") {
  RunReport report;
  for (const RunEntry& entry : entries)
    RecordRunEntry(report, entry.stamp, entry.message, entry.outcome);
  report.expiry = std::move(expiry);
  report.newExpiry = std::move(newExpiry);
  return report;
}

struct UpdateCase {
  const char* name;
  RunRecord before;
  RunReport run;
  RunRecord after;
};

const UpdateCase kUpdateCases[] = {
    {"RenewedEndsTheFailures",
     kBefore,
     Run({{"t1", kLoggedIn}, {"t2", kExpiryEntry}, {"t3", kRenewed, RunOutcome::Renewed}}, "2024-05-06"),
     {"t3", kRenewed, "t3", "2024-05-06", 0}},
    {"LoginFailedCountsAndKeepsTheExpiry",
     kBefore,
     Run({{"t1", kLoginFailed, RunOutcome::LoginFailed}}),
     {"t1", kLoginFailed, "r0", "e0", 3}},
    {"TooEarlyIsGoodButNoRenewal",
     kBefore,
     Run({{"t1", kLoggedIn}, {"t2", kExpiryEntry}, {"t3", kOneDay, RunOutcome::TooEarly}}, "2024-05-06"),
     {"t3", kOneDay, "r0", "2024-05-06", 0}},
    // The renewal's stamp is that of its own entry, not of the run's last.
    {"ExpiryMovedTakesTheNewExpiry",
     kBefore,
     Run({{"t1", kExpiryEntry}, {"t2", kRenewed, RunOutcome::Renewed}, {"t3", kMoved, RunOutcome::ExpiryMoved}},
         "2024-05-06",
         "2024-06-06"),
     {"t3", kMoved, "t2", "2024-06-06", 0}},
    {"WarningCountsThoughTheProviderSaidSuccess",
     kBefore,
     Run({{"t1", kExpiryEntry},
          {"t2", kRenewed, RunOutcome::Renewed},
          {"t3", kUnchangedWarning, RunOutcome::ExpiryUnchanged}},
         "2024-05-06",
         "2024-05-06"),
     {"t3", kUnchangedWarning, "t2", "2024-05-06", 3}},
    {"CheckLeavesTheFailures",
     kBefore,
     Run({{"t1", kExpiryEntry}, {"t2", kCheckDone, RunOutcome::CheckDone}}, "2024-05-06"),
     {"t2", kCheckDone, "r0", "2024-05-06", 2}},
    {"RunEndedOnItsExpiryLeavesTheFailures",
     kBefore,
     Run({{"t1", kExpiryEntry}}, "2024-05-06"),
     {"t1", kExpiryEntry, "r0", "2024-05-06", 2}},
    {"EmptyNewExpiryKeepsTheOldRead",
     kBefore,
     Run({{"t1", kRenewed, RunOutcome::Renewed}, {"t2", kUnchangedWarning, RunOutcome::ExpiryUnchanged}},
         "2024-05-06",
         ""),
     {"t2", kUnchangedWarning, "t1", "2024-05-06", 3}},
    {"RunWithoutEntriesChangesNothing", kBefore, Run({}, "2024"), kBefore},
    {"FirstFailureFromNothing",
     RunRecord{},
     Run({{"t1", kLoginFailed, RunOutcome::LoginFailed}}),
     {"t1", kLoginFailed, "", "", 1}},
    {"FailuresStopAtTheLimit",
     RunRecord{"t0", "", "", "", kMaxFailuresInRow},
     Run({{"t1", kLoginFailed, RunOutcome::LoginFailed}}),
     {"t1", kLoginFailed, "", "", kMaxFailuresInRow}},
    {"NegativeFailuresCountFromZero",
     RunRecord{"", "", "", "", -5},
     Run({{"t1", kLoginFailed, RunOutcome::LoginFailed}}),
     {"t1", kLoginFailed, "", "", 1}}};

TEST(UpdatedRunRecordTest, FollowsTheRun) {
  for (const UpdateCase& c : kUpdateCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UpdatedRunRecord(c.before, c.run), c.after);
  }
}

struct FailuresCase {
  const char* name;
  Text text;
  int failures;
};

TEST(FailuresFromTextTest, ReadsOnlyPlainCounts) {
  const FailuresCase cases[] = {
      {"Zero", "0", 0},
      {"Seven", "7", 7},
      {"LeadingZeros", "0012", 12},
      {"Blanks", "  12 ", 12},
      {"Empty", "", 0},
      {"BlanksOnly", "   ", 0},
      {"Negative", "-3", 0},
      {"Plus", "+5", 0},
      {"Letters", "abc", 0},
      {"DigitsThenText", "12abc", 0},
      {"Fraction", "1.5", 0},
      {"FullWidthDigit", "\xA3\xB1", 0},
      {"Binary",
       Text("\x01\xFF\x00"
            "7",
            4),
       0},
      {"AtTheLimit", "999999999", kMaxFailuresInRow},
      {"BeyondTheLimit", "1000000000", kMaxFailuresInRow},
      {"Huge", Text(300, '9'), kMaxFailuresInRow},
  };
  for (const FailuresCase& c : cases)
    EXPECT_EQ(FailuresFromText(c.text), c.failures) << c.name;
}

TEST(RunRecordStoreTest, SavesTheFiveKeysInItsSectionAndLoadsThemBack) {
  FakeStatusStore store;
  const RunRecord record{"2023\xC4\xEA", kRenewed, "t2", "2024-05-06", 4};
  ASSERT_TRUE(SaveRunRecord(store, record));
  const std::map<FakeStatusStore::Item, Text> expected = {
      {{kSection, "lastRun"}, "2023\xC4\xEA"}, {{kSection, "lastResult"}, kRenewed}, {{kSection, "lastRenewed"}, "t2"},
      {{kSection, "expiry"}, "2024-05-06"},    {{kSection, "failures"}, "4"},
  };
  EXPECT_EQ(store.items, expected);
  EXPECT_EQ(LoadRunRecord(store), record);
}

TEST(RunRecordStoreTest, HandWrittenOrOddValuesLoadSafely) {
  FakeStatusStore store;
  EXPECT_EQ(LoadRunRecord(store), RunRecord{});
  // Line breaks cannot leave the value's line.
  ASSERT_TRUE(SaveRunRecord(store, {"a\r\nb", "c\nd", "e\rf", "g\r\n", 0}));
  EXPECT_EQ(LoadRunRecord(store), (RunRecord{"a  b", "c d", "e f", "g  ", 0}));
  store.items[{kSection, "failures"}] = "-12";
  store.items[{kSection, "expiry"}] = Text("\x00\xFF", 2);
  store.items[{"other", "lastRun"}] = "t9";  // another section's keys are not the record's
  EXPECT_EQ(LoadRunRecord(store), (RunRecord{"a  b", "c d", "e f", Text("\x00\xFF", 2), 0}));
  for (const auto& [failures, text] :
       std::vector<std::pair<int, Text>>{{-4, "0"}, {0, "0"}, {1234567890, "999999999"}}) {
    ASSERT_TRUE(SaveRunRecord(store, {"", "", "", "", failures}));
    EXPECT_EQ(store.Read(kSection, "failures"), text) << failures;
  }
}

TEST(RunRecordStoreTest, AFailedWriteIsReportedAndTheOtherKeysStillWritten) {
  FakeStatusStore store;
  store.refusedKeys.insert("lastResult");
  EXPECT_FALSE(SaveRunRecord(store, {"t", "m", "r", "e", 1}));
  EXPECT_EQ(store.WrittenKeys(), (std::vector<Text>{"lastRun", "lastResult", "lastRenewed", "expiry", "failures"}));
  EXPECT_EQ(LoadRunRecord(store), (RunRecord{"t", "", "r", "e", 1}));
}

}  // namespace
}  // namespace korvan

#include "renewal/run_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_message_bytes.h"

namespace korvan {
namespace {

using namespace message_bytes;

enum class Kind { Failed, Good, Neither };

struct OutcomeCase {
  RunOutcome outcome;
  Kind kind;
};

// Which outcomes count towards the failures in a row, which end them, and which do neither.
const OutcomeCase kOutcomeCases[] = {
    {RunOutcome::LoginFailed, Kind::Failed},     {RunOutcome::WrongPassword, Kind::Failed},
    {RunOutcome::NoVps, Kind::Failed},           {RunOutcome::UnknownVerdict, Kind::Failed},
    {RunOutcome::ExpiryUnchanged, Kind::Failed}, {RunOutcome::Renewed, Kind::Good},
    {RunOutcome::TooEarly, Kind::Good},          {RunOutcome::ExpiryMoved, Kind::Good},
    {RunOutcome::CheckDone, Kind::Neither},      {RunOutcome::None, Kind::Neither},
};

TEST(RunOutcomeTest, FailedAndGoodRuns) {
  for (const OutcomeCase& c : kOutcomeCases) {
    SCOPED_TRACE(static_cast<int>(c.outcome));
    EXPECT_EQ(IsFailedRun(c.outcome), c.kind == Kind::Failed);
    EXPECT_EQ(IsGoodRun(c.outcome), c.kind == Kind::Good);
  }
}

TEST(RecordRunEntryTest, KeepsEntriesInOrderAndTheOutcomeOfTheLast) {
  RunReport report;
  const struct {
    Text stamp;
    Text message;
    RunOutcome outcome;
  } steps[] = {
      {"t1", "demo" + kLoggedIn, RunOutcome::None},
      {"t2", kExpiry + "2024", RunOutcome::None},
      {"t3", kRenewed, RunOutcome::Renewed},
      {"t4", kUnchangedWarning, RunOutcome::ExpiryUnchanged},
  };
  for (const auto& step : steps) {
    RecordRunEntry(report, step.stamp, step.message, step.outcome);
    EXPECT_EQ(report.outcome, step.outcome) << step.stamp;
  }
  ASSERT_EQ(report.entries.size(), 4u);
  for (std::size_t i = 0; i < report.entries.size(); ++i) {
    EXPECT_EQ(report.entries[i].stamp, steps[i].stamp);
    EXPECT_EQ(report.entries[i].message, steps[i].message);
    EXPECT_EQ(report.entries[i].outcome, steps[i].outcome);
  }
}

// The entries go on to the record and the pushes: a bound too tight for the moved expiry's entry
// loses its new expiry, none lets a page's worth of text through.
// korvan.log, the Linux output, the record and the pushes keep each expiry text to 200 bytes; the
// entries around them keep their own words.
TEST(RecordRunEntryTest, KeepsEachExpiryTextTo200Bytes) {
  const Text cut = "\xA1\xAD";  // …
  const struct {
    Text message;
    Text kept;
  } cases[] = {
      {kMovedLabel + Text(200, '1') + kArrow + Text(200, '2'), kMovedLabel + Text(200, '1') + kArrow + Text(200, '2')},
      {kMovedLabel + Text(201, '1') + kArrow + Text(900, '2'),
       kMovedLabel + Text(200, '1') + cut + kArrow + Text(200, '2') + cut},
      {kExpiry + Text(200, '3'), kExpiry + Text(200, '3')},
      {kExpiry + Text(1000, '3'), kExpiry + Text(200, '3') + cut},
  };
  for (const auto& c : cases) {
    RunReport report;
    RecordRunEntry(report, "t", c.message, RunOutcome::None);
    EXPECT_EQ(report.entries[0].message, c.kept) << c.message.size();
    EXPECT_EQ(KeptMessage(c.message), c.kept);
  }
}

}  // namespace
}  // namespace korvan

// The plan and the run record with the run record off, where korvan-cli.exe's korvan-tick.ini may or
// may not be beside the window program's korvan.ini.
#include "run/plan_book.h"

#include <gtest/gtest.h>

#include <memory>

#include "fake_ini_store.h"
#include "run/run_record_book.h"

namespace korvan {
namespace {

struct Files {
  FakeIniStore status;
  FakeIniStore tick;
  bool tickThere = false;
  RunRecordBook::OpenStatusFile OpenStatus() {
    return [this] { return std::make_unique<FakeIniStoreView>(status); };
  }
  RunRecordBook::OpenStatusFile OpenTickIfThere() {
    return [this]() -> std::unique_ptr<IniStore> {
      if (!tickThere) return nullptr;
      return std::make_unique<FakeIniStoreView>(tick);
    };
  }
};

RunReport RenewedAt(const char* stamp) {
  RunReport report;
  report.entries = {{stamp, "renewed", RunOutcome::Renewed}};
  return report;
}

RenewalPlan PlanFor(std::int64_t windowOpens, int attempts = 0) {
  RenewalPlan plan;
  plan.windowOpens = windowOpens;
  plan.nextRun = windowOpens + 50;
  plan.attempts = attempts;
  return plan;
}

// Without the other program's file the book keeps to this process and writes nothing anywhere; once
// the file is there, what the other program wrote is what this one acts on, and its writes go there.
TEST(PlanBookTest, WithoutHistoryTheOtherProgramsFileIsUsedOnceItIsThere) {
  Files files;
  PlanBook plan(files.OpenStatus(), files.OpenTickIfThere());
  const RenewalPlan mine = PlanFor(100);
  plan.Keep(mine, /*history=*/false);
  EXPECT_EQ(plan.Current(false), mine);
  EXPECT_TRUE(files.tick.writes.empty() && files.status.writes.empty());

  files.tickThere = true;
  PlanBook console(files.OpenTickIfThere());
  const RenewalPlan moved = PlanFor(200);
  console.Keep(moved, /*history=*/true);  // the console's own file, as the other program keeps it
  EXPECT_EQ(plan.Current(false), moved);
  const RenewalPlan later = PlanFor(300, 1);
  plan.Keep(later, false);
  EXPECT_EQ(console.Current(true), later);
  EXPECT_TRUE(files.status.writes.empty());
}

TEST(PlanBookTest, WithoutHistoryTheRecordFollowsTheOtherProgramsFileOnceItIsThere) {
  Files files;
  RunRecordBook record(files.OpenStatus(), files.OpenTickIfThere());
  RecordSource source = RecordSource::StatusFile;
  record.Record(RenewedAt("10:00"), /*history=*/false);
  EXPECT_EQ(record.Current(false, &source).lastRun, "10:00");
  EXPECT_EQ(source, RecordSource::ThisProcess);
  EXPECT_TRUE(files.tick.writes.empty() && files.status.writes.empty());

  files.tickThere = true;
  RunRecordBook console(files.OpenTickIfThere());
  console.Record(RenewedAt("11:00"), /*history=*/true);
  EXPECT_EQ(record.Current(false, &source).lastRun, "11:00");
  EXPECT_EQ(source, RecordSource::StateFile);
  record.Record(RenewedAt("12:00"), false);
  EXPECT_EQ(console.Current(true).lastRun, "12:00");
  EXPECT_TRUE(files.status.writes.empty());
}

}  // namespace
}  // namespace korvan

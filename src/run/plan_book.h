// The renewal plan as the program keeps it: in korvan-status.ini beside the run record when the run
// record is on, and in memory for this process always, so a start takes it up from the file. A
// program that lives for one run only (the command line) gives a file of its own for when the run
// record is off; one that may not be there (null from the opener) leaves the plan in memory.
#pragma once

#include <cstdint>
#include <mutex>

#include "plan/renewal_plan.h"
#include "run/run_record_book.h"

namespace korvan {

class PlanBook {
 public:
  explicit PlanBook(RunRecordBook::OpenStatusFile openStatusFile,
                    RunRecordBook::OpenStatusFile openFileWithoutHistory = nullptr);

  // The plan as it stands; with history the file's.
  RenewalPlan Current(bool history);
  void Keep(const RenewalPlan& plan, bool history);
  // ResumePlan on the kept plan, as one step against Keep: at a start, after a save or a new password.
  RenewalPlan Resume(std::int64_t now, bool history);
  // How many times the plan was resumed: a run compares it across itself to see a save made meanwhile.
  std::uint64_t Resumes();

 private:
  RunRecordBook::OpenStatusFile openStatusFile_;
  RunRecordBook::OpenStatusFile openFileWithoutHistory_;
  // The file the plan is kept in, if any.
  RunRecordBook::OpenStatusFile FileFor(bool history) const;
  RenewalPlan CurrentLocked(bool history);
  void KeepLocked(const RenewalPlan& plan, bool history);
  std::mutex mutex_;
  RenewalPlan own_;
  std::uint64_t resumes_ = 0;
};

}  // namespace korvan

#include "run/plan_book.h"

#include <utility>

#include "run/plan_store.h"

namespace korvan {

PlanBook::PlanBook(RunRecordBook::OpenStatusFile openStatusFile, RunRecordBook::OpenStatusFile openFileWithoutHistory)
    : openStatusFile_(std::move(openStatusFile)), openFileWithoutHistory_(std::move(openFileWithoutHistory)) {}

RunRecordBook::OpenStatusFile PlanBook::FileFor(bool history) const {
  return history ? openStatusFile_ : openFileWithoutHistory_;
}

RenewalPlan PlanBook::Current(bool history) {
  const std::lock_guard lock(mutex_);
  return CurrentLocked(history);
}

RenewalPlan PlanBook::CurrentLocked(bool history) {
  const RunRecordBook::OpenStatusFile open = FileFor(history);
  const std::unique_ptr<IniStore> file = open ? open() : nullptr;
  if (!file) return own_;
  // The wait for the user is not kept in the file: this process's own word on it stands.
  RenewalPlan plan = LoadRenewalPlan(*file);
  plan.waitingForUser = own_.waitingForUser;
  plan.unreadableExpiry = own_.unreadableExpiry;
  return plan;
}

void PlanBook::Keep(const RenewalPlan& plan, bool history) {
  const std::lock_guard lock(mutex_);
  KeepLocked(plan, history);
}

void PlanBook::KeepLocked(const RenewalPlan& plan, bool history) {
  own_ = plan;
  const RunRecordBook::OpenStatusFile open = FileFor(history);
  if (const std::unique_ptr<IniStore> file = open ? open() : nullptr) SaveRenewalPlan(*file, plan);
}

RenewalPlan PlanBook::Resume(std::int64_t now, bool history) {
  // One step: a run's update landing between the read and the write would be undone.
  const std::lock_guard lock(mutex_);
  RenewalPlan plan = ResumePlan(CurrentLocked(history), now);
  KeepLocked(plan, history);
  ++resumes_;
  return plan;
}

std::uint64_t PlanBook::Resumes() {
  const std::lock_guard lock(mutex_);
  return resumes_;
}

}  // namespace korvan

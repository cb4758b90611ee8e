// The program's run record: korvan-status.ini in the run directory, or what this process saw.
#pragma once

#include "app/form/status_caption.h"
#include "run/run_record.h"
#include "run/run_status_text.h"
#include "run/plan_book.h"
#include "run/run_record_book.h"

namespace korvan {

RunRecordBook& ProgramRunRecord();
// The renewal plan, kept beside the record.
PlanBook& ProgramPlan();

// The record by the run record's switch as it stands now; source, when given, learns which it is.
RunRecord CurrentRunRecord(RecordSource* source = nullptr);

// What the status label shows of the renewals under these settings, by the record and the plan as kept.
RenewalStanding CurrentRenewalStanding(const AdvancedSettings& settings);

}  // namespace korvan

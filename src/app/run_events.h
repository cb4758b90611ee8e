// What happens around every run of the renewal job, whichever worker starts it.
#pragma once

#include "renewal/run_report.h"
#include "renewal/run_record.h"
#include "renewal/run_status_text.h"

namespace korvan {

// Called by the worker right before the run.
void OnRunStarting();

// Called by the worker right after the run: updates this process's record and, with the run record
// switched on, the one in korvan-status.ini.
void OnRunFinished(const RunReport& report);

// The record kept in korvan-status.ini when the run record is on, else what this process saw;
// source, when given, learns which of the two it is.
RunRecord CurrentRunRecord(RecordSource* source = nullptr);

}  // namespace korvan

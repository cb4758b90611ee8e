// The renewal worker: one detached thread per start that runs one renewal and ends.
#pragma once

#include "renewal/renew_free_vps.h"

namespace korvan {

// Starts a worker running RenewalWorker. While a run is under way it starts nothing but keeps one
// renewal, which runs as soon as that run ends.
void StartRenewalWorker();

// Starts a worker running one check (login, VPS list, renewal page; never the renewal form) through
// the same gate; false, and nothing started, when a run is under way.
bool StartCheckWorker();

// Starts a worker running the plan's run of that mode through the same gate; false, and nothing
// started or kept, when a run is under way (the planned-run timer asks again at its next check).
bool StartPlannedWorker(RenewalMode mode);

// True while a started renewal or check has not yet returned.
bool RenewalRunning();

// The worker's entry: one whole run (RunOnce) on the settings as they stand at its start.
void RenewalWorker(RenewalMode mode = RenewalMode::Renew);

}  // namespace korvan

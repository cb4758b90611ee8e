// The renewal worker: one detached thread per start that runs one renewal and ends.
#pragma once

namespace korvan {

// Starts a worker running RenewalWorker, unless a renewal is still under way; then it starts
// nothing (the next tick is the retry).
void StartRenewalWorker();

// True while a started renewal has not yet returned.
bool RenewalRunning();

// The worker's entry: one RenewFreeVps.
void RenewalWorker();

}  // namespace korvan

// The Windows side of the plan (高级设置 deadline=1): the main window's timer that starts the planned
// runs through the run gate, the wake timer (wake=1), the restart that waits for a run, and the
// plan's resumption at the start and after a save. With deadline off each of these does nothing.
#pragma once

#include <windows.h>

namespace korvan {

// A plain timer of the main window, outside the form controls' ids.
inline constexpr UINT_PTR kPlannedRunTimerId = 3001;
inline constexpr UINT kPlannedRunCheckMilliseconds = 30 * 1000;

// Arms the 30-second check on window.
void ArmPlannedRunTimer(HWND window);
// A check: starts the planned run that is due, arms or cancels the wake timer.
void OnPlannedRunTick();

// At the start and after the settings are saved: ResumePlan on the kept plan.
void ResumeProgramPlan();

// With the run record on, korvan-status.ini keeps the latest read of the time page with the plan,
// for the next start's first decision.
void KeepNetworkReading(bool history);

// The restart tick: true when the restart waits for a run (RestartWaits); it then comes when the
// next run ends (OnRunsEnded).
bool RestartWaitsForRun();
// Called by a worker thread after its runs have left the gate.
void OnRunsEnded();

}  // namespace korvan

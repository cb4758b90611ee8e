// The handlers of the main window's system menu commands (Win32 side).
#pragma once

namespace korvan {

// "运行状况…": a box with the next run (next_run.h) first, then the run record and when the renewal
// and restart timers fire next, and with deadline on the plan.
void OnRunStatusCommand();

// "立即检查（不续期）": one check run (login, VPS list, renewal page); while a run is under way a box
// says so and nothing starts.
void OnCheckNowCommand();

// "打开运行记录": korvan.log with the system's handler; without the file a box tells how to keep it.
void OnOpenRunLogCommand();

// "高级设置…": the advanced settings dialog.
void OnAdvancedSettingsCommand();

}  // namespace korvan

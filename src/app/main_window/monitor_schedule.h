// The handlers of the period boxes and of the status timer. They work on MainFormControls(), so the
// native tests drive them with fake controls.
#pragma once

#include <cstdint>

namespace korvan {

// blinkStep: counts status ticks 1..4, then 0 again. Window thread only.
std::int32_t& blinkStep();

// Content changed of 编辑框_jk / 编辑框_cq: a value without digits or 0 becomes "1" (which raises
// the handler again); any other value arms 时钟1 / 时钟2 with PeriodInterval of it.
void OnRenewHoursChanged();
void OnRestartHoursChanged();

// Arms 时钟1 from 编辑框_jk and 时钟2 from 编辑框_cq as they stand, without the zero repair: the
// created handler's step once the configuration is loaded.
void ArmPeriodTimers();

// Tick of 时钟3: blinks the status indicator, reloads the notice view every fourth tick, and shows
// the paused or abnormal state.
void OnStatusTick();

}  // namespace korvan

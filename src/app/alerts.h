// The alerts of the program: the run's heartbeat and pushes, sent by the worker over HTTP, and the
// test button's messages. The settings come from korvan.ini's 高级设置 section.
#pragma once

#include "runtime/text/text.h"

namespace korvan {

struct AlertSettings;
struct RunReport;
struct RunRecord;

// Reads the alert settings for this run and pings the heartbeat's start. On the worker, right
// before the run.
void AlertRunStarting();

// The run's pushes and the heartbeat's end on the settings read when the run started; before is the
// run record as it stood before this run's update. On the worker, after the run's own entries.
void AlertRunFinished(const RunReport& report, const RunRecord& before);

// "Korvan：测试消息" to every channel of settings now, and one result line per channel (CR LF between
// them). Blocks for up to 10 seconds a channel; not to be called on the window's thread.
Text SendTestAlerts(const AlertSettings& settings);

}  // namespace korvan

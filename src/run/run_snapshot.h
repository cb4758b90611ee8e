// What a run takes from korvan.ini, read once at its start: every part of the run (korvan.log, the
// record, the pushes, the heartbeat) goes by it, whatever the file says by the time that part comes.
#pragma once

#include "config/advanced_settings.h"
#include "config/alert_settings.h"
#include "config/config_file.h"

namespace korvan {

struct RunSnapshot {
  AdvancedSettings advanced;
  AlertSettings alerts;
  friend bool operator==(const RunSnapshot&, const RunSnapshot&) = default;
};

RunSnapshot ReadRunSnapshot(IniStore& store);

}  // namespace korvan

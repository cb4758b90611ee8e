// What a run takes from korvan.ini and the account, read once at its start: every part of the run (korvan.log, the
// record, the pushes, the heartbeat) goes by it, whatever the file says by the time that part comes.
#pragma once

#include "config/advanced_settings.h"
#include "config/alert_settings.h"
#include "config/config_file.h"
#include "runtime/text/text.h"

namespace korvan {

struct RunSnapshot {
  AdvancedSettings advanced;
  AlertSettings alerts;
  // The account the run logs in with: the window's boxes at the run's start, or korvan.ini's [登录配置]
  // for the Linux program. Not read by ReadRunSnapshot.
  Text userName{};
  Text password{};
  friend bool operator==(const RunSnapshot&, const RunSnapshot&) = default;
};

RunSnapshot ReadRunSnapshot(IniStore& store);

}  // namespace korvan

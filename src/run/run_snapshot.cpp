#include "run/run_snapshot.h"

#include "alerts/alert_fields.h"

namespace korvan {

RunSnapshot ReadRunSnapshot(IniStore& store) { return {ReadAdvancedSettings(store), ReadAlertSettings(store)}; }

}  // namespace korvan

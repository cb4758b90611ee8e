#include "run/run_snapshot.h"

namespace korvan {

RunSnapshot ReadRunSnapshot(IniStore& store) { return {ReadAdvancedSettings(store), ReadAlertSettings(store)}; }

}  // namespace korvan

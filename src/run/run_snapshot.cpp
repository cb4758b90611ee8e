#include "run/run_snapshot.h"

namespace korvan {

RunSnapshot ReadRunSnapshot(ConfigStore& store) { return {ReadAdvancedSettings(store), ReadAlertSettings(store)}; }

}  // namespace korvan

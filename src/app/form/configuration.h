// The configuration file against the window's four setting boxes.
#pragma once

#include "config/advanced_settings.h"

namespace korvan {

// Run by the created handler: true when a user name is stored and the boxes were filled.
bool LoadConfiguration();

// The 高级设置 section of korvan.ini as it stands now; a missing file reads as all off.
AdvancedSettings ReadAdvancedSettings();

// Saves the boxes to korvan.ini and reports the outcome with AppendLog.
void SaveSettingBoxes();

}  // namespace korvan

// The configuration file against the window's four setting boxes.
#pragma once

namespace korvan {

// Run by the created handler: true when a user name is stored and the boxes were filled.
bool LoadConfiguration();

// Clicked of 按钮_保存: saves the boxes and reports the outcome with AppendLog.
void OnSaveClicked();

}  // namespace korvan

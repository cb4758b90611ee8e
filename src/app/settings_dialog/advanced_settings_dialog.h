// The "高级设置…" dialog: the advanced and alert settings of korvan.ini, a test of the push channels,
// 确定 and 取消. Modal to its owner; the keyboard works as in any dialog box.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>
#include <vector>

#include "alerts/push_answers.h"
#include "config/alert_settings.h"
#include "config/config_file.h"
#include "runtime/text/text.h"

namespace korvan {

struct AdvancedSettingsDialogHooks {
  // Receives "高级设置已保存…" or "高级设置保存失败" after 确定.
  std::function<void(std::string_view message)> appendLog;
  // Sends the test message to every channel of the settings as entered and returns one result per
  // channel, none when nothing is set. Called on a thread of its own; when empty, the test button is
  // disabled.
  std::function<std::vector<PushTestResult>(const AlertSettings&)> sendTestMessages;
  // Called after 确定 has written the settings.
  std::function<void()> saved;
};

// Shows the dialog for korvan.ini beside the program and returns when it is closed.
void ShowAdvancedSettingsDialog(HWND owner, const AdvancedSettingsDialogHooks& hooks);
// The same for the settings kept in store.
void ShowAdvancedSettingsDialog(HWND owner, const AdvancedSettingsDialogHooks& hooks, IniStore& store);

}  // namespace korvan

#include "config/config_file.h"

namespace korvan {

bool LoadConfiguration(IniStore& store, SettingBoxes& boxes) {
  if (store.Read(kLoginSection, kUserKey).empty()) return false;
  for (const ConfigItem& item : kConfigItems)
    boxes.Set(item.setting, store.Read(item.section, item.key));
  return true;
}

void SaveConfiguration(IniStore& store, SettingBoxes& boxes, const LogWriter& appendLog) {
  // The write results are not looked at: the read-back of the user name alone tells success.
  for (const ConfigItem& item : kConfigItems)
    store.Write(item.section, item.key, boxes.Read(item.setting));
  const bool saved = store.Read(kLoginSection, kUserKey) == boxes.Read(Setting::UserName);
  appendLog(saved ? kConfigSavedMessage : kConfigSaveFailedMessage);
}

}  // namespace korvan

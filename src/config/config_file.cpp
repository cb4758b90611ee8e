#include "config/config_file.h"

namespace korvan {

bool LoadConfiguration(ConfigStore& store, FormBoxes& boxes) {
  if (store.Read(kLoginSection, kUserKey).empty()) return false;
  for (const ConfigItem& item : kConfigItems) boxes.SetBox(item.box, store.Read(item.section, item.key));
  return true;
}

void SaveConfiguration(ConfigStore& store, FormBoxes& boxes, const LogWriter& appendLog) {
  // The write results are not looked at: the read-back of the user name alone tells success.
  for (const ConfigItem& item : kConfigItems) store.Write(item.section, item.key, boxes.ReadBox(item.box));
  const bool saved = store.Read(kLoginSection, kUserKey) == boxes.ReadBox(FormBox::User);
  appendLog(saved ? kConfigSavedMessage : kConfigSaveFailedMessage);
}

}  // namespace korvan

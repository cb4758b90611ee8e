#include "app/form/configuration.h"

#include "app/form/form_controls.h"
#include "app/form/append_log.h"
#include "platform/win32/ini_file_store.h"
#include "platform/win32/program_location.h"

namespace korvan {
namespace {

// The setting boxes are the window's edit boxes; window thread only.
class WindowSettingBoxes final : public SettingBoxes {
 public:
  Text Read(Setting setting) override {
    EditBox* box = Box(setting);
    return box ? box->Content() : Text{};
  }
  void Set(Setting setting, std::string_view text) override {
    if (EditBox* box = Box(setting)) box->SetContent(text);
  }

 private:
  static EditBox* Box(Setting setting) { return MainFormControls().Find<EditBox>(SettingBox(setting)); }

  static FormControl SettingBox(Setting setting) {
    switch (setting) {
      case Setting::UserName: return FormControl::UserBox;
      case Setting::Password: return FormControl::PasswordBox;
      case Setting::RenewHours: return FormControl::RenewHoursBox;
      case Setting::RestartHours: return FormControl::RestartHoursBox;
    }
    return FormControl::UserBox;
  }
};

}  // namespace

bool LoadConfiguration() {
  IniFileStore store(FileBesideProgram(kConfigFileName));
  WindowSettingBoxes boxes;
  return LoadConfiguration(store, boxes);
}

AdvancedSettings ReadAdvancedSettings() {
  IniFileStore store(FileBesideProgram(kConfigFileName));
  return ReadAdvancedSettings(store);
}

void SaveSettingBoxes() {
  IniFileStore store(FileBesideProgram(kConfigFileName));
  WindowSettingBoxes boxes;
  SaveConfiguration(store, boxes, AppendLog);
}

}  // namespace korvan

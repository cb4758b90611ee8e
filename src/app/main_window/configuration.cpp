#include "app/main_window/configuration.h"

#include "app/form_controls.h"
#include "app/main_window/append_log.h"
#include "config/ini_config_store.h"

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
  static EditBox* Box(Setting setting) {
    FormControls& form = MainFormControls();
    switch (setting) {
      case Setting::UserName: return form.userBox;
      case Setting::Password: return form.passwordBox;
      case Setting::RenewHours: return form.renewHoursBox;
      case Setting::RestartHours: return form.restartHoursBox;
    }
    return nullptr;
  }
};

}  // namespace

bool LoadConfiguration() {
  IniConfigStore store;
  WindowSettingBoxes boxes;
  return LoadConfiguration(store, boxes);
}

void OnSaveClicked() {
  IniConfigStore store;
  WindowSettingBoxes boxes;
  SaveConfiguration(store, boxes, AppendLog);
}

}  // namespace korvan

#include "config/advanced_settings.h"

namespace korvan {
namespace {

std::string_view SettingText(bool on) { return on ? kSettingOn : kSettingOff; }

}  // namespace

AdvancedSettings ReadAdvancedSettings(IniStore& store) {
  return {store.Read(kAdvancedSection, kVerifyKey) == kSettingOn,
          store.Read(kAdvancedSection, kHistoryKey) == kSettingOn};
}

bool WriteAdvancedSettings(IniStore& store, const AdvancedSettings& settings) {
  // As with the main settings, the read-back decides: a write that reports success but does not
  // stick (or a refused one over an equal old value) is judged by what the file holds.
  store.Write(kAdvancedSection, kVerifyKey, SettingText(settings.verify));
  store.Write(kAdvancedSection, kHistoryKey, SettingText(settings.history));
  return store.Read(kAdvancedSection, kVerifyKey) == SettingText(settings.verify) &&
         store.Read(kAdvancedSection, kHistoryKey) == SettingText(settings.history);
}

}  // namespace korvan

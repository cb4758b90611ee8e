#include "config/advanced_settings.h"

namespace korvan {
namespace {

std::string_view SettingText(bool on) { return on ? kSettingOn : kSettingOff; }

struct Switch {
  std::string_view key;
  bool AdvancedSettings::*on;
  bool writtenWhenOff;  // false: an off switch that is not stored yet is not written
};

constexpr Switch kSwitches[] = {
    {kVerifyKey, &AdvancedSettings::verify, true},
    {kHistoryKey, &AdvancedSettings::history, true},
    {kDeadlineKey, &AdvancedSettings::deadline, false},
    {kWakeKey, &AdvancedSettings::wake, false},
};

}  // namespace

AdvancedSettings ReadAdvancedSettings(IniStore& store) {
  AdvancedSettings settings;
  for (const Switch& item : kSwitches)
    settings.*item.on = store.Read(kAdvancedSection, item.key) == kSettingOn;
  return settings;
}

bool WriteAdvancedSettings(IniStore& store, const AdvancedSettings& settings) {
  // As with the main settings, the read-back decides: a write that reports success but does not
  // stick (or a refused one over an equal old value) is judged by what the file holds.
  bool allStuck = true;
  for (const Switch& item : kSwitches) {
    const bool on = settings.*item.on;
    const Text stored = store.Read(kAdvancedSection, item.key);
    if (!on && !item.writtenWhenOff && stored.empty()) continue;
    store.Write(kAdvancedSection, item.key, SettingText(on));
    allStuck = store.Read(kAdvancedSection, item.key) == SettingText(on) && allStuck;
  }
  return allStuck;
}

}  // namespace korvan

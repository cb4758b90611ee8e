#include "alerts/alert_fields.h"

#include "config/advanced_settings.h"

namespace korvan {

const AlertField* AlertFieldOfKey(std::string_view key) {
  for (const AlertField& field : kAlertFields) {
    if (field.key == key) return &field;
  }
  return nullptr;
}

const AlertField& AlertFieldOfChannel(PushChannel channel) {
  for (const AlertField& field : kAlertFields) {
    if (field.channel == channel) return field;
  }
  // EachKeyAndChannelHasOneRow: never reached.
  return kAlertFields[0];
}

bool AnyAlertConfigured(const AlertSettings& settings) {
  for (const AlertField& field : kAlertFields) {
    if (field.channel && !(settings.*field.value).empty()) return true;
  }
  return false;
}

AlertSettings ReadAlertSettings(IniStore& store) {
  AlertSettings settings;
  for (const AlertField& item : kAlertFields)
    settings.*item.value = TrimBlanks(store.Read(kAdvancedSection, item.key));
  return settings;
}

bool WriteAlertSettings(IniStore& store, const AlertSettings& settings) {
  AlertSettings trimmed;
  bool allWritten = true;
  for (const AlertField& item : kAlertFields) {
    const Text& value = trimmed.*item.value = TrimBlanks(settings.*item.value);
    if (value.empty() && store.Read(kAdvancedSection, item.key).empty()) continue;
    allWritten = store.Write(kAdvancedSection, item.key, value) && allWritten;
  }
  return allWritten && ReadAlertSettings(store) == trimmed;
}

}  // namespace korvan

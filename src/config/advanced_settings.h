// The advanced settings in korvan.ini, section "高级设置": ASCII keys, "1" is on and anything else
// (a missing key included) is off. Read at the start of every run, so a change needs no restart.
#pragma once

#include <string_view>

#include "config/config_file.h"

namespace korvan {

inline constexpr std::string_view kAdvancedSection = "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3";  // 高级设置
inline constexpr std::string_view kVerifyKey = "verify";
inline constexpr std::string_view kHistoryKey = "history";
inline constexpr std::string_view kDeadlineKey = "deadline";
inline constexpr std::string_view kWakeKey = "wake";
inline constexpr std::string_view kSettingOn = "1";
inline constexpr std::string_view kSettingOff = "0";

// 高级设置已保存，下次运行起生效，无需重启
inline constexpr std::string_view kAdvancedSavedMessage =
    "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3\xD2\xD1\xB1\xA3\xB4\xE6\xA3\xAC\xCF\xC2\xB4\xCE\xD4\xCB\xD0\xD0\xC6\xF0\xC9\xFA"
    "\xD0\xA7\xA3\xAC\xCE\xDE\xD0\xE8\xD6\xD8\xC6\xF4";
// 高级设置保存失败
inline constexpr std::string_view kAdvancedSaveFailedMessage =
    "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3\xB1\xA3\xB4\xE6\xCA\xA7\xB0\xDC";

struct AdvancedSettings {
  bool verify = false;    // read the expiry again after the renewal and check it moved
  bool history = false;   // keep korvan.log and korvan-status.ini
  bool deadline = false;  // plan runs around the provider's one-day renewal window
  bool wake = false;      // wake the computer for a planned run
  friend bool operator==(const AdvancedSettings&, const AdvancedSettings&) = default;
};

AdvancedSettings ReadAdvancedSettings(IniStore& store);

// Writes verify and history ("1" or "0"), and deadline and wake when on or stored already (a file
// that never had them stays as it was), then reads them back: true only when all come back as
// written.
bool WriteAdvancedSettings(IniStore& store, const AdvancedSettings& settings);

}  // namespace korvan

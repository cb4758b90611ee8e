// The settings file "korvan.ini": its sections and keys, and loading it into the setting boxes and
// saving them back. The file itself is reached through IniStore, so this logic runs anywhere.
#pragma once

#include <functional>
#include <string_view>

#include "config/ini_store.h"
#include "config/setting_boxes.h"
#include "runtime/text/text.h"

namespace korvan {

inline constexpr std::string_view kConfigFileName = "korvan.ini";
// The lock of the runs of korvan.ini's folder: the command line's for korvan.ini is NAME.lock too.
inline constexpr std::string_view kLockFileName = "korvan.lock";

// 登录配置
inline constexpr std::string_view kLoginSection = "\xB5\xC7\xC2\xBC\xC5\xE4\xD6\xC3";
inline constexpr std::string_view kUserKey = "user";
inline constexpr std::string_view kPasswordKey = "pass";
// 监控续费时间: hours between renewal runs
inline constexpr std::string_view kRenewHoursSection = "\xBC\xE0\xBF\xD8\xD0\xF8\xB7\xD1\xCA\xB1\xBC\xE4";
// 重启软件时间: hours between restarts
inline constexpr std::string_view kRestartHoursSection = "\xD6\xD8\xC6\xF4\xC8\xED\xBC\xFE\xCA\xB1\xBC\xE4";
inline constexpr std::string_view kHoursKey = "time";

// 配置保存完毕，请重启软件生效
inline constexpr std::string_view kConfigSavedMessage =
    "\xC5\xE4\xD6\xC3\xB1\xA3\xB4\xE6\xCD\xEA\xB1\xCF\xA3\xAC\xC7\xEB\xD6\xD8\xC6\xF4\xC8\xED\xBC\xFE\xC9\xFA"
    "\xD0\xA7";
// 配置保存失败
inline constexpr std::string_view kConfigSaveFailedMessage = "\xC5\xE4\xD6\xC3\xB1\xA3\xB4\xE6\xCA\xA7\xB0\xDC";

struct ConfigItem {
  Setting setting;
  std::string_view section;
  std::string_view key;
};

// The four settings in the order they are loaded and saved.
inline constexpr ConfigItem kConfigItems[] = {
    {Setting::UserName, kLoginSection, kUserKey},
    {Setting::Password, kLoginSection, kPasswordKey},
    {Setting::RenewHours, kRenewHoursSection, kHoursKey},
    {Setting::RestartHours, kRestartHoursSection, kHoursKey},
};

using LogWriter = std::function<void(std::string_view message)>;

// False (and nothing touched) when no user name is stored: a first start. Otherwise fills the four
// boxes from the store, each fill raising that box's content-changed handler, and gives true.
bool LoadConfiguration(IniStore& store, SettingBoxes& boxes);

// Writes the four boxes, then reads the user name back: the log reports success only when it
// comes back byte for byte as the box holds it.
void SaveConfiguration(IniStore& store, SettingBoxes& boxes, const LogWriter& appendLog);

}  // namespace korvan

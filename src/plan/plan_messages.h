// What the plan says: its log entries, its push and the status lines' labels. Code page 936 bytes;
// the Chinese stands in the comment beside each.
#pragma once

#include <string_view>

namespace korvan {

// The run that made a plan: 续期窗口：<opening> 开放，<first renewal run> 续期
inline constexpr std::string_view kWindowLineStart = "\xD0\xF8\xC6\xDA\xB4\xB0\xBF\xDA\xA3\xBA";  // 续期窗口：
inline constexpr std::string_view kWindowOpensWord = " \xBF\xAA\xB7\xC5\xA3\xAC";                 // " 开放，"
inline constexpr std::string_view kRenewWord = " \xD0\xF8\xC6\xDA";                               // " 续期"

// A run inside the window that did not renew: 续期未成功，<next run> 重试
inline constexpr std::string_view kRetryLineStart = "\xD0\xF8\xC6\xDA\xCE\xB4\xB3\xC9\xB9\xA6\xA3\xAC";  // 续期未成功，
inline constexpr std::string_view kRetryWord = " \xD6\xD8\xCA\xD4";                                      // " 重试"
// The same when the provider said 续费成功！ but the verification saw the expiry stay:
// 续期未生效（到期时间未变），<next run> 重试
inline constexpr std::string_view kNotTakenLineStart =
    "\xD0\xF8\xC6\xDA\xCE\xB4\xC9\xFA\xD0\xA7\xA3\xA8\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xCE\xB4\xB1\xE4\xA3\xA9"
    "\xA3\xAC";

// 到期时间无法识别，按监控时间续期
inline constexpr std::string_view kUnreadableExpiryMessage =
    "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0\xA3\xAC\xB0\xB4\xBC\xE0\xBF\xD8\xCA\xB1\xBC\xE4"
    "\xD0\xF8\xC6\xDA";

}  // namespace korvan

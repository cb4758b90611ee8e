// The renewal job's log messages that tell how a run ended, and the markers of the provider's
// answer they come from. Code page 936 bytes; the Chinese stands in the comment beside each.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvan {

// Ends of the login entries, behind the user name.
inline constexpr std::string_view kLoginFailedEnding = " \xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC\xA3\xA1";  // " 登录失败！"
inline constexpr std::string_view kWrongPasswordEnding =
    " \xC3\xDC\xC2\xEB\xB2\xBB\xD5\xFD\xC8\xB7\xA3\xA1";  // " 密码不正确！"
inline constexpr std::string_view kNoFreeVpsMessage = "\xCE\xB4\xD5\xD2\xB5\xBD\xC3\xE2\xB7\xD1VPS";  // 未找到免费VPS

// The expiry entry: this label, then the text cut from the renewal page.
inline constexpr std::string_view kExpiryLabel = "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xA3\xBA";  // 到期时间：

// The provider's answer to the renewal form holds one of these two.
inline constexpr std::string_view kSucceededMarker = "\xB3\xC9\xB9\xA6";  // 成功
// 请在该产品到期前1日内进行积分免费续期: logged as it stands
inline constexpr std::string_view kOnlyWithinOneDayMessage =
    "\xC7\xEB\xD4\xDA\xB8\xC3\xB2\xFA\xC6\xB7\xB5\xBD\xC6\xDA\xC7\xB0"
    "1\xC8\xD5\xC4\xDA\xBD\xF8\xD0\xD0\xBB\xFD\xB7\xD6\xC3\xE2\xB7\xD1\xD0\xF8\xC6\xDA";
inline constexpr std::string_view kRenewedMessage = "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6\xA3\xA1";  // 续费成功！

// The verification's entries.
// 续费结果未知：无法识别服务商的答复
inline constexpr std::string_view kUnknownVerdictMessage =
    "\xD0\xF8\xB7\xD1\xBD\xE1\xB9\xFB\xCE\xB4\xD6\xAA\xA3\xBA\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0\xB7\xFE\xCE\xF1\xC9\xCC"
    "\xB5\xC4\xB4\xF0\xB8\xB4";
// 警告：续费后到期时间未变化，请登录面板核实
inline constexpr std::string_view kExpiryUnchangedMessage =
    "\xBE\xAF\xB8\xE6\xA3\xBA\xD0\xF8\xB7\xD1\xBA\xF3\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xCE\xB4\xB1\xE4\xBB\xAF\xA3\xAC"
    "\xC7\xEB\xB5\xC7\xC2\xBC\xC3\xE6\xB0\xE5\xBA\xCB\xCA\xB5";
// 到期时间已更新：, followed by the old expiry, the arrow and the new one
inline constexpr std::string_view kExpiryMovedLabel =
    "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xD2\xD1\xB8\xFC\xD0\xC2\xA3\xBA";
inline constexpr std::string_view kExpiryArrow = " \xA1\xFA ";  // " → "
// 未能核对到期时间：读取失败
inline constexpr std::string_view kExpiryNotComparedMessage =
    "\xCE\xB4\xC4\xDC\xBA\xCB\xB6\xD4\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xA3\xBA\xB6\xC1\xC8\xA1\xCA\xA7\xB0\xDC";

// The panel decides how long an expiry text is: whatever stands before the next "</TD>". Where
// it is kept or sent (korvan.log, standard output, korvan-status.ini, the pushes), each expiry text
// is cut after this many bytes; the log box alone shows it whole. 2 MB of it made
// korvan-status.ini too large for the Linux program to read back.
inline constexpr std::size_t kKeptExpiryBytes = 200;
// An entry's message as they carry it: each expiry text in it cut after kKeptExpiryBytes, any other
// message after this many bytes, the room of the moved expiry's entry.
inline constexpr std::size_t kKeptMessageBytes =
    kExpiryMovedLabel.size() + kKeptExpiryBytes + kExpiryArrow.size() + kKeptExpiryBytes;

// The end of a check that does not submit the renewal form: 检查完成：未提交续期
inline constexpr std::string_view kCheckDoneMessage =
    "\xBC\xEC\xB2\xE9\xCD\xEA\xB3\xC9\xA3\xBA\xCE\xB4\xCC\xE1\xBD\xBB\xD0\xF8\xC6\xDA";

// With the plan on, after " 登录失败！" for a login answer that came back but holds neither marker:
// 登录页面无法识别（面板可能已改版或要求验证码）
inline constexpr std::string_view kLoginPageUnknownMessage =
    "\xB5\xC7\xC2\xBC\xD2\xB3\xC3\xE6\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0\xA3\xA8\xC3\xE6\xB0\xE5\xBF\xC9\xC4\xDC\xD2\xD1"
    "\xB8\xC4\xB0\xE6\xBB\xF2\xD2\xAA\xC7\xF3\xD1\xE9\xD6\xA4\xC2\xEB\xA3\xA9";

}  // namespace korvan

// The 高级设置 section and the dialog's two log entries, in code page 936, for the settings tests.
#pragma once

#include "runtime/text/text.h"

namespace korvan::testing_texts {

inline const Text kSection = "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3";                        // 高级设置
inline const Text kSaved = "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3\xD2\xD1\xB1\xA3\xB4\xE6";  // 高级设置已保存
inline const Text kSaveFailed = "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3\xB1\xA3\xB4\xE6\xCA\xA7\xB0\xDC";  // 高级设置保存失败

}  // namespace korvan::testing_texts

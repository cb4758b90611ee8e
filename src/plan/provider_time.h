// The provider's times: its panel writes them in UTC+8 whatever the computer's time zone. The plan
// works on Unix seconds and shows them the way the log stamps its entries.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// The integers of a code page 936 text in order: year (four digits), month, day and up to hour,
// minute and second (missing ones are 0), separated by any other characters; full-width digits and
// colons count as ASCII ones. "2024-05-06 12:00:00", "2024/5/6 12:00" and "2024年5月6日" all read.
// A 12-hour clock's 上午/下午 or AM/PM (any case, before or after the time) moves hours 1 to 12;
// any other word after the day (凌晨, 中午, 晚上 …), or such a word with another hour, is unreadable.
// Nothing when the date or the time does not exist, a field has too many digits or there are more
// than six, or the text is longer than any date-time (so a whole page cut by mistake is refused).
std::optional<std::int64_t> ReadProviderTime(std::string_view text);

// The UTC+8 date-time as DateTimeToText writes the log's stamps: "2024年5月6日12时30分".
Text ProviderTimeText(std::int64_t unixSeconds);

}  // namespace korvan

#include "log/network_time.h"

#include <gtest/gtest.h>

#include <string>

#include "log/log_entry.h"
#include "runtime/datetime/datetime.h"

namespace korvan {
namespace {

// A clock reading that no answer below could produce.
const DateTime kClock = MakeDateTime({2001, 2, 3, 4, 5, 6});

ByteSet Answer(std::string_view text) { return ByteSet(text.begin(), text.end()); }

struct StampCase {
  const char* name;
  std::string answer;
  Text expectedStamp;  // code page 936
};

class NetworkTimeStampTest : public ::testing::TestWithParam<StampCase> {};

TEST_P(NetworkTimeStampTest, ReadsTheMillisecondCountAsUtc8) {
  const StampCase& c = GetParam();
  EXPECT_EQ(DateTimeToText(NetworkTimeFromAnswer(Answer(c.answer), kClock)), c.expectedStamp);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         NetworkTimeStampTest,
                         ::testing::Values(
                             // 2023年11月15日6时13分20秒: the milliseconds are cut off.
                             StampCase{"WithSeconds", "window.baidu_time(1700000000123);",
                                       "2023\xC4\xEA"
                                       "11\xD4\xC2"
                                       "15\xC8\xD5"
                                       "6\xCA\xB1"
                                       "13\xB7\xD6"
                                       "20\xC3\xEB"},
                             // 2023年11月15日6时14分: a whole minute shows no seconds.
                             StampCase{"WholeMinute", "window.baidu_time(1700000040000);",
                                       "2023\xC4\xEA"
                                       "11\xD4\xC2"
                                       "15\xC8\xD5"
                                       "6\xCA\xB1"
                                       "14\xB7\xD6"},
                             StampCase{"MarkerInsideScript", "/*1)*/ var x=1; window.baidu_time(1700000040000);\n",
                                       "2023\xC4\xEA"
                                       "11\xD4\xC2"
                                       "15\xC8\xD5"
                                       "6\xCA\xB1"
                                       "14\xB7\xD6"},
                             StampCase{"ExponentForm", "window.baidu_time(1.70000004e12)",
                                       "2023\xC4\xEA"
                                       "11\xD4\xC2"
                                       "15\xC8\xD5"
                                       "6\xCA\xB1"
                                       "14\xB7\xD6"},
                             // 2038年1月19日11时14分8秒: the first second past the signed 32-bit count.
                             StampCase{"PastSigned32BitSeconds", "window.baidu_time(2147483648000)",
                                       "2038\xC4\xEA"
                                       "1\xD4\xC2"
                                       "19\xC8\xD5"
                                       "11\xCA\xB1"
                                       "14\xB7\xD6"
                                       "8\xC3\xEB"},
                             // 2100年1月1日8时
                             StampCase{"Year2100", "window.baidu_time(4102444800000)",
                                       "2100\xC4\xEA"
                                       "1\xD4\xC2"
                                       "1\xC8\xD5"
                                       "8\xCA\xB1"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FallbackCase {
  const char* name;
  std::string answer;
};

class NetworkTimeFallbackTest : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(NetworkTimeFallbackTest, UsesTheClockWhenTheAnswerHasNoUsableCount) {
  EXPECT_EQ(NetworkTimeFromAnswer(Answer(GetParam().answer), kClock), kClock);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         NetworkTimeFallbackTest,
                         ::testing::Values(FallbackCase{"EmptyAnswer", ""},
                                           FallbackCase{"NoMarker", "baidu_time(1700000000123)"},
                                           FallbackCase{"MarkerInOtherCase", "Window.Baidu_Time(1700000000123)"},
                                           FallbackCase{"NoClosingBracket", "window.baidu_time(1700000000123"},
                                           FallbackCase{"EmptyCount", "window.baidu_time()"},
                                           FallbackCase{"NonNumeric", "window.baidu_time(now)"},
                                           FallbackCase{"Zero", "window.baidu_time(0)"},
                                           FallbackCase{"LessThanOneSecond", "window.baidu_time(999)"},
                                           FallbackCase{"Negative", "window.baidu_time(-1700000000123)"},
                                           FallbackCase{"BeyondYear9999", "window.baidu_time(253402300800000)"},
                                           FallbackCase{"Overflowing", "window.baidu_time(1e999)"},
                                           FallbackCase{"ZeroByteBeforeMarker",
                                                        std::string("x\0window.baidu_time(1700000000123)", 34)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NetworkTimeTest, OmittedFallbackIsEightOClockOnNewYearsDay1970) {
  // 1970年1月1日8时
  EXPECT_EQ(DateTimeToText(NetworkTimeFromAnswer(Answer("no time here"))),
            "1970\xC4\xEA"
            "1\xD4\xC2"
            "1\xC8\xD5"
            "8\xCA\xB1");
}

TEST(NetworkTimeTest, UnixSecondsReadAsUtc8) {
  EXPECT_EQ(SplitDateTime(Utc8FromUnixSeconds(0)), (DateTimeFields{1970, 1, 1, 8, 0, 0}));
  EXPECT_EQ(SplitDateTime(Utc8FromUnixSeconds(1700000000)), (DateTimeFields{2023, 11, 15, 6, 13, 20}));
  // 64-bit seconds: 2106-02-07 06:28:16 UTC is past even the unsigned 32-bit count.
  EXPECT_EQ(SplitDateTime(Utc8FromUnixSeconds(4294967296)), (DateTimeFields{2106, 2, 7, 14, 28, 16}));
}

struct EntryCase {
  const char* name;
  DateTimeFields stamp;
  Text message;
  Text expected;
};

class LogEntryTextTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(LogEntryTextTest, PutsStampAndMessageOnLinesOfTheirOwn) {
  const EntryCase& c = GetParam();
  EXPECT_EQ(LogEntryText(MakeDateTime(c.stamp), c.message), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         LogEntryTextTest,
                         ::testing::Values(
                             // 2015年5月4日12时58分6秒 / 登录成功
                             EntryCase{"Message",
                                       {2015, 5, 4, 12, 58, 6},
                                       "\xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6",
                                       "2015\xC4\xEA"
                                       "5\xD4\xC2"
                                       "4\xC8\xD5"
                                       "12\xCA\xB1"
                                       "58\xB7\xD6"
                                       "6\xC3\xEB"
                                       "\r\n\xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6\r\n"},
                             // A message ending in a line break leaves an empty line before the next stamp.
                             EntryCase{"MessageEndingInLineBreak",
                                       {2015, 5, 4, 0, 0, 0},
                                       "a\r\n",
                                       "2015\xC4\xEA"
                                       "5\xD4\xC2"
                                       "4\xC8\xD5"
                                       "\r\na\r\n\r\n"},
                             EntryCase{"EmptyMessage",
                                       {2015, 5, 4, 12, 0, 0},
                                       "",
                                       "2015\xC4\xEA"
                                       "5\xD4\xC2"
                                       "4\xC8\xD5"
                                       "12\xCA\xB1"
                                       "\r\n\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvan

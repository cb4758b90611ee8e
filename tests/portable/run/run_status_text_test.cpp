#include "run/run_status_text.h"

#include <gtest/gtest.h>

#include <string>

namespace korvan {
namespace {

const Text kNotScheduled = "\xCE\xB4\xB0\xB2\xC5\xC5";  // 未安排
const Text kUnderAMinute =
    "\xB2\xBB\xB5\xBD"
    "1\xB7\xD6\xD6\xD3\xBA\xF3";                          // 不到1分钟后
const Text kHours = "\xD0\xA1\xCA\xB1";                   // 小时
const Text kMinutesFromNow = "\xB7\xD6\xD6\xD3\xBA\xF3";  // 分钟后

struct DueCase {
  const char* name;
  std::int64_t milliseconds;
  Text text;
};

const DueCase kDueCases[] = {{"Negative", -3600000, kNotScheduled},
                             {"Zero", 0, kNotScheduled},
                             {"OneMillisecond", 1, kUnderAMinute},
                             {"JustUnderAMinute", 59999, kUnderAMinute},
                             {"OneMinute", 60000, "1" + kMinutesFromNow},
                             {"MinutesAreCut", 119999, "1" + kMinutesFromNow},
                             {"JustUnderAnHour", 3599999, "59" + kMinutesFromNow},
                             {"OneHour", 3600000, "1" + kHours + "0" + kMinutesFromNow},
                             {"ThreeHoursTwenty", 12000000, "3" + kHours + "20" + kMinutesFromNow},
                             {"TenHours", 36000000, "10" + kHours + "0" + kMinutesFromNow},
                             // 2^31 ms: beyond a 32-bit count.
                             {"BeyondThirtyTwoBits", 2147483648LL, "596" + kHours + "31" + kMinutesFromNow}};

TEST(DueTextTest, SaysHoursAndMinutesFromNow) {
  for (const DueCase& c : kDueCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DueText(c.milliseconds), c.text);
  }
}

// The labels, written out: 上次运行： 运行结果： 上次成功续费： 到期时间： 连续失败次数： 下次续费运行： 下次重启：
// 记录来源：
const Text kLastRun = "\xC9\xCF\xB4\xCE\xD4\xCB\xD0\xD0\xA3\xBA";
const Text kResult = "\xD4\xCB\xD0\xD0\xBD\xE1\xB9\xFB\xA3\xBA";
const Text kLastRenewed = "\xC9\xCF\xB4\xCE\xB3\xC9\xB9\xA6\xD0\xF8\xB7\xD1\xA3\xBA";
const Text kExpiry = "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xA3\xBA";
const Text kFailures = "\xC1\xAC\xD0\xF8\xCA\xA7\xB0\xDC\xB4\xCE\xCA\xFD\xA3\xBA";
const Text kNextRenewal = "\xCF\xC2\xB4\xCE\xD0\xF8\xB7\xD1\xD4\xCB\xD0\xD0\xA3\xBA";
const Text kNextRestart = "\xCF\xC2\xB4\xCE\xD6\xD8\xC6\xF4\xA3\xBA";
const Text kSource = "\xBC\xC7\xC2\xBC\xC0\xB4\xD4\xB4\xA3\xBA";
const Text kNothingYet = "\xC9\xD0\xCE\xDE";  // 尚无
// 本次启动以来（未开启运行记录）
const Text kThisProcess =
    "\xB1\xBE\xB4\xCE\xC6\xF4\xB6\xAF\xD2\xD4\xC0\xB4\xA3\xA8\xCE\xB4\xBF\xAA\xC6\xF4\xD4\xCB\xD0\xD0\xBC\xC7\xC2\xBC"
    "\xA3\xA9";
const Text kRenewed = "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6\xA3\xA1";  // 续费成功！
const Text kStamp =
    "2023\xC4\xEA"
    "11\xD4\xC2"
    "15\xC8\xD5";  // 2023年11月15日

struct StatusCase {
  const char* name;
  RunRecord record;
  RecordSource source;
  std::int64_t toRenewal;
  std::int64_t toRestart;
  Text text;
};

const StatusCase kStatusCases[] = {
    {"KeptRecord",
     {kStamp + "6\xCA\xB1", kRenewed, kStamp, "2024-05-06", 0},
     RecordSource::StatusFile,
     12000000,
     86340000,
     kLastRun + kStamp + "6\xCA\xB1\r\n" + kResult + kRenewed + "\r\n" + kLastRenewed + kStamp + "\r\n" + kExpiry +
         "2024-05-06\r\n" + kFailures + "0\r\n" + kNextRenewal + "3" + kHours + "20" + kMinutesFromNow + "\r\n" +
         kNextRestart + "23" + kHours + "59" + kMinutesFromNow + "\r\n" + kSource + "korvan-status.ini"},
    {"NothingYetAndTimersOff",
     {},
     RecordSource::ThisProcess,
     0,
     -1,
     kLastRun + kNothingYet + "\r\n" + kResult + kNothingYet + "\r\n" + kLastRenewed + kNothingYet + "\r\n" + kExpiry +
         kNothingYet + "\r\n" + kFailures + "0\r\n" + kNextRenewal + kNotScheduled + "\r\n" + kNextRestart +
         kNotScheduled + "\r\n" + kSource + kThisProcess},
    {"FailingRunsNeverRenewed",
     {kStamp, "demo x", "", "", 7},
     RecordSource::ThisProcess,
     30000,
     60000,
     kLastRun + kStamp + "\r\n" + kResult + "demo x\r\n" + kLastRenewed + kNothingYet + "\r\n" + kExpiry + kNothingYet +
         "\r\n" + kFailures + "7\r\n" + kNextRenewal + kUnderAMinute + "\r\n" + kNextRestart + "1" + kMinutesFromNow +
         "\r\n" + kSource + kThisProcess}};

TEST(RunStatusTextTest, ListsTheRecordAndTheTimers) {
  for (const StatusCase& c : kStatusCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunStatusText(c.record, c.source, c.toRenewal, c.toRestart), c.text);
  }
}

// "未安排" says why, and only for the timer that is not armed.
TEST(RunStatusTextTest, SaysWhyATimerIsNotArmed) {
  const Text negative =
      "\xA3\xA8\xC8\xED\xBC\xFE\xD6\xD8\xC6\xF4\xCE\xAA\xB8\xBA\xCA\xFD\xA3\xAC\xB2\xBB\xD7"
      "\xD4\xB6\xAF\xD6\xD8\xC6\xF4\xA3\xA9";  // （软件重启为负数，不自动重启）
  const Text notSaved = "\xA3\xA8\xC9\xD0\xCE\xB4\xB1\xA3\xB4\xE6\xC5\xE4\xD6\xC3\xA3\xA9";  // （尚未保存配置）
  EXPECT_EQ(UnscheduledReason(-3, true, true), negative);
  EXPECT_EQ(UnscheduledReason(0, false, false), notSaved);
  EXPECT_NE(UnscheduledReason(0, true, false), notSaved);
  const Text text = RunStatusText({}, RecordSource::ThisProcess, 60000, 0, notSaved, negative);
  EXPECT_NE(text.find(kNextRenewal + "1" + kMinutesFromNow + "\r\n"), Text::npos);
  EXPECT_NE(text.find(kNextRestart + kNotScheduled + negative + "\r\n"), Text::npos);
}

}  // namespace
}  // namespace korvan

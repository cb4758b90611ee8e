// The longest a `korvan tick` can take, from the bounds its exchanges are given: every server it asks
// answers so slowly that each exchange runs to its end. The service's TimeoutStartSec lies above it
// (tests/cli/run_bound_test.cpp), so systemd never stops a run that is only meeting silence.
#pragma once

#include <algorithm>
#include <iterator>

#include "alerts/push_sender.h"
#include "alerts/alert_fields.h"
#include "http/read_url.h"
#include "http/request_decisions.h"
#include "run/tick_decision.h"

namespace korvan {

// Each exchange is given up after its whole bound: the panel's requests keep the default time-out.
inline constexpr int kPanelRequestSeconds = ExchangeWaitSeconds(kDefaultTimeoutSeconds);
inline constexpr int kPushSeconds = ExchangeWaitSeconds(kPushTimeoutSeconds);
inline constexpr int kTimePageSeconds = kReadUrlWaitSeconds;

// Login, VPS list, renewal page, renewal form and, with verify, the renewal page again.
inline constexpr int kMostPanelRequests = 5;

// Every alert field with a channel but the heartbeat's is a channel a push goes to.
inline constexpr int kPushChannels =
    static_cast<int>(std::count_if(std::begin(kAlertFields), std::end(kAlertFields), [](const AlertField& field) {
      return field.channel && *field.channel != PushChannel::Heartbeat;
    }));
// A run pushes twice at most, "即将到期" and at its end, and the heartbeat pings at its start and end.
inline constexpr int kPushRounds = 2;
inline constexpr int kMostPushes = kPushRounds * kPushChannels + 2;

// Each entry's stamp is a time-page read. The renewal logs 登录成功, 到期时间, the verdict or
// 续费结果未知, and the verification's entry; the plan one entry; each push but the start ping
// one "推送失败" when it fails.
inline constexpr int kMostRenewalEntries = 4;
inline constexpr int kMostPlanEntries = 1;
inline constexpr int kMostEntries = kMostRenewalEntries + kMostPlanEntries + kMostPushes - 1;
// The time page is read besides for the plan's clock, to sign each round of DingTalk pushes, and by
// the tick before it decides on a planned run with a stale reading.
inline constexpr int kMostTimePageReads = kMostEntries + 1 + kPushRounds + 1;

inline constexpr int kLongestRunSeconds =
    kMostPanelRequests * kPanelRequestSeconds + kMostPushes * kPushSeconds + kMostTimePageReads * kTimePageSeconds;
inline constexpr int kLongestTickSeconds = kLongestPlannedRunWaitSeconds + kLongestRunSeconds;

}  // namespace korvan

#include "app/monitor_schedule.h"

#include "app/form.h"
#include "app/form_controls.h"
#include "app/timer_period.h"
#include "renewal/panel_state.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

constexpr char kRunningFilled[] = "\xBC\xE0\xBF\xD8\xD4\xCB\xD0\xD0\xD6\xD0 \xA1\xF1";  // 监控运行中 ●
constexpr char kRunningHollow[] = "\xBC\xE0\xBF\xD8\xD4\xCB\xD0\xD0\xD6\xD0 \xA1\xF0";  // 监控运行中 ○
constexpr char kPaused[] = "\xBC\xE0\xBF\xD8\xD4\xDD\xCD\xA3\xD6\xD0 \xA1\xF1";         // 监控暂停中 ●
// 监控异常中，请重启 ●
constexpr char kAbnormal[] = "\xBC\xE0\xBF\xD8\xD2\xEC\xB3\xA3\xD6\xD0\xA3\xAC\xC7\xEB\xD6\xD8\xC6\xF4 \xA1\xF1";

// The longest period whose milliseconds fit the timer's signed 32-bit interval. Longer ones would
// wrap: 597..1193 hours would stop the timer and larger values would renew within minutes.
constexpr std::int32_t kLongestPeriodHours = 596;

void ApplyPeriod(EditBox& box, Timer& timer) {
  const std::int32_t hours = ToInteger(box.Content());
  // Each repair writes the box, whose handler then arms the timer with the repaired value.
  if (hours == 0) {
    box.SetContent("1");
    return;
  }
  if (hours > kLongestPeriodHours) {
    box.SetContent("596");
    return;
  }
  timer.SetInterval(PeriodInterval(hours));
}

bool Paused(const FormControls& form) {
  return form.renewTimer->Interval() == 0 || form.restartTimer->Interval() == 0 ||
         form.userBox->Content().empty() || form.passwordBox->Content().empty() ||
         form.restartHoursBox->Content().empty() || form.renewHoursBox->Content().empty();
}

}  // namespace

std::int32_t PeriodInterval(std::int32_t hours) {
  if (hours < 0) return 0;
  return HoursToMilliseconds(hours > kLongestPeriodHours ? kLongestPeriodHours : hours);
}

std::int32_t& blinkStep() {
  static std::int32_t step = 0;
  return step;
}

void OnRenewHoursChanged() {
  auto& form = MainFormControls();
  ApplyPeriod(*form.renewHoursBox, *form.renewTimer);
}

void OnRestartHoursChanged() {
  auto& form = MainFormControls();
  ApplyPeriod(*form.restartHoursBox, *form.restartTimer);
}

void ArmPeriodTimers() {
  auto& form = MainFormControls();
  form.renewTimer->SetInterval(PeriodInterval(ToInteger(form.renewHoursBox->Content())));
  form.restartTimer->SetInterval(PeriodInterval(ToInteger(form.restartHoursBox->Content())));
}

void OnStatusTick() {
  auto& form = MainFormControls();
  std::int32_t& step = blinkStep();
  step += 1;
  switch (step) {
    case 1:
    case 3:
      form.statusLabel->SetCaption(kRunningFilled);
      break;
    case 2:
      form.statusLabel->SetCaption(kRunningHollow);
      break;
    case 4:
      form.statusLabel->SetCaption(kRunningHollow);
      form.noticeView->SetAddress(NoticePageAddress());
      step = 0;
      break;
    default:
      break;
  }
  if (Paused(form)) {
    form.statusLabel->SetCaption(kPaused);
    return;
  }
  if (!loginOk().load()) form.statusLabel->SetCaption(kAbnormal);
}

}  // namespace korvan

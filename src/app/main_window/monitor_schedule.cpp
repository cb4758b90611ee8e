#include "app/main_window/monitor_schedule.h"

#include "app/form/form.h"
#include "app/form/form_controls.h"
#include "app/form/status_caption.h"
#include "renewal/panel_state.h"
#include "run/renewal_period.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

constexpr char kPaused[] = "\xBC\xE0\xBF\xD8\xD4\xDD\xCD\xA3\xD6\xD0 \xA1\xF1";  // 监控暂停中 ●
// 监控异常中，请重启 ●
constexpr char kAbnormal[] = "\xBC\xE0\xBF\xD8\xD2\xEC\xB3\xA3\xD6\xD0\xA3\xAC\xC7\xEB\xD6\xD8\xC6\xF4 \xA1\xF1";

void ApplyPeriod(EditBox& box, Timer& timer) {
  const std::int32_t hours = ToInteger(box.Content());
  // Each repair writes the box, whose handler then arms the timer with the repaired value.
  const std::optional<std::int32_t> taken = ClampedPeriodHours(hours);
  if (taken && *taken != hours) {
    box.SetContent(ToText(*taken));
    return;
  }
  timer.SetInterval(PeriodInterval(hours));
}

bool Paused(const FormControls& form) {
  const auto empty = [&form](FormControl box) { return form.Get<EditBox>(box).Content().empty(); };
  return form.Get<Timer>(FormControl::RenewTimer).Interval() == 0 ||
         form.Get<Timer>(FormControl::RestartTimer).Interval() == 0 || empty(FormControl::UserBox) ||
         empty(FormControl::PasswordBox) || empty(FormControl::RestartHoursBox) || empty(FormControl::RenewHoursBox);
}

}  // namespace

std::int32_t& blinkStep() {
  static std::int32_t step = 0;
  return step;
}

void OnRenewHoursChanged() {
  const FormControls& form = MainFormControls();
  ApplyPeriod(form.Get<EditBox>(FormControl::RenewHoursBox), form.Get<Timer>(FormControl::RenewTimer));
}

void OnRestartHoursChanged() {
  const FormControls& form = MainFormControls();
  ApplyPeriod(form.Get<EditBox>(FormControl::RestartHoursBox), form.Get<Timer>(FormControl::RestartTimer));
}

void ArmPeriodTimers() {
  const FormControls& form = MainFormControls();
  const auto hours = [&form](FormControl box) { return ToInteger(form.Get<EditBox>(box).Content()); };
  form.Get<Timer>(FormControl::RenewTimer).SetInterval(PeriodInterval(hours(FormControl::RenewHoursBox)));
  form.Get<Timer>(FormControl::RestartTimer).SetInterval(PeriodInterval(hours(FormControl::RestartHoursBox)));
}

void OnStatusTick() {
  const FormControls& form = MainFormControls();
  Label& status = form.Get<Label>(FormControl::StatusLabel);
  std::int32_t& step = blinkStep();
  step += 1;
  switch (step) {
    case 1:
    case 3: status.SetCaption(RunningCaption(shownStanding(), true)); break;
    case 2: status.SetCaption(RunningCaption(shownStanding(), false)); break;
    case 4:
      status.SetCaption(RunningCaption(shownStanding(), false));
      form.Get<HtmlView>(FormControl::NoticeView).SetAddress(NoticePageAddress());
      step = 0;
      break;
    default: break;
  }
  if (Paused(form)) {
    status.SetCaption(kPaused);
    return;
  }
  if (!loginOk().load()) status.SetCaption(kAbnormal);
}

}  // namespace korvan

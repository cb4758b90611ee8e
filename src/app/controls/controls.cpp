#include "app/controls/controls.h"

namespace korvan {

void EditBox::SetContent(std::string_view text) {
  writing_ = true;
  platform_->WriteText(text);
  writing_ = false;
  // Raised after the flag is down: a handler that writes the box again (a period box repairing
  // "0" to "1") gets its own event.
  if (changed_) changed_();
}

void EditBox::Append(std::string_view text) {
  writing_ = true;
  platform_->AppendText(text);
  writing_ = false;
}

void EditBox::ControlChanged() {
  if (writing_) return;
  if (changed_) changed_();
}

void Timer::SetInterval(std::int32_t milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  platform_->Stop();
  if (interval_ > 0) {
    platform_->Start(static_cast<std::uint32_t>(interval_));
    armedAt_ = platform_->Now();
  }
}

// A periodic timer's ticks fall on whole periods after arming, also when a late or missed tick
// shifted nothing of the countdown.
std::int64_t Timer::MillisecondsToNextTick() const {
  if (interval_ <= 0) return 0;
  const std::int64_t elapsed = platform_->Now() - armedAt_;
  if (elapsed < 0) return interval_;
  return interval_ - elapsed % interval_;
}

void Timer::ControlTicked() {
  if (interval_ <= 0) return;
  if (tick_) tick_();
}

void HtmlView::SetAddress(std::string_view address) {
  address_ = Text(address);
  platform_->Navigate(address_);
}

}  // namespace korvan

#include "app/controls.h"

namespace korvan {

void EditBox::SetContent(std::string_view text) {
  writing_ = true;
  control_.WriteText(text);
  writing_ = false;
  // Raised after the flag is down: a handler that writes the box again (a period box repairing
  // "0" to "1") gets its own event.
  if (changed_) changed_();
}

void EditBox::Append(std::string_view text) {
  writing_ = true;
  control_.AppendText(text);
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
  control_.Stop();
  if (interval_ > 0) control_.Start(static_cast<std::uint32_t>(interval_));
}

void Timer::ControlTicked() {
  if (interval_ <= 0) return;
  if (tick_) tick_();
}

void HtmlView::SetAddress(std::string_view address) {
  address_ = Text(address);
  control_.Navigate(address_);
}

}  // namespace korvan

// Fakes of the platform sides of the control layer, with a fake clock that delivers timer ticks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/controls/controls.h"

namespace korvan::testing {

// A control of the given kind that owns a new fake platform side, which the test drives.
template <typename Kind, typename Fake>
class Faked final : public Kind {
 public:
  template <typename... Arguments>
  explicit Faked(Arguments&&... arguments) : Kind(std::make_unique<Fake>(std::forward<Arguments>(arguments)...)) {}
  Fake& FakePlatform() const { return static_cast<Fake&>(this->Platform()); }
};

// Echoes every write as a change of its own when echoesWrites is set, as a single-line EDIT does
// under Wine; a multi-line EDIT never does.
class FakeEditBoxPlatform : public EditBoxPlatform {
 public:
  explicit FakeEditBoxPlatform(bool echoesWrites) : echoesWrites_(echoesWrites) {}
  void Attach(EditBox& box) { box_ = &box; }

  Text ReadText() const override { return text_; }
  void WriteText(std::string_view text) override {
    text_ = Text(text);
    if (echoesWrites_ && box_) box_->ControlChanged();
  }
  // The user types: the text changes and the control reports it.
  void Type(std::string_view text) {
    text_ = Text(text);
    if (box_) box_->ControlChanged();
  }

 private:
  bool echoesWrites_;
  EditBox* box_ = nullptr;
  Text text_;
};

class FakeClock {
 public:
  std::int64_t now = 0;
};

class FakeTimerPlatform : public TimerPlatform {
 public:
  explicit FakeTimerPlatform(FakeClock& clock) : clock_(clock) {}
  void Attach(Timer& timer) { timer_ = &timer; }

  void Start(std::uint32_t milliseconds) override {
    period_ = milliseconds;
    due_ = clock_.now + milliseconds;
    ++starts;
  }
  void Stop() override { period_ = 0; }
  std::int64_t Now() const override { return clock_.now; }
  bool Running() const { return period_ > 0; }
  std::int64_t Due() const { return due_; }

  // Moves the clock on, delivering each tick that falls due on the way.
  void Advance(std::int64_t milliseconds) {
    const std::int64_t end = clock_.now + milliseconds;
    while (period_ > 0 && due_ <= end) {
      clock_.now = due_;
      due_ += period_;
      if (timer_) timer_->ControlTicked();
    }
    clock_.now = end;
  }

  int starts = 0;

 private:
  FakeClock& clock_;
  Timer* timer_ = nullptr;
  std::int64_t period_ = 0;
  std::int64_t due_ = 0;
};

class FakeLabelPlatform : public LabelPlatform {
 public:
  Text ReadCaption() const override { return caption; }
  void WriteCaption(std::string_view text) override { caption = Text(text); }
  Text caption;
};

class FakeHtmlViewPlatform : public HtmlViewPlatform {
 public:
  void Navigate(std::string_view address) override { navigations.emplace_back(address); }
  std::vector<std::string> navigations;
};

}  // namespace korvan::testing

// The control behaviour the handlers rely on, kept apart from the platform so that it holds the
// same on Windows, under Wine and in the native tests. Each control owns its platform side (the
// *Platform interfaces), which a window or a test fake supplies.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>

#include "runtime/text/text.h"

namespace korvan {

// What every control of the form is, so that one table can own them all.
class Control {
 public:
  Control() = default;
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
};

// The platform side of an edit box. WriteText may or may not report a change of its own
// (a single-line EDIT under Wine reports one on every write, a multi-line one never does).
class EditBoxPlatform {
 public:
  virtual ~EditBoxPlatform() = default;
  virtual Text ReadText() const = 0;
  virtual void WriteText(std::string_view text) = 0;
  // Adds the text at the end and brings it into view.
  virtual void AppendText(std::string_view text) { WriteText(JoinTexts(ReadText(), text)); }
};

// An edit box whose programmatic writes raise content-changed exactly once, synchronously, after
// the text is in place, also when the text is unchanged; typing raises it on every change.
class EditBox : public Control {
 public:
  explicit EditBox(std::unique_ptr<EditBoxPlatform> platform) : platform_(std::move(platform)) {}
  EditBoxPlatform& Platform() const { return *platform_; }

  Text Content() const { return platform_->ReadText(); }
  void SetContent(std::string_view text);
  // Adds to the end without a content-changed event: only the log box is appended to, and it has
  // no handler.
  void Append(std::string_view text);
  void SetChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }

  // The platform reports that the text changed. The control's own echo of a write from the program
  // is swallowed here; SetContent raises the one event itself.
  void ControlChanged();

 private:
  std::unique_ptr<EditBoxPlatform> platform_;
  std::function<void()> changed_;
  bool writing_ = false;
};

// The platform side of a window timer: a periodic countdown that can be (re)started or stopped,
// and the clock it counts on.
class TimerPlatform {
 public:
  virtual ~TimerPlatform() = default;
  // Starts the countdown anew with this period (above 0), replacing a running one.
  virtual void Start(std::uint32_t milliseconds) = 0;
  virtual void Stop() = 0;
  // A monotonic clock in milliseconds; only differences of its readings count.
  virtual std::int64_t Now() const = 0;
};

// A timer with a signed 32-bit interval: a negative value stores 0; the value it already has changes
// nothing (a running countdown goes on); any other value stops it and, above 0, starts it again
// counted from this moment.
class Timer : public Control {
 public:
  explicit Timer(std::unique_ptr<TimerPlatform> platform) : platform_(std::move(platform)) {}
  TimerPlatform& Platform() const { return *platform_; }

  std::int32_t Interval() const { return interval_; }
  void SetInterval(std::int32_t milliseconds);
  // Milliseconds until the next tick is due, counted from the moment the countdown was armed; 0
  // when the timer is not armed.
  std::int64_t MillisecondsToNextTick() const;
  void SetTickHandler(std::function<void()> handler) { tick_ = std::move(handler); }

  // The platform reports one tick. A tick that was already queued when the timer stopped is dropped.
  void ControlTicked();

 private:
  std::unique_ptr<TimerPlatform> platform_;
  std::function<void()> tick_;
  std::int32_t interval_ = 0;
  std::int64_t armedAt_ = 0;
};

class LabelPlatform {
 public:
  virtual ~LabelPlatform() = default;
  virtual Text ReadCaption() const = 0;
  virtual void WriteCaption(std::string_view caption) = 0;
};

// A label or transparent label: its caption is shown unchanged.
class Label : public Control {
 public:
  explicit Label(std::unique_ptr<LabelPlatform> platform) : platform_(std::move(platform)) {}
  LabelPlatform& Platform() const { return *platform_; }

  Text Caption() const { return platform_->ReadCaption(); }
  void SetCaption(std::string_view caption) { platform_->WriteCaption(caption); }

 private:
  std::unique_ptr<LabelPlatform> platform_;
};

class HtmlViewPlatform {
 public:
  virtual ~HtmlViewPlatform() = default;
  virtual void Navigate(std::string_view address) = 0;
};

// An HTML viewer: writing the address always navigates, also to the address it already shows.
class HtmlView : public Control {
 public:
  explicit HtmlView(std::unique_ptr<HtmlViewPlatform> platform) : platform_(std::move(platform)) {}
  HtmlViewPlatform& Platform() const { return *platform_; }

  const Text& Address() const { return address_; }
  void SetAddress(std::string_view address);
  void SetReadyHandler(std::function<void()> handler) { ready_ = std::move(handler); }

  // The platform reports that the viewer has finished a document.
  void ControlReady() {
    if (ready_) ready_();
  }

 private:
  std::unique_ptr<HtmlViewPlatform> platform_;
  std::function<void()> ready_;
  Text address_;
};

// A push button: its caption is fixed by the form, only the click matters.
class Button : public Control {
 public:
  void SetClickedHandler(std::function<void()> handler) { clicked_ = std::move(handler); }
  // The platform reports a click.
  void ControlClicked() {
    if (clicked_) clicked_();
  }

 private:
  std::function<void()> clicked_;
};

// A hyperlink: a clickable caption with the address it leads to.
class Hyperlink final : public Button {
 public:
  explicit Hyperlink(Text target) : target_(std::move(target)) {}
  const Text& Target() const { return target_; }

 private:
  Text target_;
};

}  // namespace korvan

#include "app/form/form_controls.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "portable/fake_controls.h"

namespace korvan {
namespace {

using testing::FakeClock;
using testing::Faked;
using testing::FakeEditBoxPlatform;
using testing::FakeHtmlViewPlatform;
using testing::FakeLabelPlatform;
using testing::FakeTimerPlatform;

int handlerRuns = 0;
void CountingHandler() { ++handlerRuns; }

// One control of each kind, under the form entries of that kind.
class BoundForm : public ::testing::Test {
 protected:
  BoundForm() {
    auto box = std::make_unique<Faked<EditBox, FakeEditBoxPlatform>>(false);
    auto timer = std::make_unique<Faked<Timer, FakeTimerPlatform>>(clock);
    timerFace = &timer->FakePlatform();
    timerFace->Attach(*timer);
    controls.Add(FormControl::RenewHoursBox, std::move(box));
    controls.Add(FormControl::RenewTimer, std::move(timer));
    controls.Add(FormControl::StatusLabel, std::make_unique<Faked<Label, FakeLabelPlatform>>());
    controls.Add(FormControl::SiteView, std::make_unique<Faked<HtmlView, FakeHtmlViewPlatform>>());
    controls.Add(FormControl::SaveButton, std::make_unique<Button>());
    controls.Add(FormControl::SignupLink, std::make_unique<Hyperlink>("http://127.0.0.1/free"));
    handlerRuns = 0;
  }

  FakeClock clock;
  FakeTimerPlatform* timerFace = nullptr;
  FormControls controls;
};

TEST_F(BoundForm, EachEventReachesItsHandlerThroughTheTable) {
  struct Case {
    std::string name;
    FormControl control;
    ControlEvent event;
    std::function<void(FormControls&)> raise;
  };
  const Case cases[] = {
      {"save button clicked", FormControl::SaveButton, ControlEvent::Clicked,
       [](FormControls& form) { form.Get<Button>(FormControl::SaveButton).ControlClicked(); }},
      {"link clicked", FormControl::SignupLink, ControlEvent::Clicked,
       [](FormControls& form) { form.Get<Hyperlink>(FormControl::SignupLink).ControlClicked(); }},
      {"box typed into", FormControl::RenewHoursBox, ControlEvent::ContentChanged,
       [](FormControls& form) { form.Get<EditBox>(FormControl::RenewHoursBox).ControlChanged(); }},
      {"box set by the program", FormControl::RenewHoursBox, ControlEvent::ContentChanged,
       [](FormControls& form) { form.Get<EditBox>(FormControl::RenewHoursBox).SetContent("3"); }},
      {"timer ticked", FormControl::RenewTimer, ControlEvent::Tick,
       [this](FormControls& form) {
         form.Get<Timer>(FormControl::RenewTimer).SetInterval(1000);
         timerFace->Advance(1000);
       }},
      {"site view ready", FormControl::SiteView, ControlEvent::Ready,
       [](FormControls& form) { form.Get<HtmlView>(FormControl::SiteView).ControlReady(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EventBinding binding[] = {{c.control, c.event, CountingHandler}};
    ASSERT_TRUE(BindEvents(controls, binding));
    handlerRuns = 0;
    c.raise(controls);
    EXPECT_EQ(handlerRuns, 1);
  }
}

TEST_F(BoundForm, ARowForAMissingControlOrAKindWithoutThatEventIsRefused) {
  struct Case {
    std::string name;
    FormControl control;
    ControlEvent event;
  };
  const Case cases[] = {
      {"label has no click", FormControl::StatusLabel, ControlEvent::Clicked},
      {"button has no content", FormControl::SaveButton, ControlEvent::ContentChanged},
      {"box does not tick", FormControl::RenewHoursBox, ControlEvent::Tick},
      {"timer is never ready", FormControl::RenewTimer, ControlEvent::Ready},
      {"no control at that entry", FormControl::PasswordBox, ControlEvent::ContentChanged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EventBinding binding[] = {{c.control, c.event, CountingHandler}};
    EXPECT_FALSE(BindEvents(controls, binding));
  }
}

TEST_F(BoundForm, ControlsAreFoundOnlyAsTheirOwnKind) {
  EXPECT_NE(controls.Find<Button>(FormControl::SignupLink), nullptr);  // a hyperlink is clickable
  EXPECT_EQ(controls.Find<Hyperlink>(FormControl::SaveButton), nullptr);
  EXPECT_EQ(controls.Find<EditBox>(FormControl::StatusLabel), nullptr);
  EXPECT_EQ(controls.Get<Hyperlink>(FormControl::SignupLink).Target(), "http://127.0.0.1/free");
  controls.Clear();
  EXPECT_EQ(controls.Find<Button>(FormControl::SaveButton), nullptr);
}

// Appending goes to the end and raises no content-changed event, even from a control that echoes.
TEST(EditBoxAppend, AddsAtTheEndWithoutAnEvent) {
  Faked<EditBox, FakeEditBoxPlatform> box(true);
  FakeEditBoxPlatform& face = box.FakePlatform();
  face.Attach(box);
  int changes = 0;
  box.SetChangedHandler([&] { ++changes; });
  box.SetContent("first\r\n");
  changes = 0;
  box.Append("second\r\n");
  EXPECT_EQ(box.Content(), "first\r\nsecond\r\n");
  EXPECT_EQ(changes, 0);
}

}  // namespace
}  // namespace korvan

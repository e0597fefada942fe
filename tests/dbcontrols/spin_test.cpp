// The spin button: layout of its two arrows, and auto-repeat counted on the
// driver's virtual clock (a step at the press, the next after 400 ms, then
// one every 100 ms while held; none while the mouse is off the arrow; none
// after the release; a failing step stops the repeats).
#include "dbcontrols/edit/wwspin.h"
#include "platform/ui/messages.h"
#include "platform/ui/testdriver.h"

#include <gtest/gtest.h>

namespace {

class SpinButton : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(120, 80);
    spin = new TwwSpinButton(form);
    spin->SetParent(form);
    spin->SetBounds(10, 10, 20, 40);
    spin->OnUpClick = [this](TObject* s) {
      EXPECT_EQ(s, spin);
      ++ups;
      if (failAt && ups == failAt) throw Exception("step failed");
    };
    spin->OnDownClick = [this](TObject*) { ++downs; };
    form->Show();
    driver.Process();
  }
  void TearDown() override { form->Free(); }

  TUiTestDriver driver;
  TForm* form = nullptr;
  TwwSpinButton* spin = nullptr;
  int ups = 0, downs = 0, failAt = 0;
};

TEST_F(SpinButton, TheArrowsShareTheHeightAndTheButtonIsAtLeastFifteenWide) {
  EXPECT_EQ(spin->UpButton()->BoundsRect(), (TRect{0, 0, 20, 20}));
  EXPECT_EQ(spin->DownButton()->BoundsRect(), (TRect{0, 19, 20, 40})) << "one pixel of overlap";
  spin->SetBounds(10, 10, 9, 25);
  EXPECT_EQ(spin->Width(), 15);
  EXPECT_EQ(spin->UpButton()->Height(), 12);
  EXPECT_EQ(spin->DownButton()->Top(), 11);
  EXPECT_EQ(spin->DownButton()->Height(), 14);
  EXPECT_EQ(spin->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  TwwSpinButton fresh(nullptr);
  EXPECT_EQ(fresh.Width(), 20);
  EXPECT_EQ(fresh.Height(), 25);
  EXPECT_FALSE(fresh.UpGlyph()->Empty());
  EXPECT_TRUE(fresh.UpButton()->ButtonFlags() & AutoRepeat);
}

TEST_F(SpinButton, AHeldArrowStepsAtThePressAfter400msAndThenEvery100ms) {
  TwwTimerSpeedButton* up = spin->UpButton();
  driver.MouseDown(up, 5, 5);
  EXPECT_EQ(ups, 1) << "the press steps at once";
  driver.Advance(390);
  EXPECT_EQ(ups, 1);
  driver.Advance(10);
  EXPECT_EQ(ups, 2) << "first repeat after 400 ms";
  driver.Advance(90);
  EXPECT_EQ(ups, 2);
  driver.Advance(10);
  EXPECT_EQ(ups, 3);
  driver.Advance(1000);
  EXPECT_EQ(ups, 13) << "then every 100 ms";
  driver.MouseUp(up, 5, 5);
  EXPECT_EQ(ups, 13) << "the release adds no step";
  driver.Advance(1000);
  EXPECT_EQ(ups, 13);
  EXPECT_FALSE(up->RepeatTimer()->Enabled());
  EXPECT_EQ(downs, 0);

  // A second press starts over with the long first pause.
  driver.MouseDown(spin->DownButton(), 5, 5);
  driver.Advance(300);
  driver.MouseUp(spin->DownButton(), 5, 5);
  EXPECT_EQ(downs, 1);
  driver.MouseDown(spin->DownButton(), 5, 5);
  driver.Advance(450);
  driver.MouseUp(spin->DownButton(), 5, 5);
  EXPECT_EQ(downs, 3);
  EXPECT_EQ(ups, 13);
}

TEST_F(SpinButton, RepeatsPauseWhileTheMouseIsOffTheArrow) {
  TwwTimerSpeedButton* up = spin->UpButton();
  driver.MouseDown(up, 5, 5);
  driver.Advance(400);
  ASSERT_EQ(ups, 2);
  driver.MouseMove(up, 60, 5);
  driver.Advance(500);
  EXPECT_EQ(ups, 2);
  driver.MouseMove(up, 5, 5);
  driver.Advance(200);
  EXPECT_EQ(ups, 4);
  driver.MouseUp(up, 5, 5);
}

TEST_F(SpinButton, AStepThatFailsStopsTheRepeats) {
  failAt = 3;
  TwwTimerSpeedButton* up = spin->UpButton();
  driver.MouseDown(up, 5, 5);
  driver.Advance(500);  // the step at 500 ms fails
  EXPECT_EQ(ups, 3);
  EXPECT_FALSE(up->RepeatTimer()->Enabled());
  driver.Advance(500);
  EXPECT_EQ(ups, 3);
  driver.MouseUp(up, 5, 5);
}

}  // namespace

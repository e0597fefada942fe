// The caret of an edit window: created with the window's focus and the
// stored size, moved and resized while shown, destroyed when hidden or
// disabled; and driven by the engine's caret callbacks the way the edit
// control installs them, so that the system caret stands where the engine
// says the insertion point is.
#include <gtest/gtest.h>

#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"
#include "richtext/view/caret.h"
#include "tests/richtext_view/input_helpers.h"

using namespace rtinput_test;

namespace {

class TTestWindow : public TCustomControl {
public:
  explicit TTestWindow(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }
};

struct Window {
  TUiTestDriver driver;
  TForm* form = new TForm(Application);
  TTestWindow* control = new TTestWindow(form);
  TTestWindow* other = new TTestWindow(form);
  Window() {
    form->SetClientSize(300, 200);
    control->SetParent(form);
    control->SetBounds(10, 10, 200, 120);
    other->SetParent(form);
    other->SetBounds(10, 140, 50, 20);
    form->Show();
    driver.Process();
  }
  ~Window() { delete form; }
};

}  // namespace

TEST(Caret, CreatedWithTheFocusPlacedResizedAndDestroyed) {
  Window w;
  TCaret caret(w.control);
  EXPECT_EQ(caret.Width(), 3);
  EXPECT_EQ(caret.Height(), 16);
  caret.SetAttached(true);
  // Without the focus nothing appears.
  w.other->SetFocus();
  caret.Show(1);
  EXPECT_EQ(CaretState().Owner, 0u);
  w.control->SetFocus();
  caret.SetBounds(20, 30, 1, 14);
  caret.Show(1);
  ASSERT_EQ(CaretState().Owner, w.control->Handle());
  EXPECT_TRUE(CaretVisible());
  EXPECT_TRUE(caret.Shown());
  EXPECT_EQ(CaretState().X, 20);
  EXPECT_EQ(CaretState().Y, 30);
  EXPECT_EQ(CaretState().Width, 1);
  EXPECT_EQ(CaretState().Height, 14);
  // Moved while shown.
  caret.SetBounds(40, 50, 1, 14);
  EXPECT_EQ(CaretState().X, 40);
  EXPECT_EQ(CaretState().Y, 50);
  // A new size while shown: at least 4 high, shown again at its place.
  caret.SetBounds(45, 55, 1, 2);
  EXPECT_EQ(CaretState().Height, 4);
  EXPECT_EQ(CaretState().X, 45);
  EXPECT_TRUE(CaretVisible());
  caret.SetWidth(6);
  EXPECT_EQ(CaretState().Width, 6);
  EXPECT_TRUE(CaretVisible());
  // Hidden: destroyed.
  caret.Show(0);
  EXPECT_EQ(CaretState().Owner, 0u);
  EXPECT_FALSE(caret.Created());
  // Disabled: not created again.
  caret.SetDisabled(true);
  caret.Show(1);
  EXPECT_EQ(CaretState().Owner, 0u);
  caret.SetDisabled(false);
  caret.Show(1);
  EXPECT_EQ(CaretState().Owner, w.control->Handle());
  // Another window's caret is left alone.
  {
    TCaret second(w.other);
    second.SetAttached(true);
    second.Show(0);
  }
  EXPECT_EQ(CaretState().Owner, w.control->Handle());
}

TEST(Caret, TheEngineCallbacksPutTheSystemCaretAtTheInsertionPoint) {
  Window w;
  TCaret caret(w.control);
  caret.SetAttached(true);
  w.control->SetFocus();
  Editor e(200, 120);
  // As the edit control installs them.
  e.t.OnPlaceCaret = [&] {
    const TRect r = e.t.CaretPlacement(w.control->ClientWidth(), w.control->ClientHeight());
    caret.SetBounds(r.Left, r.Top, r.Width(), r.Height());
  };
  e.t.OnShowCaret = [&] { caret.Show(1); };
  e.t.OnHideCaret = [&] { caret.Show(0); };
  e.Load("abc\rdef");
  e.Type("xy");
  ASSERT_EQ(CaretState().Owner, w.control->Handle());
  EXPECT_TRUE(CaretVisible());
  // Behind "xy": characters are 10 pixels from x 1; the caret stands on
  // the baseline of the first line.
  EXPECT_EQ(CaretState().X, 21);
  EXPECT_EQ(CaretState().Y, e.t.FirstPar->line->Ascent - CaretState().Height);
  e.t.CursorDown();
  EXPECT_EQ(CaretState().Y, 17 + e.t.FirstPar->next->line->Ascent - CaretState().Height);
  // Scrolled out of view: hidden.
  e.t.ScrollDown(40);
  EXPECT_EQ(CaretState().Owner, 0u);
}

// The controls' shared routines: the ellipsis and combo button faces drawn
// in every state (saved as PNG and checked pixel by pixel), keys sent with a
// held modifier, the release of a held mouse button, dialog buttons, owner
// forms and joined lists.
#include <gtest/gtest.h>

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/intl/wwintl.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/messages.h"
#include "platform/ui/testdriver.h"

namespace {

// One row of ellipsis faces and one of combo faces.
struct Face {
  TRect rect;
  bool combo;
  int state;
  bool enabled;
  uint8_t stateByte;
};

const std::vector<Face>& Faces() {
  static const std::vector<Face> faces = {
      {{10, 10, 26, 26}, false, wwbsUp, true, 0},      {{40, 10, 56, 26}, false, wwbsDown, true, 0},
      {{70, 10, 86, 26}, false, wwbsDown, true, 0x80}, {{100, 10, 107, 17}, false, wwbsUp, true, 0},
      {{120, 10, 144, 31}, false, wwbsUp, true, 0},    {{10, 40, 27, 61}, true, wwbsUp, true, 0},
      {{40, 40, 57, 61}, true, wwbsDown, true, 0},     {{70, 40, 87, 61}, true, wwbsDown, false, 0},
      {{100, 40, 117, 61}, true, wwbsUp, false, 0},    {{130, 40, 147, 61}, true, wwbsDown, true, 0x80},
  };
  return faces;
}

class TFaceBox : public TCustomControl {
 public:
  explicit TFaceBox(TComponent* owner) : TCustomControl(owner) { SetColor(clWhite); }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clWhite);
    Canvas()->FillRect(ClientRect());
    for (const Face& f : Faces()) {
      if (f.combo)
        wwDrawComboButton(Canvas(), f.rect, f.state, f.enabled, f.stateByte);
      else
        wwDrawEllipsisButton(Canvas(), f.rect, f.state, f.stateByte);
    }
  }
};

// Records the keys it receives with their shift state.
class TKeyProbe : public TCustomControl {
 public:
  explicit TKeyProbe(TComponent* owner) : TCustomControl(owner) {}
  std::vector<std::pair<Word, TShiftState>> downs;
  int ups = 0;

 protected:
  void KeyDown(Word& key, TShiftState shift) override { downs.emplace_back(key, shift); }
  void KeyUp(Word&, TShiftState) override { ++ups; }
};

bool Black(TColor c) { return (c & 0xFFFFFF) == 0; }

}  // namespace

TEST(Common, ButtonFacesDrawTheirDotsAndArrowsForEveryState) {
  TUiTestDriver d;
  auto* form = new TForm(Application);
  form->SetBounds(0, 0, 170, 110);
  auto* box = new TFaceBox(form);
  box->SetParent(form);
  box->SetAlign(alClient);
  form->Show();
  d.SavePng(box, "ww_button_faces");

  // 16 wide: dots of 2 pixels at 7 and 4 either side, row 7; down: one
  // pixel right and down.
  for (int dx : {3, 7, 11}) {
    EXPECT_TRUE(Black(d.PixelAt(box, 10 + dx, 17))) << dx;
    EXPECT_TRUE(Black(d.PixelAt(box, 10 + dx + 1, 18))) << dx;
    EXPECT_TRUE(Black(d.PixelAt(box, 40 + dx + 1, 18))) << dx;
    EXPECT_TRUE(Black(d.PixelAt(box, 40 + dx + 2, 19))) << dx;
    EXPECT_FALSE(Black(d.PixelAt(box, 40 + dx, 17))) << dx;
  }
  EXPECT_FALSE(Black(d.PixelAt(box, 10 + 5, 17))) << "the gap between two dots";
  EXPECT_FALSE(Black(d.PixelAt(box, 10 + 9, 17)));
  // 7 wide: dots of one pixel.
  for (int dx : {0, 2, 4}) EXPECT_TRUE(Black(d.PixelAt(box, 100 + dx, 13))) << dx;
  for (int dx : {1, 3}) EXPECT_FALSE(Black(d.PixelAt(box, 100 + dx, 13))) << dx;
  EXPECT_FALSE(Black(d.PixelAt(box, 100 + 2, 14)));
  // 24 wide: dots of 3 pixels.
  EXPECT_TRUE(Black(d.PixelAt(box, 120 + 11 + 2, 10 + 10 + 2)));
  EXPECT_FALSE(Black(d.PixelAt(box, 120 + 11 + 3, 10 + 10)));

  // A down face is flat unless bit 7 of the state byte asks otherwise: its
  // lit edge differs from the raised one.
  const TColor raisedEdge = d.PixelAt(box, 11, 11);
  EXPECT_NE(d.PixelAt(box, 41, 11), raisedEdge);
  EXPECT_EQ(d.PixelAt(box, 71, 11), raisedEdge);

  // Combo faces: the arrow is black when enabled; a disabled face is drawn
  // inactive whatever its state.
  const auto blackIn = [&](int left) {
    int n = 0;
    for (int x = left + 2; x < left + 15; ++x)
      for (int y = 42; y < 59; ++y) n += Black(d.PixelAt(box, x, y));
    return n;
  };
  EXPECT_GT(blackIn(10), 5);
  EXPECT_GT(blackIn(40), 5);
  EXPECT_EQ(blackIn(70), 0);
  EXPECT_EQ(blackIn(100), 0);
  for (int x = 0; x < 17; ++x)
    for (int y = 40; y < 61; ++y) ASSERT_EQ(d.PixelAt(box, 70 + x, y), d.PixelAt(box, 100 + x, y)) << x << "," << y;
  // Pushed faces differ from the plain one; with bit 7 set the plain face.
  bool differs = false, same = true;
  for (int x = 0; x < 17; ++x)
    for (int y = 40; y < 61; ++y) {
      differs |= d.PixelAt(box, 40 + x, y) != d.PixelAt(box, 10 + x, y);
      same &= d.PixelAt(box, 130 + x, y) == d.PixelAt(box, 10 + x, y);
    }
  EXPECT_TRUE(differs);
  EXPECT_TRUE(same);
}

TEST(Common, AKeyIsSentWithItsModifierHeldAndTheKeyboardStateComesBack) {
  TUiTestDriver d;
  auto* form = new TForm(Application);
  auto* probe = new TKeyProbe(form);
  probe->SetParent(form);
  form->Show();
  wwSendKeyWithState(probe->Handle(), VK_TAB, VK_SHIFT);
  ASSERT_EQ(probe->downs.size(), 1u);
  EXPECT_EQ(probe->downs[0].first, VK_TAB);
  EXPECT_TRUE(probe->downs[0].second & ssShift);
  EXPECT_EQ(probe->ups, 1);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "shift is up again";
  EXPECT_GE(GetKeyState(VK_TAB), 0);
}

TEST(Common, AHeldMouseButtonIsReleasedWhereItIsHeld) {
  TUiTestDriver d;
  auto* form = new TForm(Application);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  auto* inner = new TPanel(form);
  inner->SetParent(panel);
  form->Show();
  ASSERT_EQ(Screen->ActiveForm(), form);
  MessageQueue().Clear();
  wwReleaseMouseButton();
  EXPECT_TRUE(MessageQueue().Empty()) << "nothing holds the button";
  inner->SetControlState(inner->ControlState() | csLButtonDown);
  wwReleaseMouseButton();
  TQueuedMessage m;
  ASSERT_TRUE(PeekMessage(m, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.Wnd, inner->Handle());
  EXPECT_EQ(m.Message.Msg, static_cast<unsigned>(WM_LBUTTONUP));
  form->SetControlState(form->ControlState() | csLButtonDown);
  wwReleaseMouseButton();
  ASSERT_TRUE(PeekMessage(m, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.Wnd, form->Handle());
  inner->SetControlState(inner->ControlState() & ~csLButtonDown);
  form->SetControlState(form->ControlState() & ~csLButtonDown);
}

TEST(Common, DialogButtonsOwnersAndJoinedLists) {
  TUiTestDriver d;
  auto* form = new TForm(Application);
  TButton* ok = wwCreateDialogButton(form, wwdbOK);
  TButton* cancel = wwCreateDialogButton(form, wwdbCancel);
  EXPECT_TRUE(dynamic_cast<TBitBtn*>(ok)) << "bitmapped by default";
  EXPECT_EQ(ok->Caption(), wwGlobalIntl()->BtnOKCaption());
  EXPECT_EQ(ok->ModalResult(), mrOk);
  EXPECT_EQ(cancel->Caption(), wwGlobalIntl()->BtnCancelCaption());
  EXPECT_EQ(cancel->ModalResult(), mrCancel);
  EXPECT_TRUE(cancel->Cancel());
  EXPECT_EQ(ok->Parent(), form);
  EXPECT_EQ(ok->Width(), 75 * Screen->PixelsPerInch() / 96);
  wwGlobalIntl()->SetOKCancelBitmapped(false);
  TButton* plain = wwCreateDialogButton(form, wwdbOK);
  EXPECT_FALSE(dynamic_cast<TBitBtn*>(plain));
  wwGlobalIntl()->SetOKCancelBitmapped(true);

  auto* panel = new TPanel(form);
  auto* label = new TLabel(panel);
  EXPECT_EQ(wwGetOwnerForm(label), form);
  TComponent loose(nullptr);
  EXPECT_EQ(wwGetOwnerForm(&loose), &loose);
  EXPECT_EQ(wwGetOwnerForm(nullptr), nullptr);

  TStringList lines;
  EXPECT_EQ(wwListToText(&lines, false), "");
  lines.Add("Query");
  lines.Add("");
  lines.Add("ORT");
  EXPECT_EQ(wwListToText(&lines, false), "Query\r\n\r\nORT");
  EXPECT_EQ(wwListToText(&lines, true), "Query  ORT");

  Screen->SetCursor(crDefault);
  {
    TwwHourGlass busy;
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
  }
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

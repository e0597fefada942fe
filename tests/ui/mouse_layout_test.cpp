// Mouse routing and capture, hints and cursors, alignment of nested panels,
// window scroll bars and borders.
#include <gtest/gtest.h>

#include "platform/ui/ui_internal.h"
#include "tests/ui/ui_test_util.h"

namespace {

TEST(Mouse, CaptureKeepsTheDragOnTheControlOutsideItsBounds) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm(300, 200);
  auto* src = new TRecorder(f, f, "src", &log);
  auto* other = new TRecorder(f, f, "other", &log);
  src->SetBounds(10, 10, 50, 50);
  other->SetBounds(100, 10, 50, 50);
  int clicks = 0;
  src->OnClick = [&](TObject*) { ++clicks; };
  f->Show();
  // Press inside, move over the other control and beyond the form, release there.
  d.MouseDown(src, 5, 5);
  EXPECT_TRUE(src->MouseCapture());
  d.MouseMove(src, 120, 20);
  d.MouseMove(src, -40, 400);
  d.MouseUp(src, -40, 400);
  EXPECT_FALSE(src->MouseCapture());
  ASSERT_EQ(src->moves.size(), 2u);
  EXPECT_EQ(src->moves[0], (TPoint{120, 20}));
  EXPECT_EQ(src->moves[1], (TPoint{-40, 400}));
  EXPECT_TRUE(other->moves.empty());
  EXPECT_EQ(clicks, 0);  // released outside: no click
  Log expected = {"src:WM_LBUTTONDOWN", "src:WM_LBUTTONUP"};
  Log got;
  for (auto& e : log)
    if (e.find("BUTTON") != std::string::npos) got.push_back(e);
  EXPECT_EQ(got, expected);
  // A click inside clicks; a double click gives click, double click, and down with ssDouble.
  std::vector<TShiftState> downs;
  src->OnMouseDown = [&](TObject*, TMouseButton, TShiftState s, int, int) { downs.push_back(s); };
  int dbl = 0;
  src->OnDblClick = [&](TObject*) { ++dbl; };
  d.DoubleClick(src, 5, 5);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(dbl, 1);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_TRUE(downs[1] & ssDouble);
  EXPECT_TRUE(downs[1] & ssLeft);
}

TEST(Mouse, CancelModeReleasesCaptureAndFreedCaptureHolderIsForgotten) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* a = new TRecorder(f, f, "a", nullptr);
  auto* b = new TRecorder(f, f, "b", nullptr);
  b->SetLeft(100);
  f->Show();
  d.MouseDown(a, 5, 5);
  ASSERT_TRUE(a->MouseCapture());
  a->Perform(WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(a->MouseCapture());
  d.MouseUp(a, 5, 5);
  d.MouseDown(b, 5, 5);
  ASSERT_EQ(GetCaptureControl(), b);
  delete b;
  EXPECT_EQ(GetCaptureControl(), nullptr);
  d.MouseMove(f, 120, 5);  // nothing dangling
  d.MouseUp(f, 120, 5);
}

TEST(Mouse, EnterLeaveHintCursorAndPopup) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* a = new TRecorder(f, f, "a", &log);
  a->SetBounds(10, 10, 40, 40);
  a->SetHint("Hilfe|lang");
  a->SetShowHint(true);
  a->SetCursor(crHandPoint);
  f->Show();
  d.MouseMove(a, 5, 5);
  EXPECT_EQ(log.back(), "a:CM_MOUSEENTER");
  EXPECT_EQ(Screen->CurrentCursor(), crHandPoint);
  Screen->SetCursor(crHourGlass);
  d.MouseMove(a, 6, 6);
  EXPECT_EQ(Screen->CurrentCursor(), crHourGlass);
  Screen->SetCursor(crDefault);
  EXPECT_TRUE(Application->CurrentHint().empty());
  d.Advance(600);
  EXPECT_EQ(Application->CurrentHint(), "Hilfe");
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_TRUE(Application->HintWindow()->Showing());
  EXPECT_EQ(Application->HintWindow()->ClientOrigin().Y, a->ClientToScreen({5, 5}).Y + 20);
  d.SavePng(Application->HintWindow(), "hint_window");
  EXPECT_EQ(d.PixelAt(Application->HintWindow(), 1, 1), ColorToRGB(clInfoBk));
  d.Advance(2500);  // gone after the hide pause, not shown again while still over it
  EXPECT_TRUE(Application->CurrentHint().empty());
  d.MouseMove(a, 7, 7);
  d.Advance(600);
  EXPECT_TRUE(Application->CurrentHint().empty());
  d.MouseMove(f, 200, 150);
  EXPECT_EQ(log.back(), "a:CM_MOUSELEAVE");
  EXPECT_TRUE(Application->CurrentHint().empty());
  EXPECT_EQ(Screen->CurrentCursor(), crDefault);
  // Right click on a control with a popup menu asks the menu layer at screen co-ordinates.
  auto* menu = new TComponent(f);
  a->SetPopupMenu(menu);
  TComponent* shown = nullptr;
  TPoint at;
  SetPopupMenuHandler([&](TComponent* m, int x, int y) {
    shown = m;
    at = {x, y};
  });
  d.RightClick(a, 3, 4);
  SetPopupMenuHandler(nullptr);
  EXPECT_EQ(shown, menu);
  EXPECT_EQ(at, a->ClientToScreen({3, 4}));
  delete menu;  // a freed menu is forgotten
  EXPECT_EQ(a->PopupMenu(), nullptr);
}

// Shows the split cursor over its right half, like a splitter bar.
class TSplitLike : public TCustomControl {
 public:
  explicit TSplitLike(TComponent* owner) : TCustomControl(owner) {}
  int lastX = 0;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_MOUSEMOVE) lastX = LoWord(m.LParam);
    if (m.Msg == WM_SETCURSOR && LoWord(m.LParam) == HTCLIENT) {
      TPoint p = ScreenToClient(lastScreen);
      if (p.X >= Width() / 2) {
        ::SetCursor(crHSplit);  // the platform call (unqualified would name the property)
        m.Result = 1;
        return;
      }
    }
    TCustomControl::Dispatch(m);
  }
  TPoint lastScreen;
};

TEST(Mouse, SetCursorMessageLetsAControlChooseAndCaptureByHandle) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* s = new TSplitLike(f);
  s->SetParent(f);
  s->SetBounds(0, 0, 100, 50);
  s->SetCursor(crIBeam);
  f->Show();
  s->lastScreen = s->ClientToScreen({80, 10});
  d.MouseMove(s, 80, 10);
  EXPECT_EQ(Screen->CurrentCursor(), crHSplit);
  s->lastScreen = s->ClientToScreen({10, 10});
  d.MouseMove(s, 10, 10);
  EXPECT_EQ(Screen->CurrentCursor(), crIBeam);
  EXPECT_EQ(SetCapture(s->Handle()), 0u);
  EXPECT_EQ(GetCapture(), s->Handle());
  EXPECT_TRUE(s->MouseCapture());
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), 0u);
}

TEST(Mouse, DisabledControlsAndModalBlockingTakeNoClicks) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* a = new TRecorder(f, f, "a", nullptr);
  int formDowns = 0, aDowns = 0;
  f->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++formDowns; };
  a->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++aDowns; };
  f->Show();
  a->SetEnabled(false);
  d.Click(a);
  EXPECT_EQ(aDowns, 0);
  EXPECT_EQ(formDowns, 1);  // falls through to the parent
}

class TAlignProbe : public TPanel {
 public:
  using TPanel::TPanel;
};

TEST(Layout, NestedPanelsAlignInTheLibrarysOrder) {
  TUiTestDriver d;
  TForm* f = MakeForm(400, 300);
  auto mk = [&](TWinControl* parent, TAlign a, int w, int h) {
    auto* p = new TPanel(f);
    p->SetParent(parent);
    p->SetBounds(0, 0, w, h);
    p->SetAlign(a);
    return p;
  };
  TPanel* top = mk(f, alTop, 10, 30);
  TPanel* bottom = mk(f, alBottom, 10, 20);
  TPanel* left = mk(f, alLeft, 50, 10);
  TPanel* client = mk(f, alClient, 10, 10);
  TPanel* right = mk(f, alRight, 60, 10);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 400, 30));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 280, 400, 300));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 50, 280));
  EXPECT_EQ(right->BoundsRect(), Rect(340, 30, 400, 280));
  EXPECT_EQ(client->BoundsRect(), Rect(50, 30, 340, 280));
  // Inside the client panel: aligned within its bevel (1 pixel).
  TPanel* inner = mk(client, alClient, 5, 5);
  TPanel* innerTop = mk(client, alTop, 5, 25);
  EXPECT_EQ(innerTop->BoundsRect(), Rect(1, 1, 289, 26));
  EXPECT_EQ(inner->BoundsRect(), Rect(1, 26, 289, 249));
  // Two top panels keep their visual order; a second one placed above goes first.
  TPanel* top2 = mk(f, alNone, 10, 15);
  top2->SetTop(-5);
  top2->SetAlign(alTop);
  EXPECT_EQ(top2->BoundsRect(), Rect(0, 0, 400, 15));
  EXPECT_EQ(top->BoundsRect(), Rect(0, 15, 400, 45));
  // Resizing the form realigns everything; hiding a panel gives its room away.
  f->SetClientSize(500, 400);
  EXPECT_EQ(client->BoundsRect(), Rect(50, 45, 440, 380));
  EXPECT_EQ(inner->BoundsRect(), Rect(1, 26, 389, 334));
  left->SetVisible(false);
  EXPECT_EQ(client->Left(), 0);
  // Disabled alignment waits until enabled again.
  f->DisableAlign();
  right->SetWidth(100);
  EXPECT_EQ(client->Width(), 440);
  f->EnableAlign();
  EXPECT_EQ(client->Width(), 400);
}

TEST(Layout, ScrollBarsChangeTheClientAreaAndClampPositions) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* c = new TRecorder(f, f, "c", &log);
  c->SetBounds(0, 0, 120, 100);
  c->SetStyleBits(WS_VSCROLL | WS_HSCROLL, WS_EX_CLIENTEDGE);
  f->Show();
  EXPECT_EQ(c->BorderWidth(), 2);
  // Created with both bar styles: both shown with the default range.
  EXPECT_EQ(c->ClientRect(), Rect(0, 0, 100, 80));
  c->ShowScrollBar(SB_BOTH, false);
  EXPECT_EQ(c->ClientRect(), Rect(0, 0, 116, 96));
  c->sizes.clear();
  TScrollInfo si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 200;
  EXPECT_EQ(c->SetScrollInfo(SB_VERT, si, true), 90);  // clamped to max - page + 1
  EXPECT_TRUE(c->ScrollBarVisible(SB_VERT));
  EXPECT_EQ(c->ClientWidth(), 100);
  ASSERT_EQ(c->sizes.size(), 1u);
  EXPECT_EQ(c->sizes[0], (TPoint{100, 96}));
  TScrollInfo q;
  q.fMask = SIF_ALL;
  c->GetScrollInfo(SB_VERT, q);
  EXPECT_EQ(q.nMax, 99);
  EXPECT_EQ(q.nPage, 10u);
  EXPECT_EQ(q.nPos, 90);
  EXPECT_EQ(c->SetScrollPos(SB_VERT, -5, true), 90);
  EXPECT_EQ(c->GetScrollPos(SB_VERT), 0);
  // A page as large as the range hides the bar and gives the width back.
  si.fMask = SIF_PAGE;
  si.nPage = 100;
  c->SetScrollInfo(SB_VERT, si, true);
  EXPECT_FALSE(c->ScrollBarVisible(SB_VERT));
  EXPECT_EQ(c->ClientWidth(), 116);
  EXPECT_EQ(c->sizes.back(), (TPoint{116, 96}));
  c->SetScrollRange(SB_HORZ, 0, 50, true);
  EXPECT_EQ(c->ClientHeight(), 80);
  c->SetScrollRange(SB_HORZ, 0, 0, true);
  EXPECT_EQ(c->ClientHeight(), 96);
  c->ShowScrollBar(SB_BOTH, true);
  EXPECT_EQ(c->ClientRect(), Rect(0, 0, 100, 80));
  // Recreating the window keeps the creation style bits.
  c->RecreateWnd();
  EXPECT_TRUE(c->WindowStyle() & WS_VSCROLL);
  EXPECT_TRUE(c->WindowParams().ExStyle & WS_EX_CLIENTEDGE);
}

TEST(Layout, ClicksOnTheScrollBarSendScrollRequests) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* c = new TRecorder(f, f, "c", &log);
  c->SetBounds(0, 0, 116, 100);
  c->SetStyleBits(WS_VSCROLL, 0);
  f->Show();
  c->SetScrollRange(SB_VERT, 0, 100, true);
  ASSERT_EQ(c->ClientWidth(), 100);
  auto scrolls = [&] {
    Log s;
    for (auto& e : log)
      if (e.find("WM_VSCROLL") != std::string::npos) s.push_back(e.substr(13));
    log.clear();
    return s;
  };
  // Client co-ordinates: the bar lies at x 100..115.
  d.Click(c, 108, 5);
  EXPECT_EQ(scrolls(), (Log{std::to_string(SB_LINEUP), std::to_string(SB_ENDSCROLL)}));
  d.Click(c, 108, 95);
  EXPECT_EQ(scrolls(), (Log{std::to_string(SB_LINEDOWN), std::to_string(SB_ENDSCROLL)}));
  d.Click(c, 108, 70);  // below the thumb (at the top)
  EXPECT_EQ(scrolls(), (Log{std::to_string(SB_PAGEDOWN), std::to_string(SB_ENDSCROLL)}));
  // Holding an arrow repeats after 400 ms, then every 100 ms.
  d.MouseDown(c, 108, 95);
  d.Advance(600);
  d.MouseUp(c, 108, 95);
  Log held = scrolls();
  EXPECT_EQ(held.size(), 5u);  // first, 3 repeats, end
  // Dragging the thumb tracks, then reports the final position.
  d.Drag(c, {108, 24}, {108, 60}, 2);
  Log drag = scrolls();
  ASSERT_GE(drag.size(), 3u);
  EXPECT_EQ(drag[0], std::to_string(SB_THUMBTRACK));
  EXPECT_EQ(drag[drag.size() - 2], std::to_string(SB_THUMBPOSITION));
  EXPECT_EQ(drag.back(), std::to_string(SB_ENDSCROLL));
  EXPECT_EQ(c->GetScrollPos(SB_VERT), 0);  // the control moves the thumb itself
}

}  // namespace

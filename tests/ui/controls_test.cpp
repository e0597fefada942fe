// Control properties and notifications, graphic controls, popups, track
// limits and published properties.
#include <gtest/gtest.h>

#include "tests/ui/ui_test_util.h"

namespace {

class TNotified : public TCustomControl {
 public:
  explicit TNotified(TComponent* owner) : TCustomControl(owner) {}
  std::vector<unsigned> seen;
  void Dispatch(TMessage& m) override {
    if (m.Msg >= CM_BASE && m.Msg < CN_BASE) seen.push_back(m.Msg);
    TCustomControl::Dispatch(m);
  }
  int Count(unsigned msg) const { return static_cast<int>(std::count(seen.begin(), seen.end(), msg)); }
};

TEST(Controls, WindowsExistOnceTheirFormIsShown) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* p = new TPanel(f);
  p->SetParent(f);
  EXPECT_FALSE(f->HandleAllocated());
  EXPECT_FALSE(p->HandleAllocated());
  std::vector<std::string> ev;
  f->OnShow = [&](TObject*) { ev.push_back("show"); };
  f->OnHide = [&](TObject*) { ev.push_back("hide"); };
  f->Show();
  EXPECT_TRUE(f->HandleAllocated());
  EXPECT_TRUE(p->HandleAllocated());
  auto* late = new TPanel(f);
  late->SetParent(p);  // placed into a shown window: made at once
  EXPECT_TRUE(late->HandleAllocated());
  auto* hidden = new TPanel(f);
  hidden->SetVisible(false);
  hidden->SetParent(f);
  EXPECT_FALSE(hidden->HandleAllocated());  // made when needed
  EXPECT_NE(hidden->Handle(), 0u);
  f->Hide();
  EXPECT_EQ(ev, (std::vector<std::string>{"show", "hide"}));
  EXPECT_FALSE(f->Showing());
  EXPECT_FALSE(p->Showing());
}

TEST(Controls, PropertyChangesNotifyOnlyWhenTheyChange) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* p = new TPanel(f);
  p->SetParent(f);
  auto* c = new TNotified(f);
  c->SetParent(p);
  c->SetEnabled(false);
  c->SetEnabled(false);
  EXPECT_EQ(c->Count(CM_ENABLEDCHANGED), 1);
  c->SetText("abc");
  c->SetText("abc");
  EXPECT_EQ(c->Count(CM_TEXTCHANGED), 1);
  EXPECT_EQ(c->Caption(), "abc");
  // Parent font and colour flow down until a child sets its own.
  TFont big;
  big.SetName("Arial");
  big.SetSize(14);
  f->SetFont(big);
  EXPECT_EQ(c->Font()->Size(), 14);
  EXPECT_GE(c->Count(CM_PARENTFONTCHANGED), 1);
  EXPECT_GE(c->Count(CM_FONTCHANGED), 1);
  c->Font()->SetSize(9);
  EXPECT_FALSE(c->ParentFont());
  big.SetSize(20);
  f->SetFont(big);
  EXPECT_EQ(c->Font()->Size(), 9);
  EXPECT_EQ(p->Font()->Size(), 20);
  c->SetParentColor(true);
  EXPECT_EQ(c->Color(), p->Color());
  p->SetColor(clRed);
  EXPECT_EQ(c->Color(), clRed);
  c->SetColor(clBlue);
  p->SetColor(clGreen);
  EXPECT_EQ(c->Color(), clBlue);
  // Screen and client co-ordinates agree through borders and parents.
  p->SetBounds(20, 30, 100, 100);
  c->SetBounds(5, 6, 10, 10);
  TPoint s = c->ClientToScreen({1, 2});
  EXPECT_EQ(s, (TPoint{f->ClientOrigin().X + 26, f->ClientOrigin().Y + 38}));
  EXPECT_EQ(c->ScreenToClient(s), (TPoint{1, 2}));
  EXPECT_THROW(p->SetParent(p), EInvalidOperation);
}

class TDot : public TGraphicControl {
 public:
  explicit TDot(TComponent* owner) : TGraphicControl(owner) {}
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(Rect(0, 0, 100, 100));  // clipped to its 10 x 10 bounds
  }
};

TEST(Controls, GraphicControlsArePaintedByTheirParentUnderWindowedOnes) {
  TUiTestDriver d;
  TForm* f = MakeForm(100, 100);
  auto* dot = new TDot(f);
  dot->SetParent(f);
  dot->SetBounds(10, 10, 10, 10);
  auto* over = new TPanel(f);
  over->SetParent(f);
  over->SetBounds(15, 15, 30, 30);
  over->SetBevelOuter(bvNone);
  f->Show();
  d.Process();
  EXPECT_GT(dot->paints, 0);
  EXPECT_EQ(d.PixelAt(f, 12, 12), clRed);
  EXPECT_EQ(d.PixelAt(f, 25, 12), ColorToRGB(clBtnFace));  // clipped to its bounds
  EXPECT_EQ(d.PixelAt(f, 17, 17), ColorToRGB(clBtnFace));  // the panel lies on top
  int clicks = 0;
  dot->OnClick = [&](TObject*) { ++clicks; };
  d.Click(dot, 2, 2);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(dot->IsWindowed());
  dot->SetVisible(false);
  EXPECT_EQ(d.PixelAt(f, 12, 12), ColorToRGB(clBtnFace));
}

class TPaintOrder : public TCustomControl {
 public:
  explicit TPaintOrder(TComponent* owner) : TCustomControl(owner) {}
  std::vector<std::string> order;
  bool eraseDone = false;  // answer WM_ERASEBKGND ourselves

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_PAINT) {
      order.push_back("paint message");
      TCustomControl::Dispatch(m);
      order.push_back("after inherited");
      return;
    }
    if (m.Msg == WM_ERASEBKGND) {
      order.push_back("erase");
      if (eraseDone) {
        m.Result = 1;
        return;
      }
    }
    TCustomControl::Dispatch(m);
  }
  void Paint() override { order.push_back("Paint"); }
};

TEST(Controls, PaintingGoesThroughPaintAndEraseMessages) {
  TUiTestDriver d;
  TForm* f = MakeForm(100, 100);
  auto* c = new TPaintOrder(f);
  c->SetParent(f);
  c->SetBounds(10, 10, 30, 30);
  c->SetColor(clRed);
  f->Show();
  d.Process();
  EXPECT_EQ(c->order, (std::vector<std::string>{"paint message", "erase", "Paint", "after inherited"}));
  EXPECT_EQ(d.PixelAt(c, 5, 5), clRed);
  // A control that answers the erase itself keeps what the buffer held.
  c->eraseDone = true;
  c->SetColor(clBlue);
  d.Process();
  EXPECT_EQ(d.PixelAt(c, 5, 5), clRed);
  c->order.clear();
  c->Perform(WM_PAINT, 0, 0);  // outside a paint pass: only asks for one
  EXPECT_EQ(c->order, (std::vector<std::string>{"paint message", "after inherited"}));
  d.Process();
  EXPECT_EQ(c->order.size(), 6u);
}

class TFiller : public TCustomControl {
 public:
  explicit TFiller(TComponent* owner, TColor color, bool narrow) : TCustomControl(owner), color_(color), narrow_(narrow) {}
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    TCanvas* c = Canvas();
    if (narrow_ && paints == 1) c->IntersectClipRect(0, 0, 5, 5);  // only the first paint narrows
    c->Brush()->SetColor(color_);
    c->FillRect(Rect(0, 0, 1000, 1000));
  }

 private:
  TColor color_;
  bool narrow_;
};

TEST(Controls, ParentsDoNotPaintUnderChildWindowsAndClipsEndWithThePaint) {
  TUiTestDriver d;
  TForm* f = MakeForm(100, 100);
  auto* parent = new TFiller(f, clRed, false);
  parent->SetParent(f);
  parent->SetBounds(0, 0, 80, 80);
  auto* child = new TFiller(f, clBlue, true);
  child->SetParent(parent);
  child->SetBounds(20, 20, 30, 30);
  f->Show();
  d.Process();
  EXPECT_EQ(d.PixelAt(parent, 10, 10), clRed);
  EXPECT_EQ(d.PixelAt(child, 2, 2), clBlue);
  // The child's first paint clipped itself to 5 x 5; the parent did not
  // fill the rest of the child's area either.
  EXPECT_EQ(d.PixelAt(child, 20, 20), ColorToRGB(clWindow));  // its own erase
  child->Invalidate();
  d.Process();
  EXPECT_EQ(d.PixelAt(child, 20, 20), clBlue);  // the next paint starts unclipped
  EXPECT_EQ(parent->paints, 1);
}

TEST(Controls, CanvasDrawsOutsidePaintIntoTheBackBuffer) {
  TUiTestDriver d;
  TForm* f = MakeForm(100, 100);
  auto* p = new TPanel(f);
  p->SetParent(f);
  p->SetBounds(50, 50, 40, 40);
  auto* c = new TRecorder(f, p, "c", nullptr);
  c->SetBounds(5, 5, 20, 20);
  f->Show();
  d.Process();
  c->Canvas()->Brush()->SetColor(clLime);
  c->Canvas()->FillRect(Rect(0, 0, 200, 200));  // limited to the visible client
  EXPECT_EQ(PixelToColor(f->Surface()->Row(56)[56]), clLime);
  EXPECT_EQ(PixelToColor(f->Surface()->Row(56)[76]), ColorToRGB(clBtnFace));
}

TEST(Controls, PopupWindowsShowOnTopWithoutTakingTheFocus) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* edit = new TRecorder(f, f, "edit", nullptr, DLGC_WANTCHARS);
  f->Show();
  ASSERT_TRUE(edit->Focused());
  auto* popup = new TPopupWindow(f);
  auto* list = new TRecorder(f, popup, "list", nullptr);
  list->SetTabStop(false);
  int listClicks = 0;
  list->OnClick = [&](TObject*) { ++listClicks; };
  popup->Popup(Bounds(100, 120, 80, 60));
  EXPECT_TRUE(popup->Showing());
  EXPECT_EQ(Screen->FormCount(), 1);  // drop-downs are not forms of the screen
  EXPECT_EQ(Screen->Forms(0), f);
  EXPECT_THROW(Screen->Forms(1), EListError);
  EXPECT_EQ(list->BoundsRect(), Rect(0, 0, 80, 60));
  EXPECT_EQ(popup->ClientOrigin(), (TPoint{100, 120}));
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(Screen->ActiveForm(), f);
  d.Click(list);
  EXPECT_EQ(listClicks, 1);
  EXPECT_TRUE(edit->Focused());  // clicking into the drop-down keeps the focus
  std::string typed;
  edit->OnKeyPress = [&](TObject*, char& ch) { typed += ch; };
  d.Type("ab");
  EXPECT_EQ(typed, "ab");
  popup->Hide();
  EXPECT_EQ(Screen->ActiveForm(), f);
}

class TMinForm : public TForm {
 public:
  explicit TMinForm(TComponent* owner) : TForm(owner) {}
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_GETMINMAXINFO) {
      auto* mmi = reinterpret_cast<TMinMaxInfo*>(m.LParam);
      mmi->ptMinTrackSize = {250, 180};
      mmi->ptMaxTrackSize = {600, 400};
      return;
    }
    TForm::Dispatch(m);
  }
};

TEST(Forms, UserResizesStayWithinTheTrackSizeAndOnCreateRunsOnce) {
  TUiTestDriver d;
  TMinForm* f = nullptr;
  int created = 0;
  Application->CreateForm(f);
  f->OnCreate = [&](TObject*) { ++created; };  // assigned after creation: runs before the first show
  f->SetClientSize(300, 200);
  f->Show();
  f->Hide();
  f->Show();
  EXPECT_EQ(created, 0);  // CreateForm already ran the (then empty) creation hook
  TForm* g = MakeForm();
  g->OnCreate = [&](TObject*) { ++created; };
  g->Show();
  g->Hide();
  g->Show();
  EXPECT_EQ(created, 1);
  THostInput in;
  in.kind = THostInput::Resized;
  in.x = 50;
  in.y = 50;
  f->HostInput(in);
  EXPECT_EQ(f->Width(), 250);
  EXPECT_EQ(f->Height(), 180);
  in.x = 2000;
  in.y = 2000;
  f->HostInput(in);
  EXPECT_EQ(f->Width(), 600);
  EXPECT_EQ(f->Height(), 400);
  EXPECT_EQ(f->Surface()->Width(), f->ClientWidth());
  // The window's close button goes through Close.
  bool asked = false;
  f->OnCloseQuery = [&](TObject*, bool& can) {
    asked = true;
    can = false;
  };
  in.kind = THostInput::CloseRequest;
  f->HostInput(in);
  EXPECT_TRUE(asked);
  EXPECT_TRUE(f->Visible());
}

TEST(Controls, PublishedPropertiesAndScreen) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* b = new TButton(f);
  b->SetParent(f);
  EXPECT_STREQ(b->ClassName(), "TButton");
  EXPECT_TRUE(b->InheritsFromName("TWinControl"));
  EXPECT_TRUE(SetOrdProp(b, "Width", 120));
  EXPECT_EQ(b->Width(), 120);
  EXPECT_TRUE(SetStrProp(b, "Caption", "Ja"));
  EXPECT_EQ(GetStrProp(b, "Caption"), "Ja");
  EXPECT_EQ(GetOrdProp(b, "TabStop"), 1);
  EXPECT_EQ(GetObjectProp(b, "Font"), b->Font());
  ASSERT_GT(Screen->Fonts()->Count(), 0);
  EXPECT_LT(Screen->Fonts()->Strings(0), Screen->Fonts()->Strings(Screen->Fonts()->Count() - 1));
  EXPECT_GT(Screen->Width(), 0);
  EXPECT_EQ(Screen->PixelsPerInch(), 96);
  TScreen::TCursorImage img;
  img.Width = img.Height = 2;
  img.Pixels.assign(4, 0xFF000000u);
  Screen->SetCursors(20, img);
  EXPECT_TRUE(Screen->HasCursor(20));
  EXPECT_FALSE(Screen->HasCursor(21));
  b->SetCursor(20);
  f->Show();
  d.MouseMove(b, 3, 3);
  EXPECT_EQ(Screen->CurrentCursor(), 20);
}

// A view of horizontal bands that scrolls by an offset.
class TBands : public TCustomControl {
 public:
  explicit TBands(TComponent* owner) : TCustomControl(owner) {}
  int offset = 0;
  std::vector<TRect> clips;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    clips.push_back(c->ClipRect());
    for (int y = -offset % 8 - 8; y < ClientHeight(); y += 8) {
      int band = (y + offset) / 8;
      c->Brush()->SetColor(band % 2 ? clNavy : clYellow);
      c->FillRect(Rect(0, y, ClientWidth(), y + 8));
    }
  }
};

TEST(Controls, ScrollWindowMovesPixelsAndRepaintsOnlyTheUncoveredStrip) {
  TUiTestDriver d;
  TForm* f = MakeForm(100, 100);
  auto* v = new TBands(f);
  v->SetParent(f);
  v->SetBounds(10, 10, 60, 64);
  f->Show();
  d.Process();
  v->offset = 12;
  TRect update;
  v->clips.clear();
  ASSERT_TRUE(ScrollWindowEx(v->Handle(), 0, -12, nullptr, nullptr, &update));
  EXPECT_EQ(update, Rect(0, 52, 60, 64));
  d.Process();
  ASSERT_EQ(v->clips.size(), 1u);
  EXPECT_EQ(v->clips[0], Rect(0, 52, 60, 64));  // only the strip was painted again
  std::vector<TColor> scrolled;
  for (int y = 0; y < 64; ++y) scrolled.push_back(d.PixelAt(v, 30, y));
  v->Repaint();
  for (int y = 0; y < 64; ++y) EXPECT_EQ(d.PixelAt(v, 30, y), scrolled[static_cast<std::size_t>(y)]) << y;
  EXPECT_FALSE(ScrollWindowEx(0xFFFFFF, 0, 5, nullptr, nullptr, nullptr));  // no such window
}

}  // namespace

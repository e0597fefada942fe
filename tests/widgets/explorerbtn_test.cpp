// Explorer-style button: groups, clicks, drop-down menu, hints, accelerator,
// layout, shading and pictures of every layout and state.
#include <gtest/gtest.h>

#include "platform/rtl/cp1252.h"
#include "tests/widgets/widget_test_util.h"
#include "widgets/explorerbtn.h"

namespace {

// A 16 x 16 glyph drawn here: olive background (the transparent colour), a
// yellow folder with a black outline and a white sheet in it.
TBitmap MakeGlyph() {
  TBitmap b(16, 16);
  TCanvas& c = *b.Canvas();
  c.Brush()->SetColor(clOlive);
  c.FillRect({0, 0, 16, 16});
  c.Brush()->SetColor(clYellow);
  c.Pen()->SetColor(clBlack);
  c.Rectangle(1, 4, 15, 14);
  c.Rectangle(1, 2, 7, 5);
  c.Brush()->SetColor(clWhite);
  c.FillRect({4, 6, 12, 10});
  return b;
}

struct BtnFixture : ::testing::Test {
  TUiTestDriver drv;
  TForm* form = MakeWidgetForm(420, 300);
  TExplorerButton* Make(TWinControl* parent, int x, int y, const AnsiString& caption = "Knopf", int w = 64,
                        int h = 48) {
    auto* b = new TExplorerButton(form);
    b->SetParent(parent);
    b->SetBounds(x, y, w, h);
    b->SetCaption(caption);
    return b;
  }
};

// A popup menu that records where it was asked to show and returns at once.
class TFakeMenu : public TPopupMenu {
 public:
  explicit TFakeMenu(TComponent* owner) : TPopupMenu(owner) {}
  void Popup(int x, int y) override { shown.push_back({x, y}); }
  std::vector<TPoint> shown;
};

TEST_F(BtnFixture, GroupsLatchWithinTheirParentOnly) {
  auto* panelA = new TPanel(form);
  panelA->SetParent(form);
  panelA->SetBounds(0, 0, 220, 60);
  auto* panelB = new TPanel(form);
  panelB->SetParent(form);
  panelB->SetBounds(0, 100, 220, 60);
  TExplorerButton* a[3];
  for (int i = 0; i < 3; ++i) {
    a[i] = Make(panelA, 4 + 70 * i, 4);
    a[i]->SetGroupIndex(1);
  }
  TExplorerButton* b = Make(panelB, 4, 4);
  b->SetGroupIndex(1);
  TExplorerButton* plain = Make(panelB, 80, 4);
  form->Show();

  plain->SetDown(true);  // GroupIndex 0: no effect
  EXPECT_FALSE(plain->Down());
  drv.Click(a[0]);
  EXPECT_TRUE(a[0]->Down());
  b->SetDown(true);  // same group number, other parent
  EXPECT_TRUE(a[0]->Down());
  EXPECT_TRUE(b->Down());
  drv.Click(a[1]);
  EXPECT_FALSE(a[0]->Down());
  EXPECT_TRUE(a[1]->Down());
  EXPECT_TRUE(b->Down());
  a[2]->SetDown(true);
  EXPECT_FALSE(a[1]->Down());
  drv.Click(a[2]);  // without AllowAllUp a down button stays down
  EXPECT_TRUE(a[2]->Down());
  a[0]->SetAllowAllUp(true);  // handed to the whole group of the parent
  EXPECT_TRUE(a[2]->AllowAllUp());
  EXPECT_FALSE(b->AllowAllUp());
  drv.Click(a[2]);
  EXPECT_FALSE(a[2]->Down());
  b->SetGroupIndex(0);  // leaving the group releases it
  EXPECT_FALSE(b->Down());
}

TEST_F(BtnFixture, ClickOnlyForReleaseInside) {
  TExplorerButton* b = Make(form, 10, 10);
  b->SetGroupIndex(3);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  drv.MouseDown(b, 20, 20);
  EXPECT_TRUE(b->MousePressed());
  drv.MouseMove(b, 200, 200);
  drv.MouseUp(b, 200, 200);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->MousePressed());
  drv.Click(b);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(b->Down());
  b->SetEnabled(false);
  drv.Click(b);
  EXPECT_EQ(clicks, 1);
}

TEST_F(BtnFixture, DropDownMenuShowsBelowAndSuppressesClick) {
  TExplorerButton* b = Make(form, 30, 20);
  auto* menu = new TFakeMenu(form);
  b->SetDropDownMenu(menu);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  drv.Click(b);
  ASSERT_EQ(menu->shown.size(), 1u);
  TPoint expect = b->ClientToScreen({0, b->Height()});
  EXPECT_EQ(menu->shown[0], expect);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(b->MousePressed());
  // Freeing the menu clears the property.
  menu->Free();
  EXPECT_EQ(b->DropDownMenu(), nullptr);
  drv.Click(b);
  EXPECT_EQ(clicks, 1);
}

TEST_F(BtnFixture, RealPopupMenuClosesAndNoClickFollows) {
  TExplorerButton* b = Make(form, 30, 20);
  auto* menu = new TPopupMenu(form);
  auto* item = new TMenuItem(menu);
  item->SetCaption("Eintrag");
  menu->Items()->Add(item);
  b->SetDropDownMenu(menu);
  int clicks = 0, opened = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  drv.WhenModal([&](TCustomForm&) {
    opened = static_cast<int>(OpenMenuWindows().size());
    CloseMenus();
  });
  drv.Click(b);
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(OpenMenuWindows().empty());
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(b->MousePressed());
}

TEST_F(BtnFixture, IconOnlyCaptionBecomesHintWithoutMarks) {
  EXPECT_EQ(StripHotkey("&Datei"), "Datei");
  EXPECT_EQ(StripHotkey("Drucken && Senden"), "Drucken & Senden");
  EXPECT_EQ(StripHotkey("A&&&B&"), "A&B");
  TExplorerButton* b = Make(form, 0, 0, CP1252("&Öffnen").str());
  b->SetOptions(b->Options() | EBOpt(boIconOnly));
  EXPECT_EQ(b->Hint(), CP1252("Öffnen").str());
  EXPECT_TRUE(b->ShowHint());
  b->SetCaption("Suchen && Ersetzen");
  EXPECT_EQ(b->Hint(), "Suchen & Ersetzen");
  b->SetOptions(b->Options() & ~EBOpt(boIconOnly));
  EXPECT_EQ(b->Hint(), "");
  EXPECT_FALSE(b->ShowHint());
  // A hint of one's own survives switching icon-only on and off.
  b->SetHint("Eigener Hinweis");
  b->SetOptions(b->Options() | EBOpt(boIconOnly));
  b->SetOptions(b->Options() & ~EBOpt(boIconOnly));
  EXPECT_EQ(b->Hint(), "Eigener Hinweis");
}

TEST_F(BtnFixture, AcceleratorClicksAndMouseEntryEvents) {
  TExplorerButton* b = Make(form, 10, 10, "&Neu");
  TExplorerButton* other = Make(form, 100, 10, "&Alt");
  int clicks = 0, otherClicks = 0;
  std::vector<std::string> ev;
  b->OnClick = [&](TObject*) { ++clicks; };
  other->OnClick = [&](TObject*) { ++otherClicks; };
  b->OnEnter = [&](TObject*) { ev.push_back(b->MouseInside() ? "enter inside" : "enter outside"); };
  b->OnExit = [&](TObject*) { ev.push_back(b->MouseInside() ? "exit inside" : "exit outside"); };
  form->Show();
  drv.PressKey('N', ssAlt);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(otherClicks, 0);
  drv.MouseMove(b, 10, 10);
  drv.MouseMove(form, 300, 250);
  EXPECT_EQ(ev, (std::vector<std::string>{"enter inside", "exit outside"}));
}

TEST_F(BtnFixture, LayoutsPlaceGlyphAndCaption) {
  TBitmap g = MakeGlyph();
  TExplorerButton* b = Make(form, 0, 0, "Text", 80, 50);
  b->SetBitmap(&g);
  auto p = b->Place();
  EXPECT_LE(p.Glyph.Bottom + 2, p.Text.Top);  // top: glyph above the caption
  EXPECT_EQ(p.Glyph.Left, (80 - 16) / 2);
  b->SetLayout(blBitmapBottom);
  p = b->Place();
  EXPECT_LE(p.Text.Bottom + 2, p.Glyph.Top);
  b->SetLayout(blBitmapLeft);
  p = b->Place();
  EXPECT_EQ(p.Glyph.Right + 2, p.Text.Left);
  EXPECT_EQ(p.Glyph.Top, (50 - 16) / 2);
  b->SetAlignment(taLeftJustify);
  EXPECT_EQ(b->Place().Glyph.Left, 3);
  b->SetLayout(blBitmapRight);
  p = b->Place();
  EXPECT_EQ(p.Text.Left, 3);
  EXPECT_EQ(p.Text.Right + 2, p.Glyph.Left);
  b->SetAlignment(taRightJustify);
  EXPECT_EQ(b->Place().Glyph.Right, 80 - 3);
  // A caption too long for the width is cut to the room left.
  b->SetCaption("Ein sehr langer Knopftext");
  p = b->Place();
  EXPECT_LE(p.Text.Width(), 80 - 4 - 16 - 2);
  EXPECT_GE(p.Text.Left, 0);
  EXPECT_EQ(p.Glyph.Right, 80 - 3);
  // Without a bitmap but with a drop-down mark, the mark follows the text.
  b->SetBitmap(nullptr);
  b->SetCaption(CP1252("Menü").str());
  auto* menu = new TFakeMenu(form);
  b->SetDropDownMenu(menu);
  p = b->Place();
  EXPECT_EQ(p.Mark.X, p.Text.Right + 3);
}

TEST_F(BtnFixture, ShadedCopyFollowsBrightnessThresholds) {
  TBitmap src(6, 1);
  const TColor px[6] = {clOlive, clWhite, RGB(200, 200, 200), RGB(80, 80, 80), RGB(30, 30, 30), clBlack};
  for (int i = 0; i < 6; ++i) src.Canvas()->SetPixels(i, 0, px[i]);
  TBitmap out;
  explorer_detail::Shade(src, out, stMedium);
  auto at = [&](int x) { return PixelToColor(out.Surface().Row(0)[x]); };
  EXPECT_EQ(at(0), clOlive);  // transparent colour kept
  EXPECT_EQ(at(1), clWhite);
  EXPECT_EQ(at(2), clWhite);  // 600 > 553
  EXPECT_EQ(at(3), ColorToRGB(clBtnHighlight));  // 240 > 231
  EXPECT_EQ(at(4), ColorToRGB(clBtnShadow));     // 90 > 57
  EXPECT_EQ(at(5), clBlack);
  explorer_detail::Shade(src, out, stDark);
  EXPECT_EQ(at(3), ColorToRGB(clBtnShadow));  // 240: not above 274, above 175
  EXPECT_EQ(at(4), clBlack);                  // 90: not above 175
  // The button rebuilds it with the shading type and drops it for NoFocusBitmap.
  TExplorerButton* b = Make(form, 0, 0);
  b->SetBitmap(&src);
  EXPECT_FALSE(b->ShadedBitmap()->Empty());
  b->SetShadingType(stLight);
  EXPECT_EQ(PixelToColor(b->ShadedBitmap()->Surface().Row(0)[4]), ColorToRGB(clBtnShadow));  // 90 > 68
  b->SetNoFocusBitmap(&src);
  EXPECT_TRUE(b->ShadedBitmap()->Empty());
}

TEST_F(BtnFixture, PicturesOfEveryLayoutAndState) {
  form->SetColor(clBtnFace);
  TBitmap g = MakeGlyph();
  const TExplorerButtonLayout layouts[4] = {blBitmapTop, blBitmapBottom, blBitmapLeft, blBitmapRight};
  const char* states[5] = {"up", "hot", "pressed", "down", "disabled"};
  TExplorerButton* grid[5][6] = {};
  auto* menu = new TFakeMenu(form);
  for (int s = 0; s < 5; ++s) {
    for (int l = 0; l < 6; ++l) {
      bool wide = l >= 2 && l < 4;
      TExplorerButton* b = Make(form, 4 + 66 * l, 4 + 56 * s, states[s], 64, 52);
      (void)wide;
      if (l < 4) {
        b->SetLayout(layouts[l]);
        b->SetBitmap(&g);
        if (l >= 2) b->SetCaption(s == 0 ? "Li" : "Re");
      } else if (l == 4) {
        b->SetBitmap(&g);  // with a drop-down mark
        b->SetDropDownMenu(menu);
      } else {
        b->SetCaption(CP1252("&Menü").str());  // text only with a mark
        b->SetDropDownMenu(menu);
      }
      b->SetGroupIndex(s == 3 ? 10 + l : 0);
      grid[s][l] = b;
    }
  }
  form->Show();
  for (int l = 0; l < 6; ++l) {
    grid[1][l]->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(grid[1][l]));
    grid[3][l]->SetDown(true);
    grid[4][l]->SetEnabled(false);
  }
  for (int l = 0; l < 4; ++l) grid[2][l]->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLong(30, 20));
  drv.SavePng(form, "explorer_buttons");
  // Up (mouse elsewhere): no frame; hot: raised frame; pressed: sunken.
  const TColor lit = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
  EXPECT_EQ(drv.PixelAt(grid[0][0], 10, 0), ColorToRGB(clBtnFace));
  EXPECT_EQ(drv.PixelAt(grid[1][0], 10, 0), lit);
  EXPECT_EQ(drv.PixelAt(grid[1][0], 10, 51), dark);
  EXPECT_EQ(drv.PixelAt(grid[2][0], 10, 0), dark);
  EXPECT_EQ(drv.PixelAt(grid[3][0], 10, 0), dark);
  // The down pattern alternates face and highlight.
  int pattern = CountColor(drv, grid[3][0], {2, 2, 10, 4}, lit);
  EXPECT_GE(pattern, 6);
  // Hot shows the coloured glyph, up the shaded copy (no yellow).
  auto p = grid[0][0]->Place();
  EXPECT_EQ(CountColor(drv, grid[0][0], p.Glyph, clYellow), 0);
  EXPECT_GT(CountColor(drv, grid[1][0], p.Glyph, clYellow), 0);
  // Disabled: embossed glyph in highlight and shadow only.
  EXPECT_EQ(CountColor(drv, grid[4][0], p.Glyph, clYellow), 0);
  EXPECT_GT(CountColor(drv, grid[4][0], p.Glyph, dark), 0);
  // The drop-down mark: 16 pixels of the font colour right of the glyph.
  auto pm = grid[1][4]->Place();
  EXPECT_EQ(CountColor(drv, grid[1][4], {pm.Mark.X, pm.Mark.Y - 1, pm.Mark.X + 7, pm.Mark.Y + 3}, clBlack), 16);
  for (int l = 0; l < 4; ++l) grid[2][l]->Perform(WM_LBUTTONUP, 0, MakeLong(-1, -1));
}

}  // namespace

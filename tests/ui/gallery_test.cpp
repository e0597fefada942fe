// The small standard controls (check and radio boxes, radio group, labels
// with accelerators, speed and bitmap buttons, page control, gauge, image,
// scroll bar) and a gallery form with every control, saved as a picture.
#include <gtest/gtest.h>

#include "platform/rtl/cp1252.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/grids.h"
#include "platform/ui/menus.h"
#include "tests/ui/ui_test_util.h"

namespace {

TEST(ButtonControls, CheckBoxStatesAndRadioButtons) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* cb = new TCheckBox(f);
  cb->SetParent(f);
  cb->SetCaption("&Fett");
  cb->SetAllowGrayed(true);
  int clicks = 0;
  cb->OnClick = [&](TObject*) { ++clicks; };
  auto* r1 = new TRadioButton(f);
  r1->SetParent(f);
  r1->SetTop(30);
  auto* r2 = new TRadioButton(f);
  r2->SetParent(f);
  r2->SetTop(50);
  f->Show();
  d.Click(cb);
  EXPECT_EQ(cb->State(), cbGrayed);
  d.Click(cb);
  EXPECT_EQ(cb->State(), cbChecked);
  cb->SetFocus();
  d.PressKey(VK_SPACE);
  EXPECT_EQ(cb->State(), cbUnchecked);
  d.PressKey('F', ssAlt);  // the accelerator toggles too
  EXPECT_EQ(cb->State(), cbGrayed);
  EXPECT_EQ(clicks, 4);
  // A press that leaves the box before the release changes nothing.
  d.Drag(cb, {5, 5}, {300, 150});
  EXPECT_EQ(cb->State(), cbGrayed);
  d.Click(r1);
  EXPECT_TRUE(r1->Checked());
  d.Click(r2);
  EXPECT_TRUE(r2->Checked());
  EXPECT_FALSE(r1->Checked());
}

TEST(ButtonControls, RadioGroupAndLabelAccelerator) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* rg = new TRadioGroup(f);
  rg->SetParent(f);
  rg->SetBounds(10, 10, 200, 80);
  rg->SetColumns(2);
  for (const char* s : {"Keine", "Mit Symbol"}) rg->Items()->Add(s);
  rg->Items()->Add(CP1252("Über den Namen").str());
  int clicks = 0;
  rg->OnClick = [&](TObject*) { ++clicks; };
  auto* ed = new TEdit(f);
  ed->SetParent(f);
  ed->SetBounds(100, 120, 80, 21);
  auto* lbl = new TLabel(f);
  lbl->SetParent(f);
  lbl->SetCaption("&Titel:");
  lbl->SetBounds(10, 124, 0, 0);
  lbl->SetFocusControl(ed);
  f->Show();
  EXPECT_EQ(rg->ItemIndex(), -1);
  // Two columns: the third button heads the second column.
  EXPECT_GT(rg->Buttons(2)->Left(), rg->Buttons(0)->Left());
  d.Click(rg->Buttons(1));
  EXPECT_EQ(rg->ItemIndex(), 1);
  EXPECT_EQ(clicks, 1);
  rg->SetItemIndex(2);  // by program: no click
  EXPECT_TRUE(rg->Buttons(2)->Checked());
  EXPECT_FALSE(rg->Buttons(1)->Checked());
  EXPECT_EQ(clicks, 1);
  rg->Items()->Delete(2);
  EXPECT_EQ(rg->ItemIndex(), -1);
  // The label sizes itself to its caption and hands its accelerator on.
  EXPECT_GT(lbl->Width(), 10);
  EXPECT_GT(lbl->Height(), 8);
  rg->Buttons(0)->SetFocus();
  d.PressKey('T', ssAlt);
  EXPECT_TRUE(ed->Focused());
  d.KeyDown(VK_RIGHT);  // held on: Tab checks nothing, the group is one stop, arrows check in it
  d.PressKey(VK_TAB);
  d.KeyUp(VK_RIGHT);
  EXPECT_TRUE(rg->Buttons(0)->Focused());
  EXPECT_EQ(rg->ItemIndex(), -1);
  d.PressKey(VK_TAB);
  EXPECT_TRUE(ed->Focused()) << "one stop";
  d.PressKey(VK_TAB, ssShift);
  d.PressKey(VK_UP);
  d.PressKey(VK_TAB);
  d.PressKey(VK_TAB);  // out to the edit and back to the checked button
  EXPECT_TRUE(rg->Buttons(1)->Focused());
  EXPECT_EQ(rg->ItemIndex(), 1);
  delete ed;
  EXPECT_EQ(lbl->FocusControl(), nullptr);
}

TEST(ButtonControls, SpeedButtonGroupsAndBitBtnKinds) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  std::vector<TSpeedButton*> sb;
  for (int i = 0; i < 3; ++i) {
    auto* b = new TSpeedButton(f);
    b->SetParent(f);
    b->SetBounds(10 + 25 * i, 10, 23, 22);
    b->SetGroupIndex(1);
    sb.push_back(b);
  }
  auto* other = new TPanel(f);
  other->SetParent(f);
  other->SetBounds(10, 40, 100, 40);
  auto* foreign = new TSpeedButton(f);
  foreign->SetParent(other);
  foreign->SetGroupIndex(1);
  foreign->SetDown(true);
  f->Show();
  d.Click(sb[0]);
  EXPECT_TRUE(sb[0]->Down());
  d.Click(sb[2]);
  EXPECT_TRUE(sb[2]->Down());
  EXPECT_FALSE(sb[0]->Down());
  EXPECT_TRUE(foreign->Down());  // another parent: another group
  d.Click(sb[2]);
  EXPECT_TRUE(sb[2]->Down());  // no all-up
  sb[0]->SetAllowAllUp(true);
  d.Click(sb[2]);
  EXPECT_FALSE(sb[2]->Down());
  auto* plain = new TSpeedButton(f);
  plain->SetDown(true);
  EXPECT_FALSE(plain->Down());  // group 0 never latches
  auto* ok = new TBitBtn(f);
  ok->SetParent(f);
  ok->SetKind(bkOK);
  ok->SetTop(100);
  auto* cancel = new TBitBtn(f);
  cancel->SetParent(f);
  cancel->SetKind(bkCancel);
  cancel->SetTop(130);
  EXPECT_EQ(ok->ModalResult(), mrOk);
  EXPECT_EQ(cancel->Caption(), "Abbruch");
  EXPECT_TRUE(cancel->Cancel());
  f->Hide();
  d.WhenModal([&](TCustomForm&) { d.PressKey(VK_ESCAPE); });
  EXPECT_EQ(f->ShowModal(), mrCancel);
}

TEST(PageControl, TabsByMouseAndKeys) {
  TUiTestDriver d;
  TForm* f = MakeForm(320, 220);
  auto* pc = new TPageControl(f);
  pc->SetParent(f);
  pc->SetAlign(alClient);
  std::vector<TTabSheet*> pages;
  std::vector<TEdit*> edits;
  for (const char* cap : {"&Allgemein", "&Schrift", "&Farben"}) {
    auto* ts = new TTabSheet(f);
    ts->SetCaption(cap);
    ts->SetPageControl(pc);
    auto* e = new TEdit(f);
    e->SetParent(ts);
    edits.push_back(e);
    pages.push_back(ts);
  }
  int changes = 0;
  pc->OnChange = [&](TObject*) { ++changes; };
  f->Show();
  EXPECT_EQ(pc->ActivePage(), pages[0]);
  EXPECT_TRUE(pages[0]->Showing());
  EXPECT_FALSE(pages[1]->Showing());
  TRect t = pc->TabRect(1);
  d.Click(pc, (t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2);
  EXPECT_EQ(pc->ActivePageIndex(), 1);
  EXPECT_EQ(changes, 1);
  edits[1]->SetFocus();
  d.PressKey(VK_TAB, ssCtrl);
  EXPECT_EQ(pc->ActivePageIndex(), 2);
  EXPECT_FALSE(edits[1]->Focused());  // the focus left the hidden sheet
  d.PressKey('A', ssAlt);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  pc->OnChanging = [](TObject*, bool& allow) { allow = false; };
  d.PressKey(VK_RIGHT);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  delete pages[0];
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePage(), pages[1]);
  // A sheet given the page control as its parent is a page as well.
  auto* extra = new TTabSheet(f);
  extra->SetCaption("Extra");
  extra->SetParent(pc);
  EXPECT_EQ(pc->PageCount(), 3);
  EXPECT_EQ(extra->PageIndex(), 2);
  extra->SetParent(f);
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(extra->PageControl(), nullptr);
}

TEST(Gauge, ProgressAndPercent) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* g = new TGauge(f);
  g->SetParent(f);
  g->SetBounds(10, 10, 202, 20);
  g->SetForeColor(clNavy);
  g->SetMaxValue(400);
  g->SetProgress(100);
  EXPECT_EQ(g->PercentDone(), 25);
  g->AddProgress(500);
  EXPECT_EQ(g->Progress(), 400);
  g->SetProgress(200);
  f->Show();
  d.Process();
  EXPECT_EQ(d.PixelAt(g, 5, 3), clNavy);     // the done half
  EXPECT_EQ(d.PixelAt(g, 195, 3), clWhite);  // the rest
  g->SetMaxValue(0);
  EXPECT_EQ(g->PercentDone(), 0);
}

TEST(ScrollBar, ArrowsPagesThumbAndKeys) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* sb = new TScrollBar(f);
  sb->SetParent(f);
  sb->SetBounds(10, 10, 200, 17);
  sb->SetParams(0, 0, 100);
  sb->SetSmallChange(2);
  sb->SetLargeChange(10);
  std::vector<int> codes;
  sb->OnScroll = [&](TObject*, TScrollCode c, int&) { codes.push_back(c); };
  f->Show();
  d.Click(sb, 180 + 12, 8);  // right arrow
  EXPECT_EQ(sb->Position(), 2);
  d.Click(sb, 150, 8);  // page right of the thumb
  EXPECT_EQ(sb->Position(), 12);
  // Holding an arrow repeats.
  d.MouseDown(sb, 192, 8);
  d.Advance(350);
  d.MouseUp(sb, 192, 8);
  EXPECT_GT(sb->Position(), 16);
  int before = sb->Position();
  d.Advance(300);
  EXPECT_EQ(sb->Position(), before);
  // Dragging the thumb to the far right reaches the maximum.
  sb->SetPosition(0);
  d.Drag(sb, {20, 8}, {400, 8});
  EXPECT_EQ(sb->Position(), 100);
  EXPECT_NE(std::find(codes.begin(), codes.end(), scTrack), codes.end());
  EXPECT_EQ(codes.back(), scEndScroll);
  sb->SetFocus();
  d.PressKey(VK_HOME);
  EXPECT_EQ(sb->Position(), 0);
  d.PressKey(VK_NEXT);
  EXPECT_EQ(sb->Position(), 10);
  d.PressKey(VK_UP);  // the other axis: ignored
  EXPECT_EQ(sb->Position(), 10);
  EXPECT_THROW(sb->SetParams(5, 10, 0), EInvalidOperation);
  sb->SetPosition(500);
  EXPECT_EQ(sb->Position(), 100);
}

TEST(Image, AutoSizeStretchAndCentre) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* img = new TImage(f);
  img->SetParent(f);
  img->SetBounds(10, 10, 100, 80);
  TBitmap pic(20, 10);
  pic.Canvas()->Brush()->SetColor(clLime);
  pic.Canvas()->FillRect({0, 0, 20, 10});
  img->Picture()->SetGraphic(&pic);
  EXPECT_EQ(img->DestRect(), (TRect{0, 0, 20, 10}));
  img->SetCenter(true);
  EXPECT_EQ(img->DestRect(), (TRect{40, 35, 60, 45}));
  img->SetStretch(true);
  EXPECT_EQ(img->DestRect(), (TRect{0, 0, 100, 80}));
  f->Show();
  d.Process();
  EXPECT_EQ(d.PixelAt(img, 90, 70), clLime);
  img->SetAutoSize(true);
  EXPECT_EQ(img->Width(), 20);
  EXPECT_EQ(img->Height(), 10);
}

// --------------------------------------------------------------- gallery

TEST(Gallery, EveryControlInOneClassicStyle) {
  TUiTestDriver d;
  auto* f = new TForm(Application);
  f->SetCaption("Galerie");
  f->SetColor(clBtnFace);
  f->SetClientSize(640, 480);
  auto* mm = new TMainMenu(f);
  for (const char* c : {"&Datei", "&Bearbeiten", "&Hilfe"}) {
    auto* it = new TMenuItem(f);
    it->SetCaption(c);
    mm->Items()->Add(it);
  }
  auto place = [&](TControl* c, TWinControl* parent, int x, int y, int w, int h) {
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
  };
  auto* top = new TPanel(f);
  place(top, f, 0, 0, 640, 34);
  top->SetAlign(alTop);
  for (int i = 0; i < 4; ++i) {
    auto* sb = new TSpeedButton(f);
    place(sb, top, 6 + i * 25, 5, 23, 22);
    sb->SetGroupIndex(1);
    sb->SetCaption(std::string(1, static_cast<char>('A' + i)));
    if (i == 1) sb->SetDown(true);
  }
  auto* title = new TLabel(f);
  title->SetParent(top);
  title->SetCaption("Standardelemente");
  title->SetLeft(120);
  title->SetTop(10);

  auto* lbl = new TLabel(f);
  lbl->SetParent(f);
  lbl->SetCaption("&Name:");
  lbl->SetLeft(10);
  lbl->SetTop(48);
  auto* ed = new TEdit(f);
  place(ed, f, 60, 44, 140, 21);
  ed->SetText("Maria Muster");
  lbl->SetFocusControl(ed);
  auto* me = new TMaskEdit(f);
  place(me, f, 60, 72, 60, 21);
  me->SetEditMask("90:00;1;_");
  me->SetText("12:30");
  auto* cmb = new TComboBox(f);
  place(cmb, f, 60, 100, 140, 21);
  cmb->SetStyle(csDropDownList);
  for (const char* s : {"Arial", "Courier New", "Times New Roman"}) cmb->Items()->Add(s);
  cmb->SetItemIndex(0);
  auto* cb1 = new TCheckBox(f);
  place(cb1, f, 10, 130, 120, 17);
  cb1->SetCaption("&Fett");
  cb1->SetChecked(true);
  auto* cb2 = new TCheckBox(f);
  place(cb2, f, 10, 150, 120, 17);
  cb2->SetCaption("&Kursiv");
  cb2->SetAllowGrayed(true);
  cb2->SetState(cbGrayed);
  auto* cb3 = new TCheckBox(f);
  place(cb3, f, 10, 170, 120, 17);
  cb3->SetCaption("Unterstrichen");
  cb3->SetEnabled(false);
  auto* rg = new TRadioGroup(f);
  place(rg, f, 10, 192, 190, 70);
  rg->SetCaption(" Media Links ");
  for (const char* s : {"Keine", "Mit Symbol"}) rg->Items()->Add(s);
  rg->Items()->Add(CP1252("Über den Namen").str());
  rg->SetItemIndex(1);
  auto* gb = new TGroupBox(f);
  place(gb, f, 10, 268, 190, 60);
  gb->SetCaption("Gruppe");
  auto* rb1 = new TRadioButton(f);
  place(rb1, gb, 10, 18, 80, 17);
  rb1->SetCaption("Links");
  rb1->SetChecked(true);
  auto* rb2 = new TRadioButton(f);
  place(rb2, gb, 10, 36, 80, 17);
  rb2->SetCaption("Rechts");
  auto* memo = new TMemo(f);
  place(memo, f, 10, 336, 190, 80);
  memo->SetScrollBars(ssVertical);
  memo->SetText("Ein Memo mit mehreren Zeilen Text, der umbrochen wird.\r\nZweite Zeile");

  auto* lb = new TListBox(f);
  place(lb, f, 214, 44, 120, 100);
  for (const char* s : {"Januar", "Februar", "April", "Mai", "Juni", "Juli", "August"}) lb->Items()->Add(s);
  lb->Items()->Insert(2, CP1252("März").str());
  lb->SetItemIndex(2);
  auto* pc = new TPageControl(f);
  place(pc, f, 344, 44, 286, 120);
  for (const char* c : {"&Allgemein", "&Schrift"}) {
    auto* ts = new TTabSheet(f);
    ts->SetCaption(c);
    ts->SetPageControl(pc);
  }
  auto* inner = new TLabel(f);
  inner->SetParent(pc->Pages(0));
  inner->SetCaption("Inhalt der ersten Seite");
  inner->SetLeft(8);
  inner->SetTop(8);
  auto* grid = new TDrawGrid(f);
  place(grid, f, 214, 172, 416, 120);
  grid->SetColCount(6);
  grid->SetRowCount(8);
  grid->SetDefaultRowHeight(18);
  grid->SetDefaultColWidth(70);
  grid->OnDrawCell = [grid](TObject*, int c, int r, TRect rect, TGridDrawState) {
    AnsiString s = r == 0 ? (c == 0 ? AnsiString() : "Spalte " + std::to_string(c)) : std::to_string(r * 10 + c);
    grid->Canvas()->Brush()->SetStyle(bsClear);
    grid->Canvas()->TextOut(rect.Left + 2, rect.Top + 2, s);
  };
  grid->SetRow(2);
  grid->SetCol(2);
  auto* sbar = new TScrollBar(f);
  place(sbar, f, 214, 300, 200, 17);
  sbar->SetPosition(30);
  auto* gauge = new TGauge(f);
  place(gauge, f, 214, 324, 200, 20);
  gauge->SetForeColor(clNavy);
  gauge->SetProgress(65);
  auto* bevel = new TBevel(f);
  place(bevel, f, 214, 352, 200, 2);
  bevel->SetShape(bsTopLine);
  auto* shape = new TShape(f);
  place(shape, f, 424, 300, 40, 40);
  shape->SetShape(stEllipse);
  shape->Brush()->SetColor(clYellow);
  auto* img = new TImage(f);
  place(img, f, 474, 300, 48, 48);
  TBitmap pic(48, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) pic.Canvas()->SetPixels(x, y, RGB(x * 5, y * 5, 160));
  img->Picture()->SetGraphic(&pic);
  auto* pb = new TPaintBox(f);
  place(pb, f, 532, 300, 48, 48);
  pb->OnPaint = [pb](TObject*) {
    TCanvas* c = pb->Canvas();
    c->Pen()->SetColor(clMaroon);
    c->MoveTo(0, 47);
    c->LineTo(47, 0);
  };
  auto* sunk = new TPanel(f);
  place(sunk, f, 214, 362, 416, 54);
  sunk->SetBevelOuter(bvLowered);
  sunk->SetCaption("Panel, abgesenkt");
  auto* ok = new TBitBtn(f);
  place(ok, f, 380, 430, 75, 25);
  ok->SetKind(bkOK);
  auto* cancel = new TBitBtn(f);
  place(cancel, f, 462, 430, 75, 25);
  cancel->SetKind(bkCancel);
  auto* help = new TButton(f);
  place(help, f, 544, 430, 75, 25);
  help->SetCaption("&Hilfe");
  auto* grip = new TSizeGrip(f);
  place(grip, f, 624, 464, 16, 16);
  f->Show();
  ed->SetFocus();
  ed->SelectAll();
  d.Process();
  std::string path = d.SavePng(f, "gallery");
  EXPECT_FALSE(path.empty());
  // A few pixels that only a correct paint gives: the gauge bar, the yellow ellipse and the sunken panel's edge.
  EXPECT_EQ(d.PixelAt(gauge, 5, 5), clNavy);
  EXPECT_EQ(d.PixelAt(shape, 20, 20), clYellow);
  EXPECT_EQ(d.PixelAt(sunk, 0, 10), ColorToRGB(clBtnShadow));
  int highlighted = 0;  // the selected text stands on the highlight colour
  for (int y = 1; y < 14; ++y)
    for (int x = 2; x < 60; ++x) highlighted += d.PixelAt(ed, x, y) == ColorToRGB(clHighlight);
  EXPECT_GT(highlighted, 300);
}

}  // namespace

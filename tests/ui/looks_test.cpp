// How standard controls and dialogs look, checked by pixels: the page
// control's active tab joined to its page, the stand-alone scroll bar's
// track like a list's, dialog margins and label gaps, a simple combo box
// with whole rows. Every picture is saved for looking at.
#include <gtest/gtest.h>

#include "platform/rtl/cp1252.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/extctrls.h"
#include "tests/ui/ui_test_util.h"

namespace {

template <class T>
std::vector<T*> All(TCustomForm* f) {
  std::vector<T*> out;
  for (int i = 0; i < f->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<T*>(f->Components(i))) out.push_back(c);
  return out;
}

TEST(Looks, ActiveTabJoinsItsPage) {
  TUiTestDriver d;
  TForm* f = MakeForm(280, 150);
  auto* pc = new TPageControl(f);
  pc->SetParent(f);
  pc->SetBounds(10, 10, 260, 130);
  for (const char* cap : {"&Allgemein", "&Schrift", "&Farben"}) {
    auto* ts = new TTabSheet(f);
    ts->SetCaption(cap);
    ts->SetPageControl(pc);
  }
  f->Show();
  d.SavePng(pc, "page_control_tabs");
  const TColor face = ColorToRGB(clBtnFace);
  auto px = [&](int x, int y) { return ColorToRGB(d.PixelAt(pc, x, y)); };
  const int bodyTop = pc->TabRect(0).Bottom;  // the page's raised edge starts below the tab row
  for (int active = 0; active < 3; ++active) {
    SCOPED_TRACE("active tab " + std::to_string(active));
    pc->SetActivePageIndex(active);
    d.Process();
    TRect t = pc->TabRect(active);
    InflateRect(t, 2, 2);  // the active tab stands out by two pixels
    // No page line under the active tab: its face runs into the page.
    for (int x = t.Left + 2; x < t.Right - 2; ++x) {
      EXPECT_EQ(px(x, bodyTop), face) << x;
      EXPECT_EQ(px(x, bodyTop + 1), face) << x;
    }
    // Its own dark right edge, not covered by the neighbour.
    for (int y = t.Top + 3; y < bodyTop; ++y) {
      EXPECT_EQ(px(t.Right - 1, y), ColorToRGB(cl3DDkShadow)) << y;
      EXPECT_EQ(px(t.Right - 2, y), ColorToRGB(clBtnShadow)) << y;
    }
    // Its white left edge, down into the page's white line.
    for (int y = t.Top + 2; y <= bodyTop + 1; ++y) EXPECT_EQ(px(t.Left, y), ColorToRGB(clBtnHighlight)) << y;
    // No black pixel above its cut top-right corner.
    EXPECT_EQ(px(t.Right - 1, t.Top), face);
    EXPECT_EQ(px(t.Right - 1, t.Top + 1), face);
  }
  d.SavePng(pc, "page_control_tabs_last");
  // Beyond the last tab the row is plain face down to the page's edge.
  TRect last = pc->TabRect(2);
  for (int x = last.Right + 3; x < pc->Width() - 1; ++x)
    for (int y = 0; y < bodyTop; ++y) EXPECT_EQ(px(x, y), face) << x << "," << y;
}

TEST(Looks, StandAloneScrollBarTrackIsTheListsTrack) {
  TUiTestDriver d;
  TForm* f = MakeForm(260, 140);
  auto* lb = new TListBox(f);
  lb->SetParent(f);
  lb->SetBounds(10, 10, 120, 60);
  for (int i = 0; i < 30; ++i) lb->Items()->Add("Zeile " + std::to_string(i));
  auto* sb = new TScrollBar(f);
  sb->SetParent(f);
  sb->SetKind(sbVertical);
  sb->SetBounds(150, 10, 16, 120);
  sb->SetParams(0, 0, 100);
  f->Show();
  d.SavePng(f, "scroll_bar_tracks");
  // Track pixels: below the list's thumb, and in the stand-alone bar's
  // lower half (its thumb sits at the top).
  TColor listTrack = d.PixelAt(f, 10 + 120 - 2 - 8, 10 + 60 - 2 - 20);
  TColor barTrack = d.PixelAt(sb, 8, 80);
  EXPECT_EQ(ColorToRGB(barTrack), ColorToRGB(listTrack));
}

TEST(Looks, PrintDialogButtonsKeepTheGroupBoxMargin) {
  TUiTestDriver d;
  TPrintDialog pd(nullptr);
  d.WhenModal([&](TCustomForm& form) {
    d.SavePng(&form, "print_dialog_margins");
    auto groups = All<TGroupBox>(&form);
    ASSERT_EQ(groups.size(), 1u);
    const int margin = groups[0]->Left();
    EXPECT_EQ(form.ClientWidth() - (groups[0]->Left() + groups[0]->Width()), margin);
    for (TButton* b : All<TButton>(&form)) {
      if (b->Caption() != "Abbrechen") continue;
      EXPECT_EQ(form.ClientWidth() - (b->Left() + b->Width()), margin);
    }
    d.PressKey(VK_ESCAPE);
  });
  EXPECT_FALSE(pd.Execute());
}

// The gap between a label and its edit, per label of a find or replace dialog.
std::vector<std::pair<int, int>> LabelGaps(TForm* form) {
  std::vector<std::pair<int, int>> out;  // (gap, edit's left)
  for (TLabel* l : All<TLabel>(form))
    if (TWinControl* edit = l->FocusControl()) out.push_back({edit->Left() - (l->Left() + l->Width()), edit->Left()});
  return out;
}

TEST(Looks, ReplaceDialogLabelsKeepTheFindDialogsGap) {
  TUiTestDriver d;
  TForm* main = MakeForm();
  main->Show();
  TFindDialog fd(nullptr);
  ASSERT_TRUE(fd.Execute());
  auto findGaps = LabelGaps(fd.Form());
  ASSERT_EQ(findGaps.size(), 1u);
  const int gap = findGaps[0].first;
  EXPECT_GE(gap, 6);
  fd.CloseDialog();
  TReplaceDialog rd(nullptr);
  ASSERT_TRUE(rd.Execute());
  d.SavePng(rd.Form(), "replace_dialog_gaps");
  auto gaps = LabelGaps(rd.Form());
  ASSERT_EQ(gaps.size(), 2u);
  // One column of edits; the longer label keeps the gap, the shorter more.
  EXPECT_EQ(gaps[0].second, gaps[1].second);
  EXPECT_EQ(std::min(gaps[0].first, gaps[1].first), gap);
  rd.CloseDialog();
}

TEST(Looks, SimpleComboShowsWholeRows) {
  TUiTestDriver d;
  TForm* f = MakeForm(200, 200);
  auto* cb = new TComboBox(f);
  cb->SetParent(f);
  cb->SetStyle(csSimple);
  for (int i = 1; i <= 12; ++i) cb->Items()->Add("Eintrag " + std::to_string(i));
  f->Show();
  for (int h : {120, 127, 133}) {
    SCOPED_TRACE("height " + std::to_string(h));
    cb->SetBounds(10, 10, 150, h);
    d.Process();
    d.SavePng(cb, "combo_simple_rows_" + std::to_string(h));
    ASSERT_EQ(cb->ControlCount(), 1);
    auto* list = dynamic_cast<TWinControl*>(cb->Controls(0));
    ASSERT_NE(list, nullptr);
    const int ih = cb->ItemHeight();
    EXPECT_EQ(list->ClientHeight() % ih, 0) << list->ClientHeight() << " for rows of " << ih;
    EXPECT_GE(list->ClientHeight(), ih);
    EXPECT_LE(h - cb->Height(), ih);                      // shrunk by less than a row
    EXPECT_EQ(list->Top() + list->Height(), cb->Height());  // nothing below the list
  }
}

}  // namespace

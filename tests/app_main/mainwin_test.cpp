// The main window as the user meets it: the title page at the initial
// size and every menu dropped down (saved as pictures), what is offered and
// what stays disabled, the start-up step 200 ms after the first paint, the
// 400 ms date debounce, the date menu's moves, the title page when the
// window shrinks, the minimum size, the help file, the single-instance
// message, a page whose table was damaged after the start, and reference
// data that the user may not write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "calendar/packeddate.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keyboard.h"
#include "app/dialogs/lage.h"
#include "app/templates/expansion.h"
#include "app/windows/datawin.h"
#include "app/windows/saying.h"
#include "resources/editorpictures.h"
#include "resources/pictures.h"
#include "tests/app_main/main_fixture.h"

namespace {

using maintest::MainWindowTest;
namespace fs = std::filesystem;

// The number of paragraphs of the page that hold text.
int Entries(TWPCustomRtfEdit* page) {
  int n = 0;
  for (TWPParagraphRec* p = page->RtfText()->FirstPar; p; p = p->next) {
    bool text = false;
    for (TWPLineRec* l = p->line; l && !text; l = l->next) text = l->Length > 0;
    n += text;
  }
  return n;
}

// The visible text of the page.
std::string Text(TWPCustomRtfEdit* page) {
  std::string out;
  for (TWPParagraphRec* p = page->RtfText()->FirstPar; p; p = p->next, out += '\n')
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i)
        if (!l->pa || !(l->pa[i].Style & wpsHidden)) out += l->pc[i];
  return out;
}

// The top-level item of the menu bar with this caption.
TMenuItem* Menu(TfrmMain* f, const char* caption) { return f->mnuMain->Items()->Find(caption); }

TEST_F(MainWindowTest, TitlePageAtTheInitialSize) {
  TfrmMain* f = Start();
  EXPECT_EQ(f->Width(), 687);
  EXPECT_EQ(f->Height(), 524);
  EXPECT_EQ(f->Caption().rfind("Orvelan", 0), 0u);
  // The start-up step shows the start rubric 200 ms after the first paint.
  EXPECT_FALSE(f->FirstPaint());
  EXPECT_TRUE(f->StartupTimer->Enabled());
  driver.Advance(199);
  EXPECT_TRUE(f->StartupTimer->Enabled());
  driver.Advance(1);
  EXPECT_FALSE(f->StartupTimer->Enabled());
  EXPECT_EQ(CurrentRubric, rbEmpty);
  EXPECT_TRUE(f->pbLeer->Down());
  EXPECT_TRUE(f->mnpLeer->Checked());
  // Title and version centred, the picture between them.
  EXPECT_TRUE(f->PictureFits());
  EXPECT_TRUE(f->imgTitelbild->Visible());
  EXPECT_TRUE(f->lblTitel->Visible());
  EXPECT_TRUE(f->lblVersion->Visible());
  EXPECT_FALSE(f->pnlTitel->Visible());
  EXPECT_FALSE(f->WPRichText1->Visible());
  const int w = f->pnlClient->Width();
  EXPECT_LE(std::abs(f->lblTitel->Left() * 2 + f->lblTitel->Width() - w), 1);
  EXPECT_LE(std::abs(f->imgTitelbild->Left() * 2 + f->imgTitelbild->Width() - w), 1);
  EXPECT_LT(f->lblTitel->Top() + f->lblTitel->Height(), f->imgTitelbild->Top());
  EXPECT_GT(f->lblVersion->Top(), f->imgTitelbild->Top() + f->imgTitelbild->Height());
  EXPECT_LE(f->lblVersion->Top() + f->lblVersion->Height(), f->pnlClient->Height());
  EXPECT_EQ(f->lblVersion->Caption(), "Version 5.02");
  // The calendar box stands centred above the calendar, both inside the left panel.
  EXPECT_LE(f->Kalender->Left() + f->Kalender->Width(), f->pnlLeft->Width());
  EXPECT_LE(std::abs((f->boxKalender->Left() * 2 + f->boxKalender->Width()) -
                     (f->Kalender->Left() * 2 + f->Kalender->Width())),
            1);
  EXPECT_LT(f->boxKalender->Top() + f->boxKalender->Height(), f->Kalender->Top());
  EXPECT_LE(f->Kalender->Top() + f->Kalender->Height(), f->pnlLeft->Height());
  // The tool buttons one after another from the left, "Ende" and "Info" at the right.
  EXPECT_EQ(f->pbLeer->Left(), 4);
  EXPECT_EQ(f->pbEige->Left(), 4 + 72 + 1);
  EXPECT_EQ(f->pbExit->Left() + f->pbExit->Width() + 4, f->pnlToolbar->Width());
  EXPECT_EQ(f->pbInfo->Left() + f->pbInfo->Width() + 4, f->pnlToolbar2->Width());
  SaveScreen(f, "main_title_page");
}

// How a picture was drawn on a surface of scale 2: the aligned 2 x 2 blocks
// of `r` (units) that are not one colour (an enlarged picture has none), and
// the mean difference per colour channel from the picture at scale 1.
struct Fineness {
  int SplitBlocks = 0;
  double MeanDifference = 0;
};
Fineness FinenessOf(const TSurface& s, TRect r, const TSurface* unit = nullptr) {
  Fineness out;
  long long diff = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      const std::uint32_t p = s.Row(2 * y)[2 * x], *below = s.Row(2 * y + 1) + 2 * x;
      out.SplitBlocks += p != s.Row(2 * y)[2 * x + 1] || p != below[0] || p != below[1];
      for (int shift = 0; unit && shift < 24; shift += 8)
        diff += std::abs(int((p >> shift) & 0xFF) - int((unit->Row(y)[x] >> shift) & 0xFF));
    }
  out.MeanDifference = diff / (3.0 * std::max(1, r.Width() * r.Height()));
  return out;
}

// On a desktop scaled to 2 the window has the screen's pixels: text and the
// pictures drawn in code (the title, the tool icons, and those of the
// further windows) are as sharp as the screen shows them, and still the
// same pictures.
TEST_F(MainWindowTest, AtScreenScaleTwoTextAndPicturesAreDrawnAtTheScreensPixels) {
  SetScreenScale(2);
  TScopeExit back{[] { SetScreenScale(1); }};
  TfrmMain* f = Start();
  driver.Advance(200);
  driver.SavePng(f, "main_title_page_scale_2");
  const TSurface& s = *f->Surface();
  ASSERT_EQ(s.Width(), 2 * f->ClientWidth());
  auto on = [&](TControl* c, TRect r) {
    const TPoint o = f->ScreenToClient(c->ClientToScreen({0, 0}));
    OffsetRect(r, o.X, o.Y);
    return r;
  };
  EXPECT_GT(FinenessOf(s, on(f->lblTitel, f->lblTitel->ClientRect())).SplitBlocks, 100);
  EXPECT_GT(FinenessOf(s, on(f->imgTitelbild, f->imgTitelbild->ClientRect())).SplitBlocks, 10000);
  EXPECT_GT(FinenessOf(s, on(f->pbLeer, f->pbLeer->Place().Glyph)).SplitBlocks, 4);
  const std::unique_ptr<TBitmap> pictures[] = {ToolPicture(tpEvents), EditorPicture(epMan),
                                               MoonPhasePicture(3),   SunPicture(),
                                               WarnerPicture(wpMale), SayingPicture(5)};
  for (const auto& b : pictures) {
    TSurface fine;
    fine.SetScale(2);
    fine.Resize(2 * b->Width(), 2 * b->Height());
    std::unique_ptr<TDrawDevice> device = GfxPlatform()->CreateRasterDevice(fine, 96);
    TCanvas(device.get()).Draw(0, 0, *b);
    const Fineness got = FinenessOf(fine, {0, 0, b->Width(), b->Height()}, &b->Surface());
    EXPECT_GT(got.SplitBlocks, 4) << b->Width() << " x " << b->Height();
    EXPECT_LT(got.MeanDifference, 20) << b->Width() << " x " << b->Height();
  }
}

TEST_F(MainWindowTest, EveryMenuDroppedDown) {
  TfrmMain* f = Start();
  driver.Advance(200);
  const char* names[] = {"main_menu_datei", "main_menu_rubrik",  "main_menu_datum",
                         "main_menu_eige",  "main_menu_drucken", "main_menu_einstellungen", "main_menu_hilfe"};
  ASSERT_EQ(f->mnuMain->Items()->Count(), 7);
  for (int i = 0; i < 7; ++i) {
    driver.WhenModal([&, i](TCustomForm&) {
      ASSERT_EQ(OpenMenuWindows().size(), 1u);
      SaveScreen(f, names[i]);
      driver.PressKey(VK_ESCAPE);
    });
    driver.ClickMenuBar(f, i);
    EXPECT_TRUE(OpenMenuWindows().empty());
  }
  // The two sub-menus: "Drucken" > "Persönliche Daten", "Einstellungen" > "Anzeige".
  for (auto [index, downs, name] : {std::tuple{4, 2, "main_menu_drucken_eige"}, {5, 1, "main_menu_anzeige"}}) {
    driver.WhenModal([&, downs = downs, name = name](TCustomForm&) {
      for (int k = 0; k < downs; ++k) driver.PressKey(VK_DOWN);
      driver.PressKey(VK_RIGHT);
      ASSERT_EQ(OpenMenuWindows().size(), 2u);
      SaveScreen(f, name);
      driver.PressKey(VK_ESCAPE);
      driver.PressKey(VK_ESCAPE);
    });
    driver.ClickMenuBar(f, index);
  }
  // Each level's letters differ, the bar's too; "Eingeben" has its E, "Heute" its H.
  std::function<void(TMenuItem*)> check = [&](TMenuItem* level) {
    std::set<char> letters;
    for (int i = 0; i < level->Count(); check(level->Items(i++))) {
      const AnsiString s = level->Parent() ? ShownMenuCaption(level->Items(i)) : level->Items(i)->Caption();
      EXPECT_TRUE(s == "-" || (AcceleratorOf(s) && letters.insert(AcceleratorOf(s)).second)) << s;
    }
  };
  check(f->mnuMain->Items());
  EXPECT_EQ(ShownMenuCaption(f->mnpDatum) + ShownMenuCaption(f->mnpHeute), "&Eingeben&Heute");
}

TEST_F(MainWindowTest, OnlyWhatWorksIsEnabled) {
  TfrmMain* f = Start();
  // Every window of the program is offered.
  for (TMenuItem* m : {f->mnpTermine, f->mnpSpruch, f->mnpExit, f->mnpLeer, f->mnpEige, f->mnpPGeb, f->mnpPTod,
                       f->mnpErei, f->mnpName, f->mnpFTag, f->mnpTagPlus, f->mnpTagMinus, f->mnpWochePlus,
                       f->mnpWocheMinus, f->mnpMonatPlus, f->mnpMonatMinus, f->mnpJahrPlus, f->mnpJahrMinus,
                       f->mnpHeute, f->mnpDatum, f->mnpPassDef, f->mnpInfo, f->mnpInhalt, f->mnpLayout,
                       f->mnpTagebuch, f->mnpGebListe, f->mnpGebUebersicht, f->mnpEigeDisp, f->mnpPGebDisp,
                       f->mnpPTodDisp, f->mnpEreiDisp, f->mnpNameDisp, f->mnpFTagDisp, f->mnpParams, f->mnpPersErf,
                       f->mnpEreiErf, f->mnpSelCErf, f->mnpDrucken})
    EXPECT_TRUE(m->Enabled()) << m->Caption();
  for (TExplorerButton* b : {f->pbLeer, f->pbEige, f->pbPGeb, f->pbPTod, f->pbErei, f->pbName, f->pbFTag, f->pbExit,
                             f->pbHelp, f->pbInfo, f->pbTermine, f->pbSpruch})
    EXPECT_TRUE(b->Enabled()) << b->Caption();
  // Every item and button that is enabled does something.
  for (TMenuItem* top : {Menu(f, "Datei"), Menu(f, "Rubrik"), Menu(f, "Datum"), Menu(f, "Hilfe")}) {
    ASSERT_NE(top, nullptr);
    for (int i = 0; i < top->Count(); ++i) {
      const TMenuItem* m = top->Items(i);
      EXPECT_TRUE(!m->Enabled() || m->IsLine() || m->OnClick) << i;
    }
  }
  // A click on a disabled button changes nothing.
  driver.Advance(200);
  driver.Click(f->pbTermine);
  EXPECT_EQ(CurrentRubric, rbEmpty);
  EXPECT_TRUE(f->pbLeer->Down());
}

TEST_F(MainWindowTest, TheBirthsPageOfABusyDayAtTheInitialSize) {
  const auto births = maintest::PersonsPerDay(0);
  const auto busiest = maintest::Busiest(births);
  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=2\r\nLetzte Rubrik anzeigen=1\r\n");
  driver.Advance(200);
  ASSERT_EQ(CurrentRubric, rbBirths);
  EXPECT_TRUE(f->pbPGeb->Down());
  EXPECT_TRUE(f->mnpPGeb->Checked());
  EXPECT_TRUE(f->pnlTitel->Visible());
  EXPECT_EQ(f->pnlTitel->Caption(), "Geburtstage");
  EXPECT_TRUE(f->WPRichText1->Visible());
  EXPECT_FALSE(f->lblTitel->Visible());
  EXPECT_FALSE(f->imgTitelbild->Visible());
  EXPECT_FALSE(f->pnlWhite->Visible());
  EXPECT_FALSE(f->Gauge->Visible());
  // The busiest day through the calendar: one paragraph per person born.
  ShowDay(f, EncodeDate(2024, busiest->first.first, busiest->first.second));
  EXPECT_EQ(Entries(f->WPRichText1), busiest->second);
  // The page fits the control: no line is wider than the room beside the scroll bar.
  EXPECT_LE(f->WPRichText1->Header()->PageWidth,
            MulDiv(f->WPRichText1->ClientWidth(), 1440, f->WPRichText1->Header()->ResX));
  SaveScreen(f, "main_births_busy_day");
  // F6: the deaths of the same day; Del: the title page again.
  driver.PressKey(VK_F6);
  EXPECT_EQ(CurrentRubric, rbDeaths);
  EXPECT_EQ(f->pnlTitel->Caption(), "Todestage");
  EXPECT_TRUE(f->pbPTod->Down());
  EXPECT_FALSE(f->pbPGeb->Down());
  EXPECT_EQ(Entries(f->WPRichText1), maintest::PersonsPerDay(1)[busiest->first]);
  SaveScreen(f, "main_deaths_busy_day");
  driver.PressKey(VK_DELETE);
  EXPECT_EQ(CurrentRubric, rbEmpty);
  EXPECT_FALSE(f->WPRichText1->Visible());
  EXPECT_TRUE(f->lblTitel->Visible());
  EXPECT_TRUE(f->imgTitelbild->Visible());
  driver.Click(f->pbPGeb);
  EXPECT_EQ(CurrentRubric, rbBirths);
  EXPECT_EQ(Entries(f->WPRichText1), busiest->second);
}

// The page's text keeps the same margin on the side of the scroll bar as
// on the left, and uses the width between them: at the initial size and
// wider, the columns of ink on a busy day's page.
TEST_F(MainWindowTest, ThePageTextKeepsItsMarginBesideTheScrollBar) {
  const auto births = maintest::PersonsPerDay(0);
  const auto busiest = maintest::Busiest(births);
  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=2\r\nLetzte Rubrik anzeigen=1\r\n");
  driver.Advance(200);
  ShowDay(f, EncodeDate(2024, busiest->first.first, busiest->first.second));
  for (const int width : {687, 900}) {
    SCOPED_TRACE(width);
    f->SetBounds(f->Left(), f->Top(), width, 524);
    driver.Process();
    f->PaintPending();
    TWPRichText* page = f->WPRichText1;
    ASSERT_TRUE(page->ScrollBarVisible(SB_VERT));
    const TPoint origin = f->ScreenToClient(page->ClientToScreen({0, 0}));
    const TSurface& shown = *f->Surface();
    int first = page->ClientWidth(), last = -1;
    for (int y = 0; y < page->ClientHeight(); ++y)
      for (int x = 0; x < page->ClientWidth(); ++x)
        if ((shown.Row(origin.Y + y)[origin.X + x] & 0xFFFFFF) != 0xFFFFFF) {
          first = std::min(first, x);
          last = std::max(last, x);
        }
    const int leftGap = first, rightGap = page->ClientWidth() - 1 - last;
    // The glyphs' own side bearings may differ by a pixel or two.
    EXPECT_GT(leftGap, 2);
    EXPECT_GE(rightGap, leftGap - 2);
    EXPECT_LE(rightGap, leftGap + 12);
  }
  SaveScreen(f, "main_page_margins");
}

TEST_F(MainWindowTest, AResizedPageKeepsItsScrollPosition) {
  const auto births = maintest::PersonsPerDay(0);
  const auto busiest = maintest::Busiest(births);
  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=2\r\nLetzte Rubrik anzeigen=1\r\n");
  driver.Advance(200);
  ShowDay(f, EncodeDate(2024, busiest->first.first, busiest->first.second));
  EXPECT_EQ(f->WPRichText1->TopOffset(), 0);  // a new page starts at its top
  f->WPRichText1->SetTopOffset(120);
  ASSERT_EQ(f->WPRichText1->TopOffset(), 120);
  const int32_t width = f->WPRichText1->Header()->PageWidth;
  f->SetBounds(f->Left(), f->Top(), 800, 600);
  driver.Process();
  EXPECT_EQ(f->WPRichText1->TopOffset(), 120);
  EXPECT_GT(f->WPRichText1->Header()->PageWidth, width);  // the page follows the control's width
}

// Two pages just longer than the window at its first size (the deaths of
// 25.12.2026, the events of 1.1.2027) at each width from the window's
// minimum to 1280, and the busiest deaths page at every eighth: each wider
// page is laid out in one pass, the scroll bar coming or going on the way,
// and left alone it is not laid out again (it was, on every paint, and
// each pass asked for another paint).
TEST_F(MainWindowTest, AtEveryWidthThePageSettlesInOnePass) {
  const auto busiest = maintest::Busiest(maintest::PersonsPerDay(1))->first;
  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=3\r\nLetzte Rubrik anzeigen=1\r\n");
  driver.Advance(200);
  TPoint mn, mx;
  f->TrackSizeLimits(mn, mx);
  TWPRichText* page = f->WPRichText1;
  const struct {
    Word Key;
    TDateTime Day;
    int Step;
  } pages[] = {{VK_F6, EncodeDate(2026, 12, 25), 1},
               {VK_F7, EncodeDate(2027, 1, 1), 1},
               {VK_F6, EncodeDate(2026, busiest.first, busiest.second), 8}};
  for (const auto& p : pages) {
    SCOPED_TRACE(DateToStr(p.Day));
    f->SetBounds(f->Left(), f->Top(), 687, 524);
    driver.PressKey(p.Key);
    ShowDay(f, p.Day);
    f->SetBounds(f->Left(), f->Top(), mn.X, 524);
    driver.Process();
    std::set<bool> bar;
    for (int w = mn.X + p.Step; w <= 1280; w += p.Step) {
      const int passes = page->RtfText()->FormatCount();
      f->SetBounds(f->Left(), f->Top(), w, 524);
      driver.Process();
      page->Invalidate();
      driver.Process();
      ASSERT_LE(page->RtfText()->FormatCount() - passes, 1) << "at width " << w;
      bar.insert(page->ScrollBarVisible(SB_VERT));
    }
    EXPECT_EQ(bar.size(), 2u);
  }
}

// The page is a viewer: it has the focus once it is shown and keeps it
// through every rebuild, its moving keys and the wheel scroll it (the
// wheel also while the calendar has the focus), and typing changes nothing.
TEST_F(MainWindowTest, TheKeysAndTheWheelScrollThePageAndTypingLeavesIt) {
  const auto births = maintest::PersonsPerDay(0);
  const auto busiest = maintest::Busiest(births);
  const auto [month, day] = busiest->first;
  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=2\r\nLetzte Rubrik anzeigen=1\r\n");
  driver.Advance(200);
  TWPRichText* page = f->WPRichText1;
  EXPECT_EQ(f->ActiveControl(), page);
  ShowDay(f, EncodeDate(2024, month, day));
  ASSERT_EQ(f->ActiveControl(), page);
  ASSERT_EQ(page->TopOffset(), 0);
  driver.PressKey(VK_DOWN);
  const int line = page->TopOffset();
  EXPECT_GT(line, 0);
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(page->TopOffset(), 2 * line);
  driver.PressKey(VK_UP);
  EXPECT_EQ(page->TopOffset(), line);
  driver.PressKey(VK_END);
  const int bottom = page->TopOffset();
  EXPECT_GT(bottom, line);
  driver.PressKey(VK_HOME);
  EXPECT_EQ(page->TopOffset(), 0);
  driver.PressKey(VK_NEXT);
  const int paged = page->TopOffset();
  EXPECT_GT(paged, 2 * line);
  driver.Wheel(page, 1);
  EXPECT_LT(page->TopOffset(), paged);

  // Typing, Enter, Backspace, a paste and Tab (which goes on, the page
  // holding no link) leave the page as it was.
  const std::string before = page->RtfText()->FirstPar->line->pc;
  driver.Type("abc");
  for (int vk : {VK_RETURN, VK_BACK}) driver.PressKey(vk);
  driver.PressKey(VK_INSERT, ssShift);
  driver.PressKey(VK_TAB);
  EXPECT_EQ(std::string(page->RtfText()->FirstPar->line->pc), before);
  EXPECT_EQ(Entries(page), busiest->second);
  page->SetFocus();

  // The next day through the menu, the deaths through F6: the page keeps the focus.
  driver.PressKey(VK_RIGHT, ssCtrl);
  driver.Advance(400);
  EXPECT_EQ(f->ActiveControl(), page);
  driver.PressKey(VK_F6);
  EXPECT_EQ(f->ActiveControl(), page);
  driver.PressKey(VK_F5);

  // A day clicked in the calendar gives the calendar the focus; the wheel
  // over the page still scrolls the page and leaves the date alone.
  f->Kalender->SetDate(EncodeDate(2024, month, 1));
  int cell = 0;
  for (int n = 1; n <= 42 && !cell; ++n)
    if (StrToIntDef(Trim(f->Kalender->CellText(n)), 0) == day) cell = n;
  ASSERT_GT(cell, 0);
  const TRect cr = f->Kalender->CellRect(cell);
  driver.Click(f->Kalender, (cr.Left + cr.Right) / 2, (cr.Top + cr.Bottom) / 2);
  driver.Advance(400);
  ASSERT_EQ(f->ActiveControl(), f->Kalender);
  ASSERT_EQ(Entries(page), busiest->second);
  ASSERT_EQ(page->TopOffset(), 0);
  driver.Wheel(page, -1);
  EXPECT_GT(page->TopOffset(), 0);
  EXPECT_EQ(f->Kalender->Date(), EncodeDate(2024, month, day));
  // Over the calendar the wheel scrolls nothing.
  const int top = page->TopOffset();
  driver.Wheel(f->Kalender, -1);
  EXPECT_EQ(page->TopOffset(), top);
  EXPECT_EQ(f->Kalender->Date(), EncodeDate(2024, month, day));
}

// Tab walks the page's links, the tool bars, the calendar box and the
// calendar, Shift+Tab back; the focused link is framed, Enter follows it;
// Space and Enter switch the focused box's face, which shows its focus.
TEST_F(MainWindowTest, TheKeyboardReachesEveryControlAndThePagesLinks) {
  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=4\r\nLetzte Rubrik anzeigen=1\r\n");
  driver.Advance(200);
  ShowDay(f, EncodeDate(2024, 2, 11));  // events that link persons
  TWPRichText* page = f->WPRichText1;
  TWPRTFTextInput* t = page->RtfText();
  auto white = [&](TControl* c, int y, int from, int to) {
    int n = 0;
    for (int x = from; x < to; ++x) n += driver.PixelAt(c, x, y) == clWhite;
    return n;
  };
  std::vector<int> links;
  for (int i = 0; i < 40 && page->Focused(); ++i, driver.PressKey(VK_TAB))
    if (t->FocusMarkStart >= 0) links.push_back(t->FocusMarkStart);
  ASSERT_GE(links.size(), 2u);
  for (TWinControl* c : std::initializer_list<TWinControl*>{f->pbLeer, f->pbEige, f->pbPGeb, f->pbPTod, f->pbErei,
                                                            f->pbName, f->pbFTag, f->pbExit, f->pbHelp, f->pbTermine,
                                                            f->pbSpruch, f->pbInfo, f->boxKalender, f->Kalender}) {
    EXPECT_TRUE(c->Focused() || !c->Enabled()) << c->Name();
    if (c->Focused()) driver.PressKey(VK_TAB);
  }
  EXPECT_EQ(t->FocusMarkStart, links.front());
  TWPParagraphRec* p = nullptr;
  TWPLineRec* l = nullptr;
  int o = 0;
  t->FindPosition(o, l, p, links.front() + 1, 0);
  const int top = l->Top - page->TopOffset(), framed = white(page, top, 0, page->ClientWidth());
  driver.PressKey(VK_TAB, ssShift);
  EXPECT_TRUE(f->Kalender->Focused());
  EXPECT_GT(white(page, top, 0, page->ClientWidth()), framed + 10) << "the focused link was framed";
  f->pbLeer->SetFocus();
  driver.PressKey(VK_TAB, ssShift);
  EXPECT_EQ(t->FocusMarkStart, links.back());
  int shown = 0;
  driver.WhenModal([&](TCustomForm& w) {
    shown = dynamic_cast<TfrmDispData&>(w).History(1).Id;
    driver.PressKey(VK_ESCAPE);
  });
  driver.PressKey(VK_RETURN);
  EXPECT_GT(shown, 0) << "the data window on the linked person";
  EXPECT_EQ(t->FocusMarkStart, links.back()) << "back on the followed link";
  driver.WhenModal([&](TCustomForm&) { driver.KeyDown(VK_TAB); driver.PressKey(VK_ESCAPE); });
  driver.PressKey(VK_RETURN);
  driver.KeyUp(VK_TAB);
  EXPECT_EQ(t->FocusMarkStart, links.back()) << "Tab still held as the data window closed";
  f->boxKalender->SetFocus();
  const int focused = white(f->boxKalender, 2, 3, 140);
  driver.PressKey(VK_SPACE);
  EXPECT_EQ(SunMoonMode, 1);
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(SunMoonMode, 0);
  f->Kalender->SetFocus();
  EXPECT_GT(white(f->boxKalender, 2, 3, 140), focused + 20) << "the box showed its focus";
  const TRect day = f->Kalender->CellRect(f->Kalender->SelectedCell());
  EXPECT_EQ(driver.PixelAt(f->Kalender, day.Left + 3, day.Top + 3), ColorToRGB(clHighlight)) << "the focused day";
}

// Every stored start rubric is shown, and stays stored (it was once
// written back as the title page after one start).
TEST_F(MainWindowTest, EveryStoredStartRubricIsShownAndKept) {
  for (int r : {rbEvents, rbNameDays, rbHolidays}) {
    TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=" + std::to_string(r) + "\r\nLetzte Rubrik anzeigen=1\r\n");
    driver.Advance(200);
    EXPECT_EQ(CurrentRubric, r);
    EXPECT_TRUE(f->WPRichText1->Visible());
    EXPECT_FALSE(f->lblTitel->Visible());
    delete f;
    SaveSettings();
    EXPECT_EQ(TIniFile(Ini().string()).ReadInteger("ALLGEMEIN", "Rubrik", -1), r);
    Session->Close();
  }
}

TEST_F(MainWindowTest, ABurstOfDateChangesRebuildsThePageOnceForTheLastDay) {
  TfrmMain* f = Start();
  driver.Advance(200);
  const int built = f->PagesBuilt();
  const TDateTime start = f->Kalender->Date();
  // Five moves within 400 ms: one rebuild, 400 ms after the last.
  for (int i = 0; i < 5; ++i) {
    driver.PressKey(VK_RIGHT, ssCtrl);
    driver.Advance(90);
  }
  EXPECT_EQ(f->PagesBuilt(), built);
  EXPECT_EQ(CurrentDateKey, DateTimeToPackedDate(start + 5));
  driver.Advance(309);
  EXPECT_EQ(f->PagesBuilt(), built);
  driver.Advance(1);
  EXPECT_EQ(f->PagesBuilt(), built + 1);
  driver.Advance(2000);
  EXPECT_EQ(f->PagesBuilt(), built + 1);
}

TEST_F(MainWindowTest, TheDateMenuMovesTheCalendar) {
  TfrmMain* f = Start();
  driver.Advance(200);
  const TDateTime d0 = EncodeDate(2024, 2, 28);
  f->Kalender->SetDate(d0);
  struct Move {
    int vk;
    TShiftState shift;
    TDateTime expect;
  } moves[] = {
      {VK_RIGHT, ssCtrl, EncodeDate(2024, 2, 29)}, {VK_LEFT, ssCtrl, EncodeDate(2024, 2, 28)},
      {VK_DOWN, ssCtrl, EncodeDate(2024, 3, 6)},   {VK_UP, ssCtrl, EncodeDate(2024, 2, 28)},
      {VK_NEXT, ssCtrl, EncodeDate(2024, 3, 28)},  {VK_PRIOR, ssCtrl, EncodeDate(2024, 2, 28)},
      {VK_NEXT, ssAlt, EncodeDate(2025, 2, 28)},   {VK_PRIOR, ssAlt, EncodeDate(2024, 2, 28)},
      {VK_HOME, ssCtrl, Date()},
  };
  for (const Move& m : moves) {
    driver.PressKey(m.vk, m.shift);
    EXPECT_EQ(f->Kalender->Date(), m.expect) << m.vk << " " << m.shift;
    EXPECT_EQ(CurrentDateKey, DateTimeToPackedDate(m.expect));
  }
  // A key set elsewhere (as by the date dialog) reaches the calendar when
  // the timer fires, and the box shows the moon phase again.
  SunMoonMode = 1;
  CurrentDateKey = MakePackedDate(1900, 1, 1);
  f->DataTimer->SetEnabled(true);
  driver.Advance(400);
  EXPECT_EQ(f->Kalender->Date(), EncodeDate(1900, 1, 1));
  EXPECT_EQ(SunMoonMode, 0);
  // A click on the box switches its face.
  driver.Click(f->boxKalender);
  EXPECT_EQ(SunMoonMode, 1);
}

TEST_F(MainWindowTest, TheCalendarsWeekFollowsTheSettings) {
  TfrmMain* f = Start("[ALLGEMEIN]\r\nWochenbeginn=1\r\nWochenende=1\r\n");
  EXPECT_EQ(f->Kalender->StartOfWeek(), 1);  // Monday
  EXPECT_EQ(f->Kalender->StartOfWeekEnd(), 7);  // Sunday only
  EXPECT_EQ(f->Kalender->WeekEndDays(), 1);
  WeekStart = 0;
  Weekend = 0;
  f->ApplyKalenderParams();
  EXPECT_EQ(f->Kalender->StartOfWeek(), 7);  // Sunday
  EXPECT_EQ(f->Kalender->StartOfWeekEnd(), 6);  // Saturday and Sunday
  EXPECT_EQ(f->Kalender->WeekEndDays(), 2);
}

TEST_F(MainWindowTest, AShrunkWindowCentresTitleAndVersionInItsHalves) {
  TfrmMain* f = Start();
  driver.Advance(200);
  f->SetBounds(f->Left(), f->Top(), 687, 330);
  driver.Process();
  EXPECT_FALSE(f->PictureFits());
  EXPECT_FALSE(f->imgTitelbild->Visible());
  const int h = f->pnlClient->Height(), th = f->lblTitel->Height();
  EXPECT_EQ(f->lblTitel->Top(), (h / 2 - th) / 2);
  EXPECT_EQ(f->lblVersion->Top(), h / 2 + (h / 2 - th) / 2);
  SaveScreen(f, "main_title_page_small");
  f->SetBounds(f->Left(), f->Top(), 687, 524);
  driver.Process();
  EXPECT_TRUE(f->imgTitelbild->Visible());
}

TEST_F(MainWindowTest, TheWindowKeepsItsMinimumSizeAndItsPlacement) {
  TfrmMain* f = Start();
  TPoint mn, mx;
  f->TrackSizeLimits(mn, mx);
  EXPECT_EQ(mn.X, 2 * GetSystemMetrics(SM_CXFRAME) + 8 + 8 * 72 + 7);
  // The height holds the tool bars, the box, the whole calendar below it and the bottom bar.
  EXPECT_EQ(mn.Y, GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU) + 2 + 46 + 2 + 30 + 2 +
                      f->boxKalender->Top() + 207 + 4 + f->Kalender->Height() + 4 + 2 * GetSystemMetrics(SM_CYFRAME) +
                      24);
  f->SetBounds(30, 40, 700, 560);
  f->Hide();
  TIniFile ini(Ini().string());
  EXPECT_EQ(ini.ReadInteger("HAUPTFENSTER", "Links", 0), 30);
  EXPECT_EQ(ini.ReadInteger("HAUPTFENSTER", "Hoehe", 0), 560);
}

// The month calendar is the main way to move: at the window's minimum size
// all six week rows of a month like November 2026 show inside the left
// panel, the last one clear of the calendar's bottom edge.
TEST_F(MainWindowTest, AtItsMinimumSizeTheWholeCalendarShows) {
  TfrmMain* f = Start();
  driver.Advance(200);
  TPoint mn, mx;
  f->TrackSizeLimits(mn, mx);
  f->SetBounds(f->Left(), f->Top(), mn.X, mn.Y);
  ShowDay(f, EncodeDate(2026, 11, 30));
  driver.Process();
  ASSERT_EQ(f->Height(), mn.Y);
  TCalendar97* k = f->Kalender;
  const int last = k->SelectedCell();
  ASSERT_GT(last, 35);  // the 30th stands in the sixth week row
  const TPoint at = f->pnlLeft->ScreenToClient(k->ClientToScreen({0, 0}));
  EXPECT_GE(at.Y, f->boxKalender->Top() + f->boxKalender->Height());
  EXPECT_LE(at.Y + k->Height(), f->pnlLeft->ClientHeight());
  EXPECT_LT(k->CellRect(last).Bottom, k->Height() - 1);
  SaveScreen(f, "main_minimum_size_november_2026");
}

// A stored size below the window's minimum (a damaged or hand-edited file)
// comes back at the minimum, and that is what the end writes back.
TEST_F(MainWindowTest, AStoredSizeBelowTheMinimumIsRaisedToIt) {
  for (const char* size : {"Breite=5\r\nHoehe=5", "Breite=200\r\nHoehe=150"}) {
    SCOPED_TRACE(size);
    TfrmMain* f = Start(std::string("[HAUPTFENSTER]\r\nLinks=10\r\nOben=20\r\n") + size + "\r\n");
    TPoint mn, mx;
    f->TrackSizeLimits(mn, mx);
    EXPECT_EQ(f->Width(), mn.X);
    EXPECT_EQ(f->Height(), mn.Y);
    EXPECT_EQ(f->Left(), 10);
    // The tool buttons stand side by side in their bar, "Ende" right of the last rubric.
    EXPECT_GT(f->pbExit->Left(), f->pbFTag->Left() + f->pbFTag->Width());
    f->Hide();
    TIniFile ini(Ini().string());
    EXPECT_EQ(ini.ReadInteger("HAUPTFENSTER", "Breite", 0), mn.X);
    EXPECT_EQ(ini.ReadInteger("HAUPTFENSTER", "Hoehe", 0), mn.Y);
    delete f;
    SaveSettings();
  }
}

// The person archive cut to half its length after the start: the first
// record it cannot read gives one German message naming the file; every
// person stays on the page, with what can be read; further pages say
// nothing more.
TEST_F(MainWindowTest, ACutTextArchiveIsNamedOnceAndThePageShowsWhatItCan) {
  const fs::path archive = Root() / "DATEN" / "Person.Stx";
  const auto cut = fs::file_size(archive) / 2;
  // The days whose persons' remarks lie beyond the cut, by births and deaths.
  std::map<std::pair<int, int>, int> lost[2];
  datatest::TTableReader t((Root() / "DATEN").string(), "PERSON");
  for (bool ok = t.First(); ok; ok = t.Next())
    if (t.Int("PERS_ANMERK") > 0 && static_cast<std::uintmax_t>(t.Int("PERS_ANMERK")) >= cut)
      for (int which : {0, 1}) {
        const int m = static_cast<int>(t.Int(which ? "PERS_TODM" : "PERS_GEBM"));
        const int d = static_cast<int>(t.Int(which ? "PERS_TODT" : "PERS_GEBT"));
        if (m > 0 && d > 0) ++lost[which][{m, d}];
      }
  const auto births = maintest::Busiest(lost[0])->first, deaths = maintest::Busiest(lost[1])->first;
  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=2\r\nLetzte Rubrik anzeigen=1\r\n");
  driver.Advance(200);
  ShowDay(f, EncodeDate(2024, births.first, births.second));
  const std::string whole = Text(f->WPRichText1);
  const int entries = Entries(f->WPRichText1);

  fs::resize_file(archive, cut);
  driver.AnswerNextMessageBox(IDOK);
  driver.Click(f->pbPTod);
  driver.Click(f->pbPGeb);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  const std::string said = driver.MessageBoxes()[0].Text;
  EXPECT_NE(said.find("\"" + archive.string() + "\" kann nicht gelesen werden"), std::string::npos) << said;
  EXPECT_NE(said.find(CP1252("Sie ist beschädigt.").str()), std::string::npos) << said;
  // Every person is there; only what lies beyond the cut is missing.
  EXPECT_EQ(Entries(f->WPRichText1), entries);
  EXPECT_LT(Text(f->WPRichText1).size(), whole.size());
  // Another page with remarks beyond the cut says nothing more.
  driver.Click(f->pbPTod);
  ShowDay(f, EncodeDate(2024, deaths.first, deaths.second));
  EXPECT_EQ(Entries(f->WPRichText1), maintest::PersonsPerDay(1)[deaths]);
  EXPECT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

// The event archive cut inside the texts of the day shown at the start: the
// page keeps every event of the day and one message names the archive.
TEST_F(MainWindowTest, ACutEventArchiveLeavesTheEventsOnTheirPage) {
  int year, month, day;
  DecodeDate(Date(), year, month, day);
  std::vector<std::uintmax_t> offsets;
  datatest::TTableReader t((Root() / "DATEN").string(), "EREIGNIS");
  for (bool ok = t.First(); ok; ok = t.Next())
    if (t.Int("EREI_MONAT") == month && t.Int("EREI_TAG") == day)
      offsets.push_back(static_cast<std::uintmax_t>(t.Int("EREI_TEXT")));
  ASSERT_GT(offsets.size(), 1u);
  std::sort(offsets.begin(), offsets.end());
  const fs::path archive = Root() / "DATEN" / "Ereignis.Stx";
  fs::resize_file(archive, offsets[offsets.size() / 2] + 4);
  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=4\r\nLetzte Rubrik anzeigen=1\r\n");
  driver.AnswerNextMessageBox(IDOK);
  driver.Advance(200);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_NE(driver.MessageBoxes()[0].Text.find("\"" + archive.string() + "\" kann nicht gelesen werden"),
            std::string::npos);
  EXPECT_EQ(Entries(f->WPRichText1), static_cast<int>(offsets.size()));
}

// Damaged data blocks of the reference tables: the start opens every table
// it reads whose first record (in the order it is opened in) lies in a
// damaged block and names each file once, after the first page. Then the
// pages show what their tables and lookups still give, without a further
// message: every event of a day whose first event lies in a damaged block,
// the deaths page of a day with a patron whose record is lost, the name-day
// page of a day whose names or patrons cannot all be looked up, the
// holidays page of a day whose fixed holidays are lost; the saying window
// leaves out a saying it cannot read.
TEST_F(MainWindowTest, DamagedBlocksLeaveWhatReadsAndEachFileIsNamedOnce) {
  const fs::path data = Root() / "DATEN";
  const std::string dir = data.string();
  // Flips a byte of a data block; false (nothing changed) for a block of
  // another kind or beyond the file.
  auto flip = [&](const std::string& table, size_t block) {
    std::fstream file(data / (table + ".FFD"), std::ios::in | std::ios::out | std::ios::binary);
    uint32_t size = 0;  // of a block, as the header holds it
    char sig[4] = {}, byte = 0;
    file.seekg(20).read(reinterpret_cast<char*>(&size), 4);
    const auto at = static_cast<std::streamoff>(block * size);
    if (!file.seekg(at).read(sig, 4) || std::string(sig, 4) != "FFDH" || !file.seekg(at + 100).get(byte)) return false;
    file.seekp(at + 100).put(static_cast<char>(byte ^ 0x20));
    return true;
  };
  const std::pair<std::string, const char*> opened[] = {
      {"ORT", "XPKORTE"}, {"NATION", "XPKNATI"}, {"BERUF", "XPKBERU"},  {"PERSNATI", "PN_PERS"},
      {"PERSBERU", "PB_PERS"}, {"PERSON", "PE_GMTJ"}, {"EREIGNIS", "ER_MTJ"}, {"NAME", "XPKNAME"},
      {"PATRON", "PA_MT"},   {"FEIERTAG", "FT_MT"},  {"SPRUCH", "XPKSPRU"}};
  for (const auto& [table, index] : opened)
    for (size_t block = 2, found = 0; !found; ++block) {
      ASSERT_LT(block, 10000u) << table;
      if (!flip(table, block)) continue;
      try {
        datatest::TTableReader(dir, table, index).First();
        flip(table, block);  // not the first record's: whole again
      } catch (const EffException&) {
        found = block;
      }
    }
  // The records of a range of the reader's index that read, each given to
  // `each`, and whether the range's first one does not.
  using Reader = datatest::TTableReader;
  auto walk = [](Reader& t, std::initializer_list<std::pair<const char*, int64_t>> from,
                 std::initializer_list<std::pair<const char*, int64_t>> to, const std::function<void()>& each = {}) {
    const auto start = t.Key(from), end = t.Key(to);
    const int fields = static_cast<int>(from.size());
    t.Cursor().SetRange(start.data(), fields, true, end.data(), fields, true);
    std::pair<int, bool> readAndFirstLost{0, false};
    for (int n = 0;; ++n) {
      try {
        if (!t.Next()) return readAndFirstLost;
      } catch (const EffException&) {
        readAndFirstLost.second |= n == 0;
        continue;
      }
      ++readAndFirstLost.first;
      if (each) each();
    }
  };
  // Another events' block is damaged until a December day has its first
  // event in it; the engine says which events of that day still read.
  int day = 0, readable = 0;
  for (size_t block = 2; day == 0 && block < 1000; ++block) {
    if (!flip("EREIGNIS", block)) continue;
    Reader t(dir, "EREIGNIS", "ER_MTJ");
    for (int d = 1; d <= 31 && day == 0; ++d) {
      const auto [ok, firstLost] = walk(t, {{"EREI_MONAT", 12}, {"EREI_TAG", d}, {"EREI_JAHR", 9999}},
                                        {{"EREI_MONAT", 12}, {"EREI_TAG", d}, {"EREI_JAHR", 0}});
      if (firstLost && ok > 0) day = d, readable = ok;
    }
    if (day == 0) flip("EREIGNIS", block);
  }
  ASSERT_GT(day, 0);
  // A key's record: 1 read, 0 none, -1 in a damaged block.
  auto reads = [](Reader& t, const char* field, int64_t id) {
    try {
      const auto key = t.Key({{field, id}});
      return t.Cursor().FindKey(key.data(), 1) && t.Get() ? 1 : 0;
    } catch (const EffException&) {
      return -1;
    }
  };
  int nameMonth = 0, nameDay = 0, shown = 0, deathMonth = 0, deathDay = 0, died = 0;
  {
    Reader patrons(dir, "PATRON", "PA_MT"), byPerson(dir, "PATRON", "PA_PERS"), names(dir, "NAME", "XPKNAME"),
        persons(dir, "PERSON", "XPKPERS"), deaths(dir, "PERSON", "PE_TMTJ");
    // A day some of whose patrons' names or persons are lost: the page shows
    // a heading per patron whose name reads and a paragraph per patron whose
    // person reads or who has a note.
    for (int n = 0; n < 12 * 31 && nameDay == 0; ++n) {
      const int m = n / 31 + 1, d = n % 31 + 1;
      bool lost = false;
      shown = 0;
      walk(patrons, {{"PATR_MONAT", m}, {"PATR_TAG", d}, {"PATR_ID", 0}},
           {{"PATR_MONAT", m}, {"PATR_TAG", d}, {"PATR_ID", 65535}}, [&] {
             const bool heading = reads(names, "NAME_ID", patrons.Int("NAME_ID")) == 1;
             const int64_t person = patrons.Int("PERS_ID");
             const bool personReads = person > 0 && reads(persons, "PERS_ID", person) == 1;
             lost |= !heading || (person > 0 && !personReads);
             shown += heading + (personReads || !patrons.Str("PATR_VERMERK").empty());
           });
      if (lost && shown > 0) nameMonth = m, nameDay = d;
    }
    ASSERT_GT(nameDay, 0);
    // A day on which a person died whose patron's record is lost: the deaths
    // page shows every person of the day that reads, without the mark.
    walk(persons, {{"PERS_ID", 0}}, {{"PERS_ID", INT32_MAX}}, [&] {
      if (deathDay == 0 && persons.Int("PERS_TODT") > 0 && reads(byPerson, "PERS_ID", persons.Int("PERS_ID")) < 0)
        deathMonth = static_cast<int>(persons.Int("PERS_TODM")), deathDay = static_cast<int>(persons.Int("PERS_TODT"));
    });
    ASSERT_GT(deathDay, 0);
    died = walk(deaths, {{"PERS_TODM", deathMonth}, {"PERS_TODT", deathDay}, {"PERS_TNCHR", 1}, {"PERS_TODJ", 9999}},
                {{"PERS_TODM", deathMonth}, {"PERS_TODT", deathDay}, {"PERS_TNCHR", 0}, {"PERS_TODJ", 0}})
               .first;
  }

  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=4\r\nLetzte Rubrik anzeigen=1\r\n");
  driver.AnswerNextMessageBox(IDOK);
  driver.Advance(200);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  const std::string said = driver.MessageBoxes()[0].Text;
  for (const auto& [table, index] : opened) {
    const std::string named = "\"" + (data / (table + ".FFD")).string() + "\" kann nicht ganz gelesen werden";
    const size_t at = said.find(named);
    EXPECT_NE(at, std::string::npos) << named << "\n" << said;
    EXPECT_EQ(said.find(named, at + 1), std::string::npos) << said;
  }
  // What that means for the pages is said once, after all of them.
  const std::string closing =
      CP1252("Die Seiten zeigen, was sich lesen lässt; Einträge aus diesen Dateien können fehlen.").str();
  EXPECT_EQ(said.find("Die Seiten zeigen"), said.size() - closing.size()) << said;
  ShowDay(f, EncodeDate(2026, 12, day));
  EXPECT_EQ(Entries(f->WPRichText1), readable);
  driver.Click(f->pbPTod);
  ShowDay(f, EncodeDate(2026, deathMonth, deathDay));
  EXPECT_EQ(Entries(f->WPRichText1), died);
  driver.Click(f->pbName);
  ShowDay(f, EncodeDate(2026, nameMonth, nameDay));
  EXPECT_EQ(Entries(f->WPRichText1), shown);
  // Ascension Day 2008 fell on 1 May, the day's only movable feast (two names);
  // its three fixed holidays lie in the damaged block (all fixed ones do).
  driver.Click(f->pbFTag);
  ShowDay(f, EncodeDate(2008, 5, 1));
  EXPECT_EQ(Entries(f->WPRichText1), 2);
  EXPECT_NE(Text(f->WPRichText1).find("Vierzig Tage nach Ostern"), std::string::npos) << Text(f->WPRichText1);
  // The saying of the first day of the year in its first category lies in
  // the damaged block.
  ShowDay(f, EncodeDate(2027, 1, 1));
  Application->CreateForm(frmSpruch);
  frmSpruch->SetCategory(0);
  LoadSpruch(frmSpruch);
  EXPECT_TRUE(frmSpruch->memoSpruch->Text().empty());
  EXPECT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

TEST_F(MainWindowTest, HelpSaysThatNoHelpFileWasFoundOrOpensIt) {
  TfrmMain* f = Start();
  driver.Advance(200);
  driver.AnswerNextMessageBox(IDOK);
  driver.PressKey(VK_F1);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text, "Die Hilfedatei \"OrvHilfe.hlp\" wurde nicht gefunden.");
  apptest::Put(Root() / "OrvHilfe.hlp", "Hilfe");
  driver.Click(f->pbHelp);
  EXPECT_EQ(driver.MessageBoxes().size(), 1u);
  ASSERT_EQ(driver.OpenedUrls().size(), 1u);
  EXPECT_EQ(driver.OpenedUrls()[0], ProgramDir + "OrvHilfe.hlp");
}

TEST_F(MainWindowTest, MessageOfASecondStartRestoresTheMinimisedWindow) {
  TfrmMain* f = Start();
  driver.Advance(200);
  PostMessage(f->Handle(), WM_ORVELAN_FRONT, 0, 0);
  driver.Process();
  EXPECT_TRUE(f->Active());
  EXPECT_EQ(Screen->Forms(Screen->FormCount() - 1), f);
  Application->Minimize();
  ASSERT_TRUE(IsIconic(Application->Handle()));
  PostMessage(f->Handle(), WM_ORVELAN_FRONT, 0, 0);
  driver.Process();
  EXPECT_FALSE(IsIconic(Application->Handle()));
  EXPECT_TRUE(f->Active());
}

TEST_F(MainWindowTest, TheExitButtonClosesTheWindow) {
  TfrmMain* f = Start();
  driver.Advance(200);
  driver.Click(f->pbExit);
  driver.Process();
  EXPECT_TRUE(Application->Terminated());
}

}  // namespace

// A reference table the day page reads, cut in the middle after the start
// (the start opened it whole): one German message names the file, the
// window stays usable and the user's own files are not written. The page
// shows what the tables still give: nothing when the page's own table lost
// the day (it lies beyond the cut), every person when only a lookup table
// lost their texts.
class DamagedPageTable : public MainWindowTest {
 protected:
  void ExpectNamedAndPageShowsWhatReads(const char* table) {
    const bool pageTable = std::string(table) == "PERSON.FFD";
    const auto births = maintest::PersonsPerDay(0);
    const auto busiest = maintest::Busiest(births);
    const fs::path path = Root() / "DATEN" / table;
    TfrmMain* f = Start();
    driver.Advance(200);  // the title page
    ShowDay(f, EncodeDate(2024, busiest->first.first, busiest->first.second));
    auto userFiles = [&] {
      std::map<std::string, std::string> out;
      for (const auto& e : fs::directory_iterator(Root() / "BENUTZER"))
        out[e.path().filename().string()] = apptest::Slurp(e.path());
      return out;
    };
    const auto before = userFiles();
    const std::string good = apptest::Slurp(path);
    apptest::Put(path, good.substr(0, good.size() / 4));
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f->pbPGeb);
    ASSERT_EQ(driver.MessageBoxes().size(), 1u);
    const std::string said = driver.MessageBoxes()[0].Text;
    EXPECT_NE(said.find("\"" + path.string() + "\" kann nicht ganz"), std::string::npos) << said;
    EXPECT_NE(said.find(CP1252("Sie ist beschädigt.").str()), std::string::npos) << said;
    EXPECT_EQ(said.find("Geburtstage"), std::string::npos) << said;
    EXPECT_EQ(said.find("damaged"), std::string::npos) << said;
    EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
    // The page is shown with what reads, the window usable: the title page and
    // back, each without a further message for a day the page can build.
    EXPECT_EQ(CurrentRubric, rbBirths);
    EXPECT_TRUE(f->WPRichText1->Visible());
    EXPECT_FALSE(f->pnlWhite->Visible());
    EXPECT_EQ(Entries(f->WPRichText1), pageTable ? 0 : busiest->second);
    SaveScreen(f, std::string("main_damaged_") + table);
    driver.PressKey(VK_DELETE);
    EXPECT_EQ(CurrentRubric, rbEmpty);
    EXPECT_TRUE(f->lblTitel->Visible());
    EXPECT_EQ(driver.MessageBoxes().size(), 1u);
    f->Close();
    driver.Process();
    EXPECT_EQ(userFiles(), before);
    TForm* box = CreateMessageDialog(said, mtError, mbOK);
    box->Show();
    driver.SavePng(box, std::string("main_damaged_box_") + table);
    delete box;
  }
};

// Reference data that the user may read but not write (as a system-wide
// installation keeps it): the data set-up, the main window, the saying and
// data windows, the place picker and the templates' tables open it, the
// page reads it, an edit is refused and not a byte of it changes, nor is a
// journal left beside it. The superuser may write any file, so the program
// runs as an ordinary user in a child process.
TEST_F(MainWindowTest, ReferenceDataTheUserMayNotWriteOpensAndReads) {
  const auto births = maintest::PersonsPerDay(0);
  const auto busiest = maintest::Busiest(births);
  const fs::path data = Root() / "DATEN";
  auto files = [&] {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(data)) out[e.path().filename().string()] = apptest::Slurp(e.path());
    return out;
  };
  const auto before = files();
  for (const auto& [name, bytes] : before) ASSERT_EQ(::chmod((data / name).c_str(), 0444), 0);
  ASSERT_EQ(::chmod(data.c_str(), 0555), 0);
  ASSERT_EQ(::chmod(Root().c_str(), 0777), 0);  // the settings and the user's tables
  const pid_t child = fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) _exit(2);
    if (::access((data / "ORT.FFD").c_str(), W_OK) == 0) _exit(2);
    int code = 0;
    auto fail = [&](int c, const std::string& why) {
      std::fprintf(stderr, "%s\n", why.c_str());
      if (!code) code = c;
    };
    try {
      TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=2\r\nLetzte Rubrik anzeigen=1\r\n");
      driver.Advance(200);
      ShowDay(f, EncodeDate(2024, busiest->first.first, busiest->first.second));
      if (Entries(f->WPRichText1) != busiest->second) fail(3, "the births page lacks entries");
      for (TwwTable* t : {f->tblPers, f->tblErei, f->tblName, f->tblPatr, f->tblFTag, PlaceTable, PersonNationTable}) {
        if (!t->Active() || t->RecordCount() == 0) fail(4, t->TableName() + " is not open or reads empty");
        try {
          t->First();
          t->Edit();
          fail(5, t->TableName() + " went into edit state");
        } catch (const Exception&) {
        }
      }
      if (!f->tblEige->CanModify()) fail(6, "the user's own table is not writable");
      // The further windows that read reference tables, and the templates'.
      Application->CreateForm(frmSpruch);
      frmSpruch->Show();
      LoadSpruch(frmSpruch);
      TfrmDispData* data = nullptr;
      Application->CreateForm(data);
      delete data;
      TTemplateReferenceTables templateTables;
      delete new TfrmLage(Application);
      driver.Process();
      if (!driver.MessageBoxes().empty()) fail(7, "a message: " + driver.MessageBoxes()[0].Text);
      f->Close();
      driver.Process();
    } catch (const std::exception& e) {
      fail(8, e.what());
    }
    std::fflush(stderr);
    _exit(code);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_EQ(::chmod(data.c_str(), 0755), 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "no ordinary user to run as";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(files(), before);
}

TEST_F(DamagedPageTable, APersonsTableCutInTheMiddleIsNamed) { ExpectNamedAndPageShowsWhatReads("PERSON.FFD"); }
TEST_F(DamagedPageTable, ANationLinkTableCutInTheMiddleIsNamed) { ExpectNamedAndPageShowsWhatReads("PERSNATI.FFD"); }

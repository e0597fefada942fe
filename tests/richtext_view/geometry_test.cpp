// Scrolling, caret and cursor geometry: scrolling moves the window's pixels
// and paints only the strip it uncovers, scroll-bar requests and their
// clamps, the caret's rectangle, hit testing of a click, the mapping from
// every character to its caret and back in a document with real fonts, tabs,
// a table and a long wrapped paragraph, the cursor kept visible after every
// kind of move, and a window width that changes during layout.
#include <gtest/gtest.h>

#include "platform/rtl/cp1252.h"
#include "tests/richtext_view/input_helpers.h"

using namespace rtinput_test;

namespace {

// Twenty paragraphs "Zeile n" of one line each (17 pixels).
void LoadLines(Editor& e, int n = 20) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? "\r" : "") + std::string("Zeile ") + std::to_string(i);
  e.Load(s);
}

// The caret as the window shows it lies inside the client area.
::testing::AssertionResult CaretInView(const TWPRTFTextInput& t) {
  const TRect r = t.CaretPlacement(t.WindowWidth(), t.VisibleHeight);
  if (r.Left >= 1 && r.Left < t.WindowWidth() && r.Top >= 0 && r.Bottom <= t.VisibleHeight)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "caret at (" << r.Left << "," << r.Top << ")-(" << r.Right << ","
                                       << r.Bottom << ") in a view of " << t.WindowWidth() << "x" << t.VisibleHeight
                                       << ", offsets " << t.HorzOffset << "/" << t.TopOffset;
}

std::string Where(const TWPRTFTextInput& t) {
  return " on line '" + std::string(t.CursorLine->pc, t.CursorLine->Length) + "' at offset " +
         std::to_string(t.CursorOffset) + ", line top " + std::to_string(t.CursorLine->Top) + " height " +
         std::to_string(t.CursorLine->Height);
}

// A document in real fonts: a centred title, a justified paragraph of mixed
// fonts with a hyperlink that wraps over many lines, a line with left,
// right and decimal tabs, a table row of three cells and a right-aligned
// paragraph.
void LoadMixed(Editor& e) {
  TWPRTFTextInput& t = e.t;
  t.Metrics = nullptr;  // the toolkit's fonts
  e.Load("");
  const uint8_t arial = static_cast<uint8_t>(t.Header->FontIndex("Arial"));
  const uint8_t times = static_cast<uint8_t>(t.Header->FontIndex("Times New Roman"));
  const uint8_t courier = static_cast<uint8_t>(t.Header->FontIndex("Courier New"));
  TWPParagraphRec* p = t.FirstPar;
  e.Add(p, "Geburtstage am 28. August", Attr(wpsBold, arial, 16));
  p->Align = waCenter;
  t.NewParagraph(p, 0);
  p->Align = waJustified;
  e.Add(p, CP1252("Am 28. August 1749 wurde in Frankfurt ").str(), Attr(0, times, 12));
  e.Add(p, "Johann Wolfgang Goethe", Attr(wpsHyperlink, times, 12));
  e.Add(p, "p:4711", Attr(wpsHidden, times, 12));
  e.Add(p, CP1252(" geboren, der größte Dichter deutscher Sprache; ").str(), Attr(0, times, 12));
  e.Add(p, "seine Werke ", Attr(wpsItalic, arial, 9));
  e.Add(p, CP1252("füllen 143 Bände, ").str(), Attr(wpsBold, courier, 11));
  e.Add(p, CP1252("und noch heute liest man ihn in der Schule, im Theater und überall sonst.").str(),
        Attr(0, times, 12));
  t.NewParagraph(p, 0);
  p->Align = waLeft;
  p->Tabs = t.Header->AddTab(tkLeft, 1440) | t.Header->AddTab(tkRight, 3600) | t.Header->AddTab(tkDecimal, 4800);
  t.Header->CurrentTabs = 0;
  e.Add(p, "Name\tWert\t12.50\tEnde", Attr(0, arial, 10));
  const std::string cellText[3] = {"Land", CP1252("Feiertag mit einem Namen, der über die Spalte hinausgeht").str(),
                                   "1832"};
  for (int c = 0; c < 3; ++c) {
    t.NewParagraph(p, 0);
    p->Tabs = 0;
    p->Flags = wppTableCell | (c > 0 ? wppRowContinues : 0) | (c < 2 ? wppRowGoesOn : 0);
    p->ColStart = static_cast<uint8_t>(c * 85);
    p->ColWidth = 85;
    p->LeftIndent = p->FirstIndent = 72;
    p->RightIndent = 72;
    e.Add(p, cellText[c], Attr(c == 0 ? wpsBold : 0, arial, 10));
  }
  t.NewParagraph(p, 0);
  p->Flags = 0;
  p->ColStart = p->ColWidth = 0;
  p->Align = waRight;
  e.Add(p, "Rechts ausgerichtet", Attr(0, arial, 10));
  t.FormatText();
  t.CursorPar = t.FirstPar;
  t.CursorLine = t.FirstPar->line;
  t.CursorOffset = 0;
}

}  // namespace

TEST(Scrolling, UpAndDownClampAndSnap) {
  Editor e(200, 100);
  LoadLines(e);
  ASSERT_EQ(e.t.TotalHeight, 20 * 17);
  e.t.ScrollDown(40);
  EXPECT_EQ(e.t.TopOffset, 40);
  e.t.ScrollUp(100);
  EXPECT_EQ(e.t.TopOffset, 0) << "scrolled by 40 only";
  // A bottom request puts the last line two thirds down the view.
  e.t.VScrollCommand(wpsbBottom, 0);
  const TWPLineRec* last = TWPRTFText::Get_LastLine(e.t.LastParagraph());
  EXPECT_EQ(e.t.TopOffset, last->Top - (100 / 3) * 2);
  e.t.VScrollCommand(wpsbTop, 0);
  EXPECT_EQ(e.t.TopOffset, 0);
  // A far jump lands on a line's top.
  e.t.VScrollCommand(wpsbThumbTrack, 150);
  EXPECT_EQ(e.t.TopOffset, 136);
  e.t.VScrollCommand(wpsbThumbPosition, 130);
  EXPECT_EQ(e.t.TopOffset, 130);
  e.t.VScrollCommand(wpsbLineUp, 0);
  EXPECT_EQ(e.t.TopOffset, 114);
  e.t.VScrollCommand(wpsbPageUp, 0);
  EXPECT_EQ(e.t.TopOffset, 14);
  e.t.VScrollCommand(8, 50);
  EXPECT_EQ(e.t.TopOffset, 14) << "codes above 7 are ignored";
  // A document shorter than the view scrolls to 0 at "bottom".
  Editor s(200, 400);
  LoadLines(s, 3);
  s.t.VScrollCommand(wpsbBottom, 0);
  EXPECT_EQ(s.t.TopOffset, 0);
  s.t.VScrollCommand(wpsbLineDown, 0);
  EXPECT_EQ(s.t.TopOffset, 0);
}

// Paging down, by the scroll bar or with the cursor, stops where a bottom
// request stands instead of paging the last lines out into blank space; a
// last line taller than the view is still paged through to its end.
TEST(Scrolling, PageDownStopsWhereTheBottomRequestStands) {
  Editor e(200, 100);
  LoadLines(e);  // 340 pixels; the bottom request stands at 323 - 66
  e.t.VScrollCommand(wpsbBottom, 0);
  const int bottom = e.t.TopOffset;
  ASSERT_EQ(bottom, 257);
  e.t.VScrollCommand(wpsbTop, 0);
  std::vector<int> tops;
  for (int i = 0; i < 4; ++i) {
    e.t.VScrollCommand(wpsbPageDown, 0);
    tops.push_back(e.t.TopOffset);
  }
  EXPECT_EQ(tops, (std::vector<int>{100, 200, bottom, bottom}));
  e.t.VScrollCommand(wpsbTop, 0);
  for (int i = 0; i < 4; ++i) e.t.CursorCommand(ccPageDown);
  EXPECT_LE(e.t.TopOffset, bottom);
  EXPECT_EQ(e.t.CursorLine, TWPRTFText::Get_LastLine(e.t.LastParagraph()));
  // A view already beyond that point is not taken back.
  e.t.VScrollCommand(wpsbBottom, 0);
  e.t.ScrollDown(60);
  EXPECT_EQ(e.t.TopOffset, bottom + 60);
  e.t.VScrollCommand(wpsbPageDown, 0);
  EXPECT_EQ(e.t.TopOffset, bottom + 60);

  Editor tall(200, 100);
  tall.Load("oben");
  TWPParagraphRec* p = tall.t.FirstPar;
  tall.t.NewParagraph(p, 0);
  tall.Add(p, "xxxx", Attr(0, 0, 120));
  tall.t.FormatText();
  ASSERT_GT(tall.t.LastParagraph()->line->Height, 100);
  for (int i = 0; i < 3; ++i) tall.t.VScrollCommand(wpsbPageDown, 0);
  EXPECT_EQ(tall.t.TopOffset, tall.t.TotalHeight - 100);
}

TEST(Scrolling, MovesPixelsAndPaintsOnlyTheUncoveredStrip) {
  Editor e(200, 100);
  LoadLines(e);
  e.t.ScrollDown(34);
  e.device.Clear();
  e.t.ScrollUp(17);
  const auto scrolls = e.device.Find("Scroll");
  ASSERT_EQ(scrolls.size(), 1u);
  EXPECT_EQ(scrolls[0]->Args[0], 0);
  EXPECT_EQ(scrolls[0]->Args[1], 17);
  // Only the line that came into view (and its neighbour touching the
  // strip) is drawn.
  const std::string drawn = e.device.AllText();
  EXPECT_NE(drawn.find("Zeile 1"), std::string::npos);
  EXPECT_EQ(drawn.find("Zeile 4"), std::string::npos);
  // A scroll of the whole view or more repaints everything.
  e.device.Clear();
  e.t.ScrollDown(200);
  EXPECT_TRUE(e.device.Find("Scroll").empty());
  // A background picture that stays put cannot be moved with the text.
  TBitmap tile(8, 8);
  e.t.SetBackgroundPicture(&tile);
  e.t.BackgroundScrolls = false;
  e.device.Clear();
  e.t.ScrollUp(10);
  EXPECT_TRUE(e.device.Find("Scroll").empty());
  e.t.BackgroundScrolls = true;
  e.t.ScrollUp(10);
  EXPECT_EQ(e.device.Find("Scroll").size(), 1u);
  // Bit 5 of the view options stops every scroll.
  e.t.SetViewOptions(e.t.ViewOptions() | wpvNoScrollCallbacks);
  const int top = e.t.TopOffset;
  e.t.ScrollDown(30);
  EXPECT_EQ(e.t.TopOffset, top);
}

TEST(Scrolling, SidewaysStaysWithinTheLinesAndFollowsTheCursor) {
  // No word wrap: lines are as wide as the page (565 pixels).
  Editor e(200, 100, false);
  e.Load(std::string(50, 'x'));
  ASSERT_EQ(e.t.Header->LayoutWidth, 565);
  e.t.HScrollCommand(wpsbBottom, 0);
  EXPECT_EQ(e.t.HorzOffset, -(565 - 200)) << "the lines' right end stays at the window's edge";
  e.t.HScrollCommand(wpsbLineUp, 0);
  EXPECT_EQ(e.t.HorzOffset, -(565 - 200) + 16);
  e.t.HScrollCommand(wpsbTop, 0);
  EXPECT_EQ(e.t.HorzOffset, 0);
  e.t.HScrollCommand(wpsbPageDown, 0);
  EXPECT_EQ(e.t.HorzOffset, -150);
  e.t.HScrollCommand(wpsbThumbTrack, 100);
  EXPECT_EQ(e.t.HorzOffset, -100);
  e.t.HScrollCommand(wpsbTop, 0);
  // Moving the cursor past the right edge scrolls it a third inside.
  e.SetCursor(25);
  const int x = e.t.CursorX(e.t.FirstPar, e.t.FirstPar->line, 25);
  EXPECT_EQ(x + e.t.HorzOffset, 200 - 200 / 3);
  e.SetCursor(2);
  EXPECT_EQ(e.t.HorzOffset, 0);
  // A caret that would stand on the view's left edge (x 0) cannot be
  // shown: the view scrolls it inside.
  e.Load(std::string(50, 'x') + "\r");
  e.t.LastParagraph()->Align = waCenter;
  e.t.FormatText();
  const int centre = e.t.CursorX(e.t.LastParagraph(), e.t.LastParagraph()->line, 0);
  ASSERT_EQ(centre, 283);
  e.t.HScrollCommand(wpsbThumbPosition, centre);
  ASSERT_EQ(e.t.HorzOffset, -283);
  e.t.CursorDown();
  EXPECT_EQ(e.t.CaretPlacement(200, 100).Left, 283 + e.t.HorzOffset);
  EXPECT_GE(283 + e.t.HorzOffset, 1);
  // A right-aligned line ends at the edge; its line feed runs past it, and
  // the caret in front of the line feed stays in view.
  Editor w(200, 100);
  w.Load("ab\n");
  w.t.FirstPar->Align = waRight;
  w.t.FormatText();
  w.SetCursor(2);
  ASSERT_GE(w.t.CursorX(w.t.FirstPar, w.t.FirstPar->line, 2), 200);
  EXPECT_EQ(w.t.CaretPlacement(200, 100).Left, 199);
}

TEST(CaretGeometry, TheCaretStandsOnTheBaselineAndHasTheCharactersWidthInOverwrite) {
  Editor e;
  e.Load("");
  e.Add(e.t.FirstPar, "ab", Attr(0, 0, 10));
  e.Add(e.t.FirstPar, "CD", Attr(wpsBold, 0, 20));
  e.t.FormatText();
  TWPLineRec* l = e.t.FirstPar->line;
  ASSERT_EQ(l->Ascent, 27);
  // In front of the small "b": its ascent, standing on the baseline.
  e.SetCursor(1);
  EXPECT_EQ(e.t.CaretHeight, 13);
  EXPECT_EQ(e.t.CaretTop, l->Top + 27 - 13);
  EXPECT_EQ(e.t.CaretWidth, 1);
  EXPECT_EQ(e.t.CursorXPos, 11);
  // Overwrite mode: as wide as the character under the cursor.
  e.t.InsertMode = false;
  e.SetCursor(2);
  EXPECT_EQ(e.t.CaretWidth, 12);
  EXPECT_EQ(e.t.CaretHeight, 27);
  e.t.InsertMode = true;
  // At the line's end: the writing font's ascent and width 1.
  e.t.CursorCommand(ccLineEnd);
  EXPECT_EQ(e.t.CaretHeight, 27);
  EXPECT_EQ(e.t.CaretWidth, 1);
  const TRect r = e.t.CaretPlacement(300, 200);
  EXPECT_EQ(r.Left, e.t.CursorXPos);
  EXPECT_EQ(r.Top, e.t.CaretTop);
  // Outside the client area the caret is parked.
  e.t.TopOffset = 500;
  EXPECT_EQ(e.t.CaretPlacement(300, 200).Left, -10);
}

TEST(CaretGeometry, CallbacksShowPlaceAndHideTheCaret) {
  Editor e(200, 100);
  LoadLines(e);
  int shows = 0, hides = 0, places = 0, xs = 0, ys = 0, vbars = 0;
  e.t.OnShowCaret = [&] { ++shows; };
  e.t.OnHideCaret = [&] { ++hides; };
  e.t.OnPlaceCaret = [&] { ++places; };
  e.t.OnXPosChanged = [&] { ++xs; };
  e.t.OnYPosChanged = [&] { ++ys; };
  e.t.OnUpdateVScroll = [&] { ++vbars; };
  e.t.CursorDown(10);
  EXPECT_GT(e.t.TopOffset, 0);
  EXPECT_GE(places, 1);
  EXPECT_GE(shows, 1);
  EXPECT_GE(ys, 1);
  EXPECT_GE(vbars, 1);
  // Scrolling the cursor out of view hides the caret.
  const int hidden = hides;
  e.t.VScrollCommand(wpsbTop, 0);
  EXPECT_GT(hides, hidden);
  // The show callback waits until a vertical scroll has finished.
  bool shownWhileScrolling = false;
  e.t.OnShowCaret = [&] { shownWhileScrolling = shownWhileScrolling || e.t.Scrolling; };
  e.t.ScrollDown(17);
  EXPECT_FALSE(shownWhileScrolling);
  e.t.CursorRight();
  EXPECT_GE(xs, 1);
}

TEST(HitTesting, AClickFindsTheCharacterLineAndGap) {
  Editor e;
  e.Load("abcdef\rzweite");
  TWPLineRec* l = e.t.FirstPar->line;
  const int y = l->Top + 5;
  // Characters start at 1 and are 10 wide: 25 lies in "c"'s right half.
  e.t.CursorToPoint(25, y, false, false);
  EXPECT_EQ(e.Cursor(), 2) << "a click on the right half of a character places the cursor before it";
  e.t.CursorToPoint(250, y, false, false);
  EXPECT_EQ(e.Cursor(), 6) << "right of the line's end: at its end";
  e.t.CursorToPoint(0, y, false, false);
  EXPECT_EQ(e.Cursor(), 0);
  // Below the text: the last line.
  e.t.CursorToPoint(21, 190, false, false);
  EXPECT_EQ(e.Cursor(), 9);
  TWPParagraphRec* p;
  TWPLineRec* found;
  EXPECT_FALSE(e.t.LineAtPoint(5, 500, p, found));
  EXPECT_EQ(found, e.t.FirstPar->next->line) << "the last line when nothing matches";
  // In a table row the x decides the cell; x 0 takes the row's first.
  e.Load("a\rlinks\rrechts");
  TWPParagraphRec* left = e.t.FirstPar->next;
  TWPParagraphRec* right = left->next;
  left->Flags = wppTableCell | wppRowGoesOn;
  right->Flags = wppTableCell | wppRowContinues;
  left->ColWidth = right->ColWidth = right->ColStart = 127;
  e.t.FormatText();
  ASSERT_EQ(left->line->Top, right->line->Top);
  const int rowY = left->line->Top + 3;
  ASSERT_TRUE(e.t.LineAtPoint(200, rowY, p, found));
  EXPECT_EQ(p, right);
  ASSERT_TRUE(e.t.LineAtPoint(20, rowY, p, found));
  EXPECT_EQ(p, left);
  ASSERT_TRUE(e.t.LineAtPoint(0, rowY, p, found));
  EXPECT_EQ(p, left);
  e.t.CursorToPoint(e.t.LeftBoundary(right, right->line) + 21, rowY, false, false);
  EXPECT_EQ(e.Cursor(), 10);
  e.Load("abcdef\rzweite");
  // Dragging extends the selection from the press.
  e.t.CursorToPoint(11, y, false, false);
  e.t.CursorToPoint(41, y, true, false);
  EXPECT_EQ(e.Selected(), "bcd");
  EXPECT_TRUE(e.t.BlockActive);
}

TEST(HitTesting, EveryCharacterOfAMixedDocumentMapsToItsCaretAndBack) {
  rtview_test::StartGraphics();
  Editor e(400, 150);
  LoadMixed(e);
  rtview_test::ExpectLaidOut(e.t);
  int checked = 0, cells = 0, wrapped = 0;
  for (TWPParagraphRec* p = e.t.FirstPar; p; p = p->next) {
    if (p->line->next) ++wrapped;
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int o = 0; o <= l->Length; ++o) {
        const int pos = e.PosOf({p, l, o});
        // A place in front of hidden characters shows behind them.
        int expected = pos, k = o;
        while (k < l->Length && e.t.CharHidden(l->pa[k])) ++k, ++expected;
        e.t.CursorPar = p;
        e.t.CursorLine = l;
        e.t.CursorOffset = o;
        e.t.ScrollToCursor();
        const int x = e.t.CursorX(p, l, o) + e.t.HorzOffset;
        const int y = l->Top + l->Height / 2 - e.t.TopOffset;
        e.t.CursorToPoint(x, y, false, false);
        ASSERT_EQ(e.Cursor(), expected) << "line '" << std::string(l->pc, l->Length) << "' offset " << o;
        if (o < l->Length) {
          ASSERT_EQ(e.t.CursorLine, l);
          // The caret stands where the character is painted.
          int px = e.t.LineStart(p, l), extra = 0;
          for (int i = 0; i < o; ++i) px += e.t.CharAdvance(p, l, i, px, extra);
          ASSERT_EQ(e.t.CursorX(p, l, o), px);
        }
        ++checked;
        if (p->Flags & wppTableCell) ++cells;
      }
  }
  EXPECT_GT(checked, 300);
  EXPECT_GT(cells, 60);
  EXPECT_GE(wrapped, 2);
}

TEST(HitTesting, TheCursorStaysInViewAfterEveryMove) {
  rtview_test::StartGraphics();
  for (const bool wrap : {true, false}) {
    SCOPED_TRACE(wrap ? "word wrap" : "page width");
    Editor e(wrap ? 300 : 180, 50, wrap);
    LoadMixed(e);
    ASSERT_GT(e.t.TotalHeight, 2 * e.t.VisibleHeight);
    int moves = 0;
    for (int i = 0; i < 2000 && e.Cursor() < static_cast<int>(e.Text().size()); ++i, ++moves) {
      e.t.CursorRight();
      ASSERT_TRUE(CaretInView(e.t)) << "after Right to " << e.Cursor() << Where(e.t);
    }
    for (int i = 0; i < 60; ++i, ++moves) {
      e.t.CursorUp();
      ASSERT_TRUE(CaretInView(e.t)) << "after Up to " << e.Cursor() << Where(e.t);
      e.t.CursorCommand(i % 2 ? ccLineEnd : ccLineStart);
      ASSERT_TRUE(CaretInView(e.t)) << "after Home/End at " << e.Cursor();
    }
    for (TWPCursorCommand c : {ccTextStart, ccPageDown, ccPageDown, ccPageDown, ccPageUp, ccTextEnd, ccParagraphUp,
                               ccParagraphUp, ccPageUp, ccPageUp, ccTextStart, ccParagraphDown, ccParagraphDown}) {
      e.t.CursorCommand(c);
      ++moves;
      ASSERT_TRUE(CaretInView(e.t)) << "after command " << c << " to " << e.Cursor();
    }
    for (int i = 0; i < 80; ++i, ++moves) {
      e.t.WordRight();
      ASSERT_TRUE(CaretInView(e.t)) << "after WordRight to " << e.Cursor();
      e.t.CursorDown();
      ASSERT_TRUE(CaretInView(e.t)) << "after Down to " << e.Cursor();
    }
    EXPECT_GT(moves, 300);
  }
}

TEST(Layout, AScrollBarShownDuringLayoutLaysTheTextOutForTheNewWidth) {
  // The control's vertical bar set-up: a bar takes 16 pixels of the width
  // when the text is taller than the view.
  Editor e(300, 100);
  e.t.OnUpdateVScroll = [&] { e.t.SetWindowWidth(e.t.TotalHeight > e.t.VisibleHeight ? 284 : 300); };
  // Twelve words of 25 pixels fill a line at 300, eleven at 284.
  std::string words;
  for (int i = 0; i < 120; ++i) words += "ab ";
  e.Load(words);
  EXPECT_EQ(e.t.WindowWidth(), 284);
  EXPECT_EQ(e.t.Header->LayoutWidth, 284);
  rtview_test::ExpectLaidOut(e.t);
  Editor narrow(284, 100);
  narrow.Load(words);
  EXPECT_EQ(rtview_test::Lines(e.t.FirstPar), rtview_test::Lines(narrow.t.FirstPar));
  // Deleting text until it fits hides the bar: laid out at 300 again.
  e.t.SetSelection(20, static_cast<int>(words.size()) - 20);
  e.Key(127);
  EXPECT_EQ(e.t.WindowWidth(), 300);
  EXPECT_EQ(e.t.Header->LayoutWidth, 300);
  rtview_test::ExpectLaidOut(e.t);
  // Typing that makes the text taller than the view brings the bar back.
  e.t.CursorCommand(ccTextEnd);
  for (int i = 0; i < 8 && e.t.WindowWidth() == 300; ++i) e.Type("\rnoch eine Zeile");
  EXPECT_EQ(e.t.WindowWidth(), 284);
  EXPECT_EQ(e.t.Header->LayoutWidth, 284);
  rtview_test::ExpectLaidOut(e.t);
}

TEST(Layout, AssignedTextWrapsToTheWindowWhileLinesFollowIt) {
  Editor e(250);
  EXPECT_EQ(e.t.WindowWrapWidth(), 250);
  TWPRTFTextIo source;
  std::string words;
  for (int i = 0; i < 30; ++i) words += "Wort ";
  source.InsertTextAt(source.FirstPar, 0, words, nullptr);
  e.t.Assign(&source);
  EXPECT_EQ(e.t.Header->LayoutWidth, 250);
  rtview_test::ExpectLaidOut(e.t);
  EXPECT_GT(rtview_test::LineCount(e.t), 1);
  // With page layout or without word wrap lines break at the page.
  e.t.SetViewOptions(e.t.ViewOptions() | wpvPageLayout);
  EXPECT_EQ(e.t.WindowWrapWidth(), 0);
  e.t.SetViewOptions(e.t.ViewOptions() & ~wpvPageLayout);
  e.t.SetWordWrap(false);
  EXPECT_EQ(e.t.WindowWrapWidth(), 0);
}

// Line layout on fixed-width metrics: greedy breaking and its edge cases,
// hidden stamps, line feeds, justification, alignment, indents and tabs at
// hand-computed positions, line heights, page starts, table rows, zoom, the
// change kinds of a re-break and the cursor and block carried across it.
#include <gtest/gtest.h>

#include "tests/richtext_view/view_helpers.h"

using namespace rtview_test;

namespace {

// An engine on fixed metrics whose lines are broken to `room` pixels: the
// window is one pixel wider because of the one-pixel left margin.
struct Engine {
  FixedMetrics metrics;
  TWPRTFTextPaint t;
  explicit Engine(int room = 100, int width = 10, int blank = 5) : metrics(width, blank) {
    t.Metrics = &metrics;
    t.SetWordWrap(true);
    t.SetWindowWidth(room + 1);
  }
  TWPParagraphRec* Par(std::string_view text, const TWPAttrRecord& a = Attr()) {
    TWPParagraphRec* p = t.IsEmpty() ? t.FirstPar : NewPar(t);
    AddRun(t, p, text, a);
    return p;
  }
  void Format() {
    t.FormatText();
    ExpectLaidOut(t);
  }
};

using Strings = std::vector<std::string>;

}  // namespace

TEST(LineBreaking, GreedyAtTheLastBlankThatFits) {
  Engine e;
  ASSERT_EQ(e.t.AvailableWidth(e.t.FirstPar, e.t.FirstPar->line), 100);
  TWPParagraphRec* p = e.Par("aaaa bbbb cccc dd");
  e.Format();
  // aaaa(40) blank(45) bbbb(85) blank(90); "c" would reach 100.
  EXPECT_EQ(Lines(p), (Strings{"aaaa bbbb ", "cccc dd"}));
  EXPECT_EQ(p->line->TextWidth, 85);  // the width before the breaking blank
  // A word longer than the line breaks at the last character that stays
  // below the width.
  TWPParagraphRec* q = e.Par("abcdefghijklmnopqrstu");
  e.Format();
  EXPECT_EQ(Lines(q), (Strings{"abcdefghi", "jklmnopqr", "stu"}));
}

TEST(LineBreaking, BlanksAtIndexOneAndTwoAndCharactersWiderThanTheLine) {
  Engine e(40);
  // A blank at index 2 is a break; one at index 1 is not.
  TWPParagraphRec* p = e.Par("ab cd");
  TWPParagraphRec* q = e.Par("a bcdefg");
  e.Format();
  EXPECT_EQ(Lines(p), (Strings{"ab ", "cd"}));
  EXPECT_EQ(Lines(q)[0], "a bc");
  // A character wider than the room stands alone on its line.
  Engine w(8);
  TWPParagraphRec* r = w.Par("xyz");
  w.Format();
  EXPECT_EQ(Lines(r), (Strings{"x", "y", "z"}));
  // No room at all: 16 pixels are taken, and breaking still ends; the
  // blank at index 1 rides along with its character.
  Engine none(0);
  TWPParagraphRec* s = none.Par("abc def");
  none.Format();
  EXPECT_EQ(none.t.AvailableWidth(s, s->line), 16);
  EXPECT_EQ(Lines(s), (Strings{"a", "b", "c ", "d", "e", "f"}));
}

TEST(LineBreaking, TrailingBlanksRunPastTheEdgeWithoutAnEmptyLine) {
  Engine e;
  // "aaaaaaaaa " ends at 95; the last blank crosses nothing. Nine letters
  // (90) and two blanks (100) end the paragraph on its only line.
  TWPParagraphRec* p = e.Par("aaaaaaaaa  ");
  e.Format();
  EXPECT_EQ(Lines(p), (Strings{"aaaaaaaaa  "}));
  EXPECT_EQ(e.t.LineWidth(p->line), 90);
  // A blank that reaches past the edge in the middle breaks after itself.
  TWPParagraphRec* q = e.Par("aaaaaaaaa  bb");
  e.Format();
  EXPECT_EQ(Lines(q), (Strings{"aaaaaaaaa  ", "bb"}));
}

TEST(LineBreaking, LineFeedsEndLinesAndAreNeverStretched) {
  Engine e(200);
  TWPParagraphRec* p = e.Par("ab cd\nef gh ij");
  p->Align = 3;
  e.Format();
  EXPECT_EQ(Lines(p), (Strings{"ab cd\n", "ef gh ij"}));
  EXPECT_EQ(p->line->BlankWidth, 0);
  // A line feed at the end opens an empty last line.
  TWPParagraphRec* q = e.Par("xy\n");
  e.Format();
  EXPECT_EQ(Lines(q), (Strings{"xy\n", ""}));
}

TEST(LineBreaking, HiddenStampHasNoWidthAndStaysWithItsLinkText) {
  Engine e(100);
  // "see " + link text (0x10) + stamp (0x100) + " more": the stamp is
  // measured 0 wide and never ends a line, even right at the edge.
  TWPParagraphRec* p = e.Par("see ");
  AddRun(e.t, p, "Goethe", Attr(wpsHyperlink));
  AddRun(e.t, p, "p:12", Attr(wpsHidden));
  AddRun(e.t, p, " more text", Attr());
  e.Format();
  const TWPLineRec* l = p->line;
  for (int i = 10; i < 14; ++i) EXPECT_EQ(l->pa[i].Width, 0);
  // see(35) Goethe(95) stamp(95) blank(100): "more" goes down, the stamp
  // stays behind "Goethe".
  EXPECT_EQ(Lines(p)[0], "see Goethep:12 ");
  // Link text that ends exactly at the room: the stamp still follows it.
  Engine f(95);
  TWPParagraphRec* q = f.Par("see ");
  AddRun(f.t, q, "Goethe", Attr(wpsHyperlink));
  AddRun(f.t, q, "p:7", Attr(wpsHidden));
  AddRun(f.t, q, "x", Attr());
  f.Format();
  EXPECT_EQ(Lines(q)[0], "see ");
  EXPECT_EQ(Lines(q)[1], "Goethep:7x");
  // With hidden text shown the stamp has its width and breaks like text.
  e.t.SetViewOptions(e.t.ViewOptions() | wpvShowHidden);
  ASSERT_EQ(Lines(p)[1], "Goethep:1");
  EXPECT_EQ(p->line->next->pa[6].Width, 10);
}

TEST(LineBreaking, JustifiedLinesStretchTheirBlanks) {
  Engine e(100);
  TWPParagraphRec* p = e.Par("aa bb cc dd ee ff gg");
  p->Align = 3;
  e.Format();
  // Line 1: aa(20) b(25) bb(45) b(50) cc(70) b(75) dd(95) b(100) -> ends
  // after the fourth blank; width 95, four blanks of 5.
  ASSERT_EQ(Lines(p), (Strings{"aa bb cc dd ", "ee ff gg"}));
  const TWPLineRec* l = p->line;
  // room = 20 + 100 - 95 - 6 = 19; three gaps: 6 each and 1 extra pixel.
  EXPECT_EQ(l->BlankWidth, 6);
  EXPECT_EQ(l->ExtraPixels, 1);
  EXPECT_EQ(l->TextWidth, 0);  // stretching from the start
  EXPECT_EQ(CharX(e.t, p, l, 3), 1 + 20 + 7);   // the first gap gets the extra pixel
  EXPECT_EQ(CharX(e.t, p, l, 6), 1 + 40 + 13);
  EXPECT_EQ(CharX(e.t, p, l, 9), 1 + 60 + 19);
  // The last line keeps its own blanks, unless the paragraph says otherwise.
  EXPECT_EQ(l->next->BlankWidth, 0);
  EXPECT_EQ(CharX(e.t, p, l->next, 3), 1 + 25);
  p->Flags |= wppJustifyLast;
  e.Format();
  EXPECT_GT(p->line->next->BlankWidth, 5);
  // One blank is not stretched.
  TWPParagraphRec* q = e.Par("aaaaaa bbbbbb");
  q->Align = 3;
  e.Format();
  EXPECT_EQ(q->line->BlankWidth, 0);
}

TEST(LineBreaking, NegativeJustificationRoomStretchesNothing) {
  // Letters 3 wide, blanks 1: two blanks at the line's start and a long
  // word leave room = 2 + 100 - 98 - 6 < 0.
  Engine e(100, 3, 1);
  TWPParagraphRec* p = e.Par("  " + std::string(40, 'a'));
  p->Align = 3;
  e.Format();
  const TWPLineRec* l = p->line;
  ASSERT_EQ(l->Length, 34);
  EXPECT_EQ(l->BlankWidth, 0);
  EXPECT_EQ(l->ExtraPixels, 0);
  EXPECT_EQ(CharX(e.t, p, l, 2), 1 + 2);
  EXPECT_LE(CharX(e.t, p, l, l->Length), 1 + 100);
}

TEST(Alignment, RightCentreAndIndentsAtHandComputedPositions) {
  Engine e(200);
  // The page's printable width equals the window, so the right indent
  // counts in full.
  TTextHeader& h = *e.t.Header;
  h.PageWidth = h.MarginLeft + h.MarginRight + MulDiv(201, 1440, 96);
  TWPParagraphRec* r = e.Par("abc");
  r->Align = 1;
  TWPParagraphRec* c = e.Par("abcd");
  c->Align = 2;
  // First line at 150 twips (10 pixels at 96 ppi), further lines at 300 (20).
  TWPParagraphRec* ind = e.Par("aaaaaaaa bbbbbbbb cccc");
  ind->FirstIndent = 150;
  ind->LeftIndent = 300;
  ind->RightIndent = 600;  // 40 pixels
  ind->Align = 0;
  e.Format();
  ASSERT_EQ(h.PrintWidth, 201);
  // free = 201 - 30 - 0 - 1 = 170.
  EXPECT_EQ(e.t.LineStart(r, r->line), 1 + 170);
  // free = 201 - 40 - 1 = 160, half of it.
  EXPECT_EQ(e.t.LineStart(c, c->line), 1 + 80);
  const TWPLineRec* l = ind->line;
  EXPECT_EQ(e.t.LineStart(ind, l), 11);
  EXPECT_EQ(e.t.AvailableWidth(ind, l), 201 - 40 - 11);
  ASSERT_NE(l->next, nullptr);
  EXPECT_EQ(e.t.LineStart(ind, l->next), 21);
  EXPECT_EQ(e.t.AvailableWidth(ind, l->next), 201 - 40 - 21);
  EXPECT_EQ(Lines(ind), (Strings{"aaaaaaaa ", "bbbbbbbb cccc"}));
  // Trailing blanks do not count in a right-aligned line.
  TWPParagraphRec* rb = e.Par("ab  ");
  rb->Align = 1;
  rb->FirstIndent = rb->LeftIndent = rb->RightIndent = 0;
  e.Format();
  EXPECT_EQ(e.t.LineStart(rb, rb->line), 1 + 180);
  // In a narrower window the right indent counts from the page's edge:
  // the part of it beyond the window is dropped.
  e.t.SetWindowWidth(181);
  EXPECT_EQ(e.t.RightBoundary(ind), 20);
}

TEST(Tabs, LeftRightCentreDecimalAndDefaultStops) {
  Engine e(400);
  TTextHeader& h = *e.t.Header;
  // Stops at 1440 twips (96 px), 2880 (192), 4320 (288), 5760 (384).
  const TWPTabSet left = h.AddTab(tkLeft, 1440);
  h.CurrentTabs = 0;
  const TWPTabSet right = h.AddTab(tkRight, 2880);
  h.CurrentTabs = 0;
  const TWPTabSet centre = h.AddTab(tkCenter, 4320);
  h.CurrentTabs = 0;
  const TWPTabSet dec = h.AddTab(tkDecimal, 5760);
  TWPParagraphRec* p = e.Par("a\tbb\tcc\tdddd\t12.5");
  p->Tabs = left | right | centre | dec;
  e.Format();
  const TWPLineRec* l = p->line;
  EXPECT_EQ(CharX(e.t, p, l, 2), 96);       // left stop
  EXPECT_EQ(CharX(e.t, p, l, 5), 192 - 20);  // right stop: "cc" ends there
  EXPECT_EQ(CharX(e.t, p, l, 8), 288 - 20);  // centre stop: "dddd" centred
  EXPECT_EQ(CharX(e.t, p, l, 13), 384 - 20);  // decimal stop: "12" before it
  // Without stops: multiples of the default width (a third of an inch, 32
  // pixels) from the layout's left edge, not from the indent.
  TWPParagraphRec* q = e.Par("a\tb");
  q->Tabs = 0;
  q->FirstIndent = 150;  // starts at 11
  e.Format();
  EXPECT_EQ(CharX(e.t, q, q->line, 2), 32);
  // A right stop too close for the text after the tab is passed for the next stop.
  TWPParagraphRec* w = e.Par("abc\t" + std::string(20, 'z'));
  w->Tabs = right | centre;
  w->FirstIndent = 0;
  e.Format();
  EXPECT_EQ(CharX(e.t, w, w->line, 4), 288 - 100);
}

TEST(LineHeights, SpacingEmptyParagraphsAndPlainMetrics) {
  Engine e(200);
  // 12 points at 96 ppi: em 16, height 20, ascent 16.
  TWPParagraphRec* p = e.Par("Text", Attr(0, 0, 12));
  TWPParagraphRec* empty = e.Par("");
  empty->line->pa[0] = Attr(0, 0, 8);
  e.Format();
  EXPECT_EQ(p->line->Height, 20);
  EXPECT_EQ(p->line->Ascent, 16);
  // The empty paragraph follows the text above it, not its own 8 points.
  EXPECT_EQ(empty->line->Height, 20);
  // Exactly 240 twips (16 pixels) whatever the font; at least 480 (32).
  p->LineSpacing = -240;
  e.Format();
  EXPECT_EQ(p->line->Height, 16);
  EXPECT_EQ(p->line->Ascent, 16 - 2);
  p->LineSpacing = 480;
  e.Format();
  EXPECT_EQ(p->line->Height, 32);
  EXPECT_EQ(p->line->Ascent, 16 + 6);
  // Space before on the first line (height and ascent), after on the last.
  p->LineSpacing = 0;
  p->SpaceBefore = 150;
  p->SpaceAfter = 300;
  e.Format();
  EXPECT_EQ(p->line->Height, 20 + 10 + 20);
  EXPECT_EQ(p->line->Ascent, 16 + 10);
  EXPECT_EQ(empty->line->Top, 50);
  // A line of blanks only takes the writing font's metrics.
  TWPParagraphRec* blanks = e.Par("   ", Attr(0, 0, 24));
  e.Format();
  EXPECT_EQ(blanks->line->Height, e.t.PlainLineHeight);
  EXPECT_EQ(e.t.PlainLineHeight, 13 + 4);
}

TEST(Pages, LinesThatWouldReachBelowThePageStartTheNext) {
  Engine e(200);
  TTextHeader& h = *e.t.Header;
  h.PageHeight = 1440 + h.MarginTop + h.MarginBottom;  // 96 printable pixels
  // Ten one-line paragraphs of 16 pixels (8 points: em 11, height 15 ... so
  // the lines are made exactly 16 by line spacing).
  for (int i = 0; i < 10; ++i) {
    TWPParagraphRec* p = e.Par("x");
    p->LineSpacing = -240;
  }
  e.Format();
  // Six lines fill the 96 pixels; the seventh starts page 2.
  int starts = 0;
  for (TWPParagraphRec* p = e.t.FirstPar; p; p = p->next)
    if (p->line->Flags & wplPageStart) ++starts;
  EXPECT_EQ(starts, 1);
  EXPECT_TRUE(e.t.ParagraphAt(6)->line->Flags & wplPageStart);
  EXPECT_EQ(e.t.ParagraphAt(6)->line->Top, 96);
  e.t.CursorPar = e.t.ParagraphAt(9);
  e.t.CursorLine = e.t.CursorPar->line;
  EXPECT_EQ(e.t.CursorPage(), 1);
  EXPECT_EQ(e.t.LineOnPage(), 3);
  // A forced break starts a page too; kept-together paragraphs move whole.
  e.t.ParagraphAt(2)->Flags |= wppPageBreak;
  e.Format();
  EXPECT_EQ(e.t.CursorPage(), 2);
  EXPECT_TRUE(e.t.ParagraphAt(8)->line->Flags & wplPageStart);
  // A paragraph starting with a page break is still on page 0.
  e.t.FirstPar->Flags |= wppPageBreak;
  e.t.CursorPar = e.t.FirstPar;
  e.t.CursorLine = e.t.FirstPar->line;
  EXPECT_EQ(e.t.CursorPage(), 0);
}

TEST(Pages, KeptTogetherParagraphMovesToTheNextPage) {
  Engine e(30);
  TTextHeader& h = *e.t.Header;
  h.PageHeight = 1440 + h.MarginTop + h.MarginBottom;
  for (int i = 0; i < 4; ++i) e.Par("x")->LineSpacing = -240;
  TWPParagraphRec* keep = e.Par("aa bb cc dd");  // four lines of 16
  keep->LineSpacing = -240;
  keep->Flags |= wppKeepTogether;
  e.Format();
  ASSERT_EQ(Lines(keep).size(), 4u);
  // Its lines would cross the page at the third; the first starts page 2.
  EXPECT_TRUE(keep->line->Flags & wplPageStart);
  EXPECT_FALSE(keep->line->next->next->Flags & wplPageStart);
}

TEST(Tables, CellsOfARowShareTheirTopAndEndTogether) {
  Engine e(300);
  TWPParagraphRec* c1 = e.Par("short");
  TWPParagraphRec* c2 = e.Par("a longer cell text that wraps");
  TWPParagraphRec* after = e.Par("after");
  c1->Flags = wppTableCell | wppRowGoesOn;
  c1->ColStart = 0;
  c1->ColWidth = 85;
  c2->Flags = wppTableCell | wppRowContinues;
  c2->ColStart = 85;
  c2->ColWidth = 85;
  e.Format();
  EXPECT_EQ(c1->line->Top, 0);
  EXPECT_EQ(c2->line->Top, 0);
  EXPECT_GT(Lines(c2).size(), 1u);
  // The cell's column: a third of the width, from its start.
  EXPECT_EQ(e.t.LeftBoundary(c2, c2->line), MulDiv(MulDiv(301, 1440, 96) * 85 / 255, 96, 1440) + 1);
  int h2 = 0;
  for (TWPLineRec* l = c2->line; l; l = l->next) h2 += l->Height;
  EXPECT_EQ(c1->line->Height, h2);  // the short cell ends with the row
  EXPECT_EQ(after->line->Top, h2);
}

TEST(Resolution, ZoomScalesTheLayoutUnlessSwitchedOff) {
  Engine e;
  e.t.SetZooming(200);
  EXPECT_EQ(e.t.Header->ResX, 192);
  EXPECT_EQ(e.t.Header->ResY, 192);
  e.Par("abc", Attr(0, 0, 12));
  e.Format();
  EXPECT_EQ(e.t.FirstPar->line->Height, 32 + 4);  // 12 points at 192 ppi
  e.t.SetViewOptions(e.t.ViewOptions() | wpvNoZoom);
  EXPECT_EQ(e.t.Header->ResX, 96);
  EXPECT_EQ(e.t.FirstPar->line->Height, 16 + 4);
}

TEST(Relayout, OneEditedParagraphReportsWhatChanged) {
  Engine e(100);
  TWPParagraphRec* p = e.Par("aaaa bbbb cccc");
  TWPParagraphRec* q = e.Par("below");
  e.Format();
  const int qTop = q->line->Top;
  // A character typed at the end of the first line moves to the second:
  // same lines and heights, the two lines are marked for repainting.
  ASSERT_TRUE(e.t.InsertChar(p, p->line, 'x', p->line->Length));
  ExpectChains(e.t);
  p->ChangeFlags |= wpcMeasure;
  EXPECT_EQ(e.t.UpdateParagraph(p), wpcLinesMarked);
  EXPECT_EQ(Lines(p), (Strings{"aaaa bbbb ", "xcccc"}));
  EXPECT_TRUE(p->line->Flags & wplChanged);
  EXPECT_TRUE(p->line->next->Flags & wplChanged);
  EXPECT_EQ(q->line->Top, qTop);
  // A third line: everything below moves.
  for (char c : std::string(" dddd eeee")) {
    TWPLineRec* last = TWPRTFText::Get_LastLine(p);
    ASSERT_TRUE(e.t.InsertChar(p, last, c, last->Length));
    ExpectChains(e.t);
  }
  p->ChangeFlags |= wpcMeasure;
  EXPECT_EQ(e.t.UpdateParagraph(p), wpcBelowMoves);
  EXPECT_EQ(Lines(p).size(), 3u);
  EXPECT_GT(q->line->Top, qTop);
  ExpectLaidOut(e.t);
  // Nothing changed: nothing to repaint.
  p->ChangeFlags |= wpcMeasure;
  EXPECT_EQ(e.t.UpdateParagraph(p), wpcNone);
}

TEST(Relayout, CursorAndBlockFollowTheirCharactersAcrossABreak) {
  Engine e(100);
  TWPParagraphRec* p = e.Par("aaaa bbbb cccc dddd");
  e.Format();
  // The cursor before "cccc" and a block over "bbbb cc".
  TWPLineRec* l = nullptr;
  int off = 0;
  TWPRTFText::LocateInPar(p, 10, l, off);
  e.t.CursorPar = p;
  e.t.CursorLine = l;
  e.t.CursorOffset = off;
  TWPTextPlace a{p, nullptr, 0}, b{p, nullptr, 0};
  TWPRTFText::LocateInPar(p, 5, a.Line, a.Offset);
  TWPRTFText::LocateInPar(p, 12, b.Line, b.Offset);
  e.t.SetBlock(a, b);
  // Narrower: the text breaks differently; positions stay on their
  // characters, and at a line boundary the cursor opens the next line.
  e.t.SetWindowWidth(61);
  ExpectLaidOut(e.t);
  ASSERT_EQ(Lines(p), (Strings{"aaaa ", "bbbb ", "cccc ", "dddd"}));
  EXPECT_EQ(TWPRTFText::PosInPar(p, e.t.CursorLine, e.t.CursorOffset), 10);
  EXPECT_EQ(e.t.CursorLine, p->line->next->next);
  EXPECT_EQ(e.t.CursorOffset, 0);
  EXPECT_EQ(TWPRTFText::PosInPar(p, e.t.BlockStart.Line, e.t.BlockStart.Offset), 5);
  EXPECT_EQ(TWPRTFText::PosInPar(p, e.t.BlockEnd.Line, e.t.BlockEnd.Offset), 12);
  // The block's lines: the one it opens on (at its end), the one it ends in.
  EXPECT_EQ(p->line->SelState, 2);
  EXPECT_EQ(p->line->next->SelState, 3);
  EXPECT_EQ(p->line->next->next->SelState, 2);
  EXPECT_EQ(p->line->next->next->next->SelState, 0);
}

TEST(Measuring, FontNumbersOutsideTheTableAreFontZero) {
  Engine e(200);
  e.t.Header->FontNames[0] = "Arial";
  TWPParagraphRec* p = e.Par("abc");
  // Written in place past the model's checks, as an application may.
  p->line->pa[1].Font = 200;
  p->ChangeFlags |= wpcMeasure;
  e.Format();
  EXPECT_EQ(p->line->pa[1].Font, 0);
  EXPECT_EQ(p->line->pa[1].Width, 10);
  TWPAttrRecord bad = Attr(0, 150);
  EXPECT_EQ(e.t.RunStyle(bad).Font.Name, "Arial");
}

TEST(Measuring, SpellCheckWordPassMarksWords) {
  Engine e(300);
  TWPParagraphRec* p = e.Par("Haus Baum Xyzq");
  std::vector<std::string> words;
  e.t.OnSpellCheckWord = [&](const AnsiString& w, uint8_t& flags) {
    words.push_back(w);
    if (w == "Xyzq") flags |= 4;
  };
  e.t.CursorPar = p;
  e.t.CursorLine = p->line;
  e.t.CursorOffset = 7;  // inside "Baum": being typed
  e.Format();
  EXPECT_EQ(words, (Strings{"Haus", "Xyzq"}));
  EXPECT_TRUE(p->line->pa[0].Style & wpsSpellChecked);
  EXPECT_FALSE(p->line->pa[0].Style & wpsMisspelled);
  EXPECT_FALSE(p->line->pa[5].Style & wpsSpellChecked);
  EXPECT_TRUE(p->line->pa[11].Style & wpsMisspelled);
}

namespace {

// Realises every request with metrics derived from it, and counts.
class CountingEngine : public TFontEngine {
public:
  int realized = 0;
  TFontRequest last;
  std::shared_ptr<const TFontData> Realize(const TFontRequest& r) override {
    ++realized;
    last = r;
    auto d = std::make_shared<TFontData>();
    d->Request = r;
    d->Metric.tmHeight = -r.Height + 3;
    d->Metric.tmAscent = -r.Height;
    d->Metric.tmExternalLeading = 2;
    for (int& w : d->Widths) w = r.Style.Contains(fsBold) ? 9 : 8;
    d->Widths[' '] = 4;
    return d;
  }
  std::vector<std::string> Families() override { return {"Arial"}; }
};

}  // namespace

TEST(Measuring, MetricsOfTheFontEngineWithFontSelection) {
  CountingEngine engine;
  TWPGfxTextMetrics metrics(&engine);
  TWPRTFTextPaint t;
  t.Metrics = &metrics;
  t.Header->FontNames[0] = "Arial";
  t.Header->FontNames[1] = "Courier New";
  TWPParagraphRec* p = t.FirstPar;
  AddRun(t, p, "ab\t", Attr(0, 0, 12));
  AddRun(t, p, "c'", Attr(wpsBold | wpsItalic, 1, 12));
  AddRun(t, p, "x", Attr(wpsSubScript, 1, 12));
  t.FormatText();
  const TWPLineRec* l = p->line;
  // 12 points at 96 ppi: 16, plus 3; the external leading counts.
  EXPECT_EQ(l->pa[0].Height, 16 + 3 + 2);
  EXPECT_EQ(l->pa[0].Ascent, 16);
  EXPECT_EQ(l->pa[0].Width, 8);
  EXPECT_EQ(l->pa[3].Width, 9);
  EXPECT_EQ(l->pa[4].Width, MulDiv(9, 5, 4));  // an italic apostrophe gets room
  // A lowered run is two thirds the size.
  EXPECT_EQ(engine.last.Height, -MulDiv(8, 96, 72));
  EXPECT_EQ(engine.last.Name, "Courier New");
  const int realized = engine.realized;
  t.FormatText();
  EXPECT_EQ(engine.realized, realized);  // cached per request
  // The hyperlink set's bold applies to link text only.
  t.HyperlinkTextAttr().SetBold(tsTRUE);
  EXPECT_TRUE(t.RunStyle(Attr(wpsHyperlink)).Font.Style.Contains(fsBold));
  EXPECT_FALSE(t.RunStyle(Attr()).Font.Style.Contains(fsBold));
  // Scaled fonts (Resizing).
  t.SetResizing(200);
  EXPECT_EQ(t.RunStyle(Attr(0, 0, 12)).Font.Height, -MulDiv(24, 96, 72));
}

TEST(Relayout, ACellThatLosesItsRowIsBrokenToTheFullWidth) {
  Engine e(300);
  TWPParagraphRec* a = e.Par("one two three four five");
  TWPParagraphRec* b = e.Par("six seven eight nine ten");
  a->Flags = wppTableCell | wppRowGoesOn;
  a->ColWidth = 85;
  b->Flags = wppTableCell | wppRowContinues;
  b->ColStart = 85;
  b->ColWidth = 85;
  e.Format();
  ASSERT_GT(Lines(b).size(), 1u);
  // The first cell stops being one: the second has no row any more and is
  // as wide as the text again, without a full pass.
  a->Flags = 0;
  a->ChangeFlags |= wpcMeasure;
  e.t.UpdateParagraph(a);
  EXPECT_EQ(b->Flags, 0);
  EXPECT_EQ(Lines(b), (Strings{"six seven eight nine ten"}));
  ExpectLaidOut(e.t);
}

TEST(Relayout, AParagraphEmptiedInPiecesFollowsTheTextAbove) {
  Engine e(300);
  TWPParagraphRec* p = e.Par("Text", Attr(0, 0, 16));
  TWPParagraphRec* q = e.Par("\n", Attr(0, 0, 8));
  e.Format();
  ASSERT_EQ(Lines(q).size(), 2u);
  // Deleting the line feed leaves two empty lines until the break.
  ASSERT_TRUE(e.t.DeleteChar(q, q->line, 0));
  ExpectChains(e.t);
  e.t.UpdateParagraph(q);
  EXPECT_EQ(Lines(q), (Strings{""}));
  EXPECT_EQ(q->line->Height, p->line->Height);
  const int incremental = q->line->Height;
  e.Format();
  EXPECT_EQ(q->line->Height, incremental);
}

// Painting on a recording device with fixed metrics: runs with the engine's
// advances, justified blanks, selection colours, hidden stamps and link
// underlines, raised runs, control characters, the canvas left as it was,
// borders, page-break marks, objects, and bad font numbers that never raise.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "platform/gfx/recorder.h"
#include "richtext/io/objects.h"
#include "tests/richtext_view/view_helpers.h"

using namespace rtview_test;

namespace {

struct Screen {
  FixedMetrics metrics;
  TRecordingDevice device;
  TCanvas canvas{&device};
  TWPRTFTextPaint t;
  explicit Screen(int width = 300, int height = 200) {
    t.Metrics = &metrics;
    t.SetCanvas(&canvas);
    t.AttachedToWindow = true;
    t.SetWordWrap(true);
    t.SetWindowWidth(width);
    t.VisibleHeight = height;
  }
  TWPParagraphRec* Par(std::string_view text, const TWPAttrRecord& a = Attr()) {
    TWPParagraphRec* p = t.IsEmpty() ? t.FirstPar : NewPar(t);
    AddRun(t, p, text, a);
    return p;
  }
  void Paint() {
    t.FormatText();
    ExpectLaidOut(t);
    device.Clear();
    t.PaintAll();
  }
  std::vector<const TRecordedCall*> Texts() const { return device.Find("Text"); }
};

}  // namespace

TEST(Painting, RunsCarryTheEnginesAdvances) {
  Screen s;
  TWPParagraphRec* p = s.Par("ab");
  AddRun(s.t, p, "cd", Attr(wpsBold));
  AddRun(s.t, p, " ef\tg");
  s.Paint();
  const auto texts = s.Texts();
  // "ab", "cd" (bold), " ef", then the tab starts a run of its own.
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0]->Text, "ab");
  EXPECT_EQ(texts[0]->Args, (std::vector<int>{1, p->line->Ascent}));
  EXPECT_EQ(texts[0]->Advances, (std::vector<int>{10, 10}));
  EXPECT_EQ(texts[1]->Text, "cd");
  EXPECT_TRUE(texts[1]->FontStyle.Contains(fsBold));
  EXPECT_EQ(texts[1]->Args[0], 21);
  EXPECT_EQ(texts[1]->Advances, (std::vector<int>{12, 12}));
  EXPECT_EQ(texts[2]->Text, " ef");
  // The tab reaches the default stop at 96 (a third of an inch steps from
  // the layout's edge): 1 + 20 + 24 + 25 = 70, next multiple of 32 is 96.
  EXPECT_EQ(texts[3]->Text, " g");  // drawn as a blank
  EXPECT_EQ(texts[3]->Args[0], 70);
  EXPECT_EQ(texts[3]->Advances[0], 96 - 70);
  // The font of the record at the screen's resolution.
  EXPECT_EQ(texts[0]->FontName, "Arial");
  EXPECT_EQ(texts[0]->FontHeight, -13);
}

TEST(Painting, TheItalicOverhangOfALinesLastLetterIsNotFilledOver) {
  Screen s;
  AddRun(s.t, s.Par("ab"), "cd", Attr(wpsItalic));
  AddRun(s.t, s.Par("ef", Attr(wpsItalic)), "gh");
  s.Paint();
  const auto texts = s.Texts();  // an italic run before another: its last letter after it, past its end
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[2]->Text, "e");
  EXPECT_EQ(texts[4]->Text + (texts[4]->FontStyle.Contains(fsItalic) ? " italic" : ""), "f italic");
  EXPECT_EQ(texts[4]->Clip.at(0).Left, texts[2]->Args[0]);
  EXPECT_EQ(texts[4]->Clip.at(0).Right, texts[3]->Args[0] + 8);
  const int x = texts[1]->Args[0];  // "cd": no fill over its letters nor 8 pixels behind them
  bool reaches = false;  // but the rest of the line is filled from there on
  for (const TRecordedCall* f : s.device.Find("FillRect")) {
    EXPECT_FALSE(f->Args[1] < s.t.FirstPar->line->Height && f->Args[0] > x && f->Args[0] < x + 2 * 10 + 8);
    reaches |= f->Args[1] < s.t.FirstPar->line->Height && f->Args[0] == x + 2 * 10 + 8 && f->Args[2] > f->Args[0];
  }
  EXPECT_TRUE(reaches);
}

TEST(Painting, JustifiedBlanksAreDrawnStretchedAndGlyphsKeepTheirWidths) {
  Screen s(101);
  TWPParagraphRec* p = s.Par("aa bb cc dd ee ff gg");
  p->Align = 3;
  s.Paint();
  // One run per line: its advance array carries the stretched blanks (6,
  // the first one pixel wider, see the layout test); letters keep 10.
  const auto texts = s.Texts();
  ASSERT_GE(texts.size(), 1u);
  EXPECT_EQ(texts[0]->Text, "aa bb cc dd ");
  EXPECT_EQ(texts[0]->Advances, (std::vector<int>{10, 10, 7, 10, 10, 6, 10, 10, 6, 10, 10, 6}));
  EXPECT_EQ(texts[0]->Args[0], 1);
}

TEST(Painting, SelectionColoursOnlyTheSelectedPart) {
  Screen s;
  TWPParagraphRec* p = s.Par("abcdef");
  s.t.SetBlock({p, p->line, 2}, {p, p->line, 4});
  s.Paint();
  const auto texts = s.Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0]->Text, "ab");
  EXPECT_EQ(texts[0]->Color, ColorToRGB(clBlack));
  EXPECT_EQ(texts[1]->Text, "cd");
  EXPECT_EQ(texts[1]->Color, ColorToRGB(clHighlightText));
  EXPECT_EQ(texts[2]->Text, "ef");
  bool highlightFill = false;
  for (const TRecordedCall* f : s.device.Find("FillRect"))
    if (f->Brush.Color == ColorToRGB(clHighlight) && f->Args[0] == 21 && f->Args[2] == 41) highlightFill = true;
  EXPECT_TRUE(highlightFill);
  EXPECT_EQ(p->line->SelState, 2);
  // A wholly selected line fills its rest in the selection colour too.
  s.t.SetBlock({p, p->line, 0}, {p, p->line, 6});
  s.device.Clear();
  s.t.PaintAll();
  EXPECT_EQ(p->line->SelState, 3);
  bool rest = false;
  for (const TRecordedCall* f : s.device.Find("FillRect"))
    if (f->Brush.Color == ColorToRGB(clHighlight) && f->Args[0] == 61 && f->Args[2] == 300) rest = true;
  EXPECT_TRUE(rest);
  // Without a block nothing is highlighted and the states are cleared.
  s.t.ClearBlock();
  s.device.Clear();
  s.t.PaintAll();
  for (const TRecordedCall* c : s.Texts()) EXPECT_NE(c->Color, ColorToRGB(clHighlightText));
}

TEST(Painting, HyperlinksShowTheirTextUnderlinedAndHideTheStamp) {
  Screen s;
  TWPParagraphRec* p = s.Par("see ");
  AddRun(s.t, p, "Goethe", Attr(wpsHyperlink));
  AddRun(s.t, p, "p:12", Attr(wpsHidden));
  AddRun(s.t, p, " now");
  s.Paint();
  EXPECT_EQ(s.device.AllText(), "see Goethe now");
  // Hand-drawn underline under the link text, in the link set's colour.
  const int base = p->line->Ascent;
  bool underline = false;
  for (const TRecordedCall* f : s.device.Find("FillRect"))
    if (f->Args == std::vector<int>{36, base + 1, 96, base + 2, static_cast<int>(PATCOPY)} &&
        f->Brush.Color == ColorToRGB(clBlue))
      underline = true;
  EXPECT_TRUE(underline);
  // The font itself never carries the underline.
  for (const TRecordedCall* c : s.Texts()) EXPECT_FALSE(c->FontStyle.Contains(fsUnderline));
  // The text after the stamp starts where the link text ends.
  EXPECT_EQ(s.Texts().back()->Args[0], 96);
}

TEST(Painting, RaisedRunsControlCharactersAndColours) {
  Screen s;
  TWPParagraphRec* p = s.Par("x", Attr(0, 0, 12));
  AddRun(s.t, p, "2", Attr(wpsSuperScript, 0, 12));
  AddRun(s.t, p, std::string("a\x01" "b"), Attr(0, 0, 12, 0x21));  // red text on colour 2
  s.Paint();
  const auto texts = s.Texts();
  ASSERT_EQ(texts.size(), 3u);
  const int base = p->line->Ascent;
  EXPECT_EQ(texts[0]->Args[1], base);
  // 12 points at 2/3: 8 points; raised by a third of the text's ascent (16).
  EXPECT_EQ(texts[1]->FontHeight, -MulDiv(8, 96, 72));
  EXPECT_EQ(texts[1]->Args[1], base - 16 / 3);
  EXPECT_EQ(texts[2]->Text, "a b");
  EXPECT_EQ(texts[2]->Color, ColorToRGB(s.t.Header->Colors[1]));
}

TEST(Painting, LeavesTheCanvasAsItFoundIt) {
  Screen s;
  s.Par("abc");
  s.t.FormatText();
  const TRect clip{5, 5, 120, 60};
  s.canvas.SelectClipRect(&clip);
  s.canvas.SetTextAlign(TA_TOP | TA_LEFT);
  s.canvas.Font()->SetName("Courier New");
  s.canvas.Brush()->SetColor(clYellow);
  s.t.PaintRect(0, 0, 100, 50);
  ASSERT_TRUE(s.canvas.IsClipped());
  ASSERT_EQ(s.canvas.ClipRects().size(), 1u);
  EXPECT_EQ(s.canvas.ClipRects()[0], clip);
  EXPECT_EQ(s.canvas.GetTextAlign(), static_cast<unsigned>(TA_TOP | TA_LEFT));
  EXPECT_EQ(s.canvas.Font()->Name(), "Courier New");
  EXPECT_EQ(s.canvas.Brush()->Color(), clYellow);
  // While painting the rectangle was clipped to itself (one pixel more).
  for (const TRecordedCall* c : s.Texts()) {
    ASSERT_TRUE(c->Clipped);
    for (const TRect& r : c->Clip) EXPECT_LE(r.Right, 102);
  }
}

TEST(Painting, BadFontNumbersNeverRaise) {
  Screen s;
  s.t.Header->FontNames[0] = "Arial";
  TWPParagraphRec* p = s.Par("abc");
  s.t.FormatText();
  // Written in place after layout, as an application may.
  p->line->pa[1].Font = 250;
  s.device.Clear();
  EXPECT_NO_THROW(s.t.PaintAll());
  ASSERT_FALSE(s.Texts().empty());
  for (const TRecordedCall* c : s.Texts()) EXPECT_EQ(c->FontName, "Arial");
}

TEST(Painting, BackgroundBelowTheTextAndPageBreakMarks) {
  Screen s(200, 300);
  s.t.BackgroundColor = clWhite;
  TWPParagraphRec* p = s.Par("one");
  TWPParagraphRec* q = s.Par("two");
  q->Flags |= wppPageBreak;
  s.Paint();
  const int bottom = q->line->Top + q->line->Height;
  bool below = false;
  for (const TRecordedCall* f : s.device.Find("FillRect"))
    if (f->Args[1] == bottom && f->Args[3] == 300) below = true;
  EXPECT_TRUE(below);
  // A forced break is marked with a line across the window.
  bool mark = false;
  for (const TRecordedCall* l : s.device.Find("Polyline"))
    if (l->Args.size() == 4 && l->Args[1] == q->line->Top && l->Args[3] == q->line->Top && l->Args[2] == 200) mark = true;
  EXPECT_TRUE(mark);
  (void)p;
  s.t.SetViewOptions(s.t.ViewOptions() | wpvHideForcedBreaks);
  s.device.Clear();
  s.t.PaintAll();
  EXPECT_TRUE(s.device.Find("Polyline").empty());
}

// With "paint whole lines only" a line cut by the view's top or bottom is
// drawn by none of the painting calls; its place shows the background.
TEST(Painting, WholeLinesOnlyHoldsForTheWholeViewAndForRectangles) {
  Screen s(200, 100);
  s.t.BackgroundColor = clWhite;
  for (int i = 0; i < 10; ++i) s.Par("Zeile " + std::to_string(i));  // 17 pixels each
  s.Paint();
  s.t.TopOffset = 8;  // line 0 cut at the top, line 6 at the bottom
  s.t.SetViewOptions(s.t.ViewOptions() | wpvWholeLinesOnly);
  auto drawn = [&] {
    std::vector<std::string> out;
    for (const TRecordedCall* c : s.Texts()) out.push_back(c->Text);
    return out;
  };
  s.device.Clear();
  s.t.PaintAll();
  EXPECT_EQ(drawn(), (std::vector<std::string>{"Zeile 1", "Zeile 2", "Zeile 3", "Zeile 4", "Zeile 5"}));
  bool topCleared = false;
  for (const TRecordedCall* f : s.device.Find("FillRect"))
    topCleared |= f->Args[1] <= 0 && f->Args[3] >= 17 - 8 && f->Args[2] >= 200;
  EXPECT_TRUE(topCleared);
  s.device.Clear();
  s.t.PaintRect(0, 0, 200, 20);
  EXPECT_EQ(drawn(), (std::vector<std::string>{"Zeile 1"}));
  s.device.Clear();
  s.t.PaintRect(0, 80, 200, 20);
  EXPECT_EQ(drawn(), (std::vector<std::string>{"Zeile 5"}));
  // Without the option the cut lines are drawn as well.
  s.t.SetViewOptions(s.t.ViewOptions() & ~wpvWholeLinesOnly);
  s.device.Clear();
  s.t.PaintAll();
  EXPECT_EQ(drawn().size(), 7u);
}

TEST(Painting, BorderedParagraphsShareTheirEdges) {
  Screen s(200, 300);
  TWPParagraphRec* a = s.Par("first");
  TWPParagraphRec* b = s.Par("second");
  for (TWPParagraphRec* p : {a, b}) {
    p->BorderFlags = 0x01 | 0x40;  // bordered on all sides
    p->LeftIndent = p->FirstIndent = 150;
    p->RightIndent = 0;
  }
  s.Paint();
  auto fillsAt = [&](int y) {
    int n = 0;
    for (const TRecordedCall* f : s.device.Find("FillRect"))
      if (f->Args[1] == y && f->Args[3] == y + 1 && f->Brush.Color == ColorToRGB(clBlack)) ++n;
    return n;
  };
  // Top of the first, bottom of the first, none again at the top of the
  // second, bottom of the second.
  EXPECT_EQ(fillsAt(a->line->Top), 1);
  EXPECT_EQ(fillsAt(b->line->Top - 1), 1);
  EXPECT_EQ(fillsAt(b->line->Top), 0);
  EXPECT_EQ(fillsAt(b->line->Top + b->line->Height - 1), 1);
  // Left edge at the group's indent (10 pixels), right at the layout's end.
  bool left = false;
  for (const TRecordedCall* f : s.device.Find("FillRect"))
    if (f->Args[0] == 10 && f->Args[2] == 11 && f->Args[1] == a->line->Top) left = true;
  EXPECT_TRUE(left);
}

// A thick line round both cells of a row frames every side of each cell,
// half of the shared edge in each, and stands outside the text.
TEST(Painting, ThickCellBordersFrameEverySideOutsideTheText) {
  Screen s(300, 200);
  TWPParagraphRec* cells[2];
  for (int c = 0; c < 2; ++c) {
    TWPParagraphRec* p = cells[c] = s.Par("Jg");
    p->Flags = wppTableCell | (c ? wppRowContinues : wppRowGoesOn);
    p->ColStart = static_cast<uint8_t>(c * 100);
    p->ColWidth = 100;
    p->BorderFlags = 0x01 | 0x40;
    p->BorderWidth = 3;  // 60 twips: 4 pixels
  }
  s.Paint();
  std::set<std::array<int, 4>> black;
  for (const TRecordedCall* f : s.device.Find("FillRect"))
    if (f->Brush.Color == ColorToRGB(clBlack)) black.insert({f->Args[0], f->Args[1], f->Args[2], f->Args[3]});
  for (TWPParagraphRec* p : cells) {
    const int l = s.t.CellLeftEdge(p), r = s.t.Header->LayoutWidth - s.t.CellRightInset(p);
    // The outer sides whole, the shared one half in each cell.
    const int t = p->line->Top, b = t + p->line->Height, own = p == cells[0] ? 4 : 2;
    for (const std::array<int, 4>& side : {std::array{l, t, r, t + 4}, std::array{l, b - 4, r, b},
                                           std::array{l, t, l + own, b}, std::array{r - (6 - own), t, r, b}})
      EXPECT_TRUE(black.count(side)) << side[0] << "," << side[1] << " " << side[2] << "," << side[3];
    const int glyphTop = t + p->line->Ascent - p->line->pa[0].Ascent;
    EXPECT_GE(glyphTop, t + 4);
    EXPECT_LE(glyphTop + p->line->pa[0].Height, b - 4);
    EXPECT_GE(s.t.CursorX(p, p->line, 0), l + 4);
  }
}

// An optional hyphen takes no room inside a line and is not drawn; a line
// may break after it, and there it shows as a hyphen.
TEST(Painting, AnOptionalHyphenShowsOnlyWhereItsLineBreaks) {
  for (const int width : {300, 95}) {
    Screen s(width);
    TWPParagraphRec* p = s.Par("ab Trenn\xADstrich");
    s.Paint();
    // Inside the line a blank without width; where the line breaks a hyphen.
    EXPECT_EQ(s.device.AllText(), width > 100 ? "ab Trenn strich" : "ab Trenn-strich");
    EXPECT_EQ(p->line->Length, width > 100 ? 15 : 9);
    EXPECT_EQ(s.t.CursorX(p, p->line, 9) - s.t.CursorX(p, p->line, 8), width > 100 ? 0 : 10);
  }
}

TEST(Painting, ObjectsAreDrawnAtTheirMeasuredSizeAndRemembered) {
  Screen s;
  auto pic = std::make_unique<TWPPictureObject>();
  pic->GoalWidth = 720;  // 48 pixels
  pic->GoalHeight = 480;  // 32 pixels
  TWPObjectEntry* e = s.t.AddObject(pic.get(), 0, 0, 0);
  s.t.OwnedObjects.push_back(std::move(pic));
  TWPParagraphRec* p = s.Par("a");
  TWPAttrRecord o = Attr(wpsObject);
  o.Tag = e->SecondNumber;
  AddRun(s.t, p, std::string(1, '\x02'), o);
  AddRun(s.t, p, "b");
  s.Paint();
  ASSERT_EQ(p->line->pa[1].Width, 48);
  EXPECT_EQ(p->line->Ascent, 32);
  ASSERT_EQ(s.t.ObjectRects.size(), 1u);
  EXPECT_EQ(s.t.ObjectRects[0].Rect, (TRect{11, 0, 59, 32}));
  EXPECT_EQ(s.t.ObjectRects[0].Entry, e);
  // Undecodable data: a frame in its place, and the text goes on after it.
  EXPECT_EQ(s.Texts().back()->Args[0], 59);
}

TEST(Painting, BackgroundPictureTilesMoveWithTheTextWhenTheyScroll) {
  Screen s(40, 30);
  s.Par("a");
  TBitmap tile(16, 16);
  s.t.SetBackgroundPicture(&tile);
  s.t.FormatText();
  auto tiles = [&s] {
    std::vector<std::vector<int>> out;
    for (const TRecordedCall* b : s.device.Find("Blit"))
      if (b->Args.size() >= 8) out.push_back({b->Args[0], b->Args[1], b->Args[4], b->Args[5]});
    return out;
  };
  // Below the text: tiles on the grid of the window, pieces cut at the
  // rectangle (destination x, y and source x, y).
  s.device.Clear();
  s.t.PaintRect(0, 20, 40, 10);
  auto fixed = tiles();
  ASSERT_FALSE(fixed.empty());
  for (const auto& t : fixed) {
    EXPECT_EQ((t[0] - t[2]) % 16, 0);
    EXPECT_EQ((t[1] - t[3]) % 16, 0);
  }
  // Scrolled by 5 with a scrolling background: the grid moves up by 5.
  s.t.BackgroundScrolls = true;
  s.t.TopOffset = 5;
  s.device.Clear();
  s.t.PaintRect(0, 20, 40, 10);
  for (const auto& t : tiles()) EXPECT_EQ(((t[1] - t[3]) % 16 + 16) % 16, 16 - 5);
}

// A day-page-like document drawn with real fonts into bitmaps and saved as
// PNG (test-artifacts/richtext): a bold title in P052, births entries in
// Liberation Sans with hyperlinks, a two-column tab list, a justified
// paragraph, a numbered list, a bordered table and a picture; once in normal
// mode with a selection, once as pages, and as an editing window: scrolled
// down and sideways (pixels moved and only the strip painted must equal a
// full repaint), with a selection made by keys and the caret. The pixels are
// checked where the document says what must be there.
#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "richtext/io/objects.h"
#include "richtext/view/input.h"
#include "tests/richtext_view/daypage.h"
#include "tests/richtext_view/view_helpers.h"

using namespace rtview_test;

namespace {

// A small landscape: sky, sun and meadow, as a 24-bit device bitmap.
std::unique_ptr<TWPPictureObject> Landscape(int w, int h) {
  auto pic = std::make_unique<TWPPictureObject>();
  pic->Kind = pkDDB;
  pic->PixWidth = w;
  pic->PixHeight = h;
  pic->BitsPerPixel = 24;
  pic->Planes = 1;
  pic->WidthBytes = (w * 3 + 3) / 4 * 4;
  pic->GoalWidth = MulDiv(w, 1440, 96);
  pic->GoalHeight = MulDiv(h, 1440, 96);
  pic->Data.assign(static_cast<size_t>(pic->WidthBytes) * h, '\0');
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char* px = reinterpret_cast<unsigned char*>(&pic->Data[static_cast<size_t>(y) * pic->WidthBytes + x * 3]);
      const int dx = x - w * 3 / 4, dy = y - h / 3;
      uint32_t rgb = y > h * 2 / 3 ? 0x3C9A3C : 0x87CEEB;  // meadow, sky
      if (dx * dx + dy * dy < (h / 6) * (h / 6)) rgb = 0xFFD700;  // sun
      px[0] = rgb & 0xFF;
      px[1] = (rgb >> 8) & 0xFF;
      px[2] = (rgb >> 16) & 0xFF;
    }
  return pic;
}

struct DayPage {
  TWPRTFTextInput t;
  daypage::Writer w{t, [this] { ExpectChains(t); }};
  TWPParagraphRec* title = nullptr;
  TWPParagraphRec* justified = nullptr;
  TWPParagraphRec* firstCell = nullptr;
  TWPParagraphRec* picture = nullptr;
  TWPObjectEntry* object = nullptr;

  void Build() {
    t.Header->FontNames[0] = "Arial";
    t.Header->PageHeight = 9000;  // short pages, so the page view shows two
    title = w.NewParagraph();
    w.Text(title, CP1252("Geburtstage am 28. August").str(), w.Style("Book Antiqua", 20, wpsBold, 0x0B));
    title->Align = 2;
    title->SpaceAfter = 120;
    const std::vector<daypage::Person> persons = daypage::SamplePersons(testpaths::SourceDir(), 6);
    for (const daypage::Person& p : persons) w.Entry(p, 2024, 720);

    TWPParagraphRec* head = w.NewParagraph();
    w.Text(head, "Namenstage", w.Style("Arial", 12, wpsBold | wpsUnderline));
    head->FirstIndent = head->LeftIndent = 72;
    head->Tabs = 0;
    head->SpaceBefore = 160;
    const std::string rows[][2] = {{"Augustinus", "Kirchenlehrer, Bischof von Hippo"},
                                   {"Adelinde", CP1252("Äbtissin von Buchau").str()},
                                   {"Elmar", CP1252("Bischof von Lüttich").str()}};
    const TWPTabSet column = t.Header->AddTab(tkLeft, 2400);
    t.Header->CurrentTabs = 0;
    for (auto& r : rows) {
      TWPParagraphRec* p = w.NewParagraph();
      w.Text(p, r[0], w.Style("Arial", 10, wpsBold));
      w.Text(p, "\t", w.Style("Arial", 10));
      w.Text(p, r[1], w.Style("Arial", 10));
      p->Tabs = column;
      p->FirstIndent = p->LeftIndent = 72;
    }

    justified = w.NewParagraph();
    const std::vector<std::string> events = SampleEvents();
    std::string text;
    for (int i = 0; i < 5; ++i) text += (i ? " " : "") + events[i];
    w.Text(justified, text, w.Style("Times New Roman", 11));
    justified->Align = 3;
    justified->FirstIndent = justified->LeftIndent = 72;
    justified->SpaceBefore = 160;

    for (const char* item : {"Wetter: heiter bis wolkig", "Sonnenaufgang 6:21 Uhr", "Mondphase: zunehmend"}) {
      TWPParagraphRec* p = w.NewParagraph();
      w.Text(p, item, w.Style("Arial", 10));
      p->Numbering = 0x61;
      p->FirstIndent = 72;
      p->LeftIndent = 432;
      p->SpaceBefore = 40;
      p->Tabs = t.Header->AddTab(tkLeft, 432);
      t.Header->CurrentTabs = 0;
    }
    t.LastParagraph()->SpaceAfter = 160;
    t.RenumberParagraphs();
    ExpectChains(t);

    // A bordered table of two rows of three cells.
    const char* cells[2][3] = {{"Land", "Feiertag", "Seit"}, {"Schweiz", "Eidg. Bettag", "1832"}};
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 3; ++c) {
        TWPParagraphRec* p = w.NewParagraph();
        w.Text(p, cells[r][c], w.Style("Arial", 10, r == 0 ? wpsBold : 0));
        p->Flags = wppTableCell | (c > 0 ? wppRowContinues : 0) | (c < 2 ? wppRowGoesOn : 0);
        p->ColStart = static_cast<uint8_t>(c * 85);
        p->ColWidth = 85;
        p->FirstIndent = p->LeftIndent = 72;
        p->RightIndent = 72;
        p->BorderFlags = 0x01 | 0x02 | 0x40;
        p->BorderColor = 0x10;  // one millimetre to the text
        p->Numbering = 0;
        p->Tabs = 0;
        if (r == 0 && c == 0) firstCell = p;
      }

    picture = w.NewParagraph();
    for (TWPParagraphRec* q = picture; q; q = nullptr) {
      q->Flags = 0;
      q->BorderFlags = q->BorderStyle = q->BorderColor = 0;
      q->SpaceBefore = 160;
      q->FirstIndent = q->LeftIndent = 72;
    }
    auto pic = Landscape(160, 90);
    object = t.AddObject(pic.get(), 0, 0, 0);
    t.OwnedObjects.push_back(std::move(pic));
    TWPAttrRecord o = w.Style("Arial", 10, wpsObject);
    o.Tag = object->SecondNumber;
    w.Text(picture, std::string(1, '\x02'), o);
    w.Text(picture, "  Sonnenstand am Mittag", w.Style("Arial", 9, wpsItalic));
  }
};

uint32_t Px(TBitmap& b, int x, int y) { return b.Surface().Row(y)[x] & 0xFFFFFF; }

}  // namespace

TEST(Screens, DayPageInNormalModeWithASelection) {
  StartGraphics();
  DayPage d;
  d.Build();
  const int width = 640;
  // The page as wide as the window, as the day page sets it.
  d.t.Header->PageWidth = d.t.Header->MarginLeft + d.t.Header->MarginRight + MulDiv(width, 1440, 96);
  TBitmap bmp(width, 100);
  d.t.SetCanvas(bmp.Canvas());
  d.t.AttachedToWindow = true;
  d.t.BackgroundColor = clWhite;
  d.t.SetWordWrap(true);
  d.t.SetWindowWidth(width);
  d.t.FormatText();
  ExpectLaidOut(d.t);
  bmp.SetSize(width, d.t.TotalHeight + 10);
  d.t.VisibleHeight = bmp.Height();
  // Select from inside the title's line into the second entry.
  TWPParagraphRec* second = d.title->next->next;
  d.t.SetBlock({d.title, d.title->line, 4}, {second, second->line, 12});
  d.t.PaintAll();
  bmp.SaveToPng(ArtifactPath("daypage_normal.png"));

  // The selection shows in the highlight colour on the first entry's line.
  const TWPParagraphRec* entry = d.title->next;
  const int y = entry->line->Top + entry->line->Height / 2;
  EXPECT_EQ(Px(bmp, width - 5, y), static_cast<uint32_t>(ColorToPixel(ColorToRGB(clHighlight)) & 0xFFFFFF));
  // The picture stands where layout put it: its sun in the upper right.
  ASSERT_EQ(d.t.ObjectRects.size(), 1u);
  const TRect r = d.t.ObjectRects[0].Rect;
  EXPECT_EQ(r.Width(), 160);
  EXPECT_EQ(Px(bmp, r.Left + 120, r.Top + 30), 0xFFD700u);
  EXPECT_EQ(Px(bmp, r.Left + 10, r.Bottom - 5), 0x3C9A3Cu);
  // The table's top border is a black line across the first cell.
  const int top = d.firstCell->line->Top;
  const int x = d.t.LeftBoundary(d.firstCell, d.firstCell->line) + 5;
  EXPECT_EQ(Px(bmp, x, top), 0u);
  // Numbers in front of the list items.
  std::string firstItem(d.justified->next->line->pc, 3);
  EXPECT_EQ(firstItem, "1.\t");

  // Twice the size, for a close look at the glyphs.
  d.t.SetZooming(200);
  TBitmap big(2 * width, 900);
  d.t.SetCanvas(big.Canvas());
  d.t.SetWindowWidth(2 * width);
  d.t.VisibleHeight = big.Height();
  d.t.PaintAll();
  big.SaveToPng(ArtifactPath("daypage_zoom200.png"));
  EXPECT_EQ(d.t.Header->ResX, 192);

  // The table framed with 3-point lines: the edge two cells share is one
  // line of the same width, half of it in each cell.
  for (TWPParagraphRec* p = d.firstCell; p && (p->Flags & wppTableCell); p = p->next) p->BorderWidth = 3;
  d.t.SetZooming(100);
  d.t.SetCanvas(bmp.Canvas());
  d.t.SetWindowWidth(width);
  d.t.VisibleHeight = bmp.Height();
  d.t.FormatText();
  d.t.PaintAll();
  bmp.SaveToPng(ArtifactPath("daypage_thick_cell_borders.png"));
  const int edge = d.t.CellLeftEdge(d.firstCell->next), middle = d.firstCell->line->Top + 8;
  for (int px = edge - 3; px <= edge + 2; ++px)
    EXPECT_EQ(Px(bmp, px, middle) == 0u, px >= edge - 2 && px < edge + 2) << px;
}

TEST(Screens, DayPageAsPages) {
  StartGraphics();
  DayPage d;
  d.Build();
  // Pages at 96 pixels per inch with a grey desk around them.
  const TTextHeader& h = *d.t.Header;
  const int pageW = MulDiv(h.PageWidth, 96, 1440), pageH = MulDiv(h.PageHeight, 96, 1440);
  const int marginL = MulDiv(h.MarginLeft, 96, 1440), marginT = MulDiv(h.MarginTop, 96, 1440);
  const int printW = MulDiv(h.PageWidth - h.MarginLeft - h.MarginRight, 96, 1440);
  const int printH = MulDiv(h.PageHeight - h.MarginTop - h.MarginBottom, 96, 1440);
  const int gap = 16;
  TBitmap bmp(pageW + 2 * gap, pageH);
  TCanvas& c = *bmp.Canvas();
  d.t.BackgroundColor = clWhite;
  d.t.BeginPagePaint(&c, printW, printH);
  // Measured first: how many pages there are.
  int count = 0;
  for (int l = 0; l >= 0 && count < 10; ++count) l = d.t.PaintPageArea(0, 0, printH, l, true);
  ASSERT_EQ(count, 2);
  bmp.SetSize(pageW + 2 * gap, count * (pageH + gap) + gap);
  c.Brush()->SetColor(clGray);
  c.FillRect({0, 0, bmp.Width(), bmp.Height()});
  int line = 0, pages = 0;
  for (; line >= 0 && pages < count; ++pages) {
    const int top = gap + pages * (pageH + gap);
    c.Brush()->SetColor(clWhite);
    c.FillRect({gap, top, gap + pageW, top + pageH});
    line = d.t.PaintPageArea(gap + marginL, top + marginT, printH, line, false);
  }
  d.t.EndPagePaint();
  bmp.SaveToPng(ArtifactPath("daypage_pages.png"));
  EXPECT_EQ(pages, 2);
  EXPECT_EQ(line, -1);
  // Nothing is painted into the page's bottom margin.
  for (int p = 0; p < 2; ++p) {
    const int bottom = gap + p * (pageH + gap) + marginT + printH;
    for (int y = bottom + 2; y < bottom + 20; ++y)
      for (int x = gap; x < gap + pageW; x += 3) ASSERT_EQ(Px(bmp, x, y), 0xFFFFFFu) << "page " << p << " y " << y;
  }
}

namespace {

// The caret as the window's host draws it: its rectangle inverted.
void DrawCaret(TBitmap& b, const TRect& r) {
  for (int y = std::max(0, r.Top); y < std::min(b.Height(), r.Bottom); ++y)
    for (int x = std::max(0, r.Left); x < std::min(b.Width(), r.Right); ++x) b.Surface().Row(y)[x] ^= 0xFFFFFF;
}

// The first differing pixel of two pictures of one size, or an empty string.
std::string FirstDifference(TBitmap& a, TBitmap& b) {
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if ((a.Surface().Row(y)[x] & 0xFFFFFF) != (b.Surface().Row(y)[x] & 0xFFFFFF))
        return "(" + std::to_string(x) + "," + std::to_string(y) + ")";
  return {};
}

}  // namespace

TEST(Screens, EditingViewScrolledWithASelectionAndTheCaret) {
  StartGraphics();
  DayPage d;
  d.Build();
  const int width = 480, height = 260;
  TBitmap bmp(width, height);
  d.t.SetCanvas(bmp.Canvas());
  d.t.AttachedToWindow = true;
  d.t.BackgroundColor = clWhite;
  d.t.SetWordWrap(true);
  d.t.SetWindowWidth(width);
  d.t.VisibleHeight = height;
  d.t.FormatText();
  d.t.PaintAll();
  // Down a page and a half by keys: the view follows by moving pixels.
  d.t.CursorCommand(ccTextStart);
  for (int i = 0; i < 14; ++i) d.t.CursorDown();
  d.t.CursorCommand(ccLineStart);
  d.t.WordRight(2);
  d.t.CursorDown(2, true);
  d.t.WordRight(1, true);
  ASSERT_GT(d.t.TopOffset, 0);
  ASSERT_TRUE(d.t.HasBlock());
  d.t.ScrollUp(23);
  d.t.ScrollDown(11);
  // What moved pixels and strips made equals a full repaint.
  TBitmap full(width, height);
  {
    TCanvas* screen = d.t.Canvas();
    d.t.SetCanvas(full.Canvas());
    d.t.PaintAll();
    d.t.SetCanvas(screen);
  }
  EXPECT_EQ(FirstDifference(bmp, full), "");
  const TRect caret = d.t.CaretPlacement(width, height);
  ASSERT_GE(caret.Left, 1);
  DrawCaret(bmp, caret);
  bmp.SaveToPng(ArtifactPath("edit_scrolled_selection_caret.png"));
  // The caret stands at the selection's moving end, inside the highlight's
  // line, and the highlight shows on the lines in between.
  int s = 0, n = 0;
  ASSERT_TRUE(d.t.GetBlock(s, n));
  EXPECT_GT(n, 20);
  const TWPLineRec* mid = d.t.BlockStart.Line->next ? d.t.BlockStart.Line->next : d.t.BlockStart.Par->next->line;
  const int y = mid->Top - d.t.TopOffset + mid->Height / 2;
  EXPECT_EQ(Px(bmp, width - 3, y), static_cast<uint32_t>(ColorToPixel(ColorToRGB(clHighlight)) & 0xFFFFFF));
  EXPECT_EQ(caret.Left, d.t.CursorXPos + d.t.HorzOffset);

  // Sideways: without word wrap the page (565 pixels) is wider than a
  // window of 300.
  TBitmap side(300, height), sideFull(300, height);
  d.t.HideSelection();
  d.t.SetCanvas(side.Canvas());
  d.t.SetWordWrap(false);
  d.t.SetWindowWidth(300);
  d.t.CursorCommand(ccTextStart);
  d.t.CursorDown(3);
  d.t.CursorCommand(ccLineEnd);
  ASSERT_LT(d.t.HorzOffset, 0);
  d.t.HScrollCommand(wpsbLineUp, 0);
  d.t.PaintAll();
  d.t.HScrollCommand(wpsbLineDown, 0);
  d.t.HScrollCommand(wpsbLineDown, 0);
  d.t.SetCanvas(sideFull.Canvas());
  d.t.PaintAll();
  d.t.SetCanvas(side.Canvas());
  EXPECT_EQ(FirstDifference(side, sideFull), "");
  const TRect sideCaret = d.t.CaretPlacement(300, height);
  EXPECT_GE(sideCaret.Left, 1);
  EXPECT_LT(sideCaret.Left, 300);
  DrawCaret(side, sideCaret);
  side.SaveToPng(ArtifactPath("edit_scrolled_sideways.png"));
}

// Pictures of the edit control (test-artifacts/richtext/rtedit_*.png): a
// day page built only through the programmatic interface, in normal mode
// with a selection, with a hovered hyperlink (the hyperlink cursor drawn in),
// read-only, in page mode with page-break marks, and as a printed page
// painted piece by piece. Pixels are checked where the page says what must
// be there: link text in its colour with its underline, the selection's
// inverse colours, the page-break mark.
#include <gtest/gtest.h>

#include "resources/cursors.h"
#include "tests/richtext_controls/daypage_api.h"

using namespace rtedit_test;

namespace {

// Counts pixels of a colour in a rectangle of a control, on a picture of
// its form.
int CountColor(TUiTestDriver& d, TControl* c, const TRect& r, TColor color) {
  TPicture shot;
  shot.LoadFromFile(d.SavePng(GetParentForm(c), "rtedit_count"));
  TBitmap* b = shot.Bitmap();
  const TPoint o = GetParentForm(c)->ScreenToClient(c->ClientToScreen({0, 0}));
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (ColorToRGB(b->Canvas()->Pixels(o.X + x, o.Y + y)) == ColorToRGB(color)) ++n;
  return n;
}

// The rectangle of the characters [from, to) on their (first) line.
TRect CharsRect(TWPCustomRtfEdit* e, int from, int to) {
  const TPoint a = PointOf(e, from), b = PointOf(e, to - 1);
  TWPRTFTextInput* t = e->RtfText();
  int off = 0;
  TWPLineRec* l = nullptr;
  TWPParagraphRec* p = nullptr;
  t->FindPosition(off, l, p, from, 0);
  const int top = l->Top - t->TopOffset;
  return {a.X - 4, top, b.X + 4, top + l->Height};
}


}  // namespace

TEST(EditScreens, DayPageBuiltByCodeInNormalModeWithSelectionHoverAndReadOnly) {
  EditWindow w(460, 320);
  w.edit->SetScrollBars(ssVertical);
  w.edit->SetOneClickHyperlink(true);
  Screen->SetCursors(20, HyperlinkCursorImage());
  w.edit->SetHyperLinkCursor(20);
  ASSERT_EQ(BuildBirthsPage(w.edit, 8), 8);
  w.driver.Process();
  // The text is laid out for the window and the bar shows more below.
  EXPECT_GT(w.edit->RtfText()->TotalHeight, w.edit->ClientHeight());
  EXPECT_TRUE(w.edit->ScrollBarVisible(SB_VERT));
  w.driver.SavePng(w.form, "rtedit_daypage");

  // The first person's name is a link drawn in navy and underlined.
  const std::string text = Text(w.edit);
  const size_t nameAt = text.find("p:1000");
  ASSERT_NE(nameAt, std::string::npos);
  // The visible name stands right before its stamp.
  int nameStart = static_cast<int>(nameAt);
  while (nameStart > 0 && text[nameStart - 1] != ')' ) --nameStart;
  nameStart += 1;  // after ") "
  const TRect nameRect = CharsRect(w.edit, nameStart, static_cast<int>(nameAt));
  EXPECT_GT(CountColor(w.driver, w.edit, nameRect, clNavy), 20);

  // A selection over the title paints in the selection colours.
  w.edit->SetSelection(0, 11);
  w.driver.Process();
  const TRect titleRect = CharsRect(w.edit, 0, 11);
  EXPECT_GT(CountColor(w.driver, w.edit, titleRect, clHighlight), 50);
  w.driver.SavePng(w.form, "rtedit_selection");
  w.edit->SetSelection(0, 0);

  // Hovering the link shows the hyperlink cursor; the picture gets it drawn in.
  const TPoint over = PointOf(w.edit, nameStart + 1);
  w.driver.MouseMove(w.edit, over.X, over.Y);
  EXPECT_EQ(Screen->CurrentCursor(), 20);
  const std::string hover = w.driver.SavePng(w.form, "rtedit_hover");
  {
    TPicture shot;
    shot.LoadFromFile(hover);
    TBitmap* b = shot.Bitmap();
    const TScreen::TCursorImage* cur = Screen->CursorImage(20);
    ASSERT_NE(cur, nullptr);
    const TPoint at = w.edit->ClientToScreen(over);
    const TPoint inForm = w.form->ScreenToClient(at);
    for (int y = 0; y < cur->Height; ++y)
      for (int x = 0; x < cur->Width; ++x) {
        const uint32_t px = cur->Pixels[static_cast<size_t>(y) * cur->Width + x];
        const int fx = inForm.X - cur->HotX + x, fy = inForm.Y - cur->HotY + y;
        if ((px >> 24) > 0x80 && fx >= 0 && fy >= 0 && fx < b->Width() && fy < b->Height())
          b->Canvas()->SetPixels(fx, fy, RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF));
      }
    b->SaveToPng(hover);
  }

  // Read-only: typing changes nothing; the page looks as before.
  w.edit->SetReadOnly(true);
  w.edit->SetFocus();
  const std::string before = Text(w.edit);
  w.driver.Type("xyz");
  EXPECT_EQ(Text(w.edit), before);
  w.driver.SavePng(w.form, "rtedit_readonly");
}

TEST(EditScreens, PageModeShowsPageBreaksAndPaintsPagesPieceByPiece) {
  EditWindow w(460, 320);
  w.edit->SetScrollBars(ssVertical);
  BuildBirthsPage(w.edit, 4);
  // A forced page break before the third entry.
  w.edit->MoveCursorTo(0);
  for (int i = 0; i < 3; ++i) w.edit->RtfText()->CursorCommand(ccParagraphDown);
  w.edit->SetFocus();
  w.edit->RtfText()->CursorCommand(ccLineStart);
  w.driver.PressKey(VK_RETURN, ssCtrl);
  w.edit->SetShowPageBreak(true);
  w.edit->RtfText()->SetViewOptions(w.edit->RtfText()->ViewOptions() | wpvPageLayout);
  w.edit->ReformatAndRepaint();
  w.edit->PlaceCursor(0, 0, 0, 0);
  w.driver.Process();
  w.driver.SavePng(w.form, "rtedit_pagemode");
  // The page-break mark runs across the window above the broken line.
  TWPRTFTextInput* t = w.edit->RtfText();
  const TWPParagraphRec* broken = nullptr;
  for (const TWPParagraphRec* p = t->FirstPar; p; p = p->next)
    if (p->Flags & wppPageBreak) broken = p;
  ASSERT_NE(broken, nullptr);
  const int markY = broken->line->Top - t->TopOffset;
  int marked = 0;
  for (int y = std::max(0, markY - 3); y <= markY + 3 && y < w.edit->ClientHeight(); ++y)
    for (int x = 20; x < 200; ++x)
      if (ColorToRGB(w.driver.PixelAt(w.edit, x, y)) != ColorToRGB(clWhite)) ++marked;
  EXPECT_GT(marked, 60);

  // The pages painted on bitmaps of a page's size (96 pixels per inch),
  // area by area: the first area ends at the forced break.
  const TTextHeader& h = *w.edit->Header();
  const auto px = [](int twips) { return MulDiv(twips, 96, 1440); };
  const int printW = px(h.PageWidth - h.MarginLeft - h.MarginRight), printH = px(h.PageHeight - h.MarginTop - h.MarginBottom);
  int line = 0;
  // One sheet for both pages: the page painting keeps the canvas it began on.
  TBitmap page(px(h.PageWidth), px(h.PageHeight));
  for (int n = 1; n <= 2; ++n) {
    page.Canvas()->Brush()->SetColor(clWhite);
    page.Canvas()->FillRect({0, 0, page.Width(), page.Height()});
    if (n == 1) w.edit->PaintPage(2, page.Canvas(), 0, 0, printW, printH, 0);
    const int next = w.edit->PaintPage(1, page.Canvas(), px(h.MarginLeft), px(h.MarginTop), printW, printH, line);
    page.SaveToPng(Artifact("rtedit_page" + std::to_string(n) + ".png"));
    int ink = 0;
    for (int y = 0; y < page.Height(); y += 2)
      for (int x = 0; x < page.Width(); x += 2)
        if (ColorToRGB(page.Canvas()->Pixels(x, y)) != ColorToRGB(clWhite)) ++ink;
    EXPECT_GT(ink, 200) << "page " << n;
    if (n == 1) {
      EXPECT_GT(next, 0);
    }
    line = next;
  }
  EXPECT_EQ(line, -1);  // the second page held the rest
  w.edit->PaintPage(4, nullptr, 0, 0, 0, 0, 0);
  // The window is as it was.
  EXPECT_EQ(t->WindowWidth(), w.edit->ClientWidth());
}

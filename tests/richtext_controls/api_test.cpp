// The programmatic interface of the edit control: pages built from styled
// runs and paragraphs, positions and the character walk, formatting by code
// (indents, spacing, tab stops, page layout), inserting text and pictures,
// appending and linking texts, the change bracket around every edit, the
// layout of a control filled before it had a window, and printing.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/gfx/printer.h"
#include "platform/ui/extctrls.h"
#include "richtext/io/objects.h"
#include "tests/richtext_controls/daypage_api.h"

using namespace rtedit_test;

namespace {

// A two-paragraph document: "Anna Berta" bold/plain, then "Carl".
void TwoParagraphs(TWPCustomRtfEdit* e) {
  e->ClearText();
  Styled(e, "Anna ", "Arial", 12, wpsBold);
  Styled(e, "Berta", "Times New Roman", 10, wpsItalic, 1);
  Styled(e, "Carl", "Arial", 10, 0, 0, true);
  e->ReformatAndRepaint();
  e->PlaceCursor(0, 0, 0, 0);
}

const TWPParagraphRec* Par(const TWPCustomRtfEdit* e, int n) { return e->RtfText()->ParagraphAt(n); }

}  // namespace

TEST(EditApi, RunsAndParagraphsBuildTheTextWithTheirAttributes) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  TwoParagraphs(e);
  EXPECT_EQ(Text(e), "Anna Berta\rCarl");
  EXPECT_EQ(e->TextLength(), 15);
  // Each run's characters carry the run's record.
  e->MoveCursorTo(0);
  EXPECT_EQ(e->AttrAtCursor()->Style, wpsBold);
  EXPECT_EQ(e->AttrAtCursor()->Size, 12);
  e->MoveCursorTo(6);
  EXPECT_EQ(e->AttrAtCursor()->Style, wpsItalic);
  EXPECT_EQ(e->Header()->FontName(e->AttrAtCursor()->Font), "Times New Roman");
  EXPECT_EQ(e->AttrAtCursor()->Colors & 0x0F, 1);
  // The font table grows once per name; long names are cut to 31 characters.
  const int times = e->FontNumber("Times New Roman");
  EXPECT_EQ(e->FontNumber("Times New Roman"), times);
  const std::string longName(40, 'x');
  const int n = e->FontNumber(longName);
  EXPECT_EQ(e->Header()->FontName(n), std::string(31, 'x'));
  EXPECT_EQ(e->FontNumber(std::string(35, 'x')), n);
  // Laid out: every line has its height; the page break of a run reaches its paragraph.
  EXPECT_GT(e->RtfText()->TotalHeight, 20);
  TWPTextRun run;
  e->GetWritingAttr(run.Attr);
  run.Text = "Dora";
  run.PageBreak = true;
  e->MoveCursorTo(e->TextLength());
  e->AddParagraph();
  EXPECT_FALSE(e->RtfText()->CursorPar->Flags & wppPageBreak);
  e->AppendRun(run);
  e->ReformatAndRepaint();
  EXPECT_TRUE(Par(e, 2)->Flags & wppPageBreak);
  EXPECT_EQ(e->CurrentPage(), 1);
  EXPECT_EQ(e->CurrentLineOnPage(), 0);
  e->PlaceCursor(0, 0, 0, 0);
  EXPECT_EQ(e->CurrentPage(), 0);
  EXPECT_EQ(Text(e), "Anna Berta\rCarl\rDora");
}

TEST(EditApi, ANewParagraphTakesTheLayoutAndACellPassesToTheNextCell) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  e->ClearText();
  Styled(e, "Erste Zeile");
  e->SetParagraphIndents(200, 400, 300);
  e->SetParagraphSpacing(60, 0, 90);
  Styled(e, "Zweite", "Arial", 10, 0, 0, true);
  EXPECT_EQ(Par(e, 1)->LeftIndent, 400);
  EXPECT_EQ(Par(e, 1)->FirstIndent, 200);
  EXPECT_EQ(Par(e, 1)->SpaceAfter, 90);
  // In a table row AddParagraph goes on in the row's next cell, emptied.
  TWPRTFTextInput* t = e->RtfText();
  TWPParagraphRec* a = t->ParagraphAt(0);
  TWPParagraphRec* b = t->ParagraphAt(1);
  a->Flags |= wppTableCell | wppRowGoesOn;
  b->Flags |= wppTableCell | wppRowContinues;
  t->CursorPar = a;
  t->CursorLine = a->line;
  t->CursorOffset = 0;
  e->AddParagraph();
  EXPECT_EQ(t->CursorPar, b);
  Styled(e, "Zelle");
  e->ReformatAndRepaint();
  EXPECT_EQ(Text(e), "Erste Zeile\rZelle");
}

TEST(EditApi, PositionsAndTheCharacterWalkCoverEveryCharacterOnce) {
  EditWindow w(160, 200);
  TWPCustomRtfEdit* e = w.edit;
  e->ClearText();
  // Wrapped lines (soft breaks), an empty paragraph and a short one.
  Styled(e, "Ein langer Satz, der in diesem schmalen Fenster umbricht.");
  Styled(e, "", "Arial", 10, 0, 0, true);
  Styled(e, "Ende", "Arial", 10, 0, 0, true);
  e->ReformatAndRepaint();
  ASSERT_NE(Par(e, 0)->line->next, nullptr) << "the first paragraph wraps";
  const std::string text = Text(e);
  // Start of the second paragraph: the first's length + 1.
  e->MoveCursorTo(static_cast<int>(text.find('\r')) + 1);
  EXPECT_EQ(e->CursorPosition(), static_cast<int>(text.find('\r')) + 1);
  EXPECT_EQ(e->RtfText()->CursorPar, Par(e, 1));
  e->MoveCursorTo(-5);
  EXPECT_EQ(e->CursorPosition(), 0);
  // Forward: CharAtCursor is each character in turn, 13 at paragraph ends.
  std::string walked;
  int steps = 0;
  do {
    walked += *e->CharAtCursor();
    ++steps;
    ASSERT_LT(steps, 1000);
  } while (e->CursorNext());
  EXPECT_EQ(walked, text + '\r');
  EXPECT_EQ(e->CursorPosition(), e->TextLength());
  EXPECT_FALSE(e->CursorNext());
  EXPECT_EQ(e->CursorPosition(), e->TextLength());
  // Backward, the mirror.
  int back = 0;
  while (e->CursorPrev()) {
    ++back;
    EXPECT_EQ(e->CursorPosition(), e->TextLength() - back);
    ASSERT_LT(back, 1000);
  }
  EXPECT_EQ(back, e->TextLength());
  EXPECT_EQ(e->CursorPosition(), 0);
  // At a line's end CharAtCursor answers 13, not a character of the text.
  TWPRTFTextInput* t = e->RtfText();
  t->CursorPar = t->FirstPar;
  t->CursorLine = t->FirstPar->line;
  t->CursorOffset = t->CursorLine->Length;
  EXPECT_EQ(*e->CharAtCursor(), '\r');
  // The cursor place goes through the engine's positions.
  e->PlaceCursor(12, 0, 0, 0);
  int pos = 0, line = 0, a3 = 7, a4 = 7;
  e->GetCursorPlace(pos, line, a3, a4);
  EXPECT_EQ(pos, 12);
  EXPECT_EQ(a3, 0);
}

TEST(EditApi, AttributesChangedInPlaceShowAfterTheNextLayout) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  e->ClearText();
  Styled(e, "Alles schlicht und klein", "Arial", 10);
  e->ReformatAndRepaint();
  const int height = e->RtfText()->TotalHeight;
  // As the program styles an inserted text: walk, write the record in place.
  e->MoveCursorTo(0);
  do {
    TWPAttrRecord* a = e->AttrAtCursor();
    a->Size = 24;
    a->Style |= wpsBold;
  } while (e->CursorNext());
  e->ReformatAndRepaint();
  EXPECT_GT(e->RtfText()->TotalHeight, height + 10);
  e->MoveCursorTo(3);
  EXPECT_EQ(e->AttrAtCursor()->Size, 24);
  // At the end of the text the writing attribute is what answers.
  e->MoveCursorTo(e->TextLength());
  EXPECT_EQ(e->AttrAtCursor(), &e->RtfText()->WritingAttr);
}

TEST(EditApi, IndentsSpacingAndTabStopsLeaveTheUnchangedValuesAlone) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  TwoParagraphs(e);
  TWPParagraphRec* p = e->RtfText()->FirstPar;
  e->SetParagraphIndents(100, 200, 300);
  e->SetParagraphSpacing(40, 50, 60);
  // -1000 and values of 65000 or more keep an indent.
  e->SetParagraphIndents(70000, 567, -1000);
  EXPECT_EQ(p->FirstIndent, 100);
  EXPECT_EQ(p->LeftIndent, 567);
  EXPECT_EQ(p->RightIndent, 300);
  e->SetParagraphSpacing(-1000, 240, -1000);
  EXPECT_EQ(p->SpaceBefore, 40);
  EXPECT_EQ(p->LineSpacing, 240);
  EXPECT_EQ(p->SpaceAfter, 60);
  // The second paragraph was not touched; a selection over both changes both.
  EXPECT_EQ(p->next->LeftIndent, 0);
  e->SelectAll();
  e->SetParagraphIndents(-1000, 720, -1000);
  EXPECT_EQ(p->LeftIndent, 720);
  EXPECT_EQ(p->next->LeftIndent, 720);
  e->SetSelection(0, 0);
  // Tab stops: only inside the layout width.
  const int width = MulDiv(e->Header()->LayoutWidth, 1440, e->Header()->ResX);
  EXPECT_FALSE(e->SetTabStop(0, tkLeft, false));
  EXPECT_FALSE(e->SetTabStop(width, tkLeft, false));
  EXPECT_EQ(p->Tabs, 0u);
  EXPECT_TRUE(e->SetTabStop(1440, tkLeft, false));
  EXPECT_TRUE(e->SetTabStop(2880, tkRight, false));
  ASSERT_NE(p->Tabs, 0u);
  int slots = 0;
  for (int i = 0; i < kWPTabSlots; ++i)
    if (p->Tabs & (TWPTabSet(1) << i)) {
      ++slots;
      EXPECT_TRUE((e->Header()->TabTwips[i] == 1440 && e->Header()->TabKind[i] == tkLeft) ||
                  (e->Header()->TabTwips[i] == 2880 && e->Header()->TabKind[i] == tkRight));
    }
  EXPECT_EQ(slots, 2);
  EXPECT_EQ(p->next->Tabs, 0u);
  EXPECT_TRUE(e->SetTabStop(1440, tkLeft, true));
  EXPECT_NE(p->Tabs, 0u);
  EXPECT_TRUE(e->SetTabStop(0, tkAll, false));
  EXPECT_EQ(p->Tabs, 0u);
  // Read-only: the answer stays, the paragraphs do not change.
  e->SetReadOnly(true);
  EXPECT_TRUE(e->SetTabStop(1440, tkLeft, false));
  EXPECT_EQ(p->Tabs, 0u);
  e->SetParagraphIndents(1, 2, 3);
  EXPECT_EQ(p->LeftIndent, 720);
}

TEST(EditApi, EveryEditPassesTheChangeCheckThenFiresOnChange) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  TwoParagraphs(e);
  std::vector<std::string> seen;
  e->OnChange = [&](TObject*) { seen.push_back(Text(e)); };
  e->SetModified(false);
  // OnChange comes after the edit: the handler sees the new text.
  e->MoveCursorTo(4);
  e->InsertText("X");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen.back(), "AnnaX Berta\rCarl");
  EXPECT_TRUE(e->Modified());
  TWPAttrRecord a;
  e->GetWritingAttr(a);
  a.Style = wpsUnderline;
  e->SetSelection(0, 4);
  e->SetWritingAttr(a);
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(e->RtfText()->FirstPar->line->pa[0].Style & wpsUnderline, wpsUnderline);
  e->SetParagraphIndents(-1000, 300, -1000);
  e->SetParagraphSpacing(10, -1000, -1000);
  e->SetPageLayout(1000, -1000, -1000, -1000, -1000, -1000);
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_EQ(e->Header()->MarginLeft, 1000);
  EXPECT_EQ(e->Header()->MarginRight, 1880);
  // A read-only control refuses all of them silently.
  e->SetReadOnly(true);
  e->SetModified(false);
  const std::string before = Text(e);
  const TWPParagraphRec saved = *e->RtfText()->FirstPar;
  e->InsertText("Y");
  e->SetWritingAttr(TWPAttrRecord{});
  e->SetParagraphIndents(1, 2, 3);
  e->SetParagraphSpacing(1, 2, 3);
  e->SetPageLayout(1, 2, 3, 4, 5000, 6000);
  TPicture pic;
  TBitmap bmp(8, 8);
  pic.SetGraphic(&bmp);
  EXPECT_EQ(e->InsertObject(&pic, 0xFFFF, 0, 0, 0), 0);
  EXPECT_EQ(Text(e), before);
  EXPECT_EQ(e->RtfText()->FirstPar->LeftIndent, saved.LeftIndent);
  EXPECT_EQ(e->Header()->MarginLeft, 1000);
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_FALSE(e->Modified());
  // So does a control that may not be edited.
  e->SetReadOnly(false);
  e->SetEditable(false);
  e->InsertText("Z");
  EXPECT_EQ(Text(e), before);
  e->SetEditable(true);
  e->InsertText("Z");
  EXPECT_NE(Text(e), before);
}

TEST(EditApi, PicturesGoInAsObjectsAndAreWrittenWithTheText) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  TwoParagraphs(e);
  TBitmap bmp(24, 16);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect({0, 0, 24, 16});
  TPicture pic;
  pic.SetGraphic(&bmp);
  // Number 0: nothing, but a control handed in still shows inside the window.
  auto* panel = new TPanel(w.form);
  EXPECT_EQ(e->InsertObject(panel, 0, 0, 0, 0), 0);
  EXPECT_EQ(panel->Parent(), e);
  EXPECT_EQ(Text(e), "Anna Berta\rCarl");
  e->MoveCursorTo(5);
  const int number = e->InsertObject(&pic, 0xFFFF, 7, 0, 0);
  EXPECT_GE(number, 2000);
  const std::string text = Text(e);
  ASSERT_EQ(text.size(), 16u);
  EXPECT_EQ(text[5], '\x01');
  const TWPObjectEntry* entry = e->RtfText()->FindObject(number, 0);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->Flags, 7);
  EXPECT_EQ(entry->Width, MulDiv(24, 1440, 96));
  // Painted as the red picture.
  panel->SetBounds(300, 200, 8, 8);  // out of the text's way
  w.driver.SavePng(w.form, "rtedit_picture");
  const TPoint at = PointOf(e, 5);
  EXPECT_EQ(ColorToRGB(w.driver.PixelAt(e, at.X, at.Y)), ColorToRGB(clRed));
  // InsertGraphic takes bitmaps; the RTF of the text carries the picture.
  e->MoveCursorTo(0);
  e->InsertGraphic(&pic, 720, 480);
  EXPECT_EQ(Text(e)[0], '\x01');
  TMemoryStream s;
  e->RtfText()->SaveFormat = FormatRTF;
  e->RtfText()->SaveToStream(&s);
  const std::string rtf(s.Memory(), static_cast<size_t>(s.Size()));
  EXPECT_NE(rtf.find("\\pict"), std::string::npos);
  EXPECT_NE(rtf.find("\\dibitmap"), std::string::npos);
  // Read back into another control, the pictures are there.
  TWPCustomRtfEdit* other = w.Second();
  s.SetPosition(0);
  other->RtfText()->LoadFromStream(&s);
  int objects = 0;
  for (const TWPObjectEntry* o = other->RtfText()->FirstObject; o; o = o->next) ++objects;
  EXPECT_EQ(objects, 2);
}

TEST(EditApi, FastAppendCopiesAnotherTextButNeverItself) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  TwoParagraphs(e);
  TWPCustomRtfEdit* other = w.Second();
  other->ClearText();
  Styled(other, "Fremd", "Courier New", 11, wpsBold);
  other->ReformatAndRepaint();
  EXPECT_THROW(e->FastAppendText(e), Exception);
  EXPECT_EQ(Text(e), "Anna Berta\rCarl");
  EXPECT_EQ(e->SourceText(), nullptr);
  e->FastAppendText(other);
  e->ReformatAndRepaint();
  EXPECT_EQ(Text(e), "Anna Berta\rCarl\rFremd");
  e->MoveCursorTo(17);
  EXPECT_EQ(e->Header()->FontName(e->AttrAtCursor()->Font), "Courier New");
  EXPECT_EQ(Text(other), "Fremd");
  // Linking takes the other text's page, keeps this text.
  other->SetPageLayout(500, 600, 700, 800, 10000, 14000);
  e->LinkToText(other);
  EXPECT_EQ(e->Header()->MarginLeft, 500);
  EXPECT_EQ(e->Header()->PageWidth, 10000);
  EXPECT_EQ(e->SourceText(), other->RtfText());
  EXPECT_EQ(Text(e), "Anna Berta\rCarl\rFremd");
  EXPECT_EQ(e->Header()->ResX, other->Header()->ResX);
  TWPRtfStorage store(w.form);
  store.RtfText()->Header->MarginLeft = 999;
  e->LinkToText(&store);
  EXPECT_EQ(e->Header()->MarginLeft, 999);
  e->LinkToText(w.form);  // anything else is ignored
  EXPECT_EQ(e->Header()->MarginLeft, 999);
}

TEST(EditApi, AControlFilledByCodeBeforeItHasAWindowLaysOutWhenShown) {
  TUiTestDriver driver;
  auto* form = new TForm(Application);
  form->SetClientSize(300, 200);
  auto* e = new TWPCustomRtfEdit(form);
  e->SetWordWrap(true);
  Styled(e, "Vorher gebaut, ohne Fenster, und erst dann gezeigt. Die Zeilen brechen am Fenster um.");
  e->ReformatAndRepaint();
  e->SetTopOffset(-10);
  EXPECT_EQ(e->TopOffset(), 0);
  e->SetParent(form);
  e->SetBounds(0, 0, 150, 180);
  form->Show();
  driver.Process();
  const TWPParagraphRec* p = e->RtfText()->FirstPar;
  ASSERT_NE(p->line->next, nullptr) << "the text wraps at the window";
  EXPECT_EQ(p->line->next->Top, p->line->Height);
  EXPECT_LE(e->Header()->LayoutWidth, e->ClientWidth());
  EXPECT_EQ(e->RtfText()->TotalHeight, [&] {
    int h = 0;
    for (const TWPLineRec* l = p->line; l; l = l->next) h += l->Height;
    return h;
  }());
}

TEST(EditApi, ReformatLeavesTheMeasuringCanvasInTheFirstRunsFont) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  e->ClearText();
  Styled(e, "Test", "Times New Roman", 20, wpsBold);
  e->ReformatAndRepaint();
  const int wide = e->Canvas()->TextWidth("9999");
  e->ClearText();
  Styled(e, "Test", "Arial", 8);
  e->ReformatAndRepaint();
  const int narrow = e->Canvas()->TextWidth("9999");
  EXPECT_GT(wide, narrow * 2);
  TFont f;
  f.SetName("Arial");
  f.SetSize(8);
  TBitmap probe(10, 10);
  probe.Canvas()->SetFont(f);
  EXPECT_EQ(narrow, probe.Canvas()->TextWidth("9999"));
}

TEST(EditApi, PrintingWritesEveryPageWithHeaderAndFooter) {
  EditWindow w;
  TWPCustomRtfEdit* e = w.edit;
  BuildBirthsPage(e, 12);
  e->SetPageLayout(-1000, -1000, -1000, -1000, -1000, 5000);  // short pages
  const std::string pdf = Artifact("rtedit_print.pdf");
  std::remove(pdf.c_str());
  Printer()->SetPrinterIndex(-1);
  Printer()->SetOutputFileName(pdf);
  std::vector<int> headers, footers;
  e->PrintHeader = [&](TCanvas&, int, int, int, int, int page, int) { headers.push_back(page); };
  e->PrintFooter = [&](TCanvas&, int, int, int, int, int page, int) { footers.push_back(page); };
  const int topBefore = e->TopOffset();
  const int widthBefore = e->RtfText()->WindowWidth();
  e->Print();
  ASSERT_GE(headers.size(), 3u);
  EXPECT_EQ(headers.size(), footers.size());
  for (size_t i = 0; i < headers.size(); ++i) EXPECT_EQ(headers[i], static_cast<int>(i) + 1);
  std::ifstream f(pdf, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes.rfind("%PDF", 0), 0u);
  // The window's view is back.
  EXPECT_EQ(e->TopOffset(), topBefore);
  EXPECT_EQ(e->RtfText()->WindowWidth(), widthBefore);
  if (std::system("command -v pdftotext >/dev/null 2>&1") == 0) {
    const std::string txt = Artifact("rtedit_print.txt");
    ASSERT_EQ(std::system(("pdftotext -layout " + pdf + " " + txt).c_str()), 0);
    std::ifstream t(txt);
    const std::string out((std::istreambuf_iterator<char>(t)), std::istreambuf_iterator<char>());
    EXPECT_NE(out.find("Goethe"), std::string::npos);
    EXPECT_NE(out.find("Geburtstage"), std::string::npos);
  }
}

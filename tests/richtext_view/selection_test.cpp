// The selection block and the formatting commands: forward and backward
// blocks, selecting by position and by object, table cells taken whole,
// repainting only the lines whose selection changed, deleting blocks in a
// line, across paragraphs, through a table and over protected text,
// character attributes of the block, the paragraph commands with their
// "unchanged" values and numberings, the page, and saving the selection.
#include <gtest/gtest.h>

#include "platform/rtl/streams.h"
#include "tests/richtext_view/input_helpers.h"

using namespace rtinput_test;

namespace {

// Highlighted text runs, joined.
std::string Highlighted(const TRecordingDevice& d) {
  std::string s;
  for (const TRecordedCall* c : d.Find("Text"))
    if (c->Color == ColorToRGB(clHighlightText)) s += c->Text;
  return s;
}

// A row of three cells between two paragraphs: "vor", "A1", "B1", "C1", "nach".
void LoadTable(Editor& e) {
  e.Load("vor\rA1\rB1\rC1\rnach");
  TWPParagraphRec* p = e.t.FirstPar->next;
  for (int c = 0; c < 3; ++c, p = p->next) {
    p->Flags = wppTableCell | (c ? wppRowContinues : 0) | (c < 2 ? wppRowGoesOn : 0);
    p->ColStart = static_cast<uint8_t>(c * 85);
    p->ColWidth = 85;
  }
  e.t.FormatText();
}

std::string Saved(TWPRTFTextInput& t, TWPLoadFormat format) {
  TMemoryStream m;
  t.SaveFormat = format;
  t.SaveSelectionToStream(&m);
  return std::string(m.Memory(), static_cast<size_t>(m.Size()));
}

}  // namespace

TEST(Selection, BackwardBlocksAreReversedAndShowTheSameCharacters) {
  Editor e;
  e.Load("eins zwei drei");
  e.t.SetSelection(5, 4);
  EXPECT_EQ(e.Selected(), "zwei");
  EXPECT_FALSE(e.t.BlockReversed);
  e.device.Clear();
  e.t.PaintAll();
  const std::string forward = Highlighted(e.device);
  // The same characters marked from their end backwards.
  e.t.HideSelection();
  e.SetCursor(9);
  e.t.CursorLeft(4, true);
  EXPECT_EQ(e.Selected(), "zwei");
  EXPECT_TRUE(e.t.BlockReversed);
  EXPECT_EQ(e.PosOf(e.t.BlockStart), 9) << "the anchor stays where selecting began";
  e.device.Clear();
  e.t.PaintAll();
  EXPECT_EQ(Highlighted(e.device), forward);
  EXPECT_EQ(forward, "zwei");
  // Length 0 drops the selection; start and length given one by one.
  e.t.SetSelection(3, 0);
  EXPECT_FALSE(e.t.HasBlock());
  e.t.SetSelStart(10);
  EXPECT_FALSE(e.t.HasBlock());
  e.t.SetSelLength(4);
  EXPECT_EQ(e.Selected(), "drei");
  // The end of a line and the start of the next are one place: no block.
  Editor n(60);
  n.Load("aaaa bbbb");
  TWPLineRec* first = n.t.FirstPar->line;
  ASSERT_TRUE(first->next);
  n.t.SetBlock({n.t.FirstPar, first, first->Length}, {n.t.FirstPar, first->next, 0});
  EXPECT_FALSE(n.t.HasBlock());
  n.t.SetBlock({n.t.FirstPar, first, first->Length}, {n.t.FirstPar, first->next, 1});
  EXPECT_TRUE(n.t.HasBlock());
  // Across paragraphs, and up to the end of the text.
  e.Load("ab\rcd\ref");
  e.t.SetSelection(1, 6);
  EXPECT_EQ(e.Selected(), "b\rcd\re");
  e.t.SetSelection(4, 268435455);
  EXPECT_EQ(e.Selected(), "d\ref");
}

TEST(Selection, ExtendingRepaintsOnlyTheLinesWhoseSelectionChanged) {
  Editor e(300, 400);
  std::string s;
  for (int i = 0; i < 12; ++i) s += (i ? "\r" : "") + std::string("Zeile ") + static_cast<char>('a' + i);
  e.Load(s);
  e.SetCursor(8 * 2 + 2);  // line "Zeile c"
  e.t.CursorDown(2, true);
  e.device.Clear();
  e.t.CursorRight(1, true);
  // Only the line holding the moving end is painted again.
  EXPECT_EQ(e.device.AllText(), "Zeile e");
  e.device.Clear();
  e.t.CursorDown(1, true);
  EXPECT_EQ(e.device.AllText(), "Zeile eZeile f");
  // Dropping the block paints the lines that showed it, no others.
  e.device.Clear();
  e.t.HideSelection();
  EXPECT_EQ(e.device.AllText(), "Zeile cZeile dZeile eZeile f");
  e.device.Clear();
  e.t.HideSelection();
  EXPECT_EQ(e.device.AllText(), "");
}

TEST(Selection, TableCellsAreSelectedWholeOnceTheBlockLeavesThem) {
  Editor e;
  LoadTable(e);
  // From inside A1 into B1: both cells whole.
  e.SetCursor(5);
  e.t.CursorRight(3, true);
  EXPECT_EQ(e.Selected(), "A1\rB1");
  EXPECT_FALSE(e.t.BlockReversed);
  // From C1 back into A1.
  e.t.HideSelection();
  e.SetCursor(11);
  e.t.CursorLeft(6, true);
  EXPECT_EQ(e.Selected(), "A1\rB1\rC1");
  EXPECT_TRUE(e.t.BlockReversed);
  // From text before the table into a cell: to the cell's end.
  e.t.HideSelection();
  e.SetCursor(1);
  e.t.CursorRight(4, true);
  EXPECT_EQ(e.Selected(), "or\rA1");
}

TEST(Selection, ObjectsAreSelectedByNumber) {
  Editor e;
  e.Load("");
  e.Add(e.t.FirstPar, "ab", Attr());
  e.Add(e.t.FirstPar, "\x01", Attr(wpsObject, 0, 10, 0, 2005));
  e.Add(e.t.FirstPar, "\x02", Attr(wpsObject, 0, 10, 0, 3));
  e.t.FormatText();
  EXPECT_TRUE(e.t.SelectObject(2, 3));
  EXPECT_EQ(e.Selected(), "\x02");
  EXPECT_TRUE(e.t.SelectObject(1, 2005));
  EXPECT_EQ(e.Selected(), "\x01");
  EXPECT_FALSE(e.t.SelectObject(1, 3));
}

TEST(Selection, DeletingBlocksInALineAcrossParagraphsAndThroughATable) {
  Editor e;
  e.Load("eins zwei drei");
  e.t.SetSelection(4, 5);
  EXPECT_TRUE(e.t.DeleteBlock());
  EXPECT_EQ(e.Text(), "eins drei");
  EXPECT_EQ(e.Cursor(), 4);
  EXPECT_FALSE(e.t.HasBlock());
  EXPECT_FALSE(e.t.DeleteBlock()) << "nothing without a block";
  // Across paragraphs: joined, the start paragraph keeps its format.
  e.Load("aaa\rbbb\rccc\rddd");
  e.t.FirstPar->Align = waCenter;
  e.t.FirstPar->next->next->next->Align = waRight;
  e.SetCursor(14);
  e.t.CursorLeft(12, true);  // a reversed block from "dd" back to "aa"
  EXPECT_TRUE(e.t.DeleteBlock());
  EXPECT_EQ(e.Text(), "aad");
  EXPECT_EQ(e.t.FirstPar->Align, waCenter);
  EXPECT_EQ(e.Cursor(), 2);
  rtview_test::ExpectLaidOut(e.t);
  // Through a table: rows the block holds whole go with it; in one table,
  // or in a row it only touches, the cells stay and lose the marked text.
  for (const auto& [start, length, left, cells] :
       {std::tuple(2, 12, "voach", 0), std::tuple(0, 17, "", 0), std::tuple(5, 6, "vor\r\r\r\rnach", 3),
        std::tuple(2, 5, "vo\r\r\rC1\rnach", 3)}) {
    LoadTable(e);
    e.t.SetSelection(start, length);
    EXPECT_TRUE(e.t.DeleteBlock());
    EXPECT_EQ(e.Text(), left);
    int n = 0;
    for (TWPParagraphRec* p = e.t.FirstPar; p; p = p->next) n += (p->Flags & wppTableCell) != 0;
    EXPECT_EQ(n, cells) << left;
    rtview_test::ExpectLaidOut(e.t);
  }
  // Typing replaces a block.
  e.Load("Hallo Welt");
  e.t.SetSelection(6, 4);
  e.Type("Leute");
  EXPECT_EQ(e.Text(), "Hallo Leute");
}

TEST(Selection, ProtectedTextRefusesTheDeletionWithTheCursorOnIt) {
  Editor e;
  e.Load("");
  e.Add(e.t.FirstPar, "frei ", Attr());
  e.Add(e.t.FirstPar, "fest", Attr(wpsProtected));
  e.Add(e.t.FirstPar, " frei", Attr());
  e.t.FormatText();
  e.t.ProtectMode = ProtectBit(ppProtected);
  int beeps = 0;
  e.t.OnBeep = [&] { ++beeps; };
  e.t.SetSelection(2, 10);
  EXPECT_FALSE(e.t.DeleteBlock());
  EXPECT_EQ(e.Text(), "frei fest frei");
  EXPECT_EQ(e.Cursor(), 5) << "at the first protected character";
  EXPECT_EQ(beeps, 1);
  // A block beside the protected text goes.
  e.t.SetSelection(0, 2);
  EXPECT_TRUE(e.t.DeleteBlock());
  EXPECT_EQ(e.Text(), "ei fest frei");
}

TEST(Selection, AttributesOfTheBlockAndTheWritingAttribute) {
  Editor e;
  e.Load("abcdef");
  e.t.SetSelection(1, 3);
  e.t.SetWritingAttr(wpmAddStyle, Attr(wpsBold));
  // (Every change lays the paragraph out anew: its line is read each time.)
  auto at = [&](int i) -> const TWPAttrRecord& { return e.t.FirstPar->line->pa[i]; };
  EXPECT_FALSE(at(0).Style & wpsBold);
  for (int i = 1; i < 4; ++i) {
    EXPECT_TRUE(at(i).Style & wpsBold);
    EXPECT_EQ(at(i).Width, 12) << "measured in the bold font";
  }
  EXPECT_FALSE(at(4).Style & wpsBold);
  EXPECT_TRUE(e.t.WritingAttr.Style & wpsBold);
  EXPECT_EQ(e.Selected(), "bcd") << "the block stays";
  rtview_test::ExpectLaidOut(e.t);
  // Superscript and subscript exclude each other.
  e.t.SetWritingAttr(wpmAddStyle, Attr(wpsSuperScript));
  e.t.SetWritingAttr(wpmAddStyle, Attr(wpsSubScript));
  EXPECT_EQ(at(2).Style & (wpsSuperScript | wpsSubScript), wpsSubScript);
  e.t.SetWritingAttr(wpmAddStyle, Attr(wpsSuperScript));
  EXPECT_EQ(at(2).Style & (wpsSuperScript | wpsSubScript), wpsSuperScript);
  // Replacing the styles keeps hidden text hidden under 0x40.
  e.t.SetWritingAttr(wpmSetStyle, Attr(wpsItalic));
  EXPECT_EQ(at(2).Style, wpsItalic);
  // Font, size and each colour half.
  e.t.SetWritingAttr(wpmSize | wpmTextColor, Attr(0, 0, 20, 0x35, 0));
  EXPECT_EQ(at(2).Size, 20);
  EXPECT_EQ(at(2).Colors, 0x05);
  e.t.SetWritingAttr(wpmBackColor, Attr(0, 0, 10, 0x70));
  EXPECT_EQ(at(2).Colors, 0x75);
  e.t.SetWritingAttr(wpmRemoveStyle, Attr(wpsItalic));
  EXPECT_EQ(at(2).Style, 0u);
  // A tag is copied, but not onto an object.
  TWPAttrRecord tagged = Attr();
  tagged.Tag = 9;
  e.t.SetCharAttr(e.t.FirstPar->line, 2, wpmAddStyle, tagged);
  EXPECT_EQ(at(2).Tag, 9);
  // Without a block only the writing attribute changes.
  e.t.HideSelection();
  e.t.SetWritingAttr(wpmAddStyle, Attr(wpsUnderline));
  EXPECT_TRUE(e.t.WritingAttr.Style & wpsUnderline);
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(at(i).Style & wpsUnderline);
  // Empty paragraphs of a block take its format: the cursor there writes in it.
  e.Load("ab\r\rcd\r", Attr(wpsBold, 0, 20, 1));
  e.t.SetSelection(0, 7);
  e.t.SetWritingAttr(wpmSize | wpmTextColor | wpmBackColor | wpmSetStyle, Attr(0, 0, 12, 0));
  for (int pos : {3, 7}) {
    e.SetCursor(pos);
    const TWPAttrRecord& w = e.t.WritingAttr;
    EXPECT_EQ((std::tuple<int, int, uint32_t>(w.Size, w.Colors, w.Style)), std::tuple(12, 0, 0u)) << pos;
  }
}

TEST(ParagraphCommands, IndentsAlignmentTabsSpacingAndShading) {
  Editor e;
  e.Load("eins\rzwei\rdrei");
  int wraps = 0;
  e.t.OnSpellCheckWord = [&](const AnsiString&, uint8_t&) { ++wraps; };
  // The cursor's paragraph alone.
  e.SetCursor(6);
  e.t.SetParagraphAlignment(waRight);
  EXPECT_EQ(e.t.FirstPar->next->Align, waRight);
  EXPECT_EQ(e.t.FirstPar->Align, waLeft);
  // A block's paragraphs; its current value marks nothing for breaking.
  e.t.SetSelection(1, 7);
  wraps = 0;
  e.t.SetParagraphAlignment(waJustified);
  EXPECT_GT(wraps, 0);
  wraps = 0;
  e.t.SetParagraphAlignment(waJustified);
  EXPECT_EQ(wraps, 0) << "nothing broken again";
  for (TWPParagraphRec* p = e.t.FirstPar; p; p = p->next) EXPECT_EQ(p->ChangeFlags, 0);
  EXPECT_EQ(e.t.FirstPar->next->next->Align, waLeft);
  // -1000 and values from 65000 leave an indent as it is.
  e.t.FirstPar->LeftIndent = 300;
  e.t.SetParagraphIndents(144, kWPUnchanged, 70000);
  EXPECT_EQ(e.t.FirstPar->FirstIndent, 144);
  EXPECT_EQ(e.t.FirstPar->LeftIndent, 300);
  EXPECT_EQ(e.t.FirstPar->RightIndent, 0);
  EXPECT_EQ(e.t.FirstPar->next->FirstIndent, 144);
  rtview_test::ExpectLaidOut(e.t);
  // Spacing given as (before, line, after) lands in the record's fields.
  e.t.SetParagraphSpacing(TWPParSpacing::FromBeforeLineAfter(120, 480, 360));
  TWPParagraphRec* p = e.t.FirstPar;
  EXPECT_EQ(p->SpaceBefore, 120);
  EXPECT_EQ(p->LineSpacing, 480);
  EXPECT_EQ(p->SpaceAfter, 360);
  EXPECT_EQ(p->line->Height, 32 + 8 + 24) << "at least 32 pixels, 8 before, 24 after";
  rtview_test::ExpectLaidOut(e.t);
  e.t.SetParagraphSpacing(TWPParSpacing::FromBeforeLineAfter(kWPUnchanged, 240, kWPUnchanged));
  EXPECT_EQ(p->SpaceBefore, 120);
  EXPECT_EQ(p->LineSpacing, 240);
  EXPECT_EQ(p->SpaceAfter, 360);
  e.t.SetParagraphSpacing(TWPParSpacing::FromBeforeLineAfter(30, kWPUnchanged, -60), true);
  EXPECT_EQ(p->SpaceBefore, 150);
  EXPECT_EQ(p->SpaceAfter, 300);
  // Tabs are added and taken out.
  const TWPTabSet tab = e.t.Header->AddTab(tkLeft, 720);
  e.t.SetParagraphTabs(false, tab);
  EXPECT_EQ(p->Tabs & tab, tab);
  e.t.SetParagraphTabs(true, tab);
  EXPECT_EQ(p->Tabs & tab, 0u);
  // Visible-only indents change the paragraphs in view alone.
  e.t.HideSelection();
  e.t.VisibleHeight = 20;
  e.SetCursor(0);
  e.t.SetSelection(0, 10);
  e.t.SetParagraphIndents(kWPUnchanged, 500, kWPUnchanged, true);
  EXPECT_EQ(e.t.FirstPar->LeftIndent, 500);
  EXPECT_EQ(e.t.FirstPar->next->LeftIndent, 0) << "below the view";
  e.t.VisibleHeight = 200;
  e.t.SetParagraphShading(0x21, 30);
  EXPECT_EQ(p->Shading, 0x21);
  EXPECT_EQ(p->next->ShadingPercent, 30);
}

TEST(ParagraphCommands, CellsOfARowShareIndentsAndSpacing) {
  Editor e;
  LoadTable(e);
  e.SetCursor(8);  // in B1
  e.t.SetParagraphIndents(kWPUnchanged, 144, 144);
  for (TWPParagraphRec* p = e.t.FirstPar->next; p->Flags & wppTableCell; p = p->next) {
    EXPECT_EQ(p->LeftIndent, 144);
    EXPECT_EQ(p->RightIndent, 144);
  }
  EXPECT_EQ(e.t.FirstPar->LeftIndent, 0);
  EXPECT_EQ(e.t.LastParagraph()->LeftIndent, 0);
  e.t.SetParagraphSpacing(TWPParSpacing::FromBeforeLineAfter(60, kWPUnchanged, kWPUnchanged));
  EXPECT_EQ(e.t.FirstPar->next->SpaceBefore, 60);
  EXPECT_EQ(e.t.FirstPar->next->next->next->SpaceBefore, 60);
  EXPECT_EQ(e.t.LastParagraph()->SpaceBefore, 0);
  rtview_test::ExpectLaidOut(e.t);
  // Edges of the cells, in pixels from the layout's left and right.
  TWPParagraphRec* b = e.t.FirstPar->next->next;
  const int64_t span = std::min<int64_t>(e.t.Header->LayoutWidthTwips, 12240 - 2 * 1880 - 144) - 144;
  EXPECT_EQ(e.t.CellLeftEdge(b), MulDiv(static_cast<int>(144 + span * 85 / 255), 96, 1440));
  EXPECT_EQ(e.t.CellRightInset(b), MulDiv(static_cast<int>(e.t.Header->LayoutWidthTwips - (144 + span * 170 / 255)), 96, 1440));
}

TEST(ParagraphCommands, ThePageSetsTheWidthLinesBreakAtWithoutWordWrap) {
  Editor e(300, 200, false);
  std::string words;
  for (int i = 0; i < 20; ++i) words += "Wort ";
  e.Load(words);
  const int before = rtview_test::LineCount(e.t);
  e.t.SetPage(kWPUnchanged, kWPUnchanged, kWPUnchanged, kWPUnchanged, 1880 * 2 + 1440, kWPUnchanged);
  EXPECT_EQ(e.t.Header->MarginLeft, 1880);
  EXPECT_EQ(e.t.Header->PrintWidth, 96);
  EXPECT_EQ(e.t.Header->LayoutWidth, 96);
  EXPECT_GT(rtview_test::LineCount(e.t), before);
  rtview_test::ExpectLaidOut(e.t);
  EXPECT_EQ(e.t.ColorByNumber(15), 0);
  e.t.Header->Colors[2] = RGB(1, 2, 3);
  EXPECT_EQ(e.t.ColorByNumber(2), RGB(1, 2, 3));
}

TEST(Selection, SavingTheSelectionWritesTheMarkedBlock) {
  Editor e;
  e.Load("erster Absatz\rzweiter Absatz\rdritter");
  e.t.SetSelection(7, 14);
  // (The plain-text writer ends with a 0 byte.)
  EXPECT_EQ(Saved(e.t, FormatANSI), std::string("Absatz\r\nzweiter\0", 16));
  const std::string rtf = Saved(e.t, FormatRTF);
  EXPECT_NE(rtf.find("Absatz"), std::string::npos);
  EXPECT_NE(rtf.find("zweiter"), std::string::npos);
  EXPECT_EQ(rtf.find("erster"), std::string::npos);
  EXPECT_EQ(rtf.find("dritter"), std::string::npos);
  e.t.HideSelection();
  EXPECT_EQ(Saved(e.t, FormatANSI), "") << "nothing without a selection";
}

// Editing operations of the text model: characters, lines and paragraphs
// with their attributes, protection, whole-paragraph operations, numbering
// and the text-run report.
#include <gtest/gtest.h>

#include <string>

#include "richtext/model/text.h"
#include "tests/richtext/model_helpers.h"

using namespace rt_test;

namespace {

void ExpectChains(const TWPRTFText& t) {
  std::string why;
  EXPECT_TRUE(t.CheckChains(&why)) << why;
}

std::string Tags(TWPRTFText& t) {
  std::string s;
  for (const TWPAttrRecord& a : AttrsOf(t)) s += static_cast<char>('0' + a.Tag);
  return s;
}

}  // namespace

TEST(TextEditing, InsertCharInsertsOverwritesAndAppendsWithTheWritingAttribute) {
  TWPRTFText t;
  Build(t, "abc", Attr(1));
  TWPParagraphRec* p = t.FirstPar;
  t.WritingAttr = Attr(2);
  EXPECT_TRUE(t.InsertChar(p, p->line, 'X', 1));
  EXPECT_TRUE(t.InsertChar(p, p->line, 'Y', 99));  // past the end: appended
  EXPECT_EQ(TextOf(t), "aXbcY");
  EXPECT_EQ(Tags(t), "12112");
  EXPECT_TRUE(p->line->Flags & wplChanged);
  t.InsertMode = false;
  EXPECT_TRUE(t.InsertChar(p, p->line, 'Z', 0));
  EXPECT_EQ(TextOf(t), "ZXbcY");
  EXPECT_EQ(Tags(t), "22112");
  // Many characters grow the buffers as needed.
  t.InsertMode = true;
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(t.InsertChar(p, p->line, 'q', 2));
  EXPECT_EQ(TextOf(t), "ZX" + std::string(300, 'q') + "bcY");
  ExpectChains(t);
  // A table cell that is full takes nothing, without a beep.
  int beeps = 0;
  t.OnBeep = [&] { ++beeps; };
  p->Flags = wppTableCell;
  p->CellFlags = 0xF0;
  EXPECT_FALSE(t.InsertChar(p, p->line, 'n', 0));
  EXPECT_EQ(beeps, 0);
}

TEST(TextEditing, ProtectionRefusesEditsWithABeepAndAReport) {
  TWPRTFText t;
  Build(t, "ab", Attr(0));
  TWPParagraphRec* p = t.FirstPar;
  p->line->pa[1].Style = wpsProtected;
  int beeps = 0, reports = 0;
  t.OnBeep = [&] { ++beeps; };
  t.OnProtectedText = [&](TWPParagraphRec*, TWPLineRec*, int off) {
    ++reports;
    EXPECT_EQ(off, 1);
  };
  EXPECT_TRUE(t.InsertChar(p, p->line, 'x', 1)) << "no protection mode yet";
  t.DeleteChar(p, p->line, 1);
  t.ProtectMode = ProtectBit(ppProtected);
  EXPECT_FALSE(t.InsertChar(p, p->line, 'x', 1));
  EXPECT_FALSE(t.DeleteChar(p, p->line, 1));
  EXPECT_FALSE(t.SplitParagraph(p, p->line, 1));
  EXPECT_EQ(beeps, 3);
  EXPECT_EQ(reports, 3);
  EXPECT_EQ(TextOf(t), "ab");
  EXPECT_TRUE(t.InsertChar(p, p->line, 'x', 2)) << "behind the last character nothing is protected";
  t.ProtectionSilent = true;
  EXPECT_TRUE(t.IsProtected(p, p->line, 1));
  EXPECT_EQ(reports, 3);
  t.ProtectionOff = true;
  EXPECT_FALSE(t.IsProtected(p, p->line, 1));
  t.ProtectionOff = false;

  // Insert points are protected only while overwriting; Delete counts as that.
  p->line->pa[0].Style = wpsInsertPoint;
  t.ProtectMode = ProtectBit(ppIsInsertpoint);
  EXPECT_FALSE(t.IsProtected(p, p->line, 0));
  EXPECT_FALSE(t.DeleteChar(p, p->line, 0));
  t.InsertMode = false;
  EXPECT_TRUE(t.IsProtected(p, p->line, 0));
  t.InsertMode = true;
  // Hidden, automatic and invisible characters; protected paragraphs.
  p->line->pa[0].Style = wpsHidden;
  t.ProtectMode = ProtectBit(ppHidden);
  EXPECT_TRUE(t.IsProtected(p, p->line, 0));
  p->line->pa[0].Style = wpsAutomatic;
  t.ProtectMode = ProtectBit(ppAutomatic);
  EXPECT_TRUE(t.IsProtected(p, p->line, 0));
  p->line->pa[0].Style = 0;
  p->line->pa[0].Width = 0;
  t.ProtectMode = ProtectBit(ppIsInvisible);
  EXPECT_TRUE(t.IsProtected(p, p->line, 0));
  p->line->pa[0].Width = 7;
  EXPECT_FALSE(t.IsProtected(p, p->line, 0));
  p->Flags = wppProtected;
  EXPECT_FALSE(t.IsProtected(p, p->line, 0));
  t.ProtectMode = ProtectBit(ppParProtected);
  EXPECT_TRUE(t.IsProtected(p, p->line, 2));
  EXPECT_FALSE(t.IsProtected(nullptr, p->line, 0));
}

TEST(TextEditing, DeleteCharRemovesCharactersJoinsLinesAndParagraphs) {
  TWPRTFText t;
  Build(t, "abc\rdef", Attr(1));
  TWPParagraphRec* p = t.FirstPar;
  t.AppendLine(Attr(2), "XY", false, p);  // first paragraph: "abc" + "XY"
  EXPECT_TRUE(t.DeleteChar(p, p->line, 1));
  EXPECT_EQ(TextOf(t), "acXY\rdef");
  // At a line end the next line moves up; the text stays.
  EXPECT_TRUE(t.DeleteChar(p, p->line, 2));
  EXPECT_EQ(CountLines(p), 1);
  EXPECT_EQ(TextOf(t), "acXY\rdef");
  EXPECT_EQ(Tags(t), "11221111");
  // At the paragraph end the next paragraph is joined.
  EXPECT_TRUE(t.DeleteChar(p, p->line, 4));
  EXPECT_EQ(TextOf(t), "acXYdef");
  EXPECT_EQ(CountPars(t), 1);
  ExpectChains(t);
  // At the end of the text nothing happens.
  TWPLineRec* last = TWPRTFText::Get_LastLine(p);
  EXPECT_FALSE(t.DeleteChar(p, last, last->Length));
  EXPECT_EQ(TextOf(t), "acXYdef");
  // A table cell is not joined.
  Build(t, "a\rb");
  t.FirstPar->Flags = wppTableCell;
  EXPECT_FALSE(t.DeleteChar(t.FirstPar, t.FirstPar->line, 1));
  EXPECT_EQ(TextOf(t), "a\rb");
}

TEST(TextEditing, AnEmptyFirstParagraphTakesOverTheNextOnesFormatting) {
  TWPRTFText t;
  Build(t, "\rnext");
  TWPParagraphRec* second = t.FirstPar->next;
  second->LeftIndent = 1440;
  second->Align = 3;
  second->Numbering = 0x62;
  second->Tabs = 0x9;
  second->Shading = 5;
  t.CursorPar = second;
  t.CursorLine = second->line;
  t.CursorOffset = 2;
  EXPECT_TRUE(t.DeleteChar(t.FirstPar, t.FirstPar->line, 0));
  ExpectChains(t);
  EXPECT_EQ(TextOf(t), "next");
  EXPECT_EQ(t.FirstPar->LeftIndent, 1440);
  EXPECT_EQ(t.FirstPar->Align, 3);
  EXPECT_EQ(t.FirstPar->Numbering, 0x62);
  EXPECT_EQ(t.FirstPar->Tabs, 0x9u);
  EXPECT_EQ(t.FirstPar->Shading, 5);
  EXPECT_EQ(CountLines(t.FirstPar), 1);
  EXPECT_EQ(t.CursorPar, t.FirstPar);
  EXPECT_EQ(t.CursorOffset, 2);
  // A paragraph with text keeps its own formatting.
  Build(t, "a\rb");
  t.FirstPar->next->LeftIndent = 1440;
  t.DeleteChar(t.FirstPar, t.FirstPar->line, 1);
  EXPECT_EQ(t.FirstPar->LeftIndent, 0);
}

TEST(TextEditing, SplitParagraphKeepsAttributesAndNumbering) {
  TWPRTFText t;
  Build(t, "abcd", Attr(1, wpsSpellChecked));
  TWPParagraphRec* p = t.FirstPar;
  t.AppendLine(Attr(2), "EF", false, p);  // "abcd" + "EF"
  p->Numbering = 0x61;
  p->LeftIndent = 300;
  t.CursorPar = p;
  t.CursorLine = p->line;
  t.CursorOffset = 3;
  EXPECT_TRUE(t.SplitParagraph(p, p->line, 2));
  ExpectChains(t);
  EXPECT_EQ(TextOf(t), "ab\rcdEF");
  EXPECT_EQ(Tags(t), "11" "1" "1122");
  TWPParagraphRec* q = p->next;
  EXPECT_EQ(q->Numbering, 0x61);
  EXPECT_EQ(q->LeftIndent, 300);
  EXPECT_EQ(CountLines(q), 2) << "the following lines go with the tail";
  EXPECT_FALSE(p->line->pa[1].Style & wpsSpellChecked);
  EXPECT_FALSE(q->line->pa[0].Style & wpsSpellChecked);
  EXPECT_TRUE(q->line->pa[1].Style & wpsSpellChecked);
  EXPECT_EQ(t.CursorPar, q);
  EXPECT_EQ(t.CursorOffset, 1);
  EXPECT_EQ(p->ChangeFlags & 3, 3);
  EXPECT_EQ(q->ChangeFlags & 3, 3);
  // Splitting at the very end gives an empty paragraph.
  EXPECT_TRUE(t.SplitParagraph(q, TWPRTFText::Get_LastLine(q), 2));
  EXPECT_EQ(TextOf(t), "ab\rcdEF\r");
  ExpectChains(t);
}

TEST(TextEditing, ReplaceInLineOverwritesGrowsAndShrinks) {
  TWPRTFText t;
  Build(t, "abcdef", Attr(1));
  TWPParagraphRec* p = t.FirstPar;
  TWPLineRec* l = p->line;
  const TWPAttrRecord two = Attr(2);
  t.ReplaceInLine(p, l, 1, 2, "XY", 2, &two);
  EXPECT_EQ(TextOf(t), "aXYdef");
  EXPECT_EQ(Tags(t), "122111");
  t.ReplaceInLine(p, l, 4, 1, "1234", 4, nullptr);  // attribute of the replaced 'e'
  EXPECT_EQ(TextOf(t), "aXYd1234f");
  EXPECT_EQ(Tags(t), "122111111");
  t.ReplaceInLine(p, l, 1, 100, "", 0, nullptr);  // delete count cut at the end
  EXPECT_EQ(TextOf(t), "a");
  t.ReplaceInLine(p, l, -5, 0, "zz", 2, &two);
  EXPECT_EQ(TextOf(t), "zza");
  EXPECT_EQ(l->pc[l->Length], 0);
  EXPECT_EQ(p->ChangeFlags & 3, 3);
  t.ReplaceText(p, l, 0, 1, "Q", 1);
  EXPECT_EQ(TextOf(t), "Qza");
  EXPECT_EQ(Tags(t), "221");
  ExpectChains(t);
}

TEST(TextEditing, NoOperationBuildsALineOverTheLimit) {
  TWPRTFText t;
  Build(t, "ab", Attr(1));
  TWPParagraphRec* p = t.FirstPar;
  const std::string big(25000, 'x');
  t.ReplaceInLine(p, p->line, 1, 0, big.data(), static_cast<int>(big.size()), nullptr);
  ExpectChains(t);
  EXPECT_EQ(TextOf(t), "a" + big + "b");
  EXPECT_GE(CountLines(p), 3);
  t.InsertTextAt(p, 3, big, nullptr);
  t.AppendLine(Attr(3), big, false, p);
  t.InsertTextAtCursor(Attr(4), big);
  ExpectChains(t);
  EXPECT_EQ(static_cast<int>(TextOf(t).size()), 2 + 4 * 25000);
  // Typing into a full line moves the rest of the line on instead of failing.
  Build(t, std::string(kWPMaxLineChars, 'y'));
  p = t.FirstPar;
  EXPECT_TRUE(t.InsertChar(p, p->line, 'B', kWPMaxLineChars));  // starts a new line
  EXPECT_EQ(CountLines(p), 2);
  EXPECT_TRUE(t.InsertChar(p, p->line, 'A', 5));  // the rest of the line moves on
  ExpectChains(t);
  const std::string text = TextOf(t);
  EXPECT_EQ(text.size(), static_cast<size_t>(kWPMaxLineChars + 2));
  EXPECT_EQ(text.substr(0, 7), "yyyyyAy");
  EXPECT_EQ(text.back(), 'B');
}

TEST(TextEditing, InsertAndDeleteTextAtWorkAcrossLinesWithTheLastDeletedAttribute) {
  TWPRTFText t;
  Build(t, "abc", Attr(1));
  TWPParagraphRec* p = t.FirstPar;
  t.AppendLine(Attr(2), "DEF", false, p);
  t.AppendLine(Attr(3), "ghi", false, p);  // "abc" "DEF" "ghi"
  t.DeleteTextAt(p, 2, 5);                  // "c", "DEF", "g"
  EXPECT_EQ(TextOf(t), "abhi");
  EXPECT_EQ(t.LastDeletedAttr.Tag, 1);
  EXPECT_EQ(Tags(t), "1133");
  ExpectChains(t);
  t.InsertTextAt(p, 2, "XY", nullptr);  // takes the last deleted attribute
  EXPECT_EQ(TextOf(t), "abXYhi");
  EXPECT_EQ(Tags(t), "111133");
  const TWPAttrRecord five = Attr(5);
  t.InsertTextAt(p, 0, "<", &five);
  t.InsertTextAt(p, 99, ">", &five);
  EXPECT_EQ(TextOf(t), "<abXYhi>");
  EXPECT_EQ(Tags(t), "51111335");
  EXPECT_EQ(p->line->pc[0], '<') << "at position 0 the text is a new first line";
  t.DeleteTextAt(p, 6, 50);  // cut at the paragraph end
  EXPECT_EQ(TextOf(t), "<abXYh");
  t.DeleteTextAt(p, 0, 0);
  t.DeleteTextAt(p, 10, 1);
  EXPECT_EQ(TextOf(t), "<abXYh");
  ExpectChains(t);
  // Paragraph ends are never deleted.
  Build(t, "ab\rcd");
  t.DeleteTextAt(t.FirstPar, 1, 10);
  EXPECT_EQ(TextOf(t), "a\rcd");
}

TEST(TextEditing, InsertTextAtCursorPutsTheCursorBehindTheText) {
  TWPRTFText t;
  Build(t, "abcd", Attr(1));
  t.CursorPar = t.FirstPar;
  t.CursorLine = t.FirstPar->line;
  t.CursorOffset = 2;
  t.InsertTextAtCursor(Attr(2), "XY");
  EXPECT_EQ(TextOf(t), "abXYcd");
  EXPECT_EQ(Tags(t), "112211");
  EXPECT_EQ(t.CursorLine->pc[t.CursorOffset - 1], 'Y');
  t.InsertTextAtCursor(Attr(3), "Z");
  t.InsertTextAtCursor(Attr(3), "");
  EXPECT_EQ(TextOf(t), "abXYZcd");
  ExpectChains(t);
}

TEST(TextEditing, SetAttrRangeKeepsSizesWhenAskedAndCrossesLines) {
  TWPRTFText t;
  Build(t, "abc", Attr(1, 0, 0, 12));
  TWPParagraphRec* p = t.FirstPar;
  t.AppendLine(Attr(1, 0, 0, 14), "def", false, p);
  t.SetAttrRange(p, 1, Attr(7, wpsBold, 3, 0), 4);
  const auto a = AttrsOf(t);
  EXPECT_EQ(Tags(t), "177771");
  EXPECT_EQ(a[1].Size, 12);
  EXPECT_EQ(a[3].Size, 14);
  EXPECT_EQ(a[2].Font, 3);
  t.SetAttrRange(p, 0, Attr(8, 0, 120, 20), 1);  // font past the table: font 0
  EXPECT_EQ(AttrsOf(t)[0].Font, 0);
  EXPECT_EQ(AttrsOf(t)[0].Size, 20);
  ExpectChains(t);
}

TEST(TextEditing, WholeParagraphOperations) {
  TWPRTFText t;
  const TWPAttrRecord one = Attr(1);
  t.AppendParagraph(0, "first", 5, &one);
  EXPECT_EQ(CountPars(t), 1) << "an empty text takes the text in its paragraph";
  t.AppendParagraph(0, "second", 6, &one);
  t.AppendParagraph(99, "last", 4, &one);
  t.AppendParagraph(0, "between", 7, &one);
  EXPECT_EQ(TextOf(t), "first\rbetween\rsecond\rlast");
  t.SetParagraphText(2, "2nd", 3, nullptr);
  EXPECT_EQ(TextOf(t), "first\rbetween\r2nd\rlast");
  EXPECT_EQ(t.WritingAttr.Tag, 1) << "the paragraph's first record becomes the writing attribute";
  TWPParagraphRec* p3 = t.ParagraphAt(3);
  t.AppendLine(one, "more", false, p3);
  t.SetParagraphText(50, "end", 3, nullptr);
  EXPECT_EQ(TextOf(t), "first\rbetween\r2nd\rend");
  EXPECT_EQ(CountLines(t.ParagraphAt(3)), 1);
  t.DeleteParagraph(1);
  EXPECT_EQ(TextOf(t), "first\r2nd\rend");
  t.DeleteParagraph(7);
  t.DeleteParagraph(0);
  t.DeleteParagraph(0);
  t.DeleteParagraph(0);
  EXPECT_EQ(TextOf(t), "");
  EXPECT_EQ(CountPars(t), 1);
  ExpectChains(t);
}

TEST(TextEditing, InsertParagraphsSplicesAChainIntoTheText) {
  TWPRTFText t, src;
  Build(src, "X\rY\rZ", Attr(2));
  src.FirstPar->LeftIndent = 77;
  TWPParagraphRec* chain = src.FirstPar;
  src.FirstPar = nullptr;  // taken over below
  src.CursorPar = nullptr;
  src.CursorLine = nullptr;

  Build(t, "abcd\rtail", Attr(1));
  TWPParagraphRec* p = t.FirstPar;
  TWPLineRec* l = p->line;
  int off = 2;
  EXPECT_TRUE(t.InsertParagraphs(p, l, chain, off));
  ExpectChains(t);
  EXPECT_EQ(TextOf(t), "abX\rY\rZcd\rtail");
  EXPECT_EQ(Tags(t), "11222221111111");
  EXPECT_EQ(t.FirstPar->LeftIndent, 0) << "not at the start: the formatting stays";
  EXPECT_EQ(p, t.ParagraphAt(2));
  EXPECT_EQ(l->pc[off - 1], 'Z') << "the place ends behind the inserted text";

  // At the very start the first inserted paragraph's formatting wins; into
  // an empty text the chain becomes the text.
  TWPRTFText a, b;
  Build(a, "P\rQ", Attr(3));
  a.FirstPar->LeftIndent = 55;
  TWPParagraphRec* c2 = a.FirstPar;
  a.FirstPar = nullptr;
  a.CursorPar = nullptr;
  a.CursorLine = nullptr;
  Build(b, "rest");
  p = b.FirstPar;
  l = p->line;
  off = 0;
  EXPECT_TRUE(b.InsertParagraphs(p, l, c2, off));
  EXPECT_EQ(TextOf(b), "P\rQrest");
  EXPECT_EQ(b.FirstPar->LeftIndent, 55);
  ExpectChains(b);
  TWPRTFText e, f;
  Build(f, "only\rtwo");
  TWPParagraphRec* c3 = f.FirstPar;
  f.FirstPar = nullptr;
  f.CursorPar = nullptr;
  f.CursorLine = nullptr;
  p = e.FirstPar;
  l = p->line;
  off = 0;
  EXPECT_TRUE(e.InsertParagraphs(p, l, c3, off));
  EXPECT_EQ(TextOf(e), "only\rtwo");
  ExpectChains(e);
  // A table cell takes no chain; the caller keeps it.
  TWPRTFText g;
  Build(g, "cell");
  g.FirstPar->Flags = wppTableCell;
  TWPParagraphRec* c4 = nullptr;
  g.NewParagraph(c4, 4);
  p = g.FirstPar;
  l = p->line;
  off = 1;
  EXPECT_FALSE(g.InsertParagraphs(p, l, c4, off));
  g.FreeParagraphChain(c4);
}

TEST(TextEditing, MarkStyledMarksParagraphsWithSpecialCharacters) {
  TWPRTFText t;
  Build(t, "a\rb\rc");
  t.ParagraphAt(1)->line->pa[0].Style = wpsHyperlink | wpsBold;
  for (TWPParagraphRec* p = t.FirstPar; p; p = p->next) p->ChangeFlags = 0;
  EXPECT_TRUE(t.MarkStyled(wpsHyperlink));
  EXPECT_EQ(t.ParagraphAt(0)->ChangeFlags, 0);
  EXPECT_EQ(t.ParagraphAt(1)->ChangeFlags, 3);
  EXPECT_EQ(t.ParagraphAt(2)->ChangeFlags, 0);
  t.ParagraphAt(1)->ChangeFlags = 0;
  EXPECT_TRUE(t.MarkStyled(wpsBold)) << "bold is no special class";
  EXPECT_EQ(t.ParagraphAt(1)->ChangeFlags, 0);
  t.Busy = true;
  EXPECT_FALSE(t.MarkStyled(wpsHyperlink));
  t.Busy = false;
  EXPECT_FALSE(t.Busy);
}

TEST(TextEditing, AppendLineAddsARunAsNewLastLine) {
  TWPRTFText t;
  TWPParagraphRec* p = t.FirstPar;
  t.AppendLine(Attr(4, wpsHyperlink), "link", false, p);
  t.AppendLine(Attr(5, wpsHidden), "p:17", true, p);
  EXPECT_EQ(TextOf(t), "linkp:17");
  EXPECT_EQ(Tags(t), "44445555");
  EXPECT_TRUE(p->Flags & wppPageBreak);
  TWPLineRec* last = TWPRTFText::Get_LastLine(p);
  EXPECT_EQ(last->pa[last->Capacity - 1].Tag, 5) << "every slot carries the run's attribute";
  ExpectChains(t);
}

TEST(TextEditing, FormatNumberWritesBulletsLettersRomanAndDecimals) {
  struct Case {
    int n, style;
    const char* text;
  } cases[] = {
      {1, 3, "a)"},         {2, 2, "B)"},          {26, 3, "z)"},        {27, 3, "aa)"},
      {52, 3, "az)"},       {53, 2, "BA)"},        {702, 3, "zz)"},      {703, 3, "a)"},
      {14, 5, "xiv."},      {44, 5, "xxxxiv."},    {99, 4, "LXXXXIX."}, {50, 5, "l."},
      {100, 5, "c."},       {144, 5, "cxliv."},    {1999, 4, "MCMXCIX."}, {105, 6, "105."},
      {7, 1, "l"},          {3, 8, ""},            {3, 0, ""},           {0, 3, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(TWPRTFText::FormatNumber(c.n, c.style), c.text) << c.n << "/" << c.style;
}

TEST(TextEditing, RenumberingWritesNumbersAndBulletsAndKeepsTheCursor) {
  TWPRTFText t;
  Build(t, "one\rtwo\rsub\rthree\rplain\rdot", Attr(1, 0, 0, 12));
  t.ParagraphAt(0)->Numbering = 0x60;  // arabic, level 0
  t.ParagraphAt(1)->Numbering = 0x60;
  t.ParagraphAt(2)->Numbering = 0x31;  // lower-case letters, level 1
  t.ParagraphAt(3)->Numbering = 0x60;
  t.ParagraphAt(5)->Numbering = 0x10;  // bullet
  TWPParagraphRec* cur = t.ParagraphAt(3);
  t.CursorPar = cur;
  t.CursorLine = cur->line;
  t.CursorOffset = 2;
  ASSERT_TRUE(t.RenumberParagraphs());
  EXPECT_EQ(TextOf(t), "1.\tone\r2.\ttwo\ra)\tsub\r3.\tthree\rplain\rl\tdot");
  ExpectChains(t);
  int pos, ln, pn;
  t.PositionOf(t.CursorPar, t.CursorLine, t.CursorOffset, pos, ln, pn);
  EXPECT_EQ(pn, 3);
  AnsiString s;
  t.GetParagraphText(3, s);
  EXPECT_EQ(pos - (7 + 7 + 7), 3 + 2) << "the cursor moves with the inserted number";
  const auto attrs = AttrsOf(t);
  EXPECT_TRUE(attrs[0].Style & wpsAutoNumber);
  EXPECT_EQ(attrs[0].Size, 12);
  const int bulletAt = static_cast<int>(TextOf(t).rfind('l'));
  EXPECT_EQ(attrs[bulletAt].Font, t.Header->FontIndex("WingDings"));
  // Running again replaces the numbers instead of adding more; a paragraph
  // that lost its numbering loses its number.
  t.ParagraphAt(1)->Numbering = 0;
  ASSERT_TRUE(t.RenumberParagraphs());
  EXPECT_EQ(TextOf(t), "1.\tone\rtwo\ra)\tsub\r1.\tthree\rplain\rl\tdot");
  ExpectChains(t);
  t.Busy = true;
  EXPECT_FALSE(t.RenumberParagraphs());
  t.Busy = false;
}

TEST(TextEditing, EnterInANumberedListStartsTheNextItem) {
  TWPRTFText t;
  Build(t, "eins\rzwei\rdrei\rdanach", Attr(1));
  for (int i = 0; i < 3; ++i) t.ParagraphAt(i)->Numbering = 0x60;
  ASSERT_TRUE(t.RenumberParagraphs());
  ASSERT_EQ(TextOf(t), "1.\teins\r2.\tzwei\r3.\tdrei\rdanach");
  // Enter at the end of the first item.
  TWPParagraphRec* p = t.FirstPar;
  TWPLineRec* l = TWPRTFText::Get_LastLine(p);
  t.CursorPar = p;
  t.CursorLine = l;
  t.CursorOffset = l->Length;
  ASSERT_TRUE(t.SplitParagraph(p, l, l->Length));
  t.CursorPar = p->next;
  t.CursorLine = p->next->line;
  t.CursorOffset = 0;
  ASSERT_TRUE(t.RenumberParagraphs());
  EXPECT_EQ(TextOf(t), "1.\teins\r2.\t\r3.\tzwei\r4.\tdrei\rdanach");
  ExpectChains(t);
  // The cursor stands behind the new item's number, ready for its text.
  EXPECT_EQ(t.CursorPar, t.ParagraphAt(1));
  EXPECT_EQ(t.CursorOffset, 3);
  // Enter at the end of the last item, and in the middle of an item.
  p = t.ParagraphAt(3);
  l = TWPRTFText::Get_LastLine(p);
  ASSERT_TRUE(t.SplitParagraph(p, l, l->Length));
  // "3.\tzw|ei": the number is a line of its own, the text follows.
  p = t.ParagraphAt(2);
  l = p->line;
  int at = 5;
  while (at > l->Length && l->next) {
    at -= l->Length;
    l = l->next;
  }
  ASSERT_TRUE(t.SplitParagraph(p, l, at));
  ASSERT_TRUE(t.RenumberParagraphs());
  EXPECT_EQ(TextOf(t), "1.\teins\r2.\t\r3.\tzw\r4.\tei\r5.\tdrei\r6.\t\rdanach");
  ExpectChains(t);
}

TEST(TextEditing, TextRunReportCollectsFieldRuns) {
  TWPRTFText t;
  TWPParagraphRec* p = t.FirstPar;
  t.AppendLine(Attr(0), "ab", false, p);
  t.AppendLine(Attr(9, wpsInsertPoint), "[", false, p);
  t.AppendLine(Attr(9, wpsAutomatic), "value", false, p);
  t.AppendLine(Attr(0), "cd", false, p);
  // Join the runs into one line so the report sees them side by side.
  TWPLineRec* l = p->line;
  while (l->next) ASSERT_TRUE(t.DeleteChar(p, l, l->Length));
  std::vector<std::pair<std::string, int>> got;
  t.OnTextRun = [&](const AnsiString& s, uint16_t tag) { got.emplace_back(s, tag); };
  int index = 5;  // inside "value"
  t.ReportTextRun(false, index, l);
  index = 0;
  t.ReportTextRun(false, index, l);
  t.ReportTextRun(true, index, l);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], std::make_pair(std::string("[value"), 9));
  EXPECT_EQ(got[1], std::make_pair(std::string("ab"), 0));
  EXPECT_EQ(got[2], std::make_pair(std::string(), 0));
}

// Records and chains of the text model: line buffers, paragraph creation,
// every RemoveLine case, storage switching, objects, footnotes and absolute
// positions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/rtl/invariants.h"
#include "richtext/model/text.h"
#include "tests/richtext/model_helpers.h"

using namespace rt_test;

namespace {

void ExpectChains(const TWPRTFText& t) {
  std::string why;
  EXPECT_TRUE(t.CheckChains(&why)) << why;
}

// Paragraph `p` gets extra lines holding the given texts.
void AddLines(TWPRTFText& t, TWPParagraphRec* p, std::initializer_list<std::string_view> texts) {
  for (std::string_view s : texts) t.AppendLine(Attr(0), s, false, p);
}

}  // namespace

TEST(TextChains, AnEditOnABrokenChainRaisesBeforeGoingOn) {
  ASSERT_TRUE(InvariantChecks()) << "test programs run with the invariant walks on";
  TWPRTFText t;
  t.AppendParagraph(0, "eins", 4, nullptr);
  t.AppendParagraph(1, "zwei", 4, nullptr);
  ExpectChains(t);
  TWPParagraphRec* second = t.FirstPar->next;
  ASSERT_NE(second, nullptr);
  // A lost back pointer: the next edit stops instead of building on it.
  second->prev = nullptr;
  EXPECT_THROW(t.InsertTextAt(t.FirstPar, 0, "x", nullptr), EInvariantBroken);
  second->prev = t.FirstPar;
  // A line whose length overruns its buffer.
  TWPLineRec* l = second->line;
  const uint16_t len = l->Length;
  l->Length = static_cast<uint16_t>(l->Capacity);
  EXPECT_THROW(t.DeleteTextAt(t.FirstPar, 0, 1), EInvariantBroken);
  l->Length = len;
  ExpectChains(t);
}

TEST(TextChains, ConstructionGivesOneEmptyRichParagraph) {
  TWPRTFText t;
  ExpectChains(t);
  EXPECT_TRUE(t.Created);
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_TRUE(t.Header->KeepAttributes);
  EXPECT_EQ(t.FirstPar->line->Capacity, 44);
  EXPECT_EQ(t.WritingAttr.Size, 10);
  EXPECT_EQ(t.CharWidths[65], 16);
  EXPECT_EQ(t.CursorPar, t.FirstPar);
  t.Clear();
  ExpectChains(t);
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(t.FirstPar->line->Capacity, 104);
  EXPECT_EQ(t.Header->FontNames[0], "Arial");
  EXPECT_EQ(t.FirstPar->ChangeFlags, 3);
}

TEST(TextChains, LineBuffersGrowWithinTheLimit) {
  TWPRTFText t;
  TWPLineRec* l = nullptr;
  t.NewTextLine(l, 0);
  EXPECT_EQ(l->Capacity, 8);
  TWPLineRec* m = nullptr;
  t.NewTextLine(m, 8);
  EXPECT_EQ(m->Capacity, 12);
  EXPECT_EQ(m->pa[0].Size, 10) << "first record is the writing attribute";
  EXPECT_EQ(m->Height, 16);
  // Linking after an existing line takes over its next link.
  TWPLineRec* n = l;
  t.NewTextLine(n, 1);
  EXPECT_EQ(l->next, n);
  EXPECT_EQ(n->prev, l);

  std::memcpy(l->pc, "abcdef", 7);
  l->Length = 6;
  EXPECT_TRUE(t.GrowLineBuffer(l, 101));
  EXPECT_EQ(l->Capacity, 102) << "odd capacities round up";
  EXPECT_STREQ(l->pc, "abcdef");
  EXPECT_TRUE(t.GrowLineBuffer(l, 4));
  EXPECT_EQ(l->Length, 3) << "a shrunk line keeps what fits";
  EXPECT_EQ(l->pc[3], 0);
  EXPECT_TRUE(t.GrowLineBuffer(l, 10000));
  EXPECT_THROW(t.GrowLineBuffer(l, 10001), ERangeError);
  EXPECT_EQ(l->Capacity, 10000) << "a refused growth changes nothing";
  EXPECT_FALSE(t.GrowLineBuffer(nullptr, 10));

  for (TWPLineRec* x : {l, n, m}) {
    t.FreeLineBuffers(x);
    EXPECT_EQ(x->Capacity, 0);
    EXPECT_EQ(x->pc, nullptr);
    delete x;
  }
  EXPECT_THROW(AttribPtr(nullptr, 0), Exception);
  TWPParagraphRec lineless;
  EXPECT_THROW(TWPRTFText::Get_LastLine(&lineless), Exception);
}

TEST(TextChains, NewParagraphCopiesFormattingButNotNumbering) {
  TWPRTFText t;
  TWPParagraphRec* p = t.FirstPar;
  p->LeftIndent = 720;
  p->SpaceAfter = 120;
  p->Align = 2;
  p->Numbering = 0x61;
  p->BorderFlags = 0x41;
  p->BorderWidth = 3;
  p->Tabs = 0x30;
  TWPParagraphRec* q = p;
  t.NewParagraph(q, 10);
  EXPECT_EQ(p->next, q);
  EXPECT_EQ(q->prev, p);
  EXPECT_EQ(q->LeftIndent, 720);
  EXPECT_EQ(q->SpaceAfter, 120);
  EXPECT_EQ(q->Align, 2);
  EXPECT_EQ(q->Numbering, 0);
  EXPECT_EQ(q->BorderFlags, 0x41);
  EXPECT_EQ(q->BorderWidth, 3);
  EXPECT_EQ(q->Tabs, 0x30u);
  // Border flag 2 stops the border; a table cell keeps its tabs to itself.
  p->BorderFlags = 0x43;
  p->Flags = wppTableCell;
  TWPParagraphRec* r = p;
  t.NewParagraph(r, 10);
  EXPECT_EQ(r->BorderFlags, 0);
  EXPECT_EQ(r->BorderWidth, 0);
  EXPECT_EQ(r->Tabs, 0u);
  EXPECT_EQ(r->next, q);
  EXPECT_EQ(q->prev, r);
  EXPECT_EQ(TWPRTFText::ParagraphIndex(q, t.FirstPar), 3);
  ExpectChains(t);
}

TEST(TextChains, RemoveLineHandlesEveryPlaceOfTheLine) {
  TWPRTFText t;
  // 1: the only line of the only paragraph stays, emptied.
  Build(t, "abc");
  t.RemoveLine(t.FirstPar->line, t.FirstPar);
  ExpectChains(t);
  EXPECT_EQ(TextOf(t), "");
  EXPECT_EQ(CountPars(t), 1);

  // 2: the only line of the first of several paragraphs: the next becomes first.
  Build(t, "ab\rcd");
  t.RemoveLine(t.FirstPar->line, t.FirstPar);
  ExpectChains(t);
  EXPECT_EQ(TextOf(t), "cd");
  EXPECT_EQ(t.FirstPar->prev, nullptr);

  // 3: the first of several lines of the first paragraph.
  Build(t, "ab\rcd");
  AddLines(t, t.FirstPar, {"XY"});
  t.RemoveLine(t.FirstPar->line, t.FirstPar);
  ExpectChains(t);
  EXPECT_EQ(TextOf(t), "XY\rcd");

  // 4: the only line of a later paragraph: neighbours are linked.
  Build(t, "ab\rcd\ref");
  t.RemoveLine(t.FirstPar->next->line, t.FirstPar->next);
  ExpectChains(t);
  EXPECT_EQ(TextOf(t), "ab\ref");

  // 5: the first of several lines of a later paragraph: the rest joins the
  // previous paragraph, whose formatting it takes.
  Build(t, "ab\rcd\ref");
  TWPParagraphRec* mid = t.FirstPar->next;
  mid->LeftIndent = 999;
  AddLines(t, mid, {"XY", "Z"});
  t.CursorPar = mid;
  t.CursorLine = mid->line->next;
  t.CursorOffset = 1;
  t.RemoveLine(mid->line, mid);
  ExpectChains(t);
  EXPECT_EQ(TextOf(t), "abXYZ\ref");
  EXPECT_EQ(t.FirstPar->LeftIndent, 0);
  EXPECT_EQ(t.CursorPar, t.FirstPar) << "the cursor follows its line";
  EXPECT_EQ(t.CursorOffset, 1);

  // A line that is not the first is only unlinked.
  Build(t, "ab");
  AddLines(t, t.FirstPar, {"cd", "ef"});
  t.RemoveLine(t.FirstPar->line->next, t.FirstPar);
  ExpectChains(t);
  EXPECT_EQ(TextOf(t), "abef");
}

TEST(TextChains, RemovingTheCursorParagraphMovesTheCursor) {
  TWPRTFText t;
  Build(t, "ab\rcd\ref");
  TWPParagraphRec* last = t.FirstPar->next->next;
  t.CursorPar = last;
  t.CursorLine = last->line;
  t.CursorOffset = 2;
  t.RemoveLine(last->line, last);
  ExpectChains(t);
  EXPECT_EQ(t.CursorPar, t.FirstPar->next);
  EXPECT_EQ(t.CursorOffset, 2);
  TWPParagraphRec* first = t.FirstPar;
  t.CursorPar = first;
  t.CursorLine = first->line;
  t.DisposeParagraph(first);
  ExpectChains(t);
  EXPECT_EQ(first, t.FirstPar);
  EXPECT_EQ(t.CursorPar, t.FirstPar);
}

TEST(TextChains, StorageSwitchAddsAndDropsAttributeArrays) {
  TWPRTFText t;
  Build(t, "ab\rcd", Attr(7));
  t.WritingAttr = Attr(3, wpsBold, 0, 0);
  EXPECT_FALSE(t.SetMemoryFormat(0)) << "already rich";
  EXPECT_TRUE(t.SetMemoryFormat(1));
  ExpectChains(t);
  EXPECT_TRUE(t.PlainText);
  EXPECT_FALSE(t.Header->KeepAttributes);
  EXPECT_EQ(t.FirstPar->line->pa, nullptr);
  EXPECT_EQ(t.FirstPar->line->Height, 16);
  EXPECT_EQ(t.FirstPar->line->Ascent, 14);
  EXPECT_EQ(TextOf(t), "ab\rcd");
  // Plain text still copies out records: the writing attribute.
  EXPECT_EQ(AttrsOf(t)[0].Tag, 3);
  t.Clear();
  EXPECT_FALSE(t.Header->KeepAttributes) << "Clear keeps plain storage";
  Build(t, "xy");
  EXPECT_TRUE(t.SetMemoryFormat(0));
  ExpectChains(t);
  const auto a = AttrsOf(t);
  EXPECT_EQ(a[0].Tag, 3);
  EXPECT_EQ(a[0].Size, 10) << "size 0 becomes 10";
  EXPECT_EQ(a[1].Width, 16);
  t.Busy = true;
  EXPECT_FALSE(t.SetMemoryFormat(1));
  t.Clear();
  EXPECT_EQ(TextOf(t), "xy") << "Clear is refused while busy";
  t.Busy = false;
}

namespace {
struct FakeObject : TWPTextObject {
  int32_t w, h;
  FakeObject(int32_t w_, int32_t h_) : w(w_), h(h_) {}
  int32_t NaturalWidthTwips() const override { return w; }
  int32_t NaturalHeightTwips() const override { return h; }
};
}  // namespace

TEST(TextChains, ObjectsAreNumberedFoundAndSized) {
  TWPRTFText t;
  int numbered = 0;
  t.OnObjectNumbered = [&](TWPObjectEntry*) { ++numbered; };
  FakeObject pic(500, 0);
  TWPObjectEntry* a = t.AddObject(&pic, -1, 0, 300);
  TWPObjectEntry* b = t.AddObject(nullptr, -1, 10, 10);
  TWPObjectEntry* c = t.AddObject(nullptr, 0, 0, 0);
  TWPObjectEntry* d = t.AddObject(nullptr, 0, 0, 0);
  EXPECT_EQ(a->Number, 2000);
  EXPECT_EQ(b->Number, 2001);
  EXPECT_EQ(c->SecondNumber, 1);
  EXPECT_EQ(d->SecondNumber, 2);
  EXPECT_EQ(numbered, 3) << "only placeholders report their number";
  EXPECT_EQ(t.FindObject(2001, 0), b);
  EXPECT_EQ(t.FindObject(0, 2), d);
  EXPECT_EQ(t.FindObject(0, 0), nullptr);
  EXPECT_EQ(t.FindObjectOf(&pic), a);
  int32_t w, h;
  t.ObjectSize(a, w, h);
  EXPECT_EQ(w, 500);
  EXPECT_EQ(h, 300);
  t.ObjectSize(c, w, h);
  EXPECT_EQ(w, 32);
  EXPECT_EQ(h, 32);
  t.ClearObjectMarks();
  b->Mark = 1;
  t.RemoveUnmarkedObjects();
  EXPECT_EQ(t.FirstObject, b);
  EXPECT_EQ(b->next, nullptr);
  EXPECT_EQ(t.AddObject(nullptr, -1, 0, 0)->Number, 2000) << "freed numbers are used again";
  t.Clear();
  EXPECT_EQ(t.FirstObject, nullptr);
}

TEST(TextChains, FootnotesAreNumberedConsecutively) {
  TWPRTFText t;
  const AnsiString rtf = "{\\b x}";
  TWPFootnoteEntry* f1 = t.AddFootnote('*', &rtf, "first");
  TWPFootnoteEntry* f2 = t.AddFootnote('+', nullptr, "second");
  EXPECT_EQ(f1->Number, 1);
  EXPECT_EQ(f2->Number, 2);
  EXPECT_EQ(*f1->RtfText, rtf);
  EXPECT_EQ(f2->RtfText, nullptr);
  EXPECT_EQ(t.FindFootnote(0), f1);
  EXPECT_EQ(t.FindFootnote(2), f2);
  EXPECT_EQ(t.FindFootnote(3), nullptr);
  t.FreeFootnotes();
  EXPECT_EQ(t.FirstFootnote, nullptr);
}

TEST(TextPositions, AbsolutePositionsCountOnePerParagraphEnd) {
  TWPRTFText t;
  Build(t, "ab\rcd\r\refg");
  AddLines(t, t.FirstPar->next, {"XY"});  // "cdXY" over two lines
  TWPParagraphRec* p2 = t.FirstPar->next;
  int pos, lineNo, parNo;
  t.PositionOf(p2, p2->line->next, 1, pos, lineNo, parNo);
  EXPECT_EQ(pos, 3 + 2 + 1);
  EXPECT_EQ(lineNo, 2);
  EXPECT_EQ(parNo, 1);
  TWPParagraphRec* last = t.LastParagraph();
  t.PositionOf(last, last->line, 3, pos, lineNo, parNo);
  EXPECT_EQ(pos, 3 + 5 + 1 + 3);
  EXPECT_EQ(parNo, 3);

  // And back: every position of the text is found where PositionOf puts it.
  const std::string text = TextOf(t);
  for (int p = 0; p <= static_cast<int>(text.size()); ++p) {
    int off;
    TWPLineRec* l;
    TWPParagraphRec* par;
    ASSERT_TRUE(t.FindPosition(off, l, par, p, 0)) << p;
    int back, ln, pn;
    t.PositionOf(par, l, off, back, ln, pn);
    EXPECT_EQ(back, p);
  }
  int off;
  TWPLineRec* l;
  TWPParagraphRec* par;
  ASSERT_TRUE(t.FindPosition(off, l, par, 5, 0));
  EXPECT_EQ(l, p2->line) << "at a line end the place stays at the end of that line";
  EXPECT_EQ(off, 2);
  EXPECT_FALSE(t.FindPosition(off, l, par, 999, 0));
  EXPECT_EQ(par, last);
  EXPECT_EQ(off, 3);
}

TEST(TextPositions, CopyTextJoinsParagraphsWithCarriageReturns) {
  TWPRTFText t;
  Build(t, "ab\rc", Attr(1));
  t.FirstPar->next->line->pa[0].Tag = 9;
  char buf[16];
  TWPAttrRecord attrs[16];
  EXPECT_EQ(t.CopyText(buf, attrs, 16), 4);
  EXPECT_EQ(std::string(buf), "ab\rc");
  EXPECT_EQ(attrs[2].Tag, 9) << "the paragraph end carries the next paragraph's first record";
  EXPECT_EQ(t.CopyText(buf, nullptr, 3), 2);
  EXPECT_EQ(std::string(buf), "ab");
  EXPECT_EQ(t.CopyText(nullptr, nullptr, 0), 4);
  AnsiString s;
  EXPECT_EQ(t.GetParagraphText(1, s), 1);
  EXPECT_EQ(s, "c");
  EXPECT_EQ(t.GetParagraphText(5, s), 0);
}

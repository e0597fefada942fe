// The document I/O layer: format choice and detection, files, insertion at
// the cursor, copies between texts, positions and the plain-text writer.
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include "platform/rtl/files.h"
#include "tests/richtext_io/io_helpers.h"

using namespace rtio_test;

namespace {

std::string Plain(const TWPRTFTextIo& t) {
  std::string s;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next) {
    if (p != t.FirstPar) s += '|';
    for (const TWPLineRec* l = p->line; l; l = l->next) s.append(l->pc, l->Length);
  }
  return s;
}

std::string TempName(const char* name) {
  return "/tmp/rtio_" + std::to_string(getpid()) + "_" + name;
}

TEST(TextIo, FormatDetectionAndPlainStorage) {
  TWPRTFTextIo t;
  TStringStream rtf(" \r\n\t{\\rtf1 Hallo}");
  EXPECT_EQ(t.LoadFromStream(&rtf), FormatRTF);
  EXPECT_EQ(Plain(t), "Hallo");
  t.Clear();
  TStringStream ansi("{\\b x}");
  EXPECT_EQ(t.LoadFromStream(&ansi), FormatANSI);
  EXPECT_EQ(Plain(t), "{\\b x}");
  EXPECT_EQ(ansi.Position(), 6);
  // A plain text over 500000 bytes is kept without attributes, but only
  // when it is loaded into an empty text.
  const std::string big(500001, 'a');
  t.Clear();
  TStringStream b1(big);
  t.LoadFromStream(&b1);
  EXPECT_TRUE(t.PlainText);
  EXPECT_EQ(TWPRTFText::ParLength(t.FirstPar), 500001);
  EXPECT_TRUE(t.CheckChains());
  // Written as RTF, plain storage gives the default font and no run words.
  const std::string written = ToRtf(t);
  EXPECT_NE(written.find("{\\fonttbl{\\f0\\fnil\\charset0 Arial;}}"), std::string::npos);
  EXPECT_EQ(written.find("\\plain"), std::string::npos);
  TWPRTFTextIo r;
  ASSERT_EQ(FromRtf(r, written), 0);
  EXPECT_EQ(TWPRTFText::ParLength(r.FirstPar), 500001);
  TWPRTFTextIo u;
  TStringStream b2(big.substr(1));
  u.LoadFromStream(&b2);
  EXPECT_FALSE(u.PlainText);
  TStringStream b3(big);
  u.LoadFromStream(&b3);  // inserted into a text that is not empty
  EXPECT_FALSE(u.PlainText);
  EXPECT_EQ(TWPRTFText::ParLength(u.FirstPar), 1000001);
}

TEST(TextIo, FilesFormatsAndTheDataProperty) {
  TWPRTFTextIo t;
  AddRun(t, t.FirstPar, "Brief", Attr(wpsBold));
  AddRun(t, NewPar(t), "Zeile 2", Attr());
  const std::string rtfName = TempName("LETTER.rtf"), txtName = TempName("letter.txt");
  t.SaveFormat = FormatANSI;
  t.SaveToFile(rtfName);
  t.SaveToFile(txtName);
  EXPECT_EQ(t.SaveFormat, FormatANSI);
  TMemoryStream m;
  m.LoadFromFile(rtfName);
  EXPECT_EQ(std::string(m.Memory(), 6), "{\\rtf1");
  m.LoadFromFile(txtName);
  EXPECT_EQ(std::string(m.Memory(), static_cast<size_t>(m.Size())), "Brief\r\nZeile 2");  // no NUL in a file

  TWPRTFTextIo back;
  back.LoadFromFile(rtfName);
  EXPECT_EQ(back.Header->LastLoadFormat, FormatRTF);
  EXPECT_EQ(Plain(back), "Brief|Zeile 2");
  EXPECT_EQ(back.FirstPar->line->pa[0].Style, wpsBold);
  // Saving with the format of the last load.
  TStringStream again;
  back.SaveToStream(&again);
  EXPECT_EQ(again.DataString().substr(0, 6), "{\\rtf1");
  back.SaveToFile(txtName);  // plain text, whatever the text was loaded from
  TWPRTFTextIo plain;
  plain.LoadFromFile(txtName);
  EXPECT_EQ(plain.Header->LastLoadFormat, FormatANSI);
  EXPECT_EQ(Plain(plain), "Brief|Zeile 2");
  std::remove(rtfName.c_str());
  std::remove(txtName.c_str());

  // The streamed "Data" property.
  TMemoryStream data;
  t.WriteData(&data);
  data.SetPosition(0);
  TWPRTFTextIo d;
  AddRun(d, d.FirstPar, "alt", Attr());
  d.ReadData(&data);
  EXPECT_EQ(Plain(d), "Brief|Zeile 2");
  EXPECT_TRUE(d.HasData());
  d.Clear();
  EXPECT_FALSE(d.HasData());
}

class RecordingIo : public TWPExternalIo {
public:
  int loads = 0, saves = 0;
  void Load(TWPRTFTextIo&, TStream&) override { ++loads; }
  void Save(TWPRTFTextIo&, TStream& s, bool) override {
    ++saves;
    s.Write("ext", 3);
  }
};

TEST(TextIo, AnExternalLoaderAndSaverTakesOverUnlessBypassed) {
  TWPRTFTextIo t;
  RecordingIo ext;
  t.ExternalIo = &ext;
  TStringStream in("{\\rtf1 x}");
  t.LoadFromStream(&in);
  TStringStream out;
  t.SaveToStream(&out);
  EXPECT_EQ(ext.loads, 1);
  EXPECT_EQ(out.DataString(), "ext");
  EXPECT_TRUE(t.IsEmpty());
  t.BypassExternal = true;
  in.SetPosition(0);
  t.LoadFromStream(&in);
  EXPECT_EQ(Plain(t), "x");
  EXPECT_EQ(ext.loads, 1);
}

TEST(TextIo, InsertAtTheCursorKeepsPageAndRemapsColours) {
  TWPRTFTextIo t;
  t.Header->PageWidth = 11000;
  AddRun(t, t.FirstPar, "AB", Attr());
  t.CursorLine = t.FirstPar->line;
  t.CursorOffset = 1;
  TWPParagraphRec* seen = nullptr;
  t.OnBeforeInsert = [&seen](TWPParagraphRec* chain) { seen = chain; };
  // Colour 1 of the inserted document is blue, which is entry 3 here.
  TStringStream s("{\\rtf1{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\\paperw5000\\cf1 x\\par y}");
  t.LoadFromStream(&s);
  EXPECT_NE(seen, nullptr);
  EXPECT_EQ(Plain(t), "Ax|yB");
  EXPECT_EQ(t.Header->PageWidth, 11000);
  EXPECT_EQ(t.Header->Colors[1], 0x0000FFu);
  EXPECT_EQ(t.FirstPar->line->next->pa[0].Colors, 3);
  EXPECT_TRUE(t.CheckChains());
  TStringStream cells("{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}v\\par\\trowd\\clbrdrt\\brdrs\\brdrcf1\\clcbpat1"
                      "\\cellx2000\\pard\\intbl z\\cell\\row}");  // borders and shadings the same way
  t.LoadFromStream(&cells);
  const TWPParagraphRec* cell = t.FirstPar->next->next;
  EXPECT_EQ(std::vector<int>({cell->Flags & wppTableCell, cell->BorderColor & 0xF, cell->Shading >> 4}),
            std::vector<int>({wppTableCell, 3, 3}));
  // A template with black at 0, 3 and 15, maroon at 2 and 7, text in all but 3 and 7: pasted blue and green
  // take those, orange the used 15 (its text moves to 0), near-white the nearest but white, counted.
  TWPRTFTextIo m;
  m.Header->Colors[2] = 0x80;
  m.Header->Colors[3] = 0;
  for (uint8_t i = 0; i < 16; ++i) AddRun(m, m.FirstPar, "x", Attr(0, 0, 10, i == 3 || i == 7 ? 0 : i));
  m.CursorOffset = 16;
  TStringStream paste("{\\rtf1{\\colortbl;\\red0\\green0\\blue255;\\red0\\green128\\blue0;\\red255\\green136\\blue0;"
                      "\\red250\\green250\\blue250;}{\\cf1 b}{\\cf2 g}{\\cf3 o}{\\cf4 w}}");
  m.LoadFromStream(&paste);
  std::vector<int> slots = {m.LastColorsChanged};
  for (const TWPLineRec* l = m.FirstPar->line; l; l = l->next)
    for (int i = 0; i < l->Length; ++i) slots.push_back(l->pa[i].Colors);
  EXPECT_EQ(slots, (std::vector<int>{1, 0, 1, 2, 0, 4, 5, 6, 0, 8, 9, 10, 11, 12, 13, 14, 0, 3, 7, 15, 13}));
  EXPECT_EQ(std::vector<TColor>({m.Header->Colors[3], m.Header->Colors[7], m.Header->Colors[15]}),
            std::vector<TColor>({0xFF0000, 0x8000, 0x0088FF}));
  // A protected place drops the inserted document.
  TWPRTFTextIo p;
  AddRun(p, p.FirstPar, "xy", Attr(wpsProtected));
  p.ProtectMode = ProtectBit(ppProtected);
  p.CursorLine = p.FirstPar->line;
  p.CursorOffset = 1;
  TStringStream s2("{\\rtf1 neu}");
  p.LoadFromStream(&s2);
  EXPECT_EQ(Plain(p), "xy");
}

TEST(TextIo, CopiesBetweenTexts) {
  TWPRTFTextIo src;
  src.Header->FontIndex("Courier New");
  src.BookmarkNames.Add("Marke");
  TWPParagraphRec* p = src.FirstPar;
  AddRun(src, p, "a", Attr(0, 1));
  AddRun(src, p, "auto", Attr(wpsAutomatic));
  AddRun(src, p, "b", Attr(wpsBookmark, 0, 10, 0, 0));
  TWPFootnoteEntry* f = src.AddFootnote('1', nullptr, "Note");
  AddRun(src, p, "1", Attr(wpsFootnote, 0, 10, 0, f->Number));
  auto pic = std::make_unique<TWPPictureObject>();
  pic->Kind = pkMetafile;
  pic->Data = "abc";
  TWPObjectEntry* e = src.AddObject(pic.get(), -1, 100, 200);
  src.OwnedObjects.push_back(std::move(pic));
  AddRun(src, p, "\x01", Attr(wpsObject, 0, 10, 0, e->Number));
  p = NewPar(src);
  p->Align = 2;
  AddRun(src, p, "c", Attr());

  TWPRTFTextIo dst;
  dst.Header->FontIndex("Symbol");  // font 1 differs from the source's
  dst.Assign(&src);
  EXPECT_EQ(ToRtf(dst), ToRtf(src));
  // The picture is a copy of its own, referred to by its second number.
  const TWPLineRec* l = dst.FirstPar->line;
  EXPECT_EQ(l->pc[7], 2);
  const TWPObjectEntry* ce = dst.FindObject(0, l->pa[7].Tag);
  ASSERT_NE(ce, nullptr);
  EXPECT_NE(ce->Obj, e->Obj);

  // The fast append leaves out automatic text while the option is set.
  TWPRTFTextIo app;
  AddRun(app, app.FirstPar, "x", Attr());
  app.OmitAutomatic = true;
  app.AppendCopy(src);
  EXPECT_EQ(Plain(app), "x|a" "b1\x02|c");
  EXPECT_EQ(app.Header->FontName(app.ParagraphAt(1)->line->pa[0].Font), "Courier New");
}

TEST(TextIo, DocumentInformationAndPageFlagsFollowTheText) {
  TWPRTFTextIo t;
  AddRun(t, t.FirstPar, "x", Attr());
  t.Header->Title = "Titel";
  t.Header->Subject = "Betreff";
  t.Header->Comment = "a}b\\c";
  t.Header->FacingPages = true;
  t.Header->Landscape = true;
  // The information follows the page run, before the paragraphs, escaped;
  // the page flags are no part of the written page.
  const std::string rtf = ToRtf(t);
  EXPECT_NE(rtf.find("\\margb1440{\\title Titel}{\\subject\tBetreff}{\\comment\ta\\}b\\\\c}{\\ql"),
            std::string::npos)
      << rtf;
  EXPECT_EQ(rtf.find("\\landscape"), std::string::npos);
  EXPECT_EQ(rtf.find("\\facingp"), std::string::npos);
  TWPRTFTextIo back;
  ASSERT_EQ(FromRtf(back, rtf), 0);
  EXPECT_EQ(back.Header->Title, "Titel");
  EXPECT_EQ(back.Header->Subject, "Betreff");
  EXPECT_EQ(back.Header->Comment, "a}b\\c");
  EXPECT_EQ(Plain(back), "x");
  EXPECT_EQ(ToRtf(back), rtf);

  // A copy takes the source's texts and flags, replacing its own.
  TWPRTFTextIo copy;
  copy.Header->Comment = "alt";
  copy.Assign(&t);
  EXPECT_EQ(copy.Header->Title, "Titel");
  EXPECT_EQ(copy.Header->Comment, "a}b\\c");
  EXPECT_TRUE(copy.Header->FacingPages);
  EXPECT_TRUE(copy.Header->Landscape);
  EXPECT_EQ(ToRtf(copy), rtf);
  // Clearing the text empties them, so nothing is written any more.
  copy.Clear();
  EXPECT_TRUE(copy.Header->Title.empty() && copy.Header->Subject.empty() && copy.Header->Comment.empty());
  EXPECT_FALSE(copy.Header->FacingPages || copy.Header->Landscape);
  EXPECT_EQ(ToRtf(copy).find("{\\title"), std::string::npos);

  // The streamed "Data" property replaces the document with its header.
  TStringStream data("{\\rtf1{\\subject\tNeu}y}");
  t.ReadData(&data);
  EXPECT_TRUE(t.Header->Title.empty());
  EXPECT_EQ(t.Header->Subject, "Neu");
  EXPECT_FALSE(t.Header->Landscape);

  // An insertion keeps the target's page flags; the inserted document's
  // texts only fill the target's empty ones.
  TWPRTFTextIo ins;
  AddRun(ins, ins.FirstPar, "AB", Attr());
  ins.CursorLine = ins.FirstPar->line;
  ins.CursorOffset = 1;
  ins.Header->Title = "Ziel";
  TStringStream s("{\\rtf1\\landscape\\facingp{\\title Quelle}{\\comment\tNeu}x}");
  ins.LoadFromStream(&s);
  EXPECT_EQ(Plain(ins), "AxB");
  EXPECT_EQ(ins.Header->Title, "Ziel");
  EXPECT_EQ(ins.Header->Comment, "Neu");
  EXPECT_FALSE(ins.Header->Landscape);
  EXPECT_FALSE(ins.Header->FacingPages);
}

TEST(TextIo, PositionsAndCursor) {
  TWPRTFTextIo t;
  AddRun(t, t.FirstPar, "abc", Attr());
  TWPParagraphRec* p = NewPar(t);
  AddRun(t, p, "de", Attr());
  TWPLineRec* l2 = nullptr;
  t.NewTextLine(l2 = p->line, 8);
  AddRun(t, p, "fg", Attr());
  t.MoveCursorToPosition(7, -1);  // "abc" + end + "de" + 'f'
  int pos = 0, line = 0;
  t.CursorCharPosition(pos, line);
  EXPECT_EQ(pos, 7);
  EXPECT_EQ(t.CursorPar, p);
  EXPECT_EQ(t.CursorLine, l2);
  EXPECT_EQ(t.CursorOffset, 1);
}

class RefusingStream : public TStringStream {
public:
  int Write(const void*, int count) override { return count > 3 ? 3 : count; }
};

class SelectedText : public TWPRTFTextIo {
public:
  TWPParagraphRec *p1 = nullptr, *p2 = nullptr;
  TWPLineRec *l1 = nullptr, *l2 = nullptr;
  int o1 = 0, o2 = 0;
  bool GetSelection(TWPParagraphRec*& a, TWPLineRec*& b, int& c, TWPParagraphRec*& d, TWPLineRec*& e,
                    int& f) const override {
    if (!p1) return false;
    a = p1, b = l1, c = o1, d = p2, e = l2, f = o2;
    return true;
  }
};

TEST(TextIo, WritersPlainTextSelectionAndShortWrites) {
  SelectedText t;
  AddRun(t, t.FirstPar, "eins", Attr());
  AddRun(t, NewPar(t), "zwei", Attr());
  AddRun(t, NewPar(t), "drei", Attr());
  TStringStream none;
  t.SaveSelectionToStream(&none);
  EXPECT_EQ(none.DataString(), "");
  t.SaveFormat = FormatANSI;
  t.p1 = t.FirstPar;
  t.l1 = t.p1->line;
  t.o1 = 2;
  t.p2 = t.ParagraphAt(2);
  t.l2 = t.p2->line;
  t.o2 = 1;
  TStringStream sel;
  t.SaveSelectionToStream(&sel);
  EXPECT_EQ(sel.DataString(), std::string("ns\r\nzwei\r\nd\0", 12));
  TWPRtfStrings strings(&t);
  EXPECT_EQ(strings.Count(), 3);
  EXPECT_EQ(strings.Strings(1), "zwei");
  RefusingStream bad;
  t.SaveFormat = FormatRTF;
  t.SaveToStream(&bad);
  EXPECT_EQ(t.LastResult, wrShortWrite);
  // A storage component owns a copy of what it is given.
  TWPRtfStorage storage(nullptr);
  storage.SetRtfText(&t);
  EXPECT_EQ(Plain(*storage.RtfText()), "eins|zwei|drei");
  EXPECT_NE(storage.RtfText(), &t);
  TWPRTFTextIo empty;
  TWPRtfStrings es(&empty);
  EXPECT_EQ(es.Count(), 0);
  TStringStream in("x\r\ny");
  es.LoadFromStream(&in);
  EXPECT_EQ(es.Count(), 2);
}

TEST(TextIo, StringListDetectsTheFormatThroughTheBaseClass) {
  TWPRTFTextIo t;
  TWPRtfStrings list(&t);
  TStrings& base = list;
  const std::string rtf = "{\\rtf1 eins\\par {\\b zwei}}";
  TStringStream in(rtf);
  base.LoadFromStream(&in);
  ASSERT_EQ(base.Count(), 2);
  EXPECT_EQ(base.Strings(0), "eins");
  EXPECT_EQ(base.Strings(1), "zwei");
  EXPECT_EQ(t.ParagraphAt(1)->line->pa[0].Style, wpsBold);
  // Loading a file goes the same way, replacing what was there.
  const std::string name = TempName("liste.rtf");
  {
    TFileStream f(name, fmCreate);
    const std::string other = "\r\n {\\rtf1 drei}";
    f.WriteBuffer(other.data(), static_cast<int>(other.size()));
  }
  base.LoadFromFile(name);
  ASSERT_EQ(base.Count(), 1);
  EXPECT_EQ(base.Strings(0), "drei");
  // Saving through the base class writes the paragraphs as plain text.
  base.SaveToFile(name);
  TWPRTFTextIo plain;
  TWPRtfStrings again(&plain);
  static_cast<TStrings&>(again).LoadFromFile(name);
  EXPECT_EQ(again.Count(), 1);
  EXPECT_EQ(again.Strings(0).substr(0, 4), "drei");
  std::remove(name.c_str());
}

// A text shown in a window whose lines wrap to the window's width.
class WindowText : public TWPRTFTextIo {
public:
  int32_t window = 0;
  int32_t WindowWrapWidth() const override { return window; }
};

TEST(TextIo, AssignTakesTheWindowWidthWhileLinesWrapToIt) {
  TWPRTFTextIo src;
  AddRun(src, src.FirstPar, "x", Attr());
  src.Header->MarginLeft = src.Header->MarginRight = 1440;
  WindowText dst;
  dst.Header->SetResolution(96, 96);
  dst.window = 300;
  dst.Assign(&src);
  EXPECT_EQ(dst.Header->LayoutWidth, 300);
  EXPECT_EQ(dst.Header->LayoutWidthTwips, 4500);
  // Without a window to wrap to, the page's printable width.
  dst.window = 0;
  dst.Assign(&src);
  EXPECT_EQ(dst.Header->LayoutWidthTwips, 12240 - 2 * 1440);
  EXPECT_EQ(dst.Header->LayoutWidth, 624);
}

TEST(TextIo, ASelectionEndingInsideATableRowEndsTheRow) {
  SelectedText t;
  for (int i = 0; i < 3; ++i) {
    TWPParagraphRec* p = i == 0 ? t.FirstPar : NewPar(t);
    p->Flags = wppTableCell | (i > 0 ? wppRowContinues : 0) | (i < 2 ? wppRowGoesOn : 0);
    p->ColStart = static_cast<uint8_t>(i * 85);
    p->ColWidth = 85;
    AddRun(t, p, std::string(1, static_cast<char>('a' + i)), Attr());
  }
  t.SaveFormat = FormatRTF;
  t.p1 = t.FirstPar;
  t.l1 = t.p1->line;
  t.p2 = t.ParagraphAt(1);
  t.l2 = t.p2->line;
  t.o2 = 1;
  TStringStream sel;
  t.SaveSelectionToStream(&sel);
  const std::string rtf = sel.DataString();
  EXPECT_NE(rtf.find("b\\cell\\row}"), std::string::npos) << rtf;
  TWPRTFTextIo back;
  ASSERT_EQ(FromRtf(back, rtf), 0);
  EXPECT_EQ(Plain(back), "a|b|");
  EXPECT_EQ(back.ParagraphAt(1)->Flags & 0xF, wppTableCell | wppRowContinues);
}

}  // namespace

// Golden files: documents built by code must be written byte for byte as
// the files hold them, and the files must read back into the same model.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/richtext_io/io_helpers.h"

using namespace rtio_test;

namespace {

std::string Golden(const std::string& name) {
  std::ifstream f(SourceDir() + "/tests/richtext_io/golden/" + name, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// Writes the document, compares with the file, reads the file back and
// compares the models; with `rewrite` also the bytes of a second write.
void CheckGolden(TWPRTFTextIo& doc, const std::string& name, bool rewrite = true) {
  const std::string expected = Golden(name);
  ASSERT_FALSE(expected.empty()) << name;
  EXPECT_EQ(ToRtf(doc), expected) << name;
  TWPRTFTextIo back;
  ASSERT_EQ(FromRtf(back, expected), 0) << name;
  EXPECT_TRUE(back.CheckChains()) << name;
  if (rewrite) {
    EXPECT_EQ(Dump(back), Dump(doc)) << name;
    EXPECT_EQ(ToRtf(back), expected) << name;
  }
}

TEST(Golden, EmptyDocumentAndInformation) {
  TWPRTFTextIo t;
  CheckGolden(t, "empty.rtf");
  EXPECT_FALSE(t.HasData());
  t.Header->Title = "Titel";
  t.Header->Subject = "\xDC" "ber";
  t.Header->Comment = "a{b}";
  CheckGolden(t, "info.rtf");
  t.Header->UnitsInch = false;  // the file says where the layout puts the default tab stops
  t.Header->SetResolution(1440, 1440);
  EXPECT_NE(ToRtf(t).find("\\deftab" + std::to_string(t.Header->DefaultTabWidth) + "{"), std::string::npos);
}

TEST(Golden, RunsStylesEscapesAndHyperlink) {
  TWPRTFTextIo t;
  t.Header->FontFamily[0] = 0x22;
  t.Header->FontIndex("Times New Roman");
  t.Header->FontFamily[1] = 0x12;
  TWPParagraphRec* p = t.FirstPar;
  AddRun(t, p, "Text ", Attr(0, 0, 12));
  AddRun(t, p, "fett", Attr(wpsBold, 0, 12));
  AddRun(t, p, std::string("{x}\\\t\n\xE4\x02\x7F"), Attr(0, 0, 12));
  AddRun(t, p, "rot", Attr(0, 1, 12, 0x21));
  AddRun(t, p, "alle",
         Attr(wpsBold | wpsUnderline | wpsHyperlink | wpsSuperScript | wpsSubScript | wpsItalic | wpsStrikeOut |
                  wpsProtected | wpsHidden,
              0, 12));
  p = NewPar(t);
  AddRun(t, p, "Anna Muster", Attr(wpsHyperlink, 0, 0));
  AddRun(t, p, "p:17", Attr(wpsHidden, 0, 0));
  const std::string expected = Golden("runs.rtf");
  EXPECT_EQ(ToRtf(t), expected);
  // Read back: code 2 is dropped and size 0 becomes 10, the rest stays.
  TWPRTFTextIo back;
  ASSERT_EQ(FromRtf(back, expected), 0);
  AnsiString s;
  back.GetParagraphText(0, s);
  EXPECT_EQ(s, std::string("Text fett{x}\\\t\n\xE4\x7Frotalle"));
  back.GetParagraphText(1, s);
  EXPECT_EQ(s, "Anna Musterp:17");
  const TWPLineRec* l = back.ParagraphAt(1)->line;
  EXPECT_EQ(l->pa[0].Style, wpsHyperlink);
  EXPECT_EQ(l->pa[0].Size, 10);
  EXPECT_EQ(l->pa[11].Style, wpsHidden);
  EXPECT_EQ(back.Header->FontName(back.ParagraphAt(0)->line->pa[18].Font), "Times New Roman");
  EXPECT_EQ(back.ParagraphAt(0)->line->pa[18].Colors, 0x21);
  EXPECT_EQ(ToRtf(back), expected);
}

TEST(Golden, InsertPointsAutomaticTextAndRtfCode) {
  TWPRTFTextIo t;
  TWPParagraphRec* p = t.FirstPar;
  AddRun(t, p, "X", Attr(wpsInsertPoint, 0, 10, 0, 5));
  AddRun(t, p, "Name", Attr(wpsAutomatic));
  AddRun(t, p, " und ", Attr());
  AddRun(t, p, "{\\b fett}", Attr(wpsRtfCode));
  p = NewPar(t);
  AddRun(t, p, "ende", Attr());
  CheckGolden(t, "fields.rtf");
  // Leaving insert points and automatic text out drops characters and words.
  t.OmitInsertPoints = true;
  t.OmitAutomatic = true;
  const std::string s = ToRtf(t);
  EXPECT_EQ(s.find("inspnt"), std::string::npos);
  EXPECT_EQ(s.find("inaut"), std::string::npos);
  EXPECT_EQ(s.find("Name"), std::string::npos);
  EXPECT_NE(s.find(" und "), std::string::npos);
}

TEST(Golden, ParagraphPropertiesTabsBordersShading) {
  TWPRTFTextIo t;
  TWPParagraphRec* p = t.FirstPar;
  p->Align = 2;
  p->LeftIndent = 720;
  p->FirstIndent = 1440;
  p->RightIndent = 360;
  p->SpaceBefore = 120;
  p->SpaceAfter = 240;
  AddRun(t, p, "A", Attr());
  p = NewPar(t);
  p->Flags = wppPageBreak | wppKeepTogether;
  p->Align = 1;
  p->LineSpacing = -240;
  AddRun(t, p, "B", Attr());
  p = NewPar(t);
  p->Align = 3;
  t.Header->AddTab(tkRight, 2880);
  t.Header->AddTab(tkLeft, 1440);
  p->Tabs = 0x3;
  AddRun(t, p, "C\tD", Attr());
  p = NewPar(t);
  p->BorderFlags = kBrdHas | kBrdBox | kBrdDouble;
  p->BorderStyle = kBrdDotted >> 8;
  p->BorderWidth = 2;
  p->BorderColor = 0x23;
  AddRun(t, p, "E", Attr());
  p = NewPar(t);
  p->Shading = 0x52;
  p->ShadingPercent = 25;
  AddRun(t, p, "F", Attr());
  p = NewPar(t);
  AddRun(t, p, "G", Attr());
  CheckGolden(t, "paragraph.rtf");
}

TEST(Golden, TableRowsAreWrittenAsOtherReadersExpectThem) {
  TWPRTFTextIo t;
  const char* texts[] = {"a", "b", "c", "d"};
  for (int i = 0; i < 4; ++i) {
    TWPParagraphRec* p = i == 0 ? t.FirstPar : NewPar(t);
    const bool first = i % 2 == 0;
    p->Flags = wppTableCell | (first ? wppRowGoesOn : wppRowContinues);
    p->ColStart = first ? 0 : 100;
    p->ColWidth = first ? 100 : 155;
    if (first) {
      p->BorderFlags = kBrdHas | kBrdBox | kBrdTop | kBrdBottom | kBrdLeft | kBrdRight;
      p->BorderWidth = 1;
    } else {
      p->Shading = 0x31;
    }
    AddRun(t, p, texts[i], Attr());
  }
  AddRun(t, NewPar(t), "e", Attr());
  CheckGolden(t, "table.rtf");
  TWPRTFTextIo back;
  FromRtf(back, Golden("table.rtf"));
  // Cells are laid out over the printable width from the row's edges.
  const TWPParagraphRec* b = back.ParagraphAt(1);
  EXPECT_EQ(b->ColStart, 100);
  EXPECT_EQ(b->ColWidth, 155);
  EXPECT_EQ(b->Flags & (wppTableCell | wppRowContinues | wppRowGoesOn), wppTableCell | wppRowContinues);
  EXPECT_EQ(back.ParagraphAt(0)->BorderFlags & kBrdBox, kBrdBox);
  // Each row is its definition, the cells and "\row", with no group closing
  // in between (readers of other programs lose the table otherwise).
  const std::string rtf = ToRtf(t);
  int rows = 0;
  for (size_t at = 0; (at = rtf.find("\\trowd", at)) != std::string::npos; ++at) {
    const size_t end = rtf.find("\\row", at + 6);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(rtf.substr(at, end - at).find('}'), std::string::npos) << rtf.substr(at, end - at);
    EXPECT_EQ(rtf.compare(end, 5, "\\row}"), 0);
    ++rows;
  }
  EXPECT_EQ(rows, 2);
  // The layout of older files, each cell in a group that closes inside the
  // row and the second row sharing the first one's definition, reads into
  // the same table.
  TWPRTFTextIo grouped;
  ASSERT_EQ(FromRtf(grouped, Golden("table_grouped.rtf")), 0);
  EXPECT_EQ(Dump(grouped), Dump(t));
}

TEST(Golden, PicturesAndObjects) {
  TWPRTFTextIo t;
  TWPParagraphRec* p = t.FirstPar;
  auto add = [&](std::unique_ptr<TWPPictureObject> pic) {
    TWPObjectEntry* e = t.AddObject(pic.get(), -1, pic->GoalWidth, pic->GoalHeight);
    t.OwnedObjects.push_back(std::move(pic));
    AddRun(t, p, "\x01", Attr(wpsObject, 0, 10, 0, e->Number));
  };
  auto dib = std::make_unique<TWPPictureObject>();
  dib->Kind = pkDIB;
  dib->Data = std::string("\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0", 16) + std::string(24, '\0') +
              std::string("\0\0\xff\0", 4);
  dib->PixWidth = dib->PixHeight = 1;
  dib->GoalWidth = dib->GoalHeight = 15;
  dib->BitsPerPixel = 24;
  dib->WidthBytes = 4;
  add(std::move(dib));
  auto ddb = std::make_unique<TWPPictureObject>();
  ddb->Kind = pkDDB;
  ddb->Data = std::string("\xff\0", 2);
  ddb->PixWidth = 8;
  ddb->PixHeight = 1;
  ddb->GoalWidth = 120;
  ddb->GoalHeight = 15;
  ddb->BitsPerPixel = 1;
  ddb->WidthBytes = 2;
  add(std::move(ddb));
  auto wmf = std::make_unique<TWPPictureObject>();
  wmf->Kind = pkMetafile;
  wmf->Data = std::string("\x01\0\x09\0\0", 5);
  wmf->PixWidth = 100;
  wmf->PixHeight = 50;
  wmf->GoalWidth = 1500;
  wmf->GoalHeight = 750;
  add(std::move(wmf));
  TWPObjectEntry* e = t.AddObject(nullptr, 3000, 500, 400);
  AddRun(t, p, "\x01", Attr(wpsObject, 0, 10, 0, e->Number));
  AddRun(t, p, "x", Attr());
  CheckGolden(t, "picture.rtf");
}

TEST(Golden, FootnotesWithEscapedTextAndRtfText) {
  TWPRTFTextIo t;
  TWPParagraphRec* p = t.FirstPar;
  AddRun(t, p, "Text", Attr());
  TWPFootnoteEntry* f1 = t.AddFootnote('1', nullptr, "Fu\xDFnote {1}");
  AddRun(t, p, "1", Attr(wpsFootnote, 0, 10, 0, f1->Number));
  AddRun(t, p, " mehr", Attr());
  const AnsiString rtf = "{\\i kursiv}";
  TWPFootnoteEntry* f2 = t.AddFootnote('2', &rtf, "");
  AddRun(t, p, "2", Attr(wpsFootnote, 0, 10, 0, f2->Number));
  CheckGolden(t, "footnote.rtf", false);
  // The RTF text of the second footnote reads back as its plain text.
  TWPRTFTextIo back;
  ASSERT_EQ(FromRtf(back, Golden("footnote.rtf")), 0);
  ASSERT_NE(back.FindFootnote(1), nullptr);
  EXPECT_EQ(back.FindFootnote(1)->Text, "Fu\xDFnote {1}");
  EXPECT_EQ(back.FindFootnote(1)->MarkChar, '1');
  ASSERT_NE(back.FindFootnote(2), nullptr);
  EXPECT_EQ(back.FindFootnote(2)->Text, "kursiv");
  const TWPLineRec* l = back.FirstPar->line;
  EXPECT_EQ(std::string(l->pc, l->Length), "Text1 mehr2");
  EXPECT_EQ(l->pa[4].Style, wpsFootnote);
  EXPECT_EQ(l->pa[4].Tag, 1);
  EXPECT_EQ(l->pa[10].Tag, 2);
}

TEST(Golden, BookmarksByNameAndNumber) {
  TWPRTFTextIo t;
  t.BookmarkNames.Add("Start");
  TWPParagraphRec* p = t.FirstPar;
  AddRun(t, p, "a", Attr());
  AddRun(t, p, "bc", Attr(wpsBookmark, 0, 10, 0, 0));
  AddRun(t, p, "d", Attr());
  AddRun(t, p, "e", Attr(wpsBookmark, 0, 10, 0, 5));
  CheckGolden(t, "bookmark.rtf", false);
  TWPRTFTextIo back;
  ASSERT_EQ(FromRtf(back, Golden("bookmark.rtf")), 0);
  ASSERT_EQ(back.BookmarkNames.Count(), 2);
  EXPECT_EQ(back.BookmarkNames.Strings(1), "BM5");
  const TWPLineRec* l = back.FirstPar->line;
  EXPECT_EQ(l->pa[0].Style, 0u);
  EXPECT_EQ(l->pa[1].Style, wpsBookmark);
  EXPECT_EQ(l->pa[2].Tag, 0);
  EXPECT_EQ(l->pa[3].Style, 0u);
  EXPECT_EQ(l->pa[4].Style, wpsBookmark);
  EXPECT_EQ(l->pa[4].Tag, 1);
  EXPECT_EQ(ToRtf(back), Golden("bookmark.rtf"));
}

}  // namespace

// The RTF and plain-text readers on hand-written input: tokenizer rules,
// destinations, clamping, pictures, Unicode escapes, result codes and the
// stream position after reading.
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include "platform/gfx/bitmap.h"
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

const TWPAttrRecord& At(const TWPRTFTextIo& t, int par, int index) {
  const TWPLineRec* l = t.ParagraphAt(par)->line;
  while (index >= l->Length) {
    index -= l->Length;
    l = l->next;
  }
  return l->pa[index];
}

// The table cells of a text: flags (0x8 cell, 0x4 row goes on, 0x2 further
// cell), column start and width in 255ths.
std::string Cells(const TWPRTFTextIo& t) {
  std::string s;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next)
    if (p->Flags & wppTableCell)
      s += (s.empty() ? "" : " ") + std::to_string(p->Flags & 0xF) + ":" + std::to_string(p->ColStart) + "+" +
           std::to_string(p->ColWidth);
  return s;
}

TEST(RtfReader, ControlWordsAndGroups) {
  TWPRTFTextIo t;
  // Words back to back both act; "\b0" clears; a group restores.
  ASSERT_EQ(FromRtf(t, "{\\rtf1 \\b\\i x{\\b0 y}z}"), 0);
  EXPECT_EQ(Plain(t), "xyz");
  EXPECT_EQ(At(t, 0, 0).Style, wpsBold | wpsItalic);
  EXPECT_EQ(At(t, 0, 1).Style, wpsItalic);
  EXPECT_EQ(At(t, 0, 2).Style, wpsBold | wpsItalic);
  // Unknown words: skipped with their group after "\*", ignored otherwise.
  ASSERT_EQ(FromRtf(t, "{\\rtf1 a{\\*\\unknownword hidden{inner}}b{\\otherword kept}c}"), 0);
  EXPECT_EQ(Plain(t), "abkeptc");
  // Skipped destinations and fields.
  ASSERT_EQ(FromRtf(t, "{\\rtf1{\\stylesheet{\\s1 Normal;}}{\\info{\\author X}}{\\field{\\*\\fldinst HYPERLINK}{\\fldrslt Link}}}"), 0);
  EXPECT_EQ(Plain(t), "Link");
  // Literal braces and backslashes, typographic characters as the code page has them, tab and line break.
  ASSERT_EQ(FromRtf(t, "{\\rtf1 \\{\\}\\\\\\ldblquote q\\rdblquote \\lquote\\endash\\tab\\line x\r\n}"), 0);
  EXPECT_EQ(Plain(t), "{}\\\x93q\x94\x91\x96\t\nx");
  ASSERT_EQ(FromRtf(t, "{\\rtf1 Frau\\~M\\_N\\-O\\rquote\\emdash\\bullet}"), 0);
  // The optional hyphen is the code page's soft hyphen.
  EXPECT_EQ(Plain(t), "Frau\xA0M-N\xADO\x92\x97\x95");
}

TEST(RtfReader, NumbersAreClampedToTheirFields) {
  TWPRTFTextIo t;
  ASSERT_EQ(FromRtf(t, "{\\rtf1 \\fs1000 a\\fs0 b\\fs c\\cf99 d\\cf3\\cb20 e\\li-100\\fi-5000000000 f}"), 0);
  EXPECT_EQ(At(t, 0, 0).Size, 255);
  EXPECT_EQ(At(t, 0, 1).Size, 10);
  EXPECT_EQ(At(t, 0, 2).Size, 50);
  EXPECT_EQ(At(t, 0, 3).Colors, 0);
  EXPECT_EQ(At(t, 0, 4).Colors, 3);
  EXPECT_EQ(t.FirstPar->LeftIndent, 0);
  EXPECT_EQ(t.FirstPar->FirstIndent, -1000000);
  // Page words without a number take their defaults.
  ASSERT_EQ(FromRtf(t, "{\\rtf1\\paperw5000\\paperh\\margl0 x}"), 0);
  EXPECT_EQ(t.Header->PageWidth, 5000);
  EXPECT_EQ(t.Header->PageHeight, 15840);
  EXPECT_EQ(t.Header->MarginLeft, 0);
}

TEST(RtfReader, FontTablesMapNumbersToTheHeader) {
  TWPRTFTextIo t;
  ASSERT_EQ(FromRtf(t, "{\\rtf1{\\fonttbl{\\f0\\fswiss\\charset0 Helvetica;}{\\f7 Courier;}{\\f200 Bad;}}"
                       "a\\f7 b\\f0 c\\f3 d}"), 0);
  EXPECT_EQ(t.Header->FontName(At(t, 0, 0).Font), "Helvetica");
  EXPECT_EQ(t.Header->FontName(At(t, 0, 1).Font), "Courier");
  EXPECT_EQ(t.Header->FontName(At(t, 0, 2).Font), "Helvetica");
  EXPECT_EQ(t.Header->FontName(At(t, 0, 3).Font), "Arial");  // an undefined number: font 0 of the header
  const int courier = At(t, 0, 1).Font;
  EXPECT_EQ(t.Header->FontFamily[courier], 0);  // the family of the font before is not carried over
  EXPECT_EQ(t.Header->FontFamily[At(t, 0, 0).Font], 0x20);
  // An existing name is found again, whatever its case.
  TWPRTFTextIo u;
  ASSERT_EQ(FromRtf(u, "{\\rtf1{\\fonttbl{\\f0 ARIAL;}{\\f1 Symbol;}}\\f1 x}"), 0);
  EXPECT_EQ(At(u, 0, 0).Font, 1);
  EXPECT_EQ(u.Header->FontNames[0], "Arial");
}

TEST(RtfReader, ColourTables) {
  TWPRTFTextIo t;
  // The usual convention with a leading ";" shifts the entries by one.
  ASSERT_EQ(FromRtf(t, "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 x}"), 0);
  EXPECT_EQ(t.Header->Colors[0], 0u);
  EXPECT_EQ(t.Header->Colors[1], 0x0000FFu);
  // After "auto" and its 16 colours a word processor lists the text's: a text in 13 of them (6 beyond
  // the 16th) keeps each; one in 20 keeps 15 (black, as "auto", holds a slot), 5 take the nearest.
  std::string tbl = "{\\rtf1{\\colortbl;";
  for (int i = 1; i <= 21; ++i) tbl += "\\red" + std::to_string(i * 12) + "\\green9\\blue0;";
  for (const int used : {13, 20}) {
    std::string doc = tbl + "}";
    for (int i = 21; i > 21 - used; --i) doc += "{\\cf" + std::to_string(i) + " x}";
    ASSERT_EQ(FromRtf(t, doc + "}"), 0);
    for (int i = 0; i < 15 && i < used; ++i) EXPECT_EQ(t.Header->Colors[At(t, 0, i).Colors], RGB(252 - 12 * i, 9, 0));
    EXPECT_EQ(t.LastColorsChanged, std::max(used - 15, 0));
  }
}

TEST(RtfReader, StopsAfterTheOutermostGroup) {
  TWPRTFTextIo t;
  TStringStream s("{\\rtf1 a{b}c}TAIL");
  TWPRtfReader r;
  r.TakeStream(&s);
  t.Clear();
  t.ReadWith(&r);
  EXPECT_EQ(t.LastResult, 0);
  EXPECT_EQ(Plain(t), "abc");
  EXPECT_EQ(s.Position(), 13);
  EXPECT_EQ(s.ReadString(4), "TAIL");
  // A NUL ends the reading; a closing brace without group gives 1; the end
  // of the input inside a control word gives 7; the text read stays.
  EXPECT_EQ(FromRtf(t, std::string("{\\rtf1 ab\0cd}", 13)), 0);
  EXPECT_EQ(Plain(t), "ab");
  EXPECT_EQ(FromRtf(t, "}{\\rtf1 x}"), 1);
  EXPECT_EQ(FromRtf(t, "{\\rtf1 xy\\b"), 7);
  EXPECT_EQ(Plain(t), "xy");
}

TEST(RtfReader, HexEscapesUnicodeAndBinaryData) {
  TWPRTFTextIo t;
  ASSERT_EQ(FromRtf(t, "{\\rtf1 \\'e4\\'C4\\'g1x}"), 0);
  EXPECT_EQ(Plain(t), "\xE4\xC4g1x");
  // Unicode escapes map to the code page, fold or are left out as pasted
  // text, and skip their fallback.
  ASSERT_EQ(FromRtf(t, "{\\rtf1 \\u228?\\u8364?\\uc2\\u246\\'3f\\'3f \\uc1\\u20013?\\u321?\\u-10179?\\u-8704?.}"), 0);
  EXPECT_EQ(Plain(t), "\xE4\x80\xF6 L.");
  EXPECT_EQ(t.LastLeftOut, U"\u4E2D\U0001F600");
  // The Symbol font's bullets are the bullet; a bare "\\'01" is left out
  // as a control character, after an object's words it is the object.
  ASSERT_EQ(FromRtf(t, "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}{\\listtext\\u61623\\'b7\\tab}a\\u61589?b"
                      "\\'01c\\wpobjtag7\\wpobjh9 \\'01{\\listtext\\f1 \\'b7\\tab}\\f0 \\'b7}"),
            0);
  EXPECT_EQ(Plain(t), "\x95\ta\x95" "bc\x01\x95\t\xB7");  // a middle dot stays one outside Symbol
  EXPECT_EQ(ToRtf(t).find("\\'01"), ToRtf(t).rfind("\\'01"));
  // "\bin" data is skipped whole, braces included.
  ASSERT_EQ(FromRtf(t, "{\\rtf1 a{\\*\\blipuid x}\\bin4 {}\\}b}"), 0);
  EXPECT_EQ(Plain(t), "ab");
}

TEST(RtfReader, RtfCodeRunsAreVerbatim) {
  TWPRTFTextIo t;
  ASSERT_EQ(FromRtf(t, "{\\rtf1 a\\wprtf1 {\\b x}\\wpr\\par\\wprtf0 b}"), 0);
  EXPECT_EQ(Plain(t), "a{\\b x}\\wpr\\parb");
  EXPECT_EQ(At(t, 0, 1).Style, wpsRtfCode);
  EXPECT_EQ(At(t, 0, 14).Style, wpsRtfCode);
  EXPECT_EQ(At(t, 0, 15).Style, 0u);
}

TEST(RtfReader, PicturesAreCheckedAgainstTheirData) {
  TWPRTFTextIo t;
  // Upper-case picture data is taken; a DDB of 2x2 rows of 2 bytes fits.
  ASSERT_EQ(FromRtf(t, "{\\rtf1{\\pict\\wbitmap0\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2\\picw16\\pich2"
                       "\\picwgoal240\\pichgoal30 FF00AA55}}"), 0);
  ASSERT_EQ(Plain(t), "\x01");
  const TWPObjectEntry* e = t.FindObject(At(t, 0, 0).Tag, 0);
  ASSERT_NE(e, nullptr);
  const auto* pic = dynamic_cast<const TWPPictureObject*>(e->Obj);
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->Data, std::string("\xFF\x00\xAA\x55", 4));
  EXPECT_EQ(e->Width, 240);
  // Layouts the data does not cover leave a placeholder of the display size.
  for (const char* bad : {"{\\rtf1{\\pict\\wbitmap0\\wbmbitspixel8\\wbmwidthbytes400\\picw400\\pich400\\picwgoal100\\pichgoal50 ff}}",
                          "{\\rtf1{\\pict\\dibitmap0\\picwgoal100\\pichgoal50 28000000ffffff7f01000000010018}}",
                          "{\\rtf1{\\pict\\pngblip\\picwgoal100\\pichgoal50\\picscalex200 89504e47}}"}) {
    ASSERT_EQ(FromRtf(t, bad), 0) << bad;
    ASSERT_EQ(Plain(t), "\x01") << bad;
    const TWPObjectEntry* b = t.FindObject(At(t, 0, 0).Tag, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Obj, nullptr) << bad;
    EXPECT_EQ(b->Height, 50);
  }
  EXPECT_EQ(t.FindObject(At(t, 0, 0).Tag, 0)->Width, 200);
}

TEST(RtfReader, PicturesBecomeGraphics) {
  TWPRTFTextIo t;
  // A 2x1 device-independent bitmap (red, blue) and a 10x2 monochrome DDB.
  const std::string rtf =
      "{\\rtf1{\\pict\\dibitmap0\\picw2\\pich1 28000000020000000100000001001800"
      "000000000000000000000000000000000000000000000000"
      "0000ffff00000000}"
      "{\\pict\\wbitmap0\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2\\picw10\\pich2 ffc000000000}"
      "{\\pict\\wmetafile8\\picw300\\pich200\\picwgoal1440\\pichgoal720 "
      "010009000003" "0c000000" "0000" "03000000" "0000" "030000000000}}";
  ASSERT_EQ(FromRtf(t, rtf), 0);
  std::vector<const TWPPictureObject*> pics;
  for (const TWPObjectEntry* e = t.FirstObject; e; e = e->next)
    if (const auto* p = dynamic_cast<const TWPPictureObject*>(e->Obj)) pics.push_back(p);
  ASSERT_EQ(pics.size(), 3u);
  auto dib = pics[0]->MakeGraphic();
  auto* bmp = dynamic_cast<TBitmap*>(dib.get());
  ASSERT_NE(bmp, nullptr);
  ASSERT_EQ(bmp->Width(), 2);
  EXPECT_EQ(bmp->Surface().Bits()[0] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(bmp->Surface().Bits()[1] & 0xFFFFFF, 0x0000FFu);
  auto ddb = pics[1]->MakeGraphic();
  auto* mono = dynamic_cast<TBitmap*>(ddb.get());
  ASSERT_NE(mono, nullptr);
  EXPECT_EQ(mono->Width(), 10);
  EXPECT_EQ(mono->Surface().Bits()[0] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(mono->Surface().Bits()[9] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(mono->Surface().Bits()[10 + 3] & 0xFFFFFF, 0u);
  auto wmf = pics[2]->MakeGraphic();
  ASSERT_NE(wmf, nullptr);
  EXPECT_EQ(wmf->Width(), 96);  // one inch
  EXPECT_EQ(wmf->Height(), 48);
  // The placeable header: key, box, units, and the XOR of its ten words.
  const std::string placeable = pics[2]->PlaceableMetafile();
  ASSERT_EQ(placeable.size(), 24u + 22u);
  uint16_t sum = 0;
  for (int i = 0; i < 10; ++i)
    sum ^= static_cast<uint16_t>(static_cast<unsigned char>(placeable[2 * i]) |
                                 static_cast<unsigned char>(placeable[2 * i + 1]) << 8);
  EXPECT_EQ(sum, static_cast<uint16_t>(static_cast<unsigned char>(placeable[20]) |
                                       static_cast<unsigned char>(placeable[21]) << 8));
  EXPECT_EQ(placeable.substr(0, 4), "\xD7\xCD\xC6\x9A");
  EXPECT_EQ(placeable.substr(22), pics[2]->Data);
}

TEST(RtfReader, PictureFilesAreLoadedOrKeptAsReferences) {
  const std::string bmp = "/tmp/rtio_" + std::to_string(getpid()) + "_bild.bmp";
  std::string dib = std::string("\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0", 16) + std::string(24, '\0') +
                    std::string("\0\0\xff\0", 4);
  std::string file = "BM" + std::string(12, '\0') + dib;
  {
    TMemoryStream m;
    m.Write(file.data(), static_cast<int>(file.size()));
    m.SaveToFile(bmp);
  }
  TWPRTFTextIo t;
  ASSERT_EQ(FromRtf(t, "{\\rtf1{\\*\\picfile\\picwgoal100\\pichgoal80\t\"" + bmp + "\"}}"), 0);
  const TWPObjectEntry* e = t.FindObject(At(t, 0, 0).Tag, 0);
  ASSERT_NE(e, nullptr);
  const auto* pic = dynamic_cast<const TWPPictureObject*>(e->Obj);
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->Kind, pkDIB);
  EXPECT_EQ(pic->Data, dib);
  EXPECT_EQ(e->Width, 100);
  // Written with pictures as files, the reference comes back.
  t.PicturesAsFiles = true;
  const std::string out = ToRtf(t);
  EXPECT_NE(out.find("{\\*\\picfile\\picw0\\pich0\\picwgoal100\\pichgoal80\t\"" + bmp + "\"}"), std::string::npos);
  std::remove(bmp.c_str());
  // A missing file keeps its reference.
  ASSERT_EQ(FromRtf(t, out), 0);
  const TWPObjectEntry* m = nullptr;
  for (const TWPObjectEntry* x = t.FirstObject; x; x = x->next) m = x;
  ASSERT_NE(m, nullptr);
  const auto* ref = dynamic_cast<const TWPPictureObject*>(m->Obj);
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(ref->Kind, pkFile);
  EXPECT_EQ(ref->FileName, bmp);
  EXPECT_NE(ToRtf(t).find("picfile"), std::string::npos);
}

TEST(RtfReader, TablesFromOtherWriters) {
  TWPRTFTextIo t;
  // "\pard" between the row definition and the cells keeps the edges; a
  // "\par" inside a cell is a line break.
  ASSERT_EQ(FromRtf(t, "{\\rtf1\\paperw12240\\margl1440\\margr1440 \\trowd\\clbrdrt\\brdrw10\\cellx2200\\cellx8800"
                       "\\pard\\intbl a\\par b\\cell\\pard\\intbl c\\cell\\row\\pard after\\par}"), 0);
  EXPECT_EQ(Plain(t), "a\nb|c|after|");
  EXPECT_EQ(Cells(t), "12:0+64 10:64+191");  // 2200 of 8800
  EXPECT_EQ(t.FirstPar->RightIndent, 9360 - 8800);
  EXPECT_EQ(t.FirstPar->BorderWidth, 1) << "half a point: the thinnest border";
  EXPECT_EQ(t.ParagraphAt(2)->Flags & wppTableCell, 0);
  // A cell whose paragraph group closes before "\cell" keeps that group's
  // alignment.
  ASSERT_EQ(FromRtf(t, "{\\rtf1\\trowd\\cellx1000\\cellx2000{\\pard\\intbl\\qc a\\par}\\cell"
                       "{\\pard\\intbl\\qr b\\par}\\cell\\row}"), 0);
  EXPECT_EQ(t.ParagraphAt(0)->Align, 2);
  EXPECT_EQ(t.ParagraphAt(1)->Align, 1);
  // Each cell's text has its own cell's borders, also without "\pard\intbl" before it.
  ASSERT_EQ(FromRtf(t, "{\\rtf1\\trowd\\clbrdrt\\brdrs\\brdrw20\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell\\row}"), 0);
  EXPECT_NE(t.ParagraphAt(0)->BorderFlags, 0);
  EXPECT_EQ(t.ParagraphAt(1)->BorderFlags, 0);
  // More than 50 cells: the rest is ignored without harm.
  std::string wide = "{\\rtf1\\trowd";
  for (int i = 1; i <= 60; ++i) wide += "\\cellx" + std::to_string(i * 100);
  for (int i = 0; i < 60; ++i) wide += "\\intbl x\\cell";
  ASSERT_EQ(FromRtf(t, wide + "\\row}"), 0);
  EXPECT_TRUE(t.CheckChains());
  // A word processor's highlighted word, 1.5 lines and 1.5-point borders: the background as they read it, the
  // spacing proportional, each side with the nearest width; a cell's filling of its row is not its spacing.
  ASSERT_EQ(FromRtf(t, "{\\rtf1{\\colortbl;\\red255\\green255\\blue0;}\\sl360\\slmult1{\\chcbpat1 h}{\\highlight1 g}"
                       "\\par\\sl240 b\\par"
                       "\\pard\\trowd\\clbrdrt\\brdrs\\brdrw30\\clbrdrb\\brdrs\\brdrw30\\cellx2000\\intbl a\\cell\\row}"), 0);
  t.ParagraphAt(2)->SpaceAfter = 270;
  const std::string out = ToRtf(t);
  for (const char* s : {"\\sl360\\slmult1", "\\chcbpat1 hg", "\\clbrdrt\\brdrs\\brdrw40\\clbrdrb\\brdrs\\brdrw40"})
    EXPECT_NE(out.find(s), std::string::npos) << s;
  EXPECT_EQ(out.find("\\sa270"), std::string::npos);
  ASSERT_EQ(FromRtf(t, out), 0);
  EXPECT_FALSE(t.ParagraphAt(1)->Flags & wppLineMultiple);
}

TEST(RtfReader, MergedCellsShareOneParagraph) {
  TWPRTFTextIo t;
  // The second of three cells joins the first: two cell paragraphs, the
  // first spanning both edges.
  const std::string row = "{\\rtf1\\trowd\\clmgf\\cellx2000\\clmrg\\cellx4000\\cellx6000"
                          "\\pard\\intbl A\\cell\\pard\\intbl%s\\cell\\pard\\intbl B\\cell\\row\\pard after}";
  char buf[256];
  std::snprintf(buf, sizeof buf, row.c_str(), "");
  ASSERT_EQ(FromRtf(t, buf), 0);
  EXPECT_EQ(Plain(t), "A|B|after");
  EXPECT_EQ(Cells(t), "12:0+170 10:170+85");  // 4000 of 6000
  // Text in the merged cell is kept, apart from the text it joins.
  std::snprintf(buf, sizeof buf, row.c_str(), " X");
  ASSERT_EQ(FromRtf(t, buf), 0);
  EXPECT_EQ(Plain(t), "A X|B|after");
  // A row merged into one cell is one cell over the whole width.
  ASSERT_EQ(FromRtf(t, "{\\rtf1\\trowd\\cellx3000\\clmrg\\cellx6000\\pard\\intbl A\\cell\\pard\\intbl\\cell\\row}"), 0);
  EXPECT_EQ(Cells(t), "8:0+255");
  EXPECT_TRUE(t.CheckChains());
}

TEST(RtfReader, RunsWithoutASizeAreTwelvePoints) {
  TWPRTFTextIo t;
  ASSERT_EQ(FromRtf(t, "{\\rtf1 a\\fs20 b\\plain c{\\fs30 d}e}"), 0);
  const int sizes[] = {12, 10, 12, 15, 12};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(At(t, 0, i).Size, sizes[i]) << i;
  // Inserted into a text of another size, the start is still 12 points.
  t.WritingAttr.Size = 10;
  TStringStream in("{\\rtf1 z}");
  t.LoadFromStream(&in);
  EXPECT_EQ(Plain(t), "zabcde");
  EXPECT_EQ(At(t, 0, 0).Size, 12);
  // The engine's own files state every size, its default included.
  TWPRTFTextIo own;
  AddRun(own, own.FirstPar, "x", Attr(0, 0, 0));
  AddRun(own, own.FirstPar, "y", Attr(0, 0, 10));
  TWPRTFTextIo back;
  ASSERT_EQ(FromRtf(back, ToRtf(own)), 0);
  EXPECT_EQ(At(back, 0, 0).Size, 10);
  EXPECT_EQ(At(back, 0, 1).Size, 10);
}

TEST(RtfReader, AutomaticFootnoteNumbersOfOtherWriters) {
  TWPRTFTextIo t;
  // Two writers' forms: the note inside the mark's group, and after it.
  ASSERT_EQ(FromRtf(t, "{\\rtf1 hier{\\super \\chftn{\\*\\footnote \\chftn Fu\\'dfnote}} und"
                       "{\\super\\chftn}{\\*\\footnote\\chftn\\~\\plain\\pard {\\pard zwei\\par}} Ende}"),
            0);
  EXPECT_EQ(Plain(t), "hier1 und2 Ende");
  for (int n : {1, 2}) {
    const TWPFootnoteEntry* f = t.FindFootnote(n);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->AutoMark);
    EXPECT_EQ(f->MarkChar, '0' + n);
  }
  EXPECT_EQ(t.FindFootnote(1)->Text, "Fu\xDFnote");
  EXPECT_EQ(t.FindFootnote(2)->Text, "zwei");
  EXPECT_EQ(At(t, 0, 4).Style & wpsFootnote, wpsFootnote);
  EXPECT_EQ(At(t, 0, 4).Tag, 1);

  // Written back, both marks are automatic numbers in the text and in the
  // note, never the digit as well.
  const std::string rtf = ToRtf(t);
  size_t words = 0;
  for (size_t at = 0; (at = rtf.find("\\chftn", at)) != std::string::npos; ++at) ++words;
  EXPECT_EQ(words, 4u) << rtf;
  EXPECT_EQ(rtf.find("\\super 1"), std::string::npos) << rtf;
  EXPECT_EQ(rtf.find("\t1}"), std::string::npos) << rtf;
  TWPRTFTextIo back;
  ASSERT_EQ(FromRtf(back, rtf), 0);
  EXPECT_EQ(Dump(back), Dump(t));

  // Plain text keeps the marks, automatic ones as their numbers.
  TStringStream plain;
  TWPTextWriter w;
  t.WriteWith(&w, &plain);
  EXPECT_EQ(plain.DataString(), std::string("hier1 und2 Ende\0", 16));

  // Appended behind a text that has a note, the numbers count on.
  TWPRTFTextIo before;
  ASSERT_EQ(FromRtf(before, "{\\rtf1 vorn{\\super\\chftn}{\\*\\footnote\\chftn erste}}"), 0);
  before.AppendCopy(t);
  EXPECT_EQ(Plain(before), "vorn1|hier2 und3 Ende");
  EXPECT_EQ(before.FindFootnote(3)->MarkChar, '3');
  EXPECT_EQ(before.FindFootnote(3)->Text, "zwei");
}

TEST(RtfReader, InformationAndPageFlagsGoToTheHeader) {
  TWPRTFTextIo t;
  // The blank after "\title" and the TAB after "\subject" only separate;
  // escapes inside the groups are taken like in text.
  ASSERT_EQ(FromRtf(t, "{\\rtf1\\facingp\\landscape{\\title Mein \\{Titel\\}}{\\subject\tB\\'fc" "ro}"
                       "{\\comment\tZeile\\line zwei\\tab x}Text}"),
            0);
  EXPECT_EQ(Plain(t), "Text");
  EXPECT_EQ(t.Header->Title, "Mein {Titel}");
  EXPECT_EQ(t.Header->Subject, "B\xFC" "ro");
  EXPECT_EQ(t.Header->Comment, "Zeile\nzwei\tx");
  EXPECT_TRUE(t.Header->FacingPages);
  EXPECT_TRUE(t.Header->Landscape);

  // Read only while the header's text is empty: a second title group is
  // skipped whole, an empty one leaves room for a later one.
  ASSERT_EQ(FromRtf(t, "{\\rtf1{\\title Erster}{\\title Zweiter}{\\subject}{\\subject\tSp\xE4" "ter}a}"), 0);
  EXPECT_EQ(t.Header->Title, "Erster");
  EXPECT_EQ(t.Header->Subject, "Sp\xE4" "ter");
  EXPECT_TRUE(t.Header->Comment.empty());
  EXPECT_EQ(Plain(t), "a");
  EXPECT_FALSE(t.Header->FacingPages) << "cleared with the document";
  EXPECT_FALSE(t.Header->Landscape);

  // A title the header already has is kept; the other texts are still read.
  t.Clear();
  t.Header->Title = "Vorher";
  TStringStream in("{\\rtf1{\\title Neu}{\\comment\tK}b}");
  TWPRtfReader r;
  r.TakeStream(&in);
  t.ReadWith(&r);
  EXPECT_EQ(t.LastResult, 0);
  EXPECT_EQ(t.Header->Title, "Vorher");
  EXPECT_EQ(t.Header->Comment, "K");
  EXPECT_EQ(Plain(t), "b");

  // Inside the "\info" group of other writers the title goes with the
  // skipped group; the page flag words carry a fixed value.
  ASSERT_EQ(FromRtf(t, "{\\rtf1{\\info{\\title Fremd}{\\author A}}\\landscape0 c}"), 0);
  EXPECT_TRUE(t.Header->Title.empty());
  EXPECT_TRUE(t.Header->Landscape);
  EXPECT_EQ(Plain(t), "c");
}

TEST(RtfReader, PageBreaksFootnotesAndBookmarks) {
  TWPRTFTextIo t;
  ASSERT_EQ(FromRtf(t, "{\\rtf1 {a}\\page b\\par\\page c\\par\\pard\\pagebb d}"), 0);
  EXPECT_EQ(Plain(t), "a|b|c|d");
  EXPECT_EQ(t.ParagraphAt(3)->Flags & wppPageBreak, wppPageBreak);
  EXPECT_EQ(t.FirstPar->Flags & wppPageBreak, 0);
  EXPECT_EQ(t.ParagraphAt(1)->Flags & wppPageBreak, wppPageBreak);
  EXPECT_EQ(t.ParagraphAt(2)->Flags & wppPageBreak, wppPageBreak);
  // A footnote without a character before it gets the mark "?", which
  // plain text keeps.
  ASSERT_EQ(FromRtf(t, "{\\rtf1{\\*\\footnote Note}x}"), 0);
  EXPECT_EQ(Plain(t), "?x");
  TStringStream plain;
  TWPTextWriter w;
  t.WriteWith(&w, &plain);
  EXPECT_EQ(plain.DataString(), std::string("?x\0", 3));
  EXPECT_EQ(At(t, 0, 0).Style, wpsFootnote);
  ASSERT_NE(t.FindFootnote(1), nullptr);
  EXPECT_EQ(t.FindFootnote(1)->Text, "Note");
  // Bookmark bits go to the enclosing attribute and survive "\plain".
  ASSERT_EQ(FromRtf(t, "{\\rtf1 a{\\*\\bkmkstart B1}\\plain b{\\*\\bkmkend B1}c}"), 0);
  EXPECT_EQ(At(t, 0, 0).Style, 0u);
  EXPECT_EQ(At(t, 0, 1).Style, wpsBookmark);
  EXPECT_EQ(At(t, 0, 2).Style, 0u);
  EXPECT_EQ(t.BookmarkNames.Strings(0), "B1");
}

TEST(RtfReader, WrongArgumentsAndKeywordTable) {
  TStringStream s("{\\rtf1 x}");
  TWPRtfReader r;
  r.TakeStream(&s);
  EXPECT_THROW(r.Read(), Exception);
  TWPTextReader plain;
  plain.TakeStream(&s);
  EXPECT_THROW(plain.Read(), Exception);
  // Case-sensitive look-up; the first entry wins.
  ASSERT_NE(FindRtfKeyword("b"), nullptr);
  EXPECT_EQ(FindRtfKeyword("B"), nullptr);
  EXPECT_EQ(FindRtfKeyword("qc")->Value, 2);
  EXPECT_EQ(FindRtfKeyword("footnote")->Kind, rkDestination);
  // A registration beyond the capacity raises.
  int n = RtfKeywordCount();
  EXPECT_GE(n, 165);
  EXPECT_THROW(
      {
        for (; n <= kRtfKeywordCapacity; ++n) RegisterRtfKeyword("zzfill", 0, false, rkProperty, riIgnored);
      },
      Exception);
  EXPECT_EQ(RtfKeywordCount(), kRtfKeywordCapacity);
}

TEST(TextReader, PlainTextParagraphs) {
  TWPRTFTextIo t;
  TStringStream s(std::string("eins\r\nzwei\nvier\0x\r\n", 19));
  TWPTextReader r;
  r.TakeStream(&s);
  t.ReadWith(&r);
  EXPECT_EQ(t.LastResult, 0);
  EXPECT_EQ(Plain(t), "eins|zwei|vierx|");
}

}  // namespace

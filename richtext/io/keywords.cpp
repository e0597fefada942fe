// Keyword table of the RTF reader: built once, looked up case-sensitively
// from the first entry, the first match winning. The table and its word
// copies live until the process ends.
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "richtext/io/rtf_format.h"

namespace {

struct KeywordTable {
  TRtfKeyword entries[kRtfKeywordCapacity];
  uint8_t lengths[kRtfKeywordCapacity] = {};
  int count = 0;
  // Entries by first character, in table order, so that a look-up compares
  // only words that can match and the first match still wins.
  std::vector<uint8_t> byFirst[128];
  ~KeywordTable() {
    for (int i = 0; i < count; ++i) delete[] entries[i].Word;
  }
};

KeywordTable& Table() {
  static KeywordTable table;
  return table;
}

void Fill() {
  auto sym = [](const char* w, int ch, TRtfId id = riChar) { RegisterRtfKeyword(w, ch, false, rkSymbol, id); };
  auto prop = [](const char* w, int v, TRtfId id) { RegisterRtfKeyword(w, v, false, rkProperty, id); };
  auto fixed = [](const char* w, int v, TRtfId id) { RegisterRtfKeyword(w, v, true, rkProperty, id); };
  auto dest = [](const char* w, TRtfId id) { RegisterRtfKeyword(w, 0, false, rkDestination, id); };

  prop("plain", 0, riPlain);
  prop("par", 0, riPar);
  prop("page", 0, riPage);
  sym("line", 10);
  sym("\n", 0, riIgnore);
  sym("\r", 0, riIgnore);
  sym("tab", 9);
  // Typographic characters as the code page holds them.
  sym("ldblquote", 0x93);
  sym("rdblquote", 0x94);
  sym("lquote", 0x91);
  sym("rquote", 0x92);
  sym("endash", 0x96);
  sym("emdash", 0x97);
  sym("bullet", 0x95);
  fixed("enspace", 6, riSpace);
  fixed("emspace", 6, riSpace);
  sym("{", '{');
  sym("}", '}');
  sym("\\", '\\');
  prop("f", 0, riFont);
  prop("fs", 100, riFontSize);
  prop("b", 1, riStyle);
  prop("i", 1, riStyle);
  prop("ul", 1, riStyle);
  prop("uldb", 1, riStyle);
  prop("strike", 1, riStyle);
  prop("shad", 1, riStyle);
  prop("v", 1, riStyle);
  prop("super", 1, riStyle);
  prop("sub", 1, riStyle);
  prop("nosupersub", 1, riNoSuperSub);
  prop("inspnt", 0, riInsPoint);
  prop("inaut", 1, riInAut);
  prop("wprtf", 1, riRtfCode);
  prop("cf", 0, riTextColor);
  prop("cb", 0, riBackColor);
  // A word processor's character background and highlight (a marked word).
  prop("chcbpat", 0, riBackColor);
  prop("highlight", 0, riBackColor);
  prop("li", 0, riLeft);
  prop("ri", 0, riRight);
  prop("fi", 0, riFirst);
  prop("sb", 0, riSpaceBefore);
  prop("sa", 0, riSpaceAfter);
  prop("sl", 0, riLineSpacing);
  prop("slmult", 0, riLineMultiple);
  fixed("qc", 2, riAlign);
  fixed("ql", 0, riAlign);
  fixed("qr", 1, riAlign);
  fixed("qj", 3, riAlign);
  prop("paperw", 12240, riPaperW);
  prop("paperh", 15840, riPaperH);
  prop("margl", 1800, riMargL);
  prop("margr", 1800, riMargR);
  prop("margt", 1440, riMargT);
  prop("margb", 1440, riMargB);
  fixed("facingp", 1, riFacing);
  fixed("landscape", 1, riLandscape);
  for (const char* w : {"cols", "pgnx", "pgny", "pgnstart", "sbknone", "sbkcol", "sbkeven", "sbkodd", "sbkpage",
                        "pgndec", "pgnucrm", "pgnlcrm", "pgnucltr", "pgnlcltr"})
    prop(w, 0, riIgnored);
  fixed("pard", 0, riPard);
  prop("tx", 0, riTab);
  prop("tqr", 1, riTabKind);
  prop("tqc", 2, riTabKind);
  prop("tqdec", 3, riTabKind);
  prop("red", 0, riRed);
  prop("green", 0, riGreen);
  prop("blue", 0, riBlue);
  prop("trowd", 0, riTrowd);
  prop("cellx", 0, riCellx);
  prop("trleft", 0, riTrleft);
  prop("trgaph", 0, riTrgaph);
  prop("intbl", 0, riIntbl);
  prop("cell", 0, riCell);
  prop("row", 0, riRow);
  prop("clmrg", 0, riClmrg);
  fixed("box", 0, riBorder);
  fixed("brdrt", 1, riBorder);
  fixed("brdrl", 2, riBorder);
  fixed("brdrb", 3, riBorder);
  fixed("brdrr", 4, riBorder);
  fixed("brdrdb", 5, riBorder);
  fixed("brdrdot", 6, riBorder);
  fixed("brdrtablin", 9, riBorder);
  fixed("clbrdrt", 1, riCellBorder);
  fixed("clbrdrl", 2, riCellBorder);
  fixed("clbrdrb", 3, riCellBorder);
  fixed("clbrdrr", 4, riCellBorder);
  prop("brdrw", 0, riBrdrw);
  prop("brsp", 0, riBrsp);
  prop("brdrcf", 0, riBrdrcf);
  fixed("keepn", 1, riKeep);
  fixed("keep", 1, riKeep);
  fixed("pagebb", 1, riPageBefore);
  prop("shading", 0, riShading);
  prop("cfpat", 0, riCfpat);
  prop("clcfpat", 0, riClCfpat);
  prop("cbpat", 0, riCbpat);
  prop("clcbpat", 0, riClCbpat);
  fixed("wbitmap", rptWBitmap, riPicType);
  fixed("dibitmap", rptDIBitmap, riPicType);
  fixed("wmetafile", rptMetafile, riPicType);
  prop("picw", 0, riPicW);
  prop("pich", 0, riPicH);
  prop("picwgoal", 0, riPicGoalW);
  prop("pichgoal", 0, riPicGoalH);
  prop("picscalex", 100, riPicScaleX);
  prop("picscaley", 100, riPicScaleY);
  prop("wbmbitspixel", 0, riBitsPixel);
  fixed("wbmplanes", 1, riPlanes);
  prop("wbmwidthbytes", 0, riWidthBytes);
  prop("wbmpfile", 0, riBmpFile);
  prop("wpobjtag", 0, riObjTag);
  prop("wpobjw", 0, riObjW);
  prop("wpobjh", 0, riObjH);
  prop("wpfnnr", 0, riFootnoteNr);
  dest("bkmkstart", riBkmkStart);
  dest("bkmkend", riBkmkEnd);
  dest("fonttbl", riFontTbl);
  dest("colortbl", riColorTbl);
  dest("pict", riPict);
  dest("picfile", riPicFile);
  dest("title", riTitle);
  dest("subject", riSubject);
  dest("comment", riComment);
  dest("footnote", riFootnote);
  dest("field", riField);
  for (const char* w : {"author", "buptim", "creatim", "doccomm", "footer", "footerf", "footerl", "footerr", "ftncn",
                        "ftnsep", "ftnsepc", "header", "headerf", "headerl", "headerr", "info", "keywords",
                        "operator", "printim", "private1", "revtim", "rxe", "stylesheet", "tc"})
    dest(w, riSkipDest);
  // Embedded control objects are skipped like the other skipped groups.
  dest("object", riSkipDest);
  RegisterRtfKeyword("bin", 0, false, rkSpecial, riBin);
  RegisterRtfKeyword("'", 0, false, rkSpecial, riHex);
  RegisterRtfKeyword("*", 0, false, rkSpecial, riStar);
  // Words the writer emits for fonts and borders, and Unicode escapes of
  // documents written by other programs.
  fixed("fnil", 0x00, riFontFamily);
  fixed("froman", 0x10, riFontFamily);
  fixed("fswiss", 0x20, riFontFamily);
  fixed("fmodern", 0x30, riFontFamily);
  fixed("fscript", 0x40, riFontFamily);
  fixed("fdecor", 0x50, riFontFamily);
  prop("charset", 0, riCharset);
  fixed("brdrhair", 7, riBorder);
  fixed("brdrbar", 8, riBorder);
  // Non-breaking space and hyphen of other writers, so that words stay apart.
  sym("~", 0xA0);
  sym("_", '-');
  // Optional hyphen: the code page's soft hyphen.
  sym("-", 0xAD);
  // Automatic footnote number: in the text it is the footnote's mark.
  prop("chftn", 0, riFootnoteMark);
  prop("u", 0, riUnicode);
  prop("uc", 1, riUnicodeSkip);
}

}  // namespace

void RegisterRtfKeyword(const char* word, int32_t value, bool fixed, TRtfKind kind, TRtfId id) {
  KeywordTable& t = Table();
  if (t.count >= kRtfKeywordCapacity) throw Exception("isym_max too small");
  const size_t n = std::strlen(word);
  char* copy = new char[n + 1];
  std::memcpy(copy, word, n + 1);
  TRtfKeyword& e = t.entries[t.count];
  e.Word = copy;
  e.Value = value;
  e.Fixed = fixed ? 1 : 0;
  e.Kind = kind;
  e.Id = id;
  t.lengths[t.count] = static_cast<uint8_t>(n);
  const unsigned char first = static_cast<unsigned char>(word[0]);
  if (first < 128) t.byFirst[first].push_back(static_cast<uint8_t>(t.count));
  ++t.count;
}

void InitRtfKeywordTable() {
  static std::once_flag once;
  std::call_once(once, Fill);
}

const TRtfKeyword* FindRtfKeyword(std::string_view word) {
  InitRtfKeywordTable();
  const KeywordTable& t = Table();
  if (word.empty() || static_cast<unsigned char>(word[0]) >= 128) return nullptr;
  for (const uint8_t i : t.byFirst[static_cast<unsigned char>(word[0])])
    if (t.lengths[i] == word.size() && std::memcmp(t.entries[i].Word, word.data(), word.size()) == 0)
      return &t.entries[i];
  return nullptr;
}

int RtfKeywordCount() {
  InitRtfKeywordTable();
  return Table().count;
}

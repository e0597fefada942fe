// RTF written by another program (a document converter): every file must
// read without error, and its text must match that program's own plain-text
// export once whitespace, punctuation and characters outside the code page
// are set aside. The committed files are checked always; when the converter
// is installed the sources are converted afresh and checked as well, and our
// rewrite of each file is read by that program: same words, same table
// cells, the same bold and italic text.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>
#include <vector>

#include "platform/rtl/cp1252.h"
#include "tests/richtext_io/io_helpers.h"

using namespace rtio_test;

namespace {

const char* const kDocs[] = {"briefe", "listen", "tabelle", "felder"};

std::string ReadFile(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::string CorpusDir() {
  return SourceDir() + "/tests/richtext_io/corpus/";
}

bool Letter(unsigned char c) {
  if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  switch (c) {
    case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
      return true;
    default:
      return c >= 0xC0 && c != 0xD7 && c != 0xF7;
  }
}

// Words of letters and digits in the code page, separated by single blanks.
std::string Words(const std::string& cp1252) {
  std::string out;
  bool gap = false;
  for (unsigned char c : cp1252) {
    if (Letter(c)) {
      if (gap && !out.empty()) out.push_back(' ');
      gap = false;
      out.push_back(static_cast<char>(c));
    } else {
      gap = true;
    }
  }
  return out;
}

// The plain export in the code page; characters it cannot hold become blanks,
// bracketed references ("[1]", picture names) and strike-out marks go.
std::string ExportWords(const std::string& utf8) {
  std::string cp;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (i + len > utf8.size()) break;
    char32_t u = len == 1 ? c : c & (0x7F >> len);
    for (int k = 1; k < len; ++k) u = (u << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    unsigned char b = 0;
    cp.push_back(UnicodeToCp1252(u, b) ? static_cast<char>(b) : ' ');
    i += len;
  }
  std::string cleaned;
  for (size_t i = 0; i < cp.size(); ++i) {
    if (cp[i] == '[') {
      const size_t e = cp.find(']', i);
      if (e != std::string::npos) {
        // A footnote reference right after a word is the note's mark, which
        // the text keeps; the label in front of the note itself goes.
        const std::string inner = cp.substr(i + 1, e - i - 1);
        const bool number = !inner.empty() && inner.find_first_not_of("0123456789") == std::string::npos;
        if (number && i > 0 && Letter(static_cast<unsigned char>(cp[i - 1]))) cleaned += inner;
        i = e;
        continue;
      }
    }
    cleaned.push_back(cp[i]);
  }
  return Words(cleaned);
}

// The text the reader made, footnotes after the main text as the export
// places them.
std::string ModelWords(const TWPRTFTextIo& t) {
  std::string s;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next) {
    for (const TWPLineRec* l = p->line; l; l = l->next) s.append(l->pc, l->Length);
    s.push_back('\n');
  }
  for (const TWPFootnoteEntry* f = t.FirstFootnote; f; f = f->next) s += " " + f->Text;
  return Words(s);
}

void CheckDocument(const std::string& rtf, const std::string& exported, const std::string& name) {
  ASSERT_FALSE(rtf.empty()) << name;
  TWPRTFTextIo t;
  TStringStream s(rtf);
  EXPECT_EQ(t.LoadFromStream(&s), FormatRTF) << name;
  EXPECT_EQ(t.LastResult, 0) << name;
  EXPECT_TRUE(t.CheckChains()) << name;
  EXPECT_EQ(ModelWords(t), ExportWords(exported)) << name;
}

TEST(Corpus, CommittedFilesReadLikeTheirPlainExport) {
  bool table = false, picture = false, unicode = false, field = false;
  for (const char* d : kDocs) {
    const std::string rtf = ReadFile(CorpusDir() + d + ".rtf");
    CheckDocument(rtf, ReadFile(CorpusDir() + d + ".txt"), d);
    table |= rtf.find("\\trowd") != std::string::npos;
    picture |= rtf.find("\\pict") != std::string::npos;
    unicode |= rtf.find("\\u8364") != std::string::npos;
    field |= rtf.find("\\field") != std::string::npos;
  }
  EXPECT_TRUE(table && picture && unicode && field);
}

TEST(Corpus, TablesAndFootnotesOfOtherWriters) {
  TWPRTFTextIo t;
  TStringStream s(ReadFile(CorpusDir() + "tabelle.rtf"));
  t.LoadFromStream(&s);
  int cells = 0;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next)
    if (p->Flags & wppTableCell) ++cells;
  EXPECT_EQ(cells, 12);
  TWPRTFTextIo f;
  TStringStream s2(ReadFile(CorpusDir() + "felder.rtf"));
  f.LoadFromStream(&s2);
  ASSERT_NE(f.FindFootnote(1), nullptr);
  EXPECT_NE(f.FindFootnote(1)->Text.find("{Klammern}"), std::string::npos);
}

// The main text without footnotes and their marks: what a reader that
// drops footnotes shows.
std::string BodyWords(const TWPRTFTextIo& t) {
  std::string s;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next) {
    for (const TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i)
        if (!(l->pa[i].Style & wpsFootnote)) s += l->pc[i];
    s.push_back('\n');
  }
  return Words(s);
}

int CellCount(const TWPRTFTextIo& t) {
  int cells = 0;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next)
    if (p->Flags & wppTableCell) ++cells;
  return cells;
}

// Bold, italic and size of every letter, in order, with the letter.
std::string Looks(const TWPRTFTextIo& t) {
  std::string s;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next)
    for (const TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i) {
        if (!Letter(static_cast<unsigned char>(l->pc[i]))) continue;
        const TWPAttrRecord& a = l->pa[i];
        s += l->pc[i];
        s += (a.Style & wpsBold) ? 'B' : '-';
        s += (a.Style & wpsItalic) ? 'I' : '-';
        s += std::to_string(a.Size);
        s += ' ';
      }
  return s;
}

// The words of the letters whose style has the bit, joined by blanks.
std::string StyledWords(const TWPRTFTextIo& t, uint32_t bit) {
  std::string s;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next) {
    for (const TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i) s += (l->pa[i].Style & bit) ? l->pc[i] : ' ';
    s += ' ';
  }
  return Words(s);
}

std::string Output(const std::string& cmd) {
  std::string out;
  if (FILE* f = popen(cmd.c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
    if (pclose(f) != 0) out.clear();
  }
  return out;
}

// The text inside every <tag>…</tag> of an HTML page, as words.
std::string TaggedWords(const std::string& html, const std::string& tag) {
  std::string s;
  for (size_t at = 0; (at = html.find("<" + tag + ">", at)) != std::string::npos;) {
    at += tag.size() + 2;
    const size_t end = html.find("</" + tag + ">", at);
    if (end == std::string::npos) break;
    s += html.substr(at, end - at) + " ";
    at = end;
  }
  return ExportWords(s);
}

size_t Occurrences(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t at = 0; (at = s.find(what, at)) != std::string::npos; at += what.size()) ++n;
  return n;
}

// What another program's RTF becomes after our reader and writer: it reads
// back into the same words, tables and looks; and when that program is
// installed, it reads our output as the same words, the same table cells,
// bold and italic.
TEST(Corpus, OurRewriteOfOtherProgramsRtfKeepsWordsTablesAndLooks) {
  const bool converter = std::system("pandoc --version > /dev/null 2>&1") == 0;
  const char* bin = std::getenv("ORV_BINARY_DIR");
  const std::string dir = std::string(bin ? bin : "/tmp") + "/rtio_rewrite_" + std::to_string(getpid()) + "/";
  ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
  int tables = 0, bold = 0, italic = 0;
  for (const char* d : kDocs) {
    TWPRTFTextIo original;
    TStringStream in(ReadFile(CorpusDir() + d + ".rtf"));
    ASSERT_EQ(original.LoadFromStream(&in), FormatRTF) << d;
    const std::string ours = ToRtf(original);
    TWPRTFTextIo back;
    ASSERT_EQ(FromRtf(back, ours), 0) << d;
    EXPECT_EQ(ModelWords(back), ModelWords(original)) << d;
    EXPECT_EQ(CellCount(back), CellCount(original)) << d;
    EXPECT_EQ(Looks(back), Looks(original)) << d;
    // Body text states no size (RTF's 12 points), headings 18 points.
    std::set<int> sizes;
    for (const TWPParagraphRec* p = original.FirstPar; p; p = p->next)
      for (const TWPLineRec* l = p->line; l; l = l->next)
        for (int i = 0; i < l->Length; ++i)
          if (Letter(static_cast<unsigned char>(l->pc[i]))) sizes.insert(l->pa[i].Size);
    EXPECT_EQ(sizes, (std::set<int>{12, 18})) << d;
    tables += CellCount(original) > 0;
    bold += !StyledWords(original, wpsBold).empty();
    italic += !StyledWords(original, wpsItalic).empty();
    if (!converter) continue;
    const std::string file = dir + d + ".rtf";
    {
      std::ofstream f(file, std::ios::binary);
      f << ours;
    }
    const std::string text = Output("pandoc -f rtf -t plain --wrap=none " + file);
    // That program drops footnotes: an automatic mark must not show up as
    // a literal character of the text.
    EXPECT_EQ(ExportWords(text), BodyWords(original)) << d << "\n" << text;
    const std::string html = Output("pandoc -f rtf -t html " + file);
    EXPECT_EQ(static_cast<int>(Occurrences(html, "<td") + Occurrences(html, "<th")), CellCount(original))
        << d << "\n" << html;
    EXPECT_EQ(TaggedWords(html, "strong"), StyledWords(original, wpsBold)) << d << "\n" << html;
    EXPECT_EQ(TaggedWords(html, "em"), StyledWords(original, wpsItalic)) << d << "\n" << html;
  }
  std::system(("rm -rf " + dir).c_str());
  // The corpus has what the comparison is about.
  EXPECT_GT(tables, 0);
  EXPECT_GT(bold, 0);
  EXPECT_GT(italic, 0);
  if (!converter) GTEST_SKIP() << "pandoc not installed: our output was only read back by our own reader";
}

// The size (half points) the text of each footnote group starts in.
std::vector<int> NoteSizes(const std::string& rtf) {
  std::vector<int> out;
  for (size_t at = 0; (at = rtf.find("{\\*\\footnote", at)) != std::string::npos; ++at) {
    const size_t fs = rtf.find("\\fs", at);
    out.push_back(fs == std::string::npos ? 0 : std::atoi(rtf.c_str() + fs + 3));
  }
  return out;
}

// A footnote that LibreOffice wrote in 12 points keeps its size through our
// reader and writer, and LibreOffice (when installed) reads our rewrite with
// the note in 12 points again.
TEST(Corpus, AFootnoteOfAnotherWriterKeepsItsSize) {
  const std::string source = ReadFile(CorpusDir() + "fussnote.rtf");
  ASSERT_EQ(NoteSizes(source), std::vector<int>{24});
  TWPRTFTextIo original;
  TStringStream in(source);
  ASSERT_EQ(original.LoadFromStream(&in), FormatRTF);
  ASSERT_NE(original.FindFootnote(1), nullptr);
  EXPECT_EQ(original.FindFootnote(1)->Text, "Am 28. August 1749.");
  const std::string ours = ToRtf(original);
  EXPECT_EQ(NoteSizes(ours), std::vector<int>{24}) << ours;
  TWPRTFTextIo back;
  ASSERT_EQ(FromRtf(back, ours), 0);
  EXPECT_EQ(ToRtf(back), ours);
  if (std::system("command -v soffice > /dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
  const char* bin = std::getenv("ORV_BINARY_DIR");
  const std::string dir = std::string(bin ? bin : "/tmp") + "/rtio_note_" + std::to_string(getpid());
  ASSERT_EQ(std::system(("mkdir -p " + dir + "/lo").c_str()), 0);
  {
    std::ofstream f(dir + "/ours.rtf", std::ios::binary);
    f << ours;
  }
  // A profile of its own, so that no running office is asked.
  const std::string cmd = "HOME=" + dir + " timeout 120 soffice -env:UserInstallation=file://" + dir +
                          "/profile --headless --convert-to rtf --outdir " + dir + "/lo " + dir +
                          "/ours.rtf > /dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  const std::string again = ReadFile(dir + "/lo/ours.rtf");
  EXPECT_EQ(NoteSizes(again), std::vector<int>{24}) << again;
  EXPECT_NE(again.find("Am 28. August 1749."), std::string::npos);
  std::system(("rm -rf " + dir).c_str());
}

TEST(Corpus, FreshConversionsWhenTheConverterIsInstalled) {
  if (std::system("pandoc --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "pandoc not installed";
  const char* bin = std::getenv("ORV_BINARY_DIR");
  const std::string dir = std::string(bin ? bin : "/tmp") + "/rtio_corpus_" + std::to_string(getpid()) + "/";
  ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
  for (const char* d : kDocs) {
    const std::string src = std::string(d) + ".md";  // relative to the corpus folder
    const std::string cmd = "cd " + CorpusDir() + " && pandoc -s -f markdown -t rtf " + src + " -o " + dir + d +
                            ".rtf && pandoc -f markdown -t plain --wrap=none " + src + " -o " + dir + d + ".txt";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    CheckDocument(ReadFile(dir + d + ".rtf"), ReadFile(dir + d + ".txt"), d);
  }
  std::system(("rm -rf " + dir).c_str());
}

}  // namespace

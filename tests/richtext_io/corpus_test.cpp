// RTF written by another program (a document converter): every file must
// read without error, and its text must match that program's own plain-text
// export once whitespace, punctuation and characters outside the code page
// are set aside. The committed files are checked always; when the converter
// is installed the sources are converted afresh and checked as well.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

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

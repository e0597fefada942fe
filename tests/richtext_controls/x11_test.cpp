// The edit control against the outside under a virtual X server (skipped
// when xvfb-run or xclip is missing): the clipboard read back by a separate
// process holds the copied words with their bold, italic and size; RTF that
// another program wrote, put on the clipboard by a separate process, pastes
// with all its words; and a real window takes typing, a mouse selection, the
// wheel and a hyperlink click through the real event path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/rtl/cp1252.h"
#include "richtext/io/textio.h"
#include "tests/test_paths.h"
#include "tests/shell_helpers.h"

namespace {

using testshell::Have;

std::string Exe(const char* name) {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/" + name;
}

std::string Read(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string Tmp(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(testpaths::BinaryDir()) / "test-artifacts" / "richtext";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

// Runs a helper program under its own virtual X server; its exit code.
int UnderX(const std::string& args) {
  const std::string cmd = "env -u QT_QPA_PLATFORM timeout 90 xvfb-run -a " + args + " 2>" + Tmp("x11_stderr.txt");
  const int rc = std::system(cmd.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

}  // namespace

TEST(EditX11, ACopiedSelectionIsReadByAnotherProcessWithItsLooks) {
  if (!Have("xvfb-run") || !Have("xclip")) GTEST_SKIP() << "xvfb-run or xclip is not installed";
  const std::string rtfOut = Tmp("x11_copied.rtf"), textOut = Tmp("x11_copied.txt");
  std::filesystem::remove(rtfOut);
  std::filesystem::remove(textOut);
  ASSERT_EQ(UnderX(Exe("rtedit_clip") + " copy " + rtfOut + " " + textOut), 0) << Read(Tmp("x11_stderr.txt"));
  // The plain text arrives as UTF-8.
  EXPECT_EQ(Read(textOut), "Normal fett kursiv gro\xc3\x9f");
  const std::string rtf = Read(rtfOut);
  ASSERT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf;
  // Read back, the words carry their bold, italic and size.
  TWPRTFTextIo t;
  TMemoryStream s;
  s.WriteBuffer(rtf.data(), static_cast<int>(rtf.size()));
  s.SetPosition(0);
  t.LoadFromStream(&s);
  std::string text;
  std::vector<TWPAttrRecord> attrs;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next)
    for (const TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i) {
        text += l->pc[i];
        attrs.push_back(l->pa[i]);
      }
  ASSERT_EQ(text, CP1252("Normal fett kursiv groß").str());
  EXPECT_EQ(attrs[0].Style & (wpsBold | wpsItalic), 0u);
  EXPECT_EQ(attrs[7].Style & wpsBold, wpsBold);
  EXPECT_EQ(attrs[12].Style & wpsItalic, wpsItalic);
  EXPECT_EQ(attrs[19].Size, 20);
  EXPECT_EQ(attrs[0].Size, 10);
  // Another program's reading of it agrees on bold and italic.
  if (Have("pandoc")) {
    const std::string html = Tmp("x11_copied.html");
    ASSERT_EQ(std::system(("pandoc -f rtf -t html " + rtfOut + " -o " + html).c_str()), 0);
    const std::string h = Read(html);
    EXPECT_NE(h.find("<strong>fett"), std::string::npos) << h;
    EXPECT_NE(h.find("<em>kursiv"), std::string::npos) << h;
  }
}

TEST(EditX11, RtfOfAnotherProgramPutOnTheClipboardPastesWithAllItsWords) {
  if (!Have("xvfb-run") || !Have("xclip")) GTEST_SKIP() << "xvfb-run or xclip is not installed";
  const std::string corpus = testpaths::SourceDir() + "/tests/richtext_io/corpus/";
  for (const char* name : {"briefe", "listen"}) {
    const std::string out = Tmp(std::string("x11_pasted_") + name + ".txt");
    std::filesystem::remove(out);
    ASSERT_EQ(UnderX(Exe("rtedit_clip") + " paste " + corpus + name + ".rtf " + out), 0)
        << Read(Tmp("x11_stderr.txt"));
    const std::string pasted = Read(out);
    // Every word of the other program's own plain text is there.
    std::istringstream words(Read(corpus + name + ".txt"));
    int checked = 0;
    for (std::string w; words >> w;) {
      // (Its marks of struck-out and emphasised text are not words.)
      while (!w.empty() && (w.front() == '~' || w.front() == '*' || w.front() == '_')) w.erase(0, 1);
      while (!w.empty() && (w.back() == '~' || w.back() == '*' || w.back() == '_')) w.pop_back();
      AnsiString cp;
      if (w.empty() || !Utf8ToCp1252(w, cp) || w.find_first_of("-*|#`[]") != std::string::npos) continue;
      EXPECT_NE(pasted.find(cp), std::string::npos) << name << ": " << w;
      ++checked;
    }
    EXPECT_GT(checked, 15) << name;
  }
}

TEST(EditX11, ARealWindowTakesTypingSelectionWheelAndALinkClick) {
  if (!Have("xvfb-run")) GTEST_SKIP() << "xvfb-run is not installed";
  const std::string shot = Tmp("rtedit_window_xvfb.png");
  std::filesystem::remove(shot);
  EXPECT_EQ(UnderX(Exe("rtedit_window") + " " + shot), 0) << Read(Tmp("x11_stderr.txt"));
  EXPECT_TRUE(std::filesystem::exists(shot));
}

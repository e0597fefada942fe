// The editor against the outside: a document typed into the complete
// editor and saved as RTF through its "save as" command is read by other
// programs (pandoc always, LibreOffice when it is installed); the plain
// text they find equals the editor's.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/rtl/cp1252.h"
#include "tests/richtext_bars/editor_form.h"
#include "tests/test_paths.h"

using namespace bars_test;

namespace {

std::filesystem::path WorkDir() {
  auto dir = std::filesystem::path(testpaths::BinaryDir()) / "richtext_outside";
  std::filesystem::create_directories(dir);
  return dir;
}

bool Installed(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Words of a text, whitespace of any kind and amount between them.
std::string Words(const std::string& s) {
  std::string out;
  bool space = false;
  for (char c : s) {
    if (c == ' ' || c == '\n' || c == '\r' || c == '\t' || static_cast<unsigned char>(c) == 0xA0) {
      space = !out.empty();
      continue;
    }
    if (space) out += ' ';
    space = false;
    out += c;
  }
  return out;
}

// The editor's text as UTF-8 words (the other programs write UTF-8).
std::string EditorWords(TWPCustomRtfEdit* e) {
  return Words(Cp1252ToUtf8(rtedit_test::Text(e)));
}

// Types a short letter with a bold heading and saves it through "save as".
std::filesystem::path TypeAndSave(EditorForm& f) {
  f.edit->SetFocus();
  f.driver.Process();
  f.driver.Click(f.bar->ButtonOf(wpgCharacter, 2));
  f.driver.Type(CP1252("Grüße aus Zürich").str());
  f.driver.Click(f.bar->ButtonOf(wpgCharacter, 2));
  f.driver.PressKey(VK_RETURN);
  f.driver.Type(CP1252("Am 14. Juli feiern wir; Tabelle:\tEins\tZwei. Ende – gut.").str());
  const auto file = WorkDir() / "typed.rtf";
  std::filesystem::remove(file);
  f.driver.AnswerNextFileDialog(file.string());
  f.driver.Click(f.bar->ButtonOf(wpgFile, wpcmdSave));
  EXPECT_TRUE(std::filesystem::exists(file));
  return file;
}

}  // namespace

TEST(Outside, PandocReadsTheTypedDocument) {
  if (!Installed("pandoc")) GTEST_SKIP() << "pandoc is not installed";
  EditorForm f;
  const auto file = TypeAndSave(f);
  ASSERT_NE(rtedit_test::Text(f.edit).find(CP1252("Grüße").str()), std::string::npos) << "typing reached the editor";
  const auto out = WorkDir() / "typed_pandoc.txt";
  const std::string cmd = "pandoc -f rtf -t plain --wrap=none -o '" + out.string() + "' '" + file.string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  EXPECT_EQ(Words(ReadFile(out)), EditorWords(f.edit));
  // The heading is bold for the other program too.
  const auto md = WorkDir() / "typed_pandoc.md";
  ASSERT_EQ(std::system(("pandoc -f rtf -t markdown -o '" + md.string() + "' '" + file.string() + "'").c_str()), 0);
  EXPECT_NE(ReadFile(md).find("**Grüße aus Zürich**"), std::string::npos) << ReadFile(md);
}

TEST(Outside, LibreOfficeReadsTheTypedDocument) {
  if (!Installed("soffice")) GTEST_SKIP() << "LibreOffice is not installed";
  EditorForm f;
  const auto file = TypeAndSave(f);
  const auto dir = WorkDir() / "lo";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  // A profile of its own, so that no running office is asked.
  const std::string cmd = "HOME='" + dir.string() + "' timeout 120 soffice -env:UserInstallation=file://" +
                          dir.string() + "/profile --headless --convert-to 'txt:Text (encoded):UTF8' --outdir '" +
                          dir.string() + "' '" + file.string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  std::string text = ReadFile(dir / "typed.txt");
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text = text.substr(3);
  EXPECT_EQ(Words(text), EditorWords(f.edit));
}

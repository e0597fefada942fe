// The real program's "Vorlagen erfassen" under a virtual X server (skipped
// when xvfb-run is missing): a user opens the editor from the menu bar,
// types into the first template's text, inserts "<Vorname>" from the
// placeholder menu, saves and closes; the program's table then holds it.
// Where to click is taken from the same windows made here.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/templates/layoutedit.h"
#include "tests/app_main/main_fixture.h"
#include "tests/app_templates/templates_fixture.h"

namespace {

namespace fs = std::filesystem;

// A point of a control or of an open menu's item, in the window's client
// co-ordinates, as "x,y".
std::string At(TCustomForm* form, TPoint screen, int dy = 0) {
  return std::to_string(screen.X - form->ClientOrigin().X) + "," +
         std::to_string(screen.Y - form->ClientOrigin().Y + dy);
}
TPoint Middle(TControl* c) { return c->ClientToScreen({c->Width() / 2, c->Height() / 2}); }
TPoint MenuItemMiddle(std::size_t level, TMenuItem* item) {
  TCustomForm* w = OpenMenuWindows().at(level);
  const TRect r = MenuItemRect(w, item);
  return {w->Left() + (r.Left + r.Right) / 2, w->Top() + (r.Top + r.Bottom) / 2};
}

using maintest::MainWindowTest;

TEST_F(MainWindowTest, TheRealProgramsTemplateEditorTakesTypingAndAPlaceholder) {
  if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
  TfrmMain* main = Start();
  const TRect bar = main->mnuMain->BarLayout().at(4).second;
  ASSERT_EQ(StripHotkey(main->mnuMain->BarLayout().at(4).first->Caption()), "Drucken");
  std::string args = " " + std::to_string((bar.Left + bar.Right) / 2) + "," + std::to_string((bar.Top + bar.Bottom) / 2);
  driver.WhenModal([&](TCustomForm&) {
    args += " " + At(main, MenuItemMiddle(0, main->mnpLayout), main->MenuBarHeight());
    CloseMenus();
  });
  driver.ClickMenuBar(main, 4);
  TfrmLayout* editor = nullptr;
  Application->CreateForm(editor);
  editor->Show();
  driver.Process();
  args += " " + At(editor, editor->DBWPRichText1->ClientToScreen({6, 8})) + " " + At(editor, Middle(editor->pbPlatzhalter));
  driver.WhenModal([&](TCustomForm&) {
    TMenuItem* name = editor->popPlatzhalter->Items()->Find("Name");
    args += " " + At(editor, MenuItemMiddle(0, name));
    const TPoint p = MenuItemMiddle(0, name);
    driver.Click(OpenMenuWindows()[0], p.X - OpenMenuWindows()[0]->Left(), p.Y - OpenMenuWindows()[0]->Top());
    args += " " + At(editor, MenuItemMiddle(1, name->Find("Vorname")));
    CloseMenus();
  });
  driver.Click(editor->pbPlatzhalter);
  args += " " + At(editor, Middle(editor->pbPost)) + " " + At(editor, Middle(editor->pbExit));
  delete editor;

  // The real program in a directory of its own.
  const fs::path dir = fs::path(testpaths::BinaryDir()) / "test-artifacts" / "app_templates" / "x11_program";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(apptest::BuiltProgramDir() / "DATEN", dir / "DATEN", fs::copy_options::recursive);
  apptest::PlaceProgram(dir);
  for (const char* f : {"OvDef001.Rtf", "OvDef002.Rtf", "OvDef003.Rtf"})
    fs::copy_file(apptest::BuiltProgramDir() / f, dir / f);
  const std::string cmd = "env -u QT_QPA_PLATFORM timeout 120 xvfb-run -a " +
                          (fs::read_symlink("/proc/self/exe").parent_path() / "x11_templates_user").string() + " " +
                          (dir / "orvelan").string() + args + " 2>" + (dir / "stderr.txt").string();
  const int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << apptest::Slurp(dir / "stderr.txt");

  // The first template by title as the program left it in its table.
  delete frmMain;
  frmMain = nullptr;
  fs::copy_file(dir / "BENUTZER" / "LAYOUT.FFD", fs::path(UserDataDir) / "LAYOUT.FFD",
                fs::copy_options::overwrite_existing);
  auto t = apptest::OpenTable("OrvUser", "LAYOUT.FFD", "XLOUT_ID");
  ASSERT_TRUE(t->FindKey({2}));
  TWPRTFTextIo saved;
  tpltest::LoadRtf(t->ReadBlob(t->FieldByName("LOUT_TEXT")), saved);
  EXPECT_EQ(TWPRtfStrings(&saved).Strings(0), "hallo <Vorname>Ein runder Tag");
}

}  // namespace

// The real program under a virtual X server (skipped when xvfb-run is
// missing): a user defines a password, opens the person editor (asked for
// the password), enters a person born on today's day, closes the editor and
// shows the personal rubric; the program shows exactly the personal page
// that the same window builds here on the tables the program wrote, and
// that page names the person.
#include <gtest/gtest.h>

#include "app/editors/perserf.h"
#include "app/main/dialogs.h"
#include "platform/rtl/sysutils.h"
#include "tests/app_main/main_fixture.h"
#include "tests/app_main/x11_screen.h"

namespace {

using namespace x11test;

using maintest::MainWindowTest;

TEST_F(MainWindowTest, TheRealProgramsPersonEditorBehindADefinedPassword) {
  if (!Have("xvfb-run")) GTEST_SKIP() << "xvfb-run is not installed";
  const fs::path dir = ProgramCopy("x11_editors", "[ALLGEMEIN]\r\nRubrik=0\r\n[HAUPTFENSTER]\r\nLinks=0\r\nOben=0\r\n");
  // Where the editor's Insert and Post buttons are, from the same editor here.
  InitColorTable();
  LoadSettings();
  CreateUserDatabase();
  std::string buttons;
  {
    std::unique_ptr<TfrmPersErf> e(new TfrmPersErf(Application));
    for (TControl* b : {static_cast<TControl*>(e->pbInsert), static_cast<TControl*>(e->pbPost)}) {
      const TPoint p = b->ClientToScreen({b->Width() / 2, b->Height() / 2});
      buttons += " " + std::to_string(p.X - e->ClientOrigin().X) + " " + std::to_string(p.Y - e->ClientOrigin().Y);
    }
  }
  ReleaseData();
  const std::string cmd = "env -u QT_QPA_PLATFORM timeout 150 xvfb-run -a " + Beside("orvelan_x11_editors_user") +
                          " " + (dir / "orvelan").string() + " " + dir.string() + buttons + " " +
                          FormatDateTime("ddmm", Date()) + " 2>" + (dir / "stderr.txt").string();
  const int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  ASSERT_EQ(WEXITSTATUS(rc), 0) << apptest::Slurp(dir / "stderr.txt");
  const TSurface shown = ReadPpm(dir / "personal.ppm");
  ASSERT_FALSE(shown.Empty());
  SavePng(ReadPpm(dir / "editor.ppm"), "editors_x11_person_typed");
  SavePng(shown, "editors_x11_personal_page");

  // The program's settings and tables here: the personal page it starts on
  // (asked for the stored password) as this window builds it.
  fs::create_directories(Root() / "BENUTZER");
  fs::copy(dir / "BENUTZER", Root() / "BENUTZER", fs::copy_options::overwrite_existing | fs::copy_options::recursive);
  TIniFile written((dir / "Orvelan.Ini").string());
  EXPECT_EQ(written.ReadString("ALLGEMEIN", "Passwort", ""), "abc");
  TfrmMain* f = Start(apptest::Slurp(dir / "Orvelan.Ini"));
  driver.WhenModal([&](TCustomForm& form) {
    ASSERT_NE(dynamic_cast<TfrmPasswort*>(&form), nullptr);
    driver.Type("abc");
    driver.PressKey(VK_RETURN);
  });
  driver.Advance(200);
  ASSERT_EQ(CurrentRubric, rbPersonal);
  std::string page;
  for (TWPParagraphRec* p = f->WPRichText1->RtfText()->FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next) page.append(l->pc, static_cast<size_t>(l->Length));
  EXPECT_NE(page.find("eva heutig"), std::string::npos) << page;
  const TPoint at = f->WPRichText1->ClientToScreen({0, 0});
  EXPECT_EQ(Differences(shown, f,
                        Bounds(at.X - f->ClientOrigin().X, at.Y - f->ClientOrigin().Y, f->WPRichText1->ClientWidth(),
                               f->WPRichText1->ClientHeight())),
            0);
}

}  // namespace

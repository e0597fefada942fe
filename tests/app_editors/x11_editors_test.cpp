// The real program under a virtual X server (skipped when xvfb-run is
// missing): a user defines a password, opens the person editor (asked for
// the password), enters a person born on today's day, closes the editor and
// shows the personal rubric; the program shows exactly the personal page
// that the same window builds here on the tables the program wrote, and
// that page names the person.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/editors/perserf.h"
#include "app/main/dialogs.h"
#include "platform/rtl/sysutils.h"
#include "tests/app_main/main_fixture.h"

namespace {

using maintest::MainWindowTest;
namespace fs = std::filesystem;

bool Have(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Beside(const char* name) { return (fs::read_symlink("/proc/self/exe").parent_path() / name).string(); }

TSurface ReadPpm(const fs::path& path) {
  TSurface s;
  std::ifstream f(path, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, max = 0;
  if (!(f >> magic >> w >> h >> max) || magic != "P6" || max != 255) return s;
  f.get();
  s.Resize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char rgb[3] = {};
      f.read(reinterpret_cast<char*>(rgb), 3);
      s.Row(y)[x] = 0xFF000000u | (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
    }
  return s;
}

void SavePng(const TSurface& s, const std::string& name) {
  const std::vector<std::uint8_t> png = GfxPlatform()->EncodePng(s);
  std::ofstream(TUiTestDriver::ArtifactDir() + "/" + name + ".png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

TEST_F(MainWindowTest, TheRealProgramsPersonEditorBehindADefinedPassword) {
  if (!Have("xvfb-run")) GTEST_SKIP() << "xvfb-run is not installed";
  const std::string ini = "[ALLGEMEIN]\r\nRubrik=0\r\n[HAUPTFENSTER]\r\nLinks=0\r\nOben=0\r\n";
  const fs::path dir = fs::path(testpaths::BinaryDir()) / "test-artifacts" / "app_editors" / "x11_program";
  fs::remove_all(dir);
  fs::create_directories(dir / "DATEN");
  fs::copy_file(apptest::BuiltProgramDir() / "orvelan", dir / "orvelan");
  for (const auto& e : fs::directory_iterator(apptest::BuiltProgramDir() / "DATEN"))
    fs::copy_file(e.path(), dir / "DATEN" / e.path().filename());
  apptest::Put(dir / "Orvelan.Ini", ini);

  // Where the editor's Insert and Post buttons are, from the same editor here.
  InitColorTable();
  LoadSettings();
  CreateUserDatabase();
  std::string buttons;
  {
    std::unique_ptr<TfrmPersErf> e(new TfrmPersErf(Application));
    e->AfterConstruction();
    for (TControl* b : {static_cast<TControl*>(e->pbInsert), static_cast<TControl*>(e->pbPost)}) {
      const TPoint p = b->ClientToScreen({b->Width() / 2, b->Height() / 2});
      buttons += " " + std::to_string(p.X - e->ClientOrigin().X) + " " + std::to_string(p.Y - e->ClientOrigin().Y);
    }
  }
  ReleaseData();
  const std::string today = FormatDateTime("ddmm", Date());
  const std::string cmd = "env -u QT_QPA_PLATFORM timeout 150 xvfb-run -a " + Beside("orvelan_x11_editors_user") +
                          " " + (dir / "orvelan").string() + " " + dir.string() + buttons + " " + today + " 2>" +
                          (dir / "stderr.txt").string();
  const int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  ASSERT_EQ(WEXITSTATUS(rc), 0) << apptest::Slurp(dir / "stderr.txt");
  const TSurface editor = ReadPpm(dir / "editor.ppm"), shown = ReadPpm(dir / "personal.ppm");
  ASSERT_FALSE(editor.Empty());
  ASSERT_FALSE(shown.Empty());
  SavePng(editor, "editors_x11_person_typed");
  SavePng(shown, "editors_x11_personal_page");

  // The program's settings and tables here: the personal page it starts on
  // (asked for the stored password) as this window builds it.
  fs::create_directories(Root() / "BENUTZER");
  for (const auto& e : fs::directory_iterator(dir / "BENUTZER"))
    fs::copy_file(e.path(), Root() / "BENUTZER" / e.path().filename(), fs::copy_options::overwrite_existing);
  TIniFile written((dir / "Orvelan.Ini").string());
  EXPECT_EQ(written.ReadString("ALLGEMEIN", "Passwort", ""), "abc");
  EXPECT_EQ(written.ReadInteger("ALLGEMEIN", "Rubrik", -1), rbPersonal);
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
  // Pixel for pixel the program's page (its menu bar above the client area).
  const TPoint at = f->WPRichText1->ClientToScreen({0, 0});
  const TRect r = Bounds(at.X - f->ClientOrigin().X, at.Y - f->ClientOrigin().Y, f->WPRichText1->ClientWidth(),
                         f->WPRichText1->ClientHeight());
  f->PaintPending();
  const TSurface& own = *f->Surface();
  int diff = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (y + f->MenuBarHeight() >= shown.Height() || x >= shown.Width() ||
          (shown.Row(y + f->MenuBarHeight())[x] | 0xFF000000u) != (own.Row(y)[x] | 0xFF000000u))
        ++diff;
  EXPECT_EQ(diff, 0);
}

}  // namespace

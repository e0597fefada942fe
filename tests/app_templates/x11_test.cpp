// The real program's "Vorlagen erfassen" under a virtual X server (skipped
// when xvfb-run is missing): a user opens the editor from the menu, types
// into the first template's text, inserts a placeholder from the
// placeholder menu, saves and closes; the program's table then holds the
// typed text with the placeholder. Where to click is taken from the same
// windows made here.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/templates/layoutedit.h"
#include "tests/app_main/main_fixture.h"

namespace {

using maintest::MainWindowTest;
namespace fs = std::filesystem;

bool Have(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Beside(const char* name) { return (fs::read_symlink("/proc/self/exe").parent_path() / name).string(); }

std::string At(TPoint p) { return std::to_string(p.X) + "," + std::to_string(p.Y); }

// The middle of a control, in its window's client co-ordinates.
TPoint Middle(TControl* c, TCustomForm* form) {
  const TPoint s = c->ClientToScreen({c->Width() / 2, c->Height() / 2});
  return {s.X - form->ClientOrigin().X, s.Y - form->ClientOrigin().Y};
}

// The middle of an item of the open menu level, in a window's client co-ordinates.
TPoint MenuPoint(std::size_t level, TMenuItem* item, TCustomForm* form) {
  TCustomForm* w = OpenMenuWindows().at(level);
  const TRect r = MenuItemRect(w, item);
  return {w->Left() + (r.Left + r.Right) / 2 - form->ClientOrigin().X,
          w->Top() + (r.Top + r.Bottom) / 2 - form->ClientOrigin().Y};
}

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

TEST_F(MainWindowTest, TheRealProgramsTemplateEditorTakesTypingAndAPlaceholderAndSaves) {
  if (!Have("xvfb-run")) GTEST_SKIP() << "xvfb-run is not installed";
  TfrmMain* main = Start();
  // "Drucken" on the bar and "Vorlagen erfassen" in its drop-down.
  const auto bar = main->mnuMain->BarLayout();
  ASSERT_EQ(StripHotkey(bar.at(4).first->Caption()), "Drucken");
  const TRect b = bar.at(4).second;
  const TPoint barAt{(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
  TPoint itemAt;
  driver.WhenModal([&](TCustomForm&) {
    itemAt = MenuPoint(0, main->mnpLayout, main);
    itemAt.Y += main->MenuBarHeight();
    CloseMenus();
  });
  driver.ClickMenuBar(main, 4);
  ASSERT_TRUE(main->mnpLayout->Enabled());

  // The editor's places: its text, the placeholder button and menu, save
  // and close.
  TfrmLayout* editor = nullptr;
  Application->CreateForm(editor);
  editor->Show();
  driver.Process();
  const TPoint textAt = Middle(editor->DBWPRichText1, editor);
  const TPoint text{6, textAt.Y - editor->DBWPRichText1->Height() / 2 + 8};
  TPoint nameAt, firstNameAt;
  driver.WhenModal([&](TCustomForm&) {
    TMenuItem* name = editor->popPlatzhalter->Items()->Find("Name");
    nameAt = MenuPoint(0, name, editor);
    const TRect r = MenuItemRect(OpenMenuWindows()[0], name);
    driver.Click(OpenMenuWindows()[0], (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    firstNameAt = MenuPoint(1, name->Find("Vorname"), editor);
    CloseMenus();
  });
  driver.Click(editor->pbPlatzhalter);
  const std::vector<std::string> args = {At(barAt), At(itemAt), At(text), At(Middle(editor->pbPlatzhalter, editor)),
                                         At(nameAt), At(firstNameAt), At(Middle(editor->pbPost, editor)),
                                         At(Middle(editor->pbExit, editor))};
  delete editor;

  // The real program in a directory of its own.
  const fs::path dir = fs::path(testpaths::BinaryDir()) / "test-artifacts" / "app_templates" / "x11_program";
  fs::remove_all(dir);
  fs::create_directories(dir / "DATEN");
  fs::copy_file(apptest::BuiltProgramDir() / "orvelan", dir / "orvelan");
  for (const auto& e : fs::directory_iterator(apptest::BuiltProgramDir() / "DATEN"))
    fs::copy_file(e.path(), dir / "DATEN" / e.path().filename());
  for (const char* t : {"OvDef001.Rtf", "OvDef002.Rtf", "OvDef003.Rtf"})
    fs::copy_file(apptest::BuiltProgramDir() / t, dir / t);
  apptest::Put(dir / "Orvelan.Ini", "[HAUPTFENSTER]\r\nLinks=0\r\nOben=0\r\n");
  std::string cmd = "env -u QT_QPA_PLATFORM timeout 120 xvfb-run -a " + Beside("x11_templates_user") + " " +
                    (dir / "orvelan").string() + " " + (dir / "editor.ppm").string();
  for (const std::string& a : args) cmd += " " + a;
  const int rc = std::system((cmd + " 2>" + (dir / "stderr.txt").string()).c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  ASSERT_EQ(WEXITSTATUS(rc), 0) << apptest::Slurp(dir / "stderr.txt");
  const TSurface shown = ReadPpm(dir / "editor.ppm");
  ASSERT_FALSE(shown.Empty());
  const std::vector<std::uint8_t> png = GfxPlatform()->EncodePng(shown);
  std::ofstream(TUiTestDriver::ArtifactDir() + "/templates_x11_editor.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));

  // The first template by title, as the program left it in its table.
  delete frmMain;
  frmMain = nullptr;
  fs::copy_file(dir / "BENUTZER" / "LAYOUT.FFD", fs::path(UserDataDir) / "LAYOUT.FFD",
                fs::copy_options::overwrite_existing);
  auto t = apptest::OpenTable("OrvUser", "LAYOUT.FFD", "XLOUT_ID");
  ASSERT_TRUE(t->FindKey({2}));
  const AnsiString rtf = t->ReadBlob(t->FieldByName("LOUT_TEXT"));
  TMemoryStream ms;
  ms.WriteBuffer(rtf.data(), static_cast<int>(rtf.size()));
  ms.SetPosition(0);
  TWPRTFTextIo saved;
  saved.LoadFromStream(&ms);
  TWPRtfStrings lines(&saved);
  ASSERT_GT(lines.Count(), 1);
  EXPECT_EQ(lines.Strings(0), "hallo <Vorname>Ein runder Tag");
}

}  // namespace

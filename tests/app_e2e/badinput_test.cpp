// Bad input in the real program under a virtual X server (skipped without
// xvfb-run), run as an ordinary user so that file permissions hold: dates
// that are none, a password longer than its field, a template file of
// random bytes, a person's name longer than its field, a latitude beyond
// the pole, the settings file made read-only and a user table deleted while
// the program runs. Each is answered by a German message that is compared
// with the message box built here (a character beyond a field's room by a
// beep); what the user stored before stays; the program stays usable and
// ends normally.
#include <gtest/gtest.h>

#include <random>

#include "app/dialogs/params.h"
#include "app/editors/perserf.h"
#include "app/main/dialogs.h"
#include "app/templates/layoutedit.h"
#include "platform/rtl/inifiles.h"
#include "platform/ui/dialogs.h"
#include "richtext/bars/toolbar.h"
#include "richtext/controls/barlinks.h"
#include "tests/app_e2e/e2e_fixture.h"

namespace {

using namespace e2etest;

constexpr uid_t kUser = 65534;  // an ordinary user: root writes any file

// A message box as the program shows it, built here.
TSurface MessageBoxPicture(TUiTestDriver& driver, const AnsiString& text, const AnsiString& caption, unsigned flags) {
  TSurface out;
  driver.WhenModal([&](TCustomForm& box) {
    box.PaintPending();
    out = *box.Surface();
    box.SetModalResult(mrOk);
  });
  RunMessageDialog(text, caption, flags);
  return out;
}

// Pixels that differ between a grabbed window and a picture of its client
// area (both from the top left).
int Unlike(const TSurface& grabbed, const TSurface& own) {
  if (grabbed.Width() != own.Width() || grabbed.Height() != own.Height()) return -1;
  int diff = 0;
  for (int y = 0; y < own.Height(); ++y)
    for (int x = 0; x < own.Width(); ++x) diff += (grabbed.Row(y)[x] | 0xFF000000u) != (own.Row(y)[x] | 0xFF000000u);
  return diff;
}

class BadInput : public E2eTest {};

TEST_F(BadInput, EachGetsAGermanMessageAndNothingStoredIsLost) {
  if (!Have("xvfb-run") || !Have("setpriv")) GTEST_SKIP() << "xvfb-run or setpriv is not installed";
  if (const std::string why = FreshProgramFor("bad", kUser); !why.empty()) GTEST_SKIP() << why;
  const fs::path dir = Dir();
  const std::string ini = "[HAUPTFENSTER]\r\nLinks=0\r\nOben=0\r\n";
  apptest::Put(dir / "Orvelan.Ini", ini);
  TfrmMain* f = Start(ini);
  driver.Advance(200);
  const std::string main = "Orvelan f";
  menuFocus = f->pnlGauge;
  // A file of random bytes to import as a template.
  {
    std::mt19937 random(40);
    std::string bytes(4096, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    apptest::Put(dir / "zufall.rtf", bytes);
  }
  const std::string password21 = "abcdefghijklmnopqrstu";
  Line("start").Await(main, 30000).Line("sleep 1200");

  // Dates that are none, typed into the date dialog.
  for (const char* date : {"31.02.2027", "1.4."}) {
    Line("keys alt+Home").Await("Datum eingeben").Line("keys End");
    for (int i = 0; i < 12; ++i) Line("keys BackSpace");
    Line(std::string("type ") + date).Line("keys Return").Line("sleep 800");
    Grab(std::string("date_") + (date[0] == '3' ? "a" : "b"), "");
    Line("keys Return").Line("sleep 300").Line("keys Escape").Gone("Datum eingeben").Line("alive");
  }
  // A password of 21 characters, twice; asked for by the person editor.
  // The 21st character is refused with a beep each time; the field keeps 20.
  Menu(f->mnpPassDef).Await("Pa\xc3\x9fwort definieren").Line("type " + password21).Line("keys Tab");
  Line("type " + password21).Line("sleep 300");
  Grab("password", "Pa\xc3\x9f").Line("keys Return");
  Gone("Pa\xc3\x9fwort definieren");
  std::unique_ptr<TfrmPersErf> e(new TfrmPersErf(Application));
  {
    Menu(f->mnpPersErf).Await("Pa\xc3\x9fwort eingeben").Line("type " + password21).Line("sleep 300");
    Line("keys Return").Line("sleep 300").Line("keys Return");
    // A name of 31 characters: the 31st is refused, the keys after it count.
    Await(Title(e.get())).Line("sleep 300").Click(e->pbInsert).Line("sleep 300");
    Line("type " + std::string(31, 'x')).Line("keys Tab").Line("type Lang").Line("keys Tab Tab Tab");
    Line("type 01011990").Click(e->pbPost).Line("sleep 600").Grab("long_name", "");
    Line("keys Return").Line("sleep 300").Line("close " + Title(e.get())).Line("sleep 600").Grab("long_name_close", "");
  }
  Line("mark entries");
  // A template file of random bytes imported into a new template.
  {
    std::unique_ptr<TfrmLayout> e(new TfrmLayout(Application));
    e->Show();
    driver.Process();
    Menu(f->mnpLayout).Await(Title(e.get())).Line("sleep 300").Click(e->WPToolbar1->ButtonOf(wpgFile, wpcmdOpen));
    Line("sleep 1500").Line("keys ctrl+a").Line("type " + (dir / "zufall.rtf").string()).Line("keys Return");
    Line("sleep 1000").Grab("random_template", "").Line("keys Return").Line("sleep 300");
    Line("close " + Title(e.get())).Line("sleep 800").Grab("random_template_close", "");
    Line("keys Return").Line("sleep 300").Line("alive");
  }
  // A latitude beyond the pole in the parameter dialog.
  {
    std::unique_ptr<TfrmParams> p(new TfrmParams(Application));
    p->Show();
    driver.Process();
    Menu(f->mnpParams).Await(Title(p.get())).Click(p->spBreiteGrad).Line("keys End BackSpace BackSpace BackSpace");
    // 95 gets the message and the field keeps the focus; 52 is taken.
    Line("type 95").Line("keys Tab").Line("sleep 300").Grab("latitude", "").Line("keys Return").Line("sleep 300");
    Line("keys End BackSpace BackSpace").Line("type 52").Line("keys Return").Line("sleep 800");
    Gone(Title(p.get())).Grab("latitude_ok", "").Line("alive");
  }
  Line("mark settings");
  // The settings file made read-only, then a dialog opened and closed.
  Line("run chmod 444 " + (dir / "Orvelan.Ini").string());
  Line("keys alt+Home").Line("sleep 800").Line("keys Escape").Line("sleep 800").Grab("readonly_dialog", "");
  Line("keys Return").Line("sleep 300").Line("alive");
  // A user table deleted, then the personal page asked for.
  Line("run cp " + (dir / "BENUTZER" / "EIGENES.FFD").string() + " " + (dir / "kept.FFD").string());
  Line("run rm " + (dir / "BENUTZER" / "EIGENES.FFD").string());
  Click(f->pbEige).Line("sleep 800").Grab("deleted_table", "").Line("keys Return").Line("sleep 300");
  Menu(f->mnpPersErf).Line("sleep 1500").Grab("deleted_editor", "").Line("keys Escape").Line("sleep 500");
  Grab("deleted_editor_closed", "").Line("keys Return").Line("sleep 300");
  Click(f->pbPGeb).Line("sleep 800").Grab("after_deleted", main).Line("alive");
  Line("close " + main).Line("sleep 1000").Grab("closing", "").Line("keys Return").Line("end 15000");
  std::string marks;
  ASSERT_EQ(RunScript("bad", 200, &marks, kUser), "") << marks;

  // The messages as the program's message boxes show them, built here.
  const AnsiString dateCaption = "Datum eingeben";
  const std::vector<std::pair<const char*, TSurface>> boxes = {
      {"latitude", MessageBoxPicture(driver, CP1252("Bei \"Breite\" sind 0 bis 89 Grad möglich, nicht \"95\".").str(),
                                     "Orvelan", MB_OK | MB_ICONSTOP)},
      {"date_a", MessageBoxPicture(driver, CP1252("\"31.02.2027\" ist kein gültiges Datum.").str(), dateCaption,
                                   MB_OK | MB_ICONERROR)},
      {"date_b", MessageBoxPicture(driver, CP1252("\"1.4.\" ist kein gültiges Datum.").str(), dateCaption,
                                   MB_OK | MB_ICONERROR)},
      {"random_template",
       MessageBoxPicture(driver,
                         "Die Datei \"" + (dir / "zufall.rtf").string() +
                             "\" ist weder eine RTF- noch eine Textdatei; sie wird nicht geladen.",
                         "Orvelan", MB_OK | MB_ICONSTOP)},
      {"deleted_editor", MessageBoxPicture(driver,
                                           "Die Datei \"" + (dir / "BENUTZER" / "EIGENES.FFD").string() +
                                               "\" kann nicht gelesen werden:\rSie fehlt. Stellen Sie sie aus "
                                               "einer Sicherung wieder her.",
                                           "Orvelan", MB_OK | MB_ICONSTOP)},
      {"closing",
       MessageBoxPicture(driver,
                         CP1252("Die Einstellungen können nicht in der Datei \"").str() +
                             (dir / "Orvelan.Ini").string() +
                             CP1252("\" gespeichert werden: Die Datei oder ihr Verzeichnis ist schreibgeschützt "
                                    "(fehlende Schreibrechte). Heben Sie den Schreibschutz auf oder lassen Sie sich "
                                    "Schreibrechte für die Datei und ihr Verzeichnis geben.\r\rBis dahin bleibt die "
                                    "Datei unverändert; Änderungen an den Einstellungen (auch die Lage der Fenster) "
                                    "gehen am Ende verloren.")
                                 .str(),
                         "Orvelan", MB_OK | MB_ICONWARNING)}};
  for (const auto& [shot, own] : boxes) {
    SCOPED_TRACE(shot);
    const TSurface grabbed = Grabbed(shot);
    ASSERT_FALSE(grabbed.Empty());
    EXPECT_EQ(Unlike(grabbed, own), 0) << grabbed.Width() << "x" << grabbed.Height() << " " << own.Width() << "x" << own.Height();
    SavePng(own, std::string("e2e_own_") + shot);
  }
  for (const char* shot : {"password", "long_name", "random_template_close", "latitude_ok",
                           "readonly_dialog", "deleted_table", "after_deleted", "deleted_editor_closed"})
    EXPECT_FALSE(Grabbed(shot).Empty()) << shot;

  // The name was cut to its field and stored with the rest of the person.
  datatest::TTableReader kept(dir.string(), "kept");
  ASSERT_TRUE(kept.First());
  EXPECT_EQ(kept.Str("EIGE_VORNAME"), std::string(30, 'x'));
  EXPECT_EQ(kept.Str("EIGE_NACHNAME"), "Lang");
  EXPECT_EQ(kept.Int("EIGE_JAHR"), 1990);
  // The read-only settings file stayed as it was made read-only: the
  // placements of the windows closed before are in it, and the password
  // defined before (written at its Ok, cut to its field), nothing later.
  EXPECT_EQ(fs::status(dir / "Orvelan.Ini").permissions() & fs::perms::owner_write, fs::perms::none);
  TIniFile written((dir / "Orvelan.Ini").string());
  EXPECT_GT(written.ReadInteger("DATUM EINGEBEN", "Links", -1), -1);
  EXPECT_EQ(written.ReadString("ALLGEMEIN", "Passwort", "-"), "abcdefghijklmnopqrst");
  // The other user tables are whole: the three default templates.
  datatest::TTableReader layouts((dir / "BENUTZER").string(), "LAYOUT");
  int templates = 0;
  for (bool ok = layouts.First(); ok; ok = layouts.Next()) ++templates;
  EXPECT_EQ(templates, 3);
}

}  // namespace

// The program block run in-process on the headless driver: a first start
// builds the user's tables and templates and writes the settings back; an
// automatic start on a day on which the program already ran shows only the
// notice for 2 s and keeps the last start; "/a" counts only as the first
// argument and in any letter case; a second start hands over to the first
// (restoring it when minimised), also while the first is still starting,
// and ends without touching the settings; a start without reference data,
// with a damaged table or with a settings file it cannot write says so.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/main/program.h"
#include "app/windows/saying.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "tests/app_main/main_fixture.h"
#include "tests/ui/ui_test_util.h"

namespace {

using maintest::MainWindowTest;
namespace fs = std::filesystem;

class ProgramBlock : public MainWindowTest {
 protected:
  // The last start stored in the settings file.
  int StoredLastStart() { return TIniFile(Ini().string()).ReadInteger("ALLGEMEIN", "Letzter Programmstart", -1); }
  void StoreLastStart(TDateTime d) {
    apptest::Put(Ini(), "[ALLGEMEIN]\r\nLetzter Programmstart=" + std::to_string(static_cast<int>(d)) + "\r\n");
  }
  bool UserTablesExist() { return fs::exists(Root() / "BENUTZER" / "EIGENES.FFD"); }
  // Runs the block; the scripted step closes the main window once it shows
  // its start rubric.
  int RunFullStart(const std::vector<std::string>& args) {
    driver.WhenModal([&](TCustomForm&) {
      driver.Advance(200);
      EXPECT_NE(frmMain, nullptr);
      if (frmMain) {
        EXPECT_TRUE(frmMain->Visible());
        EXPECT_EQ(Application->Title(), "Orvelan");
        frmMain->Close();
      }
    });
    return RunProgram(args);
  }
};

TEST_F(ProgramBlock, AFirstStartBuildsTheUserTablesAndWritesTheSettings) {
  EXPECT_EQ(RunFullStart({}), 0);
  EXPECT_TRUE(UserTablesExist());
  EXPECT_EQ(StoredLastStart(), static_cast<int>(Trunc(Date())));
  // The main window's placement was written when it closed.
  EXPECT_TRUE(TIniFile(Ini().string()).SectionExists("HAUPTFENSTER"));
  auto layouts = apptest::OpenTable("OrvUser", "LAYOUT.FFD");
  EXPECT_EQ(layouts->RecordCount(), 3);
}

TEST_F(ProgramBlock, AnAutomaticStartOnADayAlreadyRunOnlyShowsTheNotice) {
  for (const char* arg : {"/a", "/A"}) {
    StoreLastStart(Trunc(Date()));
    bool sawNotice = false;
    driver.WhenModal([&](TCustomForm& active) {
      sawNotice = dynamic_cast<TfrmAutoSkip*>(&active) != nullptr;
      // Plain German that says what happens, each line whole on its label.
      auto& notice = static_cast<TfrmAutoSkip&>(active);
      EXPECT_EQ(notice.Label1->Caption(), "Orvelan wurde heute schon gestartet.");
      EXPECT_EQ(notice.Label2->Caption(), CP1252("Dieser automatische Start wird übersprungen.").str());
      for (TLabel* l : {notice.Label1, notice.Label2}) {
        TCanvas* c = notice.Canvas();
        c->Font()->Assign(*l->Font());
        EXPECT_LE(c->TextWidth(l->Caption()), l->Width()) << l->Caption();
      }
      driver.SavePng(&active, "main_autoskip");
      driver.Advance(1999);
      EXPECT_TRUE(active.Visible());
      driver.Advance(1);  // closes after 2 s
    });
    EXPECT_EQ(RunProgram({arg}), 0) << arg;
    EXPECT_TRUE(sawNotice) << arg;
    EXPECT_EQ(frmMain, nullptr);
    EXPECT_FALSE(UserTablesExist());
    // The settings were written back with the same last start.
    EXPECT_EQ(StoredLastStart(), static_cast<int>(Trunc(Date())));
    EXPECT_TRUE(TIniFile(Ini().string()).SectionExists("GEBURTSTAGE"));
  }
}

TEST_F(ProgramBlock, AnAutomaticStartOnANewDayOrAsSecondArgumentStartsFully) {
  // A new day.
  StoreLastStart(Trunc(Date()) - 3);
  EXPECT_EQ(RunFullStart({"/a"}), 0);
  EXPECT_EQ(StoredLastStart(), static_cast<int>(Trunc(Date())));
  delete frmMain;
  delete frmSpruch;
  // The same day, but "/a" is not the first argument.
  EXPECT_EQ(RunFullStart({"x", "/a"}), 0);
  EXPECT_EQ(StoredLastStart(), static_cast<int>(Trunc(Date())));
  EXPECT_TRUE(IsAutoStart({"/A"}));
  EXPECT_FALSE(IsAutoStart({"/ab"}));
  EXPECT_FALSE(IsAutoStart({}));
}

TEST_F(ProgramBlock, TheFirstAutomaticStartEverStartsFully) {
  ASSERT_FALSE(fs::exists(Ini()));
  EXPECT_EQ(RunFullStart({"/a"}), 0);
  EXPECT_TRUE(UserTablesExist());
  EXPECT_EQ(StoredLastStart(), static_cast<int>(Trunc(Date())));
}

TEST_F(ProgramBlock, ASecondStartHandsOverToTheFirstAndEnds) {
  int childStatus = -1;
  std::string iniBefore, iniAfter;
  bool restored = false;
  driver.WhenModal([&](TCustomForm&) {
    driver.Advance(200);
    ASSERT_NE(frmMain, nullptr);
    Application->Minimize();
    iniBefore = apptest::Slurp(Ini());
    const pid_t child = fork();
    // Handed over without a word: this instance answers meanwhile.
    const size_t boxes = driver.MessageBoxes().size();
    if (child == 0) _exit(RunProgram({}) == 0 && driver.MessageBoxes().size() == boxes ? 0 : 1);
    childStatus = WaitAnswering(child, driver);
    iniAfter = apptest::Slurp(Ini());
    driver.Process();  // the message arrives
    restored = !IsIconic(Application->Handle());
    frmMain->Close();
  });
  EXPECT_EQ(RunProgram({}), 0);
  ASSERT_TRUE(WIFEXITED(childStatus));
  EXPECT_EQ(WEXITSTATUS(childStatus), 0);
  EXPECT_EQ(iniBefore, iniAfter);
  EXPECT_TRUE(restored);
}

// A second start while the first is still starting (here: showing its
// automatic-start notice, before any main window exists) hands over and
// ends: it builds no tables and leaves the settings alone.
TEST_F(ProgramBlock, ASecondStartWhileTheFirstIsStartingHandsOver) {
  StoreLastStart(Trunc(Date()));
  int childStatus = -1;
  std::string iniBefore, iniAfter;
  driver.WhenModal([&](TCustomForm&) {
    iniBefore = apptest::Slurp(Ini());
    const pid_t child = fork();
    if (child == 0) {
      int rc = 2;
      const size_t boxes = driver.MessageBoxes().size();
      try {
        rc = RunProgram({});
      } catch (...) {
      }
      _exit(driver.MessageBoxes().size() == boxes ? rc : 3);
    }
    childStatus = WaitAnswering(child, driver);
    iniAfter = apptest::Slurp(Ini());
    driver.Advance(2000);
  });
  EXPECT_EQ(RunProgram({"/a"}), 0);
  ASSERT_TRUE(WIFEXITED(childStatus));
  EXPECT_EQ(WEXITSTATUS(childStatus), 0);
  EXPECT_FALSE(UserTablesExist());
  EXPECT_EQ(iniBefore, iniAfter);
}

// A settings file that cannot be written at the end (read-only, or its
// directory refusing the new file, which a blocked temporary name stands in
// for) stays byte for byte; the user is told once and the program ends
// normally, on the full start's way as on the automatic start's short one.
TEST_F(ProgramBlock, AnUnwritableSettingsFileSurvivesTheEndUntouched) {
  const std::string text = "; meine Notiz\r\n[ALLGEMEIN]\r\nRubrik=3\r\nLetzter Programmstart=" +
                           std::to_string(static_cast<int>(Trunc(Date()))) + "\r\n[HAUPTFENSTER]\r\nLinks=7\r\n";
  for (const bool readOnly : {true, false}) {
    SCOPED_TRACE(readOnly ? "read-only, full start" : "blocked, automatic start");
    std::error_code ec;
    fs::permissions(Ini(), fs::perms::owner_read | fs::perms::owner_write, ec);
    apptest::Put(Ini(), text);
    if (readOnly) {
      fs::permissions(Ini(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    } else {
      fs::permissions(Ini(), fs::perms::owner_read | fs::perms::owner_write);
      fs::create_directory(Ini().string() + ".~tmp");
    }
    const size_t boxes = driver.MessageBoxes().size();
    driver.AnswerNextMessageBox(IDOK);
    if (readOnly) {
      EXPECT_EQ(RunFullStart({}), 0);
    } else {
      driver.WhenModal([&](TCustomForm&) { driver.Advance(2000); });
      EXPECT_EQ(RunProgram({"/a"}), 0);
    }
    ASSERT_EQ(driver.MessageBoxes().size(), boxes + 1);
    const std::string said = driver.MessageBoxes().back().Text;
    EXPECT_NE(said.find(Ini().string()), std::string::npos) << said;
    EXPECT_NE(said.find("gespeichert"), std::string::npos) << said;
    EXPECT_EQ(apptest::Slurp(Ini()), text);
    EXPECT_EQ(SharedStream, nullptr);  // the data was released all the same
    delete frmMain;
  }
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

TEST_F(ProgramBlock, AStartWithoutReferenceDataSaysSoAndEnds) {
  fs::remove_all(Root() / "DATEN");
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_EQ(RunProgram({}), 1);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  // The folder is named, not the first file looked for in it.
  const std::string said = driver.MessageBoxes()[0].Text;
  EXPECT_NE(said.find("Verzeichnis \"" + (Root() / "DATEN").string() + "\""), std::string::npos) << said;
  EXPECT_EQ(said.find("Ereignis.Stx"), std::string::npos) << said;
  EXPECT_EQ(frmMain, nullptr);
}

// A day page's reference table missing, empty or cut short of its header
// (a block cut off further on is named when a page reaches it): the start
// names the file and ends before any window opens, instead of stopping on
// an engine error while the main window is half made.
TEST_F(ProgramBlock, ADamagedPageTableIsNamedAndTheStartEnds) {
  for (const char* table : {"PERSON.FFD", "EREIGNIS.FFD", "NAME.FFD", "PATRON.FFD", "FEIERTAG.FFD"}) {
    const fs::path path = Root() / "DATEN" / table;
    const std::string good = apptest::Slurp(path);
    for (const char* how : {"missing", "empty", "cut"}) {
      SCOPED_TRACE(std::string(table) + " " + how);
      if (std::string(how) == "missing")
        fs::remove(path);
      else
        apptest::Put(path, std::string(how) == "empty" ? std::string() : good.substr(0, 1000));
      const size_t boxes = driver.MessageBoxes().size();
      driver.AnswerNextMessageBox(IDOK);
      EXPECT_EQ(RunProgram({}), 1);
      ASSERT_EQ(driver.MessageBoxes().size(), boxes + 1);
      const std::string said = driver.MessageBoxes().back().Text;
      EXPECT_NE(said.find(path.string()), std::string::npos) << said;
      EXPECT_NE(said.find("beendet"), std::string::npos) << said;
      EXPECT_EQ(frmMain, nullptr);
      EXPECT_EQ(SharedStream, nullptr);
    }
    apptest::Put(path, good);
  }
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

// The user's own table of entries left half-written: the start says so and
// ends, and the file is neither built anew nor touched.
TEST_F(ProgramBlock, ADamagedUserTableIsLeftAsItIsAndTheStartEnds) {
  EXPECT_EQ(RunFullStart({}), 0);
  delete frmMain;
  const fs::path path = Root() / "BENUTZER" / "EIGENES.FFD";
  const std::string good = apptest::Slurp(path);
  ASSERT_GT(good.size(), 1000u);
  const std::string damaged = good.substr(0, 1000);  // left half-written
  apptest::Put(path, damaged);
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_EQ(RunProgram({}), 1);
  ASSERT_FALSE(driver.MessageBoxes().empty());
  const std::string said = driver.MessageBoxes().back().Text;
  EXPECT_NE(said.find("Hauptfenster"), std::string::npos) << said;
  EXPECT_NE(said.find("BENUTZER"), std::string::npos) << said;
  // The table itself is named, in German.
  EXPECT_NE(said.find("\"" + path.string() + "\" kann nicht gelesen werden"), std::string::npos) << said;
  EXPECT_NE(said.find(CP1252("Sie ist beschädigt.").str()), std::string::npos) << said;
  EXPECT_EQ(said.find("damaged"), std::string::npos) << said;
  EXPECT_EQ(apptest::Slurp(path), damaged);
  EXPECT_EQ(SharedStream, nullptr);
}

}  // namespace

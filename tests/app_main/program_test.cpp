// The program block run in-process on the headless driver: a first start
// builds the user's tables and templates and writes the settings back; an
// automatic start on a day on which the program already ran shows only the
// notice for 2 s and keeps the last start; "/a" counts only as the first
// argument and in any letter case; a second start hands over to the first
// (restoring it when minimised), also while the first is still starting,
// and ends without touching the settings; a desktop's shut-down ends it
// with the settings written; a start without reference data,
// with a damaged table or with a settings file it cannot write says so; a
// damaged or missing user file or data folder is named and the program
// runs without what needs it.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>

#include "app/editors/entryeditor.h"
#include "app/main/program.h"
#include "app/windows/saying.h"
#include "dbengine/blockfile.h"
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
  // A first start that takes a person of the user's own with a memo and
  // the selection code "FAM" from the older data.
  int FirstStartWithAPerson() {
    apptest::Put(Root() / "persd.upd", "#ID=1\r\n#Name=Anna Muster\r\n#Text=Erinnerung an die Reise\r\n#SelCode=FAM\r\n");
    return RunFullStart({});
  }
  // Runs `body` in a child process (for a mount or another user of its
  // own); the child's exit status: 0 when its checks held.
  static int InChild(const std::function<void()>& body) {
    const pid_t child = fork();
    if (child == 0) {
      body();
      _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
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

// A desktop's shut-down (SIGTERM, or SIGHUP), or Ctrl+C (SIGINT), ends the run as Beenden does:
// the loop ends and the settings are written, also with a dialog open.
TEST_F(ProgramBlock, ATerminationSignalEndsTheRunWithTheSettingsWritten) {
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
    fs::remove(Ini());
    EXPECT_EQ(InChild([&] {
                driver.WhenModal([&](TCustomForm&) {
                  driver.Advance(200);
                  driver.WhenModal([&](TCustomForm&) { ::raise(signal); });
                  frmMain->mnpParams->OnClick(frmMain->mnpParams);
                });
                EXPECT_EQ(RunProgram({}), 0);
              }),
              0)
        << "signal " << signal;
    EXPECT_EQ(StoredLastStart(), static_cast<int>(Trunc(Date())));
  }
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
  for (const bool readOnly : {true, false}) {
    SCOPED_TRACE(readOnly ? "read-only, full start" : "blocked, automatic start");
    // (The full start is a first one: a later one would name the missing user tables too.)
    const std::string text = "; meine Notiz\r\n[ALLGEMEIN]\r\nRubrik=3\r\n" +
                             (readOnly ? "" : "Letzter Programmstart=" + std::to_string(static_cast<int>(Trunc(Date()))) + "\r\n") +
                             "[HAUPTFENSTER]\r\nLinks=7\r\n";
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

// A settings file the user may not read, or not write (an ordinary user in
// a child process): named once, at the start, in German; closing a window
// on the way adds no message, and the file stays as it was.
TEST_F(ProgramBlock, ASettingsFileThatCannotBeReadOrWrittenIsNamedOnceAtTheStart) {
  // A name that is no file (never read, so a pipe cannot block the start):
  // its cause in words, and it stays what it is.
  for (const auto& [make, cause] : {std::pair<std::string, std::string>{"mkfifo", "ist keine gew\xF6hnliche Datei"},
                                    {"ln -s /dev/zero", "ist keine gew\xF6hnliche Datei"},
                                    {"ln -s Orvelan.Ini", "ist eine Verkn\xFCpfung, die im Kreis"},
                                    {"mkdir", "ist ein Verzeichnis"}}) {
    SCOPED_TRACE(make);
    fs::remove_all(Ini());
    ASSERT_EQ(std::system((make + " '" + Ini().string() + "'").c_str()), 0);
    const fs::file_type type = fs::symlink_status(Ini()).type();
    const size_t boxes = driver.MessageBoxes().size();
    driver.AnswerNextMessageBox(IDOK);
    EXPECT_EQ(RunFullStart({}), 0);
    ASSERT_EQ(driver.MessageBoxes().size(), boxes + 1);
    const std::string said = driver.MessageBoxes().back().Text;
    EXPECT_NE(said.find("\"" + Ini().string() + "\" k\xF6nnen nicht gelesen werden: Sie " + cause), std::string::npos) << said;
    EXPECT_EQ(said.find("Fehler"), std::string::npos) << said;
    EXPECT_EQ(fs::symlink_status(Ini()).type(), type);
    delete frmMain;
  }
  fs::remove_all(Ini());
  const std::string text = "[ALLGEMEIN]\r\nTermine anzeigen=0\r\n";
  apptest::Put(Ini(), text);
  ASSERT_EQ(std::system(("chown -R 65534:65534 '" + Root().string() + "'").c_str()), 0);
  const int status = InChild([&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) _exit(2);
    for (const mode_t mode : {0000, 0444}) {
      SCOPED_TRACE(mode);
      ShutdownUi();
      InitUi();
      ::chmod(Ini().c_str(), mode);
      driver.AnswerNextMessageBox(IDOK);
      driver.WhenModal([&](TCustomForm&) {
        driver.Advance(200);
        driver.WhenModal([](TCustomForm& warner) { warner.Close(); });
        driver.Click(frmMain->pbTermine);
        frmMain->Close();
      });
      const size_t boxes = driver.MessageBoxes().size();
      EXPECT_EQ(RunProgram({}), 0);
      ASSERT_EQ(driver.MessageBoxes().size(), boxes + 1);
      const std::string said = driver.MessageBoxes().back().Text;
      EXPECT_NE(said.find("\"" + Ini().string() + "\""), std::string::npos) << said;
      EXPECT_NE(said.find(mode == 0 ? "nicht gelesen" : "Schreibschutz"), std::string::npos) << said;
      ::chmod(Ini().c_str(), 0600);
      EXPECT_EQ(apptest::Slurp(Ini()), text);
    }
  });
  if (status == 2) GTEST_SKIP() << "no ordinary user to run as";
  EXPECT_EQ(status, 0);
}

// Settings on a disk that is full at the end: the message gives that reason,
// not a write protection. The disk is a small memory file system mounted in
// a child process (skipped where the system allows no mount).
TEST_F(ProgramBlock, SettingsOnAFullDiskAreExplainedAsFull) {
  const fs::path disk = Root() / "voll";
  fs::create_directories(disk);
  const int status = InChild([&] {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
      _exit(77);
    SetProgramDirectory(disk.string() + "/");
    fs::create_directories(disk / "BENUTZER");
    const std::string ini = "[VERZEICHNISSE]\r\nGrunddaten=" + (Root() / "DATEN").string() +
                            "\r\n[ALLGEMEIN]\r\nLetzter Programmstart=" +
                            std::to_string(static_cast<int>(Trunc(Date()))) + "\r\n";
    apptest::Put(disk / "Orvelan.Ini", ini);
    for (std::ofstream fill(disk / "fuellung", std::ios::binary); fill << std::string(4096, 'x');) {
    }
    driver.WhenModal([&](TCustomForm&) { driver.Advance(2000); });
    driver.AnswerNextMessageBox(IDOK);
    EXPECT_EQ(RunProgram({"/a"}), 0);
    EXPECT_EQ(apptest::Slurp(disk / "Orvelan.Ini"), ini);
    ASSERT_EQ(driver.MessageBoxes().size(), 1u);
    const std::string said = driver.MessageBoxes()[0].Text;
    EXPECT_NE(said.find("nicht genug Platz frei"), std::string::npos) << said;
    EXPECT_EQ(said.find(CP1252("schreibgeschützt").str()), std::string::npos) << said;
  });
  if (status == 77) GTEST_SKIP() << "no memory file system can be mounted here";
  EXPECT_EQ(status, 0);
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

// A day page's reference table missing, or a folder in its place: the start names the file and ends
// before any window opens. One empty or cut short of its header (a block
// cut off further on is named when a page reaches it) is named, and the
// program starts without the rubric that needs it.
TEST_F(ProgramBlock, ADamagedPageTableIsNamedAndAMissingOneEndsTheStart) {
  const std::pair<const char*, const char*> tables[] = {{"PERSON.FFD", "Geburtstage"},
                                                        {"EREIGNIS.FFD", "Weltgeschehen"},
                                                        {"NAME.FFD", "Namenstage"},
                                                        {"PATRON.FFD", "Namenstage"},
                                                        {"FEIERTAG.FFD", "Feiertage"}};
  for (const auto& [table, rubric] : tables) {
    const fs::path path = Root() / "DATEN" / table;
    const std::string good = apptest::Slurp(path);
    for (const std::string how : {"missing", "folder", "empty", "cut"}) {
      SCOPED_TRACE(std::string(table) + " " + how);
      const bool ends = how == "missing" || how == "folder";
      fs::remove_all(path);
      if (how == "folder")
        fs::create_directory(path);
      else if (!ends)
        apptest::Put(path, how == "empty" ? std::string() : good.substr(0, 1000));
      const size_t boxes = driver.MessageBoxes().size();
      driver.AnswerNextMessageBox(IDOK);
      EXPECT_EQ(ends ? RunProgram({}) : RunFullStart({}), ends ? 1 : 0);
      ASSERT_EQ(driver.MessageBoxes().size(), boxes + 1);
      const std::string said = driver.MessageBoxes().back().Text;
      EXPECT_NE(said.find(path.string()), std::string::npos) << said;
      EXPECT_EQ(said.find("beendet") != std::string::npos, ends) << said;
      EXPECT_EQ(said.find("\"" + std::string(rubric) + "\"") != std::string::npos, !ends) << said;
      EXPECT_EQ(said.find("\" steht ein Verzeichnis.") != std::string::npos, how == "folder") << said;
      EXPECT_EQ(frmMain != nullptr, !ends);
      delete frmMain;
      delete frmSpruch;
      EXPECT_EQ(SharedStream, nullptr);
    }
    fs::remove_all(path);
    apptest::Put(path, good);
  }
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

// The folder of the user's data on a disk that is not plugged in: the start
// says so, runs on the program directory's own folder, and the settings
// keep the folder set, so that the next start with the disk finds it.
TEST_F(ProgramBlock, AMissingDataFolderIsNamedAndKeptInTheSettings) {
  const std::string stick = (Root() / "stick" / "Orvelan").string();
  apptest::Put(Ini(), "[VERZEICHNISSE]\r\nEigene Daten=" + stick + "\r\n");
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_EQ(RunFullStart({}), 0);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  const std::string said = driver.MessageBoxes()[0].Text;
  EXPECT_NE(said.find("\"" + stick + "\""), std::string::npos) << said;
  EXPECT_NE(said.find("fehlt"), std::string::npos) << said;
  EXPECT_FALSE(fs::exists(Root() / "stick"));
  EXPECT_EQ(TIniFile(Ini().string()).ReadString("VERZEICHNISSE", "Eigene Daten", ""), stick);
  // A file where the folder belongs is said to be one, and left alone.
  delete frmMain;
  delete frmSpruch;
  fs::create_directories(Root() / "stick");
  apptest::Put(stick, "kein Verzeichnis");
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_EQ(RunFullStart({}), 0);
  ASSERT_EQ(driver.MessageBoxes().size(), 2u);
  EXPECT_NE(
      driver.MessageBoxes()[1].Text.find("Verzeichnisses \"" + stick + "\" f\xFCr Ihre eigenen Daten steht eine Datei"),
      std::string::npos)
      << driver.MessageBoxes()[1].Text;
  EXPECT_EQ(apptest::Slurp(stick), "kein Verzeichnis");
}

// Folders whose names hold an umlaut or a letter outside Windows-1252 as
// the program's (the real program finds its own by its path), the
// reference data's and the user's: every file is found and the settings
// keep the folders byte for byte.
TEST_F(ProgramBlock, FoldersNamedBeyondTheCodePageHoldTheProgramAndItsData) {
  const fs::path real = Root() / "Programm \xC5\x81ukasz";
  apptest::CopyBuiltData(real);
  apptest::PlaceProgram(real);
  apptest::Put(real / "Orvelan.Ini", "[ALLGEMEIN]\r\nLetzter Programmstart=" +
                                          std::to_string(static_cast<int>(Trunc(Date()))) + "\r\n");
  // An automatic start on a day it already ran: the data is set up, the
  // notice shown, and the program ends.
  const std::string run = "cd '" + real.string() + "' && QT_QPA_PLATFORM=offscreen ./orvelan /a >/dev/null 2>&1";
  EXPECT_EQ(std::system(run.c_str()), 0);
  EXPECT_TRUE(TIniFile(FromSysFileName((real / "Orvelan.Ini").string())).SectionExists("GEBURTSTAGE"));
  for (const std::string name : {"J\xC3\xBCrgen M\xC3\xBCller", "\xC5\x81ukasz Dokumente", "Ordner\xF0\x9F\x98\x80"}) {
    SCOPED_TRACE(name);
    const fs::path program = Root() / name, reference = Root() / ("Grunddaten " + name);
    fs::create_directories(program / ("Benutzer " + name));
    fs::copy(Root() / "DATEN", reference);
    for (const char* f : {"OvDef001.Rtf", "OvDef002.Rtf", "OvDef003.Rtf"}) fs::copy_file(Root() / f, program / f);
    // As a desktop editor saves it, in UTF-8.
    apptest::Put(program / "Orvelan.Ini", "[VERZEICHNISSE]\r\nGrunddaten=" + reference.string() +
                                              "\r\nEigene Daten=Benutzer " + name + "\r\n");
    apptest::EnterProgramDir(program);
    const size_t boxes = driver.MessageBoxes().size();
    EXPECT_EQ(RunFullStart({}), 0);
    EXPECT_EQ(driver.MessageBoxes().size(), boxes);
    delete frmMain;
    delete frmSpruch;
    TIniFile ini(FromSysFileName((program / "Orvelan.Ini").string()));
    EXPECT_EQ(SysFileName(ini.ReadFileName("VERZEICHNISSE", "Grunddaten", "")), reference.string() + "/");
    EXPECT_EQ(SysFileName(ini.ReadFileName("VERZEICHNISSE", "Eigene Daten", "")), "Benutzer " + name + "/");
    LoadSettings();
    EXPECT_EQ(apptest::OpenTable("OrvUser", "LAYOUT.FFD")->RecordCount(), 3);
    SaveSettings();
  }
}

// The user's table of entries deleted between two runs: the next start
// names it before making it anew; the codes of the lost entries are named
// and kept when the user says "Nein" (a new entry numbers on above them, so
// it takes over none), and deleted on "Ja". The whole folder gone on a
// later start is named too.
TEST_F(ProgramBlock, AMissingUserTableIsNamedAndTheCodesOfItsEntriesAreKept) {
  StoreLastStart(Date() - 30);  // an upgrade's first start (older settings, an empty BENUTZER) warns of nothing
  fs::create_directory(Root() / "BENUTZER");
  EXPECT_EQ(FirstStartWithAPerson(), 0);
  EXPECT_EQ(driver.MessageBoxes().size(), 0u);
  const fs::path path = Root() / "BENUTZER" / "EIGENES.FFD";
  for (const int answer : {IDNO, IDYES}) {
    delete frmMain;
    delete frmSpruch;
    fs::remove(path);
    driver.AnswerNextMessageBox(IDOK);
    driver.AnswerNextMessageBox(answer);
    const size_t boxes = driver.MessageBoxes().size();
    EXPECT_EQ(RunFullStart({}), 0);
    // A failure here leaves the folder's case below to be tried all the same.
    EXPECT_EQ(driver.MessageBoxes().size(), boxes + 2);
    if (driver.MessageBoxes().size() < boxes + 2) continue;
    const std::string missing = driver.MessageBoxes()[boxes].Text, codes = driver.MessageBoxes()[boxes + 1].Text;
    EXPECT_NE(missing.find("EIGENES.FFD"), std::string::npos) << missing;
    EXPECT_NE(missing.find((Root() / "BENUTZER").string()), std::string::npos) << missing;
    EXPECT_NE(codes.find("Nr. 1 (FAM)"), std::string::npos) << codes;
    EXPECT_TRUE(fs::exists(path));
    LoadSettings();
    EXPECT_EQ(apptest::OpenTable("OrvUser", "EIGESELC.FFD")->RecordCount(), answer == IDNO ? 1 : 0);
    EXPECT_EQ(NextEntryId(), answer == IDNO ? 2 : 1);
    SaveSettings();
  }
  // The table a link to a file on a disk that is not plugged in, or a link
  // that goes round: the link, its end and why are named, nothing is made
  // in its place. Then the whole folder gone, and a file in its place,
  // which is left alone.
  const fs::path stick = Root() / "stick" / "EIGENES.FFD";
  for (const std::string how : {"link", "loop", "gone", "file"}) {
    SCOPED_TRACE(how);
    delete frmMain;
    delete frmSpruch;
    if (how == "link" || how == "loop") {
      fs::remove(path);
      fs::create_symlink(how == "link" ? stick : path, path);
    }
    if (how == "gone" || how == "file") fs::remove_all(Root() / "BENUTZER");
    if (how == "file") apptest::Put(Root() / "BENUTZER", "x");
    driver.AnswerNextMessageBox(IDOK);
    const size_t boxes = driver.MessageBoxes().size();
    EXPECT_EQ(RunFullStart({}), 0);
    ASSERT_EQ(driver.MessageBoxes().size(), boxes + 1);
    const std::string said = driver.MessageBoxes().back().Text;
    const std::string users = "\"" + (Root() / "BENUTZER").string() + "\"";
    const std::string named =
        how == "link"   ? "Die Datei \"" + path.string() + "\" ist eine Verkn\xFCpfung auf \"" + stick.string() +
                              "\", und das fehlt"
        : how == "loop" ? "der das System nicht folgen kann: Eine Verkn\xFCpfung im Pfad verweist im Kreis"
        : how == "gone" ? "Verzeichnis " + users + " mit Ihren eigenen Daten fehlt"
                        : "Verzeichnisses " + users + " f\xFCr Ihre eigenen Daten steht eine Datei";
    EXPECT_NE(said.find(named), std::string::npos) << said;
    EXPECT_EQ(said.find("angelegt"), std::string::npos) << said;
  }
  EXPECT_TRUE(fs::is_regular_file(Root() / "BENUTZER"));
  EXPECT_FALSE(fs::exists(stick.parent_path()));
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

// A damaged or unreadable user table or folder, or a missing sayings' table:
// the program starts on its calendar and reference pages, names the file or
// folder once in German as what is wrong with it, leaves out only what needs
// it, and leaves it as it is; a table of entries that is write-protected, in
// a write-protected folder, or whose records read but an index or a text
// does not is shown, not edited. A reference folder that cannot be read ends
// the start, named as such. Run as an ordinary user in a child process, so
// that file rights hold.
TEST_F(ProgramBlock, ADamagedUserFileLeavesOutOnlyWhatNeedsIt) {
  EXPECT_EQ(FirstStartWithAPerson(), 0);
  delete frmMain;
  delete frmSpruch;
  const fs::path users = Root() / "BENUTZER", own = users / "EIGENES.FFD", layout = users / "LAYOUT.FFD",
                 links = users / "EIGESELC.FFD", sayings = Root() / "DATEN" / "SPRUCH.FFD";
  // The last template's text freed its block, the file's last.
  LoadSettings();
  if (auto t = apptest::OpenTable("OrvUser", "LAYOUT.FFD", "XLOUT_ID"); t->FindKey({3})) t->Delete();
  SaveSettings();
  std::map<fs::path, std::string> good;
  for (const fs::path& p : {own, layout, links, sayings}) good[p] = apptest::Slurp(p);
  auto flipped = [&](std::initializer_list<size_t> at) {
    std::string b = good[own];
    for (size_t i : at) b[i] ^= 0x20;
    return b;
  };
  // Damage a checksum cannot see: the block summed again after the change.
  auto resummed = [&](const fs::path& file, size_t at, const std::string& with) {
    std::string b = good[file];
    b.replace(at, with.size(), with);
    auto* block = reinterpret_cast<uint8_t*>(b.data()) + at / 8192 * 8192;
    ffdetail::Put32(block + ffdetail::kOffChecksum, 0);
    ffdetail::Put32(block + ffdetail::kOffChecksum, ffdetail::BlockChecksum(block, 8192, ffdetail::kFormatVersion));
    return b;
  };
  // In the record (its data block "FFDH"): the memo's reference stands
  // before the first name; the link's entry number after its code, the
  // null flags after that.
  const size_t memoRef = good[own].find("\x04" "Anna", good[own].find("FFDH")) - 4,
               link = good[links].find("\x03" "FAM", good[links].find("FFDH")) + 4;
  const size_t memo = good[own].find("Erinnerung an die Reise");
  ASSERT_NE(memo, std::string::npos);
  uint32_t root = 0, dayRoot = 0;  // of index 4, "XEIGE_TERM1", and 2, "XEIGE_MTJ", as the header holds them
  std::memcpy(&root, good[own].data() + 80 + 4 * 4, 4);
  std::memcpy(&dayRoot, good[own].data() + 80 + 2 * 4, 4);
  struct Case {
    const char* name;
    fs::path file;      // or folder
    std::string bytes;  // empty: the file is removed (a folder's are left)
    mode_t mode;
    bool personal, editors, warner, templates, saying;
    const char* said;  // what the message says of it
    bool asFolder = false;  // a folder stands in the file's place
  } cases[] = {
      {"memo byte", own, flipped({memo + 5}), 0644, true, false, true, true, true, "kann nicht ganz gelesen"},
      {"memo reference summed again", own, resummed(own, memoRef, "\xA5\xA5\xA5\xA5"), 0644, true, false, true, true,
       true, "Nicht lesbar ist der Text"},
      {"entry number summed again", links, resummed(links, link + 1, "\xA5\xA5\xA5"), 0644, true, false, true, true,
       true, "ist besch\xE4" "digt"},
      {"code summed again", links, resummed(links, link + 1, "\xA5\xA5\xA5\xA5"), 0644, true, false, true, true, true,
       "ist besch\xE4" "digt"},
      {"cut in a free block", layout, good[layout].substr(0, good[layout].size() - 1), 0644, true, true, true, false,
       true, "kann nicht ganz gelesen"},
      {"cut", own, good[own].substr(0, 16384), 0644, false, false, false, true, true, "kann nicht gelesen"},
      {"header and its copy", own, flipped({20, 8192 + 20}), 0644, false, false, false, true, true,
       "kann nicht gelesen"},
      {"an index", own, flipped({root * 8192 + 100}), 0644, true, false, false, true, true, "kann nicht ganz gelesen"},
      // The index the start reads the entries along and the page shows them by.
      {"the day index", own, flipped({dayRoot * 8192 + 48}), 0644, true, false, false, true, true,
       "kann nicht ganz gelesen"},
      {"garbage", layout, std::string(good[layout].size(), 'Z'), 0644, true, true, true, false, true,
       "kann nicht gelesen"},
      {"unreadable", links, good[links], 0, true, false, true, true, true, "verweigert den Zugriff"},
      {"write-protected", own, good[own], 0444, true, false, true, true, true, "schreibgesch\xFCtzt"},
      {"missing sayings", sayings, "", 0644, true, true, true, true, false, "fehlt"},
      {"a folder in the file's place", own, "", 0755, false, false, false, true, true, "steht ein Verzeichnis", true},
      {"closed user folder", users, "", 0, false, false, false, false, true, "keinen Zugriff"},
      {"write-protected user folder", users, "", 0555, true, false, false, false, true, "schreibgesch\xFCtzt"},
      // Last: its start ends before the window's scripted step.
      {"closed reference folder", Root() / "DATEN", "", 0, false, false, false, false, false, "keinen Zugriff"},
  };
  apptest::Put(Ini(), "[ALLGEMEIN]\r\nRubrik=1\r\nTermine anzeigen=0\r\n");
  ASSERT_EQ(std::system(("chown -R 65534:65534 '" + Root().string() + "'").c_str()), 0);
  const int status = InChild([&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) _exit(2);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      ShutdownUi();  // a fresh application object: one message loop each, as in a process
      InitUi();
      for (const fs::path& dir : {users, Root() / "DATEN"}) ::chmod(dir.c_str(), 0755);
      for (const auto& [p, bytes] : good) {
        fs::remove_all(p);
        apptest::Put(p, bytes);
      }
      const bool folder = fs::is_directory(c.file);
      if (c.asFolder || (c.bytes.empty() && !folder)) fs::remove(c.file);
      if (c.asFolder) fs::create_directory(c.file);
      if (!c.bytes.empty()) apptest::Put(c.file, c.bytes);
      ::chmod(c.file.c_str(), c.mode);
      driver.AnswerNextMessageBox(IDOK);
      bool shown = false;
      driver.WhenModal([&](TCustomForm&) {
        driver.Advance(200);
        shown = true;
        EXPECT_EQ(frmMain->pbEige->Enabled(), c.personal);
        EXPECT_EQ(CurrentRubric, c.personal ? rbPersonal : rbEmpty);
        EXPECT_EQ(frmMain->tblEige->Active() && !frmMain->tblEige->CanModify(),
                  (c.file == own || c.file == users) && c.personal);
        EXPECT_EQ(frmMain->mnpPersErf->Enabled(), c.editors);
        EXPECT_EQ(frmMain->mnpTagebuch->Enabled(), c.personal && c.file != links);  // the lists only read
        EXPECT_EQ(frmMain->pbTermine->Enabled(), c.warner);
        EXPECT_EQ(frmMain->mnpLayout->Enabled(), c.templates);
        EXPECT_EQ(frmMain->pbSpruch->Enabled() && frmSpruch, c.saying);
        EXPECT_TRUE(frmMain->pbPGeb->Enabled());
        frmMain->Close();
      });
      const size_t boxes = driver.MessageBoxes().size();
      const bool ends = c.file == Root() / "DATEN";
      EXPECT_EQ(RunProgram({}), ends ? 1 : 0);
      EXPECT_EQ(shown, !ends);
      ASSERT_EQ(driver.MessageBoxes().size(), boxes + 1);
      const std::string said = driver.MessageBoxes().back().Text;
      EXPECT_NE(said.find("\"" + c.file.string() + "\""), std::string::npos) << said;
      EXPECT_NE(said.find(c.said), std::string::npos) << said;
      ::chmod(c.file.c_str(), folder || c.asFolder ? 0755 : 0644);
      if (!c.bytes.empty()) {
        EXPECT_EQ(apptest::Slurp(c.file), c.bytes);
      }
    }
  });
  if (status == 2) GTEST_SKIP() << "no ordinary user to run as";
  EXPECT_EQ(status, 0);
}

}  // namespace

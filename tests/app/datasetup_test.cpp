// Data set-up and release: aliases, lookup tables and archives from the
// directories of the ini file; a missing file or a damaged archive ends the
// start with a German message that names it, never with a crash, and leaves
// nothing half set up; a damaged table is named and left out.
#include <gtest/gtest.h>

#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/formatters.h"
#include "dbclient/bapi.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/dialogs.h"
#include "tests/app/app_fixture.h"

namespace {

using apptest::Put;

class DataSetup : public apptest::ProgramDirTest {
 protected:
  AnsiString AliasDirectory(const char* alias) {
    TBapiHandle db = 0;
    AnsiString dir;
    if (BapiOpenDatabase(Session->Handle(), alias, db) != 0) return "(keine)";
    BapiGetDatabaseDirectory(db, dir);
    BapiCloseDatabase(db);
    return IncludeTrailingPathDelimiter(dir);
  }
  void ExpectNothingSetUp() {
    EXPECT_EQ(SharedStream, nullptr);
    EXPECT_EQ(EventArchive, nullptr);
    EXPECT_EQ(PersonArchive, nullptr);
    EXPECT_EQ(HolidayArchive, nullptr);
    EXPECT_EQ(PlaceTable, nullptr);
    EXPECT_EQ(NationTable, nullptr);
    EXPECT_EQ(ProfessionTable, nullptr);
    EXPECT_EQ(PersonNationTable, nullptr);
    EXPECT_EQ(PersonProfessionTable, nullptr);
  }
};

TEST_F(DataSetup, EverythingOpenFromTheDirectoriesOfTheIniFile) {
  CopyReferenceData();
  LoadSettings();
  ASSERT_NE(SharedStream, nullptr);
  for (TVlf* a : {EventArchive, PersonArchive, HolidayArchive}) {
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->IsOpen());
  }
  for (TwwTable* t : {PlaceTable, NationTable, ProfessionTable, PersonNationTable, PersonProfessionTable}) {
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->Active());
    EXPECT_EQ(t->DatabaseName(), "Orvelan");
    for (int i = 0; i < t->FieldCount(); ++i) {
      if (t->Fields(i)->DataType() == ftString) {
        EXPECT_FALSE(t->Fields(i)->Transliterate()) << t->Fields(i)->FieldName();
      }
    }
  }
  EXPECT_EQ(PlaceTable->IndexName(), "XPKORTE");
  EXPECT_EQ(PersonProfessionTable->IndexName(), "PB_PERS");
  EXPECT_EQ(AliasDirectory("Orvelan"), ReferenceDataDir);
  EXPECT_EQ(AliasDirectory("OrvUser"), UserDataDir);
  EXPECT_FALSE(apptest::fs::exists(Root() / "BENUTZER"));  // made with the user's tables
  EXPECT_EQ(PlaceText(2), "Weimar");
  SaveSettings();
  ExpectNothingSetUp();
}

// Changing "Grunddaten" between two runs moves the alias and the archives;
// the second registration of the aliases replaces the first without error.
TEST_F(DataSetup, NewReferenceDirectoryWinsAtTheNextStart) {
  CopyReferenceData();
  LoadSettings();
  SaveSettings();
  CopyReferenceData("NEU");
  apptest::fs::remove_all(Root() / "DATEN");
  TIniFile(Ini().string()).WriteString("VERZEICHNISSE", "Grunddaten", (Root() / "NEU").string());
  LoadSettings();
  EXPECT_EQ(ReferenceDataDir, (Root() / "NEU").string() + "/");
  EXPECT_EQ(AliasDirectory("Orvelan"), ReferenceDataDir);
  ASSERT_NE(EventArchive, nullptr);
  EXPECT_GT(EventArchive->ReadRecordLength(1024), 0u);
  EXPECT_EQ(PlaceText(1), "Frankfurt am Main");
}

// The program directory moved or copied elsewhere keeps to its own data:
// the file holds the folders relative to it; a folder stored by an older
// version at a place that is gone gives the program directory's own for
// the run and stays in the file; a
// copy never reads or writes the original's data; a missing data folder is
// named as a folder. (Folders elsewhere stay absolute: see the settings.)
TEST_F(DataSetup, AMovedOrCopiedProgramDirectoryKeepsToItsOwnData) {
  namespace fs = apptest::fs;
  CopyReferenceData();
  const std::string before = Root().string() + "_vorher/";  // where the program was, gone
  apptest::Put(Ini(), "[VERZEICHNISSE]\r\nGrunddaten=" + before + "DATEN\r\nEigene Daten=" + before + "BENUTZER\r\n");
  LoadSettings();
  EXPECT_EQ(ReferenceDataDir, ProgramDir + "DATEN/");
  EXPECT_EQ(UserDataDir, ProgramDir + "BENUTZER/");
  SaveSettings();
  // The folders set stay in the file, to be used again once they are there.
  EXPECT_EQ(TIniFile(Ini().string()).ReadString("VERZEICHNISSE", "Grunddaten", ""), before + "DATEN");
  EXPECT_EQ(TIniFile(Ini().string()).ReadString("VERZEICHNISSE", "Eigene Daten", ""), before + "BENUTZER");
  EXPECT_EQ(apptest::Slurp(Ini()).find(Root().string() + "/"), std::string::npos);

  // A copy beside the original reads its own data, never the original's.
  const fs::path copy = Root().string() + "_kopie";
  fs::copy(Root(), copy, fs::copy_options::recursive);
  fs::remove_all(Root() / "DATEN");
  SetProgramDirectory(copy.string());
  ProgramDir = copy.string() + "/";
  LoadSettings();
  EXPECT_EQ(ReferenceDataDir, copy.string() + "/DATEN/");
  EXPECT_EQ(UserDataDir, copy.string() + "/BENUTZER/");
  EXPECT_EQ(AliasDirectory("Orvelan"), ReferenceDataDir);
  EXPECT_EQ(PlaceText(2), "Weimar");
  SaveSettings();

  // Without its data folder the copy names the folder and ends.
  fs::remove_all(copy / "DATEN");
  try {
    LoadSettings();
    ADD_FAILURE() << "no error";
  } catch (const EDataSetupError& e) {
    EXPECT_NE(e.Message().find("Verzeichnis \"" + copy.string() + "/DATEN\""), AnsiString::npos) << e.Message();
    EXPECT_NE(e.Message().find("\"" + before + "DATEN\" mit den Grunddaten, das in den Einstellungen"), AnsiString::npos);
    EXPECT_EQ(e.Message().find(".Stx"), AnsiString::npos) << e.Message();
  }
  ExpectNothingSetUp();
  EXPECT_FALSE(fs::exists(before));
  fs::remove_all(copy);
}

// Files copied from another system may differ in letter case.
TEST_F(DataSetup, FilesAreFoundWhateverTheirLetterCase) {
  CopyReferenceData();
  apptest::fs::rename(Root() / "DATEN" / "Person.Stx", Root() / "DATEN" / "PERSON.STX");
  apptest::fs::rename(Root() / "DATEN" / "NATION.FFD", Root() / "DATEN" / "nation.ffd");
  LoadSettings();
  EXPECT_TRUE(PersonArchive->IsOpen());
  EXPECT_TRUE(NationTable->Active());
}

TEST_F(DataSetup, MissingArchiveEndsTheStartWithItsName) {
  CopyReferenceData();
  apptest::fs::remove(Root() / "DATEN" / "Feiertag.Stx");
  try {
    LoadSettings();
    FAIL() << "no error";
  } catch (const EDataSetupError& e) {
    EXPECT_NE(e.Message().find((Root() / "DATEN" / "Feiertag.Stx").string()), AnsiString::npos) << e.Message();
    EXPECT_NE(e.Message().find("fehlt"), AnsiString::npos);
    EXPECT_NE(e.Message().find("beendet"), AnsiString::npos);
  }
  ExpectNothingSetUp();
  // A folder path longer than the engine takes is said to be too long.
  const std::string deep = (Root() / std::string(200, 'x')).string();
  CopyReferenceData(deep);
  TIniFile(Ini().string()).WriteString("VERZEICHNISSE", "Grunddaten", deep);
  try {
    LoadSettings();
    FAIL() << "no error";
  } catch (const EDataSetupError& e) {
    EXPECT_NE(e.Message().find("\"" + deep + "\" ist zu lang: Er hat " + std::to_string(deep.size()) +
                               " Zeichen, Orvelan kann h\xF6" "chstens 219 verwenden."), AnsiString::npos) << e.Message();
  }
}

TEST_F(DataSetup, MissingTableIsExplainedInABox) {
  CopyReferenceData();
  apptest::fs::remove(Root() / "DATEN" / "PERSBERU.FFD");
  EXPECT_FALSE(LoadSettingsOrExplain());
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  const TMessageBoxRequest& box = driver.MessageBoxes()[0];
  EXPECT_EQ(box.Caption, "Orvelan");
  EXPECT_NE(box.Text.find("PERSBERU.FFD\" fehlt"), AnsiString::npos) << box.Text;
  EXPECT_NE(box.Flags & MB_ICONERROR, 0u);
  ExpectNothingSetUp();
  TForm* shown = CreateMessageDialog(box.Text, mtError, mbOK);
  shown->Show();
  driver.SavePng(shown, "app_missing_table");
  delete shown;
}

TEST_F(DataSetup, DamagedFilesAreNamedToo) {
  CopyReferenceData();
  Put(Root() / "DATEN" / "Ereignis.Stx", "kein Archiv");
  try {
    LoadSettings();
    FAIL() << "no error";
  } catch (const EDataSetupError& e) {
    EXPECT_NE(e.Message().find("Ereignis.Stx\" kann nicht gelesen werden:\rSie ist kein Textarchiv von Orvelan"),
              AnsiString::npos)
        << e.Message();
    EXPECT_EQ(e.Message().find("text archive"), AnsiString::npos) << e.Message();
  }
  ExpectNothingSetUp();
  // A table that is there but cannot be used is named for the start's
  // message, and the start goes on without it.
  CopyReferenceData("DATEN2");
  Put(Root() / "DATEN2" / "ORT.FFD", std::string(8192, 'x'));
  TIniFile(Ini().string()).WriteString("VERZEICHNISSE", "Grunddaten", (Root() / "DATEN2").string());
  LoadSettings();
  EXPECT_EQ(PlaceTable, nullptr);
  ASSERT_EQ(ReferenceTableProblems().size(), 1u);
  const AnsiString said = ReferenceTableProblems()[0];
  EXPECT_NE(said.find("ORT.FFD\" kann nicht gelesen werden:\rSie "), AnsiString::npos) << said;
  EXPECT_EQ(said.find("Table"), AnsiString::npos) << said;
  SaveSettings();
  ExpectNothingSetUp();
}

}  // namespace

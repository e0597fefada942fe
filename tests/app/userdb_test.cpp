// The user's tables: their dictionaries, building them in an empty
// directory, importing older data with good and bad entries (nothing good
// lost, every bad one reported) and whole after a kill, the default
// templates, and a full disk told once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <regex>

#include <set>

#include "app/base/convdlg.h"
#include "app/base/userdb.h"
#include "app/base/usertables.h"
#include "app/text/helpers.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "richtext/io/textio.h"
#include "tests/app/app_fixture.h"
#include "tests/dbengine/file_layers.h"

namespace {

using apptest::fs::exists;
using apptest::Put;

AnsiString L(const char* utf8) { return Utf8ToCp1252OrThrow(utf8); }

TEST(UserTables, DictionariesHaveTheDocumentedLengthsAndIndexes) {
  TffDataDictionary d(8192);
  const std::pair<TUserTable, int> lengths[] = {
      {utSelCode, 35}, {utEigeSelc, 8}, {utTermine, 22}, {utLayout, 71}, {utEigenes, 183}};
  for (auto [table, length] : lengths) {
    DescribeUserTable(table, d);
    EXPECT_EQ(d.FieldsLength(), length) << UserTableName(table);
    EXPECT_EQ(d.BlockSize(), 8192);
    for (int i = 0; i < d.IndexCount(); ++i) EXPECT_TRUE(d.Index(i).CaseInsensitive) << d.Index(i).Name;
  }
  DescribeUserTable(utEigenes, d);
  ASSERT_EQ(d.FieldCount(), 21);
  EXPECT_EQ(d.Field(18).Name, "EIGE_HINWEIS");
  EXPECT_EQ(d.Field(18).Units, 40);
  EXPECT_TRUE(d.Field(0).Required);
  EXPECT_TRUE(d.Field(1).Required);
  EXPECT_FALSE(d.Field(2).Required);
  const int mtj = d.IndexNumber("XEIGE_MTJ");
  ASSERT_GE(mtj, 0);
  EXPECT_EQ(d.Index(mtj).Fields, (std::vector<int>{16, 15, 17}));
  EXPECT_FALSE(d.Index(mtj).Ascending);
  EXPECT_TRUE(d.Index(mtj).AllowDups);
  const int name = d.IndexNumber("XEIGE_NAME");
  EXPECT_EQ(d.Index(name).Fields, (std::vector<int>{1, 6, 5, 0}));
  EXPECT_FALSE(d.Index(name).AllowDups);
  DescribeUserTable(utTermine, d);
  EXPECT_EQ(d.Index(0).Fields, (std::vector<int>{2, 0, 1}));
  DescribeUserTable(utLayout, d);
  EXPECT_EQ(d.IndexCount(), 2);
  EXPECT_EQ(d.Index(1).Name, "XLOUT_TITEL");
}

class UserDatabase : public apptest::ProgramDirTest {
 protected:
  void SetUp() override {
    ProgramDirTest::SetUp();
    CopyReferenceData();
    LoadSettings();  // aliases; BENUTZER is made with the tables
  }
  std::unique_ptr<TwwTable> Open(const char* table, const char* index) {
    return apptest::OpenTable("OrvUser", table, index);
  }
  apptest::fs::path User(const char* f) const { return Root() / "BENUTZER" / f; }
};

TEST_F(UserDatabase, FirstStartBuildsEveryTableAndAddsTheTemplates) {
  CopyDefaultTemplates();
  CreateUserDatabase();
  for (const char* t : {"LAYOUT.FFD", "SELCODE.FFD", "EIGESELC.FFD", "TERMINE.FFD", "EIGENES.FFD"})
    EXPECT_TRUE(exists(User(t))) << t;
  CreateDefaultLayouts();
  auto layout = Open("LAYOUT.FFD", "XLOUT_ID");
  ASSERT_EQ(layout->RecordCount(), 3);
  for (const TDefaultLayout& d : kDefaultLayouts) {
    ASSERT_TRUE(layout->FindKey({d.Id}));
    EXPECT_EQ(layout->FieldByName("LOUT_TITEL")->AsString(), d.Title);
    EXPECT_EQ(layout->FieldByName("LOUT_QUELLTYP")->AsInteger(), d.SourceType);
    EXPECT_EQ(layout->FieldByName("LOUT_AUSGTYP")->AsInteger(), d.OutputType);
    EXPECT_EQ(layout->FieldByName("LOUT_TEXT")->AsString(), apptest::Slurp(Root() / d.File));
    TWPRTFTextIo text;  // its colour list is a new template's, its title stays navy
    TStringStream rtf(layout->FieldByName("LOUT_TEXT")->AsString());
    text.LoadFromStream(&rtf);
    EXPECT_TRUE(std::equal(text.Header->Colors, text.Header->Colors + 16, TTextHeader().Colors)) << d.File;
    EXPECT_EQ(text.Header->Colors[text.FirstPar->line->pa[0].Colors], RGB(0, 0, 128)) << d.File;
  }
  // A template the user deleted comes back while its file exists; the
  // others are not added twice, and a second start builds nothing.
  ASSERT_TRUE(layout->FindKey({2}));
  layout->Delete();
  layout.reset();
  apptest::fs::remove(Root() / "OvDef003.Rtf");
  // The warner's list, made from the entries at every fill, is made anew
  // when damaged, without a word.
  const std::string garbage(apptest::fs::file_size(User("TERMINE.FFD")), 'Z');
  Put(User("TERMINE.FFD"), garbage);
  CreateUserDatabase();
  EXPECT_EQ(UserTableUse(utTermine), tuReady);
  EXPECT_NE(apptest::Slurp(User("TERMINE.FFD")), garbage);
  // Held by another program it is no damage: the new entries' numbers do
  // not take it for empty.
  const int held = ::open(User("TERMINE.FFD").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  EXPECT_THROW(HighestEntryId(), EDBEngineError);
  ::close(held);
  CreateDefaultLayouts();
  layout = Open("LAYOUT.FFD", "XLOUT_ID");
  EXPECT_EQ(layout->RecordCount(), 3);
  EXPECT_TRUE(layout->FindKey({2}));
  EXPECT_EQ(driver.MessageBoxes().size(), 0u);
}

// On a full disk the tables that cannot be built, the templates and the
// entries of an import are each told once; the import comes whole once
// there is room.
TEST_F(UserDatabase, AFullDiskIsToldOnce) {
  CopyDefaultTemplates();
  dbtest::FullDiskLayer full;
  auto once = [](const AnsiString& text) {
    const AnsiString said = CP1252("Der Datenträger ist voll. Schaffen Sie Platz").str();
    const size_t at = text.find(said);
    return at != AnsiString::npos && text.find(said, at + 1) == AnsiString::npos &&
           text.find("fehlt") == AnsiString::npos;
  };
  apptest::fs::copy_file(apptest::BuiltProgramDir() / "DATEN" / "SPRUCH.FFD", Root() / "DATEN" / "SPRUCH.FFD");
  ReleaseData();
  LoadSettings();  // again, with the sayings
  {
    ffdetail::ScopedFileLayer layer(full);
    CreateUserDatabase();
    CreateDefaultLayouts();  // nothing more to say without its table
    ExplainLeftOutData();    // what is left out follows the box that told why
  }
  CreateUserDatabase();
  {
    ffdetail::ScopedFileLayer layer(full);
    CreateDefaultLayouts();
  }
  ASSERT_EQ(driver.MessageBoxes().size(), 3u);
  EXPECT_EQ(driver.MessageBoxes()[1].Text.rfind("Wegen des eben gemeldeten Fehlers fehlen die Rubrik", 0), 0u)
      << driver.MessageBoxes()[1].Text;
  for (size_t i : {0, 2}) EXPECT_TRUE(once(driver.MessageBoxes()[i].Text)) << driver.MessageBoxes()[i].Text;
  const auto file = Root() / "persd.upd";
  Put(file, "#ID=1\r\n#Name=Anna Erste\r\n#SelCode=FAM\r\n#ID=2\r\n#Name=Bernd Zweiter\r\n");
  auto eige = Open("EIGENES.FFD", "XEIGE_ID"), links = Open("EIGESELC.FFD", "XPKEISE");
  auto codes = Open("SELCODE.FFD", "XSELC_ID");
  TImportResult r;
  {
    ffdetail::ScopedFileLayer layer(full);
    r = ImportOwnEntries(file.string(), eige.get(), links.get(), codes.get());
  }
  ASSERT_EQ(r.Problems.size(), 1u);
  EXPECT_TRUE(once(r.Problems[0])) << r.Problems[0];
  // A failed write is told as one (no file as unreadable), with the table not written and the cause; each once.
  auto unwritten = [&](const AnsiString& text, const char* cause) {
    const std::regex re("In die Datei \"" + User("").string() + "(\\S+)\" kann nicht geschrieben werden:\r" + L(cause));
    const std::set<std::string> files(std::sregex_token_iterator(text.begin(), text.end(), re, 1), {});
    const auto all = std::distance(std::sregex_iterator(text.begin(), text.end(), re), {});
    EXPECT_TRUE(files.size() == size_t(all) && text.find("ganz gelesen") == AnsiString::npos &&
                text.find(".journal") == AnsiString::npos)  // a table the user knows, never its journal
        << text;
    return static_cast<int>(files.size());
  };
  EXPECT_EQ(unwritten(r.Problems[0], "Der Datenträger ist voll."), 1) << r.Problems[0];
  EXPECT_TRUE(exists(file));
  // Before room is made for all of it: a start whose n-th write fails, then one whose undo of that finds the disk full.
  eige.reset(), links.reset(), codes.reset();
  int told = 0, undone = 0;
  for (long n = 1; exists(file); ++n) {
    const size_t before = driver.MessageBoxes().size();
    dbtest::FailingWriteLayer failing(n, EIO);
    for (ffdetail::FileLayer* disk : std::initializer_list<ffdetail::FileLayer*>{&failing, &full}) {
      ffdetail::ScopedFileLayer layer(*disk);
      CreateUserDatabase();
      ExplainLeftOutData();
    }
    for (auto box = driver.MessageBoxes().begin() + long(before); box != driver.MessageBoxes().end(); ++box)
      told += unwritten(box->Text, "Der Datenträger meldet einen Fehler beim Schreiben in sie."),
          undone += unwritten(box->Text, "Der Datenträger ist voll[^\r]+\rWas sich lesen");
    for (const char* t : {"EIGENES.FFD", "EIGESELC.FFD", "SELCODE.FFD"}) Open(t, "");  // the undo, with room
  }
  EXPECT_TRUE(told > 0 && undone > 0) << told << " " << undone;
  EXPECT_FALSE(exists(file));
  EXPECT_EQ(Open("EIGENES.FFD", "XEIGE_ID")->RecordCount(), 2);
}

TEST_F(UserDatabase, OwnEntriesComeNewestFirstInTheDayIndex) {
  CreateUserDatabase();
  auto eige = Open("EIGENES.FFD", "XEIGE_MTJ");
  const int years[] = {1950, 2001, 1899, 1975};
  for (int i = 0; i < 4; ++i) {
    eige->Append();
    eige->FieldByName("EIGE_ID")->SetAsInteger(i + 1);
    eige->FieldByName("EIGE_TYP")->SetAsInteger(etPerson);
    eige->FieldByName("EIGE_TAG")->SetAsInteger(5);
    eige->FieldByName("EIGE_MONAT")->SetAsInteger(7);
    eige->FieldByName("EIGE_JAHR")->SetAsInteger(years[i]);
    eige->Post();
  }
  std::vector<int> order;
  eige->SetRange({7, 5, 9999}, {7, 5, 0});
  for (eige->First(); !eige->Eof(); eige->Next()) order.push_back(eige->FieldByName("EIGE_JAHR")->AsInteger());
  EXPECT_EQ(order, (std::vector<int>{2001, 1975, 1950, 1899}));
}

// Selection codes of the older format: good codes kept, a duplicate and an
// over-long code reported, the file deleted after the pass.
TEST_F(UserDatabase, SelectionCodeImport) {
  Put(Root() / "selcd.upd",
      "#Text=vor dem ersten Code\r\n#ID=FAM\r\n#Text=Familie\r\nirgendein Kommentar\r\n"
      "#ID=FRE\r\n#Text=Freunde \x96 alte und neue\r\n#ID=FAM\r\n#Text=doppelt\r\n"
      "#ID=LANG1\r\n#Text=zu lang\r\n#ID=ARB\r\n#Text=\r\n");
  CreateUserDatabase();
  EXPECT_FALSE(exists(Root() / "selcd.upd"));
  auto codes = Open("SELCODE.FFD", "XSELC_ID");
  EXPECT_EQ(codes->RecordCount(), 3);
  ASSERT_TRUE(codes->FindKey({"FAM"}));
  EXPECT_EQ(codes->FieldByName("SELC_NAME")->AsString(), "Familie");
  ASSERT_TRUE(codes->FindKey({"FRE"}));
  EXPECT_EQ(codes->FieldByName("SELC_NAME")->AsString(), "Freunde \x96 alte und neue");
  ASSERT_TRUE(codes->FindKey({"ARB"}));
  EXPECT_EQ(codes->FieldByName("SELC_NAME")->AsString(), "");  // an empty value is no tag
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  const AnsiString& box = driver.MessageBoxes()[0].Text;
  EXPECT_NE(box.find("selcd.upd, Zeile 1:"), AnsiString::npos) << box;
  EXPECT_NE(box.find("selcd.upd, Zeile 7:"), AnsiString::npos) << box;  // the duplicate
  EXPECT_NE(box.find("\"LANG1\""), AnsiString::npos) << box;
}

// The older format of own entries: names with particles, dates, times,
// places, warner flags and selection codes; bad values reported and left
// out while the entry is kept.
TEST_F(UserDatabase, OwnEntryImport) {
  Warner1On = true;
  Warner1Days = 3;
  Warner2On = false;
  Warner2Days = 7;
  Put(Root() / "selcd.upd", "#ID=FAM\r\n#Text=Familie\r\n");
  Put(Root() / "persd.upd",
      "#ID=77\r\n#Name=Karl Maria von Musterhausen\r\n#Datum=05071962\r\n#Zeit=0730\r\n#Ort=in Bern\r\n"
      "#Geschlecht=2\r\n#SelCode=FAM\r\n#SelCode=NEU\r\n#SelCode=FAM\r\n"
      "#ID=78\r\n#Name=Hans von und zu Muster\r\n#Datum=31021990\r\n#W1=1\r\n#W1Tage=2\r\n"
      "#ID=79\r\n#Text=Die erste Mondlandung wurde weltweit am Fernsehen verfolgt, live.\r\n"
      "#Datum=20071969\r\n#W1=J\r\n#W1Tage=abc\r\n#W2=True\r\n#W2Tage=10\r\n"
      "#ID=80\r\n#Name=Hans\r\n#Geschlecht=1\r\n#Datum=01031960\r\n#W1=1\r\n#W1Tage=2\r\n#Zeit=7:3\r\n"
      "#ID=81\r\n#Name=Anna de la Cruz\r\n#Ort=Z\xFCrich\r\n");
  CreateUserDatabase();
  EXPECT_FALSE(exists(Root() / "persd.upd"));

  auto eige = Open("EIGENES.FFD", "XEIGE_ID");
  ASSERT_EQ(eige->RecordCount(), 5);
  auto f = [&](const char* n) { return eige->FieldByName(n); };

  ASSERT_TRUE(eige->FindKey({1}));  // numbered afresh, whatever the file said
  EXPECT_EQ(f("EIGE_TYP")->AsInteger(), etPerson);
  EXPECT_EQ(f("EIGE_VORNAME")->AsString(), "Karl Maria");
  EXPECT_EQ(f("EIGE_NACHNAME")->AsString(), "von Musterhausen");
  EXPECT_EQ(f("EIGE_HINWEIS")->AsString(), "von Musterhausen, Karl Maria");
  EXPECT_EQ(f("EIGE_DATUM")->AsDateTime(), EncodeDate(1962, 7, 5));
  EXPECT_EQ(f("EIGE_TAG")->AsInteger(), 5);
  EXPECT_EQ(f("EIGE_MONAT")->AsInteger(), 7);
  EXPECT_EQ(f("EIGE_JAHR")->AsInteger(), 1962);
  EXPECT_EQ(TimeToStr(f("EIGE_ZEIT")->AsDateTime()), "07:30:00");
  EXPECT_EQ(f("EIGE_ORT")->AsString(), "Bern");
  EXPECT_EQ(f("EIGE_ORTPR")->AsString(), "in");
  EXPECT_EQ(f("EIGE_GESCH")->AsInteger(), 1);  // the old file wrote "1" for male (0) only
  EXPECT_TRUE(f("EIGE_W1")->AsBoolean());
  EXPECT_EQ(f("EIGE_W1TAGE")->AsInteger(), 3);
  EXPECT_EQ(f("EIGE_TERMIN1")->AsInteger(), 702);
  EXPECT_EQ(f("EIGE_TERMIN2")->AsInteger(), 0);

  ASSERT_TRUE(eige->FindKey({2}));
  EXPECT_EQ(f("EIGE_VORNAME")->AsString(), "Hans von und");
  EXPECT_EQ(f("EIGE_NACHNAME")->AsString(), "zu Muster");
  EXPECT_TRUE(f("EIGE_DATUM")->IsNull());  // 31.02. does not exist
  EXPECT_EQ(f("EIGE_TERMIN1")->AsInteger(), 0);  // no date, no warning day

  ASSERT_TRUE(eige->FindKey({3}));
  EXPECT_EQ(f("EIGE_TYP")->AsInteger(), etEvent);
  EXPECT_EQ(f("EIGE_HINWEIS")->AsString(), "Die erste Mondlandung wurde weltweit...");
  EXPECT_EQ(f("EIGE_TEXT")->AsString(), "Die erste Mondlandung wurde weltweit am Fernsehen verfolgt, live.");
  EXPECT_TRUE(f("EIGE_W1")->AsBoolean());
  EXPECT_EQ(f("EIGE_W1TAGE")->AsInteger(), 0);  // "abc" left out
  EXPECT_EQ(f("EIGE_TERMIN1")->AsInteger(), 720);
  EXPECT_EQ(f("EIGE_TERMIN2")->AsInteger(), 710);

  ASSERT_TRUE(eige->FindKey({4}));
  EXPECT_EQ(f("EIGE_VORNAME")->AsString(), "");
  EXPECT_EQ(f("EIGE_NACHNAME")->AsString(), "Hans");
  EXPECT_EQ(f("EIGE_HINWEIS")->AsString(), "Hans");
  EXPECT_EQ(f("EIGE_GESCH")->AsInteger(), 0);
  EXPECT_EQ(f("EIGE_TERMIN1")->AsInteger(), 228);  // two days before 1.3.1960
  EXPECT_TRUE(f("EIGE_ZEIT")->IsNull());

  ASSERT_TRUE(eige->FindKey({5}));
  EXPECT_EQ(f("EIGE_VORNAME")->AsString(), "Anna de la");
  EXPECT_EQ(f("EIGE_NACHNAME")->AsString(), "Cruz");
  EXPECT_EQ(f("EIGE_ORT")->AsString(), L("Zürich"));

  auto links = Open("EIGESELC.FFD", "XPKEISE");
  EXPECT_EQ(links->RecordCount(), 2);  // FAM once, NEU
  EXPECT_TRUE(links->FindKey({"FAM", 1}));
  EXPECT_TRUE(links->FindKey({"NEU", 1}));
  auto codes = Open("SELCODE.FFD", "XSELC_ID");
  ASSERT_TRUE(codes->FindKey({"NEU"}));
  EXPECT_EQ(codes->FieldByName("SELC_NAME")->AsString(), L("*** automatisch ergänzt ***"));
  ASSERT_TRUE(codes->FindKey({"FAM"}));
  EXPECT_EQ(codes->FieldByName("SELC_NAME")->AsString(), "Familie");

  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  const AnsiString& box = driver.MessageBoxes()[0].Text;
  EXPECT_NE(box.find("persd.upd, Zeile 12: Das Datum \"31021990\""), AnsiString::npos) << box;
  EXPECT_NE(box.find("persd.upd, Zeile 19: \"#W1Tage=abc\""), AnsiString::npos) << box;
  EXPECT_NE(box.find("persd.upd, Zeile 28: \"#Zeit=7:3\""), AnsiString::npos) << box;
  // The box as the user sees it.
  TForm* shown = CreateMessageDialog(box, mtWarning, mbOK);
  shown->Show();
  driver.SavePng(shown, "app_import_problems");
  delete shown;
}

// An entry that cannot be stored is skipped with the selection-code links
// it made; its number goes to the next entry; the others are all kept.
TEST_F(UserDatabase, FailedEntryIsSkippedWithItsLinks) {
  CreateUserDatabase();
  auto eige = Open("EIGENES.FFD", "XEIGE_ID");
  auto links = Open("EIGESELC.FFD", "XPKEISE");
  auto codes = Open("SELCODE.FFD", "XSELC_ID");
  eige->BeforePost = [](TDataSet* ds) {
    if (ds->FieldByName("EIGE_NACHNAME")->AsString() == "Kaputt") throw EDatabaseError("Platte voll");
  };
  const auto file = Root() / "persd.upd";
  Put(file,
      "#ID=1\r\n#Name=Anna Erste\r\n#SelCode=FAM\r\n"
      "#ID=2\r\n#Name=Bernd Kaputt\r\n#SelCode=FAM\r\n#SelCode=XYZ\r\n"
      "#ID=3\r\n#Name=Clara Dritte\r\n#SelCode=XYZ\r\n");
  const TImportResult r = ImportOwnEntries(file.string(), eige.get(), links.get(), codes.get());
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(r.Lines, 10);
  EXPECT_EQ(r.Stored, 2);
  ASSERT_EQ(r.Problems.size(), 1u);
  EXPECT_NE(r.Problems[0].find("Zeile 4: Der Eintrag \"Kaputt, Bernd\""), AnsiString::npos) << r.Problems[0];
  EXPECT_NE(r.Problems[0].find("Platte voll"), AnsiString::npos);
  EXPECT_FALSE(exists(file));

  ASSERT_EQ(eige->RecordCount(), 2);
  ASSERT_TRUE(eige->FindKey({2}));
  EXPECT_EQ(eige->FieldByName("EIGE_NACHNAME")->AsString(), "Dritte");
  std::set<std::pair<std::string, int>> rows;
  for (links->First(); !links->Eof(); links->Next())
    rows.insert({links->FieldByName("SELC_ID")->AsString(), links->FieldByName("EIGE_ID")->AsInteger()});
  EXPECT_EQ(rows, (std::set<std::pair<std::string, int>>{{"FAM", 1}, {"XYZ", 2}}));
}

// A file that cannot be read is kept for another try and reported.
TEST_F(UserDatabase, UnreadableImportFileIsKept) {
  CreateUserDatabase();
  auto codes = Open("SELCODE.FFD", "XSELC_ID");
  const auto dir = Root() / "selcd.upd";
  apptest::fs::create_directories(dir);  // a name that is no file
  const TImportResult r = ImportSelectionCodes(dir.string(), codes.get());
  EXPECT_FALSE(r.Complete);
  ASSERT_EQ(r.Problems.size(), 1u);
  EXPECT_NE(r.Problems[0].find("bleibt"), AnsiString::npos);
  EXPECT_TRUE(exists(dir));
}

// The import runs only into a table that holds nothing yet. A file left as being imported (a backup put back,
// written in the same second as the table) goes without a word only when the table holds each of its entries;
// else, or beside persd.upd, it stays and is told.
TEST_F(UserDatabase, ImportFilesAreReadOnlyIntoEmptyTables) {
  const std::string held = "#ID=1\r\n#Name=Anna Muster\r\n#Datum=01021990\r\n#ID=2\r\n#Text=Umzug\r\n#SelCode=FAM\r\n";
  Put(Root() / "persd.upd", held);
  CreateUserDatabase();
  Put(Root() / "persd.upd", "#ID=1\r\n#Name=Bernd Muster\r\n");
  CreateUserDatabase();
  EXPECT_TRUE(exists(Root() / "persd.upd"));
  EXPECT_EQ(Open("EIGENES.FFD", "XEIGE_ID")->RecordCount(), 2);
  const auto writing = Root() / "persd.upd.uebertragen";
  for (int k : {0, 1, 2}) {  // partly in the table, all in it, beside persd.upd
    if (k == 2) apptest::fs::remove_all(Root() / "BENUTZER");
    Put(writing, k == 0 ? held + "#ID=3\r\n#Name=Carla Muster\r\n" : held);
    if (k < 2) apptest::fs::last_write_time(User("EIGENES.FFD"), apptest::fs::last_write_time(writing));
    CreateUserDatabase();
    EXPECT_EQ(exists(writing), k != 1) << k;
    ASSERT_EQ(driver.MessageBoxes().size(), k < 2 ? 1u : 2u) << k;
    EXPECT_NE(driver.MessageBoxes().back().Text.find("persd.upd.uebertragen\" stammt von"), AnsiString::npos);
    EXPECT_EQ(Open("EIGENES.FFD", "")->RecordCount() + Open("EIGESELC.FFD", "")->RecordCount(), k < 2 ? 3 : 1) << k;
  }
}

// A first start killed at any write, then one whose first or second write fails: the next start
// brings every entry of the older data once with its codes, and only then removes the files.
TEST_F(UserDatabase, AnImportCutOffIsTakenUpWholeByTheNextStart) {
  size_t told = 0;
  for (long n = 1;; ++n) {
    apptest::fs::remove_all(Root() / "BENUTZER");
    Put(Root() / "selcd.upd", "#ID=FAM\r\n#Text=Familie\r\n");
    Put(Root() / "persd.upd", "#ID=7\r\n#Name=Anna Erste\r\n#SelCode=FAM\r\n#ID=8\r\n#Name=Bernd Zweiter\r\n"
                              "#SelCode=FAM\r\n#SelCode=NEU\r\n");
    const pid_t child = fork();
    if (child == 0) {
      dbtest::KillLayer kill(n);
      ffdetail::ScopedFileLayer layer(kill);
      CreateUserDatabase();
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    {
      dbtest::FailingWriteLayer failing(n % 2 + 1, n % 4 < 2 ? EIO : ENOSPC);
      ffdetail::ScopedFileLayer layer(failing);
      CreateUserDatabase();
    }
    told = driver.MessageBoxes().size();
    CreateUserDatabase();
    EXPECT_EQ(driver.MessageBoxes().size(), told) << "killed at " << n;
    EXPECT_FALSE(exists(Root() / "selcd.upd") || exists(Root() / "persd.upd")) << "killed at " << n;
    std::vector<std::string> rows;
    const char* const shown[][3] = {
        {"EIGENES.FFD", "EIGE_ID", "EIGE_NACHNAME"}, {"EIGESELC.FFD", "SELC_ID", "EIGE_ID"}, {"SELCODE.FFD", "SELC_ID", "SELC_NAME"}};
    for (auto [t, a, b] : shown)
      for (auto table = Open(t, ""); !table->Eof(); table->Next())
        rows.push_back(table->FieldByName(a)->AsString() + " " + table->FieldByName(b)->AsString());
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::string>{"1 Erste", "2 Zweiter", "FAM 1", "FAM 2", "FAM Familie",
                                              L("NEU *** automatisch ergänzt ***"), "NEU 2"}))
        << "killed at " << n;
    if (WEXITSTATUS(status) == 0 || HasFailure()) break;
  }

  EXPECT_EQ(driver.MessageBoxes().size(), told);
  // Codes that cannot be read yet hold the entries back: the codes that the
  // entries would add in their place would shut the codes' file out for good.
  apptest::fs::remove_all(Root() / "BENUTZER");
  apptest::fs::create_directory(Root() / "selcd.upd");
  Put(Root() / "persd.upd", "#ID=7\r\n#Name=Anna Erste\r\n#SelCode=FAM\r\n");
  CreateUserDatabase();
  EXPECT_TRUE(Open("EIGENES.FFD", "")->Eof());
  apptest::fs::remove(Root() / "selcd.upd");
  Put(Root() / "selcd.upd", "#ID=FAM\r\n#Text=Familie\r\n");
  CreateUserDatabase();
  EXPECT_FALSE(exists(Root() / "selcd.upd") || exists(Root() / "persd.upd"));
  EXPECT_EQ(Open("SELCODE.FFD", "")->FieldByName("SELC_NAME")->AsString(), "Familie");
}

TEST_F(UserDatabase, ProgressWindow) {
  auto* dlg = new TfrmConvDlg(Application);
  dlg->Show();
  dlg->ShowCount(1234);
  EXPECT_EQ(dlg->lblZaehler->Caption(), "1234");
  driver.SavePng(dlg, "app_conversion_window");
  delete dlg;
}

}  // namespace

// Editing through a dataset: insert and append positions, posting and
// cancelling, Before events that abort, key violations, required fields,
// deletion, the error events, and the words a full disk is told in.
#include "platform/rtl/cp1252.h"
#include "tests/db/db_fixture.h"
#include "tests/dbengine/file_layers.h"

using namespace dbtest;

TEST_F(DbTest, AppendIsAtEofInsertInTheMiddleIsNot) {
  AddNumbered(5);
  auto t = Table();
  t->Open();
  t->MoveBy(2);
  t->Insert();
  EXPECT_EQ(t->State(), dsInsert);
  EXPECT_FALSE(t->Eof());
  EXPECT_FALSE(t->Bof());
  EXPECT_TRUE(t->FieldByName("ID")->IsNull());
  t->Cancel();
  EXPECT_EQ(t->State(), dsBrowse);
  EXPECT_EQ(Id(t.get()), 3) << "cancelling an insert returns to the record it stood before";

  t->Append();
  EXPECT_TRUE(t->Eof());
  t->FieldByName("ID")->SetAsInteger(6);
  t->Post();
  EXPECT_EQ(Id(t.get()), 6);
  EXPECT_EQ(t->RecordCount(), 6);
  t->Append();
  t->Cancel();
  EXPECT_EQ(Id(t.get()), 6) << "a cancelled append returns to the last record";

  // A record inserted in the middle lands at its key's place.
  t->First();
  t->Insert();
  t->FieldByName("ID")->SetAsInteger(100);
  t->Post();
  EXPECT_EQ(Id(t.get()), 100);
  t->Next();
  EXPECT_TRUE(t->Eof());
  t->Prior();
  EXPECT_EQ(Id(t.get()), 6);
}

TEST_F(DbTest, BeforePostThatRaisesKeepsEditStateAndData) {
  AddPersons({{1, "Anna", 1, 1, 1950}, {2, "Bert", 2, 2, 1960}});
  auto t = Table();
  int afterPost = 0;
  t->BeforePost = [](TDataSet*) { throw EDatabaseError("refused"); };
  t->AfterPost = [&](TDataSet*) { ++afterPost; };
  t->Open();
  t->Edit();
  t->FieldByName("NAME")->SetAsString("Anton");
  EXPECT_THROW(t->Post(), EDatabaseError);
  EXPECT_EQ(t->State(), dsEdit);
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Anton") << "the edit buffer is kept";
  EXPECT_EQ(afterPost, 0);
  auto other = Table();
  other->Open();
  EXPECT_EQ(other->FieldByName("NAME")->AsString(), "Anna") << "nothing reached the table";
  t->Cancel();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Anna");
  // A raising BeforeEdit or BeforeInsert leaves browse state.
  t->BeforeEdit = [](TDataSet*) { Abort(); };
  EXPECT_THROW(t->Edit(), EAbort);
  EXPECT_EQ(t->State(), dsBrowse);
  t->BeforeInsert = [](TDataSet*) { Abort(); };
  EXPECT_THROW(t->Append(), EAbort);
  EXPECT_EQ(t->State(), dsBrowse);
  EXPECT_EQ(Id(t.get()), 1);
}

TEST_F(DbTest, KeyViolationRaisesAndKeepsInsertState) {
  AddNumbered(3);
  auto t = Table();
  int errors = 0;
  t->OnPostError = [&](TDataSet*, EDatabaseError& e, TDataAction& action) {
    ++errors;
    EXPECT_NE(dynamic_cast<EDBEngineError*>(&e), nullptr);
    action = daFail;
  };
  t->Open();
  t->Append();
  t->FieldByName("ID")->SetAsInteger(2);
  t->FieldByName("NAME")->SetAsString("Doppelt");
  try {
    t->Post();
    FAIL() << "the duplicate key was accepted";
  } catch (const EDBEngineError& e) {
    EXPECT_EQ(e.ErrorCode(), bapiKeyViolation);
  }
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(t->State(), dsInsert);
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Doppelt");
  // The user mends the key and posts again.
  t->FieldByName("ID")->SetAsInteger(4);
  t->Post();
  EXPECT_EQ(t->RecordCount(), 4);
  // daAbort turns the error into a silent abort.
  t->OnPostError = [](TDataSet*, EDatabaseError&, TDataAction& a) { a = daAbort; };
  t->Append();
  t->FieldByName("ID")->SetAsInteger(1);
  EXPECT_THROW(t->Post(), EAbort);
  EXPECT_EQ(t->State(), dsInsert);
  t->Cancel();
}

// A post on a full disk is told in German with the file and what to do; the
// record stays for another try.
TEST_F(DbTest, AFullDiskIsToldWithTheFileAndWhatToDo) {
  auto t = Table();
  t->Open();
  t->Append();
  t->FieldByName("ID")->SetAsInteger(1);
  AnsiString said;
  try {
    dbtest::FullDiskLayer full;
    ffdetail::ScopedFileLayer layer(full);
    t->Post();
  } catch (const EDBEngineError& e) {
    said = e.Message();
  }
  EXPECT_EQ(said.rfind("In die Datei \"" + (dir / "PERS.FFD").string() + "\" kann nicht geschrieben werden:\r", 0), 0u)
      << said;
  EXPECT_NE(said.find(CP1252("Der Datenträger ist voll. Schaffen Sie Platz").str()), AnsiString::npos) << said;
  t->Post();
  EXPECT_EQ(t->RecordCount(), 1);
  // A table the system cannot follow to its file (links that go round) is
  // not called missing: the system's cause is told, in German.
  std::filesystem::create_symlink(dir / "LOOP.FFD", dir / "LOOP.FFD");
  try {
    Table("LOOP.FFD", "")->Open();
  } catch (const EDBEngineError& e) {
    said = e.Message();
  }
  EXPECT_NE(said.find("Der Zugriff auf sie scheitert: Eine Verkn\xFCpfung im Pfad verweist im Kreis"), AnsiString::npos)
      << said;
}

// Every answer of the engine and its client is told in words, never by its
// number alone.
TEST(EngineProblems, EveryAnswerIsToldInWords) {
  for (TBapiResult code = 8449; code <= 12290; ++code) {
    const bool known = ResultCodeText(code).rfind("Unknown", 0) != 0 ||
                       (code >= bapiInvalidFilter && code <= bapiNameTooLong) || code == bapiAliasExists;
    EXPECT_TRUE(!known || EngineProblemText(code).find("meldet den Fehler") == AnsiString::npos) << code;
  }
}

TEST_F(DbTest, RequiredFieldsAndReadOnlyState) {
  auto t = Table();
  t->Open();
  t->Append();
  t->FieldByName("NAME")->SetAsString("Ohne Nummer");
  try {
    t->Post();
    FAIL() << "an empty required field was posted";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Das Feld \"ID\" muss einen Wert haben");
  }
  EXPECT_EQ(t->State(), dsInsert);
  t->Cancel();
  // Fields refuse writes outside edit state and on read-only fields.
  EXPECT_THROW(t->FieldByName("NAME")->SetAsString("x"), EDatabaseError);
  t->Close();
  t->SetReadOnly(true);
  t->Open();
  EXPECT_FALSE(t->CanModify());
  EXPECT_THROW(t->Append(), EDatabaseError);
  EXPECT_EQ(t->State(), dsBrowse);
}

TEST_F(DbTest, DeleteMovesToTheNextRecordAndModifiedPostsOnMove) {
  AddNumbered(4);
  auto t = Table();
  int afterDelete = 0;
  t->AfterDelete = [&](TDataSet*) { ++afterDelete; };
  t->Open();
  t->Next();
  t->Delete();
  EXPECT_EQ(afterDelete, 1);
  EXPECT_EQ(Id(t.get()), 3);
  t->Last();
  t->Delete();
  EXPECT_EQ(Id(t.get()), 3) << "deleting the last record moves back";
  EXPECT_EQ(t->RecordCount(), 2);
  // Moving away from an edited record posts it; an unmodified one is
  // cancelled.
  t->First();
  t->Edit();
  t->FieldByName("NAME")->SetAsString("Neu");
  EXPECT_TRUE(t->Modified());
  t->Next();
  EXPECT_EQ(t->State(), dsBrowse);
  t->First();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Neu");
  t->Edit();
  EXPECT_FALSE(t->Modified());
  t->Next();
  EXPECT_EQ(t->State(), dsBrowse);
  t->Delete();
  t->Delete();
  EXPECT_TRUE(t->IsEmpty());
  EXPECT_TRUE(t->Eof() && t->Bof());
  EXPECT_THROW(t->Delete(), EDatabaseError);
  // Edit on an empty dataset inserts.
  t->Edit();
  EXPECT_EQ(t->State(), dsInsert);
  t->Cancel();
}

TEST_F(DbTest, EventsInOrderAndNewRecordDefaults) {
  AddNumbered(2);
  auto t = Table();
  std::vector<std::string> log;
  auto note = [&](const char* s) { return [&log, s](TDataSet*) { log.push_back(s); }; };
  t->BeforeOpen = note("BeforeOpen");
  t->AfterOpen = note("AfterOpen");
  t->BeforeInsert = note("BeforeInsert");
  t->OnNewRecord = [&](TDataSet* d) {
    log.push_back("OnNewRecord");
    d->FieldByName("NAME")->SetAsString("Vorgabe");
  };
  t->AfterInsert = note("AfterInsert");
  t->BeforeScroll = note("BeforeScroll");
  t->AfterScroll = note("AfterScroll");
  t->BeforeCancel = note("BeforeCancel");
  t->AfterCancel = note("AfterCancel");
  t->BeforeClose = note("BeforeClose");
  t->AfterClose = note("AfterClose");
  t->Open();
  t->Append();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Vorgabe");
  EXPECT_FALSE(t->Modified()) << "defaults of OnNewRecord do not count as a change";
  t->Cancel();
  t->Close();
  EXPECT_EQ(log, (std::vector<std::string>{"BeforeOpen", "AfterOpen", "BeforeInsert", "BeforeScroll",
                                           "OnNewRecord", "AfterInsert", "AfterScroll", "BeforeCancel",
                                           "BeforeScroll", "AfterCancel", "AfterScroll", "BeforeClose",
                                           "AfterClose"}));
}

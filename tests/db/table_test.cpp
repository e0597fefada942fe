// Tables: key searches, nearest keys on descending indexes, ranges, index
// switches that keep the record, master/detail links, and the datasets the
// call level cannot open.
#include <map>
#include <random>

#include "tests/db/db_fixture.h"

using namespace dbtest;

namespace {

// Persons born on 7.3. of several years and on neighbouring days.
std::vector<std::tuple<int, const char*, int, int, int>> Birthdays() {
  return {{1, "Anna", 7, 3, 1950}, {2, "Bert", 7, 3, 1901}, {3, "Cleo", 7, 3, 1975},
          {4, "Dora", 8, 3, 1960}, {5, "Emil", 6, 3, 1930}, {6, "Fritz", 7, 3, 1933},
          {7, "Gina", 7, 4, 1940}, {8, "Hans", 6, 3, 2001}};
}

std::vector<int> Years(TTable* t) {
  std::vector<int> out;
  for (t->First(); !t->Eof(); t->Next()) out.push_back(t->FieldByName("JAHR")->AsInteger());
  return out;
}

}  // namespace

TEST_F(DbTest, FindKeyMatchesOrKeepsThePosition) {
  AddPersons(Birthdays());
  auto t = Table("PERS", "XNAME");
  int scrolls = 0;
  t->AfterScroll = [&](TDataSet*) { ++scrolls; };
  t->Open();
  EXPECT_EQ(t->IndexFieldCount(), 2);
  EXPECT_EQ(t->IndexFields(0)->FieldName(), "NAME");
  EXPECT_TRUE(t->FindKey({"cleo"})) << "a case-insensitive index finds any letter case";
  EXPECT_EQ(Id(t.get()), 3);
  scrolls = 0;
  EXPECT_FALSE(t->FindKey({"Zora"}));
  EXPECT_EQ(Id(t.get()), 3);
  EXPECT_EQ(scrolls, 0);
  t->Next();
  EXPECT_EQ(Id(t.get()), 4) << "the cursor stayed where the failed search left the dataset";
  // Mixed values: a text and an integer given as text.
  EXPECT_TRUE(t->FindKey({"Fritz", "6"}));
  EXPECT_EQ(Id(t.get()), 6);
  EXPECT_FALSE(t->FindKey({"Fritz", 7}));
  EXPECT_EQ(Id(t.get()), 6);
  EXPECT_THROW(t->FindKey({"a", 1, 2}), EDatabaseError);
  EXPECT_THROW(t->FindKey({"Fritz", "sechs"}), EConvertError);
  EXPECT_EQ(t->State(), dsBrowse);
  // Key mode by hand.
  t->SetKey();
  EXPECT_EQ(t->State(), dsSetKey);
  t->FieldByName("NAME")->SetAsString("Emil");
  EXPECT_THROW(t->FieldByName("JAHR")->SetAsInteger(1), EDatabaseError);
  EXPECT_TRUE(t->GotoKey());
  EXPECT_EQ(Id(t.get()), 5);
  t->SetKey();
  t->FieldByName("NAME")->SetAsString("Ed");
  t->GotoNearest();
  EXPECT_EQ(Id(t.get()), 5);
}

TEST_F(DbTest, FindNearestOnADescendingIndexThenPriorGivesAscendingYears) {
  AddPersons(Birthdays());
  auto t = Table("PERS", "XMTJ");
  t->Open();
  EXPECT_TRUE(t->IndexDescending());
  // The first key not greater than (3, 7, 0) lies behind the day's group.
  t->FindNearest({3, 7, 0});
  EXPECT_EQ(t->FieldByName("TAG")->AsInteger(), 6);
  EXPECT_EQ(t->FieldByName("JAHR")->AsInteger(), 2001);
  std::vector<int> years;
  t->Prior();
  while (!t->Bof() && t->FieldByName("TAG")->AsInteger() == 7 && t->FieldByName("MONAT")->AsInteger() == 3) {
    years.push_back(t->FieldByName("JAHR")->AsInteger());
    t->Prior();
  }
  EXPECT_EQ(years, (std::vector<int>{1901, 1933, 1950, 1975}));
  // A nearest key beyond the last one leaves the dataset on the last record.
  t->FindNearest({1, 1, 0});
  EXPECT_EQ(Id(t.get()), 5);
  EXPECT_FALSE(t->Eof());
}

TEST_F(DbTest, RangesOnADescendingIndex) {
  AddPersons(Birthdays());
  auto t = Table("PERS", "XMTJ");
  t->Open();
  t->SetRange({3, 7, 9999}, {3, 7, 0});
  EXPECT_EQ(t->RecordCount(), 4);
  EXPECT_EQ(Years(t.get()), (std::vector<int>{1975, 1950, 1933, 1901}));
  EXPECT_TRUE(t->RangeActive());
  // Partial ends: the whole month.
  t->SetRange({3}, {3});
  EXPECT_EQ(t->RecordCount(), 7);
  // An end without fields is open.
  t->SetRangeStart();
  t->FieldByName("MONAT")->SetAsInteger(3);
  t->FieldByName("TAG")->SetAsInteger(7);
  t->SetRangeEnd();
  t->ApplyRange();
  EXPECT_EQ(t->RecordCount(), 6) << "from 7.3. downwards";
  t->EditRangeStart();
  t->FieldByName("TAG")->SetAsInteger(6);
  t->ApplyRange();
  EXPECT_EQ(t->RecordCount(), 2);
  t->CancelRange();
  EXPECT_FALSE(t->RangeActive());
  EXPECT_EQ(t->RecordCount(), 8);
  // A range with no record in it is empty.
  t->SetRange({5, 5}, {5, 5});
  EXPECT_TRUE(t->IsEmpty());
  EXPECT_TRUE(t->Bof() && t->Eof());
}

TEST_F(DbTest, IndexSwitchKeepsTheRecordAndDropsTheRange) {
  AddPersons(Birthdays());
  auto t = Table("PERS", "XNAME");
  t->Open();
  t->SetRange({"B"}, {"E"});
  ASSERT_EQ(t->RecordCount(), 3);
  t->FindKey({"Cleo"});
  t->SetIndexName("XMTJ");
  EXPECT_EQ(Id(t.get()), 3);
  EXPECT_FALSE(t->RangeActive());
  EXPECT_EQ(t->RecordCount(), 8);
  t->Next();
  EXPECT_EQ(t->FieldByName("JAHR")->AsInteger(), 1950) << "now in the order of the new index";
  t->SetIndexFieldNames("ID");
  EXPECT_EQ(Id(t.get()), 1);
  t->Next();
  EXPECT_EQ(Id(t.get()), 2);
  EXPECT_THROW(t->SetIndexFieldNames("BILD"), EDatabaseError);
  t->Close();
  t->SetIndexFieldNames("NAME");
  t->Open();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Anna");
  ASSERT_NE(t->IndexDefs().FindIndexForFields("monat;tag"), nullptr);
  EXPECT_EQ(t->IndexDefs().FindIndexForFields("monat;tag")->Name, "XMTJ");
  EXPECT_TRUE(t->IndexDefs().Items(t->IndexDefs().IndexOf("XMTJ")).Options & ixDescending);
}

TEST_F(DbTest, DetailFollowsItsMasterInsertsItsKeyAndDetaches) {
  AddPersons(Birthdays());
  auto master = Table("NATION", "XNATI");
  master->Open();
  for (auto [id, name] : std::vector<std::pair<int, const char*>>{{3, "Maerz"}, {4, "April"}, {5, "Mai"}}) {
    master->Append();
    master->FieldByName("NATI_ID")->SetAsInteger(id);
    master->FieldByName("NATI_NAME")->SetAsString(name);
    master->Post();
  }
  master->First();
  TDataSource ms(nullptr);
  ms.SetDataSet(master.get());
  auto detail = Table("PERS", "XMTJ");
  detail->SetMasterSource(&ms);
  detail->SetMasterFields("NATI_ID");
  detail->Open();
  EXPECT_EQ(detail->RecordCount(), 7);
  master->Next();
  EXPECT_EQ(detail->RecordCount(), 1);
  EXPECT_EQ(Id(detail.get()), 7);
  master->Next();
  EXPECT_TRUE(detail->IsEmpty());
  // An insert copies the master's key.
  detail->Append();
  EXPECT_EQ(detail->FieldByName("MONAT")->AsInteger(), 5);
  detail->FieldByName("ID")->SetAsInteger(20);
  detail->FieldByName("TAG")->SetAsInteger(1);
  detail->Post();
  EXPECT_EQ(detail->RecordCount(), 1);
  // An index switch re-applies the master range.
  master->First();
  detail->FindKey({3, 8});
  detail->SetIndexName("XMTJ");
  detail->SetIndexFieldNames("MONAT;TAG");
  EXPECT_EQ(Id(detail.get()), 4);
  EXPECT_EQ(detail->RecordCount(), 7);
  // Changing the link at run time, then detaching it.
  detail->SetIndexName("XMTJ");
  detail->SetMasterFields("");
  EXPECT_EQ(detail->RecordCount(), 9);
  detail->SetMasterFields("NATI_ID");
  EXPECT_EQ(detail->RecordCount(), 7);
  detail->SetMasterSource(nullptr);
  EXPECT_EQ(detail->RecordCount(), 9);
  master->Next();
  EXPECT_EQ(detail->RecordCount(), 9);
}

TEST_F(DbTest, DatabasesSessionsAndQueries) {
  AddNumbered(2);
  TDatabase declared(nullptr);
  declared.SetDatabaseName("Eigene");
  declared.SetAliasName(alias);
  declared.Open();
  EXPECT_FALSE(declared.IsSQLBased());
  EXPECT_EQ(declared.Directory(), dir.string());
  auto t = Table();
  t->SetDatabaseName("eigene");
  t->Open();
  EXPECT_EQ(t->Database(), &declared);
  EXPECT_EQ(t->DBHandle(), declared.Handle());
  declared.Close();
  EXPECT_FALSE(t->Active()) << "a database closes its datasets";
  // Unknown tables and aliases, queries and stored procedures fail with the
  // call level's message.
  auto missing = Table("FEHLT");
  EXPECT_THROW(missing->Open(), EDBEngineError);
  EXPECT_FALSE(missing->Active());
  TQuery q(nullptr);
  q.SetDatabaseName(alias);
  q.SQL()->Add("select * from PERS");
  try {
    q.Open();
    FAIL() << "a query opened";
  } catch (const EDBEngineError& e) {
    EXPECT_FALSE(e.Message().empty());
  }
  EXPECT_FALSE(q.Active());
  TStoredProc sp(nullptr);
  sp.SetDatabaseName(alias);
  EXPECT_THROW(sp.Open(), EDBEngineError);
  // Exclusive use, emptying and deleting.
  t->SetDatabaseName(alias);
  t->Open();
  auto solo = Table();
  solo->SetExclusive(true);
  EXPECT_THROW(solo->Open(), EDBEngineError) << "another cursor has the table open";
  t->EmptyTable();
  EXPECT_TRUE(t->IsEmpty());
  EXPECT_THROW(t->DeleteTable(), EDatabaseError) << "not while open";
  t->Close();
  AddNumbered(1);
  t->EmptyTable();
  t->Open();
  EXPECT_TRUE(t->IsEmpty());
  t->Close();
  t->DeleteTable();
  EXPECT_FALSE(std::filesystem::exists(dir / "PERS.FFD"));
  EXPECT_THROW(t->Open(), EDBEngineError);
}

namespace {
// A per-record filter as the data-aware datasets install it: the fields
// read the record under test through the filter state.
int16_t BornBefore1950(uintptr_t data, uint8_t* rec, uint32_t) {
  auto* t = reinterpret_cast<TTable*>(data);
  TDataSetState saved = t->SetTempState(dsFilter);
  t->SetTempRecord(rec);
  bool accept = t->FieldByName("JAHR")->AsInteger() < 1950;
  t->RestoreState(saved);
  return accept ? 1 : 0;
}
}  // namespace

TEST_F(DbTest, FilterCallbacksReadTheRecordUnderTest) {
  AddPersons(Birthdays());
  auto t = Table("PERS", "XMTJ");
  TDataSource ds(nullptr);
  ds.SetDataSet(t.get());
  RecordingLink link;
  link.SetDataSource(&ds);
  t->Open();
  t->FindKey({3, 7, 1950});
  TBapiHandle filter = 0;
  ASSERT_EQ(BapiAddFilter(t->Handle(), reinterpret_cast<uintptr_t>(t.get()), 1, false, nullptr,
                          BornBefore1950, filter),
            bapiOk);
  ASSERT_EQ(BapiActivateFilter(t->Handle(), filter), bapiOk);
  // The record shown fails the filter now; re-reading moves to the next.
  t->UpdateCursorPos();
  t->Resync(0);
  EXPECT_EQ(t->FieldByName("JAHR")->AsInteger(), 1933);
  EXPECT_EQ(t->State(), dsBrowse);
  EXPECT_FALSE(t->ControlsDisabled());
  EXPECT_EQ(Years(t.get()), (std::vector<int>{1940, 1933, 1901, 1930}));
  EXPECT_EQ(t->RecordCount(), 4);
  ASSERT_EQ(BapiDropFilter(t->Handle(), filter), bapiOk);
  t->Refresh();
  EXPECT_EQ(t->RecordCount(), 8);
  link.SetDataSource(nullptr);
}

TEST_F(DbTest, LookupByIndexOrByScanLeavesThePosition) {
  AddPersons(Birthdays());
  auto t = Table("PERS", "XMTJ");
  t->Open();
  t->Last();
  // NAME leads an index; JAHR does not and is searched record by record.
  EXPECT_EQ(t->Lookup("name", {"dora"}, "JAHR"), Variant(1960));
  EXPECT_EQ(t->Lookup("JAHR", {1933}, "NAME"), Variant("Fritz"));
  EXPECT_EQ(t->Lookup("MONAT;TAG", {3, 6}, "ID").AsInteger(), 8) << "the first in index order";
  EXPECT_TRUE(t->Lookup("JAHR", {1234}, "NAME").IsNull());
  EXPECT_TRUE(t->Lookup("JAHR;TAG", {1933}, "NAME").IsNull()) << "as many values as fields";
  EXPECT_EQ(Id(t.get()), 5);
  EXPECT_TRUE(t->Eof());
  EXPECT_EQ(t->State(), dsBrowse);
}

// A calculated field that fails to read when told to.
struct TFailingField : TStringField {
  using TStringField::TStringField;
  bool fail = false;
  AnsiString AsString() const override {
    if (fail) throw EDatabaseError("kaputt");
    return TStringField::AsString();
  }
};

TEST_F(DbTest, LookupLeavesStateAndRecordUnderTestAsItFoundThem) {
  AddPersons(Birthdays());
  auto t = Table();
  auto* bad = new TFailingField(nullptr);
  bad->SetFieldName("BAD");
  bad->SetCalculated(true);
  bad->SetDataSet(t.get());
  t->Open();
  // Asked from inside a filter's test of this table, by index and by scan.
  uint8_t* tested = t->ActiveBuffer();
  const TDataSetState was = t->SetTempState(dsFilter);
  t->SetTempRecord(tested);
  EXPECT_EQ(t->Lookup("NAME", {"Emil"}, "ID"), Variant(5));
  EXPECT_EQ(t->Lookup("JAHR", {1933}, "ID"), Variant(6));
  EXPECT_EQ(t->TempRecord(), tested);
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Anna") << "the record under test reads as before";
  t->RestoreState(was);
  // A key that fails to read during the scan.
  bad->fail = true;
  EXPECT_THROW(t->Lookup("BAD", {"x"}, "ID"), EDatabaseError);
  EXPECT_FALSE(t->ControlsDisabled()) << "the controls hear of changes again";
  EXPECT_EQ(t->State(), dsBrowse);
}

TEST_F(DbTest, ErrorEventsMayRetryAnOperation) {
  AddNumbered(2);
  auto t = Table();
  t->Open();
  t->Append();
  t->FieldByName("ID")->SetAsInteger(1);
  int tries = 0;
  t->OnPostError = [&](TDataSet* d, EDatabaseError&, TDataAction& a) {
    ++tries;
    d->FieldByName("ID")->SetAsInteger(3);  // mend the key, then retry
    a = daRetry;
  };
  t->Post();
  EXPECT_EQ(tries, 1);
  EXPECT_EQ(Id(t.get()), 3);
  int deleteErrors = 0;
  t->OnDeleteError = [&](TDataSet*, EDatabaseError&, TDataAction& a) {
    ++deleteErrors;
    a = daFail;
  };
  // The record went away under another cursor: the error event hears it.
  t->First();
  auto other = Table();
  other->Open();
  other->Delete();
  EXPECT_THROW(t->Delete(), EDBEngineError);
  EXPECT_EQ(deleteErrors, 1);
  t->Close();
  t->SetReadOnly(true);
  t->Open();
  EXPECT_THROW(t->Delete(), EDatabaseError) << "a read-only dataset refuses before any event";
  EXPECT_EQ(deleteErrors, 1);
  EXPECT_EQ(t->RecordCount(), 2);
}

TEST_F(DbTest, DayRangesAndNearestWalksAgreeWithAModel) {
  std::mt19937 rng(7);
  std::vector<std::tuple<int, const char*, int, int, int>> rows;
  std::map<std::pair<int, int>, std::vector<int>> years;  // (month, day) -> years
  for (int id = 1; id <= 300; ++id) {
    int m = 1 + static_cast<int>(rng() % 3), d = 1 + static_cast<int>(rng() % 4);
    int y = 1500 + static_cast<int>(rng() % 500);
    rows.emplace_back(id, "X", d, m, y);
    years[{m, d}].push_back(y);
  }
  AddPersons(rows);
  auto t = Table("PERS", "XMTJ");
  t->Open();
  for (int m = 1; m <= 4; ++m)
    for (int d = 1; d <= 4; ++d) {
      std::vector<int> want = years[{m, d}];
      std::sort(want.begin(), want.end(), std::greater<int>());
      t->SetRange({m, d, 9999}, {m, d, 0});
      EXPECT_EQ(Years(t.get()), want) << m << "." << d;
      t->CancelRange();
      // The walk backwards from the first key not greater than (m, d, 0).
      std::vector<int> walked;
      t->FindNearest({m, d, 0});
      if (t->FieldByName("MONAT")->AsInteger() != m || t->FieldByName("TAG")->AsInteger() != d ||
          t->Eof())
        t->Prior();
      while (!t->Bof() && t->FieldByName("MONAT")->AsInteger() == m && t->FieldByName("TAG")->AsInteger() == d) {
        walked.push_back(t->FieldByName("JAHR")->AsInteger());
        t->Prior();
      }
      std::reverse(want.begin(), want.end());
      EXPECT_EQ(walked, want) << m << "." << d;
    }
}

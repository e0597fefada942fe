// The table dataset on the built reference data and on tables built here:
// key look-ups with several values on ascending and descending indexes
// against a scan of all records, the look-up that stays on a record already
// holding the key (binary keys exact, text keys of a case-insensitive index
// without case), index choice and switches, expression and per-record
// filters (an exception in the filter event, Escape), picture masks before
// posting, and the memo stream over a record of the window.
#include <stdexcept>
#include <tuple>

#include "calendar/packeddate.h"
#include "dbcontrols/datasets/wwfields.h"
#include "platform/ui/messages.h"
#include "tests/dbcontrols/sample_fixture.h"

using namespace wwtest;

namespace {

using Row = std::vector<int64_t>;

// Every record's values of the fields, in the table's current order.
std::vector<Row> Scan(TDataSet* t, const std::vector<const char*>& fields) {
  std::vector<Row> rows;
  for (t->First(); !t->Eof(); t->Next()) {
    Row r;
    for (const char* f : fields) r.push_back(t->FieldByName(f)->AsInteger());
    rows.push_back(r);
  }
  return rows;
}

Row Current(TDataSet* t, const std::vector<const char*>& fields) {
  Row r;
  for (const char* f : fields) r.push_back(t->FieldByName(f)->AsInteger());
  return r;
}

// FindKey with the first n fields of sampled keys (and of keys that do not
// exist) against the first record of the scan that holds them.
void CheckFindKeyAgainstScan(TwwTable* t, const std::vector<const char*>& keyFields, const Row& missing) {
  std::vector<const char*> fields = keyFields;
  fields.push_back("PERS_ID");
  const std::vector<Row> rows = Scan(t, fields);
  ASSERT_GT(rows.size(), 1000u);
  std::vector<Row> keys;
  for (size_t i = 0; i < rows.size(); i += rows.size() / 40) keys.push_back(rows[i]);
  keys.push_back(missing);
  for (const Row& key : keys) {
    for (size_t n = 1; n <= keyFields.size(); ++n) {
      auto first = std::find_if(rows.begin(), rows.end(),
                                [&](const Row& r) { return std::equal(key.begin(), key.begin() + n, r.begin()); });
      // Start from a record that does not hold the key, so that the look-up
      // has to move.
      t->Last();
      const bool heldBefore = std::equal(key.begin(), key.begin() + n, Current(t, fields).begin());
      std::vector<Variant> values;
      for (size_t k = 0; k < n; ++k) values.emplace_back(static_cast<int>(key[k]));
      const Row before = Current(t, fields);
      const bool found = t->FindKey(values);
      ASSERT_EQ(found, first != rows.end()) << "key of " << n << " values from record " << key.back();
      if (!found) {
        EXPECT_EQ(Current(t, fields), before) << "a failed look-up leaves the position";
        continue;
      }
      const Row now = Current(t, fields);
      EXPECT_TRUE(std::equal(key.begin(), key.begin() + n, now.begin()));
      if (!heldBefore) {
        EXPECT_EQ(now.back(), first->back()) << "the first record of the key";
      }
    }
  }
}

}  // namespace

class TableData : public SampleData {};

TEST_F(TableData, FindKeyWithSeveralValuesAgreesWithAScanOnAscendingAndDescendingIndexes) {
  auto persons = Open("PERSON.FFD", "PE_GDAT");
  CheckFindKeyAgainstScan(persons.get(), {"PERS_GNCHR", "PERS_GEBJ", "PERS_GEBM", "PERS_GEBT"}, {1, 1800, 2, 30});
  // Month, day, era and year all descend: a day's newest record comes first.
  persons->SetIndexName("PE_GMTJ");
  CheckFindKeyAgainstScan(persons.get(), {"PERS_GEBM", "PERS_GEBT", "PERS_GNCHR", "PERS_GEBJ"}, {2, 31, 1, 1900});
  ASSERT_TRUE(persons->FindKey({8, 28}));
  EXPECT_EQ(persons->FieldByName("PERS_GNCHR")->AsInteger(), 1);
  int newest = 0;
  for (persons->First(); !persons->Eof(); persons->Next())
    if (persons->FieldByName("PERS_GEBM")->AsInteger() == 8 && persons->FieldByName("PERS_GEBT")->AsInteger() == 28 &&
        persons->FieldByName("PERS_GNCHR")->AsInteger() == 1)
      newest = std::max(newest, persons->FieldByName("PERS_GEBJ")->AsInteger());
  ASSERT_TRUE(persons->FindKey({8, 28}));
  persons->Last();
  ASSERT_TRUE(persons->FindKey({8, 28}));
  EXPECT_EQ(persons->FieldByName("PERS_GEBJ")->AsInteger(), newest);
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

TEST_F(TableData, FindKeyStaysWithoutScrollingWhenTheCurrentRecordHoldsTheKey) {
  auto places = Open("LAGE.FFD", "XPKLAGE");
  int scrolls = 0;
  places->AfterScroll = [&](TDataSet*) { ++scrolls; };
  ASSERT_TRUE(places->FindKey({CP1252("München").str()}));
  const int afterMove = scrolls;
  EXPECT_GT(afterMove, 0);
  // The place key is case-insensitive: any letter case holds it.
  EXPECT_TRUE(places->FindKey({CP1252("MÜNCHEN").str()}));
  EXPECT_TRUE(places->FindKey({CP1252("münchen").str()}));
  EXPECT_EQ(scrolls, afterMove);
  EXPECT_EQ(places->FieldByName("ORT")->AsString(), CP1252("München").str());

  auto persons = Open("PERSON.FFD", "XPKPERS");
  ASSERT_TRUE(persons->FindKey({7}));
  scrolls = 0;
  persons->AfterScroll = [&](TDataSet*) { ++scrolls; };
  EXPECT_TRUE(persons->FindKey({"7"}));  // compared as text
  EXPECT_TRUE(persons->FindKey({7}));
  EXPECT_EQ(scrolls, 0);
  EXPECT_EQ(persons->SearchNesting(), 0);
}

TEST_F(TableData, BinaryKeysInTextFieldsCompareExactlyAndOnlyCaselessIndexesIgnoreCase) {
  Build("DATES", {{"DATUM", fftShortString, 4}, {"TEXT", fftShortString, 20}},
        {{"XDATUM", {0}, true, false}, {"XTEXT", {1}, true, false}, {"XTEXTCI", {1}, true, true}});
  {
    auto w = Open("DATES", "XDATUM", "WWSCRATCH");
    // Year 65 of the century is the byte 'A', year 97 the byte 'a'.
    for (auto [y, text] : {std::pair{1965, "Berlin"}, {1997, "Bonn"}}) {
      w->Append();
      w->FieldByName("DATUM")->SetAsString(MakePackedDate(y, 3, 10).Key());
      w->FieldByName("TEXT")->SetAsString(text);
      w->Post();
    }
  }
  auto t = Open("DATES", "XDATUM", "WWSCRATCH");
  ASSERT_TRUE(t->FindKey({MakePackedDate(1965, 3, 10).Key()}));
  EXPECT_EQ(t->FieldByName("TEXT")->AsString(), "Berlin");
  ASSERT_TRUE(t->FindKey({MakePackedDate(1997, 3, 10).Key()}));
  EXPECT_EQ(t->FieldByName("TEXT")->AsString(), "Bonn") << "1965 and 1997 differ only in letter case of a byte";

  t->SetIndexName("XTEXT");
  ASSERT_TRUE(t->FindKey({"Berlin"}));
  EXPECT_FALSE(t->FindKey({"BERLIN"})) << "a case-sensitive text key";
  EXPECT_EQ(t->FieldByName("TEXT")->AsString(), "Berlin");
  t->SetIndexName("XTEXTCI");
  int scrolls = 0;
  t->AfterScroll = [&](TDataSet*) { ++scrolls; };
  EXPECT_TRUE(t->FindKey({"BERLIN"}));
  EXPECT_EQ(scrolls, 0);
}

TEST_F(TableData, FindKeyRefusesMoreValuesThanIndexFieldsAndAnswersFalseWithoutIndex) {
  auto persons = Open("PERSON.FFD", "PE_GDAT");
  persons->SetName("tblPersonen");
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_FALSE(persons->FindKey({1, 1900, 1, 1, 5}));
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text,
            "Table tblPersonen: FindKey has too many lookup values for index PE_GDAT");
  EXPECT_EQ(persons->SearchNesting(), 0);

  auto plain = Open("PERSON.FFD");
  EXPECT_EQ(plain->IndexFieldCount(), 0);
  EXPECT_FALSE(plain->FindKey({7}));
  EXPECT_EQ(driver.MessageBoxes().size(), 1u);

  // An empty table holds no key, not even the empty one.
  Build("LEER", {{"NAME", fftShortString, 10}}, {{"XNAME", {0}}});
  auto empty = Open("LEER", "XNAME", "WWSCRATCH");
  EXPECT_FALSE(empty->FindKey({""}));
  EXPECT_FALSE(empty->LocateRecord("", "NAME", wwmtExact, false));
}

TEST_F(TableData, FindIndexForFieldPrefersExactListsAndCaselessIndexes) {
  Build("NAMEN", {{"NAME", fftShortString, 20}, {"NAMEN", fftShortString, 20}, {"VORNAME", fftShortString, 20}},
        {{"XNAMEVOR", {0, 2}, true, true}, {"XNAMECS", {0}, true, false}, {"XNAMECI", {0}, true, true},
         {"XNAMEN", {1}, true, true}});
  auto t = Open("NAMEN", "", "WWSCRATCH");
  EXPECT_EQ(t->FindIndexForField("NAME"), "XNAMECI");
  EXPECT_EQ(t->FindIndexForField("name"), "XNAMECI");
  EXPECT_EQ(t->FindIndexForField("NAME;VORNAME"), "XNAMEVOR");
  EXPECT_EQ(t->FindIndexForField("NAMEN"), "XNAMEN");
  EXPECT_EQ(t->FindIndexForField("VORNAME"), "?");
  EXPECT_EQ(t->FindIndexForField("NAM"), "?");

  Build("NAMEN2", {{"NAME", fftShortString, 20}, {"VORNAME", fftShortString, 20}},
        {{"XNAMEVOR", {0, 1}, true, true}, {"XNAMECS", {0}, true, false}});
  auto u = Open("NAMEN2", "", "WWSCRATCH");
  EXPECT_EQ(u->FindIndexForField("NAME"), "XNAMECS") << "an exact list before a longer one";
  Build("NAMEN3", {{"NAME", fftShortString, 20}, {"VORNAME", fftShortString, 20}},
        {{"XVORCS", {0, 1}, true, false}, {"XVORCI", {0, 1}, true, true}});
  auto v = Open("NAMEN3", "", "WWSCRATCH");
  EXPECT_EQ(v->FindIndexForField("NAME"), "XVORCI");
}

TEST_F(TableData, SwitchToFieldIndexKeepsTheRecordAndRespectsTheMasterFields) {
  auto persons = Open("PERSON.FFD", "XPKPERS");
  persons->MoveBy(100);
  const int id = persons->FieldByName("PERS_ID")->AsInteger();
  EXPECT_TRUE(persons->SwitchToFieldIndex("PERS_GEBM"));
  EXPECT_EQ(persons->IndexName(), "PE_GMTJ");
  EXPECT_EQ(persons->FieldByName("PERS_ID")->AsInteger(), id);

  EXPECT_FALSE(persons->SwitchToFieldIndex(""));
  EXPECT_FALSE(persons->SwitchToFieldIndex("PERS_NAME")) << "no index starts with it";
  EXPECT_EQ(persons->IndexName(), "PE_GMTJ");
  TStringList selected;
  EXPECT_FALSE(persons->SwitchToSelectedIndex(&selected));
  selected.Add("PERS_ID\t6\tNr.");
  EXPECT_TRUE(persons->SwitchToSelectedIndex(&selected));
  EXPECT_EQ(persons->IndexName(), "XPKPERS");

  auto names = Open("NAME.FFD", "XPKNAME");
  TwwDataSource source(nullptr);
  source.SetDataSet(names.get());
  auto patrons = std::make_unique<TwwTable>(nullptr);
  patrons->SetDatabaseName("Orvelan");
  patrons->SetTableName("PATRON.FFD");
  patrons->SetIndexName("PA_NAME");
  patrons->SetMasterSource(&source);
  patrons->SetMasterFields("NAME_ID");
  patrons->Open();
  // The master's field leads every index the detail may take.
  EXPECT_TRUE(patrons->SwitchToFieldIndex("PATR_MONAT"));
  EXPECT_EQ(patrons->IndexName(), "PA_NAME");
  EXPECT_FALSE(patrons->SwitchToFieldIndex("PATR_ID"));

  auto queried = std::make_unique<TwwTable>(nullptr);
  queried->Query()->Add("Query");
  EXPECT_FALSE(queried->SwitchToFieldIndex("PERS_ID"));
}

TEST_F(TableData, FilterLinesAreJoinedCompiledAndReplacedOnAnOpenTable) {
  auto persons = Open("PERSON.FFD", "PE_GDAT");
  const std::vector<Row> all = Scan(persons.get(), {"PERS_GEBM", "PERS_GEBT", "PERS_GESCH"});
  const auto count = [&](auto pred) { return static_cast<int>(std::count_if(all.begin(), all.end(), pred)); };

  TStringList lines;
  lines.Add("PERS_GEBM = 8");
  lines.Add("   ");
  lines.Add("PERS_GEBT = 28  ");
  persons->SetwwFilter(&lines);
  EXPECT_EQ(persons->CombineFilterText(), "PERS_GEBM = 8 AND (PERS_GEBT = 28)");
  const int day = count([](const Row& r) { return r[0] == 8 && r[1] == 28; });
  ASSERT_GT(day, 3);
  EXPECT_EQ(persons->RecordCount(), day);
  EXPECT_EQ(static_cast<int>(Scan(persons.get(), {"PERS_ID"}).size()), day);

  // A constant the field cannot take: the box, and the old filter stays.
  lines.Clear();
  lines.Add("PERS_GEBM = abc");
  driver.AnswerNextMessageBox(IDOK);
  persons->SetwwFilter(&lines);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text, "Fail to set filter");
  EXPECT_TRUE(persons->Active());
  EXPECT_EQ(persons->RecordCount(), day);

  lines.Clear();
  persons->SetwwFilter(&lines);
  EXPECT_EQ(persons->RecordCount(), static_cast<int>(all.size()));

  // Installed again whenever the cursor opens.
  lines.Add("PERS_GESCH = 1");
  persons->SetwwFilter(&lines);
  persons->Close();
  persons->Open();
  EXPECT_EQ(persons->RecordCount(), count([](const Row& r) { return r[2] == 1; }));
}

TEST_F(TableData, OnFilterReadsTheRecordUnderTestAndFollowsItsOptions) {
  auto persons = Open("PERSON.FFD", "XPKPERS");
  const std::vector<Row> all = Scan(persons.get(), {"PERS_ID", "PERS_GESCH"});
  std::vector<int64_t> women;
  for (const Row& r : all)
    if (r[1] == 1) women.push_back(r[0]);
  bool sawBuffer = true;
  persons->SetOnFilter([&](TwwTable* t, bool& accept) {
    sawBuffer &= t->TestRecordBuffer() != nullptr && t->InFilterCallback();
    accept = t->FieldByName("PERS_GESCH")->AsInteger() == 1;
  });
  std::vector<int64_t> seen;
  for (const Row& r : Scan(persons.get(), {"PERS_ID"})) seen.push_back(r[0]);
  EXPECT_EQ(seen, women);
  EXPECT_TRUE(sawBuffer);
  EXPECT_FALSE(persons->InFilterCallback());
  EXPECT_EQ(persons->RecordCount(), static_cast<int>(women.size()));

  // Switching the filter off shows every record at once.
  persons->SetOnFilterOptions(persons->OnFilterOptions() & ~ofoEnabled);
  EXPECT_EQ(persons->RecordCount(), static_cast<int>(all.size()));
  wwSetFilterEnabled(persons.get(), true);
  EXPECT_EQ(persons->RecordCount(), static_cast<int>(women.size()));
  // Through the published property, as the controls set it.
  SetMethodProp(persons.get(), "OnFilter", std::any());
  EXPECT_EQ(persons->CallbackFilterHandle(), 0u);
  EXPECT_EQ(persons->RecordCount(), static_cast<int>(all.size()));
}

TEST_F(TableData, AnExceptionInOnFilterReachesTheCallerAndTheNextReadFiltersAgain) {
  auto persons = Open("PERSON.FFD", "XPKPERS");
  int calls = 0;
  bool raise = false;
  persons->SetOnFilter([&](TwwTable* t, bool& accept) {
    ++calls;
    if (raise && calls == 3) throw EConvertError("filter broke");
    accept = t->FieldByName("PERS_ID")->AsInteger() % 2 == 0;
  });
  calls = 0;
  raise = true;
  int read = 0;
  try {
    for (persons->First(); !persons->Eof(); persons->Next()) ++read;
    FAIL() << "the filter's exception must reach the caller";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "filter broke");
  }
  EXPECT_EQ(read, 1);
  EXPECT_EQ(calls, 3) << "no record is asked about after the exception";
  EXPECT_FALSE(persons->InFilterCallback());
  raise = false;
  calls = 0;
  persons->First();
  EXPECT_GT(calls, 0) << "the next read asks the filter again";
  int n = 0;
  for (; !persons->Eof() && n < 50; persons->Next(), ++n)
    EXPECT_EQ(persons->FieldByName("PERS_ID")->AsInteger() % 2, 0);
  EXPECT_EQ(n, 50);
}

TEST_F(TableData, EscapeStopsALongFilterRunAtEveryHundredthRecord) {
  auto persons = Open("PERSON.FFD", "XPKPERS");
  const int all = persons->RecordCount();
  int calls = 0, escapes = 0;
  persons->OnFilterEscape = [&](TDataSet*) { ++escapes; };
  persons->SetOnFilter([&](TwwTable*, bool& accept) {
    ++calls;
    accept = false;
  });
  EXPECT_TRUE(persons->IsEmpty());
  persons->SetOnFilterOptions(ofoEnabled | ofoCancelOnEscape);
  calls = 0;
  // Another key waiting is taken and dropped at the first look; Escape at
  // the second.
  MessageQueue().Post(0, WM_KEYDOWN, 'A', 0);
  MessageQueue().Post(0, WM_KEYDOWN, VK_ESCAPE, 0);
  persons->First();
  EXPECT_EQ(escapes, 1);
  EXPECT_EQ(calls, 200);
  EXPECT_FALSE(persons->OnFilterOptions() & ofoEnabled);
  EXPECT_TRUE(MessageQueue().Empty());
  EXPECT_FALSE(persons->IsEmpty());
  EXPECT_EQ(persons->RecordCount(), all);
}

TEST_F(TableData, PictureMasksAreCheckedBeforePosting) {
  Build("KUNDEN", {{"ID", fftInt32, 0}, {"PLZ", fftShortString, 5}, {"ZEIT", fftTime, 0}, {"UHR", fftShortString, 5}},
        {{"XID", {0}}});
  auto t = Open("KUNDEN", "XID", "WWSCRATCH");
  t->PictureMasks()->Add("plz\t#####\tT\tF");
  t->PictureMasks()->Add("ZEIT\t[#]#:##\tF\tF");
  t->PictureMasks()->Add("UHR\t[#]#:##\tF\tF");
  TField* invalid = nullptr;
  t->OnInvalidValue = [&](TDataSet*, TField* f) { invalid = f; };
  t->Append();
  t->FieldByName("ID")->SetAsInteger(1);
  t->FieldByName("PLZ")->SetAsString("12a45");
  t->FieldByName("ZEIT")->SetAsString("7:05");
  t->FieldByName("UHR")->SetAsString("17:05");
  try {
    t->Post();
    FAIL() << "the mask refuses the record";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(AnsiString(e.what()), "Invalid characters. Field : PLZ");
  }
  EXPECT_EQ(invalid, t->FieldByName("PLZ"));
  EXPECT_EQ(t->State(), dsInsert);
  t->FieldByName("PLZ")->SetAsString("12345");
  t->Post();  // a time field's text passes with its seconds, a text field's without
  EXPECT_EQ(t->RecordCount(), 1);

  t->SetValidateWithMask(false);
  t->Append();
  t->FieldByName("ID")->SetAsInteger(2);
  t->FieldByName("PLZ")->SetAsString("x");
  t->Post();
  EXPECT_EQ(t->RecordCount(), 2);
}

TEST_F(TableData, AMemoStreamReadsTheRecordItWasMadeForWhereverTheCursorStands) {
  Build("NOTIZ", {{"ID", fftInt32, 0}, {"TEXT", fftBlobMemo, 0}}, {{"XID", {0}}});
  AnsiString longText;
  for (int i = 0; longText.size() < 100000; ++i) longText += "Zeile " + IntToStr(i) + "\r\n";
  longText.resize(100000);
  {
    auto w = Open("NOTIZ", "XID", "WWSCRATCH");
    for (int id = 1; id <= 8; ++id) {
      w->Append();
      w->FieldByName("ID")->SetAsInteger(id);
      w->FieldByName("TEXT")->SetAsString(id == 3 ? longText : "Notiz " + IntToStr(id));
      w->Post();
    }
  }
  auto t = Open("NOTIZ", "XID", "WWSCRATCH");
  TwwDataSource source(nullptr);
  source.SetDataSet(t.get());
  TDataLink link;
  link.SetBufferCount(6);
  link.SetDataSource(&source);
  t->First();
  ASSERT_EQ(link.RecordCount(), 6);
  TField* memo = t->FieldByName("TEXT");
  auto readAll = [](TStream& s) {
    AnsiString text(static_cast<size_t>(s.Size()), '\0');
    text.resize(static_cast<size_t>(s.Read(text.data(), static_cast<int>(text.size()))));
    return text;
  };
  // Each row of the window, as a grid paints it, while the cursor stands on
  // the last row read.
  for (int row = 0; row < 6; ++row) {
    link.SetActiveRecord(row);
    const uint8_t* buffer = t->ActiveBuffer();
    link.SetActiveRecord(0);
    TwwMemoStream s(t.get(), memo, buffer);
    ASSERT_TRUE(s.Opened());
    EXPECT_EQ(readAll(s), row == 2 ? longText : "Notiz " + IntToStr(row + 1)) << "row " << row;
  }
  // The current record, not the one the cursor read last.
  ASSERT_EQ(t->FieldByName("ID")->AsInteger(), 1);
  TwwMemoStream current(memo, true);
  EXPECT_EQ(readAll(current), "Notiz 1");

  link.SetActiveRecord(2);
  TwwMemoStream big(memo, false);
  EXPECT_EQ(big.Size(), 100000);
  EXPECT_EQ(readAll(big), longText) << "read in pieces";
  EXPECT_EQ(big.Seek(-10, soFromEnd), 99990);
  char tail[10];
  EXPECT_EQ(big.Read(tail, 10), 10);
  EXPECT_EQ(AnsiString(tail, 10), longText.substr(99990));
  EXPECT_EQ(big.Read(tail, 10), 0);
  EXPECT_EQ(big.Seek(5, soFromBeginning), 5);
  EXPECT_EQ(big.Seek(3, soFromCurrent), 8);
  EXPECT_EQ(big.Write("x", 1), 0);

  // An edit in progress: the stream shows the stored text; a new record has
  // none.
  t->Edit();
  memo->SetAsString("neu");
  TwwMemoStream stored(memo, false);
  EXPECT_EQ(readAll(stored), longText);
  t->Cancel();
  t->Append();
  TwwMemoStream fresh(memo, false);
  EXPECT_FALSE(fresh.Opened());
  EXPECT_EQ(fresh.Read(tail, 10), 0);
  t->Cancel();

  // Record location in memo texts moves through the records.
  t->First();
  EXPECT_TRUE(t->LocateRecord("notiz 5", "TEXT", wwmtExact, false));
  EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 5);
  EXPECT_TRUE(t->LocateRecord("Zeile 4711", "TEXT", wwmtAnywhere, true));
  EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 3);
  EXPECT_FALSE(t->LocateRecord("Zeile 4711", "TEXT", wwmtStart, true));
  EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 3) << "no hit: back where it was";
}

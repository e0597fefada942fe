// Incremental search and record location on the built reference data and on
// tables built here, each answer compared with the same question answered
// by scanning every record: narrowed searches on case-insensitive,
// case-sensitive and descending text keys (every character after the
// typed prefix), searches that keep the leading key fields, number keys,
// and record location by one or several fields, by key or by scanning.
#include <tuple>

#include "dbcontrols/datasets/wwsearch.h"
#include "tests/dbcontrols/sample_fixture.h"

using namespace wwtest;

namespace {

// The texts of the field among all records that begin with the prefix in
// any letter case, in the table's order.
std::vector<AnsiString> Expected(const std::vector<AnsiString>& all, const AnsiString& prefix) {
  std::vector<AnsiString> out;
  for (const AnsiString& s : all)
    if (FoldedStartsWith(s, prefix)) out.push_back(s);
  return out;
}

}  // namespace

class Search : public SampleData {};

TEST_F(Search, ANarrowedSearchShowsEveryPlaceWithThePrefixInAnyLetterCase) {
  auto places = Open("LAGE.FFD", "XPKLAGE");
  const std::vector<AnsiString> all = Column(places.get(), "ORT");
  places->SetNarrowSearch(true);
  for (const AnsiString& p : {AnsiString("M"), CP1252("Mü").str(), CP1252("MÜ").str(), CP1252("mün").str(),
                              AnsiString("Z"), AnsiString("Xyz"), AnsiString("S"), AnsiString("B")}) {
    const std::vector<AnsiString> want = Expected(all, p);
    EXPECT_EQ(places->PartialKeySearch(p, 0), !want.empty()) << p;
    EXPECT_EQ(Column(places.get(), "ORT"), want) << p;
  }
  places->PartialKeySearch("M", 0);
  const std::vector<AnsiString> m = Column(places.get(), "ORT");
  EXPECT_NE(std::find(m.begin(), m.end(), CP1252("München").str()), m.end());
  EXPECT_NE(std::find(m.begin(), m.end(), CP1252("Münster").str()), m.end());
  EXPECT_TRUE(places->PartialKeySearch("", 0)) << "every text begins with the empty one";
  EXPECT_EQ(Column(places.get(), "ORT"), all) << "an empty text shows every record again";
  // A key look-up on a narrowed table looks in the whole table.
  places->PartialKeySearch("M", 0);
  EXPECT_TRUE(places->FindKey({"Berlin"}));
  EXPECT_EQ(Column(places.get(), "ORT"), all);
  EXPECT_EQ(places->SearchNesting(), 0);
}

// The controls hear of the narrowed table only when the search switches them
// on again; an error of theirs then reaches the caller like any other and
// leaves the table usable (it must not end the program).
TEST_F(Search, AnErrorOfTheControlsAfterANarrowedSearchReachesTheCaller) {
  auto places = Open("LAGE.FFD", "XPKLAGE");
  const std::vector<AnsiString> all = Column(places.get(), "ORT");
  places->SetNarrowSearch(true);
  TDataSource source(nullptr);
  source.SetDataSet(places.get());
  int told = 0;
  bool raise = true;
  source.OnDataChange = [&](TObject*, TField*) {
    ++told;
    if (raise) throw EDatabaseError("Anzeige fehlgeschlagen");
  };
  EXPECT_THROW(places->PartialKeySearch("M", 0), EDatabaseError);
  raise = false;
  EXPECT_GT(told, 0);
  EXPECT_FALSE(places->ControlsDisabled());
  EXPECT_EQ(places->SearchNesting(), 0);
  EXPECT_EQ(Column(places.get(), "ORT"), Expected(all, "M"));
  EXPECT_TRUE(places->PartialKeySearch("", 0));
  EXPECT_EQ(Column(places.get(), "ORT"), all);
}

TEST_F(Search, ANarrowedRangeEndsAfterEveryCharacterThatCanFollowThePrefix) {
  // Names of "M" or "m" and one more character of every code, and
  // neighbours on both sides.
  Build("ZEICHEN", {{"NAME", fftShortString, 6}},
        {{"XCI", {0}, true, true}, {"XCS", {0}, true, false}, {"XCIDESC", {0}, false, true}});
  std::vector<AnsiString> names = {"L", CP1252("Lÿ").str(), "N", "Na", "M", "m"};  // neighbours
  for (int c = 32; c < 256; ++c) {
    names.push_back("M" + AnsiString(1, static_cast<char>(c)));
    names.push_back("m" + AnsiString(1, static_cast<char>(c)) + "x");
  }
  {
    auto w = Open("ZEICHEN", "", "WWSCRATCH");
    for (const AnsiString& n : names) {
      w->Append();
      w->FieldByName("NAME")->SetAsString(n);
      w->Post();
    }
  }
  for (const char* index : {"XCI", "XCIDESC"}) {
    auto t = Open("ZEICHEN", index, "WWSCRATCH");
    const std::vector<AnsiString> all = Column(t.get(), "NAME");
    t->SetNarrowSearch(true);
    for (const AnsiString& prefix : {AnsiString("M"), AnsiString("m"), CP1252("Mÿ").str(), AnsiString("M\xF7")}) {
      const std::vector<AnsiString> want = Expected(all, prefix);
      t->PartialKeySearch(prefix, 0);
      EXPECT_EQ(Column(t.get(), "NAME"), want) << index << " " << prefix;
    }
  }
  // Locating a prefix on a descending key finds the first record in the
  // key's order, not the nearest key below the text.
  auto desc = Open("ZEICHEN", "XCIDESC", "WWSCRATCH");
  const std::vector<AnsiString> order = Column(desc.get(), "NAME");
  const auto first = std::find_if(order.begin(), order.end(), [](const AnsiString& s) { return FoldedStartsWith(s, "m"); });
  ASSERT_NE(first, order.end());
  desc->Last();
  EXPECT_TRUE(desc->LocateRecord("m", "NAME", wwmtStart, false));
  EXPECT_EQ(desc->FieldByName("NAME")->AsString(), *first);

  auto cs = Open("ZEICHEN", "XCS", "WWSCRATCH");
  const std::vector<AnsiString> all = Column(cs.get(), "NAME");
  cs->SetNarrowSearch(true);
  cs->PartialKeySearch("M", 0);
  std::vector<AnsiString> want;
  for (const AnsiString& s : all)
    if (s[0] == 'M') want.push_back(s);
  EXPECT_EQ(Column(cs.get(), "NAME"), want) << "a case-sensitive key keeps its letter case";
}

TEST_F(Search, ASearchOnTheSecondKeyFieldStaysInTheCurrentRecordsGroup) {
  auto names = Open("NAME.FFD", "NA_GESCH");
  struct Entry {
    int gender;
    AnsiString name;
  };
  std::vector<Entry> all;
  for (names->First(); !names->Eof(); names->Next())
    all.push_back({names->FieldByName("NAME_GESCH")->AsInteger(), names->FieldByName("NAME_NAME")->AsString()});
  for (int gender : {0, 1}) {
    for (const AnsiString& p : {AnsiString("Ma"), AnsiString("Jo"), AnsiString("An"), CP1252("Jü").str(),
                                AnsiString("E"), AnsiString("Zzz"), AnsiString("a")}) {
      ASSERT_TRUE(names->FindKey({gender}));
      const bool answer = names->PartialKeySearch(p, 1);
      // The first record of the group at or after the text in the key's order.
      auto it = std::find_if(all.begin(), all.end(), [&](const Entry& e) {
        return e.gender > gender || (e.gender == gender && !FoldedLess(e.name, p));
      });
      if (it == all.end()) {
        EXPECT_FALSE(answer) << gender << " " << p;
        continue;
      }
      EXPECT_EQ(names->FieldByName("NAME_NAME")->AsString(), it->name) << gender << " " << p;
      EXPECT_EQ(answer, it->gender == gender && FoldedStartsWith(it->name, p)) << gender << " " << p;
    }
  }
  // Narrowed, the group's records with the prefix and nothing else.
  names->SetNarrowSearch(true);
  ASSERT_TRUE(names->FindKey({1}));
  EXPECT_TRUE(names->PartialKeySearch("Ma", 1));
  std::vector<AnsiString> want;
  for (const Entry& e : all)
    if (e.gender == 1 && FoldedStartsWith(e.name, "Ma")) want.push_back(e.name);
  ASSERT_GT(want.size(), 2u);
  EXPECT_EQ(Column(names.get(), "NAME_NAME"), want);
}

TEST_F(Search, NumberKeysAnswerOnlyForTheExactValueAndRefuseText) {
  auto persons = Open("PERSON.FFD", "XPKPERS");
  std::vector<AnsiString> ids = Column(persons.get(), "PERS_ID");
  ASSERT_GT(ids.size(), 100u);
  const int id = StrToInt(ids[50]);
  EXPECT_TRUE(persons->PartialKeySearch(IntToStr(id), 0));
  EXPECT_EQ(persons->FieldByName("PERS_ID")->AsInteger(), id);
  // A number between two keys reaches the next one and does not answer.
  int gap = -1;
  for (size_t i = 1; i < ids.size() && gap < 0; ++i)
    if (StrToInt(ids[i]) > StrToInt(ids[i - 1]) + 1) gap = StrToInt(ids[i - 1]) + 1;
  if (gap > 0) {
    EXPECT_FALSE(persons->PartialKeySearch(IntToStr(gap), 0));
    EXPECT_GT(persons->FieldByName("PERS_ID")->AsInteger(), gap);
  }
  const int here = persons->FieldByName("PERS_ID")->AsInteger();
  EXPECT_FALSE(persons->PartialKeySearch("1x", 0));
  EXPECT_EQ(persons->FieldByName("PERS_ID")->AsInteger(), here) << "a text the type refuses does not move";

  // Years descend in this index: the nearest key is the year itself or the
  // next one below it, and its latest event comes first.
  auto events = Open("EREIGNIS.FFD", "ER_JMT");
  std::vector<std::tuple<int, int, int>> order;
  for (events->First(); !events->Eof(); events->Next())
    order.emplace_back(events->FieldByName("EREI_JAHR")->AsInteger(), events->FieldByName("EREI_MONAT")->AsInteger(),
                       events->FieldByName("EREI_TAG")->AsInteger());
  for (int year : {1989, 1000, 1871, 1}) {
    const auto it = std::find_if(order.begin(), order.end(), [&](const auto& e) { return std::get<0>(e) <= year; });
    const bool answer = events->PartialKeySearch(IntToStr(year), 0);
    if (it == order.end()) continue;
    EXPECT_EQ(answer, std::get<0>(*it) == year) << year;
    EXPECT_EQ(std::make_tuple(events->FieldByName("EREI_JAHR")->AsInteger(),
                              events->FieldByName("EREI_MONAT")->AsInteger(),
                              events->FieldByName("EREI_TAG")->AsInteger()),
              *it)
        << year;
  }
}

TEST_F(Search, OnlyTheTableDatasetWithAnIndexSearches) {
  TTable plain(nullptr);
  plain.SetDatabaseName("Orvelan");
  plain.SetTableName("LAGE.FFD");
  plain.SetIndexName("XPKLAGE");
  plain.Open();
  for (int i = 0; i < 2; ++i) {
    driver.AnswerNextMessageBox(IDOK);
    EXPECT_FALSE(wwTableIncrementalSearch(&plain, "M", 0));
  }
  ASSERT_EQ(driver.MessageBoxes().size(), 2u);
  EXPECT_EQ(driver.MessageBoxes()[1].Text, "Incremental Search - TTable component not supported. Use TwwTable instead.");
  EXPECT_EQ(plain.FieldByName("ORT")->AsString(), "Aachen");

  auto unordered = Open("LAGE.FFD");
  unordered->SetName("tblLage");
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_FALSE(unordered->PartialKeySearch("M", 0));
  EXPECT_EQ(driver.MessageBoxes().back().Text, "Table tblLage: Table index not found");
}

TEST_F(Search, LocateRecordByScanningFindsTheFirstMatchOfEachKind) {
  auto places = Open("ORT.FFD", "XPKORTE");
  const std::vector<AnsiString> all = Column(places.get(), "ORTE_NAME");
  const auto firstWhere = [&](auto pred) -> int {
    for (size_t i = 0; i < all.size(); ++i)
      if (pred(all[i])) return static_cast<int>(i);
    return -1;
  };
  const auto position = [&] {
    const AnsiString here = places->FieldByName("ORTE_NAME")->AsString();
    return static_cast<int>(std::find(all.begin(), all.end(), here) - all.begin());
  };
  const AnsiString target = all[all.size() / 2];
  places->First();
  EXPECT_TRUE(places->LocateRecord(AnsiUpperCase(target), "ORTE_NAME", wwmtExact, false));
  EXPECT_EQ(position(), firstWhere([&](const AnsiString& s) { return AnsiUpperCase(s) == AnsiUpperCase(target); }));
  places->First();
  EXPECT_TRUE(places->LocateRecord("ber", "ORTE_NAME", wwmtStart, false));
  EXPECT_EQ(position(), firstWhere([](const AnsiString& s) { return FoldedStartsWith(s, "ber"); }));
  places->First();
  EXPECT_TRUE(places->LocateRecord("BURG", "ORTE_NAME", wwmtAnywhere, false));
  EXPECT_EQ(position(),
            firstWhere([](const AnsiString& s) { return AnsiUpperCase(s).find("BURG") != AnsiString::npos; }));
  // Case-sensitive: the upper-case text matches nothing; the place stays.
  const int before = position();
  EXPECT_FALSE(places->LocateRecord(AnsiUpperCase(target) + "X", "ORTE_NAME", wwmtExact, true));
  EXPECT_FALSE(places->LocateRecord("", "ORTE_NAME", wwmtStart, false));
  EXPECT_EQ(position(), before);

  // Already there: no move at all, whatever the kind.
  int scrolls = 0;
  places->AfterScroll = [&](TDataSet*) { ++scrolls; };
  EXPECT_TRUE(places->LocateRecord(places->FieldByName("ORTE_NAME")->AsString(), "ORTE_NAME", wwmtAnywhere, true));
  EXPECT_EQ(scrolls, 0);

  driver.AnswerNextMessageBox(IDOK);
  EXPECT_FALSE(places->LocateRecord("x", "NOPE", wwmtExact, false));
  EXPECT_EQ(driver.MessageBoxes().back().Text, "Field NOPE not found.");
}

TEST_F(Search, LocateRecordUsesTheKeyWhenTheFieldLeadsTheIndexAndTakesFieldLists) {
  auto places = Open("LAGE.FFD", "XPKLAGE");
  int nestingSeen = 0;
  places->AfterScroll = [&](TDataSet* d) { nestingSeen = static_cast<TwwTable*>(d)->SearchNesting(); };
  EXPECT_TRUE(places->LocateRecord(CP1252("münchen").str(), "ORT", wwmtExact, false));
  EXPECT_EQ(places->FieldByName("ORT")->AsString(), CP1252("München").str());
  EXPECT_GE(nestingSeen, 1);
  EXPECT_EQ(places->SearchNesting(), 0);
  places->First();
  EXPECT_TRUE(places->LocateRecord(CP1252("mÜn").str(), "ORT", wwmtStart, false));
  EXPECT_EQ(places->FieldByName("ORT")->AsString(), CP1252("München").str());
  places->First();
  EXPECT_FALSE(places->LocateRecord(CP1252("münchen").str(), "ORT", wwmtExact, true)) << "the case flag is honoured";
  EXPECT_FALSE(places->LocateRecord("Qqq", "ORT", wwmtStart, false));
  EXPECT_EQ(places->FieldByName("ORT")->AsString(), "Aachen");

  // Several fields: month and day of birth together.
  auto persons = Open("PERSON.FFD", "XPKPERS");
  std::vector<std::pair<int, int>> days;
  for (persons->First(); !persons->Eof(); persons->Next())
    days.emplace_back(persons->FieldByName("PERS_GEBM")->AsInteger(), persons->FieldByName("PERS_GEBT")->AsInteger());
  const auto first = std::find(days.begin(), days.end(), std::pair{8, 28});
  ASSERT_NE(first, days.end());
  persons->First();
  EXPECT_TRUE(persons->LocateRecord("8;28", "PERS_GEBM; PERS_GEBT", wwmtExact, false));
  persons->First();
  for (auto it = days.begin(); it != first; ++it) persons->Next();
  const int expected = persons->FieldByName("PERS_ID")->AsInteger();
  persons->Last();
  EXPECT_TRUE(persons->LocateRecord("8;28", "PERS_GEBM;PERS_GEBT", wwmtExact, false));
  EXPECT_EQ(persons->FieldByName("PERS_ID")->AsInteger(), expected);
}

TEST_F(Search, SmallHelpersForTyping) {
  for (unsigned k : {8u, 32u, 46u, 48u, 65u, 90u, 111u, 186u, 222u}) EXPECT_TRUE(wwIsEditKey(k)) << k;
  for (unsigned k : {9u, 13u, 27u, 33u, 37u, 40u, 45u, 112u, 145u}) EXPECT_FALSE(wwIsEditKey(k)) << k;
  // Under the case folding every key of a case-insensitive index goes
  // through, no character sorts after this one.
  const uint8_t high = static_cast<uint8_t>(AnsiUpperChar(wwHighestFoldedChar()));
  for (int c = 0; c < 256; ++c) EXPECT_LE(static_cast<uint8_t>(AnsiUpperChar(static_cast<char>(c))), high);
}

// The built reference data as the program reads it: every table opens with
// the indexes the day pages, formatters and templates use; the day pages'
// range queries return the day's records in the order the pages show them;
// every archive offset stored in a table is readable; every hyperlink in an
// archive text names an existing person.
#include <cstdlib>
#include <map>
#include <random>
#include <set>

#include "calendar/vlf.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/streams.h"
#include "richtext/io/reader.h"
#include "richtext/io/textio.h"
#include "tests/data/data_helpers.h"

using namespace datatest;

namespace {

class BuiltData : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    scratch_ = new TScratch("built");
    data_ = new TReferenceData(LoadReferenceData(DataDir(), kFortunes));
    counts_ = new TBuildCounts(WriteReferenceData(*data_, scratch_->Path()));
  }
  static void TearDownTestSuite() {
    delete counts_;
    delete data_;
    delete scratch_;
  }
  static std::string Dir() { return scratch_->Path() + "/DATEN"; }
  static const TReferenceData& Data() { return *data_; }

  static TScratch* scratch_;
  static TReferenceData* data_;
  static TBuildCounts* counts_;
};
TScratch* BuiltData::scratch_ = nullptr;
TReferenceData* BuiltData::data_ = nullptr;
TBuildCounts* BuiltData::counts_ = nullptr;

// Records of the current range, each passed to `visit`.
template <class F>
int WalkRange(TTableReader& t, F visit) {
  int n = 0;
  t.Cursor().SetToBegin();
  while (t.Next()) {
    visit();
    ++n;
  }
  return n;
}

// Days of the year as (month, day), 1 January first, 29 February included.
std::vector<std::pair<int, int>> AllDays() {
  std::vector<std::pair<int, int>> days;
  for (int m = 1; m <= 12; ++m)
    for (int d = 1; d <= DaysInMonth(m, 2000, true); ++d) days.emplace_back(m, d);
  return days;
}

std::vector<std::pair<int, int>> RandomDays(int count) {
  unsigned seed = 20261207;
  if (const char* e = std::getenv("ORV_DATA_SEED")) seed = static_cast<unsigned>(std::strtoul(e, nullptr, 10));
  std::mt19937 rng(seed);
  auto all = AllDays();
  std::shuffle(all.begin(), all.end(), rng);
  all.resize(static_cast<size_t>(count));
  return all;
}

// Lines of a source file that are not comments.
std::vector<std::string> SourceLines(const std::string& name) {
  std::ifstream in(DataDir() + "/" + name);
  std::vector<std::string> out;
  std::string l;
  while (std::getline(in, l))
    if (!l.empty() && l[0] != '#') out.push_back(l);
  return out;
}

TEST_F(BuiltData, EveryTableOpensWithTheIndexesItIsReadBy) {
  const std::map<std::string, std::vector<std::string>> indexes = {
      {"PERSON", {"XPKPERS", "PE_GMTJ", "PE_TMTJ", "PE_GDAT", "PE_TDAT"}},
      {"EREIGNIS", {"XPKEREI", "ER_MTJ", "ER_JMT"}},
      {"NAME", {"XPKNAME", "NA_VON", "NA_GESCH"}},
      {"PATRON", {"XPKPATR", "PA_MT", "PA_NAME", "PA_PERS"}},
      {"FEIERTAG", {"XPKFTAG", "FT_MT"}},
      {"SPRUCH", {"XPKSPRU"}},
      {"ORT", {"XPKORTE"}},
      {"NATION", {"XPKNATI"}},
      {"BERUF", {"XPKBERU"}},
      {"PERSNATI", {"PN_PERS"}},
      {"PERSBERU", {"PB_PERS"}},
      {"LAGE", {"XPKLAGE"}},
  };
  const std::map<std::string, size_t> records = {
      {"PERSON", Data().Persons.size()}, {"EREIGNIS", Data().Events.size()}, {"NAME", Data().Names.size()},
      {"PATRON", Data().Patrons.size()}, {"FEIERTAG", Data().Holidays.size()}, {"SPRUCH", 12u * 366u},
      {"ORT", Data().Places.size()},     {"NATION", Data().Nations.size()},  {"BERUF", Data().Professions.size()},
      {"LAGE", Data().Positions.size()}};
  ASSERT_EQ(ReferenceTableNames().size(), indexes.size());
  for (const auto& [table, names] : indexes) {
    SCOPED_TRACE(table);
    TTableReader t(Dir(), table);
    for (const auto& ix : names) EXPECT_NO_THROW(t.Cursor().SwitchToIndex(ix)) << ix;
    EXPECT_TRUE(t.Table().CheckConsistency().empty());
    if (records.count(table)) {
      EXPECT_EQ(t.Table().RecordCount(), records.at(table));
    }
    EXPECT_GT(t.Table().RecordCount(), 0u);
  }
  // Every source record has its table rows, so no day page can miss one.
  EXPECT_GT(Data().Persons.size(), 1500u);
  EXPECT_GT(Data().Events.size(), 1500u);
}

TEST_F(BuiltData, EveryDayHasBirthsDeathsAndEvents) {
  TTableReader births(Dir(), "PERSON", "PE_GMTJ"), deaths(Dir(), "PERSON", "PE_TMTJ");
  TTableReader events(Dir(), "EREIGNIS", "ER_MTJ");
  for (auto [m, d] : AllDays()) {
    auto s = births.Key({{"PERS_GEBM", m}, {"PERS_GEBT", d}, {"PERS_GNCHR", 1}, {"PERS_GEBJ", 9999}});
    auto e = births.Key({{"PERS_GEBM", m}, {"PERS_GEBT", d}, {"PERS_GNCHR", 0}, {"PERS_GEBJ", 0}});
    births.Cursor().SetRange(s.data(), 4, true, e.data(), 4, true);
    EXPECT_GT(births.Cursor().RecordCountInRange(), 0u) << d << "." << m << ". Geburt";
    s = deaths.Key({{"PERS_TODM", m}, {"PERS_TODT", d}, {"PERS_TNCHR", 1}, {"PERS_TODJ", 9999}});
    e = deaths.Key({{"PERS_TODM", m}, {"PERS_TODT", d}, {"PERS_TNCHR", 0}, {"PERS_TODJ", 0}});
    deaths.Cursor().SetRange(s.data(), 4, true, e.data(), 4, true);
    EXPECT_GT(deaths.Cursor().RecordCountInRange(), 0u) << d << "." << m << ". Tod";
    s = events.Key({{"EREI_MONAT", m}, {"EREI_TAG", d}, {"EREI_JAHR", 9999}});
    e = events.Key({{"EREI_MONAT", m}, {"EREI_TAG", d}, {"EREI_JAHR", 0}});
    events.Cursor().SetRange(s.data(), 3, true, e.data(), 3, true);
    EXPECT_GT(events.Cursor().RecordCountInRange(), 0u) << d << "." << m << ". Ereignis";
  }
}

// Births or deaths of a day: all of them, newest first (after Christ before
// before Christ), each also found by its exact date through the date index.
void CheckPersonDay(TTableReader& t, TTableReader& byDate, int m, int d, bool birth, size_t expected) {
  const char* M = birth ? "PERS_GEBM" : "PERS_TODM";
  const char* D = birth ? "PERS_GEBT" : "PERS_TODT";
  const char* E = birth ? "PERS_GNCHR" : "PERS_TNCHR";
  const char* Y = birth ? "PERS_GEBJ" : "PERS_TODJ";
  auto s = t.Key({{M, m}, {D, d}, {E, 1}, {Y, 9999}});
  auto e = t.Key({{M, m}, {D, d}, {E, 0}, {Y, 0}});
  t.Cursor().SetRange(s.data(), 4, true, e.data(), 4, true);
  int64_t last = INT64_MAX;
  std::vector<std::pair<int64_t, int64_t>> dates;
  const int n = WalkRange(t, [&] {
    EXPECT_EQ(t.Int(M), m);
    EXPECT_EQ(t.Int(D), d);
    const int64_t order = t.Int(E) * 100000 + t.Int(Y);  // era, then year, both descending
    EXPECT_LE(order, last) << "order of " << t.Str("PERS_NAME");
    last = order;
    if (t.Int(E) == 1) dates.emplace_back(t.Int(Y), t.Int("PERS_ID"));
  });
  EXPECT_EQ(static_cast<size_t>(n), expected) << d << "." << m << ".";
  EXPECT_GT(n, 0);
  const char* E2 = birth ? "PERS_GNCHR" : "PERS_TNCHR";
  for (auto [year, id] : dates) {
    auto k = byDate.Key({{E2, 1}, {Y, year}, {M, m}, {D, d}});
    ASSERT_TRUE(byDate.Cursor().FindKey(k.data(), 4)) << id;
    ASSERT_TRUE(byDate.Get());
    bool found = false;
    while (!found && byDate.Int(Y) == year && byDate.Int(M) == m && byDate.Int(D) == d) {
      found = byDate.Int("PERS_ID") == id;
      if (!byDate.Next()) break;
    }
    EXPECT_TRUE(found) << id;
  }
}

TEST_F(BuiltData, DayPageQueriesOfThirtyRandomDaysReturnTheirRows) {
  TTableReader births(Dir(), "PERSON", "PE_GMTJ"), deaths(Dir(), "PERSON", "PE_TMTJ");
  TTableReader birthDate(Dir(), "PERSON", "PE_GDAT"), deathDate(Dir(), "PERSON", "PE_TDAT");
  TTableReader events(Dir(), "EREIGNIS", "ER_MTJ"), eventDate(Dir(), "EREIGNIS", "ER_JMT");
  TTableReader patrons(Dir(), "PATRON", "PA_MT"), names(Dir(), "NAME", "XPKNAME");
  TTableReader persons(Dir(), "PERSON", "XPKPERS"), sayings(Dir(), "SPRUCH", "XPKSPRU");
  TTableReader holidays(Dir(), "FEIERTAG", "FT_MT");
  // Expected counts straight from the source lines.
  std::map<std::pair<int, int>, size_t> nBirths, nDeaths, nEvents, nPatrons, nFixed;
  for (const auto& p : Data().Persons) {
    if (p.Birth.Day) ++nBirths[{p.Birth.Month, p.Birth.Day}];
    if (p.Death.Day) ++nDeaths[{p.Death.Month, p.Death.Day}];
  }
  for (const auto& l : SourceLines("ereignisse.txt")) {
    auto f = SplitSourceFields(l);
    const auto first = f[1].find('.'), second = f[1].find('.', first + 1);
    ++nEvents[{std::stoi(f[1].substr(first + 1, second - first - 1)), std::stoi(f[1].substr(0, first))}];
  }
  for (const auto& l : SourceLines("patrone.txt")) ++nPatrons[{std::stoi(l.substr(3, 2)), std::stoi(l.substr(0, 2))}];
  for (const auto& l : SourceLines("feiertage.txt"))
    if (l.rfind("1|", 0) == 0) {
      auto f = SplitSourceFields(l);
      ++nFixed[{std::stoi(f[1]), std::stoi(f[2])}];
    }

  for (auto [m, d] : RandomDays(30)) {
    SCOPED_TRACE(std::to_string(d) + "." + std::to_string(m) + ".");
    CheckPersonDay(births, birthDate, m, d, true, nBirths[{m, d}]);
    CheckPersonDay(deaths, deathDate, m, d, false, nDeaths[{m, d}]);

    // Events: newest first; each found by its exact date, and the month walk
    // of the templates (nearest to day 0, one step back) lands in its month.
    auto s = events.Key({{"EREI_MONAT", m}, {"EREI_TAG", d}, {"EREI_JAHR", 9999}});
    auto e = events.Key({{"EREI_MONAT", m}, {"EREI_TAG", d}, {"EREI_JAHR", 0}});
    events.Cursor().SetRange(s.data(), 3, true, e.data(), 3, true);
    int64_t lastYear = INT64_MAX;
    std::vector<int64_t> years;
    const int n = WalkRange(events, [&] {
      EXPECT_LE(events.Int("EREI_JAHR"), lastYear);
      lastYear = events.Int("EREI_JAHR");
      years.push_back(lastYear);
      EXPECT_GT(events.Int("EREI_TEXT"), 0);
    });
    EXPECT_GT(n, 0);
    EXPECT_EQ(static_cast<size_t>(n), (nEvents[{m, d}]));
    for (int64_t y : years) {
      auto k = eventDate.Key({{"EREI_JAHR", y}, {"EREI_MONAT", m}, {"EREI_TAG", d}});
      EXPECT_TRUE(eventDate.Cursor().FindKey(k.data(), 3)) << y;
      k = eventDate.Key({{"EREI_JAHR", y}, {"EREI_MONAT", m}, {"EREI_TAG", 0}});
      eventDate.Cursor().FindNearest(k.data(), 3);
      ASSERT_TRUE(eventDate.Prior()) << y;
      EXPECT_EQ(eventDate.Int("EREI_JAHR"), y);
      EXPECT_EQ(eventDate.Int("EREI_MONAT"), m);
    }

    // Name days: the source's count, each name and person resolvable.
    s = patrons.Key({{"PATR_MONAT", m}, {"PATR_TAG", d}, {"PATR_ID", 0}});
    e = patrons.Key({{"PATR_MONAT", m}, {"PATR_TAG", d}, {"PATR_ID", 65535}});
    patrons.Cursor().SetRange(s.data(), 3, true, e.data(), 3, true);
    const int np = WalkRange(patrons, [&] {
      auto k = names.Key({{"NAME_ID", patrons.Int("NAME_ID")}});
      EXPECT_TRUE(names.Cursor().FindKey(k.data(), 1));
      for (const char* f : {"PERS_ID", "PERS_SIEHE"})
        if (patrons.Int(f)) {
          k = persons.Key({{"PERS_ID", patrons.Int(f)}});
          EXPECT_TRUE(persons.Cursor().FindKey(k.data(), 1)) << patrons.Int(f);
        }
    });
    EXPECT_EQ(static_cast<size_t>(np), (nPatrons[{m, d}]));

    // Fixed holidays: FindNearest (1, m, d) and forward while on the day.
    auto k = holidays.Key({{"FTAG_TYP", 1}, {"FTAG_MONAT", m}, {"FTAG_TAG", d}});
    size_t fixed = 0;
    if (holidays.Cursor().FindNearest(k.data(), 3) && holidays.Get())
      while (holidays.Int("FTAG_TYP") == 1 && holidays.Int("FTAG_MONAT") == m && holidays.Int("FTAG_TAG") == d) {
        ++fixed;
        if (!holidays.Next()) break;
      }
    EXPECT_EQ(fixed, (nFixed[{m, d}]));

    // The saying of every category for this day of the year.
    int doy = d;
    for (int mm = 1; mm < m; ++mm) doy += DaysInMonth(mm, 2000, true);
    for (int c = 0; c < kSayingCategories; ++c) {
      k = sayings.Key({{"SPRU_TYP", c}, {"SPRU_TAG", doy}});
      ASSERT_TRUE(sayings.Cursor().FindKey(k.data(), 2)) << c;
      ASSERT_TRUE(sayings.Get());
      EXPECT_FALSE(sayings.Cursor().ReadBlobAll(sayings.Rec(), sayings.Field("SPRU_TEXT")).empty()) << c;
    }
  }
}

TEST_F(BuiltData, HolidayRulesOfEveryKindAreFoundByTheirKey) {
  TTableReader t(Dir(), "FEIERTAG", "FT_MT");
  std::set<int> kinds;
  for (const auto& l : SourceLines("feiertage.txt")) {
    auto f = SplitSourceFields(l);
    const int kind = std::stoi(f[0]);
    kinds.insert(kind);
    auto k = t.Key({{"FTAG_TYP", kind}, {"FTAG_MONAT", std::stoi(f[1])}, {"FTAG_TAG", std::stoi(f[2])}});
    ASSERT_TRUE(t.Cursor().FindKey(k.data(), 3)) << l;
    ASSERT_TRUE(t.Get());
    if (kind >= 4 && kind <= 12) {  // this record is among those of its key
      AnsiString title;
      ASSERT_TRUE(Utf8ToCp1252(f[3], title));
      bool found = t.Str("FTAG_TITEL") == title;
      while (!found && t.Next() && t.Int("FTAG_TYP") == kind && t.Int("FTAG_MONAT") == std::stoi(f[1]) &&
             t.Int("FTAG_TAG") == std::stoi(f[2]))
        found = t.Str("FTAG_TITEL") == title;
      EXPECT_TRUE(found) << l;
    }
  }
  // Easter offsets before and after, weekday rules and full-moon offsets.
  for (int kind : {1, 2, 3, 4, 10, 11, 12, 13, 14}) EXPECT_TRUE(kinds.count(kind)) << kind;
}

TEST_F(BuiltData, NamesPlacesAndLookupsAnswerTheirKeys) {
  TTableReader byGender(Dir(), "NAME", "NA_GESCH"), byId(Dir(), "NAME", "XPKNAME");
  // The user's spelling: letter case does not matter.
  auto k = byGender.KeyStr({{"NAME_GESCH", 1}}, "NAME_NAME", "maria");
  ASSERT_TRUE(byGender.Cursor().FindKey(k.data(), 2));
  ASSERT_TRUE(byGender.Get());
  EXPECT_EQ(byGender.Str("NAME_NAME"), "Maria");
  EXPECT_EQ(byGender.Int("NAME_TYP"), 0);
  // A main name is followed by its forms, which point back to it.
  const int64_t main = byGender.Int("NAME_ID");
  k = byId.Key({{"NAME_ID", main}});
  ASSERT_TRUE(byId.Cursor().FindKey(k.data(), 1));
  int forms = 0;
  while (byId.Next() && byId.Int("NAME_VON") == main) {
    EXPECT_EQ(byId.Int("NAME_TYP"), 1);
    ++forms;
  }
  EXPECT_GE(forms, 3);

  // Place picker: case-insensitive prefix search; east stored negative.
  TTableReader lage(Dir(), "LAGE", "XPKLAGE");
  k = lage.KeyStr({}, "ORT", "berl");
  ASSERT_TRUE(lage.Cursor().FindNearest(k.data(), 1, 4));
  ASSERT_TRUE(lage.Get());
  EXPECT_EQ(lage.Str("ORT"), "Berlin");
  EXPECT_NEAR(lage.Float("BREITE"), 52.52, 0.01);
  EXPECT_NEAR(lage.Float("LAENGE"), -13.40, 0.01);
  k = lage.KeyStr({}, "ORT", "New York");
  ASSERT_TRUE(lage.Cursor().FindKey(k.data(), 1));
  ASSERT_TRUE(lage.Get());
  EXPECT_GT(lage.Float("LAENGE"), 70);

  // The formatters' lookups for every person: nations and professions from
  // number 1 on, places by number.
  TTableReader persons(Dir(), "PERSON", "XPKPERS"), pn(Dir(), "PERSNATI", "PN_PERS"), pb(Dir(), "PERSBERU", "PB_PERS");
  TTableReader places(Dir(), "ORT", "XPKORTE"), nations(Dir(), "NATION", "XPKNATI"), profs(Dir(), "BERUF", "XPKBERU");
  int withNation = 0;
  for (bool more = persons.First(); more; more = persons.Next()) {
    const int64_t id = persons.Int("PERS_ID");
    auto key = pn.Key({{"PERS_ID", id}, {"PNAT_NR", 1}});
    if (pn.Cursor().FindKey(key.data(), 2)) {
      ++withNation;
      ASSERT_TRUE(pn.Get());
      key = nations.Key({{"NATI_ID", pn.Int("NATI_ID")}});
      EXPECT_TRUE(nations.Cursor().FindKey(key.data(), 1)) << id;
    }
    key = pb.Key({{"PERS_ID", id}, {"PBER_NR", 1}});
    if (pb.Cursor().FindKey(key.data(), 2)) {
      ASSERT_TRUE(pb.Get());
      key = profs.Key({{"BERU_ID", pb.Int("BERU_ID")}});
      EXPECT_TRUE(profs.Cursor().FindKey(key.data(), 1)) << id;
    }
    for (const char* f : {"PERS_GEBORT", "PERS_TODORT"})
      if (persons.Int(f)) {
        key = places.Key({{"ORTE_ID", persons.Int(f)}});
        EXPECT_TRUE(places.Cursor().FindKey(key.data(), 1)) << id;
      }
  }
  EXPECT_GT(withNation, 1500);
}

// Reads an archive text; fails the test when the offset is not readable.
AnsiString ArchiveText(TVlf& archive, int64_t offset) {
  AnsiString text;
  EXPECT_GE(offset, 1024);
  EXPECT_NO_THROW(archive.ReadRecord(static_cast<uint32_t>(offset), text)) << offset;
  EXPECT_FALSE(text.empty()) << offset;
  return text;
}

struct TArchives {
  TVlf events, persons, holidays;
  explicit TArchives(const std::string& dir) {
    events.OpenFile(dir + "/Ereignis.Stx");
    persons.OpenFile(dir + "/Person.Stx");
    holidays.OpenFile(dir + "/Feiertag.Stx");
  }
};

// Every archive text a table points to, with whether it is RTF.
std::vector<AnsiString> AllArchiveTexts(const std::string& dir) {
  TArchives a(dir);
  std::vector<AnsiString> texts;
  TTableReader p(dir, "PERSON"), e(dir, "EREIGNIS"), h(dir, "FEIERTAG");
  for (bool more = p.First(); more; more = p.Next())
    if (p.Int("PERS_ANMERK")) texts.push_back(ArchiveText(a.persons, p.Int("PERS_ANMERK")));
  for (bool more = e.First(); more; more = e.Next()) texts.push_back(ArchiveText(a.events, e.Int("EREI_TEXT")));
  for (bool more = h.First(); more; more = h.Next()) {
    const AnsiString land = ArchiveText(a.holidays, h.Int("FTAG_LAND"));
    EXPECT_TRUE(land.find("Deutschland") != std::string::npos || land.find("Schweiz") != std::string::npos ||
                land.find("International") != std::string::npos || land.find("sterreich") != std::string::npos)
        << land;
    texts.push_back(ArchiveText(a.holidays, h.Int("FTAG_TEXT")));
  }
  return texts;
}

TEST_F(BuiltData, EveryArchiveOffsetInTheTablesIsReadable) {
  const auto texts = AllArchiveTexts(Dir());
  size_t notes = 0;
  for (const auto& p : Data().Persons) notes += p.Note.empty() ? 0 : 1;
  EXPECT_EQ(texts.size(), notes + Data().Events.size() + Data().Holidays.size());
  // Plain texts are the source text itself.
  std::set<AnsiString> sourceTexts;
  for (const auto& p : Data().Persons) sourceTexts.insert(PlainText(p.Note));
  for (const auto& e : Data().Events) sourceTexts.insert(PlainText(e.Text));
  for (const auto& h : Data().Holidays) sourceTexts.insert(PlainText(h.Text));
  for (const auto& t : texts)
    if (t.rfind("{\\rtf", 0) != 0) {
      EXPECT_TRUE(sourceTexts.count(t)) << t;
    }
  // A person without a note stores 0.
  TTableReader p(Dir(), "PERSON", "XPKPERS");
  for (const auto& src : Data().Persons)
    if (src.Note.empty()) {
      auto k = p.Key({{"PERS_ID", src.Id}});
      ASSERT_TRUE(p.Cursor().FindKey(k.data(), 1));
      ASSERT_TRUE(p.Get());
      EXPECT_EQ(p.Int("PERS_ANMERK"), 0);
    }
}

TEST_F(BuiltData, EveryHyperlinkResolvesToAPerson) {
  TTableReader persons(Dir(), "PERSON", "XPKPERS");
  size_t links = 0;
  for (const auto& text : AllArchiveTexts(Dir())) {
    if (text.rfind("{\\rtf", 0) != 0) {
      EXPECT_EQ(text.find("[["), std::string::npos) << text;
      continue;
    }
    TWPRTFTextIo doc;
    TStringStream in(text);
    TWPRtfReader reader;
    reader.TakeStream(&in);
    doc.ReadWith(&reader);
    ASSERT_EQ(doc.LastResult, 0) << text;
    for (TWPParagraphRec* par = doc.FirstPar; par; par = par->next)
      for (TWPLineRec* line = par->line; line; line = line->next)
        for (int i = 0; i < line->Length;) {
          if (!(line->pa[i].Style & wpsHyperlink)) {
            ++i;
            continue;
          }
          int j = i;
          while (j < line->Length && (line->pa[j].Style & wpsHyperlink)) ++j;
          int k = j;
          while (k < line->Length && (line->pa[k].Style & wpsHidden)) ++k;
          const std::string stamp(line->pc + j, line->pc + k);
          ASSERT_EQ(stamp.rfind("p:", 0), 0u) << text;
          auto key = persons.Key({{"PERS_ID", std::stoll(stamp.substr(2))}});
          EXPECT_TRUE(persons.Cursor().FindKey(key.data(), 1)) << stamp;
          ++links;
          i = k;
        }
  }
  // As many as the sources mark.
  size_t marked = 0;
  for (const char* file : {"personen.txt", "ereignisse.txt", "feiertage.txt"})
    for (const auto& l : SourceLines(file))
      for (size_t p = l.find("[["); p != std::string::npos; p = l.find("[[", p + 2)) ++marked;
  EXPECT_EQ(links, marked);
  EXPECT_GT(links, 300u);
}

}  // namespace

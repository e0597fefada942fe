// The personal, world-events, name-day and holidays pages on the built
// reference data: the holidays of 2000-2040 against GNU gcal's legal
// holiday lists of Germany, Austria and Switzerland (page and calendar
// box), well-known name days with their patrons, the own entries of both
// kinds, every rule kind of the holiday table, and pictures of rich days.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/base/userdb.h"
#include "app/main/calbox.h"
#include "app/pages/eigepage.h"
#include "app/pages/ftagpage.h"
#include "app/pages/namepage.h"
#include "app/text/styledoutput.h"
#include "calendar/astro.h"
#include "calendar/holidays.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/forms.h"
#include "tests/app/app_fixture.h"
#include "tests/data/data_helpers.h"
#include "tests/shell_helpers.h"

namespace {

using testshell::Shell;

// The visible text of each paragraph of a page (hidden link stamps left out).
std::vector<std::string> Paragraphs(TWPCustomRtfEdit* page) {
  std::vector<std::string> out;
  for (TWPParagraphRec* p = page->RtfText()->FirstPar; p; p = p->next) {
    std::string text;
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i)
        if (!l->pa || !(l->pa[i].Style & wpsHidden)) text += l->pc[i];
    out.push_back(text);
  }
  return out;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
// A UTF-8 text of a table below in Windows-1252.
std::string W(const char* utf8) { return Utf8ToCp1252OrThrow(utf8); }

// A program's whole output (empty when it cannot run).

class DayPages : public apptest::ProgramDirTest {
 protected:
  void SetUp() override {
    ProgramDirTest::SetUp();
    CopyReferenceData();
    LoadSettings();
    CreateUserDatabase();
    persons_ = apptest::OpenTable("Orvelan", "PERSON.FFD", "PE_GMTJ");
    patrons_ = apptest::OpenTable("Orvelan", "PATRON.FFD", "PA_MT");
    names_ = apptest::OpenTable("Orvelan", "NAME.FFD", "XPKNAME");
    events_ = apptest::OpenTable("Orvelan", "EREIGNIS.FFD", "ER_MTJ");
    holidays_ = apptest::OpenTable("Orvelan", "FEIERTAG.FFD", "FT_MT");
    own_ = apptest::OpenTable("OrvUser", "EIGENES.FFD", "XEIGE_MTJ");
    form_ = new TForm(Application);
    form_->SetClientSize(560, 480);
    page_ = new TWPCustomRtfEdit(form_);
    page_->SetParent(form_);
    page_->SetBounds(0, 0, 560, 480);
    page_->SetWordWrap(true);
    page_->SetScrollBars(ssVertical);
    // The page as wide as the control, as the page frame sets it.
    page_->SetPageLayout(0, 0, -1000, -1000, MulDiv(560 - 10, 1440, 96), -1000);
    form_->Show();
    driver.Process();
    for (int r = 0; r < kRubricCount; ++r) sections_[r] = RubricDisplay[r];
    ctx_.Page = page_;
    ctx_.Persons = persons_.get();
    ctx_.Patrons = patrons_.get();
    ctx_.Names = names_.get();
    ctx_.Events = events_.get();
    ctx_.Holidays = holidays_.get();
    ctx_.Own = own_.get();
    ctx_.Sections = sections_;
  }
  void TearDown() override {
    delete form_;
    for (auto* t : {&persons_, &patrons_, &names_, &events_, &holidays_, &own_}) t->reset();
    ProgramDirTest::TearDown();
  }

  // The page of a rubric on a day as the page frame builds it.
  std::vector<std::string> Build(int rubric, int year, int month, int day) {
    ctx_.Date = MakePackedDate(year, month, day);
    page_->ClearText();
    switch (rubric) {
      case rbPersonal: DisplayEige(ctx_); break;
      case rbEvents: DisplayErei(ctx_); break;
      case rbNameDays: DisplayName(ctx_); break;
      default: DisplayFTag(ctx_); break;
    }
    page_->ReformatAndRepaint();
    page_->PlaceCursor(0, 0, 0, 0);
    return Paragraphs(page_);
  }

  void AddOwn(int type, int day, int month, int year, const std::string& first, const std::string& last,
              const std::string& place, const std::string& time, const std::string& text) {
    own_->Append();
    own_->FieldByName("EIGE_ID")->SetAsInteger(++ownId_);
    own_->FieldByName("EIGE_TYP")->SetAsInteger(type);
    own_->FieldByName("EIGE_TAG")->SetAsInteger(day);
    own_->FieldByName("EIGE_MONAT")->SetAsInteger(month);
    own_->FieldByName("EIGE_JAHR")->SetAsInteger(year);
    own_->FieldByName("EIGE_VORNAME")->SetAsString(first);
    own_->FieldByName("EIGE_NACHNAME")->SetAsString(last);
    own_->FieldByName("EIGE_ORTPR")->SetAsString("in");
    own_->FieldByName("EIGE_ORT")->SetAsString(place);
    if (!time.empty()) own_->FieldByName("EIGE_ZEIT")->SetAsString(time);
    own_->FieldByName("EIGE_TEXT")->SetAsString(text);
    own_->Post();
  }

  // The visible text of each holiday record by its title, as the page
  // writes it from the archive.
  std::map<std::string, std::vector<std::string>> HolidayTexts() {
    std::map<std::string, std::vector<std::string>> out;
    datatest::TTableReader t((apptest::BuiltProgramDir() / "DATEN").string(), "FEIERTAG");
    for (bool ok = t.First(); ok; ok = t.Next()) {
      page_->ClearText();
      AppendArchiveText(page_, static_cast<int32_t>(t.Int("FTAG_TEXT")), HolidayArchive, {"Arial", 10, 0, 0}, {},
                        false);
      out[t.Str("FTAG_TITEL")].push_back(Paragraphs(page_).at(0));
    }
    return out;
  }

  std::unique_ptr<TwwTable> persons_, patrons_, names_, events_, holidays_, own_;
  TForm* form_ = nullptr;
  TWPCustomRtfEdit* page_ = nullptr;
  DisplaySettings sections_[kRubricCount];
  DayPageContext ctx_;
  int ownId_ = 0;
};

// A legal holiday of gcal's lists that holds in a whole country, with the
// names the page's record carries and the names the calendar box gives in
// that country.
struct GcalHoliday {
  int Country;  // 0 Deutschland, 1 Österreich, 2 Schweiz
  std::string English;
  int Year, Month, Day;
};

// gcal's English names, the title of our holiday record and the box's
// names by country (Germany, Austria, Switzerland).
struct NameMap {
  const char* English;
  const char* Title;
  const char* Box[3];
};
const NameMap kNames[] = {
    {"New Year's Day", "Neujahr", {"Neujahr", "Neujahr", "Neujahrstag"}},
    {"Epiphany/Three King's Day", "Heilige Drei Könige", {"", "Heilige Drei Könige", ""}},
    {"Good Friday", "Karfreitag", {"Karfreitag", "Karfreitag", "Karfreitag"}},
    {"Easter Sunday", "Ostersonntag", {"Ostersonntag", "Ostersonntag", "Ostersonntag"}},
    {"Easter Monday", "Ostermontag", {"Ostermontag", "Ostermontag", "Ostermontag"}},
    {"Labour Day", "Tag der Arbeit", {"Maifeiertag", "Staatsfeiertag", ""}},
    {"Christ's Ascension Day", "Christi Himmelfahrt", {"Christi Himmelfahrt", "Christi Himmelfahrt", "Auffahrt"}},
    {"Whitsunday/Pentecost", "Pfingstsonntag", {"Pfingstsonntag", "Pfingstsonntag", "Pfingstsonntag"}},
    {"Whit Monday", "Pfingstmontag", {"Pfingstmontag", "Pfingstmontag", "Pfingstmontag"}},
    {"Feast of Corpus Christi", "Fronleichnam", {"", "Fronleichnam", ""}},
    {"Mary's Ascension Day", "Mariä Himmelfahrt", {"", "Mariä Himmelfahrt", ""}},
    {"German Unity Day", "Tag der Deutschen Einheit", {"Tag der Deutschen Einheit", "", ""}},
    {"Reformation Day", "Reformationstag", {"Reformationstag", "", ""}},
    {"All Saints' Day", "Allerheiligen", {"", "Allerheiligen", ""}},
    {"Mary's Immaculate Conception", "Mariä Empfängnis", {"", "Mariä Empfängnis", ""}},
    {"Christmas Day", "Weihnachtstag", {"1. Weihnachtstag", "Christtag", "Weihnachtstag"}},
    {"Boxing Day", "Stephanstag", {"2. Weihnachtstag", "Stefanitag", ""}},
    {"St Stephen's Day", "Stephanstag", {"", "", "Stephanstag"}},
};
const NameMap* FindName(const std::string& english, int country) {
  for (const NameMap& n : kNames)
    if (english == n.English) return &n;
  // "National Holiday": Austria's on 26 October, Switzerland's on 1 August.
  static const NameMap at{"National Holiday", "Nationalfeiertag", {"", "Nationalfeiertag", ""}};
  static const NameMap ch{"National Holiday", "Bundesfeiertag", {"", "", "Bundesfeiertag"}};
  if (english == "National Holiday") return country == 1 ? &at : &ch;
  return nullptr;
}

// The legal holidays gcal lists for 2000-2040 in the whole of each
// country: Austria's own list, and for Germany and Switzerland (which gcal
// lists by state and canton) those legal in every one of their regions.
// One gcal run per country.
std::vector<GcalHoliday> GcalNationwide() {
  const std::string help = Shell("LC_ALL=C gcal -hh 2>&1");
  std::vector<GcalHoliday> out;
  const char* prefixes[] = {"DE_", "AT", "CH_"};
  for (int country = 0; country < 3; ++country) {
    std::vector<std::string> regions;
    const std::regex region(std::string("^ +(") + prefixes[country] + (country == 1 ? ")" : "[A-Z]+)") + " +=");
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
      std::smatch m;
      if (std::regex_search(line, m, region)) regions.push_back(m[1]);
    }
    std::string list;
    for (const std::string& r : regions) list += (list.empty() ? "" : "+") + r;
    const std::string text = Shell("LC_ALL=C gcal -u -n -X -H no --cc-holidays=" + list +
                                 " '--date-format=%>04*Y_%>02*M_%1%>02*D%2' 2000+2040");
    // "Christmas Day (DE_BY)                    + 2027 12 25"
    const std::regex row(R"(^(.*?) \((\w+)\)\s+\+ (\d{4}) (\d\d) (\d\d))");
    std::map<std::tuple<std::string, int, int, int>, std::set<std::string>> seen;
    std::istringstream rows(text);
    for (std::string line; std::getline(rows, line);) {
      std::smatch m;
      if (!std::regex_search(line, m, row)) continue;
      seen[{m[1], std::stoi(m[3]), std::stoi(m[4]), std::stoi(m[5])}].insert(m[2]);
    }
    for (const auto& [key, in] : seen)
      if (!regions.empty() && in.size() == regions.size())
        out.push_back({country, std::get<0>(key), std::get<1>(key), std::get<2>(key), std::get<3>(key)});
  }
  return out;
}

// Every legal holiday that gcal lists for the whole of Germany, Austria or
// Switzerland from 2000 to 2040 stands on the holidays page of its day, and
// the calendar box, set to that country, names it red for either
// confession.
TEST_F(DayPages, TheLegalHolidaysOf2000To2040AgreeWithGcal) {
  if (Shell("command -v gcal").empty()) GTEST_SKIP() << "gcal (Debian package gcal) is not installed";
  const std::vector<GcalHoliday> gcal = GcalNationwide();
  // 41 years of at least New Year, Easter Sunday and Christmas in each country.
  ASSERT_GT(gcal.size(), 41u * 3 * 3);
  const auto texts = HolidayTexts();
  std::map<std::tuple<int, int, int>, std::vector<std::string>> pages;  // built once per day
  std::map<int, int> perCountry;
  int boxDays = 0;
  for (const GcalHoliday& h : gcal) {
    const NameMap* n = FindName(h.English, h.Country);
    ASSERT_NE(n, nullptr) << h.English << " has no name here";
    const std::string title = W(n->Title);
    ASSERT_TRUE(texts.count(title)) << title;
    auto day = pages.find({h.Year, h.Month, h.Day});
    if (day == pages.end()) day = pages.emplace(std::tuple{h.Year, h.Month, h.Day}, Build(rbHolidays, h.Year, h.Month, h.Day)).first;
    bool onPage = false;
    for (const std::string& p : day->second)
      for (const std::string& t : texts.at(title)) onPage |= Contains(p, t);
    EXPECT_TRUE(onPage) << h.English << " " << h.Day << "." << h.Month << "." << h.Year;
    ++perCountry[h.Country];

    // The box: the day is red and its holiday line names the feast.
    const std::string want = W(n->Box[h.Country]);
    if (want.empty()) continue;
    for (int confession : {0, 1}) {
      const HolidayInfo info = HolidayName(PackedDateToDayNumber(MakePackedDate(h.Year, h.Month, h.Day)), confession, h.Country);
      EXPECT_TRUE(info.Holiday) << want << " " << h.Year << " confession " << confession;
      CalendarBoxDay box;
      box.Date = MakePackedDate(h.Year, h.Month, h.Day);
      box.Country = h.Country;
      box.Confession = confession;
      std::map<int, std::string> lines;  // the holiday's red lines, top down
      for (const CalendarBoxItem& item : CalendarBoxFace(form_->Canvas(), 148, 207, 0, box))
        if (item.Size == 8 && item.Color == RGB(255, 0, 0)) lines[item.Y] = item.Text;
      std::string line;
      for (const auto& [y, text] : lines) line += (line.empty() ? "" : " ") + text;
      EXPECT_TRUE(Contains(", " + line + ",", ", " + want + ",")) << want << ": " << line << " " << h.Year;
      ++boxDays;
    }
  }
  // Where we list more: page entries beyond gcal's on its days, and days
  // the box makes red that gcal lists as legal in part of a country only
  // (or not at all).
  std::set<std::tuple<int, int, int, int>> gcalDays;
  for (const GcalHoliday& h : gcal) gcalDays.insert({h.Country, h.Year, h.Month, h.Day});
  size_t entries = 0;
  for (const auto& [day, paragraphs] : pages) entries += paragraphs.size();
  int moreRed[3] = {};
  for (int32_t dn = PackedDateToDayNumber(MakePackedDate(2000, 1, 1)); dn <= PackedDateToDayNumber(MakePackedDate(2040, 12, 31)); ++dn) {
    const PackedDate d = DayNumberToPackedDate(dn);
    for (int country = 0; country < 3; ++country)
      if (HolidayName(dn, 0, country).Holiday &&
          !gcalDays.count({country, PackedDateYear(d), PackedDateMonth(d), PackedDateDay(d)}))
        ++moreRed[country];
  }
  std::printf("gcal's nation-wide legal holidays 2000-2040: Deutschland %d, Oesterreich %d, Schweiz %d on %zu days; "
              "%d box checks; our page entries on those days %zu; red days beyond gcal's (catholic): %d, %d, %d\n",
              perCountry[0], perCountry[1], perCountry[2], pages.size(), boxDays, entries, moreRed[0],
              moreRed[1], moreRed[2]);
}

// One holiday, one name: every name the calendar box gives in 2026 and on
// 17 June 1970, in any country and confession, heads an entry of that
// day's page for that country. Apart: no page rule expresses "Buß- und
// Bettag".
TEST_F(DayPages, TheBoxAndThePageNameAHolidayAlike) {
  const std::set<std::string> apart{W("Buß- und Bettag")};
  const std::string countries[] = {"Deutschland", W("Österreich"), "Schweiz"};
  int named = 0;
  std::vector<PackedDate> days{MakePackedDate(1970, 6, 17)};
  for (PackedDate d = MakePackedDate(2026, 1, 1); PackedDateYear(d) == 2026; PackedDateNextDay(d)) days.push_back(d);
  for (const PackedDate& d : days) {
    const int32_t dn = PackedDateToDayNumber(d);
    std::vector<std::string> headings;
    for (int country = 0; country < 3; ++country)
      for (int confession : {0, 1}) {
        std::istringstream names(HolidayName(dn, confession, country).Name);
        for (std::string name; std::getline(names >> std::ws, name, ',');) {
          if (apart.count(name)) continue;
          if (headings.empty())
            for (const std::string& p : Build(rbHolidays, PackedDateYear(d), PackedDateMonth(d), PackedDateDay(d)))
              headings.push_back(p.substr(0, p.find_first_of("\n\x0B")));
          const bool found = std::any_of(headings.begin(), headings.end(), [&](const std::string& h) {
            return h.starts_with(name + " \x96 ") && Contains(h, countries[country]);
          });
          EXPECT_TRUE(found) << name << " " << PackedDateDay(d) << "." << PackedDateMonth(d) << " "
                             << countries[country];
          ++named;
        }
      }
  }
  EXPECT_GT(named, 150);
}

// Well-known name days: the name heads its entry and its patron follows.
TEST_F(DayPages, WellKnownNameDaysShowTheNameAndItsPatron) {
  struct Fact {
    int Month, Day;
    const char *Name, *Patron;
  };
  const Fact facts[] = {
      {12, 6, "Nikolaus", "Nikolaus von Myra"}, {11, 11, "Martin", "Martin von Tours"}, {12, 4, "Barbara", "Barbara"},
      {3, 19, "Josef", "Josef"}, {6, 24, "Johannes", "Johannes der Täufer"}, {6, 29, "Petrus", "Petrus"},
      {6, 29, "Paulus", "Paulus"}, {4, 23, "Georg", "Georg"}, {3, 17, "Patrick", "Patrick"},
      {6, 13, "Antonius", "Antonius von Padua"}, {10, 15, "Teresa", "Teresa von Ávila"},
      {11, 19, "Elisabeth", "Elisabeth von Thüringen"}, {7, 25, "Jakobus", "Jakobus"},
      {10, 4, "Franz", "Franz von Assisi"}, {8, 10, "Laurentius", "Laurentius"}, {11, 30, "Andreas", "Andreas"},
      {12, 26, "Stephanus", "Stephanus"}, {2, 3, "Blasius", "Blasius"}, {1, 21, "Agnes", "Agnes"},
      {7, 31, "Ignatius", "Ignatius von Loyola"},
  };
  for (const Fact& f : facts) {
    const auto page = Build(rbNameDays, 2024, f.Month, f.Day);
    const std::string name = W(f.Name), patron = W(f.Patron);
    size_t i = 0;
    while (i < page.size() && page[i].rfind(name, 0) != 0) ++i;
    ASSERT_LT(i + 1, page.size()) << name << " on " << f.Day << "." << f.Month;
    EXPECT_EQ(page[i + 1].rfind("\thl. ", 0), 0u) << page[i + 1];
    EXPECT_TRUE(Contains(page[i + 1], patron)) << page[i + 1];
  }
  // Name forms after the main name; life dates and what the patron is
  // patron of under the name.
  sections_[rbNameDays].Switches[dnNameForms] = true;
  sections_[rbNameDays].Switches[dnLifeDates] = true;
  sections_[rbNameDays].Switches[dnPatronOf] = true;
  const auto page = Build(rbNameDays, 2024, 12, 6);
  ASSERT_GE(page.size(), 2u);
  EXPECT_EQ(page[0].rfind("Nikolaus, ", 0), 0u) << page[0];
  EXPECT_TRUE(Contains(page[1], "\n*\xA0")) << page[1];
  EXPECT_TRUE(Contains(page[1], "\nPatron ")) << page[1];
  // A note without a person, followed by the person to see.
  const auto anna = Build(rbNameDays, 2024, 7, 26);
  bool note = false;
  for (const std::string& p : anna) note |= Contains(p, "\thl. Anna, Mutter der hl. Maria");
  EXPECT_TRUE(note);
}

// A patron record whose name the name table lacks shows its patron without
// a heading, never the name the table happened to stand on.
TEST_F(DayPages, APatronWithoutItsNameGetsNoWrongHeading) {
  const auto before = Build(rbNameDays, 2024, 11, 11);
  ASSERT_GE(before.size(), 2u);
  ASSERT_EQ(before[0].rfind("Martin", 0), 0u);
  // Martin's name record removed from a copy of the table.
  names_->SetIndexName("NA_GESCH");
  ASSERT_TRUE(names_->FindKey({0, "Martin"}));
  names_->Delete();
  const auto after = Build(rbNameDays, 2024, 11, 11);
  ASSERT_EQ(after.size(), before.size() - 1);
  EXPECT_EQ(after[0], before[1]);  // the patron, first on the page
  for (const std::string& p : after) EXPECT_EQ(p.rfind("Martin", 0), std::string::npos) << p;
}

// The own entries of a day, newest first: a person with birth place and
// time, an event, and a text of three lines split at its hard breaks only.
TEST_F(DayPages, OwnEntriesOfBothKinds) {
  const std::string longLine(300, 'x');
  AddOwn(1, 14, 5, 1990, " Anna", "Muster ", CP1252("Zürich").str(), "07:45:30", "Erste Zeile\r\nZweite Zeile\nDritte " + longLine);
  AddOwn(2, 14, 5, 2004, "", "", "", "", CP1252("Umzug nach Köln").str());
  AddOwn(1, 14, 5, 1950, "Otto", "Beispiel", "Garmisch-Partenkirchen Obb.", "23:05:00", "");
  AddOwn(1, 15, 5, 1990, "Nicht", "Heute", "", "", "");
  DisplaySettings& s = sections_[rbPersonal];
  s.Switches[dpBirthPlace] = s.Switches[dpBirthTime] = s.Switches[dpYears] = true;
  s.Switches[dpJubilee] = false;
  auto page = Build(rbPersonal, 2024, 5, 14);
  ASSERT_EQ(page.size(), 3u);
  EXPECT_EQ(page[0], CP1252("2004\t(20) Umzug nach Köln").str());
  EXPECT_EQ(page[1], CP1252("1990\t(34) Anna Muster geboren um 07:45 Uhr in Zürich.\nErste Zeile\nZweite Zeile\nDritte ").str() + longLine);
  EXPECT_EQ(page[2], "1950\t(74) Otto Beispiel geboren um 23:05 Uhr in Garmisch-Partenkirchen Obb.");  // one stop
  // Without the place switch the time alone; a jubilee instead of the count.
  s.Switches[dpBirthPlace] = false;
  s.Switches[dpJubilee] = true;
  page = Build(rbPersonal, 2040, 5, 14);
  ASSERT_EQ(page.size(), 3u);
  EXPECT_EQ(page[1].rfind("1990\tVor 50 Jahren\nAnna Muster geboren um 07:45 Uhr.\nErste Zeile", 0), 0u) << page[1];
  EXPECT_EQ(page[2], "1950\tVor 90 Jahren\nOtto Beispiel geboren um 23:05 Uhr.");
  driver.Process();
  driver.SavePng(form_, "page_personal");
  EXPECT_EQ(Build(rbPersonal, 2024, 5, 16).size(), 1u);  // a day without entries: one empty paragraph
}

// On 28 February of a common year the entries of 29 February come too,
// and the page stays newest first over both days.
TEST_F(DayPages, OwnEntriesOfTheLeapDayTakeTheirPlaceByYear) {
  AddOwn(2, 28, 2, 1990, "", "", "", "", "A");
  AddOwn(2, 29, 2, 2000, "", "", "", "", "B");
  AddOwn(2, 28, 2, 2010, "", "", "", "", "C");
  AddOwn(2, 29, 2, 1980, "", "", "", "", "D");
  sections_[rbPersonal].Switches[dpYears] = sections_[rbPersonal].Switches[dpJubilee] = false;
  EXPECT_EQ(Build(rbPersonal, 2025, 2, 28),
            (std::vector<std::string>{"2010\tC", "2000\tB", "1990\tA", "1980\tD"}));
}

// World events of a day: exactly the table's events of that month and
// day, newest first, each with its archived text and links.
TEST_F(DayPages, WorldEventsOfADayNewestFirst) {
  std::map<std::pair<int, int>, std::vector<int>> byDay;
  datatest::TTableReader t((apptest::BuiltProgramDir() / "DATEN").string(), "EREIGNIS");
  for (bool ok = t.First(); ok; ok = t.Next())
    byDay[{static_cast<int>(t.Int("EREI_MONAT")), static_cast<int>(t.Int("EREI_TAG"))}].push_back(static_cast<int>(t.Int("EREI_JAHR")));
  sections_[rbEvents].Switches[deYears] = sections_[rbEvents].Switches[deJubilee] = false;
  for (auto [m, d] : {std::pair{1, 1}, {7, 20}, {11, 9}, {12, 24}}) {
    std::vector<int> years = byDay[{m, d}];
    std::sort(years.rbegin(), years.rend());
    const auto page = Build(rbEvents, 2024, m, d);
    ASSERT_EQ(page.size(), years.size()) << d << "." << m;
    for (size_t i = 0; i < years.size(); ++i) {
      EXPECT_EQ(page[i].rfind(std::to_string(years[i]) + "\t", 0), 0u) << page[i];
      EXPECT_GT(page[i].size(), 20u) << page[i];
    }
  }
  // 9 November 1989 has a jubilee in 2039.
  sections_[rbEvents].Switches[deJubilee] = true;
  bool jubilee = false;
  for (const std::string& p : Build(rbEvents, 2039, 11, 9)) jubilee |= p.rfind("1989\tVor 50 Jahren\n", 0) == 0;
  EXPECT_TRUE(jubilee);
  driver.Process();
  driver.SavePng(form_, "page_events");
}

// Every rule kind of the holiday table on a day of 2027 it falls on, with
// its rule text; a day that is both the n-th and the last such weekday, and
// keys shared by several records, show every matching record.
TEST_F(DayPages, EveryRuleKindOnItsDay) {
  sections_[rbHolidays].Switches[dhNotes] = true;
  auto has = [&](const std::vector<std::string>& page, const std::string& part) {
    for (const std::string& p : page)
      if (Contains(p, part)) return true;
    return false;
  };
  struct Case {
    int Month, Day;
    const char* Part;
  };
  const Case cases[] = {
      {12, 25, "Fest der Geburt Jesu"},                   // 1: fixed
      {10, 18, "(Montag nach dem 16. Oktober)"},          // 2: Kirchweihmontag
      {11, 14, "(Sonntag nach dem 13. November)"},        // 3: Volkstrauertag
      {4, 19, "(3. Montag im April)"},                    // 4: Sechseläuten
      {11, 25, "(4. Donnerstag im November)"},            // 7: Thanksgiving
      {3, 5, "(1. Freitag im März)"},                     // 8
      {3, 28, "(Letzter Sonntag im März)"},               // 10: summer time
      {3, 28, "(An Ostern)"},                             // 11: Easter Sunday
      {5, 6, "(39 Tage nach Ostern)"},                    // 11
      {3, 26, "(2 Tage vor Ostern)"},                     // 12: Good Friday
      {3, 27, "(Einen Tag vor Ostern)"},                  // 12
  };
  for (const Case& c : cases)
    EXPECT_TRUE(has(Build(rbHolidays, 2027, c.Month, c.Day), W(c.Part))) << c.Part;
  // Sechseläuten leaves Holy Week a week earlier and Easter Monday a week later.
  for (auto [y, third, on] : {std::tuple{2019, 15, 8}, {2022, 18, 25}, {2025, 21, 28}, {2028, 17, 24}, {2033, 18, 25}}) {
    EXPECT_FALSE(has(Build(rbHolidays, y, 4, third), W("Sechseläuten"))) << y;
    EXPECT_TRUE(has(Build(rbHolidays, y, 4, on), W(on < third ? "Ostern eine Woche früher)" : "Ostern eine Woche später)"))) << y;
  }
  // Näfelser Fahrt leaves only Maundy Thursday, for the Thursday after Easter.
  for (auto [y, first, on] : {std::tuple{2026, 2, 9}, {2034, 6, 13}, {2027, 1, 1}}) {
    const auto page = Build(rbHolidays, y, 4, on);
    EXPECT_TRUE(has(page, W(first == on ? "(1. Donnerstag im April)" : "April, wegen Ostern eine Woche später)"))) << y;
    if (first != on) {
      EXPECT_FALSE(has(Build(rbHolidays, y, 4, first), W("Näfelser Fahrt"))) << y;
    }
  }
  // Full moons of 2027 by the calendar: "Bei Vollmond" on each, the rule
  // three days before it on the day three days earlier, on no other day.
  int fullMoons = 0;
  for (PackedDate d = MakePackedDate(2027, 1, 4); PackedDateYear(d) == 2027; PackedDateNextDay(d)) {
    const int32_t dn = PackedDateToDayNumber(d);
    const bool full = MoonPhaseOfDayNumber(dn) == 5, before = MoonPhaseOfDayNumber(dn + 3) == 5;
    if (!full && !before && PackedDateDay(d) % 9 != 0) continue;  // and a sample of other days
    const auto page = Build(rbHolidays, 2027, PackedDateMonth(d), PackedDateDay(d));
    EXPECT_EQ(has(page, "(Bei Vollmond)"), full) << PackedDateDay(d) << "." << PackedDateMonth(d);
    EXPECT_EQ(has(page, "(3 Tage vor Vollmond)"), before) << PackedDateDay(d) << "." << PackedDateMonth(d);
    fullMoons += full;
  }
  EXPECT_GE(fullMoons, 12);

  // Two more records: a second one for Easter Sunday, and one for the 4th
  // Sunday of March, which 28 March 2027 is as well as the last.
  auto add = [&](int kind, int month, int day, const char* title) {
    holidays_->SetIndexName("FT_MT");
    holidays_->SetRange({11, 0, 0}, {11, 0, 0});
    holidays_->First();
    const int land = holidays_->FieldByName("FTAG_LAND")->AsInteger();
    const int text = holidays_->FieldByName("FTAG_TEXT")->AsInteger();
    holidays_->CancelRange();
    holidays_->Append();
    holidays_->FieldByName("FTAG_ID")->SetAsInteger(9000 + kind);
    holidays_->FieldByName("FTAG_TYP")->SetAsInteger(kind);
    holidays_->FieldByName("FTAG_MONAT")->SetAsInteger(month);
    holidays_->FieldByName("FTAG_TAG")->SetAsInteger(day);
    holidays_->FieldByName("FTAG_TITEL")->SetAsString(title);
    holidays_->FieldByName("FTAG_LAND")->SetAsInteger(land);
    holidays_->FieldByName("FTAG_TEXT")->SetAsInteger(text);
    holidays_->Post();
  };
  const size_t before = Build(rbHolidays, 2027, 3, 28).size();
  add(11, 0, 0, "Zweiter Ostersatz");
  add(10, 3, 4, "Vierter Sonntag");
  const auto easter = Build(rbHolidays, 2027, 3, 28);
  EXPECT_EQ(easter.size(), before + 2);
  EXPECT_TRUE(has(easter, CP1252("(4. Sonntag im März)").str()));
  EXPECT_TRUE(has(easter, CP1252("(Letzter Sonntag im März)").str()));
  int easterRules = 0;
  for (const std::string& p : easter) easterRules += Contains(p, "(An Ostern)");
  EXPECT_EQ(easterRules, 2);
}

// The pages of rich days as the user sees them.
TEST_F(DayPages, PicturesOfRichDays) {
  sections_[rbHolidays].Switches[dhNotes] = true;
  for (bool& sw : sections_[rbNameDays].Switches) sw = true;
  struct Shot {
    int Rubric, Year, Month, Day;
    const char* Name;
  };
  const Shot shots[] = {{rbHolidays, 2027, 12, 25, "page_holidays_christmas"},
                        {rbHolidays, 2027, 3, 28, "page_holidays_easter_2027"},
                        {rbNameDays, 2027, 9, 29, "page_namedays_several"},
                        {rbNameDays, 2027, 11, 19, "page_namedays_life_dates"},
                        {rbEvents, 2027, 11, 9, "page_events_9_november"}};
  for (const Shot& s : shots) {
    const auto page = Build(s.Rubric, s.Year, s.Month, s.Day);
    EXPECT_FALSE(page.front().empty()) << s.Name;
    driver.Process();
    driver.SavePng(form_, s.Name);
  }
}

}  // namespace

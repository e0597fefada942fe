// The anniversary warner over a year of own entries, against lists worked
// out here by a rule of their own (calendar arithmetic of the standard
// library): each day lists the entries whose anniversary or warning day it
// is, 29 February on 28 February in common years, warnings across New
// Year, an entry whose two warnings are as many days ahead once; the
// labels count the years of the day the anniversary falls on. A fill cut
// off by killing the process leaves EIGENES as it was, and the next fill
// is complete. At start the window shows only when something is due.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <random>
#include <tuple>

#include "app/base/usertables.h"
#include "app/windows/warner.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "tests/app_windows/windows_fixture.h"

namespace {

using namespace std::chrono;
using wintest::WindowsTest;

struct Entry {
  int Id;
  int Type;  // 1 person, 2 event
  year_month_day Date;
  int Sex;
  bool W0, W1, W2;
  int Days1, Days2;
  const char* Place;
};

TDateTime ToDateTime(year_month_day d) {
  return EncodeDate(static_cast<int>(d.year()), static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
}

// Month x 100 + day of a date `days` before the entry's date, in the
// entry's own year.
int KeyBefore(year_month_day d, int days) {
  const year_month_day k{sys_days{d} - std::chrono::days{days}};
  return static_cast<int>(static_cast<unsigned>(k.month()) * 100 + static_cast<unsigned>(k.day()));
}

std::vector<Entry> MakeEntries() {
  std::vector<Entry> e = {
      {1, etPerson, 1990y / 1 / 2, 0, true, true, false, 5, 0, "Bern"},
      {2, etPerson, 1988y / 2 / 29, 1, true, true, true, 1, 3, "Luzern"},
      {3, etEvent, 1990y / 3 / 1, 0, true, true, false, 2, 0, ""},
      {4, etPerson, 1992y / 3 / 2, 1, false, true, false, 2, 0, "Thun"},
      {5, etPerson, 1980y / 12 / 31, 0, true, true, true, 2, 2, ""},  // both warnings 2 days ahead
      {6, etEvent, 2000y / 1 / 1, 0, false, true, true, 1, 10, ""},
  };
  std::mt19937 rnd(161);
  for (int id = 7; id <= 90; ++id) {
    const sys_days d = sys_days{1900y / 1 / 1} + days{std::uniform_int_distribution<int>(0, 120 * 365)(rnd)};
    auto coin = [&] { return std::uniform_int_distribution<int>(0, 2)(rnd) > 0; };
    e.push_back({id, coin() ? etPerson : etEvent, year_month_day{d}, id % 2, coin(), coin(), coin(),
                 std::uniform_int_distribution<int>(1, 21)(rnd), std::uniform_int_distribution<int>(1, 21)(rnd),
                 id % 3 ? "Basel" : ""});
  }
  return e;
}

// The entries as the entry windows store them.
void Store(const std::vector<Entry>& entries) {
  auto t = apptest::OpenTable(kUserAlias, "EIGENES.FFD", "XEIGE_ID");
  for (const Entry& e : entries) {
    t->Append();
    t->FieldByName("EIGE_ID")->SetAsInteger(e.Id);
    t->FieldByName("EIGE_TYP")->SetAsInteger(e.Type);
    t->FieldByName("EIGE_DATUM")->SetAsDateTime(ToDateTime(e.Date));
    t->FieldByName("EIGE_TAG")->SetAsInteger(static_cast<int>(static_cast<unsigned>(e.Date.day())));
    t->FieldByName("EIGE_MONAT")->SetAsInteger(static_cast<int>(static_cast<unsigned>(e.Date.month())));
    t->FieldByName("EIGE_JAHR")->SetAsInteger(static_cast<int>(e.Date.year()));
    t->FieldByName("EIGE_VORNAME")->SetAsString("Vorname" + IntToStr(e.Id));
    t->FieldByName("EIGE_NACHNAME")->SetAsString("Nachname");
    t->FieldByName("EIGE_GESCH")->SetAsInteger(e.Sex);
    t->FieldByName("EIGE_ORTPR")->SetAsString(*e.Place ? "in" : "");
    t->FieldByName("EIGE_ORT")->SetAsString(e.Place);
    t->FieldByName("EIGE_TEXT")->SetAsString("Ereignis " + IntToStr(e.Id));
    t->FieldByName("EIGE_W0")->SetAsBoolean(e.W0);
    t->FieldByName("EIGE_W1")->SetAsBoolean(e.W1);
    t->FieldByName("EIGE_W1TAGE")->SetAsInteger(e.Days1);
    t->FieldByName("EIGE_W2")->SetAsBoolean(e.W2);
    t->FieldByName("EIGE_W2TAGE")->SetAsInteger(e.Days2);
    t->FieldByName("EIGE_TERMIN1")->SetAsInteger(e.W1 ? KeyBefore(e.Date, e.Days1) : 0);
    t->FieldByName("EIGE_TERMIN2")->SetAsInteger(e.W2 ? KeyBefore(e.Date, e.Days2) : 0);
    t->Post();
  }
}

struct Row {
  int Days;
  TDateTime Date;
  int Id;
  bool operator==(const Row&) const = default;
  bool operator<(const Row& o) const { return std::tie(Days, Date, Id) < std::tie(o.Days, o.Date, o.Id); }
};

// What the day should list: by level, the entry's key matching the day
// (29 February on the 28th in common years), one row per entry and days.
std::vector<Row> ExpectedRows(const std::vector<Entry>& entries, year_month_day day) {
  const int today = static_cast<int>(static_cast<unsigned>(day.month()) * 100 + static_cast<unsigned>(day.day()));
  auto due = [&](int key) { return key == today || (key == 229 && !day.year().is_leap() && today == 228); };
  std::set<Row> rows;
  std::set<std::pair<int, int>> seen;
  for (const Entry& e : entries) {
    const std::tuple<bool, int> levels[] = {{e.W0, 0}, {e.W1, e.Days1}, {e.W2, e.Days2}};
    for (const auto& [on, n] : levels)
      if (on && due(KeyBefore(e.Date, n)) && seen.insert({n, e.Id}).second) rows.insert({n, ToDateTime(e.Date), e.Id});
  }
  return {rows.begin(), rows.end()};
}

std::vector<Row> Listed(TfrmTermin* f) {
  std::vector<Row> out;
  for (f->tblTerm->First(); !f->tblTerm->Eof(); f->tblTerm->Next())
    out.push_back({f->tblTerm->FieldByName("EIGE_TAGE")->AsInteger(),
                   f->tblTerm->FieldByName("TERM_DATUM")->AsDateTime(),
                   f->tblTerm->FieldByName("EIGE_ID")->AsInteger()});
  return out;
}

PackedDate Packed(year_month_day d) {
  return MakePackedDate(static_cast<int>(d.year()), static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
}

TfrmTermin* NewWarner(year_month_day day) {
  TfrmTermin* f = nullptr;
  Application->CreateForm(f);
  f->SetBounds(0, 0, 560, 340);
  f->SetDate(Packed(day));
  return f;
}

TEST_F(WindowsTest, TheWarnerListsAYearOfEntriesAsTheRuleSays) {
  Start();
  const std::vector<Entry> entries = MakeEntries();
  Store(entries);
  TfrmTermin* f = NewWarner(2024y / 12 / 15);
  f->Show();
  const char* const when[] = {"Heute", "Morgen", "In zwei Tagen", "In drei Tagen"};
  int rowsSeen = 0;
  auto check = [&](year_month_day day, bool labels) {
    f->SetDate(Packed(day));
    const std::vector<Row> expected = ExpectedRows(entries, day);
    EXPECT_EQ(f->FillTermine(), !expected.empty());
    ASSERT_EQ(Listed(f), expected) << static_cast<int>(day.year()) << "-" << static_cast<unsigned>(day.month()) << "-"
                                   << static_cast<unsigned>(day.day());
    rowsSeen += static_cast<int>(expected.size());
    if (!labels) return;
    f->tblTerm->First();
    for (const Row& r : expected) {
      const Entry& e = entries[static_cast<size_t>(r.Id - 1)];
      // The years on the day the anniversary falls on.
      const int years =
          static_cast<int>(year_month_day{sys_days{day} + days{r.Days}}.year()) - static_cast<int>(e.Date.year());
      const AnsiString w = r.Days < 4 ? AnsiString(when[r.Days]) : "In " + IntToStr(r.Days) + " Tagen";
      EXPECT_EQ(f->lblWann->Caption(),
                w + " ist der " + IntToStr(years) + (e.Type == etPerson ? ". Geburtstag von" : ". Jahrestag von:"));
      if (e.Type == etPerson) {
        EXPECT_EQ(f->lblName->Caption(), "Vorname" + IntToStr(e.Id) + " Nachname");
        EXPECT_EQ(f->lblGeboren->Caption(), "Geboren " + IntToStr(static_cast<int>(e.Date.year())) +
                                                (*e.Place ? AnsiString(" in ") + e.Place : ""));
        EXPECT_FALSE(f->memoEigeText->Visible());
      } else {
        EXPECT_EQ(f->memoEigeText->Text(), "Ereignis " + IntToStr(e.Id));
        EXPECT_FALSE(f->lblName->Visible());
      }
      f->tblTerm->Next();
    }
  };
  // Every day of a common year, the turn of the year before it and the end
  // of February of a leap year.
  for (sys_days d = sys_days{2024y / 12 / 15}; d <= sys_days{2025y / 12 / 31}; d += days{1})
    check(year_month_day{d}, false);
  for (sys_days d = sys_days{2024y / 2 / 24}; d <= sys_days{2024y / 3 / 3}; d += days{1})
    check(year_month_day{d}, true);
  for (year_month_day d : {2024y / 12 / 28, 2024y / 12 / 29, 2025y / 2 / 26, 2025y / 2 / 27, 2025y / 2 / 28,
                           2025y / 12 / 21, 2025y / 12 / 31})
    check(d, true);
  EXPECT_GT(rowsSeen, 150);  // about two rows a year for each of the 90 entries
  // The turn of the year: entry 1 (2 January 1990, 5 days ahead) is due on
  // 28 December and counts the years of the new year.
  f->SetDate(Packed(2025y / 12 / 28));
  f->FillTermine();
  for (f->tblTerm->First(); f->tblTerm->FieldByName("EIGE_ID")->AsInteger() != 1; f->tblTerm->Next()) {
  }
  EXPECT_EQ(f->lblWann->Caption(), "In 5 Tagen ist der 36. Geburtstag von");
  driver.SavePng(f, "windows_warner");
  // "+ 1 Tag" from 31 December reaches 1 January; the arrows step too.
  f->SetDate(Packed(2025y / 12 / 31));
  driver.Click(f->pbNext);
  EXPECT_EQ(f->Date(), MakePackedDate(2026, 1, 1));
  EXPECT_EQ(Listed(f), ExpectedRows(entries, 2026y / 1 / 1));
  f->SetFocus();
  driver.KeyUp(VK_LEFT);
  driver.KeyUp(VK_LEFT);
  EXPECT_EQ(f->Date(), MakePackedDate(2025, 12, 30));
  EXPECT_EQ(Listed(f), ExpectedRows(entries, 2025y / 12 / 30));
}

TEST_F(WindowsTest, AFillCutOffLeavesTheEntriesAloneAndTheNextOneIsComplete) {
  Start();
  const std::vector<Entry> entries = MakeEntries();
  Store(entries);
  // The day with the most rows.
  year_month_day busiest = 2025y / 1 / 1;
  for (sys_days d = sys_days{2025y / 1 / 1}; d <= sys_days{2025y / 12 / 31}; d += days{1})
    if (ExpectedRows(entries, year_month_day{d}).size() > ExpectedRows(entries, busiest).size())
      busiest = year_month_day{d};
  const size_t rows = ExpectedRows(entries, busiest).size();
  ASSERT_GE(rows, 3u);
  const std::string eigenes = apptest::Slurp(Root() / "BENUTZER" / "EIGENES.FFD");
  ASSERT_FALSE(eigenes.empty());
  const pid_t child = fork();
  if (child == 0) {
    // Killed in the middle of the fill, after two rows were stored.
    TfrmTermin* f = NewWarner(busiest);
    f->OnRowStored = [](int n) {
      if (n == 2) ::kill(::getpid(), SIGKILL);
    };
    f->FillTermine();
    _exit(3);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
  EXPECT_EQ(apptest::Slurp(Root() / "BENUTZER" / "EIGENES.FFD"), eigenes);
  TfrmTermin* f = NewWarner(busiest);
  EXPECT_TRUE(f->FillTermine());
  EXPECT_EQ(Listed(f), ExpectedRows(entries, busiest));
  EXPECT_EQ(apptest::Slurp(Root() / "BENUTZER" / "EIGENES.FFD"), eigenes);
}

TEST_F(WindowsTest, AtTheStartTheWarnerShowsOnlyWhenSomethingIsDue) {
  Start();
  Store(MakeEntries());
  int shown = 0;
  CurrentDateKey = MakePackedDate(2025, 6, 15);
  ASSERT_TRUE(ExpectedRows(MakeEntries(), 2025y / 6 / 15).empty()) << "the sample has something due on 15 June";
  // Nothing scripted: a window shown here would find no step and raise.
  EXPECT_NO_THROW(ShowTermine(true));
  // From the menu it shows, and says that nothing is due.
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmTermin&>(active);
    ++shown;
    EXPECT_EQ(f.lblWann->Caption(), "Keine Geburts- oder Jahrestage");
    EXPECT_FALSE(f.lblName->Visible());
    driver.Click(f.pbClose);
  });
  ShowTermine(false);
  EXPECT_EQ(shown, 1);
  // On a day with something due it shows at the start too.
  CurrentDateKey = MakePackedDate(2025, 12, 28);
  driver.WhenModal([&](TCustomForm& active) {
    ++shown;
    EXPECT_GT(dynamic_cast<TfrmTermin&>(active).tblTerm->RecordCount(), 0);
    driver.PressKey(VK_ESCAPE);
  });
  ShowTermine(true);
  EXPECT_EQ(shown, 2);
}

}  // namespace

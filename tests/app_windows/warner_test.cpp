// The anniversary warner over a year of own entries, against lists worked
// out here with the standard library's calendar: each day lists the entries
// whose anniversary or warning day it is (29 February on 28 February in
// common years, warnings across New Year, two warnings as many days ahead
// once), the labels count the years of the day the anniversary falls on; a
// fill cut off by killing the process leaves EIGENES as it was and the next
// fill is complete; at start the window shows only when something is due.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <csignal>
#include <random>
#include <set>
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
  int Id, Type;
  year_month_day Date;
  bool W0, W1, W2;
  int Days1, Days2;
  const char* Place;
};

int Y(year_month_day d) { return static_cast<int>(d.year()); }
unsigned M(year_month_day d) { return static_cast<unsigned>(d.month()); }
unsigned D(year_month_day d) { return static_cast<unsigned>(d.day()); }
TDateTime ToDateTime(year_month_day d) { return EncodeDate(Y(d), M(d), D(d)); }
PackedDate Packed(year_month_day d) { return MakePackedDate(Y(d), M(d), D(d)); }

// Month x 100 + day of the date `days` before the entry's, in its own year.
int KeyBefore(year_month_day d, int days) {
  const year_month_day k{sys_days{d} - std::chrono::days{days}};
  return static_cast<int>(M(k) * 100 + D(k));
}

std::vector<Entry> MakeEntries() {
  std::vector<Entry> e = {{1, etPerson, 1990y / 1 / 2, true, true, false, 5, 0, "Bern"},
                          {2, etPerson, 1988y / 2 / 29, true, true, true, 1, 3, "Luzern"},
                          {3, etEvent, 1990y / 3 / 1, true, true, false, 2, 0, ""},
                          {4, etPerson, 1992y / 3 / 2, false, true, false, 2, 0, ""},
                          {5, etPerson, 1980y / 12 / 31, true, true, true, 2, 2, ""},  // two warnings, 2 days each
                          {6, etEvent, 2000y / 1 / 1, false, true, true, 1, 10, ""}};
  std::mt19937 rnd(161);
  auto n = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
  for (int id = 7; id <= 90; ++id)
    e.push_back({id, n(0, 2) ? etPerson : etEvent, year_month_day{sys_days{1900y / 1 / 1} + days{n(0, 44000)}},
                 n(0, 2) > 0, n(0, 2) > 0, n(0, 2) > 0, n(1, 21), n(1, 21), id % 3 ? "Basel" : ""});
  // Dated on a day of the year walked and after it: due on its date only.
  e.push_back({91, etPerson, 2025y / 6 / 10, true, true, false, 3, 0, ""});
  e.push_back({92, etEvent, 2030y / 1 / 2, true, true, true, 1, 5, ""});
  return e;
}

// The entries as the entry windows store them.
void Store(const std::vector<Entry>& entries) {
  auto t = apptest::OpenTable(kUserAlias, "EIGENES.FFD", "XEIGE_ID");
  for (const Entry& e : entries) {
    t->Append();
    auto set = [&](const char* field, int v) { t->FieldByName(field)->SetAsInteger(v); };
    set("EIGE_ID", e.Id);
    set("EIGE_TYP", e.Type);
    t->FieldByName("EIGE_DATUM")->SetAsDateTime(ToDateTime(e.Date));
    set("EIGE_TAG", static_cast<int>(D(e.Date)));
    set("EIGE_MONAT", static_cast<int>(M(e.Date)));
    set("EIGE_JAHR", Y(e.Date));
    t->FieldByName("EIGE_VORNAME")->SetAsString("Vorname" + IntToStr(e.Id));
    t->FieldByName("EIGE_NACHNAME")->SetAsString("Nachname");
    t->FieldByName("EIGE_ORTPR")->SetAsString(*e.Place ? "in" : "");
    t->FieldByName("EIGE_ORT")->SetAsString(e.Place);
    t->FieldByName("EIGE_TEXT")->SetAsString("Ereignis " + IntToStr(e.Id));
    set("EIGE_W0", e.W0);
    set("EIGE_W1", e.W1);
    set("EIGE_W2", e.W2);
    set("EIGE_W1TAGE", e.Days1);
    set("EIGE_W2TAGE", e.Days2);
    set("EIGE_TERMIN1", e.W1 ? KeyBefore(e.Date, e.Days1) : 0);
    set("EIGE_TERMIN2", e.W2 ? KeyBefore(e.Date, e.Days2) : 0);
    t->Post();
  }
}

using Row = std::tuple<int, TDateTime, int>;  // days, date, entry

// The rows of a day: an entry whose anniversary (29 February on the 28th
// in common years), this year or next, lies exactly a level's days after
// the day; one row per entry and days. (The stored keys count the days in
// the entry's own year, a day off across the end of February when one of
// the two years is a leap year.)
std::vector<Row> ExpectedRows(const std::vector<Entry>& entries, year_month_day day) {
  auto due = [&](const Entry& e, int n) {
    for (int y : {Y(day), Y(day) + 1}) {
      const bool leapDay = M(e.Date) == 2 && D(e.Date) == 29 && !year{y}.is_leap();
      const sys_days on{year{y} / month{M(e.Date)} / std::chrono::day{leapDay ? 28u : D(e.Date)}};
      if (on >= sys_days{day})
        return y >= Y(e.Date) && on <= sys_days{8201y / 12 / 31} && (on - sys_days{day}).count() == n;
    }
    return false;
  };
  std::set<Row> rows;
  std::set<std::pair<int, int>> seen;
  for (const Entry& e : entries)
    for (const auto& [on, n] : {std::pair{e.W0, 0}, {e.W1, e.Days1}, {e.W2, e.Days2}})
      if (on && due(e, n) && seen.insert({n, e.Id}).second) rows.insert({n, ToDateTime(e.Date), e.Id});
  return {rows.begin(), rows.end()};
}

std::vector<Row> Listed(TfrmTermin* f) {
  std::vector<Row> out;
  for (f->tblTerm->First(); !f->tblTerm->Eof(); f->tblTerm->Next())
    out.emplace_back(f->tblTerm->FieldByName("EIGE_TAGE")->AsInteger(),
                     f->tblTerm->FieldByName("TERM_DATUM")->AsDateTime(),
                     f->tblTerm->FieldByName("EIGE_ID")->AsInteger());
  return out;
}

TfrmTermin* NewWarner(year_month_day day) {
  auto* f = new TfrmTermin(Application);
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
  size_t rows = 0;
  auto check = [&](year_month_day day, bool labels) {
    f->SetDate(Packed(day));
    const std::vector<Row> expected = ExpectedRows(entries, day);
    EXPECT_EQ(f->FillTermine(), !expected.empty());
    ASSERT_EQ(Listed(f), expected) << Y(day) << "-" << M(day) << "-" << D(day);
    rows += expected.size();
    f->tblTerm->First();
    for (const auto& [n, date, id] : labels ? expected : std::vector<Row>{}) {
      const Entry& e = entries[static_cast<size_t>(id - 1)];
      const int years = Y(year_month_day{sys_days{day} + days{n}}) - Y(e.Date);
      const AnsiString what = years == 0 ? (e.Type == etPerson ? "Geburtstermin von" : "Termin:")
                                         : IntToStr(years) + (e.Type == etPerson ? ". Geburtstag von" : ". Jahrestag von:");
      EXPECT_EQ(f->lblWann->Caption(), (n < 4 ? AnsiString(when[n]) : "In " + IntToStr(n) + " Tagen") + " ist der " + what);
      if (e.Type == etPerson)  // no birth told before it comes
        EXPECT_EQ(f->lblGeboren->Visible() ? f->lblGeboren->Caption() : AnsiString(),
                  years == 0 ? AnsiString() : "Geboren " + IntToStr(Y(e.Date)) + (*e.Place ? " in " + AnsiString(e.Place) : ""));
      else
        EXPECT_EQ(f->memoEigeText->Text(), "Ereignis " + IntToStr(id));
      f->tblTerm->Next();
    }
  };
  // Every day of a common year and of the turn of the year before it, the
  // end of February of a leap year with all labels.
  for (sys_days d = sys_days{2024y / 12 / 15}; d <= sys_days{2025y / 12 / 31}; d += days{1}) check(year_month_day{d}, false);
  for (sys_days d = sys_days{2024y / 2 / 24}; d <= sys_days{2024y / 3 / 3}; d += days{1}) check(year_month_day{d}, true);
  // The calendar's first and last days: what lies inside it is listed.
  for (year_month_day d : {2024y / 12 / 28, 2025y / 2 / 26, 2025y / 2 / 28, 2025y / 6 / 7, 2025y / 6 / 10,
                           2025y / 12 / 21, 2025y / 12 / 28, 1582y / 10 / 20, 8201y / 12 / 27, 8201y / 12 / 31})
    check(d, true);
  EXPECT_GT(rows, 150u);  // about two rows a year for each of the 90 entries
  // A name is text: its "&" is drawn, not taken for an accelerator mark.
  f->lblName->SetVisible(true);
  f->lblName->SetCaption("&");
  int ink = 0;
  for (int x = 0; x < 12; ++x) ink += (ColorToRGB(driver.PixelAt(f->lblName, x, 6)) & 0xFF) < 0x80;
  EXPECT_GT(ink, 0);
  driver.SavePng(f, "windows_warner");
  // "+ 1 Tag" from 31 December reaches 1 January; the arrow keys step too.
  f->SetDate(Packed(2025y / 12 / 31));
  driver.Click(f->pbNext);
  EXPECT_EQ(Listed(f), ExpectedRows(entries, 2026y / 1 / 1));
  f->SetFocus();
  driver.PressKey(VK_LEFT);
  driver.PressKey(VK_LEFT);
  EXPECT_EQ(f->Date(), MakePackedDate(2025, 12, 30));
  EXPECT_EQ(Listed(f), ExpectedRows(entries, 2025y / 12 / 30));
}

TEST_F(WindowsTest, AFillCutOffLeavesTheEntriesAloneAndTheNextOneIsComplete) {
  Start();
  const std::vector<Entry> entries = MakeEntries();
  Store(entries);
  year_month_day day = 2025y / 1 / 1;  // the day with the most rows
  for (sys_days d = sys_days{day}; d <= sys_days{2025y / 12 / 31}; d += days{1})
    if (ExpectedRows(entries, year_month_day{d}).size() > ExpectedRows(entries, day).size()) day = year_month_day{d};
  ASSERT_GE(ExpectedRows(entries, day).size(), 3u);
  const std::string eigenes = apptest::Slurp(Root() / "BENUTZER" / "EIGENES.FFD");
  const pid_t child = fork();
  if (child == 0) {
    // Killed in the middle of the fill, after two rows were stored.
    TfrmTermin* f = NewWarner(day);
    f->OnRowStored = [](int n) {
      if (n == 2) ::kill(::getpid(), SIGKILL);
    };
    f->FillTermine();
    _exit(3);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  EXPECT_EQ(apptest::Slurp(Root() / "BENUTZER" / "EIGENES.FFD"), eigenes);
  TfrmTermin* f = NewWarner(day);
  EXPECT_TRUE(f->FillTermine());
  EXPECT_EQ(Listed(f), ExpectedRows(entries, day));
  EXPECT_EQ(apptest::Slurp(Root() / "BENUTZER" / "EIGENES.FFD"), eigenes);
}

// The tables' controls hear of a fill when they come on again; an error of a
// handler then reaches the caller (it must not end the program), both
// tables' controls are on, and the next fill lists the day's rows.
TEST_F(WindowsTest, AnErrorOfAHandlerAfterAFillReachesTheCaller) {
  Start();
  const std::vector<Entry> entries = MakeEntries();
  Store(entries);
  const year_month_day day = 2025y / 12 / 28;
  TfrmTermin* f = NewWarner(day);
  TwwDataSource other(nullptr);
  other.SetDataSet(f->tblEige);
  bool raise = true;
  other.OnDataChange = [&](TObject*, TField*) {
    if (raise) throw EDatabaseError("Anzeige fehlgeschlagen");
  };
  EXPECT_THROW(f->FillTermine(), EDatabaseError);
  raise = false;
  EXPECT_FALSE(f->tblEige->ControlsDisabled());
  EXPECT_FALSE(f->tblTerm->ControlsDisabled());
  EXPECT_TRUE(f->FillTermine());
  EXPECT_EQ(Listed(f), ExpectedRows(entries, day));
}

// One byte flipped in the root block of the first warnings' index: the
// reminders of that pass cannot be found, and the user learns which file
// is damaged, once for the window.
TEST_F(WindowsTest, AFailingPassNamesTheFileOnce) {
  Start();
  Store(MakeEntries());
  const auto path = Root() / "BENUTZER" / "EIGENES.FFD";
  std::string bytes = apptest::Slurp(path);
  uint32_t root = 0;  // index 4, "XEIGE_TERM1": its root's number in the header
  std::memcpy(&root, bytes.data() + 80 + 4 * 4, 4);
  ASSERT_LT((root + 1) * 8192, bytes.size());
  bytes[root * 8192 + 100] ^= 0x20;
  apptest::Put(path, bytes);
  TfrmTermin* f = NewWarner(2025y / 12 / 28);
  driver.AnswerNextMessageBox(IDOK);
  f->FillTermine();
  f->pbNextClick();
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  const std::string said = driver.MessageBoxes()[0].Text;
  EXPECT_NE(said.find("\"" + path.string() + "\" kann nicht gelesen werden"), std::string::npos) << said;
  delete f;
}

TEST_F(WindowsTest, AtTheStartTheWarnerShowsOnlyWhenSomethingIsDue) {
  Start();
  Store(MakeEntries());
  int shown = 0;
  for (int month : {6, 12}) {
    CurrentDateKey = MakePackedDate(2025, month, month == 6 ? 15 : 28);
    const bool due = month == 12;
    ASSERT_EQ(ExpectedRows(MakeEntries(), month == 6 ? 2025y / 6 / 15 : 2025y / 12 / 28).empty(), !due);
    // At the start only when due (a window shown without a step would
    // raise); from the menu always.
    for (bool atStart : {true, false}) {
      if (!atStart || due)
        driver.WhenModal([&](TCustomForm& active) {
          auto& f = dynamic_cast<TfrmTermin&>(active);
          ++shown;
          EXPECT_EQ(f.lblWann->Caption() == "Keine Geburts- oder Jahrestage", !due);
          // The grid starts with its date column, and an empty one has no
          // highlighted row.
          EXPECT_EQ(f.gridTerm->LeftCol(), 0);
          const TRect first = f.gridTerm->CellRect(0, 1);
          ASSERT_FALSE(first.IsEmpty());
          EXPECT_EQ(ColorToRGB(driver.PixelAt(f.gridTerm, first.Left + 4, first.Top + 4)) == ColorToRGB(clHighlight),
                    due);
          if (!due) driver.SavePng(&f, "windows_warner_empty");
          // At the smallest width "28. Dezember" wraps to a second line and
          // "Keine Geburts- oder Jahrestage" to a third: both are shown.
          const TPoint least = static_cast<TOrvelanForm&>(f).MinimumSize();
          f.SetBounds(f.Left(), f.Top(), least.X, least.Y);
          driver.Process();
          driver.SavePng(&f, due ? "windows_warner_narrow" : "windows_warner_empty_narrow");
          TLabel* wrapped = due ? f.lblDatum : f.lblWann;
          int ink = 0;
          for (int y = due ? 22 : 36; y < (due ? 30 : 52); ++y)
            for (int x = 0; x < wrapped->Width(); ++x) ink += driver.PixelAt(wrapped, x, y) == clBlack;
          EXPECT_GT(ink, 20);
          driver.PressKey(VK_ESCAPE);
        });
      ShowTermine(atStart);
    }
  }
  EXPECT_EQ(shown, 3);
}

}  // namespace

// The further windows, timed in a shown window on the built reference data:
// the data window opened on the person with the longest long text (window
// made, page built and laid out, window freed), TERMINE rebuilt from 10 000
// own entries for a day, and the saying of a day loaded.
#include <benchmark/benchmark.h>

#include "app/base/usertables.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/windows/datawin.h"
#include "app/windows/saying.h"
#include "app/windows/warner.h"
#include "platform/qt/qt_host.h"
#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"
#include "tests/app/program_dir.h"

namespace {

using apptest::OpenTable;

// The program directory of these benchmarks, with the user's tables, on a
// fixed current day.
struct ProgramDirectory : apptest::ProgramDirectory {
  ProgramDirectory() : apptest::ProgramDirectory("windows", apptest::UserTables::kMade) {
    CurrentDateKey = MakePackedDate(2025, 7, 14);
  }
};

void BM_OpenDataWindowOnTheLongestPerson(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  ProgramDirectory dir;
  int person = 0;
  {
    auto persons = OpenTable("Orvelan", "PERSON.FFD", "XPKPERS");
    uint32_t longest = 0;
    for (persons->First(); !persons->Eof(); persons->Next()) {
      const int32_t note = persons->FieldByName("PERS_ANMERK")->AsInteger();
      if (note <= 0) continue;
      const uint32_t length = PersonArchive->ReadRecordLength(static_cast<uint32_t>(note));
      if (length > longest) {
        longest = length;
        person = persons->FieldByName("PERS_ID")->AsInteger();
      }
    }
  }
  for (auto _ : state) {
    auto* f = new TfrmDispData(Application);
    f->ClearHistory();
    f->AddToHistory(dkPerson, person);
    f->Show();
    driver.Process();
    benchmark::DoNotOptimize(f->WPRichText1->TextLength());
    delete f;
  }
}
BENCHMARK(BM_OpenDataWindowOnTheLongestPerson)->Unit(benchmark::kMillisecond)->Iterations(50)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_RebuildTermineFrom10000Entries(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  ProgramDirectory dir;
  // 10 000 entries spread evenly over the days of the year (about 30 a
  // day), each with both warnings: a day lists about 90 rows.
  {
    auto t = OpenTable(kUserAlias, "EIGENES.FFD", "XEIGE_ID");
    for (int id = 1; id <= 10000; ++id) {
      const int month = 1 + id % 12, day = 1 + (id / 12) % 28;
      const TDateTime date = EncodeDate(1900 + id % 120, month, day);
      t->Append();
      t->FieldByName("EIGE_ID")->SetAsInteger(id);
      t->FieldByName("EIGE_TYP")->SetAsInteger(id % 3 ? etPerson : etEvent);
      t->FieldByName("EIGE_DATUM")->SetAsDateTime(date);
      t->FieldByName("EIGE_TAG")->SetAsInteger(day);
      t->FieldByName("EIGE_MONAT")->SetAsInteger(month);
      t->FieldByName("EIGE_JAHR")->SetAsInteger(1900 + id % 120);
      t->FieldByName("EIGE_NACHNAME")->SetAsString("Muster");
      t->FieldByName("EIGE_W0")->SetAsBoolean(true);
      t->FieldByName("EIGE_W1")->SetAsBoolean(true);
      t->FieldByName("EIGE_W1TAGE")->SetAsInteger(2);
      t->FieldByName("EIGE_W2")->SetAsBoolean(true);
      t->FieldByName("EIGE_W2TAGE")->SetAsInteger(5);
      t->FieldByName("EIGE_TERMIN1")->SetAsInteger(WarnerKey(true, date, true, 2));
      t->FieldByName("EIGE_TERMIN2")->SetAsInteger(WarnerKey(true, date, true, 5));
      t->Post();
    }
  }
  auto* f = new TfrmTermin(Application);
  f->SetDate(MakePackedDate(2025, 7, 14));
  f->Show();
  driver.Process();
  int rows = 0;
  for (auto _ : state) {
    f->FillTermine();
    rows = f->tblTerm->RecordCount();
  }
  state.counters["rows"] = rows;
  delete f;
}
BENCHMARK(BM_RebuildTermineFrom10000Entries)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_LoadTheSayingOfADay(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  ProgramDirectory dir;
  auto* s = new TfrmSpruch(Application);
  s->Show();
  driver.Process();
  int day = 0;
  for (auto _ : state) {
    CurrentDateKey = DayNumberToPackedDate(PackedDateToDayNumber(MakePackedDate(2024, 1, 1)) + day);
    day = (day + 1) % 366;
    s->LoadSpruch();
    benchmark::DoNotOptimize(s->memoSpruch->Text());
  }
  delete s;
}
BENCHMARK(BM_LoadTheSayingOfADay)->Unit(benchmark::kMicrosecond)->Iterations(2000)->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

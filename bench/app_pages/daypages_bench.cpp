// The holidays page of the busiest day of 2027 (the full-moon rules
// passed over too) and the name-day page of the day with the most names,
// rebuilt as the main window's page frame does it and painted in a shown
// window; the calendar box's sun-and-moon face painted (six rise, set and
// culmination computations).
#include <benchmark/benchmark.h>

#include "app/main/calbox.h"
#include "app/pages/ftagpage.h"
#include "app/pages/namepage.h"
#include "bench/app_pages/page_fixture.h"
#include "platform/qt/qt_host.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"

namespace {

void BM_BusiestHolidaysPage2027(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  PageBench b;
  for (bool& s : RubricDisplay[rbHolidays].Switches) s = true;
  // The day of 2027 with the most holidays.
  PackedDate busiest = MakePackedDate(2027, 1, 1);
  int most = 0;
  for (PackedDate d = busiest; PackedDateYear(d) == 2027; PackedDateNextDay(d)) {
    b.ctx.Date = d;
    b.Build(DisplayFTag);
    if (b.Paragraphs() > most) {
      most = b.Paragraphs();
      busiest = d;
    }
  }
  b.ctx.Date = busiest;
  for (auto _ : state) b.Build(DisplayFTag);
  state.counters["holidays"] = most;
  state.counters["day"] = PackedDateMonth(busiest) * 100 + PackedDateDay(busiest);
}
BENCHMARK(BM_BusiestHolidaysPage2027)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_MostNamesNameDayPage(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  PageBench b;
  for (bool& s : RubricDisplay[rbNameDays].Switches) s = true;
  const auto [day, names] = BusiestDay(b.patrons.get(), "PATR_MONAT", "PATR_TAG");
  b.ctx.Date = MakePackedDate(2027, day.first, day.second);
  for (auto _ : state) b.Build(DisplayName);
  state.counters["names"] = names;
  state.counters["day"] = day.first * 100 + day.second;
}
BENCHMARK(BM_MostNamesNameDayPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_PaintSunAndMoonFace(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  TForm* form = new TForm(Application);
  form->SetClientSize(160, 220);
  auto* box = new TPaintBox(form);
  box->SetParent(form);
  box->SetBounds(6, 6, 148, 207);
  form->Show();
  driver.Process();
  CalendarBoxDay day;
  day.Date = MakePackedDate(2027, 6, 21);
  day.Latitude = 52.52L;
  day.Longitude = -13.405L;
  for (auto _ : state) {
    PaintCalendarBox(box->Canvas(), 148, 207, 1, day);
    benchmark::ClobberMemory();
  }
  delete form;
}
BENCHMARK(BM_PaintSunAndMoonFace)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

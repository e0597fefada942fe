// The births page of the day with the most births, rebuilt as the main
// window's page frame does it (control emptied, builder, page laid out and
// painted, cursor to the start) in a shown window on the built reference
// data.
#include <benchmark/benchmark.h>

#include <map>

#include "app/pages/perspage.h"
#include "bench/app_pages/page_fixture.h"
#include "platform/qt/qt_host.h"

namespace {

void BM_RebuildBusiestBirthsPage(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  PageBench b;
  TwwTable* persons = b.persons.get();
  // The day with the most births.
  std::map<std::pair<int, int>, int> count;
  for (persons->First(); !persons->Eof(); persons->Next())
    ++count[{persons->FieldByName("PERS_GEBM")->AsInteger(), persons->FieldByName("PERS_GEBT")->AsInteger()}];
  count.erase({0, 0});
  auto busiest = count.begin();
  for (auto it = count.begin(); it != count.end(); ++it)
    if (it->second > busiest->second) busiest = it;

  for (bool& s : RubricDisplay[rbBirths].Switches) s = true;
  b.ctx.Date = MakePackedDate(2024, busiest->first.first, busiest->first.second);
  for (auto _ : state) b.Build([](const DayPageContext& ctx) { DisplayPers(ctx, dpBirths); });
  state.counters["persons"] = busiest->second;
  state.counters["chars"] = b.page->TextLength();
}
BENCHMARK(BM_RebuildBusiestBirthsPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

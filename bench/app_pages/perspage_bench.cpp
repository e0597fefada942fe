// The births page of the day with the most births, rebuilt as the main
// window's page frame does it (control emptied, builder, page laid out and
// painted, cursor to the start) in a shown window on the built reference
// data.
#include <benchmark/benchmark.h>

#include "app/pages/perspage.h"
#include "bench/app_pages/page_fixture.h"
#include "platform/qt/qt_host.h"

namespace {

void BM_RebuildBusiestBirthsPage(benchmark::State& state) {
  qthost::EnsureGuiApplication();
  PageBench b;
  const auto [day, births] = BusiestDay(b.persons.get(), "PERS_GEBM", "PERS_GEBT");
  for (bool& s : RubricDisplay[rbBirths].Switches) s = true;
  b.ctx.Date = MakePackedDate(2024, day.first, day.second);
  for (auto _ : state) b.Build([](const DayPageContext& ctx) { DisplayPers(ctx, dpBirths); });
  state.counters["persons"] = births;
  state.counters["chars"] = b.page->TextLength();
}
BENCHMARK(BM_RebuildBusiestBirthsPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

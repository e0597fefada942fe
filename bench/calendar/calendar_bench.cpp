// One year of calendar-box values for one place: moon phase, holiday name,
// zodiac sign, and the six rise, culmination and set times, as the box
// computes them when it paints a day.
#include <benchmark/benchmark.h>

#include "calendar/astro.h"
#include "calendar/holidays.h"

namespace {

constexpr long double kLatitude = 47.3769L;  // Zürich
constexpr long double kLongitude = -8.5417L;

double DayValues(const PackedDate& d) {
  double sum = MoonPhase(d) + ZodiacSignIndex(d, 0);
  sum += static_cast<double>(HolidayName(PackedDateToDayNumber(d), 0, 2).Name.size());
  const TDateTime t = PackedDateToDateTime(d);
  for (auto f : {SunRise, SunCulmination, SunSet, MoonRise, MoonCulmination, MoonSet}) {
    try {
      sum += f(t, kLatitude, kLongitude);
    } catch (const E_NoRiseSet&) {
    }
  }
  return sum;
}

void BM_CalendarBoxYear(benchmark::State& state) {
  for (auto _ : state) {
    double sum = 0;
    for (PackedDate d = MakePackedDate(2024, 1, 1); PackedDateYear(d) == 2024; PackedDateNextDay(d))
      sum += DayValues(d);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 366);
}
BENCHMARK(BM_CalendarBoxYear)->Unit(benchmark::kMillisecond);

}  // namespace

// The civil-date core: proleptic Gregorian dates and day numbers as small
// pure integer functions, without month tables and without a branch per
// month. TDateTime (platform/rtl/datetime.h), the packed date keys of the
// calendar and the calendar widgets' month grids all count days with these.
//
// Day numbers count from 1.1.0001 = day 1 (so day 0 is 31.12. of the year
// before, a Sunday). Every function is exact for all years an int64_t day
// count can hold without overflow, including years before 1; callers keep
// their own narrower ranges (TDateTime: years 1..9999).
//
// Derivation. Counting the year from 1 March puts the leap day at the very
// end of it, so a month's place in the year no longer depends on the year:
//   - the March-based month mp = 0 (March) .. 11 (February) has the lengths
//     31 30 31 30 31 | 31 30 31 30 31 | 31 28/29: five-month groups of 153
//     days, 30.6 days a month, and (153 mp + 2) / 5 is exactly the number of
//     days before month mp (0, 31, 61, 92, 122, 153, ..., 337);
//   - a March-based year has 365 days, four of them 4 * 365 + 1 = 1461, a
//     century 25 * 1461 - 1 = 36524 (its last year is no leap year), and a
//     400-year era 4 * 36524 + 1 = 146097; eras repeat exactly, so the
//     day within the era and the year within the era carry everything;
//   - 1 January is day (153 * 10 + 2) / 5 = 306 of its March-based year.
#pragma once

#include <cstdint>

namespace civil {

struct TCivilDate {
  std::int64_t Year;
  int Month;  // 1..12
  int Day;    // 1..31
  friend constexpr bool operator==(const TCivilDate&, const TCivilDate&) = default;
};

constexpr std::int64_t kDaysPerYear = 365;
constexpr std::int64_t kDaysPer4Years = 4 * kDaysPerYear + 1;        // 1461
constexpr std::int64_t kDaysPer100Years = 25 * kDaysPer4Years - 1;   // 36524
constexpr std::int64_t kDaysPer400Years = 4 * kDaysPer100Years + 1;  // 146097

// Days before March-based month `mp` (0 = March .. 11 = February) in its year.
constexpr int DaysBeforeMarchMonth(int mp) { return (153 * mp + 2) / 5; }

// The March-based month of a day within its March-based year (0..365):
// the inverse of DaysBeforeMarchMonth.
constexpr int MarchMonthOfDay(int dayOfYear) { return (5 * dayOfYear + 2) / 153; }

// Floor division: eras and years before day 0 count downwards.
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// 1 March of year 0 (the start of March-based year 0) is day number -305,
// since 1.1.0001 = day 1 lies 306 days after it.
constexpr std::int64_t kMarchZero = 1 - DaysBeforeMarchMonth(10);

constexpr bool IsLeapYear(std::int64_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Days of a month (0 for a month outside 1..12): the gap between its start
// and the next month's start in the March-based year; February is the last
// month there, so its length is what the year leaves.
constexpr int DaysInMonth(std::int64_t year, int month) {
  if (month < 1 || month > 12) return 0;
  if (month == 2) return IsLeapYear(year) ? 29 : 28;
  const int mp = (month + 9) % 12;
  return DaysBeforeMarchMonth(mp + 1) - DaysBeforeMarchMonth(mp);
}

// Day number of a date. Day and month are not validated: a day past the
// month's end runs on into the next month, day 0 is the last of the month
// before (month must be 1..12).
constexpr std::int64_t DayNumberFromCivil(std::int64_t year, int month, int day) {
  const std::int64_t y = month <= 2 ? year - 1 : year;  // March-based year
  const int mp = (month + 9) % 12;
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;  // 0..399
  const std::int64_t doe = yoe * kDaysPerYear + yoe / 4 - yoe / 100 + DaysBeforeMarchMonth(mp) + day - 1;
  return kMarchZero + era * kDaysPer400Years + doe;
}

// The date of a day number.
//   doe: the day within its 400-year era (0..146096);
//   yoe: the year within the era. Taking away one leap day per 1460 days,
//        giving one back per 36524 and taking the era's last day again
//        leaves a count that divides evenly by 365;
//   doy: the day within the March-based year, whose month is MarchMonthOfDay.
constexpr TCivilDate CivilFromDayNumber(std::int64_t dayNumber) {
  const std::int64_t z = dayNumber - kMarchZero;
  const std::int64_t era = FloorDiv(z, kDaysPer400Years);
  const std::int64_t doe = z - era * kDaysPer400Years;
  const std::int64_t yoe =
      (doe - doe / (kDaysPer4Years - 1) + doe / kDaysPer100Years - doe / (kDaysPer400Years - 1)) / kDaysPerYear;
  const int doy = static_cast<int>(doe - (yoe * kDaysPerYear + yoe / 4 - yoe / 100));
  const int mp = MarchMonthOfDay(doy);
  const int month = mp < 10 ? mp + 3 : mp - 9;
  return {era * 400 + yoe + (month <= 2 ? 1 : 0), month, doy - DaysBeforeMarchMonth(mp) + 1};
}

// 0 = Sunday .. 6 = Saturday. Day 1 (1.1.0001) was a Monday.
constexpr int Weekday(std::int64_t dayNumber) {
  return static_cast<int>(dayNumber - FloorDiv(dayNumber, 7) * 7);
}

static_assert(DaysBeforeMarchMonth(10) == 306 && kDaysPer400Years == 146097);
static_assert(DayNumberFromCivil(1, 1, 1) == 1);
static_assert(CivilFromDayNumber(1) == TCivilDate{1, 1, 1});
static_assert(DayNumberFromCivil(1899, 12, 30) == 693594);
static_assert(CivilFromDayNumber(0) == TCivilDate{0, 12, 31});
static_assert(Weekday(1) == 1);

}  // namespace civil

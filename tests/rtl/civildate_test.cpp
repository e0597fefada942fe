// The civil-date core over its whole range: every day from 1.1.0001 to
// 31.12.9999 (and a stretch before year 1) converts both ways, follows the
// previous one by exactly one calendar step, and the weekday cycles; the
// derived month lengths match the rule of the leap years.
#include <gtest/gtest.h>

#include "platform/rtl/civildate.h"

namespace {

using civil::TCivilDate;

// The calendar step after a date, spelled out without the core.
TCivilDate NextDay(TCivilDate d) {
  static const int kLen[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = d.Year % 4 == 0 && (d.Year % 100 != 0 || d.Year % 400 == 0);
  const int len = kLen[d.Month - 1] + (d.Month == 2 && leap ? 1 : 0);
  if (d.Day < len) return {d.Year, d.Month, d.Day + 1};
  if (d.Month < 12) return {d.Year, d.Month + 1, 1};
  return {d.Year + 1, 1, 1};
}

void WalkDays(TCivilDate from, std::int64_t firstDay, std::int64_t lastDay) {
  TCivilDate expected = from;
  int weekday = civil::Weekday(firstDay);
  for (std::int64_t n = firstDay; n <= lastDay; ++n) {
    const TCivilDate got = civil::CivilFromDayNumber(n);
    if (!(got == expected)) {
      ADD_FAILURE() << "day " << n << " is " << got.Day << "." << got.Month << "." << got.Year << ", expected "
                    << expected.Day << "." << expected.Month << "." << expected.Year;
      return;
    }
    if (civil::DayNumberFromCivil(got.Year, got.Month, got.Day) != n) {
      ADD_FAILURE() << "day " << n << " does not convert back";
      return;
    }
    if (civil::Weekday(n) != weekday) {
      ADD_FAILURE() << "weekday of day " << n;
      return;
    }
    weekday = (weekday + 1) % 7;
    expected = NextDay(expected);
  }
}

}  // namespace

TEST(CivilDate, EveryDayOfYears1To9999RoundTripsInCalendarOrder) {
  const std::int64_t last = civil::DayNumberFromCivil(9999, 12, 31);
  EXPECT_EQ(last, 3652059);
  WalkDays({1, 1, 1}, 1, last);
  EXPECT_EQ(civil::Weekday(1), 1);  // 1.1.0001 was a Monday
}

TEST(CivilDate, YearsBeforeOneCountOnWithoutAGap) {
  // Proleptic years 0, -1, ...: year 0 and -400 are leap years.
  const std::int64_t first = civil::DayNumberFromCivil(-800, 1, 1);
  EXPECT_EQ(first, 1 - (801 * 365 + 195));  // years -800..0, 195 of them leap years
  WalkDays({-800, 1, 1}, first, 1);
  EXPECT_EQ(civil::CivilFromDayNumber(0), (TCivilDate{0, 12, 31}));
  EXPECT_EQ(civil::CivilFromDayNumber(-365), (TCivilDate{0, 1, 1}));  // year 0 has 366 days
  EXPECT_EQ(civil::Weekday(0), 0);
  EXPECT_EQ(civil::Weekday(-1), 6);
}

TEST(CivilDate, KnownDaysFromOutside) {
  // Day numbers of dates as other calendars count them (days since 1.1.0001 + 1).
  EXPECT_EQ(civil::DayNumberFromCivil(1899, 12, 30), 693594);   // the date-time value's day 0
  EXPECT_EQ(civil::DayNumberFromCivil(1970, 1, 1), 719163);     // the Unix epoch
  EXPECT_EQ(civil::DayNumberFromCivil(1582, 10, 15), 577736);   // first day of the reform
  EXPECT_EQ(civil::Weekday(civil::DayNumberFromCivil(1582, 10, 15)), 5);  // a Friday
  EXPECT_EQ(civil::Weekday(civil::DayNumberFromCivil(2000, 2, 29)), 2);   // a Tuesday
  EXPECT_EQ(civil::Weekday(civil::DayNumberFromCivil(1970, 1, 1)), 4);    // a Thursday
}

TEST(CivilDate, DaysRunOnPastTheMonthEnd) {
  EXPECT_EQ(civil::DayNumberFromCivil(2023, 2, 29), civil::DayNumberFromCivil(2023, 3, 1));
  EXPECT_EQ(civil::DayNumberFromCivil(2024, 3, 0), civil::DayNumberFromCivil(2024, 2, 29));
  EXPECT_EQ(civil::DayNumberFromCivil(2024, 12, 32), civil::DayNumberFromCivil(2025, 1, 1));
}

TEST(CivilDate, MonthLengthsFollowTheLeapYearRule) {
  const int kLen[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int year : {1, 4, 100, 400, 1900, 2000, 2023, 2024, 2100, 9999})
    for (int m = 1; m <= 12; ++m) {
      const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
      EXPECT_EQ(civil::DaysInMonth(year, m), kLen[m - 1] + (m == 2 && leap)) << m << "/" << year;
      EXPECT_EQ(civil::IsLeapYear(year), leap) << year;
    }
  EXPECT_EQ(civil::DaysInMonth(2024, 0), 0);
  EXPECT_EQ(civil::DaysInMonth(2024, 13), 0);
  // The five-month groups of 153 days.
  EXPECT_EQ(civil::DaysBeforeMarchMonth(5), 153);
  EXPECT_EQ(civil::DaysBeforeMarchMonth(10), 306);
  for (int doy = 0; doy < 366; ++doy) {
    const int mp = civil::MarchMonthOfDay(doy);
    EXPECT_LE(civil::DaysBeforeMarchMonth(mp), doy);
    EXPECT_GT(civil::DaysBeforeMarchMonth(mp + 1), doy);
  }
}

// The packed date key and day-number arithmetic on the civil-date core
// (platform/rtl/civildate.h): no month tables, no loops over days.
#include "calendar/packeddate.h"

#include "platform/rtl/civildate.h"
#include "platform/rtl/datetime.h"

#include <cmath>
#include <ctime>
#include <string>

namespace {

// Day numbers of the span's ends (20.10.1582 and 31.12.8201).
constexpr int32_t kMinDay = 577741;
constexpr int32_t kMaxDay = 2995353;
// Day number of 30.12.1899, the date-time value's day zero.
constexpr int32_t kDateTimeDelta = DateDelta;

// Day numbers are the civil core's (1.1.0001 = day 1); the packed key's
// span fits in 32 bits.
constexpr int32_t DaysFromCivil(int32_t year, int32_t month, int32_t day) {
  return static_cast<int32_t>(civil::DayNumberFromCivil(year, month, day));
}

static_assert(DaysFromCivil(1582, 10, 20) == kMinDay);
static_assert(DaysFromCivil(8201, 12, 31) == kMaxDay);
static_assert(DaysFromCivil(1899, 12, 30) == kDateTimeDelta);

struct Civil {
  int32_t year, month, day;
};

constexpr Civil CivilFromDays(int32_t dn) {
  const civil::TCivilDate c = civil::CivilFromDayNumber(dn);
  return {static_cast<int32_t>(c.Year), c.Month, c.Day};
}

PackedDate FromCivil(const Civil& c) {
  PackedDate d;
  d.Century = static_cast<unsigned char>(c.year / 100);
  d.Year = static_cast<unsigned char>(c.year % 100);
  d.Month = static_cast<unsigned char>(c.month);
  d.Day = static_cast<unsigned char>(c.day);
  return d;
}

int32_t Clamp(int32_t dn) { return dn < kMinDay ? kMinDay : (dn > kMaxDay ? kMaxDay : dn); }

// Last Sunday of a month: the month's last day minus its weekday.
int32_t LastSundayOf(int year, int month) {
  const int32_t last = DaysFromCivil(year, month, DaysInMonth(year, month));
  return last - civil::Weekday(last);
}

}  // namespace

AnsiString PackedDate::Key() const {
  return AnsiString{static_cast<char>(Century), static_cast<char>(Year), static_cast<char>(Month),
                    static_cast<char>(Day)};
}

PackedDate PackedDate::FromKey(const AnsiString& key) {
  if (key.size() != 4) throw EConvertError("Invalid date key");
  const auto b = [&](int i) { return static_cast<unsigned char>(key[static_cast<size_t>(i)]); };
  try {
    return MakePackedDate(b(0) * 100 + b(1), b(2), b(3));
  } catch (const ERangeError&) {
    throw EConvertError("Invalid date key");
  }
}

PackedDate MakePackedDate(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1 || year < 1 || year > 9999 ||
      day > DaysInMonth(year, month))
    throw ERangeError("Invalid date " + std::to_string(day) + "." + std::to_string(month) + "." +
                      std::to_string(year));
  const int32_t dn = DaysFromCivil(year, month, day);
  if (dn < kMinDay || dn > kMaxDay)
    throw ERangeError("Date outside 20.10.1582 .. 31.12.8201");
  return FromCivil({year, month, day});
}

void DecodePackedDate(const PackedDate& d, uint16_t& year, uint16_t& month, uint16_t& day) {
  year = static_cast<uint16_t>(PackedDateYear(d));
  month = d.Month;
  day = d.Day;
}

PackedDate PackedDateMin() { return FromCivil(CivilFromDays(kMinDay)); }
PackedDate PackedDateMax() { return FromCivil(CivilFromDays(kMaxDay)); }

PackedDate TodayPackedDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return MakePackedDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

TDateTime PackedDateToDateTime(const PackedDate& d) {
  return static_cast<TDateTime>(PackedDateToDayNumber(d) - kDateTimeDelta);
}

PackedDate DateTimeToPackedDate(TDateTime t) {
  // The date part is the integer part towards zero (before 1899 the value
  // is negative and its fraction still counts forward from midnight).
  const double days = std::trunc(t);
  if (!(days >= kMinDay - kDateTimeDelta)) return PackedDateMin();  // also NaN
  if (days > kMaxDay - kDateTimeDelta) return PackedDateMax();
  return FromCivil(CivilFromDays(static_cast<int32_t>(days) + kDateTimeDelta));
}

int PackedDateYear(const PackedDate& d) { return d.Century * 100 + d.Year; }
int PackedDateMonth(const PackedDate& d) { return d.Month; }
int PackedDateDay(const PackedDate& d) { return d.Day; }

int32_t PackedDateToDayNumber(const PackedDate& d) {
  return DaysFromCivil(PackedDateYear(d), d.Month, d.Day);
}

PackedDate DayNumberToPackedDate(int32_t dayNumber) {
  if (dayNumber < kMinDay || dayNumber > kMaxDay)
    throw ERangeError("Day number outside 20.10.1582 .. 31.12.8201");
  return FromCivil(CivilFromDays(dayNumber));
}

int DayNumberWeekday(int32_t dayNumber) { return civil::Weekday(dayNumber); }

int PackedDateDaysInMonth(const PackedDate& d) { return DaysInMonth(PackedDateYear(d), d.Month); }

void PackedDatePrevDay(PackedDate& d) {
  d = FromCivil(CivilFromDays(Clamp(PackedDateToDayNumber(d) - 1)));
}

void PackedDateNextDay(PackedDate& d) {
  d = FromCivil(CivilFromDays(Clamp(PackedDateToDayNumber(d) + 1)));
}

int32_t WeekdayOnOrAfter(int weekday, int day, int month, int year) {
  const int32_t dn = DaysFromCivil(year, month, day);
  const int target = weekday % 7;  // 7 (Sunday) becomes 0
  return dn + (target - DayNumberWeekday(dn) + 7) % 7;
}

// Gregorian Easter by the anonymous algorithm of 1876:
//   a      the year's place in the 19-year lunar cycle;
//   b, c   century and year within it; d, e its leap-century count and rest;
//   f, g   the lunar correction (8 days in 25 centuries) and the solar one;
//   h      days from 21 March to the Paschal full moon (mod 30);
//   i, k   leap years and rest within the century;
//   l      days from the Paschal full moon to the following Sunday;
//   m      the exception of the epact tables that would put Easter after
//          25 April (h + l reaching 29 with a > 10).
// h + l - 7 m + 114 counts days from 31 December before March so that
// division by 31 gives the month and the rest the day.
int32_t EasterDayNumberOfYear(int year) {
  const int a = year % 19;
  const int b = year / 100, c = year % 100;
  const int d = b / 4, e = b % 4;
  const int f = (b + 8) / 25;
  const int g = (b - f + 1) / 3;
  const int h = (19 * a + b - d - g + 15) % 30;
  const int i = c / 4, k = c % 4;
  const int l = (32 + 2 * e + 2 * i - h - k) % 7;
  const int m = (a + 11 * h + 22 * l) / 451;
  const int n = h + l - 7 * m + 114;
  return DaysFromCivil(year, n / 31, n % 31 + 1);
}

int32_t EasterDayNumber(const PackedDate& d) { return EasterDayNumberOfYear(PackedDateYear(d)); }

int DayOfYear(const PackedDate& d) {
  const int year = PackedDateYear(d);
  return PackedDateToDayNumber(d) - DaysFromCivil(year, 1, 1) + 1;
}

int WeekNumber(const PackedDate& d, int weekStart) {
  const int32_t dn = PackedDateToDayNumber(d);
  const int year = PackedDateYear(d);
  if (weekStart == 1) {
    // ISO 8601: a Monday-based week belongs to the year of its Thursday.
    const int32_t thursday = dn - (DayNumberWeekday(dn) + 6) % 7 + 3;
    const int isoYear = CivilFromDays(thursday).year;
    return (thursday - DaysFromCivil(isoYear, 1, 1)) / 7 + 1;
  }
  // Sunday-based weeks; the week that holds 1 January is week 1, also when
  // it starts in December.
  const int32_t sunday = dn - DayNumberWeekday(dn);
  if (sunday + 6 >= DaysFromCivil(year + 1, 1, 1)) return 1;
  const int32_t jan1 = DaysFromCivil(year, 1, 1);
  return (sunday - (jan1 - DayNumberWeekday(jan1))) / 7 + 1;
}

AnsiString PackedDateWeekNumber(const PackedDate& d, int weekStart) {
  const int w = WeekNumber(d, weekStart);
  return (w < 10 ? " " : "") + std::to_string(w);
}

bool IsSummerTime(const PackedDate& d) {
  const int year = PackedDateYear(d);
  const int32_t dn = PackedDateToDayNumber(d);
  return dn >= LastSundayOf(year, 3) && dn < LastSundayOf(year, 10);
}

double CentralEuropeanOffset(TDateTime universal) {
  // CivilFromDays also takes the hour before the calendar's first local
  // midnight, which DayNumberToPackedDate refuses.
  const int year = CivilFromDays(static_cast<int32_t>(std::floor(universal)) + kDateTimeDelta).year;
  // The clocks change at 01:00 UT.
  const double begins = LastSundayOf(year, 3) - kDateTimeDelta + 1.0 / 24;
  const double ends = LastSundayOf(year, 10) - kDateTimeDelta + 1.0 / 24;
  return (universal >= begins && universal < ends ? 2.0 : 1.0) / 24;
}

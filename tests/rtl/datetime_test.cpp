// Date arithmetic over the whole supported range and the German date and
// time formats, both ways.
#include "platform/rtl/datetime.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {
// Each test may change the global settings; every test starts from the defaults.
class DateTimeTest : public ::testing::Test {
protected:
  void SetUp() override { ResetFormatSettings(); }
  void TearDown() override { ResetFormatSettings(); }
};
}  // namespace

TEST_F(DateTimeTest, KnownDayNumbers) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(1582, 10, 20), -115853.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);  // Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 7)), 2);   // Monday
  EXPECT_EQ(DayOfWeek(EncodeDate(1582, 10, 15)), 6);  // first Gregorian day, a Friday
  EXPECT_EQ(DayOfWeek(-1.25), 6);
}

TEST_F(DateTimeTest, EveryDayRoundTripsFrom1582To8201) {
  const int first = static_cast<int>(EncodeDate(1582, 10, 20));
  const int last = static_cast<int>(EncodeDate(8201, 12, 31));
  int y0, m0, d0;
  DecodeDate(first, y0, m0, d0);
  ASSERT_EQ(y0 * 10000 + m0 * 100 + d0, 15821020);
  int leapDays = 0;
  for (int day = first; day <= last; ++day) {
    int y, m, d;
    DecodeDate(day, y, m, d);
    // Consecutive days step through the calendar one day at a time.
    bool next = (y == y0 && m == m0 && d == d0 + 1) || (y == y0 && m == m0 + 1 && d == 1 && d0 == DaysInMonth(y0, m0)) ||
                (y == y0 + 1 && m == 1 && d == 1 && m0 == 12 && d0 == 31);
    if (day != first && !next) FAIL() << day << ": " << y << "-" << m << "-" << d;
    ASSERT_EQ(EncodeDate(y, m, d), day);
    if (m == 2 && d == 29) ++leapDays;
    y0 = y, m0 = m, d0 = d;
  }
  // Leap days from 1583 to 8201: 1655 multiples of 4, minus 66 centuries, plus 17 of 400.
  EXPECT_EQ(leapDays, 1655 - 66 + 17 - 1);
}

TEST_F(DateTimeTest, LeapYearsAndInvalidDates) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(2026));
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2100, 2), 28);
  EXPECT_EQ(DaysInMonth(2024, 13), 0);
  TDateTime dt = 123;
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, dt));
  EXPECT_EQ(dt, 123);
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, dt));
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
  EXPECT_THROW(EncodeDate(2000, 0, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  int y, m, d;
  EXPECT_THROW(DecodeDate(NAN, y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(1e12, y, m, d), EConvertError);
}

TEST_F(DateTimeTest, TimesRoundToTheMillisecond) {
  int h, n, s, z;
  DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, z);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + z, 235959999);
  TDateTime t = EncodeDate(2024, 2, 28) + EncodeTime(13, 5, 9, 250);
  DecodeTime(t, h, n, s, z);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + z, 130509250);
  // Just below midnight rounds into the next day consistently for date and time.
  TDateTime almost = EncodeDate(2024, 2, 28) + 0.9999999999;
  int y, m, d;
  DecodeDate(almost, y, m, d);
  DecodeTime(almost, h, n, s, z);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
  EXPECT_EQ(h + n + s + z, 0);
  // Before day 0 the fraction is the time of day.
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, z);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(h, 6);
}

TEST_F(DateTimeTest, IncMonthClampsToTheMonthEnd) {
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31)), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2023, 1, 31)), EncodeDate(2023, 2, 28));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 15), -13), EncodeDate(2022, 12, 15));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 11, 30), 14), EncodeDate(2026, 1, 30));
  EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2024, 5, 5) + 0.5, 1), EncodeDate(2024, 6, 5) + 0.5);
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
}

TEST_F(DateTimeTest, GermanFormats) {
  TDateTime t = EncodeDate(2026, 3, 7) + EncodeTime(8, 5, 9, 42);
  EXPECT_EQ(DateToStr(t), "07.03.2026");
  EXPECT_EQ(TimeToStr(t), "08:05:09");
  EXPECT_EQ(DateTimeToStr(t), "07.03.2026 08:05:09");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 3, 7)), "07.03.2026");
  EXPECT_EQ(FormatDateTime("dddd, d. mmmm yyyy", t), "Samstag, 7. M\xE4rz 2026");
  EXPECT_EQ(FormatDateTime("ddd dd.mm.yy", t), "Sa 07.03.26");
  EXPECT_EQ(FormatDateTime("mmm", t), "Mrz");
  EXPECT_EQ(FormatDateTime("hh:mm", t), "08:05");  // minutes after an hour
  EXPECT_EQ(FormatDateTime("h:n:s.zzz", t), "8:5:9.042");
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd", t), "2026.03.07");
  EXPECT_EQ(FormatDateTime("\"Tag\" d 'im' m", t), "Tag 7 im 3");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", EncodeTime(15, 30, 0, 0)), "3:30 pm");
  EXPECT_EQ(FormatDateTime("hh AM/PM", EncodeTime(0, 30, 0, 0)), "12 AM");
  EXPECT_EQ(FormatDateTime("ddddd t", t), "07.03.2026 08:05");
  EXPECT_EQ(DateToStr(EncodeDate(1582, 10, 20)), "20.10.1582");
  EXPECT_EQ(DateToStr(EncodeDate(812, 1, 2)), "02.01.0812");
  ShortDateFormat = "c";  // a format naming itself must not recurse forever
  EXPECT_NO_THROW(DateToStr(t));
}

TEST_F(DateTimeTest, ParsingDatesAndTimes) {
  EXPECT_EQ(StrToDate("07.03.2026"), EncodeDate(2026, 3, 7));
  EXPECT_EQ(StrToDate(" 7.3.2026 "), EncodeDate(2026, 3, 7));
  EXPECT_EQ(StrToDate("29.2.2000"), EncodeDate(2000, 2, 29));
  EXPECT_EQ(StrToDate("20.10.1582"), EncodeDate(1582, 10, 20));
  int y, m, d;
  DecodeDate(Date(), y, m, d);
  EXPECT_EQ(StrToDate("5.3"), EncodeDate(y, 3, 5));
  for (const char* bad : {"", "29.2.1900", "1.13.2000", "32.1.2000", "a.b.c", "1.1.2000x",
                          "1/1/2000", "12345.1.1", "1.1.12345", "0.1.2000", "31.4.2026"}) {
    EXPECT_THROW(StrToDate(bad), EConvertError) << bad;
    EXPECT_EQ(StrToDateDef(bad, -5.0), -5.0) << bad;
  }
  try {
    StrToDate("31.02.2026");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), CP1252("\"31.02.2026\" ist kein gültiges Datum.").str());
  }
  EXPECT_DOUBLE_EQ(StrToTime("13:45"), EncodeTime(13, 45, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("13:45:30"), EncodeTime(13, 45, 30, 0));
  EXPECT_DOUBLE_EQ(StrToTime("12:30 PM"), EncodeTime(12, 30, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("12:30 am"), EncodeTime(0, 30, 0, 0));
  for (const char* bad : {"24:00", "13:00 PM", "0:30 PM", "12", "12:", "12:60", "1:2:3:4", "x"})
    EXPECT_THROW(StrToTime(bad), EConvertError) << bad;
  EXPECT_DOUBLE_EQ(StrToDateTime("07.03.2026 08:05:09"),
                   EncodeDate(2026, 3, 7) + EncodeTime(8, 5, 9, 0));
  EXPECT_DOUBLE_EQ(StrToDateTime("07.03.2026"), EncodeDate(2026, 3, 7));
  EXPECT_THROW(StrToDateTime("07.03.2026 25:00"), EConvertError);
}

TEST_F(DateTimeTest, TwoDigitYearsUseTheCenturyWindow) {
  int cy, m, d;
  DecodeDate(Date(), cy, m, d);
  auto yearOf = [](const char* s) {
    int y, mm, dd;
    DecodeDate(StrToDate(s), y, mm, dd);
    return y;
  };
  const int century = cy - cy % 100;
  int expect = century + 99 < cy - 50 ? century + 199 : century + 99;
  EXPECT_EQ(yearOf("1.1.99"), expect);
  EXPECT_EQ(yearOf("1.1.0099"), 99);  // four digits typed: taken as written
  TwoDigitYearCenturyWindow = 0;
  EXPECT_EQ(yearOf("1.1.99"), century + 99);
  // The order of the short date format decides which number is the day.
  ShortDateFormat = "yyyy-MM-dd";
  DateSeparator = '-';
  EXPECT_EQ(StrToDate("2026-03-07"), EncodeDate(2026, 3, 7));
  EXPECT_EQ(DateToStr(EncodeDate(2026, 3, 7)), "2026-03-07");
}

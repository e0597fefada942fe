// Date keys, day numbers, Easter, weeks, summer time and date texts, checked
// against the standard library's proleptic Gregorian ordinals and ISO weeks,
// dateutil's Easter, the time zone database, and dates from wall calendars.
#include <gtest/gtest.h>

#include <string>

#include "calendar/datetexts.h"
#include "calendar/packeddate.h"
#include "platform/rtl/cp1252.h"
#include "tests/calendar/reference.h"

namespace {

int ToInt(const std::string& s) { return std::stoi(s); }

PackedDate D(int y, int m, int d) { return MakePackedDate(y, m, d); }

TEST(PackedDateTest, DayNumbersWeekdaysIsoWeeksAndDayOfYearMatchOrdinals) {
  for (const auto& r : LoadReference("ordinals.txt")) {
    const PackedDate d = D(ToInt(r[0]), ToInt(r[1]), ToInt(r[2]));
    const int32_t dn = PackedDateToDayNumber(d);
    SCOPED_TRACE(r[0] + "-" + r[1] + "-" + r[2]);
    EXPECT_EQ(dn, ToInt(r[3]));
    EXPECT_EQ(DayNumberWeekday(dn), ToInt(r[4]));
    EXPECT_EQ(WeekNumber(d, 1), ToInt(r[6]));
    EXPECT_EQ(DayOfYear(d), ToInt(r[7]));
    EXPECT_EQ(DayNumberToPackedDate(ToInt(r[3])), d);
  }
}

TEST(PackedDateTest, WholeRangeRoundTripsInKeyOrder) {
  const int32_t first = PackedDateToDayNumber(PackedDateMin());
  const int32_t last = PackedDateToDayNumber(PackedDateMax());
  EXPECT_EQ(PackedDateMin(), D(1582, 10, 20));
  EXPECT_EQ(PackedDateMax(), D(8201, 12, 31));
  PackedDate walk = PackedDateMin();
  AnsiString previousKey;
  for (int32_t dn = first; dn <= last; ++dn) {
    const PackedDate d = DayNumberToPackedDate(dn);
    ASSERT_EQ(d, walk) << dn;
    ASSERT_EQ(PackedDateToDayNumber(d), dn);
    const AnsiString key = d.Key();
    // Byte-wise order of the keys is date order.
    ASSERT_LT(previousKey, key) << dn;
    previousKey = key;
    PackedDateNextDay(walk);
  }
}

TEST(PackedDateTest, LimitsClampAndRefuse) {
  PackedDate d = PackedDateMin();
  PackedDatePrevDay(d);
  EXPECT_EQ(d, PackedDateMin());
  d = PackedDateMax();
  PackedDateNextDay(d);
  EXPECT_EQ(d, PackedDateMax());
  d = D(2024, 3, 1);
  PackedDatePrevDay(d);
  EXPECT_EQ(d, D(2024, 2, 29));
  EXPECT_THROW(D(1582, 10, 19), ERangeError);
  EXPECT_THROW(D(8202, 1, 1), ERangeError);
  EXPECT_THROW(D(2023, 2, 29), ERangeError);
  EXPECT_THROW(D(2024, 4, 31), ERangeError);
  EXPECT_THROW(DayNumberToPackedDate(PackedDateToDayNumber(PackedDateMin()) - 1), ERangeError);
  EXPECT_THROW(PackedDate::FromKey("abc"), EConvertError);
  EXPECT_THROW(PackedDate::FromKey(AnsiString("\x14\x17\x02\x1E", 4)), EConvertError);  // 30.2.2023
}

TEST(PackedDateTest, KeyBytesAndFields) {
  const PackedDate d = D(1999, 12, 31);
  EXPECT_EQ(d.Length, 4);
  EXPECT_EQ(d.Key(), AnsiString("\x13\x63\x0C\x1F", 4));
  EXPECT_EQ(PackedDate::FromKey(d.Key()), d);
  EXPECT_EQ(PackedDateYear(d), 1999);
  EXPECT_EQ(PackedDateMonth(d), 12);
  EXPECT_EQ(PackedDateDay(d), 31);
  uint16_t y, m, dd;
  DecodePackedDate(D(2000, 2, 29), y, m, dd);
  EXPECT_EQ(y, 2000);
  EXPECT_EQ(m, 2);
  EXPECT_EQ(dd, 29);
  EXPECT_EQ(PackedDateDaysInMonth(D(1900, 2, 1)), 28);
  EXPECT_EQ(PackedDateDaysInMonth(D(2000, 2, 1)), 29);
  EXPECT_EQ(PackedDateDaysInMonth(D(2023, 9, 1)), 30);
  EXPECT_EQ(PackedDateDaysInMonth(D(2023, 8, 1)), 31);
}

TEST(PackedDateTest, DateTimeValues) {
  // The date-time value counts days from 30.12.1899; 1.1.2000 is 36526.
  EXPECT_EQ(PackedDateToDateTime(D(1899, 12, 30)), 0.0);
  EXPECT_EQ(PackedDateToDateTime(D(2000, 1, 1)), 36526.0);
  EXPECT_EQ(PackedDateToDateTime(D(1800, 1, 1)), -36522.0);
  EXPECT_EQ(DateTimeToPackedDate(36526.75), D(2000, 1, 1));
  // Before 1899 the fraction still counts forward from that day's midnight.
  EXPECT_EQ(DateTimeToPackedDate(-1.25), D(1899, 12, 29));
  EXPECT_EQ(DateTimeToPackedDate(-1e9), PackedDateMin());
  EXPECT_EQ(DateTimeToPackedDate(1e9), PackedDateMax());
  const PackedDate today = TodayPackedDate();
  EXPECT_GE(PackedDateYear(today), 2020);
}

TEST(EasterTest, KnownDatesAndDateutilOverTwentyFiveCenturies) {
  EXPECT_EQ(EasterDayNumber(D(1818, 1, 1)), PackedDateToDayNumber(D(1818, 3, 22)));
  EXPECT_EQ(EasterDayNumber(D(1943, 6, 1)), PackedDateToDayNumber(D(1943, 4, 25)));
  EXPECT_EQ(EasterDayNumber(D(2000, 12, 31)), PackedDateToDayNumber(D(2000, 4, 23)));
  EXPECT_EQ(EasterDayNumber(D(2024, 1, 1)), PackedDateToDayNumber(D(2024, 3, 31)));
  EXPECT_EQ(EasterDayNumber(D(2038, 1, 1)), PackedDateToDayNumber(D(2038, 4, 25)));
  for (const auto& r : LoadReference("easter.txt")) {
    const int year = ToInt(r[0]);
    ASSERT_EQ(DayNumberToPackedDate(EasterDayNumberOfYear(year)), D(year, ToInt(r[1]), ToInt(r[2]))) << year;
  }
}

TEST(WeekTest, WeekdayOnOrAfter) {
  // 31.12.2023 was a Sunday.
  EXPECT_EQ(WeekdayOnOrAfter(7, 31, 12, 2023), PackedDateToDayNumber(D(2023, 12, 31)));
  EXPECT_EQ(WeekdayOnOrAfter(1, 31, 12, 2023), PackedDateToDayNumber(D(2024, 1, 1)));
  EXPECT_EQ(WeekdayOnOrAfter(6, 31, 12, 2023), PackedDateToDayNumber(D(2024, 1, 6)));
  // 29.2.2024 was a Thursday.
  EXPECT_EQ(WeekdayOnOrAfter(3, 29, 2, 2024), PackedDateToDayNumber(D(2024, 3, 6)));
  EXPECT_EQ(WeekdayOnOrAfter(4, 29, 2, 2024), PackedDateToDayNumber(D(2024, 2, 29)));
}

TEST(WeekTest, SundayStartCountsTheWeekOfFirstJanuary) {
  // 1.1.2022 was a Saturday: its week began on Sunday 26.12.2021.
  EXPECT_EQ(WeekNumber(D(2021, 12, 26), 0), 1);
  EXPECT_EQ(WeekNumber(D(2022, 1, 1), 0), 1);
  EXPECT_EQ(WeekNumber(D(2022, 1, 2), 0), 2);
  EXPECT_EQ(WeekNumber(D(2021, 12, 25), 0), 52);
  // 1.1.2023 was a Sunday.
  EXPECT_EQ(WeekNumber(D(2023, 1, 1), 0), 1);
  EXPECT_EQ(WeekNumber(D(2023, 1, 7), 0), 1);
  EXPECT_EQ(WeekNumber(D(2023, 1, 8), 0), 2);
  EXPECT_EQ(WeekNumber(D(2023, 12, 30), 0), 52);
  EXPECT_EQ(WeekNumber(D(2023, 12, 31), 0), 1);
  // ISO: 1.1.2021 (Friday) is in week 53 of 2020, 31.12.2024 in week 1.
  EXPECT_EQ(PackedDateWeekNumber(D(2021, 1, 1), 1), "53");
  EXPECT_EQ(PackedDateWeekNumber(D(2024, 12, 31), 1), " 1");
}

TEST(SummerTimeTest, BoundariesMatchTimeZoneDatabase) {
  for (const auto& r : LoadReference("summertime.txt")) {
    const int y = ToInt(r[0]);
    PackedDate first = D(y, ToInt(r[1]), ToInt(r[2]));
    PackedDate last = D(y, ToInt(r[3]), ToInt(r[4]));
    EXPECT_TRUE(IsSummerTime(first)) << y;
    EXPECT_TRUE(IsSummerTime(last)) << y;
    PackedDatePrevDay(first);
    PackedDateNextDay(last);
    EXPECT_FALSE(IsSummerTime(first)) << y;
    EXPECT_FALSE(IsSummerTime(last)) << y;
  }
  EXPECT_FALSE(IsSummerTime(D(2024, 1, 15)));
  EXPECT_TRUE(IsSummerTime(D(2024, 7, 15)));
}

TEST(DateTextTest, GermanNames) {
  EXPECT_EQ(MonthName(0, 8), "8.");
  EXPECT_EQ(MonthName(1, 8), "Aug.");
  EXPECT_EQ(MonthName(2, 8), "August");
  EXPECT_EQ(MonthName(1, 3), CP1252("März").str());
  EXPECT_EQ(MonthName(1, 5), "Mai");
  EXPECT_EQ(MonthName(1, 6), "Juni");
  EXPECT_EQ(MonthName(1, 7), "Juli");
  EXPECT_EQ(MonthName(1, 12), "Dez.");
  EXPECT_EQ(MonthName(2, 1), "Januar");
  for (int m = 1; m <= 12; ++m)
    for (int f = 0; f <= 2; ++f) EXPECT_LE(MonthName(f, m).size(), 9u);
  EXPECT_THROW(MonthName(2, 13), ERangeError);
  EXPECT_THROW(MonthName(3, 1), ERangeError);
  // 24.12.2024 was a Tuesday, 1.1.2023 a Sunday, 6.7.1985 a Saturday.
  EXPECT_EQ(PackedDateWeekdayName(2, D(2024, 12, 24)), "Dienstag");
  EXPECT_EQ(PackedDateWeekdayName(2, D(2023, 1, 1)), "Sonntag");
  EXPECT_EQ(PackedDateWeekdayName(2, D(1985, 7, 6)), "Samstag");
  EXPECT_EQ(PackedDateMonthName(2, D(1985, 7, 6)), "Juli");
  EXPECT_EQ(PackedDateDayText(D(1985, 7, 6)), "6");
  EXPECT_EQ(PackedDateYearText(D(1985, 7, 6)), "1985");
}

TEST(DateTextTest, ZeroPadding) {
  EXPECT_EQ(IntToStrZeroPad(5, 3), "005");
  EXPECT_EQ(IntToStrZeroPad(1234, 2), "1234");
  EXPECT_EQ(IntToStrZeroPad(0, 2), "00");
  EXPECT_EQ(IntToStrZeroPad(-5, 3), "-05");
  EXPECT_EQ(IntToStrZeroPad(-2147483647 - 1, 1), "-2147483648");
}

TEST(DateTextTest, ReplaceSubstringEveryOccurrenceOnce) {
  AnsiString s = "Vor 1 Jahr und 1 Monat";
  ReplaceSubstring(s, " 1 ", " ein ");
  EXPECT_EQ(s, "Vor ein Jahr und ein Monat");
  s = "aaa";
  ReplaceSubstring(s, "a", "aa");  // the inserted text is not searched again
  EXPECT_EQ(s, "aaaaaa");
  s = "abc";
  ReplaceSubstring(s, "", "x");
  EXPECT_EQ(s, "abc");
  ReplaceSubstring(s, "abc", "");
  EXPECT_EQ(s, "");
  // Occurrences far behind the start are found too.
  s = std::string(1000, '-') + ", Ende, " + std::string(600, '-') + ", ";
  ReplaceSubstring(s, ", ", ",\r\n");
  EXPECT_EQ(s, std::string(1000, '-') + ",\r\nEnde,\r\n" + std::string(600, '-') + ",\r\n");
}

TEST(DateTextTest, YearsAndJubilees) {
  EXPECT_EQ(YearsSinceYear(1950, D(2024, 6, 1)), 74);
  EXPECT_EQ(YearsSinceYear(2030, D(2024, 6, 1)), -6);
  std::vector<int> jubilees;
  for (int n = -5; n <= 300; ++n)
    if (IsJubileeYears(n)) jubilees.push_back(n);
  const std::vector<int> expected = {5,  10, 15, 20, 25,  30,  40,  50,  60,  70,
                                     75, 80, 90, 100, 125, 150, 175, 200, 250, 300};
  EXPECT_EQ(jubilees, expected);
}

}  // namespace

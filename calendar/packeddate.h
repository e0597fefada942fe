// The packed date key and the calendar arithmetic built on it.
//
// A PackedDate is the four-byte key of a Gregorian date: century, year within
// the century, month, day, preceded by a length byte that always holds 4. The
// bytes compare in date order, so the key sorts and ranges like the date
// itself. Every routine here is a pure function of its arguments (only
// TodayPackedDate reads the clock), and keys stay inside 20.10.1582 ..
// 31.12.8201, the span the calendar accepts.
//
// Day numbers count days from 1 January of year 1 of the proleptic Gregorian
// calendar (day 1); they are what the date-time value holds plus 693594, and
// day number mod 7 is the weekday with 0 for Sunday.
#pragma once

#include <compare>
#include <cstdint>

#include "platform/rtl/datetime.h"
#include "platform/rtl/exceptions.h"

struct PackedDate {
  unsigned char Length = 4;
  unsigned char Century = 0;
  unsigned char Year = 0;  // within the century, 0..99
  unsigned char Month = 0;
  unsigned char Day = 0;

  // The key as stored in index ranges: the four date bytes.
  AnsiString Key() const;
  static PackedDate FromKey(const AnsiString& key);  // raises EConvertError

  auto operator<=>(const PackedDate&) const = default;
};

// Builds a key; raises ERangeError when the date does not exist or lies
// outside the calendar's span.
PackedDate MakePackedDate(int year, int month, int day);
// Splits a key into its full year, month and day.
void DecodePackedDate(const PackedDate& d, uint16_t& year, uint16_t& month, uint16_t& day);

PackedDate PackedDateMin();  // 20.10.1582
PackedDate PackedDateMax();  // 31.12.8201

PackedDate TodayPackedDate();
TDateTime PackedDateToDateTime(const PackedDate& d);
// The date part of the value; dates outside the span are clamped to it.
PackedDate DateTimeToPackedDate(TDateTime t);

int PackedDateYear(const PackedDate& d);
int PackedDateMonth(const PackedDate& d);
int PackedDateDay(const PackedDate& d);

int32_t PackedDateToDayNumber(const PackedDate& d);
// Raises ERangeError for day numbers outside the calendar's span.
PackedDate DayNumberToPackedDate(int32_t dayNumber);
int DayNumberWeekday(int32_t dayNumber);  // 0 Sunday .. 6 Saturday

int PackedDateDaysInMonth(const PackedDate& d);

// Move one day back or on, in place, stopping at the span's ends.
void PackedDatePrevDay(PackedDate& d);
void PackedDateNextDay(PackedDate& d);

// Day number of the first `weekday` (1 Monday .. 7 Sunday) on or after
// day.month.year.
int32_t WeekdayOnOrAfter(int weekday, int day, int month, int year);
// Easter Sunday of the key's year (Gregorian rule).
int32_t EasterDayNumber(const PackedDate& d);
int32_t EasterDayNumberOfYear(int year);
int DayOfYear(const PackedDate& d);  // 1 January is 1
// Calendar week as two-character text (leading blank below 10). Week start 1
// is Monday with ISO weeks; any other value is Sunday with week 1 being the
// week that holds 1 January.
AnsiString PackedDateWeekNumber(const PackedDate& d, int weekStart);
int WeekNumber(const PackedDate& d, int weekStart);
// Central European summer time by date: from the last Sunday of March
// (inclusive) to the last Sunday of October (exclusive).
bool IsSummerTime(const PackedDate& d);
// Central European time less universal time at an instant given in
// universal time, in days: two hours from 01:00 UT of the last Sunday of
// March to 01:00 UT of the last Sunday of October, one hour otherwise.
double CentralEuropeanOffset(TDateTime universal);

// Dates and times as the windowing library keeps them, with the German/Swiss
// format settings the program runs under. A TDateTime counts days since
// 30.12.1899 (day 0); the fraction is the time of day. For values before day 0
// the integer part is the (negative) day and the absolute fraction the time,
// so -1.25 is 29.12.1899 06:00. Valid calendar years are 1..9999 (proleptic
// Gregorian); encoding outside that raises EConvertError.
#pragma once

#include <string_view>

#include "platform/rtl/exceptions.h"

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

// ---------------------------------------------------------------------------
// Global format settings. They start with the German/Swiss values below,
// whatever the machine's locale; the program may set them (and does, at start).
extern AnsiString ShortDateFormat;  // "dd.MM.yyyy"
extern AnsiString LongDateFormat;   // "dddd, d. MMMM yyyy"
extern AnsiString ShortTimeFormat;  // "hh:mm"
extern AnsiString LongTimeFormat;   // "hh:mm:ss"
extern char DateSeparator;          // '.'
extern char TimeSeparator;          // ':'
extern AnsiString TimeAMString;     // "" (24-hour clock)
extern AnsiString TimePMString;     // ""
extern AnsiString ShortMonthNames[12];  // "Jan" .. "Dez", Windows-1252
extern AnsiString LongMonthNames[12];   // "Januar" .. "Dezember"
extern AnsiString ShortDayNames[7];     // Sunday first: "So" .. "Sa"
extern AnsiString LongDayNames[7];      // "Sonntag" .. "Samstag"
// A two-digit year typed into StrToDate becomes the first year ending in those
// digits that is not before (current year - window); 0 means the current
// century. Start value 50.
extern int TwoDigitYearCenturyWindow;

// Restores every setting above to the German/Swiss start values.
void ResetFormatSettings();

// ---------------------------------------------------------------------------
constexpr int MSecsPerDay = 86400000;
constexpr int DateDelta = 693594;  // days from 1.1.0001 to 30.12.1899

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // 0 for a month outside 1..12

bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out);
// Raise EConvertError on an invalid date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
// A non-finite value or one beyond the year 9999 raises EConvertError.
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime dt);
// The same day `months` months later (or earlier); a day beyond the end of
// the target month becomes its last day. The time of day is kept.
TDateTime IncMonth(TDateTime dt, int months = 1);

// The local clock.
TDateTime Date();
TDateTime Time();
TDateTime Now();

// ---------------------------------------------------------------------------
// Text conversions with the settings above.

// Specifiers (letter case ignored): c, d, dd, ddd, dddd, ddddd, dddddd, m, mm,
// mmm, mmmm (minutes right after an hour), yy, yyyy, h, hh, n, nn, s, ss, z,
// zzz, t, tt, am/pm, a/p, ampm, "/" (DateSeparator), ":" (TimeSeparator), and
// literal text in quotes.
AnsiString FormatDateTime(std::string_view format, TDateTime dt);
AnsiString DateToStr(TDateTime dt);      // ShortDateFormat: "07.12.2026"
AnsiString TimeToStr(TDateTime dt);      // LongTimeFormat: "08:05:09"
AnsiString DateTimeToStr(TDateTime dt);  // date, and the time when not midnight

// Day, month and year in the order of ShortDateFormat, separated by
// DateSeparator; with only two numbers the current year. Blanks around are
// allowed. Raise EConvertError (TConvertKind::Date, Time or DateTime; a
// date and time without a time is named a date).
TDateTime StrToDate(std::string_view s);
TDateTime StrToTime(std::string_view s);  // h:n[:s[.z]] [AM/PM]
TDateTime StrToDateTime(std::string_view s);
bool TryStrToDate(std::string_view s, TDateTime& out);
bool TryStrToTime(std::string_view s, TDateTime& out);
bool TryStrToDateTime(std::string_view s, TDateTime& out);
TDateTime StrToDateDef(std::string_view s, TDateTime def);

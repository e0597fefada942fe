// German date texts and the small text helpers that go with them. All texts
// are Windows-1252; the forms are 0 numeric or short, 1 abbreviated, 2 full.
#pragma once

#include "calendar/packeddate.h"

// Form 0 "1." .. "12.", form 1 "Jan." .. "Dez." ("März", "Mai", "Juni",
// "Juli" written out), form 2 "Januar" .. "Dezember". Raises ERangeError for
// a month or form out of range.
AnsiString MonthName(int form, int month);
AnsiString PackedDateMonthName(int form, const PackedDate& d);
// Form 0 "So" .. "Sa", form 1 "So." .. "Sa.", form 2 "Sonntag" .. "Samstag".
AnsiString WeekdayName(int form, int weekday);  // weekday 0 Sunday .. 6
AnsiString PackedDateWeekdayName(int form, const PackedDate& d);
AnsiString PackedDateDayText(const PackedDate& d);   // "1" .. "31"
AnsiString PackedDateYearText(const PackedDate& d);  // "1582" .. "8201"

// Decimal text of at least `width` characters, zeros after the sign.
AnsiString IntToStrZeroPad(int value, int width);
// Replaces every occurrence of oldText from left to right; the search goes on
// behind each inserted text, so the replacement is never searched again. An
// empty oldText changes nothing.
void ReplaceSubstring(AnsiString& text, const AnsiString& oldText, const AnsiString& newText);

// The current date key's year minus `year`.
int YearsSinceYear(int year, const PackedDate& currentDateKey);
// A round number of years worth a jubilee mark: a multiple of 5 below 20, of
// 10 below 100, of 25 below 200, or of 50 (so 25, 75 and 150 count too).
bool IsJubileeYears(int n);

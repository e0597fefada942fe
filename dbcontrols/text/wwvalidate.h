// Checking and converting what a user typed into a date, time or number
// before it goes into a field, and finding the part of a date or time under
// the caret (which a spin button steps). Every routine follows the format
// settings of platform/rtl/datetime.h and sysutils.h (short date format, date
// and time separators, AM/PM texts, decimal separator, short month names) and
// answers a plain result: none raises for a bad text.
//
// Scanning rules: positions count from 1 and every scan skips blanks first.
// A number is at most four digits (digits are taken while the value so far is
// at most 999), or, where there is no digit, the three letters of a short
// month name. A two-digit year (99 or less) is a year of the 1900s; a date
// without a year lies in the current year.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/rtl/datetime.h"

class TCustomEdit;

// Order of day, month and year in a date format: the first of the letters D,
// M, Y (any case) decides.
enum TwwDateOrder { doMDY = 0, doDMY = 1, doYMD = 2 };
TwwDateOrder wwDateOrder(std::string_view format);

// Parts of a date or time text.
enum TwwDatePart { dpDay = 0, dpMonth = 1, dpYear = 2, dpHour = 3, dpMinute = 4, dpSecond = 5, dpAMPM = 6 };

// False when the parts make no date (year 1..9999) or time.
bool wwTryEncodeDate(uint16_t year, uint16_t month, uint16_t day, TDateTime& date);
bool wwTryEncodeTime(uint16_t hour, uint16_t min, uint16_t sec, uint16_t msec, TDateTime& time);
// Day stepping inside a month: 1 after the last day, the last day before 1.
int wwNextDay(int year, int month, int day);
int wwPriorDay(int year, int month, int day);

// A date (or time) at `pos`; on success `pos` stands behind it and the blanks
// that follow. The end of the text is not required.
bool wwScanDate(std::string_view text, int& pos, TDateTime& date);
bool wwScanTime(std::string_view text, int& pos, TDateTime& time);
// A date from the start of the text, whatever follows it.
bool wwScanDateAtStart(std::string_view text, TDateTime& date);

// Whole texts.
bool wwIsValidDate(std::string_view text);
bool wwIsValidTime(std::string_view text);
// A date followed by a time, nothing left over.
bool wwIsValidDateTime(std::string_view text);
// Date plus time as wwIsValidDateTime accepts them; 0 for any other text.
TDateTime wwStrToDateTime(std::string_view text);
// A date written as the desktop's other common form, year-month-day with
// hyphens ("2001-08-07"), in the short date format's order with its
// separator and two-digit day and month ("07.08.2001"); any other text as
// it stands.
AnsiString wwDateFromIso(const AnsiString& text);
// Empty, or digits with an optional leading "-" ("-" alone is not).
bool wwIsValidInteger(std::string_view text);
// Empty, or a number the platform's conversion accepts ("1.234,56").
bool wwIsValidFloat(std::string_view text);

// The part under the caret; `caret` counts the characters before it (an
// edit's SelStart). Without `timeOnly` the caret is in the date while fewer
// characters than the date's lie before it (a caret on the blank behind the
// date is in the time); a text that does not begin with a date is a date
// altogether. In the date the separators before the caret count the piece;
// in the time likewise hour, minute and second, and a caret more than two
// characters behind a second separator is on the AM/PM marker.
TwwDatePart wwDatePartAtPos(int caret, std::string_view text, bool timeOnly);
// The time half of wwDatePartAtPos, on a text of a time alone.
TwwDatePart wwTimePartAtPos(int caret, std::string_view text);
// Selects the characters of that part in the edit.
void wwSelectDatePart(TwwDatePart part, TCustomEdit* edit, bool timeOnly);

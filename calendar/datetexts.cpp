// German date texts: fixed tables of at most nine characters per entry.
#include "calendar/datetexts.h"

#include <string>
#include <string_view>

#include "platform/rtl/cp1252.h"

namespace {

constexpr auto kMaerz = CP1252("März");

const std::string_view kMonthNames[12][3] = {
    {"1.", "Jan.", "Januar"},   {"2.", "Feb.", "Februar"},  {"3.", kMaerz.view(), kMaerz.view()},
    {"4.", "Apr.", "April"},    {"5.", "Mai", "Mai"},       {"6.", "Juni", "Juni"},
    {"7.", "Juli", "Juli"},     {"8.", "Aug.", "August"},   {"9.", "Sep.", "September"},
    {"10.", "Okt.", "Oktober"}, {"11.", "Nov.", "November"}, {"12.", "Dez.", "Dezember"}};

const std::string_view kWeekdayNames[7][3] = {
    {"So", "So.", "Sonntag"},  {"Mo", "Mo.", "Montag"},  {"Di", "Di.", "Dienstag"},
    {"Mi", "Mi.", "Mittwoch"}, {"Do", "Do.", "Donnerstag"}, {"Fr", "Fr.", "Freitag"},
    {"Sa", "Sa.", "Samstag"}};

void CheckForm(int form) {
  if (form < 0 || form > 2) throw ERangeError("Name form out of range");
}

}  // namespace

AnsiString MonthName(int form, int month) {
  CheckForm(form);
  if (month < 1 || month > 12) throw ERangeError("Month out of range");
  return AnsiString(kMonthNames[month - 1][form]);
}

AnsiString PackedDateMonthName(int form, const PackedDate& d) { return MonthName(form, d.Month); }

AnsiString WeekdayName(int form, int weekday) {
  CheckForm(form);
  if (weekday < 0 || weekday > 6) throw ERangeError("Weekday out of range");
  return AnsiString(kWeekdayNames[weekday][form]);
}

AnsiString PackedDateWeekdayName(int form, const PackedDate& d) {
  return WeekdayName(form, DayNumberWeekday(PackedDateToDayNumber(d)));
}

AnsiString PackedDateDayText(const PackedDate& d) { return std::to_string(d.Day); }

AnsiString PackedDateYearText(const PackedDate& d) { return IntToStrZeroPad(PackedDateYear(d), 4); }

AnsiString IntToStrZeroPad(int value, int width) {
  const bool negative = value < 0;
  // Through 64 bits so that the lowest int has a magnitude too.
  std::string digits = std::to_string(negative ? -static_cast<int64_t>(value) : value);
  const int pad = width - static_cast<int>(digits.size()) - (negative ? 1 : 0);
  if (pad > 0) digits.insert(0, static_cast<size_t>(pad), '0');
  return negative ? "-" + digits : digits;
}

void ReplaceSubstring(AnsiString& text, const AnsiString& oldText, const AnsiString& newText) {
  if (oldText.empty()) return;
  size_t at = text.find(oldText);
  if (at == std::string::npos) return;
  // Build the result in one pass instead of shifting the tail each time.
  AnsiString out;
  out.reserve(text.size());
  size_t from = 0;
  while (at != std::string::npos) {
    out.append(text, from, at - from);
    out += newText;
    from = at + oldText.size();
    at = text.find(oldText, from);
  }
  out.append(text, from, std::string::npos);
  text.swap(out);
}

int YearsSinceYear(int year, const PackedDate& currentDateKey) {
  return PackedDateYear(currentDateKey) - year;
}

bool IsJubileeYears(int n) {
  if (n < 1) return false;
  return (n < 20 && n % 5 == 0) || (n < 100 && n % 10 == 0) || (n < 200 && n % 25 == 0) ||
         n % 50 == 0;
}

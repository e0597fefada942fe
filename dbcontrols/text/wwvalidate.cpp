// Date, time and number validation of the data-aware controls (see
// wwvalidate.h). The calendar arithmetic is the runtime library's.
#include "dbcontrols/text/wwvalidate.h"

#include "platform/rtl/sysutils.h"
#include "platform/ui/stdctrls.h"

namespace {

// One pass over a text; pos counts from 1.
struct TScan {
  std::string_view text;
  int pos;

  int Length() const { return static_cast<int>(text.size()); }
  char At(int p) const { return p >= 1 && p <= Length() ? text[static_cast<size_t>(p - 1)] : '\0'; }
  void SkipBlanks() {
    while (pos <= Length() && At(pos) == ' ') ++pos;
  }
  bool Number(int& n) {
    SkipBlanks();
    int start = pos, v = 0;
    // At most four digits: a fifth belongs to whatever follows.
    while (pos <= Length() && IsDigit(At(pos)) && v <= 999) v = v * 10 + (At(pos++) - '0');
    if (pos > start) {
      n = v;
      return true;
    }
    if (pos + 2 > Length()) return false;
    AnsiString three = AnsiUpperCase(text.substr(static_cast<size_t>(pos - 1), 3));
    for (int m = 0; m < 12; ++m) {
      if (AnsiUpperCase(std::string_view(ShortMonthNames[m]).substr(0, 3)) == three) {
        n = m + 1;
        pos += 3;
        return true;
      }
    }
    return false;
  }
  // A failed match leaves the position where it was.
  bool Char(char c) {
    int saved = pos;
    SkipBlanks();
    if (At(pos) != c) return pos = saved, false;
    ++pos;
    return true;
  }
  bool String(std::string_view s) {
    int saved = pos;
    SkipBlanks();
    if (s.empty() || pos + static_cast<int>(s.size()) - 1 > Length() ||
        AnsiUpperCase(text.substr(static_cast<size_t>(pos - 1), s.size())) != AnsiUpperCase(s))
      return pos = saved, false;
    pos += static_cast<int>(s.size());
    return true;
  }
};

// The date at the scan's position; `end` is where its last number ended
// (before the blanks that the scan then skips).
bool ScanDate(TScan& s, TDateTime& date, int* end) {
  int n1, n2, n3;
  if (!s.Number(n1) || !s.Char(DateSeparator) || !s.Number(n2)) return false;
  int year, month, day;
  TwwDateOrder order = wwDateOrder(ShortDateFormat);
  if (s.Char(DateSeparator)) {
    if (!s.Number(n3)) return false;
    if (order == doMDY) month = n1, day = n2, year = n3;
    else if (order == doDMY) day = n1, month = n2, year = n3;
    else year = n1, month = n2, day = n3;
    if (year <= 99) year += 1900;
  } else {
    int unused;
    DecodeDate(Date(), year, month, unused);
    if (order == doDMY) day = n1, month = n2;
    else month = n1, day = n2;
  }
  if (end) *end = s.pos;
  s.SkipBlanks();
  return wwTryEncodeDate(static_cast<uint16_t>(year), static_cast<uint16_t>(month), static_cast<uint16_t>(day), date);
}

bool ScanTime(TScan& s, TDateTime& time) {
  int hour, minute, second = 0;
  if (!s.Number(hour) || !s.Char(TimeSeparator) || !s.Number(minute)) return false;
  if (s.Char(TimeSeparator) && !s.Number(second)) return false;
  bool am = s.String(TimeAMString) || s.String("AM");
  bool pm = !am && (s.String(TimePMString) || s.String("PM"));
  if (am || pm) {
    if (hour == 0 || hour > 12) return false;
    if (hour == 12) hour = 0;
    if (pm) hour += 12;
  }
  s.SkipBlanks();
  return wwTryEncodeTime(static_cast<uint16_t>(hour), static_cast<uint16_t>(minute), static_cast<uint16_t>(second), 0,
                         time);
}

// Number of characters of the date at the start of the text (without the
// blanks behind it), or -1 when the text does not begin with a date.
int DateLength(std::string_view text) {
  TScan s{text, 1};
  TDateTime d;
  int end = 0;
  if (!ScanDate(s, d, &end)) return -1;
  return end - 1;
}

// Piece of a date (0, 1, 2) in the order of the short date format.
int DatePiece(TwwDatePart part) {
  switch (wwDateOrder(ShortDateFormat)) {
    case doMDY: return part == dpMonth ? 0 : part == dpDay ? 1 : 2;
    case doDMY: return part == dpDay ? 0 : part == dpMonth ? 1 : 2;
    default: return part == dpYear ? 0 : part == dpMonth ? 1 : 2;
  }
}

TwwDatePart DatePartOfPiece(int piece) {
  switch (wwDateOrder(ShortDateFormat)) {
    case doMDY: return piece == 0 ? dpMonth : piece == 1 ? dpDay : dpYear;
    case doDMY: return piece == 0 ? dpDay : piece == 1 ? dpMonth : dpYear;
    default: return piece == 0 ? dpYear : piece == 1 ? dpMonth : dpDay;
  }
}

// The time part of a caret in a time text that starts at `from` (0-based).
TwwDatePart TimePartAt(int caret, std::string_view text, int from) {
  int seps = 0, second = -1;
  for (int i = from; i < caret && i < static_cast<int>(text.size()); ++i) {
    if (text[static_cast<size_t>(i)] == TimeSeparator && ++seps == 2) second = i;
  }
  if (seps == 0) return dpHour;
  if (seps == 1) return dpMinute;
  if (seps == 2 && caret - (second + 1) > 2) return dpAMPM;
  return dpSecond;
}

}  // namespace

TwwDateOrder wwDateOrder(std::string_view format) {
  for (char c : format) {
    switch (UpCase(c)) {
      case 'D': return doDMY;
      case 'M': return doMDY;
      case 'Y': return doYMD;
      default: break;
    }
  }
  return doMDY;
}

AnsiString wwDateFromIso(const AnsiString& text) {
  AnsiString part[3];
  int n = 0;
  for (char c : text) {
    if (c == '-' && n < 2 && !part[n].empty()) ++n;
    else if (c >= '0' && c <= '9' && part[n].size() < (n == 0 ? 4u : 2u)) part[n] += c;
    else return text;
  }
  if (n < 2 || part[0].size() != 4 || part[2].empty()) return text;
  const AnsiString year = part[0], month = part[1].size() == 1 ? "0" + part[1] : part[1],
                   day = part[2].size() == 1 ? "0" + part[2] : part[2];
  const AnsiString sep(1, DateSeparator);
  switch (wwDateOrder(ShortDateFormat)) {
    case doDMY: return day + sep + month + sep + year;
    case doMDY: return month + sep + day + sep + year;
    default: return year + sep + month + sep + day;
  }
}

bool wwTryEncodeDate(uint16_t year, uint16_t month, uint16_t day, TDateTime& date) {
  return TryEncodeDate(year, month, day, date);
}

bool wwTryEncodeTime(uint16_t hour, uint16_t min, uint16_t sec, uint16_t msec, TDateTime& time) {
  return TryEncodeTime(hour, min, sec, msec, time);
}

int wwNextDay(int year, int month, int day) { return day >= DaysInMonth(year, month) ? 1 : day + 1; }

int wwPriorDay(int year, int month, int day) { return day <= 1 ? DaysInMonth(year, month) : day - 1; }

bool wwScanDate(std::string_view text, int& pos, TDateTime& date) {
  TScan s{text, pos};
  if (!ScanDate(s, date, nullptr)) return false;
  pos = s.pos;
  return true;
}

bool wwScanTime(std::string_view text, int& pos, TDateTime& time) {
  TScan s{text, pos};
  if (!ScanTime(s, time)) return false;
  pos = s.pos;
  return true;
}

bool wwScanDateAtStart(std::string_view text, TDateTime& date) {
  int pos = 1;
  return wwScanDate(text, pos, date);
}

bool wwIsValidDate(std::string_view text) {
  int pos = 1;
  TDateTime d;
  return wwScanDate(text, pos, d) && pos > static_cast<int>(text.size());
}

bool wwIsValidTime(std::string_view text) {
  int pos = 1;
  TDateTime t;
  return wwScanTime(text, pos, t) && pos > static_cast<int>(text.size());
}

bool wwIsValidDateTime(std::string_view text) {
  int pos = 1;
  TDateTime d, t;
  return wwScanDate(text, pos, d) && wwScanTime(text, pos, t) && pos > static_cast<int>(text.size());
}

TDateTime wwStrToDateTime(std::string_view text) {
  int pos = 1;
  TDateTime d, t;
  if (!wwScanDate(text, pos, d) || !wwScanTime(text, pos, t) || pos <= static_cast<int>(text.size())) return 0;
  // Before day 0 the time is the fraction's absolute value.
  return d >= 0 ? d + t : d - t;
}

bool wwIsValidInteger(std::string_view text) {
  if (text.empty()) return true;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (!IsDigit(text[i])) return false;
  return true;
}

bool wwIsValidFloat(std::string_view text) {
  double v;
  return text.empty() || TryStrToFloat(text, v);
}

TwwDatePart wwDatePartAtPos(int caret, std::string_view text, bool timeOnly) {
  if (timeOnly) return TimePartAt(caret, text, 0);
  int dateLength = DateLength(text);
  if (dateLength < 0 || caret < dateLength) {
    int seps = 0;
    for (int i = 0; i < caret && i < static_cast<int>(text.size()); ++i) seps += text[static_cast<size_t>(i)] == DateSeparator;
    return DatePartOfPiece(seps > 2 ? 2 : seps);
  }
  return TimePartAt(caret, text, dateLength);
}

TwwDatePart wwTimePartAtPos(int caret, std::string_view text) { return TimePartAt(caret, text, 0); }

void wwSelectDatePart(TwwDatePart part, TCustomEdit* edit, bool timeOnly) {
  const AnsiString text = edit->Text();
  const int len = static_cast<int>(text.size());
  auto select = [&](int start, int end) {
    edit->SetSelStart(start);
    edit->SetSelLength(end - start);
  };
  // Walks the pieces between `sep` from `from` to `to`; selects piece `index`.
  auto selectPiece = [&](int from, int to, char sep, int index) {
    int start = from;
    for (int k = 0; k < index; ++k) {
      while (start < to && text[static_cast<size_t>(start)] != sep) ++start;
      if (start >= to) return select(to, to);
      ++start;
    }
    while (start < to && text[static_cast<size_t>(start)] == ' ') ++start;
    int end = start;
    while (end < to && text[static_cast<size_t>(end)] != sep && text[static_cast<size_t>(end)] != ' ') ++end;
    select(start, end);
  };
  int dateLength = timeOnly ? -1 : DateLength(text);
  if (part <= dpYear) {
    if (timeOnly) return select(0, 0);
    return selectPiece(0, dateLength < 0 ? len : dateLength, DateSeparator, DatePiece(part));
  }
  int from = dateLength < 0 ? 0 : dateLength;
  while (from < len && text[static_cast<size_t>(from)] == ' ') ++from;
  if (part != dpAMPM) return selectPiece(from, len, TimeSeparator, part - dpHour);
  // The marker: what follows the last number of the time.
  int start = from;
  while (start < len && (IsDigit(text[static_cast<size_t>(start)]) || text[static_cast<size_t>(start)] == TimeSeparator ||
                         text[static_cast<size_t>(start)] == ' '))
    ++start;
  select(start, len);
}

// Date arithmetic and German date/time formats. Day numbers come from the
// civil-date core (platform/rtl/civildate.h), so every date of the proleptic
// Gregorian calendar converts exactly and without tables.
#include "platform/rtl/datetime.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/rtl/civildate.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

AnsiString ShortDateFormat;
AnsiString LongDateFormat;
AnsiString ShortTimeFormat;
AnsiString LongTimeFormat;
char DateSeparator = '.';
char TimeSeparator = ':';
AnsiString TimeAMString;
AnsiString TimePMString;
AnsiString ShortMonthNames[12];
AnsiString LongMonthNames[12];
AnsiString ShortDayNames[7];
AnsiString LongDayNames[7];
int TwoDigitYearCenturyWindow = 50;

void ResetFormatSettings() {
  ShortDateFormat = "dd.MM.yyyy";
  LongDateFormat = "dddd, d. MMMM yyyy";
  ShortTimeFormat = "hh:mm";
  LongTimeFormat = "hh:mm:ss";
  DateSeparator = '.';
  TimeSeparator = ':';
  TimeAMString.clear();
  TimePMString.clear();
  static const char* const kShortMonths[12] = {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun",
                                               "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
  static const AnsiString kLongMonths[12] = {
      "Januar", "Februar", "M\xE4rz",    "April",   "Mai",      "Juni",
      "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
  static const char* const kShortDays[7] = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
  static const char* const kLongDays[7] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                                           "Donnerstag", "Freitag", "Samstag"};
  for (int i = 0; i < 12; ++i) {
    ShortMonthNames[i] = kShortMonths[i];
    LongMonthNames[i] = kLongMonths[i];
  }
  for (int i = 0; i < 7; ++i) {
    ShortDayNames[i] = kShortDays[i];
    LongDayNames[i] = kLongDays[i];
  }
  TwoDigitYearCenturyWindow = 50;
}

namespace {

// Runs the start values in before main(); every global above is defined in
// this file, so their construction precedes this one.
[[maybe_unused]] const bool kSettingsReady = (ResetFormatSettings(), true);

constexpr int64_t kMinDay = -693593;  // 1.1.0001
constexpr int64_t kMaxDay = 2958465;  // 31.12.9999

// TDateTime day numbers are the civil core's, shifted to 30.12.1899 = 0.
int64_t DaysFromCivil(int64_t y, int m, int d) { return civil::DayNumberFromCivil(y, m, d) - DateDelta; }

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  const civil::TCivilDate c = civil::CivilFromDayNumber(z + DateDelta);
  y = static_cast<int>(c.Year);
  m = c.Month;
  d = c.Day;
}

// Day and millisecond of the day of a value, rounded to the millisecond as
// one number so that 23:59:59.9996 becomes the next day's midnight.
struct Stamp {
  int64_t day;
  int ms;
};

[[noreturn]] void RaiseBadDate() {
  throw EConvertError(CP1252("Jahr, Monat und Tag ergeben kein gültiges Datum.").str());
}

Stamp ToStamp(TDateTime dt) {
  if (!std::isfinite(dt) || dt < kMinDay - 1 || dt > kMaxDay + 1)
    throw EConvertError(CP1252("Der Wert ").str() + FloatToStr(dt) + CP1252(" ist kein gültiger Zeitpunkt.").str());
  int64_t total = std::llround(std::fabs(dt) * MSecsPerDay);
  Stamp s{total / MSecsPerDay, static_cast<int>(total % MSecsPerDay)};
  if (dt < 0) s.day = -s.day;
  return s;
}

TDateTime Compose(double day, double time) { return day >= 0 ? day + time : day - time; }

void LocalNow(int& y, int& mo, int& d, int& h, int& mi, int& s, int& ms) {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  y = tm.tm_year + 1900;
  mo = tm.tm_mon + 1;
  d = tm.tm_mday;
  h = tm.tm_hour;
  mi = tm.tm_min;
  s = tm.tm_sec;
  ms = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
}

int CurrentYear() {
  int y, mo, d, h, mi, s, ms;
  LocalNow(y, mo, d, h, mi, s, ms);
  return y;
}

// ---------------------------------------------------------------------------
// Parsing.
struct Scanner {
  std::string_view s;
  size_t pos = 0;
  void Blanks() {
    while (pos < s.size() && s[pos] == ' ') ++pos;
  }
  bool Number(int& out, int& len) {
    Blanks();
    size_t start = pos;
    int64_t v = 0;
    while (pos < s.size() && IsDigit(s[pos]) && pos - start < 9) v = v * 10 + (s[pos++] - '0');
    len = static_cast<int>(pos - start);
    if (len == 0 || (pos < s.size() && IsDigit(s[pos]))) return false;
    out = static_cast<int>(v);
    return true;
  }
  bool Char(char c) {
    Blanks();
    if (pos < s.size() && s[pos] == c) {
      ++pos;
      return true;
    }
    return false;
  }
  bool Word(std::string_view w) {
    Blanks();
    if (w.empty() || s.size() - pos < w.size() || !AnsiSameText(s.substr(pos, w.size()), w))
      return false;
    pos += w.size();
    return true;
  }
  bool AtEnd() {
    Blanks();
    return pos >= s.size();
  }
};

// 0 month first, 1 day first, 2 year first: the first of D, M, Y in the format.
int DateOrder() {
  for (char c : ShortDateFormat) {
    char u = UpCase(c);
    if (u == 'D') return 1;
    if (u == 'M') return 0;
    if (u == 'Y') return 2;
  }
  return 1;
}

bool ScanDate(Scanner& sc, TDateTime& out) {
  int n1, n2, n3 = 0, l1, l2, l3 = 0;
  if (!sc.Number(n1, l1) || !sc.Char(DateSeparator) || !sc.Number(n2, l2)) return false;
  int y, m, d, ylen;
  const int order = DateOrder();
  if (sc.Char(DateSeparator)) {
    if (!sc.Number(n3, l3)) return false;
    switch (order) {
      case 0: m = n1, d = n2, y = n3, ylen = l3; break;
      case 1: d = n1, m = n2, y = n3, ylen = l3; break;
      default: y = n1, m = n2, d = n3, ylen = l1; break;
    }
    if (y <= 99 && ylen <= 2) {
      int cur = CurrentYear();
      int century = cur - cur % 100;
      y += century;
      if (TwoDigitYearCenturyWindow > 0 && y < cur - TwoDigitYearCenturyWindow) y += 100;
    }
  } else {
    y = CurrentYear();
    if (order == 1) d = n1, m = n2;
    else m = n1, d = n2;
  }
  return TryEncodeDate(y, m, d, out);
}

bool ScanTime(Scanner& sc, TDateTime& out) {
  int h, mi, s = 0, ms = 0, len;
  if (!sc.Number(h, len) || !sc.Char(TimeSeparator) || !sc.Number(mi, len)) return false;
  if (sc.Char(TimeSeparator)) {
    if (!sc.Number(s, len)) return false;
    if (sc.Char(DecimalSeparator) && !sc.Number(ms, len)) return false;
  }
  int half = -1;  // 0 AM, 1 PM
  if (sc.Word(TimeAMString) || sc.Word("AM")) half = 0;
  else if (sc.Word(TimePMString) || sc.Word("PM")) half = 1;
  if (half >= 0) {
    if (h == 0 || h > 12) return false;
    if (h == 12) h = 0;
    if (half == 1) h += 12;
  }
  return TryEncodeTime(h, mi, s, ms, out);
}


// ---------------------------------------------------------------------------
// Formatting.
AnsiString Pad2(int v) {
  AnsiString s = std::to_string(v);
  return s.size() < 2 ? "0" + s : s;
}

bool HasAmPm(std::string_view f) {
  char quote = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    if (quote) {
      if (f[i] == quote) quote = 0;
      continue;
    }
    if (f[i] == '"' || f[i] == '\'') {
      quote = f[i];
      continue;
    }
    std::string_view r = f.substr(i);
    if (r.size() >= 5 && SameText(r.substr(0, 5), "am/pm")) return true;
    if (r.size() >= 3 && SameText(r.substr(0, 3), "a/p")) return true;
    if (r.size() >= 4 && SameText(r.substr(0, 4), "ampm")) return true;
  }
  return false;
}

void AppendFormat(AnsiString& out, std::string_view f, TDateTime dt, int depth) {
  if (depth > 2) return;  // a format that names itself through c or ddddd
  Stamp st = ToStamp(dt);
  int y, mo, d;
  CivilFromDays(st.day, y, mo, d);
  int h = st.ms / 3600000, mi = st.ms / 60000 % 60, s = st.ms / 1000 % 60, ms = st.ms % 1000;
  const int dow = static_cast<int>(((st.day % 7) + 7 + 6) % 7);  // 0 = Sunday
  const bool twelve = HasAmPm(f);
  char last = 0;
  size_t i = 0;
  auto run = [&](char c) {
    size_t n = 0;
    while (i + n < f.size() && UpCase(f[i + n]) == c) ++n;
    i += n;
    return static_cast<int>(n);
  };
  while (i < f.size()) {
    char c = f[i];
    char u = UpCase(c);
    if (c == '"' || c == '\'') {
      size_t e = f.find(c, i + 1);
      if (e == std::string_view::npos) e = f.size();
      out += f.substr(i + 1, e - i - 1);
      i = e + 1;
      continue;
    }
    if (u >= 'A' && u <= 'Z') {
      if (u == 'M' && last == 'H') u = 'N';
      last = u;
    }
    switch (u) {
      case 'C':
        ++i;
        AppendFormat(out, ShortDateFormat, dt, depth + 1);
        if (st.ms != 0) {
          out += ' ';
          AppendFormat(out, LongTimeFormat, dt, depth + 1);
        }
        break;
      case 'D': {
        int n = run('D');
        if (n == 1) out += std::to_string(d);
        else if (n == 2) out += Pad2(d);
        else if (n == 3) out += ShortDayNames[dow];
        else if (n == 4) out += LongDayNames[dow];
        else if (n == 5) AppendFormat(out, ShortDateFormat, dt, depth + 1);
        else AppendFormat(out, LongDateFormat, dt, depth + 1);
        break;
      }
      case 'M': {
        int n = run('M');
        if (n == 1) out += std::to_string(mo);
        else if (n == 2) out += Pad2(mo);
        else if (n == 3) out += ShortMonthNames[mo - 1];
        else out += LongMonthNames[mo - 1];
        break;
      }
      case 'N': {
        size_t n = 0;
        while (i + n < f.size() && (UpCase(f[i + n]) == 'N' || UpCase(f[i + n]) == 'M')) ++n;
        i += n;
        out += n == 1 ? std::to_string(mi) : Pad2(mi);
        break;
      }
      case 'Y': {
        int n = run('Y');
        if (n <= 2) {
          out += Pad2(y % 100);
        } else {
          AnsiString ys = std::to_string(y);
          while (ys.size() < 4) ys.insert(ys.begin(), '0');
          out += ys;
        }
        break;
      }
      case 'H': {
        int n = run('H');
        int hh = h;
        if (twelve) {
          hh = h % 12;
          if (hh == 0) hh = 12;
        }
        out += n == 1 ? std::to_string(hh) : Pad2(hh);
        break;
      }
      case 'S': {
        int n = run('S');
        out += n == 1 ? std::to_string(s) : Pad2(s);
        break;
      }
      case 'Z': {
        int n = run('Z');
        AnsiString z = std::to_string(ms);
        if (n >= 3)
          while (z.size() < 3) z.insert(z.begin(), '0');
        out += z;
        break;
      }
      case 'T': {
        int n = run('T');
        AppendFormat(out, n == 1 ? ShortTimeFormat : LongTimeFormat, dt, depth + 1);
        break;
      }
      case 'A': {
        std::string_view r = f.substr(i);
        bool pm = h >= 12;
        if (r.size() >= 5 && SameText(r.substr(0, 5), "am/pm")) {
          AnsiString t = pm ? "pm" : "am";
          out += c == 'A' ? UpperCase(t) : t;
          i += 5;
        } else if (r.size() >= 3 && SameText(r.substr(0, 3), "a/p")) {
          AnsiString t = pm ? "p" : "a";
          out += c == 'A' ? UpperCase(t) : t;
          i += 3;
        } else if (r.size() >= 4 && SameText(r.substr(0, 4), "ampm")) {
          out += pm ? TimePMString : TimeAMString;
          i += 4;
        } else {
          out += c;
          ++i;
        }
        break;
      }
      case '/':
        out += DateSeparator;
        ++i;
        break;
      case ':':
        out += TimeSeparator;
        ++i;
        break;
      default:
        out += c;
        ++i;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------
bool IsLeapYear(int year) { return civil::IsLeapYear(year); }

int DaysInMonth(int year, int month) { return civil::DaysInMonth(year, month); }

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return false;
  out = static_cast<double>(DaysFromCivil(year, month, day));
  return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out) {
  if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 ||
      msec >= 1000)
    return false;
  out = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime r;
  if (!TryEncodeDate(year, month, day, r)) RaiseBadDate();
  return r;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime r;
  if (!TryEncodeTime(hour, min, sec, msec, r))
    throw EConvertError(CP1252("Stunde, Minute, Sekunde und Millisekunde ergeben keine gültige Uhrzeit.").str());
  return r;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
  CivilFromDays(ToStamp(dt).day, year, month, day);
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
  int ms = ToStamp(dt).ms;
  hour = ms / 3600000;
  min = ms / 60000 % 60;
  sec = ms / 1000 % 60;
  msec = ms % 1000;
}

int DayOfWeek(TDateTime dt) {
  return civil::Weekday(ToStamp(dt).day + DateDelta) + 1;
}

TDateTime IncMonth(TDateTime dt, int months) {
  int y, m, d;
  DecodeDate(dt, y, m, d);
  int64_t idx = static_cast<int64_t>(y) * 12 + (m - 1) + months;
  int64_t ny = idx >= 0 ? idx / 12 : (idx - 11) / 12;
  int nm = static_cast<int>(idx - ny * 12) + 1;
  if (ny < 1 || ny > 9999) RaiseBadDate();
  d = std::min(d, DaysInMonth(static_cast<int>(ny), nm));
  double time = std::fabs(dt - std::trunc(dt));
  return Compose(EncodeDate(static_cast<int>(ny), nm, d), time);
}

TDateTime Date() {
  int y, mo, d, h, mi, s, ms;
  LocalNow(y, mo, d, h, mi, s, ms);
  return EncodeDate(y, mo, d);
}

TDateTime Time() {
  int y, mo, d, h, mi, s, ms;
  LocalNow(y, mo, d, h, mi, s, ms);
  return EncodeTime(h, mi, std::min(s, 59), ms);
}

TDateTime Now() {
  int y, mo, d, h, mi, s, ms;
  LocalNow(y, mo, d, h, mi, s, ms);
  return EncodeDate(y, mo, d) + EncodeTime(h, mi, std::min(s, 59), ms);
}

AnsiString FormatDateTime(std::string_view format, TDateTime dt) {
  AnsiString out;
  AppendFormat(out, format, dt, 0);
  return out;
}

AnsiString DateToStr(TDateTime dt) { return FormatDateTime(ShortDateFormat, dt); }
AnsiString TimeToStr(TDateTime dt) { return FormatDateTime(LongTimeFormat, dt); }
AnsiString DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }

bool TryStrToDate(std::string_view s, TDateTime& out) {
  Scanner sc{s};
  TDateTime d;
  if (!ScanDate(sc, d) || !sc.AtEnd()) return false;
  out = d;
  return true;
}

bool TryStrToTime(std::string_view s, TDateTime& out) {
  Scanner sc{s};
  TDateTime t;
  if (!ScanTime(sc, t) || !sc.AtEnd()) return false;
  out = t;
  return true;
}

bool TryStrToDateTime(std::string_view s, TDateTime& out) {
  Scanner sc{s};
  TDateTime d, t = 0;
  if (ScanDate(sc, d) && (sc.AtEnd() || (ScanTime(sc, t) && sc.AtEnd()))) {
    out = Compose(d, t);
    return true;
  }
  return TryStrToTime(s, out);
}

TDateTime StrToDate(std::string_view s) {
  TDateTime r;
  if (!TryStrToDate(s, r)) RaiseConvertError(s, TConvertKind::Date);
  return r;
}

TDateTime StrToTime(std::string_view s) {
  TDateTime r;
  if (!TryStrToTime(s, r)) RaiseConvertError(s, TConvertKind::Time);
  return r;
}

TDateTime StrToDateTime(std::string_view s) {
  TDateTime r;
  // A text without a time was meant as a date.
  if (!TryStrToDateTime(s, r))
    RaiseConvertError(s, s.find(TimeSeparator) == std::string_view::npos ? TConvertKind::Date : TConvertKind::DateTime);
  return r;
}

TDateTime StrToDateDef(std::string_view s, TDateTime def) {
  TDateTime r;
  return TryStrToDate(s, r) ? r : def;
}

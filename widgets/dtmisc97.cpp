// Day and month names, calendar colours and date routines of the month
// calendar (see dtmisc97.h).
#include "widgets/dtmisc97.h"

namespace {
AnsiString Cut(const AnsiString& s, std::size_t n) { return s.size() > n ? s.substr(0, n) : s; }
const AnsiString kNone;
}  // namespace

// ----------------------------------------------------------------- TDayName

TDayName::TDayName() {
  // ShortDayNames counts Sunday first; ours Monday first.
  for (int d = 1; d <= 7; ++d) names_[d - 1] = Cut(ShortDayNames[d % 7], 2);
}

const TDay& TDayName::Get(int weekday) const {
  return weekday >= 1 && weekday <= 7 ? names_[weekday - 1] : kNone;
}

void TDayName::Set(int weekday, const TDay& name) {
  if (weekday >= 1 && weekday <= 7) names_[weekday - 1] = Cut(name, 2);
}

void TDayName::Assign(const TPersistent* source) {
  if (const auto* s = dynamic_cast<const TDayName*>(source)) {
    for (int i = 0; i < 7; ++i) names_[i] = s->names_[i];
    return;
  }
  TPersistent::Assign(source);
}

void TDayName::PublishProperties(TClassInfo& ci) {
  PublishString<TDayName>(ci, "Monday", &TDayName::Monday, &TDayName::SetMonday);
  PublishString<TDayName>(ci, "Tuesday", &TDayName::Tuesday, &TDayName::SetTuesday);
  PublishString<TDayName>(ci, "Wednesday", &TDayName::Wednesday, &TDayName::SetWednesday);
  PublishString<TDayName>(ci, "Thursday", &TDayName::Thursday, &TDayName::SetThursday);
  PublishString<TDayName>(ci, "Friday", &TDayName::Friday, &TDayName::SetFriday);
  PublishString<TDayName>(ci, "Saturday", &TDayName::Saturday, &TDayName::SetSaturday);
  PublishString<TDayName>(ci, "Sunday", &TDayName::Sunday, &TDayName::SetSunday);
}

// --------------------------------------------------------------- TMonthName

TMonthName::TMonthName() {
  for (int m = 0; m < 12; ++m) names_[m] = Cut(LongMonthNames[m], 15);
}

const TMonth& TMonthName::Get(int month) const { return month >= 1 && month <= 12 ? names_[month - 1] : kNone; }

void TMonthName::Set(int month, const TMonth& name) {
  if (month >= 1 && month <= 12) names_[month - 1] = Cut(name, 15);
}

void TMonthName::Assign(const TPersistent* source) {
  if (const auto* s = dynamic_cast<const TMonthName*>(source)) {
    for (int i = 0; i < 12; ++i) names_[i] = s->names_[i];
    return;
  }
  TPersistent::Assign(source);
}

void TMonthName::PublishProperties(TClassInfo& ci) {
  static const char* const kNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
  for (int m = 1; m <= 12; ++m) {
    TPropInfo p;
    p.Name = kNames[m - 1];
    p.Kind = TTypeKind::tkString;
    p.GetStr = [m](const TObject* o) { return static_cast<const TMonthName*>(o)->Get(m); };
    p.SetStr = [m](TObject* o, const AnsiString& v) { static_cast<TMonthName*>(o)->Set(m, v); };
    ci.AddProp(std::move(p));
  }
}

// ---------------------------------------------------------- TCalendarColors

void TCalendarColors::Change(TColor& field, TColor c) {
  if (field == c) return;
  field = c;
  if (OnChange) OnChange(this);
}

void TCalendarColors::Assign(const TPersistent* source) {
  if (const auto* s = dynamic_cast<const TCalendarColors*>(source)) {
    arrow_ = s->arrow_;
    text_ = s->text_;
    dates_ = s->dates_;
    weekEnd_ = s->weekEnd_;
    title_ = s->title_;
    valid_ = s->valid_;
    if (OnChange) OnChange(this);
    return;
  }
  TPersistent::Assign(source);
}

void TCalendarColors::PublishProperties(TClassInfo& ci) {
  using C = TCalendarColors;
  PublishInteger<C>(ci, "ColorArrow", &C::ColorArrow, &C::SetColorArrow);
  PublishInteger<C>(ci, "ColorText", &C::ColorText, &C::SetColorText);
  PublishInteger<C>(ci, "ColorDates", &C::ColorDates, &C::SetColorDates);
  PublishInteger<C>(ci, "ColorWeekEnd", &C::ColorWeekEnd, &C::SetColorWeekEnd);
  PublishInteger<C>(ci, "ColorTitle", &C::ColorTitle, &C::SetColorTitle);
  PublishInteger<C>(ci, "ColorValid", &C::ColorValid, &C::SetColorValid);
}

// ------------------------------------------------------------ date routines

bool IsLeapYear97(int year) { return IsLeapYear(year); }

int DaysPerMonth97(int year, int month) { return DaysInMonth(year, month); }

int DayOfWeekMon(TDateTime date) {
  // DayOfWeek counts Sunday = 1 ... Saturday = 7.
  return (DayOfWeek(date) + 5) % 7 + 1;
}

TDateTime IncYear97(TDateTime date, int years) {
  try {
    return IncMonth(date, 12 * years);  // 29 February becomes February's last day
  } catch (const EConvertError&) {
    return date;  // beyond the year range: stay
  }
}

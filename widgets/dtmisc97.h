// Companion objects of the month calendar: the day and month name sets, the
// colour set, the date object held by the valid-dates list, and the small
// date routines the calendar's moves rely on.
// Invariants: a day name holds at most 2 characters and a month name at most
// 15 (longer values are cut on assignment); weekdays here count Monday = 1
// ... Sunday = 7.
#pragma once

#include "platform/gfx/color.h"
#include "platform/rtl/components.h"
#include "platform/rtl/datetime.h"

using TDay = AnsiString;    // at most 2 characters
using TMonth = AnsiString;  // at most 15 characters
using TTextStr = AnsiString;  // at most 20 characters
using TDayOfWeek = int;     // 1 = Monday ... 7 = Sunday
using TWeekEndDays = int;   // 1..2

// A date carried as the object of a valid-dates list entry.
class tDateObject : public TObject {
 public:
  explicit tDateObject(TDateTime d = 0) : Date(d) {}
  TDateTime Date;
};

class TDayName : public TPersistent {
  ORV_CLASS_PUBLISHED(TDayName, TPersistent)
  // The first two characters of the format settings' short day names.
  TDayName();
  // Day 1 = Monday ... 7 = Sunday; another number answers empty.
  const TDay& Get(int weekday) const;
  void Set(int weekday, const TDay& name);
  const TDay& Monday() const { return Get(1); }
  const TDay& Tuesday() const { return Get(2); }
  const TDay& Wednesday() const { return Get(3); }
  const TDay& Thursday() const { return Get(4); }
  const TDay& Friday() const { return Get(5); }
  const TDay& Saturday() const { return Get(6); }
  const TDay& Sunday() const { return Get(7); }
  void SetMonday(const TDay& v) { Set(1, v); }
  void SetTuesday(const TDay& v) { Set(2, v); }
  void SetWednesday(const TDay& v) { Set(3, v); }
  void SetThursday(const TDay& v) { Set(4, v); }
  void SetFriday(const TDay& v) { Set(5, v); }
  void SetSaturday(const TDay& v) { Set(6, v); }
  void SetSunday(const TDay& v) { Set(7, v); }
  void Assign(const TPersistent* source) override;

 private:
  TDay names_[7];
};

class TMonthName : public TPersistent {
  ORV_CLASS_PUBLISHED(TMonthName, TPersistent)
  // The first 15 characters of the format settings' long month names.
  TMonthName();
  // Month 1..12; another number answers empty.
  const TMonth& Get(int month) const;
  void Set(int month, const TMonth& name);
  void Assign(const TPersistent* source) override;

 private:
  TMonth names_[12];
};

class TCalendarColors : public TPersistent {
  ORV_CLASS_PUBLISHED(TCalendarColors, TPersistent)
  TColor ColorArrow() const { return arrow_; }
  TColor ColorText() const { return text_; }
  TColor ColorDates() const { return dates_; }
  TColor ColorWeekEnd() const { return weekEnd_; }
  TColor ColorTitle() const { return title_; }
  TColor ColorValid() const { return valid_; }
  void SetColorArrow(TColor c) { Change(arrow_, c); }
  void SetColorText(TColor c) { Change(text_, c); }
  void SetColorDates(TColor c) { Change(dates_, c); }
  void SetColorWeekEnd(TColor c) { Change(weekEnd_, c); }
  void SetColorTitle(TColor c) { Change(title_, c); }
  void SetColorValid(TColor c) { Change(valid_, c); }
  void Assign(const TPersistent* source) override;
  // Called after a colour changed (the calendar repaints).
  TNotifyEvent OnChange;

 private:
  void Change(TColor& field, TColor c);
  TColor arrow_ = clGray, text_ = clBlack, dates_ = clBlack, weekEnd_ = clRed, title_ = clNavy, valid_ = clBlue;
};

// Leap year of the proleptic Gregorian calendar.
bool IsLeapYear97(int year);
// Days in a month (1..12) of a year; 0 for another month.
int DaysPerMonth97(int year, int month);
// The weekday of a date, Monday = 1 ... Sunday = 7.
int DayOfWeekMon(TDateTime date);
// The same day and month `years` years later (or earlier); 29 February
// becomes 28 February in a year without it.
TDateTime IncYear97(TDateTime date, int years);

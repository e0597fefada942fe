// The holidays page (ftagpage.h).
#include "app/pages/ftagpage.h"

#include <cstdlib>
#include <exception>
#include <tuple>

#include "app/settings/datasetup.h"
#include "app/text/formatters.h"
#include "app/text/styledoutput.h"
#include "calendar/astro.h"
#include "calendar/datetexts.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {

enum { kFixed = 1, kMondayAfter = 2, kSundayAfter = 3, kFirstWeekdayKind = 4, kLastWeekdayKind = 10,
       kAfterEaster = 11, kBeforeEaster = 12, kAfterFullMoon = 13, kBeforeFullMoon = 14 };
constexpr int kLastOccurrence = 9;
// Occurrences 11 to 15 are 1 to 5 moved out of Holy Week and Easter week;
// 21 to 25 are 1 to 5 moved out of Holy Week to the week after Easter.
constexpr int kMovedOccurrence = 10, kAfterHolyWeekOccurrence = 20;
constexpr int kFullMoon = 5;

class HolidayPageWriter {
 public:
  HolidayPageWriter(const DayPageContext& ctx, const DisplaySettings& s, int32_t tab)
      : page_(ctx.Page), tbl_(ctx.Holidays), s_(s), tab_(tab) {
    land_ = tbl_->FieldByName("FTAG_LAND");
    text_ = tbl_->FieldByName("FTAG_TEXT");
  }

  // The current record: its countries, its text and, for a movable feast,
  // its rule.
  void Write(const AnsiString& rule) {
    // The paragraph is opened by a run of its own, so that a record without
    // a country text still starts one.
    AppendStyledText(page_, "", s_.Font, s_.Attr[ahCountry], !first_);
    AppendArchiveText(page_, land_->AsInteger(), HolidayArchive, s_.Font, s_.Attr[ahCountry], false);
    AppendStyledText(page_, "\n\t", s_.Font, s_.Attr[ahText], false);
    AppendArchiveText(page_, text_->AsInteger(), HolidayArchive, s_.Font, s_.Attr[ahText], false);
    if (!rule.empty() && s_.Switches[dhNotes])
      AppendStyledText(page_, "\n\t(" + rule + ")", s_.Font, s_.Attr[ahNote], false);
    page_->SetParagraphIndents(kEntryIndent, kEntryIndent, kEntryIndent);
    page_->SetParagraphSpacing(0, 0, kEntrySpaceAfter);
    page_->SetTabStop(tab_, tkLeft, false);
    first_ = false;
  }

  // Every record of the rule kind from (kind, m1, d1) to (kind, m2, d2)
  // that the file can give (TReadableRecords).
  template <class Each>
  void Range(int kind, int m1, int d1, int m2, int d2, Each each) {
    const TReadableRecords records(tbl_, {kind, m1, d1}, {kind, m2, d2});
    for (size_t i = 0; i < records.Count(); ++i) {
      records.Go(i);
      each();
    }
  }
  // Every record of one key, with one rule text.
  void Key(int kind, int month, int day, const AnsiString& rule) {
    Range(kind, month, day, month, day, [&] { Write(rule); });
  }
  int Month() const { return tbl_->FieldByName("FTAG_MONAT")->AsInteger(); }
  int Day() const { return tbl_->FieldByName("FTAG_TAG")->AsInteger(); }
  TwwTable* Table() const { return tbl_; }

 private:
  TWPCustomRtfEdit* page_;
  TwwTable* tbl_;
  const DisplaySettings& s_;
  const int32_t tab_;
  TField *land_, *text_;
  bool first_ = true;
};

// The day number of the first such weekday (1 Monday .. 7 Sunday) on or
// after day.month.year; -1 when that date does not exist (29 February of a
// common year) or lies outside the calendar.
int32_t WeekdayOnOrAfterOrNone(int weekday, int day, int month, int year) {
  try {
    return WeekdayOnOrAfter(weekday, day, month, year);
  } catch (const std::exception&) {
    return -1;
  }
}

// Whether the day is one of full moon; a day outside the calendar is not.
bool IsFullMoon(int32_t dayNumber) {
  try {
    return MoonPhaseOfDayNumber(dayNumber) == kFullMoon;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

void DisplayFTag(const DayPageContext& ctx) {
  const DisplaySettings s = ctx.Sections[rbHolidays];
  const int32_t tab = MeasureShortTab(ctx.Page, s.Font, s.Attr[ahText]);
  SetHyperlinkAttributes(ctx.Page, s.Attr[ahHyperlink]);
  TwwTable* tbl = ctx.Holidays;
  tbl->SetIndexName("FT_MT");
  HolidayPageWriter w(ctx, s, tab);

  const PackedDate& date = ctx.Date;
  const int32_t dn = PackedDateToDayNumber(date);
  const int m = PackedDateMonth(date), d = PackedDateDay(date), year = PackedDateYear(date);
  const int wd = DayNumberWeekday(dn);

  // Fixed dates; the gauge's twelve further steps are the rule groups below.
  const TReadableRecords fixed(tbl, {kFixed, m, d}, {kFixed, m, d});
  DayPageGauge gauge(ctx.Gauge, static_cast<int>(fixed.Count()) + 12);
  for (size_t i = 0; i < fixed.Count(); ++i) {
    fixed.Go(i);
    w.Write("");
    gauge.Step();
  }

  // The first Monday or Sunday on or after a date; a date late in the year
  // is looked up in the year before, so that early January finds it.
  for (const auto& [kind, weekday, dayOfWeek, word] :
       {std::tuple{kMondayAfter, 1, 1, "Montag"}, std::tuple{kSundayAfter, 7, 0, "Sonntag"}}) {
    if (wd == dayOfWeek)
      w.Range(kind, 1, 1, 12, 31, [&, weekday = weekday, word = word] {
        const int month = w.Month(), day = w.Day();
        if (WeekdayOnOrAfterOrNone(weekday, day, month, month > m ? year - 1 : year) == dn)
          w.Write(AnsiString(word) + " nach dem " + IntToStr(day) + ". " + MonthName(mfFull, month));
      });
    gauge.Step();
  }

  // The n-th and the last Monday .. Sunday of the month.
  const AnsiString weekdayName = PackedDateWeekdayName(2, date), monthName = PackedDateMonthName(2, date);
  for (int k = kFirstWeekdayKind; k <= kLastWeekdayKind; ++k) {
    if (wd == (k - 3) % 7) {
      const int occurrence = (d - 1) / 7 + 1;
      w.Key(k, m, occurrence, IntToStr(occurrence) + ". " + weekdayName + " im " + monthName);
      if (PackedDateDaysInMonth(date) < d + 7) w.Key(k, m, kLastOccurrence, "Letzter " + weekdayName + " im " + monthName);
      // The n-th such weekday falls a week earlier in Holy Week and a week
      // later from Easter Sunday to the Saturday after it; or only a week
      // later when it falls in Holy Week.
      const int32_t easter = EasterDayNumber(date);
      w.Range(k, 1, kMovedOccurrence + 1, 12, kAfterHolyWeekOccurrence + 5, [&] {
        const bool onlyLater = w.Day() > kAfterHolyWeekOccurrence;
        const int month = w.Month(), n = w.Day() - (onlyLater ? kAfterHolyWeekOccurrence : kMovedOccurrence);
        if (n < 1 || n > 5) return;
        const int32_t on = WeekdayOnOrAfterOrNone(k - 3, 1, month, year) + 7 * (n - 1);
        const bool holyWeek = on >= easter - 7 && on < easter, easterWeek = on >= easter && on < easter + 7;
        const int shift = holyWeek ? (onlyLater ? 7 : -7) : easterWeek && !onlyLater ? 7 : 0;
        if (on + shift != dn) return;
        AnsiString rule = IntToStr(n) + ". " + weekdayName + " im " + MonthName(mfFull, month);
        if (shift < 0) rule += CP1252(", wegen Ostern eine Woche früher").str();
        if (shift > 0) rule += CP1252(", wegen Ostern eine Woche später").str();
        w.Write(rule);
      });
    }
    gauge.Step();
  }

  // Days before or after Easter Sunday of the year.
  const int32_t e = EasterDayNumber(date) - dn;
  if (e > 0)
    w.Key(kBeforeEaster, 0, e, DaysOffsetText("An", "Ostern", e, true));
  else
    w.Key(kAfterEaster, 0, -e, DaysOffsetText("An", "Ostern", -e, false));
  gauge.Step();

  // Days after and before a full moon.
  w.Range(kAfterFullMoon, 0, 0, 0, 366, [&] {
    const int n = w.Day();
    if (IsFullMoon(dn - n)) w.Write(DaysOffsetText("Bei", "Vollmond", n, false));
  });
  gauge.Step();
  w.Range(kBeforeFullMoon, 0, 0, 0, 366, [&] {
    const int n = w.Day();
    if (IsFullMoon(dn + n)) w.Write(DaysOffsetText("Bei", "Vollmond", n, true));
  });
  gauge.Step();
}

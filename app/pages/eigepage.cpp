// The personal and the world-events pages (eigepage.h).
#include "app/pages/eigepage.h"

#include <algorithm>

#include "app/base/userdb.h"
#include "app/settings/datasetup.h"
#include "app/text/helpers.h"
#include "app/text/styledoutput.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"

namespace {

YearPartLook LookOf(const DisplaySettings& s, int year, int years, int jubilee, int text, bool yearsOn,
                    bool jubileeOn) {
  return {&s.Font, &s.Attr[year], &s.Attr[years], &s.Attr[jubilee], &s.Attr[text], yearsOn, jubileeOn};
}

AnsiString Trimmed(const AnsiString& s) { return wwStrTrimBlanks(s); }

}  // namespace

std::vector<AnsiString> MemoLines(const AnsiString& text) {
  std::vector<AnsiString> lines;
  AnsiString line;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void DisplayEige(const DayPageContext& ctx) {
  TWPCustomRtfEdit* page = ctx.Page;
  TwwTable* own = ctx.Own;
  // A copy: a settings dialog may change the section while the page builds.
  const DisplaySettings s = ctx.Sections[rbPersonal];
  const int32_t tab = MeasureDayPageTab(page, s.Font, s.Attr[apYear], {"9999"});
  const YearPartLook look = LookOf(s, apYear, apYears, apJubilee, apText, s.Switches[dpYears], s.Switches[dpJubilee]);
  auto text = [&](const AnsiString& t, int attr) { AppendStyledText(page, t, s.Font, s.Attr[attr], false); };

  const int m = PackedDateMonth(ctx.Date), d = PackedDateDay(ctx.Date);
  // Those born on 29 February have their anniversary on 28 February in a
  // common year: that day lists them too (the index runs from the later day).
  const int last = m == 2 && d == 28 && !IsLeapYear(PackedDateYear(ctx.Date)) ? 29 : d;
  // A day index the start found damaged (and named) is not read: the day's
  // entries are found in the order of the file's blocks.
  const bool indexed = UserIndexWhole(utEigenes, "XEIGE_MTJ");
  own->SetIndexName(indexed ? "XEIGE_MTJ" : "");
  if (indexed) own->SetRange({m, last, 9999}, {m, d, 0});
  TField* year = own->FieldByName("EIGE_JAHR");
  TField* day = own->FieldByName("EIGE_TAG");
  TField* month = own->FieldByName("EIGE_MONAT");
  TField* type = own->FieldByName("EIGE_TYP");
  TField* memo = own->FieldByName("EIGE_TEXT");
  // The range gives the later day's entries first; the page stays newest
  // first over both days.
  struct Entry {
    int Year;
    TBookmark Mark;
  };
  std::vector<Entry> entries;
  TScopeExit freeMarks{[own, &entries] {
    for (const Entry& e : entries) own->FreeBookmark(e.Mark);
  }};
  for (own->First(); !own->Eof(); own->Next())
    if (indexed || (month->AsInteger() == m && day->AsInteger() >= d && day->AsInteger() <= last))
      entries.push_back({year->AsInteger(), own->GetBookmark()});
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.Year > b.Year; });
  DayPageGauge gauge(ctx.Gauge, static_cast<int>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    own->GotoBookmark(entries[i].Mark);
    WriteYearPart(page, look, year->AsInteger(), ctx.Date, i == 0);
    // A text the file cannot give was named at the start: the entry shows
    // without it.
    std::vector<AnsiString> lines;
    try {
      lines = MemoLines(memo->AsString());
    } catch (const EDatabaseError&) {
    }
    if (type->AsInteger() == 1) {
      text(Trimmed(own->FieldByName("EIGE_VORNAME")->AsString() + " " + own->FieldByName("EIGE_NACHNAME")->AsString()),
           apName);
      const AnsiString place = own->FieldByName("EIGE_ORT")->AsString();
      const AnsiString time = own->FieldByName("EIGE_ZEIT")->AsString().substr(0, 5);
      const bool withTime = s.Switches[dpBirthTime] && !time.empty();
      if (s.Switches[dpBirthPlace] && !place.empty()) {
        text(" geboren ", apText);
        if (withTime) text("um " + time + " Uhr ", apText);
        text(WithFullStop(Trimmed(own->FieldByName("EIGE_ORTPR")->AsString() + " " + place)), apText);
      } else if (withTime) {
        text(" geboren um " + time + " Uhr.", apText);
      }
      if (!lines.empty()) text("\n", apText);
    }
    for (size_t i = 0; i < lines.size(); ++i) text(i + 1 < lines.size() ? lines[i] + "\n" : lines[i], apText);
    FormatDayPageEntry(page, tab);
    gauge.Step();
  }
}

void DisplayErei(const DayPageContext& ctx) {
  TWPCustomRtfEdit* page = ctx.Page;
  TwwTable* events = ctx.Events;
  const DisplaySettings s = ctx.Sections[rbEvents];
  const int32_t tab = MeasureDayPageTab(page, s.Font, s.Attr[aeYear], {"9999"});
  SetHyperlinkAttributes(page, s.Attr[aeHyperlink]);
  const YearPartLook look = LookOf(s, aeYear, aeYears, aeJubilee, aeText, s.Switches[deYears], s.Switches[deJubilee]);

  const int m = PackedDateMonth(ctx.Date), d = PackedDateDay(ctx.Date);
  events->SetIndexName("ER_MTJ");
  const TReadableRecords records(events, {m, d, 9999}, {m, d, 0});
  DayPageGauge gauge(ctx.Gauge, static_cast<int>(records.Count()));
  TField* year = events->FieldByName("EREI_JAHR");
  TField* offset = events->FieldByName("EREI_TEXT");
  for (size_t i = 0; i < records.Count(); ++i) {
    records.Go(i);
    WriteYearPart(page, look, year->AsInteger(), ctx.Date, i == 0);
    // A text the archive cannot read is left out; the user is told once
    // (NoteArchiveFailure) and the page goes on.
    try {
      AppendArchiveText(page, offset->AsInteger(), EventArchive, s.Font, s.Attr[aeText], false);
    } catch (const std::exception&) {
    }
    FormatDayPageEntry(page, tab);
    gauge.Step();
  }
}

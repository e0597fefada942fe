// The births and deaths pages (perspage.h).
#include "app/pages/perspage.h"

#include <vector>

#include "app/settings/datasetup.h"
#include "app/text/formatters.h"
#include "app/text/styledoutput.h"
#include "calendar/datetexts.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr char kNoBreakSpace = '\xA0';
constexpr char kDagger = '\x86';
constexpr int kAfterChrist = 1;

// The year as the page writes it: before Christ with " v.Chr." (joined
// by a no-break space), an unknown year (0) as nothing.
AnsiString YearText(int year, int era) {
  if (year <= 0) return "";
  return IntToStr(year) + (era == kAfterChrist ? "" : kBeforeChrist);
}

// The fields that differ between the two pages.
struct PageFields {
  const char* Index;
  const char* Year;
  const char* Era;
};
constexpr PageFields kFields[2] = {{"PE_GMTJ", "PERS_GEBJ", "PERS_GNCHR"}, {"PE_TMTJ", "PERS_TODJ", "PERS_TNCHR"}};

class PersonPageWriter {
 public:
  PersonPageWriter(const DayPageContext& ctx, int which, const DisplaySettings& s, int32_t tab)
      : ctx_(ctx), which_(which), s_(s), tab_(tab), page_(ctx.Page), pers_(ctx.Persons) {
    id_ = pers_->FieldByName("PERS_ID");
    year_ = pers_->FieldByName(kFields[which].Year);
    era_ = pers_->FieldByName(kFields[which].Era);
    remark_ = pers_->FieldByName("PERS_ANMERK");
    sex_ = pers_->FieldByName("PERS_GESCH");
  }

  // The current person's paragraph.
  void Write() {
    const int year = year_->AsInteger();
    const int era = era_->AsInteger();
    Text(YearText(year, era), s_.Attr[abYear], !first_);
    Text("\t", s_.Attr[abText]);
    WriteYearCount(year, era);
    Text(PersonNameText(pers_, pnMain, false, false), s_.Attr[abName]);
    if (s_.Switches[dbPlace]) {
      const AnsiString place = BirthDeathPlaceText(pers_, which_ == dpBirths ? bpBirth : bpDeath);
      if (!place.empty()) {
        Text(" ", s_.Attr[abText]);
        Text("(" + place + ")", s_.Attr[abPlace]);
      }
    }
    const AnsiString professions = PersonNationsProfessionsText(pers_);
    if (!professions.empty()) {
      Text(", ", s_.Attr[abText]);
      Text(professions, s_.Attr[abProfession]);
    }
    if (s_.Switches[dbOtherDate]) WriteOtherDate();
    WriteRemark();
    WritePatronMark();
    FormatDayPageEntry(page_, tab_);
    first_ = false;
  }

 private:
  void Text(const AnsiString& text, const TextAttributes& attr, bool newParagraph = false) {
    AppendStyledText(page_, text, s_.Font, attr, newParagraph);
  }

  void WriteYearCount(int year, int era) {
    if (year <= 0) return;
    const int n = YearsSinceHistoricYear(year, era, ctx_.Date);
    if (n <= 0) return;
    if (s_.Switches[dbJubilee] && IsJubileeYears(n)) {
      Text("Vor " + IntToStr(n) + " Jahren\n", s_.Attr[abJubilee]);
    } else if (s_.Switches[dbYears]) {
      Text("(" + IntToStr(n) + ")", s_.Attr[abYears]);
      Text(" ", s_.Attr[abText]);
    }
  }

  // The death date on the births page, the birth date on the deaths page.
  void WriteOtherDate() {
    const int other = which_ == dpBirths ? 1 : 0;
    const AnsiString date = BirthDeathDateText(pers_, other, mfNumeric);
    if (date.empty()) return;
    const AnsiString mark = AnsiString(1, other == 0 ? '*' : kDagger) + kNoBreakSpace;
    Text(" ", s_.Attr[abText]);
    Text("(" + mark + date + ")", s_.Attr[abOtherDate]);
  }

  void WriteRemark() {
    const int32_t offset = remark_->AsInteger();
    if (offset <= 0 || !PersonArchive) return;
    // A record the archive cannot read is left out with its separator; the
    // user is told once (NoteArchiveFailure).
    try {
      PersonArchive->ReadRecordLength(static_cast<uint32_t>(offset));
    } catch (const std::exception& e) {
      NoteArchiveFailure(PersonArchive, e);
      return;
    }
    Text(", ", s_.Attr[abText]);
    try {
      AppendArchiveText(page_, offset, PersonArchive, s_.Font, s_.Attr[abText], false);
    } catch (const std::exception&) {
    }
  }

  void WritePatronMark() {
    TwwTable* patrons = ctx_.Patrons;
    if (!patrons || !FindReadableKey(patrons, {id_->AsInteger()})) return;
    Text(", Namenspatron", s_.Attr[abText]);
    if (sex_->AsInteger() == 1) Text("in", s_.Attr[abText]);
    const int month = patrons->FieldByName("PATR_MONAT")->AsInteger();
    if (month < 1 || month > 12) return;
    Text(" am " + patrons->FieldByName("PATR_TAG")->AsString() + "." + kNoBreakSpace + MonthName(mfFull, month),
         s_.Attr[abText]);
  }

  const DayPageContext& ctx_;
  const int which_;
  const DisplaySettings& s_;
  const int32_t tab_;
  TWPCustomRtfEdit* page_;
  TwwTable* pers_;
  TField *id_, *year_, *era_, *remark_, *sex_;
  bool first_ = true;
};

}  // namespace

void DisplayPers(const DayPageContext& ctx, int which) {
  which = which == dpDeaths ? dpDeaths : dpBirths;
  TwwTable* pers = ctx.Persons;
  pers->SetIndexName(kFields[which].Index);
  // A copy: a settings dialog may change the section while the page builds.
  const DisplaySettings s = ctx.Sections[which == dpBirths ? rbBirths : rbDeaths];

  // The index orders month, day, era and year descending, so the range runs
  // from the day's latest year after Christ down to its earliest before.
  const int m = PackedDateMonth(ctx.Date), d = PackedDateDay(ctx.Date);
  const TReadableRecords records(pers, {m, d, kAfterChrist, 9999}, {m, d, 0, 0});
  // The persons after Christ come first, from the latest year down.
  TField* year = pers->FieldByName(kFields[which].Year);
  TField* era = pers->FieldByName(kFields[which].Era);
  size_t afterChrist = 0;
  for (; afterChrist < records.Count(); ++afterChrist) {
    records.Go(afterChrist);
    if (era->AsInteger() != kAfterChrist) break;
  }
  // The tab lies behind a four-digit year, or behind the widest of the
  // day's years before Christ, so that the names of the page stay aligned
  // without leaving them further right than the day needs.
  std::vector<AnsiString> years{"9999"};
  for (size_t i = afterChrist; i < records.Count(); ++i) {
    records.Go(i);
    years.push_back(YearText(year->AsInteger(), era->AsInteger()));
  }
  const int32_t tab = MeasureDayPageTab(ctx.Page, s.Font, s.Attr[abYear], years);
  SetHyperlinkAttributes(ctx.Page, s.Attr[abHyperlink]);
  if (ctx.Patrons) ctx.Patrons->SetIndexName("PA_PERS");

  DayPageGauge gauge(ctx.Gauge, static_cast<int>(records.Count()));
  PersonPageWriter writer(ctx, which, s, tab);
  auto write = [&](size_t i) {
    records.Go(i);
    writer.Write();
    gauge.Step();
  };
  for (size_t i = 0; i < afterChrist; ++i) write(i);
  // Before Christ the descending index puts the oldest first: that part is
  // written from its end, so the most recent comes first there too.
  for (size_t i = records.Count(); i > afterChrist; --i) write(i - 1);
}

// The name-day page (namepage.h).
#include "app/pages/namepage.h"

#include "app/settings/datasetup.h"
#include "app/text/formatters.h"
#include "app/text/styledoutput.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr char kNoBreakSpace = '\xA0';
constexpr char kDagger = '\x86';
constexpr int32_t kHeadingSpaceAfterFirst = 144;

class NamePageWriter {
 public:
  NamePageWriter(const DayPageContext& ctx, const DisplaySettings& s, int32_t tab)
      : ctx_(ctx), s_(s), tab_(tab), page_(ctx.Page), names_(ctx.Names), pers_(ctx.Persons) {}

  // The heading and the patron of the patron table's current record.
  void Write() {
    TwwTable* patr = ctx_.Patrons;
    WriteHeading(patr->FieldByName("NAME_ID")->AsInteger());
    const int person = patr->FieldByName("PERS_ID")->AsInteger();
    const AnsiString note = patr->FieldByName("PATR_VERMERK")->AsString();
    if (person > 0 && FindPerson(person)) {
      WritePatron();
    } else if (!note.empty()) {
      Text("\t", anText, true);
      Text(note, anText);
      const int see = patr->FieldByName("PERS_SIEHE")->AsInteger();
      if (see > 0 && FindPerson(see)) {
        Text(" ", anText);
        Text(PersonNameText(pers_, pnMain, true, false), anName);
      }
      FormatDayPageEntry(page_, tab_);
    }
  }

 private:
  // Appends a run; the first run of the page fills the cleared control's
  // empty paragraph, every other paragraph is a new one.
  void Text(const AnsiString& text, int attr, bool newParagraph = false) {
    AppendStyledText(page_, text, s_.Font, s_.Attr[attr], newParagraph && !empty_);
    empty_ = false;
  }

  // The patron person, or a person to see; the page goes on without one
  // its table cannot give (FindReadableKey).
  bool FindPerson(int id) { return pers_ && FindReadableKey(pers_, {id}); }

  void WriteHeading(int nameId) {
    names_->SetIndexName("XPKNAME");
    // The patron record's own name; a name form stands under its main name.
    if (!FindReadableKey(names_, {nameId})) return;
    if (names_->FieldByName("NAME_TYP")->AsInteger() != 0) {
      const int main = names_->FieldByName("NAME_VON")->AsInteger();
      if (main > 0 && FindReadableKey(names_, {main}))
        nameId = main;
      else if (!FindReadableKey(names_, {nameId}))
        return;
    }
    Text(names_->FieldByName("NAME_NAME")->AsString(), anNameForms, true);
    if (s_.Switches[dnNameForms] && names_->FieldByName("NAME_TYP")->AsInteger() == 0) {
      // The index orders a main name's forms by their text; the switch back
      // to "XPKNAME" drops the range.
      names_->SetIndexName("NA_VON");
      const TReadableRecords forms(names_, {nameId}, {nameId});
      for (size_t i = 0; i < forms.Count(); ++i) {
        forms.Go(i);
        Text(", " + names_->FieldByName("NAME_NAME")->AsString(), anNameForms);
      }
    }
    page_->SetParagraphIndents(kEntryIndent, kEntryIndent, kEntryIndent);
    page_->SetParagraphSpacing(headings_ == 0 ? kEntrySpaceBefore : kHeadingSpaceAfterFirst, 0, 0);
    ++headings_;
  }

  void WritePatron() {
    Text("\t", anText, true);
    Text(PersonNameText(pers_, pnMain, true, false), anName);
    const AnsiString professions = PersonNationsProfessionsText(pers_);
    if (!professions.empty()) {
      Text("\n", anText);
      Text(professions, anProfession);
    }
    if (s_.Switches[dnLifeDates]) {
      LifeDate(0, bpBirth, '*');
      LifeDate(1, bpDeathOrSame, kDagger);
    }
    const int32_t remark = pers_->FieldByName("PERS_ANMERK")->AsInteger();
    if (remark > 0) {
      Text("\n", anText);
      AppendArchiveText(page_, remark, PersonArchive, s_.Font, s_.Attr[anText], false);
    }
    const AnsiString patronOf = pers_->FieldByName("PERS_PATRON")->AsString();
    if (s_.Switches[dnPatronOf] && !patronOf.empty()) {
      Text(pers_->FieldByName("PERS_GESCH")->AsInteger() == 1 ? "\nPatronin " : "\nPatron ", anPatronOf);
      Text(patronOf, anPatronOf);
    }
    FormatDayPageEntry(page_, tab_);
  }

  // "* 13. Juli 1207 in Pressburg" or "† … in Marburg" (or "ebd.").
  void LifeDate(int which, int place, char mark) {
    const AnsiString date = BirthDeathDateText(pers_, which, mfFull);
    const AnsiString text = wwStrTrimBlanks(date + " " + BirthDeathPlaceText(pers_, place));
    if (text.empty()) return;
    Text("\n", anText);
    Text(AnsiString(1, mark) + kNoBreakSpace + text, anLifeDates);
  }

  const DayPageContext& ctx_;
  const DisplaySettings& s_;
  const int32_t tab_;
  TWPCustomRtfEdit* page_;
  TwwTable *names_, *pers_;
  bool empty_ = true;
  int headings_ = 0;
};

}  // namespace

void DisplayName(const DayPageContext& ctx) {
  const DisplaySettings s = ctx.Sections[rbNameDays];
  const int32_t tab = MeasureShortTab(ctx.Page, s.Font, s.Attr[anText]);
  SetHyperlinkAttributes(ctx.Page, s.Attr[anHyperlink]);
  // Without the persons' table the names stand with their notes only.
  if (ctx.Persons) ctx.Persons->SetIndexName("XPKPERS");
  TwwTable* patr = ctx.Patrons;
  patr->SetIndexName("PA_MT");
  const int m = PackedDateMonth(ctx.Date), d = PackedDateDay(ctx.Date);
  {
    const TReadableRecords patrons(patr, {m, d, 0}, {m, d, 65535});
    DayPageGauge gauge(ctx.Gauge, static_cast<int>(patrons.Count()));
    NamePageWriter writer(ctx, s, tab);
    for (size_t i = 0; i < patrons.Count(); ++i) {
      patrons.Go(i);
      writer.Write();
      gauge.Step();
    }
  }
  if (ctx.Persons) ctx.Persons->SetIndexName("PE_GMTJ");
}

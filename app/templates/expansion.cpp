// Template expansion (expansion.h). The finder finds and replaces in the
// sheet's text model; runs go in through the control's AppendRun, which
// writes at the end of the paragraph the cursor stands in.
#include "app/templates/expansion.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>
#include <set>

#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/formatters.h"
#include "app/text/helpers.h"
#include "calendar/astro.h"
#include "calendar/datetexts.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr int32_t kLabelGap = 141;  // twips between a label and its text

int Int(TDataSet* t, const char* field) { return t->FieldByName(field)->AsInteger(); }
AnsiString Str(TDataSet* t, const char* field) { return t->FieldByName(field)->AsString(); }

// The first record whose index fields equal the values, also when the
// table already stands on a later record that holds them.
bool SeekKey(TwwTable* t, const std::vector<Variant>& values) { return t->TTable::FindKey(values); }

// After FindNearest: one record back. With nothing at or after the values
// the table stands behind its end, and the record before is its last.
void StepBack(TwwTable* t) {
  if (t->Eof())
    t->Last();
  else
    t->Prior();
}

AnsiString FullMonth(int month) { return month >= 1 && month <= 12 ? MonthName(mfFull, month) : AnsiString(); }

// The grammatical case of a moon or zodiac placeholder's ending.
int CaseOf(const AnsiString& ending) {
  if (ending == " Nom") return 1;
  if (ending == " Gen") return 2;
  if (ending == " Dat") return 3;
  if (ending == " Akk") return 4;
  return 0;
}

}  // namespace

// ---- dates and tables -------------------------------------------------------------

TTemplateDates TemplateDatesOf(TDateTime birth, const AnsiString& sourceText, const AnsiString& outputText) {
  auto convert = [](const AnsiString& text, TDateTime def) {
    const AnsiString t = Trim(text);
    if (t.empty()) return def;
    TDateTime d = 0;
    if (!TryStrToDate(t, d)) throw EConvertError("\"" + t + "\" ist kein g\xFCltiges Datum");
    return d;
  };
  // The key would clamp a date beyond the calendar's span to its end: such
  // a date is refused rather than printed as another one.
  auto pack = [](TDateTime date, const char* what) {
    const TDateTime first = PackedDateToDateTime(PackedDateMin()), last = PackedDateToDateTime(PackedDateMax());
    if (!(std::trunc(date) >= first && std::trunc(date) <= last))
      throw EConvertError(AnsiString("Das ") + what + " " + FormatDateTime("dd.mm.yyyy", date) +
                          CP1252(" liegt außerhalb des Kalenders, der vom ").str() +
                          FormatDateTime("dd.mm.yyyy", first) + " bis zum " + FormatDateTime("dd.mm.yyyy", last) +
                          " reicht.");
    return DateTimeToPackedDate(date);
  };
  TTemplateDates d;
  d.Birth = pack(birth, "Geburtsdatum");
  d.Source = pack(convert(sourceText, birth), "Quelldatum");
  d.Output = pack(convert(outputText, Date()), "Ausgabedatum");
  return d;
}

TTemplateReferenceTables::TTemplateReferenceTables() {
  auto open = [this](const char* table, const char* index) {
    auto t = std::make_unique<TwwTable>(nullptr);
    t->SetDatabaseName("Orvelan");
    t->SetReadOnly(true);
    t->SetTableName(table);
    t->SetIndexName(index);
    t->AfterOpen = [](TDataSet* d) { FixStringFields(d); };
    OpenTableOrExplain(t.get());
    own_.push_back(std::move(t));
    return own_.back().get();
  };
  tables_.Events = open("EREIGNIS.FFD", "XPKEREI");
  tables_.Persons = open("PERSON.FFD", "XPKPERS");
  tables_.Patrons = open("PATRON.FFD", "PA_NAME");
  tables_.Names = open("NAME.FFD", "NA_GESCH");
  tables_.Holidays = open("FEIERTAG.FFD", "FT_MT");
}

TTemplateReferenceTables::~TTemplateReferenceTables() {
  for (auto& t : own_) t->Close();
}

void ExpandTemplate(TWPCustomRtfEdit* sheet, TDataSet* entry, const TTemplateDates& dates,
                    const TTemplateTables* tables) {
  std::unique_ptr<TTemplateReferenceTables> own;
  if (!tables) {
    own = std::make_unique<TTemplateReferenceTables>();
    tables = &own->Tables();
  }
  TTemplateExpansion(sheet, entry, dates, *tables).Run();
}

// ---- the expansion's operations --------------------------------------------------------

// What stood behind a section's placeholder in its paragraph.
struct TTemplateExpansion::Tail {
  std::string Text;
  std::vector<TWPAttrRecord> Attrs;
};

TTemplateExpansion::TTemplateExpansion(TWPCustomRtfEdit* sheet, TDataSet* entry, const TTemplateDates& dates,
                                       const TTemplateTables& tables)
    : sheet_(sheet), entry_(entry), dates_(dates), t_(tables), finder_(sheet->TextFinder()) {
  finder_->SetText(sheet_->RtfText());
}

TTemplateExpansion::~TTemplateExpansion() = default;

void TTemplateExpansion::Run() {
  for (const TPlaceholder& p : kPlaceholders)
    if (p.Kind == pkValue) ReplacePlatzhalter(p.Text, ValueOf(p.Text));
  for (const TPlaceholder& p : kPlaceholders)
    if (p.Kind == pkSection) RunSection(p.Text);
  CollapseDoubleBlanks();
}

void TTemplateExpansion::ReplacePlatzhalter(const AnsiString& placeholder, const AnsiString& text) {
  finder_->Clear();
  finder_->SetCaseSensitive(true);
  finder_->Reset();
  // A replacement lies behind the place the next search starts from.
  while (finder_->Find(placeholder)) finder_->ReplaceFound(text);
}

bool TTemplateExpansion::TakeTemplatePlaceholder(const AnsiString& placeholder) {
  EndTemplatePlaceholder();
  finder_->Clear();
  finder_->SetCaseSensitive(true);
  finder_->Reset();
  if (!finder_->Find(placeholder)) return false;
  finder_->GetFoundAttr(kept_);
  sheet_->MoveCursorTo(finder_->FoundPosition());
  finder_->ReplaceFound("");
  // Keep what follows aside: the section then writes where the placeholder
  // stood, and EndTemplatePlaceholder puts it back behind the section.
  TWPRTFTextInput* e = sheet_->RtfText();
  TWPParagraphRec* par = e->CursorPar;
  if (!par) return true;
  const int at = TWPRTFText::PosInPar(par, e->CursorLine, e->CursorOffset);
  auto tail = std::make_unique<Tail>();
  int pos = 0;
  char before = 0;
  for (const TWPLineRec* l = par->line; l; l = l->next)
    for (int i = 0; i < l->Length; ++i, ++pos)
      if (pos >= at) {
        tail->Text.push_back(l->pc[i]);
        tail->Attrs.push_back(l->pa ? l->pa[i] : e->WritingAttr);
      } else if (pos == at - 1) {
        before = l->pc[i];
      }
  if (!tail->Text.empty()) {
    e->DeleteTextAt(par, at, static_cast<int>(tail->Text.size()));
    tail_ = std::move(tail);
  }
  // A heading on its own line right above the placeholder belongs to the
  // section: it becomes a paragraph of its own with the space before, the
  // section's lines follow in the next, and a place that the section leaves
  // empty loses both.
  if (before == '\n' && !InTableCell()) {
    e->DeleteTextAt(par, at - 1, 1);
    sheet_->AddParagraph();
    e->CursorPar->SpaceBefore = 0;
    heading_ = {par, e->CursorPar};
  }
  return true;
}

void TTemplateExpansion::EndTemplatePlaceholder() {
  if (heading_.Heading) {
    TWPRTFTextInput* e = sheet_->RtfText();
    auto [heading, lines] = std::exchange(heading_, {});
    if (!tail_ && e->CursorPar == lines && TWPRTFText::ParLength(lines) == 0) {
      if (lines->next) lines->next->ChangeFlags |= wpcBreak | wpcMeasure;
      e->DisposeParagraph(lines);
      e->DisposeParagraph(heading);
    }
  }
  if (!tail_) return;
  std::unique_ptr<Tail> tail = std::move(tail_);
  TWPRTFTextInput* e = sheet_->RtfText();
  TWPParagraphRec* par = e->CursorPar ? e->CursorPar : e->LastParagraph();
  // Runs of equal records, as they stood.
  for (std::size_t from = 0; from < tail->Text.size();) {
    std::size_t to = from + 1;
    while (to < tail->Text.size() && tail->Attrs[to] == tail->Attrs[from]) ++to;
    e->AppendLine(tail->Attrs[from], std::string_view(tail->Text).substr(from, to - from), false, par);
    from = to;
  }
}

bool TTemplateExpansion::InTableCell() const {
  const TWPRTFTextInput* e = sheet_->RtfText();
  const TWPParagraphRec* par = e->CursorPar ? e->CursorPar : e->LastParagraph();
  return par && (par->Flags & wppTableCell);
}

void TTemplateExpansion::AppendTemplateText(const AnsiString& text, bool newParagraph) {
  TWPTextRun run;
  run.Attr = kept_;
  run.Text = text;
  if (newParagraph) {
    // A table cell is one paragraph, and a new one would take the next
    // cell's place: in a cell the section's lines break within it.
    if (InTableCell())
      run.Text.insert(0, 1, '\n');
    else
      sheet_->AddParagraph();
  }
  run.Spacing[0] = run.Spacing[1] = run.Spacing[2] = 72;
  sheet_->AppendRun(run);
}

void TTemplateExpansion::AppendTemplateArchiveText(int32_t offset, TVlf* archive, bool newParagraph) {
  if (offset <= 0 || !archive) return;
  // A record the archive cannot read is left out, as on the day pages.
  try {
    const uint32_t length = archive->ReadRecordLength(static_cast<uint32_t>(offset));
    stream_.Clear();
    stream_.SetSize(length);
    archive->ReadRecord(static_cast<uint32_t>(offset), stream_.Memory());
    stream_.SetPosition(0);
    archiveText_.Clear();
    archiveText_.LoadFromStream(&stream_);
  } catch (const std::exception&) {
    return;
  }
  // Every character in the placeholder's record: the text is one run. A
  // paragraph end inside the record stays a break of the line; the one
  // that closes the record goes, the sheet's paragraph goes on.
  AnsiString text;
  for (const TWPParagraphRec* p = archiveText_.FirstPar; p; p = p->next) {
    if (p != archiveText_.FirstPar) text.push_back('\n');
    for (const TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i)
        if (!(l->pa && (l->pa[i].Style & wpsHidden))) text.push_back(l->pc[i]);
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  AppendTemplateText(text, newParagraph);
}

int32_t TTemplateExpansion::LabelTwips(const AnsiString& label) {
  // In the printer's widths, as the sheet's lines are broken on every device.
  return sheet_->Header()->RoundToGrid(sheet_->RtfText()->TextTwips(kept_, label));
}

void TTemplateExpansion::SetTemplateLabelLayout(int32_t labelTwips) {
  sheet_->SetTabStop(0, tkAll, false);
  // A cell's indents place its row, and its lines start at the cell's edge:
  // there the labels keep their tab stops but hang on nothing.
  if (!InTableCell()) sheet_->SetParagraphIndents(0, labelTwips + kLabelGap, 0);
  sheet_->SetTabStop(labelTwips, tkRight, false);
  sheet_->SetTabStop(labelTwips + kLabelGap, tkLeft, false);
}

void TTemplateExpansion::AppendTemplatePersonText(bool newParagraph) {
  TwwTable* p = t_.Persons;
  AppendTemplateText(PersonNameText(p, pnMain, false, false), newParagraph);
  const AnsiString np = PersonNationsProfessionsText(p);
  if (!np.empty()) AppendTemplateText(", " + np, false);
  const int32_t remark = Int(p, "PERS_ANMERK");
  if (remark > 0) {
    AppendTemplateText(", ", false);
    AppendTemplateArchiveText(remark, PersonArchive, false);
  }
}

void TTemplateExpansion::AppendTemplatePatronText(bool newParagraph) {
  TwwTable* patron = t_.Patrons;
  TwwTable* p = t_.Persons;
  const int id = Int(patron, "PERS_ID");
  p->SetIndexName("XPKPERS");
  // A person the table lacks is as good as none: the patron's note stands,
  // followed by the person it names, as the name-day page shows it; that
  // person is not the name's patron.
  if (id <= 0 || !SeekKey(p, {id})) {
    const AnsiString note = Str(patron, "PATR_VERMERK");
    if (note.empty()) return;
    const int see = Int(patron, "PERS_SIEHE");
    AppendTemplateText(note + (see > 0 && SeekKey(p, {see}) ? " " + PersonNameText(p, pnMain, true, false) : ""),
                       newParagraph);
    return;
  }
  AppendTemplateText(PersonNameText(p, pnMain, false, false), newParagraph);
  const AnsiString np = PersonNationsProfessionsText(p);
  if (!np.empty()) AppendTemplateText(", " + np, false);
  const AnsiString birth = Trim(BirthDeathDateText(p, 0, mfFull) + " " + BirthDeathPlaceText(p, bpBirth));
  if (!birth.empty()) AppendTemplateText("\ngeboren " + birth, false);
  const AnsiString death = Trim(BirthDeathDateText(p, 1, mfFull) + " " + BirthDeathPlaceText(p, bpDeathOrSame));
  if (!death.empty()) AppendTemplateText(AnsiString(birth.empty() ? "\n" : ", ") + "gestorben " + death, false);
  const AnsiString of = Str(p, "PERS_PATRON");
  if (!of.empty()) AppendTemplateText((Int(p, "PERS_GESCH") == 1 ? "\nPatronin " : "\nPatron ") + of, false);
}

void TTemplateExpansion::CollapseDoubleBlanks() {
  finder_->Clear();
  finder_->SetCaseSensitive(true);
  finder_->SetRangeChar('*');
  finder_->Reset();
  // Text before a replaced pair holds no pair (it was searched, and the
  // character before the pair is no blank), so the search goes on at the
  // replacement itself: three blanks become one as well.
  while (finder_->Find("  ")) {
    const int at = finder_->FoundPosition();
    finder_->ReplaceFound(" ");
    finder_->SetStartPosition(at);
  }
}

// ---- values ------------------------------------------------------------------------------

AnsiString TTemplateExpansion::EntryText(const char* field) const { return Str(entry_, field); }

AnsiString TTemplateExpansion::DateValue(const PackedDate& d, const AnsiString& part) {
  if (part == "W") return PackedDateWeekdayName(mfFull, d);
  if (part == "T") return PackedDateDayText(d);
  if (part == "M") return PackedDateMonthName(mfFull, d);
  if (part == "J") return PackedDateYearText(d);
  if (part.rfind("Mond", 0) == 0) return MoonPhaseName(MoonPhase(d), 0, 1, CaseOf(part.substr(4)));
  if (part.rfind("Stern", 0) == 0) return ZodiacSignName(ZodiacSignIndex(d, ZodiacSign), CaseOf(part.substr(5)));
  return "";
}

AnsiString TTemplateExpansion::SpanValue(const PackedDate& from, const AnsiString& part) {
  const TTemplatePeriod period = AlterInWorten(from, dates_.Output);
  const int32_t days = PackedDateToDayNumber(dates_.Output) - PackedDateToDayNumber(from);
  if (part == "Normal") return period.Text;
  if (part == "Dativ") return AlterDativ(period.Text);
  if (part == "in Jahren") return IntToStr(period.Years);
  if (part == "in Monaten") return IntToStr(period.Years * 12 + period.Months);
  if (part == "in Wochen") return IntToStr(days / 7);  // truncated toward zero
  if (part == "in Tagen") return IntToStr(days);
  return "";
}

AnsiString TTemplateExpansion::ValueOf(const AnsiString& p) {
  if (p.size() < 3 || p.front() != '<' || p.back() != '>') return "";
  const AnsiString inner = p.substr(1, p.size() - 2);
  if (inner == "Name") return Trim(EntryText("EIGE_VORNAME") + " " + EntryText("EIGE_NACHNAME"));
  if (inner == "Nachname") return EntryText("EIGE_NACHNAME");
  if (inner == "Vorname") return EntryText("EIGE_VORNAME");
  if (inner == "GebZeit") return EntryText("EIGE_ZEIT").substr(0, 5);
  if (inner == "GebOrt") return EntryText("EIGE_ORT");
  if (inner == "Pr\xE4p. GebOrt") {
    // No place, no preposition: "kam ... in zur Welt" is no German.
    const AnsiString place = Trim(EntryText("EIGE_ORT"));
    return place.empty() ? AnsiString() : Trim(Trim(EntryText("EIGE_ORTPR")) + " " + place);
  }
  struct DatePrefix {
    const char* Prefix;
    const PackedDate* Date;
  };
  for (const DatePrefix& d : {DatePrefix{"GebDat ", &dates_.Birth}, DatePrefix{"QuellDat ", &dates_.Source},
                              DatePrefix{"AusgDat ", &dates_.Output}})
    if (inner.rfind(d.Prefix, 0) == 0) return DateValue(*d.Date, inner.substr(std::strlen(d.Prefix)));
  if (inner.rfind("Alter ", 0) == 0) return SpanValue(dates_.Birth, inner.substr(6));
  if (inner.rfind("Zeit ", 0) == 0) return SpanValue(dates_.Source, inner.substr(5));
  return "";
}

// ---- sections ----------------------------------------------------------------------------

bool TTemplateExpansion::RunSection(const AnsiString& p) {
  const PackedDate& b = dates_.Birth;
  const PackedDate& s = dates_.Source;
  bool wrote = false;
  if (p == "<Weltgeschehen am Geburtsdatum>") wrote = wroteEventsBirth_ = EventsOnDate(p, b);
  else if (p == "<Weltgeschehen im Geburtsmonat>") wrote = EventsInMonth(p, b, wroteEventsBirth_);
  else if (p == "<Weltgeschehen am Geburtstag>") wrote = EventsOnDayEveryYear(p, b, wroteEventsBirth_);
  else if (p == "<Weltgeschehen am Quelldatum>") wrote = wroteEventsSource_ = EventsOnDate(p, s);
  else if (p == "<Weltgeschehen im Quellmonat>") wrote = EventsInMonth(p, s, wroteEventsSource_);
  else if (p == "<Geboren am Geburtsdatum>") wrote = wroteBornBirth_ = PersonsOnDate(p, b, false);
  else if (p == "<Gleicher Geburtstag>") wrote = SameBirthday(p, b, wroteBornBirth_);
  else if (p == "<Geboren im Geburtsmonat>") wrote = PersonsInMonth(p, b, false, wroteBornBirth_);
  else if (p == "<Geboren am Quelldatum>") wrote = wroteBornSource_ = PersonsOnDate(p, s, false);
  else if (p == "<Geboren im Quellmonat>") wrote = PersonsInMonth(p, s, false, wroteBornSource_);
  else if (p == "<Gestorben am Geburtsdatum>") wrote = wroteDiedBirth_ = PersonsOnDate(p, b, true);
  else if (p == "<Gestorben im Geburtsmonat>") wrote = PersonsInMonth(p, b, true, wroteDiedBirth_);
  else if (p == "<Gestorben am Quelldatum>") wrote = wroteDiedSource_ = PersonsOnDate(p, s, true);
  else if (p == "<Gestorben im Quellmonat>") wrote = PersonsInMonth(p, s, true, wroteDiedSource_);
  else if (p == "<Namenspatrone am Geburtstag>") wrote = PatronsOfDay(p, b);
  else if (p == "<Namenspatrone am Quelldatum>") wrote = PatronsOfDay(p, s);
  else if (p == "<Namenstage>") wrote = NameDays(p);
  else if (p == "<Namensformen>") wrote = NameForms(p);
  else if (p == "<Feiertage am Geburtstag>") wrote = HolidaysOfDay(p, b);
  else if (p == "<Feiertage am Quelldatum>") wrote = HolidaysOfDay(p, s);
  EndTemplatePlaceholder();
  return wrote;
}

bool TTemplateExpansion::EventsOnDate(const AnsiString& p, const PackedDate& d) {
  TwwTable* ev = t_.Events;
  const int y = PackedDateYear(d), m = PackedDateMonth(d), day = PackedDateDay(d);
  int n = 0;
  while (TakeTemplatePlaceholder(p)) {
    ev->SetIndexName("ER_JMT");
    const int before = n;
    if (SeekKey(ev, {y, m, day}))
      for (; !ev->Eof() && Int(ev, "EREI_JAHR") == y && Int(ev, "EREI_MONAT") == m && Int(ev, "EREI_TAG") == day;
           ev->Next())
        AppendTemplateArchiveText(Int(ev, "EREI_TEXT"), EventArchive, n++ > before);
  }
  return n > 0;
}

// What differs between the sections of dated lines "TAB label TAB text".
struct TTemplateExpansion::DatedList {
  TwwTable* Table;
  const char* Index;
  std::vector<Variant> From;  // where the walk starts: the nearest record, or the one before it backwards
  bool Backwards;
  std::vector<std::pair<const char*, int>> Same;  // the fields that hold their values in the run
  const char* Label;                              // the field whose value labels a line
  bool Years;                                     // labels "1990:" rather than "7."
  std::optional<int> Skip;                        // the label value left out
  std::function<void()> Text;                     // writes a record's text behind its label
};

namespace {

std::optional<int> SkipIf(bool skip, int value) { return skip ? std::optional<int>(value) : std::nullopt; }

}  // namespace

bool TTemplateExpansion::DatedSection(const AnsiString& p, const DatedList& l) {
  TwwTable* t = l.Table;
  auto inRun = [&] {
    if (l.Backwards ? t->Bof() : t->Eof()) return false;
    return std::all_of(l.Same.begin(), l.Same.end(), [t](const auto& f) { return Int(t, f.first) == f.second; });
  };
  auto step = [&] {
    if (l.Backwards)
      t->Prior();
    else
      t->Next();
  };
  int n = 0;
  while (TakeTemplatePlaceholder(p)) {
    t->SetIndexName(l.Index);
    t->FindNearest(l.From);
    if (l.Backwards) StepBack(t);
    const int before = n;
    for (; inRun(); step()) {
      const int value = Int(t, l.Label);
      if (value == l.Skip) continue;
      AppendTemplateText("\t" + IntToStr(value) + (l.Years ? ":\t" : ".\t"), n > before);
      l.Text();
      if (n++ == before) SetTemplateHangingIndent(l.Years ? "9999: " : "99. ");
    }
  }
  return n > 0;
}

bool TTemplateExpansion::EventsInMonth(const AnsiString& p, const PackedDate& d, bool skipDay) {
  TwwTable* ev = t_.Events;
  const int y = PackedDateYear(d), m = PackedDateMonth(d);
  // The day runs descending: from the month's end of the index backwards
  // the days come in ascending order.
  return DatedSection(p, {.Table = ev, .Index = "ER_JMT", .From = {y, m, 0}, .Backwards = true,
                          .Same = {{"EREI_JAHR", y}, {"EREI_MONAT", m}}, .Label = "EREI_TAG", .Years = false,
                          .Skip = SkipIf(skipDay, PackedDateDay(d)),
                          .Text = [&] { AppendTemplateArchiveText(Int(ev, "EREI_TEXT"), EventArchive, false); }});
}

bool TTemplateExpansion::EventsOnDayEveryYear(const AnsiString& p, const PackedDate& d, bool skipYear) {
  TwwTable* ev = t_.Events;
  const int m = PackedDateMonth(d), day = PackedDateDay(d);
  return DatedSection(p, {.Table = ev, .Index = "ER_MTJ", .From = {m, day, 0}, .Backwards = true,
                          .Same = {{"EREI_TAG", day}, {"EREI_MONAT", m}}, .Label = "EREI_JAHR", .Years = true,
                          .Skip = SkipIf(skipYear, PackedDateYear(d)),
                          .Text = [&] { AppendTemplateArchiveText(Int(ev, "EREI_TEXT"), EventArchive, false); }});
}

namespace {

struct PersonDateFields {
  const char* Index;
  const char* Year;
  const char* Month;
  const char* Day;
};
constexpr PersonDateFields kBorn{"PE_GDAT", "PERS_GEBJ", "PERS_GEBM", "PERS_GEBT"};
constexpr PersonDateFields kDied{"PE_TDAT", "PERS_TODJ", "PERS_TODM", "PERS_TODT"};

}  // namespace

bool TTemplateExpansion::PersonsOnDate(const AnsiString& p, const PackedDate& d, bool death) {
  TwwTable* ps = t_.Persons;
  const PersonDateFields& f = death ? kDied : kBorn;
  const int y = PackedDateYear(d), m = PackedDateMonth(d), day = PackedDateDay(d);
  int n = 0;
  while (TakeTemplatePlaceholder(p)) {
    ps->SetIndexName(f.Index);
    const int before = n;
    if (SeekKey(ps, {1, y, m, day}))
      for (; !ps->Eof() && Int(ps, f.Year) == y && Int(ps, f.Month) == m && Int(ps, f.Day) == day; ps->Next())
        AppendTemplatePersonText(n++ > before);
  }
  return n > 0;
}

bool TTemplateExpansion::PersonsInMonth(const AnsiString& p, const PackedDate& d, bool death, bool skipDay) {
  const PersonDateFields& f = death ? kDied : kBorn;
  const int y = PackedDateYear(d), m = PackedDateMonth(d);
  return DatedSection(p, {.Table = t_.Persons, .Index = f.Index, .From = {1, y, m, 0}, .Backwards = false,
                          .Same = {{f.Year, y}, {f.Month, m}}, .Label = f.Day, .Years = false,
                          .Skip = SkipIf(skipDay, PackedDateDay(d)),
                          .Text = [this] { AppendTemplatePersonText(false); }});
}

bool TTemplateExpansion::SameBirthday(const AnsiString& p, const PackedDate& d, bool skipYear) {
  const int m = PackedDateMonth(d), day = PackedDateDay(d);
  // Era and year run descending: backwards from the day's earliest year
  // after Christ the years ascend.
  return DatedSection(p, {.Table = t_.Persons, .Index = "PE_GMTJ", .From = {m, day, 1, 0}, .Backwards = true,
                          .Same = {{"PERS_GEBM", m}, {"PERS_GEBT", day}}, .Label = "PERS_GEBJ", .Years = true,
                          .Skip = SkipIf(skipYear, PackedDateYear(d)),
                          .Text = [this] { AppendTemplatePersonText(false); }});
}

bool TTemplateExpansion::PatronsOfDay(const AnsiString& p, const PackedDate& d) {
  TwwTable* pa = t_.Patrons;
  TwwTable* names = t_.Names;
  const int m = PackedDateMonth(d), day = PackedDateDay(d);
  int n = 0;
  while (TakeTemplatePlaceholder(p)) {
    names->SetIndexName("XPKNAME");
    pa->SetIndexName("PA_MT");
    auto nameOf = [&] { return SeekKey(names, {Int(pa, "NAME_ID")}) ? Str(names, "NAME_NAME") : AnsiString(); };
    int32_t widest = 0;
    pa->FindNearest({m, day, 0});
    for (; !pa->Eof() && Int(pa, "PATR_TAG") == day && Int(pa, "PATR_MONAT") == m; pa->Next())
      widest = std::max(widest, LabelTwips(nameOf() + " "));
    const int before = n;
    pa->FindNearest({m, day, 0});
    for (; !pa->Eof() && Int(pa, "PATR_TAG") == day && Int(pa, "PATR_MONAT") == m; pa->Next()) {
      AppendTemplateText("\t" + nameOf() + "\t", n > before);
      AppendTemplatePatronText(false);
      if (n++ == before) SetTemplateLabelLayout(widest);
    }
  }
  return n > 0;
}

int TTemplateExpansion::MainNameId(const AnsiString& name) {
  TwwTable* names = t_.Names;
  names->SetIndexName("NA_GESCH");
  if (name.empty() || !SeekKey(names, {Int(entry_, "EIGE_GESCH"), name})) return 0;
  return Int(names, "NAME_TYP") == 0 ? Int(names, "NAME_ID") : Int(names, "NAME_VON");
}

int32_t TTemplateExpansion::MeasureTemplateNameDays(const AnsiString& name) {
  const int main = MainNameId(name);
  if (main <= 0) return 0;
  TwwTable* names = t_.Names;
  TwwTable* pa = t_.Patrons;
  pa->SetIndexName("PA_NAME");
  names->SetIndexName("XPKNAME");
  int32_t widest = 0;
  if (!SeekKey(names, {main})) return 0;
  for (; !names->Eof() && (Int(names, "NAME_VON") == main || Int(names, "NAME_ID") == main); names->Next()) {
    const int id = Int(names, "NAME_ID");
    if (!SeekKey(pa, {id})) continue;
    for (; !pa->Eof() && Int(pa, "NAME_ID") == id; pa->Next())
      widest = std::max(widest, LabelTwips(IntToStr(Int(pa, "PATR_TAG")) + ". " + FullMonth(Int(pa, "PATR_MONAT")) + ": "));
  }
  return widest;
}

bool TTemplateExpansion::AppendTemplateNameDays(const AnsiString& name, int32_t labelTwips, int& lines) {
  const int main = MainNameId(name);
  if (main <= 0) return false;
  TwwTable* names = t_.Names;
  TwwTable* pa = t_.Patrons;
  pa->SetIndexName("PA_NAME");
  const int before = lines;
  auto writeName = [&](int id) {
    if (!SeekKey(pa, {id})) return;
    for (; !pa->Eof() && Int(pa, "NAME_ID") == id; pa->Next()) {
      AppendTemplateText("\t" + IntToStr(Int(pa, "PATR_TAG")) + ". " + FullMonth(Int(pa, "PATR_MONAT")) + "\t",
                         lines > 0);
      AppendTemplatePatronText(false);
      if (lines++ == 0) SetTemplateLabelLayout(labelTwips);
    }
  };
  // The main name and the forms that follow it by number, then every form
  // of it by the forms' index; a form met both ways is written once.
  std::set<int> written;
  names->SetIndexName("XPKNAME");
  if (SeekKey(names, {main}))
    for (; !names->Eof() && (Int(names, "NAME_VON") == main || Int(names, "NAME_ID") == main); names->Next())
      if (written.insert(Int(names, "NAME_ID")).second) writeName(Int(names, "NAME_ID"));
  names->SetIndexName("NA_VON");
  names->FindNearest({main});
  for (; !names->Eof() && Int(names, "NAME_VON") == main; names->Next())
    if (written.insert(Int(names, "NAME_ID")).second) writeName(Int(names, "NAME_ID"));
  return lines > before;
}

bool TTemplateExpansion::NameDays(const AnsiString& p) {
  const AnsiString name = EntryText("EIGE_VORNAME");
  int total = 0;
  // Each part of a compound first name and what follows it, in order.
  auto parts = [&name](const std::function<void(const AnsiString&)>& each) {
    AnsiString rest = name;
    for (std::size_t at; (at = FirstCharInSet(rest, " -")) != AnsiString::npos;) {
      each(rest.substr(0, at));
      rest = rest.substr(at + 1);
      each(rest);
    }
  };
  while (TakeTemplatePlaceholder(p)) {
    int32_t widest = MeasureTemplateNameDays(name);
    if (widest == 0) parts([&](const AnsiString& part) { widest = std::max(widest, MeasureTemplateNameDays(part)); });
    if (widest == 0) continue;
    // Lines count per place: each place's first line continues its paragraph.
    int lines = 0;
    if (!AppendTemplateNameDays(name, widest, lines))
      parts([&](const AnsiString& part) { AppendTemplateNameDays(part, widest, lines); });
    total += lines;
  }
  return total > 0;
}

bool TTemplateExpansion::NameForms(const AnsiString& p) {
  const AnsiString name = EntryText("EIGE_VORNAME");
  TwwTable* names = t_.Names;
  int n = 0;
  while (TakeTemplatePlaceholder(p)) {
    const int main = MainNameId(name);
    if (main <= 0) continue;
    int shown = 0;
    auto write = [&] {
      const AnsiString form = Str(names, "NAME_NAME");
      if (form == name) return;
      AppendTemplateText(shown++ > 0 ? ", " + form : form, false);
      ++n;
    };
    names->SetIndexName("XPKNAME");
    if (SeekKey(names, {main})) write();
    names->SetIndexName("NA_VON");
    names->FindNearest({main});
    for (; !names->Eof() && Int(names, "NAME_VON") == main; names->Next()) write();
  }
  return n > 0;
}

bool TTemplateExpansion::HolidaysOfDay(const AnsiString& p, const PackedDate& d) {
  TwwTable* h = t_.Holidays;
  const int m = PackedDateMonth(d), day = PackedDateDay(d);
  int n = 0;
  auto onDay = [&] { return !h->Eof() && Int(h, "FTAG_TYP") == 1 && Int(h, "FTAG_TAG") == day && Int(h, "FTAG_MONAT") == m; };
  while (TakeTemplatePlaceholder(p)) {
    h->SetIndexName("FT_MT");
    int32_t widest = 0;
    h->FindNearest({1, m, day});
    for (; onDay(); h->Next()) widest = std::max(widest, LabelTwips(Str(h, "FTAG_TITEL") + ": "));
    const int before = n;
    h->FindNearest({1, m, day});
    for (; onDay(); h->Next()) {
      AppendTemplateText("\t" + Str(h, "FTAG_TITEL") + ":\t", n > before);
      AppendTemplateArchiveText(Int(h, "FTAG_TEXT"), HolidayArchive, false);
      if (n++ == before) SetTemplateLabelLayout(widest);
    }
  }
  return n > 0;
}

// Template expansion: a print template, already copied into a rich-text
// control (the sheet), gets every placeholder of language.h replaced by the
// data of one own person entry and three dates, in the language's order:
// the values, then the sections, then every double blank made one.
//
// Invariants of one expansion:
//  - placeholders are found with their exact letter case; the search for a
//    value goes on behind each replacement, so a value holding its own
//    placeholder is never replaced again;
//  - every replacement and every run of a section carries the character
//    record of the placeholder it replaces (its first character);
//  - a section is written at the place of its placeholder: the first
//    record continues that paragraph, every later one starts a paragraph
//    that takes the layout of the one before (in a table cell a line of
//    the cell), and text written behind the placeholder in its paragraph
//    follows the section's last record;
//  - archive texts are copied without their hidden characters (the link
//    stamps), every character in the placeholder's record;
//  - the reference tables are left open where the walks left them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/templates/language.h"
#include "calendar/vlf.h"
#include "dbcontrols/datasets/wwtable.h"
#include "richtext/controls/rtfedit.h"
#include "richtext/io/textio.h"

// The three dates of a sheet.
struct TTemplateDates {
  PackedDate Birth;
  PackedDate Source;
  PackedDate Output;
};

// The dates from the entry's birth date and the texts of the print window's
// source and output date ("dd.mm.yyyy"): an empty source date is the birth
// date, an empty output date today. Raises EConvertError (German, naming the
// text) for a text that is no date, and (naming the calendar's span) for a
// date before 20.10.1582 or after 31.12.8201.
TTemplateDates TemplateDatesOf(TDateTime birth, const AnsiString& sourceText, const AnsiString& outputText);

// The reference tables the sections read, open, under the alias "Orvelan".
struct TTemplateTables {
  TwwTable* Events = nullptr;    // "EREIGNIS.FFD"
  TwwTable* Persons = nullptr;   // "PERSON.FFD"
  TwwTable* Patrons = nullptr;   // "PATRON.FFD"
  TwwTable* Names = nullptr;     // "NAME.FFD"
  TwwTable* Holidays = nullptr;  // "FEIERTAG.FFD"
};

// Opens the five tables for the life of the object (or of an expansion
// that is given none) and closes them again.
class TTemplateReferenceTables {
 public:
  TTemplateReferenceTables();
  ~TTemplateReferenceTables();
  TTemplateReferenceTables(const TTemplateReferenceTables&) = delete;
  TTemplateReferenceTables& operator=(const TTemplateReferenceTables&) = delete;
  const TTemplateTables& Tables() const { return tables_; }

 private:
  std::vector<std::unique_ptr<TwwTable>> own_;
  TTemplateTables tables_;
};

// Expands the template in `sheet` for the current record of `entry` (a
// dataset on "EIGENES") and the dates; the tables are opened for the call
// when none are given. Needs the data set-up (archives, lookup tables). The
// caller lays the sheet out afterwards.
void ExpandTemplate(TWPCustomRtfEdit* sheet, TDataSet* entry, const TTemplateDates& dates,
                    const TTemplateTables* tables = nullptr);

// The operations of one expansion, each usable on its own (the expansion
// runs them in order; tests call single ones).
class TTemplateExpansion {
 public:
  TTemplateExpansion(TWPCustomRtfEdit* sheet, TDataSet* entry, const TTemplateDates& dates,
                     const TTemplateTables& tables);
  ~TTemplateExpansion();
  TTemplateExpansion(const TTemplateExpansion&) = delete;
  TTemplateExpansion& operator=(const TTemplateExpansion&) = delete;

  // Every placeholder, in order, then the double blanks.
  void Run();

  // Every occurrence of the placeholder becomes the text.
  void ReplacePlatzhalter(const AnsiString& placeholder, const AnsiString& text);
  // The first occurrence is removed and the cursor put there; what stood
  // behind it in its paragraph is kept aside until EndTemplatePlaceholder.
  // A line of text right above it in its paragraph is the section's heading
  // there, which EndTemplatePlaceholder removes when the section wrote
  // nothing there. False when there is none.
  bool TakeTemplatePlaceholder(const AnsiString& placeholder);
  // Puts the text kept aside at the end of the current paragraph.
  void EndTemplatePlaceholder();
  // One run in the placeholder's record at the end of the current
  // paragraph, after a new paragraph when asked.
  void AppendTemplateText(const AnsiString& text, bool newParagraph);
  // The archive's record at the offset (nothing for 0 or less), its hidden
  // characters left out; a paragraph end inside it becomes a line break.
  void AppendTemplateArchiveText(int32_t offset, TVlf* archive, bool newParagraph);
  // A label's width in twips in the placeholder's look, snapped to the grid.
  int32_t LabelTwips(const AnsiString& label);
  // Labelled lines "TAB label TAB text" of the current paragraph: the
  // label right-aligned ending at `labelTwips`, the text 141 twips further.
  void SetTemplateLabelLayout(int32_t labelTwips);
  void SetTemplateHangingIndent(const AnsiString& sampleLabel) { SetTemplateLabelLayout(LabelTwips(sampleLabel)); }
  // The current record of "PERSON" / the person behind the current
  // "PATRON" record.
  void AppendTemplatePersonText(bool newParagraph);
  void AppendTemplatePatronText(bool newParagraph);
  void CollapseDoubleBlanks();

  // The value of a value placeholder (empty text for any other).
  AnsiString ValueOf(const AnsiString& placeholder);
  // One section placeholder, every occurrence; true when a record was written.
  bool RunSection(const AnsiString& placeholder);

 private:
  struct Tail;
  struct DatedList;
  int Year(const PackedDate& d) const { return PackedDateYear(d); }
  AnsiString EntryText(const char* field) const;
  // Whether the paragraph written to is a table cell.
  bool InTableCell() const;
  AnsiString DateValue(const PackedDate& d, const AnsiString& part);
  AnsiString SpanValue(const PackedDate& from, const AnsiString& part);
  bool EventsOnDate(const AnsiString& p, const PackedDate& d);
  bool EventsInMonth(const AnsiString& p, const PackedDate& d, bool skipDay);
  bool EventsOnDayEveryYear(const AnsiString& p, const PackedDate& d, bool skipYear);
  bool PersonsOnDate(const AnsiString& p, const PackedDate& d, bool death);
  bool PersonsInMonth(const AnsiString& p, const PackedDate& d, bool death, bool skipDay);
  bool SameBirthday(const AnsiString& p, const PackedDate& d, bool skipYear);
  // One line "TAB label TAB text" a record of the list's run, every
  // occurrence of the placeholder; the first line of each continues its
  // paragraph and sets the hanging indent for the widest label.
  bool DatedSection(const AnsiString& p, const DatedList& list);
  bool PatronsOfDay(const AnsiString& p, const PackedDate& d);
  bool NameDays(const AnsiString& p);
  // Widest label of one name's name days, 0 when it has none; writing
  // returns whether a line was written.
  int32_t MeasureTemplateNameDays(const AnsiString& name);
  bool AppendTemplateNameDays(const AnsiString& name, int32_t labelTwips, int& lines);
  bool NameForms(const AnsiString& p);
  bool HolidaysOfDay(const AnsiString& p, const PackedDate& d);
  // The main name's number of a first name (gender from the entry), 0 when
  // "NAME" lacks it.
  int MainNameId(const AnsiString& name);

  TWPCustomRtfEdit* sheet_;
  TDataSet* entry_;
  TTemplateDates dates_;
  TTemplateTables t_;
  TWPTextFinder* finder_;
  TWPAttrRecord kept_;
  std::unique_ptr<Tail> tail_;
  // The heading of the placeholder taken last and the paragraph of its lines.
  struct {
    TWPParagraphRec* Heading = nullptr;
    TWPParagraphRec* Lines = nullptr;
  } heading_;
  TWPRTFTextIo archiveText_;
  TMemoryStream stream_;
  // Which of the sections written before a later one asks about wrote.
  bool wroteEventsBirth_ = false, wroteEventsSource_ = false;
  bool wroteBornBirth_ = false, wroteBornSource_ = false;
  bool wroteDiedBirth_ = false, wroteDiedSource_ = false;
};

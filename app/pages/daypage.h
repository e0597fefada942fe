// What every day page of the main window shares: the context a builder
// works in (the page control, the tables it reads, the display sections and
// the day) and the steps all builders take: the tab position measured in
// the year's font, the hyperlink look, the progress gauge and the format of
// each entry's paragraph.
//
// Invariants: a builder writes only into ctx.Page and leaves it unformatted
// (the page frame lays it out once when the builder returns); the first
// entry fills the empty paragraph a cleared control holds, every later one
// starts a new paragraph; the gauge, when there is one, is hidden again
// when the builder returns, also after an error.
#pragma once

#include <cstdint>
#include <vector>

#include "app/settings/settings.h"
#include "calendar/packeddate.h"
#include "dbcontrols/datasets/wwtable.h"
#include "platform/ui/extctrls.h"
#include "richtext/controls/rtfedit.h"

// The window's parts a day-page builder needs. The main window fills one
// from its own components; tests and other windows can fill their own. A
// table the start could not open is null: the rubrics that walk it are not
// offered, and a page that only looks into it goes on without it.
struct DayPageContext {
  TWPCustomRtfEdit* Page = nullptr;  // the control the page is written into
  TwwTable* Persons = nullptr;       // "PERSON.FFD"
  TwwTable* Patrons = nullptr;       // "PATRON.FFD"
  TwwTable* Own = nullptr;           // the user's "EIGENES.FFD"
  TwwTable* Events = nullptr;        // "EREIGNIS.FFD"
  TwwTable* Names = nullptr;         // "NAME.FFD"
  TwwTable* Holidays = nullptr;      // "FEIERTAG.FFD"
  TGauge* Gauge = nullptr;           // progress of the build; may be null
  // The display sections by rubric number (kRubricCount entries).
  const DisplaySettings* Sections = RubricDisplay;
  PackedDate Date{};  // the day shown
};

// Indents and spacing of an entry's paragraph, twips: the year starts at
// kEntryIndent, continuation lines align with the text after the tab.
constexpr int32_t kEntryIndent = 72;
constexpr int32_t kEntrySpaceBefore = 72;
constexpr int32_t kEntrySpaceAfter = 30;

// The width of the widest of some texts in the font block with the
// attribute block, in twips of the document: the probe "Test" is written
// and laid out in that look, the texts measured on the control's own canvas
// in the probe's font, and the control emptied again (so a day without
// entries is an empty page).
int32_t DayPageTextTwips(TWPCustomRtfEdit* page, const FontSettings& font, const TextAttributes& attr,
                         const std::vector<AnsiString>& texts);
int32_t DayPageTextTwips(TWPCustomRtfEdit* page, const FontSettings& font, const TextAttributes& attr,
                         const AnsiString& text);
// The tab position in twips: the width of "xx" and of the widest of the
// texts that stand before the tab (e.g. "9999" and the day's years before
// Christ), snapped to the ruler's grid.
int32_t MeasureDayPageTab(TWPCustomRtfEdit* page, const FontSettings& font, const TextAttributes& attr,
                          const std::vector<AnsiString>& before);

// The tab position of the name-day and holiday pages: the width of "xx"
// and "X" in the section's font with the attribute block, snapped to the
// ruler's grid.
int32_t MeasureShortTab(TWPCustomRtfEdit* page, const FontSettings& font, const TextAttributes& attr);

// The year, a tab and the count of years before an entry's text (the
// personal and the world-events pages): the year in the year block (a new
// paragraph unless `first`; year 0, unknown, leaves the year out), then
// "Vor n Jahren" and a line feed in the jubilee block when the jubilee
// switch is on and n is a jubilee, else "(n) " when the years switch is on;
// nothing for n <= 0.
struct YearPartLook {
  const FontSettings* Font;
  const TextAttributes *Year, *Years, *Jubilee, *Text;
  bool YearsOn, JubileeOn;
};
void WriteYearPart(TWPCustomRtfEdit* page, const YearPartLook& look, int year, const PackedDate& date, bool first);

// The format of the paragraph just written: first line at kEntryIndent,
// following lines at the tab, right indent kEntryIndent, spacing before
// kEntrySpaceBefore and after kEntrySpaceAfter, a left tab stop at the tab.
void FormatDayPageEntry(TWPCustomRtfEdit* page, int32_t tab);

// The gauge of a build: shown with the range's size and progress 0 on
// construction, advanced once per entry, hidden on destruction.
class DayPageGauge {
 public:
  DayPageGauge(TGauge* gauge, int maxValue);
  ~DayPageGauge();
  DayPageGauge(const DayPageGauge&) = delete;
  DayPageGauge& operator=(const DayPageGauge&) = delete;
  void Step();

 private:
  TGauge* gauge_;
};

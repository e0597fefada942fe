// The day pages of the user's own entries (rubric 1) and of world events
// (rubric 4): one paragraph per entry of the day, the latest year first,
// each with its year, a tab and the count of years before its text, in the
// display section "PERSOENLICHE DATEN" or "EREIGNISSE".
//
// Invariants: an own entry's text is split into lines at its hard line
// breaks only (CR LF, LF or CR), whatever the width of any control; the
// own-entries table is left on "XEIGE_MTJ" with the day's range, the events
// table on "ER_MTJ" with the day's range.
#pragma once

#include <vector>

#include "app/pages/daypage.h"

// Writes the user's entries of ctx.Date's month and day (ctx.Own) into the
// emptied ctx.Page. No hyperlink look is set on this page.
void DisplayEige(const DayPageContext& ctx);
// Writes the world events of the day (ctx.Events, texts from EventArchive)
// into the emptied ctx.Page.
void DisplayErei(const DayPageContext& ctx);

// The lines of a memo text: split at CR LF, LF or CR; a break at the very
// end starts no further line; an empty text has no line.
std::vector<AnsiString> MemoLines(const AnsiString& text);

// The day page of name days (rubric 5): for each name of the day (in the
// order of the patron table) a heading with the main name and, when the
// section says so, its other forms, then the patron saint with its life
// dates, remark and what it is patron of, or the patron record's note; in
// the display section "NAMENSTAGE".
//
// Invariants: a heading only ever shows the name the patron record names
// (a record whose name the name table lacks gets no heading); the person
// table is left on "PE_GMTJ", the patron table on "PA_MT" with the day's
// range.
#pragma once

#include "app/pages/daypage.h"

// Writes the name days of ctx.Date's month and day into the emptied
// ctx.Page (ctx.Patrons, ctx.Names, ctx.Persons; remarks from
// PersonArchive).
void DisplayName(const DayPageContext& ctx);

// The day page of holidays and feasts (rubric 6): every holiday of the
// table that falls on the day, whatever the country and confession
// settings say, grouped by rule kind (fixed dates; Monday or Sunday after a
// date; the n-th or last weekday of a month; days before or after Easter;
// days before or after a full moon), each with its countries, its text and,
// for a movable feast, its rule; in the display section "FEIERTAGE".
//
// Invariants: every record whose rule matches the day is shown, also where
// several records share a rule's key and where a day is both the n-th and
// the last such weekday of its month; full moons are those of the Central
// European civil day. The holiday table is left on "FT_MT" with the last
// range set.
#pragma once

#include "app/pages/daypage.h"

// Writes the holidays of ctx.Date into the emptied ctx.Page (ctx.Holidays;
// texts from HolidayArchive).
void DisplayFTag(const DayPageContext& ctx);

// The day pages of births (rubric 2) and deaths (rubric 3): one paragraph
// per person of the day, newest first, with the elements, font and
// attributes of the display section "GEBURTSTAGE" or "TODESTAGE".
//
// Invariants: persons before Christ carry " v.Chr." (joined by a no-break
// space) after their year and follow all persons after Christ, the most
// recent of them first; their
// count of years spans the missing year 0. The person table is left on the
// rubric's index with the day's range, the patron table on "PA_PERS".
#pragma once

#include "app/pages/daypage.h"

enum { dpBirths = 0, dpDeaths = 1 };

// Writes the births (which 0) or deaths (which 1) of ctx.Date into the
// emptied ctx.Page. Needs the data set-up (lookup tables and PersonArchive)
// and open person and patron tables.
void DisplayPers(const DayPageContext& ctx, int which);

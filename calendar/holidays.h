// Names of the public holidays and main church feasts of a day, by country
// (0 Deutschland, 1 Österreich, 2 Schweiz) and confession (0 katholisch,
// 1 protestantisch). A fixed rule table: fixed dates, Easter offsets, offsets
// from the first Sunday of Advent, and n-th weekdays of a month; a rule's
// legal-holiday flag holds in the years in which the day was one (a feast
// keeps its name in the other years).
#pragma once

#include <cstdint>

#include "calendar/packeddate.h"

struct HolidayInfo {
  AnsiString Name;       // every name of the day joined with ", "; empty when none
  bool Holiday = false;  // a public holiday: the calendar draws the day red
};

// Raises ERangeError for a day number outside the calendar's span.
HolidayInfo HolidayName(int32_t dayNumber, int confession, int country);

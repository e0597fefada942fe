// Moon phase, zodiac sign, and the rise, culmination and set of sun and moon.
//
// Pure functions of the date and the place. Civil days are Central European
// time (UT + 1 h, + 2 h while IsSummerTime holds for the date); rise, set
// and culmination are given in days after 0 h UT. Latitudes are
// north positive, longitudes WEST positive. The positions are series
// solutions good to about 0.01 degree for the sun and a few arc seconds for
// the moon, so event times come out within seconds of the true sky.
#pragma once

#include <cstdint>

#include "calendar/packeddate.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/exceptions.h"

// The event does not happen in the day searched (polar day or night, the
// moon's daily gap).
class E_NoRiseSet : public Exception {
public:
  E_NoRiseSet() : Exception("No rises or sets calculable") {}
  const char* ClassName() const override { return "E_NoRiseSet"; }
};

// 1 new moon, 3 first quarter, 5 full moon, 7 last quarter on the civil day
// on which the event falls; 2, 4, 6, 8 on the days after each of them.
int MoonPhase(const PackedDate& d);
int MoonPhaseOfDayNumber(int32_t dayNumber);
// "Neumond", "zunehm. Mond", "Halbmond", "Vollmond", "abnehm. Mond". With
// keepCase 0 the even phases start upper case; with keepAbbreviation 0 the
// abbreviation is declined: case 0 and 1 "-ender", 2 "-enden" (and the
// genitive "s" of "Mond"), 3 "-endem", 4 "-enden".
AnsiString MoonPhaseName(int phase, int keepAbbreviation, int keepCase, int grammaticalCase = 0);

// Sign 0 Aries .. 11 Pisces from the sun's apparent longitude at 12:00
// (flag 0) or 24:00 (flag 1) Central European time of the date.
int ZodiacSignIndex(const PackedDate& d, int flag);
// Case 0 plain, 1 nominative, 2 genitive, 3 dative, 4 accusative.
AnsiString ZodiacSignName(int sign, int grammaticalCase);

// The first event in the 24 hours from the instant `date`: a whole date
// searches its UT day, the date less a zone's offset the zone's civil day.
// The result counts days from 0 h UT of the day on which `date` lies (a
// fraction of that day for a whole date). Raise E_NoRiseSet when there is
// no such event.
double SunRise(TDateTime date, long double latitude, long double longitude);
double SunCulmination(TDateTime date, long double latitude, long double longitude);
double SunSet(TDateTime date, long double latitude, long double longitude);
double MoonRise(TDateTime date, long double latitude, long double longitude);
double MoonCulmination(TDateTime date, long double latitude, long double longitude);
double MoonSet(TDateTime date, long double latitude, long double longitude);

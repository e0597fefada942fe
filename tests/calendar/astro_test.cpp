// Moon phases, zodiac signs and sun and moon times against an independent
// ephemeris (reference files from make_reference.py), and the German names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>
#include <map>
#include <string>

#include "calendar/astro.h"
#include "platform/rtl/cp1252.h"
#include "tests/calendar/reference.h"

namespace {

PackedDate ParseDate(const std::string& iso) {
  return MakePackedDate(std::stoi(iso.substr(0, 4)), std::stoi(iso.substr(5, 2)), std::stoi(iso.substr(8, 2)));
}

TEST(MoonPhaseTest, DecadeOfPhasesFallOnTheirCivilDays) {
  std::map<int32_t, int> events;  // day number -> 1, 3, 5, 7
  std::map<int32_t, bool> nearMidnight;
  for (const auto& r : LoadReference("moonphases.txt")) {
    const int32_t dn = PackedDateToDayNumber(ParseDate(r[0]));
    events[dn] = std::stoi(r[1]);
    // Within a few minutes of midnight the day is a matter of the models.
    if (std::stod(r[2]) < 5) nearMidnight[dn] = nearMidnight[dn - 1] = nearMidnight[dn + 1] = true;
  }
  ASSERT_GT(events.size(), 500u);
  int checked = 0;
  int last = events.begin()->second;
  for (int32_t dn = events.begin()->first; dn <= events.rbegin()->first; ++dn) {
    const auto e = events.find(dn);
    const int expected = e != events.end() ? e->second : last + 1;
    if (e != events.end()) last = e->second;
    if (nearMidnight.count(dn)) continue;
    ASSERT_EQ(MoonPhaseOfDayNumber(dn), expected) << DayNumberToPackedDate(dn).Key();
    ++checked;
  }
  EXPECT_GT(checked, 3900);
  // Full moon of 25.1.2024 (17:54 UT) through the packed-date entry.
  EXPECT_EQ(MoonPhase(MakePackedDate(2024, 1, 25)), 5);
  EXPECT_EQ(MoonPhase(MakePackedDate(2024, 1, 26)), 6);
}

TEST(MoonPhaseTest, PhasesStepForwardAcrossTheWholeSpan) {
  // Blocks of 400 days spread over 1582..8201: every day has a phase, the
  // sequence only steps on (1, 2, 3 .. 8, 1), and each event day comes once
  // per lunation (13 or 14 new moons in 400 days).
  const int32_t first = PackedDateToDayNumber(PackedDateMin());
  const int32_t span = PackedDateToDayNumber(PackedDateMax()) - first - 400;
  for (int block = 0; block <= 24; ++block) {
    const int32_t start = first + static_cast<int32_t>(static_cast<int64_t>(span) * block / 24);
    int previous = MoonPhaseOfDayNumber(start);
    int newMoons = 0;
    for (int32_t dn = start + 1; dn <= start + 400; ++dn) {
      const int p = MoonPhaseOfDayNumber(dn);
      const bool stays = p == previous && previous % 2 == 0;
      ASSERT_TRUE(stays || p == previous % 8 + 1) << dn << ": " << previous << " then " << p;
      newMoons += p == 1;
      previous = p;
    }
    EXPECT_GE(newMoons, 13) << start;
    EXPECT_LE(newMoons, 14) << start;
  }
}

TEST(ZodiacTest, SignAtNoonAndMidnightMatchesSunLongitude) {
  int checked = 0;
  for (const auto& r : LoadReference("zodiac.txt")) {
    const PackedDate d = ParseDate(r[0]);
    for (int flag = 0; flag <= 1; ++flag) {
      if (std::stod(r[2 + 2 * flag]) < 0.003) continue;  // too close to a boundary to call
      ASSERT_EQ(ZodiacSignIndex(d, flag), std::stoi(r[1 + 2 * flag])) << r[0] << " flag " << flag;
      ++checked;
    }
  }
  EXPECT_GT(checked, 9000);
}

using Routine = double (*)(TDateTime, long double, long double);

// Compares one reference row; returns the difference in minutes, or -1 for
// a day without the event.
double CheckRiseSetRow(const ReferenceRow& r) {
  static const std::map<std::string, Routine> routines = {
      {"sun rise", SunRise},   {"sun transit", SunCulmination},   {"sun set", SunSet},
      {"moon rise", MoonRise}, {"moon transit", MoonCulmination}, {"moon set", MoonSet}};
  const std::string what = r[4] + " " + r[5];
  const TDateTime date = PackedDateToDateTime(ParseDate(r[3]));
  const long double lat = std::stold(r[1]), lon = std::stold(r[2]);
  const Routine f = routines.at(what);
  SCOPED_TRACE(r[0] + " " + r[3] + " " + what);
  if (r[6] == "none") {
    EXPECT_THROW(f(date, lat, lon), E_NoRiseSet);
    return -1;
  }
  try {
    const double minutes = std::fabs(f(date, lat, lon) - std::stod(r[6])) * 1440;
    EXPECT_LE(minutes, r[4] == "sun" ? 1.0 : 3.0);
    return minutes;
  } catch (const E_NoRiseSet&) {
    ADD_FAILURE() << "no event, reference " << r[6];
    return 0;
  }
}

TEST(RiseSetTest, SunWithinOneMinuteMoonWithinThreeAndNoEventExactlyWhenNone) {
  std::vector<ReferenceRow> rows = LoadReference("riseset.txt");
  std::map<std::string, int> counts;
  double worstSun = 0, worstMoon = 0;
  for (const auto& r : rows) {
    const double minutes = CheckRiseSetRow(r);
    if (minutes < 0) {
      ++counts["none"];
      continue;
    }
    (r[4] == "sun" ? worstSun : worstMoon) = std::max(r[4] == "sun" ? worstSun : worstMoon, minutes);
    ++counts[r[0]];
  }
  // Every place contributed, and polar day and night and the moon's gaps too.
  EXPECT_EQ(counts.size(), 6u);
  EXPECT_GT(counts["none"], 300);
  RecordProperty("worst_sun_minutes", std::to_string(worstSun));
  RecordProperty("worst_moon_minutes", std::to_string(worstMoon));
  // Again with places and events interleaved day by day, so that no answer
  // can come from the samples of another place or body.
  std::stable_sort(rows.begin(), rows.end(), [](const ReferenceRow& a, const ReferenceRow& b) {
    return std::tie(a[3], a[5]) < std::tie(b[3], b[5]);
  });
  for (size_t i = 0; i < rows.size(); i += 3) CheckRiseSetRow(rows[i]);
}

TEST(RiseSetTest, MoonDippingBelowTheHorizonWithinOneHour) {
  // Tromsø, 31.8.2024: the moon sets at 21:11 UT and rises again at 21:37,
  // both between two hourly samples (positions from the reference ephemeris).
  const TDateTime date = PackedDateToDateTime(MakePackedDate(2024, 8, 31));
  EXPECT_NEAR(MoonSet(date, 69.6492L, -18.9553L) * 1440, 0.8827629 * 1440, 1.0);
  EXPECT_NEAR(MoonRise(date, 69.6492L, -18.9553L) * 1440, 0.9005369 * 1440, 1.0);
}

TEST(RiseSetTest, ErrorMessage) {
  try {
    SunRise(PackedDateToDateTime(MakePackedDate(2024, 12, 21)), 69.6492L, -18.9553L);
    FAIL() << "polar night has no sunrise";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "No rises or sets calculable");
    EXPECT_STREQ(e.ClassName(), "E_NoRiseSet");
  }
}

TEST(AstroNamesTest, MoonPhaseNamesInTheirForms) {
  EXPECT_EQ(MoonPhaseName(1, 0, 0), "Neumond");
  EXPECT_EQ(MoonPhaseName(2, 1, 0), "Zunehm. Mond");
  EXPECT_EQ(MoonPhaseName(2, 1, 1), "zunehm. Mond");
  EXPECT_EQ(MoonPhaseName(3, 0, 0), "Halbmond");
  EXPECT_EQ(MoonPhaseName(5, 1, 1), "Vollmond");
  EXPECT_EQ(MoonPhaseName(7, 1, 0), "Halbmond");
  EXPECT_EQ(MoonPhaseName(8, 1, 1), "abnehm. Mond");
  // Declined as the templates use them: "bei zunehmendem Mond", "des
  // abnehmenden Monds".
  EXPECT_EQ(MoonPhaseName(4, 0, 1, 0), "zunehmender Mond");
  EXPECT_EQ(MoonPhaseName(4, 0, 1, 1), "zunehmender Mond");
  EXPECT_EQ(MoonPhaseName(6, 0, 1, 2), "abnehmenden Monds");
  EXPECT_EQ(MoonPhaseName(2, 0, 1, 3), "zunehmendem Mond");
  EXPECT_EQ(MoonPhaseName(8, 0, 1, 4), "abnehmenden Mond");
  EXPECT_EQ(MoonPhaseName(6, 0, 0, 0), "Abnehmender Mond");
  EXPECT_EQ(MoonPhaseName(5, 0, 1, 2), "Vollmonds");
  EXPECT_EQ(MoonPhaseName(5, 0, 1, 3), "Vollmond");
  EXPECT_THROW(MoonPhaseName(0, 0, 0), ERangeError);
  EXPECT_THROW(MoonPhaseName(9, 0, 0), ERangeError);
  EXPECT_THROW(MoonPhaseName(1, 0, 0, 5), ERangeError);
}

TEST(AstroNamesTest, ZodiacNamesInTheirCases) {
  EXPECT_EQ(ZodiacSignName(0, 0), "Widder");
  EXPECT_EQ(ZodiacSignName(0, 2), "Widders");
  EXPECT_EQ(ZodiacSignName(4, 1), CP1252("Löwe").str());
  EXPECT_EQ(ZodiacSignName(4, 4), CP1252("Löwen").str());
  EXPECT_EQ(ZodiacSignName(8, 3), CP1252("Schützen").str());
  EXPECT_EQ(ZodiacSignName(2, 3), "Zwillingen");
  EXPECT_EQ(ZodiacSignName(11, 0), "Fische");
  EXPECT_EQ(ZodiacSignName(11, 3), "Fischen");
  EXPECT_EQ(ZodiacSignName(3, 2), "Krebses");
  EXPECT_EQ(ZodiacSignName(5, 2), "Jungfrau");
  EXPECT_THROW(ZodiacSignName(12, 0), ERangeError);
  EXPECT_THROW(ZodiacSignName(0, -1), ERangeError);
}

}  // namespace

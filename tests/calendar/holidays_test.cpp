// Holiday names of whole years for each country and confession, written
// down from the 2024 and 2025 wall calendars of the three countries.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "calendar/holidays.h"
#include "platform/rtl/cp1252.h"

namespace {

struct Expected {
  const char* name;  // UTF-8
  bool holiday;
};
using YearList = std::map<std::string, Expected>;  // "MM-DD" -> expected

// Walks a whole year and compares every day with the list; days not listed
// must have no name.
void CheckYear(int year, int confession, int country, const YearList& expected) {
  for (PackedDate d = MakePackedDate(year, 1, 1); PackedDateYear(d) == year; PackedDateNextDay(d)) {
    char key[16];
    std::snprintf(key, sizeof key, "%02d-%02d", d.Month, d.Day);
    const HolidayInfo got = HolidayName(PackedDateToDayNumber(d), confession, country);
    const auto e = expected.find(key);
    SCOPED_TRACE(std::to_string(year) + "-" + key);
    if (e == expected.end()) {
      EXPECT_EQ(got.Name, "");
      EXPECT_FALSE(got.Holiday);
    } else {
      EXPECT_EQ(Cp1252ToUtf8(got.Name), e->second.name);
      EXPECT_EQ(got.Holiday, e->second.holiday);
    }
    if (d == PackedDateMax()) break;
  }
}

// Easter 2024 was on 31 March; the first Sunday of Advent on 1 December.
YearList Germany2024Common() {
  return {{"01-01", {"Neujahr", true}},          {"02-14", {"Aschermittwoch", false}},
          {"03-24", {"Palmsonntag", false}},      {"03-28", {"Gründonnerstag", false}},
          {"03-29", {"Karfreitag", true}},        {"03-31", {"Ostersonntag", true}},
          {"04-01", {"Ostermontag", true}},       {"05-01", {"Maifeiertag", true}},
          {"05-09", {"Christi Himmelfahrt", true}}, {"05-19", {"Pfingstsonntag", true}},
          {"05-20", {"Pfingstmontag", true}},     {"10-03", {"Tag der Deutschen Einheit", true}},
          {"11-17", {"Volkstrauertag", false}},   {"12-01", {"1. Advent", false}},
          {"12-08", {"2. Advent", false}},        {"12-15", {"3. Advent", false}},
          {"12-22", {"4. Advent", false}},        {"12-24", {"Heiligabend", false}},
          {"12-25", {"1. Weihnachtstag", true}},  {"12-26", {"2. Weihnachtstag", true}},
          {"12-31", {"Silvester", false}}};
}

TEST(HolidayTest, GermanyCatholic2024) {
  YearList y = Germany2024Common();
  y["01-06"] = {"Heilige Drei Könige", true};
  y["05-26"] = {"Dreifaltigkeitssonntag", false};
  y["05-30"] = {"Fronleichnam", true};
  y["08-15"] = {"Mariä Himmelfahrt", true};
  y["11-01"] = {"Allerheiligen", true};
  y["11-02"] = {"Allerseelen", false};
  y["12-08"] = {"2. Advent, Mariä Empfängnis", false};
  CheckYear(2024, 0, 0, y);
}

TEST(HolidayTest, GermanyProtestant2024) {
  YearList y = Germany2024Common();
  y["01-06"] = {"Epiphanias", false};
  y["05-26"] = {"Trinitatis", false};
  y["10-31"] = {"Reformationstag", true};
  y["11-20"] = {"Buß- und Bettag", true};  // the Wednesday before 23 November
  y["11-24"] = {"Totensonntag", false};
  CheckYear(2024, 1, 0, y);
}

// Easter 2025 was on 20 April; the first Sunday of Advent on 30 November.
YearList Austria2025Common() {
  return {{"01-01", {"Neujahr", true}},           {"01-06", {"Heilige Drei Könige", true}},
          {"03-05", {"Aschermittwoch", false}},    {"04-13", {"Palmsonntag", false}},
          {"04-17", {"Gründonnerstag", false}},    {"04-20", {"Ostersonntag", true}},
          {"04-21", {"Ostermontag", true}},        {"05-01", {"Staatsfeiertag", true}},
          {"05-29", {"Christi Himmelfahrt", true}}, {"06-08", {"Pfingstsonntag", true}},
          {"06-09", {"Pfingstmontag", true}},      {"06-19", {"Fronleichnam", true}},
          {"08-15", {"Mariä Himmelfahrt", true}},  {"10-26", {"Nationalfeiertag", true}},
          {"11-01", {"Allerheiligen", true}},      {"11-30", {"1. Advent", false}},
          {"12-07", {"2. Advent", false}},         {"12-08", {"Mariä Empfängnis", true}},
          {"12-14", {"3. Advent", false}},         {"12-21", {"4. Advent", false}},
          {"12-24", {"Heiliger Abend", false}},    {"12-25", {"Christtag", true}},
          {"12-26", {"Stefanitag", true}},         {"12-31", {"Silvester", false}}};
}

TEST(HolidayTest, AustriaCatholic2025) {
  YearList y = Austria2025Common();
  y["04-18"] = {"Karfreitag", false};
  y["06-15"] = {"Dreifaltigkeitssonntag", false};
  y["11-02"] = {"Allerseelen", false};
  CheckYear(2025, 0, 1, y);
}

TEST(HolidayTest, AustriaProtestant2025) {
  YearList y = Austria2025Common();
  y["04-18"] = {"Karfreitag", true};
  y["06-15"] = {"Trinitatis", false};
  y["10-31"] = {"Reformationstag", false};
  y["11-23"] = {"Totensonntag", false};
  CheckYear(2025, 1, 1, y);
}

YearList Switzerland2024Common() {
  return {{"01-01", {"Neujahrstag", true}},     {"01-02", {"Berchtoldstag", true}},
          {"02-14", {"Aschermittwoch", false}},  {"03-24", {"Palmsonntag", false}},
          {"03-28", {"Gründonnerstag", false}},  {"03-29", {"Karfreitag", true}},
          {"03-31", {"Ostersonntag", true}},     {"04-01", {"Ostermontag", true}},
          {"05-01", {"Tag der Arbeit", false}},  {"05-09", {"Auffahrt", true}},
          {"05-19", {"Pfingstsonntag", true}},   {"05-20", {"Pfingstmontag", true}},
          {"08-01", {"Bundesfeiertag", true}},   {"09-15", {"Eidg. Bettag", true}},
          {"12-01", {"1. Advent", false}},       {"12-08", {"2. Advent", false}},
          {"12-15", {"3. Advent", false}},       {"12-22", {"4. Advent", false}},
          {"12-24", {"Heiliger Abend", false}},  {"12-25", {"Weihnachtstag", true}},
          {"12-26", {"Stephanstag", true}},      {"12-31", {"Silvester", false}}};
}

TEST(HolidayTest, SwitzerlandCatholic2024) {
  YearList y = Switzerland2024Common();
  y["01-06"] = {"Dreikönigstag", false};
  y["05-26"] = {"Dreifaltigkeitssonntag", false};
  y["05-30"] = {"Fronleichnam", true};
  y["08-15"] = {"Mariä Himmelfahrt", true};
  y["11-01"] = {"Allerheiligen", true};
  y["11-02"] = {"Allerseelen", false};
  y["12-08"] = {"2. Advent, Mariä Empfängnis", true};
  CheckYear(2024, 0, 2, y);
}

TEST(HolidayTest, SwitzerlandProtestant2024) {
  YearList y = Switzerland2024Common();
  y["05-26"] = {"Trinitatis", false};
  y["11-03"] = {"Reformationssonntag", false};
  y["11-24"] = {"Totensonntag", false};
  CheckYear(2024, 1, 2, y);
}

TEST(HolidayTest, MovableFeastsInOtherYears) {
  const auto name = [](int y, int m, int d, int conf, int country) {
    return Cp1252ToUtf8(HolidayName(PackedDateToDayNumber(MakePackedDate(y, m, d)), conf, country).Name);
  };
  // Buß- und Bettag: 22.11.2017 and 16.11.2022 (earliest possible date).
  EXPECT_EQ(name(2017, 11, 22, 1, 0), "Buß- und Bettag");
  EXPECT_EQ(name(2022, 11, 16, 1, 0), "Buß- und Bettag");
  // Eidg. Bettag: 21.9.2025 and 17.9.2023.
  EXPECT_EQ(name(2025, 9, 21, 0, 2), "Eidg. Bettag");
  EXPECT_EQ(name(2023, 9, 17, 1, 2), "Eidg. Bettag");
  // 24.12.2023 was the fourth Sunday of Advent.
  EXPECT_EQ(name(2023, 12, 24, 1, 0), "4. Advent, Heiligabend");
  EXPECT_EQ(name(2023, 12, 3, 1, 0), "1. Advent");
  // Pentecost Monday 1818 (Easter 22 March): 11 May.
  EXPECT_EQ(name(1818, 5, 11, 0, 0), "Pfingstmontag");
  // The German unity day moved from 17 June to 3 October in 1990.
  EXPECT_EQ(name(1989, 6, 17, 0, 0), "Tag der deutschen Einheit");
  EXPECT_EQ(name(1991, 6, 17, 0, 0), "");
  EXPECT_EQ(name(1989, 10, 3, 0, 0), "");
  EXPECT_EQ(name(1955, 10, 26, 0, 1), "");
  EXPECT_THROW(HolidayName(PackedDateToDayNumber(PackedDateMin()) - 1, 0, 0), ERangeError);
}

}  // namespace

// Holiday names of whole years for each country and confession, written
// down from the 2024 and 2025 wall calendars of the three countries; and the
// years in which the feasts whose status changed were legal holidays,
// against GNU gcal's holiday lists.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "calendar/holidays.h"
#include "platform/rtl/cp1252.h"
#include "tests/calendar/reference.h"

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
  // The Wednesday before 23 November; a legal holiday only up to 1994.
  y["11-20"] = {"Buß- und Bettag", false};
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
  y["04-18"] = {"Karfreitag", false};  // a legal holiday for Protestants only up to 2018
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

// Rows "year month day region feast marker" as gcal lists them (see
// make_gcal_reference.py).
using GcalRows = std::vector<ReferenceRow>;

// A region of gcal's lists that stands for one country and confession, for
// one feast whose legal status changed over the years.
struct Stand {
  const char* region;
  const char* feast;
  int country, confession;
  const char* legalMarkers;  // gcal markers that mean a legal holiday for that confession
  const char* name;          // UTF-8
  bool nameAlways;           // shown in every year, else only while a legal holiday
  int lastGcalYear;          // later years are checked by hand below
};

const Stand kStands[] = {
    {"DE_BY", "GoodFriday", 0, 0, "+#", "Karfreitag", true, 9999},
    {"DE_NI", "GoodFriday", 0, 1, "+#", "Karfreitag", true, 9999},
    {"AT", "GoodFriday", 1, 0, "+#", "Karfreitag", true, 9999},
    // "*": a legal holiday for part of the people, the Protestants; gcal's
    // lists predate the law that ended it in 2019.
    {"AT", "GoodFriday", 1, 1, "+#*", "Karfreitag", true, 2018},
    {"DE_BY", "Reformation", 0, 0, "+#", "Reformationstag", false, 9999},
    {"DE_SN", "Reformation", 0, 1, "+#", "Reformationstag", true, 9999},
    {"AT", "Reformation", 1, 0, "+#", "Reformationstag", false, 9999},
    {"AT", "Reformation", 1, 1, "+#", "Reformationstag", true, 9999},
    {"DE_BY", "Repentance", 0, 0, "+#", "Buß- und Bettag", false, 9999},
    // Saxony keeps the day since 1995, Lower Saxony stands for the rest.
    {"DE_NI", "Repentance", 0, 1, "+#", "Buß- und Bettag", true, 9999},
};

// Checks the rules against the rows; returns how many rows were compared.
int CheckAgainstGcal(const GcalRows& rows) {
  int compared = 0;
  for (const ReferenceRow& r : rows) {
    if (r.size() != 6) {
      ADD_FAILURE() << "bad row";
      continue;
    }
    const int year = std::stoi(r[0]);
    for (const Stand& s : kStands) {
      if (r[3] != s.region || r[4] != s.feast || year > s.lastGcalYear) continue;
      const bool legal = std::string(s.legalMarkers).find(r[5]) != std::string::npos;
      const int32_t day = PackedDateToDayNumber(MakePackedDate(year, std::stoi(r[1]), std::stoi(r[2])));
      const HolidayInfo got = HolidayName(day, s.confession, s.country);
      const std::string names = Cp1252ToUtf8(got.Name);
      SCOPED_TRACE(r[0] + "-" + r[1] + "-" + r[2] + " " + s.region + " " + s.feast + " confession " +
                   std::to_string(s.confession) + ": " + names);
      EXPECT_EQ(got.Holiday, legal);
      EXPECT_EQ(names.find(s.name) != std::string::npos, legal || s.nameAlways);
      ++compared;
    }
  }
  return compared;
}

TEST(HolidayTest, LegalHolidayYearsFollowGcal) {
  const GcalRows rows = LoadReference("gcal_holidays.txt");
  EXPECT_EQ(CheckAgainstGcal(rows), 81 * 10 - 12);
  // Austria since 2019: Good Friday is no legal holiday for anyone, and
  // keeps its name.
  for (int year = 2019; year <= 2030; ++year) {
    const int32_t easter = EasterDayNumberOfYear(year);
    for (int confession : {0, 1}) {
      const HolidayInfo got = HolidayName(easter - 2, confession, 1);
      EXPECT_EQ(Cp1252ToUtf8(got.Name), "Karfreitag") << year;
      EXPECT_FALSE(got.Holiday) << year;
    }
  }
}

// The committed reference is what gcal says today.
TEST(HolidayTest, GcalListsMatchTheReference) {
  if (std::system("gcal --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "gcal not installed";
  const std::regex line(R"(^(.*?) \((\w+)\)\s+([-+#*]) (\d{4}) (\d\d) (\d\d)( = .*)?$)");
  const std::map<std::string, std::string> feasts = {
      {"Good Friday", "GoodFriday"}, {"Reformation Day", "Reformation"},
      {"Day of Prayer and Repentance", "Repentance"}};
  // (year, region, feast) -> marker, and each feast's date per year.
  std::map<std::string, std::string> live;
  for (const ReferenceRow& r : LoadReference("gcal_holidays.txt")) {
    const std::string cmd = "LC_ALL=C LANG=C gcal -u -n -X -H no '--date-format=%>04*Y_%>02*M_%1%>02*D%2' "
                            "--cc-holidays=" + r[3] + " " + r[0];
    const std::string key = r[0] + " " + r[3];
    if (live.count(key)) continue;
    live[key] = "";
    FILE* f = popen(cmd.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char buf[512];
    while (std::fgets(buf, sizeof buf, f)) {
      std::string text(buf);
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      std::smatch m;
      if (!std::regex_match(text, m, line) || !feasts.count(m[1])) continue;
      live[key + " " + feasts.at(m[1])] = m[3].str() + " " + std::to_string(std::stoi(m[5])) + " " +
                                          std::to_string(std::stoi(m[6]));
    }
    ASSERT_EQ(pclose(f), 0) << cmd;
  }
  int checked = 0;
  for (const ReferenceRow& r : LoadReference("gcal_holidays.txt")) {
    const auto it = live.find(r[0] + " " + r[3] + " " + r[4]);
    if (r[5] == ".") {
      EXPECT_EQ(it, live.end()) << r[0] << " " << r[3] << " " << r[4];
    } else {
      ASSERT_NE(it, live.end()) << r[0] << " " << r[3] << " " << r[4];
      EXPECT_EQ(it->second, r[5] + " " + r[1] + " " + r[2]) << r[0] << " " << r[3] << " " << r[4];
    }
    ++checked;
  }
  EXPECT_EQ(checked, 81 * 12);
}

}  // namespace

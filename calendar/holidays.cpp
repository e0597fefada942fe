// The holiday rule table and its evaluation. Each rule names the countries
// and confessions it is shown for and, by spans of years, those for which it
// is a legal holiday (the red day; the name stays in the other years); rules
// are evaluated in table order, which is the order of the joined names.
#include "calendar/holidays.h"

#include <string>
#include <vector>

#include "platform/rtl/cp1252.h"

namespace {

enum class Kind : unsigned char {
  Fixed,       // a = month, b = day
  Easter,      // a = days after Easter Sunday (negative: before)
  Advent,      // a = days after the first Sunday of Advent
  NthWeekday,  // a = month, b = weekday (0 Sunday), c = occurrence
};

constexpr unsigned char DE = 1, AT = 2, CH = 4;
constexpr unsigned char KATH = 1, PROT = 2, BOTH = KATH | PROT, NONE = 0;

// The confessions for which a day is a legal holiday in a span of years.
struct Legal {
  unsigned char confessions = NONE;
  int from = 0, to = 9999;
};

struct Rule {
  Kind kind;
  int a, b, c;
  unsigned char countries;
  unsigned char shownFor;  // confessions that see the name in every year of the rule
  Legal legal[2];          // legal holiday; a confession for which it is one sees the name too
  const char* name;        // UTF-8, converted once
  int firstYear = 0;
  int lastYear = 9999;

  // The first span holds only from `from` to `to`.
  constexpr Rule HolidayYears(int from, int to) const {
    Rule r = *this;
    r.legal[0].from = from;
    r.legal[0].to = to;
    return r;
  }
  // A second span, for years in which the day was a legal holiday for
  // further confessions.
  constexpr Rule AlsoHoliday(unsigned char confessions, int from, int to) const {
    Rule r = *this;
    r.legal[1] = {confessions, from, to};
    return r;
  }
  constexpr unsigned char HolidayFor(int year) const {
    unsigned char c = 0;
    for (const Legal& l : legal)
      if (year >= l.from && year <= l.to) c |= l.confessions;
    return c;
  }
};

constexpr Rule F(int month, int day, unsigned char countries, unsigned char shown, unsigned char holiday,
                 const char* name, int first = 0, int last = 9999) {
  return {Kind::Fixed, month, day, 0, countries, shown, {{holiday}}, name, first, last};
}
constexpr Rule E(int offset, unsigned char countries, unsigned char shown, unsigned char holiday,
                 const char* name) {
  return {Kind::Easter, offset, 0, 0, countries, shown, {{holiday}}, name};
}
constexpr Rule A(int offset, unsigned char countries, unsigned char shown, unsigned char holiday,
                 const char* name, int first = 0) {
  return {Kind::Advent, offset, 0, 0, countries, shown, {{holiday}}, name, first};
}
constexpr Rule N(int month, int weekday, int occurrence, unsigned char countries, unsigned char shown,
                 unsigned char holiday, const char* name, int first = 0) {
  return {Kind::NthWeekday, month, weekday, occurrence, countries, shown, {{holiday}}, name, first};
}

constexpr Rule kRules[] = {
    F(1, 1, DE | AT, BOTH, BOTH, "Neujahr"),
    F(1, 1, CH, BOTH, BOTH, "Neujahrstag"),
    F(1, 2, CH, BOTH, BOTH, "Berchtoldstag"),
    F(1, 6, DE, KATH, KATH, "Heilige Drei Könige"),  // utf8: RuleNames converts
    F(1, 6, DE, PROT, NONE, "Epiphanias"),
    F(1, 6, AT, BOTH, BOTH, "Heilige Drei Könige"),  // utf8: RuleNames converts
    F(1, 6, CH, KATH, NONE, "Dreikönigstag"),  // utf8: RuleNames converts
    E(-46, DE | AT | CH, BOTH, NONE, "Aschermittwoch"),
    E(-7, DE | AT | CH, BOTH, NONE, "Palmsonntag"),
    E(-3, DE | AT | CH, BOTH, NONE, "Gründonnerstag"),  // utf8: RuleNames converts
    E(-2, DE | CH, BOTH, BOTH, "Karfreitag"),
    // Austria's Protestants lost Good Friday as a legal holiday in 2019.
    E(-2, AT, BOTH, PROT, "Karfreitag").HolidayYears(0, 2018),
    E(0, DE | AT | CH, BOTH, BOTH, "Ostersonntag"),
    E(1, DE | AT | CH, BOTH, BOTH, "Ostermontag"),
    F(5, 1, DE, BOTH, BOTH, "Maifeiertag", 1919),
    F(5, 1, AT, BOTH, BOTH, "Staatsfeiertag", 1919),
    F(5, 1, CH, BOTH, NONE, "Tag der Arbeit", 1890),
    E(39, DE | AT, BOTH, BOTH, "Christi Himmelfahrt"),
    E(39, CH, BOTH, BOTH, "Auffahrt"),
    E(49, DE | AT | CH, BOTH, BOTH, "Pfingstsonntag"),
    E(50, DE | AT | CH, BOTH, BOTH, "Pfingstmontag"),
    E(56, DE | AT | CH, KATH, NONE, "Dreifaltigkeitssonntag"),
    E(56, DE | AT | CH, PROT, NONE, "Trinitatis"),
    E(60, DE | CH, KATH, KATH, "Fronleichnam"),
    E(60, AT, BOTH, BOTH, "Fronleichnam"),
    F(6, 17, DE, BOTH, BOTH, "Tag der deutschen Einheit", 1954, 1990),
    F(8, 1, CH, BOTH, BOTH, "Bundesfeiertag", 1891),
    F(8, 15, DE | CH, KATH, KATH, "Mariä Himmelfahrt"),  // utf8: RuleNames converts
    F(8, 15, AT, BOTH, BOTH, "Mariä Himmelfahrt"),  // utf8: RuleNames converts
    N(9, 0, 3, CH, BOTH, BOTH, "Eidg. Bettag", 1832),
    F(10, 3, DE, BOTH, BOTH, "Tag der Deutschen Einheit", 1990),
    F(10, 26, AT, BOTH, BOTH, "Nationalfeiertag", 1965),
    // The 500th anniversary in 2017 was a legal holiday in all of Germany.
    F(10, 31, DE, PROT, PROT, "Reformationstag").AlsoHoliday(BOTH, 2017, 2017),
    F(10, 31, AT, PROT, NONE, "Reformationstag"),
    F(11, 1, DE | CH, KATH, KATH, "Allerheiligen"),
    F(11, 1, AT, BOTH, BOTH, "Allerheiligen"),
    F(11, 2, DE | AT | CH, KATH, NONE, "Allerseelen"),
    N(11, 0, 1, CH, PROT, NONE, "Reformationssonntag"),
    // Buß- und Bettag is the Wednesday before 23 November, 11 days before
    // the first Sunday of Advent (which falls on 27 November .. 3 December).
    A(-14, DE, BOTH, NONE, "Volkstrauertag", 1952),
    // A legal holiday up to 1994; since 1995 only in Saxony, which does not
    // make the day red for the country.
    A(-11, DE, PROT, PROT, "Buß- und Bettag").HolidayYears(0, 1994),  // utf8: RuleNames converts
    A(-7, DE | AT | CH, PROT, NONE, "Totensonntag"),
    A(0, DE | AT | CH, BOTH, NONE, "1. Advent"),
    A(7, DE | AT | CH, BOTH, NONE, "2. Advent"),
    F(12, 8, DE, KATH, NONE, "Mariä Empfängnis"),  // utf8: RuleNames converts
    F(12, 8, AT, BOTH, BOTH, "Mariä Empfängnis"),  // utf8: RuleNames converts
    F(12, 8, CH, KATH, KATH, "Mariä Empfängnis"),  // utf8: RuleNames converts
    A(14, DE | AT | CH, BOTH, NONE, "3. Advent"),
    A(21, DE | AT | CH, BOTH, NONE, "4. Advent"),
    F(12, 24, DE, BOTH, NONE, "Heiligabend"),
    F(12, 24, AT | CH, BOTH, NONE, "Heiliger Abend"),
    F(12, 25, DE, BOTH, BOTH, "1. Weihnachtstag"),
    F(12, 25, AT, BOTH, BOTH, "Christtag"),
    F(12, 25, CH, BOTH, BOTH, "Weihnachtstag"),
    F(12, 26, DE, BOTH, BOTH, "2. Weihnachtstag"),
    F(12, 26, AT, BOTH, BOTH, "Stefanitag"),
    F(12, 26, CH, BOTH, BOTH, "Stephanstag"),
    F(12, 31, DE | AT | CH, BOTH, NONE, "Silvester"),
};
constexpr size_t kRuleCount = sizeof(kRules) / sizeof(kRules[0]);

const std::vector<AnsiString>& RuleNames() {
  static const std::vector<AnsiString> names = [] {
    std::vector<AnsiString> v;
    v.reserve(kRuleCount);
    for (const Rule& r : kRules) v.push_back(Utf8ToCp1252OrThrow(r.name));
    return v;
  }();
  return names;
}

int32_t DayOf(int year, int month, int day) {
  return PackedDateToDayNumber(MakePackedDate(year, month, day));
}

// The first Sunday of Advent is three weeks before the fourth, which is the
// Sunday on or before 24 December.
int32_t FirstAdvent(int year) {
  const int32_t christmasEve = DayOf(year, 12, 24);
  return christmasEve - DayNumberWeekday(christmasEve) - 21;
}

}  // namespace

HolidayInfo HolidayName(int32_t dayNumber, int confession, int country) {
  const PackedDate date = DayNumberToPackedDate(dayNumber);
  const int year = PackedDateYear(date);
  const unsigned char countryBit = static_cast<unsigned char>(1u << (country < 0 || country > 2 ? 0 : country));
  const unsigned char confessionBit = confession == 1 ? PROT : KATH;
  // Computed only when a rule of that kind is reached.
  int32_t easter = -1, advent = -1;

  HolidayInfo info;
  for (size_t i = 0; i < kRuleCount; ++i) {
    const Rule& r = kRules[i];
    if (!(r.countries & countryBit) || year < r.firstYear || year > r.lastYear) continue;
    const unsigned char legal = r.HolidayFor(year);
    if (!((r.shownFor | legal) & confessionBit)) continue;
    bool match = false;
    switch (r.kind) {
      case Kind::Fixed:
        match = date.Month == r.a && date.Day == r.b;
        break;
      case Kind::Easter:
        if (easter < 0) easter = EasterDayNumberOfYear(year);
        match = dayNumber == easter + r.a;
        break;
      case Kind::Advent:
        if (date.Month < 11) break;  // every Advent rule lies from mid-November on
        if (advent < 0) advent = FirstAdvent(year);
        match = dayNumber == advent + r.a;
        break;
      case Kind::NthWeekday:
        match = date.Month == r.a && DayNumberWeekday(dayNumber) == r.b && (date.Day - 1) / 7 + 1 == r.c;
        break;
    }
    if (!match) continue;
    if (!info.Name.empty()) info.Name += ", ";
    info.Name += RuleNames()[i];
    if (legal & confessionBit) info.Holiday = true;
  }
  return info;
}

// The placeholder table, the editor's menu of it, periods in words and the
// small helpers (language.h).
#include "app/templates/language.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "calendar/datetexts.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr auto kPraepGebOrt = CP1252("<Präp. GebOrt>");

}  // namespace

const TPlaceholder kPlaceholders[kPlaceholderCount] = {
    {"<Name>", pkValue},
    {"<Nachname>", pkValue},
    {"<Vorname>", pkValue},
    {"<GebZeit>", pkValue},
    {"<GebOrt>", pkValue},
    {kPraepGebOrt.data, pkValue},
#define ORV_DATE_PLACEHOLDERS(D)                                                                              \
  {"<" D " W>", pkValue}, {"<" D " T>", pkValue}, {"<" D " M>", pkValue}, {"<" D " J>", pkValue},             \
      {"<" D " Mond>", pkValue}, {"<" D " Mond Nom>", pkValue}, {"<" D " Mond Gen>", pkValue},                \
      {"<" D " Mond Dat>", pkValue}, {"<" D " Mond Akk>", pkValue}, {"<" D " Stern>", pkValue},               \
      {"<" D " Stern Nom>", pkValue}, {"<" D " Stern Gen>", pkValue}, {"<" D " Stern Dat>", pkValue},         \
      {"<" D " Stern Akk>", pkValue}
    ORV_DATE_PLACEHOLDERS("GebDat"),
    ORV_DATE_PLACEHOLDERS("QuellDat"),
    ORV_DATE_PLACEHOLDERS("AusgDat"),
#undef ORV_DATE_PLACEHOLDERS
#define ORV_SPAN_PLACEHOLDERS(S)                                                                              \
  {"<" S " Normal>", pkValue}, {"<" S " Dativ>", pkValue}, {"<" S " in Jahren>", pkValue},                    \
      {"<" S " in Monaten>", pkValue}, {"<" S " in Wochen>", pkValue}, {"<" S " in Tagen>", pkValue}
    ORV_SPAN_PLACEHOLDERS("Alter"),
    ORV_SPAN_PLACEHOLDERS("Zeit"),
#undef ORV_SPAN_PLACEHOLDERS
    {"<Weltgeschehen am Geburtsdatum>", pkSection},
    {"<Weltgeschehen im Geburtsmonat>", pkSection},
    {"<Weltgeschehen am Geburtstag>", pkSection},
    {"<Weltgeschehen am Quelldatum>", pkSection},
    {"<Weltgeschehen im Quellmonat>", pkSection},
    {"<Geboren am Geburtsdatum>", pkSection},
    {"<Gleicher Geburtstag>", pkSection},
    {"<Geboren im Geburtsmonat>", pkSection},
    {"<Geboren am Quelldatum>", pkSection},
    {"<Geboren im Quellmonat>", pkSection},
    {"<Gestorben am Geburtsdatum>", pkSection},
    {"<Gestorben im Geburtsmonat>", pkSection},
    {"<Gestorben am Quelldatum>", pkSection},
    {"<Gestorben im Quellmonat>", pkSection},
    {"<Namenspatrone am Geburtstag>", pkSection},
    {"<Namenspatrone am Quelldatum>", pkSection},
    {"<Namenstage>", pkSection},
    {"<Namensformen>", pkSection},
    {"<Feiertage am Geburtstag>", pkSection},
    {"<Feiertage am Quelldatum>", pkSection},
};

namespace {

// The menu as a tree written out: a top-level menu's name carries two
// digits, each level below adds one.
struct MenuBuilder {
  std::vector<TPlaceholderMenuItem> items;
  int Sub(const char* name, const char* caption, int parent) {
    items.push_back({name, caption, parent, nullptr});
    return static_cast<int>(items.size()) - 1;
  }
  void Leaf(const char* name, const char* caption, int parent, const char* placeholder) {
    items.push_back({name, caption, parent, placeholder});
  }
};

constexpr auto kOhnePraep = CP1252("ohne Präposition");
constexpr auto kMitPraep = CP1252("mit Präposition");

// A built name kept in static storage for the menu's lifetime.
const char* Keep(std::string s) {
  static std::vector<std::unique_ptr<std::string>> texts;
  texts.push_back(std::make_unique<std::string>(std::move(s)));
  return texts.back()->c_str();
}

// The fourteen entries of a date: weekday, day, month, year, then moon
// phase and zodiac sign in the five forms. `digits` is the date menu's
// two-digit number; names are built into static storage once.
void DateMenu(MenuBuilder& b, const char* caption, const char* digits, const char* date, int parent) {
  const int menu = b.Sub(Keep(std::string("item") + digits), caption, parent);
  const char* parts[4][2] = {{"Wochentag", "W"}, {"Tag", "T"}, {"Monat", "M"}, {"Jahr", "J"}};
  for (int i = 0; i < 4; ++i)
    b.Leaf(Keep(std::string("item") + digits + char('0' + i)), parts[i][0], menu,
           Keep(std::string("<") + date + " " + parts[i][1] + ">"));
  const char* forms[5][2] = {{"Normal", ""}, {"Nominativ", " Nom"}, {"Genitiv", " Gen"}, {"Dativ", " Dat"},
                             {"Akkusativ", " Akk"}};
  const char* kinds[2][2] = {{"Mondphase", "Mond"}, {"Sternzeichen", "Stern"}};
  for (int k = 0; k < 2; ++k) {
    const std::string sub = std::string("item") + digits + char('4' + k);
    const int m = b.Sub(Keep(sub), kinds[k][0], menu);
    for (int f = 0; f < 5; ++f)
      b.Leaf(Keep(sub + char('0' + f)), forms[f][0], m,
             Keep(std::string("<") + date + " " + kinds[k][1] + forms[f][1] + ">"));
  }
}

// A period's top-level menu: the period in words, normal and dative (in
// the order given), then its count in years, months, weeks and days.
void SpanMenu(MenuBuilder& b, const char* caption, const char* digits, const char* span, bool dativeFirst) {
  const std::string item = std::string("item") + digits;
  auto placeholder = [span](const char* part) { return Keep(std::string("<") + span + " " + part + ">"); };
  const int m = b.Sub(Keep(item), caption, -1);
  const int s = b.Sub(Keep(item + "0"), "in Jahren, Monaten und Tagen", m);
  const char* words[2] = {"Normal", "Dativ"};
  if (dativeFirst) std::swap(words[0], words[1]);
  for (int i = 0; i < 2; ++i) b.Leaf(Keep(item + "0" + char('0' + i)), words[i], s, placeholder(words[i]));
  const char* counts[4][2] = {{"Anzahl Jahre", "in Jahren"}, {"Anzahl Monate", "in Monaten"},
                              {"Anzahl Wochen", "in Wochen"}, {"Anzahl Tage", "in Tagen"}};
  for (int i = 0; i < 4; ++i) b.Leaf(Keep(item + char('1' + i)), counts[i][0], m, placeholder(counts[i][1]));
}

// The persons born or died on or in the birth or source date.
void PersonMenu(MenuBuilder& b, const char* name, const char* caption, const char* section, int parent) {
  const int s = b.Sub(name, caption, parent);
  const char* whens[4] = {"am Geburtsdatum", "im Geburtsmonat", "am Quelldatum", "im Quellmonat"};
  for (int i = 0; i < 4; ++i)
    b.Leaf(Keep(name + std::string(1, char('0' + i))), whens[i], s,
           Keep(std::string("<") + section + " " + whens[i] + ">"));
}

std::vector<TPlaceholderMenuItem> BuildMenu() {
  MenuBuilder b;
  int m = b.Sub("item01", "Name", -1);
  b.Leaf("item010", "Vorname Name", m, "<Name>");
  b.Leaf("item011", "Vorname", m, "<Vorname>");
  b.Leaf("item012", "Nachname", m, "<Nachname>");
  b.Leaf("item020", "Geburtszeit", -1, "<GebZeit>");
  m = b.Sub("item03", "Geburtsort", -1);
  b.Leaf("item030", kOhnePraep.data, m, "<GebOrt>");
  b.Leaf("item031", kMitPraep.data, m, kPraepGebOrt.data);
  SpanMenu(b, "Alter", "04", "Alter", false);
  DateMenu(b, "Geburtsdatum", "09", "GebDat", -1);
  DateMenu(b, "Quelldatum", "10", "QuellDat", -1);
  SpanMenu(b, "Zeit seit Quelldatum", "11", "Zeit", true);
  DateMenu(b, "Ausgabedatum", "12", "AusgDat", -1);
  m = b.Sub("item13", "Weltgeschehen", -1);
  b.Leaf("item130", "am Tag der Geburt", m, "<Weltgeschehen am Geburtsdatum>");
  b.Leaf("item131", "im Geburtsmonat", m, "<Weltgeschehen im Geburtsmonat>");
  b.Leaf("item132", "am Geburtstag", m, "<Weltgeschehen am Geburtstag>");
  b.Leaf("item133", "am Quelldatum", m, "<Weltgeschehen am Quelldatum>");
  b.Leaf("item134", "im Quellmonat", m, "<Weltgeschehen im Quellmonat>");
  m = b.Sub("item14", "Personen", -1);
  PersonMenu(b, "item140", "geboren", "Geboren", m);
  PersonMenu(b, "item141", "gestorben", "Gestorben", m);
  b.Leaf("item142", "mit gleichem Geburtstag", m, "<Gleicher Geburtstag>");
  m = b.Sub("item15", "Namenspatrone", -1);
  b.Leaf("item150", "am Geburtstag", m, "<Namenspatrone am Geburtstag>");
  b.Leaf("item151", "am Quelldatum", m, "<Namenspatrone am Quelldatum>");
  m = b.Sub("item16", "Feiertage", -1);
  b.Leaf("item160", "am Geburtstag", m, "<Feiertage am Geburtstag>");
  b.Leaf("item161", "am Quelldatum", m, "<Feiertage am Quelldatum>");
  b.Leaf("item170", "Namenstage", -1, "<Namenstage>");
  b.Leaf("item180", "Namensformen", -1, "<Namensformen>");
  return b.items;
}

}  // namespace

const std::vector<TPlaceholderMenuItem>& PlaceholderMenu() {
  static const std::vector<TPlaceholderMenuItem> menu = BuildMenu();
  return menu;
}

int PlaceholderMenuTag(const char* name) {
  int tag = 0;
  for (const char* p = name; *p; ++p)
    if (*p >= '0' && *p <= '9') tag = tag * 10 + (*p - '0');
  return tag;
}

const char* PlaceholderOfTag(int tag) {
  for (const TPlaceholderMenuItem& i : PlaceholderMenu())
    if (i.Placeholder && PlaceholderMenuTag(i.Name) == tag) return i.Placeholder;
  return nullptr;
}

// ---- periods -------------------------------------------------------------------

namespace {

// The counts of a period: years and months by the calendar fields, then
// the days, a negative rest borrowing a month.
void CountByMonthDays(const PackedDate& from, const PackedDate& to, TTemplatePeriod& p) {
  p.Years = PackedDateYear(to) - PackedDateYear(from);
  p.Months = PackedDateMonth(to) - PackedDateMonth(from);
  if (p.Months < 0) {
    p.Months += 12;
    --p.Years;
  }
  p.Days = PackedDateDay(to) - PackedDateDay(from);
  if (p.Days < 0) {
    --p.Months;
    // The rest of the from date's month, then the days into the to date's.
    p.Days = PackedDateDaysInMonth(from) - PackedDateDay(from) + PackedDateDay(to);
    if (p.Months < 0) {
      p.Months += 12;
      --p.Years;
    }
  }
}

}  // namespace

TTemplatePeriod AlterInWorten(const PackedDate& from, const PackedDate& to) {
  TTemplatePeriod p;
  // Born on 29 February: the year is complete on 28 February of a common
  // year (counted by months and days it would be eleven months and 28 days).
  if (PackedDateMonth(from) == 2 && PackedDateDay(from) == 29 && PackedDateMonth(to) == 2 &&
      PackedDateDay(to) == 28 && PackedDateDaysInMonth(to) == 28 && from < to) {
    p.Years = PackedDateYear(to) - PackedDateYear(from);
    p.Months = p.Days = 0;
  } else {
    CountByMonthDays(from, to, p);
  }
  AnsiString t = " ";
  if (p.Years > 0) t += IntToStr(p.Years) + (p.Years > 1 ? " Jahre" : " Jahr");
  if (p.Months > 0) {
    if (p.Years > 0) t += p.Days == 0 ? " und" : ",";
    t += " " + IntToStr(p.Months) + (p.Months > 1 ? " Monate" : " Monat");
  }
  if (p.Days > 0) {
    if (p.Years > 0 || p.Months > 0) t += " und";
    t += " " + IntToStr(p.Days) + (p.Days > 1 ? " Tage" : " Tag");
  }
  // Every number between blanks up to twelve becomes its word; the larger
  // ones first, so " 12 " is never read as " 1" and "2 ".
  static const char* const kWords[] = {"ein",  "zwei",   "drei", "vier", "f\xFCnf", "sechs",
                                       "sieben", "acht", "neun", "zehn", "elf",    "zw\xF6lf"};
  for (int n = 12; n >= 1; --n) ReplaceSubstring(t, " " + IntToStr(n) + " ", std::string(" ") + kWords[n - 1] + " ");
  p.Text = Trim(t);
  return p;
}

AnsiString AlterDativ(const AnsiString& period) {
  AnsiString t = period;
  ReplaceSubstring(t, "Jahre", "Jahren");
  ReplaceSubstring(t, "Monate", "Monaten");
  ReplaceSubstring(t, "Tage", "Tagen");
  ReplaceSubstring(t, "ein ", "einem ");
  return t;
}

std::size_t FirstCharInSet(const AnsiString& text, const char* set) { return text.find_first_of(set); }

TDateTime AddYearsToDate(TDateTime date, int years) {
  int y = 0, m = 0, d = 0;
  DecodeDate(date, y, m, d);
  const int64_t year = static_cast<int64_t>(y) + years;
  if (year < 1 || year > 9999) throw ERangeError("Jahr " + IntToStr(year) + " liegt ausserhalb des Kalenders");
  // A day the target month lacks (29 February of a common year) is its last.
  d = std::min(d, DaysInMonth(static_cast<int>(year), m));
  return EncodeDate(static_cast<int>(year), m, d);
}

TDateTime OutputDateOf(int outputType, TDateTime calculationDate, int count) {
  switch (outputType) {
    case otBirthPlusYears:
    case otSourcePlusYears: return AddYearsToDate(calculationDate, count);
    case otBirthPlusDays:
    case otSourcePlusDays: return calculationDate + count;
    default: return calculationDate;
  }
}

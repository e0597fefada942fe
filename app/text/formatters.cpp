// The record formatters of formatters.h. Field values reach the texts
// through the plain functions, so the tables only add reading and lookups.
#include "app/text/formatters.h"

#include "app/settings/datasetup.h"
#include "calendar/datetexts.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {

const char* const kWeekdays[7] = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};

// Months outside 1..12 (damaged reference rows) give no text.
AnsiString SafeMonthName(int form, int month) {
  if (month < 1 || month > 12 || form < 0 || form > 2) return {};
  return MonthName(form, month);
}

AnsiString RemoveBlanks(const AnsiString& s) {
  AnsiString out;
  for (char c : s)
    if (c != ' ') out += c;
  return out;
}

int IntField(TDataSet* ds, const char* name) { return ds->FieldByName(name)->AsInteger(); }
AnsiString StrField(TDataSet* ds, const char* name) { return ds->FieldByName(name)->AsString(); }

// Walks the rows of a person in a link table (index: person, running
// number) from running number 1 on; a row the file cannot give is left out.
template <class Fn>
void ForEachLinkRow(TwwTable* table, int person, Fn&& fn) {
  if (!table) return;
  constexpr int kLastRunningNumber = 255;
  const TReadableRecords rows(table, {person, 1}, {person, kLastRunningNumber});
  for (size_t i = 0; i < rows.Count(); ++i) {
    rows.Go(i);
    fn(table);
  }
}

}  // namespace

void TrimLeadingBlanks(AnsiString& text) {
  size_t n = 0;
  while (text.size() - n > 1 && text[n] == ' ') ++n;
  text.erase(0, n);
}

AnsiString ComposeDisplayName(const AnsiString& storedName, const AnsiString& prefix) {
  AnsiString surname, given;
  const size_t comma = storedName.find(',');
  if (comma == AnsiString::npos) {
    surname = Trim(storedName);
  } else {
    surname = Trim(storedName.substr(0, comma));
    given = Trim(storedName.substr(comma + 1));
  }
  if (!prefix.empty()) {
    const char last = prefix.back();
    surname = (last == '\'' || last == '-') ? prefix + surname : prefix + " " + surname;
  }
  if (given.empty()) return surname;
  // A particle at the end of the given names ("Anwar as-") joins the surname.
  return given.back() == '-' ? given + surname : given + " " + surname;
}

AnsiString NameTypeLabel(int type) {
  switch (type) {
    case 1: return "eigentlich";
    case 2: return "auch";
    case 3: return "genannt";
    case 4: return CP1252("bürgerlich").str();
    case 5: return "Pseudonym";
    case 6: return CP1252("vollständig").str();
    case 7: return "geb.";
    case 8: return "Ordensname";
    default: return {};
  }
}

AnsiString PlacePreposition(int code) {
  static const char* const kTexts[20] = {
      "",          "in ",         "im ",          "in den ",        "in der ",         "auf ",          "am ",
      "bei ",      "vor ",        "verschollen in ", "auf den ",    "auf der ",        "auf dem ",      "auf See vor ",
      "vermutlich in ", "",       "im heutigen ", "vermutlich bei ", "vermutlich auf ", "auf der Reise nach "};
  return code >= 0 && code < 20 ? kTexts[code] : "";
}

AnsiString DateQualifierPrefix(int qualifier, int kind, bool withDay, bool withMonth) {
  switch (qualifier) {
    case 2: return withDay ? "vor dem " : "vor ";
    case 3: return withDay ? "nach dem " : "nach ";
    case 4: return withDay ? "um den " : "um ";
    case 5: return kind == hdBirth ? "getauft " : kind == hdDeath ? "beerdigt " : "";
    case 6: return withDay ? "vermutlich am " : withMonth ? "vermutlich im " : "vermutlich ";
    case 7: return withDay ? "wahrscheinlich am " : withMonth ? "wahrscheinlich im " : "wahrscheinlich ";
    case 8: return withDay ? "vermutlich um den " : "vermutlich um ";
    default: return {};
  }
}

AnsiString HistoricDateText(int year, int month, int day, int qualifier, int afterChrist, int kind, int monthForm) {
  AnsiString text;
  if (day > 0) text += IntToStr(day) + ". ";
  const bool withMonth = month >= 1 && month <= 12;
  if (withMonth) text += SafeMonthName(monthForm, month) + " ";
  if (year > 0) text += IntToStr(year);
  if (text.empty()) return {};
  if (monthForm == mfNumeric) text = RemoveBlanks(text);
  if (afterChrist == 0) text += kBeforeChrist;
  return Trim(DateQualifierPrefix(qualifier, kind, day > 0, withMonth) + text);
}

AnsiString DaysOffsetText(const AnsiString& zeroText, const AnsiString& word, int days, bool before) {
  const char* direction = before ? " vor" : " nach";
  if (days == 0) return zeroText + " " + word;
  if (days == 1) return AnsiString("Einen Tag") + direction + " " + word;
  return IntToStr(days) + " Tage" + direction + " " + word;
}

AnsiString HolidayRuleText(int type, int month, int day, int monthForm) {
  if (type == 1) return HistoricDateText(0, month, day, 1, 1, hdOther, monthForm);
  if (type == 2 || type == 3) {
    const AnsiString monthText = SafeMonthName(monthForm, month);
    if (monthText.empty()) return {};
    return AnsiString(type == 2 ? "Montag" : "Sonntag") + " nach dem " + IntToStr(day) + ". " + monthText;
  }
  if (type >= 4 && type <= 10) {
    const AnsiString monthText = SafeMonthName(monthForm, month);
    if (monthText.empty()) return {};
    // Type 4 is Monday ... 9 Saturday, 10 Sunday.
    const char* weekday = kWeekdays[(type - 3) % 7];
    // The calendar counts occurrence 9 as the month's last such weekday;
    // 11 to 15 and 21 to 25 are 1 to 5 moved for Easter.
    const int n = day > 20 ? day - 20 : day > 10 ? day - 10 : day;
    const AnsiString occurrence = day == 9 ? AnsiString("Letzter") : IntToStr(n) + ".";
    return occurrence + " " + weekday + " im " + monthText;
  }
  if (type == 11 || type == 12) return DaysOffsetText("An", "Ostern", day, type == 12);
  if (type == 13 || type == 14) return DaysOffsetText("Bei", "Vollmond", day, type == 14);
  return {};
}

int YearsSinceHistoricYear(int year, int afterChrist, const PackedDate& currentDateKey) {
  const int current = PackedDateYear(currentDateKey);
  // 1 before Christ is followed directly by 1 after Christ.
  return afterChrist == 0 ? current + year - 1 : current - year;
}

// ---- lookups ---------------------------------------------------------------------
// A record the file cannot give leaves its text out (FindReadableKey).

AnsiString PlaceText(int placeNumber) {
  if (!PlaceTable || !FindReadableKey(PlaceTable, {placeNumber})) return {};
  AnsiString name = StrField(PlaceTable, "ORTE_NAME");
  const AnsiString attr = StrField(PlaceTable, "ORTE_ATTR");
  if (!attr.empty() && PlaceTable->FieldByName("ORTE_DISPATTR")->AsBoolean()) name = attr + " " + name;
  return name;
}

AnsiString NationAbbrev(int nationNumber) {
  if (!NationTable || !FindReadableKey(NationTable, {nationNumber})) return {};
  return StrField(NationTable, "NATI_ABK");
}

AnsiString ProfessionText(int professionNumber, int sexCode) {
  if (!ProfessionTable || !FindReadableKey(ProfessionTable, {professionNumber})) return {};
  AnsiString name = StrField(ProfessionTable, sexCode == 0 ? "BERU_NAMEM" : "BERU_NAMEF");
  const AnsiString attr = StrField(ProfessionTable, "BERU_ATTR");
  if (!attr.empty()) name = attr + " " + name;
  return name;
}

// ---- the current record ----------------------------------------------------------

AnsiString PersonNameText(TDataSet* person, int which, bool withHoliness, bool withTypeLabel) {
  AnsiString name, prefix;
  int type = 0;
  if (which == pnAlternative1 || which == pnAlternative2) {
    const char* n = which == pnAlternative1 ? "1" : "2";
    name = StrField(person, ("PERS_ALTNAME" + AnsiString(n)).c_str());
    prefix = StrField(person, ("PERS_ALTPRE" + AnsiString(n)).c_str());
    type = IntField(person, ("PERS_ALTTYP" + AnsiString(n)).c_str());
  } else {
    name = StrField(person, "PERS_NAME");
    prefix = StrField(person, "PERS_PRAEDIKAT");
  }
  AnsiString text = ComposeDisplayName(name, prefix);
  if (withHoliness && !text.empty()) {
    const int attr = IntField(person, "PERS_ATTR");
    if (attr == 1) text = "hl. " + text;
    else if (attr == 2) text = "sel. " + text;
  }
  if (withTypeLabel && !text.empty()) {
    const AnsiString label = NameTypeLabel(type);
    if (!label.empty()) text = label + ": " + text;
  }
  return text;
}

AnsiString PersonNations(TDataSet* person) {
  AnsiString text;
  ForEachLinkRow(PersonNationTable, IntField(person, "PERS_ID"), [&](TwwTable* row) {
    const AnsiString abbrev = NationAbbrev(row->FieldByName("NATI_ID")->AsInteger());
    if (abbrev.empty()) return;
    if (!text.empty()) text += "-";
    text += abbrev;
  });
  return text;
}

AnsiString PersonProfessions(TDataSet* person) {
  AnsiString text;
  const int sex = IntField(person, "PERS_GESCH");
  ForEachLinkRow(PersonProfessionTable, IntField(person, "PERS_ID"), [&](TwwTable* row) {
    const AnsiString profession = ProfessionText(row->FieldByName("BERU_ID")->AsInteger(), sex);
    if (profession.empty()) return;
    if (!text.empty()) text += ", ";
    text += profession;
  });
  const size_t last = text.rfind(", ");
  if (last != AnsiString::npos) text.replace(last, 2, " und ");
  return text;
}

AnsiString PersonNationsProfessionsText(TDataSet* person) {
  const AnsiString nations = PersonNations(person);
  const AnsiString professions = PersonProfessions(person);
  return nations.empty() ? professions : nations + " " + professions;
}

AnsiString BirthDeathPlaceText(TDataSet* person, int which) {
  const bool birth = which == bpBirth;
  const int place = IntField(person, birth ? "PERS_GEBORT" : "PERS_TODORT");
  if (which == bpDeathOrSame && place > 0 && place == IntField(person, "PERS_GEBORT")) return "ebd.";
  const AnsiString text = PlaceText(place);
  if (text.empty()) return {};
  return PlacePreposition(IntField(person, birth ? "PERS_GOPREF" : "PERS_TOPREF")) + text;
}

AnsiString BirthDeathDateText(TDataSet* person, int which, int monthForm) {
  if (which == 0)
    return HistoricDateText(IntField(person, "PERS_GEBJ"), IntField(person, "PERS_GEBM"), IntField(person, "PERS_GEBT"),
                            IntField(person, "PERS_GDPREF"), IntField(person, "PERS_GNCHR"), hdBirth, monthForm);
  return HistoricDateText(IntField(person, "PERS_TODJ"), IntField(person, "PERS_TODM"), IntField(person, "PERS_TODT"),
                          IntField(person, "PERS_TDPREF"), IntField(person, "PERS_TNCHR"), hdDeath, monthForm);
}

AnsiString EventDateText(TDataSet* event, int monthForm) {
  return HistoricDateText(IntField(event, "EREI_JAHR"), IntField(event, "EREI_MONAT"), IntField(event, "EREI_TAG"), 1,
                          1, hdOther, monthForm);
}

AnsiString NameDayDateText(TDataSet* patron, int monthForm) {
  return HistoricDateText(0, IntField(patron, "PATR_MONAT"), IntField(patron, "PATR_TAG"), 1, 1, hdOther, monthForm);
}

AnsiString HolidayRuleText(TDataSet* holiday, int monthForm) {
  return HolidayRuleText(IntField(holiday, "FTAG_TYP"), IntField(holiday, "FTAG_MONAT"), IntField(holiday, "FTAG_TAG"),
                         monthForm);
}

// Reading and checking the reference-data sources; see sources.h.
#include "tools/orvdata/sources.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <tuple>

#include "platform/rtl/civildate.h"
#include "platform/rtl/cp1252.h"

namespace {

[[noreturn]] void Fail(const std::string& msg) { throw ESourceError(msg); }

std::string Utf8(const AnsiString& s) { return Cp1252ToUtf8(s); }

// Lower case of a Windows-1252 string, for keys compared without case.
AnsiString Lower(AnsiString s) {
  for (char& c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) c = static_cast<char>(u + 0x20);
  }
  return s;
}

bool ParseInt(const std::string& s, int& out) {
  if (s.empty() || s.size() > 9) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  out = std::atoi(s.c_str());
  return true;
}

std::vector<std::string> SplitPlain(const std::string& s, char sep) {
  std::vector<std::string> out;
  if (s.empty()) return out;
  size_t start = 0;
  for (;;) {
    size_t p = s.find(sep, start);
    out.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
    if (p == std::string::npos) break;
    start = p + 1;
  }
  return out;
}

// One source file read record by record; every fault names file and line.
class TSourceFile {
public:
  TSourceFile(const std::string& dir, const std::string& name, size_t fields)
      : name_(name), fields_(fields), in_(dir + "/" + name, std::ios::binary) {
    if (!in_) Fail(name + ": Datei fehlt oder ist nicht lesbar");
  }

  // The next record's fields (Windows-1252); false at the end.
  bool Next(std::vector<std::string>& f) {
    std::string raw;
    while (std::getline(in_, raw)) {
      ++line_;
      if (!raw.empty() && raw.back() == '\r') raw.pop_back();
      if (raw.find_first_not_of(" \t") == std::string::npos || raw[0] == '#') continue;
      AnsiString line;
      size_t bad = 0;
      if (!Utf8ToCp1252Folded(raw, line, &bad))
        Error("Zeichen ohne Windows-1252-Form an Byte " + std::to_string(bad + 1));
      f = SplitSourceFields(line);
      if (f.size() != fields_)
        Error(std::to_string(f.size()) + " Felder statt " + std::to_string(fields_));
      for (const auto& x : f)
        if (!x.empty() && (x.front() == ' ' || x.back() == ' ' || x.front() == '\t' || x.back() == '\t'))
          Error("Leerzeichen am Feldrand");
      return true;
    }
    return false;
  }

  [[noreturn]] void Error(const std::string& msg) const {
    Fail(name_ + ":" + std::to_string(line_) + ": " + msg);
  }
  void Limit(const std::string& s, size_t n, const char* what) const {
    if (s.size() > n) Error(std::string(what) + " länger als " + std::to_string(n) + " Zeichen");
  }
  int Number(const std::string& s, const char* what) const {
    int v = 0;
    if (!ParseInt(s, v)) Error(std::string(what) + " „" + Utf8(s) + "“ ist keine Zahl");
    return v;
  }

private:
  std::string name_;
  size_t fields_;
  std::ifstream in_;
  int line_ = 0;
};

const std::map<std::string, int>& Qualifiers() {
  static const std::map<std::string, int> m = {{"vor", 2}, {"nach", 3}, {"um", 4},  {"get", 5},
                                               {"beerd", 5}, {"verm", 6}, {"wahr", 7}, {"vum", 8}};
  return m;
}

const std::map<std::string, int>& Prepositions() {
  static const std::map<std::string, int> m = {
      {"in", 1},          {"im", 2},           {"in den", 3},          {"in der", 4},
      {"auf", 5},         {"am", 6},           {"bei", 7},             {"vor", 8},
      {"verschollen in", 9}, {"auf den", 10},  {"auf der", 11},        {"auf dem", 12},
      {"auf See vor", 13}, {"vermutlich in", 14}, {"im heutigen", 16}, {"vermutlich bei", 17},
      {"vermutlich auf", 18}, {"auf der Reise nach", 19}};
  return m;
}

const std::map<std::string, int>& AltTypes() {
  static const std::map<std::string, int> m = {{"eigentlich", 1}, {"auch", 2},         {"genannt", 3},
                                               {"buergerlich", 4}, {"pseudonym", 5},   {"vollstaendig", 6},
                                               {"geb", 7},        {"orden", 8}};
  return m;
}

// "[[Text|Id]]" pieces; the ids are checked against `persons` (self links
// refused).
TLinkedText ParseLinkedText(const TSourceFile& src, const std::string& text, const std::set<int>& persons,
                            int owner = 0) {
  TLinkedText out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t open = text.find("[[", pos);
    std::string plain = text.substr(pos, open == std::string::npos ? std::string::npos : open - pos);
    if (plain.find("]]") != std::string::npos) src.Error("unvollständiger Verweis");
    if (!plain.empty()) out.push_back({plain, 0});
    if (open == std::string::npos) break;
    size_t close = text.find("]]", open + 2);
    if (close == std::string::npos) src.Error("unvollständiger Verweis");
    std::string inner = text.substr(open + 2, close - open - 2);
    size_t bar = inner.rfind('|');
    int id = 0;
    if (bar == std::string::npos || bar == 0 || inner.find("[[") != std::string::npos ||
        !ParseInt(inner.substr(bar + 1), id))
      src.Error("Verweis „[[" + Utf8(inner) + "]]“ unlesbar");
    if (!persons.count(id)) src.Error("Verweis „[[" + Utf8(inner) + "]]“ zeigt auf keine Person");
    if (id == owner) src.Error("Verweis auf sich selbst");
    out.push_back({inner.substr(0, bar), id});
    pos = close + 2;
  }
  return out;
}

bool ValidDayMonth(const std::string& s, int& day, int& month) {
  auto parts = SplitPlain(s, '.');
  return parts.size() == 2 && ParseInt(parts[0], day) && ParseInt(parts[1], month) && month >= 1 && month <= 12 &&
         day >= 1 && day <= DaysInMonth(month, 2000, true);
}

// Day of the year in a leap year, 1 = 1 January.
int LeapDayOfYear(int day, int month) {
  int n = day;
  for (int m = 1; m < month; ++m) n += DaysInMonth(m, 2000, true);
  return n;
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

// ---- the files --------------------------------------------------------------

struct TLookups {
  std::map<AnsiString, int> nations, professions, places;
  std::set<int> persons;
  std::set<int> diedBeforeChrist;  // an event table without era cannot show them
  std::map<std::pair<int, AnsiString>, int> names;  // (gender, lower name) -> NAME_ID
};

void LoadNations(const std::string& dir, TReferenceData& d, TLookups& lk) {
  TSourceFile src(dir, "nationen.txt", 3);
  std::vector<std::string> f;
  std::set<int> ids;
  while (src.Next(f)) {
    TSourceNation n{src.Number(f[0], "Nummer"), f[1], f[2]};
    src.Limit(f[1], 5, "Abkürzung");
    src.Limit(f[2], 40, "Name");
    if (f[1].empty() || f[2].empty()) src.Error("Abkürzung oder Name fehlt");
    if (!ids.insert(n.Id).second) src.Error("Nummer " + f[0] + " doppelt");
    if (!lk.nations.emplace(n.Abbrev, n.Id).second) src.Error("Abkürzung „" + Utf8(f[1]) + "“ doppelt");
    d.Nations.push_back(n);
  }
}

void LoadProfessions(const std::string& dir, TReferenceData& d, TLookups& lk) {
  TSourceFile src(dir, "berufe.txt", 4);
  std::vector<std::string> f;
  std::set<int> ids;
  while (src.Next(f)) {
    TSourceProfession p{src.Number(f[0], "Nummer"), f[1], f[2], f[3]};
    src.Limit(f[1], 40, "männliche Form");
    src.Limit(f[2], 40, "weibliche Form");
    src.Limit(f[3], 20, "Zusatz");
    if (f[1].empty()) src.Error("männliche Form fehlt");
    if (!ids.insert(p.Id).second) src.Error("Nummer " + f[0] + " doppelt");
    if (!lk.professions.emplace(p.Male, p.Id).second) src.Error("Beruf „" + Utf8(f[1]) + "“ doppelt");
    d.Professions.push_back(p);
  }
}

void LoadPlaces(const std::string& dir, TReferenceData& d, TLookups& lk) {
  TSourceFile src(dir, "orte.txt", 4);
  std::vector<std::string> f;
  std::set<int> ids;
  while (src.Next(f)) {
    if (f[3] != "0" && f[3] != "1") src.Error("Zusatz anzeigen muss 0 oder 1 sein");
    TSourcePlaceRecord p{src.Number(f[0], "Nummer"), f[1], f[2], f[3] == "1"};
    src.Limit(f[1], 40, "Name");
    src.Limit(f[2], 20, "Zusatz");
    if (f[1].empty()) src.Error("Name fehlt");
    if (!ids.insert(p.Id).second) src.Error("Nummer " + f[0] + " doppelt");
    if (!lk.places.emplace(p.Name, p.Id).second) src.Error("Ort „" + Utf8(f[1]) + "“ doppelt");
    d.Places.push_back(p);
  }
}

TSourcePlace ParsePlace(const TSourceFile& src, const std::string& text, const TLookups& lk) {
  TSourcePlace p;
  if (text.empty()) return p;
  std::string name = text;
  p.Preposition = 1;
  size_t colon = text.find(':');
  if (colon != std::string::npos) {
    auto it = Prepositions().find(text.substr(0, colon));
    if (it == Prepositions().end()) src.Error("Präposition „" + Utf8(text.substr(0, colon)) + "“ unbekannt");
    p.Preposition = it->second;
    name = text.substr(colon + 1);
  }
  auto it = lk.places.find(name);
  if (it == lk.places.end()) src.Error("Ort „" + Utf8(name) + "“ fehlt in orte.txt");
  p.Place = it->second;
  return p;
}

TSourceAltName ParseAltName(const TSourceFile& src, const std::string& text) {
  TSourceAltName a;
  if (text.empty()) return a;
  size_t colon = text.find(':');
  auto it = colon == std::string::npos ? AltTypes().end() : AltTypes().find(text.substr(0, colon));
  if (it == AltTypes().end() || colon + 1 >= text.size()) src.Error("Altname „" + Utf8(text) + "“ ungültig");
  a.Type = it->second;
  std::string rest = text.substr(colon + 1);
  size_t tilde = rest.find('~');
  a.Name = rest.substr(0, tilde);
  if (tilde != std::string::npos) a.Prefix = rest.substr(tilde + 1);
  src.Limit(a.Name, 60, "Altname");
  src.Limit(a.Prefix, 20, "Präfix des Altnamens");
  return a;
}

void LoadPersons(const std::string& dir, TReferenceData& d, TLookups& lk) {
  // Ids first, so that links may point forward.
  {
    TSourceFile src(dir, "personen.txt", 15);
    std::vector<std::string> f;
    while (src.Next(f)) {
      int id = src.Number(f[0], "Id");
      if (id <= 0) src.Error("Id muss über 0 liegen");
      if (!lk.persons.insert(id).second) src.Error("Id " + f[0] + " doppelt");
    }
  }
  TSourceFile src(dir, "personen.txt", 15);
  std::vector<std::string> f;
  while (src.Next(f)) {
    TSourcePerson p;
    p.Id = src.Number(f[0], "Id");
    if (f[1].empty()) src.Error("Name fehlt");
    src.Limit(f[1], 60, "Name");
    src.Limit(f[2], 20, "Prädikat");
    src.Limit(f[11], 120, "Patronat");
    p.Name = f[1];
    p.Predicate = f[2];
    if (f[3] == "hl") p.Attr = 1;
    else if (f[3] == "sel") p.Attr = 2;
    else if (!f[3].empty()) src.Error("Attribut „" + Utf8(f[3]) + "“ unbekannt");
    if (f[4] == "m") p.Gender = 0;
    else if (f[4] == "w") p.Gender = 1;
    else src.Error("Geschlecht „" + Utf8(f[4]) + "“ unbekannt");
    try {
      p.Birth = ParseSourceDate(f[5]);
      p.Death = ParseSourceDate(f[7]);
    } catch (const ESourceError& e) {
      src.Error(e.Message());
    }
    if (p.Birth.Year && p.Death.Year) {
      int born = p.Birth.AD ? p.Birth.Year : -p.Birth.Year;
      int died = p.Death.AD ? p.Death.Year : -p.Death.Year;
      if (died < born || died - born > 110) src.Error("Lebensspanne " + f[5] + " bis " + f[7] + " unplausibel");
      if (died == born && std::make_pair(p.Death.Month, p.Death.Day) < std::make_pair(p.Birth.Month, p.Birth.Day))
        src.Error("Tod vor Geburt");
    }
    p.BirthPlace = ParsePlace(src, f[6], lk);
    p.DeathPlace = ParsePlace(src, f[8], lk);
    for (const auto& code : SplitPlain(f[9], ',')) {
      auto it = lk.nations.find(code);
      if (it == lk.nations.end()) src.Error("Nation „" + Utf8(code) + "“ fehlt in nationen.txt");
      p.Nations.push_back(it->second);
    }
    for (const auto& prof : SplitPlain(f[10], ',')) {
      auto it = lk.professions.find(prof);
      if (it == lk.professions.end()) src.Error("Beruf „" + Utf8(prof) + "“ fehlt in berufe.txt");
      p.Professions.push_back(it->second);
    }
    if (p.Nations.size() > 255 || p.Professions.size() > 255) src.Error("zu viele Nationen oder Berufe");
    p.Patron = f[11];
    p.Alt[0] = ParseAltName(src, f[12]);
    p.Alt[1] = ParseAltName(src, f[13]);
    p.Note = ParseLinkedText(src, f[14], lk.persons, p.Id);
    if (p.Death.Year && !p.Death.AD) lk.diedBeforeChrist.insert(p.Id);
    d.Persons.push_back(std::move(p));
  }
}

void LoadEvents(const std::string& dir, TReferenceData& d, const TLookups& lk) {
  TSourceFile src(dir, "ereignisse.txt", 3);
  std::vector<std::string> f;
  std::set<int> ids;
  while (src.Next(f)) {
    TSourceEvent e;
    e.Id = src.Number(f[0], "Id");
    if (e.Id <= 0 || !ids.insert(e.Id).second) src.Error("Id " + f[0] + " doppelt oder ungültig");
    auto parts = SplitPlain(f[1], '.');
    if (parts.size() != 3 || !ParseInt(parts[0], e.Day) || !ParseInt(parts[1], e.Month) ||
        !ParseInt(parts[2], e.Year))
      src.Error("Ereignisdatum „" + Utf8(f[1]) + "“ muss T.M.J sein");
    if (e.Year < 1 || e.Year > 9999 || e.Month < 1 || e.Month > 12 || e.Day < 1 ||
        e.Day > DaysInMonth(e.Month, e.Year, true) || (e.Year == 1582 && e.Month == 10 && e.Day >= 5 && e.Day <= 14))
      src.Error("Datum " + f[1] + " gibt es nicht");
    e.Text = ParseLinkedText(src, f[2], lk.persons);
    if (PlainText(e.Text).size() < 15) src.Error("Text fehlt oder zu kurz");
    // EREIGNIS has no era: its years are after Christ, so an event about
    // someone who died before Christ would show in the wrong era.
    for (const auto& piece : e.Text)
      if (lk.diedBeforeChrist.count(piece.Link))
        src.Error("Ereignis nach Christus verweist auf „" + Utf8(piece.Text) + "“, gestorben vor Christus");
    d.Events.push_back(std::move(e));
  }
}

void LoadNames(const std::string& dir, TReferenceData& d, TLookups& lk) {
  TSourceFile src(dir, "namen.txt", 3);
  std::vector<std::string> f;
  int next = 1;
  while (src.Next(f)) {
    int gender = f[0] == "m" ? 0 : f[0] == "w" ? 1 : -1;
    if (gender < 0) src.Error("Geschlecht „" + Utf8(f[0]) + "“ unbekannt");
    std::vector<std::string> all{f[1]};
    for (const auto& form : SplitPlain(f[2], ',')) all.push_back(form);
    int main = next;
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i].empty()) src.Error("leerer Name");
      src.Limit(all[i], 30, "Name");
      if (!lk.names.emplace(std::make_pair(gender, Lower(all[i])), next).second)
        src.Error("Name „" + Utf8(all[i]) + "“ (" + f[0] + ") doppelt");
      d.Names.push_back({next, i == 0 ? 0 : 1, i == 0 ? 0 : main, all[i], gender});
      ++next;
    }
  }
}

void LoadPatrons(const std::string& dir, TReferenceData& d, const TLookups& lk) {
  TSourceFile src(dir, "patrone.txt", 6);
  std::vector<std::string> f;
  int next = 1;
  while (src.Next(f)) {
    TSourcePatron p;
    p.Id = next++;
    if (p.Id > 65535) src.Error("mehr als 65535 Namenstage");
    if (!ValidDayMonth(f[0], p.Day, p.Month)) src.Error("Datum „" + Utf8(f[0]) + "“ ungültig");
    int gender = f[1] == "m" ? 0 : f[1] == "w" ? 1 : -1;
    if (gender < 0) src.Error("Geschlecht „" + Utf8(f[1]) + "“ unbekannt");
    auto it = lk.names.find({gender, Lower(f[2])});
    if (it == lk.names.end()) src.Error("Name „" + Utf8(f[2]) + "“ (" + f[1] + ") fehlt in namen.txt");
    p.Name = it->second;
    for (auto [text, out] : {std::make_pair(&f[3], &p.Person), std::make_pair(&f[5], &p.See)}) {
      if (text->empty()) continue;
      if (!ParseInt(*text, *out) || !lk.persons.count(*out)) src.Error("Person „" + Utf8(*text) + "“ unbekannt");
    }
    if (p.Person && p.See) src.Error("Person und Siehe-Verweis zugleich");
    src.Limit(f[4], 120, "Vermerk");
    p.Note = f[4];
    d.Patrons.push_back(p);
  }
}

AnsiString CountriesText(const TSourceFile& src, const std::string& lands, const std::string& conf) {
  static const std::map<std::string, std::string> countries = {
      {"D", "Deutschland"}, {"A", CP1252("Österreich").str()}, {"CH", "Schweiz"}, {"INT", "International"}};
  static const std::map<std::string, std::string> confessions = {
      {"kath", "katholisch"}, {"ev", "evangelisch"}, {"ref", "reformiert"}, {"orth", "orthodox"},
      {CP1252("jüd").str(), CP1252("jüdisch").str()}, {"welt", "weltlich"}};
  AnsiString out;
  for (const auto& land : SplitPlain(lands, ',')) {
    auto it = countries.find(land);
    if (it == countries.end()) src.Error("Land „" + Utf8(land) + "“ unbekannt");
    if (!out.empty()) out += ", ";
    out += it->second;
  }
  if (out.empty()) src.Error("Land fehlt");
  if (!conf.empty()) {
    auto it = confessions.find(conf);
    if (it == confessions.end()) src.Error("Konfession „" + Utf8(conf) + "“ unbekannt");
    out += " (" + it->second + ")";
  }
  return out;
}

void LoadHolidays(const std::string& dir, TReferenceData& d, const TLookups& lk) {
  TSourceFile src(dir, "feiertage.txt", 7);
  std::vector<std::string> f;
  std::set<std::tuple<int, int, int, AnsiString>> keys;
  int next = 1;
  while (src.Next(f)) {
    TSourceHoliday h;
    h.Id = next++;
    h.Kind = src.Number(f[0], "Regelart");
    h.Month = src.Number(f[1], "Monat");
    h.Day = src.Number(f[2], "Tag");
    const bool dayOk = h.Month >= 1 && h.Month <= 12 && h.Day >= 1 && h.Day <= DaysInMonth(h.Month, 2000, true);
    if (h.Kind < 1 || h.Kind > 14) src.Error("Regelart " + f[0] + " unbekannt");
    if (h.Kind <= 3 && !dayOk) src.Error("Datum der Regel ungültig");
    if (h.Kind >= 4 && h.Kind <= 10 &&
        !(h.Month >= 1 && h.Month <= 12 &&
          ((h.Day >= 1 && h.Day <= 5) || h.Day == 9 || (h.Day >= 11 && h.Day <= 15) || (h.Day >= 21 && h.Day <= 25))))
      src.Error("Vorkommen muss 1 bis 5 oder 9 (letzter) sein, um Ostern verschoben 11 bis 15 oder 21 bis 25");
    if ((h.Kind == 11 || h.Kind == 12) && !(h.Month == 0 && h.Day <= 364))
      src.Error("Osterabstand: Monat 0, Tag 0 bis 364");
    if ((h.Kind == 13 || h.Kind == 14) && !(h.Month == 0 && h.Day <= 366))
      src.Error("Vollmondabstand: Monat 0, Tag 0 bis 366");
    // The page lists every record of a key (one per name the calendar box
    // gives by country and confession); the same name twice is a slip.
    if (h.Kind >= 4 && h.Kind <= 12 && !keys.insert({h.Kind, h.Month, h.Day, f[3]}).second)
      src.Error("Regel " + f[0] + "/" + f[1] + "/" + f[2] + " mit Titel „" + Utf8(f[3]) + "“ doppelt");
    if (f[3].empty()) src.Error("Titel fehlt");
    src.Limit(f[3], 60, "Titel");
    h.Title = f[3];
    h.Countries = CountriesText(src, f[4], f[5]);
    h.Text = ParseLinkedText(src, f[6], lk.persons);
    if (PlainText(h.Text).size() < 20) src.Error("Text fehlt oder zu kurz");
    d.Holidays.push_back(std::move(h));
  }
}

bool ParseDegrees(const std::string& s, double limit, char pos, char neg, double& out) {
  if (s.size() < 2) return false;
  char hemi = s.back();
  std::string num = s.substr(0, s.size() - 1);
  if ((hemi != pos && hemi != neg) || num.find_first_not_of("0123456789.") != std::string::npos ||
      num.front() == '.' || std::count(num.begin(), num.end(), '.') > 1)
    return false;
  double v = std::strtod(num.c_str(), nullptr);
  if (v > limit) return false;
  out = hemi == pos ? v : -v;
  return true;
}

void LoadPositions(const std::string& dir, TReferenceData& d) {
  TSourceFile src(dir, "lage.txt", 3);
  std::vector<std::string> f;
  std::set<AnsiString> seen;
  while (src.Next(f)) {
    TSourcePosition p;
    p.Place = f[0];
    if (f[0].empty()) src.Error("Ort fehlt");
    src.Limit(f[0], 30, "Ortsname");
    if (!seen.insert(Lower(f[0])).second) src.Error("Ort „" + Utf8(f[0]) + "“ doppelt");
    double east = 0;
    if (!ParseDegrees(f[1], 90, 'N', 'S', p.Latitude)) src.Error("Breite „" + Utf8(f[1]) + "“ ungültig");
    if (!ParseDegrees(f[2], 180, 'O', 'W', east)) src.Error("Länge „" + Utf8(f[2]) + "“ ungültig");
    p.Longitude = -east;  // stored with east negative
    d.Positions.push_back(p);
  }
}

// ---- sayings ------------------------------------------------------------------

std::vector<TSaying> LoadOwnSayings(const std::string& dir, const std::string& name) {
  TSourceFile src(dir, "sprueche/" + name, 2);
  std::vector<std::string> f;
  std::vector<TSaying> out;
  while (src.Next(f)) {
    if (f[0].empty()) src.Error("Text fehlt");
    src.Limit(f[1], 80, "Quelle");
    out.push_back({f[0], f[1]});
  }
  return out;
}

// What a saying window can show: no crude text (a word starting with one of
// the stems of sprueche/derb.txt) and no text longer than the window holds.
class TSayingFilter {
public:
  explicit TSayingFilter(const std::string& dir) {
    TSourceFile src(dir, "sprueche/derb.txt", 1);
    std::vector<std::string> f;
    while (src.Next(f)) {
      if (f[0].empty()) src.Error("Wortanfang fehlt");
      stems_.push_back(Lower(f[0]));
    }
  }
  bool Shows(const TSaying& s) const {
    if (s.Text.size() > kMaxSayingLength) return false;
    const AnsiString low = Lower(s.Text);
    for (const auto& stem : stems_)
      for (size_t p = low.find(stem); p != std::string::npos; p = low.find(stem, p + 1))
        if (p == 0 || !IsLetter(low[p - 1])) return false;
    return true;
  }
  std::vector<TSaying> Keep(const std::vector<TSaying>& in) const {
    std::vector<TSaying> out;
    for (const auto& s : in)
      if (Shows(s)) out.push_back(s);
    return out;
  }

private:
  static bool IsLetter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || (u >= 0xDF && u != 0xF7) || u == 0x9A ||
           u == 0x9C || u == 0x9E;
  }
  std::vector<AnsiString> stems_;
};

// Two sayings count as the same when their letters and digits agree.
AnsiString SayingKey(const AnsiString& text) {
  AnsiString k;
  for (char c : Lower(text))
    if (static_cast<unsigned char>(c) >= 0x80 || std::isalnum(static_cast<unsigned char>(c))) k += c;
  return k;
}

// Fills the free days (empty texts) from `cycle`, in order and round again,
// passing over a saying that stands less than kSayingGap days away in the
// same category; a category too small for that is a fault.
void FillDays(std::vector<TSaying>& days, const std::vector<TSaying>& cycle, int category) {
  if (cycle.empty()) Fail("Spruchkategorie " + std::to_string(category) + " hat keine Sprüche");
  const int n = static_cast<int>(days.size());
  std::vector<AnsiString> keys(days.size());
  for (int i = 0; i < n; ++i) keys[static_cast<size_t>(i)] = SayingKey(days[static_cast<size_t>(i)].Text);
  auto nearby = [&](int day, const AnsiString& key) {
    for (int j = std::max(0, day - kSayingGap + 1); j < std::min(n, day + kSayingGap); ++j)
      if (j != day && keys[static_cast<size_t>(j)] == key) return true;
    return false;
  };
  size_t next = 0;
  for (int i = 0; i < n; ++i) {
    if (!days[static_cast<size_t>(i)].Text.empty()) continue;
    bool placed = false;
    for (size_t tries = 0; tries < cycle.size() && !placed; ++tries) {
      const TSaying& s = cycle[next++ % cycle.size()];
      AnsiString key = SayingKey(s.Text);
      if (nearby(i, key)) continue;
      days[static_cast<size_t>(i)] = s;
      keys[static_cast<size_t>(i)] = key;
      placed = true;
    }
    if (!placed)
      Fail("Spruchkategorie " + std::to_string(category) + ": zu wenige verschiedene Sprüche, um " +
           std::to_string(kSayingGap) + " Tage ohne Wiederholung zu füllen");
  }
}

// Farmers' rules: those tied to a day go to it (leap-year day numbers); the
// rest fill the free days in file order.
std::vector<TSaying> LoadFarmersRules(const std::string& dir, const TSayingFilter& filter, int& sources) {
  TSourceFile src(dir, "sprueche/bauernregeln.txt", 2);
  std::vector<std::string> f;
  std::vector<TSaying> days(kSayingDays);
  std::vector<TSaying> all, loose;
  while (src.Next(f)) {
    if (f[1].empty()) src.Error("Text fehlt");
    TSaying s{f[1], ""};
    int day = 0, month = 0;
    if (!f[0].empty() && !ValidDayMonth(f[0], day, month)) src.Error("Tag „" + Utf8(f[0]) + "“ ungültig");
    if (!filter.Shows(s)) continue;
    all.push_back(s);
    if (f[0].empty()) {
      loose.push_back(s);
      continue;
    }
    TSaying& slot = days[static_cast<size_t>(LeapDayOfYear(day, month) - 1)];
    if (slot.Text.empty()) slot = s;
    else loose.push_back(s);
  }
  if (all.empty()) src.Error("keine Bauernregeln");
  sources = static_cast<int>(all.size());
  // After the loose rules, every rule again in file order.
  std::vector<TSaying> fill = loose;
  fill.insert(fill.end(), all.begin(), all.end());
  FillDays(days, fill, 8);
  return days;
}

// The author of a quotation without additions: "Name (Werk)" -> "Name".
std::string AuthorKey(const std::string& author) {
  std::string a = author.substr(0, author.find(" ("));
  return a.substr(0, a.find(','));
}

bool IsGoethe(const std::string& a) {
  std::string k = AuthorKey(a);
  return k == "Goethe" || k == "Johann Wolfgang von Goethe";
}
bool IsJeanPaul(const std::string& a) { return AuthorKey(a) == "Jean Paul"; }
bool IsProverb(const std::string& a) {
  return a.size() >= 10 && a.compare(a.size() - 10, 10, "Sprichwort") == 0;
}

}  // namespace

// ---- exposed pieces -------------------------------------------------------------

bool HasLinks(const TLinkedText& text) {
  return std::any_of(text.begin(), text.end(), [](const TTextPiece& p) { return p.Link != 0; });
}

AnsiString PlainText(const TLinkedText& text) {
  AnsiString s;
  for (const auto& p : text) s += p.Text;
  return s;
}

std::vector<std::string> SplitSourceFields(const std::string& line) {
  std::vector<std::string> out(1);
  bool inLink = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (!inLink && line.compare(i, 2, "[[") == 0) inLink = true;
    else if (inLink && line.compare(i, 2, "]]") == 0) inLink = false;
    if (line[i] == '|' && !inLink) out.emplace_back();
    else out.back() += line[i];
  }
  return out;
}

int DaysInMonth(int month, int year, bool ad) {
  if (month == 2 && (!ad || year < 1582)) {
    // Julian before the reform; 1 v.Chr. is a leap year of the proleptic count.
    const bool leap = ad ? year % 4 == 0 : (year - 1) % 4 == 0;
    return leap ? 29 : 28;
  }
  return civil::DaysInMonth(year, month);
}

TSourceDate ParseSourceDate(const std::string& input) {
  TSourceDate d;
  if (input.empty()) return d;
  std::string text = input;
  size_t blank = text.find(' ');
  if (blank != std::string::npos) {
    auto it = Qualifiers().find(text.substr(0, blank));
    if (it == Qualifiers().end()) Fail("unbekannter Qualifier „" + Utf8(text.substr(0, blank)) + "“");
    d.Qualifier = it->second;
    text = text.substr(blank + 1);
  }
  if (!text.empty() && text.back() == 'v') {
    d.AD = false;
    text.pop_back();
  }
  auto parts = SplitPlain(text, '.');
  std::vector<int> n;
  for (const auto& p : parts) {
    int v = 0;
    if (p.size() > (&p == &parts.back() ? 4u : 2u) || !ParseInt(p, v)) Fail("Datum „" + Utf8(input) + "“ unlesbar");
    n.push_back(v);
  }
  if (n.empty() || n.size() > 3) Fail("Datum „" + Utf8(input) + "“ unlesbar");
  d.Year = n.back();
  if (n.size() == 3) {
    d.Day = n[0];
    d.Month = n[1];
  } else if (n.size() == 2) {
    d.Month = n[0];
  }
  if (d.Year == 0) Fail("Jahr 0 gibt es nicht");
  if ((n.size() >= 2 && (d.Month < 1 || d.Month > 12))) Fail("Monat " + std::to_string(d.Month) + " ungültig");
  if (n.size() == 3 && (d.Day < 1 || d.Day > DaysInMonth(d.Month, d.Year, d.AD)))
    Fail("Tag " + std::to_string(d.Day) + "." + std::to_string(d.Month) + ". gibt es im Jahr " +
         std::to_string(d.Year) + (d.AD ? "" : " v.Chr.") + " nicht");
  if (d.AD && d.Year == 1582 && d.Month == 10 && d.Day >= 5 && d.Day <= 14)
    Fail("5. bis 14. Oktober 1582 fielen der Kalenderreform zum Opfer");
  return d;
}

std::vector<TSaying> ReadFortunes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(path + ": Spruchdatei fehlt (Paket fortunes-de)");
  std::vector<TSaying> out;
  std::vector<std::string> lines;
  auto flush = [&] {
    while (!lines.empty() && Trim(lines.back()).empty()) lines.pop_back();
    while (!lines.empty() && Trim(lines.front()).empty()) lines.erase(lines.begin());
    if (lines.empty()) return;
    // The author line ("-- Name (Werk)") may be followed by a remark; the
    // remark is dropped, and a quotation the remark calls falsely attributed
    // is left out altogether.
    std::string author;
    for (size_t i = lines.size(); i-- > 0;) {
      std::string t = Trim(lines[i]);
      if (t.rfind("-- ", 0) != 0) continue;
      for (size_t k = i + 1; k < lines.size(); ++k)
        if (lines[k].find("Falsch zugeordnete") != std::string::npos) {
          lines.clear();
          return;
        }
      author = Trim(t.substr(3));
      lines.resize(i);
      break;
    }
    // A leading header is not part of the saying: a first paragraph of up
    // to three lines set off by a blank line whose last line ends with a
    // colon (perhaps followed by a remark in brackets), or a first line
    // "Aus Murphy's Gesetze:" / "Stilblüten aus …:". Other sayings may
    // well begin with a line ending in a colon.
    size_t blank = 0;
    while (blank < lines.size() && !Trim(lines[blank]).empty()) ++blank;
    auto headerLine = [](const std::string& l) {
      std::string t = Trim(l);
      if (!t.empty() && t.back() == ')') {
        size_t open = t.rfind('(');
        if (open != std::string::npos) t = Trim(t.substr(0, open));
      }
      return !t.empty() && t.back() == ':';
    };
    if (blank < lines.size() && blank <= 3 && blank > 0 && headerLine(lines[blank - 1]))
      lines.erase(lines.begin(), lines.begin() + static_cast<long>(blank));
    else if (lines.size() > 1 && headerLine(lines[0]) &&
             (Trim(lines[0]).rfind("Aus ", 0) == 0 || Trim(lines[0]).rfind("Stilbl", 0) == 0))
      lines.erase(lines.begin());
    // Hard-wrapped lines become one text with single blanks.
    std::string text;
    for (const auto& l : lines) {
      for (char c : l) {
        const bool blank = c == ' ' || c == '\t';
        if (blank && (text.empty() || text.back() == ' ')) continue;
        text += blank ? ' ' : c;
      }
      if (!text.empty() && text.back() != ' ') text += ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    lines.clear();
    TSaying s;
    if (!text.empty() && Utf8ToCp1252Folded(text, s.Text) && Utf8ToCp1252Folded(author, s.Source)) {
      if (s.Source.size() > 80) s.Source.resize(80);
      out.push_back(s);
    }
  };
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "%") flush();
    else lines.push_back(line);
  }
  flush();
  return out;
}

namespace {

void LoadSayings(const std::string& dir, const std::string& fortuneDir, TReferenceData& d) {
  auto fort = [&](const char* name) { return ReadFortunes(fortuneDir + "/" + name); };
  auto cat = [](std::initializer_list<std::vector<TSaying>> parts) {
    std::vector<TSaying> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  auto filter = [](const std::vector<TSaying>& in, const std::function<bool(const std::string&)>& keep) {
    std::vector<TSaying> out;
    for (const auto& s : in)
      if (keep(Cp1252ToUtf8(s.Source))) out.push_back(s);
    return out;
  };
  const TSayingFilter shown(dir);
  const auto quotes = fort("zitate");
  std::array<std::vector<TSaying>, kSayingCategories> pools;
  pools[0] = cat({fort("sprueche"), fort("lieberals")});
  // Each category keeps to sayings of its own kind and repeats them over
  // the year where they are fewer than its days.
  pools[1] = fort("murphy");
  pools[2] = fort("kinderzitate");
  pools[3] = fort("stilblueten");
  pools[4] = LoadOwnSayings(dir, "katheder.txt");
  pools[5] = LoadOwnSayings(dir, "liebe.txt");
  pools[6] = cat({fort("sprichworte"), fort("sprichwortev"), filter(quotes, IsProverb)});
  pools[7] = filter(quotes, [](const std::string& a) { return !IsGoethe(a) && !IsJeanPaul(a) && !IsProverb(a); });
  pools[9] = LoadOwnSayings(dir, "bibel.txt");
  pools[10] = filter(quotes, IsGoethe);
  pools[11] = filter(quotes, IsJeanPaul);
  for (int c = 0; c < kSayingCategories; ++c) {
    if (c == 8) {
      d.Sayings[8] = LoadFarmersRules(dir, shown, d.SayingSources[8]);
      continue;
    }
    const auto pool = shown.Keep(pools[static_cast<size_t>(c)]);
    d.SayingSources[static_cast<size_t>(c)] = static_cast<int>(pool.size());
    auto& days = d.Sayings[static_cast<size_t>(c)];
    days.assign(kSayingDays, TSaying{});
    FillDays(days, pool, c);
  }
}

}  // namespace

TReferenceData LoadReferenceData(const std::string& dataDir, const std::string& fortuneDir) {
  TReferenceData d;
  TLookups lk;
  LoadNations(dataDir, d, lk);
  LoadProfessions(dataDir, d, lk);
  LoadPlaces(dataDir, d, lk);
  LoadPersons(dataDir, d, lk);
  LoadEvents(dataDir, d, lk);
  LoadNames(dataDir, d, lk);
  LoadPatrons(dataDir, d, lk);
  LoadHolidays(dataDir, d, lk);
  LoadPositions(dataDir, d);
  LoadSayings(dataDir, fortuneDir, d);
  return d;
}

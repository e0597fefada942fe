// Writing the reference tables and archives; see build.h.
#include "tools/orvdata/build.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "calendar/vlf.h"
#include "dbengine/engine.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"
#include "richtext/io/textio.h"
#include "richtext/io/writer.h"

namespace fs = std::filesystem;

namespace {

struct TIndexDef {
  const char* Name;
  std::vector<const char*> Fields;
  bool Unique;
  bool Ascending;
  bool CaseInsensitive;
};

struct TTableDef {
  const char* Name;
  // Field name and type: I32, U8, U16, F64, B (Boolean), M (memo), S<n>.
  std::vector<std::pair<const char*, const char*>> Fields;
  std::vector<TIndexDef> Indexes;
};

// The day pages walk births, deaths and events of a day newest first and
// position before the day's entries to step backwards; the engine keeps one
// direction per index, and all-descending serves every one of those walks.
const std::vector<TTableDef>& TableDefs() {
  static const std::vector<TTableDef> defs = {
      {"PERSON",
       {{"PERS_ID", "I32"},      {"PERS_NAME", "S60"},     {"PERS_PRAEDIKAT", "S20"}, {"PERS_ALTNAME1", "S60"},
        {"PERS_ALTPRE1", "S20"}, {"PERS_ALTTYP1", "U8"},   {"PERS_ALTNAME2", "S60"},  {"PERS_ALTPRE2", "S20"},
        {"PERS_ALTTYP2", "U8"},  {"PERS_ATTR", "U8"},      {"PERS_GESCH", "U8"},      {"PERS_GEBORT", "I32"},
        {"PERS_GOPREF", "U8"},   {"PERS_TODORT", "I32"},   {"PERS_TOPREF", "U8"},     {"PERS_GEBJ", "U16"},
        {"PERS_GEBM", "U8"},     {"PERS_GEBT", "U8"},      {"PERS_GDPREF", "U8"},     {"PERS_GNCHR", "U8"},
        {"PERS_TODJ", "U16"},    {"PERS_TODM", "U8"},      {"PERS_TODT", "U8"},       {"PERS_TDPREF", "U8"},
        {"PERS_TNCHR", "U8"},    {"PERS_ANMERK", "I32"},   {"PERS_PATRON", "S120"},   {"PERS_IDENT", "I32"}},
       {{"XPKPERS", {"PERS_ID"}, true, true, false},
        {"PE_GMTJ", {"PERS_GEBM", "PERS_GEBT", "PERS_GNCHR", "PERS_GEBJ"}, false, false, false},
        {"PE_TMTJ", {"PERS_TODM", "PERS_TODT", "PERS_TNCHR", "PERS_TODJ"}, false, false, false},
        {"PE_GDAT", {"PERS_GNCHR", "PERS_GEBJ", "PERS_GEBM", "PERS_GEBT"}, false, true, false},
        {"PE_TDAT", {"PERS_TNCHR", "PERS_TODJ", "PERS_TODM", "PERS_TODT"}, false, true, false}}},
      {"EREIGNIS",
       {{"EREI_ID", "I32"}, {"EREI_TAG", "U8"}, {"EREI_MONAT", "U8"}, {"EREI_JAHR", "U16"}, {"EREI_TEXT", "I32"}},
       {{"XPKEREI", {"EREI_ID"}, true, true, false},
        {"ER_MTJ", {"EREI_MONAT", "EREI_TAG", "EREI_JAHR"}, false, false, false},
        {"ER_JMT", {"EREI_JAHR", "EREI_MONAT", "EREI_TAG"}, false, false, false}}},
      {"NAME",
       {{"NAME_ID", "I32"}, {"NAME_TYP", "U8"}, {"NAME_VON", "I32"}, {"NAME_NAME", "S30"}, {"NAME_GESCH", "U8"}},
       {{"XPKNAME", {"NAME_ID"}, true, true, false},
        {"NA_VON", {"NAME_VON", "NAME_NAME"}, false, true, true},
        {"NA_GESCH", {"NAME_GESCH", "NAME_NAME"}, true, true, true}}},
      {"PATRON",
       {{"PATR_ID", "I32"},
        {"NAME_ID", "I32"},
        {"PATR_MONAT", "U8"},
        {"PATR_TAG", "U8"},
        {"PERS_ID", "I32"},
        {"PATR_VERMERK", "S120"},
        {"PERS_SIEHE", "I32"}},
       {{"XPKPATR", {"PATR_ID"}, true, true, false},
        {"PA_MT", {"PATR_MONAT", "PATR_TAG", "PATR_ID"}, false, true, false},
        {"PA_NAME", {"NAME_ID", "PATR_MONAT", "PATR_TAG"}, false, true, false},
        {"PA_PERS", {"PERS_ID"}, false, true, false}}},
      {"FEIERTAG",
       {{"FTAG_ID", "I32"},
        {"FTAG_TYP", "U8"},
        {"FTAG_MONAT", "U8"},
        {"FTAG_TAG", "U16"},
        {"FTAG_TITEL", "S60"},
        {"FTAG_LAND", "I32"},
        {"FTAG_TEXT", "I32"}},
       {{"XPKFTAG", {"FTAG_ID"}, true, true, false},
        {"FT_MT", {"FTAG_TYP", "FTAG_MONAT", "FTAG_TAG"}, false, true, false}}},
      {"SPRUCH",
       {{"SPRU_TYP", "U8"}, {"SPRU_TAG", "U16"}, {"SPRU_TEXT", "M"}, {"SPRU_QUELLE", "S80"}},
       {{"XPKSPRU", {"SPRU_TYP", "SPRU_TAG"}, true, true, false}}},
      {"ORT",
       {{"ORTE_ID", "I32"}, {"ORTE_NAME", "S40"}, {"ORTE_ATTR", "S20"}, {"ORTE_DISPATTR", "B"}},
       {{"XPKORTE", {"ORTE_ID"}, true, true, false}}},
      {"NATION",
       {{"NATI_ID", "I32"}, {"NATI_ABK", "S5"}, {"NATI_NAME", "S40"}},
       {{"XPKNATI", {"NATI_ID"}, true, true, false}}},
      {"BERUF",
       {{"BERU_ID", "I32"}, {"BERU_NAMEM", "S40"}, {"BERU_NAMEF", "S40"}, {"BERU_ATTR", "S20"}},
       {{"XPKBERU", {"BERU_ID"}, true, true, false}}},
      {"PERSNATI",
       {{"PERS_ID", "I32"}, {"PNAT_NR", "U8"}, {"NATI_ID", "I32"}},
       {{"PN_PERS", {"PERS_ID", "PNAT_NR"}, true, true, false}}},
      {"PERSBERU",
       {{"PERS_ID", "I32"}, {"PBER_NR", "U8"}, {"BERU_ID", "I32"}},
       {{"PB_PERS", {"PERS_ID", "PBER_NR"}, true, true, false}}},
      {"LAGE",
       {{"ORT", "S30"}, {"BREITE", "F64"}, {"LAENGE", "F64"}},
       {{"XPKLAGE", {"ORT"}, true, true, true}}},
  };
  return defs;
}

void TypeOf(const std::string& t, int& type, int& units) {
  units = 0;
  if (t == "I32") type = fftInt32;
  else if (t == "U8") type = fftByte;
  else if (t == "U16") type = fftWord16;
  else if (t == "F64") type = fftDouble;
  else if (t == "B") type = fftBoolean;
  else if (t == "M") type = fftBlobMemo;
  else {
    type = fftShortString;
    units = std::stoi(t.substr(1));
  }
}

// Fills one table: set the fields of a record by name, then Post.
class TTableFiller {
public:
  TTableFiller(const std::string& path, const TffDataDictionary& dict) {
    TffTable::Create(path, dict, true);
    table_ = TffTable::Open(path, TffOpenMode::ReadWrite, TffShareMode::Exclusive);
    cursor_ = table_->OpenCursor();
    rec_.resize(static_cast<size_t>(cursor_->RecordLength()));
    table_->StartTransaction();
    Clear();
  }
  ~TTableFiller() {
    if (table_ && table_->InTransaction()) table_->Rollback();
  }

  TTableFiller& Int(const char* field, int64_t v) {
    FFSetFieldInt(Dict(), rec_.data(), Field(field), v);
    return *this;
  }
  TTableFiller& Float(const char* field, double v) {
    FFSetFieldFloat(Dict(), rec_.data(), Field(field), v);
    return *this;
  }
  TTableFiller& Str(const char* field, const AnsiString& v) {
    FFSetFieldString(Dict(), rec_.data(), Field(field), v);
    return *this;
  }
  TTableFiller& Memo(const char* field, const AnsiString& v) {
    cursor_->WriteBlob(rec_.data(), Field(field), v.data(), static_cast<uint32_t>(v.size()));
    return *this;
  }
  void Post() {
    cursor_->InsertRecord(rec_.data());
    ++count_;
    Clear();
  }
  uint32_t Finish() {
    table_->Commit();
    cursor_.reset();
    table_.reset();
    return count_;
  }

private:
  const TffDataDictionary& Dict() const { return cursor_->Dictionary(); }
  int Field(const char* name) const {
    int i = Dict().FieldIndex(name);
    if (i < 0) throw Exception(std::string("Feld ") + name + " fehlt");
    return i;
  }
  // Every field starts as zero / empty (not null), so unset fields read 0.
  void Clear() {
    FFInitRecord(Dict(), rec_.data());
    for (int i = 0; i < Dict().FieldCount(); ++i) {
      int t = Dict().Field(i).Type;
      if (IsBlobType(t)) continue;
      if (t == fftShortString) FFSetFieldString(Dict(), rec_.data(), i, "");
      else if (t == fftDouble) FFSetFieldFloat(Dict(), rec_.data(), i, 0);
      else FFSetFieldInt(Dict(), rec_.data(), i, 0);
    }
  }

  std::shared_ptr<TffTable> table_;
  std::unique_ptr<TffCursor> cursor_;
  std::vector<uint8_t> rec_;
  uint32_t count_ = 0;
};

// Appends texts to an archive; a text with links goes in as RTF, equal
// country texts share one record.
class TArchive {
public:
  explicit TArchive(const std::string& path) : writer_(FromSysFileName(path)) {}  // a system path
  uint32_t Add(const TLinkedText& text, uint32_t& rtfCount) {
    if (text.empty()) return 0;
    ++records_;
    if (HasLinks(text)) {
      ++rtfCount;
      return writer_.AppendRecord(LinkedTextRtf(text));
    }
    return writer_.AppendRecord(PlainText(text));
  }
  uint32_t AddShared(const AnsiString& text) {
    auto it = shared_.find(text);
    if (it != shared_.end()) return it->second;
    ++records_;
    uint32_t off = writer_.AppendRecord(text);
    shared_.emplace(text, off);
    return off;
  }
  uint32_t Close() {
    writer_.Close();
    return records_;
  }

private:
  TVlfWriter writer_;
  std::map<AnsiString, uint32_t> shared_;
  uint32_t records_ = 0;
};

void AddRun(TWPRTFText& t, TWPParagraphRec* p, const AnsiString& s, uint32_t style) {
  TWPAttrRecord a;
  a.Style = style;
  a.Font = 0;
  a.Size = 10;
  TWPLineRec* l = TWPRTFText::Get_LastLine(p);
  if (l->Length + static_cast<int>(s.size()) + 4 >= l->Capacity)
    t.GrowLineBuffer(l, l->Length + static_cast<int>(s.size()) + 64);
  for (char c : s) {
    l->pc[l->Length] = c;
    l->pa[l->Length] = a;
    ++l->Length;
  }
  l->pc[l->Length] = 0;
}

}  // namespace

const std::vector<std::string>& ReferenceTableNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const auto& d : TableDefs()) n.push_back(d.Name);
    return n;
  }();
  return names;
}

TffDataDictionary ReferenceDictionary(const std::string& table) {
  for (const auto& def : TableDefs()) {
    if (table != def.Name) continue;
    // The smallest block: every saying's memo takes a block of its own.
    TffDataDictionary dict(4096);
    for (const auto& [name, type] : def.Fields) {
      int t = 0, units = 0;
      TypeOf(type, t, units);
      dict.AddField(name, "", t, units, 0, false);
    }
    for (const auto& ix : def.Indexes) {
      std::vector<int> fields;
      for (const char* f : ix.Fields) fields.push_back(dict.FieldIndex(f));
      dict.AddIndex(ix.Name, "", 0, fields, !ix.Unique, ix.Ascending, ix.CaseInsensitive);
    }
    return dict;
  }
  throw Exception("unbekannte Tabelle " + table);
}

AnsiString LinkedTextRtf(const TLinkedText& text) {
  TWPRTFTextIo doc;
  for (const auto& piece : text) {
    if (piece.Link == 0) {
      AddRun(doc, doc.FirstPar, piece.Text, 0);
    } else {
      AddRun(doc, doc.FirstPar, piece.Text, wpsHyperlink);
      AddRun(doc, doc.FirstPar, "p:" + std::to_string(piece.Link), wpsHidden);
    }
  }
  TStringStream out;
  TWPRTFWriter writer;
  if (doc.WriteWith(&writer, &out) != 0) throw Exception("RTF-Text konnte nicht geschrieben werden");
  return out.DataString();
}

TBuildCounts WriteReferenceData(const TReferenceData& d, const std::string& programDir) {
  TBuildCounts counts;
  const fs::path target = fs::path(programDir) / "DATEN";
  const fs::path work = fs::path(programDir) / "DATEN.neu";
  fs::remove_all(work);
  fs::create_directories(work);
  auto path = [&](const std::string& name) { return (work / name).string(); };

  // Archives first: the tables store their offsets.
  std::map<int, uint32_t> personText, eventText;
  std::vector<std::pair<uint32_t, uint32_t>> holidayText;  // land, text
  {
    TArchive persons(path("Person.Stx"));
    for (const auto& p : d.Persons) personText[p.Id] = persons.Add(p.Note, counts.RtfTexts);
    counts.ArchiveRecords[1] = persons.Close();
    TArchive events(path("Ereignis.Stx"));
    for (const auto& e : d.Events) eventText[e.Id] = events.Add(e.Text, counts.RtfTexts);
    counts.ArchiveRecords[0] = events.Close();
    TArchive holidays(path("Feiertag.Stx"));
    for (const auto& h : d.Holidays) {
      // The heading line of a holiday on the page and in the data window
      // names the holiday before the countries that keep it.
      uint32_t land = holidays.AddShared(h.Title + " \x96 " + h.Countries);
      holidayText.emplace_back(land, holidays.Add(h.Text, counts.RtfTexts));
    }
    counts.ArchiveRecords[2] = holidays.Close();
  }

  auto table = [&](const char* name) {
    return TTableFiller(path(std::string(name) + ".FFD"), ReferenceDictionary(name));
  };
  auto done = [&](const char* name, TTableFiller& t) { counts.Tables.emplace_back(name, t.Finish()); };

  {
    TTableFiller t = table("PERSON");
    TTableFiller pn = table("PERSNATI");
    TTableFiller pb = table("PERSBERU");
    for (const auto& p : d.Persons) {
      t.Int("PERS_ID", p.Id).Str("PERS_NAME", p.Name).Str("PERS_PRAEDIKAT", p.Predicate);
      t.Str("PERS_ALTNAME1", p.Alt[0].Name).Str("PERS_ALTPRE1", p.Alt[0].Prefix).Int("PERS_ALTTYP1", p.Alt[0].Type);
      t.Str("PERS_ALTNAME2", p.Alt[1].Name).Str("PERS_ALTPRE2", p.Alt[1].Prefix).Int("PERS_ALTTYP2", p.Alt[1].Type);
      t.Int("PERS_ATTR", p.Attr).Int("PERS_GESCH", p.Gender);
      t.Int("PERS_GEBORT", p.BirthPlace.Place).Int("PERS_GOPREF", p.BirthPlace.Preposition);
      t.Int("PERS_TODORT", p.DeathPlace.Place).Int("PERS_TOPREF", p.DeathPlace.Preposition);
      t.Int("PERS_GEBJ", p.Birth.Year).Int("PERS_GEBM", p.Birth.Month).Int("PERS_GEBT", p.Birth.Day);
      t.Int("PERS_GDPREF", p.Birth.Qualifier).Int("PERS_GNCHR", p.Birth.AD ? 1 : 0);
      t.Int("PERS_TODJ", p.Death.Year).Int("PERS_TODM", p.Death.Month).Int("PERS_TODT", p.Death.Day);
      t.Int("PERS_TDPREF", p.Death.Qualifier).Int("PERS_TNCHR", p.Death.AD ? 1 : 0);
      t.Int("PERS_ANMERK", personText[p.Id]).Str("PERS_PATRON", p.Patron).Int("PERS_IDENT", 0);
      t.Post();
      for (size_t i = 0; i < p.Nations.size(); ++i) {
        pn.Int("PERS_ID", p.Id).Int("PNAT_NR", static_cast<int>(i) + 1).Int("NATI_ID", p.Nations[i]);
        pn.Post();
      }
      for (size_t i = 0; i < p.Professions.size(); ++i) {
        pb.Int("PERS_ID", p.Id).Int("PBER_NR", static_cast<int>(i) + 1).Int("BERU_ID", p.Professions[i]);
        pb.Post();
      }
    }
    done("PERSON", t);
    done("PERSNATI", pn);
    done("PERSBERU", pb);
  }
  {
    TTableFiller t = table("EREIGNIS");
    for (const auto& e : d.Events) {
      t.Int("EREI_ID", e.Id).Int("EREI_TAG", e.Day).Int("EREI_MONAT", e.Month).Int("EREI_JAHR", e.Year);
      t.Int("EREI_TEXT", eventText[e.Id]).Post();
    }
    done("EREIGNIS", t);
  }
  {
    TTableFiller t = table("NAME");
    for (const auto& n : d.Names) {
      t.Int("NAME_ID", n.Id).Int("NAME_TYP", n.Type).Int("NAME_VON", n.Of).Str("NAME_NAME", n.Name);
      t.Int("NAME_GESCH", n.Gender).Post();
    }
    done("NAME", t);
  }
  {
    TTableFiller t = table("PATRON");
    for (const auto& p : d.Patrons) {
      t.Int("PATR_ID", p.Id).Int("NAME_ID", p.Name).Int("PATR_MONAT", p.Month).Int("PATR_TAG", p.Day);
      t.Int("PERS_ID", p.Person).Str("PATR_VERMERK", p.Note).Int("PERS_SIEHE", p.See).Post();
    }
    done("PATRON", t);
  }
  {
    TTableFiller t = table("FEIERTAG");
    for (size_t i = 0; i < d.Holidays.size(); ++i) {
      const auto& h = d.Holidays[i];
      t.Int("FTAG_ID", h.Id).Int("FTAG_TYP", h.Kind).Int("FTAG_MONAT", h.Month).Int("FTAG_TAG", h.Day);
      t.Str("FTAG_TITEL", h.Title).Int("FTAG_LAND", holidayText[i].first).Int("FTAG_TEXT", holidayText[i].second);
      t.Post();
    }
    done("FEIERTAG", t);
  }
  {
    TTableFiller t = table("SPRUCH");
    for (int c = 0; c < kSayingCategories; ++c)
      for (int day = 1; day <= kSayingDays; ++day) {
        const TSaying& s = d.Sayings[static_cast<size_t>(c)][static_cast<size_t>(day - 1)];
        t.Int("SPRU_TYP", c).Int("SPRU_TAG", day).Memo("SPRU_TEXT", s.Text).Str("SPRU_QUELLE", s.Source).Post();
      }
    done("SPRUCH", t);
  }
  {
    TTableFiller t = table("ORT");
    for (const auto& p : d.Places)
      t.Int("ORTE_ID", p.Id).Str("ORTE_NAME", p.Name).Str("ORTE_ATTR", p.Attr).Int("ORTE_DISPATTR", p.ShowAttr).Post();
    done("ORT", t);
  }
  {
    TTableFiller t = table("NATION");
    for (const auto& n : d.Nations) t.Int("NATI_ID", n.Id).Str("NATI_ABK", n.Abbrev).Str("NATI_NAME", n.Name).Post();
    done("NATION", t);
  }
  {
    TTableFiller t = table("BERUF");
    for (const auto& p : d.Professions)
      t.Int("BERU_ID", p.Id).Str("BERU_NAMEM", p.Male).Str("BERU_NAMEF", p.Female).Str("BERU_ATTR", p.Attr).Post();
    done("BERUF", t);
  }
  {
    TTableFiller t = table("LAGE");
    for (const auto& p : d.Positions)
      t.Str("ORT", p.Place).Float("BREITE", p.Latitude).Float("LAENGE", p.Longitude).Post();
    done("LAGE", t);
  }

  // Only a complete set replaces the previous one.
  fs::create_directories(target);
  for (const auto& entry : fs::directory_iterator(work)) fs::rename(entry.path(), target / entry.path().filename());
  fs::remove_all(work);
  return counts;
}

std::string DataReport(const TReferenceData& d, const TBuildCounts& counts) {
  std::ostringstream out;
  out << "Datenbericht\n";
  for (const auto& [name, n] : counts.Tables) {
    char line[80];
    std::snprintf(line, sizeof line, "  %-10s %6u S%stze\n", name.c_str(), n, "\xC3\xA4");
    out << line;
  }
  out << "  Archive: Ereignis.Stx " << counts.ArchiveRecords[0] << ", Person.Stx " << counts.ArchiveRecords[1]
      << ", Feiertag.Stx " << counts.ArchiveRecords[2] << " Texte (" << counts.RtfTexts << " mit Verweisen als RTF)\n";
  int bc = 0, uncertain = 0, alt = 0;
  for (const auto& p : d.Persons) {
    for (const auto* date : {&p.Birth, &p.Death}) {
      if (date->Year && !date->AD) ++bc;
      if (date->Year && date->Qualifier) ++uncertain;
    }
    alt += (p.Alt[0].Type != 0) + (p.Alt[1].Type != 0);
  }
  out << "  Personendaten: " << bc << " v.Chr., " << uncertain << " unsicher, " << alt << " Altnamen\n";
  out << "  Spr" << "\xC3\xBC" << "che je Kategorie (Quellen, auf 366 Tage verteilt):";
  for (int c = 0; c < kSayingCategories; ++c)
    out << (c ? ", " : " ") << c << ":" << d.SayingSources[static_cast<size_t>(c)];
  out << "\n";

  std::set<std::pair<int, int>> births, deaths, events, names;
  for (const auto& p : d.Persons) {
    if (p.Birth.Day) births.insert({p.Birth.Month, p.Birth.Day});
    if (p.Death.Day) deaths.insert({p.Death.Month, p.Death.Day});
  }
  for (const auto& e : d.Events) events.insert({e.Month, e.Day});
  for (const auto& p : d.Patrons) names.insert({p.Month, p.Day});
  auto missing = [](const char* what, const std::set<std::pair<int, int>>& have, bool list) {
    std::ostringstream o;
    std::string days;
    int n = 0;
    for (int m = 1; m <= 12; ++m)
      for (int day = 1; day <= DaysInMonth(m, 2000, true); ++day)
        if (!have.count({m, day})) {
          ++n;
          days += (days.empty() ? "" : ", ") + std::to_string(day) + "." + std::to_string(m) + ".";
        }
    o << "  Tage ohne " << what << ": " << n;
    if (n && list) o << " (" << days << ")";
    o << "\n";
    return o.str();
  };
  out << missing("Geburt", births, true) << missing("Todestag", deaths, true) << missing("Ereignis", events, true)
      << missing("Namenstag", names, false);
  return out.str();
}

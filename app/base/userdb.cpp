// Building the user's tables, the two imports of older data and the default
// templates. Each step of CreateUserDatabase runs on its own, so a failing
// step never stops the next; failures are collected and shown once.
#include "app/base/userdb.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "app/base/convdlg.h"
#include "app/base/usertables.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "dbclient/bapi.h"
#include "platform/db/dbtables.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/forms.h"

const TDefaultLayout kDefaultLayouts[3] = {
    {"OvDef001.Rtf", 1, "Geburtstagsblatt", 0, 0},
    {"OvDef002.Rtf", 2, "Blatt zu einer runden Anzahl Lebenstage", 0, 1},
    {"OvDef003.Rtf", 3, "Namensblatt", 9, 0},
};

namespace {

constexpr const char* kAutoCodeName = "*** automatisch erg\xE4nzt ***";
// An import file bears this ending while its import is written: a crash
// then leaves it so named, and the next start tells by the table whether
// the import was written (the file goes) or not (it is read again).
constexpr const char* kWritingSuffix = ".uebertragen";
// Checked in this order: a first name ending in one of them gives it to the
// surname.
const char* const kParticles[] = {"von", "zu", "zum", "zur", "de", "du", "del", "della", "Du", "Del", "Della"};

AnsiString Quoted(const AnsiString& s) { return "\"" + s + "\""; }
// A file's or folder's path, quoted as the user sees it.
AnsiString QuotedPath(const AnsiString& path) { return Quoted(ShownFileName(ExcludeTrailingPathDelimiter(path))); }

// An engine's refusal names its file and what to do; other errors need
// saying what was being done.
AnsiString Explained(const AnsiString& what, const Exception& e) {
  return dynamic_cast<const EDBEngineError*>(&e) ? e.Message() : what + ": " + e.Message();
}

// True when the table refused a record for what it holds, so that the next
// one may still go in; a refusal for the state of the file or its disk ends
// the import, which would only repeat it for every record.
bool RecordRefused(const Exception& e) {
  const auto* engine = dynamic_cast<const EDBEngineError*>(&e);
  return !engine || engine->ErrorCode() == bapiKeyViolation || engine->ErrorCode() == bapiRequiredFieldMissing;
}

// The lines of a Windows-1252 text file, any line ends; false when the file
// cannot be read.
bool ReadLines(const AnsiString& fileName, std::vector<AnsiString>& lines) {
  TMemoryStream stream;
  try {
    stream.LoadFromFile(fileName);
  } catch (const Exception&) {
    return false;
  }
  const AnsiString text(stream.Memory(), static_cast<size_t>(stream.Size()));
  size_t p = 0;
  while (p < text.size()) {
    size_t start = p;
    while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
    lines.push_back(text.substr(start, p - start));
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
  }
  return true;
}

// "tag=value": true for a line with a tag and a non-empty value.
bool SplitTagLine(const AnsiString& line, AnsiString& tag, AnsiString& value) {
  const size_t eq = line.find('=');
  if (eq == AnsiString::npos) return false;
  tag = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return !tag.empty() && tag[0] == '#' && !value.empty();
}

// The progress window and the hourglass for the life of an import; both go
// again on every way out.
class TImportProgress {
 public:
  TImportProgress() {
    dlg_ = new TfrmConvDlg(Application);
    dlg_->Show();
    oldCursor_ = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
  }
  ~TImportProgress() {
    Screen->SetCursor(oldCursor_);
    delete dlg_;  // leaves the application's components with it
  }
  TImportProgress(const TImportProgress&) = delete;
  TImportProgress& operator=(const TImportProgress&) = delete;
  void Line(int n) {
    dlg_->ShowCount(n);
    Application->ProcessMessages();
  }

 private:
  TfrmConvDlg* dlg_;
  TCursor oldCursor_;
};

// The common pass: every tagged line through `onTag`, then `finish`, all of
// it one change of the user's data; the file is deleted once that change
// is written whole (see kWritingSuffix). A `check` drops the change and
// keeps the file: Complete then says only that the pass went through.
void RunImport(const AnsiString& fileName, TImportResult& result,
               const std::function<void(const AnsiString&, const AnsiString&, int)>& onTag,
               const std::function<void()>& finish, bool check = false) {
  std::vector<AnsiString> lines;
  if (!ReadLines(fileName, lines)) {
    result.Problems.push_back(CP1252("Die Datei ").str() + QuotedPath(fileName) +
                              CP1252(" kann nicht gelesen werden; sie bleibt für einen späteren Versuch liegen.").str());
    return;
  }
  AnsiString written = fileName;  // the file's name while its import is written
  try {
    TUserChange change;
    {
      TImportProgress progress;
      for (const AnsiString& line : lines) {
        ++result.Lines;
        progress.Line(result.Lines);
        AnsiString tag, value;
        if (SplitTagLine(line, tag, value)) onTag(tag, value, result.Lines);
      }
      finish();
    }
    if (check) {
      result.Complete = true;
      return;
    }
    if (RenameFile(fileName, fileName + kWritingSuffix)) written = fileName + kWritingSuffix;
    try {
      change.Commit();
    } catch (const Exception&) {
      if (written != fileName) RenameFile(written, fileName);
      throw;
    }
  } catch (const EDBEngineError& e) {
    result.Stored = 0;
    result.Problems.push_back(e.Message() + CP1252("\rDie Übernahme aus ").str() + QuotedPath(fileName) +
                              CP1252(" wurde abgebrochen; nichts davon wurde übernommen. Die Datei bleibt erhalten "
                                     "und wird beim nächsten Start wieder gelesen.")
                                  .str());
    return;
  }
  result.Complete = true;
  if (!DeleteFile(written))
    result.Problems.push_back(QuotedPath(fileName) +
                              CP1252(" wurde übernommen, lässt sich aber nicht löschen.").str());
}

// Whether an import's records are in their table already: each record the
// pass would store is looked for there by `fields`, and dropped.
class TImportCheck {
 public:
  TImportCheck(TwwTable* t, std::initializer_list<const char*> fields) : fields_(fields) {
    for (t->First(); !t->Eof(); t->Next()) held_.insert(Key(t));
  }
  void Pending(TwwTable* t) {
    lacking_ = lacking_ || held_.count(Key(t)) == 0;
    t->Cancel();
  }
  bool Lacking() const { return lacking_; }

 private:
  AnsiString Key(TwwTable* t) const {
    AnsiString key;
    for (const char* f : fields_) key += t->FieldByName(f)->AsString() + '\x1F';
    return key;
  }
  std::vector<const char*> fields_;
  std::set<AnsiString> held_;
  bool lacking_ = false;
};

// ---- selection codes -------------------------------------------------------------

class TSelCodeImport {
 public:
  TSelCodeImport(TwwTable* selCode, TImportResult& result, AnsiString fileName, TImportCheck* check = nullptr)
      : t_(selCode), r_(result), file_(std::move(fileName)), check_(check) {}

  void Tag(const AnsiString& tag, const AnsiString& value, int line) {
    if (tag == "#ID") {
      Store();
      line_ = line;
      if (static_cast<int>(value.size()) > 3) {
        Report(line, CP1252("Der Code ").str() + Quoted(value) +
                         CP1252(" ist länger als drei Zeichen; der Eintrag wurde übergangen.").str());
        skipping_ = true;
        return;
      }
      skipping_ = false;
      t_->Append();
      t_->FieldByName("SELC_ID")->SetAsString(value);
    } else if (tag == "#Text") {
      if (skipping_) return;
      if (t_->State() != dsInsert) {
        Report(line, Quoted(tag + "=" + value) + CP1252(" steht vor dem ersten \"#ID\" und wurde übergangen.").str());
        return;
      }
      t_->FieldByName("SELC_NAME")->SetAsString(value);
    }
  }

  // Posts the pending code; a code that cannot be stored (given twice, for
  // example) is reported and dropped.
  void Store() {
    if (t_->State() != dsInsert) return;
    if (check_) return check_->Pending(t_);
    try {
      t_->Post();
      ++r_.Stored;
    } catch (const Exception& e) {
      const AnsiString code = t_->FieldByName("SELC_ID")->AsString();
      t_->Cancel();
      if (!RecordRefused(e)) throw;
      const auto* engine = dynamic_cast<const EDBEngineError*>(&e);
      if (engine && engine->ErrorCode() == bapiKeyViolation)
        Report(line_, "Den Code " + Quoted(code) + CP1252(" gibt es schon; der Eintrag wurde übergangen.").str());
      else
        Report(line_, CP1252("Der Code ").str() + Quoted(code) +
                          CP1252(" konnte nicht gespeichert werden (").str() + e.Message() +
                          CP1252(") und wurde übergangen.").str());
    }
  }

 private:
  void Report(int line, const AnsiString& text) {
    r_.Problems.push_back(file_ + ", Zeile " + IntToStr(line) + ": " + text);
  }
  TwwTable* t_;
  TImportResult& r_;
  AnsiString file_;
  TImportCheck* check_;
  int line_ = 0;
  bool skipping_ = false;
};

// ---- own entries -------------------------------------------------------------------

class TOwnEntryImport {
 public:
  // Entries are numbered on from the highest number any table refers to.
  TOwnEntryImport(TwwTable* eigenes, TwwTable* eigeSelc, TwwTable* selCode, TImportResult& result, AnsiString fileName,
                  TImportCheck* check = nullptr)
      : t_(eigenes), links_(eigeSelc), codes_(selCode), r_(result), file_(std::move(fileName)), check_(check),
        counter_(HighestEntryId()) {}

  void Tag(const AnsiString& tag, const AnsiString& value, int line) {
    if (tag == "#ID") {
      Store();
      StartEntry(line);
      return;
    }
    if (t_->State() != dsInsert) {
      if (!skipping_)
        Report(line, Quoted(tag + "=" + value) + CP1252(" steht vor dem ersten \"#ID\" und wurde übergangen.").str());
      return;
    }
    try {
      SetValue(tag, value, line);
    } catch (const Exception&) {
      Report(line, Quoted(tag + "=" + value) + CP1252(" ist kein gültiger Wert und wurde übergangen.").str());
    }
  }

  // Stores the pending entry with its warner keys. An entry that cannot be
  // stored is dropped with the links it made, and its number goes to the
  // next entry.
  void Store() {
    if (t_->State() != dsInsert) return;
    if (check_) return check_->Pending(t_);
    const AnsiString what = EntryName();
    try {
      TField* date = t_->FieldByName("EIGE_DATUM");
      const bool hasDate = !date->IsNull();
      t_->FieldByName("EIGE_TERMIN1")
          ->SetAsInteger(WarnerKey(hasDate, date->AsDateTime(), t_->FieldByName("EIGE_W1")->AsBoolean(),
                                   t_->FieldByName("EIGE_W1TAGE")->AsInteger()));
      t_->FieldByName("EIGE_TERMIN2")
          ->SetAsInteger(WarnerKey(hasDate, date->AsDateTime(), t_->FieldByName("EIGE_W2")->AsBoolean(),
                                   t_->FieldByName("EIGE_W2TAGE")->AsInteger()));
      t_->Post();
      ++r_.Stored;
    } catch (const Exception& e) {
      t_->Cancel();
      RemoveLinks();
      --counter_;
      if (!RecordRefused(e)) throw;
      Report(line_, CP1252("Der Eintrag ").str() + what + CP1252(" konnte nicht gespeichert werden (").str() +
                        e.Message() + CP1252(") und wurde übergangen.").str());
    }
    attached_.clear();
  }

 private:
  void StartEntry(int line) {
    line_ = line;
    attached_.clear();
    try {
      t_->Append();
    } catch (const Exception& e) {
      skipping_ = true;
      Report(line, CP1252("Ein neuer Eintrag kann nicht angelegt werden (").str() + e.Message() +
                       CP1252("); seine Zeilen wurden übergangen.").str());
      return;
    }
    skipping_ = false;
    ++counter_;
    t_->FieldByName("EIGE_ID")->SetAsInteger(counter_);
    t_->FieldByName("EIGE_TYP")->SetAsInteger(etEvent);
  }

  void SetValue(const AnsiString& tag, const AnsiString& value, int line) {
    auto field = [&](const char* name) { return t_->FieldByName(name); };
    if (tag == "#Name") {
      field("EIGE_TYP")->SetAsInteger(etPerson);
      field("EIGE_GESCH")->SetAsInteger(0);
      field("EIGE_W0")->SetAsBoolean(Warner0On);
      field("EIGE_W1")->SetAsBoolean(Warner1On);
      field("EIGE_W1TAGE")->SetAsInteger(Warner1Days);
      field("EIGE_W2")->SetAsBoolean(Warner2On);
      field("EIGE_W2TAGE")->SetAsInteger(Warner2Days);
      AnsiString first, surname;
      const size_t blank = value.rfind(' ');
      if (blank == AnsiString::npos) {
        surname = value;
      } else {
        surname = value.substr(blank + 1);
        first = value.substr(0, blank);
      }
      surname = surname.substr(0, 30);
      for (const char* particle : kParticles) {
        const AnsiString ending = AnsiString(" ") + particle;
        if (first.size() >= ending.size() && first.compare(first.size() - ending.size(), ending.size(), ending) == 0) {
          surname = AnsiString(particle) + " " + surname;
          first.erase(first.size() - ending.size());
        }
      }
      field("EIGE_VORNAME")->SetAsString(first);
      field("EIGE_NACHNAME")->SetAsString(surname);
      field("EIGE_HINWEIS")->SetAsString(PersonHintText(surname, first));
    } else if (tag == "#Vorname") {
      field("EIGE_TYP")->SetAsInteger(etPerson);
      field("EIGE_VORNAME")->SetAsString(value);
    } else if (tag == "#Nachname") {
      field("EIGE_TYP")->SetAsInteger(etPerson);
      field("EIGE_NACHNAME")->SetAsString(value);
    } else if (tag == "#Text") {
      field("EIGE_TEXT")->SetAsString(value);
      field("EIGE_HINWEIS")->SetAsString(ShortHintText(value));
    } else if (tag == "#SelCode") {
      if (!check_) AttachCode(value, line);
    } else if (tag == "#Datum") {
      const int day = StrToIntDef(value.substr(0, 2), 0);
      const int month = value.size() > 2 ? StrToIntDef(value.substr(2, 2), 0) : 0;
      const int year = value.size() > 4 ? StrToIntDef(value.substr(4, 4), 0) : 0;
      TDateTime date = 0;
      if (!TryEncodeDate(year, month, day, date)) {
        Report(line, CP1252("Das Datum ").str() + Quoted(value) +
                         CP1252(" gibt es nicht; der Eintrag wurde ohne Datum übernommen.").str());
        return;
      }
      field("EIGE_DATUM")->SetAsDateTime(date);
      field("EIGE_TAG")->SetAsInteger(day);
      field("EIGE_MONAT")->SetAsInteger(month);
      field("EIGE_JAHR")->SetAsInteger(year);
    } else if (tag == "#Ort") {
      field("EIGE_TYP")->SetAsInteger(etPerson);
      AnsiString place = value;
      if (place.size() >= 3 && SameText(place.substr(0, 3), "in ")) place.erase(0, 3);
      field("EIGE_ORT")->SetAsString(place);
      field("EIGE_ORTPR")->SetAsString("in");
    } else if (tag == "#Zeit") {
      if (value.size() != 4) throw EConvertError("HHMM");
      const AnsiString time = value.substr(0, 2) + ":" + value.substr(2) + ":00";
      field("EIGE_TYP")->SetAsInteger(etPerson);
      field("EIGE_ZEIT")->SetAsString(time);
    } else if (tag == "#Geschlecht") {
      field("EIGE_TYP")->SetAsInteger(etPerson);
      field("EIGE_GESCH")->SetAsInteger(value == "1" ? 0 : 1);
    } else if (tag == "#W0" || tag == "#W1" || tag == "#W2") {
      field(("EIGE_W" + tag.substr(2)).c_str())->SetAsString(BooleanText(value));
    } else if (tag == "#W1Tage" || tag == "#W2Tage") {
      field(("EIGE_W" + tag.substr(2, 1) + "TAGE").c_str())->SetAsString(value);
    }
  }

  // Older files wrote flags as 1/0 or J/N as well as True/False.
  static AnsiString BooleanText(const AnsiString& value) {
    if (value == "1" || SameText(value, "J") || SameText(value, "ja")) return "True";
    if (value == "0" || SameText(value, "N") || SameText(value, "nein")) return "False";
    return value;
  }

  void AttachCode(const AnsiString& code, int line) {
    if (static_cast<int>(code.size()) > 3) {
      Report(line, CP1252("Der Selektionscode ").str() + Quoted(code) +
                       CP1252(" ist länger als drei Zeichen und wurde übergangen.").str());
      return;
    }
    try {
      links_->Append();
      links_->FieldByName("SELC_ID")->SetAsString(code);
      links_->FieldByName("EIGE_ID")->SetAsInteger(counter_);
      links_->Post();
      attached_.push_back(code);
      if (!codes_->FindKey({code})) {
        codes_->Append();
        codes_->FieldByName("SELC_ID")->SetAsString(code);
        codes_->FieldByName("SELC_NAME")->SetAsString(kAutoCodeName);
        codes_->Post();
      }
    } catch (const Exception&) {
      // A code given twice for one entry is stored once.
      if (links_->State() == dsInsert) links_->Cancel();
      if (codes_->State() == dsInsert) codes_->Cancel();
    }
  }

  void RemoveLinks() {
    for (const AnsiString& code : attached_) {
      try {
        if (links_->FindKey({code, counter_})) links_->Delete();
      } catch (const Exception&) {
      }
    }
    attached_.clear();
  }

  AnsiString EntryName() {
    AnsiString hint = t_->FieldByName("EIGE_HINWEIS")->AsString();
    return hint.empty() ? AnsiString("Nr. ") + IntToStr(counter_) : Quoted(hint);
  }

  void Report(int line, const AnsiString& text) {
    r_.Problems.push_back(file_ + ", Zeile " + IntToStr(line) + ": " + text);
  }

  TwwTable* t_;
  TwwTable* links_;
  TwwTable* codes_;
  TImportResult& r_;
  AnsiString file_;
  TImportCheck* check_;
  int counter_ = 0;
  int line_ = 0;
  bool skipping_ = false;
  std::vector<AnsiString> attached_;  // codes linked to the pending entry
};

// Opens a user table on an index, with transliteration off.
std::unique_ptr<TwwTable> OpenUserTable(const char* table, const char* index) {
  auto t = std::make_unique<TwwTable>(nullptr);
  t->SetDatabaseName(kUserAlias);
  t->SetTableName(AnsiString(table) + ".FFD");
  t->SetIndexName(index);
  t->Open();
  FixStringFields(t.get());
  return t;
}

// True when the import's pass over the file finds each record it would
// store in `table` already, alike in `fields`; nothing is written.
template <class Import, class... More>
bool ImportHeld(const AnsiString& fileName, std::initializer_list<const char*> fields, TwwTable* table, More*... more) {
  TImportCheck check(table, fields);
  TImportResult result;
  Import import(table, more..., result, ExtractFileName(fileName), &check);
  RunImport(
      fileName, result, [&](const AnsiString& tag, const AnsiString& value, int line) { import.Tag(tag, value, line); },
      [&] { import.Store(); }, true);
  return result.Complete && !check.Lacking();
}

// What the start found of each user table, and its message when it is
// not ready; the folder's own message (no access, write-protected) stands
// for every table in it.
TTableUse gUse[kUserTableCount] = {tuReady, tuReady, tuReady, tuReady, tuReady};
AnsiString gProblem[kUserTableCount];
std::set<AnsiString> gDamagedIndexes[kUserTableCount];  // by name, upper case
bool gDamaged[kUserTableCount] = {};  // what is in the file, not its rights
AnsiString gFolderProblem;
// The entry numbers EIGENES holds and the codes EIGESELC gives each entry
// number, as the check read them.
std::set<int> gEntryIds;
std::map<int, std::vector<AnsiString>> gLinkedCodes;

bool Readable(TUserTable t) { return gUse[t] != tuUnusable; }
bool Writable(TUserTable t) { return gUse[t] == tuReady; }

AnsiString ShownOnly() { return CP1252("Was sich lesen lässt, wird angezeigt, kann aber nicht geändert werden.").str(); }

// True when the table refused a writer for the file's rights, not for
// what is in it.
bool WriteProtection(const Exception& e) {
  const auto* engine = dynamic_cast<const EDBEngineError*>(&e);
  return engine && (engine->ErrorCode() == rcAccessDenied || engine->ErrorCode() == bapiTableReadOnly);
}

// True when the engine refused the file for what is in it.
bool IsDamage(const Exception& e) {
  const auto* engine = dynamic_cast<const EDBEngineError*>(&e);
  if (!engine) return dynamic_cast<const EReadError*>(&e) != nullptr;
  switch (engine->ErrorCode()) {
    case rcFileDamaged:
    case bapiInvalidBookmark:
    case bapiInvalidDictionary:
    case bapiNoSuchIndex:
    case bapiFieldOutOfRange: return true;
    default: return false;
  }
}

// What names a record to the user: an entry's hint, a template's title.
AnsiString RecordName(TwwTable& t, TUserTable table, int number) {
  const char* field = table == utEigenes ? "EIGE_HINWEIS" : table == utLayout ? "LOUT_TITEL" : nullptr;
  const AnsiString name = field ? Trim(t.FieldByName(field)->AsString()) : AnsiString();
  return name.empty() ? "Nr. " + IntToStr(number) : Quoted(name);
}

// The order the program shows a table's records in: the personal page's
// for the entries, the order of the file's blocks for the others.
const char* ShownOrder(TUserTable table) { return table == utEigenes ? "XEIGE_MTJ" : ""; }

// Reads every field of every record along `index` (empty: in the order of
// the file's blocks): damage there shows now, not
// when a window opens the table. A text or picture that cannot be read
// costs only itself: its record is named in `badBlobs` and the walk goes
// on; a record that cannot be read raises. The entry numbers and their
// codes are kept for the check of the codes.
void ReadEveryRecord(TwwTable& t, TUserTable table, const char* index, std::vector<AnsiString>& badBlobs) {
  t.SetIndexName(index);
  int number = 0;
  for (t.First(); !t.Eof(); t.Next()) {
    ++number;
    for (int i = 0; i < t.FieldCount(); ++i) {
      TField* f = t.Fields(i);
      if (!dynamic_cast<TBlobField*>(f)) {
        f->AsString();
        continue;
      }
      try {
        f->AsString();
      } catch (const Exception& e) {
        if (!IsDamage(e)) throw;
        badBlobs.push_back(RecordName(t, table, number));
      }
    }
    // The program numbers entries from 1 and never links an empty code:
    // anything else is damage, never an entry to name.
    if (table != utEigenes && table != utEigeSelc) continue;
    const int id = t.FieldByName("EIGE_ID")->AsInteger();
    const AnsiString code = table == utEigeSelc ? t.FieldByName("SELC_ID")->AsString() : AnsiString("-");
    if (id <= 0 || Trim(code).empty()) throw EReadError("Ein Eintrag darin hat keine Nummer oder keinen Code.");
    if (table == utEigenes) gEntryIds.insert(id);
    if (table == utEigeSelc) gLinkedCodes[id].push_back(code);
  }
}

// Walks every index: one that is damaged spoils every change of the table,
// and what reads along it is read without it (gDamagedIndexes). The first
// damage found is raised once all were walked.
void WalkEveryIndex(TwwTable& t, TUserTable table) {
  TffDataDictionary dict(8192);
  DescribeUserTable(table, dict);
  std::exception_ptr first;
  for (int i = 0; i < dict.IndexCount(); ++i) {
    try {
      t.SetIndexName(dict.Index(i).Name);
      for (t.First(); !t.Eof(); t.Next()) {
      }
    } catch (const Exception& e) {
      if (!IsDamage(e)) throw;
      gDamagedIndexes[table].insert(UpperCase(dict.Index(i).Name));
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}

// "a, b und c"; beyond `most` names "a, b und 3 weitere".
AnsiString NameList(const std::vector<AnsiString>& names, size_t most = 5) {
  AnsiString list;
  const size_t shown = std::min(names.size(), most);
  for (size_t i = 0; i < shown; ++i)
    list += (i == 0 ? "" : i + 1 == shown && names.size() <= most ? " und " : ", ") + names[i];
  if (names.size() > most) list += " und " + IntToStr(static_cast<int64_t>(names.size() - most)) + " weitere";
  return list;
}

// Opens an existing table, writable when it and its folder may be
// written, and reads it whole; `problem` receives the German message when
// it is not ready. A table whose records read is only read when a part of
// it is damaged (an index, texts, its end cut off): what reads is shown.
TTableUse CheckUserTable(TUserTable table, const AnsiString& path, bool folderWritable, AnsiString& problem) {
  if (DirectoryExists(path)) {
    problem = FolderInFilePlaceProblem(path);
    return tuUnusable;
  }
  TwwTable t(nullptr);
  t.SetDatabaseName(kUserAlias);
  t.SetTableName(ExtractFileName(path));
  // A writer refused for the file's rights reads it still; one refused for
  // damage (a file cut short) too, and the damage is said.
  bool writeProtected = !folderWritable;
  AnsiString damage, unwritten;  // unwritten: a write the open needed (a recovery's) failed, said as such
  if (folderWritable) {
    try {
      t.Open();
    } catch (const Exception& e) {
      const auto* engine = dynamic_cast<const EDBEngineError*>(&e);
      if (WriteProtection(e))
        writeProtected = true;
      else if (engine && engine->Writing())
        unwritten = e.Message() + "\r";
      else
        damage = DataFileProblem(e);
      gDamaged[table] = IsDamage(e);
    }
  }
  std::vector<AnsiString> badBlobs;
  try {
    if (!t.Active()) {
      t.SetReadOnly(true);
      t.Open();
    }
    try {
      ReadEveryRecord(t, table, ShownOrder(table), badBlobs);
    } catch (const Exception& e) {
      // A damaged index costs only itself: the records are read in the
      // order of the file's blocks, and the table is only shown.
      if (!*ShownOrder(table) || !IsDamage(e)) throw;
      gDamagedIndexes[table].insert(ShownOrder(table));
      gDamaged[table] = true;
      if (damage.empty()) damage = DataFileProblem(e);
      badBlobs.clear();
      ReadEveryRecord(t, table, "", badBlobs);
    }
  } catch (const Exception& e) {
    problem = DataFileMessage(path, e);
    gDamaged[table] = IsDamage(e);
    return tuUnusable;
  }
  try {
    WalkEveryIndex(t, table);
  } catch (const Exception& e) {
    gDamaged[table] = true;
    if (damage.empty()) damage = DataFileProblem(e);
  }
  if (!badBlobs.empty()) {
    gDamaged[table] = true;
    if (damage.empty()) damage = EngineProblemText(rcFileDamaged);
    damage += CP1252("\rNicht lesbar ").str() + (badBlobs.size() == 1 ? "ist der Text von " : "sind die Texte von ") +
              NameList(badBlobs) + ".";
  }
  if (!damage.empty()) {
    problem = unwritten + "Die Datei " + QuotedPath(path) + " kann nicht ganz gelesen werden:\r" + damage + "\r" +
              ShownOnly();
    return tuReadOnly;
  }
  if (!unwritten.empty()) {
    problem = unwritten + ShownOnly();
    return tuReadOnly;
  }
  if (!writeProtected) return tuReady;
  if (folderWritable)
    problem = "Die Datei " + QuotedPath(path) + CP1252(" ist schreibgeschützt: ").str() + ShownOnly();
  return tuReadOnly;
}

// What a table holds, in the user's words.
const char* TableContents(TUserTable t) {
  switch (t) {
    case utLayout: return "Ihre Druckvorlagen";
    case utSelCode: return "Ihre Selektionscodes";
    case utEigeSelc: return "welche Selektionscodes Ihre Personen und Ereignisse tragen";
    case utTermine: return "die Liste des Terminwarners";
    case utEigenes: return "Ihre Personen und Ereignisse";
  }
  return "";
}

// Tables (or the whole folder) that are gone on a start that is not the
// first: named before anything is made anew, with what the user can do
// about it.
void ShowMissingTables(const std::vector<TUserTable>& missing, bool folderGone) {
  const AnsiString folder = QuotedPath(UserDataDir);
  AnsiString text;
  if (folderGone)
    text = "Das Verzeichnis " + folder + " mit Ihren eigenen Daten fehlt.";
  else if (static_cast<int>(missing.size()) == kUserTableCount)
    text = "Im Verzeichnis " + folder + " fehlen alle Dateien Ihrer eigenen Daten:\r";
  else
    text = "Im Verzeichnis " + folder + (missing.size() == 1 ? " fehlt eine Datei" : " fehlen Dateien") +
           " Ihrer eigenen Daten:\r";
  if (!folderGone)
    for (TUserTable t : missing)
      text += CP1252("\r\"").str() + UserTableName(t) + ".FFD\" (" + TableContents(t) + ")";
  text += folderGone ? CP1252("\r\rOrvelan legt es jetzt mit leeren Tabellen neu an").str()
                     : AnsiString("\r\rOrvelan legt sie jetzt leer neu an");
  text += CP1252(
              ". Haben Sie eine Sicherung Ihrer eigenen Daten, beenden Sie Orvelan danach und legen Sie die "
              "Dateien aus der Sicherung in dieses Verzeichnis zurück.")
              .str();
  Application->MessageBox(text, "Orvelan", MB_OK | MB_ICONWARNING);
}

// Codes given to entry numbers EIGENES does not hold (the table was
// replaced by an older copy, or made anew): named, and kept unless the
// user says otherwise, since they find their entries again when the
// table comes back from a backup. New entries never take those numbers.
void AskAboutCodesWithoutEntries() {
  std::vector<std::pair<int, AnsiString>> orphans;
  std::vector<AnsiString> names;
  for (const auto& [id, codes] : gLinkedCodes) {
    if (gEntryIds.count(id)) continue;
    AnsiString list;
    for (const AnsiString& c : codes) {
      list += (list.empty() ? "" : ", ") + c;
      orphans.push_back({id, c});
    }
    names.push_back("Nr. " + IntToStr(id) + " (" + list + ")");
  }
  if (orphans.empty()) return;
  const AnsiString links = QuotedPath(UserDataDir + UserTableName(utEigeSelc) + ".FFD");
  AnsiString text = "In " + links + CP1252(" sind Selektionscodes Einträgen zugeordnet, die es in ").str() +
                    QuotedPath(UserDataDir + UserTableName(utEigenes) + ".FFD") + " nicht gibt: " + NameList(names) +
                    CP1252(".\r\rDie Zuordnungen bleiben erhalten, und neue Einträge erhalten andere Nummern; legen "
                           "Sie die Einträge aus einer Sicherung zurück, tragen sie ihre Codes wieder.")
                        .str();
  if (!Writable(utEigeSelc)) {
    Application->MessageBox(text, "Orvelan", MB_OK | MB_ICONINFORMATION);
    return;
  }
  text += CP1252("\r\rSollen diese Zuordnungen jetzt gelöscht werden?").str();
  if (Application->MessageBox(text, "Orvelan", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return;
  auto eigeSelc = OpenUserTable("EIGESELC", "XPKEISE");
  for (const auto& [id, code] : orphans)
    if (eigeSelc->FindKey({code, id})) eigeSelc->Delete();
  for (const auto& o : orphans) gLinkedCodes.erase(o.first);
}

void ShowProblems(const AnsiString& heading, const std::vector<AnsiString>& problems) {
  if (problems.empty()) return;
  AnsiString text = heading + "\r";
  const size_t shown = std::min<size_t>(problems.size(), 15);
  for (size_t i = 0; i < shown; ++i) text += "\r" + problems[i];
  if (problems.size() > shown)
    text += CP1252("\r… und ").str() + IntToStr(static_cast<int64_t>(problems.size() - shown)) + " weitere.";
  Application->MessageBox(text, "Orvelan", MB_OK | MB_ICONWARNING);
}

// The highest entry number a table refers to (0 when none). A table the
// program rebuilds (`rebuilt`) counts 0 when it is damaged; every other
// failure raises.
int HighestEntryIdIn(const char* table, const char* index, bool rebuilt) {
  try {
    TwwTable t(nullptr);
    t.SetDatabaseName(kUserAlias);
    t.SetReadOnly(true);
    t.SetTableName(AnsiString(table) + ".FFD");
    t.SetIndexName(index);
    t.Open();
    int highest = 0;
    TField* id = t.FieldByName("EIGE_ID");
    if (*index) {
      t.Last();
      if (!t.IsEmpty()) highest = id->AsInteger();
    } else {
      for (t.First(); !t.Eof(); t.Next()) highest = std::max(highest, id->AsInteger());
    }
    return highest;
  } catch (const Exception& e) {
    if (!rebuilt || !IsDamage(e)) throw;
    return 0;
  }
}

}  // namespace

int HighestEntryId() {
  return std::max({HighestEntryIdIn("EIGENES", "XEIGE_ID", false), HighestEntryIdIn("EIGESELC", "XSE_EIGE", false),
                   Readable(utTermine) ? HighestEntryIdIn("TERMINE", "", true) : 0});
}

TImportResult ImportSelectionCodes(const AnsiString& fileName, TwwTable* selCode) {
  TImportResult result;
  TSelCodeImport import(selCode, result, ExtractFileName(fileName));
  RunImport(
      fileName, result, [&](const AnsiString& tag, const AnsiString& value, int line) { import.Tag(tag, value, line); },
      [&] { import.Store(); });
  return result;
}

TImportResult ImportOwnEntries(const AnsiString& fileName, TwwTable* eigenes, TwwTable* eigeSelc, TwwTable* selCode) {
  TImportResult result;
  TOwnEntryImport import(eigenes, eigeSelc, selCode, result, ExtractFileName(fileName));
  RunImport(
      fileName, result, [&](const AnsiString& tag, const AnsiString& value, int line) { import.Tag(tag, value, line); },
      [&] { import.Store(); });
  return result;
}

void CreateUserDatabase() {
  std::vector<AnsiString> problems;
  auto guarded = [&](const AnsiString& what, const std::function<void()>& step) {
    try {
      step();
    } catch (const Exception& e) {
      problems.push_back(Explained(what, e));
    }
  };
  for (int i = 0; i < kUserTableCount; ++i) {
    gUse[i] = tuReady;
    gProblem[i].clear();
    gDamaged[i] = false;
    gDamagedIndexes[i].clear();
  }
  gFolderProblem.clear();
  gEntryIds.clear();
  gLinkedCodes.clear();
  const AnsiString folder = QuotedPath(UserDataDir);
  auto leaveAll = [] {
    for (TTableUse& u : gUse) u = tuUnusable;
  };

  // The folder first: one that cannot be read is said as such, not by each
  // file in it; one that cannot be written shows what it holds. Nothing is
  // made in the place of something else.
  gFolderProblem = FolderPlaceProblem(UserDataDir, CP1252("für Ihre eigenen Daten").str().c_str());
  if (!gFolderProblem.empty()) {
    leaveAll();
    return;
  }
  const bool folderGone = !DirectoryExists(UserDataDir);
  if (!folderGone && !DirectoryReadable(UserDataDir)) {
    gFolderProblem = "Auf das Verzeichnis " + folder +
                     CP1252(" mit Ihren eigenen Daten haben Sie keinen Zugriff (fehlende Zugriffsrechte). Lassen Sie "
                            "sich Lese- und Schreibrechte dafür geben.")
                         .str();
    leaveAll();
    return;
  }
  const bool folderWritable = folderGone || DirectoryWritable(UserDataDir);

  // The tables there are checked; a start that is not the first names the
  // ones that are gone before anything is made anew (the folder of the
  // program standing in for a missing one was named with it).
  std::vector<TUserTable> missing;
  AnsiString missingNames;
  for (int i = 0; i < kUserTableCount; ++i) {
    const auto t = static_cast<TUserTable>(i);
    const AnsiString path = folderGone ? AnsiString() : FindFileNoCase(UserDataDir + UserTableName(t) + ".FFD");
    const AnsiString link = folderGone ? AnsiString() : ResolveFileName(UserDataDir + UserTableName(t) + ".FFD");
    const AnsiString broken = path.empty() ? BrokenLinkProblem(link, "Die Datei " + QuotedPath(link)) : AnsiString();
    if (!broken.empty()) {
      // Its disk is not plugged in, say: a new table would stand in the
      // link's way, and the user's data is where it leads.
      gUse[t] = tuUnusable;
      gProblem[t] = broken + " Orvelan legt keine neue an.";
    } else if (path.empty()) {
      missing.push_back(t);
      missingNames += (missingNames.empty() ? "" : ", ") + AnsiString(UserTableName(t)) + ".FFD";
    } else {
      gUse[t] = CheckUserTable(t, path, folderWritable, gProblem[t]);
    }
  }
  if (!folderWritable) {
    gFolderProblem = "Das Verzeichnis " + folder + CP1252(" mit Ihren eigenen Daten ist schreibgeschützt: ").str() +
                     ShownOnly() +
                     CP1252(" Heben Sie den Schreibschutz auf oder lassen Sie sich Schreibrechte dafür geben.").str();
    if (!missing.empty()) gFolderProblem += CP1252(" Es fehlen darin: ").str() + missingNames + ".";
    for (TUserTable t : missing) gUse[t] = tuUnusable;
    if (Readable(utEigenes) && Readable(utEigeSelc)) AskAboutCodesWithoutEntries();
    return;
  }
  // No table yet and the older version's import files beside the program:
  // the first start of an upgrade, whose import shows its own progress.
  const bool upgrade = static_cast<int>(missing.size()) == kUserTableCount &&
                       (!FindFileNoCase(ProgramDir + "persd.upd").empty() ||
                        !FindFileNoCase(ProgramDir + "selcd.upd").empty());
  if (StartedBefore && MissingUserDataDir.empty() && !missing.empty() && !upgrade)
    ShowMissingTables(missing, folderGone);
  if (folderGone && !ForceDirectories(UserDataDir)) {
    gFolderProblem = "Das Verzeichnis " + folder +
                     CP1252(" für Ihre eigenen Daten kann nicht angelegt werden. Prüfen Sie die Zugriffsrechte "
                            "seines übergeordneten Verzeichnisses.")
                         .str();
    leaveAll();
    return;
  }
  // The warner's list is made from the entries at every fill: a damaged one
  // is made anew.
  const bool rebuildTermine = gDamaged[utTermine];

  TDatabase db(nullptr);
  db.SetDatabaseName(kUserAlias);
  TffDataDictionary dict(8192);
  const AnsiString heading = CP1252("Beim Einrichten Ihrer eigenen Daten ist nicht alles gelungen:").str();
  guarded("Datenbank \"OrvUser\"", [&] { db.Open(); });
  if (!db.Connected()) {
    ShowProblems(heading, problems);
    return;
  }

  // The files that could not be built, by the engine's answer: tables that
  // fail alike fail for their folder or its disk, which is said once.
  std::map<TBapiResult, std::vector<AnsiString>> unbuilt;
  // True when the table was built now; an existing table is left alone.
  auto build = [&](TUserTable table) {
    AnsiString name = UserTableName(table);
    const AnsiString found = FindFileNoCase(UserDataDir + name + ".FFD");
    const bool overwrite = table == utTermine && rebuildTermine;
    if (!found.empty() && !overwrite) return false;
    if (found.empty() && gUse[table] == tuUnusable) return false;  // a link to a missing file
    if (overwrite) name = ChangeFileExt(ExtractFileName(found), "");  // in its letter case on disk
    DescribeUserTable(table, dict);
    const TBapiResult rc = FFDatabaseBuildTable(db.Handle(), overwrite, name.c_str(), dict);
    if (rc != 0) {
      if (!overwrite) unbuilt[rc].push_back(name + ".FFD");
      gUse[table] = tuUnusable;  // told with the other unbuilt files, or by the check
    } else {
      gUse[table] = tuReady;
      gProblem[table].clear();
    }
    return rc == 0;
  };
  // The import file, after settling one that a crash left while its
  // import was written: read again while the table holds nothing; gone
  // when the table holds each of its records (its import was written, and
  // the crash came before the file went). Any other (one put back from a
  // backup, or one beside a file of the plain name) stays and is told:
  // entries only in it would be lost.
  auto importFile = [&](const char* file, TUserTable table, bool tableEmpty,
                        const std::function<bool(const AnsiString&)>& held) {
    const AnsiString writing = FindFileNoCase(ProgramDir + file + kWritingSuffix);
    if (!writing.empty()) {
      const AnsiString named = writing.substr(0, writing.size() - std::strlen(kWritingSuffix));
      AnsiString why;
      if (!tableEmpty && held(writing))
        DeleteFile(writing);
      else if (!tableEmpty)
        why = QuotedPath(FindFileNoCase(UserDataDir + UserTableName(table) + ".FFD")) +
              CP1252(" schon Einträge enthält").str();
      else if (FileExists(named))
        why = "daneben " + QuotedPath(named) + " liegt";
      else if (!RenameFile(writing, named))
        why = CP1252("sie sich nicht umbenennen lässt").str();
      if (!why.empty())
        problems.push_back(CP1252("Die Datei ").str() + QuotedPath(writing) +
                           CP1252(" stammt von einer früheren Übernahme älterer Daten und wird nicht übernommen, weil ")
                               .str() +
                           why +
                           CP1252("; sie bleibt erhalten. Löschen Sie sie, wenn ihre Einträge schon in Ihren Daten "
                                  "stehen.")
                               .str());
    }
    return FindFileNoCase(ProgramDir + file);
  };
  auto collect = [&](const TImportResult& r) {
    problems.insert(problems.end(), r.Problems.begin(), r.Problems.end());
  };

  guarded("Tabelle LAYOUT", [&] { build(utLayout); });
  // An import file is read into a table that holds nothing yet: one built
  // now, or one whose import was cut off (an import is all or nothing).
  // Entries wait for codes whose import failed: the codes that the entries'
  // import would add in their place would keep that file from ever being read.
  bool codesPending = false;
  guarded("Tabelle SELCODE", [&] {
    build(utSelCode);
    if (!Writable(utSelCode)) return;
    auto selCode = OpenUserTable("SELCODE", "XSELC_ID");
    const AnsiString file = importFile("selcd.upd", utSelCode, selCode->IsEmpty(), [&](const AnsiString& f) {
      return ImportHeld<TSelCodeImport>(f, {"SELC_ID", "SELC_NAME"}, selCode.get());
    });
    if (file.empty() || !selCode->IsEmpty()) return;
    codesPending = true;
    const TImportResult r = ImportSelectionCodes(file, selCode.get());
    codesPending = !r.Complete;
    collect(r);
  });
  guarded("Tabelle EIGESELC", [&] { build(utEigeSelc); });
  guarded("Tabelle TERMINE", [&] { build(utTermine); });

  // A table that cannot be written was named by the check; it is left alone.
  std::unique_ptr<TwwTable> eigeSelc, selCode;
  if (Writable(utEigeSelc) && Writable(utSelCode))
    guarded("Tabellen EIGESELC und SELCODE", [&] {
      eigeSelc = OpenUserTable("EIGESELC", "XPKEISE");
      selCode = OpenUserTable("SELCODE", "XSELC_ID");
    });
  guarded("Tabelle EIGENES", [&] {
    build(utEigenes);
    if (!eigeSelc || !selCode || !Writable(utEigenes)) return;
    auto eigenes = OpenUserTable("EIGENES", "XEIGE_ID");
    const AnsiString file = importFile("persd.upd", utEigenes, eigenes->IsEmpty(), [&](const AnsiString& f) {
      return ImportHeld<TOwnEntryImport>(f, {"EIGE_TYP", "EIGE_NACHNAME", "EIGE_VORNAME", "EIGE_DATUM", "EIGE_TEXT"},
                                         eigenes.get(), eigeSelc.get(), selCode.get());
    });
    if (file.empty() || !eigenes->IsEmpty()) return;
    if (codesPending)
      problems.push_back(Quoted(file) + CP1252(" wird mit den Selektionscodes beim nächsten Start übernommen; die "
                                               "Datei bleibt erhalten.")
                                            .str());
    else
      collect(ImportOwnEntries(file, eigenes.get(), eigeSelc.get(), selCode.get()));
  });
  eigeSelc.reset();
  selCode.reset();
  db.Close();
  for (const auto& [rc, files] : unbuilt) {
    const AnsiString which = files.size() == 1
                                 ? "Die Datei " + QuotedPath(UserDataDir + files[0]) + " kann"
                                 : "Die Dateien " + NameList(files, files.size()) + " in " +
                                       QuotedPath(UserDataDir) + CP1252(" können").str();
    problems.push_back(which + " nicht angelegt werden:\r" + EngineProblemText(rc));
  }
  ShowProblems(heading, problems);
  if (Readable(utEigenes) && Readable(utEigeSelc)) guarded("Tabelle EIGESELC", [] { AskAboutCodesWithoutEntries(); });
}

void CreateDefaultLayouts() {
  if (!Writable(utLayout)) return;  // named by the check, or its build failed and was told
  std::vector<AnsiString> problems;
  try {
    auto layout = OpenUserTable("LAYOUT", "XLOUT_ID");
    for (const TDefaultLayout& d : kDefaultLayouts) {
      const AnsiString file = FindFileNoCase(ProgramDir + d.File);
      if (file.empty() || layout->FindKey({d.Id})) continue;
      try {
        layout->Append();
        layout->FieldByName("LOUT_ID")->SetAsInteger(d.Id);
        layout->FieldByName("LOUT_TITEL")->SetAsString(d.Title);
        static_cast<TBlobField*>(layout->FieldByName("LOUT_TEXT"))->LoadFromFile(file);
        layout->FieldByName("LOUT_QUELLTYP")->SetAsInteger(d.SourceType);
        layout->FieldByName("LOUT_AUSGTYP")->SetAsInteger(d.OutputType);
        layout->Post();
      } catch (const Exception& e) {
        if (layout->State() == dsInsert) layout->Cancel();
        // The table's refusal would be the same for the next template.
        if (!RecordRefused(e)) throw;
        problems.push_back("Die Vorlage " + Quoted(d.Title) + " aus " + d.File + " kann nicht angelegt werden: " +
                           e.Message());
      }
    }
  } catch (const Exception& e) {
    problems.push_back(Explained("Die Vorlagen-Tabelle LAYOUT kann nicht gelesen werden", e));
  }
  ShowProblems("Die Standardvorlagen sind nicht alle angelegt:", problems);
}

TTableUse UserTableUse(TUserTable table) { return gUse[table]; }

bool UserIndexWhole(TUserTable table, const AnsiString& index) {
  return gDamagedIndexes[table].count(UpperCase(index)) == 0;
}

namespace {

// The reference tables a sheet's placeholders read.
const char* const kTemplateTables[] = {"EREIGNIS.FFD", "PERSON.FFD", "PATRON.FFD", "NAME.FFD", "FEIERTAG.FFD"};

}  // namespace

bool PartAvailable(TDataPart part) {
  switch (part) {
    case dpPersonalPage: return Readable(utEigenes);
    case dpEditors: return Writable(utEigenes) && Writable(utSelCode) && Writable(utEigeSelc);
    // The warner walks the entries along several indexes: one damaged would
    // leave its list short without a word.
    case dpWarner: return Readable(utEigenes) && gDamagedIndexes[utEigenes].empty() && Writable(utTermine);
    case dpPersonalLists: return Readable(utEigenes) && Readable(utSelCode) && Readable(utEigeSelc);
    case dpSheets:
      return Writable(utEigenes) && Writable(utLayout) &&
             std::all_of(std::begin(kTemplateTables), std::end(kTemplateTables), ReferenceTableUsable);
    case dpTemplates: return Writable(utLayout);
    case dpSayings: return SayingsProblem().empty();
    case dpPersonPages: return ReferenceTableUsable("PERSON.FFD");
    case dpEventsPage: return ReferenceTableUsable("EREIGNIS.FFD");
    case dpNameDaysPage: return ReferenceTableUsable("NAME.FFD") && ReferenceTableUsable("PATRON.FFD");
    case dpHolidaysPage: return ReferenceTableUsable("FEIERTAG.FFD");
    case dpPlaces: return ReferenceTableUsable("ORT.FFD");
    case dpNations: return ReferenceTableUsable("NATION.FFD") && ReferenceTableUsable("PERSNATI.FFD");
    case dpProfessions: return ReferenceTableUsable("BERUF.FFD") && ReferenceTableUsable("PERSBERU.FFD");
  }
  return false;
}

void ExplainLeftOutData() {
  std::vector<AnsiString> paragraphs;
  const auto folder = QuotedPath;
  // What stands in a set folder's place, or that it is missing.
  auto gone = [&](const AnsiString& dir, const AnsiString& whose, const char* missing) {
    const AnsiString taken = FolderPlaceProblem(dir, whose.c_str());
    return taken.empty() ? "Das Verzeichnis " + folder(dir) + " " + whose + " " + missing + "." : taken;
  };
  if (!MissingUserDataDir.empty())
    paragraphs.push_back(gone(MissingUserDataDir, CP1252("für Ihre eigenen Daten").str(),
                              "fehlt (ist der Datentr\xE4ger angeschlossen?)") +
                         CP1252(" Orvelan verwendet bei diesem Start das Verzeichnis ").str() +
                         folder(UserDataDir) +
                         CP1252("; was Sie jetzt erfassen, wird dort gespeichert. In den Einstellungen bleibt ")
                             .str() +
                         folder(MissingUserDataDir) + " eingetragen.");
  if (!MissingReferenceDataDir.empty())
    paragraphs.push_back(gone(MissingReferenceDataDir, "mit den Grunddaten", "fehlt") +
                         " Orvelan verwendet bei diesem Start das Verzeichnis " +
                         folder(ReferenceDataDir) + "; in den Einstellungen bleibt " +
                         folder(MissingReferenceDataDir) + " eingetragen.");
  if (!gFolderProblem.empty()) paragraphs.push_back(gFolderProblem);
  // A group of tables that one failed write keeps read-only is told once.
  for (int i = 0; i < kUserTableCount; ++i)
    if (gUse[i] != tuReady && !gProblem[i].empty() &&
        std::find(paragraphs.begin(), paragraphs.end(), gProblem[i]) == paragraphs.end())
      paragraphs.push_back(gProblem[i]);
  if (!SayingsProblem().empty()) paragraphs.push_back(SayingsProblem());
  for (const AnsiString& p : ReferenceTableProblems()) paragraphs.push_back(p);

  const struct {
    TDataPart part;
    AnsiString name;
    bool plural;
  } parts[] = {
      {dpPersonalPage, "die Rubrik \"" + RubricDisplay[rbPersonal].RubricTitle + "\"", false},
      {dpEditors, "die Erfassung der Personen, Ereignisse und Selektionscodes", false},
      {dpWarner, "der Terminwarner", false},
      {dpPersonalLists, CP1252("die Drucklisten der persönlichen Daten").str(), true},
      {dpSheets, CP1252("die Blätter nach Vorlagen").str(), true},
      {dpTemplates, "die Erfassung der Vorlagen", false},
      {dpSayings, "der Spruch des Tages", false},
      {dpPersonPages, "die Rubriken \"Geburtstage\" und \"Todestage\"", true},
      {dpEventsPage, "die Rubrik \"Weltgeschehen\"", false},
      {dpNameDaysPage, "die Rubrik \"Namenstage\"", false},
      {dpHolidaysPage, "die Rubrik \"Feiertage\"", false},
      {dpPlaces, "die Orte der Personen", true},
      {dpNations, "die Nationen der Personen", true},
      {dpProfessions, "die Berufe der Personen", true}};
  std::vector<AnsiString> left;
  bool plural = false;
  for (const auto& p : parts)
    if (!PartAvailable(p.part)) {
      left.push_back(p.name);
      plural = left.size() > 1 || p.plural;
    }
  if (!left.empty()) {
    const AnsiString list = NameList(left, left.size());
    // What the reference tables give is said to stay only while it does.
    const bool referenceWhole = ReferenceTableProblems().empty();
    // Alone in its box, it follows the box that told the cause.
    const AnsiString since = paragraphs.empty() ? "Wegen des eben gemeldeten Fehlers" : "Solange das so ist,";
    paragraphs.push_back(since + (plural ? " fehlen " : " fehlt ") + list +
                         (referenceWhole ? ". Der Kalender und die Seiten der Grunddaten stehen"
                                         : CP1252(". Der Kalender und die übrigen Seiten stehen").str()) +
                         CP1252(" wie gewohnt zur Verfügung; an den genannten Dateien ändert Orvelan nichts.").str());
  }
  if (paragraphs.empty()) return;
  AnsiString text;
  for (const AnsiString& p : paragraphs) text += (text.empty() ? "" : "\r\r") + p;
  Application->MessageBox(text, "Orvelan", MB_OK | MB_ICONWARNING);
}

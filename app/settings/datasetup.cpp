// Setting up and releasing the shared data objects. Every file is checked
// before it is opened, so a missing file is named in the message rather
// than surfacing as an engine code; so are the tables the day pages open
// later, so that none of them can stop the main window half made.
#include "app/settings/datasetup.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <string>

#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "dbclient/bapi.h"
#include "dbclient/server.h"
#include "platform/db/dbtables.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/forms.h"

TMemoryStream* SharedStream = nullptr;
TVlf* EventArchive = nullptr;
TVlf* PersonArchive = nullptr;
TVlf* HolidayArchive = nullptr;
TwwTable* PlaceTable = nullptr;
TwwTable* NationTable = nullptr;
TwwTable* ProfessionTable = nullptr;
TwwTable* PersonNationTable = nullptr;
TwwTable* PersonProfessionTable = nullptr;

namespace {

// The files whose failure was noted in this run; what is wrong with each
// one not yet shown, and what is missing for it (texts, entries), which the
// message says once after them.
std::set<std::string> gNotedFiles;
AnsiString gFailureMessage;
int gUnshownFiles = 0;
bool gTextsMissing = false, gEntriesMissing = false;
// Why the sayings' table could not be opened at the start.
AnsiString gSayingsProblem;
// The reference tables this start could not open at all (upper case), and
// their messages.
std::set<std::string> gUnusableTables;
std::vector<AnsiString> gReferenceProblems;

// The reference tables the main window's day pages open, with their index.
const struct {
  const char* table;
  const char* index;
} kPageTables[] = {
    {"PERSON.FFD", "PE_GMTJ"}, {"EREIGNIS.FFD", "ER_MTJ"}, {"NAME.FFD", "XPKNAME"},
    {"PATRON.FFD", "PA_MT"},   {"FEIERTAG.FFD", "FT_MT"},
};

[[noreturn]] void Missing(const AnsiString& path) {
  throw EDataSetupError(CP1252("Die Datei \"").str() + ShownFileName(path) +
                        CP1252("\" fehlt.\r\rOrvelan braucht sie für seine Grunddaten und wird beendet.").str());
}

[[noreturn]] void Unreadable(const AnsiString& path, const std::exception& e) {
  throw EDataSetupError(DataFileMessage(path, e) + "\r\rOrvelan wird beendet.");
}

}  // namespace

AnsiString DataFileProblem(const std::exception& e) {
  AnsiString why = CP1252("Sie ist beschädigt oder nicht lesbar.").str();
  if (const auto* db = dynamic_cast<const EDBEngineError*>(&e)) {
    why = EngineProblemText(db->ErrorCode(), db->SystemError());
  } else if (const auto* ff = dynamic_cast<const EffException*>(&e)) {
    why = EngineProblemText(ff->ResultCode(), ff->SystemError());
  } else if (const auto* vlf = dynamic_cast<const EVlfOpenError*>(&e)) {
    switch (vlf->Problem()) {
      case TVlfOpenProblem::NotAnArchive:
        why = CP1252("Sie ist kein Textarchiv von Orvelan, oder sie ist beschädigt.").str();
        break;
      case TVlfOpenProblem::InUse: why = "Sie wird gerade von einem anderen Programm benutzt."; break;
      case TVlfOpenProblem::System:
        why = CP1252("Sie lässt sich nicht öffnen (fehlende Zugriffsrechte oder ein Fehler des Datenträgers).").str();
        break;
    }
  } else if (dynamic_cast<const EFOpenError*>(&e)) {
    why = CP1252("Sie lässt sich nicht öffnen (fehlende Zugriffsrechte oder ein Fehler des Datenträgers).").str();
  } else if (dynamic_cast<const EReadError*>(&e)) {
    why = CP1252("Sie ist beschädigt.").str();
  }
  return why;
}

AnsiString DataFileMessage(const AnsiString& path, const std::exception& e) {
  return "Die Datei \"" + ShownFileName(path) + "\" kann nicht gelesen werden:\r" + DataFileProblem(e);
}

AnsiString BrokenLinkProblem(const AnsiString& path, const AnsiString& named) {
  AnsiString target;
  const int err = BrokenLink(path, target);
  if (!err) return {};
  const AnsiString link = named + " ist eine Verkn\xFCpfung auf \"" + ShownFileName(target) + "\"";
  if (err == ENOENT) return link + CP1252(", und das fehlt (ist der Datenträger angeschlossen?).").str();
  return link + ", der das System nicht folgen kann: " + SysErrorMessage(err);
}

AnsiString FolderPlaceProblem(const AnsiString& dir, const char* whose) {
  const AnsiString folder = ExcludeTrailingPathDelimiter(dir);
  const AnsiString named = "\"" + ShownFileName(folder) + "\" " + whose;
  if (AnsiString link = BrokenLinkProblem(folder, "Das Verzeichnis " + named); !link.empty()) return link;
  if (FileExists(folder))
    return "An der Stelle des Verzeichnisses " + named +
           CP1252(" steht eine Datei. Orvelan lässt sie, wie sie ist; benennen Sie sie um oder verschieben Sie sie.")
               .str();
  return {};
}

AnsiString FolderInFilePlaceProblem(const AnsiString& path) {
  return CP1252("An der Stelle der Datei \"").str() + ShownFileName(path) +
         CP1252("\" steht ein Verzeichnis. Benennen Sie es um, oder legen Sie die Datei aus einer Sicherung dorthin "
                "zurück.")
             .str();
}

bool IsReferenceDatabase(const AnsiString& database) { return database == "Orvelan"; }

AnsiString TableFilePath(const TTable* table) {
  const AnsiString& db = table->DatabaseName();
  AnsiString dir = IsReferenceDatabase(db) ? ReferenceDataDir : db == "OrvUser" ? UserDataDir : IncludeTrailingPathDelimiter(db);
  const AnsiString path = dir + table->TableName();
  const AnsiString found = FindFileNoCase(path);
  return found.empty() ? path : found;
}

void OpenTableOrExplain(TTable* table) {
  try {
    table->Open();
  } catch (const Exception& e) {
    throw EDataFileError(DataFileMessage(TableFilePath(table), e));
  }
}

AnsiString FindUnreadableTable(std::initializer_list<const TwwTable*> tables) {
  for (const TwwTable* t : tables) {
    if (!t) continue;
    TwwTable probe(nullptr);
    try {
      probe.SetDatabaseName(t->DatabaseName());
      probe.SetReadOnly(true);
      probe.SetTableName(t->TableName());
      probe.SetIndexName(t->IndexName());
      probe.Open();
      for (probe.First(); !probe.Eof(); probe.Next()) {
      }
    } catch (const Exception&) {
      return TableFilePath(t);
    }
  }
  return {};
}

namespace {

// The file as it lies on disk (a copy from another system may differ in
// letter case), or the missing-file error.
AnsiString ExistingFile(const AnsiString& name) {
  const AnsiString path = ReferenceDataDir + name;
  const AnsiString found = FindFileNoCase(path);
  // A link to nothing, or a folder in the file's place, is named as such.
  AnsiString problem;
  if (found.empty()) {
    const AnsiString link = ResolveFileName(path);
    problem = BrokenLinkProblem(link, "Die Datei \"" + ShownFileName(link) + "\"");
  } else if (DirectoryExists(found)) {
    problem = FolderInFilePlaceProblem(found);
  }
  if (!problem.empty())
    throw EDataSetupError(problem + CP1252("\r\rOrvelan braucht sie für seine Grunddaten und wird beendet.").str());
  if (found.empty() || !FileExists(found)) Missing(path);
  return found;
}

TVlf* OpenArchive(const char* name) {
  const AnsiString path = ExistingFile(name);
  auto* a = new TVlf(nullptr);
  a->SetFileOpenMode(OpenRead);
  a->SetFileShareMode(DenyNone);
  try {
    a->OpenFile(path);
  } catch (const Exception& e) {
    delete a;
    Unreadable(path, e);
  }
  return a;
}

// A first record in a damaged block leaves the table open: it is named
// once, and the rest of the table serves.
void ProbeFirstRecord(TTable* t) {
  try {
    t->First();
  } catch (const EDatabaseError& e) {
    NoteDataFileFailure(TableFilePath(t), e);
  }
}

// The table opened read-only, or null when the file is there but cannot be
// used at all: then the start goes on without it, and the file is named.
TwwTable* OpenLookupTable(const char* table, const char* index) {
  const AnsiString path = ExistingFile(table);
  auto* t = new TwwTable(nullptr);
  try {
    t->SetDatabaseName("Orvelan");
    t->SetReadOnly(true);
    t->SetTableName(table);
    t->SetIndexName(index);
    t->Open();
    FixStringFields(t);
  } catch (const Exception& e) {
    delete t;
    gUnusableTables.insert(UpperCase(table));
    gReferenceProblems.push_back(DataFileMessage(path, e));
    return nullptr;
  }
  ProbeFirstRecord(t);
  return t;
}

// Opens the table once and closes it again: a missing or damaged table
// the windows read later is named before any window opens.
void CheckTable(const char* table, const char* index) {
  delete OpenLookupTable(table, index);
}

// The sayings are an extra the program does without: their table is tried,
// and what is wrong with it kept for the start's message.
AnsiString SayingsTableProblem() {
  TwwTable t(nullptr);
  t.SetDatabaseName("Orvelan");
  t.SetReadOnly(true);
  t.SetTableName("SPRUCH.FFD");
  t.SetIndexFieldNames("SPRU_TYP;SPRU_TAG");
  try {
    t.Open();
  } catch (const Exception& e) {
    return DataFileMessage(TableFilePath(&t), e);
  }
  ProbeFirstRecord(&t);
  return {};
}

void RegisterAliases() {
  const TBapiHandle session = Session->Handle();
  // Removing first lets the paths of this ini file win over an earlier
  // registration; removing an alias that does not exist is harmless.
  FFSessionDeleteAlias(session, "Orvelan");
  FFSessionDeleteAlias(session, "OrvUser");
  const struct {
    const char* alias;
    const AnsiString& dir;
  } aliases[] = {{"Orvelan", ReferenceDataDir}, {"OrvUser", UserDataDir}};
  for (const auto& a : aliases) {
    const AnsiString dir = ExcludeTrailingPathDelimiter(a.dir);
    const TBapiResult rc = FFSessionAddAlias(session, a.alias, dir.c_str());
    // The engine counts a letter the code page lacks as one character.
    if (rc == bapiNameTooLong)
      throw EDataSetupError("Der Pfad des Verzeichnisses \"" + ShownFileName(dir) + "\" ist zu lang: Er hat " +
                            IntToStr(static_cast<int64_t>(ShownFileName(dir).size())) +
                            CP1252(" Zeichen, Orvelan kann höchstens ").str() +
                            IntToStr(static_cast<int64_t>(ffMaxPathLength)) +
                            CP1252(" verwenden. Verschieben Sie es an eine Stelle mit kürzerem Pfad.\r\rOrvelan wird "
                                   "beendet.")
                                .str());
    if (rc != 0)
      throw EDataSetupError("Das Verzeichnis \"" + ShownFileName(a.dir) +
                            CP1252("\" kann nicht als Datenbank \"").str() + a.alias +
                            "\" angemeldet werden.\r\rOrvelan wird beendet.");
  }
}

template <class T>
void Free(T*& p) {
  delete p;
  p = nullptr;
}

}  // namespace

namespace {

void NoteFileFailure(const AnsiString& path, const AnsiString& message, bool& missing) {
  if (!gNotedFiles.insert(path).second) return;
  if (!gFailureMessage.empty()) gFailureMessage += "\r\r";
  gFailureMessage += message;
  ++gUnshownFiles;
  missing = true;
}

}  // namespace

void NoteArchiveFailure(const TVlf* archive, const std::exception& e) {
  if (!archive) return;
  NoteFileFailure(archive->FileName(), DataFileMessage(archive->FileName(), e), gTextsMissing);
}

void NoteDataFileFailure(const AnsiString& path, const std::exception& e) {
  NoteFileFailure(path,
                  "Die Datei \"" + ShownFileName(path) + "\" kann nicht ganz gelesen werden:\r" + DataFileProblem(e),
                  gEntriesMissing);
}

const AnsiString& SayingsProblem() { return gSayingsProblem; }

bool ReferenceTableUsable(const AnsiString& table) { return gUnusableTables.count(UpperCase(table)) == 0; }

const std::vector<AnsiString>& ReferenceTableProblems() { return gReferenceProblems; }

bool FindReadableKey(TwwTable* table, const std::vector<Variant>& key) {
  try {
    return table->FindKey(key);
  } catch (const EDatabaseError& e) {
    NoteDataFileFailure(TableFilePath(table), e);
    return false;
  }
}

AnsiString TakeFileFailureMessage() {
  AnsiString message;
  message.swap(gFailureMessage);
  if (!message.empty()) {
    const AnsiString what = gTextsMissing && gEntriesMissing ? CP1252("Texte und Einträge").str()
                            : gTextsMissing                  ? AnsiString("Texte")
                                                             : CP1252("Einträge").str();
    message += CP1252("\r\rDie Seiten zeigen, was sich lesen lässt; ").str() + what +
               (gUnshownFiles == 1 ? " aus dieser Datei" : " aus diesen Dateien") + CP1252(" können fehlen.").str();
  }
  gUnshownFiles = 0;
  gTextsMissing = gEntriesMissing = false;
  return message;
}

void CreateSharedStream() {
  if (!SharedStream) SharedStream = new TMemoryStream();
}

void SetUpData() {
  gNotedFiles.clear();  // a new run
  TakeFileFailureMessage();
  gUnusableTables.clear();
  gReferenceProblems.clear();
  try {
    // A missing folder is named as such, not by the first file looked for.
    if (const AnsiString taken = FolderPlaceProblem(ReferenceDataDir, "mit den Grunddaten"); !taken.empty())
      throw EDataSetupError(taken + "\r\rOrvelan braucht das Verzeichnis und wird beendet.");
    // The folder the settings name was missing, and the program's own,
    // tried in its place, is missing too: both are named.
    if (!DirectoryExists(ReferenceDataDir) && !MissingReferenceDataDir.empty())
      throw EDataSetupError("Das Verzeichnis \"" + ShownFileName(ExcludeTrailingPathDelimiter(MissingReferenceDataDir)) +
                            CP1252("\" mit den Grunddaten, das in den Einstellungen eingetragen ist, fehlt, und auch "
                                   "das Verzeichnis \"").str() +
                            ShownFileName(ExcludeTrailingPathDelimiter(ReferenceDataDir)) +
                            CP1252("\", das Orvelan an seiner Stelle versucht hat, fehlt.\r\rOrvelan braucht die "
                                   "Grunddaten und wird beendet.").str());
    if (!DirectoryExists(ReferenceDataDir))
      throw EDataSetupError("Das Verzeichnis \"" + ShownFileName(ExcludeTrailingPathDelimiter(ReferenceDataDir)) +
                            CP1252("\" mit den Grunddaten fehlt.\r\rOrvelan braucht es und wird beendet.").str());
    // Nor is one that cannot be read named by its first file as missing.
    if (!DirectoryReadable(ReferenceDataDir))
      throw EDataSetupError("Auf das Verzeichnis \"" + ShownFileName(ExcludeTrailingPathDelimiter(ReferenceDataDir)) +
                            CP1252("\" mit den Grunddaten haben Sie keinen Zugriff (fehlende Zugriffsrechte). Lassen "
                                   "Sie sich Leserechte dafür geben.\r\rOrvelan braucht es und wird beendet.")
                                .str());
    EventArchive = OpenArchive("Ereignis.Stx");
    PersonArchive = OpenArchive("Person.Stx");
    HolidayArchive = OpenArchive("Feiertag.Stx");
    RegisterAliases();
    PlaceTable = OpenLookupTable("ORT.FFD", "XPKORTE");
    NationTable = OpenLookupTable("NATION.FFD", "XPKNATI");
    ProfessionTable = OpenLookupTable("BERUF.FFD", "XPKBERU");
    PersonNationTable = OpenLookupTable("PERSNATI.FFD", "PN_PERS");
    PersonProfessionTable = OpenLookupTable("PERSBERU.FFD", "PB_PERS");
    for (const auto& t : kPageTables) CheckTable(t.table, t.index);
    gSayingsProblem = SayingsTableProblem();
  } catch (...) {
    ReleaseData();
    throw;
  }
}

void ReleaseData() {
  Free(SharedStream);
  // Closing never fails in a way worth stopping the shut-down for.
  for (TVlf** a : {&HolidayArchive, &PersonArchive, &EventArchive}) {
    if (*a) (*a)->CloseFile();
    Free(*a);
  }
  for (TwwTable** t : {&PersonProfessionTable, &PersonNationTable, &ProfessionTable, &NationTable, &PlaceTable}) {
    if (*t) {
      try {
        (*t)->Close();
      } catch (const Exception&) {
      }
    }
    Free(*t);
  }
}

bool LoadSettingsOrExplain() {
  try {
    LoadSettings();
    return true;
  } catch (const EDataSetupError& e) {
    Application->MessageBox(e.Message(), "Orvelan", MB_OK | MB_ICONERROR);
    return false;
  }
}

TReadableRecords::TReadableRecords(TwwTable* table, const std::vector<Variant>& from, const std::vector<Variant>& to)
    : table_(table) {
  // Setting the range reads its first record; the range stands when that
  // fails.
  try {
    table_->SetRange(from, to);
  } catch (const EDatabaseError& e) {
    Skipped(e);
    try {
      table_->Last();
    } catch (const EDatabaseError& last) {
      Skipped(last);
      return;
    }
    Walk(false);
    std::reverse(marks_.begin(), marks_.end());
    return;
  }
  Walk(true);
}

TReadableRecords::~TReadableRecords() {
  for (TBookmark m : marks_) table_->FreeBookmark(m);
}

void TReadableRecords::Walk(bool forward) {
  // A damaged index block fails every move at the same place: the walk
  // ends there.
  constexpr int kMaxSkipped = 256;
  while (forward ? !table_->Eof() : !table_->Bof()) {
    marks_.push_back(table_->GetBookmark());
    for (int failures = 0;; ++failures) {
      try {
        if (forward)
          table_->Next();
        else
          table_->Prior();
        break;
      } catch (const EDatabaseError& e) {
        Skipped(e);
        if (failures >= kMaxSkipped) return;
      }
    }
  }
}

void TReadableRecords::Skipped(const std::exception& e) {
  if (skipped_++ == 0) NoteDataFileFailure(TableFilePath(table_), e);
}

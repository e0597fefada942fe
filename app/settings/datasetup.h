// The data every window shares for the whole run: the database aliases
// "Orvelan" (reference data, read only) and "OrvUser" (the user's tables),
// the five lookup tables the record formatters read, the three long-text
// archives and one scratch memory stream. Set up at the end of LoadSettings,
// released at the end of SaveSettings.
//
// Invariants: between a successful SetUpData and ReleaseData every object
// below exists and is open, but a lookup table whose file cannot be used;
// outside that span every pointer is null. A
// failed set-up releases what it had made, so the pointers are null again.
#pragma once

#include <exception>
#include <initializer_list>
#include <vector>

#include "calendar/vlf.h"
#include "dbcontrols/datasets/wwtable.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

// A reference table or archive is missing, or an archive is unreadable;
// the message is German, names the file and says that the program ends.
ORV_DECLARE_EXCEPTION(EDataSetupError, Exception)
// A table the program reads after the start cannot be opened or read; the
// message is German and names the file (DataFileMessage).
ORV_DECLARE_EXCEPTION(EDataFileError, Exception)

extern TMemoryStream* SharedStream;
extern TVlf* EventArchive;    // "Ereignis.Stx"
extern TVlf* PersonArchive;   // "Person.Stx"
extern TVlf* HolidayArchive;  // "Feiertag.Stx"
// The lookup tables; null when this start cannot use the file
// (ReferenceTableUsable).
extern TwwTable* PlaceTable;             // "ORT.FFD", index "XPKORTE"
extern TwwTable* NationTable;            // "NATION.FFD", index "XPKNATI"
extern TwwTable* ProfessionTable;        // "BERUF.FFD", index "XPKBERU"
extern TwwTable* PersonNationTable;      // "PERSNATI.FFD", index "PN_PERS"
extern TwwTable* PersonProfessionTable;  // "PERSBERU.FFD", index "PB_PERS"

// The shared stream (made once the program directory is known).
void CreateSharedStream();
// Archives, aliases, lookup tables and the check of the page tables, in
// that order, from ReferenceDataDir and UserDataDir. Raises
// EDataSetupError; everything made before the failure is released. A table
// whose first record cannot be read opens, and the file is named once
// (NoteDataFileFailure).
void SetUpData();
// Frees every object above; safe after a partial or no set-up.
void ReleaseData();

// "Die Datei "<path>" kann nicht gelesen werden:" and, on the next line, in
// German what the table engine, the dataset layer or the text archive found
// (damaged, not a table or archive of the program, in use, no access...)
// and, for the engine's findings, what the user can do (EngineProblemText).
AnsiString DataFileMessage(const AnsiString& path, const std::exception& e);
// That second line alone: a German sentence about the file ("Sie ist ...").
AnsiString DataFileProblem(const std::exception& e);
// True for the reference data's database "Orvelan": its tables are opened
// read-only, since an installation may keep them unwritable and the
// program never changes them.
bool IsReferenceDatabase(const AnsiString& database);
// The file of a table on disk: the directory of its database ("Orvelan"
// or "OrvUser") and the table name in the letter case found on disk.
AnsiString TableFilePath(const TTable* table);
// Opens the table; one that cannot be opened raises EDataFileError.
void OpenTableOrExplain(TTable* table);
// After a read failed: the file of the first of the tables that a walk over
// all its records along its current index cannot read, or empty when every
// one of them reads. Each is walked by a fresh cursor of its own, so the
// tables themselves stay where they are.
AnsiString FindUnreadableTable(std::initializer_list<const TwwTable*> tables);

// A record of an archive that cannot be read (the file cut short or
// damaged after the start): the first of each archive in a run is kept for
// one German message naming the file; the caller leaves that text out.
void NoteArchiveFailure(const TVlf* archive, const std::exception& e);
// The same for a record of a reference table that cannot be read (a damaged
// block): the page leaves it out.
void NoteDataFileFailure(const AnsiString& path, const std::exception& e);
// The message of the archives' and tables' failures noted since the last
// call, for whoever built the text to show once it stands; empty when
// there were none.
AnsiString TakeFileFailureMessage();

// FindKey on a reference table: a record its file cannot give (a damaged
// block) counts as not found, and the file is named once
// (NoteDataFileFailure).
bool FindReadableKey(TwwTable* table, const std::vector<Variant>& key);

// The records of a table in a range that its file can give, as bookmarks
// in the range's order (freed with the object). A record the file cannot
// give (a damaged block) is passed over, the cursor going on past it, and
// the file is named once (NoteDataFileFailure): a page shows the entries
// that read. When the range's first record cannot be read the range is
// walked from its end.
class TReadableRecords {
 public:
  TReadableRecords(TwwTable* table, const std::vector<Variant>& from, const std::vector<Variant>& to);
  ~TReadableRecords();
  TReadableRecords(const TReadableRecords&) = delete;
  TReadableRecords& operator=(const TReadableRecords&) = delete;
  size_t Count() const { return marks_.size(); }
  // Makes the record `i` the table's current one.
  void Go(size_t i) const { table_->GotoBookmark(marks_[i]); }

 private:
  void Walk(bool forward);
  void Skipped(const std::exception& e);
  TwwTable* table_;
  std::vector<TBookmark> marks_;
  int skipped_ = 0;
};

// Whether this start could open the reference table ("PERSON.FFD" ...). One
// that is there but cannot be used at all (its header damaged, not a table
// of the program, no access) is left closed and the program runs without
// what needs it; its German message (DataFileMessage) is among
// ReferenceTableProblems.
bool ReferenceTableUsable(const AnsiString& table);
const std::vector<AnsiString>& ReferenceTableProblems();

// Why the sayings' table could not be opened at the start (German, naming
// the file), or empty; the saying window is left out while it cannot.
const AnsiString& SayingsProblem();

// When something else stands where the folder `dir` belongs (a file, or a
// link whose end is missing), a German sentence that says so, `whose`
// saying what the folder is for ("mit den Grunddaten"); empty when a
// folder or nothing stands there. What stands there is left as it is.
AnsiString FolderPlaceProblem(const AnsiString& dir, const char* whose);
// A folder stands where the file `path` belongs: a German sentence that
// says so and what to do, the same for every file of the program.
AnsiString FolderInFilePlaceProblem(const AnsiString& path);
// When `path` is a symbolic link the system cannot follow (BrokenLink), a
// German sentence that names it, as `named` (quoted, with its kind: "Die
// Datei \"...\""), its end and why; empty otherwise.
AnsiString BrokenLinkProblem(const AnsiString& path, const AnsiString& named);

// LoadSettings for the program block: true when the program may go on.
// A failed data set-up shows its German message in an error box and gives
// false, so the program ends cleanly instead of stopping on an exception.
bool LoadSettingsOrExplain();

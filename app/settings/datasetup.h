// The data every window shares for the whole run: the database aliases
// "Orvelan" (reference data, read only) and "OrvUser" (the user's tables),
// the five lookup tables the record formatters read, the three long-text
// archives and one scratch memory stream. Set up at the end of LoadSettings,
// released at the end of SaveSettings.
//
// Invariants: between a successful SetUpData and ReleaseData every object
// below exists and is open; outside that span every pointer is null. A
// failed set-up releases what it had made, so the pointers are null again.
#pragma once

#include <exception>
#include <initializer_list>

#include "calendar/vlf.h"
#include "dbcontrols/datasets/wwtable.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

// A reference table or archive is missing or unreadable; the message is
// German, names the file and says that the program ends.
ORV_DECLARE_EXCEPTION(EDataSetupError, Exception)
// A table the program reads after the start cannot be opened or read; the
// message is German and names the file (DataFileMessage).
ORV_DECLARE_EXCEPTION(EDataFileError, Exception)

extern TMemoryStream* SharedStream;
extern TVlf* EventArchive;    // "Ereignis.Stx"
extern TVlf* PersonArchive;   // "Person.Stx"
extern TVlf* HolidayArchive;  // "Feiertag.Stx"
extern TwwTable* PlaceTable;             // "ORT.FFD", index "XPKORTE"
extern TwwTable* NationTable;            // "NATION.FFD", index "XPKNATI"
extern TwwTable* ProfessionTable;        // "BERUF.FFD", index "XPKBERU"
extern TwwTable* PersonNationTable;      // "PERSNATI.FFD", index "PN_PERS"
extern TwwTable* PersonProfessionTable;  // "PERSBERU.FFD", index "PB_PERS"

// The shared stream (made once the program directory is known).
void CreateSharedStream();
// Archives, aliases, lookup tables and the check of the page tables, in
// that order, from
// ReferenceDataDir and UserDataDir. Raises
// EDataSetupError; everything made before the failure is released.
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
// The message of the failures noted since the last call, for whoever built
// the text to show once it stands; empty when there were none.
AnsiString TakeArchiveFailureMessage();

// Why the sayings' table could not be opened at the start (German, naming
// the file), or empty; the saying window is left out while it cannot.
const AnsiString& SayingsProblem();

// LoadSettings for the program block: true when the program may go on.
// A failed data set-up shows its German message in an error box and gives
// false, so the program ends cleanly instead of stopping on an exception.
bool LoadSettingsOrExplain();

// Creating the user's tables at a full start, reading the user's older data
// ("selcd.upd", "persd.upd" in the program directory) into tables that
// hold nothing yet, and adding the default print templates.
//
// Import files are Windows-1252 lines "tag=value" (tags case-sensitive; a
// tag counts only with a non-empty value; other lines are skipped). An
// import never stops at a bad line: a value the table cannot take is
// reported and left out, an entry that cannot be stored is reported and
// skipped together with the selection-code links it had made, and every
// other entry is kept. An import is one change of the user's data (see
// TUserChange): a table that refuses for its file or disk (full, damaged,
// no access) ends it, told once, with nothing of it kept and the file kept
// for the next start; so does a crash. The file is deleted only once all
// of it is written.
#pragma once

#include <vector>

#include "app/base/usertables.h"
#include "dbcontrols/datasets/wwtable.h"

struct TImportResult {
  bool Complete = false;  // every line was read and written (the file is then deleted)
  int Lines = 0;          // lines read
  int Stored = 0;         // records stored
  std::vector<AnsiString> Problems;  // German, one per reported line
};

// Checks the user's folder and each user table under "OrvUser" in
// UserDataDir that exists (every record read, memos included; see
// UserTableUse) and builds each missing one; a selection-code or
// own-entries table that holds nothing (built now, or left empty by an
// import that was cut off) is filled from its import file when that file
// exists.
// On a start that is not the first (the settings hold a last start) the
// missing tables, or the missing folder, are named in a message before
// they are made anew. A folder that cannot be read leaves every table out;
// one that cannot be written shows them read-only and builds nothing. A
// damaged warner's list is built anew. Selection codes given to entry
// numbers the entries' table does not hold are named and kept unless the
// user answers "Ja" to deleting them. Problems (tables that could not be
// built, told once per cause; lines of an import that were not taken) are
// shown together in one warning box. A table that cannot be used is left
// exactly as it is.
void CreateUserDatabase();
// Adds each default template ("OvDef001.Rtf" ... "OvDef003.Rtf" in
// ProgramDir) whose number is missing from LAYOUT and whose file exists;
// nothing when LAYOUT cannot be written or could not be built.
void CreateDefaultLayouts();

// How the last CreateUserDatabase found a table: usable, readable only
// (the file is write-protected, or its records read but an index is
// damaged), or not at all (damaged, unreadable).
enum TTableUse { tuReady, tuReadOnly, tuUnusable };
TTableUse UserTableUse(TUserTable table);
// False when the last CreateUserDatabase found that index of the table
// damaged: what reads along it is then found in the order of the file's
// blocks.
bool UserIndexWhole(TUserTable table, const AnsiString& index);
// The highest entry number EIGENES, EIGESELC or TERMINE refers to: a new
// entry gets a number above it, so that it never takes over the codes or
// the warner's rows of an entry that is gone.
int HighestEntryId();

// The parts of the program that need user tables, the sayings' table or a
// reference table; PartAvailable says whether this start offers them (the
// calendar needs none of these files). The last three are the texts of the
// lookup tables on the pages.
enum TDataPart {
  dpPersonalPage, dpEditors, dpWarner, dpPersonalLists, dpSheets, dpTemplates, dpSayings,
  dpPersonPages, dpEventsPage, dpNameDaysPage, dpHolidaysPage, dpPlaces, dpNations, dpProfessions
};
bool PartAvailable(TDataPart part);
// One German message, after the user tables were checked: each data folder
// that was missing, each file that cannot be used (named, with why; the
// reference tables' too) and what is left out until it can be; nothing when
// all is well.
void ExplainLeftOutData();

// The imports themselves, on open tables (SELCODE on "XSELC_ID"; EIGENES on
// "XEIGE_ID", EIGESELC on "XPKEISE"); a progress window shows the lines
// read.
TImportResult ImportSelectionCodes(const AnsiString& fileName, TwwTable* selCode);
TImportResult ImportOwnEntries(const AnsiString& fileName, TwwTable* eigenes, TwwTable* eigeSelc, TwwTable* selCode);

// The default templates: file, number, title, source type, output type.
struct TDefaultLayout {
  const char* File;
  int Id;
  const char* Title;  // Windows-1252
  int SourceType;
  int OutputType;
};
extern const TDefaultLayout kDefaultLayouts[3];

// Creating the user's tables at a full start, reading the user's older data
// ("selcd.upd", "persd.upd" in the program directory) into tables that were
// just built, and adding the default print templates.
//
// Import files are Windows-1252 lines "tag=value" (tags case-sensitive; a
// tag counts only with a non-empty value; other lines are skipped). An
// import never stops at a bad line: a value the table cannot take is
// reported and left out, an entry that cannot be stored is reported and
// skipped together with the selection-code links it had made, and every
// other entry is kept. Only a table that refuses for its file or disk (full,
// damaged, no access) ends the import, told once, with the file kept. The
// file is deleted only after every line was read.
#pragma once

#include <vector>

#include "dbcontrols/datasets/wwtable.h"

struct TImportResult {
  bool Complete = false;  // every line was read (the file is then deleted)
  int Lines = 0;          // lines read
  int Stored = 0;         // records stored
  std::vector<AnsiString> Problems;  // German, one per reported line
};

// Builds each missing user table under "OrvUser" in UserDataDir; a new
// selection-code or own-entries table is filled from its import file when
// that file exists. Problems (tables that could not be built, told once per
// cause; lines of an import that were not taken, or the one failure of the
// table that ended it) are shown together in one warning box.
void CreateUserDatabase();
// Adds each default template ("OvDef001.Rtf" ... "OvDef003.Rtf" in
// ProgramDir) whose number is missing from LAYOUT and whose file exists;
// nothing when LAYOUT itself is missing (its build failed and was told).
void CreateDefaultLayouts();

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

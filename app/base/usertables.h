// The user's own tables under the alias "OrvUser": own entries (EIGENES),
// selection codes (SELCODE), the links between them (EIGESELC), print
// templates (LAYOUT) and the warner's list (TERMINE). This is the one
// definition of their fields and indexes; DescribeUserTable turns it into
// the engine's data dictionary.
//
// Invariants kept by every writer of these tables: EIGE_TAG, EIGE_MONAT and
// EIGE_JAHR are the parts of EIGE_DATUM; EIGE_TERMIN1/2 are the warner keys
// of the entry (WarnerKey, helpers.h); an EIGESELC row exists only for an
// entry that exists.
#pragma once

#include "dbengine/dictionary.h"

class TDatabase;

constexpr const char* kUserAlias = "OrvUser";

// Kinds of own entry (EIGE_TYP).
enum { etPerson = 1, etEvent = 2 };

// The five tables, in the order they are built at start.
enum TUserTable { utLayout, utSelCode, utEigeSelc, utTermine, utEigenes };
constexpr int kUserTableCount = 5;

// "LAYOUT", "SELCODE", "EIGESELC", "TERMINE", "EIGENES" (without ".FFD").
const char* UserTableName(TUserTable table);

// Clears the dictionary and fills it with the table's fields and indexes
// (block size 8192, every index in file 0 and case-insensitive).
void DescribeUserTable(TUserTable table, TffDataDictionary& dict);

// One change of the user's data that spans several records or tables (a
// renamed code with its links, an entry deleted with its codes, an import
// of older data): every write of the user's tables from its start on is
// kept back until Commit writes them all as one; ended otherwise (an
// error, a refusal) it drops them. A crash at any moment leaves, at the
// next start, all of it or none.
class TUserChange {
 public:
  TUserChange();  // raises EDBEngineError
  ~TUserChange();
  TUserChange(const TUserChange&) = delete;
  TUserChange& operator=(const TUserChange&) = delete;
  // Writes the change; raises EDBEngineError with nothing of it kept.
  void Commit();

 private:
  TDatabase* db_;
};

// Moving a table to the record a user types or searches for: the
// incremental search on an index, record location by field values, the
// index change that keeps the current record, and two small helpers for
// typing and for stopping long filter loops with Escape. The routines keep
// no state of their own.
//
// A narrowed search (NarrowSearch) limits the table to the keys that begin
// with the typed text: the range ends at the text followed by the highest
// character of the index's order, which on a case-insensitive index is the
// character that sorts last after folding (a plain 255 folds to a lower
// place and would drop names such as "München" for "M").
#pragma once

#include <cstdint>

#include "platform/db/dbtables.h"

// Positions the table on the nearest record for `text` typed into the
// index field at fieldPosition (0 to 3), keeping the leading key fields of
// the current record; True when the record reached matches the text.
bool wwTableIncrementalSearch(TDataSet* dataSet, const AnsiString& text, int fieldPosition);
// True at once when the current record holds the value(s); otherwise the
// record search from the first record (see wwFindRecord).
bool wwLocateRecord(TDataSet* dataSet, const AnsiString& value, const AnsiString& fieldNames, uint8_t matchType,
                    bool caseSensitive);
// Changes the index of a table keeping the current record.
void wwSetIndexKeepingRecord(TDataSet* dataSet, const AnsiString& indexName);
// Virtual keys that change a text.
bool wwIsEditKey(unsigned key);
// Takes a waiting keyboard message from the queue; for Escape clears
// ofoEnabled of the dataset's OnFilterOptions and answers True.
bool wwEscapePressed(TDataSet* dataSet);
// The character that sorts last in a case-insensitive index.
char wwHighestFoldedChar();

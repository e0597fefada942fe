// The call-level interface: the entry functions through which the dataset
// layer and the data-aware controls reach the table engine.
//
// Every function answers a 16-bit result code (result_codes.h), 0 on success,
// and never throws: engine exceptions become their result codes. Sessions,
// databases, cursors, filters and statements are 32-bit handles
// (handles.h); a stale, unknown or wrong-kind handle gives bapiInvalidHandle.
// Field numbers count from 1. Record buffers hold the engine's own record
// format (RecordSize bytes, see the engine's dictionary); BLOBs are addressed
// through a record buffer, so any copy of a record's buffer reaches that
// record's BLOB. Ownership: a session owns its databases, a database its
// cursors, a cursor its filters and open BLOBs; closing an owner closes what
// it still owns. All calls come from the user-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbclient/handles.h"
#include "dbclient/result_codes.h"
#include "dbengine/fieldtypes.h"
#include "platform/rtl/exceptions.h"

class TffDataDictionary;

// ---- types -------------------------------------------------------------

enum TBapiLockType : uint16_t { bapiNoLock = 0, bapiReadLock = 1, bapiWriteLock = 2 };
enum TBapiOpenMode : uint16_t { bapiReadWrite = 0, bapiReadOnly = 1 };
enum TBapiShareMode : uint16_t { bapiOpenShared = 0, bapiOpenExclusive = 1 };
enum TBapiSearchCond : uint16_t { bapiKeyEqual = 0, bapiKeyNearest = 1 };

// Field types at the call level and the representation BapiGetField copies.
enum TBapiFieldType : uint16_t {
  bapiFldUnknown = 0,
  bapiFldString = 1,    // zero-terminated, Units + 1 bytes
  bapiFldDate = 2,      // int32 days (platform date's whole days + 693594)
  bapiFldBlob = 3,      // read through the BLOB functions
  bapiFldBool = 4,      // int16 0 or 1
  bapiFldInt16 = 5,     // int16
  bapiFldInt32 = 6,     // int32
  bapiFldFloat = 7,     // 8-byte float
  bapiFldTime = 10,     // int32 milliseconds since midnight
  bapiFldTimeStamp = 11,  // 8-byte float: milliseconds on the date's day count
  bapiFldUInt16 = 12,   // uint16
  bapiFldUInt32 = 13,   // uint32
  bapiFldAutoInc = 14,  // int32
  bapiFldCurrency = 15, // 8-byte float
};

struct TBapiFieldDesc {
  uint16_t FieldNum = 0;   // from 1
  AnsiString Name;
  uint16_t FieldType = 0;  // TBapiFieldType
  int EngineType = 0;      // the engine's field type number (TffFieldType)
  uint16_t Units = 0;      // characters of a string field
  uint16_t Decimals = 0;
  bool Required = false;
  uint16_t Offset = 0;     // in the record buffer
  uint16_t Length = 0;     // stored bytes in the record buffer
  uint16_t ValueSize = 0;  // bytes BapiGetField writes
};

struct TBapiIndexDesc {
  AnsiString Name;
  uint16_t IndexNum = 0;            // from 1
  std::vector<uint16_t> KeyFields;  // field numbers, from 1
  bool Unique = false;
  bool Descending = false;
  bool CaseInsensitive = false;
  uint16_t KeyLength = 0;
};

struct TBapiCursorProps {
  AnsiString TableName;     // the file name as found on disk
  uint16_t FieldCount = 0;
  uint16_t RecordSize = 0;  // bytes of a record buffer
  uint16_t BookmarkSize = 0;
  uint16_t IndexCount = 0;
  int16_t IndexNum = 0;       // current index from 1, 0 for the file order
  uint16_t KeyFieldCount = 0; // of the current index
  bool ReadOnly = false;
  bool Exclusive = false;
  bool ListCursor = false;    // a configuration or validity-check list
};

struct TBapiRecProps {
  uint32_t SeqNum = 0;  // not kept by the engine's tables: 0
  uint32_t RecNum = 0;  // the engine's record reference (low 32 bits)
};

// A callback filter: client data, record buffer under test, record number
// (the engine's record reference); non-zero accepts the record. The client
// data is pointer-sized so that it can carry the dataset.
using TBapiFilterCallback = int16_t (*)(uintptr_t clientData, uint8_t* recBuf, uint32_t recNum);

// ---- sessions, aliases, databases ----------------------------------------

// Opens a session; the first session starts the in-process server.
TBapiResult BapiStartSession(TBapiHandle& session);
// Closes the session with its databases and cursors; the handle becomes 0.
TBapiResult BapiCloseSession(TBapiHandle& session);
// Opens a database by alias name, or by directory path when no alias of that
// name exists and the directory does.
TBapiResult BapiOpenDatabase(TBapiHandle session, const char* name, TBapiHandle& database);
TBapiResult BapiCloseDatabase(TBapiHandle& database);
// The directory of an open database.
TBapiResult BapiGetDatabaseDirectory(TBapiHandle database, AnsiString& directory);

TBapiResult FFSessionAddAlias(TBapiHandle session, const char* alias, const char* path);
TBapiResult FFSessionDeleteAlias(TBapiHandle session, const char* alias);
// Builds the table file from the dictionary; the dictionary stays the
// caller's and stays usable.
TBapiResult FFDatabaseBuildTable(TBapiHandle database, bool overwrite, const char* tableName,
                                 const TffDataDictionary& dictionary);
TBapiResult BapiDeleteTable(TBapiHandle database, const char* tableName, const char* driverType);
// A transaction of the database: from BapiBeginTran on, the changes its
// cursors make to any of its tables are kept back until BapiEndTran, which
// writes them all as one (commit: a crash at any moment leaves all of them
// or none) or drops them. A change that fails inside it (other than a key
// violation or a missing required field, which change nothing) ends the
// transaction's hold on that table: every further change is refused and
// the commit drops everything. Closing the database drops an open one.
TBapiResult BapiBeginTran(TBapiHandle database);
TBapiResult BapiEndTran(TBapiHandle database, bool commit);

// ---- opening and describing tables ---------------------------------------

// Opens a cursor on the table (".FFD" added when missing; the file name is
// matched without letter case). indexName empty or null: file order.
TBapiResult BapiOpenTable(TBapiHandle database, const char* tableName, const char* indexName,
                          TBapiOpenMode openMode, TBapiShareMode shareMode, TBapiHandle& cursor);
TBapiResult BapiCloseCursor(TBapiHandle& cursor);
TBapiResult BapiGetCursorProps(TBapiHandle cursor, TBapiCursorProps& props);
TBapiResult BapiGetFieldDescs(TBapiHandle cursor, std::vector<TBapiFieldDesc>& fields);
TBapiResult BapiGetIndexDescs(TBapiHandle cursor, std::vector<TBapiIndexDesc>& indexes);
// Switches the order (empty or null name: file order); stays on the current
// record and drops the range.
TBapiResult BapiSwitchToIndex(TBapiHandle cursor, const char* indexName);
TBapiResult BapiEmptyTable(TBapiHandle cursor);

// ---- positioning and reading -------------------------------------------

TBapiResult BapiSetToBegin(TBapiHandle cursor);
TBapiResult BapiSetToEnd(TBapiHandle cursor);
// recBuf may be null (the move alone). At the ends: bapiEndOfCursor /
// bapiBeginOfCursor, the cursor then lies after the last / before the first.
TBapiResult BapiGetNextRecord(TBapiHandle cursor, TBapiLockType lock, uint8_t* recBuf,
                              TBapiRecProps* recProps);
TBapiResult BapiGetPriorRecord(TBapiHandle cursor, TBapiLockType lock, uint8_t* recBuf,
                               TBapiRecProps* recProps);
// The current record; bapiNoCurrentRecord when the cursor is not on a record
// or its record fails an active filter.
TBapiResult BapiGetRecord(TBapiHandle cursor, TBapiLockType lock, uint8_t* recBuf,
                          TBapiRecProps* recProps);
TBapiResult BapiGetRecordCount(TBapiHandle cursor, uint32_t& count);
// Records the cursor delivers now: within its range and passing its filters.
TBapiResult BapiGetExactRecordCount(TBapiHandle cursor, uint32_t& count);
TBapiResult BapiGetSeqNo(TBapiHandle cursor, uint32_t& seqNo);
TBapiResult BapiSetToSeqNo(TBapiHandle cursor, uint32_t seqNo);

// Bookmarks are BookmarkSize bytes.
TBapiResult BapiGetBookMark(TBapiHandle cursor, uint8_t* bookmark);
TBapiResult BapiSetToBookMark(TBapiHandle cursor, const uint8_t* bookmark);
// result: 0 same record, 2 different records with equal keys, -1/1 order.
TBapiResult BapiCompareBookMarks(TBapiHandle cursor, const uint8_t* bookmark1,
                                 const uint8_t* bookmark2, int16_t& result);

// Key search on the current index; the key values lie in a record buffer.
// fieldCount 0: all key fields; partialLen > 0: that many characters of the
// last string field. Equal: bapiRecordNotFound leaves the position alone.
// Nearest: the first record at or after the key (bapiEndOfCursor when none).
TBapiResult BapiSetToKey(TBapiHandle cursor, TBapiSearchCond cond, uint16_t fieldCount,
                         uint16_t partialLen, const uint8_t* keyRec);
// Limits the cursor to keys between the bounds (null record: open end).
TBapiResult BapiSetRange(TBapiHandle cursor, uint16_t startFields, const uint8_t* startRec,
                         bool startIncl, uint16_t endFields, const uint8_t* endRec, bool endIncl);
TBapiResult BapiResetRange(TBapiHandle cursor);

// ---- fields ---------------------------------------------------------------

// Clears a record buffer: every field blank.
TBapiResult BapiInitRecord(TBapiHandle cursor, uint8_t* recBuf);
// Copies a field in its call-level representation (TBapiFieldType). dest
// may be null to ask for the blank flag only; 9985 for a field number the
// cursor lacks. BLOB fields copy nothing and report blank when null or empty.
TBapiResult BapiGetField(TBapiHandle cursor, uint16_t fieldNo, const uint8_t* recBuf, void* dest,
                         bool& isBlank);
// Stores a value in the call-level representation; src null blanks the field.
// Strings longer than the field are cut.
TBapiResult BapiPutField(TBapiHandle cursor, uint16_t fieldNo, uint8_t* recBuf, const void* src);

// ---- changes --------------------------------------------------------------

// Inserts and positions on the new record; bapiKeyViolation changes nothing.
TBapiResult BapiInsertRecord(TBapiHandle cursor, TBapiLockType lock, const uint8_t* recBuf);
TBapiResult BapiModifyRecord(TBapiHandle cursor, const uint8_t* recBuf, bool freeLock);
TBapiResult BapiDeleteRecord(TBapiHandle cursor, uint8_t* recBuf);
TBapiResult BapiSaveChanges(TBapiHandle cursor);
TBapiResult BapiMakePermanent(TBapiHandle cursor, const char* name, bool overwrite);

// ---- BLOBs ----------------------------------------------------------------

TBapiResult BapiOpenBlob(TBapiHandle cursor, uint8_t* recBuf, uint16_t fieldNo,
                         TBapiOpenMode mode);
TBapiResult BapiGetBlobSize(TBapiHandle cursor, const uint8_t* recBuf, uint16_t fieldNo,
                            uint32_t& size);
// Reads from an opened BLOB; bapiEndOfBlob when fewer bytes than asked were
// left (bytesRead is valid then too).
TBapiResult BapiGetBlob(TBapiHandle cursor, const uint8_t* recBuf, uint16_t fieldNo,
                        uint32_t start, uint32_t length, void* dest, uint32_t& bytesRead);
// Writes into the BLOB of the record buffer; stored with the buffer's next
// insert or modify. After that the buffer's BLOB references are spent: read
// the record again before reading its BLOBs.
TBapiResult BapiPutBlob(TBapiHandle cursor, uint8_t* recBuf, uint16_t fieldNo, uint32_t start,
                        uint32_t length, const void* src);
TBapiResult BapiTruncateBlob(TBapiHandle cursor, uint8_t* recBuf, uint16_t fieldNo,
                             uint32_t length);
TBapiResult BapiFreeBlob(TBapiHandle cursor, uint8_t* recBuf, uint16_t fieldNo);
// Forgets the BLOB writes pending with the record buffer (a cancelled edit);
// its BLOB fields name the stored values again.
TBapiResult BapiDiscardBlobs(TBapiHandle cursor, uint8_t* recBuf);

// ---- filters ----------------------------------------------------------------

TBapiResult BapiAddFilter(TBapiHandle cursor, uintptr_t clientData, uint16_t priority,
                          bool canAbort, const uint8_t* expression, TBapiFilterCallback callback,
                          TBapiHandle& filter);
TBapiResult BapiActivateFilter(TBapiHandle cursor, TBapiHandle filter);
TBapiResult BapiDeactivateFilter(TBapiHandle cursor, TBapiHandle filter);
TBapiResult BapiDropFilter(TBapiHandle cursor, TBapiHandle filter);

// ---- lists ----------------------------------------------------------------

// Validity checks of a table: the engine's tables have none, so the list is
// empty (fields: 1 field number int16, 2 picture text zero-terminated).
TBapiResult BapiOpenVchkList(TBapiHandle database, const char* tableName, const char* driverType,
                             TBapiHandle& cursor);
// "\Databases\<alias>\db info": records of a name and a value (fields 1 and
// 2, zero-terminated texts), among them "PATH".
TBapiResult BapiOpenCfgInfoList(TBapiHandle cfgHandle, TBapiOpenMode openMode, uint16_t cfgMode,
                                const char* cfgPath, TBapiHandle& cursor);

// ---- queries, moves, properties, conversions, messages --------------------

TBapiResult BapiBatchMove(TBapiHandle sourceCursor, const char* targetName,
                          const char* targetDriverType, uint16_t mode, uint32_t options);
TBapiResult BapiSetObjectProp(TBapiHandle object, uint32_t property, uint32_t value);
TBapiResult BapiQAlloc(TBapiHandle database, uint16_t queryLanguage, TBapiHandle& statement);
TBapiResult BapiQPrepare(TBapiHandle statement, const char* queryText);
TBapiResult BapiQExec(TBapiHandle statement, TBapiHandle& cursor);
TBapiResult BapiQFree(TBapiHandle& statement);
TBapiResult BapiBcdFromFloat(const double& value, uint16_t precision, uint16_t places,
                             uint8_t* bcd34);
// At most 127 characters and the terminating zero.
TBapiResult BapiGetErrorString(TBapiResult code, char* buffer);
// The errno of the failed system call behind the last result of this
// thread, or 0 (the result alone says "a disk error" for all of them).
int BapiLastSystemError();
// The file (its Windows-1252 name) that could not be written when the last
// result of this thread came from a failed write, or empty.
AnsiString BapiLastWrittenFile();

// Sessions, databases, cursors, filters and open BLOBs alive right now.
int BapiLiveObjectCount();

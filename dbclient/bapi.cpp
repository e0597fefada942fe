// Entry functions of the call-level interface: each finds its objects by
// handle, forwards to the client object and turns failures into result codes
// (see bapi.h for the contracts).
#include "dbclient/bapi.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "dbclient/client.h"
#include "dbclient/server.h"
#include "dbengine/collate.h"
#include "platform/rtl/files.h"

namespace {

// Sessions and stand-alone list cursors belong to the interface itself. The
// lists are never destroyed: what is still open at exit stays open (every
// change is already durable) rather than closing after the engine's statics.
std::vector<std::unique_ptr<TffClientSession>>& Sessions() {
  static auto* s = new std::vector<std::unique_ptr<TffClientSession>>;
  return *s;
}
std::vector<std::unique_ptr<TttListTable>>& Lists() {
  static auto* l = new std::vector<std::unique_ptr<TttListTable>>;
  return *l;
}

// Table names stay inside their database's directory.
bool ValidTableName(const char* name) {
  return name && *name && !std::strchr(name, '/') && !std::strchr(name, '\\');
}

template <class T>
T* Find(TBapiHandle h) {
  return TttHandleTable::Instance().FindAs<T>(h);
}

// Runs op on the table cursor behind h.
template <class F>
TBapiResult OnTable(TBapiHandle h, F&& op) {
  TttBaseTable* base = Find<TttBaseTable>(h);
  if (!base) return bapiInvalidHandle;
  TFFClientTable* t = base->AsTable();
  if (!t) return bapiNotSupported;  // a list cursor
  return FFGuard([&] { return op(*t); });
}

template <class F>
TBapiResult OnCursor(TBapiHandle h, F&& op) {
  TttBaseTable* c = Find<TttBaseTable>(h);
  if (!c) return bapiInvalidHandle;
  return FFGuard([&] { return op(*c); });
}

TBapiResult Writable(TFFClientTable& t) { return t.ReadOnly() ? bapiTableReadOnly : bapiOk; }

}  // namespace

// ---- sessions, aliases, databases ----------------------------------------

TBapiResult BapiStartSession(TBapiHandle& session) {
  session = 0;
  return FFGuard([&] {
    TffServer::Instance();
    Sessions().push_back(std::make_unique<TffClientSession>());
    session = Sessions().back()->Handle();
    return bapiOk;
  });
}

TBapiResult BapiCloseSession(TBapiHandle& session) {
  TffClientSession* s = Find<TffClientSession>(session);
  if (!s) return bapiInvalidHandle;
  std::erase_if(Sessions(), [s](const auto& p) { return p.get() == s; });
  session = 0;
  return bapiOk;
}

TBapiResult BapiOpenDatabase(TBapiHandle session, const char* name, TBapiHandle& database) {
  database = 0;
  TffClientSession* s = Find<TffClientSession>(session);
  if (!s) return bapiInvalidHandle;
  if (!name || !*name) return bapiInvalidParameter;
  return FFGuard([&] {
    TffCommand c;
    c.Alias = name;
    AnsiString dir;
    if (TffServer::Instance().Process(ffnmGetAliasPath, c) == bapiOk) {
      dir = c.Path;
    } else {
      std::error_code ec;
      if (!std::filesystem::is_directory(SysFileName(name), ec)) return bapiNoSuchAlias;
      dir = name;
    }
    auto* db = s->AddDatabase(std::make_unique<TFFClientDatabase>(s, AnsiString(name), dir));
    database = db->Handle();
    return bapiOk;
  });
}

TBapiResult BapiCloseDatabase(TBapiHandle& database) {
  TFFClientDatabase* db = Find<TFFClientDatabase>(database);
  if (!db) return bapiInvalidHandle;
  db->Session()->CloseDatabase(db);
  database = 0;
  return bapiOk;
}

TBapiResult BapiGetDatabaseDirectory(TBapiHandle database, AnsiString& directory) {
  TFFClientDatabase* db = Find<TFFClientDatabase>(database);
  if (!db) return bapiInvalidHandle;
  directory = db->Directory();
  return bapiOk;
}

TBapiResult FFSessionAddAlias(TBapiHandle session, const char* alias, const char* path) {
  if (!Find<TffClientSession>(session)) return bapiNotClientSession;
  if (!alias || !path) return bapiInvalidParameter;
  TffCommand c;
  c.Alias = alias;
  c.Path = path;
  return TffServer::Instance().Process(ffnmAddAlias, c);
}

TBapiResult FFSessionDeleteAlias(TBapiHandle session, const char* alias) {
  if (!Find<TffClientSession>(session)) return bapiNotClientSession;
  if (!alias) return bapiInvalidParameter;
  TffCommand c;
  c.Alias = alias;
  return TffServer::Instance().Process(ffnmDeleteAlias, c);
}

TBapiResult FFDatabaseBuildTable(TBapiHandle database, bool overwrite, const char* tableName,
                                 const TffDataDictionary& dictionary) {
  TFFClientDatabase* db = Find<TFFClientDatabase>(database);
  if (!db) return bapiInvalidHandle;
  if (!ValidTableName(tableName)) return bapiInvalidParameter;
  return FFGuard([&] {
    TffCommand c;
    c.Path = db->TablePath(tableName);
    c.Overwrite = overwrite;
    c.Dictionary = &dictionary;
    return TffServer::Instance().Process(ffnmBuildTable, c);
  });
}

TBapiResult BapiDeleteTable(TBapiHandle database, const char* tableName, const char*) {
  TFFClientDatabase* db = Find<TFFClientDatabase>(database);
  if (!db) return bapiInvalidHandle;
  if (!ValidTableName(tableName)) return bapiInvalidParameter;
  return FFGuard([&] {
    TffCommand c;
    c.Path = db->TablePath(tableName);
    if (!TffTable::Exists(c.Path)) return bapiNoSuchTable;
    return TffServer::Instance().Process(ffnmDeleteTable, c);
  });
}

TBapiResult BapiBeginTran(TBapiHandle database) {
  TFFClientDatabase* db = Find<TFFClientDatabase>(database);
  if (!db) return bapiInvalidHandle;
  return FFGuard([&] {
    db->StartTransaction();
    return bapiOk;
  });
}

TBapiResult BapiEndTran(TBapiHandle database, bool commit) {
  TFFClientDatabase* db = Find<TFFClientDatabase>(database);
  if (!db) return bapiInvalidHandle;
  return FFGuard([&] {
    db->EndTransaction(commit);
    return bapiOk;
  });
}

// ---- opening and describing tables ---------------------------------------

TBapiResult BapiOpenTable(TBapiHandle database, const char* tableName, const char* indexName,
                          TBapiOpenMode openMode, TBapiShareMode shareMode, TBapiHandle& cursor) {
  cursor = 0;
  TFFClientDatabase* db = Find<TFFClientDatabase>(database);
  if (!db) return bapiInvalidHandle;
  if (!ValidTableName(tableName)) return bapiInvalidParameter;
  return FFGuard([&] {
    TffCommand c;
    c.Path = db->TablePath(tableName);
    if (!TffTable::Exists(c.Path)) return bapiNoSuchTable;
    c.OpenMode = openMode == bapiReadOnly ? TffOpenMode::ReadOnly : TffOpenMode::ReadWrite;
    c.ShareMode = shareMode == bapiOpenExclusive ? TffShareMode::Exclusive : TffShareMode::Shared;
    if (TBapiResult r = TffServer::Instance().Process(ffnmOpenTable, c)) return r;
    int index = kPhysicalOrder;
    if (indexName && *indexName) {
      index = c.Table->Dictionary().IndexNumber(indexName);
      if (index < 0) return bapiNoSuchIndex;
    }
    std::unique_ptr<TffCursor> engineCursor = c.Table->OpenCursor(index);
    AnsiString file = FromSysFileName(std::filesystem::path(c.Path).filename().string());
    auto* t = db->AddCursor(std::make_unique<TFFClientTable>(
        db, c.Table, std::move(engineCursor), file, openMode == bapiReadOnly,
        shareMode == bapiOpenExclusive));
    cursor = t->Handle();
    return bapiOk;
  });
}

TBapiResult BapiCloseCursor(TBapiHandle& cursor) {
  TttBaseTable* c = Find<TttBaseTable>(cursor);
  if (!c) return bapiInvalidHandle;
  if (TFFClientDatabase* db = c->Database())
    db->CloseCursor(static_cast<TFFClientTable*>(c));
  else
    std::erase_if(Lists(), [c](const auto& p) { return p.get() == c; });
  cursor = 0;
  return bapiOk;
}

TBapiResult BapiGetCursorProps(TBapiHandle cursor, TBapiCursorProps& props) {
  return OnCursor(cursor, [&](TttBaseTable& c) { return c.GetProps(props); });
}

TBapiResult BapiGetFieldDescs(TBapiHandle cursor, std::vector<TBapiFieldDesc>& fields) {
  return OnCursor(cursor, [&](TttBaseTable& c) { return c.GetFieldDescs(fields); });
}

TBapiResult BapiGetIndexDescs(TBapiHandle cursor, std::vector<TBapiIndexDesc>& indexes) {
  return OnTable(cursor, [&](TFFClientTable& t) { return t.GetIndexDescs(indexes); });
}

TBapiResult BapiSwitchToIndex(TBapiHandle cursor, const char* indexName) {
  return OnTable(cursor, [&](TFFClientTable& t) { return t.SwitchToIndex(indexName); });
}

TBapiResult BapiEmptyTable(TBapiHandle cursor) {
  return OnTable(cursor, [&](TFFClientTable& t) {
    if (TBapiResult r = Writable(t)) return r;
    t.Database()->Enlist(t.SharedTable());
    t.Table().EmptyTable();
    return bapiOk;
  });
}

// ---- positioning and reading -------------------------------------------

TBapiResult BapiSetToBegin(TBapiHandle cursor) {
  return OnCursor(cursor, [&](TttBaseTable& c) { return c.SetToBegin(); });
}

TBapiResult BapiSetToEnd(TBapiHandle cursor) {
  return OnTable(cursor, [&](TFFClientTable& t) { return t.SetToEnd(); });
}

TBapiResult BapiGetNextRecord(TBapiHandle cursor, TBapiLockType, uint8_t* recBuf,
                              TBapiRecProps* recProps) {
  return OnCursor(cursor, [&](TttBaseTable& c) { return c.GetNextRecord(recBuf, recProps); });
}

TBapiResult BapiGetPriorRecord(TBapiHandle cursor, TBapiLockType, uint8_t* recBuf,
                               TBapiRecProps* recProps) {
  return OnTable(cursor, [&](TFFClientTable& t) { return t.GetPriorRecord(recBuf, recProps); });
}

TBapiResult BapiGetRecord(TBapiHandle cursor, TBapiLockType, uint8_t* recBuf,
                          TBapiRecProps* recProps) {
  return OnCursor(cursor, [&](TttBaseTable& c) { return c.GetRecord(recBuf, recProps); });
}

TBapiResult BapiGetRecordCount(TBapiHandle cursor, uint32_t& count) {
  return OnCursor(cursor, [&](TttBaseTable& c) { return c.GetRecordCount(count); });
}

TBapiResult BapiGetExactRecordCount(TBapiHandle cursor, uint32_t& count) {
  return OnTable(cursor, [&](TFFClientTable& t) { return t.GetExactRecordCount(count); });
}

TBapiResult BapiGetSeqNo(TBapiHandle cursor, uint32_t& seqNo) {
  return OnCursor(cursor, [&](TttBaseTable& c) { return c.GetSeqNo(seqNo); });
}

TBapiResult BapiSetToSeqNo(TBapiHandle cursor, uint32_t seqNo) {
  return OnCursor(cursor, [&](TttBaseTable& c) { return c.SetToSeqNo(seqNo); });
}

TBapiResult BapiGetBookMark(TBapiHandle cursor, uint8_t* bookmark) {
  return OnTable(cursor, [&](TFFClientTable& t) { return t.GetBookMark(bookmark); });
}

TBapiResult BapiSetToBookMark(TBapiHandle cursor, const uint8_t* bookmark) {
  return OnTable(cursor, [&](TFFClientTable& t) { return t.SetToBookMark(bookmark); });
}

TBapiResult BapiCompareBookMarks(TBapiHandle cursor, const uint8_t* bookmark1,
                                 const uint8_t* bookmark2, int16_t& result) {
  return OnTable(cursor,
                 [&](TFFClientTable& t) { return t.CompareBookMarks(bookmark1, bookmark2, result); });
}

TBapiResult BapiSetToKey(TBapiHandle cursor, TBapiSearchCond cond, uint16_t fieldCount,
                         uint16_t partialLen, const uint8_t* keyRec) {
  return OnTable(cursor,
                 [&](TFFClientTable& t) { return t.SetToKey(cond, fieldCount, partialLen, keyRec); });
}

TBapiResult BapiSetRange(TBapiHandle cursor, uint16_t startFields, const uint8_t* startRec,
                         bool startIncl, uint16_t endFields, const uint8_t* endRec, bool endIncl) {
  return OnTable(cursor, [&](TFFClientTable& t) {
    return t.SetRange(startFields, startRec, startIncl, endFields, endRec, endIncl);
  });
}

TBapiResult BapiResetRange(TBapiHandle cursor) {
  return OnTable(cursor, [&](TFFClientTable& t) { return t.ResetRange(); });
}

// ---- fields ---------------------------------------------------------------

TBapiResult BapiInitRecord(TBapiHandle cursor, uint8_t* recBuf) {
  return OnTable(cursor, [&](TFFClientTable& t) {
    if (!recBuf) return bapiInvalidParameter;
    FFInitRecord(t.Dictionary(), recBuf);
    return bapiOk;
  });
}

TBapiResult BapiGetField(TBapiHandle cursor, uint16_t fieldNo, const uint8_t* recBuf, void* dest,
                         bool& isBlank) {
  return OnCursor(cursor,
                  [&](TttBaseTable& c) { return c.GetField(fieldNo, recBuf, dest, isBlank); });
}

TBapiResult BapiPutField(TBapiHandle cursor, uint16_t fieldNo, uint8_t* recBuf, const void* src) {
  return OnTable(cursor, [&](TFFClientTable& t) { return t.PutField(fieldNo, recBuf, src); });
}

// ---- changes --------------------------------------------------------------

TBapiResult BapiInsertRecord(TBapiHandle cursor, TBapiLockType, const uint8_t* recBuf) {
  return OnTable(cursor, [&](TFFClientTable& t) {
    if (!recBuf) return bapiInvalidParameter;
    if (TBapiResult r = Writable(t)) return r;
    t.Database()->Enlist(t.SharedTable());
    t.Cursor().InsertRecord(recBuf);
    return bapiOk;
  });
}

TBapiResult BapiModifyRecord(TBapiHandle cursor, const uint8_t* recBuf, bool) {
  return OnTable(cursor, [&](TFFClientTable& t) {
    if (!recBuf) return bapiInvalidParameter;
    if (TBapiResult r = Writable(t)) return r;
    if (!t.Cursor().OnRecord()) return bapiNoCurrentRecord;
    t.Database()->Enlist(t.SharedTable());
    t.Cursor().ModifyRecord(recBuf);
    return bapiOk;
  });
}

TBapiResult BapiDeleteRecord(TBapiHandle cursor, uint8_t*) {
  return OnTable(cursor, [&](TFFClientTable& t) {
    if (TBapiResult r = Writable(t)) return r;
    if (!t.Cursor().OnRecord()) return bapiNoCurrentRecord;
    t.Database()->Enlist(t.SharedTable());
    t.Cursor().DeleteRecord();
    return bapiOk;
  });
}

TBapiResult BapiSaveChanges(TBapiHandle cursor) {
  // Every change is durable when its call returns.
  return OnTable(cursor, [](TFFClientTable&) { return bapiOk; });
}

TBapiResult BapiMakePermanent(TBapiHandle cursor, const char*, bool) {
  // The engine's tables are never temporary.
  return OnCursor(cursor, [](TttBaseTable&) { return bapiNotSupported; });
}

// ---- BLOBs ----------------------------------------------------------------

TBapiResult BapiOpenBlob(TBapiHandle cursor, uint8_t* recBuf, uint16_t fieldNo,
                         TBapiOpenMode mode) {
  return OnTable(cursor, [&](TFFClientTable& t) { return t.OpenBlob(recBuf, fieldNo, mode); });
}

namespace {
// The engine field of a BLOB field, or the code that refuses it.
TBapiResult BlobField(TFFClientTable& t, const uint8_t* rec, uint16_t fieldNo, int& f) {
  f = t.EngineField(fieldNo);
  if (f < 0) return bapiFieldOutOfRange;
  if (!rec) return bapiInvalidParameter;
  if (!IsBlobType(t.Dictionary().Field(f).Type)) return bapiBlobNotOpened;
  return bapiOk;
}
}  // namespace

TBapiResult BapiGetBlobSize(TBapiHandle cursor, const uint8_t* recBuf, uint16_t fieldNo,
                            uint32_t& size) {
  return OnTable(cursor, [&](TFFClientTable& t) {
    int f;
    if (TBapiResult r = BlobField(t, recBuf, fieldNo, f)) return r;
    size = t.Cursor().BlobSize(recBuf, f);
    return bapiOk;
  });
}

TBapiResult BapiGetBlob(TBapiHandle cursor, const uint8_t* recBuf, uint16_t fieldNo,
                        uint32_t start, uint32_t length, void* dest, uint32_t& bytesRead) {
  bytesRead = 0;
  return OnTable(cursor, [&](TFFClientTable& t) {
    int f;
    if (TBapiResult r = BlobField(t, recBuf, fieldNo, f)) return r;
    if (!t.FindBlob(recBuf, f)) return bapiBlobNotOpened;
    if (!dest && length > 0) return bapiInvalidParameter;
    bool end = false;
    bytesRead = t.Cursor().ReadBlob(recBuf, f, start, length, dest, &end);
    return end || bytesRead < length ? bapiEndOfBlob : bapiOk;
  });
}

TBapiResult BapiPutBlob(TBapiHandle cursor, uint8_t* recBuf, uint16_t fieldNo, uint32_t start,
                        uint32_t length, const void* src) {
  return OnTable(cursor, [&](TFFClientTable& t) {
    int f;
    if (TBapiResult r = BlobField(t, recBuf, fieldNo, f)) return r;
    if (TBapiResult r = Writable(t)) return r;
    if (TttOpenBlob* b = t.FindBlob(recBuf, f); b && b->ReadOnly) return bapiTableReadOnly;
    if (!src && length > 0) return bapiInvalidParameter;
    t.Cursor().WriteBlobAt(recBuf, f, start, src, length);
    return bapiOk;
  });
}

TBapiResult BapiTruncateBlob(TBapiHandle cursor, uint8_t* recBuf, uint16_t fieldNo,
                             uint32_t length) {
  return OnTable(cursor, [&](TFFClientTable& t) {
    int f;
    if (TBapiResult r = BlobField(t, recBuf, fieldNo, f)) return r;
    if (TBapiResult r = Writable(t)) return r;
    t.Cursor().TruncateBlob(recBuf, f, length);
    return bapiOk;
  });
}

TBapiResult BapiFreeBlob(TBapiHandle cursor, uint8_t* recBuf, uint16_t fieldNo) {
  return OnTable(cursor, [&](TFFClientTable& t) { return t.FreeBlob(recBuf, fieldNo); });
}

TBapiResult BapiDiscardBlobs(TBapiHandle cursor, uint8_t* recBuf) {
  return OnTable(cursor, [&](TFFClientTable& t) {
    if (!recBuf) return bapiInvalidParameter;
    t.Cursor().DiscardBlobs(recBuf);
    return bapiOk;
  });
}

// ---- filters ----------------------------------------------------------------

TBapiResult BapiAddFilter(TBapiHandle cursor, uintptr_t clientData, uint16_t priority, bool,
                          const uint8_t* expression, TBapiFilterCallback callback,
                          TBapiHandle& filter) {
  filter = 0;
  return OnTable(cursor, [&](TFFClientTable& t) {
    return t.AddFilter(clientData, priority, expression, callback, filter);
  });
}

namespace {
template <class F>
TBapiResult OnFilter(TBapiHandle cursor, TBapiHandle filter, F&& op) {
  return OnTable(cursor, [&](TFFClientTable& t) {
    // A filter of another cursor is as unknown here as a stale one.
    TttFilter* f = t.FindFilter(filter);
    if (!f) return bapiInvalidHandle;
    return op(t, *f);
  });
}
}  // namespace

TBapiResult BapiActivateFilter(TBapiHandle cursor, TBapiHandle filter) {
  return OnFilter(cursor, filter, [](TFFClientTable& t, TttFilter& f) {
    f.Active = true;
    t.FiltersChanged();
    return bapiOk;
  });
}

TBapiResult BapiDeactivateFilter(TBapiHandle cursor, TBapiHandle filter) {
  return OnFilter(cursor, filter, [](TFFClientTable& t, TttFilter& f) {
    f.Active = false;
    t.FiltersChanged();
    return bapiOk;
  });
}

TBapiResult BapiDropFilter(TBapiHandle cursor, TBapiHandle filter) {
  return OnFilter(cursor, filter, [](TFFClientTable& t, TttFilter& f) { return t.DropFilter(&f); });
}

// ---- lists ----------------------------------------------------------------

TBapiResult BapiOpenVchkList(TBapiHandle database, const char* tableName, const char*,
                             TBapiHandle& cursor) {
  cursor = 0;
  TFFClientDatabase* db = Find<TFFClientDatabase>(database);
  if (!db) return bapiInvalidHandle;
  if (!ValidTableName(tableName)) return bapiInvalidParameter;
  return FFGuard([&] {
    if (!TffTable::Exists(db->TablePath(tableName))) return bapiNoSuchTable;
    Lists().push_back(std::make_unique<TttListTable>(std::vector<TttListTable::Column>{
        {"FLDNUM", bapiFldInt16, 2}, {"PICTURE", bapiFldString, 176}}));
    cursor = Lists().back()->Handle();
    return bapiOk;
  });
}

TBapiResult BapiOpenCfgInfoList(TBapiHandle, TBapiOpenMode, uint16_t, const char* cfgPath,
                                TBapiHandle& cursor) {
  cursor = 0;
  if (!cfgPath) return bapiInvalidParameter;
  // "\Databases\<alias>\db info", compared without letter case.
  std::string_view path(cfgPath);
  constexpr std::string_view head = "\\DATABASES\\", tail = "\\DB INFO";
  if (path.size() <= head.size() + tail.size() ||
      !ffdetail::SameText(path.substr(0, head.size()), head) ||
      !ffdetail::SameText(path.substr(path.size() - tail.size()), tail))
    return bapiNoSuchConfigPath;
  std::string_view alias = path.substr(head.size(), path.size() - head.size() - tail.size());
  if (alias.find('\\') != std::string_view::npos || !TffServer::Started())
    return bapiNoSuchConfigPath;
  return FFGuard([&] {
    TffCommand c;
    c.Alias = AnsiString(alias);
    if (TffServer::Instance().Process(ffnmGetAliasPath, c) != bapiOk) return bapiNoSuchConfigPath;
    auto list = std::make_unique<TttListTable>(std::vector<TttListTable::Column>{
        {"NAME", bapiFldString, 128}, {"VALUE", bapiFldString, 256}});
    list->AddRow({"PATH", c.Path});
    Lists().push_back(std::move(list));
    cursor = Lists().back()->Handle();
    return bapiOk;
  });
}

// ---- queries, moves, properties, conversions, messages --------------------

TBapiResult BapiBatchMove(TBapiHandle sourceCursor, const char*, const char*, uint16_t, uint32_t) {
  if (!Find<TttBaseTable>(sourceCursor)) return bapiInvalidHandle;
  return bapiNotImplemented;
}

TBapiResult BapiSetObjectProp(TBapiHandle object, uint32_t, uint32_t) {
  // No statement ever exists, and cursors have no settable properties.
  if (!Find<TttBaseTable>(object)) return bapiInvalidHandle;
  return bapiNotSupported;
}

TBapiResult BapiQAlloc(TBapiHandle database, uint16_t, TBapiHandle& statement) {
  statement = 0;
  if (!Find<TFFClientDatabase>(database)) return bapiInvalidHandle;
  return bapiNotImplemented;
}

TBapiResult BapiQPrepare(TBapiHandle, const char*) { return bapiInvalidHandle; }

TBapiResult BapiQExec(TBapiHandle, TBapiHandle& cursor) {
  cursor = 0;
  return bapiInvalidHandle;
}

TBapiResult BapiQFree(TBapiHandle& statement) {
  statement = 0;
  return bapiInvalidHandle;
}

TBapiResult BapiBcdFromFloat(const double&, uint16_t, uint16_t, uint8_t*) {
  return bapiNotSupported;
}

TBapiResult BapiGetErrorString(TBapiResult code, char* buffer) {
  if (!buffer) return bapiInvalidParameter;
  AnsiString text;
  switch (code) {
    case bapiInvalidFilter: text = "Invalid filter expression"; break;
    case bapiUnknownFilterField: text = "Filter names a field the table lacks"; break;
    case bapiNameTooLong: text = "Name too long"; break;
    case bapiAliasExists: text = "Alias already exists"; break;
    default: text = ResultCodeText(code);
  }
  size_t n = std::min<size_t>(text.size(), 127);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return bapiOk;
}

int BapiLiveObjectCount() { return TttObject::LiveCount(); }

int BapiLastSystemError() { return FFLastSystemError(); }

AnsiString BapiLastWrittenFile() {
  const AnsiString& file = FFLastWrittenFile();
  return file.empty() ? file : FromSysFileName(file);
}

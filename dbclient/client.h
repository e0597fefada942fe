// Client objects behind the call-level handles: sessions, databases, cursors
// (table cursors and list cursors), filters and open BLOBs.
//
// Ownership: a session owns its databases, a database its table cursors, a
// table cursor its filters and open BLOBs; list cursors stand alone. Every
// object is registered in the handle table while it lives, so destroying an
// owner invalidates every handle below it.
//
// A table cursor delivers only records that pass all of its active filters
// (expression and callback filters combine with AND, tested in ascending
// priority); every navigation, key search and count honours them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbclient/bapi.h"
#include "dbclient/filter_expr.h"
#include "dbclient/handles.h"
#include "dbengine/engine.h"

class TFFClientDatabase;
class TFFClientTable;

class TffClientSession : public TttObject {
public:
  static constexpr TttObjectKind kKind = TttObjectKind::Session;
  TffClientSession();
  ~TffClientSession() override;

  TFFClientDatabase* AddDatabase(std::unique_ptr<TFFClientDatabase> db);
  void CloseDatabase(TFFClientDatabase* db);

private:
  std::vector<std::unique_ptr<TFFClientDatabase>> databases_;
};

class TFFClientDatabase : public TttObject {
public:
  static constexpr TttObjectKind kKind = TttObjectKind::Database;
  TFFClientDatabase(TffClientSession* session, AnsiString name, AnsiString directory);
  ~TFFClientDatabase() override;

  TffClientSession* Session() const { return session_; }
  const AnsiString& Name() const { return name_; }
  const AnsiString& Directory() const { return directory_; }

  // Path of the table's file: ".FFD" added when the name has no extension;
  // an existing file whose name differs only in letter case is found.
  std::string TablePath(const AnsiString& tableName) const;

  TFFClientTable* AddCursor(std::unique_ptr<TFFClientTable> cursor);
  void CloseCursor(TFFClientTable* cursor);

  // The database's transaction (bapi.h). Every change through a cursor of
  // the database first enlists its table, which holds the change until
  // the transaction ends; a table whose change failed has dropped its part,
  // so the transaction refuses every further change and its commit.
  bool InTransaction() const { return inTx_; }
  void StartTransaction();
  void Enlist(const std::shared_ptr<TffTable>& table);
  void EndTransaction(bool commit);

private:
  TffClientSession* session_;
  AnsiString name_, directory_;
  std::vector<std::unique_ptr<TFFClientTable>> cursors_;
  bool inTx_ = false;
  std::vector<std::shared_ptr<TffTable>> txTables_;
};

// What every cursor offers; table-only operations live in TFFClientTable.
class TttBaseTable : public TttObject {
public:
  static constexpr TttObjectKind kKind = TttObjectKind::Cursor;
  TttBaseTable() : TttObject(kKind) {}

  virtual TBapiResult SetToBegin() = 0;
  virtual TBapiResult GetNextRecord(uint8_t* rec, TBapiRecProps* props) = 0;
  virtual TBapiResult GetRecord(uint8_t* rec, TBapiRecProps* props) = 0;
  virtual TBapiResult GetField(uint16_t fieldNo, const uint8_t* rec, void* dest, bool& blank) = 0;
  virtual TBapiResult GetRecordCount(uint32_t& count) = 0;
  virtual TBapiResult GetProps(TBapiCursorProps& props) = 0;
  virtual TBapiResult GetFieldDescs(std::vector<TBapiFieldDesc>& fields) = 0;
  virtual TBapiResult GetSeqNo(uint32_t&) { return bapiNotSupported; }
  virtual TBapiResult SetToSeqNo(uint32_t) { return bapiNotSupported; }
  // Where the cursor sits among its owner's objects (null for list cursors).
  virtual TFFClientDatabase* Database() const { return nullptr; }
  // The table cursor behind this one, null for list cursors.
  virtual TFFClientTable* AsTable() { return nullptr; }
};

// A read-only cursor over rows held in memory: configuration and
// validity-check lists. Its fields are zero-terminated strings and int16.
class TttListTable : public TttBaseTable {
public:
  struct Column {
    AnsiString Name;
    TBapiFieldType Type;  // bapiFldString or bapiFldInt16
    uint16_t Size;        // bytes in the record, terminator included
  };
  explicit TttListTable(std::vector<Column> columns);
  // Appends a row of texts (int16 columns parse their text).
  void AddRow(const std::vector<AnsiString>& values);

  TBapiResult SetToBegin() override;
  TBapiResult GetNextRecord(uint8_t* rec, TBapiRecProps* props) override;
  TBapiResult GetRecord(uint8_t* rec, TBapiRecProps* props) override;
  TBapiResult GetField(uint16_t fieldNo, const uint8_t* rec, void* dest, bool& blank) override;
  TBapiResult GetRecordCount(uint32_t& count) override;
  TBapiResult GetProps(TBapiCursorProps& props) override;
  TBapiResult GetFieldDescs(std::vector<TBapiFieldDesc>& fields) override;

private:
  std::vector<Column> columns_;
  std::vector<uint16_t> offsets_;
  size_t recordSize_ = 0;
  std::vector<std::vector<uint8_t>> rows_;
  long position_ = -1;  // -1 before the first row, rows_.size() after the last
};

class TttFilter : public TttObject {
public:
  static constexpr TttObjectKind kKind = TttObjectKind::Filter;
  TttFilter(TFFClientTable* owner, uintptr_t clientData, uint16_t priority,
            std::unique_ptr<TFilterExpression> expr, TBapiFilterCallback callback)
      : TttObject(kKind), Owner(owner), ClientData(clientData), Priority(priority),
        Expression(std::move(expr)), Callback(callback) {}
  TFFClientTable* Owner;
  uintptr_t ClientData;
  uint16_t Priority;
  std::unique_ptr<TFilterExpression> Expression;
  TBapiFilterCallback Callback;
  bool Active = false;
};

class TttOpenBlob : public TttObject {
public:
  TttOpenBlob(const uint8_t* rec, int field, bool readOnly)
      : TttObject(TttObjectKind::Blob), Record(rec), Field(field), ReadOnly(readOnly) {}
  const uint8_t* Record;  // identity only, never read through
  int Field;
  bool ReadOnly;
};

class TFFClientTable : public TttBaseTable, private TFilterFieldSource {
public:
  TFFClientTable(TFFClientDatabase* db, std::shared_ptr<TffTable> table,
                 std::unique_ptr<TffCursor> cursor, AnsiString fileName, bool readOnly,
                 bool exclusive);
  bool ReadOnly() const { return readOnly_; }
  TffTable& Table() { return *table_; }
  const std::shared_ptr<TffTable>& SharedTable() const { return table_; }
  ~TFFClientTable() override;

  TFFClientDatabase* Database() const override { return db_; }
  TFFClientTable* AsTable() override { return this; }
  TffCursor& Cursor() { return *cursor_; }
  const TffDataDictionary& Dictionary() const { return cursor_->Dictionary(); }

  TBapiResult SetToBegin() override;
  TBapiResult SetToEnd();
  TBapiResult GetNextRecord(uint8_t* rec, TBapiRecProps* props) override;
  TBapiResult GetPriorRecord(uint8_t* rec, TBapiRecProps* props);
  TBapiResult GetRecord(uint8_t* rec, TBapiRecProps* props) override;
  TBapiResult GetField(uint16_t fieldNo, const uint8_t* rec, void* dest, bool& blank) override;
  TBapiResult PutField(uint16_t fieldNo, uint8_t* rec, const void* src);
  TBapiResult GetRecordCount(uint32_t& count) override;
  TBapiResult GetExactRecordCount(uint32_t& count);
  TBapiResult GetProps(TBapiCursorProps& props) override;
  TBapiResult GetFieldDescs(std::vector<TBapiFieldDesc>& fields) override;
  TBapiResult GetIndexDescs(std::vector<TBapiIndexDesc>& indexes);
  TBapiResult SetRange(uint16_t startFields, const uint8_t* startRec, bool startIncl,
                       uint16_t endFields, const uint8_t* endRec, bool endIncl);
  TBapiResult ResetRange();
  TBapiResult SwitchToIndex(const char* name);

  TBapiResult GetBookMark(uint8_t* bm);
  TBapiResult SetToBookMark(const uint8_t* bm);
  TBapiResult CompareBookMarks(const uint8_t* a, const uint8_t* b, int16_t& result);
  TBapiResult SetToKey(TBapiSearchCond cond, uint16_t fields, uint16_t partial,
                       const uint8_t* keyRec);

  TBapiResult AddFilter(uintptr_t clientData, uint16_t priority, const uint8_t* expression,
                        TBapiFilterCallback callback, TBapiHandle& filter);
  TttFilter* FindFilter(TBapiHandle h) const;
  TBapiResult DropFilter(TttFilter* f);
  void FiltersChanged();

  TBapiResult OpenBlob(const uint8_t* rec, uint16_t fieldNo, TBapiOpenMode mode);
  TttOpenBlob* FindBlob(const uint8_t* rec, int field) const;
  TBapiResult FreeBlob(const uint8_t* rec, uint16_t fieldNo);

  // Engine field number of a call-level one; -1 when the cursor lacks it.
  int EngineField(uint16_t fieldNo) const;

private:
  int FilterFieldIndex(std::string_view name) const override;
  TFilterValue FilterFieldValue(int index, const uint8_t* record) const override;
  bool Accepts(uint8_t* rec);
  bool Accepts(uint8_t* rec, TffCursor& at);
  void FillProps(TBapiRecProps* props) const;
  bool HasActiveFilters() const { return !active_.empty(); }

  TFFClientDatabase* db_;
  std::shared_ptr<TffTable> table_;
  std::unique_ptr<TffCursor> cursor_;
  AnsiString fileName_;
  bool readOnly_, exclusive_;
  std::vector<uint8_t> scratch_;  // record under test
  std::vector<std::unique_ptr<TttFilter>> filters_;
  std::vector<TttFilter*> active_;  // in ascending priority
  int evaluating_ = 0;               // records under test right now
  bool rebuildPending_ = false;      // active_ to be rebuilt after the test
  std::vector<std::unique_ptr<TttFilter>> dropped_;  // dropped during a test
  std::vector<std::unique_ptr<TttOpenBlob>> blobs_;
};

// Field-type mapping shared by table cursors.
TBapiFieldType BapiFieldTypeOf(int engineType);
uint16_t BapiValueSize(const TffFieldDescriptor& fd);

// Sessions, databases and the table, query and stored-procedure datasets.
//
// The default Session starts the in-process server when its handle is first
// fetched. A database is either declared (a TDatabase component naming
// itself with DatabaseName) or made on demand, temporary, when a dataset
// opens with a DatabaseName that no declared database carries; temporary
// databases close when their last dataset closes. DatabaseName may be an
// alias or a directory.
//
// TTable keeps key buffers for the key search and for the range ends; set-key
// state writes the index fields into one of them. A range covers the
// records whose leading index fields lie between the ends, both inclusive;
// an end without fields is open. A detail table (MasterSource/MasterFields)
// stays in the range of its leading index fields equal to the master's
// fields and follows every change of the master's record.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "platform/db/db.h"

class TDatabase;

class TSession : public TComponent {
  ORV_CLASS(TSession, TComponent)
  explicit TSession(TComponent* owner);
  ~TSession() override;

  // Opens the call-level session on first use.
  TBapiHandle Handle();
  bool Active() const { return handle_ != 0; }
  void Close();

  // Alias management; a failing call raises EDBEngineError.
  void AddStandardAlias(const AnsiString& name, const AnsiString& path,
                        const AnsiString& driver = "STANDARD");
  void DeleteAlias(const AnsiString& name);

  int DatabaseCount() const { return static_cast<int>(databases_.size()); }
  TDatabase* Databases(int i) const { return databases_.at(static_cast<size_t>(i)); }
  TDatabase* FindDatabase(std::string_view name) const;
  // The connected database of that name: a declared one, or a temporary one
  // made now. Balanced by CloseDatabase.
  TDatabase* OpenDatabase(const AnsiString& name);
  void CloseDatabase(TDatabase* db);

  void AddDatabase(TDatabase* db);
  void RemoveDatabase(TDatabase* db);

private:
  TBapiHandle handle_ = 0;
  std::vector<TDatabase*> databases_;
};

// The default session.
extern TSession* const Session;

class TDatabase : public TComponent {
  ORV_CLASS_PUBLISHED(TDatabase, TComponent)
  explicit TDatabase(TComponent* owner);
  ~TDatabase() override;

  const AnsiString& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const AnsiString& v);
  // The alias (or directory) opened; empty: DatabaseName itself.
  const AnsiString& AliasName() const { return aliasName_; }
  void SetAliasName(const AnsiString& v);
  bool Connected() const { return handle_ != 0; }
  void SetConnected(bool v);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }
  TBapiHandle Handle() const { return handle_; }
  bool IsSQLBased() const { return false; }
  bool Temporary() const { return temporary_; }
  void SetTemporary(bool v) { temporary_ = v; }
  TSession* Session() const { return ::Session; }
  AnsiString Directory() const;

  // A transaction over the database's tables (BapiBeginTran): the changes
  // of its datasets are kept back until Commit writes them all as one, or
  // Rollback drops them (a failed Commit drops them too). The datasets keep
  // what they read: refresh those that showed a dropped change.
  void StartTransaction();
  void Commit();
  void Rollback();
  bool InTransaction() const { return inTransaction_; }

  // The datasets using this database (closed when it disconnects).
  void AddDataSet(TDataSet* ds);
  void RemoveDataSet(TDataSet* ds);
  int DataSetCount() const { return static_cast<int>(dataSets_.size()); }
  int RefCount = 0;
  bool Closing = false;

private:
  AnsiString databaseName_, aliasName_;
  TBapiHandle handle_ = 0;
  bool temporary_ = false;
  bool inTransaction_ = false;
  std::vector<TDataSet*> dataSets_;
};

// Datasets that open through a database.
class TDBDataSet : public TDataSet {
  ORV_CLASS_PUBLISHED(TDBDataSet, TDataSet)
  explicit TDBDataSet(TComponent* owner);
  ~TDBDataSet() override;
  const AnsiString& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const AnsiString& v);
  TDatabase* Database() const { return database_; }
  TBapiHandle DBHandle() const override;

  void OpenCursor(bool infoQuery) override;
  void CloseCursor() override;

protected:
  void ReleaseDatabase();

private:
  AnsiString databaseName_;
  TDatabase* database_ = nullptr;
};

// The link of a detail table to its master's data source.
class TMasterDataLink : public TDataLink {
  ORV_CLASS(TMasterDataLink, TDataLink)
  explicit TMasterDataLink(TDataSet* owner) : owner_(owner) {}
  const AnsiString& FieldNames() const { return fieldNames_; }
  void SetFieldNames(const AnsiString& v);
  // The master's fields named by FieldNames (empty while inactive).
  const std::vector<TField*>& Fields() const { return fields_; }
  std::function<void()> OnMasterChange;
  std::function<void()> OnMasterDisable;

protected:
  void ActiveChanged() override;
  void CheckBrowseMode() override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;

private:
  void UpdateFields();
  TDataSet* owner_;
  AnsiString fieldNames_;
  std::vector<TField*> fields_;
};

enum TTableType { ttDefault, ttParadox, ttDBase, ttASCII };

class TTable : public TDBDataSet {
  ORV_CLASS_PUBLISHED(TTable, TDBDataSet)
  explicit TTable(TComponent* owner);
  ~TTable() override;

  const AnsiString& TableName() const { return tableName_; }
  virtual void SetTableName(const AnsiString& v);
  TTableType TableType() const { return tableType_; }
  void SetTableType(TTableType v);
  bool Exclusive() const { return exclusive_; }
  void SetExclusive(bool v);
  bool CanModify() const override;
  // The table's file: the database's directory and the table name (".FFD"
  // added when it has no extension), in the letter case found on disk.
  AnsiString FilePath() const override;

  // ---- indexes ----
  const AnsiString& IndexName() const { return indexName_; }
  void SetIndexName(const AnsiString& v);
  const AnsiString& IndexFieldNames() const { return indexFieldNames_; }
  void SetIndexFieldNames(const AnsiString& v);
  int IndexFieldCount() const { return static_cast<int>(indexFieldNos_.size()); }
  TField* IndexFields(int i) const;
  // Whether the current index is descending / case-insensitive.
  bool IndexDescending() const { return indexDescending_; }

  // ---- keys ----
  void SetKey();
  void EditKey();
  bool GotoKey();
  void GotoNearest();
  bool FindKey(const std::vector<Variant>& values);
  bool FindKey(std::initializer_list<Variant> values) { return FindKey(std::vector<Variant>(values)); }
  void FindNearest(const std::vector<Variant>& values);
  void FindNearest(std::initializer_list<Variant> values) {
    FindNearest(std::vector<Variant>(values));
  }
  // Leading index fields that the key buffer in use holds.
  int KeyFieldCount() const;
  void SetKeyFieldCount(int v);

  // ---- ranges ----
  void SetRangeStart();
  void SetRangeEnd();
  void EditRangeStart();
  void EditRangeEnd();
  void ApplyRange();
  void CancelRange();
  void SetRange(const std::vector<Variant>& startValues, const std::vector<Variant>& endValues);
  // Whether a range limits the cursor now.
  bool RangeActive() const { return rangeActive_; }
  // Forgets the range in force, so that the next ApplyRange sets it anew.
  void ClearCurrentRange();

  // ---- master/detail ----
  TDataSource* MasterSource() const { return masterLink_.DataSource(); }
  void SetMasterSource(TDataSource* v);
  const AnsiString& MasterFields() const { return masterLink_.FieldNames(); }
  void SetMasterFields(const AnsiString& v);

  // ---- table operations ----
  void EmptyTable();
  void DeleteTable();  // closed table

  Variant Lookup(const AnsiString& keyFields, const std::vector<Variant>& keyValues,
                 const AnsiString& resultField) override;

  // Overridable steps.
  TBapiHandle CreateHandle() override;
  void InternalOpen() override;
  void InternalClose() override;
  void InternalInitFieldDefs() override;
  void DoOnNewRecord() override;
  void Notification(TComponent* c, TOperation op) override;
  bool IsIndexField(const TField* f) const override;
  void PostKeyBuffer(bool commit) override;

protected:
  enum TKeyIndex { kiLookup, kiRangeStart, kiRangeEnd, kiCount };
  struct TKeyBuffer {
    std::unique_ptr<TRecordBuffer> Rec;
    int FieldCount = 0;
  };
  TKeyBuffer& KeyBuffer(TKeyIndex k) { return keyBuffers_[k]; }

private:
  void SetKeyBuffer(TKeyIndex k, bool clear);
  void SetKeyFields(TKeyIndex k, const std::vector<Variant>& values);
  void SetIndex(const AnsiString& name, const AnsiString& fieldNames);
  AnsiString ResolveIndexName() const;
  void ReadIndexInfo();
  bool SetCursorRange();
  bool ResetCursorRange();
  void MasterChanged();
  void MasterDisabled();
  void SetLinkRanges();
  void CheckMasterRange();
  void EnsureKeyBuffers();
  TBapiHandle OpenPrivateCursor(const AnsiString& indexName);

  AnsiString tableName_, indexName_, indexFieldNames_;
  TTableType tableType_ = ttDefault;
  bool exclusive_ = false;
  bool indexDescending_ = false;
  bool rangeActive_ = false;
  int KeyCount(const TKeyBuffer& kb) const;
  AnsiString Caption() const;  // for messages: the component's or the table's name
  std::vector<int> indexFieldNos_;
  bool cursorReadOnly_ = false;
  std::array<TKeyBuffer, kiCount> keyBuffers_;
  std::array<TKeyBuffer, kiCount> savedKeys_;
  TKeyIndex keyIndex_ = kiLookup;
  TMasterDataLink masterLink_;
  TBapiHandle lookupCursor_ = 0;
  AnsiString lookupIndex_;
};

// The parameters of a query text: a name, a field type and a value each.
class TParam {
public:
  AnsiString Name;
  TFieldType DataType = ftUnknown;
  Variant Value;
  bool IsNull() const { return Value.IsNull(); }
  void Clear() { Value = Variant(); }
};

class TParams {
public:
  int Count() const { return static_cast<int>(items_.size()); }
  TParam& Items(int i);
  // The parameter of that name (letter case ignored), or null.
  TParam* FindParam(std::string_view name);
  // Raises EDatabaseError "Parameter 'X' not found" when missing.
  TParam& ParamByName(std::string_view name);
  TParam& CreateParam(TFieldType type, const AnsiString& name);
  void Clear() { items_.clear(); }

private:
  std::vector<TParam> items_;
};

// Query datasets: the call level has no statements, so opening fails with
// its message.
class TQuery : public TDBDataSet {
  ORV_CLASS(TQuery, TDBDataSet)
  explicit TQuery(TComponent* owner);
  TStrings* SQL() { return &sql_; }
  TParams* Params() { return &params_; }
  bool RequestLive() const { return requestLive_; }
  void SetRequestLive(bool v) { requestLive_ = v; }
  TBapiHandle CreateHandle() override;

private:
  TStringList sql_;
  TParams params_;
  bool requestLive_ = false;
};

class TStoredProc : public TDBDataSet {
  ORV_CLASS(TStoredProc, TDBDataSet)
  explicit TStoredProc(TComponent* owner);
  const AnsiString& StoredProcName() const { return procName_; }
  void SetStoredProcName(const AnsiString& v) { procName_ = v; }
  TBapiHandle CreateHandle() override;

private:
  AnsiString procName_;
};

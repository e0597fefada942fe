// The table dataset of the data-aware controls, its data source, the
// stored-procedure dataset, the read-only stream over a memo of a record,
// and the record search by field values that record location runs.
//
// TwwTable adds to TTable: a key look-up that leaves the table where it is
// when the current record already holds the key, an index switch by field
// name, record location and incremental search, filter expressions held in
// a string list (compiled to a call-level filter whenever the cursor opens
// or the list changes) and a per-record filter event, the per-field setting
// lists with lookup tables and picture-mask checks before posting.
//
// Invariants:
// - SearchNesting is raised by one for the whole of every search operation
//   of this class and lowered on every way out.
// - FilterHandle and CallbackFilterHandle name filters of the open cursor,
//   or are 0; closing the cursor takes its filters along.
// - A table with Query lines is opened from the query text, which the call
//   level of this system cannot run: such a table never opens.
#pragma once

#include <cstdint>
#include <vector>

#include "dbcontrols/datasets/wwdataset.h"
#include "platform/db/dbtables.h"

class TwwTable;

using TwwTableFilterEvent = std::function<void(TwwTable* table, bool& accept)>;

// Kinds of text match of record location.
enum : uint8_t { wwmtExact = 0, wwmtStart = 1, wwmtAnywhere = 2 };

// Query languages of a statement.
enum : uint16_t { wwQueryLanguageQBE = 1, wwQueryLanguageSQL = 2 };

class TwwTable : public TwwFamilyDataSet<TTable> {
  ORV_CLASS_PUBLISHED(TwwTable, TTable)
  explicit TwwTable(TComponent* owner);
  ~TwwTable() override;

  // ---- published lists and flags ----
  TStrings* wwFilter() const { return wwFilter_.get(); }
  // Assigning recompiles and installs the filter on an open table; a text
  // that fails shows "Fail to set filter" and leaves the table unfiltered.
  void SetwwFilter(TStrings* v);
  TStrings* Query() const { return query_.get(); }
  void SetQuery(TStrings* v) { query_->Assign(v); }
  TParams* Params() const { return params_.get(); }
  bool SyncSQLByRange() const { return syncSQLByRange_; }
  void SetSyncSQLByRange(bool v) { syncSQLByRange_ = v; }
  bool NarrowSearch() const { return narrowSearch_; }
  void SetNarrowSearch(bool v) { narrowSearch_ = v; }
  uint16_t NarrowSearchUpperChar() const { return narrowSearchUpperChar_; }
  void SetNarrowSearchUpperChar(uint16_t v) { narrowSearchUpperChar_ = v; }
  void SetTableName(const AnsiString& v) override;  // a non-empty name clears Query
  const AnsiString& GetTableName() const { return TableName(); }

  // ---- events ----
  const TwwTableFilterEvent& OnFilter() const { return onFilter_; }
  // Installs the per-record filter on an open table, or drops it when cleared.
  void SetOnFilter(const TwwTableFilterEvent& v);

  // ---- state read by the controls ----
  TBapiHandle FilterHandle() const { return filterHandle_; }
  TBapiHandle CallbackFilterHandle() const { return callbackFilterHandle_; }
  bool ParadoxActive() const { return paradoxActive_; }
  const AnsiString& QueryLanguage() const { return queryLanguage_; }
  bool OpeningFilter() const { return openingFilter_; }
  bool SearchInProgress() const { return searchInProgress_; }
  void SetSearchInProgress(bool v) { searchInProgress_ = v; }
  int SearchNesting() const { return searchNesting_; }
  bool LookupSetupActive() const { return lookupSetupActive_; }
  void SetLookupSetupActive(bool v) { lookupSetupActive_ = v; }
  // The database serves SQL (never, on this system's engine).
  bool IsSQLBased() const;

  // ---- searching ----
  // Positions on the record whose leading index fields equal the values;
  // stays (True) when the current record already holds them.
  bool FindKey(const std::vector<Variant>& values);
  bool FindKey(std::initializer_list<Variant> values) { return FindKey(std::vector<Variant>(values)); }
  // The nearest record at or after the values in index order. On a SQL
  // database a range from the values to the open end serves instead.
  void FindNearest(const std::vector<Variant>& values);
  void FindNearest(std::initializer_list<Variant> values) { FindNearest(std::vector<Variant>(values)); }
  // Cancels the range in force (see wwSyncFieldsWithSelected).
  void CancelRange();
  // Record location (wwLocateRecord) with SearchNesting raised; `fieldNames`
  // is one field or a ";"-separated list (and `value` then as many texts).
  bool LocateRecord(const AnsiString& value, const AnsiString& fieldNames, uint8_t matchType,
                    bool caseSensitive);
  // The incremental search (wwTableIncrementalSearch) with SearchNesting raised.
  bool PartialKeySearch(const AnsiString& text, int fieldPosition);

  // ---- indexes ----
  bool SwitchToFieldIndex(const AnsiString& fieldName);
  // The field before the first tab of the list's first entry; False for an
  // empty list.
  bool SwitchToSelectedIndex(TStrings* selected);
  // The index over the ";"-separated fields, "?" when none.
  AnsiString FindIndexForField(const AnsiString& fields);
  void EnsureIndexDefs();
  // The definition of the index in use, or null.
  const TIndexDef* CurrentIndexDef();
  // The field names of the index in use (empty in file order).
  std::vector<AnsiString> CurrentIndexFieldNames();

  // ---- table kinds and pictures ----
  bool IsParadoxTable() const;
  bool IsDBaseTable() const;
  // The picture the table itself defines for the field (its validity
  // checks, read once); empty when none.
  AnsiString TablePicture(const AnsiString& fieldName);

  // " AND (" joins of the non-empty filter lines.
  AnsiString CombineFilterText() const;

  // ---- steps of the dataset ----
  TBapiHandle CreateHandle() override;
  void OpenCursor(bool infoQuery) override;
  void CloseCursor() override;
  void InternalInitFieldDefs() override;
  void DoAfterOpen() override;

 protected:
  bool FilterAssigned() const override { return static_cast<bool>(onFilter_); }
  void CallFilter(bool& accept) override { onFilter_(this, accept); }
  void DoOnCalcFields() override;

 private:
  friend class TwwSearchScope;
  bool CurrentRecordHolds(const std::vector<Variant>& values);
  bool InstallFilters();
  void ReadTablePictures();

  std::unique_ptr<TStringList> wwFilter_, query_, paradoxPictures_;
  std::unique_ptr<TParams> params_;
  bool syncSQLByRange_ = true;
  bool narrowSearch_ = false;
  uint16_t narrowSearchUpperChar_ = 255;
  TwwTableFilterEvent onFilter_;
  TBapiHandle filterHandle_ = 0;
  TBapiHandle callbackFilterHandle_ = 0;
  bool paradoxActive_ = false;
  AnsiString queryLanguage_;
  bool picturesPending_ = true;
  bool openingFilter_ = false;
  bool searchInProgress_ = false;
  int searchNesting_ = 0;
  bool lookupSetupActive_ = false;
};

// Raises a table's SearchNesting for the life of the object.
class TwwSearchScope {
 public:
  explicit TwwSearchScope(TwwTable* t) : t_(t) { ++t_->searchNesting_; }
  ~TwwSearchScope() { --t_->searchNesting_; }
  TwwSearchScope(const TwwSearchScope&) = delete;
  TwwSearchScope& operator=(const TwwSearchScope&) = delete;

 private:
  TwwTable* t_;
};

// The data source of the data-aware controls; the controls recognise the
// family by its class.
class TwwDataSource : public TDataSource {
  ORV_CLASS(TwwDataSource, TDataSource)
  explicit TwwDataSource(TComponent* owner) : TDataSource(owner) {}
};

using TwwStoredProcFilterEvent = std::function<void(class TwwStoredProc* proc, bool& accept)>;

// The stored-procedure member of the family (no statement can run here, so
// it never opens); its per-record filter ignores the filter options.
class TwwStoredProc : public TwwFamilyDataSet<TStoredProc> {
  ORV_CLASS_PUBLISHED(TwwStoredProc, TStoredProc)
  explicit TwwStoredProc(TComponent* owner);
  ~TwwStoredProc() override;
  const TwwStoredProcFilterEvent& OnFilter() const { return onFilter_; }
  void SetOnFilter(const TwwStoredProcFilterEvent& v);
  TBapiHandle CallbackFilterHandle() const { return callbackFilterHandle_; }
  void DoAfterOpen() override;
  void CloseCursor() override;
  void InternalOpen() override;

 protected:
  bool FilterAssigned() const override { return static_cast<bool>(onFilter_); }
  void CallFilter(bool& accept) override { onFilter_(this, accept); }
  bool FilterHonoursOptions() const override { return false; }

 private:
  TwwStoredProcFilterEvent onFilter_;
  TBapiHandle callbackFilterHandle_ = 0;
};

// A read-only stream over the memo (or other BLOB) field of one record.
// The record is copied when the stream is made, so the stream reads that
// record whatever the cursor does afterwards. Reading a record other than
// the current one (a grid row) takes that row's own buffer.
class TwwMemoStream : public TStream {
  ORV_CLASS(TwwMemoStream, TStream)
  // The dataset's current record; unless keepPosition, an editing dataset's
  // cursor is brought to it and the stored record is read (a record being
  // inserted has none, and the stream stays closed).
  TwwMemoStream(TField* field, bool keepPosition);
  // The record held in `record` (a buffer of the dataset's window).
  TwwMemoStream(TDataSet* dataSet, TField* field, const uint8_t* record);
  ~TwwMemoStream() override;
  bool Opened() const { return opened_; }
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;  // writes nothing
  int64_t Seek(int64_t offset, int origin) override;
  int64_t Size() const override;
  void SetSize(int64_t) override {}
  int64_t Position() const override { return position_; }

 private:
  void OpenBlob();
  TField* field_;
  TDataSet* dataSet_;
  std::vector<uint8_t> record_;
  uint16_t fieldNo_ = 0;
  bool opened_ = false;
  int32_t position_ = 0;
};

// ---- record search --------------------------------------------------------

// The names of a ";"-separated field list, trimmed, empty ones left out.
std::vector<AnsiString> wwFieldNameList(const AnsiString& names);
// The values for `count` fields from one text: the whole text for one
// field, else its ";"-separated pieces, the last taking the rest.
std::vector<AnsiString> wwFieldValueList(const AnsiString& value, size_t count);

// Whether `fieldText` matches `value` by the match kind: whole value,
// beginning, anywhere (an empty value never matches the last two).
bool wwMatchText(const AnsiString& fieldText, const AnsiString& value, uint8_t matchType);
// The whole text of the memo field of the dataset's current record matched
// by kind; shows "Fail to create blob" and answers False when the field has
// no stream.
bool wwMatchMemo(TDataSet* dataSet, TField* field, const AnsiString& value, uint8_t matchType,
                 bool caseSensitive);
// The field's value as text in the record `record` of its dataset.
AnsiString wwRecordFieldText(TField* field, const uint8_t* record);
// Searches the dataset for a record whose fields (one or ";"-separated)
// match the values (one text, or as many ";"-separated texts), from the
// first record or from the one after the current record, and positions on
// it; without a hit the dataset stays where it was.
bool wwFindRecord(bool fromStart, TDataSet* dataSet, const AnsiString& fieldNames, const AnsiString& value,
                  uint8_t matchType, bool caseSensitive);

// The table dataset's cancel-range operation: on a SQL database, when the
// global international strings ask for it, the table is reopened with its
// field layout kept; otherwise the range in force is cancelled.
void wwSyncFieldsWithSelected(TwwTable* table);

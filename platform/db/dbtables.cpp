// Sessions, databases, tables with keys, ranges and master/detail links,
// and the query datasets the call level cannot serve. See dbtables.h.
#include <algorithm>
#include <cstring>

#include "platform/db/db_internal.h"
#include "platform/db/dbtables.h"
#include "platform/rtl/files.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"

namespace {

using dbdetail::SplitNames;


// The name of the first index of the cursor whose leading fields are the
// given ones; empty when none.
AnsiString IndexForFields(TBapiHandle cursor, const std::vector<AnsiString>& names) {
  std::vector<TBapiIndexDesc> idx;
  std::vector<TBapiFieldDesc> flds;
  Check(BapiGetIndexDescs(cursor, idx));
  Check(BapiGetFieldDescs(cursor, flds));
  for (const TBapiIndexDesc& d : idx) {
    if (d.KeyFields.size() < names.size()) continue;
    bool ok = true;
    for (size_t i = 0; i < names.size() && ok; ++i) {
      uint16_t f = d.KeyFields[i];
      ok = f >= 1 && f <= flds.size() && SameText(flds[f - 1].Name, names[i]);
    }
    if (ok) return d.Name;
  }
  return AnsiString();
}

TSession defaultSession(nullptr);

}  // namespace

TSession* const Session = &defaultSession;

// ---------------------------------------------------------------------------
// TSession.

TSession::TSession(TComponent* owner) : TComponent(owner) {}

TSession::~TSession() { Close(); }

TBapiHandle TSession::Handle() {
  if (!handle_) Check(BapiStartSession(handle_));
  return handle_;
}

void TSession::Close() {
  std::vector<TDatabase*> dbs = databases_;
  for (TDatabase* db : dbs) db->Close();
  for (TDatabase* db : dbs)
    if (db->Temporary()) delete db;
  if (handle_) BapiCloseSession(handle_);
  handle_ = 0;
}

void TSession::AddStandardAlias(const AnsiString& name, const AnsiString& path, const AnsiString&) {
  Check(FFSessionAddAlias(Handle(), name.c_str(), path.c_str()));
}

void TSession::DeleteAlias(const AnsiString& name) {
  Check(FFSessionDeleteAlias(Handle(), name.c_str()));
}

TDatabase* TSession::FindDatabase(std::string_view name) const {
  for (TDatabase* db : databases_)
    if (SameText(db->DatabaseName(), name)) return db;
  return nullptr;
}

TDatabase* TSession::OpenDatabase(const AnsiString& name) {
  TDatabase* db = FindDatabase(name);
  if (!db) {
    db = new TDatabase(nullptr);
    db->SetDatabaseName(name);
    db->SetTemporary(true);
  }
  try {
    db->Open();
  } catch (...) {
    if (db->Temporary() && db->RefCount == 0) delete db;
    throw;
  }
  ++db->RefCount;
  return db;
}

void TSession::CloseDatabase(TDatabase* db) {
  if (!db) return;
  --db->RefCount;
  if (db->Temporary() && db->RefCount <= 0 && !db->Closing) delete db;
}

void TSession::AddDatabase(TDatabase* db) { databases_.push_back(db); }

void TSession::RemoveDatabase(TDatabase* db) {
  auto it = std::find(databases_.begin(), databases_.end(), db);
  if (it != databases_.end()) databases_.erase(it);
}

// ---------------------------------------------------------------------------
// TDatabase.

void TDatabase::PublishProperties(TClassInfo& ci) {
  PublishString<TDatabase>(ci, "DatabaseName", &TDatabase::DatabaseName, &TDatabase::SetDatabaseName);
  PublishString<TDatabase>(ci, "AliasName", &TDatabase::AliasName, &TDatabase::SetAliasName);
  PublishBool<TDatabase>(ci, "Connected", &TDatabase::Connected, &TDatabase::SetConnected);
}

TDatabase::TDatabase(TComponent* owner) : TComponent(owner) { ::Session->AddDatabase(this); }

TDatabase::~TDatabase() {
  Closing = true;
  Close();
  ::Session->RemoveDatabase(this);
}

void TDatabase::SetDatabaseName(const AnsiString& v) {
  if (Connected()) DatabaseError("Cannot perform this operation on an open database");
  databaseName_ = v;
}

void TDatabase::SetAliasName(const AnsiString& v) {
  if (Connected()) DatabaseError("Cannot perform this operation on an open database");
  aliasName_ = v;
}

void TDatabase::SetConnected(bool v) {
  if (v == Connected()) return;
  if (v) {
    const AnsiString& name = aliasName_.empty() ? databaseName_ : aliasName_;
    TBapiHandle h = 0;
    Check(BapiOpenDatabase(::Session->Handle(), name.c_str(), h));
    handle_ = h;
  } else {
    bool wasClosing = Closing;
    Closing = true;
    std::vector<TDataSet*> sets = dataSets_;
    for (TDataSet* ds : sets) ds->Close();
    if (handle_) BapiCloseDatabase(handle_);  // drops an open transaction
    handle_ = 0;
    inTransaction_ = false;
    Closing = wasClosing;
  }
}

AnsiString TDatabase::Directory() const {
  AnsiString dir;
  if (handle_) Check(BapiGetDatabaseDirectory(handle_, dir));
  return dir;
}

void TDatabase::StartTransaction() {
  if (!Connected()) DatabaseError("Cannot perform this operation on a closed database");
  Check(BapiBeginTran(handle_));
  inTransaction_ = true;
}

void TDatabase::Commit() {
  inTransaction_ = false;
  Check(BapiEndTran(handle_, true));
}

void TDatabase::Rollback() {
  inTransaction_ = false;
  Check(BapiEndTran(handle_, false));
}

void TDatabase::AddDataSet(TDataSet* ds) { dataSets_.push_back(ds); }

void TDatabase::RemoveDataSet(TDataSet* ds) {
  auto it = std::find(dataSets_.begin(), dataSets_.end(), ds);
  if (it != dataSets_.end()) dataSets_.erase(it);
}

// ---------------------------------------------------------------------------
// TDBDataSet.

void TDBDataSet::PublishProperties(TClassInfo& ci) {
  PublishString<TDBDataSet>(ci, "DatabaseName", &TDBDataSet::DatabaseName, &TDBDataSet::SetDatabaseName);
}

TDBDataSet::TDBDataSet(TComponent* owner) : TDataSet(owner) {}

TDBDataSet::~TDBDataSet() {
  Destroying();
  if (Active()) Close();
  ReleaseDatabase();
}

void TDBDataSet::SetDatabaseName(const AnsiString& v) {
  CheckInactive();
  databaseName_ = v;
}

TBapiHandle TDBDataSet::DBHandle() const { return database_ ? database_->Handle() : 0; }

void TDBDataSet::OpenCursor(bool infoQuery) {
  if (!database_) {
    database_ = ::Session->OpenDatabase(databaseName_);
    database_->AddDataSet(this);
  }
  TDataSet::OpenCursor(infoQuery);
}

void TDBDataSet::CloseCursor() {
  TDataSet::CloseCursor();
  ReleaseDatabase();
}

void TDBDataSet::ReleaseDatabase() {
  if (!database_) return;
  TDatabase* db = database_;
  database_ = nullptr;
  db->RemoveDataSet(this);
  ::Session->CloseDatabase(db);
}

// ---------------------------------------------------------------------------
// TMasterDataLink.

void TMasterDataLink::SetFieldNames(const AnsiString& v) {
  if (v == fieldNames_) return;
  fieldNames_ = v;
  ActiveChanged();
}

void TMasterDataLink::UpdateFields() {
  fields_.clear();
  if (!Active()) return;
  for (const AnsiString& n : SplitNames(fieldNames_)) fields_.push_back(DataSet()->FieldByName(n));
}

void TMasterDataLink::ActiveChanged() {
  UpdateFields();
  if (!owner_->Active()) return;
  if (Active() && !fields_.empty()) {
    if (OnMasterChange) OnMasterChange();
  } else if (OnMasterDisable) {
    OnMasterDisable();
  }
}

void TMasterDataLink::CheckBrowseMode() {
  if (owner_->Active()) owner_->CheckBrowseMode();
}

void TMasterDataLink::LayoutChanged() { UpdateFields(); }

void TMasterDataLink::RecordChanged(TField* field) {
  if (DataSource()->State() == dsSetKey || !owner_->Active() || fields_.empty()) return;
  if (field && std::find(fields_.begin(), fields_.end(), field) == fields_.end()) return;
  if (OnMasterChange) OnMasterChange();
}

// ---------------------------------------------------------------------------
// TTable.

void TTable::PublishProperties(TClassInfo& ci) {
  PublishString<TTable>(ci, "TableName", &TTable::TableName, &TTable::SetTableName);
  PublishString<TTable>(ci, "IndexName", &TTable::IndexName, &TTable::SetIndexName);
  PublishString<TTable>(ci, "IndexFieldNames", &TTable::IndexFieldNames, &TTable::SetIndexFieldNames);
  PublishString<TTable>(ci, "MasterFields", &TTable::MasterFields, &TTable::SetMasterFields);
  PublishObject<TTable, TDataSource>(ci, "MasterSource", &TTable::MasterSource, &TTable::SetMasterSource);
  PublishBool<TTable>(ci, "ReadOnly", &TTable::ReadOnly, &TTable::SetReadOnly);
  PublishBool<TTable>(ci, "Exclusive", &TTable::Exclusive, &TTable::SetExclusive);
}

TTable::TTable(TComponent* owner) : TDBDataSet(owner), masterLink_(this) {
  masterLink_.OnMasterChange = [this] { MasterChanged(); };
  masterLink_.OnMasterDisable = [this] { MasterDisabled(); };
}

TTable::~TTable() {
  Destroying();
  if (Active()) Close();
  masterLink_.SetDataSource(nullptr);
}

void TTable::SetTableName(const AnsiString& v) {
  CheckInactive();
  tableName_ = v;
  IndexDefs().Clear();
  FieldDefs().Clear();
}

void TTable::SetTableType(TTableType v) {
  CheckInactive();
  tableType_ = v;
}

void TTable::SetExclusive(bool v) {
  CheckInactive();
  exclusive_ = v;
}

AnsiString TTable::Caption() const { return Name().empty() ? tableName_ : Name(); }

AnsiString TTable::FilePath() const {
  const AnsiString dir = Database() ? Database()->Directory() : AnsiString();
  if (dir.empty() || tableName_.empty()) return tableName_;
  AnsiString path = IncludeTrailingPathDelimiter(dir) + tableName_;
  if (ExtractFileExt(tableName_).empty()) path += ".FFD";
  const AnsiString found = FindFileNoCase(path);
  return found.empty() ? path : found;
}

bool TTable::CanModify() const { return Active() && !ReadOnly() && !cursorReadOnly_; }

TBapiHandle TTable::CreateHandle() {
  if (tableName_.empty()) DatabaseError(Caption() + ": Missing TableName property");
  TBapiHandle h = 0;
  Check(BapiOpenTable(DBHandle(), tableName_.c_str(), indexName_.empty() ? nullptr : indexName_.c_str(),
                      ReadOnly() ? bapiReadOnly : bapiReadWrite, exclusive_ ? bapiOpenExclusive : bapiOpenShared, h),
        eaOpen);
  if (!indexFieldNames_.empty()) {
    AnsiString name;
    try {
      name = IndexForFields(h, SplitNames(indexFieldNames_));
      if (name.empty()) DatabaseError(Caption() + ": Index for fields '" + indexFieldNames_ + "' not found");
      Check(BapiSwitchToIndex(h, name.c_str()));
    } catch (...) {
      BapiCloseCursor(h);
      throw;
    }
  }
  return h;
}

void TTable::ReadIndexInfo() {
  TBapiCursorProps props;
  Check(BapiGetCursorProps(handle_, props));
  cursorReadOnly_ = props.ReadOnly;
  std::vector<TBapiIndexDesc> descs;
  Check(BapiGetIndexDescs(handle_, descs));
  indexFieldNos_.clear();
  indexDescending_ = false;
  for (const TBapiIndexDesc& d : descs)
    if (d.IndexNum == props.IndexNum) {
      for (uint16_t f : d.KeyFields) indexFieldNos_.push_back(f);
      indexDescending_ = d.Descending;
    }
}

void TTable::EnsureKeyBuffers() {
  for (TKeyBuffer& kb : keyBuffers_) {
    kb.Rec = NewBuffer();
    Check(BapiInitRecord(handle_, kb.Rec->Data.data()));
    kb.FieldCount = -1;
  }
}

void TTable::InternalInitFieldDefs() { TDataSet::InternalInitFieldDefs(); }

void TTable::InternalOpen() {
  TDataSet::InternalOpen();
  ReadIndexInfo();
  IndexDefs().Update();
  EnsureKeyBuffers();
  rangeActive_ = false;
  CheckMasterRange();
}

void TTable::InternalClose() {
  if (lookupCursor_) BapiCloseCursor(lookupCursor_);
  lookupCursor_ = 0;
  lookupIndex_.clear();
  TDataSet::InternalClose();
  for (TKeyBuffer& kb : keyBuffers_) kb.Rec.reset();
  for (TKeyBuffer& kb : savedKeys_) kb.Rec.reset();
  keyBufferForFields_ = nullptr;
  indexFieldNos_.clear();
  rangeActive_ = false;
}

TField* TTable::IndexFields(int i) const {
  if (i < 0 || i >= IndexFieldCount()) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
  TField* f = FieldByNumber(indexFieldNos_[static_cast<size_t>(i)]);
  if (!f) DatabaseError(Caption() + ": Index field " + IntToStr(i) + " has no field");
  return f;
}

bool TTable::IsIndexField(const TField* f) const {
  return f->FieldNo() > 0 &&
         std::find(indexFieldNos_.begin(), indexFieldNos_.end(), f->FieldNo()) != indexFieldNos_.end();
}

// ---- indexes ---------------------------------------------------------------

void TTable::SetIndexName(const AnsiString& v) { SetIndex(v, AnsiString()); }
void TTable::SetIndexFieldNames(const AnsiString& v) { SetIndex(AnsiString(), v); }

void TTable::SetIndex(const AnsiString& name, const AnsiString& fieldNames) {
  if (Active()) CheckBrowseMode();
  if (name == indexName_ && fieldNames == indexFieldNames_) return;
  if (!Active()) {
    indexName_ = name;
    indexFieldNames_ = fieldNames;
    return;
  }
  AnsiString target = name;
  if (!fieldNames.empty()) {
    target = IndexForFields(handle_, SplitNames(fieldNames));
    if (target.empty()) DatabaseError(Caption() + ": Index for fields '" + fieldNames + "' not found");
  }
  UpdateCursorPos();
  std::vector<uint8_t> here(static_cast<size_t>(BookmarkSize()));
  bool onRecord = BapiGetBookMark(handle_, here.data()) == bapiOk;
  // The cursor keeps its record and drops the range.
  Check(BapiSwitchToIndex(handle_, target.empty() ? nullptr : target.c_str()));
  rangeActive_ = false;
  indexName_ = name;
  indexFieldNames_ = fieldNames;
  ReadIndexInfo();
  EnsureKeyBuffers();
  if (masterLink_.Active() && !masterLink_.Fields().empty()) {
    CheckMasterRange();
    if (onRecord) BapiSetToBookMark(handle_, here.data());
  }
  CursorPosChanged();
  Resync(0);
}

// ---- keys --------------------------------------------------------------------

int TTable::KeyCount(const TKeyBuffer& kb) const {
  if (kb.FieldCount >= 0) return kb.FieldCount;
  // Without an explicit count: the leading index fields assigned.
  int n = 0;
  for (int no : indexFieldNos_) {
    bool blank = true;
    if (BapiGetField(handle_, static_cast<uint16_t>(no), kb.Rec->Data.data(), nullptr, blank) != bapiOk ||
        blank)
      break;
    ++n;
  }
  return n;
}

int TTable::KeyFieldCount() const {
  const TKeyBuffer& kb = keyBuffers_[keyIndex_];
  return kb.Rec ? KeyCount(kb) : 0;
}

void TTable::SetKeyFieldCount(int v) {
  if (State() != dsSetKey) DatabaseError(Caption() + ": Dataset not in set-key mode");
  keyBuffers_[keyIndex_].FieldCount = std::clamp(v, 0, IndexFieldCount());
}

void TTable::SetKeyBuffer(TKeyIndex k, bool clear) {
  CheckBrowseMode();
  keyIndex_ = k;
  TKeyBuffer& kb = keyBuffers_[k];
  savedKeys_[k].Rec = std::make_unique<TRecordBuffer>(*kb.Rec);
  savedKeys_[k].FieldCount = kb.FieldCount;
  if (clear) {
    Check(BapiInitRecord(handle_, kb.Rec->Data.data()));
    kb.FieldCount = -1;
  }
  keyBufferForFields_ = kb.Rec.get();
  SetState(dsSetKey);
  DataEvent(deDataSetChange, 0);
}

void TTable::PostKeyBuffer(bool commit) {
  if (!commit && savedKeys_[keyIndex_].Rec) {
    TKeyBuffer& kb = keyBuffers_[keyIndex_];
    *kb.Rec = *savedKeys_[keyIndex_].Rec;
    kb.FieldCount = savedKeys_[keyIndex_].FieldCount;
  }
  keyBufferForFields_ = nullptr;
  SetState(dsBrowse);
  DataEvent(deDataSetChange, 0);
}

void TTable::SetKeyFields(TKeyIndex k, const std::vector<Variant>& values) {
  if (static_cast<int>(values.size()) > IndexFieldCount())
    DatabaseError(Caption() + ": Too many key values for index '" + indexName_ + "'");
  TKeyBuffer& kb = keyBuffers_[k];
  Check(BapiInitRecord(handle_, kb.Rec->Data.data()));
  TDataSetState save = SetTempState(dsSetKey);
  keyBufferForFields_ = kb.Rec.get();
  TScopeExit restore{[this, save] {
    keyBufferForFields_ = nullptr;
    RestoreState(save);
  }};
  for (size_t i = 0; i < values.size(); ++i) IndexFields(static_cast<int>(i))->SetValue(values[i]);
  kb.FieldCount = static_cast<int>(values.size());
}

void TTable::SetKey() { SetKeyBuffer(kiLookup, true); }
void TTable::EditKey() { SetKeyBuffer(kiLookup, false); }

bool TTable::GotoKey() {
  CheckBrowseMode();
  DoBeforeScroll();
  CursorPosChanged();
  TKeyBuffer& kb = keyBuffers_[kiLookup];
  TBapiResult rc = BapiSetToKey(handle_, bapiKeyEqual, static_cast<uint16_t>(KeyCount(kb)), 0,
                                kb.Rec->Data.data());
  if (rc == bapiRecordNotFound) return false;
  Check(rc);
  Resync(rmExact | rmCenter);
  DoAfterScroll();
  return true;
}

void TTable::GotoNearest() {
  CheckBrowseMode();
  DoBeforeScroll();
  CursorPosChanged();
  TKeyBuffer& kb = keyBuffers_[kiLookup];
  TBapiResult rc = BapiSetToKey(handle_, bapiKeyNearest, static_cast<uint16_t>(KeyCount(kb)), 0,
                                kb.Rec->Data.data());
  if (rc != bapiEndOfCursor) Check(rc);
  Resync(rmCenter);
  DoAfterScroll();
}

bool TTable::FindKey(const std::vector<Variant>& values) {
  CheckBrowseMode();
  SetKeyFields(kiLookup, values);
  return GotoKey();
}

void TTable::FindNearest(const std::vector<Variant>& values) {
  CheckBrowseMode();
  SetKeyFields(kiLookup, values);
  GotoNearest();
}

// ---- ranges ------------------------------------------------------------------

void TTable::SetRangeStart() { SetKeyBuffer(kiRangeStart, true); }
void TTable::SetRangeEnd() { SetKeyBuffer(kiRangeEnd, true); }
void TTable::EditRangeStart() { SetKeyBuffer(kiRangeStart, false); }
void TTable::EditRangeEnd() { SetKeyBuffer(kiRangeEnd, false); }

bool TTable::SetCursorRange() {
  TKeyBuffer& s = keyBuffers_[kiRangeStart];
  TKeyBuffer& e = keyBuffers_[kiRangeEnd];
  int ns = KeyCount(s), ne = KeyCount(e);
  if (ns == 0 && ne == 0) {
    if (rangeActive_) Check(BapiResetRange(handle_));
    rangeActive_ = false;
    return true;
  }
  Check(BapiSetRange(handle_, static_cast<uint16_t>(ns), ns ? s.Rec->Data.data() : nullptr, true,
                     static_cast<uint16_t>(ne), ne ? e.Rec->Data.data() : nullptr, true));
  rangeActive_ = true;
  return true;
}

bool TTable::ResetCursorRange() {
  if (!rangeActive_) return false;
  Check(BapiResetRange(handle_));
  rangeActive_ = false;
  return true;
}

void TTable::ApplyRange() {
  CheckBrowseMode();
  if (SetCursorRange()) First();
}

void TTable::CancelRange() {
  CheckBrowseMode();
  UpdateCursorPos();
  if (ResetCursorRange()) {
    CursorPosChanged();
    Resync(0);
  }
}

void TTable::ClearCurrentRange() {
  for (TKeyIndex k : {kiRangeStart, kiRangeEnd}) {
    TKeyBuffer& kb = keyBuffers_[k];
    if (kb.Rec) Check(BapiInitRecord(handle_, kb.Rec->Data.data()));
    kb.FieldCount = -1;
  }
}

void TTable::SetRange(const std::vector<Variant>& startValues, const std::vector<Variant>& endValues) {
  CheckBrowseMode();
  SetKeyFields(kiRangeStart, startValues);
  SetKeyFields(kiRangeEnd, endValues);
  ApplyRange();
}

// ---- master/detail -----------------------------------------------------------

void TTable::SetMasterSource(TDataSource* v) {
  if (v == MasterSource()) return;
  if (v && v->DataSet() == this) DatabaseError(Caption() + ": Circular datalinks are not allowed");
  if (TDataSource* old = MasterSource()) RemoveFreeNotification(old);
  if (v) FreeNotification(v);
  masterLink_.SetDataSource(v);
}

void TTable::SetMasterFields(const AnsiString& v) { masterLink_.SetFieldNames(v); }

void TTable::Notification(TComponent* c, TOperation op) {
  TDBDataSet::Notification(c, op);
  if (op == opRemove && c == MasterSource()) masterLink_.SetDataSource(nullptr);
}

void TTable::SetLinkRanges() {
  std::vector<Variant> values;
  for (TField* f : masterLink_.Fields()) values.push_back(f->Value());
  SetKeyFields(kiRangeStart, values);
  SetKeyFields(kiRangeEnd, values);
}

void TTable::CheckMasterRange() {
  if (masterLink_.Active() && !masterLink_.Fields().empty()) {
    SetLinkRanges();
    SetCursorRange();
  }
}

void TTable::MasterChanged() {
  CheckBrowseMode();
  SetLinkRanges();
  ApplyRange();
}

void TTable::MasterDisabled() { CancelRange(); }

void TTable::DoOnNewRecord() {
  if (masterLink_.Active()) {
    const std::vector<TField*>& mf = masterLink_.Fields();
    for (size_t i = 0; i < mf.size() && static_cast<int>(i) < IndexFieldCount(); ++i)
      IndexFields(static_cast<int>(i))->AssignField(mf[i]);
  }
  TDBDataSet::DoOnNewRecord();
}

// ---- table operations --------------------------------------------------------

void TTable::EmptyTable() {
  if (Active()) {
    CheckBrowseMode();
    Check(BapiEmptyTable(handle_), eaWrite);
    First();
    return;
  }
  OpenCursor(true);
  const TBapiResult rc = BapiEmptyTable(handle_);
  const int err = BapiLastSystemError();
  const AnsiString file = rc == bapiOk ? AnsiString() : FilePath();  // while the database is open
  CloseCursor();
  if (rc != bapiOk) throw EDBEngineError(rc, EngineErrorMessage(rc, file, eaWrite, err), err, true);
}

void TTable::DeleteTable() {
  CheckInactive();
  TDatabase* db = ::Session->OpenDatabase(DatabaseName());
  TBapiResult rc = BapiDeleteTable(db->Handle(), tableName_.c_str(), "");
  ::Session->CloseDatabase(db);
  Check(rc, eaWrite);
}

// ---- lookups -----------------------------------------------------------------

TBapiHandle TTable::OpenPrivateCursor(const AnsiString& indexName) {
  TBapiHandle h = 0;
  Check(BapiOpenTable(DBHandle(), tableName_.c_str(), indexName.empty() ? nullptr : indexName.c_str(),
                      bapiReadOnly, bapiOpenShared, h),
        eaOpen);
  if (!indexFieldNames_.empty() && indexName.empty()) Check(BapiSwitchToIndex(h, nullptr));
  return h;
}

Variant TTable::Lookup(const AnsiString& keyFields, const std::vector<Variant>& keyValues,
                       const AnsiString& resultField) {
  if (!Active()) return Variant();
  std::vector<AnsiString> names = SplitNames(keyFields);
  if (names.empty() || names.size() != keyValues.size()) return Variant();
  std::vector<TField*> keys;
  for (const AnsiString& n : names) keys.push_back(FieldByName(n));
  TField* result = FieldByName(resultField);
  // A private cursor answers, so that this table's position stays.
  const TIndexDef* idx = IndexDefs().FindIndexForFields(keyFields);
  AnsiString indexName = idx ? idx->Name : AnsiString();
  if (lookupCursor_ && !SameText(lookupIndex_, indexName + "|" + keyFields)) {
    BapiCloseCursor(lookupCursor_);
    lookupCursor_ = 0;
  }
  if (!lookupCursor_) {
    lookupCursor_ = OpenPrivateCursor(indexName);
    lookupIndex_ = indexName + "|" + keyFields;
  }
  TRecordBuffer rec;
  rec.Data.assign(static_cast<size_t>(RecordSize()), 0);
  rec.Calc.resize(static_cast<size_t>(calcFieldCount_));
  Variant answer;
  TDataSetState save = SetTempState(dsSetKey);
  TRecordBuffer* saveKey = keyBufferForFields_;
  bool saveAny = anyFieldKey_;
  // The record under test too: a filter of this table may look up in it.
  const uint8_t* saveRecord = TempRecord();
  TScopeExit restore{[this, save, saveKey, saveAny, saveRecord] {
    keyBufferForFields_ = saveKey;
    anyFieldKey_ = saveAny;
    SetTempRecord(saveRecord);
    RestoreState(save);
  }};
  if (idx) {
    Check(BapiInitRecord(lookupCursor_, rec.Data.data()));
    keyBufferForFields_ = &rec;
    anyFieldKey_ = true;
    for (size_t i = 0; i < keys.size(); ++i) keys[i]->SetValue(keyValues[i]);
    TBapiResult rc = BapiSetToKey(lookupCursor_, bapiKeyEqual, static_cast<uint16_t>(keys.size()), 0,
                                  rec.Data.data());
    if (rc == bapiOk && BapiGetRecord(lookupCursor_, bapiNoLock, rec.Data.data(), nullptr) == bapiOk) {
      SetTempState(dsFilter);
      TScopeExit found{[this] { RestoreState(dsSetKey); }};
      SetTempRecord(rec.Data.data());
      answer = result->Value();
    }
  } else {
    Check(BapiSetToBegin(lookupCursor_));
    SetTempState(dsFilter);
    TScopeExit walked{[this] { RestoreState(dsSetKey); }};
    SetTempRecord(rec.Data.data());
    while (BapiGetNextRecord(lookupCursor_, bapiNoLock, rec.Data.data(), nullptr) == bapiOk) {
      bool match = true;
      for (size_t i = 0; i < keys.size() && match; ++i)
        match = keys[i]->AsString() == keyValues[i].AsString();
      if (match) {
        answer = result->Value();
        break;
      }
    }
  }
  return answer;
}

// ---------------------------------------------------------------------------
// Query parameters.

TParam& TParams::Items(int i) {
  if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
  return items_[static_cast<size_t>(i)];
}

TParam* TParams::FindParam(std::string_view name) {
  for (TParam& p : items_)
    if (SameText(p.Name, name)) return &p;
  return nullptr;
}

TParam& TParams::ParamByName(std::string_view name) {
  TParam* p = FindParam(name);
  if (!p) DatabaseError("Parameter '" + AnsiString(name) + "' not found");
  return *p;
}

TParam& TParams::CreateParam(TFieldType type, const AnsiString& name) {
  items_.push_back(TParam{name, type, Variant()});
  return items_.back();
}

// ---------------------------------------------------------------------------
// Queries and stored procedures.

TQuery::TQuery(TComponent* owner) : TDBDataSet(owner) {}

TBapiHandle TQuery::CreateHandle() {
  TBapiHandle stmt = 0;
  Check(BapiQAlloc(DBHandle(), 0, stmt));
  TBapiHandle cursor = 0;
  TBapiResult rc = BapiQPrepare(stmt, sql_.Text().c_str());
  if (rc == bapiOk) rc = BapiQExec(stmt, cursor);
  BapiQFree(stmt);
  Check(rc);
  return cursor;
}

TStoredProc::TStoredProc(TComponent* owner) : TDBDataSet(owner) {}

TBapiHandle TStoredProc::CreateHandle() {
  Check(bapiNotSupported);
  return 0;
}

// Sessions, databases, table cursors with filters and BLOBs, list cursors
// (see client.h for ownership and the filter rule).
#include "dbclient/client.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "dbengine/collate.h"
#include "platform/rtl/files.h"
#include "platform/rtl/scopeexit.h"

// ---- sessions and databases ------------------------------------------------

TffClientSession::TffClientSession() : TttObject(kKind) {
  TttHandleTable::Instance().Add(this);
}

TffClientSession::~TffClientSession() {
  // Databases go first, while the session's handle is still valid for them.
  databases_.clear();
}

TFFClientDatabase* TffClientSession::AddDatabase(std::unique_ptr<TFFClientDatabase> db) {
  databases_.push_back(std::move(db));
  return databases_.back().get();
}

void TffClientSession::CloseDatabase(TFFClientDatabase* db) {
  std::erase_if(databases_, [db](const auto& p) { return p.get() == db; });
}

TFFClientDatabase::TFFClientDatabase(TffClientSession* session, AnsiString name,
                                     AnsiString directory)
    : TttObject(kKind), session_(session), name_(std::move(name)),
      directory_(std::move(directory)) {
  TttHandleTable::Instance().Add(this);
}

TFFClientDatabase::~TFFClientDatabase() {
  if (inTx_) {
    try {
      EndTransaction(false);
    } catch (const EffException&) {
      // Nothing of it reached a file.
    }
  }
  cursors_.clear();
}

void TFFClientDatabase::StartTransaction() {
  if (inTx_) RaiseFF(rcInTransaction, name_);
  inTx_ = true;
}

void TFFClientDatabase::Enlist(const std::shared_ptr<TffTable>& table) {
  if (!inTx_) return;
  if (std::find(txTables_.begin(), txTables_.end(), table) != txTables_.end()) {
    if (!table->InTransaction())
      RaiseFF(rcNoTransaction, table->Path() + ": an earlier change of the transaction failed");
    return;
  }
  table->StartTransaction();
  txTables_.push_back(table);
}

void TFFClientDatabase::EndTransaction(bool commit) {
  if (!inTx_) RaiseFF(rcNoTransaction, name_);
  inTx_ = false;
  std::vector<std::shared_ptr<TffTable>> tables = std::move(txTables_);
  txTables_.clear();
  std::vector<TffTable*> open;
  for (const auto& t : tables)
    if (t->InTransaction()) open.push_back(t.get());
  if (!commit || open.size() != tables.size()) {
    for (TffTable* t : open) t->Rollback();
    if (commit) RaiseFF(rcNoTransaction, name_ + ": a change of the transaction failed, none of it was kept");
    return;
  }
  TffTable::CommitTogether(open);
}

std::string TFFClientDatabase::TablePath(const AnsiString& tableName) const {
  // The engine works on the system's names: the one crossing is here.
  std::string file = SysFileName(tableName);
  if (std::filesystem::path(file).extension().empty()) file += ".FFD";
  std::filesystem::path dir(SysFileName(directory_));
  std::error_code ec;
  if (std::filesystem::exists(dir / file, ec)) return (dir / file).string();
  // Table names are matched without letter case, as on the original file
  // systems; the first file whose name folds equal wins.
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    std::string name = entry.path().filename().string();
    if (ffdetail::SameText(name, file)) return entry.path().string();
  }
  return (dir / file).string();
}

TFFClientTable* TFFClientDatabase::AddCursor(std::unique_ptr<TFFClientTable> cursor) {
  cursors_.push_back(std::move(cursor));
  return cursors_.back().get();
}

void TFFClientDatabase::CloseCursor(TFFClientTable* cursor) {
  std::erase_if(cursors_, [cursor](const auto& p) { return p.get() == cursor; });
}

// ---- field types ----------------------------------------------------------

TBapiFieldType BapiFieldTypeOf(int t) {
  switch (t) {
    case fftBoolean: return bapiFldBool;
    case fftChar:
    case fftShortString: return bapiFldString;
    case fftByte:
    case fftWord16: return bapiFldUInt16;
    case fftInt8:
    case fftInt16: return bapiFldInt16;
    case fftWord32: return bapiFldUInt32;
    case fftInt32: return bapiFldInt32;
    case fftAutoInc: return bapiFldAutoInc;
    case fftSingle:
    case fftDouble: return bapiFldFloat;
    case fftCurrency: return bapiFldCurrency;
    case fftDate: return bapiFldDate;
    case fftTime: return bapiFldTime;
    case fftDateTime: return bapiFldTimeStamp;
    default: return IsBlobType(t) ? bapiFldBlob : bapiFldUnknown;
  }
}

uint16_t BapiValueSize(const TffFieldDescriptor& fd) {
  switch (BapiFieldTypeOf(fd.Type)) {
    case bapiFldString: return static_cast<uint16_t>(fd.Type == fftChar ? 2 : fd.Units + 1);
    case bapiFldBool:
    case bapiFldInt16:
    case bapiFldUInt16: return 2;
    case bapiFldInt32:
    case bapiFldUInt32:
    case bapiFldAutoInc:
    case bapiFldDate:
    case bapiFldTime: return 4;
    case bapiFldFloat:
    case bapiFldCurrency:
    case bapiFldTimeStamp: return 8;
    default: return 0;
  }
}

namespace {

template <class T>
T Load(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class T>
void Store(void* dest, T v) {
  std::memcpy(dest, &v, sizeof v);
}

bool IsNull(const TffDataDictionary& d, const uint8_t* rec, int f) {
  return (rec[d.NullFlagsOffset() + f / 8] >> (f % 8)) & 1;
}

// The characters of a short string field (length byte, then characters).
std::string_view ShortString(const TffFieldDescriptor& fd, const uint8_t* rec) {
  const uint8_t* p = rec + fd.Offset;
  size_t len = std::min<size_t>(p[0], static_cast<size_t>(fd.Units));
  return {reinterpret_cast<const char*>(p + 1), len};
}

}  // namespace

// ---- table cursors ----------------------------------------------------------

TFFClientTable::TFFClientTable(TFFClientDatabase* db, std::shared_ptr<TffTable> table,
                               std::unique_ptr<TffCursor> cursor, AnsiString fileName,
                               bool readOnly, bool exclusive)
    : db_(db), table_(std::move(table)), cursor_(std::move(cursor)),
      fileName_(std::move(fileName)), readOnly_(readOnly), exclusive_(exclusive) {
  scratch_.resize(static_cast<size_t>(cursor_->RecordLength()));
  TttHandleTable::Instance().Add(this);
}

TFFClientTable::~TFFClientTable() {
  blobs_.clear();
  active_.clear();
  filters_.clear();
}

int TFFClientTable::EngineField(uint16_t fieldNo) const {
  return fieldNo >= 1 && fieldNo <= Dictionary().FieldCount() ? fieldNo - 1 : -1;
}

void TFFClientTable::FillProps(TBapiRecProps* props) const {
  if (!props) return;
  props->SeqNum = 0;
  props->RecNum = static_cast<uint32_t>(cursor_->GetBookmark().Ref);
}

bool TFFClientTable::Accepts(uint8_t* rec) { return Accepts(rec, *cursor_); }

bool TFFClientTable::Accepts(uint8_t* rec, TffCursor& at) {
  // A callback may add, switch or drop filters of this cursor (a dataset
  // switching its filter off from inside its filter event). Such changes are
  // applied after this record: dropped filters are parked until then, and a
  // filter switched off meanwhile is skipped.
  ++evaluating_;
  TScopeExit evaluated{[this] {
    if (--evaluating_ == 0) {
      dropped_.clear();
      if (rebuildPending_) FiltersChanged();
    }
  }};
  uint32_t recNum = 0;
  bool haveRecNum = false;
  for (size_t i = 0; i < active_.size(); ++i) {
    TttFilter* f = active_[i];
    if (!f->Active) continue;
    if (f->Expression && !f->Expression->Accepts(rec)) return false;
    if (f->Callback) {
      if (!haveRecNum) {
        recNum = static_cast<uint32_t>(at.GetBookmark().Ref);
        haveRecNum = true;
      }
      if (f->Callback(f->ClientData, rec, recNum) == 0) return false;
    }
  }
  return true;
}

TBapiResult TFFClientTable::SetToBegin() {
  cursor_->SetToBegin();
  return bapiOk;
}

TBapiResult TFFClientTable::SetToEnd() {
  cursor_->SetToEnd();
  return bapiOk;
}

TBapiResult TFFClientTable::GetNextRecord(uint8_t* rec, TBapiRecProps* props) {
  if (!HasActiveFilters()) {
    if (!cursor_->Next(rec)) return bapiEndOfCursor;
  } else {
    for (;;) {
      if (!cursor_->Next(scratch_.data())) return bapiEndOfCursor;
      if (Accepts(scratch_.data())) break;
    }
    if (rec) std::memcpy(rec, scratch_.data(), scratch_.size());
  }
  FillProps(props);
  return bapiOk;
}

TBapiResult TFFClientTable::GetPriorRecord(uint8_t* rec, TBapiRecProps* props) {
  if (!HasActiveFilters()) {
    if (!cursor_->Prior(rec)) return bapiBeginOfCursor;
  } else {
    for (;;) {
      if (!cursor_->Prior(scratch_.data())) return bapiBeginOfCursor;
      if (Accepts(scratch_.data())) break;
    }
    if (rec) std::memcpy(rec, scratch_.data(), scratch_.size());
  }
  FillProps(props);
  return bapiOk;
}

TBapiResult TFFClientTable::GetRecord(uint8_t* rec, TBapiRecProps* props) {
  if (!HasActiveFilters()) {
    if (!cursor_->GetRecord(rec)) return bapiNoCurrentRecord;
  } else {
    if (!cursor_->GetRecord(scratch_.data()) || !Accepts(scratch_.data()))
      return bapiNoCurrentRecord;
    if (rec) std::memcpy(rec, scratch_.data(), scratch_.size());
  }
  FillProps(props);
  return bapiOk;
}

TBapiResult TFFClientTable::GetField(uint16_t fieldNo, const uint8_t* rec, void* dest,
                                     bool& blank) {
  int f = EngineField(fieldNo);
  if (f < 0) return bapiFieldOutOfRange;
  if (!rec) return bapiInvalidParameter;
  const TffDataDictionary& d = Dictionary();
  const TffFieldDescriptor& fd = d.Field(f);
  if (IsBlobType(fd.Type)) {
    blank = IsNull(d, rec, f) || cursor_->BlobSize(rec, f) == 0;
    return bapiOk;
  }
  blank = IsNull(d, rec, f);
  if (!dest) return bapiOk;
  const uint8_t* p = rec + fd.Offset;
  if (blank) {
    // A blank field reads as zero or the empty string.
    std::memset(dest, 0, BapiValueSize(fd));
    return bapiOk;
  }
  switch (fd.Type) {
    case fftBoolean: Store<int16_t>(dest, p[0] ? 1 : 0); break;
    case fftChar: {
      char* s = static_cast<char*>(dest);
      s[0] = static_cast<char>(p[0]);
      s[1] = 0;
      break;
    }
    case fftShortString: {
      std::string_view s = ShortString(fd, rec);
      std::memcpy(dest, s.data(), s.size());
      static_cast<char*>(dest)[s.size()] = 0;
      break;
    }
    case fftByte: Store<uint16_t>(dest, p[0]); break;
    case fftWord16: Store<uint16_t>(dest, Load<uint16_t>(p)); break;
    case fftInt8: Store<int16_t>(dest, static_cast<int8_t>(p[0])); break;
    case fftInt16: Store<int16_t>(dest, Load<int16_t>(p)); break;
    case fftWord32: Store<uint32_t>(dest, Load<uint32_t>(p)); break;
    case fftInt32:
    case fftAutoInc:
    case fftDate:
    case fftTime: Store<int32_t>(dest, Load<int32_t>(p)); break;
    case fftSingle: Store<double>(dest, Load<float>(p)); break;
    case fftDouble:
    case fftCurrency:
    case fftDateTime: Store<double>(dest, Load<double>(p)); break;
    default: return bapiNotSupported;
  }
  return bapiOk;
}

TBapiResult TFFClientTable::PutField(uint16_t fieldNo, uint8_t* rec, const void* src) {
  int f = EngineField(fieldNo);
  if (f < 0) return bapiFieldOutOfRange;
  if (!rec) return bapiInvalidParameter;
  const TffDataDictionary& d = Dictionary();
  const TffFieldDescriptor& fd = d.Field(f);
  if (IsBlobType(fd.Type)) return bapiInvalidParameter;  // written through the BLOB calls
  if (!src) {
    std::memset(rec + fd.Offset, 0, static_cast<size_t>(fd.Length));
    FFSetFieldNull(d, rec, f, true);
    return bapiOk;
  }
  uint8_t raw[256] = {};
  const uint8_t* s = static_cast<const uint8_t*>(src);
  switch (fd.Type) {
    case fftBoolean: raw[0] = Load<int16_t>(s) != 0; break;
    case fftChar: raw[0] = s[0]; break;
    case fftShortString: {
      size_t len = strnlen(reinterpret_cast<const char*>(s), static_cast<size_t>(fd.Units));
      raw[0] = static_cast<uint8_t>(len);
      std::memcpy(raw + 1, s, len);
      break;
    }
    case fftByte: raw[0] = static_cast<uint8_t>(Load<uint16_t>(s)); break;
    case fftWord16: Store<uint16_t>(raw, Load<uint16_t>(s)); break;
    case fftInt8: raw[0] = static_cast<uint8_t>(static_cast<int8_t>(Load<int16_t>(s))); break;
    case fftInt16: Store<int16_t>(raw, Load<int16_t>(s)); break;
    case fftWord32: Store<uint32_t>(raw, Load<uint32_t>(s)); break;
    case fftInt32:
    case fftAutoInc:
    case fftDate:
    case fftTime: Store<int32_t>(raw, Load<int32_t>(s)); break;
    case fftSingle: Store<float>(raw, static_cast<float>(Load<double>(s))); break;
    case fftDouble:
    case fftCurrency:
    case fftDateTime: Store<double>(raw, Load<double>(s)); break;
    default: return bapiNotSupported;
  }
  FFSetFieldRaw(d, rec, f, raw);
  return bapiOk;
}

TBapiResult TFFClientTable::GetRecordCount(uint32_t& count) {
  count = table_->RecordCount();
  return bapiOk;
}

TBapiResult TFFClientTable::GetExactRecordCount(uint32_t& count) {
  if (!HasActiveFilters()) {
    count = cursor_->RecordCountInRange();
    return bapiOk;
  }
  // Filters decide record by record, on a copy of the cursor (same index and
  // range), so that the caller's position stays where it is.
  std::unique_ptr<TffCursor> c = cursor_->Clone();
  uint32_t n = 0;
  std::vector<uint8_t> rec(scratch_.size());
  c->SetToBegin();
  while (c->Next(rec.data()))
    if (Accepts(rec.data(), *c)) ++n;
  count = n;
  return bapiOk;
}

TBapiResult TFFClientTable::SetRange(uint16_t startFields, const uint8_t* startRec, bool startIncl,
                                     uint16_t endFields, const uint8_t* endRec, bool endIncl) {
  if (cursor_->IndexNo() == kPhysicalOrder) return bapiNoSuchIndex;
  cursor_->SetRange(startRec, startFields, startIncl, endRec, endFields, endIncl);
  return bapiOk;
}

TBapiResult TFFClientTable::ResetRange() {
  cursor_->ResetRange();
  return bapiOk;
}

TBapiResult TFFClientTable::GetProps(TBapiCursorProps& p) {
  const TffDataDictionary& d = Dictionary();
  p = TBapiCursorProps{};
  p.TableName = fileName_;
  p.FieldCount = static_cast<uint16_t>(d.FieldCount());
  p.RecordSize = static_cast<uint16_t>(d.RecordLength());
  p.BookmarkSize = static_cast<uint16_t>(ffBookmarkSize);
  p.IndexCount = static_cast<uint16_t>(d.IndexCount());
  p.IndexNum = static_cast<int16_t>(cursor_->IndexNo() == kPhysicalOrder ? 0 : cursor_->IndexNo() + 1);
  p.KeyFieldCount = static_cast<uint16_t>(cursor_->IndexFieldCount());
  p.ReadOnly = readOnly_;
  p.Exclusive = exclusive_;
  return bapiOk;
}

TBapiResult TFFClientTable::GetFieldDescs(std::vector<TBapiFieldDesc>& fields) {
  const TffDataDictionary& d = Dictionary();
  fields.clear();
  for (int i = 0; i < d.FieldCount(); ++i) {
    const TffFieldDescriptor& fd = d.Field(i);
    TBapiFieldDesc x;
    x.FieldNum = static_cast<uint16_t>(i + 1);
    x.Name = fd.Name;
    x.FieldType = BapiFieldTypeOf(fd.Type);
    x.EngineType = fd.Type;
    x.Units = static_cast<uint16_t>(fd.Units);
    x.Decimals = static_cast<uint16_t>(fd.Decimals);
    x.Required = fd.Required;
    x.Offset = static_cast<uint16_t>(fd.Offset);
    x.Length = static_cast<uint16_t>(fd.Length);
    x.ValueSize = BapiValueSize(fd);
    fields.push_back(std::move(x));
  }
  return bapiOk;
}

TBapiResult TFFClientTable::GetIndexDescs(std::vector<TBapiIndexDesc>& indexes) {
  const TffDataDictionary& d = Dictionary();
  indexes.clear();
  for (int i = 0; i < d.IndexCount(); ++i) {
    const TffIndexDescriptor& id = d.Index(i);
    TBapiIndexDesc x;
    x.Name = id.Name;
    x.IndexNum = static_cast<uint16_t>(i + 1);
    for (int f : id.Fields) x.KeyFields.push_back(static_cast<uint16_t>(f + 1));
    x.Unique = !id.AllowDups;
    x.Descending = !id.Ascending;
    x.CaseInsensitive = id.CaseInsensitive;
    x.KeyLength = static_cast<uint16_t>(id.KeyLength);
    indexes.push_back(std::move(x));
  }
  return bapiOk;
}

TBapiResult TFFClientTable::SwitchToIndex(const char* name) {
  if (!name || !*name)
    cursor_->SwitchToIndex(kPhysicalOrder);
  else
    cursor_->SwitchToIndex(AnsiString(name));
  return bapiOk;
}

TBapiResult TFFClientTable::GetBookMark(uint8_t* bm) {
  if (!bm) return bapiInvalidParameter;
  TffBookmark b = cursor_->GetBookmark();
  if (b.Ref == 0) return bapiNoCurrentRecord;
  std::memcpy(bm, &b, sizeof b);
  return bapiOk;
}

TBapiResult TFFClientTable::SetToBookMark(const uint8_t* bm) {
  if (!bm) return bapiInvalidParameter;
  TffBookmark b;
  std::memcpy(&b, bm, sizeof b);
  if (b.Ref == 0) return bapiInvalidBookmark;
  cursor_->GotoBookmark(b);
  return bapiOk;
}

TBapiResult TFFClientTable::CompareBookMarks(const uint8_t* a, const uint8_t* b, int16_t& result) {
  if (!a || !b) return bapiInvalidParameter;
  TffBookmark x, y;
  std::memcpy(&x, a, sizeof x);
  std::memcpy(&y, b, sizeof y);
  if (x.Ref == 0 || y.Ref == 0) return bapiInvalidBookmark;
  if (x == y) {
    result = 0;
    return bapiOk;
  }
  int index = cursor_->IndexNo();
  if (index != kPhysicalOrder) {
    // Different records may share their key in the current index; a copy of
    // the cursor compares them so that the caller's position stays untouched.
    std::unique_ptr<TffCursor> keyCursor = cursor_->Clone();
    keyCursor->ResetRange();
    keyCursor->GotoBookmark(x);
    if (!keyCursor->GetRecord(scratch_.data())) return bapiInvalidBookmark;
    keyCursor->GotoBookmark(y);
    if (keyCursor->CompareKeyWithCurrent(scratch_.data()) == 0) {
      result = 2;
      return bapiOk;
    }
  }
  int c = cursor_->CompareBookmarks(x, y);
  result = static_cast<int16_t>(c < 0 ? -1 : (c > 0 ? 1 : 2));
  return bapiOk;
}

TBapiResult TFFClientTable::SetToKey(TBapiSearchCond cond, uint16_t fields, uint16_t partial,
                                     const uint8_t* keyRec) {
  if (!keyRec) return bapiInvalidParameter;
  if (cursor_->IndexNo() == kPhysicalOrder) return bapiNoSuchIndex;
  if (cond == bapiKeyNearest) {
    if (!cursor_->FindNearest(keyRec, fields, partial)) return bapiEndOfCursor;
    if (!HasActiveFilters()) return bapiOk;
    if (cursor_->GetRecord(scratch_.data()) && Accepts(scratch_.data())) return bapiOk;
    return GetNextRecord(nullptr, nullptr);
  }
  if (cond != bapiKeyEqual) return bapiInvalidParameter;
  if (!HasActiveFilters()) return cursor_->FindKey(keyRec, fields, partial) ? bapiOk : bapiRecordNotFound;
  // With filters the first record of the key may be filtered out: walk the
  // equal keys, and go back where the cursor stood when none passes.
  TffBookmark here = cursor_->GetBookmark();
  if (cursor_->FindKey(keyRec, fields, partial)) {
    do {
      if (!cursor_->GetRecord(scratch_.data())) break;
      if (cursor_->CompareKeyWithCurrent(keyRec, fields, partial) != 0) break;
      if (Accepts(scratch_.data())) return bapiOk;
    } while (cursor_->Next(nullptr));
    if (here.Ref != 0 && cursor_->BookmarkValid(here))
      cursor_->GotoBookmark(here);
    else
      cursor_->SetToBegin();
  }
  return bapiRecordNotFound;
}

TBapiResult TFFClientTable::AddFilter(uintptr_t clientData, uint16_t priority,
                                      const uint8_t* expression, TBapiFilterCallback callback,
                                      TBapiHandle& filter) {
  filter = 0;
  std::unique_ptr<TFilterExpression> expr;
  if (expression) {
    size_t total;
    if (TBapiResult r = TFilterExpression::TotalSize(expression, total)) return r;
    // The header's total size is all the caller promises to be readable.
    if (TBapiResult r = TFilterExpression::Compile(expression, total, *this, expr)) return r;
  }
  if (!expr && !callback) return bapiInvalidParameter;
  filters_.push_back(std::make_unique<TttFilter>(this, clientData, priority, std::move(expr), callback));
  filter = TttHandleTable::Instance().Add(filters_.back().get());
  return bapiOk;
}

TttFilter* TFFClientTable::FindFilter(TBapiHandle h) const {
  TttFilter* f = TttHandleTable::Instance().FindAs<TttFilter>(h);
  return f && f->Owner == this ? f : nullptr;
}

void TFFClientTable::FiltersChanged() {
  if (evaluating_) {
    rebuildPending_ = true;
    return;
  }
  rebuildPending_ = false;
  active_.clear();
  for (const auto& f : filters_)
    if (f->Active) active_.push_back(f.get());
  std::stable_sort(active_.begin(), active_.end(),
                   [](const TttFilter* a, const TttFilter* b) { return a->Priority < b->Priority; });
}

TBapiResult TFFClientTable::DropFilter(TttFilter* f) {
  auto it = std::find_if(filters_.begin(), filters_.end(), [f](const auto& p) { return p.get() == f; });
  if (it == filters_.end()) return bapiInvalidHandle;
  std::unique_ptr<TttFilter> gone = std::move(*it);
  filters_.erase(it);
  if (evaluating_) {
    gone->Active = false;
    TttHandleTable::Instance().Remove(gone.get());
    dropped_.push_back(std::move(gone));
  }
  FiltersChanged();
  return bapiOk;
}

int TFFClientTable::FilterFieldIndex(std::string_view name) const {
  return Dictionary().FieldIndex(AnsiString(name));
}

TFilterValue TFFClientTable::FilterFieldValue(int f, const uint8_t* rec) const {
  const TffDataDictionary& d = Dictionary();
  if (IsNull(d, rec, f)) return TFilterValue::MakeBlank();
  const TffFieldDescriptor& fd = d.Field(f);
  const uint8_t* p = rec + fd.Offset;
  switch (fd.Type) {
    case fftBoolean: return TFilterValue::MakeBool(p[0] != 0);
    case fftChar: return TFilterValue::MakeString({reinterpret_cast<const char*>(p), 1});
    case fftShortString: return TFilterValue::MakeString(ShortString(fd, rec));
    case fftByte: return TFilterValue::MakeInt(p[0]);
    case fftWord16: return TFilterValue::MakeInt(Load<uint16_t>(p));
    case fftInt8: return TFilterValue::MakeInt(static_cast<int8_t>(p[0]));
    case fftInt16: return TFilterValue::MakeInt(Load<int16_t>(p));
    case fftWord32: return TFilterValue::MakeInt(Load<uint32_t>(p));
    case fftInt32:
    case fftAutoInc: return TFilterValue::MakeInt(Load<int32_t>(p));
    case fftSingle: return TFilterValue::MakeFloat(Load<float>(p));
    case fftDouble:
    case fftCurrency: return TFilterValue::MakeFloat(Load<double>(p));
    case fftDate: return TFilterValue::MakeDate(Load<int32_t>(p));
    case fftTime: return TFilterValue::MakeTime(Load<int32_t>(p));
    case fftDateTime: return TFilterValue::MakeDateTime(Load<double>(p));
    default: return TFilterValue::MakeBlank();  // BLOBs take no part in filters
  }
}

TBapiResult TFFClientTable::OpenBlob(const uint8_t* rec, uint16_t fieldNo, TBapiOpenMode mode) {
  int f = EngineField(fieldNo);
  if (f < 0) return bapiFieldOutOfRange;
  if (!rec) return bapiInvalidParameter;
  if (!IsBlobType(Dictionary().Field(f).Type)) return bapiBlobNotOpened;
  if (mode != bapiReadOnly && readOnly_) return bapiTableReadOnly;
  if (TttOpenBlob* b = FindBlob(rec, f)) {
    b->ReadOnly = mode == bapiReadOnly;
    return bapiOk;
  }
  blobs_.push_back(std::make_unique<TttOpenBlob>(rec, f, mode == bapiReadOnly));
  return bapiOk;
}

TttOpenBlob* TFFClientTable::FindBlob(const uint8_t* rec, int field) const {
  for (const auto& b : blobs_)
    if (b->Record == rec && b->Field == field) return b.get();
  return nullptr;
}

TBapiResult TFFClientTable::FreeBlob(const uint8_t* rec, uint16_t fieldNo) {
  int f = EngineField(fieldNo);
  if (f < 0) return bapiFieldOutOfRange;
  TttOpenBlob* b = FindBlob(rec, f);
  if (!b) return bapiBlobNotOpened;
  std::erase_if(blobs_, [b](const auto& p) { return p.get() == b; });
  return bapiOk;
}

// ---- list cursors ---------------------------------------------------------

TttListTable::TttListTable(std::vector<Column> columns) : columns_(std::move(columns)) {
  for (const Column& c : columns_) {
    offsets_.push_back(static_cast<uint16_t>(recordSize_));
    recordSize_ += c.Size;
  }
  TttHandleTable::Instance().Add(this);
}

void TttListTable::AddRow(const std::vector<AnsiString>& values) {
  std::vector<uint8_t> row(recordSize_, 0);
  for (size_t i = 0; i < columns_.size() && i < values.size(); ++i) {
    uint8_t* p = row.data() + offsets_[i];
    if (columns_[i].Type == bapiFldInt16) {
      Store<int16_t>(p, static_cast<int16_t>(std::atoi(values[i].c_str())));
    } else {
      size_t n = std::min<size_t>(values[i].size(), columns_[i].Size - 1u);
      std::memcpy(p, values[i].data(), n);
    }
  }
  rows_.push_back(std::move(row));
}

TBapiResult TttListTable::SetToBegin() {
  position_ = -1;
  return bapiOk;
}

TBapiResult TttListTable::GetNextRecord(uint8_t* rec, TBapiRecProps* props) {
  long n = static_cast<long>(rows_.size());
  if (position_ < n) ++position_;
  if (position_ >= n) return bapiEndOfCursor;
  return GetRecord(rec, props);
}

TBapiResult TttListTable::GetRecord(uint8_t* rec, TBapiRecProps* props) {
  if (position_ < 0 || position_ >= static_cast<long>(rows_.size())) return bapiNoCurrentRecord;
  if (rec) std::memcpy(rec, rows_[static_cast<size_t>(position_)].data(), recordSize_);
  if (props) {
    props->SeqNum = static_cast<uint32_t>(position_ + 1);
    props->RecNum = static_cast<uint32_t>(position_ + 1);
  }
  return bapiOk;
}

TBapiResult TttListTable::GetField(uint16_t fieldNo, const uint8_t* rec, void* dest, bool& blank) {
  if (fieldNo < 1 || fieldNo > columns_.size()) return bapiFieldOutOfRange;
  if (!rec) return bapiInvalidParameter;
  const Column& c = columns_[fieldNo - 1u];
  const uint8_t* p = rec + offsets_[fieldNo - 1u];
  if (c.Type == bapiFldInt16) {
    blank = false;
    if (dest) std::memcpy(dest, p, 2);
  } else {
    size_t len = strnlen(reinterpret_cast<const char*>(p), c.Size - 1u);
    blank = len == 0;
    if (dest) {
      std::memcpy(dest, p, len);
      static_cast<char*>(dest)[len] = 0;
    }
  }
  return bapiOk;
}

TBapiResult TttListTable::GetRecordCount(uint32_t& count) {
  count = static_cast<uint32_t>(rows_.size());
  return bapiOk;
}

TBapiResult TttListTable::GetProps(TBapiCursorProps& p) {
  p = TBapiCursorProps{};
  p.FieldCount = static_cast<uint16_t>(columns_.size());
  p.RecordSize = static_cast<uint16_t>(recordSize_);
  p.ReadOnly = true;
  p.ListCursor = true;
  return bapiOk;
}

TBapiResult TttListTable::GetFieldDescs(std::vector<TBapiFieldDesc>& fields) {
  fields.clear();
  for (size_t i = 0; i < columns_.size(); ++i) {
    TBapiFieldDesc x;
    x.FieldNum = static_cast<uint16_t>(i + 1);
    x.Name = columns_[i].Name;
    x.FieldType = columns_[i].Type;
    x.Units = columns_[i].Type == bapiFldString ? static_cast<uint16_t>(columns_[i].Size - 1) : 0;
    x.Offset = offsets_[i];
    x.Length = columns_[i].Size;
    x.ValueSize = columns_[i].Size;
    fields.push_back(std::move(x));
  }
  return bapiOk;
}

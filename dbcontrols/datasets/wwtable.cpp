// The table dataset, its data source, the stored-procedure dataset, the
// memo stream and the record search. See wwtable.h.
#include "dbcontrols/datasets/wwtable.h"

#include <cstring>

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/datasets/wwsearch.h"
#include "dbcontrols/filter/wwfilter.h"
#include "dbcontrols/intl/wwintl.h"
#include "dbcontrols/text/wwstr.h"
#include "dbcontrols/text/wwvalidate.h"
#include "platform/rtl/files.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

namespace {

// Read ends quietly on this code of the BLOB reader.
constexpr TBapiResult wwBlobReadCancelled = 9998;
constexpr uint32_t wwBlobPiece = 32768;

void Warn(const AnsiString& text) { MessageDlg(text, mtWarning, mbOK, 0); }

// The text a key value is compared by; false for kinds without one (a
// Null or a date), which never count as held by the current record.
bool KeyValueText(const Variant& v, AnsiString& text) {
  switch (v.VarType()) {
    case Variant::varBoolean:
    case Variant::varInteger:
    case Variant::varDouble:
    case Variant::varString: text = v.AsString(); return true;
    default: return false;
  }
}

bool IsFloatType(TFieldType t) { return t == ftFloat || t == ftCurrency || t == ftBCD; }
bool IsBlobType(TFieldType t) {
  return t == ftBlob || t == ftMemo || t == ftGraphic || t == ftFmtMemo || t == ftParadoxOle;
}

// Lets fields read a record buffer that is not in the dataset's window,
// until the returned guard ends.
[[nodiscard]] auto ViewRecord(TDataSet* ds, const uint8_t* rec) {
  const TDataSetState state = ds->SetTempState(dsFilter);
  const uint8_t* saved = ds->TempRecord();
  ds->SetTempRecord(rec);
  return TScopeExit{[ds, state, saved] {
    ds->SetTempRecord(saved);
    ds->RestoreState(state);
  }};
}

}  // namespace

// ---------------------------------------------------------------------------
// TwwTable.

void TwwTable::PublishProperties(TClassInfo& ci) {
  wwPublishFamilyProperties<TwwTable>(ci);
  PublishObject<TwwTable, TStrings>(ci, "wwFilter", &TwwTable::wwFilter, &TwwTable::SetwwFilter);
  PublishObject<TwwTable, TStrings>(ci, "Query", &TwwTable::Query, &TwwTable::SetQuery);
  PublishBool<TwwTable>(ci, "SyncSQLByRange", &TwwTable::SyncSQLByRange, &TwwTable::SetSyncSQLByRange);
  PublishBool<TwwTable>(ci, "NarrowSearch", &TwwTable::NarrowSearch, &TwwTable::SetNarrowSearch);
  PublishInteger<TwwTable>(ci, "NarrowSearchUpperChar", &TwwTable::NarrowSearchUpperChar,
                           &TwwTable::SetNarrowSearchUpperChar);
  wwPublishEventProp<TwwTable, TwwTableFilterEvent>(
      ci, "OnFilter", [](const TwwTable* t) { return t->OnFilter(); },
      [](TwwTable* t, const TwwTableFilterEvent& e) { t->SetOnFilter(e); });
}

TwwTable::TwwTable(TComponent* owner)
    : TwwFamilyDataSet<TTable>(owner),
      wwFilter_(std::make_unique<TStringList>()),
      query_(std::make_unique<TStringList>()),
      paradoxPictures_(std::make_unique<TStringList>()),
      params_(std::make_unique<TParams>()) {}

TwwTable::~TwwTable() {
  Destroying();
  if (Active()) Close();
}

bool TwwTable::IsSQLBased() const { return Database() && Database()->IsSQLBased(); }

void TwwTable::SetTableName(const AnsiString& v) {
  TTable::SetTableName(v);
  if (!v.empty()) query_->Clear();
}

// ---- filters -------------------------------------------------------------

AnsiString TwwTable::CombineFilterText() const {
  AnsiString text;
  for (int i = 0; i < wwFilter_->Count(); ++i) {
    AnsiString line = TrimRight(wwFilter_->Get(i));
    if (Trim(line).empty()) continue;
    if (text.empty())
      text = wwFilter_->Get(i);
    else
      text += " AND (" + line + ")";
  }
  return text;
}

bool TwwTable::InstallFilters() {
  const AnsiString text = CombineFilterText();
  bool ok = true;
  if (!text.empty() || onFilter_) {
    try {
      ok = SetTableFilterText(text, this, filterHandle_, openingFilter_);
    } catch (const EConvertError&) {
      ok = false;
    }
    if (!ok) Warn("Fail to set filter");
    if (onFilter_) SetFilterCallback(&RecordFilterCallback, this, callbackFilterHandle_);
  }
  return ok;
}

void TwwTable::SetwwFilter(TStrings* v) {
  wwFilter_->Assign(v);
  if (!Active()) return;
  bool ok = false;
  try {
    ok = SetTableFilterText(CombineFilterText(), this, filterHandle_, false);
  } catch (const EConvertError&) {
    ok = false;
  }
  if (!ok) Warn("Fail to set filter");
}

void TwwTable::SetOnFilter(const TwwTableFilterEvent& v) {
  onFilter_ = v;
  if (Active()) SetFilterCallback(v ? &RecordFilterCallback : nullptr, this, callbackFilterHandle_);
}

// ---- open and close ------------------------------------------------------

TBapiHandle TwwTable::CreateHandle() {
  if (query_->Count() == 0) return TTable::CreateHandle();
  // The table is the answer of the query text.
  TTable::SetTableName(AnsiString());
  SetIndexFieldNames(AnsiString());
  SetMasterSource(nullptr);
  SetMasterFields(AnsiString());
  TBapiHandle stmt = 0;
  Check(BapiQAlloc(DBHandle(), queryLanguage_ == "QBE" ? wwQueryLanguageQBE : wwQueryLanguageSQL, stmt));
  TBapiHandle cursor = 0;
  TBapiResult rc = BapiQPrepare(stmt, wwListToText(query_.get(), false).c_str());
  if (rc == bapiOk) rc = BapiQExec(stmt, cursor);
  BapiQFree(stmt);
  Check(rc);
  return cursor;
}

void TwwTable::OpenCursor(bool infoQuery) {
  if (query_->Count() > 0) {
    int pos = 1;
    AnsiString first = LowerCase(wwStrGetToken(TrimLeft(query_->Get(0)), " ", pos));
    queryLanguage_ = first == "query" ? "QBE" : "SQL";
  }
  TTable::OpenCursor(infoQuery);
  paradoxActive_ = Handle() != 0 && IsParadoxTable();
}

void TwwTable::CloseCursor() {
  FreeLookupTables();
  TTable::CloseCursor();
  filterHandle_ = 0;
  callbackFilterHandle_ = 0;
  paradoxActive_ = false;
  if (query_->Count() > 0) TTable::SetTableName(AnsiString());
}

void TwwTable::InternalInitFieldDefs() {
  if (query_->Count() == 0 || Handle() != 0) {
    TTable::InternalInitFieldDefs();
    return;
  }
  OpenCursor(true);
  // Closing a cursor may raise: it stays out of a destructor.
  try {
    TTable::InternalInitFieldDefs();
  } catch (...) {
    CloseCursor();
    throw;
  }
  CloseCursor();
}

void TwwTable::DoAfterOpen() {
  TTable::DoAfterOpen();
  openingFilter_ = true;
  TScopeExit opened{[this] { openingFilter_ = false; }};
  InstallFilters();
}

void TwwTable::DoOnCalcFields() {
  PrepareLookupFields();
  TTable::DoOnCalcFields();
}

// ---- searching -----------------------------------------------------------

bool TwwTable::CurrentRecordHolds(const std::vector<Variant>& values) {
  if (!Active() || State() != dsBrowse || IsEmpty()) return false;
  const TIndexDef* idx = CurrentIndexDef();
  const bool caseless = idx && (idx->Options & ixCaseInsensitive);
  for (size_t i = 0; i < values.size(); ++i) {
    TField* f = IndexFields(static_cast<int>(i));
    AnsiString want;
    if (!KeyValueText(values[i], want) || f->IsNull()) return false;
    const AnsiString have = f->AsString();
    // Binary keys held in text fields (packed dates) compare exactly; only
    // a text key of a case-insensitive index ignores letter case.
    const bool same = f->DataType() == ftString && caseless ? AnsiUpperCase(have) == AnsiUpperCase(want)
                                                            : have == want;
    if (!same) return false;
  }
  return true;
}

bool TwwTable::FindKey(const std::vector<Variant>& values) {
  if (IndexFieldCount() == 0) return false;
  if (static_cast<int>(values.size()) > IndexFieldCount()) {
    Warn("Table " + Name() + ": FindKey has too many lookup values for index " + IndexName());
    return false;
  }
  TwwSearchScope scope(this);
  if (!IsSQLBased() || !syncSQLByRange_) {
    if (narrowSearch_) TTable::CancelRange();
    if (CurrentRecordHolds(values)) return true;
    return TTable::FindKey(values);
  }
  // A server positions by a range rather than by a key search.
  if (CurrentRecordHolds(values) && !(Bof() && Eof()) && (!RangeActive() || searchInProgress_)) return true;
  AnsiString first;
  if (values.empty() || !KeyValueText(values[0], first) || first.empty()) {
    if (!searchInProgress_) TTable::CancelRange();
    return false;
  }
  if (searchInProgress_)
    SetRange(values, values);
  else
    SetRange(values, {});
  return CurrentRecordHolds(values);
}

void TwwTable::FindNearest(const std::vector<Variant>& values) {
  TwwSearchScope scope(this);
  if (IsSQLBased()) {
    SetRange(values, {});
    return;
  }
  TTable::FindNearest(values);
}

void TwwTable::CancelRange() { wwSyncFieldsWithSelected(this); }

bool TwwTable::LocateRecord(const AnsiString& value, const AnsiString& fieldNames, uint8_t matchType,
                            bool caseSensitive) {
  TwwSearchScope scope(this);
  return wwLocateRecord(this, value, fieldNames, matchType, caseSensitive);
}

bool TwwTable::PartialKeySearch(const AnsiString& text, int fieldPosition) {
  TwwSearchScope scope(this);
  return wwTableIncrementalSearch(this, text, fieldPosition);
}

void wwSyncFieldsWithSelected(TwwTable* table) {
  if (table->IsSQLBased() && wwGlobalIntl()->SyncFieldsOnCancelRange()) {
    TStringList selected;
    wwBuildSelectedFromFields(table, &selected);
    table->Close();
    table->Open();
    wwApplySelectedToFields(table, &selected);
    return;
  }
  table->TTable::CancelRange();
}

// ---- indexes ---------------------------------------------------------------

void TwwTable::EnsureIndexDefs() {
  if (TableName().empty() && Handle() == 0) return;
  TIndexDefs& defs = IndexDefs();
  if (defs.Count() == 0 || (defs.Count() >= 2 && SameText(defs.Items(0).Name, Name() + "Index0"))) defs.Update();
}

const TIndexDef* TwwTable::CurrentIndexDef() {
  EnsureIndexDefs();
  TIndexDefs& defs = IndexDefs();
  if (!IndexName().empty()) {
    int i = defs.IndexOf(IndexName());
    return i < 0 ? nullptr : &defs.Items(i);
  }
  if (!IndexFieldNames().empty()) return defs.FindIndexForFields(IndexFieldNames());
  return nullptr;
}

std::vector<AnsiString> TwwTable::CurrentIndexFieldNames() {
  const TIndexDef* d = CurrentIndexDef();
  return d ? wwFieldNameList(d->Fields) : std::vector<AnsiString>();
}

AnsiString TwwTable::FindIndexForField(const AnsiString& fields) {
  EnsureIndexDefs();
  const AnsiString want = UpperCase(fields);
  TIndexDefs& defs = IndexDefs();
  // Exact field lists before longer ones, case-insensitive indexes first.
  for (int pass = 0; pass < 4; ++pass) {
    const bool prefix = pass >= 2;
    const bool caseless = pass % 2 == 0;
    for (int i = 0; i < defs.Count(); ++i) {
      const TIndexDef& d = defs.Items(i);
      if (((d.Options & ixCaseInsensitive) != 0) != caseless) continue;
      const AnsiString have = UpperCase(d.Fields);
      const bool hit = prefix ? have.size() > want.size() && have.compare(0, want.size(), want) == 0 &&
                                    have[want.size()] == ';'
                              : have == want;
      if (hit) return d.Name;
    }
  }
  return "?";
}

bool TwwTable::SwitchToFieldIndex(const AnsiString& fieldName) {
  if (fieldName.empty() || query_->Count() > 0) return false;
  EnsureIndexDefs();
  TwwSearchScope scope(this);
  AnsiString wanted = fieldName;
  if (MasterSource() && !lookupSetupActive_) {
    int pos = 1;
    const AnsiString field = Trim(wwStrGetToken(fieldName, ";", pos));
    const size_t k = wwFieldNameList(MasterFields()).size();
    const std::vector<AnsiString> current = CurrentIndexFieldNames();
    wanted.clear();
    for (size_t i = 0; i < k && i < current.size(); ++i) wanted += current[i] + ";";
    wanted += field;
  }
  const AnsiString found = FindIndexForField(wanted);
  if (found == "?") return false;
  AnsiString current = IndexName();
  if (!IndexFieldNames().empty()) current = FindIndexForField(IndexFieldNames());
  if (UpperCase(found) != UpperCase(current)) {
    // A detail table applies its master's range anew on the other index.
    if (MasterSource()) ClearCurrentRange();
    const int i = IndexDefs().IndexOf(found);
    wwSetIndexKeepingRecord(this, i >= 0 ? IndexDefs().Items(i).Name : found);
  }
  return true;
}

bool TwwTable::SwitchToSelectedIndex(TStrings* selected) {
  if (!selected || selected->Count() == 0) return false;
  int pos = 1;
  return SwitchToFieldIndex(wwStrGetToken(selected->Get(0), "\t", pos));
}

// ---- table kinds and pictures ----------------------------------------------

bool TwwTable::IsParadoxTable() const {
  if (TableType() == ttParadox) return true;
  if (TableType() != ttDefault) return false;
  const AnsiString name = LowerCase(TableName());
  return name.find(".db") != AnsiString::npos && !name.empty() && name.back() == 'b';
}

bool TwwTable::IsDBaseTable() const {
  return TableType() == ttDBase || SameText(ExtractFileExt(TableName()), ".DBF");
}

void TwwTable::ReadTablePictures() {
  picturesPending_ = false;
  paradoxPictures_->Clear();
  if (TableName().empty() && Handle() == 0) return;
  const bool wasOpen = Handle() != 0;
  if (!wasOpen) OpenCursor(true);
  // Closing the table's own cursor may raise: it stays out of a destructor.
  try {
    TBapiHandle list = 0;
    TScopeExit closeList{[&list] {
      if (list) BapiCloseCursor(list);
    }};
    std::vector<TBapiFieldDesc> fields;
    Check(BapiGetFieldDescs(Handle(), fields));
    Check(BapiOpenVchkList(DBHandle(), TableName().c_str(), "PARADOX", list));
    TBapiCursorProps props;
    Check(BapiGetCursorProps(list, props));
    std::vector<uint8_t> rec(props.RecordSize);
    while (BapiGetNextRecord(list, bapiNoLock, rec.data(), nullptr) == bapiOk) {
      int16_t fieldNo = 0;
      bool blank = true;
      std::vector<char> picture(512, '\0');
      if (BapiGetField(list, 1, rec.data(), &fieldNo, blank) != bapiOk || blank) continue;
      if (BapiGetField(list, 2, rec.data(), picture.data(), blank) != bapiOk) continue;
      for (const TBapiFieldDesc& f : fields)
        if (f.FieldNum == fieldNo) paradoxPictures_->Add(f.Name + "\t" + AnsiString(picture.data()));
    }
  } catch (...) {
    if (!wasOpen) CloseCursor();
    throw;
  }
  if (!wasOpen) CloseCursor();
}

AnsiString TwwTable::TablePicture(const AnsiString& fieldName) {
  if (picturesPending_) ReadTablePictures();
  for (int i = 0; i < paradoxPictures_->Count(); ++i) {
    const AnsiString entry = paradoxPictures_->Get(i);
    const size_t tab = entry.find('\t');
    if (tab != AnsiString::npos && SameText(entry.substr(0, tab), fieldName)) return entry.substr(tab + 1);
  }
  return AnsiString();
}

// ---------------------------------------------------------------------------
// TwwStoredProc.

void TwwStoredProc::PublishProperties(TClassInfo& ci) {
  wwPublishFamilyProperties<TwwStoredProc>(ci);
  wwPublishEventProp<TwwStoredProc, TwwStoredProcFilterEvent>(
      ci, "OnFilter", [](const TwwStoredProc* p) { return p->OnFilter(); },
      [](TwwStoredProc* p, const TwwStoredProcFilterEvent& e) { p->SetOnFilter(e); });
}

TwwStoredProc::TwwStoredProc(TComponent* owner) : TwwFamilyDataSet<TStoredProc>(owner) {}

TwwStoredProc::~TwwStoredProc() {
  Destroying();
  if (Active()) Close();
}

void TwwStoredProc::SetOnFilter(const TwwStoredProcFilterEvent& v) {
  onFilter_ = v;
  InstallRecordFilter(callbackFilterHandle_);
}

void TwwStoredProc::InternalOpen() {
  // The entries are checked against the fields once the fields exist.
  TStoredProc::InternalOpen();
  PrepareLookupFields();
}

void TwwStoredProc::DoAfterOpen() {
  TStoredProc::DoAfterOpen();
  if (onFilter_) InstallRecordFilter(callbackFilterHandle_);
}

void TwwStoredProc::CloseCursor() {
  FreeLookupTables();
  TStoredProc::CloseCursor();
  callbackFilterHandle_ = 0;
}

// ---------------------------------------------------------------------------
// TwwMemoStream.

TwwMemoStream::TwwMemoStream(TField* field, bool keepPosition) : field_(field), dataSet_(field->DataSet()) {
  if (!dataSet_ || !dataSet_->Active() || field->FieldNo() <= 0 || !dataSet_->ActiveBuffer()) return;
  fieldNo_ = static_cast<uint16_t>(field->FieldNo());
  const uint8_t* active = dataSet_->ActiveBuffer();
  record_.assign(active, active + dataSet_->RecordSize());
  const TDataSetState s = dataSet_->State();
  if (!keepPosition && s == dsEdit) {
    // The stored record, not the one being edited.
    dataSet_->UpdateCursorPos();
    if (BapiGetRecord(dataSet_->Handle(), bapiNoLock, record_.data(), nullptr) != bapiOk) return;
  } else if (!keepPosition && s == dsInsert) {
    return;  // a new record has nothing stored yet
  } else if (dataSet_->IsEmpty() && s != dsInsert) {
    return;
  }
  OpenBlob();
}

TwwMemoStream::TwwMemoStream(TDataSet* dataSet, TField* field, const uint8_t* record)
    : field_(field), dataSet_(dataSet) {
  if (!dataSet_ || !dataSet_->Active() || !record || field->FieldNo() <= 0) return;
  fieldNo_ = static_cast<uint16_t>(field->FieldNo());
  record_.assign(record, record + dataSet_->RecordSize());
  OpenBlob();
}

void TwwMemoStream::OpenBlob() {
  opened_ = BapiOpenBlob(dataSet_->Handle(), record_.data(), fieldNo_, bapiReadOnly) == bapiOk;
}

TwwMemoStream::~TwwMemoStream() {
  if (opened_ && dataSet_->Handle()) BapiFreeBlob(dataSet_->Handle(), record_.data(), fieldNo_);
}

int TwwMemoStream::Read(void* buffer, int count) {
  if (!opened_ || count <= 0) return 0;
  auto* out = static_cast<uint8_t*>(buffer);
  int total = 0;
  while (total < count) {
    const uint32_t want = std::min<uint32_t>(static_cast<uint32_t>(count - total), wwBlobPiece);
    uint32_t got = 0;
    const TBapiResult rc = BapiGetBlob(dataSet_->Handle(), record_.data(), fieldNo_,
                                       static_cast<uint32_t>(position_), want, out + total, got);
    if (rc == wwBlobReadCancelled) break;
    if (rc != bapiOk && rc != bapiEndOfBlob) dataSet_->Check(rc);
    // The engine's character set is the program's: memo text needs no
    // conversion.
    position_ += static_cast<int32_t>(got);
    total += static_cast<int>(got);
    if (rc != bapiOk || got == 0) break;
  }
  return total;
}

int TwwMemoStream::Write(const void*, int) { return 0; }

int64_t TwwMemoStream::Size() const {
  if (!opened_) return 0;
  uint32_t size = 0;
  dataSet_->Check(BapiGetBlobSize(dataSet_->Handle(), record_.data(), fieldNo_, size));
  return size;
}

int64_t TwwMemoStream::Seek(int64_t offset, int origin) {
  switch (origin) {
    case soFromBeginning: position_ = static_cast<int32_t>(offset); break;
    case soFromCurrent: position_ = static_cast<int32_t>(position_ + offset); break;
    case soFromEnd: position_ = static_cast<int32_t>(Size() + offset); break;
    default: throw EStreamError("Invalid stream operation");
  }
  return position_;
}

// ---------------------------------------------------------------------------
// Record search.

std::vector<AnsiString> wwFieldNameList(const AnsiString& names) {
  std::vector<AnsiString> out;
  int pos = 1;
  while (pos > 0 && pos <= static_cast<int>(names.size())) {
    AnsiString n = Trim(wwStrGetToken(names, ";", pos));
    if (!n.empty()) out.push_back(n);
  }
  return out;
}

std::vector<AnsiString> wwFieldValueList(const AnsiString& value, size_t count) {
  std::vector<AnsiString> out;
  if (count <= 1) {
    out.push_back(value);
    return out;
  }
  size_t start = 0;
  for (size_t i = 0; i < count; ++i) {
    if (i + 1 == count || start > value.size()) {
      out.push_back(start <= value.size() ? value.substr(start) : AnsiString());
      start = value.size() + 1;
      continue;
    }
    size_t p = value.find(';', start);
    if (p == AnsiString::npos) {
      out.push_back(value.substr(start));
      start = value.size() + 1;
    } else {
      out.push_back(value.substr(start, p - start));
      start = p + 1;
    }
  }
  return out;
}


bool wwMatchText(const AnsiString& fieldText, const AnsiString& value, uint8_t matchType) {
  switch (matchType) {
    case wwmtExact: return fieldText == value;
    case wwmtStart: return !value.empty() && fieldText.compare(0, value.size(), value) == 0;
    case wwmtAnywhere: return !value.empty() && fieldText.find(value) != AnsiString::npos;
    default: return false;
  }
}

bool wwMatchMemo(TDataSet* dataSet, TField* field, const AnsiString& value, uint8_t matchType,
                 bool caseSensitive) {
  std::unique_ptr<TStream> s;
  try {
    s.reset(dataSet->CreateBlobStream(field, bmRead));
  } catch (const EDatabaseError&) {
    Warn("Fail to create blob");
    return false;
  }
  AnsiString text(static_cast<size_t>(s->Size()), '\0');
  text.resize(static_cast<size_t>(s->Read(text.data(), static_cast<int>(text.size()))));
  return wwMatchText(caseSensitive ? text : AnsiUpperCase(text), value, matchType);
}

AnsiString wwRecordFieldText(TField* field, const uint8_t* record) {
  auto view = ViewRecord(field->DataSet(), record);
  return field->AsString();
}

namespace {

struct TSearchField {
  TField* Field;
  AnsiString Value;  // folded unless case-sensitive
};

// The current record of the view (or of the dataset) against every field.
bool RecordMatches(const std::vector<TSearchField>& fields, uint8_t matchType, bool caseSensitive) {
  for (const TSearchField& s : fields) {
    TField* f = s.Field;
    if (IsFloatType(f->DataType()) && matchType == wwmtExact && !s.Value.empty()) {
      double want = 0;
      if (!wwIsValidFloat(s.Value) || !TryStrToFloat(s.Value, want) || f->IsNull() || f->AsFloat() != want)
        return false;
      continue;
    }
    const AnsiString text = f->AsString();
    if (!wwMatchText(caseSensitive ? text : AnsiUpperCase(text), s.Value, matchType)) return false;
  }
  return true;
}

// Key positioning for one field that leads the current index; answers
// whether it decided the search (`found` then holds the result).
bool TryKeySearch(TwwTable* table, TField* f, const AnsiString& value, uint8_t matchType, bool caseSensitive,
                  bool& found) {
  if (table->Query()->Count() > 0 || IsBlobType(f->DataType()) || table->IndexFieldCount() == 0 ||
      table->IndexFields(0) != f)
    return false;
  const TIndexDef* idx = table->CurrentIndexDef();
  const bool caseless = idx && (idx->Options & ixCaseInsensitive);
  const bool caseFits = f->DataType() != ftString || caseless == !caseSensitive;
  if (matchType == wwmtExact && f->DataType() != ftBoolean && caseFits && !value.empty()) {
    found = wwIsValidFieldText(f, value) && table->FindKey({Variant(value)});
    return true;
  }
  // A prefix is found by the nearest key only in ascending order.
  if (matchType == wwmtStart && f->DataType() == ftString && caseFits && !value.empty() &&
      !table->IndexDescending()) {
    TBookmark here = table->GetBookmark();
    table->TTable::FindNearest({Variant(value)});
    const AnsiString text = table->IsEmpty() || table->Eof() ? AnsiString() : f->AsString();
    found = wwMatchText(caseSensitive ? text : AnsiUpperCase(text), caseSensitive ? value : AnsiUpperCase(value),
                        wwmtStart);
    if (!found && here) table->GotoBookmark(here);
    table->FreeBookmark(here);
    return true;
  }
  return false;
}

}  // namespace

bool wwFindRecord(bool fromStart, TDataSet* dataSet, const AnsiString& fieldNames, const AnsiString& value,
                  uint8_t matchType, bool caseSensitive) {
  dataSet->CheckBrowseMode();
  const std::vector<AnsiString> names = wwFieldNameList(fieldNames);
  if (names.empty()) return false;
  const std::vector<AnsiString> values = wwFieldValueList(value, names.size());
  std::vector<TSearchField> fields;
  // BLOB texts and calculated values are read through the dataset's own
  // records; the other fields straight from the call level.
  bool moveDataSet = false;
  for (size_t i = 0; i < names.size(); ++i) {
    TField* f = dataSet->FindField(names[i]);
    if (!f) {
      Warn("Field " + names[i] + " not found.");
      return false;
    }
    moveDataSet |= IsBlobType(f->DataType()) || f->FieldKind() != fkData;
    fields.push_back({f, caseSensitive ? values[i] : AnsiUpperCase(values[i])});
  }
  if (auto* table = dynamic_cast<TwwTable*>(dataSet); table && fields.size() == 1) {
    bool found = false;
    if (TryKeySearch(table, fields[0].Field, values[0], matchType, caseSensitive, found)) return found;
  }

  TBookmark here = dataSet->GetBookmark();
  TwwHourGlass hourGlass;
  TScopeExit freeHere{[dataSet, here] { dataSet->FreeBookmark(here); }};
  bool found = false;
  auto* lists = dynamic_cast<TwwDataSetLists*>(dataSet);
  if (moveDataSet) {
    auto test = [&] {
      for (const TSearchField& s : fields) {
        const bool hit = IsBlobType(s.Field->DataType())
                             ? wwMatchMemo(dataSet, s.Field, s.Value, matchType, caseSensitive)
                             : RecordMatches({s}, matchType, caseSensitive);
        if (!hit) return false;
      }
      return true;
    };
    dataSet->DisableControls();
    // EnableControls tells the controls, whose handlers may raise: it stays
    // out of a destructor.
    try {
      if (fromStart) {
        dataSet->First();
        found = !dataSet->Eof() && !dataSet->IsEmpty() && test();
      }
      while (!found && !dataSet->Eof() && dataSet->MoveBy(1) == 1) found = test();
    } catch (...) {
      dataSet->EnableControls();
      throw;
    }
    dataSet->EnableControls();
    if (!found && here) dataSet->GotoBookmark(here);
  } else {
    // Other fields are read ahead through the call level into a buffer of
    // the search's own; the dataset moves only on a hit.
    dataSet->UpdateCursorPos();
    const TBapiHandle cursor = dataSet->Handle();
    std::vector<uint8_t> rec(static_cast<size_t>(dataSet->RecordSize()));
    if (fromStart) dataSet->Check(BapiSetToBegin(cursor));
    TBapiResult rc;
    while ((rc = BapiGetNextRecord(cursor, bapiNoLock, rec.data(), nullptr)) == bapiOk) {
      auto view = ViewRecord(dataSet, rec.data());
      if (RecordMatches(fields, matchType, caseSensitive)) {
        found = true;
        break;
      }
    }
    dataSet->CursorPosChanged();
    if (lists) lists->RaisePendingFilterError();
    if (rc != bapiOk && rc != bapiEndOfCursor) dataSet->Check(rc);
    if (found) {
      dataSet->DoBeforeScroll();
      dataSet->Resync(rmExact | rmCenter);
      dataSet->DoAfterScroll();
    }
  }
  return found;
}

// The dataset: construction, states, opening and closing, its fields, and
// the notifications of its controls. Navigation and editing have files of
// their own (navigation.cpp, editing.cpp). See db.h for the window's
// invariants.
#include <algorithm>

#include "platform/db/db.h"
#include "platform/rtl/sysutils.h"

// ---------------------------------------------------------------------------
// Field types of the engine.

namespace {

TFieldType FieldTypeOfEngine(int t) {
  switch (t) {
    case fftBoolean: return ftBoolean;
    case fftChar:
    case fftShortString: return ftString;
    case fftByte:
    case fftWord16: return ftWord;
    case fftInt8:
    case fftInt16: return ftSmallint;
    case fftInt32:
    case fftWord32: return ftInteger;
    case fftAutoInc: return ftAutoInc;
    case fftSingle:
    case fftDouble: return ftFloat;
    case fftCurrency: return ftCurrency;
    case fftDate: return ftDate;
    case fftTime: return ftTime;
    case fftDateTime: return ftDateTime;
    case fftBlob: return ftBlob;
    case fftBlobMemo: return ftMemo;
    case fftBlobFmtMemo: return ftFmtMemo;
    case fftBlobGraphic: return ftGraphic;
    case fftBlobOle: return ftParadoxOle;
    default: return ftUnknown;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction and published properties.

void TDataSet::PublishProperties(TClassInfo& ci) {
  PublishBool<TDataSet>(ci, "Active", &TDataSet::Active, &TDataSet::SetActive);
  PublishEvent<TDataSet>(ci, "BeforeOpen", &TDataSet::BeforeOpen);
  PublishEvent<TDataSet>(ci, "AfterOpen", &TDataSet::AfterOpen);
  PublishEvent<TDataSet>(ci, "BeforeClose", &TDataSet::BeforeClose);
  PublishEvent<TDataSet>(ci, "AfterClose", &TDataSet::AfterClose);
  PublishEvent<TDataSet>(ci, "BeforeInsert", &TDataSet::BeforeInsert);
  PublishEvent<TDataSet>(ci, "AfterInsert", &TDataSet::AfterInsert);
  PublishEvent<TDataSet>(ci, "BeforeEdit", &TDataSet::BeforeEdit);
  PublishEvent<TDataSet>(ci, "AfterEdit", &TDataSet::AfterEdit);
  PublishEvent<TDataSet>(ci, "BeforePost", &TDataSet::BeforePost);
  PublishEvent<TDataSet>(ci, "AfterPost", &TDataSet::AfterPost);
  PublishEvent<TDataSet>(ci, "BeforeCancel", &TDataSet::BeforeCancel);
  PublishEvent<TDataSet>(ci, "AfterCancel", &TDataSet::AfterCancel);
  PublishEvent<TDataSet>(ci, "BeforeDelete", &TDataSet::BeforeDelete);
  PublishEvent<TDataSet>(ci, "AfterDelete", &TDataSet::AfterDelete);
  PublishEvent<TDataSet>(ci, "BeforeScroll", &TDataSet::BeforeScroll);
  PublishEvent<TDataSet>(ci, "AfterScroll", &TDataSet::AfterScroll);
  PublishEvent<TDataSet>(ci, "OnNewRecord", &TDataSet::OnNewRecord);
  PublishEvent<TDataSet>(ci, "OnCalcFields", &TDataSet::OnCalcFields);
  PublishEvent<TDataSet>(ci, "OnPostError", &TDataSet::OnPostError);
  PublishEvent<TDataSet>(ci, "OnDeleteError", &TDataSet::OnDeleteError);
  PublishEvent<TDataSet>(ci, "OnEditError", &TDataSet::OnEditError);
}

TDataSet::TDataSet(TComponent* owner) : TComponent(owner), fieldDefs_(this), indexDefs_(this) {}

TDataSet::~TDataSet() {
  Destroying();
  // Closing without events: the component is going.
  if (Active()) {
    state_ = dsInactive;
    try {
      CloseCursor();
    } catch (...) {
    }
  }
  while (!dataSources_.empty()) dataSources_.back()->SetDataSet(nullptr);
  std::vector<TField*> all = fields_;
  fields_.clear();
  for (TField* f : all) {
    f->DetachDataSet();
    if (f->Owner() && f->Owner() != this) continue;  // the form frees it
    delete f;
  }
}

// ---------------------------------------------------------------------------
// State and checks.

void TDataSet::SetState(TDataSetState s) {
  if (state_ == s) return;
  state_ = s;
  modified_ = false;
  DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState s) {
  TDataSetState old = state_;
  state_ = s;
  ++disableCount_;
  return old;
}

void TDataSet::RestoreState(TDataSetState s) {
  state_ = s;
  --disableCount_;
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const {
  if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::SetReadOnly(bool v) {
  CheckInactive();
  readOnly_ = v;
}

// ---------------------------------------------------------------------------
// Opening and closing.

void TDataSet::SetActive(bool v) {
  if (v == Active()) return;
  if (v) {
    Fire(BeforeOpen);
    try {
      OpenCursor(false);
    } catch (...) {
      try {
        CloseCursor();
      } catch (...) {
      }
      throw;
    }
    SetState(dsBrowse);
    DoAfterOpen();
  } else {
    if (!HasState(csDestroying)) Fire(BeforeClose);
    SetState(dsInactive);
    CloseCursor();
    if (!HasState(csDestroying)) Fire(AfterClose);
  }
}

TBapiHandle TDataSet::CreateHandle() {
  DatabaseError("Dataset '" + Name() + "' has no cursor");
}

void TDataSet::DestroyHandle() {
  if (handle_) BapiCloseCursor(handle_);
  handle_ = 0;
}

void TDataSet::OpenCursor(bool infoQuery) {
  if (!handle_) handle_ = CreateHandle();
  if (!handle_) DatabaseError("Cannot open dataset '" + Name() + "'");
  if (infoQuery) return;
  // Without declared data fields every field of the table gets a default
  // field, in front of the declared calculated and lookup fields.
  defaultFields_ = std::none_of(fields_.begin(), fields_.end(),
                                [](TField* f) { return f->FieldKind() == fkData; });
  InternalOpen();
  ClearBuffers();
  // A dataset that is only read opens also when its first record lies in a
  // damaged block: it stands before its first record, and the move that
  // reads that record says so; the records around it stay within reach by
  // key. One that is written must not look empty.
  try {
    UpdateBufferCount();
  } catch (const EDBEngineError& e) {
    if (!readOnly_ || e.ErrorCode() != rcFileDamaged) throw;
    ClearBuffers();
    CursorPosChanged();
  }
  bof_ = true;
}

void TDataSet::CloseCursor() {
  InternalClose();
  DestroyHandle();
}

void TDataSet::InternalInitFieldDefs() {
  std::vector<TBapiFieldDesc> descs;
  Check(BapiGetFieldDescs(handle_, descs));
  fieldDefs_.Clear();
  for (const TBapiFieldDesc& x : descs) {
    TFieldDef d;
    d.Name = x.Name;
    d.DataType = FieldTypeOfEngine(x.EngineType);
    d.Size = x.EngineType == fftChar ? 1 : x.Units;
    d.Precision = x.Decimals;
    d.Required = x.Required;
    d.FieldNo = x.FieldNum;
    d.EngineType = x.EngineType;
    d.BapiType = x.FieldType;
    fieldDefs_.Add(std::move(d));
  }
}

void TDataSet::InternalOpen() {
  TBapiCursorProps props;
  Check(BapiGetCursorProps(handle_, props));
  recordSize_ = props.RecordSize;
  bookmarkSize_ = props.BookmarkSize;
  InternalInitFieldDefs();
  if (defaultFields_) CreateFields();
  BindFields(true);
}

void TDataSet::InternalClose() {
  if (handle_ && !buffers_.empty() && (state_ == dsEdit || state_ == dsInsert)) {
    BapiDiscardBlobs(handle_, ActiveBuffer());
  }
  BindFields(false);
  if (defaultFields_) DestroyDefaultFields();
  buffers_.clear();
  bufferCount_ = 0;
  recordCount_ = 0;
  activeRecord_ = 0;
  currentRecord_ = -1;
  bof_ = eof_ = true;
}

void TDataSet::DoAfterOpen() { Fire(AfterOpen); }

// ---------------------------------------------------------------------------
// Fields.

namespace {

TField* NewFieldOfType(TFieldType t) {
  switch (t) {
    case ftString: return new TStringField(nullptr);
    case ftSmallint: return new TSmallintField(nullptr);
    case ftInteger: return new TIntegerField(nullptr);
    case ftWord: return new TWordField(nullptr);
    case ftAutoInc: return new TAutoIncField(nullptr);
    case ftBoolean: return new TBooleanField(nullptr);
    case ftFloat: return new TFloatField(nullptr);
    case ftCurrency: return new TCurrencyField(nullptr);
    case ftBCD: return new TBCDField(nullptr);
    case ftDate: return new TDateField(nullptr);
    case ftTime: return new TTimeField(nullptr);
    case ftDateTime: return new TDateTimeField(nullptr);
    case ftMemo:
    case ftFmtMemo: return new TMemoField(nullptr);
    case ftGraphic: return new TGraphicField(nullptr);
    case ftBlob:
    case ftParadoxOle: return new TBlobField(nullptr);
    default: return nullptr;
  }
}

}  // namespace

void TDataSet::CreateFields() {
  std::vector<TField*> declared = fields_;
  fields_.clear();
  for (int i = 0; i < fieldDefs_.Count(); ++i) {
    const TFieldDef& d = fieldDefs_.Items(i);
    TField* f = NewFieldOfType(d.DataType);
    if (!f) continue;
    if (auto* b = dynamic_cast<TBlobField*>(f)) b->SetBlobType(d.DataType);
    f->SetFieldName(d.Name);
    f->SetDefaultField(true);
    f->SetDataSet(this);
  }
  fields_.insert(fields_.end(), declared.begin(), declared.end());
}

void TDataSet::DestroyDefaultFields() {
  std::vector<TField*> keep;
  for (TField* f : fields_) {
    if (f->DefaultField()) {
      f->DetachDataSet();
      delete f;
    } else {
      keep.push_back(f);
    }
  }
  fields_ = keep;
}

void TDataSet::BindFields(bool binding) {
  calcFieldCount_ = 0;
  for (TField* f : fields_) {
    if (!binding) {
      f->Bind(nullptr);
      continue;
    }
    if (f->FieldKind() == fkData) {
      const TFieldDef* d = fieldDefs_.Find(f->FieldName());
      if (!d) DatabaseError((Name().empty() ? AnsiString() : Name() + ": ") + "Field '" + f->FieldName() + "' not found");
      f->Bind(d);
    } else {
      f->Bind(nullptr);
      f->SetCalcSlot(calcFieldCount_++);
    }
  }
}

void TDataSet::RegisterField(TField* f) {
  CheckInactive();
  fields_.push_back(f);
}

void TDataSet::UnregisterField(TField* f) {
  auto it = std::find(fields_.begin(), fields_.end(), f);
  if (it != fields_.end()) fields_.erase(it);
}

void TDataSet::MoveField(TField* f, int newIndex) {
  auto it = std::find(fields_.begin(), fields_.end(), f);
  if (it == fields_.end()) return;
  fields_.erase(it);
  newIndex = std::clamp(newIndex, 0, static_cast<int>(fields_.size()));
  fields_.insert(fields_.begin() + newIndex, f);
  DataEvent(deLayoutChange, 0);
}

TField* TDataSet::Fields(int i) const {
  if (i < 0 || i >= FieldCount()) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
  return fields_[static_cast<size_t>(i)];
}

TField* TDataSet::FindField(std::string_view name) const {
  for (TField* f : fields_)
    if (SameText(f->FieldName(), name)) return f;
  return nullptr;
}

TField* TDataSet::FieldByName(std::string_view name) const {
  TField* f = FindField(name);
  if (!f) DatabaseError("Field '" + AnsiString(name) + "' not found");
  return f;
}

TField* TDataSet::FieldByNumber(int fieldNo) const {
  for (TField* f : fields_)
    if (f->FieldNo() == fieldNo) return f;
  return nullptr;
}

void TDataSet::GetFieldNames(TStrings* list) const {
  list->Clear();
  if (!fields_.empty()) {
    for (TField* f : fields_) list->Add(f->FieldName());
  } else {
    for (int i = 0; i < fieldDefs_.Count(); ++i) list->Add(fieldDefs_.Items(i).Name);
  }
}

Variant TDataSet::Lookup(const AnsiString&, const std::vector<Variant>&, const AnsiString&) {
  return Variant();
}

// ---------------------------------------------------------------------------
// Controls and notifications.

void TDataSet::DisableControls() {
  if (disableCount_ == 0) {
    disableState_ = state_;
    enableEvent_ = deDataSetChange;
  }
  ++disableCount_;
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ == 0) {
    if (disableState_ != state_) DataEvent(deUpdateState, 0);
    if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_, 0);
  }
}

void TDataSet::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deFieldChange) {
    auto* f = reinterpret_cast<TField*>(info);
    if (f->FieldKind() == fkData) modified_ = true;
    if (state_ != dsSetKey && AutoCalcFields && (calcFieldCount_ > 0 || OnCalcFields) &&
        !buffers_.empty())
      GetCalcFields(buffers_[static_cast<size_t>(activeRecord_)].get());
  }
  if (disableCount_ == 0) {
    // Copy: a handler may unlink a source.
    std::vector<TDataSource*> sources = dataSources_;
    for (TDataSource* s : sources) s->DataEvent(event, info);
  } else if (event == deLayoutChange || (event == deUpdateState && state_ == dsInactive)) {
    enableEvent_ = deLayoutChange;
  }
  if (event == deFieldChange) {
    auto* f = reinterpret_cast<TField*>(info);
    if (f->OnChange) f->OnChange(f);
  }
}

void TDataSet::AddDataSource(TDataSource* s) {
  if (std::find(dataSources_.begin(), dataSources_.end(), s) == dataSources_.end())
    dataSources_.push_back(s);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* s) {
  auto it = std::find(dataSources_.begin(), dataSources_.end(), s);
  if (it != dataSources_.end()) dataSources_.erase(it);
  UpdateBufferCount();
}

// Editing a dataset's records: edit, insert, post, cancel and delete, and
// the field data of the active record buffer, BLOBs included.

#include "platform/db/db.h"
#include "platform/db/db_internal.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"

// ---------------------------------------------------------------------------
// Editing.

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (state_) {
    case dsEdit:
    case dsInsert:
      UpdateRecord();
      if (modified_)
        Post();
      else
        Cancel();
      break;
    case dsSetKey: Post(); break;
    default: break;
  }
}

void TDataSet::UpdateRecord() {
  if (state_ != dsEdit && state_ != dsInsert && state_ != dsSetKey)
    DatabaseError("Dataset not in edit or insert mode");
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckOperation(const std::function<void()>& op, const TDataSetErrorEvent& onError) {
  for (;;) {
    try {
      UpdateCursorPos();
      op();
      return;
    } catch (EDatabaseError& e) {
      TDataAction action = daFail;
      if (onError) onError(this, e, action);
      if (action == daFail) throw;
      if (action == daAbort) Abort();
    }
  }
}

void TDataSet::Edit() {
  if (state_ == dsEdit || state_ == dsInsert) return;
  if (recordCount_ == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeEdit);
  CheckOperation([this] { InternalEdit(); }, OnEditError);
  GetCalcFields(buffers_[static_cast<size_t>(activeRecord_)].get());
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  Fire(AfterEdit);
}

void TDataSet::InternalEdit() {
  TBapiResult rc = BapiGetRecord(handle_, bapiNoLock, ActiveBuffer(), nullptr);
  if (rc == bapiNoCurrentRecord) DatabaseError(dbdetail::kRecordGone.str());
  Check(rc);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeInsert);
  DoBeforeScroll();
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    DoOnNewRecord();
  } catch (...) {
    UpdateCursorPos();
    BapiDiscardBlobs(handle_, ActiveBuffer());
    SetState(dsBrowse);
    Resync(0);
    throw;
  }
  modified_ = false;
  DataEvent(deDataSetChange, 0);
  Fire(AfterInsert);
  DoAfterScroll();
}

void TDataSet::DoOnNewRecord() { Fire(OnNewRecord); }

void TDataSet::Insert() {
  BeginInsertAppend();
  // The new buffer keeps the bookmark of the record it stands before.
  std::vector<uint8_t> next;
  if (recordCount_ > 0) next = buffers_[static_cast<size_t>(activeRecord_)]->Bookmark;
  MoveBuffer(recordCount_, activeRecord_);
  TRecordBuffer* b = buffers_[static_cast<size_t>(activeRecord_)].get();
  InitRecord(b);
  if (recordCount_ == 0) {
    b->Flag = bfBOF;
  } else {
    b->Bookmark = next;
  }
  if (recordCount_ < bufferCount_) ++recordCount_;
  CursorPosChanged();
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  ClearBuffers();
  TRecordBuffer* b = buffers_[0].get();
  InitRecord(b);
  b->Flag = bfEOF;
  recordCount_ = 1;
  bof_ = false;
  GetPriorRecords();
  InternalLast();
  EndInsertAppend();
}

void TDataSet::CheckRequiredFields() {
  for (TField* f : fields_)
    if (f->FieldKind() == fkData && f->Required() && !f->ReadOnly() && f->IsNull()) {
      f->FocusControl();
      DatabaseError("Das Feld \"" + f->DisplayName() + "\" muss einen Wert haben");
    }
}

void TDataSet::DoBeforePost() { Fire(BeforePost); }

void TDataSet::InternalPost() {
  CheckRequiredFields();
  if (state_ == dsEdit)
    Check(BapiModifyRecord(handle_, ActiveBuffer(), true), eaWrite);
  else
    Check(BapiInsertRecord(handle_, bapiNoLock, ActiveBuffer()), eaWrite);
}

void TDataSet::PostKeyBuffer(bool) {
  SetState(dsBrowse);
  DataEvent(deDataSetChange, 0);
}

void TDataSet::Post() {
  if (state_ == dsSetKey) {
    UpdateRecord();
    PostKeyBuffer(true);
    return;
  }
  UpdateRecord();
  if (state_ == dsEdit || state_ == dsInsert) {
    DataEvent(deCheckBrowseMode, 0);
    DoBeforePost();
    CheckOperation([this] { InternalPost(); }, OnPostError);
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterPost);
  }
}

void TDataSet::InternalCancel() { BapiDiscardBlobs(handle_, ActiveBuffer()); }

void TDataSet::Cancel() {
  if (state_ == dsSetKey) {
    PostKeyBuffer(false);
    return;
  }
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  Fire(BeforeCancel);
  bool scrollEvents = state_ == dsInsert;
  if (scrollEvents) DoBeforeScroll();
  UpdateCursorPos();
  InternalCancel();
  SetState(dsBrowse);
  Resync(0);
  Fire(AfterCancel);
  if (scrollEvents) DoAfterScroll();
}

void TDataSet::InternalDelete() { Check(BapiDeleteRecord(handle_, nullptr), eaWrite); }

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert) {
    Cancel();
    return;
  }
  if (recordCount_ == 0) DatabaseError("Cannot perform this operation on an empty dataset");
  CheckCanModify();
  DataEvent(deCheckBrowseMode, 0);
  Fire(BeforeDelete);
  DoBeforeScroll();
  CheckOperation([this] { InternalDelete(); }, OnDeleteError);
  SetState(dsBrowse);
  Resync(0);
  Fire(AfterDelete);
  DoAfterScroll();
}

void TDataSet::ClearFields() {
  if (state_ != dsEdit && state_ != dsInsert) DatabaseError("Dataset not in edit or insert mode");
  BapiDiscardBlobs(handle_, ActiveBuffer());
  Check(BapiInitRecord(handle_, ActiveBuffer()));
  GetCalcFields(buffers_[static_cast<size_t>(activeRecord_)].get());
  DataEvent(deRecordChange, 0);
}

// ---------------------------------------------------------------------------
// Field data.

bool TDataSet::GetFieldData(const TField* field, void* dest) const {
  const uint8_t* rec = nullptr;
  if (state_ == dsFilter) {
    rec = tempRecord_;
  } else if (TRecordBuffer* b = ActiveRecBuf()) {
    rec = b->Data.data();
  }
  if (!rec || !handle_ || field->FieldNo() <= 0) return false;
  bool blank = true;
  Check(BapiGetField(handle_, static_cast<uint16_t>(field->FieldNo()), rec, dest, blank));
  return !blank;
}

void TDataSet::SetFieldData(TField* field, const void* src) {
  if (state_ != dsEdit && state_ != dsInsert && state_ != dsSetKey)
    DatabaseError("Dataset not in edit or insert mode");
  if (state_ == dsSetKey && !anyFieldKey_ && !field->IsIndexField())
    DatabaseError("'" + field->DisplayName() + "' is not an indexed field");
  if (field->ReadOnly() && state_ != dsSetKey)
    DatabaseError("Field '" + field->DisplayName() + "' cannot be modified");
  TRecordBuffer* b = ActiveRecBuf();
  if (!b) DatabaseError("Dataset not in edit or insert mode");
  std::vector<uint8_t> before;
  if (field->OnValidate && state_ != dsSetKey) before = b->Data;
  Check(BapiPutField(handle_, static_cast<uint16_t>(field->FieldNo()), b->Data.data(), src));
  if (state_ == dsSetKey) return;
  if (field->OnValidate) {
    try {
      field->OnValidate(field);
    } catch (...) {
      b->Data = before;
      throw;
    }
  }
  DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

Variant TDataSet::GetCalcValue(const TField* field) const {
  TRecordBuffer* b = state_ == dsFilter ? nullptr : ActiveRecBuf();
  int slot = field->CalcSlot();
  if (!b || slot < 0 || slot >= static_cast<int>(b->Calc.size())) return Variant();
  return b->Calc[static_cast<size_t>(slot)];
}

void TDataSet::SetCalcValue(TField* field, const Variant& v) {
  if (state_ != dsCalcFields && state_ != dsEdit && state_ != dsInsert)
    DatabaseError("Dataset not in edit or insert mode");
  TRecordBuffer* b = ActiveRecBuf();
  int slot = field->CalcSlot();
  if (!b || slot < 0 || slot >= static_cast<int>(b->Calc.size())) return;
  b->Calc[static_cast<size_t>(slot)] = v;
  if (state_ != dsCalcFields) DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

AnsiString TDataSet::ReadBlob(const TField* field) const {
  TRecordBuffer* b = ActiveRecBuf();
  if (!b || !handle_ || field->FieldNo() <= 0) return AnsiString();
  uint16_t no = static_cast<uint16_t>(field->FieldNo());
  uint8_t* rec = b->Data.data();
  Check(BapiOpenBlob(handle_, rec, no, bapiReadOnly));
  TScopeExit freeBlob{[this, rec, no] { BapiFreeBlob(handle_, rec, no); }};
  AnsiString out;
  uint32_t size = 0;
  Check(BapiGetBlobSize(handle_, rec, no, size));
  out.resize(size);
  uint32_t got = 0;
  if (size > 0) {
    TBapiResult rc = BapiGetBlob(handle_, rec, no, 0, size, out.data(), got);
    if (rc != bapiOk && rc != bapiEndOfBlob) Check(rc);
    out.resize(got);
  }
  return out;
}

bool TDataSet::BlobIsEmpty(const TField* field) const {
  TRecordBuffer* b = ActiveRecBuf();
  if (!b || !handle_ || field->FieldNo() <= 0) return true;
  bool blank = true;
  Check(BapiGetField(handle_, static_cast<uint16_t>(field->FieldNo()), b->Data.data(), nullptr, blank));
  return blank;
}

void TDataSet::WriteBlob(TField* field, const AnsiString& data) {
  if (state_ != dsEdit && state_ != dsInsert) DatabaseError("Dataset not in edit or insert mode");
  if (field->ReadOnly()) DatabaseError("Field '" + field->DisplayName() + "' cannot be modified");
  TRecordBuffer* b = ActiveRecBuf();
  uint16_t no = static_cast<uint16_t>(field->FieldNo());
  Check(BapiTruncateBlob(handle_, b->Data.data(), no, 0), eaWrite);
  if (!data.empty())
    Check(BapiPutBlob(handle_, b->Data.data(), no, 0, static_cast<uint32_t>(data.size()), data.data()), eaWrite);
  if (field->OnValidate) field->OnValidate(field);
  DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

TStream* TDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  auto* b = dynamic_cast<TBlobField*>(field);
  if (!b) DatabaseError("Field '" + field->DisplayName() + "' is not a BLOB field");
  return new TBlobStream(b, mode);
}

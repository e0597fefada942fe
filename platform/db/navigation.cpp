// The dataset's record-buffer window and moving through it: buffers,
// reading records, navigation and bookmarks. See db.h for the window's
// invariants.
#include <algorithm>
#include <cstring>

#include "platform/db/db.h"
#include "platform/db/db_internal.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"

// ---------------------------------------------------------------------------
// Buffers.

std::unique_ptr<TRecordBuffer> TDataSet::NewBuffer() const {
  auto b = std::make_unique<TRecordBuffer>();
  b->Data.assign(static_cast<size_t>(recordSize_), 0);
  b->Calc.resize(static_cast<size_t>(calcFieldCount_));
  b->Bookmark.assign(static_cast<size_t>(bookmarkSize_), 0);
  return b;
}

uint8_t* TDataSet::ActiveBuffer() const {
  if (buffers_.empty()) return nullptr;
  return buffers_[static_cast<size_t>(activeRecord_)]->Data.data();
}

TRecordBuffer* TDataSet::ActiveRecBuf() const {
  switch (state_) {
    case dsCalcFields: return calcBuffer_;
    case dsSetKey: return keyBufferForFields_;
    case dsFilter: return nullptr;
    case dsInactive: return nullptr;
    case dsEdit:
    case dsInsert: return buffers_.empty() ? nullptr : buffers_[static_cast<size_t>(activeRecord_)].get();
    default:
      if (recordCount_ == 0 || buffers_.empty()) return nullptr;
      return buffers_[static_cast<size_t>(activeRecord_)].get();
  }
}

void TDataSet::ClearBuffers() {
  recordCount_ = 0;
  activeRecord_ = 0;
  currentRecord_ = -1;
  bof_ = eof_ = true;
}

void TDataSet::ActivateBuffers() {
  recordCount_ = 1;
  activeRecord_ = 0;
  currentRecord_ = 0;
  bof_ = eof_ = false;
}

void TDataSet::MoveBuffer(int from, int to) {
  if (from == to) return;
  auto b = std::move(buffers_[static_cast<size_t>(from)]);
  buffers_.erase(buffers_.begin() + from);
  buffers_.insert(buffers_.begin() + to, std::move(b));
}

void TDataSet::SetCurrentRecord(int index) {
  if (currentRecord_ == index) return;
  TRecordBuffer* b = buffers_[static_cast<size_t>(index)].get();
  switch (b->Flag) {
    case bfCurrent:
    case bfInserted: InternalSetToRecord(b); break;
    case bfBOF: InternalFirst(); break;
    case bfEOF: InternalLast(); break;
  }
  currentRecord_ = index;
}

void TDataSet::UpdateCursorPos() {
  if (recordCount_ > 0) SetCurrentRecord(activeRecord_);
}

bool TDataSet::GetNextRecord() {
  if (recordCount_ > 0) SetCurrentRecord(recordCount_ - 1);
  bool ok = GetRecord(buffers_[static_cast<size_t>(recordCount_)].get(), gmNext, true) == grOK;
  if (ok) {
    if (recordCount_ == 0) {
      ActivateBuffers();
    } else if (recordCount_ < bufferCount_) {
      ++recordCount_;
    } else {
      MoveBuffer(0, recordCount_);
    }
    currentRecord_ = recordCount_ - 1;
  } else {
    CursorPosChanged();
  }
  return ok;
}

bool TDataSet::GetPriorRecord() {
  if (recordCount_ > 0) SetCurrentRecord(0);
  bool ok = GetRecord(buffers_[static_cast<size_t>(recordCount_)].get(), gmPrior, true) == grOK;
  if (ok) {
    if (recordCount_ == 0) {
      ActivateBuffers();
    } else {
      MoveBuffer(recordCount_, 0);
      if (recordCount_ < bufferCount_) {
        ++recordCount_;
        ++activeRecord_;
      }
    }
    currentRecord_ = 0;
  } else {
    CursorPosChanged();
  }
  return ok;
}

int TDataSet::GetNextRecords() {
  int n = 0;
  while (recordCount_ < bufferCount_ && GetNextRecord()) ++n;
  return n;
}

int TDataSet::GetPriorRecords() {
  int n = 0;
  while (recordCount_ < bufferCount_ && GetPriorRecord()) ++n;
  return n;
}

void TDataSet::SetBufferCount(int value) {
  if (value < 1) value = 1;
  auto adjustFirst = [this](int delta) {
    if (delta == 0) return;
    for (TDataSource* s : dataSources_)
      for (TDataLink* l : s->DataLinks())
        if (l->Active()) l->ShiftFirstRecord(delta);
  };
  if (value == bufferCount_ && static_cast<int>(buffers_.size()) == value + 1) return;
  if (bufferCount_ > value && recordCount_ > 0) {
    // Keep `value` buffers from the lowest first row of the links, but so
    // that the active record stays in the window.
    int delta = activeRecord_;
    for (TDataSource* s : dataSources_)
      for (TDataLink* l : s->DataLinks())
        if (l->Active() && l->FirstRecord() < delta) delta = std::max(l->FirstRecord(), 0);
    delta = std::max(delta, activeRecord_ - value + 1);
    delta = std::min(delta, activeRecord_);
    if (delta > 0) {
      for (int i = 0; i < delta; ++i) MoveBuffer(0, static_cast<int>(buffers_.size()) - 1);
      activeRecord_ -= delta;
      if (currentRecord_ != -1) currentRecord_ -= delta;
      if (currentRecord_ < 0) currentRecord_ = -1;
      recordCount_ -= delta;
    }
    if (recordCount_ > value) recordCount_ = value;
    if (currentRecord_ > recordCount_ - 1) currentRecord_ = -1;
    adjustFirst(-delta);
  }
  while (static_cast<int>(buffers_.size()) < value + 1) buffers_.push_back(NewBuffer());
  if (static_cast<int>(buffers_.size()) > value + 1) buffers_.resize(static_cast<size_t>(value + 1));
  bufferCount_ = value;
  GetNextRecords();
  if (recordCount_ < bufferCount_) adjustFirst(GetPriorRecords());
  for (TDataSource* s : dataSources_)
    for (TDataLink* l : s->DataLinks())
      if (l->Active()) l->UpdateRange();
}

void TDataSet::UpdateBufferCount() {
  if (!handle_) return;
  int maxCount = 1;
  for (TDataSource* s : dataSources_)
    for (TDataLink* l : s->DataLinks()) {
      if (l->Active()) l->UpdateRange();
      if (l->BufferCount() > maxCount) maxCount = l->BufferCount();
    }
  SetBufferCount(maxCount);
}

void TDataSet::SetActiveRecordIndex(int v) {
  if (v < 0 || v >= std::max(recordCount_, 1)) return;
  if (activeRecord_ == v) return;
  activeRecord_ = v;
}

// ---------------------------------------------------------------------------
// Reading records.

TGetResult TDataSet::GetRecord(TRecordBuffer* buf, TGetMode mode, bool doCheck) {
  TBapiResult rc;
  switch (mode) {
    case gmNext: rc = BapiGetNextRecord(handle_, bapiNoLock, buf->Data.data(), nullptr); break;
    case gmPrior: rc = BapiGetPriorRecord(handle_, bapiNoLock, buf->Data.data(), nullptr); break;
    default: rc = BapiGetRecord(handle_, bapiNoLock, buf->Data.data(), nullptr); break;
  }
  if (rc == bapiOk) {
    buf->Flag = bfCurrent;
    Check(BapiGetBookMark(handle_, buf->Bookmark.data()));
    GetCalcFields(buf);
    return grOK;
  }
  if (rc == bapiEndOfCursor) return grEOF;
  if (rc == bapiBeginOfCursor) return grBOF;
  if (rc == bapiNoCurrentRecord || rc == bapiRecordNotFound) return grError;
  if (doCheck) Check(rc);
  return grError;
}

void TDataSet::InternalFirst() { Check(BapiSetToBegin(handle_)); }
void TDataSet::InternalLast() { Check(BapiSetToEnd(handle_)); }

void TDataSet::InternalSetToRecord(TRecordBuffer* buf) {
  if (buf->Flag == bfInserted) {
    // A new record stands before the record whose bookmark it keeps; with
    // none it belongs at the end.
    bool any = std::any_of(buf->Bookmark.begin(), buf->Bookmark.end(), [](uint8_t b) { return b; });
    if (!any || BapiSetToBookMark(handle_, buf->Bookmark.data()) != bapiOk) InternalLast();
    return;
  }
  Check(BapiSetToBookMark(handle_, buf->Bookmark.data()));
}

void TDataSet::InitRecord(TRecordBuffer* buf) {
  Check(BapiInitRecord(handle_, buf->Data.data()));
  ClearCalcFields(buf);
  buf->Flag = bfInserted;
}

void TDataSet::ClearCalcFields(TRecordBuffer* buf) {
  for (Variant& v : buf->Calc) v = Variant();
}

void TDataSet::GetCalcFields(TRecordBuffer* buf) {
  if (calcFieldCount_ == 0 && !OnCalcFields) return;
  TDataSetState save = state_;
  state_ = dsCalcFields;
  TRecordBuffer* saveBuf = calcBuffer_;
  calcBuffer_ = buf;
  TScopeExit restore{[this, save, saveBuf] {
    state_ = save;
    calcBuffer_ = saveBuf;
  }};
  CalculateFields(buf);
}

void TDataSet::CalculateFields(TRecordBuffer* buf) {
  ClearCalcFields(buf);
  for (TField* f : fields_)
    if (f->FieldKind() == fkLookup) f->CalcLookupValue();
  DoOnCalcFields();
}

void TDataSet::DoOnCalcFields() { Fire(OnCalcFields); }

// ---------------------------------------------------------------------------
// Navigation.

void TDataSet::DoBeforeScroll() { Fire(BeforeScroll); }
void TDataSet::DoAfterScroll() { Fire(AfterScroll); }

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  // The notification reaches the links, whose handlers may raise: no work for a destructor.
  try {
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
  } catch (...) {
    bof_ = true;
    DataEvent(deDataSetChange, 0);
    throw;
  }
  bof_ = true;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  // The notification reaches the links, whose handlers may raise: no work for a destructor.
  try {
    InternalLast();
    GetPriorRecord();
    GetPriorRecords();
  } catch (...) {
    eof_ = true;
    DataEvent(deDataSetChange, 0);
    throw;
  }
  eof_ = true;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  int result = 0;
  DoBeforeScroll();
  if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
    bof_ = eof_ = false;
    int scroll = 0;
    // The notification reaches the links, whose handlers may raise: no work for a destructor.
    try {
      while (distance > 0) {
        if (activeRecord_ < recordCount_ - 1) {
          ++activeRecord_;
        } else {
          int shift = recordCount_ < bufferCount_ ? 0 : 1;
          if (GetNextRecord()) {
            scroll -= shift;
            if (shift == 0) activeRecord_ = recordCount_ - 1;
          } else {
            eof_ = true;
            break;
          }
        }
        --distance;
        ++result;
      }
      while (distance < 0) {
        if (activeRecord_ > 0) {
          --activeRecord_;
        } else {
          int shift = recordCount_ < bufferCount_ ? 0 : 1;
          if (GetPriorRecord()) {
            scroll += shift;
            if (shift == 0) activeRecord_ = 0;
          } else {
            bof_ = true;
            break;
          }
        }
        ++distance;
        --result;
      }
    } catch (...) {
      DataEvent(deDataSetScroll, scroll);
      throw;
    }
    DataEvent(deDataSetScroll, scroll);
    DoAfterScroll();
  }
  return result;
}

bool TDataSet::HasRecordBeside(bool before) {
  if (state_ != dsBrowse || IsEmpty()) return false;
  UpdateCursorPos();
  // Read into the spare buffer, as Resync does; the cursor is put back on
  // the active record by the next move.
  const bool found =
      GetRecord(buffers_[static_cast<size_t>(recordCount_)].get(), before ? gmPrior : gmNext, false) == grOK;
  CursorPosChanged();
  return found;
}

int TDataSet::RecordCount() {
  CheckActive();
  uint32_t n = 0;
  Check(BapiGetExactRecordCount(handle_, n));
  return static_cast<int>(n);
}

void TDataSet::Resync(unsigned mode) {
  TRecordBuffer* spare = buffers_[static_cast<size_t>(recordCount_)].get();
  if (mode & rmExact) {
    CursorPosChanged();
    if (GetRecord(spare, gmCurrent, true) != grOK) DatabaseError(dbdetail::kRecordGone.str());
  } else if (GetRecord(spare, gmCurrent, false) != grOK && GetRecord(spare, gmNext, false) != grOK &&
             GetRecord(spare, gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  int count = (mode & rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
  MoveBuffer(recordCount_, 0);
  ActivateBuffers();
  // The notification reaches the links, whose handlers may raise: no work for a destructor.
  try {
    while (count > 0 && GetPriorRecord()) --count;
    GetNextRecords();
    GetPriorRecords();
  } catch (...) {
    DataEvent(deDataSetChange, 0);
    throw;
  }
  DataEvent(deDataSetChange, 0);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  try {
    UpdateCursorPos();
  } catch (const EDBEngineError& e) {
    if (e.ErrorCode() != bapiInvalidBookmark) throw;
    // The record was deleted through another cursor: the one that took its
    // place in the index becomes current, at the end the last one (Resync).
    CursorPosChanged();
    const TBapiResult rc = BapiSetToKey(handle_, bapiKeyNearest, 0, 0, ActiveBuffer());
    if (rc != bapiOk && rc != bapiEndOfCursor) InternalFirst();
  }
  Resync(0);
}

// ---------------------------------------------------------------------------
// Bookmarks.

TBookmark TDataSet::GetBookmark() {
  if (!Active() || recordCount_ == 0 || state_ == dsInsert) return nullptr;
  TRecordBuffer* b = buffers_[static_cast<size_t>(activeRecord_)].get();
  if (b->Flag != bfCurrent) return nullptr;
  auto* bm = new uint8_t[static_cast<size_t>(bookmarkSize_)];
  std::memcpy(bm, b->Bookmark.data(), static_cast<size_t>(bookmarkSize_));
  return bm;
}

void TDataSet::FreeBookmark(TBookmark bm) { delete[] bm; }

void TDataSet::GotoBookmark(TBookmark bm) {
  if (!bm) return;
  CheckBrowseMode();
  DoBeforeScroll();
  TBapiResult rc = BapiSetToBookMark(handle_, bm);
  if (rc != bapiOk) DatabaseError("Der Datensatz wurde nicht gefunden");
  CursorPosChanged();
  Resync(rmExact | rmCenter);
  DoAfterScroll();
}

bool TDataSet::BookmarkValid(TBookmark bm) {
  if (!bm || !handle_) return false;
  UpdateCursorPos();
  std::vector<uint8_t> here(static_cast<size_t>(bookmarkSize_));
  std::vector<uint8_t> scratch(static_cast<size_t>(recordSize_));
  bool hadPos = BapiGetBookMark(handle_, here.data()) == bapiOk;
  bool ok = BapiSetToBookMark(handle_, bm) == bapiOk &&
            BapiGetRecord(handle_, bapiNoLock, scratch.data(), nullptr) == bapiOk;
  if (hadPos) BapiSetToBookMark(handle_, here.data());
  CursorPosChanged();
  return ok;
}

int TDataSet::CompareBookmarks(TBookmark a, TBookmark b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  if (!handle_) return 0;
  int16_t r = 0;
  Check(BapiCompareBookMarks(handle_, a, b, r));
  return r;
}

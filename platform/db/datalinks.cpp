// Data sources and data links: how controls hear of a dataset's changes.
//
// A data source passes every notification of its dataset to its links while
// it is enabled. A link is active while its source is enabled and its
// dataset open; it keeps its own window of BufferCount rows over the
// dataset's buffers (FirstRecord) and shifts it on every scroll so that the
// active record stays inside, reporting the exact shift to DataSetScrolled.
#include <algorithm>

#include "platform/db/db.h"
#include "platform/rtl/scopeexit.h"

// ---------------------------------------------------------------------------
// TDataLink.

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  if (dataSource_) dataSource_->RemoveDataLink(this);
  dataSource_ = nullptr;
}

TDataSet* TDataLink::DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

void TDataLink::SetDataSource(TDataSource* ds) {
  if (ds == dataSource_) return;
  if (dataSource_) dataSource_->RemoveDataLink(this);
  dataSource_ = ds;
  if (ds) ds->AddDataLink(this);
  UpdateState();
}

void TDataLink::SetReadOnly(bool v) {
  if (readOnly_ == v) return;
  readOnly_ = v;
  UpdateState();
}

int TDataLink::ActiveRecord() const {
  if (!dataSource_ || !DataSet()) return 0;
  if (dataSource_->State() == dsSetKey) return 0;
  return DataSet()->ActiveRecord() - firstRecord_;
}

void TDataLink::SetActiveRecord(int v) {
  if (!dataSource_ || !DataSet() || dataSource_->State() == dsSetKey) return;
  DataSet()->SetActiveRecordIndex(v + firstRecord_);
}

void TDataLink::SetBufferCount(int v) {
  if (v < 1) v = 1;
  if (bufferCount_ == v) return;
  bufferCount_ = v;
  if (active_) {
    UpdateRange();
    DataSet()->UpdateBufferCount();
    UpdateRange();
  }
}

int TDataLink::RecordCount() const {
  if (!dataSource_ || !DataSet()) return 0;
  if (dataSource_->State() == dsSetKey) return 1;
  int n = DataSet()->BufferedRecordCount() - firstRecord_;
  return std::clamp(n, 0, bufferCount_);
}

bool TDataLink::Edit() {
  if (!readOnly_ && dataSource_) dataSource_->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  updating_ = true;
  TScopeExit updated{[this] { updating_ = false; }};
  UpdateData();
}

void TDataLink::UpdateRange() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  int active = ds->ActiveRecord();
  int lo = std::max(0, active - bufferCount_ + 1);
  int hi = std::min(active, std::max(0, ds->BufferCount() - bufferCount_));
  if (firstRecord_ < lo) firstRecord_ = lo;
  if (firstRecord_ > hi) firstRecord_ = hi;
  if (firstRecord_ < 0) firstRecord_ = 0;
}

void TDataLink::UpdateState() {
  SetActive(dataSource_ && dataSource_->State() != dsInactive);
  TDataSetState s = dataSource_ ? dataSource_->State() : dsInactive;
  SetEditing((s == dsEdit || s == dsInsert || s == dsSetKey) && !readOnly_);
}

void TDataLink::SetActive(bool v) {
  if (active_ == v) return;
  active_ = v;
  if (v)
    UpdateRange();
  else
    firstRecord_ = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool v) {
  if (editing_ == v) return;
  editing_ = v;
  EditingChanged();
}

void TDataLink::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!active_) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!updating_) RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      int count = 0;
      if (dataSource_->State() != dsSetKey) {
        int active = DataSet()->ActiveRecord();
        int first = firstRecord_ + static_cast<int>(info);
        int last = first + bufferCount_ - 1;
        if (active > last)
          count = active - last;
        else if (active < first)
          count = active - first;
        firstRecord_ = first + count;
      }
      if (event == deDataSetChange)
        DataSetChanged();
      else if (event == deDataSetScroll)
        DataSetScrolled(count);
      else
        LayoutChanged();
      break;
    }
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: FocusControl(reinterpret_cast<TField**>(info)); break;
    default: break;
  }
}

// ---------------------------------------------------------------------------
// TFieldDataLink.

void TFieldDataLink::SetFieldName(const AnsiString& v) {
  if (v == fieldName_) return;
  fieldName_ = v;
  UpdateField();
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && field_ && field_->CanModify(); }

bool TFieldDataLink::Edit() {
  if (CanModify()) TDataLink::Edit();
  return fieldEditing_;
}

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() { SetFieldEditing(TDataLink::Editing() && CanModify()); }

void TFieldDataLink::FocusControl(TField** fieldRef) {
  if (fieldRef && *fieldRef && *fieldRef == field_ && OnFocusRequest) {
    *fieldRef = nullptr;
    OnFocusRequest(this);
  }
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* field) {
  if (!field || field == field_) {
    if (OnDataChange) OnDataChange(this);
    modified_ = false;
  }
}

void TFieldDataLink::UpdateData() {
  if (modified_) {
    if (field_ && OnUpdateData) OnUpdateData(this);
    modified_ = false;
  }
}

void TFieldDataLink::UpdateField() {
  TField* f = nullptr;
  if (Active() && !fieldName_.empty()) f = DataSet()->FieldByName(fieldName_);
  SetField(f);
}

void TFieldDataLink::SetField(TField* f) {
  if (field_ == f) return;
  field_ = f;
  EditingChanged();
  RecordChanged(nullptr);
}

void TFieldDataLink::SetFieldEditing(bool v) {
  if (fieldEditing_ == v) return;
  fieldEditing_ = v;
  modified_ = false;
  if (OnEditingChange) OnEditingChange(this);
}

// ---------------------------------------------------------------------------
// TDataSource.

void TDataSource::PublishProperties(TClassInfo& ci) {
  PublishBool<TDataSource>(ci, "AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit);
  PublishBool<TDataSource>(ci, "Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled);
  PublishObject<TDataSource, TDataSet>(ci, "DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
  PublishEvent<TDataSource>(ci, "OnDataChange", &TDataSource::OnDataChange);
  PublishEvent<TDataSource>(ci, "OnStateChange", &TDataSource::OnStateChange);
  PublishEvent<TDataSource>(ci, "OnUpdateData", &TDataSource::OnUpdateData);
}

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  Destroying();
  std::vector<TDataLink*> links = links_;
  for (TDataLink* l : links) l->SetDataSource(nullptr);
  SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* ds) {
  if (ds == dataSet_) return;
  if (dataSet_) {
    dataSet_->RemoveDataSource(this);
    RemoveFreeNotification(dataSet_);
  }
  dataSet_ = ds;
  if (ds) {
    ds->AddDataSource(this);
    FreeNotification(ds);
  }
  UpdateState();
}

void TDataSource::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  if (op == opRemove && c == dataSet_) {
    dataSet_ = nullptr;
    UpdateState();
  }
}

void TDataSource::SetEnabled(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  UpdateState();
}

void TDataSource::Edit() {
  if (autoEdit_ && state_ == dsBrowse && dataSet_) dataSet_->Edit();
}

void TDataSource::UpdateState() {
  TDataSetState s = (enabled_ && dataSet_) ? dataSet_->State() : dsInactive;
  if (s == state_) return;
  state_ = s;
  NotifyDataLinks(deUpdateState, 0);
  if (OnStateChange && !HasState(csDestroying)) OnStateChange(this);
}

void TDataSource::NotifyDataLinks(TDataEvent event, intptr_t info) {
  std::vector<TDataLink*> links = links_;
  for (TDataLink* l : links)
    if (std::find(links_.begin(), links_.end(), l) != links_.end()) l->DataEvent(event, info);
}

void TDataSource::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (state_ == dsInactive) return;
  NotifyDataLinks(event, info);
  switch (event) {
    case deFieldChange:
      if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(info));
      break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) OnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default: break;
  }
}

void TDataSource::AddDataLink(TDataLink* l) {
  links_.push_back(l);
  if (dataSet_) dataSet_->UpdateBufferCount();
}

void TDataSource::RemoveDataLink(TDataLink* l) {
  auto it = std::find(links_.begin(), links_.end(), l);
  if (it != links_.end()) links_.erase(it);
  if (dataSet_) dataSet_->UpdateBufferCount();
}

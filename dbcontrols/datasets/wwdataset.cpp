// The family's shared state and its per-record filter. See wwdataset.h.
#include "dbcontrols/datasets/wwdataset.h"

#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/datasets/wwsearch.h"
#include "dbcontrols/filter/wwfilter.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/dialogs.h"

TwwDataSetLists::TwwDataSetLists()
    : controlType_(std::make_unique<TStringList>()),
      pictureMasks_(std::make_unique<TStringList>()),
      lookupFields_(std::make_unique<TStringList>()),
      lookupLinks_(std::make_unique<TStringList>()) {}

TwwDataSetLists::~TwwDataSetLists() = default;

int16_t TwwDataSetLists::RecordFilterCallback(uintptr_t clientData, uint8_t* recBuf, uint32_t) {
  auto* lists = dynamic_cast<TwwDataSetLists*>(reinterpret_cast<TDataSet*>(clientData));
  return lists ? lists->FilterRecord(recBuf) : 1;
}

int16_t TwwDataSetLists::FilterRecord(uint8_t* recBuf) {
  TDataSet* ds = Self();
  if (ds->HasState(csDestroying) || !FilterAssigned() || inFilterCallback_) return 1;
  if (FilterHonoursOptions() && !(filterOptions_ & ofoEnabled)) return 1;
  // After OnFilter raised, the rest of this read is refused without asking.
  if (filterError_) return 0;

  bool accept = true;
  {
    const TDataSetState state = ds->SetTempState(dsFilter);
    const uint8_t* record = ds->TempRecord();
    ++inRecordFilter_;
    inFilterCallback_ = true;
    testRecordBuffer_ = recBuf;
    ds->SetTempRecord(recBuf);
    TScopeExit restore{[this, ds, state, record] {
      ds->SetTempRecord(record);
      ds->RestoreState(state);
      testRecordBuffer_ = nullptr;
      inFilterCallback_ = false;
      --inRecordFilter_;
    }};
    try {
      CallFilter(accept);
    } catch (...) {
      filterError_ = std::current_exception();
      return 0;
    }
  }
  if (FilterHonoursOptions() && (filterOptions_ & ofoCancelOnEscape)) {
    ++inRecordFilter_;
    if (++filterEscapeCounter_ >= 32000) filterEscapeCounter_ = 0;
    if (filterEscapeCounter_ % 100 == 0 && wwEscapePressed(ds)) {
      StoreFilterOptions(filterOptions_ & ~ofoEnabled);
      if (OnFilterEscape) OnFilterEscape(ds);
    }
    --inRecordFilter_;
  }
  return accept ? 1 : 0;
}

void TwwDataSetLists::RaisePendingFilterError() {
  if (!filterError_) return;
  std::exception_ptr e = filterError_;
  filterError_ = nullptr;
  // The cursor went on reading past the buffers' records.
  Self()->CursorPosChanged();
  std::rethrow_exception(e);
}

void TwwDataSetLists::StoreFilterOptions(TwwOnFilterOptions v) {
  const bool switchedOff = (filterOptions_ & ofoEnabled) && !(v & ofoEnabled);
  filterOptions_ = v;
  if (!switchedOff || !Self()->Active() || !FilterAssigned()) return;
  if (inRecordFilter_ > 0) {
    rereadPending_ = true;
    return;
  }
  Self()->UpdateCursorPos();
  Self()->Resync(0);
}

void TwwDataSetLists::FinishDeferredReread() {
  if (!rereadPending_ || inRecordFilter_ > 0) return;
  rereadPending_ = false;
  TDataSet* ds = Self();
  if (!ds->Active() || ds->State() != dsBrowse) return;
  ds->UpdateCursorPos();
  ds->Resync(0);
}

void TwwDataSetLists::InstallRecordFilter(TBapiHandle& handle) {
  if (!Self()->Active()) return;
  const bool assigned = FilterAssigned();
  if (!SetFilterCallback(assigned ? &RecordFilterCallback : nullptr, Self(), handle) && assigned)
    MessageDlg("Local filtering is not supported on a Live-Query which contains a Where clause in the SQL "
               "string. To perform a local filter on this query, you will need to set its RequestLive "
               "property to False.",
               mtWarning, mbOK, 0);
}

void TwwDataSetLists::PrepareLookupFields() {
  wwRemoveMissingFields(Self(), LookupFields(), LookupLinks(), ControlType());
  wwSetupLookupFields(Self());
}

// What the datasets of the data-aware controls (TwwTable, TwwQuery, TwwQBE,
// TwwStoredProc) share whatever class of the dataset layer they derive
// from: the four per-field setting lists that the controls read by name
// (ControlType, PictureMasks, LookupFields, LookupLinks), the check of a
// record against its picture masks before it is posted, the lookup tables
// opened for LookupFields, and the per-record filter through which the
// call-level filter asks the dataset's OnFilter event about each record.
//
// Invariants:
// - While OnFilter runs the dataset is in its temporary filter state with
//   the record under test as its record, so fields read that record; the
//   state and the re-entrancy flag are put back however OnFilter ends.
// - An exception raised by OnFilter never crosses the call level: the
//   record is refused, further records are refused without asking, and
//   the exception is raised again as soon as the dataset's read returns
//   (with the cursor position marked unknown, so the next move repositions).
// - Records are re-read after the filter was switched off only between
//   dataset operations, never from inside the call-level filter.
#pragma once

#include <any>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "platform/db/db.h"

// Options of the per-record filter, or'ed (published as a bit set).
enum : unsigned { ofoEnabled = 1, ofoShowHourGlass = 2, ofoCancelOnEscape = 4 };
using TwwOnFilterOptions = unsigned;
constexpr TwwOnFilterOptions wwDefaultFilterOptions = ofoEnabled | ofoShowHourGlass;

using TwwInvalidValueEvent = std::function<void(TDataSet* dataSet, TField* field)>;

// Publishes an event property read and written through the given accessors
// (an event whose setter does more than store it, or one held by a base
// that is no TObject).
template <class C, class F, class G, class S>
void wwPublishEventProp(TClassInfo& ci, const char* name, G get, S set) {
  TPropInfo p;
  p.Name = name;
  p.Kind = TTypeKind::tkMethod;
  p.GetMethod = [get](const TObject* o) { return std::any(F(get(static_cast<const C*>(o)))); };
  p.SetMethod = [set](TObject* o, const std::any& v) {
    if (!v.has_value()) {
      set(static_cast<C*>(o), F());
      return true;
    }
    const F* f = std::any_cast<F>(&v);
    if (!f) return false;
    set(static_cast<C*>(o), *f);
    return true;
  };
  ci.AddProp(std::move(p));
}

// Checks every field of the record against its picture mask (see
// dbcontrols/datasets/wwfields.h).
void wwValidateRecordPictureMasks(TDataSet* dataSet, const TwwInvalidValueEvent& onInvalidValue);

// The part of the family's state that does not depend on the base class;
// routines that take any dataset reach it by a cross cast.
class TwwDataSetLists {
 public:
  TwwDataSetLists();
  virtual ~TwwDataSetLists();
  TwwDataSetLists(const TwwDataSetLists&) = delete;
  TwwDataSetLists& operator=(const TwwDataSetLists&) = delete;

  // Assigning copies the given list.
  TStrings* ControlType() const { return controlType_.get(); }
  void SetControlType(TStrings* v) { controlType_->Assign(v); }
  TStrings* PictureMasks() const { return pictureMasks_.get(); }
  void SetPictureMasks(TStrings* v) { pictureMasks_->Assign(v); }
  TStrings* LookupFields() const { return lookupFields_.get(); }
  void SetLookupFields(TStrings* v) { lookupFields_->Assign(v); }
  TStrings* LookupLinks() const { return lookupLinks_.get(); }
  void SetLookupLinks(TStrings* v) { lookupLinks_->Assign(v); }
  bool ValidateWithMask() const { return validateWithMask_; }
  void SetValidateWithMask(bool v) { validateWithMask_ = v; }
  TwwOnFilterOptions OnFilterOptions() const { return filterOptions_; }

  TwwInvalidValueEvent OnInvalidValue;
  TDataSetNotifyEvent OnFilterEscape;

  // Tables opened for LookupFields entries; freed when the cursor closes.
  std::vector<std::unique_ptr<TDataSet>>& LookupTables() { return lookupTables_; }

  bool InFilterCallback() const { return inFilterCallback_; }
  // The engine's buffer of the record under test while OnFilter runs.
  const uint8_t* TestRecordBuffer() const { return testRecordBuffer_; }
  int FilterEscapeCounter() const { return filterEscapeCounter_; }
  // Raises the exception that OnFilter raised, if one is waiting.
  void RaisePendingFilterError();

  // The callback handed to the call level; its client data is the dataset.
  static int16_t RecordFilterCallback(uintptr_t clientData, uint8_t* recBuf, uint32_t recNum);

 protected:
  virtual TDataSet* Self() = 0;
  virtual bool FilterAssigned() const = 0;
  virtual void CallFilter(bool& accept) = 0;
  // TwwStoredProc's filter neither tests ofoEnabled nor polls Escape.
  virtual bool FilterHonoursOptions() const { return true; }
  // Stores the options; re-reads the records when ofoEnabled was switched
  // off on an open dataset with a filter event (deferred while inside the
  // call-level filter).
  void StoreFilterOptions(TwwOnFilterOptions v);
  // Runs a deferred re-read; called when a dataset operation has finished.
  void FinishDeferredReread();
  void FreeLookupTables() { lookupTables_.clear(); }
  // Drops setting entries of fields the dataset lacks and opens the lookup
  // tables of LookupFields.
  void PrepareLookupFields();
  // Installs the per-record filter on the open dataset, or drops it when
  // there is no filter event; a cursor that refuses it shows the warning
  // that local filtering is not supported.
  void InstallRecordFilter(TBapiHandle& handle);

 private:
  int16_t FilterRecord(uint8_t* recBuf);

  std::unique_ptr<TStringList> controlType_, pictureMasks_, lookupFields_, lookupLinks_;
  std::vector<std::unique_ptr<TDataSet>> lookupTables_;
  bool validateWithMask_ = true;
  TwwOnFilterOptions filterOptions_ = wwDefaultFilterOptions;
  bool inFilterCallback_ = false;
  int inRecordFilter_ = 0;
  bool rereadPending_ = false;
  const uint8_t* testRecordBuffer_ = nullptr;
  int filterEscapeCounter_ = 0;
  std::exception_ptr filterError_;
};

// The family's steps over a dataset class of the dataset layer.
template <class Base>
class TwwFamilyDataSet : public Base, public TwwDataSetLists {
 public:
  explicit TwwFamilyDataSet(TComponent* owner) : Base(owner) {}

  void SetOnFilterOptions(TwwOnFilterOptions v) { StoreFilterOptions(v); }

  int RecordCount() override {
    int n = Base::RecordCount();
    RaisePendingFilterError();
    return n;
  }

 protected:
  TDataSet* Self() override { return this; }

  void DoBeforePost() override {
    Base::DoBeforePost();
    if (ValidateWithMask()) wwValidateRecordPictureMasks(this, OnInvalidValue);
  }

  TGetResult GetRecord(TRecordBuffer* buf, TGetMode mode, bool doCheck) override {
    TGetResult r = Base::GetRecord(buf, mode, doCheck);
    RaisePendingFilterError();
    return r;
  }

  void DoAfterScroll() override {
    FinishDeferredReread();
    Base::DoAfterScroll();
  }
};

// Publishes the properties every member of the family has.
template <class C>
void wwPublishFamilyProperties(TClassInfo& ci) {
  PublishObject<C, TStrings>(ci, "ControlType", &C::ControlType, &C::SetControlType);
  PublishObject<C, TStrings>(ci, "LookupFields", &C::LookupFields, &C::SetLookupFields);
  PublishObject<C, TStrings>(ci, "LookupLinks", &C::LookupLinks, &C::SetLookupLinks);
  PublishObject<C, TStrings>(ci, "PictureMasks", &C::PictureMasks, &C::SetPictureMasks);
  PublishBool<C>(ci, "ValidateWithMask", &C::ValidateWithMask, &C::SetValidateWithMask);
  PublishSet<C>(ci, "OnFilterOptions", &C::OnFilterOptions, &C::SetOnFilterOptions);
  wwPublishEventProp<C, TwwInvalidValueEvent>(
      ci, "OnInvalidValue", [](const C* c) { return c->OnInvalidValue; },
      [](C* c, const TwwInvalidValueEvent& e) { c->OnInvalidValue = e; });
  wwPublishEventProp<C, TDataSetNotifyEvent>(
      ci, "OnFilterEscape", [](const C* c) { return c->OnFilterEscape; },
      [](C* c, const TDataSetNotifyEvent& e) { c->OnFilterEscape = e; });
}

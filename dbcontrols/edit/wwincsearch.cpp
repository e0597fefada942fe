// The incremental-search edit: typing restarts a timer, its tick moves the
// dataset to the nearest record of the typed text.
#include "dbcontrols/edit/wwincsearch.h"

#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/datasets/wwsearch.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keyboard.h"

TwwIncrementalSearch::TwwIncrementalSearch(TComponent* owner)
    : TCustomEdit(owner), timer_(std::make_unique<TTimer>(nullptr)) {
  timer_->SetEnabled(false);
  timer_->SetInterval(static_cast<unsigned>(interval_));
  timer_->OnTimer = [this](TObject*) { TimerTick(); };
  SetText("");
}

TwwIncrementalSearch::~TwwIncrementalSearch() {
  timer_.reset();
  dataLink_.SetDataSource(nullptr);
}

TwwDataSource* TwwIncrementalSearch::DataSource() const {
  return dynamic_cast<TwwDataSource*>(dataLink_.DataSource());
}

void TwwIncrementalSearch::SetDataSource(TwwDataSource* v) {
  if (TDataSource* old = dataLink_.DataSource()) RemoveFreeNotification(old);
  if (v) FreeNotification(v);
  dataLink_.SetDataSource(v);
}

void TwwIncrementalSearch::Notification(TComponent* c, TOperation op) {
  TCustomEdit::Notification(c, op);
  if (op == opRemove && c == dataLink_.DataSource()) dataLink_.SetDataSource(nullptr);
}

void TwwIncrementalSearch::KeyUp(Word& key, TShiftState shift) {
  TCustomEdit::KeyUp(key, shift);
  if (Text() == lastSearched_ || !wwIsEditKey(key)) return;
  if (showMatchText_ && (key == VK_BACK || key == VK_DELETE)) {
    // Taking back the completed part is no new search; an emptied text
    // ends a narrowed search, which shows every record again.
    TDataSet* ds = dataLink_.DataSet();
    auto* table = dynamic_cast<TwwTable*>(ds);
    if (table && table->NarrowSearch() && Text().empty()) table->CancelRange();
    return;
  }
  timer_->SetEnabled(false);
  if (!dataLink_.DataSource()) {
    MessageDlg("DataSource not defined - object " + Name(), mtWarning, mbOK, 0);
    return;
  }
  TDataSet* ds = dataLink_.DataSet();
  if (!ds) {
    MessageDlg("Dataset not defined for DataSource", mtWarning, mbOK, 0);
    return;
  }
  // A local table answers quickly: search after half the pause.
  unsigned interval = static_cast<unsigned>(interval_);
  if (auto* dbds = dynamic_cast<TDBDataSet*>(ds);
      dbds && dbds->Active() && !wwIsClassByName(dbds, "TwwClientDataSet") && dbds->Database() &&
      !dbds->Database()->IsSQLBased())
    interval = static_cast<unsigned>(interval_ / 2);
  timer_->SetInterval(interval);
  timer_->SetEnabled(true);
}

void TwwIncrementalSearch::SearchNow() { TimerTick(); }

void TwwIncrementalSearch::TimerTick() {
  if (!timer_->Enabled()) return;
  timer_->SetEnabled(false);
  if (Text() == lastSearched_) return;
  Search();
  lastSearched_ = Text();
}

void TwwIncrementalSearch::Search() {
  TDataSet* ds = dataLink_.DataSet();
  if (!dataLink_.DataSource() || !ds || !ds->Active()) return;
  const AnsiString text = Text();
  AnsiString field = searchField_;
  // Searched by the field's name rather than by an index position.
  bool narrowed = false;
  bool found = false;
  auto* table = dynamic_cast<TTable*>(ds);
  auto* wwTable = dynamic_cast<TwwTable*>(ds);
  auto byName = [&]() {
    if (field.empty() && ds->FieldCount() > 0) field = ds->Fields(0)->FieldName();
    narrowed = true;
    found = wwTable ? wwTable->LocateRecord(text, field, wwmtStart, false)
                    : wwLocateRecord(ds, text, field, wwmtStart, false);
  };
  if (table) {
    const bool hasQuery = wwTable && wwTable->Query()->Count() > 0;
    if (!hasQuery) {
      if (wwTable)
        wwTable->EnsureIndexDefs();
      else if (table->IndexDefs().Count() == 0)
        table->IndexDefs().Update();
    }
    if (table->IndexFieldCount() == 0) {
      byName();
    } else {
      int position = 0;
      if (!searchField_.empty())
        for (int i = 0; i < table->IndexFieldCount(); ++i)
          if (SameText(table->IndexFields(i)->FieldName(), searchField_)) position = i;
      found = wwTable ? wwTable->PartialKeySearch(text, position) : wwTableIncrementalSearch(table, text, position);
    }
  } else {
    byName();
  }
  if (OnAfterSearch) OnAfterSearch(this, found);
  if (!showMatchText_ || !found) return;
  TField* shown = nullptr;
  if (narrowed || !searchField_.empty())
    shown = ds->FindField(field);
  else if (table && table->IndexFieldCount() > 0)
    shown = table->IndexFields(0);
  if (!shown) return;
  const AnsiString match = shown->Text();
  if (match == text) return;
  SetText(match);
  const int typed = static_cast<int>(text.size());
  SetSelStart(typed);
  SetSelLength(static_cast<int>(match.size()) - typed);
}

void TwwIncrementalSearch::PublishProperties(TClassInfo& ci) {
  using C = TwwIncrementalSearch;
  PublishObject<C, TwwDataSource>(ci, "DataSource", &C::DataSource, &C::SetDataSource);
  PublishString<C>(ci, "SearchField", &C::SearchField, &C::SetSearchField);
  PublishBool<C>(ci, "ShowMatchText", &C::ShowMatchText, &C::SetShowMatchText);
  PublishEvent<C, TwwAfterSearchEvent>(ci, "OnAfterSearch", &C::OnAfterSearch);
  PublishBool<C>(ci, "AutoSelect", &C::AutoSelect, &C::SetAutoSelect);
  PublishBool<C>(ci, "AutoSize", &C::AutoSize, &C::SetAutoSize);
  PublishInteger<C>(ci, "BorderStyle", &C::BorderStyle, &C::SetBorderStyle);
  PublishInteger<C>(ci, "CharCase", &C::CharCase, &C::SetCharCase);
  PublishBool<C>(ci, "HideSelection", &C::HideSelection, &C::SetHideSelection);
  PublishInteger<C>(ci, "MaxLength", &C::MaxLength, &C::SetMaxLength);
  PublishBool<C>(ci, "ReadOnly", &C::ReadOnly, &C::SetReadOnly);
  PublishEvent<C, TNotifyEvent>(ci, "OnChange", &C::OnChange);
}

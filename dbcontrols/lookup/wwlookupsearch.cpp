// The lookup combo's record search: positioning the lookup table on a value
// (a key search through an index of the table, or a record search field by
// field), ordering the table for searching, and the search of the typed
// text that runs once per pause in typing.
//
// The engine of this system has no expression indexes, so every table with
// index fields is searched by its index and every other one sequentially.
#include <algorithm>

#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/datasets/wwsearch.h"
#include "dbcontrols/lookup/wwlookupcombo.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/scopeexit.h"

TwwTable* TwwDBCustomLookupCombo::LookupWwTable() const { return dynamic_cast<TwwTable*>(LookupTable()); }

bool TwwDBCustomLookupCombo::FindLookupRecord(const AnsiString& value, const AnsiString& fieldName, bool partial,
                                              bool caseSensitive) {
  TDataSet* table = LookupTable();
  if (!table || !table->Active()) return false;
  if (TwwTable* wt = LookupWwTable()) return wt->LocateRecord(value, fieldName, partial ? wwmtStart : wwmtExact, caseSensitive);
  TField* f = table->FindField(fieldName);
  if (f && f->Text() == value) {
    grid_->Invalidate();
    return true;
  }
  AnsiString v = value;
  if (f && f->DataType() == ftString && f->Size() > 0 && static_cast<int>(Text().size()) > f->Size())
    v.resize(static_cast<std::size_t>(f->Size()));
  if (!f || v.empty() || !wwIsValidFieldText(f, v)) {
    grid_->Invalidate();
    return false;
  }
  // Derived fields have no letter case of their own to respect.
  const bool cs = caseSensitive && !wwIsCalcOrLookupField(f);
  return wwLocateRecord(table, v, fieldName, partial ? wwmtStart : wwmtExact, cs);
}

int TwwDBCustomLookupCombo::SearchFieldPosition() const {
  TwwTable* wt = LookupWwTable();
  if (!wt || wt->IndexFieldCount() < 1) return -1;
  if (searchField_.empty()) return 0;
  for (int i = 0; i < wt->IndexFieldCount(); ++i)
    if (wwEqualText(wt->IndexFields(i)->FieldName(), searchField_)) return i;
  return -1;
}

bool TwwDBCustomLookupCombo::FindLookupValue(const AnsiString& value, const AnsiString& fieldName, bool partial) {
  TDataSet* table = LookupTable();
  if (!table || !table->Active()) return false;
  TwwTable* wt = LookupWwTable();
  const bool caseSensitive = (seqSearchOptions_ & ssoCaseSensitive) != 0;
  int keyPosition = -1;
  bool locate = false;
  if (wt && IsDetailLookupTable()) {
    const int m = static_cast<int>(wwFieldNameList(wt->MasterFields()).size());
    if (wt->IndexFieldCount() > m && wwEqualText(wt->IndexFields(m)->FieldName(), fieldName))
      keyPosition = m;
    else
      locate = true;
  }
  TField* f = table->FindField(fieldName);
  if (!partial && f && wwEqualText(f->Text(), value)) return true;
  if (locate) return wt->LocateRecord(value, fieldName, partial ? wwmtStart : wwmtExact, caseSensitive);
  if (keyPosition < 0) keyPosition = SearchFieldPosition();
  if (keyPosition < 0 || !wt) return FindLookupRecord(value, fieldName, partial, caseSensitive);
  const bool reached = wt->PartialKeySearch(value, keyPosition);
  // A whole value must be met exactly, not only begun.
  if (!partial && reached && f) return wwEqualText(f->Text(), value);
  return reached;
}

void TwwDBCustomLookupCombo::PrepareLookupOrder(bool byDisplay) {
  TwwTable* wt = LookupWwTable();
  if (!wt || !wt->Active() || wt->Query()->Count() > 0) return;
  if (byDisplay) {
    if (!orderByDisplay_) return;
    AnsiString value;
    if (Selected()->Count() == 0) {
      AddDefaultSelected();
    } else {
      const AnsiString& entry = Selected()->Strings(0);
      if (TField* f = wt->FindField(entry.substr(0, entry.find('\t')))) value = f->Text();
    }
    wt->SwitchToSelectedIndex(Selected());
    if (wt->MasterSource() && Selected()->Count() > 0) {
      const AnsiString& entry = Selected()->Strings(0);
      searchField_ = entry.substr(0, entry.find('\t'));
      FindLookupValue(value, searchField_, false);
    }
    return;
  }
  if (wt->MasterSource()) {
    const std::vector<AnsiString> names = wwFieldNameList(LookupField());
    if (names.empty()) return;
    searchField_ = names.back();
    TField* f = wt->FindField(searchField_);
    const AnsiString value = f ? f->Text() : AnsiString();
    wt->SwitchToFieldIndex(LookupField());
    FindLookupValue(value, searchField_, false);
    return;
  }
  wt->SwitchToFieldIndex(LookupField());
}

bool TwwDBCustomLookupCombo::PositionLookupOnValue() { return grid_->PositionOn(grid_->Value()); }

void TwwDBCustomLookupCombo::SearchTypedText() {
  timer_->SetEnabled(false);
  const AnsiString text = Text();
  TDataSet* table = LookupTable();
  if (text == lastSearched_ || !table || !table->Active()) return;
  TwwTable* wt = LookupWwTable();
  bool indexed = false;
  if (wt) {
    wt->EnsureIndexDefs();
    indexed = wt->IndexDefs().Count() > 0 && wt->IndexFieldCount() > 0;
  }
  const bool partial = ListVisible() || typing_;
  TField* display = grid_->DisplayField();
  bool found = false;
  if (!indexed) {
    if (!(seqSearchOptions_ & ssoEnabled)) return;
    found = display && FindLookupRecord(GetCurrentText(), display->FieldName(), partial,
                                        (seqSearchOptions_ & ssoCaseSensitive) != 0);
    if (partial && !found && display == grid_->KeyField(1)) {
      found_ = false;
      grid_->SetRawValue(AnsiString());
      return;
    }
    lastFound_ = text;
    grid_->SetRawDisplayValue(display ? display->Text() : AnsiString());
  } else {
    const int p = SearchFieldPosition();
    if (p < 0) {
      found = FindLookupValue(text, searchField_, partial);
    } else if (partial) {
      found = wt->PartialKeySearch(text, p);
    } else {
      // The leading index fields keep the current record's values, so the
      // search stays inside the current master range.
      std::vector<Variant> key;
      for (int i = 0; i < p && i < 2; ++i) key.push_back(Variant(wt->IndexFields(i)->Text()));
      key.push_back(Variant(text));
      TField* searched = wt->IndexFields(std::min(p, wt->IndexFieldCount() - 1));
      found = wwIsValidFieldText(searched, text) && wt->FindKey(key);
    }
    lastFound_ = text;
    if (p >= 0 && p < wt->IndexFieldCount())
      grid_->SetRawDisplayValue(wt->IndexFields(p)->Text());
    else if (display)
      grid_->SetRawDisplayValue(display->Text());
  }
  found_ = found;
  grid_->TakeKeyValues();
  // The record found carries the list's choice.
  if (!ListVisible())
    grid_->SetSelectedRow(-1);
  else
    grid_->SetSelectedRow(found ? grid_->DataLink()->ActiveRecord() : -1);
  if (showMatchText_ && found && display) {
    const int caret = SelStart();
    const AnsiString typed = caret == 0 ? text : text.substr(0, static_cast<std::size_t>(caret));
    SetText(display->Text());
    SetModified(true);
    SetSelStart(static_cast<int>(typed.size()));
    SetSelLength(static_cast<int>(Text().size()) - static_cast<int>(typed.size()));
    if (!ListVisible()) grid_->SetSelectedRow(0);
  }
  lastSearched_ = Text();
}

void TwwDBCustomLookupCombo::StopSearchTimer() {
  if (timer_->Enabled()) {
    timer_->SetEnabled(false);
    SearchTypedText();
    return;
  }
  const int row = grid_->SelectedRow();
  if (ListVisible() && row < 0) return;
  TwwGridDataLink* link = grid_->DataLink();
  if (!link->Active()) return;
  if (row >= 0 && !wwIsClassByName(this, "TwwDBLookupComboDlg") && row != link->ActiveRecord() &&
      row < link->RecordCount())
    link->DataSet()->MoveBy(row - link->ActiveRecord());
  TField* key = grid_->KeyField(1);
  TField* display = grid_->DisplayField();
  if (!key) return;
  grid_->TakeKeyValues();
  grid_->SetRawDisplayValue(display && display != key ? display->Text() : key->Text());
}

void TwwDBCustomLookupCombo::TypingSearch(Word& key) {
  const AnsiString text = Text();
  if (text == lastSearched_ && text.size() != 1) return;
  if (!wwIsEditKey(key)) return;
  TwwTable* wt = LookupWwTable();
  if (ListVisible()) {
    // One search per pause in typing; a local table answers fast enough
    // for half the pause.
    timer_->SetEnabled(false);
    timer_->SetInterval(static_cast<unsigned>(wt && !wt->IsSQLBased() ? searchDelay_ / 2 : searchDelay_));
    timer_->SetEnabled(true);
  }
  const bool erase = key == VK_BACK || key == VK_DELETE;
  if (showMatchText_ && erase) {
    if (wt && wt->Query()->Count() == 0 && wt->NarrowSearch() && text.empty()) wwSyncFieldsWithSelected(wt);
    if (!ListVisible() && style_ == csDropDownList && !allowClearKey_) {
      key = 0;
      return;
    }
  }
  {
    TScopeExit typed{[this] { typing_ = false; }};
    if (!ListVisible()) {
      if (showMatchText_ && !autoDropDown_ && !text.empty() && !erase) {
        PrepareLookupOrder(true);
        typing_ = true;
        SearchTypedText();
      } else if (autoDropDown_ && !text.empty()) {
        PrepareLookupOrder(true);
        typing_ = true;
        SearchTypedText();
        DropDown();
      }
    }
  }
  if (!ListVisible()) fieldLink_.Modified();
}

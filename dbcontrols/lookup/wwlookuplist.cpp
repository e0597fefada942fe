// The lookup list, the drop-down grid of the lookup combo and the combo's
// button: lookup fields and value, the positioning of the lookup table on
// the value, picking by mouse (with the grid's 60 ms selection timer) and
// by keys, and the layout of the columns.
#include "dbcontrols/lookup/wwlookuplist.h"

#include <algorithm>

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/datasets/wwsearch.h"
#include "dbcontrols/lookup/wwlookupcombo.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/dialogs.h"

namespace {

AnsiString FirstEntryField(const TStrings* selected) {
  if (!selected || selected->Count() == 0) return AnsiString();
  const AnsiString& e = selected->Strings(0);
  return e.substr(0, e.find('\t'));
}

}  // namespace

std::vector<AnsiString> wwLookupTokens(const AnsiString& text) {
  TStringList list;
  wwStrSplitToList(text, ';', &list);
  std::vector<AnsiString> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(wwStrTrimBlanks(list.Strings(i)));
  return out;
}

// ---------------------------------------------------------------- construction

TwwDBLookupList::TwwDBLookupList(TComponent* owner) : TwwCustomDBGrid(owner) {
  fieldLink_.SetControl(this);
  fieldLink_.OnDataChange = [this](TObject*) { DataChange(); };
  fieldLink_.OnUpdateData = [this](TObject*) {
    if (TField* f = fieldLink_.Field()) f->SetAsString(value_);
  };
  fieldLink_.OnActiveChange = [this](TObject*) {
    if (fieldLink_.Active() && DataLink()->Active()) DataChange();
  };
  TwwCustomDBGrid::SetOptions(dgRowSelect);
  SetBounds(Left(), Top(), 121, 97);
  lookupSource_ = std::make_unique<TDataSource>(nullptr);
  TwwCustomDBGrid::SetDataSource(lookupSource_.get());
}

TwwDBLookupList::~TwwDBLookupList() {
  fieldLink_.OnDataChange = nullptr;
  fieldLink_.OnActiveChange = nullptr;
  fieldLink_.SetDataSource(nullptr);
  TwwCustomDBGrid::SetDataSource(nullptr);
}

void TwwDBLookupList::PublishProperties(TClassInfo& ci) {
  PublishObject<TwwDBLookupList, TDataSource>(ci, "DataSource", &TwwDBLookupList::DataSource,
                                              &TwwDBLookupList::SetDataSource);
  PublishString<TwwDBLookupList>(ci, "DataField", &TwwDBLookupList::DataField, &TwwDBLookupList::SetDataField);
  PublishBool<TwwDBLookupList>(ci, "ReadOnly", &TwwDBLookupList::ReadOnly, &TwwDBLookupList::SetReadOnly);
  PublishObject<TwwDBLookupList, TDataSet>(ci, "LookupTable", &TwwDBLookupList::LookupTable,
                                           &TwwDBLookupList::SetLookupTable);
  PublishString<TwwDBLookupList>(ci, "LookupField", &TwwDBLookupList::LookupField,
                                 &TwwDBLookupList::SetLookupField);
  PublishObject<TwwDBLookupList, TStrings>(ci, "Selected", &TwwDBLookupList::Selected, &TwwDBLookupList::SetSelected);
  PublishSet<TwwDBLookupList>(ci, "Options", &TwwDBLookupList::Options, &TwwDBLookupList::SetOptions);
  PublishEvent<TwwDBLookupList, TNotifyEvent>(ci, "OnClick", &TwwDBLookupList::OnClick);
}

void TwwDBLookupList::Notification(TComponent* c, TOperation op) {
  TwwCustomDBGrid::Notification(c, op);
  if (op == opRemove && c == fieldLink_.DataSource()) SetDataSource(nullptr);
}

void TwwDBLookupList::Loaded() {
  TwwCustomDBGrid::Loaded();
  DataChange();
}

void TwwDBLookupList::CreateWnd() {
  TwwCustomDBGrid::CreateWnd();
  DataChange();
}

void TwwDBLookupList::LayoutChanged() {
  CheckLookupFields(false);
  TwwCustomDBGrid::LayoutChanged();
}

// ---------------------------------------------------------------- sources

void TwwDBLookupList::CheckDuplicateSource(TDataSet* lookup, TDataSource* data) const {
  if (!data) return;
  if (data == LookupSource() || (lookup && data->DataSet() == lookup)) throw EInvalidOperation(wwDuplicateSourceMessage);
}

void TwwDBLookupList::SetDataSource(TDataSource* v) {
  CheckDuplicateSource(LookupTable(), v);
  if (TDataSource* old = fieldLink_.DataSource()) old->RemoveFreeNotification(this);
  fieldLink_.SetDataSource(v);
  if (v) v->FreeNotification(this);
}

TDataSet* TwwDBLookupList::LookupTable() const { return LookupSource() ? LookupSource()->DataSet() : nullptr; }

TDataSet* TwwDBLookupList::DataFieldDataSet() const {
  TDataSource* s = combo_ ? combo_->DataSource() : fieldLink_.DataSource();
  return s ? s->DataSet() : nullptr;
}

TField* TwwDBLookupList::DataFieldField() const { return combo_ ? combo_->Field() : fieldLink_.Field(); }

bool TwwDBLookupList::DataFieldLinked() const { return combo_ && combo_->IsDataFieldLinked(); }

void TwwDBLookupList::SetLookupSource(TDataSource* v) {
  if (v && v->DataSet() && v->DataSet() == DataFieldDataSet()) throw EInvalidOperation(wwDuplicateSourceMessage);
  TwwCustomDBGrid::SetDataSource(v);
  LookupFieldChanged();
}

void TwwDBLookupList::SetLookupTable(TDataSet* v) {
  if (!LookupSource()) {
    MessageDlg("Lookup Source is not created", mtInformation, mbOK, 0);
    return;
  }
  // (The property's type admits only datasets, so the check that the table
  // is one is made by the type itself.)
  if (v && v == DataFieldDataSet()) throw EInvalidOperation(wwDuplicateSourceMessage);
  LookupSource()->SetDataSet(v);
  LookupFieldChanged();
}

void TwwDBLookupList::SetLookupField(const AnsiString& v) {
  if (v == lookupField_) return;
  lookupField_ = v;
  LookupFieldChanged();
}

void TwwDBLookupList::LookupFieldChanged() {
  CheckLookupFields(true);
  LayoutChanged();
  value_.clear();
  value2_.clear();
  value3_.clear();
  DataChange();
}

void TwwDBLookupList::SetOptions(TwwDBLookupListOptions v) {
  if (v == listOptions_) return;
  listOptions_ = v;
  TwwDBGridOptions o = dgRowSelect;
  if (v & loColLines) o |= dgColLines;
  if (v & loRowLines) o |= dgRowLines;
  if (v & loTitles) o |= dgTitles;
  TwwCustomDBGrid::SetOptions(o);
}

// ---------------------------------------------------------------- fields

void TwwDBLookupList::CheckLookupFields(bool raise) {
  displayField_ = nullptr;
  std::fill(std::begin(keyFields_), std::end(keyFields_), nullptr);
  TDataSet* table = LookupTable();
  if (!DataLink()->Active() || lookupField_.empty() || !table) return;
  const std::vector<AnsiString> tokens = wwLookupTokens(lookupField_);
  for (std::size_t i = 0; i < 3 && i < tokens.size(); ++i) keyFields_[i] = table->FindField(tokens[i]);
  if (!keyFields_[0] && raise) throw EInvalidOperation("Field '" + lookupField_ + "' not found");
  keyFieldCount_ = keyFields_[2] ? 3 : keyFields_[1] ? 2 : 1;
  if (DataFieldLinked()) {
    TDataSet* data = DataFieldDataSet();
    const AnsiString field = combo_->DataField();
    if (Selected()->Count() == 0) {
      AnsiString display;
      wwGetLookupDisplayToken(data, field, display);
      displayField_ = table->FindField(display);
    }
    AnsiString link;
    wwGetFieldLookupLink(data, field, link);
    const std::vector<AnsiString> pairs = wwLookupTokens(link);
    for (std::size_t k = 0; k < 3 && 2 * k + 1 < pairs.size(); ++k) {
      if (pairs[2 * k].empty() || pairs[2 * k + 1].empty()) break;
      keyFields_[k] = table->FindField(pairs[2 * k + 1]);
    }
  }
  if (Selected()->Count() > 0) displayField_ = table->FindField(FirstEntryField(Selected()));
  if (!displayField_) displayField_ = keyFields_[0];
}

void TwwDBLookupList::TakeKeyValues() {
  value_ = keyFields_[0] ? keyFields_[0]->Text() : AnsiString();
  value2_ = keyFields_[1] ? keyFields_[1]->Text() : AnsiString();
  value3_ = keyFields_[2] ? keyFields_[2]->Text() : AnsiString();
}

void TwwDBLookupList::SetValues(const AnsiString& v1, const AnsiString& v2, const AnsiString& v3) {
  value_ = v1;
  value2_ = v2;
  value3_ = v3;
}

// ---------------------------------------------------------------- value

void TwwDBLookupList::DataChange() {
  if (HasState(csLoading)) return;
  TField* f = DataFieldField();
  SetValue(f ? f->Text() : AnsiString());
}

void TwwDBLookupList::SetValue(const AnsiString& text) {
  HandleNeeded();
  TDataSource* data = combo_ ? combo_->DataSource() : fieldLink_.DataSource();
  if (data && data->DataSet() && DataLink()->Active() &&
      (data == LookupSource() || data->DataSet() == LookupTable()))
    throw EInvalidOperation(wwDuplicateSourceMessage);
  if (text == value_ && Row() == TitleOffset()) return;
  if (!DataLink()->Active() || !keyFields_[0]) return;
  value_ = text;
  selectedRow_ = -1;
  if (reentry_ > 0 && DataFieldLinked()) {
    TField* f = DataFieldField();
    displayValue_ = f ? f->Text() : AnsiString();
  } else if (displayField_ == keyFields_[0]) {
    displayValue_ = value_;
  } else if (combo_ ? combo_->Visible() : Visible()) {
    SyncLookup(false);
    displayValue_ = found_ && displayField_ ? displayField_->Text() : AnsiString();
  }
}

bool TwwDBLookupList::PositionOn(const AnsiString& value) {
  TDataSet* table = LookupTable();
  TField* key = keyFields_[0];
  if (!table || !table->Active() || !key || value.empty()) return false;
  auto* wt = dynamic_cast<TwwTable*>(table);
  const bool caseSensitive = combo_ && (combo_->SeqSearchOptions() & ssoCaseSensitive);
  if (wt && wt->MasterSource() && keyFieldCount_ == 1 && combo_)
    return combo_->FindLookupValue(value, key->FieldName(), false);
  std::vector<TField*> keys;
  std::vector<AnsiString> values = {value, value2_, value3_};
  for (int i = 0; i < keyFieldCount_; ++i)
    if (keyFields_[i]) keys.push_back(keyFields_[i]);
  values.resize(keys.size());
  // A key search needs an index whose leading fields are the key fields.
  bool indexServes = wt && wt->IndexFieldCount() >= static_cast<int>(keys.size());
  for (std::size_t i = 0; indexServes && i < keys.size(); ++i)
    indexServes = wt->IndexFields(static_cast<int>(i)) == keys[i] && wwIsValidFieldText(keys[i], values[i]);
  if (indexServes) {
    std::vector<Variant> key;
    for (const AnsiString& v : values) key.push_back(Variant(v));
    return wt->FindKey(key);
  }
  AnsiString names, joined;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    names += (i ? ";" : "") + keys[i]->FieldName();
    joined += (i ? ";" : "") + values[i];
  }
  if (combo_ && keys.size() == 1) return combo_->FindLookupRecord(value, names, false, caseSensitive);
  if (wt) return wt->LocateRecord(joined, names, wwmtExact, caseSensitive);
  return wwLocateRecord(table, joined, names, wwmtExact, caseSensitive);
}

void TwwDBLookupList::SetDisplayValue(const AnsiString& text) {
  if (text == displayValue_ && Row() == TitleOffset()) return;
  found_ = false;
  if (!DataLink()->Active() || !displayField_) return;
  selectedRow_ = -1;
  if (displayField_ == keyFields_[0]) value_ = text;
  found_ = PositionOn(value_);
  if (combo_) {
    combo_->found_ = found_;
    combo_->savedText_ = combo_->Text();
    if (combo_->Text().empty()) combo_->found_ = true;
  }
  displayValue_ = text;
  if (!found_) {
    displayValue_.clear();
    value_.clear();
  } else if (displayField_ != keyFields_[0]) {
    value_ = keyFields_[0]->Text();
  }
}

void TwwDBLookupList::SyncLookup(bool settle) {
  found_ = false;
  if (!HandleAllocated() || !(combo_ ? combo_->Visible() : Visible())) return;
  TDataSet* table = LookupTable();
  if (!table || !table->Active()) return;
  auto* wt = dynamic_cast<TwwTable*>(table);
  std::unique_ptr<TwwSearchScope> scope;
  if (wt) scope = std::make_unique<TwwSearchScope>(wt);
  const bool caseSensitive = combo_ && (combo_->SeqSearchOptions() & ssoCaseSensitive);
  if (DataFieldLinked()) {
    TField* data = DataFieldField();
    std::vector<AnsiString> own, theirs;
    if (data->Lookup()) {
      own = wwLookupTokens(data->KeyFields());
      theirs = wwLookupTokens(data->LookupKeyFields());
    } else {
      AnsiString link;
      wwGetFieldLookupLink(data->DataSet(), data->FieldName(), link);
      const std::vector<AnsiString> pairs = wwLookupTokens(link);
      for (std::size_t k = 0; k + 1 < pairs.size(); k += 2) {
        own.push_back(pairs[k]);
        theirs.push_back(pairs[k + 1]);
      }
    }
    if (own.empty() || theirs.empty()) return;
    TField* source = data->DataSet()->FindField(own.back());
    const AnsiString value = source ? source->Text() : AnsiString();
    const AnsiString field = theirs.back();
    if (wt && wt->MasterSource()) {
      found_ = combo_->FindLookupValue(value, field, false);
    } else if (wt) {
      combo_->PrepareLookupOrder(false);
      found_ = combo_->FindLookupValue(value, field, false);
    } else {
      found_ = combo_->FindLookupRecord(value, field, false, caseSensitive);
    }
    if (settle) combo_->PrepareLookupOrder(true);
    if (!found_) {
      table->First();
      SetValues({}, {}, {});
    } else {
      TakeKeyValues();
    }
    return;
  }
  if (!lookupField_.empty() && combo_) combo_->PrepareLookupOrder(true);
  if (table->State() == dsSetKey) return;
  if (combo_ && (!combo_->DataSource() || !combo_->DataSource()->DataSet()) && displayField_ == keyFields_[0]) {
    value_ = combo_->Text();
    displayValue_ = value_;
  }
  found_ = PositionOn(value_);
  if (!settle) return;
  if (combo_) {
    combo_->found_ = found_ || combo_->Text().empty();
    combo_->savedText_ = combo_->Text();
    combo_->PrepareLookupOrder(true);
  }
  if (!found_) table->First();
}

// ---------------------------------------------------------------- picking

bool TwwDBLookupList::CanChangeValue() { return !fieldLink_.DataSource() || fieldLink_.Editing(); }

void TwwDBLookupList::ListClick() {
  if (!CanChangeValue() || !displayField_) return;
  if (fieldLink_.Editing()) fieldLink_.Modified();
  displayValue_ = displayField_->Text();
  TakeKeyValues();
  if (keyFields_[0] == displayField_) value_ = displayValue_;
  if (OnClick) OnClick(this);
}

// Whether the record in a data row holds the current value.
static bool RowHolds(TwwDBLookupList* list, TwwGridDataLink* link, int dataRow) {
  if (dataRow < 0 || dataRow >= link->RecordCount()) return false;
  const int saved = link->ActiveRecord();
  link->SetActiveRecord(dataRow);
  bool holds = true;
  const AnsiString* values[3] = {&list->Value(), &list->Value2(), &list->Value3()};
  for (int i = 1; i <= 3 && holds; ++i)
    if (TField* k = list->KeyField(i)) holds = k->Text() == *values[i - 1];
  link->SetActiveRecord(saved);
  return holds;
}

bool TwwDBLookupList::SelectCell(int col, int row) {
  (void)col;
  if (!DataLink()->Active() || !keyFields_[0]) return false;
  // Moves of the dataset itself: the grid's row follows its record.
  if (!mouseSelecting_ && !inKeyDown_) return true;
  const int dataRow = row - TitleOffset();
  if (!CanChangeValue() && !RowHolds(this, DataLink(), dataRow)) return false;
  selectedRow_ = dataRow;
  return true;
}

void TwwDBLookupList::FollowRow() {
  TwwGridDataLink* link = DataLink();
  if (!link->Active() || Row() < TitleOffset()) return;
  const int distance = Row() - TitleOffset() - link->ActiveRecord();
  if (distance != 0) link->DataSet()->MoveBy(distance);
}

void TwwDBLookupList::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (!HasState(csDesigning) && CanFocus() && TabStop()) {
    SetFocus();
    TCustomForm* form = GetParentForm(this);
    if (form && form->ActiveControl() != this) {
      ReleaseCapture();
      return;
    }
  }
  // The double click itself ran before this press arrived.
  if (shift & ssDouble) return;
  if (button == mbLeft && LookupSource() && displayField_ && DataLink()->Active()) {
    const TGridCoord cell = MouseCoord(x, y);
    const int dataRow = cell.Y - TitleOffset();
    if (cell.Y >= TitleOffset() && dataRow < DataLink()->RecordCount()) fieldLink_.Edit();
    if (cell.Y >= TitleOffset() && dataRow < DataLink()->RecordCount() &&
        (CanChangeValue() || RowHolds(this, DataLink(), dataRow))) {
      mouseSelecting_ = true;
      BeginMouseSelect(x, y);
      if (cell.Y != Row()) {
        InvalidateRow(Row());
        InvalidateRow(cell.Y);
      }
      selectedRow_ = dataRow;
      DataLink()->DataSet()->MoveBy(cell.Y - Row());
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TwwDBLookupList::MouseMove(TShiftState shift, int x, int y) {
  TwwCustomDBGrid::MouseMove(shift, x, y);
  if (mouseSelecting_) FollowRow();
}

void TwwDBLookupList::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const bool was = mouseSelecting_;
  TwwCustomDBGrid::MouseUp(button, shift, x, y);
  if (!was) return;
  FollowRow();
  mouseSelecting_ = false;
  ListClick();
}

void TwwDBLookupList::KeyDown(Word& key, TShiftState shift) {
  const Word pressed = key;
  const bool couldChange = CanChangeValue();
  {
    inKeyDown_ = true;
    TScopeExit done{[this] { inKeyDown_ = false; }};
    TwwCustomDBGrid::KeyDown(key, shift);
  }
  switch (pressed) {
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME: case VK_UP: case VK_DOWN:
      if (CanChangeValue()) {
        Invalidate();
        ListClick();
      } else if (!couldChange) {
        // A value that cannot change keeps its row.
        PositionOn(value_);
      }
      break;
    default: break;
  }
}

void TwwDBLookupList::KeyPress(char& key) {
  TwwCustomDBGrid::KeyPress(key);
  const unsigned char k = static_cast<unsigned char>(key);
  if (k == 27) {
    fieldLink_.Reset();
    key = 0;
  } else if (k >= 32) {
    fieldLink_.Edit();
  }
}

bool TwwDBLookupList::CanGridAcceptKey(Word key, TShiftState) {
  if (key == VK_INSERT) return false;
  if (key < VK_PRIOR || key > VK_DOWN) return true;
  fieldLink_.Edit();
  if (combo_) combo_->SetModified(true);
  if (key >= VK_LEFT && !CanChangeValue()) return false;
  TwwGridDataLink* link = DataLink();
  if (!link->Active()) return true;
  TDataSet* ds = link->DataSet();
  if (selectedRow_ >= 0) {
    if (selectedRow_ != link->ActiveRecord() && selectedRow_ < link->RecordCount())
      ds->MoveBy(selectedRow_ - link->ActiveRecord());
    return true;
  }
  if (found_) {
    SyncLookup(true);
    return true;
  }
  // Nothing chosen yet: the list shows its first record highlighted, and
  // the key moves on from there (Down goes to the second record).
  ds->First();
  InvalidateRow(TitleOffset());
  return true;
}

// ---------------------------------------------------------------- scrolling and painting

void TwwDBLookupList::Scroll(int distance) {
  if (Visible() && selectedRow_ >= 0) {
    selectedRow_ -= distance;
    if (selectedRow_ < 0 || selectedRow_ >= DataLink()->RecordCount()) selectedRow_ = -1;
  }
  TwwCustomDBGrid::Scroll(distance);
}

void TwwDBLookupList::Paint() {
  TwwCustomDBGrid::Paint();
  if (!Focused() || selectedRow_ < 0) return;
  const int row = selectedRow_ + TitleOffset();
  TRect r = CellRect(FixedCols(), row);
  if (r.IsEmpty()) return;
  r.Right = ClientWidth();
  Canvas()->DrawFocusRect(r);
}

bool TwwDBLookupList::HighlightCell(int dataCol, int dataRow, const AnsiString& text, TGridDrawState state) {
  // The drop-down never has the focus, yet shows its current record.
  if (combo_) return (state & gdSelected) != 0;
  return TwwCustomDBGrid::HighlightCell(dataCol, dataRow, text, state);
}

void TwwDBLookupList::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_VSCROLL: {
      TwwGridDataLink* link = DataLink();
      if (!Visible() || !link->Active()) break;
      switch (LoWord(m.WParam)) {
        case SB_LINEUP: link->DataSet()->MoveBy(-(link->ActiveRecord() + 1)); return;
        case SB_LINEDOWN: link->DataSet()->MoveBy(link->RecordCount() - link->ActiveRecord()); return;
        case SB_THUMBPOSITION: selectedRow_ = -1; break;
        default: break;
      }
      break;
    }
    case CM_ENTER:
      TwwCustomDBGrid::Dispatch(m);
      if (selectedRow_ >= 0) InvalidateRow(selectedRow_ + TitleOffset());
      return;
    case CM_EXIT:
      try {
        fieldLink_.UpdateRecord();
      } catch (...) {
        SetFocus();
        throw;
      }
      TwwCustomDBGrid::Dispatch(m);
      if (selectedRow_ >= 0) InvalidateRow(selectedRow_ + TitleOffset());
      return;
    case WM_SIZE:
      if (HasState(csLoading)) return;
      TwwCustomDBGrid::Dispatch(m);
      if (Visible()) ApplySelected();
      return;
    default: break;
  }
  TwwCustomDBGrid::Dispatch(m);
}

// ---------------------------------------------------------------- columns

void TwwDBLookupList::DefineFieldMap() {
  TDataSet* table = LookupTable();
  if (!table || !UseTFields()) {
    TwwCustomDBGrid::DefineFieldMap();
    return;
  }
  bool any = false;
  for (int i = 0; i < table->FieldCount(); ++i)
    if (table->Fields(i)->Visible()) {
      DataLink()->AddMapping(table->Fields(i)->FieldName());
      any = true;
    }
  if (!any && keyFields_[0]) DataLink()->AddMapping(keyFields_[0]->FieldName());
}

void TwwDBLookupList::ApplySelected() {
  TwwCustomDBGrid::ApplySelected();
  const int first = IndicatorOffset(), last = ColCount() - 1;
  if (last < first || !DataLink()->Active()) return;
  const int line = (listOptions_ & loColLines) ? 1 : 0;
  int sum = 0;
  for (int c = first; c < last; ++c) sum += ColWidths(c) + line;
  // The last column's own line stays inside the client area, or a scroll
  // bar would come and go with every width.
  const int room = ClientWidth() - sum - line;
  if (!stretchLast_ || stretching_ || !(last == first || sum < ClientWidth() - 15) || room <= 0) return;
  // The grid's own width, not a user's resize.
  const bool saved = writeBackWidths_;
  writeBackWidths_ = false;
  stretching_ = true;
  TScopeExit stretched{[this, saved] {
    writeBackWidths_ = saved;
    stretching_ = false;
  }};
  SetColWidths(last, room);
}

void TwwDBLookupList::LinkActive(bool active) {
  TwwCustomDBGrid::LinkActive(active);
  if (!active) return;
  SetValue(AnsiString());
  DataChange();
}

void TwwDBLookupList::DataChanged() {
  TwwCustomDBGrid::DataChanged();
  if (!combo_ || !combo_->IsDetailLookupTable() || HasState(csLoading)) return;
  TDataSet* table = LookupTable();
  auto* wt = dynamic_cast<TwwTable*>(table);
  if (!table || table->State() != dsBrowse || !combo_->Field()) return;
  if (!wt) {
    MessageDlg("LookupTable on a detail table is only supported when using a TwwTable as the LookupTable!",
               mtWarning, mbOK, 0);
    return;
  }
  if (wt->MasterFields().empty() || wt->SearchNesting() > 0 || reentry_ > 0) return;
  ++reentry_;
  TScopeExit left{[this] { --reentry_; }};
  value_.clear();
  combo_->RefreshLookupText();
}

// ---------------------------------------------------------------- TwwPopupGrid

TwwPopupGrid::TwwPopupGrid(TwwDBCustomLookupCombo* combo) : TwwDBLookupList(combo) {
  combo_ = combo;
  SetControlStyle(ControlStyle() | csNoDesignVisible | csReplicatable);
  SetTabStop(false);
  // A press into the drop-down leaves the focus with the combo.
  SetFocusOnClick(false);
  // The drop-down window draws the frame.
  SetBorderStyle(bsNone);
  SetVisible(false);
}

void TwwPopupGrid::CreateParams(TCreateParams& p) {
  TwwDBLookupList::CreateParams(p);
  p.Style |= WS_BORDER;
  p.ExStyle = WS_EX_TOOLWINDOW;
  p.WindowClassStyle |= CS_SAVEBITS;
}

void TwwPopupGrid::CreateWnd() {
  TwwDBLookupList::CreateWnd();
  combo_->RefreshLookupText();
}

bool TwwPopupGrid::CanChangeValue() {
  TFieldDataLink* link = combo_->FieldLink();
  if (!link->DataSource() || link->Editing()) return true;
  if (!combo_->IsDataFieldLinked()) return false;
  TDataSource* s = link->DataSource();
  TDataSet* ds = s->DataSet();
  return (ds && (ds->State() == dsEdit || ds->State() == dsInsert)) || s->AutoEdit();
}

void TwwPopupGrid::LinkActive(bool active) {
  TwwDBLookupList::LinkActive(active);
  if (!active || !DataLink()->Active()) return;
  if (!KeyField(1)) CheckLookupFields(true);
  SetValue(AnsiString());
  combo_->RefreshLookupText();
}

void TwwPopupGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  combo_->StartEdit();
  TwwDBLookupList::MouseDown(button, shift, x, y);
}

void TwwPopupGrid::Dispatch(TMessage& m) {
  if (m.Msg == WM_LBUTTONUP) {
    TwwDBLookupList::Dispatch(m);
    combo_->CloseUp(true);
    return;
  }
  TwwDBLookupList::Dispatch(m);
}

// ---------------------------------------------------------------- TwwComboButton

TwwDBCustomLookupCombo* TwwComboButton::Combo() const {
  return Parent() ? dynamic_cast<TwwDBCustomLookupCombo*>(Parent()->Parent()) : nullptr;
}

void TwwComboButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TwwDBCustomLookupCombo* combo = Combo();
  if (!combo) {
    TSpeedButton::MouseDown(button, shift, x, y);
    return;
  }
  const bool wasOpen = combo->ListVisible();
  if (!wasOpen && !combo->Focused()) {
    if (combo->CanFocus()) combo->SetFocus();
    if (!combo->Focused()) return;
  }
  if (button == mbLeft) pressed_ = true;
  TSpeedButton::MouseDown(button, shift, x, y);
  if (button != mbLeft || (!wasOpen && combo->ListVisible())) return;
  if (combo->ListVisible()) {
    if (combo->FoundFlag()) combo->CommitText(this);
    combo->CloseUp(true);
  } else {
    combo->DropDown();
  }
  Invalidate();
}

void TwwComboButton::MouseMove(TShiftState shift, int x, int y) {
  TSpeedButton::MouseMove(shift, x, y);
  TwwDBCustomLookupCombo* combo = Combo();
  if (!combo || !(shift & ssLeft) || GetCaptureControl() != combo) return;
  const TPoint p = combo->ScreenToClient(ClientToScreen({x, y}));
  combo->MouseMove(shift, p.X, p.Y);
}

void TwwComboButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && pressed_) {
    pressed_ = false;
    Invalidate();
  }
  TSpeedButton::MouseUp(button, shift, x, y);
}

void TwwComboButton::Paint() {
  SkipDefaultPaint = false;
  if (TwwDBCustomLookupCombo* combo = Combo()) combo->PaintButton(Canvas(), ClientRect(), pressed_, Enabled());
  if (!SkipDefaultPaint) TSpeedButton::Paint();
}

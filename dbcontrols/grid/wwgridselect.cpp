// TwwDBGrid's input and selection: keys and clicks on cells with control
// types (check boxes toggle, edit controls take the focus and the typing,
// rich-text cells hand F2 to their control, memo cells open the memo
// dialog), scrolling and column moves that hide the edit control, and the
// multi-selection of records by bookmark with Shift range selection.
#include <algorithm>

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/datasets/wwsearch.h"
#include "dbcontrols/grid/wwgrid.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/scopeexit.h"

namespace {

bool SameRecord(int comparison) { return comparison == 0 || comparison == 2; }

}  // namespace

// ---------------------------------------------------------------- scrolling and columns

void TwwDBGrid::Scroll(int distance) {
  if (TWinControl* c = VisibleEditControl(); c && Visible() && c->Focused() && CanFocus()) SetFocus();
  TwwCustomDBGrid::Scroll(distance);
}

void TwwDBGrid::ColExit() {
  TwwCustomDBGrid::ColExit();
  if (HasState(csDesigning)) return;
  TCustomForm* form = GetParentForm(this);
  TWinControl* active = form ? form->ActiveControl() : nullptr;
  if (active == this || (active && active == currentEditControl_)) HideEditControl();
}

void TwwDBGrid::ColumnMoved(int from, int to) {
  HideEditControl();
  TwwCustomDBGrid::ColumnMoved(from, to);
}

void TwwDBGrid::TopLeftChanged() {
  if ((Options() & dgRowSelect) && !settingTopRow_ && TopRow() != TitleOffset() && TitleOffset() < RowCount()) {
    settingTopRow_ = true;
    TScopeExit set{[this] { settingTopRow_ = false; }};
    SetTopRow(TitleOffset());
  }
  TwwCustomDBGrid::TopLeftChanged();
  if (TWinControl* c = VisibleEditControl()) {
    const TRect cell = CellRect(Col(), Row());
    if (cell.IsEmpty()) {
      HideEditControl();
    } else if (cell != c->BoundsRect()) {
      HideEditControl();
      Invalidate();
    }
  }
}

// ---------------------------------------------------------------- keys and clicks

void TwwDBGrid::SendF2(TWinControl* control) {
  if (control) control->Perform(WM_KEYDOWN, VK_F2, 0);
}

void TwwDBGrid::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_DOWN && (shift & ssAlt)) {
    if (TWinControl* c = VisibleEditControl()) {
      if (c->CanFocus()) c->SetFocus();
      wwSendKeyWithState(c->Handle(), VK_DOWN, VK_MENU);
      key = 0;
      return;
    }
  }
  TwwCustomDBGrid::KeyDown(key, shift);
  if (key == 0 || !DataLink()->Active()) return;
  const int dataCol = GetSelectedIndex();
  if (!IsBlobCell(Col(), Row()) && !Editable() && !IsSelectedFieldCell(dataCol)) return;
  AnsiString params;
  const AnsiString type = ColumnControlType(dataCol, &params);
  if (wwEqualText(type, "CheckBox")) {
    if (key == VK_SPACE) ToggleCheckBox();
  } else if (TWinControl* control = EditControlOf(dataCol)) {
    if (key == VK_F2) {
      if (VisibleEditControl() == control && control->CanFocus()) control->SetFocus();
    } else if (wwIsEditKey(key) && VisibleEditControl() == control) {
      control->Perform(WM_KEYDOWN, key, 0);
    }
  } else if (wwEqualText(type, "RichEdit")) {
    int pos = 1;
    if (key == VK_F2) SendF2(FindEditControl(wwStrGetToken(params, ";", pos), true));
  } else if (key == VK_F2 && IsTextMemoCell(Col(), Row())) {
    ShowMemoDialog();
  }
}

void TwwDBGrid::PasteIntoCell() {
  TWinControl* control = VisibleEditControl();
  if (!control || !Editable()) {
    TwwCustomDBGrid::PasteIntoCell();
    return;
  }
  // As a typed character does, the paste goes into the control over the cell.
  if (control->CanFocus()) control->SetFocus();
  if (auto* edit = dynamic_cast<TCustomEdit*>(control)) edit->SelectAll();
  control->Perform(WM_PASTE, 0, 0);
}

void TwwDBGrid::DblClick() {
  TwwCustomDBGrid::DblClick();
  if (!DataLink()->Active()) return;
  AnsiString params;
  const AnsiString type = ColumnControlType(GetSelectedIndex(), &params);
  if (wwEqualText(type, "RichEdit")) {
    int pos = 1;
    SendF2(FindEditControl(wwStrGetToken(params, ";", pos), true));
  } else if (IsTextMemoCell(Col(), Row())) {
    // A picture or other binary BLOB is never opened as text.
    ShowMemoDialog();
  }
}

void TwwDBGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const bool range = button == mbLeft && (Options() & dgMultiSelect) && (shift & ssShift) && HasSelectionAnchor();
  // The clicked record is selected on the way, but the anchor of the range
  // stays where it is.
  {
    keepAnchor_ = range;
    TScopeExit kept{[this] { keepAnchor_ = false; }};
    TwwCustomDBGrid::MouseDown(button, shift, x, y);
  }
  if (button != mbLeft || !DataLink()->Active()) return;
  const TGridCoord cell = MouseCoord(x, y);
  if (cell.X < IndicatorOffset() || cell.Y < TitleOffset()) return;
  const int dataCol = cell.X - IndicatorOffset();
  if (!Editable() && !IsSelectedFieldCell(dataCol) && !(Options() & dgMultiSelect)) return;
  if (cell.X == Col() && cell.Y == Row()) {
    if (wwEqualText(ColumnControlType(dataCol), "CheckBox")) {
      // One click toggles with ecoCheckboxSingleClick, else a double click.
      const bool dbl = (shift & ssDouble) != 0;
      if (dbl != ((editControlOptions_ & ecoCheckboxSingleClick) != 0)) ToggleCheckBox();
    } else if (EditControlOf(dataCol) && !VisibleEditControl()) {
      InvalidateCell(Col(), Row());  // the paint lays the control over the cell
    }
  }
  if (range) SelectRange();
}

void TwwDBGrid::ToggleCheckBox() {
  const int dataCol = GetSelectedIndex();
  TField* f = GetColField(dataCol);
  if (!f || f->ReadOnly()) return;
  AnsiString checked, unchecked;
  if (!GetCheckBoxValues(f, checked, unchecked)) return;
  if (IsSelectedFieldCell(dataCol)) {
    if (IsCurrentRecordSelected())
      UnselectRecord();
    else
      SelectRecord();
    InvalidateCell(Col(), Row());
    return;
  }
  // A field changes only in a grid that edits.
  if (!Editable() || !MayEditField(f)) return;
  TDataSet* ds = f->DataSet();
  if (ds->State() != dsEdit && ds->State() != dsInsert && !DataLink()->Edit()) return;
  f->SetAsString(wwEqualText(f->DisplayText(), checked) ? unchecked : checked);
  InvalidateCell(Col(), Row());
}

void TwwDBGrid::ShowMemoDialog() {
  if (memoAttributes_ & mDisableDialog) return;
  TField* f = GetColField(GetSelectedIndex());
  if (!f || !(f->DataType() == ftMemo || f->DataType() == ftFmtMemo)) return;
  TwwMemoDialog dialog(nullptr);
  dialog.SetDataSource(TwwCustomDBGrid::DataSource());
  dialog.SetDataField(f->FieldName());
  TwwMemoAttributes attributes = memoAttributes_;
  if (!Editable() || f->ReadOnly() || !MayEditField(f)) attributes |= mViewOnly;
  dialog.SetMemoAttributes(attributes);
  AnsiString caption = f->DisplayLabel();
  std::replace(caption.begin(), caption.end(), '~', ' ');
  dialog.SetCaption(caption);
  dialog.SetFont(*Font());
  dialog.SetDlgLeft(-1);
  if (OnMemoOpen) OnMemoOpen(this, &dialog);
  const bool ok = dialog.Execute();
  if (OnMemoClose) OnMemoClose(this, !ok);
  InvalidateCell(Col(), Row());
}

// ---------------------------------------------------------------- multi-selection

int TwwDBGrid::SelectedIndexOf(TBookmark bm) const {
  TDataSet* ds = DataLink()->DataSet();
  if (!bm || !ds) return -1;
  for (std::size_t i = 0; i < selectedList_.size(); ++i)
    if (SameRecord(wwCompareBookmarks(ds, selectedList_[i], bm))) return static_cast<int>(i);
  return -1;
}

bool TwwDBGrid::IsCurrentRecordSelected() {
  TDataSet* ds = DataLink()->DataSet();
  if (selectedList_.empty() || !ds || !ds->Active()) return false;
  TBookmark bm = ds->GetBookmark();
  const bool selected = SelectedIndexOf(bm) >= 0;
  ds->FreeBookmark(bm);
  return selected;
}

void TwwDBGrid::SelectRecord() {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !ds->Active()) return;
  if (HasSelectionAnchor() && !keepAnchor_) SetSelectionAnchorToCurrent();
  UpdateRowSelectionFlags();
  if (!IsCurrentRecordSelected()) {
    bool accept = true;
    if (OnMultiSelectRecord) OnMultiSelectRecord(this, true, accept);
    if (accept) {
      TBookmark bm = ds->GetBookmark();
      if (bm && SelectedIndexOf(bm) < 0)
        selectedList_.push_back(bm);
      else
        ds->FreeBookmark(bm);
    }
  }
  UpdateRowSelectionFlags();
  Invalidate();
}

void TwwDBGrid::UnselectRecord() {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !ds->Active() || !IsCurrentRecordSelected()) return;
  bool accept = true;
  if (OnMultiSelectRecord) OnMultiSelectRecord(this, false, accept);
  if (!accept) return;
  TBookmark bm = ds->GetBookmark();
  const int i = SelectedIndexOf(bm);
  ds->FreeBookmark(bm);
  if (i < 0) return;
  delete[] selectedList_[static_cast<std::size_t>(i)];
  selectedList_.erase(selectedList_.begin() + i);
  UpdateRowSelectionFlags();
  Invalidate();
}

void TwwDBGrid::UnselectAll() {
  for (TBookmark bm : selectedList_) delete[] bm;
  selectedList_.clear();
  Invalidate();
  rowFlags_.assign(rowFlags_.size(), false);
}

bool TwwDBGrid::IsRowMultiSelected(int dataRow) {
  return dataRow >= 0 && dataRow < static_cast<int>(rowFlags_.size()) && rowFlags_[static_cast<std::size_t>(dataRow)];
}

void TwwDBGrid::UpdateRowSelectionFlags() {
  TwwGridDataLink* link = DataLink();
  rowFlags_.assign(static_cast<std::size_t>(link->Active() ? link->RecordCount() : 0), false);
  TDataSet* ds = link->DataSet();
  if (selectedList_.empty() || !link->Active() || !ds) return;
  if (ds->State() == dsEdit || ds->State() == dsInsert) return;
  const int saved = link->ActiveRecord();
  TScopeExit restore{[link, saved] { link->SetActiveRecord(saved); }};
  for (std::size_t r = 0; r < rowFlags_.size(); ++r) {
    link->SetActiveRecord(static_cast<int>(r));
    TBookmark bm = ds->GetBookmark();
    rowFlags_[r] = SelectedIndexOf(bm) >= 0;
    ds->FreeBookmark(bm);
  }
}

// Puts the record of `bm` current and into data row `dataRow` of the
// window, as far as the records around it allow.
void TwwDBGrid::PlaceRecordAtRow(TBookmark bm, int dataRow) {
  TDataSet* ds = DataLink()->DataSet();
  TwwGridDataLink* link = DataLink();
  ds->GotoBookmark(bm);
  const int rows = link->BufferCount();
  const int now = link->ActiveRecord();
  dataRow = std::clamp(dataRow, 0, std::max(0, rows - 1));
  if (now > dataRow) {
    // Scroll the window down by the difference from its last row, then
    // come back up inside it.
    ds->MoveBy(rows - 1 - now + (now - dataRow));
    ds->MoveBy(-(rows - 1 - dataRow));
  } else if (now < dataRow) {
    ds->MoveBy(-dataRow);
    ds->MoveBy(dataRow);
  }
  TBookmark here = ds->GetBookmark();
  const bool there = here && SameRecord(wwCompareBookmarks(ds, here, bm));
  ds->FreeBookmark(here);
  if (!there) ds->GotoBookmark(bm);
}

void TwwDBGrid::SelectRange() {
  TDataSet* ds = DataLink()->DataSet();
  TBookmark anchor = SelectionAnchor();
  if (!ds || !anchor || ds->State() == dsInsert) return;
  const int keepRow = Row() - TitleOffset();
  TBookmark clicked = ds->GetBookmark();
  if (!clicked) return;
  TScopeExit freeClicked{[ds, clicked] { ds->FreeBookmark(clicked); }};
  const int order = wwCompareBookmarks(ds, anchor, clicked);  // < 0: the anchor lies before
  TBookmark lo = order < 0 ? anchor : clicked, hi = order < 0 ? clicked : anchor;
  auto within = [&](TBookmark b) {
    const int a = wwCompareBookmarks(ds, b, lo), z = wwCompareBookmarks(ds, b, hi);
    return (SameRecord(a) || a > 0) && (SameRecord(z) || z < 0);
  };
  ds->DisableControls();
  // EnableControls tells the controls, whose handlers may raise: it stays out
  // of a destructor.
  try {
    for (std::size_t i = 0; i < selectedList_.size();) {
      if (within(selectedList_[i])) {
        delete[] selectedList_[i];
        selectedList_.erase(selectedList_.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
    // From the clicked record towards the anchor, each record once.
    for (;;) {
      TBookmark bm = ds->GetBookmark();
      if (!bm) break;
      const bool atAnchor = SameRecord(wwCompareBookmarks(ds, bm, anchor));
      if (SelectedIndexOf(bm) < 0)
        selectedList_.push_back(bm);
      else
        ds->FreeBookmark(bm);
      if (atAnchor || SameRecord(order)) break;
      if (order < 0) {
        ds->Prior();
        if (ds->Bof()) break;
      } else {
        ds->Next();
        if (ds->Eof()) break;
      }
    }
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
  PlaceRecordAtRow(clicked, keepRow);
  UpdateRowSelectionFlags();
  Invalidate();
}

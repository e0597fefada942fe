// Keyboard, mouse and in-place editing of the grid base: moving through
// records and columns, tabbing, the editor's text going to and from the
// current field, the picture-mask check when a column is left, inserting,
// appending and deleting records, abandoning an edit, pressing title
// buttons and moving columns.
//
// The library grid's own key handling is never used: rows are records, so
// every vertical move is a move of the dataset, and the current row follows
// through the data link. Keys with Ctrl are consumed; others are not.
#include <algorithm>

#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/grid/wwdbgrid.h"
#include "dbcontrols/grid/wwinplace.h"
#include "dbcontrols/intl/wwintl.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"

// ---------------------------------------------------------------- editor hooks

TInplaceEdit* TwwCustomDBGrid::CreateEditor() { return new TwwInplaceEdit(this); }

bool TwwCustomDBGrid::CanEditAcceptKey(char key) {
  if (!link_->Active() || link_->FieldCount() == 0) return false;
  TField* f = GetColField(GetSelectedIndex());
  return f && f->IsValidChar(key);
}

bool TwwCustomDBGrid::ColumnTakesTyping(int dataCol) {
  TField* f = GetColField(dataCol);
  return f && (f->CanModify() || (editCalculated_ && wwIsCalcOrLookupField(f) && !f->ReadOnly()));
}

bool TwwCustomDBGrid::TypingCellFollows() {
  for (int i = GetSelectedIndex() + 1; i < link_->FieldCount(); ++i)
    if (TabStops(i + indicatorOffset_) && ColumnTakesTyping(i)) return true;
  return false;
}

bool TwwCustomDBGrid::CanEditModify() {
  if (readOnly_ || !link_->Active() || link_->ReadOnly() || link_->FieldCount() == 0) return false;
  if (!ColumnTakesTyping(GetSelectedIndex())) return false;
  link_->Edit();
  const bool editing = link_->Editing();
  if (editing) link_->Modified();
  return editing;
}

bool TwwCustomDBGrid::CanEditShow() {
  // Memo and picture cells, and cells with their own control, are never
  // edited as text in place.
  return TCustomGrid::CanEditShow() && !IsBlobCell(Col(), Row()) && !CellHasControl(Col(), Row());
}

int TwwCustomDBGrid::GetEditLimit() {
  TField* f = GetColField(GetSelectedIndex());
  return f && f->DataType() == ftString ? f->Size() : 0;
}

AnsiString TwwCustomDBGrid::GetEditMask(int col, int /*row*/) {
  TField* f = GetColField(col - indicatorOffset_);
  return f ? f->EditMask() : AnsiString();
}

AnsiString TwwCustomDBGrid::GetEditText(int col, int /*row*/) {
  TField* f = GetColField(col - indicatorOffset_);
  editText_ = f ? f->Text() : AnsiString();
  return editText_;
}

void TwwCustomDBGrid::SetEditText(int /*col*/, int /*row*/, const AnsiString& value) { editText_ = value; }

void TwwCustomDBGrid::ColEnter() {
  if (OnColEnter) OnColEnter(this);
}

void TwwCustomDBGrid::ColExit() {
  if (OnColExit) OnColExit(this);
}

void TwwCustomDBGrid::DoTitleButtonClick(const AnsiString& fieldName) {
  if (OnTitleButtonClick) OnTitleButtonClick(this, fieldName);
}

// ---------------------------------------------------------------- columns

void TwwCustomDBGrid::SetSelectedIndex(int dataCol) {
  auto* editor = dynamic_cast<TwwInplaceEdit*>(InplaceEditor());
  if (editor && editor->HasPictureMask() && link_->IsModified() && !editor->IsValidPictureText(editor->Text()) &&
      !editor->Picture()->AllowInvalidExit()) {
    editor->SelectAll();
    if (editor->CanFocus()) editor->SetFocus();
    TDataSet* ds = link_->DataSet();
    if (TwwInvalidValueEvent onInvalid = wwGetOnInvalidValue(ds)) {
      onInvalid(ds, GetColField(GetSelectedIndex()));
      return;
    }
    MessageBeep(0);
    throw EInvalidOperation(kInvalidInputText.str());
  }
  link_->UpdateRecord();
  dataCol = std::clamp(dataCol, 0, std::max(0, link_->FieldCount() - 1));
  if (dataCol + indicatorOffset_ < FixedCols()) dataCol = FixedCols() - indicatorOffset_;
  if (dataCol == GetSelectedIndex()) return;
  if (!inColExit_) {
    const int before = Col();
    {
      inColExit_ = true;
      TScopeExit exited{[this] { inColExit_ = false; }};
      ColExit();
    }
    if (Col() != before) return;
  }
  HideEditor();
  const int col = dataCol + indicatorOffset_;
  if (!tabbing_ && (options_ & dgAlwaysShowEditor) && !CellHasControl(col, Row()) && !IsBlobCell(col, Row())) {
    HideEditControl();
    ShowEditor();
  }
  MoveColRow(col, Row(), true, true);
  ColEnter();
}

void TwwCustomDBGrid::ColumnMoved(int from, int to) {
  if (!useTFields_) {
    const int i = from - indicatorOffset_, j = to - indicatorOffset_;
    if (i >= 0 && i < selected_->Count() && j >= 0 && j < selected_->Count()) {
      const AnsiString entry = selected_->Strings(i);
      selected_->Delete(i);
      selected_->Insert(j, entry);
    }
    LayoutChanged();
  } else if (link_->Active()) {
    TField* moved = link_->GetFields(from - indicatorOffset_);
    TField* target = link_->GetFields(to - indicatorOffset_);
    if (moved && target) moved->SetIndex(target->Index());
  }
  if (OnColumnMoved) OnColumnMoved(this, from - indicatorOffset_, to - indicatorOffset_);
}

// ---------------------------------------------------------------- keys

void TwwCustomDBGrid::Tab(bool forward) {
  const int n = link_->FieldCount();
  if (n <= 0) return;
  const int start = GetSelectedIndex();
  int i = start;
  for (;;) {
    if (forward) {
      if (++i >= n) {
        HideEditControl();
        LineDown(true);
        i = 0;
      }
    } else if (--i < 0) {
      LineUp();
      i = n - 1;
    }
    if (i == start) return;
    if (TabStops(i + indicatorOffset_)) {
      tabbing_ = true;
      TScopeExit tabbed{[this] { tabbing_ = false; }};
      SetSelectedIndex(i);
      return;
    }
  }
}

void TwwCustomDBGrid::AbandonEdit() {
  TDataSet* ds = link_->DataSet();
  if (link_->IsModified()) {
    link_->Reset();
    return;
  }
  if (ds->State() != dsEdit && ds->State() != dsInsert) return;
  if (ds->Modified() &&
      MessageDlg(wwGlobalIntl()->UserMessages()->wwDBGridDiscardChanges(), mtConfirmation, mbYes | mbNo, 0) != mrYes)
    return;
  ds->Cancel();
}

void TwwCustomDBGrid::DeleteRecord() {
  TDataSet* ds = link_->DataSet();
  // Nothing to delete in an empty dataset: no question, no error.
  if (!(keyOptions_ & dgAllowDelete) || readOnly_ || !ds->CanModify() || !(options_ & dgEditing) ||
      (ds->IsEmpty() && ds->State() != dsInsert))
    return;
  if ((options_ & dgConfirmDelete) && MessageDlg("Delete record?", mtConfirmation, mbOK | mbCancel, 0) != mrOk)
    return;
  ds->Delete();
  HideEditor();
}

void TwwCustomDBGrid::KeyDown(Word& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);  // OnKeyDown
  if (!link_->Active() || !CanGridAcceptKey(key, shift)) return;
  const TShiftState mods = shift & (ssShift | ssCtrl | ssAlt);
  if ((key == 'V' && mods == ssCtrl) || (key == VK_INSERT && mods == ssShift)) {
    PasteIntoCell();
    key = 0;
    return;
  }
  TDataSet* ds = link_->DataSet();
  if (shift & ssCtrl) {
    switch (key) {
      case VK_PRIOR:
      case VK_UP: ds->MoveBy(-link_->ActiveRecord()); break;
      case VK_NEXT:
      case VK_DOWN: ds->MoveBy(link_->BufferCount() - link_->ActiveRecord() - 1); break;
      case VK_HOME: ds->First(); break;
      case VK_END: ds->Last(); break;
      case VK_LEFT: SetSelectedIndex(0); break;
      case VK_RIGHT: SetSelectedIndex(ds->FieldCount() - 1); break;
      case VK_DELETE: DeleteRecord(); break;
      default: return;
    }
    key = 0;
    return;
  }
  const bool rowSelect = (options_ & dgRowSelect) != 0;
  switch (key) {
    case VK_HOME:
      if (ds->FieldCount() == 1 || rowSelect)
        ds->First();
      else
        SetSelectedIndex(0);
      break;
    case VK_END:
      if (ds->FieldCount() == 1 || rowSelect)
        ds->Last();
      else
        SetSelectedIndex(ds->FieldCount() - 1);
      break;
    case VK_PRIOR: ds->MoveBy(-VisibleRowCount()); break;
    case VK_NEXT: ds->MoveBy(VisibleRowCount()); break;
    case VK_TAB:
      if (!(shift & ssAlt)) Tab(!(shift & ssShift));
      break;
    case VK_RETURN:
      if (keyOptions_ & dgEnterToTab) Tab(!(shift & ssShift));
      break;
    case VK_ESCAPE:
      AbandonEdit();
      if (!(options_ & dgAlwaysShowEditor)) {
        HideEditor();
      } else if (OnCheckValue) {
        if (auto* e = dynamic_cast<TwwInplaceEdit*>(InplaceEditor())) e->IsValidPictureText(e->Text());
      }
      break;
    case VK_LEFT:
      if (rowSelect)
        LineUp();
      else
        SetSelectedIndex(GetSelectedIndex() - 1);
      break;
    case VK_RIGHT:
      if (rowSelect)
        LineDown(true);
      else
        SetSelectedIndex(GetSelectedIndex() + 1);
      break;
    case VK_UP: LineUp(); break;
    case VK_DOWN: LineDown(true); break;
    case VK_INSERT:
      if (!readOnly_ && (options_ & dgEditing) && (keyOptions_ & dgAllowInsert)) ds->Insert();
      break;
    case VK_F2: {
      TField* f = GetColField(GetSelectedIndex());
      if (f && !IsBlobCell(Col(), Row()) && !CellHasControl(Col(), Row())) SetEditorMode(true);
      break;
    }
    default: break;
  }
}

void TwwCustomDBGrid::KeyPress(char& key) {
  if ((keyOptions_ & dgEnterToTab) && key == 13) key = 9;
  if (!(options_ & dgAlwaysShowEditor) && key == 13) link_->UpdateRecord();
  if (TypeIntoNewRow(key)) {
    key = 0;
    return;
  }
  TCustomGrid::KeyPress(key);
}

void TwwCustomDBGrid::PasteIntoCell() {
  if (readOnly_ || !(options_ & dgEditing)) return;
  ShowEditor();
  TInplaceEdit* editor = InplaceEditor();
  if (!editor || !editor->Visible()) return;
  editor->SelectAll();
  editor->Perform(WM_PASTE, 0, 0);
}

bool TwwCustomDBGrid::TypeIntoNewRow(char key) {
  // A new row is filled from its first field that takes typing (a lookup
  // column shows what that field names): what is typed into a column that
  // cannot take it would be lost.
  if (static_cast<unsigned char>(key) < 32 || readOnly_ || !(options_ & dgEditing) || !link_->Active() ||
      link_->DataSet()->State() != dsInsert || ColumnTakesTyping(GetSelectedIndex()))
    return false;
  for (int i = 0; i < link_->FieldCount(); ++i) {
    if (!ColumnTakesTyping(i)) continue;
    SetSelectedIndex(i);
    // Painted now, the cell lays its edit control over itself for the key.
    InvalidateCell(Col(), Row());
    Update();
    Perform(WM_CHAR, static_cast<unsigned char>(key), 0);
    return true;
  }
  return false;
}

// ---------------------------------------------------------------- mouse

void TwwCustomDBGrid::RecordTitlePress(int col, int row, TMouseButton button) {
  if (!titleButtons_ || button != mbLeft || HasState(csDesigning)) return;
  pressedCol_ = col;
  pressedRow_ = row;
  InvalidateCell(col, row);
}

void TwwCustomDBGrid::ClearSelectionAnchor() {
  if (!anchorBookmark_) return;
  delete[] anchorBookmark_;  // as the dataset frees its bookmarks
  anchorBookmark_ = nullptr;
}

void TwwCustomDBGrid::SetSelectionAnchorToCurrent() {
  TDataSet* ds = link_->DataSet();
  ds->CheckBrowseMode();
  ClearSelectionAnchor();
  anchorBookmark_ = ds->GetBookmark();
}

void TwwCustomDBGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (!AcquireFocus()) return;
  // The double click itself has already run (the platform calls DblClick
  // before delivering the second press).
  if ((shift & ssDouble) && button == mbLeft) return;
  if (Sizing(x, y)) {
    link_->UpdateRecord();  // a pending edit is written before the resize
    TCustomGrid::MouseDown(button, shift, x, y);
    return;
  }
  const TGridCoord cell = MouseCoord(x, y);
  if (cell.X < 0 || cell.Y < 0) {
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  if (cell.Y < titleOffset_) {
    RecordTitlePress(cell.X, cell.Y, button);
    if (HasState(csDesigning) || (TCustomGrid::Options() & goColMoving))
      TCustomGrid::MouseDown(button, shift, x, y);
    return;
  }
  if (!link_->Active()) {
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  TDataSet* ds = link_->DataSet();
  if (cell.X == Col() && cell.Y == Row()) {
    if (!CellHasControl(cell.X, cell.Y) && !IsBlobCell(cell.X, cell.Y)) ShowEditor();
  } else {
    const bool otherRow = cell.Y != Row();
    {
      if (otherRow) tabbing_ = true;
      TScopeExit tabbed{[this] { tabbing_ = false; }};
      if (cell.X >= FixedCols()) SetSelectedIndex(cell.X - indicatorOffset_);
    }
    if (otherRow) ds->MoveBy(cell.Y - Row());
  }
  const bool ctrl = (shift & ssCtrl) != 0, shifted = (shift & ssShift) != 0;
  if ((options_ & dgMultiSelect) && !IsSelectedFieldCell(cell.X - indicatorOffset_)) {
    if (!ctrl && !shifted) {
      if ((multiSelectOptions_ & msoAutoUnselect) && button == mbLeft) {
        UnselectAll();
        SelectRecord();
      }
    } else if (IsCurrentRecordSelected()) {
      UnselectRecord();
    } else {
      SelectRecord();
    }
  }
  // A Shift click extends from the anchor, so it keeps an anchor it has.
  if ((options_ & dgMultiSelect) && (multiSelectOptions_ & msoShiftSelect) &&
      (shifted || ctrl || (multiSelectOptions_ & msoAutoUnselect)) && !(shifted && HasSelectionAnchor()))
    SetSelectionAnchorToCurrent();
  TCustomControl::MouseDown(button, shift, x, y);
}

void TwwCustomDBGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomGrid::MouseUp(button, shift, x, y);
  if (pressedCol_ < 0) return;
  const int col = pressedCol_, row = pressedRow_;
  pressedCol_ = pressedRow_ = -1;
  InvalidateCell(col, row);
  const TGridCoord cell = MouseCoord(x, y);
  if (cell.X == col && cell.Y == row)
    if (TField* f = GetColField(col - indicatorOffset_)) DoTitleButtonClick(f->FieldName());
}

// The grid following its dataset: row count and the link's record window,
// the current row kept on the active record, data and record changes,
// scrolling by moving pixels, the three-state vertical scroll bar (top,
// somewhere, bottom) and the vertical scroll requests of bar and wheel.
//
// The window of the data link holds exactly the rows that fit, so moving
// the dataset is how the grid scrolls: a scroll notification carries the
// number of rows the window moved, and the grid moves that many rows of
// pixels and repaints only what they uncovered.
#include <algorithm>
#include <cstdlib>

#include "dbcontrols/grid/wwdbgrid.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/forms.h"

void TwwCustomDBGrid::LinkActive(bool active) {
  if (!active) HideEditor();
  LayoutChanged();
  UpdateScrollBar();
  if (active) ClearSelectionAnchor();
}

void TwwCustomDBGrid::UpdateRowCount() {
  if (inUpdateRowCount_) return;
  inUpdateRowCount_ = true;
  TScopeExit counted{[this] { inUpdateRowCount_ = false; }};
  if (RowCount() <= titleOffset_) SetRowCount(titleOffset_ + 1);
  SetFixedRows(titleOffset_);
  if (!link_->Active() || link_->RecordCount() == 0 || !HandleAllocated()) {
    SetRowCount(titleOffset_ + 1);
    return;
  }
  // With a full grid of rows, VisibleRowCount tells how many fit.
  SetRowCount(1000);
  const int visible = std::max(1, VisibleRowCount());
  if (visible < link_->BufferCount() && Row() >= titleOffset_ + visible) {
    Invalidate();
    TopRowChanged();
  }
  link_->SetBufferCount(visible);
  SetRowCount(titleOffset_ + std::max(1, link_->RecordCount()));
  SyncRowsWithLink();
}

void TwwCustomDBGrid::SyncRowsWithLink() {
  if (!link_->Active()) return;
  const int target = link_->ActiveRecord() + titleOffset_;
  if (target != Row()) {
    if (!(options_ & dgAlwaysShowEditor)) HideEditor();
    if (RowCount() <= target) UpdateRowCount();
    MoveColRow(Col(), target, true, false);
  }
  if (TField* f = GetColField(GetSelectedIndex()))
    if (f->Text() != editText_) InvalidateEditor();
}

void TwwCustomDBGrid::DataChanged() {
  if (!HandleAllocated() || suppressDataChanged_) return;
  if (!suppressDataChangedHook_ && link_->DataSource()->State() == dsBrowse) HideEditControl();
  UpdateRowCount();
  UpdateScrollBar();
  SyncRowsWithLink();
  InvalidateEditor();
  Invalidate();
}

void TwwCustomDBGrid::RecordChanged(TField* field) {
  if (!HandleAllocated()) return;
  if (field) {
    for (int i = 0; i < link_->FieldCount(); ++i)
      if (link_->GetFields(i) == field) {
        InvalidateCell(indicatorOffset_ + i, Row());
        break;
      }
  } else {
    TRect r = CellRect(indicatorOffset_, Row());
    if (r.IsEmpty()) r = CellRect(LeftCol(), Row());
    if (!r.IsEmpty()) InvalidateRect({r.Left, r.Top, ClientWidth(), r.Bottom + GridLineWidth()});
  }
  TField* selectedField = GetColField(GetSelectedIndex());
  if ((!field || field != selectedField) && selectedField && selectedField->Text() != editText_) {
    InvalidateEditor();
    if (InplaceEditor()) InplaceEditor()->Invalidate();
  }
}

void TwwCustomDBGrid::UpdateData() {
  if (TField* f = GetColField(GetSelectedIndex())) f->SetText(editText_);
}

void TwwCustomDBGrid::TopRowChanged() {
  if (OnTopRowChanged) OnTopRowChanged(this);
}

void TwwCustomDBGrid::Scroll(int distance) {
  if (!HandleAllocated()) return;
  const int oldRow = Row();
  UpdateScrollBar();
  // Pixels move first: the rows the window kept are already painted, and
  // invalidations made before the move would move along and spoil it.
  bool moved = false;
  if (distance != 0) {
    HideEditControl();
    const bool editorShown = InplaceEditor() && InplaceEditor()->Visible();
    if (std::abs(distance) <= VisibleRowCount() && !editorShown) {
      const int step = DefaultRowHeight() + ((options_ & dgRowLines) ? GridLineWidth() : 0);
      int left = 0;
      for (int c = 0; c < indicatorOffset_; ++c) left += ColWidths(c) + ((options_ & dgColLines) ? GridLineWidth() : 0);
      const TRect area{left, FixedHeight(), ClientWidth(), ClientHeight()};
      ScrollWindowEx(Handle(), 0, -distance * step, &area, &area, nullptr);
      moved = true;
    }
  }
  SyncRowsWithLink();
  if (distance == 0) {
    InvalidateRow(oldRow);
    InvalidateRow(Row());
    if (!tabbing_ && Visible()) Update();
    return;
  }
  if (!moved) {
    Invalidate();
    return;
  }
  InvalidateRow(oldRow - distance);  // the old current record, where it moved
  InvalidateRow(Row());
  if (options_ & dgIndicator) {
    InvalidateCell(0, selRow_);
    InvalidateCell(0, Row());
  }
  if ((options_ & dgAlwaysShowEditor) && !CellHasControl(Col(), Row()) && !IsBlobCell(Col(), Row())) ShowEditor();
}

// Three states: at the top, at the bottom, somewhere between. Record
// numbers to place the thumb exactly are not known to the cursor.
void TwwCustomDBGrid::UpdateScrollBar() {
  if (!showVertScrollBar_ || !link_->Active() || !HandleAllocated()) return;
  TDataSet* ds = link_->DataSet();
  const int pos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
  int lo = 0, hi = 0;
  GetScrollRange(SB_VERT, lo, hi);
  if (lo != 0 || hi != 4) SetScrollRange(SB_VERT, 0, 4, false);
  if (GetScrollPos(SB_VERT) != pos) SetScrollPos(SB_VERT, pos, true);
}

void TwwCustomDBGrid::LineUp() {
  TDataSet* ds = link_->DataSet();
  if (ds->State() == dsInsert && !ds->Modified() && !link_->IsModified() && ds->Eof()) {
    ds->Cancel();
  } else if (ds->Bof() && link_->ActiveRecord() > 0) {
    link_->SetActiveRecord(link_->ActiveRecord() - 1);
    SyncRowsWithLink();
    InvalidateCell(0, selRow_);
  } else {
    ds->Prior();
  }
}

void TwwCustomDBGrid::LineDown(bool appendAtEnd) {
  TDataSet* ds = link_->DataSet();
  if (ds->State() == dsInsert && !ds->Modified() && !link_->IsModified()) {
    if (!ds->Eof()) ds->Cancel();
    return;
  }
  if (ds->Eof() && link_->ActiveRecord() < link_->RecordCount() - 1 && ds->State() != dsInsert) {
    link_->SetActiveRecord(link_->ActiveRecord() + 1);
    SyncRowsWithLink();
    InvalidateCell(0, selRow_);
    return;
  }
  ds->Next();
  // Going down past the last record of an editable grid starts a new one;
  // a read-only grid gets none.
  if (appendAtEnd && ds->Eof() && ds->CanModify() && !readOnly_ && (options_ & dgEditing) &&
      (keyOptions_ & dgAllowInsert)) {
    HideEditControl();
    ds->Append();
  }
}

void TwwCustomDBGrid::VertScroll(int code, int pos) {
  if (!AcquireFocus() || !link_->Active()) return;
  TDataSet* ds = link_->DataSet();
  switch (code) {
    case SB_LINEUP: LineUp(); break;
    case SB_LINEDOWN: LineDown(false); break;
    case SB_PAGEUP: ds->MoveBy(-VisibleRowCount()); break;
    case SB_PAGEDOWN: ds->MoveBy(VisibleRowCount()); break;
    case SB_THUMBPOSITION:
      switch (pos) {
        case 0: ds->First(); break;
        case 1: ds->MoveBy(-VisibleRowCount()); break;
        case 3: ds->MoveBy(VisibleRowCount()); break;
        case 4: ds->Last(); break;
        default: break;
      }
      break;
    case SB_TOP: ds->First(); break;
    case SB_BOTTOM: ds->Last(); break;
    default: break;
  }
}

void TwwCustomDBGrid::TimedScroll(TGridScrollDirection direction) {
  if (link_->Active()) {
    TDataSet* ds = link_->DataSet();
    if (direction & sdUp) {
      ds->MoveBy(-(link_->ActiveRecord() + 1));
      direction &= ~static_cast<unsigned>(sdUp);
    }
    if (direction & sdDown) {
      ds->MoveBy(link_->RecordCount() - link_->ActiveRecord());
      direction &= ~static_cast<unsigned>(sdDown);
    }
  }
  if (direction != 0) TCustomGrid::TimedScroll(direction);
}

bool TwwCustomDBGrid::AcquireFocus() {
  if (focusOnClick_ && CanFocus() && !HasState(csDesigning)) {
    SetFocus();
    return Focused() || (InplaceEditor() && InplaceEditor()->Focused());
  }
  return true;
}

void TwwCustomDBGrid::DoExit() {
  // The base runs the OnExit handler, which may raise: it stays out of a
  // destructor.
  try {
    if (link_->Active()) {
      TDataSet* ds = link_->DataSet();
      if ((options_ & dgCancelOnExit) && ds->State() == dsInsert && !ds->Modified() && !link_->IsModified() &&
          CanCancelOnExit())
        ds->Cancel();
      else
        link_->UpdateRecord();
    }
  } catch (...) {
    TCustomGrid::DoExit();
    HideEditControl();
    throw;
  }
  TCustomGrid::DoExit();
  HideEditControl();
}

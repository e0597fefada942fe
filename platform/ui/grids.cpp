// The library grid: geometry, painting, navigation, scrolling, sizing and
// moving of columns, timed scrolling while selecting, and the in-place editor.
#include "platform/ui/grids.h"

#include <algorithm>

#include "platform/rtl/scopeexit.h"
#include "platform/ui/ctlutil.h"

namespace {
constexpr unsigned kScrollTimer = 1;
constexpr int kSizeGrip = 3;  // pixels either side of a column border that start sizing
}  // namespace

// ------------------------------------------------------------ TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* owner) : TCustomMaskEdit(owner) {
  grid_ = dynamic_cast<TCustomGrid*>(owner);
  SetBorderStyle(bsNone);
  SetAutoSelect(false);
  SetAutoSize(false);
  visible_ = false;
  tabStop_ = false;
}

void TInplaceEdit::Dispatch(TMessage& m) {
  if (m.Msg == WM_GETDLGCODE) {
    TCustomMaskEdit::Dispatch(m);
    m.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (grid_ && (grid_->Options() & goTabs)) m.Result |= DLGC_WANTTAB;
    return;
  }
  TCustomMaskEdit::Dispatch(m);
}

void TInplaceEdit::Deselect() { Perform(EM_SETSEL, 0x7FFFFFFF, -1); }

void TInplaceEdit::Hide() {
  if (!Visible()) return;
  // The grid takes the focus before the editor goes, so that the focus
  // never leaves the grid on the way (no exit and enter of the grid).
  if (Focused() && grid_ && grid_->CanFocus()) grid_->SetFocus();
  SetVisible(false);
}

bool TInplaceEdit::PosEqual(const TRect& r) const { return BoundsRect() == r; }

void TInplaceEdit::UpdateLoc(const TRect& loc) {
  SetBoundsRect(loc);
  // No frame: the text starts two pixels in, as in the cell.
  TRect fr{2, 2, std::max(2, loc.Width() - 1), loc.Height()};
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&fr));
}

void TInplaceEdit::Move(const TRect& loc) {
  UpdateLoc(loc);
  if (!Visible()) SetVisible(true);
  Invalidate();
  if (grid_ && (grid_->Focused() || grid_->IsActiveControl()) && CanFocus()) SetFocus();
}

void TInplaceEdit::BoundsChanged() {}

void TInplaceEdit::UpdateContents() {
  if (!grid_) return;
  SetText("");
  SetEditMask(grid_->GetEditMask(grid_->Col(), grid_->Row()));
  SetText(grid_->GetEditText(grid_->Col(), grid_->Row()));
  SetMaxLength(grid_->GetEditLimit());
  SetModified(false);
}

void TInplaceEdit::KeyDown(Word& key, TShiftState shift) {
  auto sendToParent = [&] {
    grid_->KeyDown(key, shift);
    key = 0;
  };
  bool ctrl = (shift & ssCtrl) != 0;
  bool forward = (grid_->Options() & goAlwaysShowEditor) != 0;
  int len = static_cast<int>(EditText().size());
  switch (key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_ESCAPE: sendToParent(); break;
    case VK_INSERT:
      if (shift == 0) sendToParent();
      else if (shift == ssShift && !grid_->CanEditModify()) key = 0;
      break;
    case VK_LEFT:
      if (forward && (ctrl || (SelStart() == 0 && SelLength() == 0))) sendToParent();
      break;
    case VK_RIGHT:
      if (forward && (ctrl || (SelStart() == len && SelLength() == 0))) sendToParent();
      break;
    case VK_HOME:
      if (forward && (ctrl || (SelStart() == 0 && SelLength() == 0))) sendToParent();
      break;
    case VK_END:
      if (forward && (ctrl || (SelStart() == len && SelLength() == 0))) sendToParent();
      break;
    case VK_F2:
      Deselect();
      key = 0;
      break;
    case VK_TAB:
      if (!(shift & ssAlt)) sendToParent();
      break;
    case VK_DELETE:
      if (ctrl) sendToParent();
      else if (!grid_->CanEditModify()) key = 0;
      break;
    default: break;
  }
  if (key != 0) TCustomMaskEdit::KeyDown(key, shift);
}

void TInplaceEdit::KeyPress(char& key) {
  if (FilterKeyPress(key)) TCustomMaskEdit::KeyPress(key);
}

bool TInplaceEdit::FilterKeyPress(char& key) {
  grid_->KeyPress(key);
  unsigned char k = static_cast<unsigned char>(key);
  if (k >= 32 && !grid_->CanEditAcceptKey(key)) {
    key = 0;
    MessageBeep(0);
  }
  switch (static_cast<unsigned char>(key)) {
    case 9: case 27: key = 0; break;
    case 13:
      if (SelStart() == 0 && SelLength() == static_cast<int>(EditText().size()))
        Deselect();
      else
        SelectAll();
      key = 0;
      break;
    case 8: case 22: case 24:
      if (!grid_->CanEditModify()) key = 0;
      break;
    default:
      if (static_cast<unsigned char>(key) >= 32 && !grid_->CanEditModify()) key = 0;
      break;
  }
  return key != 0;
}

void TInplaceEdit::KeyUp(Word& key, TShiftState shift) { grid_->KeyUp(key, shift); }

void TInplaceEdit::DblClick() { grid_->DblClick(); }

void TInplaceEdit::Change() {
  TCustomMaskEdit::Change();
  if (grid_ && Visible() && grid_->inplaceCol_ >= 0 && !grid_->inUpdateText_)
    grid_->SetEditText(grid_->inplaceCol_, grid_->inplaceRow_, Text());
}

// ------------------------------------------------------------- TCustomGrid

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
  tabStop_ = true;
  color_ = clWindow;
  width_ = 320;
  height_ = 120;
}

TCustomGrid::~TCustomGrid() {
  if (timerOn_ && HandleAllocated()) ::KillTimer(handle_, kScrollTimer);
}

void TCustomGrid::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  if (borderStyle_ == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) p.Style |= WS_VSCROLL;
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) p.Style |= WS_HSCROLL;
}

int TCustomGrid::ColSpacing() const {
  return (options_ & (goVertLine | goFixedVertLine)) ? gridLineWidth_ : 0;
}
int TCustomGrid::RowSpacing() const {
  return (options_ & (goHorzLine | goFixedHorzLine)) ? gridLineWidth_ : 0;
}

int TCustomGrid::ColWidths(int c) const {
  if (c < 0 || c >= colCount_) return defaultColWidth_;
  return c < static_cast<int>(colWidths_.size()) ? colWidths_[static_cast<std::size_t>(c)] : defaultColWidth_;
}

int TCustomGrid::RowHeights(int r) const {
  if (r < 0 || r >= rowCount_) return defaultRowHeight_;
  return r < static_cast<int>(rowHeights_.size()) ? rowHeights_[static_cast<std::size_t>(r)] : defaultRowHeight_;
}

bool TCustomGrid::TabStops(int c) const {
  return c < 0 || c >= static_cast<int>(tabStops_.size()) || tabStops_[static_cast<std::size_t>(c)] != 0;
}

void TCustomGrid::SetColWidths(int c, int w) {
  if (c < 0 || c >= colCount_) throw EInvalidGridOperation("Grid index out of range");
  if (w == ColWidths(c)) return;
  if (colWidths_.size() < static_cast<std::size_t>(colCount_)) colWidths_.resize(static_cast<std::size_t>(colCount_), defaultColWidth_);
  colWidths_[static_cast<std::size_t>(c)] = std::max(0, w);
  UpdateScrollRange();
  Invalidate();
  if (editorMode_) UpdateEdit();
  ColWidthsChanged();
}

void TCustomGrid::SetRowHeights(int r, int h) {
  if (r < 0 || r >= rowCount_) throw EInvalidGridOperation("Grid index out of range");
  if (h == RowHeights(r)) return;
  if (rowHeights_.size() < static_cast<std::size_t>(rowCount_)) rowHeights_.resize(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
  rowHeights_[static_cast<std::size_t>(r)] = std::max(0, h);
  UpdateScrollRange();
  Invalidate();
  if (editorMode_) UpdateEdit();
  RowHeightsChanged();
}

void TCustomGrid::SetTabStops(int c, bool v) {
  if (c < 0 || c >= colCount_) throw EInvalidGridOperation("Grid index out of range");
  if (tabStops_.size() < static_cast<std::size_t>(colCount_)) tabStops_.resize(static_cast<std::size_t>(colCount_), 1);
  tabStops_[static_cast<std::size_t>(c)] = v ? 1 : 0;
}

void TCustomGrid::SetDefaultColWidth(int w) {
  defaultColWidth_ = w;
  colWidths_.clear();
  UpdateScrollRange();
  Invalidate();
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int h) {
  defaultRowHeight_ = h;
  rowHeights_.clear();
  UpdateScrollRange();
  Invalidate();
  if (editorMode_) UpdateEdit();
  RowHeightsChanged();
}

void TCustomGrid::SetColCount(int n) {
  if (n < 1) n = 1;
  if (n == colCount_) return;
  int old = colCount_;
  if (fixedCols_ >= n) fixedCols_ = n - 1;
  colCount_ = n;
  if (!colWidths_.empty()) colWidths_.resize(static_cast<std::size_t>(n), defaultColWidth_);
  if (!tabStops_.empty()) tabStops_.resize(static_cast<std::size_t>(n), 1);
  SizeChanged(old, rowCount_);
}

void TCustomGrid::SetRowCount(int n) {
  if (n < 1) n = 1;
  if (n == rowCount_) return;
  int old = rowCount_;
  if (fixedRows_ >= n) fixedRows_ = n - 1;
  rowCount_ = n;
  if (!rowHeights_.empty()) rowHeights_.resize(static_cast<std::size_t>(n), defaultRowHeight_);
  SizeChanged(colCount_, old);
}

void TCustomGrid::SizeChanged(int, int) {
  auto clampC = [&](TGridCoord& c) {
    c.X = std::clamp(c.X, std::min(fixedCols_, colCount_ - 1), colCount_ - 1);
    c.Y = std::clamp(c.Y, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1);
  };
  clampC(current_);
  clampC(anchor_);
  clampC(topLeft_);
  if (options_ & goRowSelect) anchor_.X = colCount_ - 1;
  // Fewer rows or columns may all fit now: no scrolled-away first ones.
  SetTopLeft(topLeft_.X, topLeft_.Y);
  UpdateScrollRange();
  Invalidate();
  if (editorMode_) InvalidateEditor();
}

void TCustomGrid::SetFixedCols(int n) {
  if (n < 0 || n >= colCount_) throw EInvalidGridOperation("Fixed column count must be less than column count");
  // Columns that stop being fixed stay in sight: a grid not scrolled
  // sideways starts with the first of them.
  if (n < fixedCols_ && topLeft_.X == fixedCols_) topLeft_.X = n;
  fixedCols_ = n;
  current_.X = std::max(current_.X, n);
  anchor_.X = std::max(anchor_.X, n);
  topLeft_.X = std::max(topLeft_.X, n);
  if (topLeft_.X > n && current_.X < topLeft_.X) topLeft_.X = n;
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetFixedRows(int n) {
  if (n < 0 || n >= rowCount_) throw EInvalidGridOperation("Fixed row count must be less than row count");
  if (n < fixedRows_ && topLeft_.Y == fixedRows_) topLeft_.Y = n;
  fixedRows_ = n;
  current_.Y = std::max(current_.Y, n);
  anchor_.Y = std::max(anchor_.Y, n);
  topLeft_.Y = std::max(topLeft_.Y, n);
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetGridLineWidth(int w) {
  gridLineWidth_ = std::max(0, w);
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle s) {
  if (s == scrollBars_) return;
  scrollBars_ = s;
  if (HandleAllocated()) RecreateWnd();
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions o) {
  if (o == options_) return;
  if (o & goRowSelect) o &= ~goAlwaysShowEditor;
  options_ = o;
  if (!(o & goEditing) || (o & goRowSelect)) HideEditor();
  if (o & goRowSelect) {
    anchor_.X = colCount_ - 1;
    current_.X = std::max(current_.X, fixedCols_);
  }
  if ((o & goAlwaysShowEditor) && (o & goEditing)) {
    editorMode_ = true;
    if (HandleAllocated()) UpdateEdit();
  }
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetFixedColor(TColor c) {
  fixedColor_ = c;
  Invalidate();
}

void TCustomGrid::SetBorderStyle(TBorderStyle b) {
  if (b == borderStyle_) return;
  borderStyle_ = b;
  if (HandleAllocated()) RecreateWnd();
  Invalidate();
}

// ---------------------------------------------------------------- geometry

int TCustomGrid::FixedWidth() const {
  int w = 0;
  for (int c = 0; c < fixedCols_; ++c) w += ColWidths(c) + ColSpacing();
  return w;
}

int TCustomGrid::FixedHeight() const {
  int h = 0;
  for (int r = 0; r < fixedRows_; ++r) h += RowHeights(r) + RowSpacing();
  return h;
}

TRect TCustomGrid::CellRect(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return {};
  auto axis = [](int idx, int fixed, int first, int spacing, int limit, auto size) -> std::pair<int, int> {
    int pos = 0;
    if (idx < fixed) {
      for (int i = 0; i < idx; ++i) pos += size(i) + spacing;
    } else {
      if (idx < first) return {-1, -1};
      for (int i = 0; i < fixed; ++i) pos += size(i) + spacing;
      for (int i = first; i < idx; ++i) {
        pos += size(i) + spacing;
        if (pos > limit) return {-1, -1};
      }
    }
    if (pos >= limit) return {-1, -1};
    return {pos, pos + size(idx)};
  };
  TRect cr = ClientRect();
  auto [x0, x1] = axis(col, fixedCols_, topLeft_.X, ColSpacing(), cr.Right, [this](int i) { return ColWidths(i); });
  auto [y0, y1] = axis(row, fixedRows_, topLeft_.Y, RowSpacing(), cr.Bottom, [this](int i) { return RowHeights(i); });
  if (x0 < 0 || y0 < 0) return {};
  return {x0, y0, x1, y1};
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const {
  auto find = [](int p, int count, int fixed, int first, int spacing, auto size) {
    if (p < 0) return -1;
    int pos = 0;
    for (int i = 0; i < fixed; ++i) {
      pos += size(i) + spacing;
      if (p < pos) return i;
    }
    for (int i = first; i < count; ++i) {
      pos += size(i) + spacing;
      if (p < pos) return i;
    }
    return -1;
  };
  TRect cr = ClientRect();
  if (x >= cr.Right || y >= cr.Bottom) return {-1, -1};
  int c = find(x, colCount_, fixedCols_, topLeft_.X, ColSpacing(), [this](int i) { return ColWidths(i); });
  int r = find(y, rowCount_, fixedRows_, topLeft_.Y, RowSpacing(), [this](int i) { return RowHeights(i); });
  if (c < 0 || r < 0) return {-1, -1};
  return {c, r};
}

void TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
  TGridCoord c = MouseCoord(x, y);
  col = c.X;
  row = c.Y;
}

int TCustomGrid::VisibleColCount() const {
  int room = ClientWidth() - FixedWidth(), n = 0, pos = 0;
  for (int c = topLeft_.X; c < colCount_; ++c) {
    pos += ColWidths(c) + ColSpacing();
    if (pos - ColSpacing() > room) break;
    ++n;
  }
  return std::max(n, 0);
}

int TCustomGrid::VisibleRowCount() const {
  int room = ClientHeight() - FixedHeight(), n = 0, pos = 0;
  for (int r = topLeft_.Y; r < rowCount_; ++r) {
    pos += RowHeights(r) + RowSpacing();
    if (pos - RowSpacing() > room) break;
    ++n;
  }
  return std::max(n, 0);
}

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y), std::max(anchor_.X, current_.X),
              std::max(anchor_.Y, current_.Y)};
  if (options_ & goRowSelect) {
    r.Left = fixedCols_;
    r.Right = colCount_ - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& r) {
  anchor_ = {r.Left, r.Top};
  MoveColRow(r.Right, r.Bottom, false, true);
  anchor_ = {r.Left, r.Top};
  Invalidate();
}

bool TCustomGrid::IsActiveControl() const {
  if (Focused()) return true;
  return inplace_ && inplace_->Focused();
}

// ---------------------------------------------------------------- invalidation

void TCustomGrid::InvalidateCell(int col, int row) {
  TRect r = CellRect(col, row);
  if (r.IsEmpty()) return;
  r.Right += ColSpacing();
  r.Bottom += RowSpacing();
  InvalidateRect(r);
}

void TCustomGrid::InvalidateRow(int row) {
  TRect r = CellRect(0, row);
  if (r.IsEmpty() && fixedCols_ == 0) r = CellRect(topLeft_.X, row);
  if (r.IsEmpty()) return;
  InvalidateRect({0, r.Top, ClientWidth(), r.Bottom + RowSpacing()});
}

void TCustomGrid::InvalidateGridRect(const TGridRect& g) {
  TRect box;
  bool any = false;
  auto add = [&](int col, int row) {
    TRect r = CellRect(col, row);
    if (r.IsEmpty()) return;
    r.Right += ColSpacing();
    r.Bottom += RowSpacing();
    if (!any) box = r;
    else box = UnionRect(box, r);
    any = true;
  };
  // The block's visible corners bound its visible part.
  auto firstVisible = [](int from, int fixed, int first) { return from < fixed ? from : std::max(from, first); };
  const int c0 = firstVisible(g.Left, fixedCols_, topLeft_.X), r0 = firstVisible(g.Top, fixedRows_, topLeft_.Y);
  int c1 = std::min(g.Right, colCount_ - 1), r1 = std::min(g.Bottom, rowCount_ - 1);
  while (c1 >= c0 && CellRect(c1, std::max(r0, 0)).IsEmpty()) --c1;
  while (r1 >= r0 && CellRect(std::max(c0, 0), r1).IsEmpty()) --r1;
  if (c0 > c1 || r0 > r1) return;
  add(c0, r0);
  add(c1, r1);
  if (!any) return;
  if (options_ & goRowSelect) {
    box.Left = 0;
    box.Right = ClientWidth();
  }
  InvalidateRect(box);
}

void TCustomGrid::InvalidateCol(int col) {
  TRect r = CellRect(col, 0);
  if (r.IsEmpty() && fixedRows_ == 0) r = CellRect(col, topLeft_.Y);
  if (r.IsEmpty()) return;
  InvalidateRect({r.Left, 0, r.Right + ColSpacing(), ClientHeight()});
}

// ---------------------------------------------------------------- scrolling

void TCustomGrid::UpdateScrollRange() {
  if (!HandleAllocated()) return;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) {
    TScrollInfo si;
    si.fMask = SIF_ALL;
    si.nMin = fixedRows_;
    si.nMax = rowCount_ - 1;
    si.nPage = static_cast<unsigned>(std::max(1, VisibleRowCount()));
    si.nPos = topLeft_.Y;
    // No bar while every row fits.
    if (VisibleRowCount() >= rowCount_ - fixedRows_ && topLeft_.Y == fixedRows_) si.nMax = si.nMin;
    SetScrollInfo(SB_VERT, si, true);
  }
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) {
    TScrollInfo si;
    si.fMask = SIF_ALL;
    si.nMin = fixedCols_;
    si.nMax = colCount_ - 1;
    si.nPage = static_cast<unsigned>(std::max(1, VisibleColCount()));
    si.nPos = topLeft_.X;
    if (VisibleColCount() >= colCount_ - fixedCols_ && topLeft_.X == fixedCols_) si.nMax = si.nMin;
    SetScrollInfo(SB_HORZ, si, true);
  }
}

void TCustomGrid::SetTopLeft(int col, int row) {
  // The last page is full: no empty space below the last row beyond need.
  auto maxFirst = [](int count, int fixed, int room, auto size, int spacing) {
    int pos = 0, i = count - 1;
    for (; i >= fixed; --i) {
      pos += size(i) + spacing;
      if (pos - spacing > room) break;
    }
    return std::max(fixed, i + 1);
  };
  int maxCol = maxFirst(colCount_, fixedCols_, ClientWidth() - FixedWidth(), [this](int i) { return ColWidths(i); }, ColSpacing());
  int maxRow = maxFirst(rowCount_, fixedRows_, ClientHeight() - FixedHeight(), [this](int i) { return RowHeights(i); }, RowSpacing());
  col = std::clamp(col, fixedCols_, std::max(fixedCols_, maxCol));
  row = std::clamp(row, fixedRows_, std::max(fixedRows_, maxRow));
  if (col == topLeft_.X && row == topLeft_.Y) return;
  topLeft_ = {col, row};
  UpdateScrollRange();
  Invalidate();
  if (inplace_ && inplace_->Visible()) {
    TRect r = CellRect(current_.X, current_.Y);
    if (r.IsEmpty())
      inplace_->SetVisible(false);
    else
      inplace_->UpdateLoc(r);
  } else if (editorMode_ && inplace_ && !CellRect(current_.X, current_.Y).IsEmpty()) {
    inplace_->Move(CellRect(current_.X, current_.Y));
  }
  TopLeftChanged();
}

void TCustomGrid::SetTopRow(int r) { SetTopLeft(topLeft_.X, r); }
void TCustomGrid::SetLeftCol(int c) { SetTopLeft(c, topLeft_.Y); }

void TCustomGrid::ClampInView(TGridCoord c) {
  int col = topLeft_.X, row = topLeft_.Y;
  if (c.X >= fixedCols_) {
    if (c.X < col) col = c.X;
    else {
      while (col < c.X) {
        int pos = FixedWidth();
        for (int i = col; i <= c.X; ++i) pos += ColWidths(i) + ColSpacing();
        if (pos - ColSpacing() <= ClientWidth()) break;
        ++col;
      }
    }
  }
  if (c.Y >= fixedRows_) {
    if (c.Y < row) row = c.Y;
    else {
      while (row < c.Y) {
        int pos = FixedHeight();
        for (int i = row; i <= c.Y; ++i) pos += RowHeights(i) + RowSpacing();
        if (pos - RowSpacing() <= ClientHeight()) break;
        ++row;
      }
    }
  }
  SetTopLeft(col, row);
}

void TCustomGrid::ScrollBy(int bar, int code, int pos) {
  bool vert = bar == SB_VERT;
  int cur = vert ? topLeft_.Y : topLeft_.X;
  int page = std::max(1, vert ? VisibleRowCount() : VisibleColCount());
  int v = cur;
  switch (code) {
    case SB_LINEUP: --v; break;
    case SB_LINEDOWN: ++v; break;
    case SB_PAGEUP: v -= page; break;
    case SB_PAGEDOWN: v += page; break;
    case SB_THUMBTRACK:
      if (!(options_ & goThumbTracking)) return;
      v = pos;
      break;
    case SB_THUMBPOSITION: v = pos; break;
    case SB_TOP: v = 0; break;
    case SB_BOTTOM: v = vert ? rowCount_ : colCount_; break;
    default: return;
  }
  if (vert)
    SetTopLeft(topLeft_.X, v);
  else
    SetTopLeft(v, topLeft_.Y);
}

void TCustomGrid::TimedScroll(TGridScrollDirection d) {
  TGridCoord c = current_;
  if ((d & sdLeft) && c.X > fixedCols_ && !(options_ & goRowSelect)) --c.X;
  if ((d & sdRight) && c.X < colCount_ - 1 && !(options_ & goRowSelect)) ++c.X;
  if ((d & sdUp) && c.Y > fixedRows_) --c.Y;
  if ((d & sdDown) && c.Y < rowCount_ - 1) ++c.Y;
  if (c == current_) return;
  MoveColRow(c.X, c.Y, false, true);
}

// ---------------------------------------------------------------- current cell

bool TCustomGrid::SelectCell(int, int) { return true; }

void TCustomGrid::MoveColRow(int col, int row, bool moveAnchor, bool show) {
  col = std::clamp(col, fixedCols_, colCount_ - 1);
  row = std::clamp(row, fixedRows_, rowCount_ - 1);
  if (col == current_.X && row == current_.Y) {
    if (moveAnchor && !(anchor_ == current_) && !(options_ & goRowSelect)) {
      anchor_ = current_;
      Invalidate();
    }
    return;
  }
  if (!SelectCell(col, row)) return;
  TGridRect oldSel = Selection();
  InvalidateCell(current_.X, current_.Y);
  if (options_ & goRowSelect) InvalidateRow(current_.Y);
  current_ = {col, row};
  if (!(options_ & goAlwaysShowEditor)) HideEditor();
  if (moveAnchor || !(options_ & goRangeSelect)) anchor_ = current_;
  if (options_ & goRowSelect) anchor_.X = colCount_ - 1;
  if (show) ClampInView(current_);
  // Only the cells that leave or join the selection change their look.
  if (!(oldSel == Selection()) || (options_ & goRowSelect)) {
    InvalidateGridRect(oldSel);
    InvalidateGridRect(Selection());
  }
  InvalidateCell(col, row);
  if (editorMode_) UpdateEdit();
}

void TCustomGrid::FocusCell(int col, int row, bool moveAnchor) {
  MoveColRow(col, row, moveAnchor, true);
  Click();
}

void TCustomGrid::SetCol(int c) {
  if (c == current_.X) return;
  FocusCell(c, current_.Y, true);
}

void TCustomGrid::SetRow(int r) {
  if (r == current_.Y) return;
  FocusCell(current_.X, r, true);
}

// ---------------------------------------------------------------- moving

void TCustomGrid::MoveColumn(int from, int to) {
  if (from == to || from < 0 || to < 0 || from >= colCount_ || to >= colCount_) return;
  if (colWidths_.size() < static_cast<std::size_t>(colCount_)) colWidths_.resize(static_cast<std::size_t>(colCount_), defaultColWidth_);
  if (tabStops_.size() < static_cast<std::size_t>(colCount_)) tabStops_.resize(static_cast<std::size_t>(colCount_), 1);
  auto move = [&](auto& v) {
    auto x = v[static_cast<std::size_t>(from)];
    v.erase(v.begin() + from);
    v.insert(v.begin() + to, x);
  };
  move(colWidths_);
  move(tabStops_);
  // The current column follows the moved one.
  auto adjust = [&](int& c) {
    if (c == from) c = to;
    else if (from < to && c > from && c <= to) --c;
    else if (from > to && c >= to && c < from) ++c;
  };
  HideEditor();
  adjust(current_.X);
  if (!(options_ & goRowSelect)) adjust(anchor_.X);
  ColumnMoved(from, to);
  Invalidate();
}

void TCustomGrid::MoveRow(int from, int to) {
  if (from == to || from < 0 || to < 0 || from >= rowCount_ || to >= rowCount_) return;
  if (rowHeights_.size() < static_cast<std::size_t>(rowCount_)) rowHeights_.resize(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
  int h = rowHeights_[static_cast<std::size_t>(from)];
  rowHeights_.erase(rowHeights_.begin() + from);
  rowHeights_.insert(rowHeights_.begin() + to, h);
  HideEditor();
  RowMoved(from, to);
  Invalidate();
}

void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}
void TCustomGrid::ColWidthsChanged() {}
void TCustomGrid::RowHeightsChanged() {}
void TCustomGrid::TopLeftChanged() {}

// ---------------------------------------------------------------- editor

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }
bool TCustomGrid::CanEditAcceptKey(char) { return true; }
bool TCustomGrid::CanEditModify() { return true; }
int TCustomGrid::GetEditLimit() { return 0; }
AnsiString TCustomGrid::GetEditMask(int, int) { return {}; }
AnsiString TCustomGrid::GetEditText(int, int) { return {}; }
void TCustomGrid::SetEditText(int, int, const AnsiString&) {}
bool TCustomGrid::CanGridAcceptKey(Word, TShiftState) { return true; }

bool TCustomGrid::CanEditShow() {
  return (options_ & (goRowSelect | goEditing)) == goEditing && editorMode_ && HandleAllocated() &&
         ((options_ & goAlwaysShowEditor) || IsActiveControl());
}

void TCustomGrid::UpdateEditor() {
  inplaceCol_ = current_.X;
  inplaceRow_ = current_.Y;
  {
    inUpdateText_ = true;
    TScopeExit updated{[this] { inUpdateText_ = false; }};
    inplace_->UpdateContents();
  }
  inplace_->SelectAll();
}

void TCustomGrid::UpdateEdit() {
  if (!CanEditShow()) return;
  if (!inplace_) {
    inplace_ = CreateEditor();
    inplace_->SetGrid(this);
    inplace_->SetParent(this);
    UpdateEditor();
  } else if (current_.X != inplaceCol_ || current_.Y != inplaceRow_) {
    HideEdit();
    UpdateEditor();
  }
  if (CanEditShow()) {
    TRect r = CellRect(current_.X, current_.Y);
    if (!r.IsEmpty()) inplace_->Move(r);
  }
}

void TCustomGrid::UpdateText() {
  if (inplaceCol_ != -1 && inplaceRow_ != -1 && inplace_) SetEditText(inplaceCol_, inplaceRow_, inplace_->Text());
}

void TCustomGrid::HideEdit() {
  if (!inplace_) return;
  TScopeExit hide{[this] {
    inplaceCol_ = -1;
    inplaceRow_ = -1;
    inplace_->Hide();
  }};
  UpdateText();
}

void TCustomGrid::ShowEditor() {
  editorMode_ = true;
  UpdateEdit();
}

void TCustomGrid::HideEditor() {
  editorMode_ = false;
  HideEdit();
}

void TCustomGrid::InvalidateEditor() {
  inplaceCol_ = -1;
  inplaceRow_ = -1;
  UpdateEdit();
}

void TCustomGrid::SetEditorMode(bool v) {
  if (!v) {
    HideEditor();
    return;
  }
  ShowEditor();
  if (inplace_) inplace_->Deselect();
}

// ---------------------------------------------------------------- input

void TCustomGrid::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      if (options_ & goRowSelect) return;
      if (options_ & goTabs) m.Result |= DLGC_WANTTAB;
      if (options_ & goEditing) m.Result |= DLGC_WANTCHARS;
      return;
    case WM_CHAR:
      if ((options_ & goEditing) && !(options_ & goRowSelect) &&
          (m.WParam == 8 || (m.WParam >= 32 && m.WParam <= 255))) {
        // Typing into a cell opens the editor with the character.
        char k = static_cast<char>(m.WParam);
        TCustomControl::KeyPress(k);  // OnKeyPress may change or drop it
        if (k == 0) return;
        ShowEditor();
        if (inplace_ && inplace_->Visible()) inplace_->Perform(WM_CHAR, static_cast<unsigned char>(k), 0);
        return;
      }
      break;
    case WM_VSCROLL: ScrollBy(SB_VERT, LoWord(m.WParam), HiWord(m.WParam)); return;
    case WM_HSCROLL: ScrollBy(SB_HORZ, LoWord(m.WParam), HiWord(m.WParam)); return;
    case WM_MOUSEWHEEL:
      ScrollBy(SB_VERT, HiWord(m.WParam) > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
      m.Result = 1;
      return;
    case WM_TIMER:
      if (static_cast<unsigned>(m.WParam) == kScrollTimer && state_ == gsSelecting) {
        TGridScrollDirection d = 0;
        if (lastMouse_.X < FixedWidth()) d |= sdLeft;
        else if (lastMouse_.X >= ClientWidth()) d |= sdRight;
        if (lastMouse_.Y < FixedHeight()) d |= sdUp;
        else if (lastMouse_.Y >= ClientHeight()) d |= sdDown;
        if (d) TimedScroll(d);
        return;
      }
      break;
    case WM_SETFOCUS: {
      TCustomControl::Dispatch(m);
      // Focus coming back from the editor is no reason to show it again.
      const bool fromEditor = inplace_ && inplace_->HandleAllocated() && m.WParam == inplace_->Handle();
      if (fromEditor) return;
      InvalidateCell(current_.X, current_.Y);
      if (options_ & goRowSelect) InvalidateRow(current_.Y);
      if ((options_ & goAlwaysShowEditor) && (options_ & goEditing)) ShowEditor();
      return;
    }
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(m);
      InvalidateCell(current_.X, current_.Y);
      if (options_ & goRowSelect) InvalidateRow(current_.Y);
      return;
    case WM_SIZE:
      TCustomControl::Dispatch(m);
      SizeToClient();
      return;
    case WM_SETCURSOR:
      if (state_ == gsColSizing || SizingColAt(lastMouse_.X, lastMouse_.Y) >= 0) {
        ::SetCursor(crHSplit);
        m.Result = 1;
        return;
      }
      break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

void TCustomGrid::Resize() {
  SizeToClient();
  TCustomControl::Resize();
}

void TCustomGrid::SizeToClient() {
  // Scrolled while it was narrow (laid out before it had its size), a grid
  // with room now shows the cells it scrolled away: the last page is full.
  SetTopLeft(topLeft_.X, topLeft_.Y);
  UpdateScrollRange();
}

void TCustomGrid::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  if (!CanGridAcceptKey(key, shift)) {
    key = 0;
    return;
  }
  TGridCoord c = current_;
  bool ctrl = shift & ssCtrl, rowSel = options_ & goRowSelect;
  int pageRows = std::max(1, VisibleRowCount());
  int pageCols = std::max(1, VisibleColCount());
  if (ctrl) {
    switch (key) {
      case VK_UP: SetTopRow(topLeft_.Y - 1); return;
      case VK_DOWN: SetTopRow(topLeft_.Y + 1); return;
      case VK_LEFT: if (!rowSel) c.X = std::max(fixedCols_, c.X - pageCols); break;
      case VK_RIGHT: if (!rowSel) c.X = std::min(colCount_ - 1, c.X + pageCols); break;
      case VK_PRIOR: c.Y = topLeft_.Y; break;
      case VK_NEXT: c.Y = std::min(rowCount_ - 1, topLeft_.Y + pageRows - 1); break;
      case VK_HOME: c = {fixedCols_, fixedRows_}; break;
      case VK_END: c = {colCount_ - 1, rowCount_ - 1}; break;
      default: break;
    }
  } else {
    switch (key) {
      case VK_UP: --c.Y; break;
      case VK_DOWN: ++c.Y; break;
      case VK_LEFT: if (!rowSel) --c.X; break;
      case VK_RIGHT: if (!rowSel) ++c.X; break;
      case VK_NEXT:
        c.Y += pageRows;
        SetTopRow(topLeft_.Y + pageRows);
        break;
      case VK_PRIOR:
        c.Y -= pageRows;
        SetTopRow(topLeft_.Y - pageRows);
        break;
      case VK_HOME: if (rowSel) c.Y = fixedRows_; else c.X = fixedCols_; break;
      case VK_END: if (rowSel) c.Y = rowCount_ - 1; else c.X = colCount_ - 1; break;
      case VK_TAB:
        if (!(shift & ssAlt) && (options_ & goTabs)) {
          int guard = colCount_ * rowCount_;
          do {
            if (shift & ssShift) {
              if (--c.X < fixedCols_) {
                c.X = colCount_ - 1;
                if (--c.Y < fixedRows_) c.Y = rowCount_ - 1;
              }
            } else {
              if (++c.X >= colCount_) {
                c.X = fixedCols_;
                if (++c.Y >= rowCount_) c.Y = fixedRows_;
              }
            }
          } while (!TabStops(c.X) && !(c == current_) && --guard > 0);
          shift = 0;
        }
        break;
      case VK_F2: SetEditorMode(true); return;
      default: break;
    }
  }
  c.X = std::clamp(c.X, fixedCols_, colCount_ - 1);
  c.Y = std::clamp(c.Y, fixedRows_, rowCount_ - 1);
  if (!(c == current_)) FocusCell(c.X, c.Y, !(shift & ssShift));
}

void TCustomGrid::KeyPress(char& key) {
  TCustomControl::KeyPress(key);
  if (!(options_ & goAlwaysShowEditor) && key == 13) {
    if (editorMode_)
      HideEditor();
    else
      ShowEditor();
    key = 0;
  }
}

int TCustomGrid::SizingColAt(int x, int y) const {
  if (!(options_ & goColSizing) || y < 0 || y >= FixedHeight()) return -1;
  for (int c = 0; c < colCount_; ++c) {
    TRect r = CellRect(c, 0);
    if (r.IsEmpty()) {
      if (c < fixedCols_ || c < topLeft_.X) continue;
      break;
    }
    if (std::abs(x - (r.Right + ColSpacing() / 2)) <= kSizeGrip) return c;
  }
  return -1;
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  lastMouse_ = {x, y};
  if (button == mbLeft && !(shift & ssDouble)) {
    if (CanFocus() && !IsActiveControl()) {
      SetFocus();
      if (!IsActiveControl()) {
        TCustomControl::MouseDown(button, shift, x, y);
        return;
      }
    }
    int sc = SizingColAt(x, y);
    TGridCoord hit = MouseCoord(x, y);
    if (sc >= 0) {
      state_ = gsColSizing;
      sizingIndex_ = sc;
      sizingOfs_ = CellRect(sc, 0).Left;
      sizingPos_ = x;
      HideEditor();
    } else if ((options_ & goColMoving) && hit.Y >= 0 && hit.Y < fixedRows_ && hit.X >= fixedCols_) {
      state_ = gsColMoving;
      moveIndex_ = hit.X;
      movePos_ = hit.X;
    } else if (hit.X >= fixedCols_ && hit.Y >= fixedRows_) {
      if ((options_ & goEditing) && hit == current_) {
        ShowEditor();
      } else {
        MoveColRow(hit.X, hit.Y, !(shift & ssShift), true);
        if (editorMode_) UpdateEdit();
      }
      state_ = gsSelecting;
      ::SetTimer(Handle(), kScrollTimer, 60);
      timerOn_ = true;
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::BeginMouseSelect(int x, int y) {
  lastMouse_ = {x, y};
  state_ = gsSelecting;
  if (timerOn_) return;
  ::SetTimer(Handle(), kScrollTimer, 60);
  timerOn_ = true;
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y) {
  lastMouse_ = {x, y};
  switch (state_) {
    case gsSelecting: {
      TGridCoord hit = MouseCoord(x, y);
      if (hit.X >= fixedCols_ && hit.Y >= fixedRows_ && !(hit == current_)) MoveColRow(hit.X, hit.Y, false, false);
      break;
    }
    case gsColSizing:
      sizingPos_ = x;
      break;
    case gsColMoving: {
      TGridCoord hit = MouseCoord(x, std::max(0, std::min(y, FixedHeight() - 1)));
      if (hit.X >= fixedCols_) movePos_ = hit.X;
      break;
    }
    default: break;
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  lastMouse_ = {x, y};
  TGridState st = state_;
  state_ = gsNormal;
  if (timerOn_) {
    ::KillTimer(Handle(), kScrollTimer);
    timerOn_ = false;
  }
  if (st == gsColSizing) {
    int w = std::max(0, x - sizingOfs_);
    SetColWidths(sizingIndex_, w);
  } else if (st == gsColMoving && movePos_ >= 0 && movePos_ != moveIndex_) {
    MoveColumn(moveIndex_, movePos_);
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomGrid::DoExit() {
  TCustomControl::DoExit();
  // Its editor goes with the focus, also one always shown: left drawn, it
  // would take the keys meant for the field that has the focus.
  HideEditor();
}

// ---------------------------------------------------------------- painting

void TCustomGrid::Paint() {
  TCanvas* c = Canvas();
  TRect cr = ClientRect();
  int cs = ColSpacing(), rs = RowSpacing();
  bool active = IsActiveControl();
  TGridRect sel = Selection();
  // Cells outside the area being painted are not drawn at all.
  const TRect paintArea = c->ClipRect();
  auto drawRow = [&](int row) {
    TRect first = CellRect(fixedCols_ > 0 ? 0 : topLeft_.X, row);
    if (first.IsEmpty()) return;
    if (first.Bottom + rs <= paintArea.Top || first.Top >= paintArea.Bottom) return;
    auto drawCol = [&](int col) {
      TRect r = CellRect(col, row);
      if (r.IsEmpty()) return false;
      TRect seen;
      if (!IntersectRect(seen, {r.Left, r.Top, r.Right + cs, r.Bottom + rs}, paintArea)) return true;
      bool fixed = col < fixedCols_ || row < fixedRows_;
      TGridDrawState st = fixed ? static_cast<TGridDrawState>(gdFixed) : 0u;
      bool focused = !fixed && col == current_.X && row == current_.Y && active;
      if (focused) st |= gdFocused;
      bool inSel = !fixed && col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom;
      if (inSel && (!focused || (options_ & (goDrawFocusSelected | goRowSelect))) &&
          (active || (options_ & goRowSelect) || !(col == current_.X && row == current_.Y)))
        st |= gdSelected;
      if (editorMode_ && focused && inplace_ && inplace_->Visible()) return true;  // the editor covers it
      c->SelectClipRect(nullptr);
      c->Font()->Assign(*Font());
      c->Brush()->SetStyle(bsSolid);
      if (defaultDrawing_) {
        if (fixed)
          c->Brush()->SetColor(fixedColor_);
        else if (st & gdSelected) {
          c->Brush()->SetColor(clHighlight);
          c->Font()->SetColor(clHighlightText);
        } else
          c->Brush()->SetColor(Color());
        c->FillRect(r);
      } else {
        c->Brush()->SetColor(fixed ? fixedColor_ : Color());
      }
      c->IntersectClipRect(r.Left, r.Top, r.Right, r.Bottom);
      DrawCell(col, row, r, st);
      c->SelectClipRect(nullptr);
      if (defaultDrawing_ && fixed && (options_ & (goFixedVertLine | goFixedHorzLine))) {
        TRect e = r;
        c->DrawEdge(e, BDR_RAISEDINNER, BF_RECT);
      }
      if (defaultDrawing_ && focused && !(options_ & goRowSelect) && !editorMode_) c->DrawFocusRect(r);
      return true;
    };
    for (int col = 0; col < fixedCols_; ++col) drawCol(col);
    for (int col = topLeft_.X; col < colCount_; ++col)
      if (!drawCol(col)) break;
    if ((options_ & goRowSelect) && active && row == current_.Y && defaultDrawing_) {
      TRect a = CellRect(std::max(fixedCols_, topLeft_.X), row);
      int right = std::min(cr.Right, FixedWidth() + [&] {
        int w = 0;
        for (int col = topLeft_.X; col < colCount_; ++col) w += ColWidths(col) + cs;
        return w - cs;
      }());
      if (!a.IsEmpty()) c->DrawFocusRect({a.Left, a.Top, right, a.Bottom});
    }
  };
  for (int row = 0; row < fixedRows_; ++row) drawRow(row);
  int lastY = FixedHeight();
  for (int row = topLeft_.Y; row < rowCount_; ++row) {
    TRect r = CellRect(fixedCols_ > 0 ? 0 : topLeft_.X, row);
    if (r.IsEmpty()) break;
    drawRow(row);
    lastY = r.Bottom + rs;
  }
  // Lines, then the space past the last cell.
  int lastX = FixedWidth();
  for (int col = topLeft_.X; col < colCount_; ++col) {
    TRect r = CellRect(col, fixedRows_ > 0 ? 0 : topLeft_.Y);
    if (r.IsEmpty()) break;
    lastX = r.Right + cs;
  }
  c->SelectClipRect(nullptr);
  c->Brush()->SetStyle(bsSolid);
  if (cs > 0) {
    int x = 0;
    auto vline = [&](int col, bool fixedCol) {
      int w = ColWidths(col);
      int x0 = x + w;
      bool on = fixedCol ? (options_ & goFixedVertLine) : (options_ & goVertLine);
      if (on) {
        c->Brush()->SetColor(fixedCol ? clBlack : clSilver);
        c->FillRect({x0, 0, x0 + cs, std::min(lastY, cr.Bottom)});
      }
      if (!fixedCol && (options_ & goFixedVertLine) && fixedRows_ > 0) {
        c->Brush()->SetColor(clBlack);
        c->FillRect({x0, 0, x0 + cs, FixedHeight()});
      }
      x = x0 + cs;
    };
    for (int col = 0; col < fixedCols_; ++col) vline(col, true);
    for (int col = topLeft_.X; col < colCount_ && x < cr.Right; ++col) vline(col, false);
  }
  if (rs > 0) {
    int y = 0;
    auto hline = [&](int row, bool fixedRow) {
      int y0 = y + RowHeights(row);
      bool on = fixedRow ? (options_ & goFixedHorzLine) : (options_ & goHorzLine);
      if (on) {
        c->Brush()->SetColor(fixedRow ? clBlack : clSilver);
        c->FillRect({0, y0, std::min(lastX, cr.Right), y0 + rs});
      }
      if (!fixedRow && (options_ & goFixedHorzLine) && fixedCols_ > 0) {
        c->Brush()->SetColor(clBlack);
        c->FillRect({0, y0, FixedWidth(), y0 + rs});
      }
      y = y0 + rs;
    };
    for (int row = 0; row < fixedRows_; ++row) hline(row, true);
    for (int row = topLeft_.Y; row < rowCount_ && y < cr.Bottom; ++row) hline(row, false);
  }
  c->Brush()->SetColor(Color());
  if (lastX < cr.Right) c->FillRect({lastX, 0, cr.Right, cr.Bottom});
  if (lastY < cr.Bottom) c->FillRect({0, lastY, std::min(lastX, cr.Right), cr.Bottom});
  if (state_ == gsColSizing) {
    c->Brush()->SetColor(clBlack);
    c->FillRect({sizingPos_, 0, sizingPos_ + 1, cr.Bottom});
  }
}

// ---------------------------------------------------------------- TDrawGrid

void TDrawGrid::DrawCell(int col, int row, TRect rect, TGridDrawState state) {
  if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

bool TDrawGrid::SelectCell(int col, int row) {
  bool ok = true;
  if (OnSelectCell) OnSelectCell(this, col, row, ok);
  return ok;
}

AnsiString TDrawGrid::GetEditMask(int col, int row) {
  AnsiString v;
  if (OnGetEditMask) OnGetEditMask(this, col, row, v);
  return v;
}

AnsiString TDrawGrid::GetEditText(int col, int row) {
  AnsiString v;
  if (OnGetEditText) OnGetEditText(this, col, row, v);
  return v;
}

void TDrawGrid::SetEditText(int col, int row, const AnsiString& value) {
  if (OnSetEditText) OnSetEditText(this, col, row, value);
}

void TDrawGrid::ColumnMoved(int from, int to) {
  if (OnColumnMoved) OnColumnMoved(this, from, to);
}

void TDrawGrid::RowMoved(int from, int to) {
  if (OnRowMoved) OnRowMoved(this, from, to);
}

void TDrawGrid::TopLeftChanged() {
  TCustomGrid::TopLeftChanged();
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

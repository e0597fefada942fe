// The grid base: construction, properties and options, and the columns
// (field map, widths, titles and tab stops from the Selected list or the
// fields, and the write-back of a user's resize).
//
// The library grid's own cell drawing is switched off for good: this grid
// paints every cell, fixed ones included, so the library neither fills nor
// frames nor marks a cell behind its back.
#include "dbcontrols/grid/wwdbgrid.h"

#include <algorithm>

#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/grid/wwinplace.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/forms.h"

namespace {

// The tab-separated parts of a Selected entry.
std::vector<AnsiString> EntryParts(const AnsiString& entry) {
  std::vector<AnsiString> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t tab = entry.find('\t', start);
    parts.push_back(entry.substr(start, tab == AnsiString::npos ? AnsiString::npos : tab - start));
    if (tab == AnsiString::npos) break;
    start = tab + 1;
  }
  return parts;
}

AnsiString EntryField(const AnsiString& entry) { return entry.substr(0, entry.find('\t')); }

}  // namespace

// Holds the layout lock for a scope (and, when asked, the layout flag).
struct TwwCustomDBGrid::LayoutLock {
  TwwCustomDBGrid* g;
  bool flag;
  LayoutLock(TwwCustomDBGrid* grid, bool layoutFlag) : g(grid), flag(layoutFlag) {
    g->Lock();
    if (flag) g->inLayout_ = true;
  }
  ~LayoutLock() {
    if (flag) g->inLayout_ = false;
    g->Unlock();
  }
  LayoutLock(const LayoutLock&) = delete;
  LayoutLock& operator=(const LayoutLock&) = delete;
};

// ---------------------------------------------------------------- TwwGridDataLink

void TwwGridDataLink::AddMapping(const AnsiString& fieldName) {
  if (FieldCount() >= wwMaxGridColumns)
    throw EInvalidGridOperation("Grid requested to display more than 256 columns");
  TField* f = DataSet() ? DataSet()->FindField(fieldName) : nullptr;
  fieldMap_.push_back(f ? f->Index() : -1);
}

TField* TwwGridDataLink::GetFields(int i) const {
  if (i < 0 || i >= FieldCount()) return nullptr;
  int n = fieldMap_[static_cast<std::size_t>(i)];
  TDataSet* ds = DataSet();
  if (n < 0 || !ds || n >= ds->FieldCount()) return nullptr;
  return ds->Fields(n);
}

bool TwwGridDataLink::DefaultFields() const { return !DataSet() || DataSet()->DefaultFields(); }

void TwwGridDataLink::ActiveChanged() { grid_->LinkActive(Active()); }

void TwwGridDataLink::DataSetChanged() {
  grid_->DataChanged();
  modified_ = false;
}

void TwwGridDataLink::DataSetScrolled(int distance) { grid_->Scroll(distance); }

void TwwGridDataLink::EditingChanged() {
  if (grid_->Options() & dgIndicator) grid_->InvalidateCell(0, grid_->selRow_);
}

void TwwGridDataLink::LayoutChanged() { grid_->LayoutChanged(); }

void TwwGridDataLink::RecordChanged(TField* field) {
  if (field && inUpdate_) return;
  grid_->RecordChanged(field);
  modified_ = false;
}

void TwwGridDataLink::UpdateData() {
  inUpdate_ = true;
  TScopeExit updated{[this] { inUpdate_ = false; }};
  if (modified_) grid_->UpdateData();
  modified_ = false;
}

// ---------------------------------------------------------------- construction

TwwCustomDBGrid::TwwCustomDBGrid(TComponent* owner) : TCustomGrid(owner) {
  AcquireSharedBitmaps();
  SetScrollBars(ssHorizontal);
  TCustomGrid::SetOptions(goFixedVertLine | goVertLine | goFixedHorzLine | goHorzLine | goColSizing | goColMoving |
                          goEditing | goTabs);
  TCustomGrid::SetDefaultDrawing(false);
  SetRowCount(2);
  SetColCount(2);
  link_ = std::make_unique<TwwGridDataLink>(this);
  SetColor(clWindow);
  SetParentColor(false);
  titleFont_ = std::make_unique<TFont>();
  titleFont_->OnChange = [this](TObject*) { TitleFontChanged(); };
  HideEditor();
  selected_ = std::make_unique<TStringList>();
  SetColWidths(0, indicatorWidth_);
}

TwwCustomDBGrid::~TwwCustomDBGrid() {
  ClearSelectionAnchor();
  link_.reset();
  titleFont_->OnChange = nullptr;
  ReleaseSharedBitmaps();
}

void TwwCustomDBGrid::Notification(TComponent* c, TOperation op) {
  TCustomGrid::Notification(c, op);
  if (op != opRemove || !link_) return;
  if (c == link_->DataSource()) SetDataSource(nullptr);
  if (c == indicatorButton_) indicatorButton_ = nullptr;
}

void TwwCustomDBGrid::Loaded() {
  TCustomGrid::Loaded();
  LayoutChanged();
}

void TwwCustomDBGrid::CreateWnd() {
  TCustomGrid::CreateWnd();
  LayoutChanged();
  UpdateScrollBar();
}

// ---------------------------------------------------------------- properties

void TwwCustomDBGrid::SetOptions(TwwDBGridOptions v) {
  if (v == options_) return;
  TGridOptions g = 0;
  if (v & dgColLines) g |= goFixedVertLine | goVertLine;
  if (v & dgRowLines) g |= goFixedHorzLine | goHorzLine;
  if (v & dgColumnResize) g |= goColSizing | goColMoving;
  if (v & dgTabs) g |= goTabs;
  if (v & dgRowSelect) g |= goRowSelect;
  if ((v & dgEditing) && !(v & dgRowSelect)) g |= goEditing;
  if (v & dgAlwaysShowEditor) g |= goAlwaysShowEditor;
  TCustomGrid::SetOptions(g);
  const TwwDBGridOptions changed = v ^ options_;
  if (changed & dgWordWrap) {
    if (auto* e = dynamic_cast<TwwInplaceEdit*>(InplaceEditor())) e->SetWordWrap((v & dgWordWrap) != 0);
    Invalidate();
  }
  options_ = v;
  if (changed & (dgEditing | dgAlwaysShowEditor | dgTitles | dgIndicator | dgColLines | dgRowLines | dgRowSelect |
                 dgAlwaysShowSelection | dgPerfectRowFit))
    LayoutChanged();
}

void TwwCustomDBGrid::SetTitleFont(const TFont& f) {
  {
    copyingTitleFont_ = true;
    TScopeExit copied{[this] { copyingTitleFont_ = false; }};
    titleFont_->Assign(f);
  }
  LayoutChanged();
}

void TwwCustomDBGrid::TitleFontChanged() {
  if (copyingTitleFont_ || HasState(csLoading)) return;
  SetParentFont(false);
  if (options_ & dgTitles) LayoutChanged();
}

void TwwCustomDBGrid::SetTitleColor(TColor c) {
  if (c == titleColor_) return;
  titleColor_ = c;
  Invalidate();
}

void TwwCustomDBGrid::SetTitleAlignment(TAlignment a) {
  if (a == titleAlignment_) return;
  titleAlignment_ = a;
  LayoutChanged();
}

void TwwCustomDBGrid::SetTitleLines(int n) {
  if (n <= 0 || n == titleLines_) return;
  titleLines_ = n;
  LayoutChanged();
}

void TwwCustomDBGrid::SetRowHeightPercent(int v) {
  if (v < 1) {
    rowHeightPercent_ = 100;
    return;
  }
  if (v == rowHeightPercent_) return;
  rowHeightPercent_ = v;
  LayoutChanged();
}

void TwwCustomDBGrid::SetIndicatorColor(TIndicatorColorType v) {
  if (v == indicatorColor_) return;
  indicatorColor_ = v;
  LayoutChanged();
}

bool TwwCustomDBGrid::ShowHorzScrollBar() const { return ScrollBars() == ssHorizontal || ScrollBars() == ssBoth; }

void TwwCustomDBGrid::SetShowHorzScrollBar(bool v) { SetScrollBars(v ? ssHorizontal : ssNone); }

void TwwCustomDBGrid::SetShowVertScrollBar(bool v) {
  if (v == showVertScrollBar_) return;
  showVertScrollBar_ = v;
  // A switched-off bar goes away; the library grid never shows one itself.
  if (!v && HandleAllocated()) SetScrollRange(SB_VERT, 0, 0, false);
  UpdateScrollBar();
  Invalidate();
}

void TwwCustomDBGrid::SetDefaultDrawing(bool v) {
  if (v == defaultDrawing_) return;
  defaultDrawing_ = v;
  Invalidate();
}

void TwwCustomDBGrid::SetUseTFields(bool v) {
  if (v == useTFields_) return;
  useTFields_ = v;
  LayoutChanged();
}

void TwwCustomDBGrid::SetTitleButtons(bool v) {
  if (v == titleButtons_) return;
  titleButtons_ = v;
  Invalidate();
}

void TwwCustomDBGrid::SetSelected(const TStrings* v) {
  selected_->Assign(v);
  LayoutChanged();
}

void TwwCustomDBGrid::SetDataSource(TDataSource* ds) {
  if (ds == link_->DataSource()) return;
  if (TDataSource* old = link_->DataSource()) old->RemoveFreeNotification(this);
  link_->SetDataSource(ds);
  if (ds) ds->FreeNotification(this);
  LinkActive(link_->Active());
}

// ---------------------------------------------------------------- columns

void TwwCustomDBGrid::Lock() {
  if (layoutLock_ == 255) throw EIntOverflow("Arithmetic overflow");
  ++layoutLock_;
}

void TwwCustomDBGrid::Unlock() {
  if (layoutLock_ == 0) throw EIntOverflow("Arithmetic overflow");
  --layoutLock_;
}

int TwwCustomDBGrid::CharWidth() {
  TCanvas* c = Canvas();
  c->Font()->Assign(*Font());
  return c->TextWidth("0");
}

TField* TwwCustomDBGrid::GetColField(int dataCol) const {
  if (dataCol < 0 || !link_->Active() || dataCol >= link_->FieldCount()) return nullptr;
  return link_->GetFields(dataCol);
}

void TwwCustomDBGrid::DefineFieldMap() {
  TDataSet* ds = link_->DataSet();
  if (!ds) return;
  if (!useTFields_) {
    for (int i = 0; i < selected_->Count();) {
      const AnsiString name = EntryField(selected_->Strings(i));
      if (link_->Active() && !ds->FindField(name)) {
        selected_->Delete(i);  // the list keeps only fields the dataset has
        continue;
      }
      link_->AddMapping(name);
      ++i;
    }
    return;
  }
  for (int i = 0; i < ds->FieldCount(); ++i)
    if (ds->Fields(i)->Visible()) link_->AddMapping(ds->Fields(i)->FieldName());
}

void TwwCustomDBGrid::LayoutChanged() {
  if (HasState(csLoading) || !HandleAllocated() || layoutLock_ > 0) return;
  LayoutLock lock(this, true);
  titleOffset_ = (options_ & dgTitles) ? 1 : 0;
  CalcRowHeights();
  indicatorOffset_ = (options_ & dgIndicator) ? 1 : 0;
  link_->ClearMapping();
  if (link_->Active()) DefineFieldMap();
  int n = link_->FieldCount();
  if (!useTFields_ && n == 0) n = selected_->Count();
  if (n == 0) n = 1;
  SetColCount(indicatorOffset_ + n);
  // The indicator column, and it alone, stays fixed at the left.
  SetFixedCols(indicatorOffset_);
  if (options_ & dgIndicator) {
    SetColWidths(0, indicatorWidth_);
    if (Col() == 0) MoveColRow(1, Row(), true, true);
  }
  HideEditControl();
  UpdateRowCount();
  // Columns that come to fit, or stop fitting, hide or show the horizontal
  // scroll bar: the rows are counted again for the client's new height.
  const int height = ClientHeight();
  ApplySelected();
  if (ClientHeight() != height) UpdateRowCount();
}

void TwwCustomDBGrid::ApplySelected() {
  TDataSet* ds = link_->DataSet();
  if (!ds) return;
  TCanvas* c = Canvas();
  const int count = useTFields_ ? link_->FieldCount() : selected_->Count();
  for (int i = 0; i < count; ++i) {
    const int col = indicatorOffset_ + i;
    if (col >= ColCount()) break;
    TField* field = nullptr;
    int chars = 0;
    AnsiString title;
    if (!useTFields_) {
      const std::vector<AnsiString> parts = EntryParts(selected_->Strings(i));
      field = ds->FindField(parts[0]);
      if (!field) continue;
      chars = StrToInt(parts.size() > 1 ? parts[1] : AnsiString());
      title = parts.size() > 2 ? parts[2] : field->DisplayLabel();
    } else {
      field = link_->GetFields(i);
      if (!field) continue;
      chars = field->DisplayWidth();
      title = field->DisplayLabel();
    }
    c->Font()->Assign(*Font());
    int width = chars * c->TextWidth("0") + 4;
    if (options_ & dgTitles) {
      c->Font()->Assign(*titleFont_);
      int titleWidth = 0;
      int pos = 1;
      do {
        titleWidth = std::max(titleWidth, c->TextWidth(wwStrGetToken(title, "~", pos)));
      } while (pos > 0 && pos <= static_cast<int>(title.size()));
      titleWidth += 4;
      if (titleWidth > width) width = titleWidth;
    }
    SetColWidths(col, width);
    SetTabStops(col, !field->ReadOnly());
    if (TabStops(col) && !editCalculated_) SetTabStops(col, !field->Calculated());
  }
}

void TwwCustomDBGrid::ColWidthsChanged() {
  TCustomGrid::ColWidthsChanged();
  if (inLayout_ || !writeBackWidths_ || !link_->Active() || !HandleAllocated()) return;
  {
    LayoutLock lock(this, false);
    const int c = std::max(1, CharWidth());
    auto chars = [&](int dataCol) { return (ColWidths(indicatorOffset_ + dataCol) + c / 2 - 3) / c; };
    const int dataCols = ColCount() - indicatorOffset_;
    if (useTFields_) {
      for (int i = 0; i < dataCols; ++i)
        if (TField* f = link_->GetFields(i)) f->SetDisplayWidth(chars(i));
    } else {
      TStringList copy;
      copy.Assign(selected_.get());
      selected_->Clear();
      for (int i = 0; i < copy.Count(); ++i) {
        const std::vector<AnsiString> parts = EntryParts(copy.Strings(i));
        const AnsiString width = i < dataCols ? IntToStr(chars(i)) : (parts.size() > 1 ? parts[1] : AnsiString());
        // An entry without a title stays without one: its column keeps
        // room for the field's label.
        AnsiString entry = parts[0] + "\t" + width;
        if (parts.size() > 2) entry += "\t" + parts[2];
        selected_->Add(entry);
      }
    }
  }
  LayoutChanged();
}

void TwwCustomDBGrid::CalcRowHeights() {
  TCanvas* c = Canvas();
  c->Font()->Assign(*Font());
  int h = c->TextHeight("W") + 2;
  if (options_ & dgRowLines) ++h;
  h = h * rowHeightPercent_ / 100;
  SetDefaultRowHeight(std::max(1, h));
  if (!(options_ & dgTitles)) return;
  c->Font()->Assign(*titleFont_);
  int title = c->TextHeight("W") * titleLines_ + 4;
  if (!(options_ & dgRowLines)) ++title;
  indicatorButtonOffset_ = 2;
  if ((options_ & dgIndicator) && indicatorButton_) {
    const int larger = std::max(title, indicatorButton_->Height());
    indicatorButtonOffset_ = (larger - title) / 2 + 2;
    title = larger + ((options_ & dgRowLines) ? -1 : 1);
  }
  SetRowHeights(0, title);
}

// ---------------------------------------------------------------- cells

bool TwwCustomDBGrid::IsBlobCell(int col, int row) const {
  if (row < titleOffset_) return false;
  TField* f = GetColField(col - indicatorOffset_);
  if (!f) return false;
  const TFieldType t = f->DataType();
  return t == ftMemo || t == ftFmtMemo || t == ftGraphic;
}

bool TwwCustomDBGrid::IsWwDataCell(int col, int row) const {
  if (col < indicatorOffset_ || row < titleOffset_ || !link_->Active()) return false;
  TStrings* types = wwGetControlType(link_->DataSet());
  return types && types->Count() > 0 && GetColField(col - indicatorOffset_);
}

bool TwwCustomDBGrid::GetCheckBoxValues(const TField* field, AnsiString& checkedValue,
                                         AnsiString& uncheckedValue) const {
  checkedValue.clear();
  uncheckedValue.clear();
  if (!field || !link_->DataSet()) return false;
  AnsiString type, params;
  wwGetFieldControlType(link_->DataSet(), field->FieldName(), type, params);
  if (!wwEqualText(type, "CheckBox")) return false;
  int pos = 1;
  checkedValue = wwStrGetToken(params, ";", pos);
  uncheckedValue = pos > 0 ? wwStrGetToken(params, ";", pos) : AnsiString();
  return true;
}

bool TwwCustomDBGrid::IsSelectedFieldCell(int dataCol) const {
  TField* f = GetColField(dataCol);
  AnsiString checked, unchecked;
  return f && GetCheckBoxValues(f, checked, unchecked) && wwEqualText(f->FieldName(), "selected");
}

bool TwwCustomDBGrid::DesignHitTest(int x, int y) const {
  TGridCoord cell = MouseCoord(x, y);
  return cell.Y >= 0 && cell.Y < titleOffset_ && cell.X >= indicatorOffset_ && link_->Active() &&
         !link_->DefaultFields();
}

// ---------------------------------------------------------------- messages

void TwwCustomDBGrid::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_VSCROLL:
      VertScroll(LoWord(m.WParam), static_cast<short>(HiWord(m.WParam)));
      return;
    case WM_MOUSEWHEEL: {
      // One record per notch, as the scroll bar's arrows move.
      const int code = static_cast<short>(HiWord(m.WParam)) > 0 ? SB_LINEUP : SB_LINEDOWN;
      VertScroll(code, 0);
      m.Result = 1;
      return;
    }
    case WM_SIZE:
      TCustomGrid::Dispatch(m);
      if (layoutLock_ == 0) {
        HideEditControl();
        HideEditor();
        UpdateRowCount();
        FitHeightToRows();
      }
      return;
    case WM_SETCURSOR:
      if (HasState(csDesigning) && !link_->Active()) {
        ::SetCursor(crArrow);
        m.Result = 1;
        return;
      }
      break;
    case CM_FONTCHANGED:
      TCustomGrid::Dispatch(m);
      LayoutChanged();
      return;
    case CM_PARENTFONTCHANGED:
      TCustomGrid::Dispatch(m);
      if (ParentFont()) SetTitleFont(*Font());
      return;
    default: break;
  }
  TCustomGrid::Dispatch(m);
}

// At design time a grid of whole rows: its height ends at a row boundary.
void TwwCustomDBGrid::FitHeightToRows() {
  if (!HasState(csDesigning) || HasState(csLoading) || !(options_ & dgPerfectRowFit)) return;
  if (Align() == alTop || Align() == alBottom || Align() == alClient) return;
  const int line = (options_ & dgRowLines) ? GridLineWidth() : 0;
  int widths = showVertScrollBar_ ? GetSystemMetrics(SM_CXVSCROLL) + 1 : 1;
  for (int c = 0; c < ColCount(); ++c) widths += ColWidths(c) + ((options_ & dgColLines) ? GridLineWidth() : 0);
  const bool horzBar = ShowHorzScrollBar() && widths > ClientWidth();
  const int frame = horzBar ? 5 : 4;
  const int room = Height() - frame - (horzBar ? GetSystemMetrics(SM_CYHSCROLL) : 0) - FixedHeight();
  const int step = DefaultRowHeight() + line;
  if (step <= 0 || room <= 0) return;
  const int rows = std::max(1, room / step);
  const int height = FixedHeight() + rows * step + frame + (horzBar ? GetSystemMetrics(SM_CYHSCROLL) : 0);
  if (height != Height()) {
    LayoutLock lock(this, false);  // the resize must not come back here
    SetHeight(height);
  }
}

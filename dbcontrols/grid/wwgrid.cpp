// TwwDBGrid: construction, properties, the indicator button, the layout
// with fixed data columns, the update from the dataset when the link
// becomes active, the edit controls laid over the current cell, painting
// and the text of memo, rich-text and edit-control cells.
#include "dbcontrols/grid/wwgrid.h"

#include <algorithm>

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/edit/wwdbedit.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/streams.h"
#include "platform/ui/ctlutil.h"
#include "platform/ui/dialogs.h"
#include "richtext/io/textio.h"

namespace {

// The ";"-separated parts of a ControlType entry.
std::vector<AnsiString> TypeParts(const AnsiString& entry) {
  std::vector<AnsiString> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t p = entry.find(';', start);
    parts.push_back(entry.substr(start, p == AnsiString::npos ? AnsiString::npos : p - start));
    if (p == AnsiString::npos) break;
    start = p + 1;
  }
  return parts;
}

bool IsTextMemo(const TField* f) { return f && (f->DataType() == ftMemo || f->DataType() == ftFmtMemo); }

bool IsBlob(const TField* f) { return dynamic_cast<const TBlobField*>(f) != nullptr; }

}  // namespace

// ---------------------------------------------------------------- TwwIButton

TwwIButton::TwwIButton(TwwDBGrid* grid) : TSpeedButton(grid), grid_(grid) {}

void TwwIButton::TellGrid() {
  if (grid_ && !HasState(csLoading) && !grid_->IsDestroying()) grid_->IndicatorButtonChanged();
}

void TwwIButton::SetBounds(int left, int top, int width, int height) {
  const bool changed = left != Left() || top != Top() || width != Width() || height != Height();
  TSpeedButton::SetBounds(left, top, width, height);
  if (changed) TellGrid();
}

void TwwIButton::Loaded() {
  TSpeedButton::Loaded();
  TellGrid();
}

void TwwIButton::Dispatch(TMessage& m) {
  TSpeedButton::Dispatch(m);
  if (m.Msg == CM_VISIBLECHANGED) TellGrid();
}

// ---------------------------------------------------------------- construction

TwwDBGrid::TwwDBGrid(TComponent* owner) : TwwCustomDBGrid(owner) {
  iButton_ = new TwwIButton(this);
  iButton_->SetVisible(false);
  iButton_->SetParent(this);
  iButton_->SetBounds(0, 0, wwIndicatorWidth + 1, 18);
}

TwwDBGrid::~TwwDBGrid() {
  for (TBookmark bm : selectedList_) delete[] bm;  // as the dataset frees its bookmarks
  selectedList_.clear();
  ownedObjects_.clear();
}

void TwwDBGrid::PublishProperties(TClassInfo& ci) {
  PublishObject<TwwDBGrid, TwwDataSource>(ci, "DataSource", &TwwDBGrid::DataSource, &TwwDBGrid::SetDataSource);
  PublishObject<TwwDBGrid, TStrings>(ci, "Selected", &TwwDBGrid::Selected, &TwwDBGrid::SetSelected);
  PublishSet<TwwDBGrid>(ci, "MemoAttributes", &TwwDBGrid::MemoAttributes, &TwwDBGrid::SetMemoAttributes);
  PublishInteger<TwwDBGrid>(ci, "TitleColor", &TwwDBGrid::TitleColor, &TwwDBGrid::SetTitleColor);
  PublishInteger<TwwDBGrid>(ci, "FixedCols", &TwwDBGrid::FixedCols, &TwwDBGrid::SetFixedCols);
  PublishBool<TwwDBGrid>(ci, "ShowHorzScrollBar", &TwwDBGrid::ShowHorzScrollBar, &TwwDBGrid::SetShowHorzScrollBar);
  PublishBool<TwwDBGrid>(ci, "ShowVertScrollBar", &TwwDBGrid::ShowVertScrollBar, &TwwDBGrid::SetShowVertScrollBar);
  PublishSet<TwwDBGrid>(ci, "EditControlOptions", &TwwDBGrid::EditControlOptions,
                        &TwwDBGrid::SetEditControlOptions);
  PublishBool<TwwDBGrid>(ci, "DefaultDrawing", &TwwDBGrid::DefaultDrawing, &TwwDBGrid::SetDefaultDrawing);
  PublishBool<TwwDBGrid>(ci, "EditCalculated", &TwwDBGrid::EditCalculated, &TwwDBGrid::SetEditCalculated);
  PublishBool<TwwDBGrid>(ci, "ReadOnly", &TwwDBGrid::ReadOnly, &TwwDBGrid::SetReadOnly);
  PublishBool<TwwDBGrid>(ci, "TitleButtons", &TwwDBGrid::TitleButtons, &TwwDBGrid::SetTitleButtons);
  PublishBool<TwwDBGrid>(ci, "UseTFields", &TwwDBGrid::UseTFields, &TwwDBGrid::SetUseTFields);
  PublishSet<TwwDBGrid>(ci, "KeyOptions", &TwwDBGrid::KeyOptions, &TwwDBGrid::SetKeyOptions);
  PublishSet<TwwDBGrid>(ci, "MultiSelectOptions", &TwwDBGrid::MultiSelectOptions, &TwwDBGrid::SetMultiSelectOptions);
  PublishSet<TwwDBGrid>(ci, "Options", &TwwDBGrid::Options, &TwwDBGrid::SetOptions);
  PublishInteger<TwwDBGrid>(ci, "RowHeightPercent", &TwwDBGrid::RowHeightPercent, &TwwDBGrid::SetRowHeightPercent);
  PublishInteger<TwwDBGrid>(ci, "TitleLines", &TwwDBGrid::TitleLines, &TwwDBGrid::SetTitleLines);
  PublishInteger<TwwDBGrid>(ci, "TitleAlignment", &TwwDBGrid::TitleAlignment, &TwwDBGrid::SetTitleAlignment);
  PublishInteger<TwwDBGrid>(ci, "IndicatorColor", &TwwDBGrid::IndicatorColor, &TwwDBGrid::SetIndicatorColor);
  PublishEvent<TwwDBGrid, TwwMemoOpenEvent>(ci, "OnMemoOpen", &TwwDBGrid::OnMemoOpen);
  PublishEvent<TwwDBGrid, TwwMemoCloseEvent>(ci, "OnMemoClose", &TwwDBGrid::OnMemoClose);
  PublishEvent<TwwDBGrid, TwwSelectRecordEvent>(ci, "OnMultiSelectRecord", &TwwDBGrid::OnMultiSelectRecord);
  PublishEvent<TwwDBGrid, TwwValidateEvent>(ci, "OnCheckValue", &TwwDBGrid::OnCheckValue);
  PublishEvent<TwwDBGrid, TwwTitleButtonClickEvent>(ci, "OnTitleButtonClick", &TwwDBGrid::OnTitleButtonClick);
}

void TwwDBGrid::Notification(TComponent* c, TOperation op) {
  TwwCustomDBGrid::Notification(c, op);
  if (op != opRemove) return;
  if (c == currentEditControl_) currentEditControl_ = nullptr;
  if (c == iButton_) {
    iButton_ = nullptr;
    indicatorButton_ = nullptr;
  }
}

void TwwDBGrid::Loaded() {
  TwwCustomDBGrid::Loaded();
  loaded_ = true;
  if (!editControlsPrepared_) PrepareEditControls();
}

// ---------------------------------------------------------------- properties

TwwDataSource* TwwDBGrid::DataSource() const {
  return dynamic_cast<TwwDataSource*>(TwwCustomDBGrid::DataSource());
}

namespace {
void RefuseDataSet() {
  MessageDlg("TwwDBGrid requires a dataset of the data-aware controls (TwwTable, TwwQuery or TwwQBE)",
             mtInformation, mbOK, 0);
}
}  // namespace

void TwwDBGrid::SetDataSource(TwwDataSource* v) {
  if (v && v->DataSet() && !wwIsControlsDataSet(v->DataSet())) {
    RefuseDataSet();
    TwwCustomDBGrid::SetDataSource(nullptr);
    return;
  }
  TwwCustomDBGrid::SetDataSource(v);
}

void TwwDBGrid::SetFixedCols(int v) {
  if (HasState(csDesigning) && DataLink()->Active() && (v + IndicatorOffset() >= ColCount() || v < 0)) {
    MessageDlg("Invalid value for FixedCols", mtWarning, mbOK, 0);
    return;
  }
  fixedCols_ = v;
  LayoutChanged();
}

TColor TwwDBGrid::FixedCellColor(int col) { return col > fixedCols_ ? Color() : TitleColor(); }

void TwwDBGrid::IndicatorButtonChanged() {
  if (!iButton_) return;
  // The base sizes the title row by a button it knows of: only a shown one.
  indicatorButton_ = iButton_->Visible() ? iButton_ : nullptr;
  indicatorWidth_ = std::max(1, iButton_->Width() - 1);
  LayoutChanged();
}

void TwwDBGrid::StretchLastColumn() {
  LayoutChanged();
  const int last = ColCount() - 1;
  if (last < 0) return;
  int width = ClientWidth() - 3;
  for (int c = 0; c < last; ++c) width -= ColWidths(c) + GridLineWidth();
  if (width <= 0) return;
  // The grid's own width is no user resize: Selected keeps its entry.
  const bool saved = writeBackWidths_;
  writeBackWidths_ = false;
  TScopeExit restore{[this, saved] { writeBackWidths_ = saved; }};
  SetColWidths(last, width);
}

int TwwDBGrid::ColumnWidthForText(const AnsiString& text) const {
  // A cell's text starts three pixels in; its editor's two in and ends a
  // pixel before the cell's edge, with a column for the caret.
  return ctlutil::TextWidth(*Font(), text) + 4;
}

// ---------------------------------------------------------------- layout

// Selected becomes the fields' layout as it is now; the builder only adds,
// so the old entries go first (else every layout would repeat them).
void TwwDBGrid::WriteFieldsToSelected(TDataSet* ds) {
  Selected()->Clear();
  wwBuildSelectedFromFields(ds, Selected());
}

void TwwDBGrid::ApplySelected() {
  TDataSet* ds = DataLink()->DataSet();
  if (UseTFields() && !linkActivating_ && ds) WriteFieldsToSelected(ds);
  const int fixed = IndicatorOffset() + fixedCols_;
  if (fixed != TCustomGrid::FixedCols() && ds && ds->Active() && fixed < ColCount() && fixedCols_ >= 0)
    TCustomGrid::SetFixedCols(fixed);
  TwwCustomDBGrid::ApplySelected();
  // Fixed data columns are never tabbed into.
  for (int c = IndicatorOffset(); c < TCustomGrid::FixedCols() && c < ColCount(); ++c) SetTabStops(c, false);
  if (!DataLink()->Active()) return;
  for (int i = 0; i < GetFieldCount(); ++i) {
    const int col = i + IndicatorOffset();
    if (col < TCustomGrid::FixedCols() || col >= ColCount()) continue;
    TField* f = GetColField(i);
    if (!f || !f->Calculated()) continue;
    if (EditControlOf(i) || IsSelectedFieldCell(i) || wwEqualText(ColumnControlType(i), "Bitmap"))
      SetTabStops(col, true);
  }
}

void TwwDBGrid::LinkActive(bool active) {
  linkActivating_ = true;
  TScopeExit activated{[this] { linkActivating_ = false; }};
  if (!active) {
    HideEditControl();
    currentEditControl_ = nullptr;
  }
  TwwCustomDBGrid::LinkActive(active);
  if (active) UpdateFromDataSet();
}

void TwwDBGrid::UpdateFromDataSet() {
  TDataSource* source = TwwCustomDBGrid::DataSource();
  if (updatingFromDataSet_ || !source || !source->DataSet()) return;
  TDataSet* ds = source->DataSet();
  if (!wwIsControlsDataSet(ds)) {
    RefuseDataSet();
    // Not from inside the link's own notification: the source goes once
    // the notification is over.
    PostMessage(Handle(), CM_RELEASE, 0, 0);
    return;
  }
  PrepareEditControls();
  ds->DisableControls();
  updatingFromDataSet_ = true;
  // The flags come back after the controls, which are told of the dataset
  // while the grid still counts as updating. Their handlers may raise: that is
  // no destructor's work, or an error of theirs would end the program.
  TScopeExit updated{[this] {
    updatingFromDataSet_ = false;
    updatedOnce_ = true;
  }};
  try {
    wwRemoveMissingFields(ds, wwGetControlType(ds), wwGetLookupLinks(ds), wwGetLookupFields(ds));
    TComponent* form = (editControlOptions_ & ecoSearchOwnerForm) ? wwGetOwnerForm(this)
                                                                   : static_cast<TComponent*>(GetParentForm(this));
    if (form) wwLinkLookupFields(form, ds);
    if (Selected()->Count() > 0) {
      bool calculated = false;
      for (int i = 0; i < ds->FieldCount() && !calculated; ++i) calculated = ds->Fields(i)->Calculated();
      if (HasState(csDesigning) || !calculated) {
        if (!UseTFields())
          LayoutChanged();
        else
          wwApplySelectedToFields(ds, Selected());
      }
    }
    if (HasState(csDesigning)) {
      if (UseTFields()) WriteFieldsToSelected(ds);
      UpdateRowCount();
    }
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
}

void TwwDBGrid::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_RELEASE:
      // A source whose dataset the grid cannot show is let go.
      if (TDataSource* s = TwwCustomDBGrid::DataSource(); s && s->DataSet() && !wwIsControlsDataSet(s->DataSet()))
        TwwCustomDBGrid::SetDataSource(nullptr);
      return;
    case WM_CHAR: {
      // Typing on a cell with an edit control types into the control.
      const unsigned ch = static_cast<unsigned>(m.WParam);
      if ((ch == 8 || ch >= 32) && Editable() && (IsBlobCell(Col(), Row()) || HasControlType(Col(), Row()))) {
        if (TWinControl* control = VisibleEditControl()) {
          if (control->CanFocus()) control->SetFocus();
          if (auto* edit = dynamic_cast<TCustomEdit*>(control)) edit->SelectAll();
          // Delivered at once, so that it comes before the next key.
          control->Perform(WM_CHAR, m.WParam, 0);
          return;
        }
      }
      break;
    }
    default: break;
  }
  TwwCustomDBGrid::Dispatch(m);
}

// ---------------------------------------------------------------- control types

AnsiString TwwDBGrid::ColumnControlType(int dataCol, AnsiString* parameters) const {
  AnsiString type, params;
  TField* f = GetColField(dataCol);
  TDataSet* ds = DataLink()->DataSet();
  if (f && ds) wwGetFieldControlType(ds, f->FieldName(), type, params);
  if (parameters) *parameters = params;
  return type;
}

TWinControl* TwwDBGrid::FindEditControl(const AnsiString& name, bool anyWindowed) const {
  if (name.empty()) return nullptr;
  TComponent* found = nullptr;
  const std::size_t dot = name.find('.');
  if (dot == AnsiString::npos) {
    TComponent* form = (editControlOptions_ & ecoSearchOwnerForm)
                           ? wwGetOwnerForm(const_cast<TwwDBGrid*>(this))
                           : static_cast<TComponent*>(GetParentForm(this));
    if (form) found = form->FindComponent(name);
  } else {
    TDataSet* ds = DataLink()->DataSet();
    if (dot > 0 && ds && ds->Owner()) found = ds->Owner()->FindComponent(name.substr(dot + 1));
  }
  if (anyWindowed) return dynamic_cast<TWinControl*>(found);
  return dynamic_cast<TCustomEdit*>(found);
}

TWinControl* TwwDBGrid::EditControlOf(int dataCol) const {
  AnsiString params;
  const AnsiString type = ColumnControlType(dataCol, &params);
  if (!wwIsEditControlType(type)) return nullptr;
  int pos = 1;
  return FindEditControl(wwStrGetToken(params, ";", pos), false);
}

bool TwwDBGrid::CellHasControl(int col, int row) {
  if (!IsWwDataCell(col, row)) return false;
  const int dataCol = RawToDataColumn(col);
  const AnsiString type = ColumnControlType(dataCol);
  if (wwEqualText(type, "Bitmap") || wwEqualText(type, "CheckBox")) return true;
  // An edit control that cannot be found leaves a plain text column.
  return wwIsEditControlType(type) && EditControlOf(dataCol);
}

bool TwwDBGrid::HasControlType(int col, int row) const {
  if (!IsWwDataCell(col, row)) return false;
  const int dataCol = RawToDataColumn(col);
  const AnsiString type = ColumnControlType(dataCol);
  if (wwEqualText(type, "Bitmap") || wwEqualText(type, "CheckBox") || wwEqualText(type, "RichEdit")) return true;
  return wwIsEditControlType(type) && EditControlOf(dataCol);
}

bool TwwDBGrid::IsTextMemoCell(int col, int row) const {
  return IsBlobCell(col, row) && IsTextMemo(GetColField(RawToDataColumn(col)));
}

TWinControl* TwwDBGrid::VisibleEditControl() const {
  TWinControl* c = currentEditControl_;
  return c && c->Visible() && c->Parent() == this ? c : nullptr;
}

void TwwDBGrid::PrepareControl(TWinControl* control, const AnsiString& fieldName) {
  control->SetVisible(false);
  if (control->Parent() != this) control->SetParent(this);
  SetObjectProp(control, "DataSource", TwwCustomDBGrid::DataSource());
  SetStrProp(control, "DataField", fieldName);
  control->Font()->Assign(*Font());
  if (auto* edit = dynamic_cast<TCustomEdit*>(control)) edit->SetBorderStyle(bsNone);
  control->FreeNotification(this);
}

void TwwDBGrid::PrepareEditControls() {
  if (HasState(csLoading)) return;
  TDataSet* ds = DataLink()->DataSet();
  TStrings* types = wwGetControlType(ds);
  if (!types) return;
  editControlsPrepared_ = true;
  for (int i = 0; i < types->Count(); ++i) {
    const std::vector<AnsiString> parts = TypeParts(types->Strings(i));
    if (parts.size() < 2) continue;
    const bool rich = wwEqualText(parts[1], "RichEdit");
    if (!rich && !wwIsEditControlType(parts[1])) continue;
    TWinControl* control = FindEditControl(parts.size() > 2 ? parts[2] : AnsiString(), rich);
    if (control && !HasState(csDesigning)) PrepareControl(control, parts[0]);
  }
}

bool TwwDBGrid::MayEditField(const TField* field) const {
  TDataSet* ds = DataLink()->DataSet();
  if (!field || !ds || !ds->CanModify() || field->ReadOnly() || DataLink()->ReadOnly()) return false;
  return field->CanModify() || (EditCalculated() && wwIsCalcOrLookupField(field));
}

void TwwDBGrid::HideEditControl() {
  TWinControl* c = VisibleEditControl();
  if (!c) return;
  if (c->Focused() && CanFocus()) SetFocus();
  c->SetVisible(false);
}

void TwwDBGrid::UpdateData() {
  TwwCustomDBGrid::UpdateData();
  // The control over the cell writes a pending text too.
  if (TWinControl* c = VisibleEditControl())
    if (auto* link = reinterpret_cast<TDataLink*>(c->Perform(CM_GETDATALINK, 0, 0))) link->UpdateRecord();
}

// ---------------------------------------------------------------- painting

void TwwDBGrid::Paint() {
  UpdateRowSelectionFlags();
  if (!ShowVertScrollBar() && HandleAllocated()) SetScrollRange(SB_VERT, 0, 0, false);
  if (TWinControl* c = VisibleEditControl()) {
    // A control whose field left the columns goes.
    const AnsiString field = GetStrProp(c, "DataField");
    TDataSet* ds = DataLink()->DataSet();
    bool shown = false;
    if (!UseTFields()) {
      int index = -1;
      shown = wwFindSelectedEntry(Selected(), field, index);
    } else if (ds) {
      TField* f = ds->FindField(field);
      shown = f && f->Visible();
    }
    if (!shown) HideEditControl();
  }
  TwwCustomDBGrid::Paint();
  if (Focused() && (Options() & dgAlwaysShowEditor) && !IsBlobCell(Col(), Row()) && !HasControlType(Col(), Row()) &&
      (!InplaceEditor() || !InplaceEditor()->Visible()))
    ShowEditor();
}

bool TwwDBGrid::CanEditShow() {
  if (!TwwCustomDBGrid::CanEditShow() || HasControlType(Col(), Row())) return false;
  return !((Options() & dgAlwaysShowEditor) && !Focused() && InplaceEditor() && !InplaceEditor()->Focused());
}

void TwwDBGrid::DrawCell(int col, int row, TRect rect, TGridDrawState state) {
  if (paintingCell_) return;
  paintingCell_ = true;
  TScopeExit painted{[this] { paintingCell_ = false; }};
  if (col == Col() && row == Row() && Editable() && DataLink()->Active() && !HasState(csDesigning)) {
    const int dataCol = RawToDataColumn(col);
    TWinControl* control = EditControlOf(dataCol);
    if (control && GetParentForm(control) && GetParentForm(control)->InheritsFromName("TwwRecordViewForm"))
      control = nullptr;
    if (control) {
      if (currentEditControl_ && currentEditControl_ != control) HideEditControl();
      currentEditControl_ = control;
      control->FreeNotification(this);
      TCustomForm* form = GetParentForm(this);
      TWinControl* active = form ? form->ActiveControl() : nullptr;
      if (control->Parent() == this && active == control) {
        if (control->BoundsRect() != rect) control->SetBoundsRect(rect);
      } else if ((active == this || Focused()) && MayEditField(GetColField(dataCol))) {
        TField* f = GetColField(dataCol);
        if (control->Parent() != this) PrepareControl(control, f->FieldName());
        SetObjectProp(control, "DataSource", TwwCustomDBGrid::DataSource());
        SetStrProp(control, "DataField", f->FieldName());
        control->SetBoundsRect(rect);
        control->SetVisible(true);
      }
    }
  }
  if (TWinControl* c = VisibleEditControl(); c && c->BoundsRect() == rect) {
    c->Invalidate();  // the control shows the cell
    return;
  }
  TwwCustomDBGrid::DrawCell(col, row, rect, state);
  // A row-select grid with the keyboard frames its current row, as lists
  // do; without it the row keeps its highlight alone. Each cell draws its
  // part of the frame: the painting is clipped to the cell.
  if ((Options() & dgRowSelect) && row == Row() && !(state & gdFixed) && DefaultDrawing() && Focused() &&
      DataLink()->Active() && DataLink()->RecordCount() > 0) {
    const TRect first = CellRect(std::max(TCustomGrid::FixedCols(), LeftCol()), row);
    const TRect last = CellRect(ColCount() - 1, row);
    Canvas()->DrawFocusRect({first.Left, rect.Top, last.IsEmpty() ? ClientWidth() : last.Right, rect.Bottom});
  }
}

// ---------------------------------------------------------------- cell text

AnsiString TwwDBGrid::BlobTextOfPaintedRow(TField* field, int limit) {
  TDataSet* ds = DataLink()->DataSet();
  AnsiString text;
  if (paintDataRow_ == Row() - TitleOffset()) {
    text = field->AsString();
  } else {
    try {
      TwwMemoStream stream(ds, field, ds->ActiveBuffer());
      const int size = static_cast<int>(std::min<int64_t>(stream.Size(), limit > 0 ? limit : stream.Size()));
      text.resize(static_cast<std::size_t>(std::max(0, size)));
      if (size > 0) text.resize(static_cast<std::size_t>(std::max(0, stream.Read(text.data(), size))));
    } catch (const Exception&) {
      text.clear();  // an unreadable value shows nothing
    }
  }
  if (limit > 0 && static_cast<int>(text.size()) > limit) text.resize(static_cast<std::size_t>(limit));
  return text;
}

AnsiString TwwDBGrid::RichPlainText(TField* field) {
  if (!richText_) richText_ = std::make_unique<TWPRtfStorage>(nullptr);
  TStringStream in(BlobTextOfPaintedRow(field, 0));
  TWPRtfStrings lines(richText_->RtfText());
  lines.LoadFromStream(&in);
  TStringStream out;
  lines.SaveToStream(&out);
  AnsiString text = out.DataString();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '\0')) text.pop_back();
  return text;
}

AnsiString TwwDBGrid::GetDisplayText(int dataCol) {
  TField* f = GetColField(dataCol);
  if (!f) return AnsiString();
  AnsiString params;
  const AnsiString type = ColumnControlType(dataCol, &params);
  TDataSet* ds = DataLink()->DataSet();
  if (wwEqualText(type, "RichEdit") && IsBlob(f)) return RichPlainText(f);
  if (f->DataType() == ftMemo) {
    if (ds->IsEmpty() && ds->State() != dsInsert) return AnsiString();
    if (!(memoAttributes_ & mGridShow)) return "(Memo)";
    AnsiString text = BlobTextOfPaintedRow(f, 255);
    if (!(Options() & dgWordWrap)) {
      const std::size_t cr = text.find('\r'), lf = text.find('\n');
      const std::size_t cut = std::min(cr, lf);
      if (cut != AnsiString::npos) text.resize(cut);
    }
    return text;
  }
  if (wwIsEditControlType(type)) {
    int pos = 1;
    if (auto* edit = dynamic_cast<TwwDBCustomEdit*>(FindEditControl(wwStrGetToken(params, ";", pos), false))) {
      AnsiString text;
      if (edit->GridCellText(f, text)) return text;
    }
  }
  return f->DisplayText();
}

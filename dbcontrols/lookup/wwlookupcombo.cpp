// The lookup combo's parts, properties, value and text: the text that
// follows the data field, the writing of the pick into the data field (or
// into the fields a calculated or lookup data field derives from), and the
// drop-down: its columns, size, place on the screen and closing.
#include "dbcontrols/lookup/wwlookupcombo.h"

#include <algorithm>

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/ctlutil.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keyboard.h"

namespace {

bool Editing(const TDataSet* ds) { return ds && (ds->State() == dsEdit || ds->State() == dsInsert); }

bool ReadOnlyTable(const TDataSet* ds) {
  const auto* t = dynamic_cast<const TTable*>(ds);
  return t && t->ReadOnly();
}

}  // namespace

// The top-level window the drop-down grid lives in while the combo exists;
// freed before its combo (as at shut-down), it hands the grid back.
class TwwLookupDropWindow : public TPopupWindow {
 public:
  explicit TwwLookupDropWindow(TwwDBCustomLookupCombo* combo) : TPopupWindow(nullptr), combo_(combo) {}
  ~TwwLookupDropWindow() override {
    if (combo_) combo_->DropWindowGone();
  }
  void Forget() { combo_ = nullptr; }

 private:
  TwwDBCustomLookupCombo* combo_;
};

// ---------------------------------------------------------------- construction

TwwDBCustomLookupCombo::TwwDBCustomLookupCombo(TComponent* owner) : TCustomEdit(owner) {
  fieldLink_.SetControl(this);
  fieldLink_.OnDataChange = [this](TObject*) { DataChange(); };
  fieldLink_.OnEditingChange = [this](TObject*) { TCustomEdit::SetReadOnly(!CanEdit()); };
  fieldLink_.OnUpdateData = [this](TObject*) { UpdateData(); };
  fieldLink_.OnActiveChange = [this](TObject*) { ActiveChange(); };
  panel_ = new TWinControl(this);
  panel_->SetColor(clBtnFace);
  panel_->SetParent(this);
  panel_->SetBounds(0, 0, std::max(GetSystemMetrics(SM_CXVSCROLL) + 4, 17), 17);
  button_ = new TwwComboButton(this);
  button_->SetParent(panel_);
  button_->SetBounds(0, 0, std::max(GetSystemMetrics(SM_CXVSCROLL), 15), 17);
  TBitmap glyph;
  LoadButtonGlyph(glyph);
  button_->SetGlyph(glyph);
  grid_ = new TwwPopupGrid(this);
  // The list's pick shows in the text.
  grid_->OnClick = [this](TObject* sender) { CommitText(sender); };
  SetHeight(25);
  timer_ = std::make_unique<TTimer>(nullptr);
  timer_->SetEnabled(false);
  timer_->SetInterval(static_cast<unsigned>(searchDelay_));
  timer_->OnTimer = [this](TObject*) { SearchTypedText(); };
}

TwwDBCustomLookupCombo::~TwwDBCustomLookupCombo() {
  timer_.reset();
  fieldLink_.OnDataChange = nullptr;
  fieldLink_.OnEditingChange = nullptr;
  fieldLink_.OnUpdateData = nullptr;
  fieldLink_.OnActiveChange = nullptr;
  fieldLink_.SetDataSource(nullptr);
  if (dropWindow_) {
    static_cast<TwwLookupDropWindow*>(dropWindow_)->Forget();
    if (grid_) grid_->SetParent(nullptr);
    delete dropWindow_;
    dropWindow_ = nullptr;
  }
  // The grid goes first: it still calls back while its links close.
  delete grid_;
  grid_ = nullptr;
}

void TwwDBCustomLookupCombo::DropWindowGone() {
  if (grid_) {
    if (GetCaptureControl() == grid_) ReleaseCapture();
    grid_->SetVisible(false);
    grid_->SetParent(nullptr);
  }
  dropWindow_ = nullptr;
}

void TwwDBLookupCombo::PublishProperties(TClassInfo& ci) {
  using C = TwwDBLookupCombo;
  PublishObject<C, TDataSource>(ci, "DataSource", &C::DataSource, &C::SetDataSource);
  PublishString<C>(ci, "DataField", &C::DataField, &C::SetDataField);
  PublishObject<C, TDataSet>(ci, "LookupTable", &C::LookupTable, &C::SetLookupTable);
  PublishString<C>(ci, "LookupField", &C::LookupField, &C::SetLookupField);
  PublishObject<C, TStrings>(ci, "Selected", &C::Selected, &C::SetSelected);
  PublishSet<C>(ci, "Options", &C::Options, &C::SetOptions);
  PublishInteger<C>(ci, "Style", &C::Style, &C::SetStyle);
  PublishBool<C>(ci, "AutoDropDown", &C::AutoDropDown, &C::SetAutoDropDown);
  PublishBool<C>(ci, "ShowButton", &C::ShowButton, &C::SetShowButton);
  PublishInteger<C>(ci, "DropDownCount", &C::DropDownCount, &C::SetDropDownCount);
  PublishInteger<C>(ci, "DropDownWidth", &C::DropDownWidth, &C::SetDropDownWidth);
  PublishInteger<C>(ci, "DropDownAlignment", &C::DropDownAlignment, &C::SetDropDownAlignment);
  PublishSet<C>(ci, "SeqSearchOptions", &C::SeqSearchOptions, &C::SetSeqSearchOptions);
  PublishBool<C>(ci, "OrderByDisplay", &C::OrderByDisplay, &C::SetOrderByDisplay);
  PublishBool<C>(ci, "UseTFields", &C::UseTFields, &C::SetUseTFields);
  PublishBool<C>(ci, "AllowClearKey", &C::AllowClearKey, &C::SetAllowClearKey);
  PublishBool<C>(ci, "ShowMatchText", &C::ShowMatchText, &C::SetShowMatchText);
  PublishBool<C>(ci, "ReadOnly", &C::ReadOnly, &C::SetReadOnly);
  wwPublishEditProperties<C>(ci);
  PublishEvent<C, TNotifyEvent>(ci, "OnDropDown", &C::OnDropDown);
  PublishEvent<C, TNotifyCloseUpEvent>(ci, "OnCloseUp", &C::OnCloseUp);
  PublishEvent<C, TNotInListEvent>(ci, "OnNotInList", &C::OnNotInList);
}

void TwwDBCustomLookupCombo::Loaded() {
  button_->SetWidth(std::max(GetSystemMetrics(SM_CXVSCROLL), 15));
  if (Parent() || Owner()) Layout();
  TCustomEdit::Loaded();
  RefreshLookupText();
}

void TwwDBCustomLookupCombo::Notification(TComponent* c, TOperation op) {
  TCustomEdit::Notification(c, op);
  if (op != opRemove) return;
  if (c == grid_) grid_ = nullptr;
  if (c == button_) button_ = nullptr;
  if (c == panel_) panel_ = nullptr;
  if (c && c == fieldLink_.DataSource()) SetDataSource(nullptr);
}

void TwwDBCustomLookupCombo::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  p.Style |= WS_CLIPCHILDREN | ES_MULTILINE;
}

void TwwDBCustomLookupCombo::CreateWnd() {
  TCustomEdit::CreateWnd();
  SetEditRect();
  if (grid_) grid_->HandleNeeded();
  RefreshLookupText();
}

// ---------------------------------------------------------------- properties

void TwwDBCustomLookupCombo::SetDataSource(TDataSource* v) {
  if (v && v->DataSet() && v->DataSet() == LookupTable()) throw EInvalidOperation(wwDuplicateSourceMessage);
  if (TDataSource* old = fieldLink_.DataSource()) old->RemoveFreeNotification(this);
  fieldLink_.SetDataSource(v);
  if (v) v->FreeNotification(this);
}

// The lookup fields a data field implies: a lookup field's key fields in
// the lookup table, or the lookup-table side of its lookup link.
static AnsiString DerivedLookupField(TDataSource* source, const AnsiString& dataField) {
  TDataSet* ds = source ? source->DataSet() : nullptr;
  if (!ds) return AnsiString();
  if (TField* f = ds->FindField(dataField); f && f->Lookup()) return f->LookupKeyFields();
  AnsiString link;
  wwGetFieldLookupLink(ds, dataField, link);
  const std::vector<AnsiString> pairs = wwLookupTokens(link);
  AnsiString out;
  for (std::size_t k = 1; k < pairs.size(); k += 2) out += (out.empty() ? "" : ";") + pairs[k];
  return out;
}

void TwwDBCustomLookupCombo::SetDataField(const AnsiString& v) {
  fieldLink_.SetFieldName(v);
  const AnsiString derived = DerivedLookupField(DataSource(), v);
  if (!derived.empty()) SetLookupField(derived);
  if (grid_) grid_->CheckLookupFields(true);
}

void TwwDBCustomLookupCombo::SetLookupTable(TDataSet* v) {
  grid_->SetLookupTable(v);
  if (HandleAllocated()) RefreshLookupText();
}

void TwwDBCustomLookupCombo::SetLookupField(const AnsiString& v) {
  grid_->SetLookupField(v);
  if (HandleAllocated()) RefreshLookupText();
}

void TwwDBCustomLookupCombo::SetReadOnly(bool v) {
  fieldLink_.SetReadOnly(v);
  TCustomEdit::SetReadOnly(!CanEdit());
}

void TwwDBCustomLookupCombo::SetStyle(TwwDBLookupComboStyle v) {
  style_ = v == csDropDownList ? csDropDownList : csDropDown;
  SetCursor(EditTextAllowed() ? crIBeam : crDefault);
  Invalidate();
}

void TwwDBCustomLookupCombo::SetShowButton(bool v) {
  showButton_ = v;
  if (panel_) panel_->SetVisible(v);
  SetEditRect();
  Invalidate();
}

// ---------------------------------------------------------------- state

AnsiString TwwDBCustomLookupCombo::GetCurrentText() const { return EditTextAllowed() ? Text() : grid_->Value(); }

bool TwwDBCustomLookupCombo::EditTextAllowed() const {
  if (ListVisible()) return true;
  return !(style_ == csDropDownList && !autoDropDown_);
}

bool TwwDBCustomLookupCombo::AllowsMouseSelection() const { return ListVisible() || style_ != csDropDownList; }

bool TwwDBCustomLookupCombo::IsDataFieldLinked() const {
  TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
  if (!ds || !wwDataSetHasField(ds, DataField())) return false;
  TField* f = ds->FindField(DataField());
  return f && (f->Calculated() || f->Lookup());
}

bool TwwDBCustomLookupCombo::CanEdit() const {
  bool can;
  if (!DataSource() || DataField().empty() || (fieldLink_.Editing() && EditTextAllowed())) {
    can = true;
  } else {
    TDataSet* ds = DataSource()->DataSet();
    can = IsDataFieldLinked() && (Editing(ds) || DataSource()->AutoEdit());
  }
  if (!ListVisible() && style_ == csDropDownList && !autoDropDown_) can = false;
  if (ReadOnly()) can = false;
  return can;
}

bool TwwDBCustomLookupCombo::IsDetailLookupTable() const {
  const TwwTable* t = LookupWwTable();
  return t && t->MasterSource();
}

bool TwwDBCustomLookupCombo::Bound() const {
  const bool unbound = !DataSource() || !DataSource()->DataSet();
  return fieldLink_.Editing() || IsDataFieldLinked() || unbound;
}

void TwwDBCustomLookupCombo::StartEdit() {
  // The link's data change would show the record's value in the list:
  // the list keeps what it holds.
  const AnsiString v1 = grid_->Value(), v2 = grid_->Value2(), v3 = grid_->Value3(), display = grid_->DisplayValue();
  const int row = grid_->SelectedRow();
  fieldLink_.Edit();
  grid_->SetValues(v1, v2, v3);
  grid_->SetRawDisplayValue(display);
  grid_->SetSelectedRow(row);
}

void TwwDBCustomLookupCombo::SelectAllIfEditable() {
  if (EditTextAllowed()) Perform(EM_SETSEL, 0, static_cast<LPARAM>(-1));
}

void TwwDBCustomLookupCombo::SetEditRect() {
  if (!HandleAllocated()) return;
  TRect r{BorderStyle() == bsNone ? 2 : 0, 0, 0, ClientHeight() + 1};
  r.Right = (showButton_ && panel_ ? panel_->Left() : ClientWidth()) - 2;
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

int TwwDBCustomLookupCombo::WidthForText(const AnsiString& text) const {
  // As SetEditRect lays it out: two pixels inside the edge (the border's or,
  // without one, the rectangle's), two before the button.
  const int frame = BorderStyle() == bsNone ? 0 : 4;
  const int button = showButton_ && button_ ? button_->Width() : 0;
  return frame + 2 + ctlutil::TextWidth(*Font(), text) + 1 + 2 + button;
}

// ---------------------------------------------------------------- value and text

void TwwDBCustomLookupCombo::SetValue(const AnsiString& text) {
  if (fieldLink_.Active() && DataSource() && DataSource()->DataSet() == LookupTable())
    throw EInvalidOperation(wwDuplicateSourceMessage);
  const bool displayIsKey = grid_->DisplayField() == grid_->KeyField(1);
  if (text == grid_->Value() && (!Text().empty() || text.empty()) && (!displayIsKey || Text() == text)) return;
  if (grid_->DataLink()->Active()) {
    if (!assigning_) grid_->SetValue(text);
    SetText(grid_->DisplayValue());
  } else if ((LookupField().empty() && !LookupTable()) || (LookupTable() && !LookupTable()->Active())) {
    SetText(text);
  }
}

void TwwDBCustomLookupCombo::RefreshLookupText() {
  if (suppressRefresh_ || !grid_) return;
  TField* f = Field();
  if (!f || HasState(csLoading)) {
    SetText(AnsiString());
    if (Focused()) SelectAllIfEditable();
    return;
  }
  if (IsDetailLookupTable() && grid_->reentry_ == 0 && IsDataFieldLinked()) {
    SetText(f->Text());
    return;
  }
  TwwTable* lookup = LookupWwTable();
  if (lookup && lookup->Active() && lookup->MasterSource() && lookup->MasterSource() == DataSource() &&
      lookup->IndexFieldCount() > 0) {
    // The detail table does not follow the current record yet.
    const std::vector<AnsiString> master = wwLookupTokens(lookup->MasterFields());
    TField* own = master.empty() ? nullptr : DataSource()->DataSet()->FindField(master[0]);
    if (own && lookup->IndexFields(0)->Text() != own->Text()) return;
  }
  if (grid_->reentry_ != 0) return;
  ++grid_->reentry_;
  TScopeExit left{[this] { --grid_->reentry_; }};
  TField* display = grid_->DisplayField();
  if (grid_->KeyField(2) || grid_->KeyField(3)) {
    grid_->SyncLookup(false);
    if (display) SetText(display->Text());
    grid_->SetRawDisplayValue(Text());
  }
  SetValue(f->Text());
  TDataSet* ds = DataSource()->DataSet();
  for (int k = 2; k <= 3; ++k) {
    TField* key = grid_->KeyField(k);
    TField* same = key && ds ? ds->FindField(key->FieldName()) : nullptr;
    const AnsiString& held = k == 2 ? grid_->Value2() : grid_->Value3();
    if (!same || same->Text() == held) continue;
    if (display) SetText(display->Text());
    grid_->SetRawDisplayValue(Text());
    grid_->SetValues(grid_->Value(), k == 2 ? same->Text() : grid_->Value2(), k == 3 ? same->Text() : grid_->Value3());
  }
  if (DataSource()->State() == dsBrowse) {
    savedText_ = Text();
    savedValue_ = Value();
  }
  if (IsDetailLookupTable() && IsDataFieldLinked()) SetText(f->Text());
}

void TwwDBCustomLookupCombo::DataChange() { RefreshLookupText(); }

void TwwDBCustomLookupCombo::ActiveChange() {
  if (!fieldLink_.DataSource()) return;
  TDataSet* ds = fieldLink_.DataSet();
  if (HasState(csLoading) && fieldLink_.Active() && ds && !ds->FindField(DataField())) SetDataField(DataField());
  if (fieldLink_.Active()) {
    const AnsiString derived = DerivedLookupField(DataSource(), DataField());
    if (!derived.empty()) grid_->SetLookupField(derived);
  }
  if (fieldLink_.Active() && grid_->DataLink()->Active()) {
    if (TField* f = Field()) grid_->SetValue(f->Text());
    RefreshLookupText();
  }
}

void TwwDBCustomLookupCombo::Change() {
  if (fieldLink_.Editing()) fieldLink_.Modified();
  TCustomEdit::Change();
}

void TwwDBCustomLookupCombo::UpdateData() {
  TField* f = Field();
  if (!f) return;
  if (!IsDataFieldLinked()) {
    if (!inNotInList_) {
      if (grid_->DisplayField() == grid_->KeyField(1)) {
        if (f->Text() != Text()) f->SetText(Text());
      } else if (f->Text() != grid_->Value()) {
        f->SetText(grid_->Value());
      }
    }
    if (grid_->SelectedRow() >= 0 || AssignAllLinkedFields()) {
      TDataSet* ds = f->DataSet();
      for (int k = 2; k <= 3; ++k)
        if (TField* key = grid_->KeyField(k))
          if (TField* same = ds->FindField(key->FieldName())) same->AssignField(key);
    }
  } else if (grid_->SelectedRow() >= 0) {
    AssignLookupToFields(LookupTable());
  }
}

void TwwDBCustomLookupCombo::CommitText(TObject* /*sender*/) {
  found_ = true;
  if (DataSource() && !fieldLink_.Editing() && !Modified()) return;
  fieldLink_.Edit();
  if (!fieldLink_.Editing() && !IsDataFieldLinked()) return;
  if (IsDataFieldLinked() && ReadOnlyTable(DataSource()->DataSet())) return;
  fieldLink_.Modified();
  SetText(grid_->DisplayValue());
  SelectAllIfEditable();
  if (HandleAllocated()) ShowCaret(Handle());
  lastSearched_ = Text();
}

void TwwDBCustomLookupCombo::AssignLookupToFields(TDataSet* /*lookupTable*/) {
  if (assigning_) return;
  assigning_ = true;
  TScopeExit done{[this] {
    suppressRefresh_ = false;
    Invalidate();
    assigning_ = false;
  }};
  TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
  TField* f = Field();
  if (!ds || !f) return;
  std::vector<AnsiString> targets;
  if (f->Lookup()) {
    targets = wwLookupTokens(f->KeyFields());
  } else {
    AnsiString link;
    wwGetFieldLookupLink(ds, DataField(), link);
    const std::vector<AnsiString> pairs = wwLookupTokens(link);
    for (std::size_t k = 0; k < pairs.size(); k += 2) targets.push_back(pairs[k]);
  }
  const AnsiString values[3] = {grid_->Value(), grid_->Value2(), grid_->Value3()};
  auto text = [&](std::size_t i) {
    TField* t = i < targets.size() ? ds->FindField(targets[i]) : nullptr;
    return t ? t->Text() : AnsiString();
  };
  bool change = targets.empty() || text(0) != values[0];
  if (grid_->KeyField(2) && text(1) != values[1]) change = true;
  if (grid_->KeyField(3) && text(2) != values[2]) change = true;
  if (!change) return;
  suppressRefresh_ = true;
  if (ReadOnlyTable(ds)) return;
  if (!Editing(ds)) ds->Edit();
  if (!Editing(ds)) return;
  const std::size_t first = IsDetailLookupTable() && !targets.empty() ? targets.size() - 1 : 0;
  for (std::size_t i = first; i < targets.size() && i < 3; ++i)
    if (TField* t = ds->FindField(targets[i]); t && t->Text() != values[i]) t->SetText(values[i]);
}

// ---------------------------------------------------------------- drop-down

// A Selected entry for the first lookup field: name, width and label.
static void AddDefaultColumn(TwwDBCustomLookupCombo* combo) {
  TDataSet* table = combo->LookupTable();
  const std::vector<AnsiString> names = wwLookupTokens(combo->LookupField());
  if (!table || names.empty()) return;
  TField* f = combo->IsDataFieldLinked() ? combo->Grid()->KeyField(1) : table->FindField(names[0]);
  if (!f) return;
  combo->Selected()->Add(f->FieldName() + "\t" + IntToStr(f->DisplayWidth()) + "\t" + f->DisplayLabel());
}

void TwwDBCustomLookupCombo::AddDefaultSelected() { AddDefaultColumn(this); }

int TwwDBCustomLookupCombo::ListWidth() {
  if (dropDownWidth_ > 0) return dropDownWidth_;
  // The columns at their own widths (the last one not stretched).
  {
    grid_->stretchLast_ = false;
    TScopeExit stretch{[this] { grid_->stretchLast_ = true; }};
    grid_->LayoutChanged();
  }
  const int line = (grid_->Options() & loColLines) ? grid_->GridLineWidth() : 0;
  int width = 2 * grid_->BorderWidth() + (grid_->ShowVertScrollBar() ? GetSystemMetrics(SM_CXVSCROLL) : 0);
  for (int c = 0; c < grid_->ColCount(); ++c) width += grid_->ColWidths(c) + line;
  return width;
}

int TwwDBCustomLookupCombo::ListHeight(int rows) {
  const int line = (grid_->Options() & loRowLines) ? grid_->GridLineWidth() : 0;
  int height = 2 * grid_->BorderWidth() + rows * (grid_->DefaultRowHeight() + line) + extraHeight_;
  if (grid_->TitleOffset() > 0) height += grid_->RowHeights(0) + line;
  return height;
}

void TwwDBCustomLookupCombo::PlaceList(int height, int naturalWidth) {
  TPoint topLeft = Parent() ? Parent()->ClientToScreen({Left(), Top()}) : ClientToScreen({0, 0});
  const int screenW = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
  const int screenH = Screen ? Screen->Height() : GetSystemMetrics(SM_CYSCREEN);
  int width = dropDownWidth_ > 0 ? dropDownWidth_ : naturalWidth;
  if (naturalWidth > width) height += GetSystemMetrics(SM_CYHSCROLL);
  int top = topLeft.Y + Height() - 1;
  if (top + height > screenH) {
    top = topLeft.Y + 1 - height;
    if (top < 0) top = topLeft.Y + Height() - 1;
  }
  int left = topLeft.X;
  if (dropDownAlignment_ == taRightJustify) {
    left = topLeft.X + Width() - width;
  } else if (left + width > screenW) {
    width = std::max(1, screenW - left);
  }
  const TRect r = Bounds(left, top, width, height);
  if (!dropWindow_) dropWindow_ = new TwwLookupDropWindow(this);
  if (grid_->Parent() != dropWindow_) grid_->SetParent(dropWindow_);
  dropWindow_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  // The grid fills the window and draws its frame itself.
  grid_->SetBounds(0, 0, r.Width(), r.Height());
  listRect_ = r;
  listAnchor_ = topLeft;
}

void TwwDBCustomLookupCombo::ResetButton() {
  if (!button_) return;
  button_->SetEnabled(false);
  button_->Repaint();
  button_->SetEnabled(true);
  button_->Repaint();
}

void TwwDBCustomLookupCombo::DropDown() {
  TDataSet* table = LookupTable();
  if (!table) {
    MessageDlg("No lookup table specified!", mtWarning, mbOK, 0);
    ResetButton();
    return;
  }
  if (!table->Active()) {
    MessageDlg("Lookup table is not active!", mtWarning, mbOK, 0);
    ResetButton();
    return;
  }
  if (ListVisible() || Width() <= 20) return;
  // Letters typed before the list opens: the list goes to them, and the
  // typing goes on behind them.
  const bool typedAhead = !typing_ && EditTextAllowed() && !Text().empty() && Text() != savedText_;
  grid_->SetSelectedRow(-1);
  if (Selected()->Count() == 0) {
    AddDefaultSelected();
    grid_->CheckLookupFields(false);
  }
  grid_->SetParentFont(false);
  grid_->SetFont(*Font());
  grid_->SetTitleFont(*Font());
  if (!typing_) {
    if (wwIsClassByName(table, "TwwQuery")) StartEdit();
    grid_->SyncLookup(false);
    // Without a value the list opens on its first record, the one a key
    // moves on from, not on a record an earlier search left current.
    if (!grid_->Found()) table->First();
  }
  if (UseTFields())
    wwApplySelectedToFields(table, Selected());
  else
    grid_->LayoutChanged();
  if (OnDropDown) OnDropDown(this);

  int rows = std::max(1, dropDownCount_);
  const int natural = ListWidth();
  PlaceList(ListHeight(rows), natural);
  grid_->UpdateRowCount();
  auto* wt = LookupWwTable();
  const bool mayShrink = !wt || (!wt->NarrowSearch() && !(wt->SyncSQLByRange() && wt->IsSQLBased()));
  if (mayShrink && grid_->DataLink()->RecordCount() < rows) {
    rows = std::max(1, grid_->DataLink()->RecordCount());
    grid_->SetShowVertScrollBar(false);
    PlaceList(ListHeight(rows), ListWidth());
    if (!(showMatchText_ && typing_)) SetSelStart(static_cast<int>(Text().size()));
  } else if (!grid_->ShowVertScrollBar()) {
    grid_->SetShowVertScrollBar(true);
    PlaceList(ListHeight(rows), ListWidth());
  }
  if (LookupField().empty()) grid_->SetRawDisplayValue(Text());
  grid_->SetVisible(true);
  dropWindow_->Popup(listRect_);
  grid_->LayoutChanged();
  grid_->UpdateRowCount();
  grid_->Invalidate();
  lastSearched_ = grid_->DisplayValue();
  if (CanFocus() && !Focused()) SetFocus();
  TCustomEdit::SetReadOnly(!CanEdit());
  if (typedAhead) {
    lastSearched_.clear();
    SearchTypedText();
    SetSelStart(static_cast<int>(Text().size()));
  } else if (!typing_) {
    SelectAllIfEditable();
  }
  if (HandleAllocated() && Focused()) ShowCaret(Handle());
  Invalidate();
}

void TwwDBCustomLookupCombo::HideList() {
  if (!grid_) return;
  if (GetCaptureControl() == grid_) ReleaseCapture();
  grid_->SetVisible(false);
  if (dropWindow_) dropWindow_->Hide();
}

void TwwDBCustomLookupCombo::RestoreAfterFailedPick() {
  grid_->SetValues(savedValue_, grid_->Value2(), grid_->Value3());
  grid_->SetRawDisplayValue(savedText_);
  SetText(savedText_);
  MessageBeep(0);
}

void TwwDBCustomLookupCombo::CloseUp(bool accept) {
  if (inCloseUp_ || !grid_) return;
  if (!ListVisible()) {
    // A typed text that names no record is offered to OnNotInList.
    if (OnNotInList && Text() != savedText_ && !inNotInList_) {
      PrepareLookupOrder(true);
      SearchTypedText();
      if (!found_) {
        bool acceptText = true;
        inNotInList_ = true;
        try {
          if (!Text().empty()) OnNotInList(this, LookupTable(), Text(), acceptText);
          wwReleaseMouseButton();
          if (!acceptText) {
            notInListRefused_ = true;
            grid_->SetRawDisplayValue(savedText_);
            grid_->SetRawValue(savedValue_);
            SetText(savedText_);
            if (Focused()) SelectAll();
          }
        } catch (const Exception&) {
          // The event's own error ends the check; the text stays.
        }
      }
    }
    inNotInList_ = false;
    savedText_ = Text();
    return;
  }
  inCloseUp_ = true;
  const bool wasFound = found_;
  bool modified = accept;
  try {
    if (!CloseUpSteps(accept, wasFound, modified)) {
      inCloseUp_ = false;
      return;
    }
    // 6: the list goes; a changed value brings the lookup cursor to it.
    HideList();
    Invalidate();
    if (!EditTextAllowed() && HandleAllocated()) HideCaret(Handle());
    if (modified) {
      if (TDataSet* table = LookupTable()) {
        std::unique_ptr<TwwSearchScope> scope;
        if (TwwTable* wt = LookupWwTable()) scope = std::make_unique<TwwSearchScope>(wt);
        if (table->Active()) table->UpdateCursorPos();
      }
      savedText_ = Text();
      savedValue_ = Value();
    }
    SetModified(modified);
    if (OnCloseUp) OnCloseUp(this, LookupTable(), DataSource() ? DataSource()->DataSet() : nullptr, modified);
    inCloseUp_ = false;
  } catch (const Exception&) {
    HideList();
    inNotInList_ = false;
    assigning_ = false;
    inCloseUp_ = false;
    RestoreAfterFailedPick();
    Invalidate();
  }
}

// Steps 3 to 5 of the close-up: taking the pick (or the typed text) into
// the data field. False when the close-up ends at once.
bool TwwDBCustomLookupCombo::CloseUpSteps(bool accept, bool wasFound, bool& modified) {
  const bool bound = Bound();
  const bool unbound = !DataSource() || !DataSource()->DataSet();
  const bool displayIsKey = grid_->DisplayField() == grid_->KeyField(1);
  if (!accept || !bound) {
    modified = false;
    return true;
  }
  if (!wasFound) {
    // The typed text matched no record.
    HideList();
    Invalidate();
    found_ = true;
    if ((style_ == csDropDown && displayIsKey) || OnNotInList) {
      bool acceptText = true;
      if (OnNotInList && !Text().empty()) {
        {
          inNotInList_ = true;
          TScopeExit asked{[this] { inNotInList_ = false; }};
          OnNotInList(this, LookupTable(), Text(), acceptText);
        }
        wwReleaseMouseButton();
      }
      if (!acceptText) {
        notInListRefused_ = true;
        grid_->SetRawDisplayValue(savedText_);
        grid_->SetRawValue(savedValue_);
        SetText(savedText_);
        return false;
      }
      savedText_ = Text();
      if (displayIsKey) {
        SetValue(Text());
        grid_->SetRawDisplayValue(Text());
        if (TField* f = Field(); f && f->Text() != Text()) f->SetText(Text());
      } else if (!IsDataFieldLinked()) {
        if (TField* f = Field()) grid_->SetRawValue(f->Text());
        if (unbound) SetText(grid_->Value());
      }
    }
    return true;
  }
  if (unbound) {
    TField* display = grid_->DisplayField();
    SetText(displayIsKey || !display ? grid_->Value() : display->Text());
    CommitText(this);
    return true;
  }
  if (IsDataFieldLinked()) {
    HideListHook();
    HideList();
    AssignLookupToFields(LookupTable());
    if (TField* f = Field()) SetText(f->Text());
    SelectAll();
    return true;
  }
  // A plain data field takes the value of the pick.
  modified = false;
  TField* f = Field();
  TDataSet* ds = f ? f->DataSet() : nullptr;
  if (!f || !ds) return true;
  struct Undo {
    TField* field;
    AnsiString text;
  };
  std::vector<Undo> written;
  try {
    if (grid_->SelectedRow() >= 0) {
      for (int k = 2; k <= 3; ++k) {
        TField* key = grid_->KeyField(k);
        TField* same = key ? ds->FindField(key->FieldName()) : nullptr;
        if (!same || same->Text() == key->Text()) continue;
        written.push_back({same, same->Text()});
        same->SetText(key->Text());
        modified = true;
      }
    }
    if (f->Text() != grid_->Value()) modified = true;
    if (modified) {
      assigning_ = true;
      if (style_ == csDropDownList && !displayIsKey) SetText(grid_->DisplayValue());
      written.push_back({f, f->Text()});
      f->SetText(grid_->Value());
      assigning_ = false;
    }
  } catch (const Exception&) {
    // The pick could not be written: the record, the text and the value
    // are what they were before it, and the user hears so.
    assigning_ = false;
    for (auto it = written.rbegin(); it != written.rend(); ++it) {
      try {
        it->field->SetText(it->text);
      } catch (const Exception&) {
      }
    }
    RestoreAfterFailedPick();
    modified = false;
  }
  Invalidate();
  return true;
}

// The simple data-aware controls. Each owns a TFieldDataLink whose events
// are its DataChange, EditingChange and UpdateData; see dbctrls.h.
#include "platform/db/dbctrls.h"

#include <algorithm>
#include <type_traits>

#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"

namespace {

// Publishing of the two properties every data control carries.
template <class C>
void PublishDataProps(TClassInfo& ci) {
  PublishObject<C, TDataSource>(ci, "DataSource", &C::DataSource, &C::SetDataSource);
  PublishString<C>(ci, "DataField", &C::DataField, &C::SetDataField);
  PublishBool<C>(ci, "ReadOnly", &C::ReadOnly, &C::SetReadOnly);
}

// Hooks a control up to its field link: the link's events call the control's
// handlers (a null handler stays unassigned), and a windowed control takes
// the focus when the field asks for it.
template <class C>
void WireFieldLink(TFieldDataLink& link, C* c, void (C::*data)(), void (C::*editing)(), void (C::*update)()) {
  link.SetControl(c);
  link.OnDataChange = [c, data](TObject*) { (c->*data)(); };
  if (editing) link.OnEditingChange = [c, editing](TObject*) { (c->*editing)(); };
  if (update) link.OnUpdateData = [c, update](TObject*) { (c->*update)(); };
  if constexpr (std::is_base_of_v<TWinControl, C>)
    link.OnFocusRequest = [c](TObject*) {
      if (c->CanFocus()) c->SetFocus();
    };
}

// Whether `text` is one of the ";"-separated `values`, letter case ignored.
bool ValueMatch(const AnsiString& values, const AnsiString& text) {
  size_t start = 0;
  while (start <= values.size()) {
    size_t p = values.find(';', start);
    if (p == AnsiString::npos) p = values.size();
    if (AnsiSameText(values.substr(start, p - start), text)) return true;
    start = p + 1;
  }
  return false;
}

AnsiString FirstValue(const AnsiString& values) {
  size_t p = values.find(';');
  return p == AnsiString::npos ? values : values.substr(0, p);
}

// The radio buttons of a TDBRadioGroup: a choice by the user needs the
// group's consent (the dataset must go into edit state). Only a choice of
// another button asks it: the focus alone, or the button already chosen,
// leaves the record as it is.
class TGroupButton : public TRadioButton {
  ORV_CLASS(TGroupButton, TRadioButton)
  explicit TGroupButton(TDBRadioGroup* group) : TRadioButton(group), group_(group) {}

protected:
  void Toggle() override {
    if (!Checked() && group_->CanModify()) TRadioButton::Toggle();
  }
  void DoExit() override {
    // The focus leaves a button of the group: write a pending choice.
    group_->DataLink()->UpdateRecord();
    TRadioButton::DoExit();
  }
  void KeyPress(char& key) override {
    TRadioButton::KeyPress(key);
    if (key == 27) {
      group_->DataLink()->Reset();
      key = 0;
    }
  }

private:
  TDBRadioGroup* group_;
};

bool IsBlob(const TField* f) { return dynamic_cast<const TBlobField*>(f) != nullptr; }

}  // namespace

// DataSource follows the source's lifetime: a freed source is dropped.
#define ORV_DATA_SOURCE_SETTER(Class, BaseClass)                                 \
  void Class::SetDataSource(TDataSource* ds) {                                   \
    if (TDataSource* old = dataLink_.DataSource()) RemoveFreeNotification(old);  \
    if (ds) FreeNotification(ds);                                                \
    dataLink_.SetDataSource(ds);                                                 \
  }                                                                              \
  void Class::Notification(TComponent* c, TOperation op) {                       \
    BaseClass::Notification(c, op);                                              \
    if (op == opRemove && c == dataLink_.DataSource()) dataLink_.SetDataSource(nullptr); \
  }

// ---------------------------------------------------------------------------
// TDBText.

void TDBText::PublishProperties(TClassInfo& ci) {
  PublishObject<TDBText, TDataSource>(ci, "DataSource", &TDBText::DataSource, &TDBText::SetDataSource);
  PublishString<TDBText>(ci, "DataField", &TDBText::DataField, &TDBText::SetDataField);
}

TDBText::TDBText(TComponent* owner) : TLabel(owner) {
  SetAutoSize(false);
  SetShowAccelChar(false);
  WireFieldLink<TDBText>(dataLink_, this, &TDBText::DataChange, nullptr, nullptr);
}

TDBText::~TDBText() { dataLink_.SetDataSource(nullptr); }

ORV_DATA_SOURCE_SETTER(TDBText, TLabel)

void TDBText::DataChange() {
  TField* f = dataLink_.Field();
  SetCaption(f ? f->DisplayText() : AnsiString());
}

// ---------------------------------------------------------------------------
// TDBEdit.

void TDBEdit::PublishProperties(TClassInfo& ci) { PublishDataProps<TDBEdit>(ci); }

TDBEdit::TDBEdit(TComponent* owner) : TCustomMaskEdit(owner) {
  TCustomEdit::SetReadOnly(true);
  WireFieldLink<TDBEdit>(dataLink_, this, &TDBEdit::DataChange, &TDBEdit::EditingChange, &TDBEdit::UpdateData);
}

TDBEdit::~TDBEdit() { dataLink_.SetDataSource(nullptr); }

ORV_DATA_SOURCE_SETTER(TDBEdit, TCustomMaskEdit)

void TDBEdit::DataChange() {
  TField* f = dataLink_.Field();
  showing_ = true;
  if (f) {
    SetAlignment(f->Alignment());
    SetEditMask(f->EditMask());
    if (f->DataType() == ftString && MaxLength() == 0) SetMaxLength(f->Size());
    if (focused_ && dataLink_.CanModify())
      SetText(f->Text());
    else
      SetEditText(f->DisplayText());
  } else {
    SetAlignment(taLeftJustify);
    SetEditMask(AnsiString());
    SetEditText(AnsiString());
  }
  showing_ = false;
}

void TDBEdit::EditingChange() { TCustomEdit::SetReadOnly(!dataLink_.Editing()); }

void TDBEdit::UpdateData() {
  ValidateEdit();
  if (TField* f = dataLink_.Field()) f->SetText(Text());
}

void TDBEdit::Change() {
  if (!showing_) dataLink_.Modified();
  TCustomMaskEdit::Change();
}

void TDBEdit::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_DELETE || (key == VK_INSERT && (shift & ssShift))) dataLink_.Edit();
  TCustomMaskEdit::KeyDown(key, shift);
}

void TDBEdit::KeyPress(char& key) {
  unsigned char k = static_cast<unsigned char>(key);
  if (k >= 32 && dataLink_.Field() && !dataLink_.Field()->IsValidChar(key)) {
    MessageBeep(0);
    key = 0;
    return;
  }
  if (k == 8 || k == 22 || k == 24 || k >= 32) {
    dataLink_.Edit();
  } else if (k == 27) {
    dataLink_.Reset();
    SelectAll();
    key = 0;
    return;
  }
  TCustomMaskEdit::KeyPress(key);
}

void TDBEdit::SetFocused(bool v) {
  if (focused_ == v) return;
  focused_ = v;
  dataLink_.Reset();
}

void TDBEdit::DoEnter() {
  SetFocused(true);
  TCustomMaskEdit::DoEnter();
}

void TDBEdit::DoExit() {
  try {
    dataLink_.UpdateRecord();
  } catch (...) {
    SelectAll();
    SetFocus();
    throw;
  }
  SetFocused(false);
  TCustomMaskEdit::DoExit();
}

// ---------------------------------------------------------------------------
// TDBMemo.

void TDBMemo::PublishProperties(TClassInfo& ci) {
  PublishDataProps<TDBMemo>(ci);
  PublishBool<TDBMemo>(ci, "AutoDisplay", &TDBMemo::AutoDisplay, &TDBMemo::SetAutoDisplay);
}

TDBMemo::TDBMemo(TComponent* owner) : TMemo(owner) {
  TCustomEdit::SetReadOnly(true);
  WireFieldLink<TDBMemo>(dataLink_, this, &TDBMemo::DataChange, &TDBMemo::EditingChange, &TDBMemo::UpdateData);
}

TDBMemo::~TDBMemo() { dataLink_.SetDataSource(nullptr); }

ORV_DATA_SOURCE_SETTER(TDBMemo, TMemo)

void TDBMemo::SetAutoDisplay(bool v) {
  if (autoDisplay_ == v) return;
  autoDisplay_ = v;
  if (v) LoadMemo();
}

void TDBMemo::LoadMemo() {
  TField* f = dataLink_.Field();
  if (memoLoaded_ || !f || !IsBlob(f)) return;
  // A text its file cannot give (a damaged block) shows as empty and is
  // not loaded, so it cannot be edited and stored over what is there; the
  // record and the other texts stay in reach, and whoever reads the field
  // itself is told why.
  AnsiString text;
  bool read = true;
  try {
    text = f->AsString();
  } catch (const EDatabaseError&) {
    read = false;
  }
  showing_ = true;
  SetText(text);
  showing_ = false;
  memoLoaded_ = read;
  EditingChange();
}

void TDBMemo::DataChange() {
  TField* f = dataLink_.Field();
  showing_ = true;
  if (f && IsBlob(f)) {
    if (autoDisplay_ || (dataLink_.Editing() && memoLoaded_)) {
      memoLoaded_ = false;
      showing_ = false;
      LoadMemo();
    } else {
      SetText("(" + f->DisplayLabel() + ")");
      memoLoaded_ = false;
    }
  } else if (f) {
    SetText(focused_ && dataLink_.CanModify() ? f->Text() : f->DisplayText());
    memoLoaded_ = true;
  } else {
    SetText(AnsiString());
    memoLoaded_ = false;
  }
  showing_ = false;
  EditingChange();
}

void TDBMemo::EditingChange() { TCustomEdit::SetReadOnly(!(dataLink_.Editing() && memoLoaded_)); }

void TDBMemo::UpdateData() {
  if (TField* f = dataLink_.Field()) f->SetAsString(Text());
}

void TDBMemo::Change() {
  if (!showing_ && memoLoaded_) dataLink_.Modified();
  TMemo::Change();
}

void TDBMemo::KeyDown(Word& key, TShiftState shift) {
  if (memoLoaded_ && (key == VK_DELETE || (key == VK_INSERT && (shift & ssShift)))) dataLink_.Edit();
  TMemo::KeyDown(key, shift);
}

void TDBMemo::KeyPress(char& key) {
  unsigned char k = static_cast<unsigned char>(key);
  if (!memoLoaded_) {
    if (k == 13) LoadMemo();
    key = 0;
    return;
  }
  if (k >= 32 && dataLink_.Field() && !dataLink_.Field()->IsValidChar(key)) {
    MessageBeep(0);
    key = 0;
    return;
  }
  if (k == 8 || k == 9 || k == 10 || k == 13 || k == 22 || k == 24 || k >= 32) {
    dataLink_.Edit();
  } else if (k == 27) {
    dataLink_.Reset();
    key = 0;
    return;
  }
  TMemo::KeyPress(key);
}

void TDBMemo::DblClick() {
  if (!memoLoaded_)
    LoadMemo();
  else
    TMemo::DblClick();
}

void TDBMemo::DoEnter() {
  if (!focused_) {
    focused_ = true;
    if (dataLink_.Field() && !IsBlob(dataLink_.Field())) dataLink_.Reset();
  }
  TMemo::DoEnter();
}

void TDBMemo::DoExit() {
  try {
    dataLink_.UpdateRecord();
  } catch (...) {
    SetFocus();
    throw;
  }
  if (focused_) {
    focused_ = false;
    if (dataLink_.Field() && !IsBlob(dataLink_.Field())) dataLink_.Reset();
  }
  TMemo::DoExit();
}

// ---------------------------------------------------------------------------
// TDBCheckBox.

void TDBCheckBox::PublishProperties(TClassInfo& ci) {
  PublishDataProps<TDBCheckBox>(ci);
  PublishString<TDBCheckBox>(ci, "ValueChecked", &TDBCheckBox::ValueChecked, &TDBCheckBox::SetValueChecked);
  PublishString<TDBCheckBox>(ci, "ValueUnchecked", &TDBCheckBox::ValueUnchecked,
                             &TDBCheckBox::SetValueUnchecked);
}

TDBCheckBox::TDBCheckBox(TComponent* owner) : TCheckBox(owner) {
  SetState(cbUnchecked);
  WireFieldLink<TDBCheckBox>(dataLink_, this, &TDBCheckBox::DataChange, nullptr, &TDBCheckBox::UpdateData);
}

TDBCheckBox::~TDBCheckBox() { dataLink_.SetDataSource(nullptr); }

ORV_DATA_SOURCE_SETTER(TDBCheckBox, TCheckBox)

void TDBCheckBox::SetValueChecked(const AnsiString& v) {
  valueChecked_ = v;
  DataChange();
}

void TDBCheckBox::SetValueUnchecked(const AnsiString& v) {
  valueUnchecked_ = v;
  DataChange();
}

TCheckBoxState TDBCheckBox::FieldState() const {
  TField* f = dataLink_.Field();
  if (!f) return cbUnchecked;
  if (f->IsNull()) return cbGrayed;
  if (f->DataType() == ftBoolean) return f->AsBoolean() ? cbChecked : cbUnchecked;
  AnsiString text = f->Text();
  if (ValueMatch(valueChecked_, text)) return cbChecked;
  if (ValueMatch(valueUnchecked_, text)) return cbUnchecked;
  return cbGrayed;
}

void TDBCheckBox::DataChange() { SetState(FieldState()); }

void TDBCheckBox::UpdateData() {
  TField* f = dataLink_.Field();
  if (!f) return;
  if (State() == cbGrayed)
    f->Clear();
  else if (f->DataType() == ftBoolean)
    f->SetAsBoolean(Checked());
  else
    f->SetText(FirstValue(Checked() ? valueChecked_ : valueUnchecked_));
}

void TDBCheckBox::Toggle() {
  if (dataLink_.Edit()) {
    TCheckBox::Toggle();
    dataLink_.Modified();
  }
}

void TDBCheckBox::KeyPress(char& key) {
  TCheckBox::KeyPress(key);
  if (key == 8 || key == ' ') dataLink_.Edit();
  if (key == 27) dataLink_.Reset();
}

void TDBCheckBox::DoExit() {
  try {
    dataLink_.UpdateRecord();
  } catch (...) {
    SetFocus();
    throw;
  }
  TCheckBox::DoExit();
}

// ---------------------------------------------------------------------------
// TDBRadioGroup.

void TDBRadioGroup::PublishProperties(TClassInfo& ci) {
  PublishDataProps<TDBRadioGroup>(ci);
  PublishInteger<TDBRadioGroup>(ci, "Columns", &TDBRadioGroup::Columns, &TDBRadioGroup::SetColumns);
  PublishInteger<TDBRadioGroup>(ci, "ItemIndex", &TDBRadioGroup::ItemIndex, &TDBRadioGroup::SetItemIndex);
}

TDBRadioGroup::TDBRadioGroup(TComponent* owner) : TGroupBox(owner) {
  items_.OnChange = [this](TObject*) { UpdateButtons(); };
  values_.OnChange = [this](TObject*) { DataChange(); };
  WireFieldLink<TDBRadioGroup>(dataLink_, this, &TDBRadioGroup::DataChange, nullptr, &TDBRadioGroup::UpdateData);
  // The checked button takes the focus, not the group.
  dataLink_.OnFocusRequest = [this](TObject*) {
    if (itemIndex_ >= 0 && buttons_[static_cast<size_t>(itemIndex_)]->CanFocus())
      buttons_[static_cast<size_t>(itemIndex_)]->SetFocus();
  };
}

TDBRadioGroup::~TDBRadioGroup() {
  dataLink_.SetDataSource(nullptr);
  items_.OnChange = nullptr;
  values_.OnChange = nullptr;
}

ORV_DATA_SOURCE_SETTER(TDBRadioGroup, TGroupBox)

void TDBRadioGroup::SetColumns(int v) {
  v = std::clamp(v, 1, 16);
  if (v == columns_) return;
  columns_ = v;
  ArrangeButtons();
}

void TDBRadioGroup::UpdateButtons() {
  updating_ = true;
  while (static_cast<int>(buttons_.size()) > items_.Count()) {
    TRadioButton* b = buttons_.back();
    buttons_.pop_back();
    b->Free();
  }
  while (static_cast<int>(buttons_.size()) < items_.Count()) {
    auto* b = new TGroupButton(this);
    b->SetParent(this);
    b->OnClick = [this, b](TObject*) { ButtonClick(b); };
    buttons_.push_back(b);
  }
  for (int i = 0; i < items_.Count(); ++i) buttons_[static_cast<size_t>(i)]->SetCaption(items_.Strings(i));
  if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
  for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
    buttons_[static_cast<size_t>(i)]->SetChecked(i == itemIndex_);
  updating_ = false;
  ArrangeButtons();
  DataChange();
}

void TDBRadioGroup::ArrangeButtons() {
  if (buttons_.empty()) return;
  int count = static_cast<int>(buttons_.size());
  int perCol = (count + columns_ - 1) / columns_;
  TRect r = AlignRect();
  int w = std::max(1, (r.Width() - 8) / columns_);
  int h = std::max(1, (r.Height() - 2) / perCol);
  for (int i = 0; i < count; ++i)
    buttons_[static_cast<size_t>(i)]->SetBounds(r.Left + 6 + (i / perCol) * w, r.Top + (i % perCol) * h,
                                                w, h);
}

void TDBRadioGroup::Resize() {
  TGroupBox::Resize();
  ArrangeButtons();
}

void TDBRadioGroup::SetItemIndex(int v) {
  if (v < -1 || v >= items_.Count()) v = -1;
  updating_ = true;
  itemIndex_ = v;
  for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
    buttons_[static_cast<size_t>(i)]->SetChecked(i == v);
  updating_ = false;
}

AnsiString TDBRadioGroup::ButtonValue(int index) const {
  if (index < values_.Count() && !values_.Strings(index).empty()) return values_.Strings(index);
  if (index < items_.Count()) return items_.Strings(index);
  return AnsiString();
}

void TDBRadioGroup::SetValue(const AnsiString& v) {
  value_ = v;
  int found = -1;
  for (int i = 0; i < items_.Count() && found < 0; ++i)
    if (ButtonValue(i) == v) found = i;
  inSetValue_ = true;
  SetItemIndex(found);
  inSetValue_ = false;
}

bool TDBRadioGroup::CanModify() { return dataLink_.Edit(); }

void TDBRadioGroup::ButtonClick(TRadioButton* b) {
  if (updating_ || inSetValue_ || !b->Checked()) return;
  auto it = std::find(buttons_.begin(), buttons_.end(), b);
  if (it == buttons_.end()) return;
  itemIndex_ = static_cast<int>(it - buttons_.begin());
  value_ = ButtonValue(itemIndex_);
  if (dataLink_.Editing()) dataLink_.Modified();
  if (OnChange) OnChange(this);
  Click();
}

void TDBRadioGroup::DataChange() {
  TField* f = dataLink_.Field();
  SetValue(f ? f->Text() : AnsiString());
}

void TDBRadioGroup::UpdateData() {
  if (TField* f = dataLink_.Field()) f->SetText(value_);
}

void TDBRadioGroup::DoExit() {
  try {
    dataLink_.UpdateRecord();
  } catch (...) {
    SetFocus();
    throw;
  }
  TGroupBox::DoExit();
}

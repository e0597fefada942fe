// The library's simple data-aware controls: a label, an edit, a memo, a
// check box and a radio group, each bound to one field through a
// TFieldDataLink.
//
// Invariants: a control shows its field's value whenever the link reports a
// data change; the user's first change puts the dataset into edit state
// through the link (and is refused, with the control left unchanged, when
// the dataset cannot edit); the link writes the control's value into the
// field when the record is updated (on post, or when the control loses the
// focus). Escape gives back the record's value.
#pragma once

#include <memory>
#include <vector>

#include "platform/db/db.h"
#include "platform/ui/mask.h"
#include "platform/ui/stdctrls.h"

// Property access shared by the controls: DataSource and DataField are
// published, so that code may set them by name.
#define ORV_DATA_CONTROL_PROPS                                             \
  TDataSource* DataSource() const { return dataLink_.DataSource(); }      \
  void SetDataSource(TDataSource* ds);                                     \
  const AnsiString& DataField() const { return dataLink_.FieldName(); }   \
  void SetDataField(const AnsiString& v) { dataLink_.SetFieldName(v); }   \
  TField* Field() const { return dataLink_.Field(); }                     \
  TFieldDataLink* DataLink() { return &dataLink_; }

// A label showing the field's display text.
class TDBText : public TLabel {
  ORV_CLASS_PUBLISHED(TDBText, TLabel)
  explicit TDBText(TComponent* owner);
  ~TDBText() override;
  ORV_DATA_CONTROL_PROPS
  void Notification(TComponent* c, TOperation op) override;

private:
  void DataChange();
  TFieldDataLink dataLink_;
};

// A single-line edit under the field's EditMask: the field's Text while it
// has the focus and edits, its DisplayText otherwise.
class TDBEdit : public TCustomMaskEdit {
  ORV_CLASS_PUBLISHED(TDBEdit, TCustomMaskEdit)
  explicit TDBEdit(TComponent* owner);
  ~TDBEdit() override;
  ORV_DATA_CONTROL_PROPS
  bool ReadOnly() const { return dataLink_.ReadOnly(); }
  void SetReadOnly(bool v) { dataLink_.SetReadOnly(v); }
  void Notification(TComponent* c, TOperation op) override;

protected:
  void Change() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoEnter() override;
  void DoExit() override;

private:
  void DataChange();
  void EditingChange();
  void UpdateData();
  void SetFocused(bool v);
  TFieldDataLink dataLink_;
  bool focused_ = false;
  bool showing_ = false;  // the control's text is being set from the field
};

// A memo over a memo (BLOB) or string field. Without AutoDisplay a BLOB is
// shown as "(" + DisplayLabel + ")" until Enter or a double click loads it.
class TDBMemo : public TMemo {
  ORV_CLASS_PUBLISHED(TDBMemo, TMemo)
  explicit TDBMemo(TComponent* owner);
  ~TDBMemo() override;
  ORV_DATA_CONTROL_PROPS
  bool ReadOnly() const { return dataLink_.ReadOnly(); }
  void SetReadOnly(bool v) { dataLink_.SetReadOnly(v); }
  bool AutoDisplay() const { return autoDisplay_; }
  void SetAutoDisplay(bool v);
  void LoadMemo();
  void Notification(TComponent* c, TOperation op) override;

protected:
  void Change() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DblClick() override;
  void DoEnter() override;
  void DoExit() override;

private:
  void DataChange();
  void EditingChange();
  void UpdateData();
  TFieldDataLink dataLink_;
  bool autoDisplay_ = true;
  bool memoLoaded_ = false;
  bool focused_ = false;
  bool showing_ = false;
};

// A check box: checked when the field's value is one of ValueChecked
// (";"-separated, letter case ignored; a Boolean field by its value),
// unchecked for ValueUnchecked, grayed for Null or any other value.
class TDBCheckBox : public TCheckBox {
  ORV_CLASS_PUBLISHED(TDBCheckBox, TCheckBox)
  explicit TDBCheckBox(TComponent* owner);
  ~TDBCheckBox() override;
  ORV_DATA_CONTROL_PROPS
  bool ReadOnly() const { return dataLink_.ReadOnly(); }
  void SetReadOnly(bool v) { dataLink_.SetReadOnly(v); }
  const AnsiString& ValueChecked() const { return valueChecked_; }
  void SetValueChecked(const AnsiString& v);
  const AnsiString& ValueUnchecked() const { return valueUnchecked_; }
  void SetValueUnchecked(const AnsiString& v);
  void Notification(TComponent* c, TOperation op) override;

protected:
  void Toggle() override;
  void KeyPress(char& key) override;
  void DoExit() override;

private:
  TCheckBoxState FieldState() const;
  void DataChange();
  void UpdateData();
  TFieldDataLink dataLink_;
  AnsiString valueChecked_ = "True";
  AnsiString valueUnchecked_ = "False";
};

// A group box of radio buttons, one per entry of Items, laid out in
// Columns. The field's value selects the button whose entry in Values (or,
// without Values, in Items) equals it; choosing a button writes that entry.
class TDBRadioGroup : public TGroupBox {
  ORV_CLASS_PUBLISHED(TDBRadioGroup, TGroupBox)
  explicit TDBRadioGroup(TComponent* owner);
  ~TDBRadioGroup() override;
  ORV_DATA_CONTROL_PROPS
  bool ReadOnly() const { return dataLink_.ReadOnly(); }
  void SetReadOnly(bool v) { dataLink_.SetReadOnly(v); }
  TStrings* Items() { return &items_; }
  TStrings* Values() { return &values_; }
  int Columns() const { return columns_; }
  void SetColumns(int v);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int v);
  // The value of the chosen button.
  const AnsiString& Value() const { return value_; }
  void SetValue(const AnsiString& v);
  // The buttons (for tests and layouts).
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TRadioButton* Buttons(int i) const { return buttons_.at(static_cast<size_t>(i)); }
  TNotifyEvent OnChange;
  void Notification(TComponent* c, TOperation op) override;

  // Whether a button may be chosen now: the link puts the dataset into
  // edit state.
  bool CanModify();
  void ButtonClick(TRadioButton* b);

protected:
  void Resize() override;
  void DoExit() override;

private:
  void UpdateButtons();
  void ArrangeButtons();
  AnsiString ButtonValue(int index) const;
  void DataChange();
  void UpdateData();
  TFieldDataLink dataLink_;
  TStringList items_, values_;
  std::vector<TRadioButton*> buttons_;
  int columns_ = 1;
  int itemIndex_ = -1;
  AnsiString value_;
  bool inSetValue_ = false;
  bool updating_ = false;
};

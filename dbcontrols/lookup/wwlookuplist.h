// The lookup list: a grid over a lookup table that maps the record the user
// picks to a lookup value (the text of its key field) and writes that value
// into a field of a second dataset (the data field); its drop-down variant,
// which lives in a top-level window of its own and reports its choices to
// the lookup combo; and the combo's drop-down button.
//
// Invariants:
// - Key field 1 is the lookup table's field named by the first token of
//   LookupField whenever the grid link is active and that field exists; key
//   fields 2 and 3 are null when missing, and KeyFieldCount counts up to the
//   highest one found.
// - The display field is the field of the first Selected column, else key
//   field 1; DisplayValue is its text for the record of Value.
// - SelectedRow is -1 or a data row of the window; it is cleared by every
//   change of value and when its row scrolls out of view.
// - The list never writes the data field itself except through its field
//   link's update, and only after the user picked a record.
#pragma once

#include <memory>
#include <vector>

#include "dbcontrols/grid/wwdbgrid.h"
#include "platform/ui/extctrls.h"

class TwwDBCustomLookupCombo;

enum : unsigned { loColLines = 1u << 0, loRowLines = 1u << 1, loTitles = 1u << 2 };
using TwwDBLookupListOptions = unsigned;

// Raised when the data side and the lookup side would be one dataset.
inline constexpr const char* wwDuplicateSourceMessage = "Unable to use duplicate DataSource and LookupSource";
// The ";"-separated names of a field list or lookup link, trimmed, empty
// ones kept (a lookup link's pairs stay in step).
std::vector<AnsiString> wwLookupTokens(const AnsiString& text);

class TwwDBLookupList : public TwwCustomDBGrid {
  ORV_CLASS_PUBLISHED(TwwDBLookupList, TwwCustomDBGrid)

 public:
  explicit TwwDBLookupList(TComponent* owner);
  ~TwwDBLookupList() override;
  void Dispatch(TMessage& m) override;
  void Notification(TComponent* c, TOperation op) override;

  // ---- the data field (the field link) ----
  TDataSource* DataSource() const { return fieldLink_.DataSource(); }
  // Refuses the lookup source or a source of the lookup table.
  void SetDataSource(TDataSource* v);
  const AnsiString& DataField() const { return fieldLink_.FieldName(); }
  void SetDataField(const AnsiString& v) { fieldLink_.SetFieldName(v); }
  bool ReadOnly() const { return fieldLink_.ReadOnly(); }
  void SetReadOnly(bool v) { fieldLink_.SetReadOnly(v); }
  TFieldDataLink* FieldLink() { return &fieldLink_; }

  // ---- the lookup table (the grid's own source) ----
  TDataSource* LookupSource() const { return TwwCustomDBGrid::DataSource(); }
  void SetLookupSource(TDataSource* v);
  TDataSet* LookupTable() const;
  void SetLookupTable(TDataSet* v);
  const AnsiString& LookupField() const { return lookupField_; }
  void SetLookupField(const AnsiString& v);
  TwwDBLookupListOptions Options() const { return listOptions_; }
  void SetOptions(TwwDBLookupListOptions v);

  // ---- the value ----
  const AnsiString& Value() const { return value_; }
  const AnsiString& Value2() const { return value2_; }
  const AnsiString& Value3() const { return value3_; }
  const AnsiString& DisplayValue() const { return displayValue_; }
  // The lookup table follows the value; the display value follows the table.
  void SetValue(const AnsiString& text);
  // The text the list shows for the value, with the table positioned on the
  // value's record (both cleared when there is none).
  void SetDisplayValue(const AnsiString& text);
  // Positions the lookup table on the record of the current value; with
  // `settle` also hands the result to the combo and orders the table for
  // searching.
  void SyncLookup(bool settle);
  // Resolves key fields and display field; raises "Field '...' not found"
  // for a missing key field 1 when `raise`.
  void CheckLookupFields(bool raise);
  // Writes the values the combo's search found (texts of the key fields of
  // the current lookup record, or empty).
  void SetValues(const AnsiString& v1, const AnsiString& v2, const AnsiString& v3);
  void SetRawDisplayValue(const AnsiString& v) { displayValue_ = v; }
  void SetRawValue(const AnsiString& v) { value_ = v; }
  // Takes the texts of the key fields of the current lookup record.
  void TakeKeyValues();

  TField* KeyField(int i) const { return i >= 1 && i <= 3 ? keyFields_[i - 1] : nullptr; }
  int KeyFieldCount() const { return keyFieldCount_; }
  TField* DisplayField() const { return displayField_; }
  bool Found() const { return found_; }
  void SetFound(bool v) { found_ = v; }
  int SelectedRow() const { return selectedRow_; }
  void SetSelectedRow(int v) { selectedRow_ = v; }
  TwwDBCustomLookupCombo* Combo() const { return combo_; }

  // The user picked the record of the current row: the value follows it.
  virtual void ListClick();
  // Whether a pick may change the value.
  virtual bool CanChangeValue();
  // OnClick fires for a pick only (ListClick), not for every press.
  void Click() override {}

 protected:
  friend class TwwDBCustomLookupCombo;
  void Loaded() override;
  void CreateWnd() override;
  // The key and display fields follow the columns.
  void LayoutChanged() override;
  void Paint() override;
  void Scroll(int distance) override;
  bool SelectCell(int col, int row) override;
  void DefineFieldMap() override;
  void ApplySelected() override;
  void LinkActive(bool active) override;
  void DataChanged() override;
  bool HighlightCell(int dataCol, int dataRow, const AnsiString& text, TGridDrawState state) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  bool CanGridAcceptKey(Word key, TShiftState shift) override;

  void DataChange();
  // Positions the lookup table on `value` by the key fields; True when found.
  bool PositionOn(const AnsiString& value);
  // The dataset of the data field (the combo's for the drop-down).
  TDataSet* DataFieldDataSet() const;
  TField* DataFieldField() const;
  bool DataFieldLinked() const;

  TwwDBCustomLookupCombo* combo_ = nullptr;
  bool inKeyDown_ = false;
  bool mouseSelecting_ = false;
  int reentry_ = 0;
  // Off while the combo measures the columns' own widths.
  bool stretchLast_ = true;
  bool stretching_ = false;

 private:
  void LookupFieldChanged();
  void CheckDuplicateSource(TDataSet* lookup, TDataSource* data) const;
  // Lets the active record follow the grid's current row.
  void FollowRow();
  TFieldDataLink fieldLink_;
  std::unique_ptr<TDataSource> lookupSource_;
  AnsiString lookupField_;
  TField* keyFields_[3] = {nullptr, nullptr, nullptr};
  int keyFieldCount_ = 0;
  TField* displayField_ = nullptr;
  AnsiString value_, value2_, value3_, displayValue_;
  bool found_ = false;
  int selectedRow_ = -1;
  TwwDBLookupListOptions listOptions_ = 0;
};

// The drop-down list of the lookup combo: a lookup list in a top-level
// window that takes no activation; a press starts the combo's edit and the
// release closes the list with the pick.
class TwwPopupGrid : public TwwDBLookupList {
  ORV_CLASS(TwwPopupGrid, TwwDBLookupList)

 public:
  explicit TwwPopupGrid(TwwDBCustomLookupCombo* combo);
  void Dispatch(TMessage& m) override;
  bool CanChangeValue() override;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void LinkActive(bool active) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
};

// The combo's drop-down button: the combo draws its face; a press opens or
// closes the list.
class TwwComboButton : public TSpeedButton {
  ORV_CLASS(TwwComboButton, TSpeedButton)

 public:
  explicit TwwComboButton(TComponent* owner) : TSpeedButton(owner) {}
  TwwDBCustomLookupCombo* Combo() const;
  // Set by the combo while it has drawn the face itself.
  bool SkipDefaultPaint = false;
  bool Pressed() const { return pressed_; }

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Paint() override;

 private:
  bool pressed_ = false;
};

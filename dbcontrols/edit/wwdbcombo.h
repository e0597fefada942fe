// The combo-style edits of the data-aware controls. TwwDBCustomCombo is the
// data-aware edit with a button at its right edge that opens something (a
// dialog event, or in a descendant a drop-down). TwwDBComboBox is the
// data-aware combo box: its drop-down is a list box in a top-level popup
// window of its own (TwwPopupListbox); its Items may pair a shown text with
// a stored value ("text<TAB>value" with MapList); it completes typed text
// from its items and searches its list as the user types.
//
// Invariants:
// - With MapList the edit shows the display text of the item whose value
//   the field holds (empty when no item carries it) and writes the value of
//   the item whose display text the edit shows (empty when none).
// - The list exists from the first drop-down until the combo is freed; the
//   combo owns it and its window. The combo keeps the focus while the list
//   is open: keys reach the list through the combo.
// - The drop-down closes with accept on Enter, Alt+Up/Down, the button, a
//   release inside the list, Tab, loss of focus and a cancel from another
//   control; without accept on Escape and a release outside the list.
// - A choice changes the field only when the field link can edit.
// - The owner-draw list forgets its typed prefix after 1500 ms without a
//   key (tick count, no timer).
#pragma once

#include <memory>

#include "dbcontrols/edit/wwdbedit.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

class TwwDBCustomCombo;
class TwwDBComboBox;
class TwwComboPopupWindow;

enum TwwComboButtonStyle { cbsEllipsis, cbsDownArrow };
using TwwComboCloseUpEvent = std::function<void(TObject* Sender, bool Accept)>;

// The button of a combo-style edit; the combo draws its face.
class TwwComboDlgButton : public TSpeedButton {
  ORV_CLASS(TwwComboDlgButton, TSpeedButton)

 public:
  TwwComboDlgButton(TComponent* owner, TwwDBCustomCombo* combo);
  void Click() override;

 protected:
  void Paint() override;

 private:
  TwwDBCustomCombo* combo_;
};

class TwwDBCustomCombo : public TwwDBCustomEdit {
  ORV_CLASS(TwwDBCustomCombo, TwwDBCustomEdit)

 public:
  explicit TwwDBCustomCombo(TComponent* owner);
  ~TwwDBCustomCombo() override;
  void Dispatch(TMessage& m) override;

  bool ShowButton() const;
  void SetShowButton(bool v);
  TwwComboButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TwwComboButtonStyle v);
  TwwComboDlgButton* Button() const { return button_; }
  TWinControl* ButtonPanel() const { return panel_; }
  // With it set the text changes only while the drop-down is open.
  bool TextOnly() const { return textOnly_; }
  void SetTextOnly(bool v) { textOnly_ = v; }
  // Run by DropDown when set; the combo counts as dropped down meanwhile.
  TNotifyEvent OnCustomDlg;

  // ---- the virtual steps ----
  // The glyph of the button: none (the faces are drawn).
  virtual const TBitmap* ButtonGlyph() const { return nullptr; }
  // Draws the button's face (an arrow or three dots).
  virtual void DrawButtonFace(TCanvas* canvas, const TRect& rect, bool pressed);
  // Whether a mouse click goes to the edit (False: it opens or closes).
  virtual bool IsEditClick() const { return true; }
  virtual bool DroppedDown() const { return inDialog_; }
  virtual void CloseUp(bool accept);
  virtual void DropDown();
  // Whether the user may change the text now.
  virtual bool IsTextChangeable() const { return !textOnly_ || DroppedDown(); }

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void Loaded() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void SetFormatRect() override;
  // The keys of every combo (Alt+Up/Down, Enter and Escape while dropped
  // down); True when one was taken.
  bool ComboKey(Word key, TShiftState shift);
  void Layout();
  TPanel* panel_ = nullptr;
  TwwComboDlgButton* button_ = nullptr;

 private:
  TwwComboButtonStyle buttonStyle_ = cbsEllipsis;
  bool textOnly_ = false;
  bool inDialog_ = false;
};

// The drop-down list of TwwDBComboBox; it never takes the focus.
class TwwPopupListbox : public TCustomListBox {
  ORV_CLASS(TwwPopupListbox, TCustomListBox)

 public:
  explicit TwwPopupListbox(TwwDBComboBox* combo);
  bool CanFocus() const override { return false; }
  void Dispatch(TMessage& m) override;
  const AnsiString& SearchText() const { return searchText_; }

 protected:
  void KeyPress(char& key) override;
  void DrawItem(int index, TRect rect, TOwnerDrawState state) override;

 private:
  TwwDBComboBox* combo_;
  AnsiString searchText_;
  unsigned lastKeyTick_ = 0;
};

class TwwDBComboBox : public TwwDBCustomCombo {
  ORV_CLASS_PUBLISHED(TwwDBComboBox, TwwDBCustomCombo)
  friend class TwwPopupListbox;
  friend class TwwComboPopupWindow;

 public:
  explicit TwwDBComboBox(TComponent* owner);
  ~TwwDBComboBox() override;
  void Dispatch(TMessage& m) override;

  bool MapList() const { return mapList_; }
  void SetMapList(bool v) { mapList_ = v; }
  TStringList* Items() const { return items_.get(); }
  // Takes the entries, then shows the field's value through them.
  void SetItems(const TStrings* v);
  bool Sorted() const { return items_->Sorted(); }
  void SetSorted(bool v) { items_->SetSorted(v); }
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int v) { dropDownCount_ = v; }
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int v) { itemHeight_ = v; }
  int DropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(int v) { dropDownWidth_ = v; }
  bool AllowClearKey() const { return allowClearKey_; }
  void SetAllowClearKey(bool v) { allowClearKey_ = v; }
  bool AutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool v) { autoDropDown_ = v; }
  bool ShowMatchText() const { return showMatchText_; }
  void SetShowMatchText(bool v) { showMatchText_ = v; }
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle v);
  // The list (null before the first drop-down) and its window.
  TwwPopupListbox* PopupList() const { return list_.get(); }
  TCustomForm* PopupWindow() const;
  // While the edit area or a row is drawn by OnDrawItem, the canvas to draw
  // on; otherwise the combo's own.
  TCanvas* Canvas() { return paintCanvas_ ? paintCanvas_ : TCustomControl::Canvas(); }

  // The chosen item: the list's when it exists, else the stored one.
  int GetItemIndex() const;
  // Stores the index and shows the item's display text.
  void SelectValue(int index);
  // Shows the item that stands for a stored value.
  void ShowValue(const AnsiString& value);
  // The display text of an item (before its first tab) and its value
  // (behind it; the whole entry without MapList).
  AnsiString DisplayText(int index) const;
  AnsiString ItemValue(int index) const;

  bool TextForValue(const AnsiString& value, AnsiString& text) const override;
  AnsiString ValueForText() const override;
  bool GridCellText(const TField* field, AnsiString& cellText) const override;
  bool IsEditClick() const override;
  bool IsTextChangeable() const override;
  bool DroppedDown() const override { return dropped_; }
  void CloseUp(bool accept) override;
  void DropDown() override;

  TNotifyEvent OnDropDown;
  TwwComboCloseUpEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void Paint() override;
  void DataChange() override;

 private:
  bool OwnerDraw() const { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
  // Chooses an item as the user does (Up, Down, a typed letter).
  bool ChooseItem(int index, bool selectText);
  // The first item from `start` on (wrapping) whose display text begins
  // with `prefix`, letter case ignored; -1 when none.
  int FindItem(const AnsiString& prefix, int start) const;
  void FillList();
  void ListGone();

  bool mapList_ = false;
  std::unique_ptr<TStringList> items_;
  int dropDownCount_ = 8;
  int itemHeight_ = 0;
  std::unique_ptr<TwwPopupListbox> list_;
  TwwComboPopupWindow* popup_ = nullptr;
  bool dropped_ = false;
  bool firstKeyAfterDrop_ = false;
  bool allowClearKey_ = false;
  int itemIndex_ = -1;
  TComboBoxStyle style_ = csDropDown;
  TCanvas* paintCanvas_ = nullptr;
  int dropDownWidth_ = 0;
  bool autoDropDown_ = false;
  bool showMatchText_ = false;
  bool keyDrop_ = false;
};

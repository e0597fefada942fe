// The lookup combo: an edit box with a drop-down button that lets the user
// pick a record of a lookup table and writes the picked record's key value
// into a field of a second dataset (the data field). The edit shows the
// text of the current value's record; the drop-down is a lookup grid with
// the columns of the combo's Selected list. Typing searches the lookup
// table after a short pause (333 ms, or 166 ms on a table of a database
// that is not SQL-based); keys, mouse, focus, the combo's own painting and
// its layout follow the combo's rules also when it edits a column of a data
// grid as the grid's edit control.
//
// The behaviour is split over four files: wwlookupcombo.cpp (value, text,
// drop-down and close-up), wwlookupsearch.cpp (record search and the typing
// search), wwlookupinput.cpp (keys, mouse, focus, painting, layout) and
// wwlookuplist.cpp (the list, the drop-down grid and the button).
//
// Invariants:
// - The list is open exactly while the drop-down grid is visible; it is
//   shown only with an active lookup table and a combo wider than 20 pixels.
// - The field link enters edit mode (StartEdit) before any change of the
//   text by keys, paste or cut; the saved text and value are those of entry
//   (or of the last data change in browse state) and Escape restores them.
// - The search timer runs only while the list is open and a typed text waits
//   to be searched; every tick and StopSearchTimer stop it.
// - Writing the pick into the data field either succeeds or leaves field,
//   text and value as they were before the pick (with a beep).
#pragma once

#include <functional>
#include <memory>

#include "dbcontrols/datasets/wwtable.h"
#include "dbcontrols/lookup/wwlookuplist.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/timers.h"

enum : unsigned { ssoEnabled = 1u << 0, ssoCaseSensitive = 1u << 1 };
using TwwSeqSearchOptions = unsigned;

// csDropDown or csDropDownList of the library's combo box styles.
using TwwDBLookupComboStyle = TComboBoxStyle;

using TNotifyCloseUpEvent =
    std::function<void(TObject* Sender, TDataSet* LookupTable, TDataSet* FillTable, bool modified)>;
using TNotInListEvent =
    std::function<void(TObject* Sender, TDataSet* LookupTable, const AnsiString& NewValue, bool& Accept)>;

class TwwDBCustomLookupCombo : public TCustomEdit {
  ORV_CLASS(TwwDBCustomLookupCombo, TCustomEdit)
  friend class TwwDBLookupList;
  friend class TwwPopupGrid;
  friend class TwwComboButton;
  friend class TwwLookupDropWindow;

 public:
  explicit TwwDBCustomLookupCombo(TComponent* owner);
  ~TwwDBCustomLookupCombo() override;
  void Dispatch(TMessage& m) override;
  void Notification(TComponent* c, TOperation op) override;

  // ---- binding ----
  TDataSource* DataSource() const { return fieldLink_.DataSource(); }
  // Raises "Unable to use duplicate DataSource and LookupSource" for a
  // source of the lookup table.
  void SetDataSource(TDataSource* v);
  const AnsiString& DataField() const { return fieldLink_.FieldName(); }
  // Also derives LookupField from the dataset's lookup links.
  void SetDataField(const AnsiString& v);
  TField* Field() const { return fieldLink_.Field(); }
  TFieldDataLink* FieldLink() { return &fieldLink_; }
  TDataSet* LookupTable() const { return grid_->LookupTable(); }
  // Both refresh the text once the combo has its window.
  void SetLookupTable(TDataSet* v);
  const AnsiString& LookupField() const { return grid_->LookupField(); }
  void SetLookupField(const AnsiString& v);
  TStrings* Selected() const { return grid_->Selected(); }
  void SetSelected(const TStrings* v) { grid_->SetSelected(v); }
  TwwDBLookupListOptions Options() const { return grid_->Options(); }
  void SetOptions(TwwDBLookupListOptions v) { grid_->SetOptions(v); }
  bool ReadOnly() const { return fieldLink_.ReadOnly(); }
  void SetReadOnly(bool v);

  // ---- options ----
  TwwDBLookupComboStyle Style() const { return style_; }
  void SetStyle(TwwDBLookupComboStyle v);
  bool AutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool v) { autoDropDown_ = v; }
  bool ShowButton() const { return showButton_; }
  void SetShowButton(bool v);
  // The width at which the edit rectangle beside the button shows `text`
  // whole in the combo's font, the caret behind it.
  int WidthForText(const AnsiString& text) const;
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int v) { dropDownCount_ = v; }
  int DropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(int v) { dropDownWidth_ = v; }
  TAlignment DropDownAlignment() const { return dropDownAlignment_; }
  void SetDropDownAlignment(TAlignment v) { dropDownAlignment_ = v == taRightJustify ? v : taLeftJustify; }
  TwwSeqSearchOptions SeqSearchOptions() const { return seqSearchOptions_; }
  void SetSeqSearchOptions(TwwSeqSearchOptions v) { seqSearchOptions_ = v; }
  bool OrderByDisplay() const { return orderByDisplay_; }
  void SetOrderByDisplay(bool v) { orderByDisplay_ = v; }
  bool UseTFields() const { return grid_->UseTFields(); }
  void SetUseTFields(bool v) { grid_->SetUseTFields(v); }
  bool AllowClearKey() const { return allowClearKey_; }
  void SetAllowClearKey(bool v) { allowClearKey_ = v; }
  bool ShowMatchText() const { return showMatchText_; }
  void SetShowMatchText(bool v) { showMatchText_ = v; }
  // Added to the computed height of the list.
  int ExtraDropDownHeight() const { return extraHeight_; }
  void SetExtraDropDownHeight(int v) { extraHeight_ = v; }

  TNotifyEvent OnDropDown;
  TNotifyCloseUpEvent OnCloseUp;
  TNotInListEvent OnNotInList;

  // ---- value and text ----
  AnsiString Value() const { return grid_->Value(); }
  void SetValue(const AnsiString& text);
  // The value itself when the text cannot be edited, else the text.
  AnsiString GetCurrentText() const;
  bool EditTextAllowed() const;
  bool AllowsMouseSelection() const;
  // The data field is a calculated or lookup field: the pick is written into
  // the fields it is derived from.
  bool IsDataFieldLinked() const;
  bool CanEdit() const;
  bool IsDetailLookupTable() const;
  void StartEdit();
  void SelectAllIfEditable();
  void SetEditRect();
  // Takes the drop-down grid's pick into the text.
  void CommitText(TObject* sender);
  void AssignLookupToFields(TDataSet* lookupTable);
  void RefreshLookupText();
  virtual void DropDown();
  virtual void CloseUp(bool accept);
  bool ListVisible() const { return grid_->Visible(); }

  // ---- searching ----
  bool FindLookupRecord(const AnsiString& value, const AnsiString& fieldName, bool partial, bool caseSensitive);
  bool FindLookupValue(const AnsiString& value, const AnsiString& fieldName, bool partial);
  void PrepareLookupOrder(bool byDisplay);
  void SearchTypedText();
  void StopSearchTimer();
  // Positions the lookup table on the combo's value by its key fields.
  bool PositionLookupOnValue();

  // ---- parts (tests and the drop-down window look at them) ----
  TwwPopupGrid* Grid() const { return grid_; }
  TwwComboButton* Button() const { return button_; }
  TWinControl* ButtonPanel() const { return panel_; }
  TCustomForm* DropWindow() const { return dropWindow_; }
  TTimer* SearchTimer() const { return timer_.get(); }
  int SearchDelay() const { return searchDelay_; }
  bool FoundFlag() const { return found_; }
  const AnsiString& SavedText() const { return savedText_; }
  const AnsiString& SavedValue() const { return savedValue_; }
  const AnsiString& LastSearchedText() const { return lastSearched_; }

 protected:
  void Loaded() override;
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void Paint() override;
  void Resize() override;
  void Change() override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void DoEnter() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;

  // Draws the button's face (the drop-down arrow) and switches the button's
  // own painting off.
  virtual void PaintButton(TCanvas* canvas, const TRect& rect, bool pressed, bool enabled);
  // The glyph of the button: the system's combo arrow.
  virtual void LoadButtonGlyph(TBitmap& glyph);
  // Asked before the other linked fields are written while no row is
  // selected.
  virtual bool AssignAllLinkedFields() { return false; }
  // Runs before the list of a linked field is hidden by a close-up.
  virtual void HideListHook() {}

 private:
  // Message handlers of wwlookupinput.cpp.
  bool ReflectedKeyDown(TMessage& m);
  void LeftButton(TMessage& m);
  void CancelMode(TControl* sender);
  void ExitNotification();
  void Layout();
  void PaintSelf();
  // Hands a key to the grid the combo edits a column of; True when it did.
  bool KeyToGrid(Word key, TShiftState shift);
  TwwCustomDBGrid* ParentGrid() const;
  bool InFocusedWwGrid() const;
  void RestoreSaved();
  void ClearByKey();
  // wwlookupcombo.cpp
  void DataChange();
  void UpdateData();
  void ActiveChange();
  // Sizes and places the drop-down window (not yet shown).
  void PlaceList(int height, int naturalWidth);
  // The columns' own width, and the height of `rows` rows, of the list.
  int ListWidth();
  int ListHeight(int rows);
  void HideList();
  void ResetButton();
  void AddDefaultSelected();
  // The pick could not be written: text and value of before, and a beep.
  void RestoreAfterFailedPick();
  void DropWindowGone();
  bool Bound() const;
  bool CloseUpSteps(bool accept, bool wasFound, bool& modified);
  // wwlookupsearch.cpp
  int SearchFieldPosition() const;
  void TypingSearch(Word& key);
  TwwTable* LookupWwTable() const;

  TFieldDataLink fieldLink_;
  TWinControl* panel_ = nullptr;      // owned as a component
  TwwComboButton* button_ = nullptr;  // owned as a component
  TwwPopupGrid* grid_ = nullptr;      // owned as a component
  TPopupWindow* dropWindow_ = nullptr;  // a TwwLookupDropWindow
  TRect listRect_;
  TPoint listAnchor_;  // the combo's screen place when the list was placed
  std::unique_ptr<TTimer> timer_;
  TwwDBLookupComboStyle style_ = csDropDown;
  bool autoDropDown_ = false;
  bool showButton_ = true;
  int dropDownCount_ = 8;
  int dropDownWidth_ = 0;
  TAlignment dropDownAlignment_ = taLeftJustify;
  TwwSeqSearchOptions seqSearchOptions_ = ssoEnabled;
  bool orderByDisplay_ = true;
  bool allowClearKey_ = false;
  bool showMatchText_ = false;
  int extraHeight_ = 0;

  int searchDelay_ = 333;
  AnsiString searchField_;
  AnsiString lastSearched_, lastFound_;
  bool found_ = true;
  AnsiString savedValue_, savedText_;
  bool typing_ = false;
  bool suppressRefresh_ = false;
  bool inNotInList_ = false;
  bool notInListRefused_ = false;  // OnNotInList refused the typed text
  bool inCloseUp_ = false;
  bool assigning_ = false;
  bool clicked_ = false;
};

class TwwDBLookupCombo : public TwwDBCustomLookupCombo {
  ORV_CLASS_PUBLISHED(TwwDBLookupCombo, TwwDBCustomLookupCombo)

 public:
  explicit TwwDBLookupCombo(TComponent* owner) : TwwDBCustomLookupCombo(owner) {}
};

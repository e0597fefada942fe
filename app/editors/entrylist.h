// TEntryList: the frame of the two pick lists of own entries (persons and
// events). A tool panel with "Hilfe" at the left, "Ok" and "Abbruch" at
// the right edge, a "Gehe zu" panel with the typing-search edit, and a
// read-only grid that selects whole rows. Typing restarts a 300 ms timer;
// when it fires the list moves to the nearest entry for what was typed
// (SearchTyped). "Ok", a double click and Enter close with Ok; "Abbruch"
// and Escape with Cancel.
//
// Invariants: the timer runs only while a typed text waits for its search
// (every tick stops it first); a search that fails leaves the list where it
// stands and says nothing.
#pragma once

#include "app/base/orvform.h"
#include "app/editors/entryeditor.h"
#include "platform/ui/timers.h"

class TEntryList : public TOrvelanForm {
  ORV_CLASS(TEntryList, TOrvelanForm)

 public:
  TEntryList(TComponent* owner, const char* name, const AnsiString& caption, const char* index, int entryType);
  ~TEntryList() override;

  TPanel *pnlTools, *pnlGoto;
  TExplorerButton *pbHilfe, *pbOk, *pbAbbruch;
  TBevel *bvlTools, *bvlGoto;
  TLabel* lblGoto;
  TwwDBGrid* gridEige;
  TSizeBar* SizeBar;
  TTimer* Timer1;
  TwwTable* tblEige;
  TwwDataSource* dsEige;

  // The number of the current entry (0 on an empty list).
  int CurrentId() const;
  // Moves to the nearest entry for the typed text now (the timer's work).
  virtual void SearchTyped() = 0;

 protected:
  // Places the grid's columns and the go-to control; called once the
  // subclass has made its control.
  void SetColumns(std::initializer_list<const char*> columns);
  TExplorerButton* ToolButton(const char* name, const AnsiString& caption, int width);
  // Restarts the typing timer.
  void RestartTimer();
  // Enter and Ok: closes with Ok on the entry searched for.
  void TakeChoice();
  void PlaceButtons();
  TPoint MinimumSize() override = 0;
  // Room for the buttons, the whole `search` field, the grid's columns whole
  // and three of its rows.
  TPoint ListMinimumSize(const TControl* search);
  int entryType_;
};

// Moves a table of own entries in the order of an index restricted to one
// type to the first entry at or after the key (type, value); false when the
// search failed (the position then stays).
bool FindNearestEntry(TwwTable* table, int entryType, const Variant& value);

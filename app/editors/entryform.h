// TEntryForm: the frame shared by the windows that edit the user's own
// data record by record (persons, events, selection codes). A tool panel
// at the top holds the navigator's eight buttons, tagged 1 First, 2 Prior,
// 3 Next, 4 Last, 5 Insert, 6 Delete, 7 Post, 8 Cancel, optionally a search
// button before them, and "Hilfe" and "Schließen" at the right edge; a
// size bar lies at the bottom. The tool buttons come first in the Tab order;
// Einfg makes a new record and Strg+S saves it (RecordKey). Escape (key up)
// and the close button close the window; closing while the record is being
// edited asks whether to save it first.
//
// Invariants:
//  - Post, Cancel are enabled exactly in edit or insert state, Insert
//    exactly when Post is not; First and Prior only away from the start,
//    Next and Last only away from the end, Delete only on a record.
//  - Every post the window starts goes through PostRecord: the typed texts
//    are checked first (CheckTypedTexts), so a refused post raises
//    EInvalidData with a German message and leaves the record in its state
//    with nothing written.
//  - A window that was asked to close while its record could not be saved
//    stays open; a new record nothing was typed into is dropped without a
//    question when the window closes or the navigator moves.
#pragma once

#include <vector>

#include "app/base/orvform.h"
#include "app/text/helpers.h"
#include "app/windows/winparts.h"
#include "dbcontrols/datasets/wwtable.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "widgets/explorerbtn.h"
#include "widgets/smallwidgets.h"

class TwwDBGrid;

// The navigator's buttons by their tags.
enum TNavTag { ntFirst = 1, ntPrior, ntNext, ntLast, ntInsert, ntDelete, ntPost, ntCancel };

class TEntryForm : public TOrvelanForm {
  ORV_CLASS(TEntryForm, TOrvelanForm)

 public:
  TEntryForm(TComponent* owner, const char* name, const AnsiString& caption, bool withSearch);

  TPanel* pnlTools;
  TExplorerButton* pbSuchen;  // null in a window without search
  TExplorerButton *pbFirst, *pbPrior, *pbNext, *pbLast, *pbInsert, *pbDelete, *pbPost, *pbCancel;
  TExplorerButton *pbHilfe, *pbExit;
  TBevel* bvlTools;
  TSizeBar* SizeBar;

  // The navigator's button of a tag (1..8).
  TExplorerButton* NavButton(int tag) const;
  // The navigator's action of a tag on the window's table. Moving away
  // from a record being edited saves it first, through PostRecord.
  void NavClick(int tag);
  // Saves the record being edited or inserted (nothing in browse state).
  void PostRecord();
  // Cancels a new record that nothing was typed into (there is nothing to
  // save or to ask about); True when it did.
  bool DropUntouchedInsert();
  // The table the navigator runs through.
  virtual TDataSet* NavTable() const = 0;

 protected:
  // Refuses, with EInvalidData, texts typed into the window's masked edits
  // that their masks or their fields would not take.
  virtual void CheckTypedTexts() {}
  // Escape in a cell being edited: takes back that cell instead of the
  // window closing (the focused control then gets the key to show it); the
  // cell's rows when it did, else null. Once the key is up, a stored row
  // left with nothing changed ends its edit: nothing is left to save or to
  // ask about.
  virtual TDataSet* TakeBackCell() { return nullptr; }
  // The navigator's Delete on the window's table.
  virtual void DeleteRecord() { NavTable()->Delete(); }
  // Button enabling after a change of record or data, and of state.
  void UpdateDataButtons();
  void UpdateStateButtons();
  // Help and close at the right edge of the tool panel, then the grids'
  // last columns fitted.
  void PlaceRightButtons();
  // The grids' last columns fitted to the grids' widths (OptimizeGrids),
  // only when a width is new: fitting rebuilds a grid, which throws away
  // what is typed into its cell and takes the focus from the cell's editor.
  void FitGrids();
  // The smallest outer size the window may be given.
  TPoint MinimumSize() override = 0;
  // Width of the smallest window: the navigator and the right-edge buttons.
  int MinimumWidth() const;
  // Height of the caption, the frame and what every entry window has.
  int FrameHeight() const;
  // Height of three grid rows in the window's font.
  int ThreeRowsHeight();
  // The code column of a grid (the first after the indicator), made `width`
  // wide when the layout or the settings gave it less.
  static void WidenCodeColumn(TwwDBGrid* grid, int width);
  // Tab in a grid (its OnKeyDown calls this) goes along the current row's
  // cells that take typing and then on to the window's next field;
  // Shift+Tab, and Ctrl+Tab either way, leave the grid at once. No Tab
  // wraps into another row, where typing would overwrite it.
  void TabOutOfGrid(TwwDBGrid* grid, Word& key, TShiftState shift);

 private:
  TExplorerButton* ToolButton(const char* name, const AnsiString& caption, const AnsiString& hint, int picture,
                              int width);
  void CloseQuery(bool& canClose);
  void ToolKeyDown(Word& key, TShiftState shift);
  void KeyUp(Word& key);

  TEscapeToClose escape_;
  TDataSet* escapeInCell_ = nullptr;  // the rows of the cell the Escape going up went down in
  std::vector<int> fittedWidths_;  // the grids' widths at the last fitting
};

// The widest selection code: three of the widest letter.
constexpr const char* kWidestCode = "WWW";

// The keys of the record tool bars, named in their buttons' hints: Einfg
// for a new record, Strg+S to save it. The navigator tag (ntInsert,
// ntPost) of a key, or 0; Einfg counts only where the focused control has
// no use of its own for it (a grid inserts its own rows, a formatted text
// switches to overwriting).
int RecordKey(Word key, TShiftState shift, TWinControl* focused);

// A flat button of the tool panels: picture left of the caption, in Arial
// of 12 pixels whatever the window's font; the caller places it.
TExplorerButton* MakeFlatButton(TComponent* owner, TWinControl* panel, const char* name, const AnsiString& caption);

// The label beside a warning's days: "Tag vorher" at exactly 1, "Tage
// vorher" otherwise.
AnsiString DaysBeforeCaption(int days);

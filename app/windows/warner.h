// TfrmTermin "Termine": the anniversary warner. For a day (at first the
// main window's) it lists the user's own entries whose anniversary falls on
// that day or whose first or second advance warning is due then, and for
// the selected one says when it is ("Heute", "Morgen", "In zwei Tagen" …),
// whose birthday or which anniversary and how many years it counts. The
// list is the user table TERMINE, rebuilt from EIGENES at every fill; the
// grid shows it by days until the anniversary, then date, then entry. The
// tool buttons come first in the Tab order, the grid has the focus at the
// start; the arrows left and right are the day's keys wherever the focus is.
//
// Invariants:
//  - a fill only reads EIGENES; TERMINE is emptied first and then holds
//    exactly the rows of the window's day, so a fill that was cut off (the
//    program killed) leaves EIGENES as it was and the next fill complete;
//  - an entry has at most one row per number of days: a row that would
//    repeat one is left out and the fill goes on;
//  - an anniversary on 29 February is shown on 28 February in common
//    years, and so is a warning day of 29 February;
//  - the count of years is that of the day the anniversary falls on (the
//    window's day plus the row's days), also across New Year.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <utility>

#include "app/base/orvform.h"
#include "app/windows/winparts.h"
#include "calendar/packeddate.h"
#include "dbcontrols/datasets/wwtable.h"
#include "dbcontrols/grid/wwgrid.h"
#include "platform/db/dbctrls.h"
#include "widgets/smallwidgets.h"

class TfrmTermin : public TOrvelanForm {
  ORV_CLASS(TfrmTermin, TOrvelanForm)

 public:
  explicit TfrmTermin(TComponent* owner);
  ~TfrmTermin() override;
  void Dispatch(TMessage& m) override;

  TPanel* pnlTop;
  TBevel* bvlTop;
  TExplorerButton *pbHilfe, *pbPrev, *pbNext, *pbClose;
  TPanel *pnlLeft, *pnlRight, *pnlMemo;
  TwwDBGrid* gridTerm;
  TLabel *lblDatum, *lblWann, *lblName, *lblGeboren;
  TDBMemo* memoEigeText;
  TSizeBar* SizeBar;
  TImage *imgMann, *imgFrau, *imgErei, *imgLevel0, *imgLevel1, *imgLevel2;
  TwwTable *tblTerm, *tblEige;
  TwwDataSource *dsTerm, *dsEige;

  // The window's day.
  const PackedDate& Date() const { return date_; }
  void SetDate(const PackedDate& d) { date_ = d; }
  // Rebuilds TERMINE for the window's day; true when a row was added. A
  // pass that fails (a damaged index, a lock) ends, the others run, and the
  // file that failed is named in a German message, once per window.
  bool FillTermine();
  // The right side for the selected row.
  void dsEigeDataChange();
  // The day before / after, filled again.
  void pbPrevClick();
  void pbNextClick();

  // Called after each row stored by a fill, with the count so far.
  std::function<void(int rows)> OnRowStored;

 private:
  // One row for the entry tblEige stands on; false when the entry has a
  // row of that many days already.
  bool AppendTermRow(int days, int level);
  // The kind picture of the entry: 2 event, else its sex (0 male, 1 female).
  int TermPictureKind() const;
  // The entries of one pass (0 the day, 1 and 2 the warnings) for a key
  // (month x 100 + day).
  void RunPass(int level, int key);
  void FormShow();
  void ShowMemo(bool v);
  // The years the current entry counts on the day `days` after the
  // window's date: 0 on its own date, below 0 before it.
  int YearsOn(int days) const;
  void FormResize();
  // The labels' heights and places below the date for their texts.
  void PlaceTexts();
  void FormKeyUp(Word& key);
  TPoint MinimumSize() override;

  PackedDate date_{};
  AnsiString failure_;          // the message of this fill's first failed pass
  bool failureShown_ = false;   // a window names a failing file once
  bool found_ = false;
  int rows_ = 0;
  std::set<std::pair<int, int>> stored_;  // (days, entry) of this fill
};

// Makes the window on the main window's day and fills it; shows it
// modally unless atStart is set and nothing is due; frees it.
void ShowTermine(bool atStart);
// "Heute", "Morgen", "In zwei Tagen", "In drei Tagen", "In n Tagen".
AnsiString WhenText(int days);

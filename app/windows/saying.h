// TfrmSpruch: the saying window. One saying for the main window's current
// day from one of twelve categories, with the category's picture on the
// left. It is made once at start beside the main window and lives for the
// whole run; the main window shows it (on top of other windows when the
// settings say so), reloads it after each rebuild of the day page while it
// is visible, and passes its key-up events on to it. "Schließen" only hides
// it. Its tool buttons come first in the Tab order, the saying has the
// focus when it is shown; Strg+P prints, Strg+C copies the saying (a part
// selected in it copies that part), the arrows left and right are the
// categories' keys wherever the focus is; a saying longer than the window
// scrolls, with a bar and the keys; Escape closes the window. The category starts from the
// setting "Spruchtyp" and is not stored. Its placement is written when it
// is hidden and when it is freed shown (at the program's end).
//
// Invariants: 0 <= Category() <= 11; the memo shows the saying of that
// category for CurrentDateKey's day of the year, broken after punctuation,
// with its source two lines below, or nothing when there is none (caption
// and picture then stay as they were).
#pragma once

#include "app/base/orvform.h"
#include "app/windows/winparts.h"
#include "dbcontrols/datasets/wwtable.h"
#include "platform/ui/dialogs.h"
#include "widgets/smallwidgets.h"

constexpr int kSayingCategoryCount = 12;

class TfrmSpruch : public TOrvelanForm {
  ORV_CLASS(TfrmSpruch, TOrvelanForm)

 public:
  explicit TfrmSpruch(TComponent* owner);
  ~TfrmSpruch() override;
  void Dispatch(TMessage& m) override;

  TPanel* pnlTop;
  TBevel* bvlTop;
  TExplorerButton *pbHilfe, *pbPrint, *pbCopy, *pbPrev, *pbNext, *pbClose;
  TPanel* pnlLinks;
  TPanel* pnlBild;
  TImage* imgSpruch;
  // The category pictures, by category (not shown themselves).
  TImage* CategoryImages[kSayingCategoryCount] = {};
  TPanel* pnlClient;
  TMemo* memoSpruch;
  TSizeBar* SizeBar;
  TPrintDialog* PrintDialog;
  TwwTable* tblSpru;

  int Category() const { return category_; }
  void SetCategory(int category);

  // The saying of the current category for CurrentDateKey.
  void LoadSpruch();
  void pbPrevClick();
  void pbNextClick();
  void pbCopyClick();
  void pbPrintClick();
  // The category keys: arrows left and right, "1" to "9" and "0", and the
  // keys 219 and 221 (virtual key codes).
  void FormKeyUp(Word& key);

 private:
  // The keys that scroll the saying (arrows up and down, Bild, Pos1 and
  // Ende, with Strg or without); true when `key` was one and is used up.
  bool ScrollKey(Word& key);
  void FormShow();
  void FormDestroy();
  void FormResize();
  TPoint MinimumSize() override;

  int category_ = 0;
};

// The saying window while it exists (the program block makes it).
extern TfrmSpruch* frmSpruch;

// The window's caption for a category.
AnsiString SayingCaption(int category);
// A saying as the window shows it: the love declarations behind
// "Liebe ist... ...", a line break after ", ", ". ", ": ", "; ", "! ", "? "
// and "- " (the blank dropped), and the source two lines below when there
// is one.
AnsiString SayingText(int category, const AnsiString& text, const AnsiString& source);
// LoadSpruch of a window (the main window calls it after a rebuild).
void LoadSpruch(TfrmSpruch* window);

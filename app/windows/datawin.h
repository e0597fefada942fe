// TfrmDispData "Zusatzdaten anzeigen": the data window. It shows the full
// record of one reference entry as a formatted page: a person with names,
// nations and professions, birth and death and the person's long text; an
// event, a holiday, or a name-day patron with the name forms of the name.
// Person links inside the page lead to further persons; the window keeps
// the last 20 pages it showed, with "Vorheriges" and "Nächstes", copies the
// page as text to the clipboard (Strg+C) and prints it (Strg+P). Its tool
// buttons come first in the Tab order, its page has the focus at the start.
// The main window opens it modally on a person whose link the user clicked
// on a day page.
//
// Invariants:
//  - 0 <= Current() <= Last() <= 20, and Current() is 0 only before the
//    first entry; entries 1 .. Last() are the pages reachable with the two
//    buttons, "Vorheriges" is enabled exactly while Current() > 1 and
//    "Nächstes" exactly while Current() < Last();
//  - following a link stores the left page's scroll offset, so going back
//    shows it where the user left it; the two buttons store nothing;
//  - the page is read-only to the user; only the page builders write it;
//  - the copy and print source (WPRichText2) holds the page's text with
//    every link's visible text as plain text and no hidden stamp, with runs
//    of blanks made single.
#pragma once

#include <cstdint>

#include "app/base/orvform.h"
#include "app/windows/winparts.h"
#include "dbcontrols/datasets/wwtable.h"
#include "platform/ui/dialogs.h"
#include "richtext/controls/richtext.h"
#include "widgets/smallwidgets.h"

// The kinds of entries the window shows.
enum TDispKind : uint8_t { dkPerson = 0, dkEvent = 1, dkHoliday = 2, dkPatron = 3 };

// One page of the history: the entry and the page's scroll offset when the
// user left it by a link (0 for a new entry).
struct DispDataEntry {
  uint8_t Kind = dkPerson;
  int32_t Id = 0;
  int32_t TopOffset = 0;
};

constexpr int kDispHistorySize = 20;

class TfrmDispData : public TOrvelanForm {
  ORV_CLASS(TfrmDispData, TOrvelanForm)

 public:
  explicit TfrmDispData(TComponent* owner);
  ~TfrmDispData() override;

  TPanel* pnlTop;
  TBevel* bvlTop;
  TExplorerButton *pbHilfe, *pbPrint, *pbCopy, *pbPrev, *pbNext, *pbClose;
  TPanel* pnlClient;
  TWPRichText* WPRichText1;
  TPanel* pnlWhite;
  TWPRichText* WPRichText2;
  TSizeBar* SizeBar;
  TPrintDialog* PrintDialog;
  TwwTable *tblPers, *tblErei, *tblFTag, *tblPatr, *tblName;

  // ---- the history ---------------------------------------------------------
  int Current() const { return current_; }
  int Last() const { return last_; }
  // Entry i, 1 .. kDispHistorySize.
  const DispDataEntry& History(int i) const { return history_[i]; }
  // Empties the history.
  void ClearHistory();
  // Adds an entry after the current one (dropping the oldest when all 20
  // are used); entries reached earlier with "Nächstes" stay reachable.
  void AddToHistory(uint8_t kind, int32_t id);

  // ---- the page --------------------------------------------------------------
  // Rebuilds the page of the current entry.
  void ShowItem();
  void ShowPerson(int32_t id);
  void ShowEvent(int32_t id);
  void ShowHoliday(int32_t id);
  void ShowPatron(int32_t id);
  // The page as wide as the control (less 10 pixels), without side margins.
  void SetPageWidth();
  // Fills WPRichText2, the source of copy and print, from the page.
  void PrepareWPRichText2();

  // ---- what the user does ------------------------------------------------------
  // A link of the page: "p:" and a person's number opens that person.
  void WPRichText1HyperLinkEvent(const AnsiString& linkCode);
  void pbPrevClick();
  void pbNextClick();
  void pbCopyClick();
  void pbPrintClick();

 private:
  void FormShow();
  void FormDestroy();
  void FormResize();
  void FormKeyUp(Word& key);
  void PlaceButtons();
  TPoint MinimumSize() override;
  TwwTable* MakeTable(const char* name, const char* table, const char* index);

  DispDataEntry history_[kDispHistorySize + 1];
  int current_ = 0;
  int last_ = 0;
};

// Makes the window, shows the entry modally and frees the window.
void ShowDispData(uint8_t kind, int32_t id);
// The person number of a link code ("p:" and at most seven digits); raises
// the conversion error when the characters 3 to 9 are no whole number.
int32_t LinkNumber(const AnsiString& linkCode);
// Removes what a page prepared for copy or print must not hold: every
// hidden character (the stamps of links) goes, every link's visible text
// becomes plain text, and runs of blanks inside a paragraph become one.
void StripLinksForCopy(TWPCustomRtfEdit* edit);

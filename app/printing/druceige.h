// TfrmDruckEige: the printed lists of the user's own entries, built into
// the preview and printed from there: the diary "Tagebuch" (the own events
// between two dates, by year), the birthday list "Geburtstagsliste" (the own
// persons born between two dates, by year) and the birthday overview
// "Geburtstagsübersicht" (the own persons born in one month of any year, by
// day). Each list may be narrowed to the entries with one selection code;
// each keeps its choices and its page block in its own settings section.
//
// Invariants:
//  - the window works on a copy of its list's page block (the print setup
//    edits the copy); the list's settings take the copy, the selection, the
//    code and the dates or the month when the window closes;
//  - the chosen selection code lives in the code list's own value: nothing
//    is written into the table of selection codes;
//  - dates given in reverse order are swapped; a list without entries
//    shows its empty document; a date that is no date is explained in
//    German and no preview opens.
#pragma once

#include "app/base/orvform.h"
#include "app/windows/winparts.h"
#include "app/settings/settings.h"
#include "dbcontrols/edit/wwdbedit.h"
#include "dbcontrols/lookup/wwlookupcombo.h"
#include "platform/ui/extctrls.h"
#include "richtext/controls/rtfedit.h"
#include "widgets/explorerbtn.h"

// What a list shows.
struct TPrintListQuery {
  int List = plDiary;
  bool Selection = false;      // only the entries with Code
  AnsiString Code;             // the selection code
  AnsiString CodeName;         // its name, the list's first heading
  TDateTime From = 0, To = 0;  // lists 0 and 1: whole days, From <= To
  int Month = 1;               // list 2: 1 .. 12
  const PageSettings* Page = nullptr;
};

// Writes the list into the control, which holds an empty document with its
// page set: the heading (the code's name in "Untertitel" when narrowed,
// the title in "Titel", for the overview the month in "Titel"), then the
// entries in the "Text" style, the diary and the birthday list under a
// heading per year in "Untertitel". `own` is EIGENES, `ownCodes` EIGESELC
// (index "XPKEISE"); both open. Returns the number of entries written; with
// none the document stays empty.
int BuildPrintList(TWPCustomRtfEdit* edit, const TPrintListQuery& query, TwwTable* own, TwwTable* ownCodes);

// The paragraph's hanging indent for the label that stands before the
// tab ("99.99. "): the label's width w in the body style, snapped to the
// ruler's grid; indents 0, w + 141, 0; a right tab at w, a left one at
// w + 141.
void SetListHangingIndent(TWPCustomRtfEdit* edit, const AnsiString& label, const TextStyleSettings& body);

class TfrmDruckEige : public TOrvelanForm {
  ORV_CLASS(TfrmDruckEige, TOrvelanForm)

 public:
  TfrmDruckEige(TComponent* owner, int list);
  ~TfrmDruckEige() override;

  TPanel* pnlTop;
  TBevel* bvlTop;
  TExplorerButton *pbHilfe, *pbSetup, *pbDrucken, *pbExit;
  TRadioGroup* rgSelCode;
  TwwDBLookupCombo* cmbSelCode;
  TLabel *lblDatumVon, *lblDatumBis, *lblMonat;
  TwwDBEdit *editDatumVon, *editDatumBis;
  TComboBox* cmbMonat;
  TwwTable *tblEige, *tblEiSe, *tblSelCLookup;

  int List() const { return list_; }
  // The block copy the print setup edits.
  PageSettings& Block() { return block_; }

  // "Erstellen": the list into the preview.
  void pbDruckenClick();
  // "Einstellungen": the print setup on the block copy.
  void pbSetupClick();
  void UpdatePrintButton();

 private:
  void FormShow();
  void FormClose();
  void rgSelCodeClick();
  // The query of the window's choices, the dates in order; false (with a
  // German message) when a date is no date.
  bool MakeQuery(TPrintListQuery& q);
  TwwTable* MakeTable(const char* name, const char* table, const char* index);

  int list_;
  PageSettings block_;
  TEscapeToClose escape_;
  TCreateKeys createKeys_;
};

// Opens the window of a list (0 diary, 1 birthday list, 2 birthday
// overview) modally and frees it.
void ShowDruckEige(int list);

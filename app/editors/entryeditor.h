// TEntryEditor: what the person editor and the event editor share. Both
// edit one kind of own entry in "EIGENES" (persons EIGE_TYP 1, events 2)
// with the date edit, the warner block (on the day, two advance warnings
// with their days, "Standard"), the free text, and the entry's selection
// codes in a grid whose code column is edited by a lookup combo over
// "SELCODE". Every post derives the fields the lists and the warner read:
// day, month and year of the date, the list text and the two warner keys.
//
// Invariants:
//  - A post either writes the whole entry with its derived fields
//    consistent with its date, names, text and warnings, or raises
//    EInvalidData and writes nothing; the record stays in its state.
//  - The second advance warning is never nearer than the first (a
//    post swaps the two day counts when it would be).
//  - A row of "EIGESELC" is added only for an entry that is stored: adding
//    a code to an entry being inserted saves the entry first; a code given
//    twice is dropped without a message.
//  - Deleting asks first; "No" raises EInvalidData and nothing is
//    deleted; "Yes" deletes the entry's code rows, then exactly the entry.
#pragma once

#include "app/editors/entryform.h"
#include "app/base/usertables.h"
#include "dbcontrols/edit/wwdbedit.h"
#include "dbcontrols/edit/wwdbspin.h"
#include "dbcontrols/grid/wwgrid.h"
#include "dbcontrols/lookup/wwlookupcombo.h"
#include "platform/db/dbctrls.h"
#include "widgets/advsplitter.h"

// The picture mask of every date edit.
constexpr const char* kDateMask = "#[#].#[#].####";

// An open own-entries table of a window: "EIGENES" on an index, its string
// fields without transliteration, its date shown as a date only and its
// time as hours and minutes.
TwwTable* MakeEntryTable(TComponent* owner, const char* name, const char* index);
// The text of a date ("05.03.1990").
AnsiString EntryDateText(TDateTime date);
// The width of the date or time edits: the one the main window measured,
// at least DateTimeEditWidth in the canvas's font.
int SharedEditWidth(TCanvas* canvas, int shared, const char* sample);
// The number a new own entry gets: the highest number any user table
// refers to plus 1 (1 for the first entry; HighestEntryId).
int NextEntryId();

class TEntryEditor : public TEntryForm {
  ORV_CLASS(TEntryEditor, TEntryForm)

 public:
  TEntryEditor(TComponent* owner, const char* name, const AnsiString& caption, int entryType);
  ~TEntryEditor() override;

  TwwTable *tblEige, *tblSelC, *tblEiSe;
  TwwDataSource *dsEige, *dsEiSe;
  TStringField* fldSelCName;  // the code's name, looked up in "SELCODE"
  TwwDBEdit* editEigeDatum;
  TDBMemo* memoEigeText;
  TwwDBGrid* gridEiSe;
  TwwDBLookupCombo* cmbSelCode;
  // The warner block.
  TLabel *lblHinweisen, *lblW1Tage, *lblW2Tage;
  TDBCheckBox *cbEigeW0, *cbEigeW1, *cbEigeW2;
  TwwDBSpinEdit *editEigeW1Tage, *editEigeW2Tage;
  TCheckBox* cbStandard;

  TDataSet* NavTable() const override { return tblEige; }
  int EntryType() const { return entryType_; }
  // The enabling of the advance warnings' controls and their labels.
  void UpdateWarnerControls();

 protected:
  // Builds the warner block at (left, top) of a parent, under its title.
  void BuildWarnerBlock(TWinControl* parent, int left, int top, const AnsiString& title);
  // Builds the codes grid and its lookup combo on a parent.
  void BuildCodesGrid(TWinControl* parent);
  // Opens the three tables, the entries restricted to the window's type on
  // its index.
  void OpenTables(const char* entryIndex);
  // The own parts of a kind: checks of the entry, its own preparation and
  // its list text (before a post), the fields of a new entry, the control that takes the
  // focus after Insert (a save leaves the focus where it is), the messages of deleting.
  virtual void CheckEntry() = 0;
  virtual void PrepareEntry() {}
  virtual AnsiString HintText() = 0;
  virtual void NewEntryFields() {}
  virtual TWinControl* FirstEdit() const = 0;
  virtual AnsiString DeleteQuestion() const = 0;
  virtual AnsiString DeleteRefused() const = 0;
  // Called after every change of record or data.
  virtual void EntryDataChanged() {}
  // Refuses the post with EInvalidData, the focus on the field the message
  // names, so that the user can mend it at once.
  [[noreturn]] static void RefuseAt(TWinControl* field, const AnsiString& message);
  // Checks a masked edit's text: its mask and its date or time value.
  void CheckMaskedText(TwwDBEdit* edit, bool isTime, const AnsiString& message);
  void CheckTypedTexts() override;
  // A code typed or picked into the code cell and not yet stored: the row
  // gives back the code it held (a new row goes), the combo its text.
  TDataSet* TakeBackCell() override;
  // The entry goes with its codes as one change (TUserChange).
  void DeleteRecord() override;
  // The height of the codes grid: four rows and a margin.
  int CodesGridHeight();

 private:
  void NewRecord();
  void BeforePost();
  void AfterPost();
  void BeforeDelete();
  void DataChanged();
  void StandardClick();
  void LinkNeedsEntry();
  TDBCheckBox* MakeCheck(TWinControl* parent, const char* name, const char* field, const AnsiString& caption,
                         int left, int top, int width);
  TwwDBSpinEdit* MakeDays(TWinControl* parent, const char* name, const char* field, int left, int top);

  int entryType_;
  bool deletingEntry_ = false;  // the entry's codes go with it
};

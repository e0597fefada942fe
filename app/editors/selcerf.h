// The selection-code editor TfrmSelCErf ("Selektionscodes"): the user's
// catalogue of codes ("SELCODE": a code of three characters and its name)
// in an editable grid with the navigator of the entry windows. Both fields
// are required; deleting asks first, and the entries that carry a deleted
// code keep it; a renamed code is renamed in the entries that carry it, the
// code and its links as one change (TUserChange).
#pragma once

#include <memory>
#include <vector>

#include "app/base/usertables.h"
#include "app/editors/entryform.h"
#include "dbcontrols/grid/wwgrid.h"

class TfrmSelCErf : public TEntryForm {
  ORV_CLASS(TfrmSelCErf, TEntryForm)

 public:
  explicit TfrmSelCErf(TComponent* owner);
  ~TfrmSelCErf() override;

  TPanel* pnlClient;
  TwwDBGrid* gridSelC;
  TwwTable* tblSelC;
  TwwDataSource* dsSelC;

  TDataSet* NavTable() const override { return tblSelC; }

 protected:
  TPoint MinimumSize() override;
  // Escape in the grid takes back what its row holds unsaved, the cell's
  // typing first (the grid takes that back itself); a new row left with
  // nothing goes with it. The window stays.
  TDataSet* TakeBackCell() override;

 private:
  // Refuses the post with EInvalidData, the cell of the column the message
  // names (the empty one) current and focused, so that the user can mend it.
  [[noreturn]] void RefuseAt(int dataCol, const AnsiString& message);

  AnsiString storedCode_;  // the code of the record being edited, as stored
  std::unique_ptr<TUserChange> rename_;  // a renamed code's, open while it is posted
};

// Opens "EIGESELC" for RenameCodeOfEntries; raises EDataFileError.
std::unique_ptr<TwwTable> OpenCodeLinks();
// Gives every entry that carries the code `from` (in any letter case) the
// code `to` instead; an entry that carries both keeps one row of `to`. A
// link that cannot be changed raises EInvalidData naming its entry and the
// cause (the caller's TUserChange then drops every link changed before).
void RenameCodeOfEntries(TwwTable& links, const AnsiString& from, const AnsiString& to);

// Creates, shows modally and frees the selection-code editor.
void ShowSelCErf();

// The selection-code editor TfrmSelCErf ("Selektionscodes"): the user's
// catalogue of codes ("SELCODE": a code of three characters and its name)
// in an editable grid with the navigator of the entry windows. Both fields
// are required; deleting asks first, and the entries that carry a deleted
// code keep it.
#pragma once

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
};

// Creates, shows modally and frees the selection-code editor.
void ShowSelCErf();

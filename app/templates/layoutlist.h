// TfrmListLOut: the pick list of the print templates ("Erfaßte Vorlagen"),
// by title, with a typing search. The print window and the template
// editor's search button choose a template with it; its "Erfassen" button
// opens the editor on the current template.
#pragma once

#include "app/base/orvform.h"
#include "dbcontrols/datasets/wwtable.h"
#include "dbcontrols/edit/wwincsearch.h"
#include "dbcontrols/grid/wwgrid.h"
#include "platform/ui/stdctrls.h"
#include "widgets/explorerbtn.h"

// "tblLOut": the user's templates ("LAYOUT.FFD") by title, its strings
// trimmed on opening; not yet open.
TwwTable* MakeLayoutTable(TComponent* owner);

class TfrmListLOut : public TOrvelanForm {
  ORV_CLASS(TfrmListLOut, TOrvelanForm)

 public:
  explicit TfrmListLOut(TComponent* owner);
  ~TfrmListLOut() override;

  // Positions the list on a template number (titles stay the order).
  void LocateLayout(int number);

  TwwTable* tblLOut;
  TwwDataSource* dsLOut;
  TPanel* pnlButtons;
  TExplorerButton *pbHilfe, *pbErfassen, *pbAbbruch, *pbOk;
  TPanel* pnlSuche;
  TLabel* lblGoto;
  TwwIncrementalSearch* editGoto;
  TwwDBGrid* gridLOut;

 private:
  void FormCreate(TObject* sender);
  void FormKeyUp(TObject* sender, Word& key, TShiftState shift);
  // Enter and Ok: closes with Ok on the template searched for.
  void TakeChoice();
  void ArrangeButtons();
  void pbErfassenClick(TObject* sender);
  TPoint MinimumSize() override;
};

// Shows the list on a template number, with or without "Erfassen"; true
// when it closed with Ok, and then `number` is the chosen template's.
bool ShowListLOut(int& number, bool showErfassen);

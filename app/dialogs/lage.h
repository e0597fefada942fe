// TfrmLage "Vorgabe übernehmen": the place picker of the parameter dialog.
// It lists the places of the reference table LAGE in a read-only grid with
// the one column "Ort", shows the current row's place, latitude and
// longitude as text ("50° 0' nördliche Breite") in a panel, and lets the
// user go to a place by typing its start ("Gehe zu"). OK takes the row's
// position into the settings at once; the parameter dialog undoes it when
// it is cancelled itself.
#pragma once

#include "app/dialogs/dlgframe.h"
#include "dbcontrols/edit/wwincsearch.h"
#include "dbcontrols/grid/wwgrid.h"
#include "platform/db/dbctrls.h"

// The text of a position's calculated field: the whole degrees of the
// absolute value, "° ", the whole minutes, "' ", then `negative` below 0
// and `positive` otherwise, "liche " and `kind`:
// FormatCoordinate("west", "öst", "Länge", -7.5) is "7° 30' östliche Länge".
AnsiString FormatCoordinate(const AnsiString& positive, const AnsiString& negative, const AnsiString& kind,
                            long double value);

class TfrmLage : public TfrmSettingsDialog {
  ORV_CLASS(TfrmLage, TfrmSettingsDialog)

 public:
  explicit TfrmLage(TComponent* owner);
  ~TfrmLage() override;

  TPanel* pnlGoto;
  TBevel* bvlGoto;
  TLabel* lblGoto;
  TwwIncrementalSearch* editGoto;
  TPanel* pnlClient;
  TwwDBGrid* gridLage;
  TPanel* pnlData;
  TDBText *txtOrt, *txtBreite, *txtLaenge;
  TwwTable* tblLage;
  TwwDataSource* dsLage;

 protected:
  void pbOkClick() override;
  void DialogResize() override;
  TPoint MinimumSize() override;

 private:
  void CalcFields(TDataSet* d);
};

// Shows the picker modally and frees it; with OK the settings Latitude and
// Longitude hold the chosen place's position. The modal result.
int ShowLage();

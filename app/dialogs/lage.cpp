// The place picker (lage.h).
#include "app/dialogs/lage.h"

#include <algorithm>

#include "app/dialogs/params.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr int kGotoHeight = 34, kDataHeight = 62;

}  // namespace

AnsiString FormatCoordinate(const AnsiString& positive, const AnsiString& negative, const AnsiString& kind,
                            long double value) {
  const TDegreesMinutes d = SplitCoordinate(value);
  return IntToStr(d.Degrees) + "\xB0 " + IntToStr(d.Minutes) + "' " + (value < 0.0L ? negative : positive) + "liche " +
         kind;
}

TfrmLage::TfrmLage(TComponent* owner)
    : TfrmSettingsDialog(owner, "frmLage", CP1252("Vorgabe übernehmen").str(), "GEORAFISCHE ORTE", 38, 320, 400, true) {
  SetPosition(poScreenCenter);
  tblLage = new TwwTable(this);
  tblLage->SetName("tblLage");
  tblLage->SetDatabaseName("Orvelan");
  tblLage->SetReadOnly(true);
  tblLage->SetTableName("LAGE.FFD");
  tblLage->SetIndexName("XPKLAGE");
  for (const char* name : {"BRCALC", "LACALC"}) {
    auto* f = new TStringField(this);
    f->SetFieldName(name);
    f->SetSize(30);
    f->SetCalculated(true);
    f->SetDataSet(tblLage);
  }
  tblLage->OnCalcFields = [this](TDataSet* d) { CalcFields(d); };
  tblLage->AfterOpen = [](TDataSet* d) { FixStringFields(d); };
  dsLage = new TwwDataSource(this);
  dsLage->SetName("dsLage");
  dsLage->SetDataSet(tblLage);

  pnlGoto = MakePanel(this, this, "pnlGoto");
  pnlGoto->SetBounds(0, kToolPanelHeight + 2, ClientWidth(), kGotoHeight);
  pnlGoto->SetAlign(alTop);
  lblGoto = AddLabel(this, pnlGoto, "Gehe zu", 8, 10);
  editGoto = new TwwIncrementalSearch(this);
  editGoto->SetName("editGoto");
  editGoto->SetParent(pnlGoto);
  editGoto->SetBounds(64, 6, 180, 21);
  editGoto->SetDataSource(dsLage);
  lblGoto->SetFocusControl(editGoto);
  bvlGoto = new TBevel(this);
  bvlGoto->SetName("bvlGoto");
  bvlGoto->SetParent(this);
  bvlGoto->SetShape(bsTopLine);
  bvlGoto->SetBounds(0, kToolPanelHeight + 2 + kGotoHeight, ClientWidth(), 2);
  bvlGoto->SetAlign(alTop);

  pnlData = MakePanel(this, this, "pnlData");
  pnlData->SetBevelOuter(bvLowered);
  pnlData->SetBounds(0, ClientHeight() - SizeBar->Height() - kDataHeight, ClientWidth(), kDataHeight);
  pnlData->SetAlign(alBottom);
  auto text = [this](const char* name, const char* field, int top, bool bold) {
    auto* t = new TDBText(this);
    t->SetName(name);
    t->SetParent(pnlData);
    t->SetBounds(8, top, 300, 17);
    if (bold) t->Font()->SetStyle({fsBold});
    t->SetDataSource(dsLage);
    t->SetDataField(field);
    return t;
  };
  txtOrt = text("txtOrt", "ORT", 4, true);
  txtBreite = text("txtBreite", "BRCALC", 23, false);
  txtLaenge = text("txtLaenge", "LACALC", 41, false);

  pnlClient = MakePanel(this, this, "pnlClient");
  pnlClient->SetBorderWidth(4);
  pnlClient->SetAlign(alClient);
  gridLage = new TwwDBGrid(this);
  gridLage->SetName("gridLage");
  gridLage->SetParent(pnlClient);
  gridLage->SetAlign(alClient);
  gridLage->SetUseTFields(false);
  gridLage->SetOptions(dgTitles | dgIndicator | dgColLines | dgRowLines | dgRowSelect | dgAlwaysShowSelection);
  gridLage->SetReadOnly(true);
  TStringList columns;
  columns.Add("ORT\t20\tOrt");
  gridLage->SetSelected(&columns);
  gridLage->SetDataSource(dsLage);
  // Letters typed in the list look for a place: they go on to "Gehe zu".
  gridLage->OnKeyPress = [this](TObject*, char& key) {
    if (static_cast<unsigned char>(key) < 32 || !editGoto->CanFocus()) return;
    editGoto->SetFocus();
    editGoto->Perform(WM_CHAR, static_cast<unsigned char>(key), 0);
    key = 0;
  };
  OpenTableOrExplain(tblLage);
  FirstFocus = editGoto;
  // The grid's column is fitted once the window is active, too (a resize
  // may come before it is).
  OnActivate = [this](TObject*) { OptimizeGrids(); };
}

TfrmLage::~TfrmLage() {
  // The controls let go of the table before it closes.
  BeforeDestruction();
  if (tblLage) tblLage->Close();
}

void TfrmLage::CalcFields(TDataSet* d) {
  const long double lat = d->FieldByName("BREITE")->AsFloat(), lon = d->FieldByName("LAENGE")->AsFloat();
  d->FieldByName("BRCALC")->SetAsString(FormatCoordinate(CP1252("nörd").str(), CP1252("süd").str(), "Breite", lat));
  d->FieldByName("LACALC")->SetAsString(FormatCoordinate("west", CP1252("öst").str(), CP1252("Länge").str(), lon));
}

void TfrmLage::pbOkClick() {
  // What was typed last is searched before the place is taken.
  editGoto->SearchNow();
  if (!tblLage->IsEmpty()) {
    Latitude = tblLage->FieldByName("BREITE")->AsFloat();
    Longitude = tblLage->FieldByName("LAENGE")->AsFloat();
  }
  SetModalResult(mrOk);
}

void TfrmLage::DialogResize() { OptimizeGrids(); }

TPoint TfrmLage::MinimumSize() {
  const int frameX = 2 * GetSystemMetrics(SM_CXFRAME), border = 2 * pnlClient->PanelBorderWidth();
  const int width = std::max({frameX + 3 * pbHilfe->Width() + 10, frameX + editGoto->Left() + editGoto->Width() + 8,
                              frameX + border + GridColumnsWidth(gridLage)});
  return {width, GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + pnlTop->Height() +
                     bvlTop->Height() + pnlGoto->Height() + bvlGoto->Height() + border + GridRowsHeight(gridLage, 3) +
                     pnlData->Height() + SizeBar->Height()};
}

int ShowLage() { return ShowModalAndFree(new TfrmLage(Application)); }

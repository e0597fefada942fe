// The template list (layoutlist.h).
#include "app/templates/layoutlist.h"

#include <algorithm>
#include <utility>

#include "app/base/usertables.h"
#include "app/editors/entryform.h"
#include "app/settings/datasetup.h"
#include "app/templates/layoutedit.h"
#include "app/text/helpers.h"
#include "app/windows/winparts.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/keyboard.h"
#include "resources/pictures.h"

namespace {

constexpr int kButtonWidth = 80, kButtonHeight = 25, kPanelHeight = 33, kSearchHeight = 30;

}  // namespace

TwwTable* MakeLayoutTable(TComponent* owner) {
  auto* t = new TwwTable(owner);
  t->SetName("tblLOut");
  t->SetDatabaseName(kUserAlias);
  t->SetTableName("LAYOUT.FFD");
  t->SetIndexName("XLOUT_TITEL");
  t->AfterOpen = [](TDataSet* d) { FixStringFields(d); };
  return t;
}

TfrmListLOut::TfrmListLOut(TComponent* owner) : TOrvelanForm(owner) {
  SetFormName("frmListLOut");
  SetCaption(CP1252("Erfaßte Vorlagen").str());
  SetClientSize(420, 340);
  Font()->SetName("Arial");
  Font()->SetHeight(-13);
  SetKeyPreview(true);

  tblLOut = MakeLayoutTable(this);
  dsLOut = new TwwDataSource(this);
  dsLOut->SetName("dsLOut");
  dsLOut->SetDataSet(tblLOut);

  auto panel = [this](const char* name, int height) {
    auto* p = new TPanel(this);
    p->SetName(name);
    p->SetParent(this);
    p->SetCaption("");
    p->SetBounds(0, 0, ClientWidth(), height);
    p->SetAlign(alTop);
    return p;
  };
  pnlButtons = panel("pnlButtons", kPanelHeight);
  // Flat buttons with their pictures, as in the lists of own entries.
  auto button = [this](const char* name, const AnsiString& caption, TToolPicture picture, TNotifyEvent onClick) {
    TExplorerButton* b = MakeFlatButton(this, pnlButtons, name, caption);
    b->SetBitmap(ToolPicture(picture).get());
    b->SetBounds(0, 4, kButtonWidth, kButtonHeight);
    b->SetTabStop(true);
    b->OnClick = std::move(onClick);
    return b;
  };
  pbHilfe = button("pbHilfe", "Hilfe", tpHelp, [this](TObject*) { ShowHelp(); });
  pbErfassen = button("pbErfassen", "Erfassen", tpRecord, [this](TObject* s) { pbErfassenClick(s); });
  pbAbbruch = button("pbAbbruch", "Abbruch", tpCancel, [this](TObject*) { SetModalResult(mrCancel); });
  pbOk = button("pbOk", "Ok", tpOk, [this](TObject*) { TakeChoice(); });

  pnlSuche = panel("pnlSuche", kSearchHeight);
  pnlSuche->SetTop(kPanelHeight);
  pnlSuche->SetBevelOuter(bvNone);
  lblGoto = new TLabel(this);
  lblGoto->SetName("lblGoto");
  lblGoto->SetParent(pnlSuche);
  lblGoto->SetCaption("Gehe zu");
  lblGoto->SetBounds(8, 8, 50, 16);
  editGoto = new TwwIncrementalSearch(this);
  editGoto->SetName("editGoto");
  editGoto->SetParent(pnlSuche);
  editGoto->SetBounds(70, 4, 220, 22);
  editGoto->SetDataSource(dsLOut);
  editGoto->SetSearchField("LOUT_TITEL");
  lblGoto->SetFocusControl(editGoto);

  gridLOut = new TwwDBGrid(this);
  gridLOut->SetName("gridLOut");
  gridLOut->SetParent(this);
  gridLOut->SetBounds(0, kPanelHeight + kSearchHeight, ClientWidth(), 200);
  gridLOut->SetAlign(alClient);
  gridLOut->SetUseTFields(false);
  gridLOut->SetReadOnly(true);
  gridLOut->SetOptions(dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgRowSelect |
                       dgAlwaysShowSelection);
  TStringList columns;
  columns.Add("LOUT_TITEL\t40\tTitel");
  gridLOut->SetSelected(&columns);
  gridLOut->SetDataSource(dsLOut);
  gridLOut->OnDblClick = [this](TObject*) { SetModalResult(mrOk); };
  gridLOut->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { OptimizeGrids(); };

  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnShow = [this](TObject*) {
    ReadPosition();
    editGoto->SetFocus();
  };
  OnHide = [this](TObject*) { WritePosition(); };
  // The title column fills the grid once the window is active.
  OnActivate = [this](TObject*) { OptimizeGrids(); };
  OnResize = [this](TObject*) {
    ArrangeButtons();
    OptimizeGrids();
  };
  OnKeyUp = [this](TObject* s, Word& key, TShiftState shift) { FormKeyUp(s, key, shift); };
}

TfrmListLOut::~TfrmListLOut() { BeforeDestruction(); }

void TfrmListLOut::FormCreate(TObject*) {
  SetFormKey("LISTE: VORLAGEN");
  SetHelpContext(46);
  ArrangeButtons();
  OpenTableOrExplain(tblLOut);
}

// "Hilfe" at the left, "Ok" at the right, "Abbruch" and "Erfassen" before it.
void TfrmListLOut::ArrangeButtons() {
  pbHilfe->SetLeft(4);
  pbOk->SetLeft(pnlButtons->Width() - pbOk->Width() - 4);
  pbAbbruch->SetLeft(pbOk->Left() - 1 - pbAbbruch->Width());
  pbErfassen->SetLeft(pbHilfe->Left() + pbHilfe->Width() + 1);
}

void TfrmListLOut::TakeChoice() {
  // What was typed last is searched before the template is taken.
  editGoto->SearchNow();
  SetModalResult(mrOk);
}

void TfrmListLOut::FormKeyUp(TObject*, Word& key, TShiftState) {
  if (key == VK_RETURN) TakeChoice();
  if (key == VK_ESCAPE) SetModalResult(mrCancel);
}

void TfrmListLOut::pbErfassenClick(TObject*) {
  int number = tblLOut->IsEmpty() ? 0 : tblLOut->FieldByName("LOUT_ID")->AsInteger();
  ShowLayout(number);
  // The editor may have added, renamed or deleted templates.
  tblLOut->Refresh();
  LocateLayout(number);
}

void TfrmListLOut::LocateLayout(int number) {
  tblLOut->SetIndexName("XLOUT_ID");
  const bool found = tblLOut->FindKey({number});
  const AnsiString title = found ? tblLOut->FieldByName("LOUT_TITEL")->AsString() : AnsiString();
  tblLOut->SetIndexName("XLOUT_TITEL");
  if (found) tblLOut->FindKey({title, number});
}

// Its buttons side by side, three rows of the grid below the panels: the
// grid's frame, its titles and three of its rows with their lines.
TPoint TfrmListLOut::MinimumSize() {
  return {ButtonRowWindowWidth(pnlButtons), GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) +
                                                pnlButtons->Height() + pnlSuche->Height() +
                                                GridRowsHeight(gridLOut, 3)};
}

bool ShowListLOut(int& number, bool showErfassen) {
  TfrmListLOut* f = nullptr;
  Application->CreateForm(f);
  f->LocateLayout(number);
  f->pbErfassen->SetVisible(showErfassen);
  const bool ok = f->ShowModal() == mrOk;
  if (ok && !f->tblLOut->IsEmpty()) number = f->tblLOut->FieldByName("LOUT_ID")->AsInteger();
  delete f;
  return ok && number > 0;
}
